// Cases of the case library on several threads at once: each thread opens its
// own case through the C interface, again and again, and must get exactly
// the answers and messages that the same case gives when nothing else runs.
// Built with ThreadSanitizer by the tsan stage of the test script, which then
// also reports any data the open cases share.
//
//   case_threads GOLDEN_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "../alone_and_together.h"
#include "vortimar_case.h"

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

using together::add;

void add_floats(std::string &out, const std::vector<float> &values)
{
    for (float v : values)
        add(out, " %a", static_cast<double>(v));
    out += "\n";
}

// Everything the case answers at a few steps, floats exactly, and its
// messages; an error code shows as the code.
std::string run_case(const std::string &golden, const ThreadCase &which)
{
    vc_case *c = nullptr;
    std::string out;
    const int opened = vc_open((golden + "/" + which.name).c_str(), which.flags, &c);
    if (opened != VC_OK)
        return "open " + std::to_string(opened);
    int steps = 0, parts = 0, variables = 0;
    vc_step_count(c, &steps);
    vc_part_count(c, &parts);
    vc_variable_count(c, &variables);
    add(out, "%d steps, %d parts, %d variables\n", steps, parts, variables);
    const int last = steps - 1;
    for (int step : {0, 1, last / 4, last / 2, (3 * last) / 4, last}) {
        for (int p = 1; p <= parts; ++p) {
            vc_part_info info{};
            vc_part(c, p, &info);
            std::vector<float> xyz(3 * static_cast<std::size_t>(info.vertex_count));
            add(out, "step %d part %d '%s': points %d", step, p, info.name,
                vc_part_points(c, p, step, xyz.data(), static_cast<int>(xyz.size())));
            add_floats(out, xyz);
            std::vector<float> motion(14);
            add(out, "rigid body %d", vc_rigid_body(c, p, step, motion.data()));
            add_floats(out, motion);
            for (int v = 1; v <= variables; ++v) {
                int constant = 0;
                vc_variable(c, v, nullptr, &constant);
                std::vector<float> values(constant ? 1 : static_cast<std::size_t>(info.vertex_count));
                const int code = constant ? vc_constant(c, v, step, values.data())
                                          : vc_part_values(c, p, step, v, values.data(), info.vertex_count);
                add(out, "variable %d: %d", v, code);
                add_floats(out, values);
            }
        }
    }
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
    return together::run_alone_and_together("case_threads", names, rounds, "part 1 ",
                                            [&](std::size_t i) { return run_case(golden, cases[i]); });
}
