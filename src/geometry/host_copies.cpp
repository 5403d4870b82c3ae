// Copies of a part's coordinates, node ids and connectivity into the host's
// arrays. Node arrays are filled from position 1 on, connectivity from 0.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/reader_state.h"
#include "geometry/liner.h"
#include "geometry/part_table.h"

namespace {

// Lane masks for four floats: lane j is kept when bit j of the index is set.
struct NibbleMasks {
    std::uint32_t lane[16][4];
};

constexpr NibbleMasks make_nibble_masks()
{
    NibbleMasks m{};
    for (unsigned n = 0; n < 16; ++n)
        for (unsigned j = 0; j < 4; ++j)
            m.lane[n][j] = (n >> j) & 1u ? 0xffffffffu : 0u;
    return m;
}

constexpr NibbleMasks nibble_masks = make_nibble_masks();

// dest[k] = vertices[k] where bit k - first of `word` is set, 0 elsewhere, for
// k in first .. last - 1 (at most 64 nodes). Four nodes at a time through a
// bit mask, without a branch per node: a part whose vertices are scattered
// over the numbering gives words of any pattern.
void copy_masked(const float *vertices, std::uint64_t word, int first, int last, float *dest)
{
    int k = first;
    for (; k + 4 <= last; k += 4, word >>= 4) {
        const std::uint32_t *mask = nibble_masks.lane[word & 15u];
        std::uint32_t bits[4];
        std::memcpy(bits, vertices + k, sizeof bits);
        for (int j = 0; j < 4; ++j)
            bits[j] &= mask[j];
        std::memcpy(dest + k, bits, sizeof bits);
    }
    for (; k < last; ++k, word >>= 1)
        dest[k] = (word & 1u) ? vertices[k] : 0.0f;
}

// The z of dest[first .. last - 1] as the liner's ring gives it (a select on
// every node rather than a branch).
void move_ring(float *dest, int first, int last, const LinerRing ring)
{
    for (int k = first; k < last; ++k)
        dest[k] = ring.z(dest[k]);
}

// One coordinate of a surface part: the vertex value where the part uses the
// vertex, 0 elsewhere; with a ring, values equal to its bottom become its new
// z (unused nodes too, when the bottom is 0). The nodes go in blocks of 512:
// a block the part does not use is a fill, any other block a masked copy of
// its eight words, whatever their pattern. Deciding per block rather than per
// word keeps the branch predictable both for parts whose vertices lie in long
// runs and for parts whose vertices are scattered over the numbering, so the
// copy runs near memcpy speed in both.
void copy_used_component(const PartRecord &part, const float *vertices, int nodes, float *dest,
                         const LinerRing *ring)
{
    const int block = 8 * 64;
    for (int first = 0; first < nodes; first += block) {
        const int last = std::min(first + block, nodes);
        std::uint64_t any = 0;
        for (int k = first; k < last; k += 64)
            any |= used_vertex_word(part, k >> 6, nodes);
        if (any == 0) {
            std::fill(dest + first, dest + last, 0.0f);
            continue;
        }
        for (int k = first; k < last; k += 64)
            copy_masked(vertices, used_vertex_word(part, k >> 6, nodes), k, std::min(k + 64, last), dest);
    }
    if (ring)
        move_ring(dest, 0, nodes, *ring);
}

}  // namespace

void copy_part_coords(ReaderState &state, const PartRecord &part, float **coord_array)
{
    const int nodes = part.number_of_nodes > 0 ? part.number_of_nodes : 0;
    if (part.element_type != element_type_triangle) {
        const std::size_t stored = part.coords.size() / 3;
        for (int c = 0; c < Num_dims; ++c) {
            float *dest = coord_array[c] + 1;
            for (int i = 0; i < nodes; ++i)
                dest[i] = static_cast<std::size_t>(i) < stored ? part.coords[3 * static_cast<std::size_t>(i) + c] : 0.0f;
        }
        return;
    }
    // Nodes beyond the vertex list (none after a complete build) are at 0,0,0.
    const int from_vertices = std::min(nodes, state.surface_vertex_count);
    const float *vertices[3] = {state.surface_x.data(), state.surface_y.data(), state.surface_z.data()};
    // The liner's bottom ring: the nodes first built at its lowest z, all of
    // which have moved to the same new z.
    const LinerRing ring = liner_ring(part);
    for (int c = 0; c < Num_dims; ++c) {
        float *dest = coord_array[c] + 1;
        const LinerRing *moved = c == 2 && ring.built ? &ring : nullptr;
        copy_used_component(part, vertices[c], from_vertices, dest, moved);
        if (nodes > from_vertices)
            std::fill(dest + from_vertices, dest + nodes, moved ? moved->z(0.0f) : 0.0f);
    }
}

void copy_part_node_ids(const PartRecord &part, int *nodeid_array)
{
    const int nodes = part.number_of_nodes > 0 ? part.number_of_nodes : 0;
    const bool stored = part.element_type != element_type_triangle;
    for (int i = 0; i < nodes; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        nodeid_array[i + 1] = stored && k < part.node_ids.size() ? part.node_ids[k] : i + 1;
    }
}

void copy_part_elements(const PartRecord &part, int **conn_array)
{
    const int elements = part.number_of_elements > 0 ? part.number_of_elements : 0;
    if (part.nodes_per_element > 1) {
        const std::size_t per = static_cast<std::size_t>(part.nodes_per_element);
        const std::size_t stored = part.connectivity.size() / per;
        for (int e = 0; e < elements && static_cast<std::size_t>(e) < stored; ++e)
            for (std::size_t k = 0; k < per; ++k)
                conn_array[e][k] = part.connectivity[per * static_cast<std::size_t>(e) + k];
    } else {
        for (int e = 0; e < elements; ++e)
            conn_array[e][0] = e + 1;
    }
}
