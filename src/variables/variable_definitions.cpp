// The variable list, and for every boundary region the source of its
// pressure, total pressure and temperature: a value file named in boundary.in,
// or a constant written on the region's pressure or temperature line.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/line_reader.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"
#include "geometry/surface_file.h"
#include "variables/variables.h"

namespace {

// Lines looked at after a region block's start for its "velocity" line.
constexpr int anchor_search_lines = 4;
// The "velocity" line and the pressure and temperature lines after it.
constexpr int value_block_lines = 3;

// The names in list order: the per-part variables, then in engine cases the
// engine constants (the lifts only when the lift files were read).
std::vector<const char *> variable_list(ReaderState &state)
{
    std::vector<const char *> names{"Pressure"};
    if (state.total_pressure_present == 1)
        names.push_back("Total_Pressure");
    names.push_back("Temperature");
    if (state.engine_mode == 1) {
        for (const char *name : {"Bore", "Stroke", "Con_rod_length", "RPM"})
            names.push_back(name);
        if (state.lift_files_present == 1) {
            names.push_back("Intake_lift");
            names.push_back("Exhaust_lift");
        }
        names.push_back("Piston_motion");
        names.push_back("Crank_Angle");
    }
    return names;
}

// A constant beyond the variables counted for this case has no entry to go to.
void set_constant(PartRecord &part, int index, float value)
{
    if (index >= 0 && static_cast<std::size_t>(index) < part.constant_values.size())
        part.constant_values[static_cast<std::size_t>(index)] = value;
}

void set_value_file(ReaderState &state, PartRecord &part, int slot, std::string_view line)
{
    if (slot >= 0 && slot < variable_file_slots)
        part.variable_files[slot] = case_path(state, quoted_name(line));
}

// "Ne" / "ne" (not a boundary value of this kind) anywhere on the line means 0.
bool marks_no_value(std::string_view line)
{
    return contains(line, "Ne") || contains(line, "ne");
}

// The total-pressure value written in brackets after the line's keyword.
float bracketed_value(std::string_view line)
{
    std::size_t blank = line.find(' ');
    std::size_t open = line.find('[', blank == std::string_view::npos ? 0 : blank);
    if (open == std::string_view::npos)
        return 0.0f;
    std::string_view inside = line.substr(open + 1);
    std::size_t close = inside.find(']');
    if (close != std::string_view::npos)
        inside = inside.substr(0, close);
    return parse_float(inside);
}

// The temperature is the last word of its line; a line without a blank is
// read whole.
float last_word_value(std::string_view line)
{
    std::size_t blank = line.rfind(' ');
    return parse_float(blank == std::string_view::npos ? line : line.substr(blank + 1));
}

// The first word after the line's keyword that starts with a number, or an
// empty view.
std::string_view first_number_word(const std::vector<std::string_view> &words)
{
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (starts_with_number(words[i]))
            return words[i];
    }
    return {};
}

// Findings about a pressure or temperature line that names no file, by the
// rules read_value_line applies to it; `start` is where it starts in path.
void check_value_line(ReaderState &state, const std::string &path, std::string_view line, long long start)
{
    const bool pressure = line[0] == 'p';
    const char *quantity = pressure ? "pressure" : "temperature";
    const std::vector<std::string_view> words = split_words(line, false);
    const std::string_view written = first_number_word(words);
    const std::string value_layout = std::string("\"") + quantity + " = " +
                                     (written.empty() ? std::string("VALUE") : std::string(written)) + "\"";
    if (marks_no_value(line)) {
        // "Ne" is meant as the mark when the line gives no number at all.
        std::string_view holder;
        for (std::string_view word : words) {
            if (holder.empty() && marks_no_value(word))
                holder = word;
        }
        if (!written.empty())
            add_finding(state, Severity::error, "value-ne-marker", path, start,
                        "The " + std::string(quantity) + " line " + quote_line(line) + " holds \"" +
                            std::string(contains(holder, "Ne") ? "Ne" : "ne") + "\" (in the word " +
                            quote_line(holder) + "), and a " + quantity +
                            " line holding \"Ne\" or \"ne\" anywhere gives the value 0: the reader takes 0, "
                            "not " + std::string(written) + ".",
                        "Keep remarks off the value line: write " + value_layout +
                            " alone (\"Ne\" on the line is only for a boundary without a value).");
        return;
    }
    if (contains(line, "[")) {
        const std::string inside = std::string("\"") + quantity + " = " + number_text(bracketed_value(line)) + "\"";
        if (pressure)
            add_finding(state, Severity::warning, "bracketed-value", path, start,
                        "The value in brackets on " + quote_line(line) +
                            " is read as the region's total pressure (variable \"Total_Pressure\"); its "
                            "\"Pressure\" stays 0.",
                        "If the value is the static pressure, write it without brackets: " + inside + ".");
        else
            add_finding(state, Severity::error, "bracketed-value", path, start,
                        "The temperature line " + quote_line(line) +
                            " is read from its last word, and a value in brackets does not read as a number: the "
                            "temperature is 0.",
                        "Write the temperature without brackets: " + inside + ".");
        return;
    }
    if (written.empty())
        return;
    if (pressure) {
        std::string_view third = word_at(line, 2, false);
        if (!starts_with_number(third))
            add_finding(state, Severity::error, "pressure-value-position", path, start,
                        "The reader takes the pressure from the third word of " + quote_line(line) + ", " +
                            (third.empty() ? std::string("which is not there") : quote_line(third)) +
                            ": the pressure is " + number_text(parse_float(third)) + ", not " + std::string(written) +
                            ".",
                        "Write the line as " + value_layout + ".");
        return;
    }
    std::string_view last = words.back();
    if (last.data() != written.data() && parse_float(last) != parse_float(written))
        add_finding(state, Severity::error, "temperature-trailing-words", path, start,
                    "The reader takes the temperature from the last word of " + quote_line(line) + ", " +
                        quote_line(last) + ": the temperature is " + number_text(parse_float(last)) + ", not " +
                        std::string(written) + ".",
                    "End the line with the value: " + value_layout + " (a remark can go on a line of its own "
                    "after the temperature line).");
}

