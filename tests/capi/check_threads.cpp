// The set-up check runs its clearances on threads of their own beside its
// other parts. Run twice on the bundled engine, it must give the same report
// to the byte whatever order its threads finish in; built with
// ThreadSanitizer by the tsan stage of the test script, which then also
// reports any data the threads share unguarded.
//
//   check_threads CASE_FOLDER
#include <cstdio>
#include <string>

#include "vortimar_case.h"
#include "vortimar_check.h"

int main(int argc, char **argv)
{
    vc_case *c = nullptr;
    if (argc != 2 || vc_open(argv[1], VC_MOVING_LINER, &c) != VC_OK) {
        std::fprintf(stderr, "check_threads: cannot open the case: %s\n", vc_open_error());
        return 1;
    }
    std::string reports[2];
    int pairs = 0;
    for (std::string &report : reports) {
        vk_report *r = nullptr;
        if (vk_run(c, 0.0001, &r) != VC_OK) {
            std::fprintf(stderr, "check_threads: the check fails: %s\n", vk_last_error());
            return 1;
        }
        // Every part's timing differs from run to run; the rest must not.
        report = vk_json(r);
        report.erase(report.find("\"timings\""));
        vk_pair_count(r, &pairs);
        vk_free(r);
    }
    vc_close(c);
    if (pairs < 10 || reports[0] != reports[1]) {
        std::fprintf(stderr, "check_threads: %d pairs; the two reports %s\n", pairs,
                     reports[0] == reports[1] ? "agree" : "differ");
        return 1;
    }
    std::printf("check_threads: %d pairs, the same report twice\n", pairs);
    return 0;
}
