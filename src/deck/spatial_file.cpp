// Spatial value files: for a series of times, the position and the value of
// a cloud of points. The whole file is kept in the point part's point_data,
// and its times become the case's time line.
//
// Layout of PartRecord::point_data, as read_nodal_info reads it: point_blocks
// blocks (one per time block of the file, plus room to grow), each of
// point_capacity points, each point four floats x, y, z, value. Point p of
// block b starts at index ((b * point_capacity) + p) * 4. Points and blocks
// that the file does not fill are zero.
#include <cstring>
#include <exception>
#include <string_view>
#include <vector>

#include "deck/deck_readers.h"
#include "deck/text_parse.h"
#include "interface/diagnostics.h"
#include "interface/reader_state.h"

namespace {

constexpr std::size_t first_blocks = 10;
constexpr std::size_t first_points = 100;
constexpr std::size_t blocks_step = 10;
constexpr std::size_t points_step = 100;

struct PointStore {
    PartRecord &part;
    std::size_t blocks;
    std::size_t capacity;
    std::size_t float_budget;  // most floats the file's size can justify
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
// False when no line came.
bool next_line_past_short(CaseFile &file, char *line)
{
    bool read = read_next_line(file, line) == 1;
    for (int i = 0; i < 2 && read && is_short(line); ++i)
        read = read_next_line(file, line) == 1;
    return read;
}

bool is_column_header(const char *line)
{
    return contains(line, "x") && contains(line, "y");
}

// Room for `blocks` blocks of `capacity` points, the points held so far kept
// in place. False when the file's size does not justify that much memory or
// the memory cannot be had.
bool resize_store(PointStore &s, std::size_t blocks, std::size_t capacity)
{
    if (blocks > s.float_budget / 4 / capacity)
        return false;
    try {
        std::vector<float> data(blocks * capacity * 4, 0.0f);
        for (std::size_t b = 0; b < s.blocks; ++b)
            std::memcpy(&data[b * capacity * 4], &s.part.point_data[b * s.capacity * 4], s.capacity * 4 * sizeof(float));
        s.part.point_data = std::move(data);
        if (state.time_values.size() < blocks)
            state.time_values.resize(blocks, 0.0f);
    } catch (const std::exception &) {
        return false;
    }
    s.blocks = blocks;
    s.capacity = capacity;
    s.part.point_blocks = static_cast<int>(blocks);
    s.part.point_capacity = static_cast<int>(capacity);
    return true;
}

void store_point(PointStore &s, std::size_t block, std::size_t point, const char *line)
{
    std::vector<std::string_view> words = split_words(line, true);
    float *p = &s.part.point_data[(block * s.capacity + point) * 4];
    for (std::size_t k = 0; k < 4; ++k)
        p[k] = k < words.size() ? parse_float(words[k]) : 0.0f;
}

}  // namespace

int read_spatial_file(CaseFile &file, char *line, int part)
{
    if (part < 0 || static_cast<std::size_t>(part) >= state.part_table.size())
        return -1;
    PartRecord &record = state.part_table[static_cast<std::size_t>(part)];
    long long size = case_file_size(file);
    // A point of a block takes at least a few bytes of the file; the room
    // kept per point and per block never needs more than this.
    PointStore s{record, 0, first_points, 128 * static_cast<std::size_t>(size) + 1000000};
    record.point_data.clear();
    state.time_values.assign(first_blocks, 0.0f);
    if (!resize_store(s, first_blocks, first_points)) {
        always_print("Cannot allocate the point data of %s\n", record.point_file.c_str());
        return -1;
    }

    // Block 0: its time line within the first 10 lines, then its rows after
    // the column header.
    bool time_found = false;
    for (int i = 0; i < 10; ++i) {
        read_next_line(file, line);
        if (contains(line, "second") || contains(line, "crank")) {
            time_found = true;
            break;
        }
    }
    if (time_found) {
        state.time_values[0] = first_value(line);
        next_line_past_short(file, line);
    }
    std::size_t points = 0;
    if (is_column_header(line) && next_line_past_short(file, line)) {
        while (!is_short(line)) {
            if (points + 5 > s.capacity && !resize_store(s, s.blocks, s.capacity + points_step)) {
                always_print("Cannot allocate the point data of %s\n", record.point_file.c_str());
                return -1;
            }
            store_point(s, 0, points, line);
            ++points;
            if (read_next_line(file, line) != 1)
                break;
        }
    }

    // Further blocks: a time line, an optional column header, and up to as
    // many rows as block 0 has points. Each block reads at least one line.
    std::size_t times = time_found ? 1 : 0;
    for (std::size_t b = 1;; ++b) {
        std::string ended_previous = line;
        if (read_next_line(file, line) != 1 || ended_previous == line)
            break;
        std::size_t time_slot = time_found ? b : b - 1;
        if (b >= s.blocks && !resize_store(s, s.blocks + blocks_step, s.capacity)) {
            always_print("Cannot allocate the point data of %s\n", record.point_file.c_str());
            return -1;
        }
        state.time_values[time_slot] = first_value(line);
        times = time_slot + 1;
        if (!next_line_past_short(file, line))
            continue;
        if (is_column_header(line) && !next_line_past_short(file, line))
            continue;
        for (std::size_t p = 0; p < points && !is_short(line); ++p) {
            store_point(s, b, p, line);
            if (read_next_line(file, line) != 1)
                break;
        }
    }

    record.number_of_nodes = static_cast<int>(points);
    state.Num_time_steps = static_cast<int>(times);
    return 1;
}
