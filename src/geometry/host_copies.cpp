// Copies of a part's coordinates, node ids and connectivity into the host's
// arrays. Node arrays are filled from position 1 on, connectivity from 0.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/reader_state.h"
#include "geometry/part_table.h"

namespace {

// The liner's bottom ring: nodes first built at z `bottom` are now at `moved`.
struct Ring {
    float bottom;
    float moved;
};

// The bit-set word for nodes first .. first + 63, bits beyond `nodes` cleared.
std::uint64_t used_word(const PartRecord &part, int first, int nodes)
{
    const long long w = (first >> 6) - static_cast<long long>(part.used_first_word);
    const bool stored = w >= 0 && w < static_cast<long long>(part.used_vertices.size());
    const std::uint64_t word = stored ? part.used_vertices[static_cast<std::size_t>(w)] : 0;
    const int count = nodes - first;
    return count >= 64 ? word : word & ((std::uint64_t{1} << count) - 1);
}

std::uint64_t full_word(int first, int nodes)
{
    const int count = nodes - first;
    return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

// One coordinate of a surface part: the vertex value where the part uses the
// vertex, 0 elsewhere; with a ring, values equal to its bottom become its new
// z. The bit set is taken 64 nodes at a time, and runs of all-used or unused
// words become one block copy or fill, so the copy runs near memcpy speed.
void copy_used_component(const PartRecord &part, const float *vertices, int nodes, float *dest,
                         const Ring *ring)
{
    // Unused nodes are at 0, so they belong to a ring whose bottom is 0.
    const float unused = ring && ring->bottom == 0.0f ? ring->moved : 0.0f;
    int first = 0;
    while (first < nodes) {
        const std::uint64_t word = used_word(part, first, nodes);
        int last = first;  // end of the run of words like this one
        if (word == 0) {
            while (last < nodes && used_word(part, last, nodes) == 0)
                last = std::min(last + 64, nodes);
            std::fill(dest + first, dest + last, unused);
        } else if (word == full_word(first, nodes)) {
            while (last < nodes && used_word(part, last, nodes) == full_word(last, nodes))
                last = std::min(last + 64, nodes);
            std::memcpy(dest + first, vertices + first, static_cast<std::size_t>(last - first) * sizeof(float));
            if (ring)
                std::replace(dest + first, dest + last, ring->bottom, ring->moved);
        } else {
            last = std::min(first + 64, nodes);
            for (int k = first; k < last; ++k) {
                const bool in_use = (word >> (k - first)) & 1u;
                float v = in_use ? vertices[k] : 0.0f;
                if (ring && v == ring->bottom)
                    v = ring->moved;
                dest[k] = v;
            }
        }
        first = last;
    }
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
    const Ring ring{part.liner_min_z, part.liner_bottom_z};
    for (int c = 0; c < Num_dims; ++c) {
        float *dest = coord_array[c] + 1;
        const Ring *moved = c == 2 && part.liner_bottom_nodes_built ? &ring : nullptr;
        copy_used_component(part, vertices[c], from_vertices, dest, moved);
        if (nodes > from_vertices)
            std::fill(dest + from_vertices, dest + nodes, moved && moved->bottom == 0.0f ? moved->moved : 0.0f);
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
