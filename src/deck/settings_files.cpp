// inputs.in and engine.in: the surface file name, the run's unit, start and
// end, and the engine's dimensions and speed.
#include <cstring>
#include <string_view>

#include "core/diagnostics.h"
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

}  // namespace

int read_inputs_file(ReaderState &state)
{
    const std::string &path = state.dataset_files[1];
    debug_print(state, "reading --> %s\n", path.c_str());
    CaseFile file;
    if (!open_case_file(file, path)) {
        always_print(state, "Error opening file %s\n", path.c_str());
        return -1;
    }
    char line[line_buffer_size] = "";
    for (int i = 0; i < 5; ++i) {
        read_next_line(file, line);
        if (contains(line, ".dat")) {
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
    return 1;
}

int read_engine_file(ReaderState &state)
{
    const std::string &path = state.dataset_files[2];
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
    for (const Key &key : keys) {
        for (;;) {
            if (!read_line_or_end(file, line))
                return -1;  // the key is missing: what was found is kept
            if (std::strlen(line) < 4 && !read_line_or_end(file, line))
                return -1;
            std::vector<std::string_view> words = split_words(line, false);
            if (words.size() >= 2 && words[1] == key.word) {
                *key.value = parse_float(words[0]);
                break;
            }
        }
    }
    return 1;
}
