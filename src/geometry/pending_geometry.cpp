// Placeholder until the geometry and motion subsystems land.
#include "geometry/part_table.h"
#include "motion/engine_motion.h"
#include "userd_api.h"

int reload_all_parts() { return -1; }
int allocate_part_arrays(PartRecord &) { return -1; }
int allocate_variable_arrays() { return -1; }
void copy_part_coords(const PartRecord &, float **) {}
void copy_part_node_ids(const PartRecord &, int *) {}
void copy_part_elements(const PartRecord &, int **) {}
float current_crank_angle() { return 0; }
float piston_displacement() { return 0; }
int get_rigidbody_motion() { return 1; }
int relative_compare(float, float) { return 0; }

extern "C" {
int USERD_get_number_of_model_parts(void) { return 0; }
int USERD_get_gold_part_build_info(int *, int *, char **, int *, int **, int **, int **) { return Z_OK; }
int USERD_get_node_label_status(void) { return 1; }
int USERD_get_element_label_status(void) { return 0; }
int USERD_get_part_coords(int, float **) { return Z_ERR; }
int USERD_get_part_node_ids(int, int *) { return Z_ERR; }
int USERD_get_part_elements_by_type(int, int, int **) { return Z_ERR; }
int USERD_get_part_element_ids_by_type(int, int, int *) { return Z_ERR; }
int USERD_get_model_extents(float *) { return Z_ERR; }
int USERD_rigidbody_existence(void) { return 1; }
int USERD_rigidbody_values(int, float *) { return Z_ERR; }
}
