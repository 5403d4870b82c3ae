// The moving liner: the bottom ring of every liner part follows the piston,
// the rest of the liner stays where it was read, so the liner stretches.
#include <cmath>

#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "geometry/liner.h"
#include "geometry/part_table.h"
#include "geometry/surface_file.h"
#include "motion/engine_motion.h"

namespace {

// The lowest first-built z of the part's nodes (unused nodes sit at z 0). The
// ring is every node whose first-built z equals it exactly; it is not listed
// but found again from the same rule wherever the coordinates are given out.
void build_bottom_ring(ReaderState &state, PartRecord &part)
{
    const int nodes = part.number_of_nodes;
    float lowest = 0.0f;
    for (int i = 0; i < nodes; ++i) {
        const float z = surface_node_used(state, part, i) ? state.surface_z[static_cast<std::size_t>(i)] : 0.0f;
        if (i == 0 || z < lowest)
            lowest = z;
    }
    part.liner_min_z = lowest;
    part.liner_bottom_z = lowest;
    part.liner_bottom_nodes_built = true;
}

}  // namespace

int get_rigidbody_motion(ReaderState &state)
{
    debug_print(state, "get_rigidbody_motion\n");
    const double theta = current_crank_theta(state);
    const float r = state.engine_params.stroke * 0.5f;
    const double L = state.engine_params.conrod;
    const int parts = surface_part_count(state);
    for (int i = 0; i < parts; ++i) {
        PartRecord &part = state.part_table[static_cast<std::size_t>(i)];
        if (!is_liner_name(part.name))
            continue;
        if (state.geometry_pending == 1)
            build_bottom_ring(state, part);
        debug_print(state, "liner_min_z = %f\n",
                    static_cast<double>(part.liner_bottom_nodes_built ? part.liner_min_z : 0.0f));
        if (!part.liner_bottom_nodes_built)
            continue;
        // From the z as read, so that every step is computed afresh.
        const double z0 = part.liner_min_z;
        const double rs = r * std::sin(theta);
        part.liner_bottom_z = static_cast<float>(z0 - (L - r) + r * std::cos(theta) + std::sqrt(L * L - rs * rs));
    }
    return 1;
}
