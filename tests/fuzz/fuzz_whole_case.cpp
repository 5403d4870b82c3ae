// A whole case, packed as described in case_folder.h (the leading text is
// inputs.in; sections give engine.in, boundary.in, the surface file and any
// named file). A section "dialog" is not a case file but the user's choices:
// "liner" turns the "Moving Liner" toggle on, "verbose" or "debug" picks the
// console output. The case is loaded twice through the exported entry
// points, by a reader that starts afresh for each input: the second load
// must answer exactly as the first.
#include <cstdint>
#include <string>
#include <vector>

#include "case_folder.h"
#include "host_session.h"
#include "reader_calls.h"
#include "userd_api.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    const DialogChoices choices = dialog_choices(files);
    FuzzFolder::lay(files);
    reader_calls::fresh_default_reader();
    const std::uint64_t first = host_session(choices, FuzzFolder::path());
    const std::uint64_t second = host_session(choices, FuzzFolder::path());
    USERD_exit_routine();
    if (first != second)
        fuzz_finding("a second load of the same case answers differently");
    FuzzFolder::expect_unchanged();
    return 0;
}
