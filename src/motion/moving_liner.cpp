// The moving liner: the bottom ring of every liner part follows the piston,
// the rest of the liner stays where it was read, so the liner stretches.
#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/reader_state.h"
#include "geometry/liner.h"
#include "geometry/part_table.h"
#include "geometry/surface_file.h"
#include "motion/engine_motion.h"

namespace {

// Findings about a ring at z `lowest` that catches vertices no triangle of
// the part uses (they sit at z 0): `used_in_ring` of the part's own vertices
// are in it as well, `unused` vertices are not the part's.
void report_ring(ReaderState &state, const PartRecord &part, float lowest, int used_in_ring, int unused)
{
    if (unused == 0 || lowest != 0.0f)
        return;
    const std::string &path = dataset_file(state, surface_file_slot);
    if (used_in_ring == 0)
        add_finding(state, Severity::error, "liner-ring-unused-vertices", path, -1,
                    "With \"Moving Liner\" on, the bottom ring of liner part " + quote_line(part.name) +
                        " is every node at its lowest z. The part's own vertices all lie above z = 0, and the " +
                        std::to_string(unused) +
                        " vertices its triangles do not use count as nodes at 0,0,0, so the ring is made of "
                        "those alone: the liner does not stretch with the piston.",
                    "Place the liner's bottom edge at z = 0 or below (the cylinder's axis along z), so that its "
                    "lowest vertices are its own.");
    else
        add_finding(state, Severity::note, "liner-ring-unused-vertices", path, -1,
                    "With \"Moving Liner\" on, the bottom ring of liner part " + quote_line(part.name) +
                        " lies at z = 0, where the " + std::to_string(unused) +
                        " vertices its triangles do not use also sit: they move with the ring (they are not "
                        "drawn).",
                    "Nothing to change unless those nodes matter to you: a liner whose bottom edge lies below "
                    "z = 0 keeps them out of the ring.");
}

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
    int used_in_ring = 0;
    int unused = 0;
    for (int i = 0; i < nodes; ++i) {
        if (!surface_node_used(state, part, i))
            ++unused;
        else if (state.surface_z[static_cast<std::size_t>(i)] == lowest)
            ++used_in_ring;
    }
    report_ring(state, part, lowest, used_in_ring, unused);
    part.liner_min_z = lowest;
    part.liner_bottom_z = lowest;
    part.liner_bottom_nodes_built = true;
}

}  // namespace

int get_rigidbody_motion(ReaderState &state)
{
    debug_print(state, "get_rigidbody_motion\n");
    const SliderCrank s =
        slider_crank(current_crank_theta(state), state.engine_params.stroke, state.engine_params.conrod);
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
        part.liner_bottom_z = static_cast<float>(static_cast<double>(part.liner_min_z) - s.rest + s.crank + s.rod);
    }
    return 1;
}
