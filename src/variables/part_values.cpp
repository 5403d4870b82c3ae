// The values a part gives the host for one variable at the built step.
#include <cstddef>
#include <vector>

#include "core/reader_state.h"
#include "geometry/part_table.h"
#include "geometry/surface_file.h"
#include "userd_api.h"
#include "variables/variables.h"

int part_values(ReaderState &state, const PartRecord &part, int part_number, int v, PartValues &values)
{
    const std::size_t slot = static_cast<std::size_t>(v);
    values = PartValues{};
    // Point parts follow the surface parts in the part table.
    if (part_number > surface_part_count(state)) {
        if (slot >= part.node_values.size() || part.node_values[slot].empty() || part.node_values[slot][0] == 0.0f)
            return Z_UNDEF;
        values.per_node = &part.node_values[slot];
        return Z_OK;
    }
    // A surface part has one value per variable and step, the same at every
    // node; the constants of the list have none on a part.
    if (v < variable_file_slots && part.variable_files[v] == "NULL" && entry_or_zero(part.constant_values, v) == 0.0f)
        return Z_UNDEF;
    values.single = v < per_part_variable_count(state) ? part.surface_values[v] : 0.0f;
    return values.single == 0.0f ? Z_UNDEF : Z_OK;
}

int copy_part_values(ReaderState &state, const PartRecord &part, int part_number, int v, float *var_array)
{
    PartValues values;
    const int result = part_values(state, part, part_number, v, values);
    if (result != Z_OK)
        return result;
    const int nodes = part.number_of_nodes;
    if (values.per_node) {
        const std::vector<float> &per_node = *values.per_node;
        for (int i = 0; i < nodes && static_cast<std::size_t>(i) < per_node.size(); ++i)
            var_array[i + 1] = per_node[static_cast<std::size_t>(i)];
        return Z_OK;
    }
    for (int i = 0; i < nodes; ++i)
        var_array[i + 1] = values.single;
    return Z_OK;
}
