// The compact mesh of a part, read off the part table and the shared vertex
// list without making the part's full node arrays.
#include "capi/compact_mesh.h"

#include <algorithm>

#include "geometry/liner.h"
#include "geometry/part_table.h"

namespace {

bool is_surface(const PartRecord &part)
{
    return part.element_type == element_type_triangle;
}

// Host nodes of a surface part that come from the vertex list.
int vertex_nodes(const ReaderState &reader, const PartRecord &part)
{
    return std::max(0, std::min(part.number_of_nodes, reader.surface_vertex_count));
}

int point_nodes(const PartRecord &part)
{
    return std::max(0, part.number_of_nodes);
}

int bit_count(std::uint64_t word)
{
    return __builtin_popcountll(word);
}

// Stored word w of the part's bit set (w = 0 is its first stored word), with
// bits of nodes at or beyond `limit` cleared.
std::uint64_t used_word(const PartRecord &part, std::size_t w, int limit)
{
    return used_vertex_word(part, part.used_first_word + static_cast<long long>(w), limit);
}

// Calls visit(node) for every node a surface part's triangles use, in order.
template <typename Visit>
void for_each_used_node(const ReaderState &reader, const PartRecord &part, Visit visit)
{
    const int limit = vertex_nodes(reader, part);
    for (std::size_t w = 0; w < part.used_vertices.size(); ++w) {
        std::uint64_t word = used_word(part, w, limit);
        const int base = (part.used_first_word + static_cast<int>(w)) * 64;
        while (word) {
            visit(base + __builtin_ctzll(word));
            word &= word - 1;
        }
    }
}

}  // namespace

int compact_point_count(const ReaderState &reader, const PartRecord &part)
{
    if (!is_surface(part))
        return point_nodes(part);
    const int limit = vertex_nodes(reader, part);
    int count = 0;
    for (std::size_t w = 0; w < part.used_vertices.size(); ++w)
        count += bit_count(used_word(part, w, limit));
    return count;
}

std::vector<int> compact_nodes(const ReaderState &reader, const PartRecord &part)
{
    std::vector<int> nodes;
    nodes.reserve(static_cast<std::size_t>(compact_point_count(reader, part)));
    if (!is_surface(part)) {
        for (int i = 0; i < point_nodes(part); ++i)
            nodes.push_back(i);
        return nodes;
    }
    for_each_used_node(reader, part, [&](int node) { nodes.push_back(node); });
    return nodes;
}

void compact_triangles(const ReaderState &reader, const PartRecord &part, int *out)
{
    if (!is_surface(part))
        return;
    // Compact points before each word of the bit set.
    const int limit = vertex_nodes(reader, part);
    std::vector<int> before(part.used_vertices.size() + 1, 0);
    for (std::size_t w = 0; w < part.used_vertices.size(); ++w)
        before[w + 1] = before[w] + bit_count(used_word(part, w, limit));
    const std::size_t corners = 3 * static_cast<std::size_t>(std::max(0, part.number_of_elements));
    for (std::size_t i = 0; i < corners; ++i) {
        // Corners hold 1-based vertex numbers; a corner never filled holds 0
        // and becomes -1.
        const long long node = i < part.connectivity.size() ? static_cast<long long>(part.connectivity[i]) - 1 : -1;
        const long long w = (node >> 6) - part.used_first_word;
        if (node < 0 || node >= limit || w < 0 || w >= static_cast<long long>(part.used_vertices.size())) {
            out[i] = -1;
            continue;
        }
        const std::uint64_t below = (std::uint64_t{1} << (node & 63)) - 1;
        out[i] = before[static_cast<std::size_t>(w)] + bit_count(used_word(part, static_cast<std::size_t>(w), limit) & below);
    }
}

void compact_points(ReaderState &reader, const PartRecord &part, float *xyz)
{
    if (is_surface(part)) {
        const LinerRing ring = liner_ring(part);
        std::size_t k = 0;
        for_each_used_node(reader, part, [&](int node) {
            const std::size_t n = static_cast<std::size_t>(node);
            xyz[k++] = reader.surface_x[n];
            xyz[k++] = reader.surface_y[n];
            xyz[k++] = ring.z(reader.surface_z[n]);
        });
        return;
    }
    // A point part's nodes are all its points: the host's copy, interleaved.
    const std::size_t n = static_cast<std::size_t>(point_nodes(part));
    std::vector<float> columns(3 * (n + 1));
    float *rows[3] = {columns.data(), columns.data() + (n + 1), columns.data() + 2 * (n + 1)};
    copy_part_coords(reader, part, rows);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t c = 0; c < 3; ++c)
            xyz[3 * i + c] = rows[c][i + 1];
}
