// Cases of the case library on several threads at once: each thread opens its
// own case through the C interface, again and again, asks it everything (the
// session of case_session.h) and must get exactly the answers and messages
// that the same case gives when nothing else runs.
// Built with ThreadSanitizer by the tsan stage of the test script, which then
// also reports any data the open cases share.
//
//   case_threads GOLDEN_FOLDER
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../alone_and_together.h"
#include "case_session.h"

namespace {

struct ThreadCase {
    const char *name;
    unsigned flags;
};

// An engine with a moving liner (debug messages on), point parts from
// spatial files, and deck motions of every kind.
const ThreadCase cases[] = {{"engine_liner_on", VC_MOVING_LINER | VC_DEBUG_MESSAGES},
                            {"values_spatial_points", 0u},
                            {"motion_kinds", 0u}};
constexpr int rounds = 3;

// The digest of everything the case answers, and its messages; an error
// code of vc_open shows as the code.
std::string run_case(const std::string &golden, const ThreadCase &which)
{
    vc_case *c = nullptr;
    const int opened = vc_open((golden + "/" + which.name).c_str(), which.flags, &c);
    if (opened != VC_OK)
        return "open " + std::to_string(opened);
    std::string out = "answers " + std::to_string(library_session(c)) + "\n";
    int count = 0;
    vc_message_count(c, &count);
    for (int i = 0; i < count; ++i) {
        const char *line = nullptr;
        vc_message(c, i, &line);
        out += std::string(line) + "\n";
    }
    vc_close(c);
    return out;
}

}  // namespace

void session_failure(const std::string &what)
{
    std::fprintf(stderr, "case_threads: %s\n", what.c_str());
    std::exit(1);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: case_threads GOLDEN_FOLDER\n");
        return 2;
    }
    const std::string golden = argv[1];
    std::vector<std::string> names;
    for (const ThreadCase &which : cases)
        names.push_back(which.name);
    return together::run_alone_and_together("case_threads", names, rounds, "answers ",
                                            [&](std::size_t i) { return run_case(golden, cases[i]); });
}
