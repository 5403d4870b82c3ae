// Point parts: the points of a spatial value file with their positions, ids
// and values for the current step, taken from the point data stored when the
// boundary deck was read.
#include <cstring>
#include <string_view>

#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/line_reader.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "geometry/part_table.h"

namespace {

// Lines tried when looking for the column header line.
constexpr int header_attempts = 10;
// Floats stored per point: x, y, z and the value.
constexpr int point_floats = 4;

// The value column of the header line "x y z <name>": 0 for a name beginning
// with 'p' (pressure), 1 for 't' (temperature), -1 when there is no header
// line within the attempts or the name begins otherwise.
int value_column(CaseFile &file, char *line)
{
    for (int attempt = 0; attempt < header_attempts; ++attempt) {
        read_next_line(file, line);
        if (std::strlen(line) < 4)
            read_next_line(file, line);
        if (word_at(line, 0, false) != "x" || word_at(line, 1, false) != "y")
            continue;
        std::string_view name = word_at(line, 3, true);
        if (!name.empty() && name[0] == 'p')
            return 0;
        if (!name.empty() && name[0] == 't')
            return 1;
        return -1;
    }
    return -1;
}

// The stored x, y, z and value of point p in block b, or nullptr when the
// point data holds no such point. Block b, point p starts at float
// ((b * point_capacity) + p) * 4.
const float *stored_point(const PartRecord &part, int block, int point)
{
    if (block < 0 || point < 0 || point >= part.point_capacity)
        return nullptr;
    std::size_t first = (static_cast<std::size_t>(block) * static_cast<std::size_t>(part.point_capacity) +
                         static_cast<std::size_t>(point)) *
                        point_floats;
    if (first + point_floats > part.point_data.size())
        return nullptr;
    return part.point_data.data() + first;
}

}  // namespace

int read_nodal_info(ReaderState &state, CaseFile &file, int part_index, char *line)
{
    debug_print(state, "read_nodal_info\n");
    if (part_index < 0 || static_cast<std::size_t>(part_index) >= state.part_table.size())
        return -1;
    PartRecord &part = state.part_table[static_cast<std::size_t>(part_index)];

    line[0] = '\0';
    int column = value_column(file, line);
    std::size_t nodes = part.number_of_nodes > 0 ? static_cast<std::size_t>(part.number_of_nodes) : 0;

    if (state.geometry_pending == 1) {
        std::size_t variables = state.Num_variables > 0 ? static_cast<std::size_t>(state.Num_variables) : 0;
        const bool made = allocated([&] { part.node_values.assign(variables, std::vector<float>(nodes, 0.0f)); },
                                    [&] {
                                        part.node_values.clear();
                                        always_print(state, "Cannot allocate the node values of %s\n",
                                                     part.name.c_str());
                                    });
        if (!made)
            return -1;
    }

    // A step beyond the blocks the file filled shows the last of them.
    int block = state.current_step;
    if (block >= part.point_blocks)
        block = part.point_blocks - 1;
    if (block < 0)
        block = 0;

    std::size_t target = static_cast<std::size_t>(state.total_pressure_present + column);
    std::vector<float> *values = (column >= 0 && target < part.node_values.size()) ? &part.node_values[target] : nullptr;
    part.value_slot = values ? static_cast<int>(target) : -1;
    static const float no_point[point_floats] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < nodes; ++i) {
        const float *p = stored_point(part, block, static_cast<int>(i));
        if (!p)
            p = no_point;
        if (node_label_flag == 1 && i < part.node_ids.size())
            part.node_ids[i] = static_cast<int>(i) + 1;
        if ((i + 1) * Num_dims <= part.coords.size())
            for (int k = 0; k < Num_dims; ++k)
                part.coords[i * Num_dims + static_cast<std::size_t>(k)] = p[k];
        if (values && i < values->size())
            (*values)[i] = p[3];
    }
    return 1;
}
