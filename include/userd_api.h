/*
 * The reader interface as the host application sees it (interface version 2.08).
 *
 * Every entry point has C linkage and exactly the signature the host declares,
 * so that the host passes its arguments correctly. The host owns every buffer
 * it passes; the reader only fills them.
 */
#ifndef USERD_API_H
#define USERD_API_H

#include <stdio.h>

#if defined(_WIN32)
#define USERD_EXPORT __declspec(dllexport)
#else
#define USERD_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes and constants of the host interface. */
#define Z_OK 1
#define Z_ERR (-1)
#define Z_UNDEF 2
#define Z_NOT_IMPLEMENTED 3

#define Z_BUFL 80
#define Z_MAX_USERD_NAME 20
#define Z_MAXFILENP 255
#define Z_MAXTIMLEN 40
#define Z_BUFLEN 82
#define Z_LEN_GUI_TITLE_STR 40
#define Z_LEN_GUI_PULL_STR 80
#define Z_MAX_NUM_GUI_PULL_ITEMS 20
#define Z_LEN_GUI_FIELD_STR 256
#define Z_MAXTYPE 34

#define Z_POINT 0
#define Z_TRI03 6
#define Z_GEOM 0
#define Z_VARI 1
#define Z_CONSTANT 0
#define Z_SCALAR 1
#define Z_PER_NODE 4
#define Z_PER_ELEM 1
#define Z_UNSTRUCTURED 0
#define Z_STATIC 0
#define Z_CHANGE_COORDS 1
#define Z_SAVE_ARCHIVE 0
#define Z_REST_ARCHIVE 1

/* One dataset query record, laid out as the host declares it: 312 bytes on
 * 64-bit Windows (long is 32-bit there), 320 bytes on LP64 systems. */
typedef struct {
    char name[Z_MAXFILENP];
    long sizeb;
    char timemod[Z_MAXTIMLEN];
    int num_d_lines;
    char **f_desc;
} Z_QFILES;

/* Identity and reader dialog */
USERD_EXPORT int USERD_get_name_of_reader(char reader_name[Z_MAX_USERD_NAME], int *two_fields);
USERD_EXPORT int USERD_get_reader_descrip(char descrip[Z_MAXFILENP]);
USERD_EXPORT int USERD_get_reader_version(char version_number[Z_MAX_USERD_NAME]);
USERD_EXPORT int USERD_get_reader_release(char version_number[Z_MAX_USERD_NAME]);
USERD_EXPORT void USERD_set_filename_button_labels(char filename_label_1[Z_MAX_USERD_NAME],
                                                   char filename_label_2[Z_MAX_USERD_NAME]);
USERD_EXPORT void USERD_get_extra_gui_numbers(int *num_toggles, int *num_pulldowns, int *num_fields);
USERD_EXPORT int USERD_get_extra_gui_defaults(char **toggle_title, int *toggle_default_status,
                                              char **pulldown_title, int *pulldown_number_in_list,
                                              int *pulldown_default_selection,
                                              char ***pulldown_item_strings, char **field_title,
                                              char **field_user_string);
USERD_EXPORT void USERD_set_extra_gui_data(int *toggle, int *pulldown, char **field_text);

/* Loading a case and its files */
USERD_EXPORT int USERD_set_filenames(char filename_1[], char filename_2[], char the_path[], int swapbytes);
USERD_EXPORT void USERD_set_server_number(int serv_num, int tot_servs);
USERD_EXPORT int USERD_get_number_of_files_in_dataset(void);
USERD_EXPORT int USERD_get_dataset_query_file_info(Z_QFILES *qfiles);
USERD_EXPORT int USERD_get_changing_geometry_status(void);

/* Time set */
USERD_EXPORT int USERD_get_number_of_timesets(void);
USERD_EXPORT int USERD_get_timeset_description(int timeset_number, char timeset_description[Z_BUFL]);
USERD_EXPORT int USERD_get_geom_timeset_number(void);
USERD_EXPORT int USERD_get_num_of_time_steps(int timeset_number);
USERD_EXPORT int USERD_get_sol_times(int timeset_number, float *solution_times);
USERD_EXPORT void USERD_set_time_set_and_step(int timeset_number, int time_step);

/* Parts and geometry */
USERD_EXPORT int USERD_get_number_of_model_parts(void);
USERD_EXPORT int USERD_get_gold_part_build_info(int *part_id, int *part_types, char *part_descriptions[Z_BUFL],
                                                int *number_of_nodes, int *number_of_elements[Z_MAXTYPE],
                                                int *ijk_dimensions[9], int *iblanking_options[6]);
