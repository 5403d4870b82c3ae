// The parts: what each is, and its compact mesh.
#include <algorithm>
#include <string>

#include "capi/case_handle.h"
#include "capi/compact_mesh.h"
#include "capi/host_answers.h"
#include "geometry/liner.h"
#include "geometry/part_table.h"
#include "geometry/surface_file.h"

namespace {

// The part's engine role; in an engine case a surface part named as a liner
// follows the piston when the "Moving Liner" toggle is on.
int engine_role(ReaderState &reader, const PartRecord &part, bool surface)
{
    switch (part.engine_role) {
    case EngineRole::piston:
        return VC_ROLE_PISTON;
    case EngineRole::intake_valve:
        return VC_ROLE_INTAKE_VALVE;
    case EngineRole::exhaust_valve:
        return VC_ROLE_EXHAUST_VALVE;
    case EngineRole::none:
        break;
    }
    return reader.engine_mode == 1 && surface && is_liner_name(part.name) ? VC_ROLE_LINER : VC_ROLE_NONE;
}

// How the part's rigid-body values are made: in an engine case from its
// role, else from its motion record, where a later kind overrides an
// earlier one as it does in the values.
int motion_kind(const ReaderState &reader, int part_index, int role)
{
    if (reader.engine_mode == 1)
        return role == VC_ROLE_PISTON || role == VC_ROLE_INTAKE_VALVE || role == VC_ROLE_EXHAUST_VALVE
                   ? VC_MOTION_TRANSLATION
                   : VC_MOTION_NONE;
    const std::size_t i = static_cast<std::size_t>(part_index);
    if (i >= reader.motion_table.size() || reader.motion_table[i].moving != 1)
        return VC_MOTION_NONE;
    const MotionRecord &m = reader.motion_table[i];
    if (!m.arbitrary_steps.empty())
        return VC_MOTION_ARBITRARY;
    if (m.has_rotation_translation)
        return VC_MOTION_ROTATION_TRANSLATION;
    if (m.has_rotation)
        return VC_MOTION_ROTATION;
    if (!m.translation_steps.empty() || m.has_translation_velocity)
        return VC_MOTION_TRANSLATION;
    return VC_MOTION_NONE;
}

const PartRecord &record_of(const ReaderState &reader, int part)
{
    return reader.part_table[static_cast<std::size_t>(part - 1)];
}

}  // namespace

extern "C" {

VC_API int vc_part_count(vc_case *handle, int *count)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (int code = check_pointer(c, count, "count"))
            return code;
        *count = static_cast<int>(c.part_names.size());
        return VC_OK;
    });
}

VC_API int vc_part(vc_case *handle, int part, vc_part_info *info)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, info, "info", part))
            return code;
        const PartRecord &record = record_of(reader, part);
        const bool surface = part <= surface_part_count(reader);
        info->name = c.part_names[static_cast<std::size_t>(part - 1)].c_str();
        info->kind = surface ? VC_KIND_SURFACE : VC_KIND_POINTS;
        info->role = engine_role(reader, record, surface);
        info->motion = motion_kind(reader, part - 1, info->role);
        info->vertex_count = compact_point_count(reader, record);
        info->triangle_count = surface ? std::max(0, record.number_of_elements) : 0;
        info->host_node_count = std::max(0, record.number_of_nodes);
        return VC_OK;
    });
}

VC_API int vc_part_source(vc_case *handle, int part, int variable, int *source)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, source, "source", part))
            return code;
        if (int code = check_variable_number(c, variable))
            return code;
        const int v = variable - 1;
        if (v >= c.per_part_variables) {
            *source = VC_SOURCE_NONE;
        } else if (part > surface_part_count(reader)) {
            // A point part's file fills one variable, named by its column.
            *source = record_of(reader, part).value_slot == v ? VC_SOURCE_SPATIAL_FILE : VC_SOURCE_NONE;
        } else {
            // A region's value file that turned out to be a spatial file was
            // set back to "NULL" by the build: its point part shows it.
            const std::string &file = record_of(reader, part).variable_files[v];
            *source = file.empty() || file == "NULL" ? VC_SOURCE_CONSTANT : VC_SOURCE_VALUE_FILE;
        }
        return VC_OK;
    });
}

VC_API int vc_part_triangles(vc_case *handle, int part, int *triangles, int capacity)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, triangles, "triangles", part))
            return code;
        const PartRecord &record = record_of(reader, part);
        const long long needed = part <= surface_part_count(reader) ? 3LL * std::max(0, record.number_of_elements) : 0;
        if (int code = check_capacity(c, needed, capacity))
            return code;
        if (needed > 0)
            compact_triangles(reader, record, triangles);
        return VC_OK;
    });
}

VC_API int vc_part_node_numbers(vc_case *handle, int part, int *numbers, int capacity)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, numbers, "numbers", part))
            return code;
        const PartRecord &record = record_of(reader, part);
        const std::vector<int> nodes = compact_nodes(reader, record);
        if (int code = check_capacity(c, static_cast<long long>(nodes.size()), capacity))
            return code;
        if (part <= surface_part_count(reader)) {
            // A surface node's number is its vertex number.
            for (std::size_t i = 0; i < nodes.size(); ++i)
                numbers[i] = nodes[i] + 1;
            return VC_OK;
        }
        std::vector<int> ids(nodes.size() + 1, 0);
        copy_part_node_ids(record, ids.data());
        for (std::size_t i = 0; i < nodes.size(); ++i)
            numbers[i] = ids[i + 1];
        return VC_OK;
    });
}

VC_API int vc_part_points(vc_case *handle, int part, int step, float *xyz, int capacity)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, xyz, "xyz", part, step))
            return code;
        if (int code = check_capacity(c, 3LL * compact_point_count(reader, record_of(reader, part)), capacity))
            return code;
        go_to_step(reader, step, true);
        compact_points(reader, record_of(reader, part), xyz);
        return VC_OK;
    });
}

}  // extern "C"
