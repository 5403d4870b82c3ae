// The surface geometry file: a header "ignored NV NT", NV vertex lines
// "number x y z" (commas count as blanks) and NT triangle lines
// "n1 n2 n3 region". The vertices are kept once for the whole model; each
// surface part gets its triangles and a bit set of the vertices they use.
#include "geometry/surface_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/line_reader.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "geometry/part_table.h"

namespace {

// A header may announce more vertices than the file holds lines (the missing
// ones sit at 0,0,0). Every vertex line takes at least one byte, so a count
// beyond the bytes left in the file is not believed, except for small counts
// of a file that was merely cut short.
constexpr long long short_file_vertex_allowance = 1000000;

// The next line of a counted series (vertex or triangle lines). A line too
// long to be delivered reads as the line before it, also when it is the
// file's last line. False when the file has ended.
bool next_counted_line(CaseFile &file, char *line)
{
    const long long before = case_file_tell(file);
    if (read_line_or_end(file, line))
        return true;
    return case_file_tell(file) - before >= line_buffer_size - 1;
}

struct Triangle {
    long long corner[3];
    long long region;
};

// The numbers of a line are read up to its terminating zero, which ends any
// number; the parse may look at the rest of the (initialised) line buffer.
inline const char *buffer_end(const char *line)
{
    return line + line_buffer_size;
}

// A vertex line: commas become blanks, then the vertex number (not used) and
// x, y, z are read one after another, each starting where the last ended.
void read_vertex(char *line, float &x, float &y, float &z)
{
    for (char *c = line; (c = std::strchr(c, ',')) != nullptr;)
        *c++ = ' ';
    const char *end = buffer_end(line);
    const char *p = line;
    parse_leading_double(p, end, &p);
    x = static_cast<float>(parse_leading_double(p, end, &p));
    y = static_cast<float>(parse_leading_double(p, end, &p));
    z = static_cast<float>(parse_leading_double(p, end, &p));
}

// A triangle line: four base-10 integers; a comma ends the numbers.
void read_triangle(const char *line, Triangle &t)
{
    const char *end = buffer_end(line);
    const char *p = line;
    for (long long &corner : t.corner)
        corner = parse_leading_integer(p, end, &p);
    t.region = parse_leading_integer(p, end, &p);
}

// True when all three corners are vertices 1..NV; otherwise *bad is the
// first corner that is not.
bool corners_valid(const Triangle &t, long long vertex_count, long long *bad = nullptr)
{
    for (long long corner : t.corner) {
        if (corner < 1 || corner > vertex_count) {
            if (bad)
                *bad = corner;
            return false;
        }
    }
    return true;
}

// The file ends after `present` of the `announced` vertex or triangle lines
// (`what`) of its header; `effect` says what the missing ones become.
void report_short_file(ReaderState &state, const std::string &path, const char *what, long long announced,
                       long long present, const char *effect)
{
    add_finding(state, Severity::error, "surface-file-short", path, -1,
                "The header announces " + std::to_string(announced) + " " + what + " lines, but the file ends after " +
                    std::to_string(present) + ": " + effect,
                "Check that the file was written completely (a copy cut off ends like this), or correct the count "
                "in the header.");
}

bool read_vertex_list(ReaderState &state, CaseFile &file, const std::string &path, char *line, long long vertex_count)
{
    const bool made = allocated(
        [&] {
            std::size_t n = static_cast<std::size_t>(vertex_count);
            state.surface_x.assign(n, 0.0f);
            state.surface_y.assign(n, 0.0f);
            state.surface_z.assign(n, 0.0f);
        },
        [&] {
            state.surface_x.clear();
            state.surface_y.clear();
            state.surface_z.clear();
            always_print(state, "%s: cannot allocate the list of %lld vertices\n", path.c_str(), vertex_count);
        });
    if (!made)
        return false;
    state.surface_vertex_count = static_cast<int>(vertex_count);
    float *x = state.surface_x.data();
    float *y = state.surface_y.data();
    float *z = state.surface_z.data();
    for (long long i = 0; i < vertex_count; ++i) {
        if (!next_counted_line(file, line)) {
            always_print(state, "%s: %lld of %lld vertex lines missing; those vertices are at 0,0,0\n", path.c_str(),
                         vertex_count - i, vertex_count);
            report_short_file(state, path, "vertex", vertex_count, i,
                              "the missing vertices lie at 0,0,0, and no triangle line follows.");
            break;
        }
        read_vertex(line, x[i], y[i], z[i]);
    }
    return true;
}

// Triangle lines of one kind of fault, for the findings: how many, where
// the first starts and what it reads, and the distinct numbers at fault.
struct FaultyTriangles {
    long long count = 0;
    long long first_start = -1;
    std::string first_line;
    std::vector<long long> numbers;  // at most 5 distinct numbers

