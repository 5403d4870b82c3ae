#include "core/line_reader.h"

#include <cstring>
#include <sys/stat.h>

namespace {

// Opens a case file for binary reading. A folder is not a file: where the
// system lets a folder be opened for reading, it is closed again, so that
// every platform reports it as a file that cannot be opened.
std::FILE *open_for_reading(const std::string &path)
{
    std::FILE *fp = std::fopen(path.c_str(), "rb");
#if !defined(_WIN32)
    struct stat info;
    if (fp && fstat(fileno(fp), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(fp);
        fp = nullptr;
    }
#endif
    return fp;
}

constexpr std::size_t chunk_size = 1 << 20;
constexpr int piece_limit = line_buffer_size - 1;  // characters taken by one read

bool refill(CaseFile &file)
{
    if (!file.fp)
        return false;
    file.base += static_cast<long long>(file.len);
    file.pos = 0;
    file.len = std::fread(file.buffer.data(), 1, file.buffer.size(), file.fp);
    return file.len > 0;
}

// Reads at most piece_limit characters, stopping after the first line feed,
// into piece (terminated). Returns the number of characters read; 0 at the end.
int read_piece(CaseFile &file, char *piece)
{
    int count = 0;
    while (count < piece_limit) {
        if (file.pos >= file.len && !refill(file))
            break;
        std::size_t avail = file.len - file.pos;
        std::size_t want = static_cast<std::size_t>(piece_limit - count);
        if (avail > want)
            avail = want;
        const char *start = file.buffer.data() + file.pos;
        const void *lf = std::memchr(start, '\n', avail);
        std::size_t take = lf ? static_cast<std::size_t>(static_cast<const char *>(lf) - start) + 1 : avail;
        std::memcpy(piece + count, start, take);
        count += static_cast<int>(take);
        file.pos += take;
        if (lf)
            break;
    }
    piece[count] = '\0';
    return count;
}

}  // namespace

CaseFile::~CaseFile()
{
    close_case_file(*this);
}

bool open_case_file(CaseFile &file, const std::string &path)
{
    close_case_file(file);
    file.fp = open_for_reading(path);
    if (!file.fp)
        return false;
    file.buffer.assign(chunk_size, 0);
    file.pos = file.len = 0;
    file.base = 0;
    return true;
}

void close_case_file(CaseFile &file)
{
    if (file.fp)
        std::fclose(file.fp);
    file.fp = nullptr;
    file.buffer.clear();
    file.buffer.shrink_to_fit();
    file.pos = file.len = 0;
    file.base = 0;
}

bool case_file_is_open(const CaseFile &file)
{
    return file.fp != nullptr;
}

long long case_file_tell(const CaseFile &file)
{
    return file.base + static_cast<long long>(file.pos);
}

void case_file_seek(CaseFile &file, long long offset)
{
    if (!file.fp)
        return;
    if (offset >= file.base && offset <= file.base + static_cast<long long>(file.len)) {
        file.pos = static_cast<std::size_t>(offset - file.base);
        return;
    }
#if defined(_WIN32)
    _fseeki64(file.fp, offset, SEEK_SET);
#else
    fseeko(file.fp, static_cast<off_t>(offset), SEEK_SET);
#endif
    file.base = offset;
    file.pos = file.len = 0;
}

int read_next_line(CaseFile &file, char *dest)
{
    char piece[line_buffer_size];
    if (read_piece(file, piece) == 0)
        return -1;
    char *lf = std::strchr(piece, '\n');
    if (!lf) {
        // Too long for one read, or a last line without its line end: the
        // rest of it (one more read) is thrown away and nothing is delivered.
        char rest[line_buffer_size];
        read_piece(file, rest);
        return -1;
    }
    *lf = '\0';
    std::size_t n = static_cast<std::size_t>(lf - piece);
    std::size_t first = 0;
    while (first < n && piece[first] == ' ')
        ++first;
    std::size_t last = n;
    while (last > first && piece[last - 1] == ' ')
        --last;
    std::memcpy(dest, piece + first, last - first);
    dest[last - first] = '\0';
    return 1;
}

long long case_file_size(CaseFile &file)
{
    if (!file.fp)
        return 0;
#if defined(_WIN32)
    long long here = _ftelli64(file.fp);
    _fseeki64(file.fp, 0, SEEK_END);
    long long size = _ftelli64(file.fp);
    _fseeki64(file.fp, here, SEEK_SET);
#else
    long long here = static_cast<long long>(ftello(file.fp));
    fseeko(file.fp, 0, SEEK_END);
    long long size = static_cast<long long>(ftello(file.fp));
    fseeko(file.fp, static_cast<off_t>(here), SEEK_SET);
#endif
    return size > 0 ? size : 0;
}

bool case_file_at_end(CaseFile &file)
{
    if (!file.fp)
        return true;
    if (file.pos < file.len)
        return false;
    return !refill(file);
}

bool read_line_or_end(CaseFile &file, char *dest)
{
    if (read_next_line(file, dest) == 1)
        return true;
    return !case_file_at_end(file);
}

bool file_can_be_opened(const std::string &path)
{
    std::FILE *fp = open_for_reading(path);
    if (!fp)
        return false;
    std::fclose(fp);
    return true;
}
