// A whole case, packed as for the whole-case target (the leading text is
// inputs.in; a section "dialog" holds the user's choices), opened through
// the case library's C interface. Two handles are open on the same files at
// once, one with the "Moving Liner" choice of the dialog and one with the
// other; each is asked everything, then the first is asked everything again
// and must answer as it did before the second was asked. Both are closed,
// after which their handles must be refused.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "case_folder.h"
#include "host_session.h"
#include "library_session.h"
#include "vortimar_case.h"

namespace {

// Opens the case; a failed open must leave no handle and say why.
vc_case *open_case(const std::string &path, unsigned flags)
{
    vc_case *handle = nullptr;
    if (vc_open(path.c_str(), flags, &handle) == VC_OK && handle)
        return handle;
    if (handle)
        fuzz_finding("a failed vc_open handed out a handle");
    if (std::strlen(vc_open_error()) == 0)
        fuzz_finding("a failed vc_open does not say why");
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    const DialogChoices choices = dialog_choices(files);
    FuzzFolder::lay(files);
    const unsigned liner = choices.liner ? VC_MOVING_LINER : 0u;
    const unsigned debug = choices.console == 2 ? VC_DEBUG_MESSAGES : 0u;

    // The folder names one, its inputs.in the other.
    vc_case *first = open_case(FuzzFolder::path(), liner | debug);
    vc_case *second = open_case(FuzzFolder::file("inputs.in"), (liner ^ VC_MOVING_LINER) | debug);
    if (!first != !second)
        fuzz_finding("the case opens with one choice of the moving liner but not with the other");
    if (first) {
        const std::uint64_t before = library_session(first);
        library_session(second);
        if (library_session(first) != before)
            fuzz_finding("an open case answers differently once another case was asked");
        int count = 0;
        if (vc_close(first) != VC_OK || vc_close(second) != VC_OK)
            fuzz_finding("an open case does not close");
        if (vc_close(first) != VC_ERR_ARGUMENT || vc_part_count(second, &count) != VC_ERR_ARGUMENT)
            fuzz_finding("a closed handle is still taken");
    }
    FuzzFolder::expect_unchanged();
    return 0;
}
