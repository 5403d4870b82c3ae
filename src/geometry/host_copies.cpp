// Copies of a part's coordinates, node ids and connectivity into the host's
// arrays. Node arrays are filled from position 1 on, connectivity from 0.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "geometry/part_table.h"
#include "interface/reader_state.h"

namespace {

// One coordinate of a surface part: vertex values where the part uses the
// vertex, 0 elsewhere. The bit set is taken 64 nodes at a time, so a run of
// used vertices is one block copy.
void copy_used_component(const std::vector<std::uint64_t> &used, const float *vertices, int nodes, float *dest)
{
    for (int first = 0; first < nodes; first += 64) {
        const int count = std::min(64, nodes - first);
        const std::uint64_t full = count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
        const std::size_t w = static_cast<std::size_t>(first) >> 6;
        const std::uint64_t word = (w < used.size() ? used[w] : 0) & full;
        float *out = dest + first;
        const float *in = vertices + first;
        if (word == full) {
            std::memcpy(out, in, static_cast<std::size_t>(count) * sizeof(float));
        } else if (word == 0) {
            std::memset(out, 0, static_cast<std::size_t>(count) * sizeof(float));
        } else {
            for (int k = 0; k < count; ++k)
                out[k] = ((word >> k) & 1u) ? in[k] : 0.0f;
        }
    }
}

}  // namespace

void copy_part_coords(const PartRecord &part, float **coord_array)
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
    for (int c = 0; c < Num_dims; ++c) {
        float *dest = coord_array[c] + 1;
        copy_used_component(part.used_vertices, vertices[c], from_vertices, dest);
        if (nodes > from_vertices)
            std::memset(dest + from_vertices, 0, static_cast<std::size_t>(nodes - from_vertices) * sizeof(float));
    }
    // The liner's bottom ring: the nodes first built at its lowest z, all of
    // which have moved to the same new z.
    if (part.liner_bottom_nodes_built) {
        float *z = coord_array[2] + 1;
        const float bottom = part.liner_min_z;
        const float moved = part.liner_bottom_z;
        for (int i = 0; i < nodes; ++i)
            if (z[i] == bottom)
                z[i] = moved;
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
