// The part table: its arrays, and the lazy build for the host's current step.
#include "geometry/part_table.h"


#include "core/allocation.h"
#include "core/diagnostics.h"
#include "core/findings.h"
#include "core/reader_state.h"
#include "deck/deck_readers.h"
#include "geometry/surface_file.h"
#include "motion/engine_motion.h"
#include "variables/variables.h"

namespace {

// Nodes of one element by host element-type code (codes come in pairs).
constexpr int element_type_count = 34;
constexpr int nodes_per_element_table[element_type_count] = {1,  1,  2,  2, 3, 3, 3,  3,  6,  6,  4,  4,
                                                              8,  8,  4,  4, 10, 10, 5, 5, 13, 13, 6, 6,
                                                              15, 15, 8, 8, 20, 20, 30, 30, 3, 3};

void clear_surface_part(PartRecord &part)
{
    part.number_of_nodes = 0;
    part.nodes_per_element = 0;
    part.number_of_elements = 0;
    part.element_type = 0;
    part.element_type_index = 0;
    part.connectivity.clear();
    part.used_vertices.clear();
    part.used_first_word = 0;
    part.liner_bottom_nodes_built = false;
    part.liner_min_z = 0;
    part.liner_bottom_z = 0;
    part.step_values.clear();
    for (float &v : part.surface_values)
        v = 0;
}

// The first build: the surface file, the variable set-up and the value files.
// It starts from cleared surface parts, so that a build tried again after a
// failure counts nothing twice.
int build_geometry(ReaderState &state)
{
    const int parts = surface_part_count(state);
    for (int i = 0; i < parts; ++i)
        clear_surface_part(state.part_table[static_cast<std::size_t>(i)]);
    state.surface_vertex_count = 0;
    state.surface_x.clear();
    state.surface_y.clear();
    state.surface_z.clear();

    const std::string path = dataset_file(state, surface_file_slot);
    state.files_read &= ~read_bit(surface_file_slot);
    if (read_surface_file(state, path) != 1)
        return -1;
    state.files_read |= read_bit(surface_file_slot);
    // A surface node's initial coordinates are not copied: they are its
    // vertex's (or 0,0,0), recomputed from the vertex list when needed.
    allocate_variable_arrays(state);
    get_var_file_names_and_constant_values(state);

    char line[line_buffer_size];
    for (int i = 0; i < parts; ++i) {
        for (int v = 0; v < per_part_variable_count(state) && v < variable_file_slots; ++v) {
            std::string &file_name = state.part_table[static_cast<std::size_t>(i)].variable_files[v];
            // An empty slot has never been given a file.
            if (file_name.empty() || file_name == "NULL")
                continue;
            CaseFile file;
            if (!open_case_file(file, file_name)) {
                always_print(state, "Error opening file %s\n", file_name.c_str());
                return -1;
            }
            line[0] = '\0';
            read_next_line(file, line);
            close_case_file(file);
            if (is_spatial_first_line(line)) {
                // The region's point part shows this variable.
                file_name = "NULL";
                continue;
            }
            get_variable_values_from_file(state, i, v);
        }
    }
    return 1;
}

// Every node of a surface part has the part's value of the step.
void refresh_surface_values(ReaderState &state)
{
    const int parts = surface_part_count(state);
    const int count = per_part_variable_count(state);
    for (int i = 0; i < parts; ++i) {
        PartRecord &part = state.part_table[static_cast<std::size_t>(i)];
        const float *row = step_row(part.step_values, count, state.current_step);
        for (int v = 0; v < count && v < 3; ++v) {
            const std::string &file_name = part.variable_files[v];
            if (file_name.empty() || file_name == "NULL")
                part.surface_values[v] = entry_or_zero(part.constant_values, v);
            else
                part.surface_values[v] = row ? row[v] : 0.0f;
        }
    }
}

int refresh_point_parts(ReaderState &state)
{
    const int first = surface_part_count(state);
    const int last = state.Numparts_available < static_cast<int>(state.part_table.size())
                         ? state.Numparts_available
                         : static_cast<int>(state.part_table.size());
    for (int i = first; i < last; ++i) {
        PartRecord &part = state.part_table[static_cast<std::size_t>(i)];
        CaseFile file;
        if (!open_case_file(file, part.point_file)) {
            always_print(state, "Error opening file %s\n", part.point_file.c_str());
            return -1;
        }
        if (state.geometry_pending == 1) {
            part.number_of_elements = part.number_of_nodes;
            part.nodes_per_element = 1;
            part.element_type = element_type_point;
            part.element_type_index = 0;
            if (allocate_part_arrays(state, part) != 1)
                return -1;
        }
        char line[line_buffer_size + 8] = "";
        if (read_nodal_info(state, file, i, line) != 1) {
            always_print(state, "error reading nodal info for point parts\n");
            return -1;
        }
    }
    return 1;
}

}  // namespace

