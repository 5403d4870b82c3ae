// inputs.in and engine.in: the surface file name, the run's unit, start and
// end, and the engine's dimensions and speed.
#include <cstring>
#include <string_view>

#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/line_search.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"

namespace {

std::string_view first_word(const char *line)
{
    return word_at(line, 0, false);
}

// The first word of the next line as a number; 0 when the file has ended.
float next_line_value(CaseFile &file, char *line)
{
    if (!read_line_or_end(file, line))
        return 0.0f;
    return parse_float(first_word(line));
}

// The next line of engine.in that may hold a key: a line shorter than 4
// characters is passed over once. `start` is where the line taken starts.
// False once the file has ended.
bool next_key_line(CaseFile &file, char *line, long long &start)
{
    start = case_file_tell(file);
    if (!read_line_or_end(file, line))
        return false;
    if (std::strlen(line) < 4) {
        start = case_file_tell(file);
        if (!read_line_or_end(file, line))
            return false;
    }
    return true;
}

// The key word of an engine.in key line: its second word (empty when none).
std::string_view key_word(const char *line)
{
    return word_at(line, 1, false);
}

// The same letters in any case, a carriage return at the end not counted.
bool same_key_any_case(std::string_view word, std::string_view key)
{
    if (!word.empty() && word.back() == '\r')
        word.remove_suffix(1);
    if (word.size() != key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        char a = word[i] >= 'A' && word[i] <= 'Z' ? static_cast<char>(word[i] - 'A' + 'a') : word[i];
        if (a != key[i])
            return false;
    }
    return true;
}

const char *const engine_keys[] = {"bore", "stroke", "conrod", "rpm"};
const char engine_key_layout[] =
    "Write the four key lines after the header, each as a value and then its key in lower case, in the "
    "order \"0.080 bore\", \"0.088 stroke\", \"0.140 conrod\", \"1500 rpm\".";

// engine.in ended while key `missing` (an index of engine_keys) was looked
// for from `search_start` on: looks through the key lines once more, with
// the reader's own header skip and key-line rule, for where the author put it.
void report_missing_engine_key(ReaderState &state, const std::string &path, int missing, long long search_start)
{
    const std::string key = engine_keys[missing];
    std::string unread = "So \"" + key + "\"";
    for (int k = missing + 1; k < 4; ++k)
        unread += std::string(k + 1 < 4 ? ", \"" : " and \"") + engine_keys[k] + "\"";
    const std::string effect = (missing + 1 < 4 ? " are not read (they stay 0)" : " is not read (it stays 0)") +
                               std::string(", and engine.in counts as unread: an engine case offers no engine "
                                           "constants.");
    CaseFile file;
    if (!open_case_file(file, path))
        return;
    char line[line_buffer_size] = "";
    skip_header(file, line);
    long long start = 0;
    while (next_key_line(file, line, start)) {
        std::string_view word = key_word(line);
        if (word == key && start < search_start) {
            add_finding(state, Severity::error, "engine-key-order", path, start,
                        "The line " + quote_line(line) + " gives \"" + key + "\" before the key looked for ahead " +
                            "of it, and the reader finds the keys only in the order bore, stroke, conrod, rpm: it " +
                            "passed this line over. " + unread + effect,
                        engine_key_layout);
            return;
        }
        if (word != key && same_key_any_case(word, key)) {
            add_finding(state, Severity::error, "engine-key-case", path, start,
                        "The line " + quote_line(line) + " is meant to give \"" + key +
                            "\", but the reader compares keys letter for letter (lower case, nothing after " +
                            "them) and does not take it. " + unread + effect,
                        "Write the key as \"" + key + "\": lower case" +
                            (word.back() == '\r' ? ", and save engine.in with plain line-feed line ends." : "."));
            return;
        }
    }
    add_finding(state, Severity::error, "engine-key-missing", path, -1,
                "No key line gives \"" + key + "\" (a value, then the word \"" + key +
                    "\", after the header that ends with a \"#\" line). " + unread + effect,
                engine_key_layout);
}

}  // namespace

