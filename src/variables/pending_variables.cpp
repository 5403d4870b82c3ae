// Placeholder until the variables subsystem lands.
#include "geometry/part_table.h"
#include "userd_api.h"
#include "variables/variables.h"

int get_var_file_names_and_constant_values() { return -1; }
int get_variable_values_from_file(int, int) { return -1; }
int read_nodal_info(CaseFile &, int, char *) { return 1; }

extern "C" {
int USERD_get_number_of_variables(void) { return 0; }
int USERD_get_gold_variable_info(char **, char **, int *, int *, int *, char **, float *, int *, int *) { return Z_OK; }
int USERD_get_descrip_lines(int, int, int, char *, char *) { return Z_OK; }
int USERD_get_var_by_component(int, int, int, int, int, int, float *) { return Z_ERR; }
float USERD_get_constant_val(int, int) { return -1.0f; }
}
