// Findings: what the reader did with a case that its author most likely did
// not mean. The readers add them while they read, at the point where the
// reader's own rules take the unexpected turn; they change nothing the
// reader answers and print nothing. A reader's findings are cleared with
// every new load (they live in its ReaderState).
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ReaderState;
struct CaseFile;
struct ValueTable;

enum class Severity {
    error,    // data of the case is lost or changed
    warning,  // likely not what the author meant
    note      // worth knowing, nothing lost
};

struct Finding {
    Severity severity = Severity::note;
    std::string code;        // short stable identifier, e.g. "deck-repeated-line"
    std::string file;        // the file's name within the case folder
    int line = 0;            // 1-based; 0 for the whole file
    std::string message;     // what the reader did, quoting the line
    std::string suggestion;  // what the author most likely meant, and how to write it
    int count = 1;           // how often it occurred (a whole-file finding can recur)
};

// "error", "warning" or "note".
const char *severity_name(Severity severity);

// Adds a finding about the case file at `path` (a full path; the finding keeps
// its name within the case folder). `line_start` is the byte offset at which
// the line starts in that file, or -1 for a finding about the whole file; the
// line number is counted from it here. A finding equal to one already added
// (same code, file, line and message) is not added again: on a line, it is the
// same line read once more (the deck reader reads some lines twice); about a
// whole file, it occurred once more, and the earlier one's count rises.
void add_finding(ReaderState &state, Severity severity, const char *code, const std::string &path,
                 long long line_start, const std::string &message, const std::string &suggestion);

// A build of the parts tried again after a failure starts over, so the
// findings of the earlier attempt are dropped: called as every build starts.
void begin_build_findings(ReaderState &state);

// The 1-based number of the line starting at byte `offset` of the file at
// path: one more than the line feeds before it. 0 when the file cannot be read.
int line_number_at(const std::string &path, long long offset);

// A line as a finding quotes it: in double quotes, carriage returns and tabs
// shown as \r and \t, and cut after 100 characters.
std::string quote_line(std::string_view text);

// "1 region", "3 regions": a count and its noun, which takes an "s" when the
// count is not 1.
std::string counted(long long count, const char *noun);

// A number as a finding writes it (%g).
std::string number_text(double value);

// The rows of a table with abscissas x in `unit` as a finding states them:
// "covers A to B unit (N rows)", "has no rows (...)", or, when an abscissa is
// smaller than the one before, "has N rows from A to B unit, not in
// increasing order".
std::string rows_text(const std::vector<float> &x, const char *unit);

// Adds a warning when the abscissas of `table` (read from `path`, in `unit`)
// do not increase, on the first row that is smaller than the one before.
// Returns whether it did.
bool report_falling_rows(ReaderState &state, const std::string &path, const ValueTable &table, const char *unit);

// Adds a warning about the stretches where the crank-angle table of `path`,
// placed on the run's crank angles by place_on_crank_range (its first
// `rows_read` rows as read), bridges the gap between the end of one cycle and
// the start of the next with a straight line; `value` names what the table
// gives ("lift", "Pressure", ...).
void report_bridged_stretches(ReaderState &state, const std::string &path, const ValueTable &table,
                              std::size_t rows_read, const char *value);

// Adds the findings about the lines the line reader met in `file` (opened from
// `path`) but did not deliver as written: a line of more than 251 characters
// (`long_line_effect` says what that does in this file), a last line without
// a line end, and line ends with a carriage return.
void report_line_shapes(ReaderState &state, const CaseFile &file, const std::string &path,
                        const std::string &long_line_effect);

// Adds an error when `word`, read as a number on the line starting at byte
// `line_start` of the file at path, is not wholly one ("O.086", "0,009"):
// the finding quotes the word and the value the reader takes instead.
void report_non_number(ReaderState &state, const std::string &path, long long line_start, std::string_view word);
