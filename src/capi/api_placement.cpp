// Where a part's triangles come from in the surface file, and where the host
// places a part: its rigid-body values as a rotation and a translation.
#include <string>
#include <vector>

#include "capi/case_handle.h"
#include "geometry/surface_file.h"
#include "motion/rigid_body.h"

extern "C" {

VC_API int vc_part_triangle_lines(vc_case *handle, int part, int *lines, int capacity)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_part_query(c, lines, "lines", part))
            return code;
        if (part > surface_part_count(reader))
            return fail(c, VC_ERR_ARGUMENT, "a point part has no triangle lines");
        const PartRecord &record = reader.part_table[static_cast<std::size_t>(part - 1)];
        if (int code = check_capacity(c, record.number_of_elements, capacity))
            return code;
        if (!c.triangle_lines_taken) {
            const std::string path = reader.dataset_files.empty() ? std::string() : reader.dataset_files[0];
            c.triangle_lines = triangle_line_numbers(reader, path);
            c.triangle_lines_taken = true;
        }
        const std::vector<int> &found = c.triangle_lines[static_cast<std::size_t>(part - 1)];
        for (int e = 0; e < record.number_of_elements; ++e)
            lines[e] = static_cast<std::size_t>(e) < found.size() ? found[static_cast<std::size_t>(e)] : 0;
        return VC_OK;
    });
}

VC_API int vc_rigid_body_transform(const float values[14], double rotation[9], double translation[3])
{
    if (!values || !rotation || !translation)
        return VC_ERR_ARGUMENT;
    rigid_body_transform(values, rotation, translation);
    return VC_OK;
}

}  // extern "C"
