// Readers on several threads at once: each thread opens its own reader on
// its own case, again and again, and must get exactly the answers (and the
// diagnostics) that a reader gives on that case when nothing else runs.
// Built with ThreadSanitizer by the tsan stage of the test script, which
// then also reports any data shared between the readers.
//
//   reader_threads GOLDEN_FOLDER
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "../reader_snapshot.h"

namespace {

struct ThreadCase {
    const char *name;
    bool liner;
};

// Cases that differ in every respect a shared state would mix up: an engine
// with a moving liner, point parts from spatial files, deck motions.
const ThreadCase cases[] = {{"engine_liner_on", true}, {"values_spatial_points", false}, {"motion_kinds", false}};
constexpr int rounds = 3;

std::string run_case(const std::string &golden, const ThreadCase &which)
{
    ReaderState reader;
    std::string messages;
    snapshot::open_case(reader, golden + "/" + which.name, which.liner, &messages);
    std::string answers;
    for (int s : snapshot::steps_of(reader))
        answers += snapshot::step(reader, s);
    return answers + "--- messages\n" + messages;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: reader_threads GOLDEN_FOLDER\n");
        return 2;
    }
    const std::string golden = argv[1];
    constexpr std::size_t count = sizeof cases / sizeof cases[0];

    // Each case alone, one after the other.
    std::vector<std::string> alone;
    for (const ThreadCase &which : cases)
        alone.push_back(run_case(golden, which));
    for (std::size_t i = 0; i < count; ++i) {
        if (alone[i].find("part 1 ") == std::string::npos) {
            std::fprintf(stderr, "reader_threads: case %s has no parts\n", cases[i].name);
            return 1;
        }
    }

    // All cases at once, one thread each, several loads per thread.
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            for (int r = 0; r < rounds; ++r) {
                if (run_case(golden, cases[i]) != alone[i]) {
                    std::fprintf(stderr, "reader_threads: case %s, round %d differs from its run alone\n",
                                 cases[i].name, r + 1);
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    std::printf("reader_threads: %zu cases x %d rounds on %zu threads, %d differing from their runs alone\n", count,
                rounds, count, mismatches.load());
    return mismatches == 0 ? 0 : 1;
}
