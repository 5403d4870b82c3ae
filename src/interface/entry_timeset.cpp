// The one time set: its steps, their solution times, and the current step.
#include <cstring>

#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "interface/default_reader.h"
#include "userd_api.h"

extern "C" {

// Returns the number of time sets: 1.
int USERD_get_number_of_timesets(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_number_of_timesets, %d\n", Num_timesets);
    return Num_timesets;
}

// Fills timeset_description with an empty text. Returns Z_OK.
int USERD_get_timeset_description(int, char timeset_description[Z_BUFL])
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_timeset_description\n");
    std::memset(timeset_description, 0, Z_BUFL);
    return Z_OK;
}

// Returns the time set of the geometry: 1.
int USERD_get_geom_timeset_number(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_geom_timeset_number, %d\n", geom_timeset);
    return geom_timeset;
}

// Takes a time set number. Returns the number of time steps.
int USERD_get_num_of_time_steps(int timeset_number)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_num_of_time_steps: timeset_number %d, number of timesteps %d\n", timeset_number,
                state.Num_time_steps);
    return state.Num_time_steps;
}

// Fills solution_times with the time of every step in seconds. Returns Z_OK.
int USERD_get_sol_times(int, float *solution_times)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_sol_times\n");
    debug_print(state, "timestep, timevalue\n");
    for (int i = 0; i < state.Num_time_steps; ++i) {
        float t = entry_or_zero(state.time_values, i);
        solution_times[i] = t;
        debug_print(state, "   %d   ,  %12.5g\n", i, static_cast<double>(t));
    }
    return Z_OK;
}

// Takes a time set and a step (from 0) and makes the step, clamped into the
// time line, the current step of the default reader.
void USERD_set_time_set_and_step(int timeset_number, int time_step)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_set_time_set_and_step, timeset %d, timestep %d\n", timeset_number, time_step);
    set_current_step(state, timeset_number, time_step);
}

}  // extern "C"
