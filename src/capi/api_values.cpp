// Values at a time step: rigid-body values, variables on parts, constants.
#include <algorithm>
#include <string>
#include <vector>

#include "capi/case_handle.h"
#include "capi/compact_mesh.h"
#include "capi/host_answers.h"
#include "geometry/surface_file.h"
#include "motion/engine_motion.h"
#include "motion/rigid_body.h"
#include "userd_api.h"
#include "variables/variables.h"

namespace {

// VC_OK for a listed variable of the wanted sort (constant or per part),
// else the error recorded.
int check_variable(vc_case &c, int variable, bool constant)
{
    if (int code = check_variable_number(c, variable))
        return code;
    const bool is_constant = variable > c.per_part_variables;
    if (is_constant == constant)
        return VC_OK;
    const std::string &name = c.variable_names[static_cast<std::size_t>(variable - 1)];
    return fail(c, VC_ERR_ARGUMENT,
                "variable " + std::to_string(variable) + " (" + name + ") is " +
                    (is_constant ? "a constant, not a per-part variable" : "a per-part variable, not a constant"));
}

}  // namespace

extern "C" {

VC_API int vc_rigid_body_exists(vc_case *handle, int *exists)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (int code = check_pointer(c, exists, "exists"))
            return code;
        // The reader gives rigid-body values in every case (the host's
        // existence query answers Z_OK).
        *exists = 1;
        return VC_OK;
    });
}

VC_API int vc_rigid_body(vc_case *handle, int part, int step, float values[14])
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, values, "values", part, step))
            return code;
        go_to_step(reader, step, false);
        float answer[rigid_body_value_count];
        const int result = rigid_body_values(reader, part, answer);
        if (result == Z_UNDEF)
            return VC_NO_VALUES;
        if (result != Z_OK)
            return fail(c, VC_ERR_INTERNAL, "the reader gives no rigid-body values for part " + std::to_string(part));
        for (int i = 0; i < rigid_body_value_count; ++i)
            values[i] = answer[i];
        return VC_OK;
    });
}

VC_API int vc_variable_count(vc_case *handle, int *count)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (int code = check_pointer(c, count, "count"))
            return code;
        *count = static_cast<int>(c.variable_names.size());
        return VC_OK;
    });
}

VC_API int vc_variable(vc_case *handle, int variable, const char **name, int *is_constant)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (int code = check_variable_number(c, variable))
            return code;
        if (name)
            *name = c.variable_names[static_cast<std::size_t>(variable - 1)].c_str();
        if (is_constant)
            *is_constant = variable > c.per_part_variables ? 1 : 0;
        return VC_OK;
    });
}

VC_API int vc_part_values(vc_case *handle, int part, int step, int variable, float *values, int capacity)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, values, "values", part, step))
            return code;
        if (int code = check_variable(c, variable, false))
            return code;
        const PartRecord &record = reader.part_table[static_cast<std::size_t>(part - 1)];
        const int count = compact_point_count(reader, record);
        if (int code = check_capacity(c, count, capacity))
            return code;
        go_to_step(reader, step, true);
        PartValues given;
        if (part_values(reader, record, part, variable - 1, given) != Z_OK)
            return VC_NO_VALUES;
        // A point part's compact points are its nodes in order; a surface
        // part has one value for all of them.
        const std::size_t n = static_cast<std::size_t>(count);
        if (!given.per_node) {
            std::fill(values, values + n, given.single);
            return VC_OK;
        }
        const std::vector<float> &per_node = *given.per_node;
        for (std::size_t i = 0; i < n; ++i)
            values[i] = i < per_node.size() ? per_node[i] : 0.0f;
        return VC_OK;
    });
}

VC_API int vc_part_value(vc_case *handle, int part, int step, int variable, float *value)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, value, "value", part, step))
            return code;
        if (int code = check_variable(c, variable, false))
            return code;
        if (part > surface_part_count(reader))
            return fail(c, VC_ERR_ARGUMENT,
                        "part " + std::to_string(part) + " is a point part: its values differ from point to point");
        go_to_step(reader, step, true);
        PartValues given;
        if (part_values(reader, reader.part_table[static_cast<std::size_t>(part - 1)], part, variable - 1, given) !=
            Z_OK)
            return VC_NO_VALUES;
        *value = given.single;
        return VC_OK;
    });
}

VC_API int vc_constant(vc_case *handle, int variable, int step, float *value)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, value, "value"))
            return code;
        if (int code = check_step(c, step))
            return code;
        if (int code = check_variable(c, variable, true))
            return code;
        go_to_step(reader, step, false);
        *value = constant_value(reader, variable);
        return VC_OK;
    });
}

}  // extern "C"