PartRecord *host_part(ReaderState &state, int part_number)
{
    if (part_number < 1 || part_number > state.Numparts_available ||
        part_number > static_cast<int>(state.part_table.size()))
        return nullptr;
    return &state.part_table[static_cast<std::size_t>(part_number - 1)];
}

bool surface_node_used(ReaderState &state, const PartRecord &part, int node)
{
    if (node < 0)
        return false;
    return (used_vertex_word(part, node >> 6, state.surface_vertex_count) >> (static_cast<unsigned>(node) & 63u)) & 1u;
}

int allocate_part_arrays(ReaderState &state, PartRecord &part)
{
    if (part.element_type < 0 || part.element_type >= element_type_count)
        return -1;
    part.nodes_per_element = nodes_per_element_table[part.element_type];
    const std::size_t nodes =
        static_cast<std::size_t>(part.number_of_nodes > 0 ? part.number_of_nodes : state.default_node_count);
    int result = 1;
    const bool made = allocated(
        [&] {
            // A surface part's coordinates come from the shared vertex list
            // and the set of vertices its triangles use, which the surface
            // reader sizes once it knows the range of vertices the part uses.
            if (part.element_type != element_type_triangle) {
                part.coords.assign(3 * nodes, 0.0f);
                if (node_label_flag == 1)
                    part.node_ids.assign(nodes, 0);
            }
            if (part.nodes_per_element < 1) {
                result = -1;
                return;
            }
            std::size_t elements = 0;
            if (part.number_of_elements > 0)
                elements = static_cast<std::size_t>(part.number_of_elements);
            else if (part.nodes_per_element >= 2)
                elements = static_cast<std::size_t>(state.default_element_count);
            if (part.nodes_per_element > 1)
                part.connectivity.assign(static_cast<std::size_t>(part.nodes_per_element) * elements, 0);
        },
        [&] {
            always_print(state, "cannot allocate the node and element arrays of part %s\n", part.name.c_str());
        });
    return made ? result : -1;
}

int allocate_variable_arrays(ReaderState &state)
{
    // Total_Pressure joins the list once, however often the first build is tried.
    if (state.bracket_seen && !state.total_pressure_present) {
        state.total_pressure_present = 1;
        count_variables(state);
    }
    const int parts = surface_part_count(state);
    if (state.Num_variables < 1 || parts == 0)
        return 1;
    const std::size_t steps = static_cast<std::size_t>(state.Num_time_steps > 0 ? state.Num_time_steps : 0);
    for (int i = 0; i < parts; ++i) {
        PartRecord &part = state.part_table[static_cast<std::size_t>(i)];
        const std::size_t values = steps * static_cast<std::size_t>(per_part_variable_count(state));
        if (!allocated([&] { part.step_values.assign(values, 0.0f); },
                       [&] { always_print(state, "cannot allocate the step values of part %s\n", part.name.c_str()); }))
            return -1;
        // One value per variable stands for all nodes of a surface part.
        for (float &v : part.surface_values)
            v = 0;
    }
    return 1;
}

int reload_all_parts(ReaderState &state)
{
    debug_print(state, "reload_all_parts\n");
    if (state.current_step == state.built_step)
        return 1;
    if (state.geometry_pending == 1)
        begin_build_findings(state);
    if (state.geometry_pending == 1 && build_geometry(state) != 1)
        return -1;
    refresh_surface_values(state);
    if (state.engine_mode == 1 && state.moving_liner == 1)
        get_rigidbody_motion(state);
    if (refresh_point_parts(state) != 1)
        return -1;
    state.geometry_pending = 0;
    state.built_step = state.current_step;
    return 1;
}
