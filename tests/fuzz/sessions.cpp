// The two targets that take a whole packed case (the leading text is
// inputs.in; sections give engine.in, boundary.in, the surface file, any
// named file and the dialog's choices). Through the host's entry points the
// case is walked by the host tool's own transcript (digested, not printed);
// through the C interface by the session of case_session.h.
#include "core/reader_state.h"
#include "fuzz.h"
#include "interface/default_reader.h"
#include "transcript.h"

namespace {

void discard_message(void *, const char *) {}

// Opens the case; a failed open must leave no handle and say why.
vc_case *open_case(const std::string &path, unsigned flags)
{
    vc_case *handle = nullptr;
    if (vc_open(path.c_str(), flags, &handle) == VC_OK && handle)
        return handle;
    if (handle || std::strlen(vc_open_error()) == 0)
        fuzz_finding("a failed vc_open handed out a handle or does not say why");
    return nullptr;
}

// The digest of the transcript of the case in `folder`, with the dialog's
// choices, from the load on (the dialog's defaults before it follow the
// last choice made).
std::uint64_t host_session(const DialogChoices &choices, const std::string &folder)
{
    Reader r{};
#define TAKE(name) r.name = USERD_##name;
    READER_ENTRY_POINTS(TAKE)
#undef TAKE
    Options o;
    o.liner = choices.liner;
    o.console = choices.console;
    std::pair<Digest, bool> d{Digest{}, false};  // the digest, and whether the load was met
    transcript_sink = [](void *user, const char *text) {
        auto &[digest, loaded] = *static_cast<std::pair<Digest, bool> *>(user);
        loaded = loaded || std::strncmp(text, "set_filenames:", 14) == 0;
        if (loaded)
            digest.text(text, std::strlen(text));
    };
    transcript_user = &d;
    run_transcript(r, o, CaseLocation{folder, "inputs.in"}, CaseLocation{});
    transcript_sink = nullptr;
    return d.first.value;
}

}  // namespace

// Loaded twice through the entry points by a reader that starts afresh for
// each input: the second load must answer exactly as the first.
void whole_case(const std::uint8_t *data, std::size_t size)
{
    const std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    fuzz_folder::lay(files);
    ReaderState &reader = default_reader();
    reader = ReaderState();
    reader.message_sink = discard_message;
    const std::uint64_t first = host_session(dialog_choices(files), fuzz_folder::path());
    const std::uint64_t second = host_session(dialog_choices(files), fuzz_folder::path());
    if (first != second)
        fuzz_finding("a second load of the same case answers differently");
    fuzz_folder::expect_unchanged();
}

// Two handles open on the same files at once (the folder names one, its
// inputs.in the other), one with the "Moving Liner" choice and one without;
// each is asked everything, then the first again, which must answer as
// before. Once closed, both handles are refused.
void case_library(const std::uint8_t *data, std::size_t size)
{
    const std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    const DialogChoices choices = dialog_choices(files);
    fuzz_folder::lay(files);
    const unsigned liner = choices.liner ? VC_MOVING_LINER : 0u;
    const unsigned debug = choices.console == 2 ? VC_DEBUG_MESSAGES : 0u;
    vc_case *first = open_case(fuzz_folder::path(), liner | debug);
    vc_case *second = open_case(fuzz_folder::file("inputs.in"), (liner ^ VC_MOVING_LINER) | debug);
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
    fuzz_folder::expect_unchanged();
}
