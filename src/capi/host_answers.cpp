// The host's answers for the C interface. The library holds one reader
// today, so these go through the host's own entry points, which work on it.
#include "capi/host_answers.h"


#include "geometry/part_table.h"
#include "interface/entry_guard.h"
#include "userd_api.h"

int load_case(ReaderState &, const std::string &folder, bool moving_liner, bool debug_messages)
{
    // The "Console Output" pulldown: entry 0 "Normal", entry 2 "Debug".
    int toggle[1] = {moving_liner ? 1 : 0};
    int pulldown[1] = {debug_messages ? 2 : 0};
    USERD_set_extra_gui_data(toggle, pulldown, nullptr);
    std::string inputs = "inputs.in";
    std::string path = folder;
    char empty[1] = {'\0'};
    return USERD_set_filenames(&inputs[0], empty, &path[0], 0);
}

void go_to_step(ReaderState &, int step, bool build)
{
    USERD_set_time_set_and_step(geom_timeset, step);
    // A query answers from what the table holds whatever the build's outcome.
    if (build)
        guarded_void("reload_all_parts", [] { reload_all_parts(); });
}

int rigid_body_existence(ReaderState &)
{
    return USERD_rigidbody_existence();
}

int rigid_body_values(ReaderState &, int part, float values[14])
{
    return USERD_rigidbody_values(part, values);
}

int part_variable_values(ReaderState &, int variable, int part, float *per_node)
{
    return USERD_get_var_by_component(variable, part, Z_SCALAR, Z_PER_NODE, 0, 0, per_node);
}

float constant_value(ReaderState &, int variable)
{
    return USERD_get_constant_val(variable, 0);
}

void solution_times(ReaderState &, float *seconds)
{
    USERD_get_sol_times(geom_timeset, seconds);
}
