// Values at a time step: rigid-body values, variables on parts, constants.
#include <algorithm>
#include <string>
#include <vector>

#include "capi/case_handle.h"
#include "capi/compact_mesh.h"
#include "capi/host_answers.h"
#include "userd_api.h"

namespace {

constexpr int rigid_body_value_count = 14;

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
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, exists, "exists"))
            return code;
        *exists = rigid_body_existence(reader) == Z_OK ? 1 : 0;
        return VC_OK;
    });
}

VC_API int vc_rigid_body(vc_case *handle, int part, int step, float values[14])
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, reader, values, "values", part, step))
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
        if (int code = check_part_query(c, reader, values, "values", part, step))
            return code;
        if (int code = check_variable(c, variable, false))
            return code;
        const PartRecord &record = reader.part_table[static_cast<std::size_t>(part - 1)];
        const std::vector<int> nodes = compact_nodes(reader, record);
        if (int code = check_capacity(c, static_cast<long long>(nodes.size()), capacity))
            return code;
        go_to_step(reader, step, true);
        // The host's per-node array, from which the compact points take theirs.
        std::vector<float> per_node(static_cast<std::size_t>(std::max(0, record.number_of_nodes)) + 1, 0.0f);
        const int result = part_variable_values(reader, variable, part, per_node.data());
        if (result == Z_UNDEF)
            return VC_NO_VALUES;
        if (result != Z_OK)
            return fail(c, VC_ERR_INTERNAL, "the reader gives no values of variable " + std::to_string(variable));
        for (std::size_t i = 0; i < nodes.size(); ++i)
            values[i] = per_node[static_cast<std::size_t>(nodes[i]) + 1];
        return VC_OK;
    });
}

VC_API int vc_constant(vc_case *handle, int variable, int step, float *value)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, value, "value"))
            return code;
        if (int code = check_step(c, reader, step))
            return code;
        if (int code = check_variable(c, variable, true))
            return code;
        go_to_step(reader, step, false);
        *value = constant_value(reader, variable);
        return VC_OK;
    });
}

}  // extern "C"
