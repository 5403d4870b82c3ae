// Boundary value files: a table of a region's pressure, total pressure or
// temperature against time or crank angle, placed on the case's time line.
#include <string>
#include <vector>

#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/line_search.h"
#include "core/line_reader.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "core/value_table.h"
#include "variables/variables.h"

namespace {

// Reads the table of an open value file. The first line is a title; the rows
// start after the first later line holding "crank" or "second" (a file
// without one has no rows) and end at a line that is not delivered (the end of
// the file, or a line too long to be read) or at a line holding no word. Each
// row is the abscissa and the value, separated by blanks or tabs; a row
// without a value word has the value 0.
void read_value_table(CaseFile &file, ValueTable &table)
{
    char line[line_buffer_size] = "";
    read_next_line(file, line);
    if (!find_unit_line(file, line, -1))
        return;
    for (long long start = case_file_tell(file); read_next_line(file, line) == 1; start = case_file_tell(file)) {
        std::vector<std::string_view> words = split_words(line, true);
        if (words.empty())
            break;
        table.x.push_back(parse_float(words[0]));
        table.y.push_back(words.size() > 1 ? parse_float(words[1]) : 0.0f);
        table.row_starts.push_back(start);
    }
}

// The value of per-part variable `slot` at step s. step_values holds one
// float per per-part variable and step, step after step:
// index s * per_part_variable_count(state) + slot, as the part table sizes it.
void store_step_value(ReaderState &state, PartRecord &part, int step, int slot, float value)
{
    std::size_t index = static_cast<std::size_t>(step) * static_cast<std::size_t>(per_part_variable_count(state)) +
                        static_cast<std::size_t>(slot);
    if (index < part.step_values.size())
        part.step_values[index] = value;
}

// The variable name of per-part variable `slot`.
const char *slot_name(ReaderState &state, int slot)
{
    if (slot == 0)
        return "Pressure";
    return slot == state.total_pressure_present + 1 ? "Temperature" : "Total_Pressure";
}

// Every step whose abscissa the table gives a value at gets that value; the
// other steps keep theirs. Returns the number of steps left without one.
int place_on_steps(ReaderState &state, PartRecord &part, int slot, const ValueTable &table,
                   const std::vector<float> &abscissas)
{
    int missed = 0;
    std::size_t steps = state.Num_time_steps > 0 ? static_cast<std::size_t>(state.Num_time_steps) : 0;
    if (abscissas.size() < steps)
        steps = abscissas.size();
    for (std::size_t s = 0; s < steps; ++s) {
        float value = 0.0f;
        if (look_up(table, abscissas[s], value))
            store_step_value(state, part, static_cast<int>(s), slot, value);
        else
            ++missed;
    }
    return missed;
}

}  // namespace

int get_variable_values_from_file(ReaderState &state, int part_index, int slot)
{
    debug_print(state, "get_variable_values_from_file\n");
    debug_print(state, "part_num = %d\n", part_index + 1);
    if (state.geometry_pending != 1)
        return 1;
    if (part_index < 0 || static_cast<std::size_t>(part_index) >= state.part_table.size() || slot < 0 ||
        slot >= per_part_variable_count(state) || slot >= variable_file_slots)
        return -1;
    PartRecord &part = state.part_table[static_cast<std::size_t>(part_index)];
    const std::string &path = part.variable_files[slot];

    CaseFile file;
    if (!open_case_file(file, path)) {
        always_print(state, "Error opening file %s\n", path.c_str());
        return -1;
    }
    ValueTable table;
    const bool made = allocated(
        [&] {
            read_value_table(file, table);
            report_line_shapes(state, file, path,
                               "the rows end at this line, as at the end of the file: it and every row after "
                               "it are not read.");
            close_case_file(file);
            const std::size_t rows_read = table.x.size();
            const std::string variable = std::string(slot_name(state, slot)) + " of part " +
                                         quote_line(part.name);

            bool seconds = state.engine_mode == 0 && state.crank_flag == 0;
            bool crank = state.engine_mode == 1 && state.crank_flag == 1;
            const bool falling =
                (seconds || crank) && report_falling_rows(state, path, table, seconds ? "s" : "degrees");
            if (seconds) {
                int missed = place_on_steps(state, part, slot, table, state.time_values);
                if (missed > 0 && !state.time_values.empty())
                    add_finding(state, Severity::warning, "value-table-coverage", path, -1,
                                "The table " + rows_text(table.x, "s") + ", but the run goes from " +
                                    number_text(state.time_values.front()) + " to " +
                                    number_text(state.time_values.back()) + " s: " + std::to_string(missed) +
                                    " steps outside the rows get 0 for the " + variable + ".",
                                "Give rows from the run's start or earlier to its end or later.");
            } else if (crank && !state.crank_angles.empty()) {
                // A table that does not cover the whole crank range gives no step a value.
                const float first = state.crank_angles.front();
                const float last = state.crank_angles.back();
                const std::string rows = rows_text(table.x, "crank degrees");
                if (place_on_crank_range(table, first, last)) {
                    place_on_steps(state, part, slot, table, state.crank_angles);
                    if (!falling)
                        report_bridged_stretches(state, path, table, rows_read, slot_name(state, slot));
                } else {
                    add_finding(state, Severity::error, "value-table-coverage", path, -1,
                                "The table " + rows + ", which does not cover the run from " +
                                    number_text(first) + " to " + number_text(last) +
                                    " degrees, and such a table gives no step a value: the " + variable +
                                    " is 0 at every step.",
                                "Give rows from " + number_text(first) + " or earlier to " + number_text(last) +
                                    " or later, or one whole cycle from 0 to 720 degrees, which the reader "
                                    "repeats over the run.");
                }
            }
            // A crank table in a seconds case, or the other way round, gives nothing.
        },
        [&] { always_print(state, "Cannot allocate the value table of %s\n", path.c_str()); });
    return made ? 1 : -1;
}
