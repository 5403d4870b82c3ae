// The host's queries on parts: their number, sizes, coordinates, node ids and
// connectivity. Part number p is record p - 1 of the part table.
#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "geometry/part_table.h"
#include "interface/default_reader.h"
#include "interface/entry_guard.h"
#include "userd_api.h"

namespace {

// Builds the table for the current step. A query answers from what the table
// holds whatever the build's outcome, also when the build ran out of memory.
void build_for_query(ReaderState &state)
{
    guarded_void(state, "reload_all_parts", [&] { reload_all_parts(state); });
}

}  // namespace

extern "C" {

// Returns the number of parts: the surface parts, then the point parts.
int USERD_get_number_of_model_parts(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_number_of_model_parts\n");
    debug_print(state, "Numparts_available = %d\n", state.Numparts_available);
    return state.Numparts_available;
}

// Builds the parts for the current step, then fills per part (index p - 1)
// its id, type, description, node count and element count by element type.
// Returns Z_OK.
int USERD_get_gold_part_build_info(int *part_id, int *part_types, char *part_description[Z_BUFL],
                                   int *number_of_nodes, int *number_of_elements[Z_MAXTYPE], int **, int **)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_gold_part_build_info", Z_ERR, [&]() -> int {
        debug_print(state, "USERD_get_gold_part_build_info\n");
        // Built first, so the counts are right whatever the host asked before.
        build_for_query(state);
        const int parts = state.Numparts_available < static_cast<int>(state.part_table.size())
                              ? state.Numparts_available
                              : static_cast<int>(state.part_table.size());
        for (int i = 0; i < parts; ++i) {
            const PartRecord &part = state.part_table[static_cast<std::size_t>(i)];
            part_id[i] = i + 1;
            part_types[i] = Z_UNSTRUCTURED;
            copy_text(part_description[i], bounded(part.name, name_limit), Z_BUFL);
            number_of_nodes[i] = part.number_of_nodes;
            if (part.element_type >= 0 && part.element_type < Z_MAXTYPE)
                number_of_elements[i][part.element_type] = part.number_of_elements;
        }
        return Z_OK;
    });
}

// Builds the parts for the current step. Returns 1: node ids are given.
int USERD_get_node_label_status(void)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_node_label_status", node_label_flag == 1 ? 1 : 0, [&]() -> int {
        debug_print(state, "USERD_get_node_lable_status\n");
        build_for_query(state);
        return node_label_flag == 1 ? 1 : 0;
    });
}

// Returns 0: element ids are not given.
int USERD_get_element_label_status(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_element_label_status\n");
    return element_label_flag == 1 ? 1 : 0;
}

// Takes a part number (from 1). Builds the parts for the current step and fills
// coord_array[0..2] with the part's x, y and z from position 1 on. Returns
// Z_OK, or Z_ERR for a part number that does not exist.
int USERD_get_part_coords(int part_number, float **coord_array)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_part_coords", Z_ERR, [&]() -> int {
        debug_print(state, "USERD_get_part_coords\n");
        debug_print(state, "part_number = %d\n", part_number);
        // Built first, whatever the number: a wrong one is answered after.
        build_for_query(state);
        const PartRecord *part = host_part(state, part_number);
        if (!part)
            return Z_ERR;
        copy_part_coords(state, *part, coord_array);
        return Z_OK;
    });
}

// Takes a part number (from 1) and fills nodeid_array with its node ids from
// position 1 on. Returns Z_OK, or Z_ERR for a part number that does not exist.
int USERD_get_part_node_ids(int part_number, int *nodeid_array)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERR_get_part_node_ids\n");
    const PartRecord *part = host_part(state, part_number);
    if (!part)
        return Z_ERR;
    copy_part_node_ids(*part, nodeid_array);
    return Z_OK;
}

// Takes a part number (from 1) and fills conn_array, one row per element,
// with the element's node numbers. Returns Z_OK, or Z_ERR for a part number
// that does not exist.
int USERD_get_part_elements_by_type(int part_number, int, int **conn_array)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_part_elements_by_type\n");
    const PartRecord *part = host_part(state, part_number);
    if (!part)
        return Z_ERR;
    copy_part_elements(*part, conn_array);
    return Z_OK;
}

// Takes a part number; element ids are not given, so nothing is filled.
// Returns Z_OK, or Z_ERR for a part number that does not exist.
int USERD_get_part_element_ids_by_type(int part_number, int, int *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_part_element_ids_by_type\n");
    return host_part(state, part_number) ? Z_OK : Z_ERR;
}

// Fills nothing: the host works out the extents. Returns Z_ERR.
int USERD_get_model_extents(float *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_model_extents\n");
    return Z_ERR;
}

}  // extern "C"
