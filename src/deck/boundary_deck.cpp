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
#include "core/findings.h"
#include "core/line_search.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"
#include "geometry/liner.h"

namespace {

// How the deck's main loop ended.
enum class DeckEnd { file_end, repeated_line, long_line };

// Where the main loop stands while the deck is read.
struct DeckCursor {
    CaseFile deck;
    char line[line_buffer_size] = "";  // the current line
    int region = -1;                   // current region number, -1 before the first block
    int region_count = 0;              // regions announced by the deck's header
    // Where lines start in the deck, for the findings: the current line (as
    // last read from the deck), the region count line and the line that first
    // made the deck an engine deck (-1: none).
    long long line_start = 0;
    long long count_line = -1;
    long long engine_line = -1;
    // Where a rotation last sent the deck back, to read its value line again.
    long long reread_from = -1;
    // The MOVING lines with a motion that an engine deck does not read. They
    // are reported once the deck is read, when every region's engine role is
    // known.
    struct UnreadMotion {
        long long start;
        int region;
        std::string text;
    };
    std::vector<UnreadMotion> unread_motions;
};

// The motion keywords of a MOVING line (or of the line a motion step stands on).
bool names_rotation(std::string_view line)
{
    return contains(line, " RO") || contains(line, "Rotat") || contains(line, "rotat");
}

bool names_translation(std::string_view line)
{
    return contains(line, " TR") || contains(line, "Trans") || contains(line, "trans");
}

bool names_arbitrary_motion(std::string_view line)
{
    return contains(line, " AR") || contains(line, "Arbit") || contains(line, "arbit");
}

bool names_motion(std::string_view line)
{
    return contains(line, " RT") || names_rotation(line) || names_translation(line) || names_arbitrary_motion(line);
}

// Reads the next deck line into the current line.
int read_deck_line(DeckCursor &c)
{
    c.line_start = case_file_tell(c.deck);
    return read_next_line(c.deck, c.line);
}

// The current line sets engine mode.
void set_engine_mode(ReaderState &state, DeckCursor &c)
{
    if (state.engine_mode == 0)
        c.engine_line = c.line_start;
    state.engine_mode = 1;
}

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

// A line beginning with "r" after a MOVING line is skipped; when it holds
// numbers where a value line does, the author most likely meant it as the
// value line.
// `skipped` starts at `skipped_start`; `taken` is the line read in its place.
void check_skipped_line(ReaderState &state, const std::string &skipped, long long skipped_start, const char *taken)
{
    if (!starts_with_number(word_at(skipped, 2, false)))
        return;
    add_finding(state, Severity::error, "deck-value-line-r", state.dataset_files[boundary_file_slot], skipped_start,
                "The line " + quote_line(skipped) +
                    " follows a MOVING line and begins with \"r\", so the reader skips it as a remark and reads "
                    "the motion's values from the line after it, " + quote_line(taken) + ".",
                "Begin the value line with a word that does not start with \"r\" (for example \"val" +
                    skipped.substr(skipped.find(' ') == std::string::npos ? skipped.size() : skipped.find(' ')) +
                    "\"); a remark line starting with \"r\" may stand between the MOVING line and the values.");
}

// Reads a motion's value line into the current line: the line after the one
// being examined, or the one after that when the first begins with "r".
// Returns the deck position at which the value line starts.
long long read_value_line(ReaderState &state, DeckCursor &c)
{
    long long start = case_file_tell(c.deck);
    read_deck_line(c);
    if (c.line[0] == 'r') {
        const std::string skipped = c.line;
        const long long skipped_start = c.line_start;
        start = case_file_tell(c.deck);
        read_deck_line(c);
        check_skipped_line(state, skipped, skipped_start, c.line);
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

// The motion record a MOVING line fills: its region's, or a scratch record
// when the deck has no record for the region (the line is then read past the
// same way but changes nothing).
struct MotionTarget {
    MotionRecord &motion;
    int region;
    bool recorded;
};

// Switches the target's motion on or off. A region with a record sets the
// case's rigid_motion_present to the same: the last such switch decides it.
void set_moving(ReaderState &state, MotionTarget &t, int on)
{
    t.motion.moving = on;
    if (t.recorded)
        state.rigid_motion_present = on;
}

// A motion read from a file (a motion profile or an arbitrary-motion file)
// that cannot be read switches the motion off again.
void read_motion_from_file(ReaderState &state, DeckCursor &c, MotionTarget &t,
                           int (*read_file)(ReaderState &, int, const std::string &))
{
    if (t.recorded && read_file(state, t.region, case_path(state, quoted_name(c.line))) == -1) {
        always_print(state, "Error reading motion file \n");
        set_moving(state, t, 0);
    }
}

// The value line of a rotation with translation (current line): velocity,
// centre, axis, degrees per second.
void read_rotation_translation(ReaderState &state, DeckCursor &c, MotionTarget &t)
{
    if (contains(c.line, "\""))
        return;
    read_values(c.line, t.motion.rotation_translation, Num_dims + 7);
    t.motion.has_rotation_translation = true;
    set_moving(state, t, 1);
    keep_first_word(c.line);
}

// The value line of a rotation (current line): centre, axis, degrees per second.
void read_rotation(ReaderState &state, DeckCursor &c, MotionTarget &t)
{
    if (contains(c.line, "\""))
        return;
    read_values(c.line, t.motion.rotation, 7);
    t.motion.has_rotation = true;
    set_moving(state, t, 1);
    keep_first_word(c.line);
}

// A translation: a velocity on the value line, a "$" that marks the region
// as the piston, or a motion profile file named in quotes.
void read_translation(ReaderState &state, DeckCursor &c, MotionTarget &t)
{
    read_value_line(state, c);
    if (!contains(c.line, "\"") && !contains(c.line, "$")) {
        read_values(c.line, t.motion.translation_velocity, Num_dims);
        t.motion.has_translation_velocity = true;
        set_moving(state, t, 1);
        keep_first_word(c.line);
    } else if (contains(c.line, "$")) {
        set_engine_mode(state, c);
        if (t.recorded)
            state.part_table[static_cast<std::size_t>(t.region)].engine_role = EngineRole::piston;
    } else {
        // The translation comes step by step from the profile file.
        set_moving(state, t, 1);
        t.motion.has_translation_velocity = true;
        for (float &v : t.motion.translation_velocity)
            v = 0.0f;
        read_motion_from_file(state, c, t, read_motion_file);
    }
}

// An arbitrary motion: only from a file named in quotes on the value line.
void read_arbitrary_motion(ReaderState &state, DeckCursor &c, MotionTarget &t)
{
    set_moving(state, t, 1);
    read_value_line(state, c);
    if (contains(c.line, "\""))
        read_motion_from_file(state, c, t, read_ar_motion_file);
    else
        t.motion.moving = 0;
}

// A MOVING line of the current region. A rotation with translation is
// complete in itself; otherwise a rotation, a translation and an arbitrary
// motion are looked for in turn, each on the line the one before left
// current. After a rotation (with or without translation) the deck goes back
// to its value line, which and the lines after it are then read again as
// ordinary deck lines.
void read_motion(ReaderState &state, DeckCursor &c)
{
    MotionRecord scratch;
    const bool recorded = has_record(c);
    MotionTarget t{recorded ? state.motion_table[static_cast<std::size_t>(c.region)] : scratch, c.region, recorded};

    const std::string examined = c.line;
    long long return_to = -1;
    if (contains(examined, " RT")) {
        return_to = read_value_line(state, c);
        read_rotation_translation(state, c, t);
    } else {
        if (names_rotation(examined)) {
            return_to = read_value_line(state, c);
            read_rotation(state, c, t);
        }
        if (names_translation(c.line))
            read_translation(state, c, t);
        if (names_arbitrary_motion(c.line))
            read_arbitrary_motion(state, c, t);
    }
    if (return_to >= 0) {
        case_file_seek(c.deck, return_to);
        c.reread_from = return_to;
    }
}

// The current line names a file in double quotes: list it among the case's
// files, and make a point part of it when it is a spatial value file. Its
// first line (or the last line the spatial reader read) becomes the current
// line.
void enter_named_file(ReaderState &state, DeckCursor &c)
{
    std::string path = case_path(state, quoted_name(c.line));
    state.Num_extra_files += 1;
    const std::size_t slot = first_named_file_slot + static_cast<std::size_t>(state.Num_extra_files) - 1;
    while (state.dataset_files.size() <= slot + 1)
        state.dataset_files.resize(state.dataset_files.size() + 5);
    state.dataset_files[slot] = path;

    CaseFile file;
    if (!open_case_file(file, path)) {
        const std::string name = quoted_name(c.line);
        add_finding(state, Severity::error, "file-missing", state.dataset_files[boundary_file_slot], c.line_start,
                    "The file " + quote_line(name) + " named on the line " + quote_line(c.line) +
                        " cannot be opened in the case folder: what the reader would take from it (values, "
                        "motion or points) is missing.",
                    "Check the name's spelling and letter case against the file in the case folder (names "
                    "cannot hold blanks), or add the file.");
        return;
    }
    read_next_line(file, c.line);
    if (!is_spatial_first_line(c.line) || state.engine_mode != 0)
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
    read_deck_line(c);
    if (std::strlen(c.line) < 4)
        read_deck_line(c);
    c.count_line = c.line_start;
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
    read_deck_line(c);
    if (has_record(c))
        state.part_table[static_cast<std::size_t>(c.region)].name = region_name(c.line);
    read_deck_line(c);
}

// The MOVING lines of an engine deck that give a motion, which the reader
// does not read; each region's engine role decides whether it moves anyway.
// (A MOVING line with an engine mark and no motion keyword is how engine
// decks often mark the piston and the valves: it loses nothing.)
void report_unread_motions(ReaderState &state, const DeckCursor &c)
{
    const std::string &path = state.dataset_files[boundary_file_slot];
    const std::string engine_line = std::to_string(line_number_at(path, c.engine_line));
    for (const auto &[start, region, text] : c.unread_motions) {
        const PartRecord *part =
            region >= 0 && region < c.region_count ? &state.part_table[static_cast<std::size_t>(region)] : nullptr;
        const EngineRole role = part ? part->engine_role : EngineRole::none;
        const char *valve = role == EngineRole::intake_valve ? "intake" : "exhaust";
        std::string outcome;
        if (role == EngineRole::piston)
            outcome = "The region moves anyway: its \"$\" makes it the piston, which follows the crank.";
        else if (role != EngineRole::none)
            outcome = std::string("The region moves anyway: its \"") + valve + "_lift\" mark makes it the " + valve +
                      " valve, which moves by the lifts of " + valve + "_lift.in.";
        else if (part && is_liner_name(part->name))
            outcome = "The region has no engine role: as a liner it stretches with the piston when \"Moving "
                      "Liner\" is on, and otherwise stays where it is.";
        else
            outcome = "The region has no engine role, so it stays where it is.";
        add_finding(state, Severity::warning, "deck-moving-ignored", path, start,
                    "The line " + quote_line(text) + " is not read: from line " + engine_line +
                        " on (its \"$\" marks the piston) the deck is an engine deck, and an engine deck reads no "
                        "motion from MOVING lines. " + outcome,
                    role != EngineRole::none
                        ? "Leave the motion out of the MOVING line (\"MOVING\" with the region's engine mark is "
                          "enough), or remove the line: the engine moves this region."
                        : "In an engine case only the piston, the valves and the liner move. To move this region, "
                          "make the case an engine-free case (no \"$\" in boundary.in); otherwise remove the MOVING "
                          "line.");
    }
}

// A "[" on a line that is not a pressure line.
void report_stray_bracket(ReaderState &state, const DeckCursor &c)
{
    add_finding(state, Severity::warning, "deck-stray-bracket", state.dataset_files[boundary_file_slot], c.line_start,
                "The line " + quote_line(c.line) +
                    " holds \"[\", and any \"[\" in boundary.in tells the reader that the case gives total "
                    "pressures: every part gets a \"Total_Pressure\" variable (0 where no region gives one).",
                "Brackets belong only around a total pressure on a pressure line, such as \"pressure = "
                "[101325]\". Write remarks with round brackets.");
}

// The region blocks that follow in the deck (by the reader's rule for a
// block start and its name line), numbered from `first` (1-based) up to the
// deck's region count, as a list of numbers and names. `more` tells whether
// any line that is not empty follows.
std::string following_regions(DeckCursor &c, int first, bool &more)
{
    std::string names;
    more = false;
    int number = first;
    while (read_next_line(c.deck, c.line) == 1 && number <= c.region_count) {
        more = more || c.line[0] != '\0';
        if (!starts_region(c.line))
            continue;
        read_next_line(c.deck, c.line);
        if (number - first < 6)
            names += std::string(number > first ? ", " : "") + std::to_string(number) + " " +
                     quote_line(region_name(c.line));
        else if (number - first == 6)
            names += ", ...";
        ++number;
    }
    return names;
}

// Findings about how the deck's main loop ended (`end`): at two equal lines,
// at a line too long to read, or at the end of the file, where the region
// blocks read are compared with the count line.
void report_deck_end(ReaderState &state, DeckCursor &c, DeckEnd end)
{
    const std::string &path = state.dataset_files[boundary_file_slot];
    const int blocks_read = c.region + 1;
    const long long stop_line = c.line_start;
    const std::string stop_text = c.line;
    std::string lost;
    bool more = false;
    if (end != DeckEnd::file_end) {
        // The look at the rest of the deck is not part of the reading.
        const CaseFile::Marks met = c.deck.marks;
        lost = following_regions(c, blocks_read + 1, more);
        c.deck.marks = met;
    }
    const std::string lost_text = lost.empty() ? "" : " These regions are lost: " + lost + ".";
    report_line_shapes(state, c.deck, path,
                       end == DeckEnd::long_line
                           ? "the reader takes it as the end of the deck: this line and every line after it are "
                             "not read." + lost_text
                           : "the reader does not see it and takes the line before it again in its place.");
    if (end == DeckEnd::repeated_line && more) {
        const std::string current =
            has_record(c) ? " of region " + std::to_string(c.region + 1) + " " +
                                quote_line(state.part_table[static_cast<std::size_t>(c.region)].name)
                          : "";
        // A rotation's value line is read again after the motion; when the
        // motion left it as the current line, the second reading repeats it.
        const bool read_twice = stop_line == c.reread_from;
        add_finding(state, Severity::error, "deck-repeated-line", path, stop_line,
                    (read_twice ? "The line " + quote_line(stop_text) +
                                      " is read twice, as the value line of the motion above it and then as an "
                                      "ordinary deck line, and the reader takes a line equal to the one read just "
                                      "before it as the end of the deck"
                     : stop_text.empty()
                         ? std::string("This empty line follows another empty line, and the reader takes two "
                                       "equal lines in a row as the end of the deck")
                         : "The line " + quote_line(stop_text) +
                               " is the same as the line before it, and the reader takes two equal lines in a "
                               "row as the end of the deck") +
                        ": nothing after it is read (the rest of the block" + current + ")." + lost_text,
                    read_twice ? "Write the motion's numbers on its value line, after two leading words: a value "
                                 "line that names a file in quotes (or holds a single word) gives a rotation "
                                 "nothing and ends the deck here."
                               : "Delete one of the two lines, or make them differ (for example, give the second "
                                 "separator line one dash more).");
    }
    if (end != DeckEnd::file_end)
        return;
    if (blocks_read > c.region_count)
        add_finding(state, Severity::error, "deck-region-count", path, c.count_line,
                    "The count line says " + counted(c.region_count, "region") + ", but the deck has " +
                        counted(blocks_read, "region block") + ": the blocks after the first " +
                        std::to_string(c.region_count) +
                        " get no part, their motions and values are dropped, and triangles with their region "
                        "numbers belong to no part.",
                    "Write " + std::to_string(blocks_read) + " as the first word of the count line.");
    else if (blocks_read < c.region_count)
        add_finding(state, Severity::warning, "deck-region-count", path, c.count_line,
                    "The count line says " + counted(c.region_count, "region") + ", but the deck has " +
                        counted(blocks_read, "region block") + ": parts " + std::to_string(blocks_read + 1) +
                        " to " + std::to_string(c.region_count) + " have no name, no motion and no values.",
                    "Write " + std::to_string(blocks_read) +
                        " as the first word of the count line, or add the missing region blocks.");
}

// Keeps the first listing of every named file, in order, without gaps.
void remove_repeated_files(ReaderState &state)
{
    std::size_t first = first_named_file_slot;
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

bool starts_region(std::string_view line)
{
    return line.size() >= 2 && line[1] == '-';
}

std::string region_name(std::string_view name_line)
{
    const std::size_t blank = name_line.find(' ');
    if (blank == std::string_view::npos)
        return std::string();
    std::string_view name = name_line.substr(blank + 1);
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::string();
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    return bounded(name, name_limit);
}

int read_boundary_deck(ReaderState &state)
{
    if (state.dataset_files.size() <= first_named_file_slot)
        state.dataset_files.resize(first_named_file_slot + 1);
    const std::string path = state.dataset_files[boundary_file_slot];
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
    DeckEnd end = DeckEnd::file_end;
    for (;;) {
        std::string before = c.line;
        if (read_deck_line(c) != 1) {
            if (c.deck.marks.long_line == c.line_start)
                end = DeckEnd::long_line;
            break;
        }
        if (before == c.line) {
            end = DeckEnd::repeated_line;
            break;
        }
        if (starts_region(c.line))
            start_region(state, c);

        if (contains(c.line, "$")) {
            set_engine_mode(state, c);
            if (has_record(c))
                state.part_table[static_cast<std::size_t>(c.region)].engine_role = EngineRole::piston;
        }
        if (contains(c.line, "intake_lift") && has_record(c))
            state.part_table[static_cast<std::size_t>(c.region)].engine_role = EngineRole::intake_valve;
        if (contains(c.line, "exhaust_lift") && has_record(c))
            state.part_table[static_cast<std::size_t>(c.region)].engine_role = EngineRole::exhaust_valve;
        if (state.engine_mode == 0 && contains(c.line, "MOVING"))
            read_motion(state, c);
        else if (contains(c.line, "MOVING") && names_motion(c.line))
            c.unread_motions.push_back({c.line_start, c.region, c.line});
        if (contains(c.line, "[")) {
            if (c.line[0] != 'p')
                report_stray_bracket(state, c);
            state.bracket_seen = 1;
        }
        if (contains(c.line, "\""))
            enter_named_file(state, c);
    }

    report_deck_end(state, c, end);
    report_unread_motions(state, c);
    close_case_file(c.deck);
    remove_repeated_files(state);
    return 1;
}
