// boundary.in: the boundary regions in deck order, their engine roles and
// motions, and the files the deck names (motion profiles, arbitrary-motion
// files, boundary value files; a value file that starts with "SPATIAL"
// becomes a point part).
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/line_search.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"

namespace {

// Where the main loop stands while the deck is read.
struct DeckCursor {
    CaseFile deck;
    char line[line_buffer_size] = "";  // the current line
    int region = -1;                   // current region number, -1 before the first block
    int region_count = 0;              // regions announced by the deck's header
};

bool has_record(const DeckCursor &c)
{
    return c.region >= 0 && c.region < c.region_count;
}

void set_line(char *line, std::string_view text)
{
    std::size_t n = text.size() < line_buffer_size - 1 ? text.size() : line_buffer_size - 1;
    std::memmove(line, text.data(), n);
    line[n] = '\0';
}

// Reads a motion's value line into the current line: the line after the one
// being examined, or the one after that when the first begins with "r".
// Returns the deck position at which the value line starts.
long long read_value_line(DeckCursor &c)
{
    long long start = case_file_tell(c.deck);
    read_next_line(c.deck, c.line);
    if (c.line[0] == 'r') {
        start = case_file_tell(c.deck);
        read_next_line(c.deck, c.line);
    }
    return start;
}

// The numbers that follow a value line's two leading words; missing or
// unreadable words give 0.
void read_values(const char *line, float *values, int count)
{
    std::vector<std::string_view> words = split_words(line, false);
    for (int k = 0; k < count; ++k) {
        std::size_t w = static_cast<std::size_t>(k) + 2;
        values[k] = w < words.size() ? parse_float(words[w]) : 0.0f;
    }
}

// After a value line's numbers were read, the current line is its first word.
void keep_first_word(char *line)
{
    std::string first(word_at(line, 0, false));
    set_line(line, first);
}

// A MOVING line of the current region. A motion for which the deck has no
// region record is read past the same way but changes nothing.
void read_motion(ReaderState &state, DeckCursor &c)
{
    MotionRecord scratch;
    bool recorded = has_record(c);
    MotionRecord &motion = recorded ? state.motion_table[static_cast<std::size_t>(c.region)] : scratch;
    auto set_moving = [&](int on) {
        motion.moving = on;
        if (recorded)
            state.rigid_motion_present = on;
    };

    const std::string examined = c.line;
    if (contains(examined, " RT")) {
        // A rotation with translation is complete in itself: its value line
        // is not examined for a translation or an arbitrary motion.
        long long return_to = read_value_line(c);
        if (!contains(c.line, "\"")) {
            read_values(c.line, motion.rotation_translation, Num_dims + 7);
            motion.has_rotation_translation = true;
            set_moving(1);
            keep_first_word(c.line);
        }
        case_file_seek(c.deck, return_to);
        return;
    }
    long long return_to = -1;
    if (contains(examined, " RO") || contains(examined, "Rotat") || contains(examined, "rotat")) {
        return_to = read_value_line(c);
        if (!contains(c.line, "\"")) {
            read_values(c.line, motion.rotation, 7);
            motion.has_rotation = true;
            set_moving(1);
            keep_first_word(c.line);
        }
    }

    if (contains(c.line, " TR") || contains(c.line, "Trans") || contains(c.line, "trans")) {
        read_value_line(c);
        if (!contains(c.line, "\"") && !contains(c.line, "$")) {
            read_values(c.line, motion.translation_velocity, Num_dims);
            motion.has_translation_velocity = true;
            set_moving(1);
            keep_first_word(c.line);
        } else if (contains(c.line, "$")) {
            state.engine_mode = 1;
            if (recorded)
                state.part_table[static_cast<std::size_t>(c.region)].engine_role = 0;
        } else {
            // The translation comes step by step from a motion profile file.
            set_moving(1);
            motion.has_translation_velocity = true;
            for (float &v : motion.translation_velocity)
                v = 0.0f;
            if (recorded && read_motion_file(state, c.region, case_path(state, quoted_name(c.line))) == -1) {
                always_print(state, "Error reading motion file \n");
                set_moving(0);
            }
        }
    }

    if (contains(c.line, " AR") || contains(c.line, "Arbit") || contains(c.line, "arbit")) {
        set_moving(1);
        read_value_line(c);
        if (contains(c.line, "\"")) {
            if (recorded && read_ar_motion_file(state, c.region, case_path(state, quoted_name(c.line))) == -1) {
                always_print(state, "Error reading motion file \n");
                set_moving(0);
            }
        } else {
            motion.moving = 0;
        }
    }

    // The rotation's value line and the lines after it are read again as
    // ordinary deck lines.
    if (return_to >= 0)
        case_file_seek(c.deck, return_to);
}

// The current line names a file in double quotes: list it among the case's
// files, and make a point part of it when it is a spatial value file. Its
// first line (or the last line the spatial reader read) becomes the current
// line.
void enter_named_file(ReaderState &state, DeckCursor &c)
{
    std::string path = case_path(state, quoted_name(c.line));
    state.Num_extra_files += 1;
    std::size_t slot = 3 + static_cast<std::size_t>(state.Num_extra_files);
    while (state.dataset_files.size() < static_cast<std::size_t>(state.Num_extra_files) + 5)
        state.dataset_files.resize(state.dataset_files.size() + 5);
    state.dataset_files[slot] = path;

    CaseFile file;
    if (!open_case_file(file, path))
        return;
    read_next_line(file, c.line);
    if (std::strcmp(c.line, "SPATIAL") != 0 || state.engine_mode != 0)
        return;

    std::string region_name = has_record(c) ? state.part_table[static_cast<std::size_t>(c.region)].name : "";
    PartRecord points;
    points.name = bounded(region_name + "_Points", name_limit);
    points.point_file = path;
    state.part_table.push_back(std::move(points));
    state.motion_table.emplace_back();
    state.Num_point_parts += 1;
    state.Numparts_available += 1;

    // A spatial file whose data cannot be held is passed over as if it were
    // missing: no point part, and the time line as it was.
    int saved_steps = state.Num_time_steps;
    std::vector<float> saved_times = state.time_values;
    if (read_spatial_file(state, file, c.line, state.Numparts_available - 1) == -1) {
        state.part_table.pop_back();
        state.motion_table.pop_back();
        state.Num_point_parts -= 1;
        state.Numparts_available -= 1;
        state.Num_time_steps = saved_steps;
        state.time_values = std::move(saved_times);
    }
}

// Reads the header up to the region count and makes the part and motion
// tables. False when the count cannot be believed or the tables cannot be made.
bool read_header(ReaderState &state, DeckCursor &c, const std::string &path)
{
    skip_header(c.deck, c.line);
    read_next_line(c.deck, c.line);
    if (std::strlen(c.line) < 4)
        read_next_line(c.deck, c.line);
    int count = parse_int(word_at(c.line, 0, false));

    // Every region takes at least one byte of the deck, so a count beyond
    // the deck's size is no region count.
    if (count < 0 || static_cast<long long>(count) > case_file_size(c.deck)) {
        always_print(state, "Cannot allocate the part table for %d regions of %s\n", count, path.c_str());
        return false;
    }
    const bool made = allocated(
        [&] {
            state.part_table.assign(static_cast<std::size_t>(count), PartRecord());
            state.motion_table.assign(static_cast<std::size_t>(count), MotionRecord());
        },
        [&] {
            state.part_table.clear();
            state.motion_table.clear();
            always_print(state, "Cannot allocate the part table for %d regions of %s\n", count, path.c_str());
        });
    if (!made)
        return false;
    c.region_count = count;
    state.Numparts_available = count;
    return true;
}

// A region block begins: the name line follows, then the first body line.
void start_region(ReaderState &state, DeckCursor &c)
{
    c.region += 1;
    read_next_line(c.deck, c.line);
    if (has_record(c)) {
        std::string_view text = c.line;
        std::size_t blank = text.find(' ');
        std::string_view name;
        if (blank != std::string_view::npos) {
            name = text.substr(blank + 1);
            while (!name.empty() && name.front() == ' ')
                name.remove_prefix(1);
            while (!name.empty() && name.back() == ' ')
                name.remove_suffix(1);
        }
        state.part_table[static_cast<std::size_t>(c.region)].name = bounded(name, name_limit);
    }
    read_next_line(c.deck, c.line);
}

// Keeps the first listing of every named file, in order, without gaps.
void remove_repeated_files(ReaderState &state)
{
    std::size_t first = 4;
    std::size_t end = first + static_cast<std::size_t>(state.Num_extra_files);
    if (end > state.dataset_files.size())
        end = state.dataset_files.size();
    std::unordered_set<std::string> seen;
    std::size_t kept = first;
    for (std::size_t i = first; i < end; ++i) {
        if (seen.insert(state.dataset_files[i]).second) {
            if (kept != i)
                state.dataset_files[kept] = state.dataset_files[i];
            ++kept;
        }
    }
    for (std::size_t i = kept; i < end; ++i)
        state.dataset_files[i].clear();
    state.Num_extra_files = static_cast<int>(kept - first);
}

}  // namespace

