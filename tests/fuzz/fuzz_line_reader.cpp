// The line reader on any bytes: every delivered line fits the buffer, holds
// no line feed and no blank at either end; reading again from a position the
// reader told gives the same line; every call moves on, so reading ends.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "case_folder.h"
#include "reader_calls.h"

namespace {

void check_line(const char *line, int capacity)
{
    const std::size_t n = std::strlen(line);
    if (n + 2 > static_cast<std::size_t>(capacity))
        fuzz_finding("a delivered line does not fit the line buffer with its line end");
    if (std::memchr(line, '\n', n))
        fuzz_finding("a delivered line holds a line feed");
    if (n > 0 && (line[0] == ' ' || line[n - 1] == ' '))
        fuzz_finding("a delivered line keeps a blank at an end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzFolder::lay_one("lines.txt", data, size);
    const std::string path = FuzzFolder::file("lines.txt");
    const int capacity = reader_calls::line_capacity();
    std::vector<char> line(static_cast<std::size_t>(capacity), 0), again(static_cast<std::size_t>(capacity), 0);

    reader_calls::LineFile file(path);
    if (!file.is_open())
        fuzz_finding("a laid file cannot be opened");
    if (file.size() != static_cast<long long>(size))
        fuzz_finding("file size differs from the bytes written");
    for (;;) {
        const long long here = file.tell();
        const int result = file.next(line.data());
        if (result == 1) {
            check_line(line.data(), capacity);
            const long long after = file.tell();
            file.seek(here);
            if (file.next(again.data()) != 1 || std::strcmp(line.data(), again.data()) != 0 || file.tell() != after)
                fuzz_finding("reading again from a told position gives another line");
        } else if (file.at_end()) {
            break;
        }
        if (file.tell() <= here)
            fuzz_finding("a read did not move on");
    }
    if (file.tell() != static_cast<long long>(size))
        fuzz_finding("reading ended before the end of the file");

    // The searching readers' loop ends too: each turn reads at least one byte.
    reader_calls::LineFile search(path);
    std::size_t turns = 0;
    while (search.next_or_end(line.data()))
        if (++turns > size)
            fuzz_finding("searching for a line does not end");
    return 0;
}
