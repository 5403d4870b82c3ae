// Motion profile files: a region's translation x, y, z against time, one row
// per line after a header that ends with the line naming the unit ("crank"
// or "second"). A file of 51 rows or more gives the case its time line; a
// shorter one is resampled onto 51 equal steps over the run.
#include <string_view>
#include <vector>

#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/line_search.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "core/value_table.h"
#include "deck/deck_readers.h"

namespace {

constexpr std::size_t resampled_steps = equal_step_count;

// The next row: time (seconds) and x, y, z. False at the end of the rows:
// a line that is not delivered (the end of the file, or a line too long to
// be read), or a line with fewer than two words.
bool read_motion_row(ReaderState &state, CaseFile &file, char *line, float row[4])
{
    if (read_next_line(file, line) != 1)
        return false;
    std::vector<std::string_view> words = split_words(line, true);
    if (words.size() < 2)
        return false;
    row[0] = file_time_in_seconds(state, parse_float(words[0]));
    for (std::size_t k = 1; k < 4; ++k)
        row[k] = k < words.size() ? parse_float(words[k]) : 0.0f;
    return true;
}

void grow_to(std::vector<float> &table, std::size_t entries)
{
    if (table.size() < entries)
        table.resize(entries, 0.0f);
}

// Findings about a motion profile of fewer than 51 rows (times in seconds in
// row_time), which is resampled onto the 51 steps now in time_values.
void report_resampled_profile(ReaderState &state, const std::string &path, const std::vector<float> &row_time)
{
    add_finding(state, row_time.empty() ? Severity::error : Severity::warning, "motion-profile-resampled", path, -1,
                "The profile " + rows_text(row_time, "s") + "; with fewer than 51 rows the reader does not use its times as "
                "steps but lays the run out in 51 equal steps from " + number_text(state.time_values.front()) +
                    " to " + number_text(state.time_values.back()) +
                    " s and interpolates the translation between the rows.",
                "To have the rows' own times as the time steps, give 51 rows or more.");
    if (row_time.empty())
        return;
    int before = 0;
    int after = 0;
    for (float t : state.time_values) {
        before += t < row_time.front();
        after += t > row_time.back();
    }
    if (before + after > 0)
        add_finding(state, Severity::error, "motion-steps-outside-rows", path, -1,
                    std::to_string(before) + " steps come before the profile's first row (" +
                        number_text(row_time.front()) + " s) and " + std::to_string(after) +
                        " after its last row (" + number_text(row_time.back()) +
                        " s): the reader gives them no interpolated translation, and each keeps the row of "
                        "the file with its own step number (0 past the last row), whatever that row's time.",
                    "Give rows from the run's start (" + number_text(state.time_values.front()) +
                        " s) or earlier to its end (" + number_text(state.time_values.back()) + " s) or later.");
}

}  // namespace

int open_motion_table(ReaderState &state, CaseFile &file, const std::string &path, char *line)
{
    if (!open_case_file(file, path)) {
        always_print(state, "Error opening file %s\n", path.c_str());
        return -1;
    }
    debug_print(state, "reading --> %s\n", path.c_str());
    return find_unit_line(file, line, -1) ? 1 : 0;
}

float file_time_in_seconds(ReaderState &state, float t)
{
    if (state.crank_flag == 1)
        return crank_degrees_to_seconds(t, state.engine_params.rpm);
    return t;
}

int read_motion_file(ReaderState &state, int region, const std::string &path)
{
    debug_print(state, "  read_motion_file\n");
    if (region < 0 || static_cast<std::size_t>(region) >= state.motion_table.size())
        return -1;
    MotionRecord &motion = state.motion_table[static_cast<std::size_t>(region)];
    std::size_t capacity = resampled_steps;
    motion.translation_steps.assign(capacity * 3, 0.0f);
    if (state.Num_time_steps == 1 && state.time_values.empty())
        state.time_values.assign(capacity, 0.0f);

    CaseFile file;
    char line[line_buffer_size] = "";
    int opened = open_motion_table(state, file, path, line);
    if (opened == -1)
        return -1;

    // First pass: the rows as they stand, times in seconds. Whatever an
    // earlier file left in time_values, it is made long enough here.
    std::size_t n = 0;
    if (opened == 1) {
        grow_to(state.time_values, capacity);
        for (;; ++n) {
            if (n + 5 > capacity) {
                capacity += 10;
                grow_to(state.time_values, capacity);
                grow_to(motion.translation_steps, capacity * 3);
            }
            float row[4];
            if (!read_motion_row(state, file, line, row))
                break;
            state.time_values[n] = row[0];
            for (std::size_t k = 0; k < 3; ++k)
                motion.translation_steps[n * 3 + k] = row[k + 1];
            debug_print(state, "\n");
        }
    }
    report_line_shapes(state, file, path,
                       "the rows end at this line, as at the end of the file: it and every row after it are "
                       "not read.");
    if (n >= resampled_steps) {
        state.Num_time_steps = static_cast<int>(n);
        return 1;
    }

    // Too few rows for a time line of their own: 51 equal steps over the run.
    state.profile_resampled = true;
    state.Num_time_steps = static_cast<int>(resampled_steps);
    EngineParams &p = state.engine_params;
    if (state.crank_flag == 1) {
        p.start = 0.0f;
        if (!state.end_in_seconds)
            p.end = crank_degrees_to_seconds(p.end, p.rpm);
        state.end_in_seconds = true;
    }
    std::vector<float> times = equal_step_times(p, resampled_steps);

    // The rows once more, as columns; the first pass read exactly these
    // rows from the file.
    std::vector<float> row_time(state.time_values.begin(), state.time_values.begin() + static_cast<long>(n));
    std::vector<float> row_value[3];
    for (std::size_t k = 0; k < 3; ++k) {
        row_value[k].resize(n);
        for (std::size_t i = 0; i < n; ++i)
            row_value[k][i] = motion.translation_steps[i * 3 + k];
    }
    for (std::size_t i = 0; i < n; ++i)
        debug_print(state, "%f\t%f\t%f\t%f\t\n", static_cast<double>(row_time[i]), static_cast<double>(row_value[0][i]),
                    static_cast<double>(row_value[1][i]), static_cast<double>(row_value[2][i]));
    state.time_values = std::move(times);

    report_resampled_profile(state, path, row_time);

    // Each step takes the row at its time or the line between the rows
    // around it; a step before the first row keeps what it holds.
    for (std::size_t s = 0; s < resampled_steps && n > 0; ++s) {
        float t = state.time_values[s];
        RowMatch m = find_row(row_time.data(), n, t);
        for (std::size_t k = 0; k < 3; ++k) {
            const std::vector<float> &v = row_value[k];
            if (m.kind == RowMatch::exact)
                motion.translation_steps[s * 3 + k] = v[m.row];
            else if (m.kind == RowMatch::between)
                motion.translation_steps[s * 3 + k] =
                    interpolate_between(row_time[m.row - 1], v[m.row - 1], row_time[m.row], v[m.row], t);
        }
    }
    return 1;
}