int read_boundary_deck(ReaderState &state)
{
    if (state.dataset_files.size() < 5)
        state.dataset_files.resize(5);
    const std::string path = state.dataset_files[3];
    debug_print(state, "reading --> %s\n", path.c_str());
    DeckCursor c;
    if (!open_case_file(c.deck, path)) {
        always_print(state, "Error opening file %s\n", path.c_str());
        return -1;
    }
    if (!read_header(state, c, path))
        return -1;

    // Each pass reads at least one new deck line (a motion returns the deck
    // at most to the line after the one examined), so the loop ends with the
    // deck.
    for (;;) {
        std::string before = c.line;
        if (read_next_line(c.deck, c.line) != 1 || before == c.line)
            break;
        if (c.line[0] != '\0' && c.line[1] == '-')
            start_region(state, c);

        if (contains(c.line, "$")) {
            state.engine_mode = 1;
            if (has_record(c))
                state.part_table[static_cast<std::size_t>(c.region)].engine_role = 0;
        }
        if (contains(c.line, "intake_lift") && has_record(c))
            state.part_table[static_cast<std::size_t>(c.region)].engine_role = 1;
        if (contains(c.line, "exhaust_lift") && has_record(c))
            state.part_table[static_cast<std::size_t>(c.region)].engine_role = 2;
        if (state.engine_mode == 0 && contains(c.line, "MOVING"))
            read_motion(state, c);
        if (contains(c.line, "["))
            state.bracket_seen = 1;
        if (contains(c.line, "\""))
            enter_named_file(state, c);
    }

    close_case_file(c.deck);
    remove_repeated_files(state);
    return 1;
}
