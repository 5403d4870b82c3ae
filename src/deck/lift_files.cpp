// Valve lift files (intake_lift.in, exhaust_lift.in): the valve's direction
// and a table of lift against crank angle, repeated every 720 degrees,
// resampled onto the crank angles of the time line.
#include <cstring>
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

constexpr char intake_lift_name[] = "intake_lift.in";

// Reads one lift file into the per-step lifts and the direction.
// print_steps: write each step's lift in debug output.
int read_lift_file(ReaderState &state, const char *file_name, std::vector<float> &lift, float direction[3],
                   bool print_steps)
{
    std::string path = case_path(state, file_name);
    debug_print(state, "reading --> %s\n", path.c_str());
    std::size_t steps = state.Num_time_steps > 0 ? static_cast<std::size_t>(state.Num_time_steps) : 0;
    lift.assign(steps, 0.0f);
    CaseFile file;
    if (!open_case_file(file, path)) {
        always_print(state, "Error opening file %s\n", path.c_str());
        add_finding(state, Severity::error, "file-missing", path, -1,
                    std::string("intake_lift.in is in the case folder, so the reader reads the valve lifts, but ") +
                        file_name + " cannot be opened: every lift of that valve is 0.",
                    std::string("Add ") + file_name + " (a title, a \"direction\" line, a line naming the unit "
                    "\"crank\", then rows of crank angle and lift), or remove intake_lift.in as well.");
        return -1;
    }

    // Direction line: the first word begins with "direction"; components
    // that are not there read as 0.
    for (int k = 0; k < Num_dims; ++k)
        direction[k] = 0.0f;
    char line[line_buffer_size] = "";
    while (read_line_or_end(file, line)) {
        std::vector<std::string_view> words = split_words(line, true);
        if (!words.empty() && words[0].substr(0, 9) == "direction") {
            for (std::size_t k = 0; k < static_cast<std::size_t>(Num_dims); ++k)
                direction[k] = k + 1 < words.size() ? parse_float(words[k + 1]) : 0.0f;
            break;
        }
    }

    // Unit line: whichever word it holds, the angles are crank degrees.
    bool unit_found = find_unit_line(file, line, -1);

    // Rows until the file ends, a line repeats the one before, or a line has
    // fewer than two words.
    ValueTable table;
    while (unit_found) {
        std::string kept = line;
        const long long start = case_file_tell(file);
        if (read_next_line(file, line) != 1 || kept == line)
            break;
        std::vector<std::string_view> words = split_words(line, true);
        if (words.size() < 2)
            break;
        table.x.push_back(parse_float(words[0]));
        table.y.push_back(parse_float(words[1]));
        table.row_starts.push_back(start);
        report_non_number(state, path, start, words[0]);
        report_non_number(state, path, start, words[1]);
    }
    report_line_shapes(state, file, path,
                       "the rows end at this line, as at the end of the file: it and every row after it are "
                       "not read.");
    close_case_file(file);
    const std::string rows = rows_text(table.x, "crank degrees");
    const std::size_t rows_read = table.x.size();
    const bool falling = report_falling_rows(state, path, table, "degrees");

    // A table of fewer than two rows has no interval and no period: it covers
    // nothing and every lift stays 0.
    bool covering = false;
    if (table.x.size() >= 2 && !state.crank_angles.empty())
        covering = place_on_crank_range(table, state.crank_angles.front(), state.crank_angles.back());
    if (!covering && !state.crank_angles.empty()) {
        const std::string first = number_text(state.crank_angles.front());
        const std::string last = number_text(state.crank_angles.back());
        add_finding(state, Severity::error, "lift-table-coverage", path, -1,
                    "The lift table " + rows + ", which does not cover the run from " + first +
                        " to " + last + " degrees (a table needs two rows or more and must reach both ends, "
                        "repeated every 720 degrees): every lift of this valve is 0.",
                    "Give rows from " + first + " or earlier to " + last +
                        " or later, or one whole cycle from 0 to 720 degrees, which the reader repeats over "
                        "the run.");
    }
    if (covering && !falling)
        report_bridged_stretches(state, path, table, rows_read, "lift");
    for (std::size_t i = 0; i < steps; ++i) {
        float value = 0.0f;
        if (covering && i < state.crank_angles.size() && look_up(table, state.crank_angles[i], value))
            lift[i] = value;
        if (print_steps)
            debug_print(state, "intake_lift[%d] = %f\n", static_cast<int>(i), static_cast<double>(lift[i]));
    }
    return 1;
}

}  // namespace

int read_intake_lift_file(ReaderState &state)
{
    return read_lift_file(state, intake_lift_name, state.intake_lift, state.intake_direction, true);
}

int read_exhaust_lift_file(ReaderState &state)
{
    return read_lift_file(state, "exhaust_lift.in", state.exhaust_lift, state.exhaust_direction, false);
}

void read_lift_files(ReaderState &state)
{
    state.lift_files_present = file_can_be_opened(case_path(state, intake_lift_name)) ? 1 : 0;
    if (state.lift_files_present == 1) {
        read_intake_lift_file(state);
        read_exhaust_lift_file(state);
    }
}
