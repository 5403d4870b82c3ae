#include "core/reader_state.h"

#include "core/diagnostics.h"

void begin_new_load(ReaderState &state)
{
    ReaderState fresh;
    fresh.debug_flag = state.debug_flag;
    fresh.moving_liner = state.moving_liner;
    fresh.Num_pulldowns = state.Num_pulldowns;
    fresh.pulldown_values[0] = state.pulldown_values[0];
    fresh.message_sink = state.message_sink;
    fresh.message_user = state.message_user;
    state = std::move(fresh);
}

const float *step_row(const std::vector<float> &table, int stride, int step)
{
    if (step < 0 || stride <= 0)
        return nullptr;
    std::size_t first = static_cast<std::size_t>(step) * static_cast<std::size_t>(stride);
    if (first + static_cast<std::size_t>(stride) > table.size())
        return nullptr;
    return table.data() + first;
}

std::vector<float> equal_step_times(const EngineParams &p, std::size_t count)
{
    std::vector<float> times(count, 0.0f);
    const float spacing = equal_step_spacing(p);
    if (count > 0)
        times[0] = p.start;
    for (std::size_t k = 1; k < count; ++k)
        times[k] = static_cast<float>(k) * spacing + p.start;
    return times;
}

void count_variables(ReaderState &state)
{
    int count = per_part_variable_count(state);
    if (state.engine_mode == 1 && (state.files_read & read_bit(engine_file_slot)) != 0 && !state.profile_resampled)
        count += 8;
    if (state.engine_mode == 1 && state.crank_flag == 1 && state.lift_files_present == 0)
        count -= 2;
    state.Num_variables = count;
}

const std::string &dataset_file(const ReaderState &state, std::size_t slot)
{
    static const std::string none;
    return slot < state.dataset_files.size() ? state.dataset_files[slot] : none;
}

float entry_or_zero(const std::vector<float> &table, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= table.size())
        return 0.0f;
    return table[static_cast<std::size_t>(i)];
}

void set_dialog_choices(ReaderState &state, int moving_liner, int console_output)
{
    const bool was_debugging = state.debug_flag != 0;
    state.Num_pulldowns = 1;
    state.moving_liner = moving_liner;
    state.pulldown_values[0] = console_output;
    bool list_pulldowns = false;
    switch (console_output) {
    case 0:  // Normal
    case 1:  // Verbose: no diagnostic line depends on this level
        state.debug_flag = 0;
        return;
    case 2:  // Debug
        state.debug_flag = 1;
        list_pulldowns = true;
        break;
    default:
        list_pulldowns = was_debugging;
        break;
    }
    if (list_pulldowns) {
        always_print(state, "\nPulldown contents \n");
        for (int i = 0; i < state.Num_pulldowns; ++i)
            always_print(state, "Pulldown %d value is %d \n", i, state.pulldown_values[i]);
        always_print(state, "\n");
    }
}

void set_current_step(ReaderState &state, int timeset, int step)
{
    const int last = state.Num_time_steps - 1;
    if (step > last)
        step = last;
    if (step < 0)
        step = 0;
    state.current_step = step;
    state.current_timeset = timeset;
    if (timeset > 1)
        always_print(state, "Error, timeset > 1 \n");
}
