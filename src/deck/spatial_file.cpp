// Spatial value files: for a series of times, the position and the value of
// a cloud of points. The whole file is kept in the point part's point_data,
// and its times become the case's time line.
//
// Layout of PartRecord::point_data, as read_nodal_info reads it: blocks of
// point_capacity points each, each point four floats x, y, z, value; the
// first point_blocks blocks are those the file filled, the rest is room to
// grow. Point p of block b starts at index ((b * point_capacity) + p) * 4.
// Points and blocks that the file does not fill are zero.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/line_search.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"

namespace {

constexpr std::size_t first_blocks = 10;
constexpr std::size_t first_points = 100;
constexpr std::size_t blocks_step = 10;
constexpr std::size_t points_step = 100;
// Lines searched for block 0's time line.
constexpr int time_line_search = 10;

struct PointStore {
    PartRecord &part;
    std::size_t blocks = 0;    // blocks held
    std::size_t capacity = 0;  // points per block
    std::size_t file_size = 0;
};

bool is_short(const char *line)
{
    return std::strlen(line) < 4;
}

float first_value(const char *line)
{
    return parse_float(word_at(line, 0, true));
}

// Reads the next line, and past at most two lines shorter than 4 characters.
// False when the file ended on the way; the line then stays as it was. A line
// too long to be delivered gives the previous line again.
bool next_line_past_short(CaseFile &file, char *line)
{
    bool read = read_line_or_end(file, line);
    for (int i = 0; i < 2 && read && is_short(line); ++i)
        read = read_line_or_end(file, line);
    return read;
}

bool is_column_header(const char *line)
{
    return contains(line, "x") && contains(line, "y");
}

// The four values of a row: x, y, z, value; missing words read 0.
void row_values(const char *line, float *p)
{
    std::vector<std::string_view> words = split_words(line, true);
    for (std::size_t k = 0; k < 4; ++k)
        p[k] = k < words.size() ? parse_float(words[k]) : 0.0f;
}

// Room for `blocks` blocks, the blocks held so far kept in place (blocks
// follow each other, so growing adds room at the end). False when the
// file's size does not justify that much memory or it cannot be had. A file
// whose blocks are full takes at least 5 bytes per point and block, so it
// always gets its room; beyond that only the spare room of each block and
// the blocks kept ahead are allowed for.
bool hold_blocks(ReaderState &state, PointStore &s, std::size_t blocks)
{
    std::size_t justified = 4 * s.file_size + 110 * blocks + 10 * s.capacity + 1000;
    if (blocks > justified / s.capacity)
        return false;
    // The caller reports a failure (cannot_hold).
    const bool made = allocated(
        [&] {
            s.part.point_data.resize(blocks * s.capacity * 4, 0.0f);
            if (state.time_values.size() < blocks)
                state.time_values.resize(blocks, 0.0f);
        },
        [] {});
    if (!made)
        return false;
    s.blocks = blocks;
    s.part.point_capacity = static_cast<int>(s.capacity);
    return true;
}

int cannot_hold(ReaderState &state, const PartRecord &part)
{
    always_print(state, "Cannot allocate the point data of %s\n", part.point_file.c_str());
    return -1;
}

}  // namespace

int read_spatial_file(ReaderState &state, CaseFile &file, char *line, int part)
{
    if (part < 0 || static_cast<std::size_t>(part) >= state.part_table.size())
        return -1;
    PartRecord &record = state.part_table[static_cast<std::size_t>(part)];
    PointStore s{record};
    s.file_size = static_cast<std::size_t>(case_file_size(file));
    s.capacity = first_points;
    record.point_data.clear();
    record.point_blocks = 0;
    state.time_values.assign(first_blocks, 0.0f);

    // Block 0: its time line within the first 10 lines, then its rows after
    // the column header. The rows are gathered first and laid out once, in
    // blocks whose room grows by 100 points whenever a row comes within 5
    // points of filling it.
    const bool time_found = find_unit_line(file, line, time_line_search);
    if (time_found) {
        state.time_values[0] = first_value(line);
        next_line_past_short(file, line);
    }
    std::vector<float> first_rows;
    std::size_t points = 0;
    if (is_column_header(line) && next_line_past_short(file, line)) {
        while (!is_short(line)) {
            if (points + 5 > s.capacity)
                s.capacity += points_step;
            first_rows.resize(first_rows.size() + 4);
            row_values(line, &first_rows[points * 4]);
            ++points;
            if (!read_line_or_end(file, line))
                break;
        }
    }
    if (!hold_blocks(state, s, first_blocks))
        return cannot_hold(state, record);
    std::copy(first_rows.begin(), first_rows.end(), record.point_data.begin());
    record.point_blocks = 1;

    // Further blocks: a time line, an optional column header, and up to as
    // many rows as block 0 has points. Each block reads at least one line.
    // Within a block a line that is not delivered (the end of the file, or a
    // line too long) leaves the previous line standing, and the block's
    // remaining rows take it again.
    std::size_t times = time_found ? 1 : 0;
    for (std::size_t b = 1;; ++b) {
        std::string ended_previous = line;
        if (read_next_line(file, line) != 1 || ended_previous == line)
            break;
        if (b >= s.blocks && !hold_blocks(state, s, s.blocks + blocks_step))
            return cannot_hold(state, record);
        std::size_t time_slot = time_found ? b : b - 1;
        state.time_values[time_slot] = first_value(line);
        times = time_slot + 1;
        record.point_blocks = static_cast<int>(b) + 1;
        next_line_past_short(file, line);
        if (is_column_header(line))
            next_line_past_short(file, line);
        for (std::size_t p = 0; p < points && !is_short(line); ++p) {
            row_values(line, &record.point_data[(b * s.capacity + p) * 4]);
            read_next_line(file, line);
        }
    }

    record.number_of_nodes = static_cast<int>(points);
    state.Num_time_steps = static_cast<int>(times);
    return 1;
}
