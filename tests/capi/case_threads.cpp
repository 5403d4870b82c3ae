// Cases on several threads at once: each thread opens its own case through
// the C interface, again and again, asks it everything (the session of
// case_session.h) and must get exactly the answers and messages that the
// same case gives when nothing else runs. Each handle owns a reader of its
// own, so this is also the check that readers share no state.
// Built with ThreadSanitizer by the tsan stage of the test script, which then
// also reports any data the open cases share.
//
//   case_threads GOLDEN_FOLDER
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "case_session.h"

namespace {

struct ThreadCase {
    const char *name;
    unsigned flags;
};

// Cases that differ in every respect a shared state would mix up: an engine
// with a moving liner (debug messages on), point parts from spatial files,
// deck motions of every kind.
const ThreadCase cases[] = {{"engine_liner_on", VC_MOVING_LINER | VC_DEBUG_MESSAGES},
                            {"values_spatial_points", 0u},
                            {"motion_kinds", 0u}};
constexpr int rounds = 3;

// The digest of everything the case answers, and its messages.
std::string run_case(const std::string &golden, const ThreadCase &which)
{
    vc_case *c = nullptr;
    if (vc_open((golden + "/" + which.name).c_str(), which.flags, &c) != VC_OK)
        session_failure(std::string(which.name) + " does not open: " + vc_open_error());
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
    std::vector<std::string> alone;
    for (const ThreadCase &which : cases)
        alone.push_back(run_case(golden, which));
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < alone.size(); ++i)
        threads.emplace_back([&, i] {
            for (int r = 0; r < rounds; ++r)
                if (run_case(golden, cases[i]) != alone[i]) {
                    std::fprintf(stderr, "case_threads: %s, round %d differs from its run alone\n", cases[i].name,
                                 r + 1);
                    ++mismatches;
                }
        });
    for (std::thread &t : threads)
        t.join();
    std::printf("case_threads: %zu cases x %d rounds on %zu threads, %d differing from their runs alone\n",
                alone.size(), rounds, alone.size(), mismatches.load());
    return mismatches == 0 ? 0 : 1;
}
