// The check that readers are independent: runs each of several jobs alone,
// one after the other, then all at once, one thread per job and several runs
// per thread, and compares every run with the job's run alone. A job returns
// everything its reader answered, as text.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace together {

// Appends printf-style text to out.
inline void add(std::string &out, const char *format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out += text;
}

// Runs job(i) for every i of names, alone and then on threads, `rounds` runs
// per thread; `program` names the caller in what it prints. A job alone must
// answer something containing `expected` (else the check proves nothing).
// Returns the exit status: 0 when every run matched.
template <typename Job>
int run_alone_and_together(const char *program, const std::vector<std::string> &names, int rounds,
                           const char *expected, Job job)
{
    std::vector<std::string> alone;
    for (std::size_t i = 0; i < names.size(); ++i) {
        alone.push_back(job(i));
        if (alone.back().find(expected) == std::string::npos) {
            std::fprintf(stderr, "%s: %s answers no \"%s\":\n%s\n", program, names[i].c_str(), expected,
                         alone.back().c_str());
            return 1;
        }
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < names.size(); ++i) {
        threads.emplace_back([&, i] {
            for (int r = 0; r < rounds; ++r) {
                if (job(i) != alone[i]) {
                    std::fprintf(stderr, "%s: %s, round %d differs from its run alone\n", program, names[i].c_str(),
                                 r + 1);
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    std::printf("%s: %zu cases x %d rounds on %zu threads, %d differing from their runs alone\n", program,
                names.size(), rounds, names.size(), mismatches.load());
    return mismatches == 0 ? 0 : 1;
}

}  // namespace together
