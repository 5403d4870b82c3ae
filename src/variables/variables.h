// The variable list, each region's constant values and value files.
#pragma once

#include <vector>

struct ReaderState;
struct PartRecord;

// Builds variable_names and, for every surface part, constant_values and
// variable_files from boundary.in. 1, or -1 when boundary.in cannot be opened.
int get_var_file_names_and_constant_values(ReaderState &state);

// Reads the value file of per-part variable `slot` of surface part `part`
// (0-based) onto the time line into the part's step_values. 1, or -1.
int get_variable_values_from_file(ReaderState &state, int part, int slot);

// What a part gives for one variable at the built step, without a copy: a
// surface part one value for all its nodes (`single`), a point part one value
// per node (`per_node`, node k at index k).
struct PartValues {
    float single = 0.0f;
    const std::vector<float> *per_node = nullptr;
};

// Fills `values` for variable v (0-based) on host part `part_number` (whose
// record is `part`) at the built step. Z_OK, or Z_UNDEF when the part has no
// value for the variable.
int part_values(ReaderState &state, const PartRecord &part, int part_number, int v, PartValues &values);

// Values of variable v (0-based) on host part `part_number` (whose record is
// `part`) for the built step, one per node into var_array from position 1 on.
// Z_OK, or Z_UNDEF when the part has no value for the variable.
int copy_part_values(ReaderState &state, const PartRecord &part, int part_number, int v, float *var_array);
