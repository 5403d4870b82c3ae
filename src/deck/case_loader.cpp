// The case loader: builds the dataset file table, runs the case readers in
// their fixed order and lays out the time line.
#include <cmath>

#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "core/value_table.h"
#include "deck/deck_readers.h"

namespace {

// One step at time 0.
void single_step_time_line(ReaderState &state)
{
    state.Num_time_steps = 1;
    state.time_values.assign(1, 0.0f);
}

// Equal steps in seconds over the run, one for each step of the time line.
void fill_equal_steps(ReaderState &state)
{
    state.time_values = equal_step_times(state.engine_params, static_cast<std::size_t>(state.Num_time_steps));
}

// Crank-angle time line of an engine case: one step per half degree.
void build_crank_time_line(ReaderState &state)
{
    EngineParams &p = state.engine_params;
    if (p.end - p.start > engine_cycle_degrees)
        p.end = p.start + engine_cycle_degrees;
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
    for (std::size_t i = 1; i < n; ++i) {
        double half_degrees = 0.5 * static_cast<double>(i);
        state.crank_angles[i] = static_cast<float>(static_cast<double>(p.start) + half_degrees);
        state.time_values[i] = static_cast<float>(
            crank_degrees_to_seconds(static_cast<double>(state.time_values[0]) + half_degrees, p.rpm));
    }
    read_lift_files(state);
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

// The time line of a case outside engine mode, in seconds. When no motion or
// spatial file made one of several steps, the run is laid out in equal steps;
// a run given in crank degrees (nothing turns with the crank here) is first
// converted to seconds from 0.
void build_seconds_time_line(ReaderState &state)
{
    EngineParams &p = state.engine_params;
    const bool lay_out = state.time_values.empty() || state.Num_time_steps == 1;
    if (state.Num_time_steps == 1)
        state.Num_time_steps = equal_step_count;
    if (lay_out) {
        if (state.crank_flag == 1) {
            p.start = 0.0f;
            p.end = crank_degrees_to_seconds(p.end, p.rpm);
        }
        fill_equal_steps(state);
    }
    state.crank_flag = 0;
    closing_rule(state);
}

void build_time_line(ReaderState &state)
{
    const int crank_flag = state.crank_flag;
    if (state.engine_mode == 1) {
        if (crank_flag == 1)
            build_crank_time_line(state);
        else if (state.Num_time_steps == 1)
            state.time_values.assign(1, 0.0f);
    } else if (crank_flag == 0 || crank_flag == 1) {
        build_seconds_time_line(state);
    } else {
        closing_rule(state);
    }
    // Every per-step array of the time line holds Num_time_steps entries.
    if (state.Num_time_steps > 0 && state.time_values.size() != static_cast<std::size_t>(state.Num_time_steps))
        state.time_values.resize(static_cast<std::size_t>(state.Num_time_steps), 0.0f);
}

// Findings about engine.in once the time line is built: a time line that the speed 0 leaves without
// finite times, or else an engine deck without engine.in.
void report_engine_file(ReaderState &state)
{
    const std::string &path = state.dataset_files[engine_file_slot];
    const bool opened = file_can_be_opened(path);
    long long infinite = 0;
    long long no_number = 0;
    for (float t : state.time_values) {
        infinite += std::isinf(t);
        no_number += std::isnan(t);
    }
    const char *layout = "Write engine.in as a title line, a line starting with \"#\", then the four lines \"0.080 "
                         "bore\", \"0.088 stroke\", \"0.140 conrod\" and \"1500 rpm\" in that order, with the "
                         "engine's values (metres, revolutions per minute; the speed not 0).";
    if (infinite + no_number > 0) {
        const std::string cause = !opened   ? "engine.in cannot be opened, so the engine speed is 0"
                                  : (state.files_read & read_bit(engine_file_slot)) != 0 ? "engine.in gives the engine speed 0 rpm"
                                              : "engine.in gives no engine speed (its \"rpm\" line is not read), so "
                                                "the speed is 0";
        add_finding(state, Severity::error, "time-line-infinite", path, -1,
                    cause + ", and the reader turns crank degrees into seconds by dividing by it: " +
                        std::to_string(infinite + no_number) + " of the " + counted(state.Num_time_steps, "step") +
                        " get " + (no_number == 0 ? "an infinite time" : "no finite time") +
                        ", so the time line cannot be shown or played." +
                        (opened ? "" : " Bore, stroke and connecting rod are 0 as well, and the case offers no "
                                       "engine constants."),
                    layout);
    } else if (state.engine_mode == 1 && !opened) {
        add_finding(state, Severity::error, "file-missing", path, -1,
                    "boundary.in makes this an engine case (\"$\" marks a piston), but engine.in cannot be "
                    "opened: bore, stroke, connecting rod and speed are 0, and the case offers no engine constants.",
                    std::string("Add engine.in to the case folder. ") + layout);
    }
}

}  // namespace

std::string case_path(ReaderState &state, const std::string &file_name)
{
    return bounded(state.case_folder + file_name, path_limit);
}

int get_file_info(ReaderState &state)
{
    debug_print(state, "get_file_info\n");
    if (!allocated([&] { state.dataset_files.assign(first_named_file_slot + 1, std::string()); },
                   [&] { always_print(state, "Cannot allocate the dataset file table\n"); }))
        return -1;
    state.dataset_files[inputs_file_slot] = case_path(state, "inputs.in");
    if (read_inputs_file(state) == 1)
        state.files_read |= read_bit(inputs_file_slot);
    state.dataset_files[surface_file_slot] = case_path(state, state.surface_file_name);
    state.dataset_files[engine_file_slot] = case_path(state, "engine.in");
    if (read_engine_file(state) == 1)
        state.files_read |= read_bit(engine_file_slot);
    state.dataset_files[boundary_file_slot] = case_path(state, "boundary.in");
    if (read_boundary_deck(state) == 1)
        state.files_read |= read_bit(boundary_file_slot);
    build_time_line(state);
    count_variables(state);
    report_engine_file(state);
    return 1;
}

int load_case(ReaderState &state, const std::string &inputs_name, const std::string &folder)
{
    begin_new_load(state);
    state.host_file_name = bounded(inputs_name, path_limit);
    state.case_folder = bounded(folder, path_limit) + path_separator;
    return get_file_info(state);
}
