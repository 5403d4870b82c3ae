// The transcript of vortimar-inspect: a reader library driven through its
// entry points in the host's order, every answer printed as plain text. The
// tool prints it for a case; the fuzz target of the whole case takes it as
// its walk of the entry points.
#pragma once

#include <string>

#include "inspect_options.h"
#include "userd_api.h"

// The entry points the transcript calls, by their names without "USERD_".
#define READER_ENTRY_POINTS(X) X(get_name_of_reader) X(get_reader_descrip) X(get_reader_version) \
    X(get_reader_release) X(set_filename_button_labels) X(get_extra_gui_numbers) X(get_extra_gui_defaults) \
    X(set_extra_gui_data) X(set_server_number) X(set_filenames) X(get_number_of_timesets) X(get_geom_timeset_number) \
    X(get_timeset_description) X(get_num_of_time_steps) X(get_sol_times) X(set_time_set_and_step) \
    X(get_changing_geometry_status) X(get_node_label_status) X(get_element_label_status) \
    X(get_number_of_files_in_dataset) X(get_dataset_query_file_info) X(get_descrip_lines) \
    X(get_number_of_model_parts) X(get_gold_part_build_info) X(get_ghosts_in_model_flag) X(get_maxsize_info) \
    X(get_model_extents) X(get_number_of_variables) X(get_gold_variable_info) X(rigidbody_existence) \
    X(rigidbody_values) X(get_part_elements_by_type) X(get_part_element_ids_by_type) X(get_part_coords) \
    X(get_part_node_ids) X(get_border_availability) X(stop_part_building) X(get_constant_val) \
    X(get_var_by_component) X(get_var_value_at_specific) X(bkup) X(exit_routine)

// The entry points, resolved by name by the tool (or taken directly by a
// program that links the reader in).
struct Reader {
#define READER_FIELD(name) decltype(&USERD_##name) name;
    READER_ENTRY_POINTS(READER_FIELD)
#undef READER_FIELD
};

// Where the transcript goes: standard output, or each piece of text handed to
// `transcript_sink` when one is set.
extern void (*transcript_sink)(void *user, const char *text);
extern void *transcript_user;

// Text of a fixed-size host buffer, with control characters made visible and
// the platform's path separator shown as '/'.
std::string shown(const char *text, std::size_t size);

// Drives the reader through the case in the host's order (after the other
// case `preload`, if the options name one). Returns the exit status: 0, or 2
// when the step list does not fit the case's time line.
int run_transcript(Reader &r, const Options &o, const CaseLocation &main_case, const CaseLocation &preload);