USERD_EXPORT int USERD_get_node_label_status(void);
USERD_EXPORT int USERD_get_element_label_status(void);
USERD_EXPORT int USERD_get_part_coords(int part_number, float **coord_array);
USERD_EXPORT int USERD_get_part_node_ids(int part_number, int *nodeid_array);
USERD_EXPORT int USERD_get_part_elements_by_type(int part_number, int element_type, int **conn_array);
USERD_EXPORT int USERD_get_part_element_ids_by_type(int part_number, int element_type, int *elemid_array);
USERD_EXPORT int USERD_get_model_extents(float extents[6]);
USERD_EXPORT int USERD_get_maxsize_info(int *max_number_of_nodes, int *max_number_of_elements[Z_MAXTYPE],
                                        int *max_ijk_dimensions[3]);

/* Variables and constants */
USERD_EXPORT int USERD_get_number_of_variables(void);
USERD_EXPORT int USERD_get_gold_variable_info(char **var_description, char **var_filename, int *var_type,
                                              int *var_classify, int *var_complex, char **var_ifilename,
                                              float *var_freq, int *var_contran, int *var_timeset);
USERD_EXPORT int USERD_get_descrip_lines(int which_type, int which_var, int imag_data, char line1[Z_BUFL],
                                         char line2[Z_BUFL]);
USERD_EXPORT int USERD_get_var_by_component(int which_variable, int which_part, int var_type, int which_type,
                                            int imag_data, int component, float *var_array);
USERD_EXPORT float USERD_get_constant_val(int which_var, int imag_data);
USERD_EXPORT int USERD_get_var_value_at_specific(int which_var, int which_node_or_elem, int which_part,
                                                 int which_elem_type, int time_step, float values[3],
                                                 int imag_data);

/* Rigid-body motion */
USERD_EXPORT int USERD_rigidbody_existence(void);
USERD_EXPORT int USERD_rigidbody_values(int part_number, float values[14]);

/* Features this reader does not offer */
USERD_EXPORT int USERD_get_border_availability(int part_number, int number_of_elements[Z_MAXTYPE]);
USERD_EXPORT int USERD_get_border_elements_by_type(int part_number, int element_type, int **conn_array,
                                                   short *parent_element_type, int *parent_element_num);
USERD_EXPORT int USERD_get_ghosts_in_model_flag(void);
USERD_EXPORT int USERD_get_ghosts_in_block_flag(int block_number);
USERD_EXPORT int USERD_get_block_ghost_flags(int block_number, int *ghost_flags);
USERD_EXPORT int USERD_get_block_coords_by_component(int block_number, int which_component, float *coord_array);
USERD_EXPORT int USERD_get_block_iblanking(int block_number, int *iblank_array);
USERD_EXPORT int USERD_set_block_range_and_stride(int file_pn, int mini, int maxi, int stepi, int minj,
                                                  int maxj, int stepj, int mink, int maxk, int stepk);
USERD_EXPORT int USERD_get_structured_reader_cinching(void);
USERD_EXPORT int USERD_get_number_of_material_sets(void);
USERD_EXPORT int USERD_get_matf_set_info(int *mat_set_ids, char **mat_set_name);
USERD_EXPORT int USERD_get_number_of_materials(int set_index);
USERD_EXPORT int USERD_get_matf_var_info(int set_index, int *mat_ids, char **mat_desc);
USERD_EXPORT int USERD_size_matf_data(int set_index, int part_id, int wtyp, int mat_type, int *matf_size);
USERD_EXPORT int USERD_load_matf_data(int set_index, int part_id, int wtyp, int mat_type, int *ids_list,
                                      float *val_list);
USERD_EXPORT int USERD_get_number_of_species(int set_index);
USERD_EXPORT int USERD_get_matsp_info(int set_index, int *sp_ids, char **sp_desc, int *sppermatcnt,
                                      int *sppermatlis);
USERD_EXPORT int USERD_get_nsided_conn(int part_number, int *nsided_conn_array);
USERD_EXPORT int USERD_get_nfaced_nodes_per_face(int part_number, int *nfaced_npf_array);
USERD_EXPORT int USERD_get_nfaced_conn(int part_number, int *nfaced_conn_array);
USERD_EXPORT int USERD_get_uns_failed_params(char *fail_var_name, float *threshold_val1, float *threshold_val2,
                                             int *threshold_operator1, int *threshold_operator2,
                                             int *logic_criteria2);
USERD_EXPORT int USERD_bkup(FILE *archive_file, int backup_type);
USERD_EXPORT void USERD_exit_routine(void);
USERD_EXPORT void USERD_stop_part_building(void);

#ifdef __cplusplus
}
#endif

#endif /* USERD_API_H */