    void add(long long start, const char *line, long long number)
    {
        if (count++ == 0) {
            first_start = start;
            first_line = line;
        }
        if (numbers.size() < 5 && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    }
    std::string numbers_text() const
    {
        std::string text;
        for (long long n : numbers)
            text += (text.empty() ? "" : ", ") + std::to_string(n);
        return text + (numbers.size() == 5 ? ", ..." : "");
    }
};

// Findings about the triangle lines and the parts they make.
void report_triangles(ReaderState &state, const std::string &path, const FaultyTriangles &bad_corner,
                      const FaultyTriangles &bad_region, const std::vector<long long> &counts, long long vertex_count)
{
    const int parts = static_cast<int>(counts.size());
    if (bad_corner.count > 0)
        add_finding(state, Severity::error, "triangle-vertex-out-of-range", path, bad_corner.first_start,
                    "Triangle lines naming a vertex number outside 1 to " + std::to_string(vertex_count) +
                        " (the vertices the header announces): " + std::to_string(bad_corner.count) +
                        ", the first " + quote_line(bad_corner.first_line) + "; vertex numbers at fault: " +
                        bad_corner.numbers_text() + ". Those triangles are left out.",
                    "Number the triangles' corners by the vertex lines, from 1 to " + std::to_string(vertex_count) +
                        ", or correct the vertex count in the header.");
    if (bad_region.count > 0)
        add_finding(state, Severity::error, "triangle-region-out-of-range", path, bad_region.first_start,
                    "Triangle lines giving a region number outside 1 to " + std::to_string(parts) +
                        " (the regions of boundary.in): " + std::to_string(bad_region.count) + ", the first " +
                        quote_line(bad_region.first_line) + "; region numbers at fault: " +
                        bad_region.numbers_text() + ". They belong to no part and are not shown.",
                    "Give each triangle the number of its region in the order of boundary.in (1 to " +
                        std::to_string(parts) + "), or add region blocks for the other numbers and raise the "
                        "count line of boundary.in.");
    for (int i = 0; i < parts; ++i) {
        const std::string &name = state.part_table[static_cast<std::size_t>(i)].name;
        if (counts[static_cast<std::size_t>(i)] == 0)
            add_finding(state, Severity::warning, "region-without-triangles", path, -1,
                        "No triangle has region number " + std::to_string(i + 1) +
                            (name.empty() ? std::string(" (a part without a name in boundary.in)")
                                          : " (part " + quote_line(name) + " of boundary.in)") +
                            ": the part is empty.",
                        "Check the region numbers at the end of the triangle lines against the order of the "
                        "regions in boundary.in.");
    }
}

// The header: three integers, the first not used. Negative counts read as 0.
// False when the vertex count cannot be believed (reported).
bool read_surface_header(ReaderState &state, CaseFile &file, const std::string &path, char *line,
                         long long &vertex_count, long long &triangle_count)
{
    read_next_line(file, line);
    const char *p = line;
    const char *end = buffer_end(line);
    parse_leading_integer(p, end, &p);
    vertex_count = std::max(0LL, parse_leading_integer(p, end, &p));
    triangle_count = std::max(0LL, parse_leading_integer(p, end, &p));

    const long long room = case_file_size(file) - case_file_tell(file);
    if (vertex_count > INT_MAX || (vertex_count > room && vertex_count > short_file_vertex_allowance)) {
        always_print(state, "%s: cannot allocate the %lld vertices its header announces\n", path.c_str(), vertex_count);
        return false;
    }
    return true;
}

// What the first pass over the triangle lines found, per part and in all.
struct TriangleTally {
    std::vector<long long> counts;
    // Each part's lowest and highest vertex, which bound its bit set.
    std::vector<long long> lowest, highest;
    long long lines_read = 0;
    FaultyTriangles bad_corner, bad_region;
};

// First pass over the triangle lines: counts each part's triangles, so that
// its connectivity is allocated once at its exact size. Nothing is sized by
// the announced count: the loop ends with the file.
TriangleTally count_triangles(ReaderState &state, CaseFile &file, const std::string &path, char *line, int parts,
                              long long vertex_count, long long triangle_count)
{
    TriangleTally tally;
    tally.counts.assign(static_cast<std::size_t>(parts), 0);
    tally.lowest.assign(static_cast<std::size_t>(parts), vertex_count);
    tally.highest.assign(static_cast<std::size_t>(parts), 1);
    Triangle t{};
    for (long long i = 0; i < triangle_count; ++i) {
        const long long line_start = case_file_tell(file);
        if (!next_counted_line(file, line)) {
            always_print(state, "%s: %lld of %lld triangle lines missing\n", path.c_str(), triangle_count - i,
                         triangle_count);
            report_short_file(state, path, "triangle", triangle_count, i,
                              "the missing triangles belong to no part, and a part whose triangles were all "
                              "among them is empty.");
            break;
        }
        ++tally.lines_read;
        read_triangle(line, t);
        long long bad = 0;
        if (!corners_valid(t, vertex_count, &bad)) {
            always_print(state, "%s: triangle %lld skipped, its vertex number %lld is not between 1 and %lld\n",
                         path.c_str(), i + 1, bad, vertex_count);
            tally.bad_corner.add(line_start, line, bad);
            continue;
        }
        if (t.region < 1 || t.region > parts) {
            tally.bad_region.add(line_start, line, t.region);
            continue;
        }
        const std::size_t r = static_cast<std::size_t>(t.region - 1);
        ++tally.counts[r];
        for (long long corner : t.corner) {
            tally.lowest[r] = std::min(tally.lowest[r], corner);
            tally.highest[r] = std::max(tally.highest[r], corner);
        }
    }
    return tally;
}

// Makes every surface part a triangle part over all vertices, with room for
// its counted triangles and a bit set from its lowest to its highest vertex.
bool size_surface_parts(ReaderState &state, const std::string &path, const TriangleTally &tally,
                        long long vertex_count)
{
    for (std::size_t i = 0; i < tally.counts.size(); ++i) {
        PartRecord &part = state.part_table[i];
        if (tally.counts[i] > INT_MAX) {
            always_print(state, "%s: cannot allocate the triangles of part %s\n", path.c_str(), part.name.c_str());
            return false;
        }
        part.element_type = element_type_triangle;
        part.nodes_per_element = 3;
        part.element_type_index = 2;
        part.number_of_nodes = static_cast<int>(vertex_count);
        part.number_of_elements = static_cast<int>(tally.counts[i]);
        if (allocate_part_arrays(state, part) != 1)
            return false;
        part.used_first_word = 0;
        part.used_vertices.clear();
        if (part.number_of_elements > 0) {
            const long long first_word = (tally.lowest[i] - 1) >> 6;
            const long long last_word = (tally.highest[i] - 1) >> 6;
            const std::size_t words = static_cast<std::size_t>(last_word - first_word + 1);
            if (!allocated([&] { part.used_vertices.assign(words, 0); },
                           [&] {
                               always_print(state, "%s: cannot allocate the vertex set of part %s\n", path.c_str(),
                                            part.name.c_str());
                           }))
                return false;
            part.used_first_word = static_cast<int>(first_word);
        }
    }
    return true;
}

// Second pass over the `lines` triangle lines the first pass read: fills the
// connectivity and marks the vertices each part uses.
void fill_triangles(ReaderState &state, CaseFile &file, char *line, long long lines, int parts,
                    long long vertex_count)
{
    std::vector<int> filled(static_cast<std::size_t>(parts), 0);
    Triangle t{};
    for (long long i = 0; i < lines; ++i) {
        if (!next_counted_line(file, line))
            break;
        read_triangle(line, t);
        if (!corners_valid(t, vertex_count) || t.region < 1 || t.region > parts)
            continue;
        std::size_t r = static_cast<std::size_t>(t.region - 1);
        PartRecord &part = state.part_table[r];
        int e = filled[r];
        if (e >= part.number_of_elements)
            continue;  // the file changed between the passes
        filled[r] = e + 1;
        int *corners = part.connectivity.data() + 3 * static_cast<std::size_t>(e);
        for (int k = 0; k < 3; ++k) {
            const int n = static_cast<int>(t.corner[k]);
            corners[k] = n;
            const unsigned bit = static_cast<unsigned>(n - 1);
            const std::size_t word = (bit >> 6) - static_cast<unsigned>(part.used_first_word);
            if (word < part.used_vertices.size())  // else the file changed between the passes
                part.used_vertices[word] |= std::uint64_t{1} << (bit & 63u);
        }
    }
}

}  // namespace

int surface_part_count(ReaderState &state)
{
    int count = state.Numparts_available - state.Num_point_parts;
    int records = static_cast<int>(state.part_table.size());
    if (count > records)
        count = records;
    return count < 0 ? 0 : count;
}

int read_surface_file(ReaderState &state, const std::string &path)
{
    CaseFile file;
    if (!open_case_file(file, path)) {
        always_print(state, "Error opening file %s\n", path.c_str());
        return -1;
    }
    char line[line_buffer_size] = {};
    long long vertex_count = 0;
    long long triangle_count = 0;
    if (!read_surface_header(state, file, path, line, vertex_count, triangle_count) ||
        !read_vertex_list(state, file, path, line, vertex_count))
        return -1;

    // The triangle lines are read twice, so where they start and the line
    // read before them are kept: a line too long to read takes the line
    // before it again, in both passes alike.
    const int parts = surface_part_count(state);
    const long long triangles_start = case_file_tell(file);
    char line_before_triangles[line_buffer_size];
    std::memcpy(line_before_triangles, line, sizeof line);
    const TriangleTally tally = count_triangles(state, file, path, line, parts, vertex_count, triangle_count);
    report_line_shapes(state, file, path,
                       "the reader takes the line before it again in its place (a vertex or triangle of its "
                       "own is lost, the one before it counts twice).");
    report_triangles(state, path, tally.bad_corner, tally.bad_region, tally.counts, vertex_count);
    if (!size_surface_parts(state, path, tally, vertex_count))
        return -1;

    case_file_seek(file, triangles_start);
    std::memcpy(line, line_before_triangles, sizeof line);
    fill_triangles(state, file, line, tally.lines_read, parts, vertex_count);
    return 1;
}

std::vector<std::vector<int>> triangle_line_numbers(ReaderState &state, const std::string &path)
{
    const long long parts = surface_part_count(state);
    std::vector<std::vector<int>> lines(static_cast<std::size_t>(std::max(parts, 0LL)));
    CaseFile file;
    if (!open_case_file(file, path))
        return lines;
    char line[line_buffer_size] = {};
    read_next_line(file, line);
    const char *p = line;
    const char *end = buffer_end(line);
    parse_leading_integer(p, end, &p);
    const long long vertex_count = std::max(parse_leading_integer(p, end, &p), 0LL);
    const long long triangle_count = parse_leading_integer(p, end, &p);
    for (long long i = 0; i < vertex_count; ++i)
        if (!next_counted_line(file, line))
            return lines;
    Triangle t{};
    for (long long i = 0; i < triangle_count && next_counted_line(file, line); ++i) {
        read_triangle(line, t);
        if (corners_valid(t, vertex_count) && t.region >= 1 && t.region <= parts)
            lines[static_cast<std::size_t>(t.region - 1)].push_back(
                static_cast<int>(std::min<long long>(vertex_count + 2 + i, INT_MAX)));
    }
    return lines;
}
