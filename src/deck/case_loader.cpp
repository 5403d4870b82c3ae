// The case loader: builds the dataset file table, runs the case readers in
// their fixed order and lays out the time line.
#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"

namespace {

// One step at time 0.
void single_step_time_line(ReaderState &state)
{
    state.Num_time_steps = 1;
    state.time_values.assign(1, 0.0f);
}

// Equal steps in seconds from start to end: the divisor is always 50, so a
// 51-step line ends at end.
void fill_equal_steps(ReaderState &state, float start, float span)
{
    state.time_values.assign(static_cast<std::size_t>(state.Num_time_steps), 0.0f);
    float step = span / 50.0f;
    state.time_values[0] = start;
    for (int i = 1; i < state.Num_time_steps; ++i)
        state.time_values[static_cast<std::size_t>(i)] = static_cast<float>(i) * step + start;
}

// Crank-angle time line of an engine case: one step per half degree.
void build_crank_time_line(ReaderState &state)
{
    EngineParams &p = state.engine_params;
    if (p.end - p.start > 720.0f)
        p.end = p.start + 720.0f;
    float count = (p.end - p.start) * 2.0f + 1.0f;
    // A run ending before it starts (or unreadable) gets one step at the start angle.
    state.Num_time_steps = (count >= 1.0f) ? static_cast<int>(count) : 1;
    std::size_t n = static_cast<std::size_t>(state.Num_time_steps);
    state.crank_angles.assign(n, 0.0f);
    state.time_values.resize(n);
    state.time_values[0] = 0.0f;
    state.crank_angles[0] = p.start;
    if (p.rpm == 0.0f)
        always_print(state, "\nERROR: FILE engine.in is missing \n\n");
    float seconds_per_revolution = 60.0f / p.rpm;
    for (std::size_t i = 1; i < n; ++i) {
        double half_degrees = 0.5 * static_cast<double>(i);
        state.crank_angles[i] = static_cast<float>(static_cast<double>(p.start) + half_degrees);
        state.time_values[i] = static_cast<float>((static_cast<double>(state.time_values[0]) + half_degrees) /
                                                  360.0 * static_cast<double>(seconds_per_revolution));
    }

    if (file_can_be_opened(case_path(state, "intake_lift.in"))) {
        state.lift_files_present = 1;
        read_intake_lift_file(state);
        read_exhaust_lift_file(state);
    } else {
        state.lift_files_present = 0;
        state.Num_variables -= 2;
    }
    if (state.Num_time_steps == 1)
        state.time_values.assign(1, 0.0f);
}

// Nothing moves: one step at time 0; otherwise a single step is at time 0.
void closing_rule(ReaderState &state)
{
    if (state.rigid_motion_present == 0 && state.Num_point_parts == 0)
        single_step_time_line(state);
    else if (state.Num_time_steps == 1)
        state.time_values.assign(1, 0.0f);
}

void build_time_line(ReaderState &state)
{
    int S = state.crank_flag;
    int M = state.engine_mode;
    EngineParams &p = state.engine_params;
    if (S == 1 && M == 1) {
        build_crank_time_line(state);
    } else if (S == 0 && M == 0) {
        state.Num_variables = 2;
        // A motion or spatial file that left a single time is laid out anew.
        bool lay_out = state.time_values.empty() || state.Num_time_steps == 1;
        if (state.Num_time_steps == 1)
            state.Num_time_steps = 51;
        if (lay_out)
            fill_equal_steps(state, p.start, p.end - p.start);
        closing_rule(state);
    } else if (S == 1 && M == 0) {
        // Crank angles asked for, but nothing turns with the crank: seconds.
        state.crank_flag = 0;
        state.Num_variables = 2;
        bool lay_out = state.time_values.empty() || state.Num_time_steps == 1;
        if (state.Num_time_steps == 1)
            state.Num_time_steps = 51;
        if (lay_out) {
            p.start = 0.0f;
            p.end = (60.0f / p.rpm) * (p.end / 360.0f);
            fill_equal_steps(state, 0.0f, p.end);
        }
        closing_rule(state);
    } else if (M == 1) {
        if (state.Num_time_steps == 1)
            state.time_values.assign(1, 0.0f);
    } else {
        closing_rule(state);
    }
    // Every per-step array of the time line holds Num_time_steps entries.
    if (state.Num_time_steps > 0 && state.time_values.size() != static_cast<std::size_t>(state.Num_time_steps))
        state.time_values.resize(static_cast<std::size_t>(state.Num_time_steps), 0.0f);
}

}  // namespace

std::string case_path(ReaderState &state, const std::string &file_name)
{
    return bounded(state.case_folder + file_name, path_limit);
}

int get_file_info(ReaderState &state)
{
    debug_print(state, "get_file_info\n");
    if (!allocated([&] { state.dataset_files.assign(5, std::string()); },
                   [&] { always_print(state, "Cannot allocate the dataset file table\n"); }))
        return -1;
    state.dataset_files[1] = case_path(state, "inputs.in");
    if (read_inputs_file(state) == 1)
        state.files_read |= 1u << 1;
    state.dataset_files[0] = case_path(state, state.surface_file_name);
    state.dataset_files[2] = case_path(state, "engine.in");
    const bool engine_read = read_engine_file(state) == 1;
    state.Num_variables = engine_read ? 10 : 2;
    if (engine_read)
        state.files_read |= 1u << 2;
    state.dataset_files[3] = case_path(state, "boundary.in");
    if (read_boundary_deck(state) == 1)
        state.files_read |= 1u << 3;
    if (state.engine_mode == 1 && !file_can_be_opened(state.dataset_files[2]))
        add_finding(state, Severity::error, "file-missing", state.dataset_files[2], -1,
                    "boundary.in makes this an engine case (\"$\" marks a piston), but engine.in cannot be "
                    "opened: bore, stroke, connecting rod and speed are 0, and the case offers no engine constants.",
                    "Add engine.in to the case folder: a title line, a line starting with \"#\", then \"0.080 "
                    "bore\", \"0.088 stroke\", \"0.140 conrod\" and \"1500 rpm\" with the engine's values.");
    build_time_line(state);
    return 1;
}

int load_case(ReaderState &state, const std::string &inputs_name, const std::string &folder)
{
    begin_new_load(state);
    state.host_file_name = bounded(inputs_name, path_limit);
    state.case_folder = bounded(folder, path_limit) + path_separator;
    return get_file_info(state);
}
