// vortimar-inspect: loads the reader library at run time, the way the host
// application does, drives it in the host's order and prints every answer as
// a plain, diff-able transcript. It lets a user check a case without the host
// application, and it is the engine of the golden tests.
//
//   vortimar-inspect [options] LIBRARY CASE      (see --help, inspect_options.cpp)
//
// Paths in the transcript are printed with '/' as separator on every platform.
#include <cstdio>
#include <string>

#include "inspect_options.h"
#include "library_loader.h"
#include "transcript.h"

namespace {

// Resolves every entry point by its exported name.
void resolve_all(Library &lib, Reader &r)
{
#define RESOLVE(name) r.name = reinterpret_cast<decltype(r.name)>(lib.symbol("USERD_" #name));
    READER_ENTRY_POINTS(RESOLVE)
#undef RESOLVE
}

// Resolves every entry point. Returns "" or one line saying what the
// library lacks.
std::string resolve_reader(Library &lib, Reader &r, const std::string &path)
{
    resolve_all(lib, r);
    if (lib.missing.empty())
        return "";
    if (lib.found == 0)
        return path + ": not a reader library: it does not export the reader's USERD_ entry points";
    std::string names;
    for (const std::string &name : lib.missing)
        names += (names.empty() ? "" : ", ") + name;
    return path + ": a reader library that does not export " + names;
}

// Loads and resolves the library; prints why on failure. True on success.
bool load_reader(Library &lib, Reader &r, const std::string &path)
{
    std::string error = open_library(lib, path);
    if (error.empty())
        error = resolve_reader(lib, r, path);
    if (error.empty())
        return true;
    std::fprintf(stderr, "vortimar-inspect: %s\n", error.c_str());
    return false;
}

// --version: the tool's version, and the release the library reports.
int show_version(const Options &o, const char *tool)
{
    std::printf("vortimar-inspect %s\n", TOOL_VERSION);
    const std::string path = o.library.empty() ? library_beside(tool) : o.library;
    Library lib;
    Reader r{};
    if (!load_reader(lib, r, path))
        return 1;
    char release[Z_MAX_USERD_NAME + 1] = {0};
    char version[Z_MAX_USERD_NAME + 1] = {0};
    r.get_reader_release(release);
    r.get_reader_version(version);
    std::printf("library %s: release \"%s\", reader interface %s\n", path.c_str(),
                shown(release, Z_MAX_USERD_NAME).c_str(), shown(version, Z_MAX_USERD_NAME).c_str());
    return 0;
}

// The cases named on the command line, checked unless --unchecked. Returns
// false (after saying why) when one of them is not a case.
bool locate_cases(const Options &o, CaseLocation &main_case, CaseLocation &preload)
{
    if (o.unchecked) {
        main_case = split_case_path(o.case_path);
        preload = split_case_path(o.preload);
        return true;
    }
    std::string error = locate_case(o.case_path, main_case);
    if (error.empty() && !o.preload.empty())
        error = locate_case(o.preload, preload);
    if (error.empty())
        return true;
    std::fprintf(stderr, "vortimar-inspect: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    Options o;
    const std::string wrong = parse_options(argc, argv, o);
    if (!wrong.empty()) {
        std::fprintf(stderr, "vortimar-inspect: %s\n", wrong.c_str());
        return 2;
    }
    if (o.request == Request::help) {
        std::fputs(help_text(), stdout);
        return 0;
    }
    if (o.request == Request::version)
        return show_version(o, argv[0]);
    CaseLocation main_case, preload;
    if (!locate_cases(o, main_case, preload))
        return 2;
    Library lib;
    Reader r{};
    if (!load_reader(lib, r, o.library))
        return 1;
    // The transcript and the reader's diagnostic lines interleave in order.
    // Both streams unbuffered: the Windows C runtime buffers standard error
    // when it is not a console.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return run_transcript(r, o, main_case, preload);
}