// Findings about inputs.in, once it was read: the surface file name found on
// the line starting at `name_line` (-1: none in the first five lines), and
// whether a "crank_flag" line followed the name's search.
void check_inputs_file(ReaderState &state, const std::string &path, long long name_line, bool crank_flag_found)
{
    if (name_line < 0) {
        // Where the author put the name, by the reader's own rule for the name line.
        CaseFile file;
        char line[line_buffer_size] = "";
        long long start = 0;
        bool later = false;
        if (open_case_file(file, path)) {
            for (start = case_file_tell(file); read_line_or_end(file, line); start = case_file_tell(file)) {
                if (contains(line, ".dat")) {
                    later = true;
                    break;
                }
            }
        }
        add_finding(state, Severity::error, "inputs-surface-name-late", path, later ? start : -1,
                    later ? "The line " + quote_line(line) +
                                " names the surface file, but the reader looks for the name (the first word of a "
                                "line holding \".dat\") in the first five lines only: the case has no surface "
                                "file and no triangles."
                          : std::string("None of the first five lines holds \".dat\", so the case has no surface "
                                        "file and no triangles."),
                    "Put the surface file name (ending in \".dat\") as the first word of one of the first five "
                    "lines, for example line 2: surface.dat   surface triangulation");
    } else if (!file_can_be_opened(case_path(state, state.surface_file_name))) {
        const std::string &name = state.surface_file_name;
        add_finding(state, Severity::error, "file-missing", path, name_line,
                    "The surface file " + quote_line(name) +
                        " named here cannot be opened in the case folder: the case has no triangles.",
                    !name.empty() && name.back() == '\r'
                        ? "The name ends with a carriage return: save inputs.in with plain line-feed line ends."
                        : "Check the name's spelling and letter case against the file in the case folder.");
    }
    if (!crank_flag_found)
        add_finding(state, Severity::error, "inputs-crank-flag-missing", path, -1,
                    std::string(name_line < 0 ? "No line after line 5" : "No line after the surface file name") +
                        " holds \"crank_flag\", so crank_flag, the start and the end of the run stay 0: the "
                        "run is taken in seconds, from 0 to 0.",
                    "After the surface file name, write a line \"1 crank_flag\" (crank-angle degrees) or \"0 "
                    "crank_flag\" (seconds), then the start of the run on the next line and its end on the line "
                    "after.");
}

int read_inputs_file(ReaderState &state)
{
    const std::string &path = state.dataset_files[inputs_file_slot];
    debug_print(state, "reading --> %s\n", path.c_str());
    CaseFile file;
    if (!open_case_file(file, path)) {
        always_print(state, "Error opening file %s\n", path.c_str());
        return -1;
    }
    char line[line_buffer_size] = "";
    long long name_line = -1;
    for (int i = 0; i < 5; ++i) {
        const long long start = case_file_tell(file);
        read_next_line(file, line);
        if (contains(line, ".dat")) {
            name_line = start;
            std::string_view name = first_word(line);
            while (!name.empty() && name.front() == '"')
                name.remove_prefix(1);
            while (!name.empty() && name.back() == '"')
                name.remove_suffix(1);
            state.surface_file_name = bounded(name, path_limit);
            break;
        }
    }
    bool found = false;
    while (read_line_or_end(file, line)) {
        if (contains(line, "crank_flag")) {
            found = true;
            break;
        }
    }
    if (found) {
        state.crank_flag = parse_int(first_word(line));
        state.engine_params.start = next_line_value(file, line);
        state.engine_params.end = next_line_value(file, line);
    }
    report_line_shapes(state, file, path,
                       "the reader does not see it and takes the line before it again in its place, so what "
                       "this line holds (the surface file name, crank_flag, the start or the end) is not read.");
    check_inputs_file(state, path, name_line, found);
    return 1;
}

int read_engine_file(ReaderState &state)
{
    const std::string &path = state.dataset_files[engine_file_slot];
    debug_print(state, "reading --> %s\n", path.c_str());
    CaseFile file;
    if (!open_case_file(file, path))
        return -1;
    char line[line_buffer_size] = "";
    skip_header(file, line);
    struct Key {
        const char *word;
        float *value;
    };
    EngineParams &p = state.engine_params;
    const Key keys[] = {{"bore", &p.bore}, {"stroke", &p.stroke}, {"conrod", &p.conrod}, {"rpm", &p.rpm}};
    const char *const effect = "the reader does not see it and takes the line before it again in its place, so "
                               "a key on this line is not found.";
    int index = 0;
    for (const Key &key : keys) {
        const long long search_start = case_file_tell(file);
        long long start = 0;
        for (;;) {
            if (!next_key_line(file, line, start)) {
                // The key is missing: what was found is kept.
                report_line_shapes(state, file, path, effect);
                report_missing_engine_key(state, path, index, search_start);
                return -1;
            }
            if (key_word(line) == key.word) {
                *key.value = parse_float(first_word(line));
                report_non_number(state, path, start, first_word(line));
                break;
            }
        }
        ++index;
    }
    report_line_shapes(state, file, path, effect);
    return 1;
}