// One line of a region's value block: the pressure line, the temperature line,
// or anything else (the "velocity" line), which is passed over. `start` is
// where the line starts in boundary.in.
void read_value_line(ReaderState &state, PartRecord &part, std::string_view line, long long start)
{
    if (line.empty())
        return;
    if ((line[0] == 'p' || line[0] == 't') && !contains(line, "\""))
        check_value_line(state, state.dataset_files[boundary_file_slot], line, start);
    int T = state.total_pressure_present;
    bool quoted = contains(line, "\"");
    if (line[0] == 'p') {
        if (quoted)
            set_value_file(state, part, contains(line, "[") ? T : 0, line);
        else if (marks_no_value(line))
            set_constant(part, 0, 0.0f);
        else if (contains(line, "["))
            set_constant(part, T, bracketed_value(line));
        else
            set_constant(part, 0, parse_float(word_at(line, 2, false)));
    } else if (line[0] == 't') {
        if (quoted)
            set_value_file(state, part, T + 1, line);
        else if (marks_no_value(line))
            set_constant(part, T + 1, 0.0f);
        else
            set_constant(part, T + 1, last_word_value(line));
    }
}

}  // namespace

int get_var_file_names_and_constant_values(ReaderState &state)
{
    debug_print(state, "get_var_file_names_and_constant_values\n");
    int T = state.total_pressure_present;
    std::size_t count = state.Num_variables > 0 ? static_cast<std::size_t>(state.Num_variables) : 0;

    std::vector<const char *> names = variable_list(state);
    state.variable_names.assign(count, std::string());
    for (std::size_t i = 0; i < count && i < names.size(); ++i)
        state.variable_names[i] = bounded(names[i], name_limit);

    int surfaces = surface_part_count(state);
    for (int n = 0; n < surfaces; ++n) {
        PartRecord &part = state.part_table[static_cast<std::size_t>(n)];
        part.constant_values.assign(count, 0.0f);
        for (int slot = 0; slot <= T + 1; ++slot)
            part.variable_files[slot] = "NULL";
    }

    CaseFile file;
    if (!open_case_file(file, dataset_file(state, boundary_file_slot)))
        return -1;

    char line[line_buffer_size] = "";
    char previous[line_buffer_size] = "";
    read_next_line(file, line);
    int region = 0;  // regions are counted from 1 by their block starts
    for (;;) {
        // A line that is not delivered leaves the buffer as it was: the scan
        // ends at the end of the file and at two identical lines alike.
        std::memcpy(previous, line, sizeof line);
        read_next_line(file, line);
        if (std::strcmp(line, previous) == 0)
            break;
        if (!starts_region(line))
            continue;
        ++region;

        long long anchor = -1;
        for (int i = 0; i < anchor_search_lines; ++i) {
            long long start = case_file_tell(file);
            read_next_line(file, line);
            std::string_view first = word_at(line, 0, false);
            if (first == "velocity") {
                anchor = start;
                break;
            }
            if (first == "region")
                break;
        }
        if (anchor < 0)
            continue;

        // Read again from the "velocity" line: it and the two lines after it.
        case_file_seek(file, anchor);
        for (int i = 0; i < value_block_lines; ++i) {
            const long long start = case_file_tell(file);
            read_next_line(file, line);
            // Blocks beyond the deck's region count have no part to go to.
            if (region <= surfaces)
                read_value_line(state, state.part_table[static_cast<std::size_t>(region - 1)], line, start);
        }
    }
    close_case_file(file);
    return 1;
}
