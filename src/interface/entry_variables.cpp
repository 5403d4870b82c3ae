// The host's variable queries: the variable list, its descriptions, and the
// per-node values of a part at the current step.
#include <cstddef>

#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "geometry/part_table.h"
#include "interface/default_reader.h"
#include "interface/entry_guard.h"
#include "userd_api.h"
#include "variables/variables.h"

namespace {

// Description lines hold at most this many characters before their terminator.
constexpr std::size_t description_limit = Z_BUFL - 2;

bool is_listed_variable(ReaderState &state, int which_var)
{
    return which_var >= 1 && which_var <= state.Num_variables;
}

// The name of list entry i; empty when the list has not been built.
const std::string &variable_name(ReaderState &state, int i)
{
    static const std::string unnamed;
    if (i < 0 || static_cast<std::size_t>(i) >= state.variable_names.size())
        return unnamed;
    return state.variable_names[static_cast<std::size_t>(i)];
}


// The description line the host shows: at most 78 characters, terminated at
// its last position.
void write_description(char line[Z_BUFL], const std::string &text)
{
    copy_text(line, text, description_limit);
    line[Z_BUFL - 1] = '\0';
}
}  // namespace

extern "C" {

// Builds the parts for the current step (the first build may add
// Total_Pressure). Returns the number of variables.
int USERD_get_number_of_variables(void)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_number_of_variables", 0, [&]() -> int {
        debug_print(state, "USERD_get_number_of_variables\n");
        // The first build adds Total_Pressure when the deck marks it.
        reload_all_parts(state);
        debug_print(state, "Num_variables = %d\n", state.Num_variables);
        return state.Num_variables;
    });
}

// Builds the parts for the current step, then fills per variable its name,
// type (scalar or constant), classification, complex flag, whether it changes
// over time, and time set. Returns Z_OK.
int USERD_get_gold_variable_info(char **var_description, char **, int *var_type, int *var_classify,
                                 int *var_complex, char **, float *, int *var_contran, int *var_timeset)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_gold_variable_info", Z_ERR, [&]() -> int {
        debug_print(state, "USERD_get_gold_variable_info\n");
        reload_all_parts(state);
        int per_part = per_part_variable_count(state);
        for (int i = 0; i < state.Num_variables; ++i) {
            copy_text(var_description[i], variable_name(state, i), name_limit);
            var_type[i] = i < per_part ? Z_SCALAR : Z_CONSTANT;
            var_classify[i] = Z_PER_NODE;
            var_complex[i] = 0;
            // The lifts, the piston motion and the crank angle change with the step.
            if (i >= per_part + 4)
                var_contran[i] = 1;
            var_timeset[i] = 1;
        }
        return Z_OK;
    });
}

// Builds the parts for the current step, then fills line1 with the case folder
// (Z_GEOM) or the variable's name (Z_VARI). Returns Z_OK, or Z_ERR for a
// variable number that does not exist.
int USERD_get_descrip_lines(int which_type, int which_var, int, char line1[Z_BUFL], char *)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_descrip_lines", Z_ERR, [&]() -> int {
        debug_print(state, "USERD_get_descrip_lines\n");
        reload_all_parts(state);
        if (which_type == Z_GEOM) {
            write_description(line1, state.case_folder);
            debug_print(state, "  Geometry location '%s'\n", state.case_folder.c_str());
        } else if (which_type == Z_VARI) {
            if (!is_listed_variable(state, which_var))
                return Z_ERR;
            const std::string &name = variable_name(state, which_var - 1);
            write_description(line1, name);
            debug_print(state, "  Variable '%s'\n", name.c_str());
        }
        return Z_OK;
    });
}

// Takes a variable number and a part number (from 1). Builds the parts for the
// current step and fills var_array with the part's values of the variable from
// position 1 on. Returns Z_OK, Z_UNDEF when the part has no values for it, or
// Z_ERR for anything but the real scalar of a listed variable on an existing
// part.
int USERD_get_var_by_component(int which_variable, int which_part, int var_type, int, int imag_data, int component,
                               float *var_array)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_var_by_component", Z_ERR, [&]() -> int {
        debug_print(state, "USERD_get_var_by_component\n");
        if (var_type != Z_SCALAR || imag_data == 1 || component != 0)
            return Z_ERR;
        reload_all_parts(state);
        const PartRecord *part = host_part(state, which_part);
        if (!is_listed_variable(state, which_variable) || !part)
            return Z_ERR;
        return copy_part_values(state, *part, which_part, which_variable - 1, var_array);
    });
}

}  // extern "C"
