// The moving liner's two rules, for every place that needs them: which
// surface parts are liners, and where a liner's nodes are at the built step.
#pragma once

#include <string>

#include "core/reader_state.h"

// A surface part is a liner when its name starts with "Liner" or "liner".
inline bool is_liner_name(const std::string &name)
{
    return name.compare(0, 5, "Liner") == 0 || name.compare(0, 5, "liner") == 0;
}

// A liner's bottom ring at the built step: the nodes first built at z
// `bottom` (its lowest z) are now at z `now`. A part without a built ring
// leaves every z as it is.
struct LinerRing {
    bool built = false;
    float bottom = 0.0f;
    float now = 0.0f;

    // The z given out for a node first built at z.
    float z(float first_z) const { return built && first_z == bottom ? now : first_z; }
};

// The part's ring, copied out of its record (so that loops over coordinates
// read it from registers).
inline LinerRing liner_ring(const PartRecord &part)
{
    return LinerRing{part.liner_bottom_nodes_built, part.liner_min_z, part.liner_bottom_z};
}
