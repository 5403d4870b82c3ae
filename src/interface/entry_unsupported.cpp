// Host features this reader does not offer: materials, species, structured
// blocks, ghosts, borders, polyhedra, failed elements, archives. They answer
// with fixed values.
#include "core/diagnostics.h"
#include "interface/default_reader.h"
#include "userd_api.h"

namespace {

// The unavailable-feature answer shared by nine entry points.
int unavailable_feature()
{
    return Z_ERR;
}

}  // namespace

extern "C" {

// Species are not offered: fills nothing, returns Z_ERR.
int USERD_get_matsp_info(int, int *, char **, int *, int *)
{
    return unavailable_feature();
}

// Maximum sizes are not given: fills nothing, returns Z_ERR.
int USERD_get_maxsize_info(int *, int **, int **)
{
    return unavailable_feature();
}

// Polyhedra are not offered: fills nothing, returns Z_ERR.
int USERD_get_nfaced_conn(int, int *)
{
    return unavailable_feature();
}

// Polyhedra are not offered: fills nothing, returns Z_ERR.
int USERD_get_nfaced_nodes_per_face(int, int *)
{
    return unavailable_feature();
}

// Polygons are not offered: fills nothing, returns Z_ERR.
int USERD_get_nsided_conn(int, int *)
{
    return unavailable_feature();
}

// Species are not offered: returns Z_ERR.
int USERD_get_number_of_species(int)
{
    return unavailable_feature();
}

// Structured blocks are not offered: returns Z_ERR.
int USERD_get_structured_reader_cinching(void)
{
    return unavailable_feature();
}

// Failed elements are not offered: fills nothing, returns Z_ERR.
int USERD_get_uns_failed_params(char *, float *, float *, int *, int *, int *)
{
    return unavailable_feature();
}

// Structured blocks are not offered: takes nothing, returns Z_ERR.
int USERD_set_block_range_and_stride(int, int, int, int, int, int, int, int, int, int)
{
    return unavailable_feature();
}

// Archives are not offered: writes nothing, returns Z_NOT_IMPLEMENTED.
int USERD_bkup(FILE *, int)
{
    return Z_NOT_IMPLEMENTED;
}

// Values at a single node are not offered: fills nothing, returns
// Z_NOT_IMPLEMENTED.
int USERD_get_var_value_at_specific(int, int, int, int, int, float *, int)
{
    return Z_NOT_IMPLEMENTED;
}

// Called when the host is done with the reader: nothing to release.
void USERD_exit_routine(void)
{
}

// Called after the parts were built: nothing to do.
void USERD_stop_part_building(void)
{
}

// Structured blocks are not offered: fills nothing, returns Z_OK.
int USERD_get_block_coords_by_component(int, int, float *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_block_coords_by_component\n");
    return Z_OK;
}

// Structured blocks are not offered: fills nothing, returns Z_OK.
int USERD_get_block_ghost_flags(int, int *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_block_ghost_flags\n");
    return Z_OK;
}

// Structured blocks are not offered: fills nothing, returns Z_OK.
int USERD_get_block_iblanking(int, int *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_block_iblanking\n");
    return Z_OK;
}

// Borders are not offered: fills nothing, returns Z_ERR.
int USERD_get_border_availability(int, int *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_border_availability/n");
    return Z_ERR;
}

// Borders are not offered: fills nothing, returns Z_ERR.
int USERD_get_border_elements_by_type(int, int, int **, short *, int *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_border_elements_by_type\n");
    return Z_ERR;
}

// Returns 0: no block has ghost cells.
int USERD_get_ghosts_in_block_flag(int)
{
    return 0;
}

// Returns 0: the model has no ghost cells.
int USERD_get_ghosts_in_model_flag(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_ghosts_in_model_flag - FALSE\n");
    return 0;
}

// Material sets are not offered: fills nothing, returns Z_OK.
int USERD_get_matf_set_info(int *, char **)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_matf_set_info\n");
    return Z_OK;
}

// Material sets are not offered: fills nothing, returns Z_OK.
int USERD_get_matf_var_info(int, int *, char **)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_matf_var_info\n");
    return Z_OK;
}

// Returns 0: no material sets.
int USERD_get_number_of_material_sets(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_number_of_material_sets\n");
    debug_print(state, "number_of_material_sets = 0\n");
    return 0;
}

// Returns 0: no materials.
int USERD_get_number_of_materials(int)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_number_of_materials\n");
    debug_print(state, "number_of_materials = 0");
    return 0;
}

// Material sets are not offered: fills nothing, returns Z_OK.
int USERD_load_matf_data(int, int, int, int, int *, float *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_load_matf_data\n");
    return Z_OK;
}

// Material sets are not offered: fills nothing, returns Z_OK.
int USERD_size_matf_data(int, int, int, int, int *)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_size_matf_data\n");
    return Z_OK;
}

}  // extern "C"
