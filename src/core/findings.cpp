#include "core/findings.h"

#include <cstdio>

#include "core/line_reader.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "core/value_table.h"

int line_number_at(const std::string &path, long long offset)
{
    std::FILE *fp = std::fopen(path.c_str(), "rb");
    if (!fp)
        return 0;
    long long line_feeds = 0;
    long long seen = 0;
    char chunk[1 << 16];
    while (seen < offset) {
        std::size_t want = sizeof chunk;
        if (offset - seen < static_cast<long long>(want))
            want = static_cast<std::size_t>(offset - seen);
        std::size_t got = std::fread(chunk, 1, want, fp);
        if (got == 0)
            break;
        for (std::size_t i = 0; i < got; ++i)
            line_feeds += chunk[i] == '\n';
        seen += static_cast<long long>(got);
    }
    std::fclose(fp);
    return line_feeds + 1 > 0x7fffffff ? 0x7fffffff : static_cast<int>(line_feeds + 1);
}

namespace {

// The name of path within the case folder (the path itself when it lies elsewhere).
std::string name_in_case(const ReaderState &state, const std::string &path)
{
    const std::string &folder = state.case_folder;
    if (!folder.empty() && path.compare(0, folder.size(), folder) == 0)
        return path.substr(folder.size());
    return path;
}

}  // namespace

const char *severity_name(Severity severity)
{
    switch (severity) {
    case Severity::error:
        return "error";
    case Severity::warning:
        return "warning";
    default:
        return "note";
    }
}

void add_finding(ReaderState &state, Severity severity, const char *code, const std::string &path,
                 long long line_start, const std::string &message, const std::string &suggestion)
{
    Finding finding;
    finding.severity = severity;
    finding.code = code;
    finding.file = name_in_case(state, path);
    finding.line = line_start < 0 ? 0 : line_number_at(path, line_start);
    for (Finding &known : state.findings) {
        if (known.code == finding.code && known.file == finding.file && known.line == finding.line &&
            known.message == message) {
            if (line_start < 0)
                known.count += 1;
            return;
        }
    }
    finding.message = message;
    finding.suggestion = suggestion;
    state.findings.push_back(std::move(finding));
}

void begin_build_findings(ReaderState &state)
{
    if (state.findings_before_build < 0)
        state.findings_before_build = static_cast<long long>(state.findings.size());
    else if (static_cast<std::size_t>(state.findings_before_build) < state.findings.size())
        state.findings.resize(static_cast<std::size_t>(state.findings_before_build));
}

std::string quote_line(std::string_view text)
{
    constexpr std::size_t shown = 100;
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < shown; ++i) {
        if (text[i] == '\r')
            quoted += "\\r";
        else if (text[i] == '\t')
            quoted += "\\t";
        else
            quoted += text[i];
    }
    if (text.size() > shown)
        quoted += "...";
    return quoted + "\"";
}

std::string counted(long long count, const char *noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string number_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string rows_text(const std::vector<float> &x, const char *unit)
{
    if (x.empty())
        return "has no rows (rows follow the line naming the unit, \"crank\" or \"second\")";
    const std::string ends = number_text(x.front()) + " to " + number_text(x.back()) + " " + unit;
    if (first_falling_row(x) > 0)
        return "has " + counted(static_cast<long long>(x.size()), "row") + " from " + ends +
               ", not in increasing order";
    return "covers " + ends + " (" + counted(static_cast<long long>(x.size()), "row") + ")";
}

bool report_falling_rows(ReaderState &state, const std::string &path, const ValueTable &table, const char *unit)
{
    const std::size_t row = first_falling_row(table.x);
    if (row == 0)
        return false;
    add_finding(state, Severity::warning, "table-rows-not-increasing", path,
                row < table.row_starts.size() ? table.row_starts[row] : -1,
                "The rows do not increase: this row, at " + number_text(table.x[row]) + " " + unit +
                    ", comes after a row at " + number_text(table.x[row - 1]) + " " + unit +
                    ". The reader takes the rows as increasing: it looks a value up between the first row beyond "
                    "it and the row before that one, so rows out of order are passed over or joined to the wrong "
                    "neighbours.",
                "Sort the rows by their first number (for a crank-angle table one cycle, such as 0 to 720 "
                "degrees).");
    return true;
}

void report_bridged_stretches(ReaderState &state, const std::string &path, const ValueTable &table,
                              std::size_t rows_read, const char *value)
{
    const std::vector<BridgedStretch> stretches = bridged_stretches(table, rows_read, state.crank_angles);
    if (stretches.empty())
        return;
    const auto at = [&](float angle, float v) {
        return number_text(angle) + " degrees (" + value + " " + number_text(v) + ")";
    };
    std::string bridged;
    for (const BridgedStretch &s : stretches)
        bridged += std::string(bridged.empty() ? "" : "; ") + "from " + at(s.from, s.from_value) + " to " +
                   at(s.to, s.to_value) + ", where " + counted(s.steps, "step") + " of the run lie (" +
                   number_text(s.first_step) + " to " + number_text(s.last_step) + " degrees)";
    const float span = table.x[rows_read - 1] - table.x[0];
    add_finding(state, Severity::warning, "table-cycle-bridged", path, -1,
                "The rows span " + number_text(span) +
                    " crank degrees, less than one 720-degree cycle, and the reader repeats them every 720 "
                    "degrees as if the last row stood for the first row one cycle on: it draws a straight line "
                    "from the last row of one cycle to the second row of the next, across the gap that no row "
                    "fills (and past the first row, which is not repeated), " + bridged + ".",
                "Give one whole cycle: a last row 720 degrees after the first row, with the first row's " +
                    std::string(value) + " (for example \"720 0\" after a first row \"0 0\"), and rows for the "
                    "angles between.");
}

void report_line_shapes(ReaderState &state, const CaseFile &file, const std::string &path,
                        const std::string &long_line_effect)
{
    if (file.marks.long_line >= 0)
        add_finding(state, Severity::error, "line-too-long", path, file.marks.long_line,
                    "This line is longer than 251 characters, which the reader cannot read: " +
                        long_line_effect,
                    "Shorten the line to 251 characters or fewer (a long comment can go on a line of "
                    "its own, or be left out).");
    if (file.marks.unterminated_line >= 0)
        add_finding(state, Severity::warning, "last-line-unterminated", path, file.marks.unterminated_line,
                    "The file's last line has no line end, and the reader does not read a line "
                    "without one: it is left out.",
                    "End the file with a line end (press Enter after the last line).");
    if (file.marks.cr_line >= 0)
        add_finding(state, Severity::warning, "cr-line-ends", path, file.marks.cr_line,
                    "This line (and maybe others) ends with a carriage return before its line feed. "
                    "The reader keeps the carriage return as the line's last character, so a word "
                    "at the end of a line (a file name, an engine.in key, \"SPATIAL\") does not "
                    "match what it is compared with.",
                    "Save the file with plain line-feed line ends (for example with dos2unix, or "
                    "the editor's \"LF\" setting).");
}

void report_non_number(ReaderState &state, const std::string &path, long long line_start, std::string_view word)
{
    if (is_whole_number(word))
        return;
    add_finding(state, Severity::error, "not-a-number", path, line_start,
                "The word " + quote_line(word) + " stands where a number belongs but is not one; the reader takes " +
                    number_text(parse_float(word)) + " (the number it starts with, or 0).",
                "Write the number with digits and a decimal point, e.g. 0.086 rather than O.086 or 0,086.");
}
