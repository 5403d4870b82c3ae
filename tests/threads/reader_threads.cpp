// Readers on several threads at once: each thread opens its own reader on
// its own case, again and again, and must get exactly the answers (and the
// diagnostics) that a reader gives on that case when nothing else runs.
// Built with ThreadSanitizer by the tsan stage of the test script, which
// then also reports any data shared between the readers.
//
//   reader_threads GOLDEN_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "../alone_and_together.h"
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
    std::vector<std::string> names;
    for (const ThreadCase &which : cases)
        names.push_back(which.name);
    return together::run_alone_and_together("reader_threads", names, rounds, "part 1 ",
                                            [&](std::size_t i) { return run_case(golden, cases[i]); });
}
