#include "core/reader_state.h"

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

float entry_or_zero(const std::vector<float> &table, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= table.size())
        return 0.0f;
    return table[static_cast<std::size_t>(i)];
}
