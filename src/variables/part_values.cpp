// The values a part gives the host for one variable at the built step.
#include <cstddef>
#include <vector>

#include "core/reader_state.h"
#include "geometry/part_table.h"
#include "geometry/surface_file.h"
#include "userd_api.h"
#include "variables/variables.h"

int copy_part_values(ReaderState &state, const PartRecord &part, int part_number, int v, float *var_array)
{
    std::size_t slot = static_cast<std::size_t>(v);
    int nodes = part.number_of_nodes;
    // Point parts follow the surface parts in the part table.
    if (part_number > surface_part_count(state)) {
        if (slot >= part.node_values.size() || part.node_values[slot].empty() || part.node_values[slot][0] == 0.0f)
            return Z_UNDEF;
        const std::vector<float> &values = part.node_values[slot];
        for (int i = 0; i < nodes && static_cast<std::size_t>(i) < values.size(); ++i)
            var_array[i + 1] = values[static_cast<std::size_t>(i)];
        return Z_OK;
    }
    // A surface part has one value per variable and step, the same at every
    // node; the constants of the list have none on a part.
    if (v < variable_file_slots && part.variable_files[v] == "NULL" && entry_or_zero(part.constant_values, v) == 0.0f)
        return Z_UNDEF;
    float value = v < per_part_variable_count(state) ? part.surface_values[v] : 0.0f;
    if (value == 0.0f)
        return Z_UNDEF;
    for (int i = 0; i < nodes; ++i)
        var_array[i + 1] = value;
    return Z_OK;
}
