// A reader's answers as text, for comparing readers with each other: a case
// is opened on a given ReaderState and, step by step, every part's
// coordinates, node ids, connectivity, rigid-body values and variable values
// are written out (floats exactly, in hexadecimal), with the reader's
// diagnostics collected through its message sink.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "alone_and_together.h"
#include "core/reader_state.h"
#include "deck/deck_readers.h"
#include "geometry/part_table.h"
#include "motion/engine_motion.h"
#include "motion/rigid_body.h"
#include "variables/variables.h"

namespace snapshot {

using together::add;

inline void collect(void *user, const char *text)
{
    *static_cast<std::string *>(user) += text;
}

// Loads the case in `folder` into reader r as the host's load does, with the
// dialog's "Moving Liner" choice and debug output on, its diagnostics
// appended to *messages.
inline int open_case(ReaderState &r, const std::string &folder, bool liner, std::string *messages)
{
    r.message_sink = collect;
    r.message_user = messages;
    r.debug_flag = 1;
    r.moving_liner = liner ? 1 : 0;
    return load_case(r, "inputs.in", folder);
}

// Everything the reader answers at one step.
inline std::string step(ReaderState &r, int s)
{
    std::string out;
    r.current_step = s < 0 ? 0 : (s >= r.Num_time_steps ? r.Num_time_steps - 1 : s);
    add(out, "step %d: build %d, time %a, %d parts, %d variables\n", r.current_step, reload_all_parts(r),
        static_cast<double>(entry_or_zero(r.time_values, r.current_step)), r.Numparts_available, r.Num_variables);
    for (int p = 1; p <= r.Numparts_available; ++p) {
        const PartRecord *part = host_part(r, p);
        if (!part)
            continue;
        const std::size_t nodes = part->number_of_nodes > 0 ? static_cast<std::size_t>(part->number_of_nodes) : 0;
        add(out, "part %d '%s': %zu nodes, %d elements\n", p, part->name.c_str(), nodes, part->number_of_elements);
        std::vector<float> xyz[3];
        float *arrays[3];
        for (int c = 0; c < 3; ++c) {
            xyz[c].assign(nodes + 1, -7.0f);
            arrays[c] = xyz[c].data();
        }
        copy_part_coords(r, *part, arrays);
        std::vector<int> ids(nodes + 1, -7);
        copy_part_node_ids(*part, ids.data());
        for (std::size_t n = 1; n <= nodes; ++n)
            add(out, " %d:%a,%a,%a", ids[n], static_cast<double>(xyz[0][n]), static_cast<double>(xyz[1][n]),
                static_cast<double>(xyz[2][n]));
        out += "\n";
        const std::size_t per = part->nodes_per_element > 0 ? static_cast<std::size_t>(part->nodes_per_element) : 1;
        const std::size_t elements =
            part->number_of_elements > 0 ? static_cast<std::size_t>(part->number_of_elements) : 0;
        std::vector<int> conn(per * elements, -7);
        std::vector<int *> rows;
        for (std::size_t e = 0; e < elements; ++e)
            rows.push_back(conn.data() + per * e);
        copy_part_elements(*part, rows.data());
        for (int n : conn)
            add(out, " %d", n);
        float values[rigid_body_value_count];
        add(out, "\nrigid body %d:", rigid_body_values(r, p, values));
        for (float v : values)
            add(out, " %a", static_cast<double>(v));
        out += "\n";
        for (int v = 1; v <= r.Num_variables; ++v) {
            std::vector<float> node_values(nodes + 1, -7.0f);
            add(out, "variable %d: %d, constant %a:", v, copy_part_values(r, *part, p, v - 1, node_values.data()),
                static_cast<double>(constant_value(r, v)));
            for (std::size_t n = 1; n <= nodes; ++n)
                add(out, " %a", static_cast<double>(node_values[n]));
            out += "\n";
        }
    }
    return out;
}

// The steps looked at: the first, the last and a few between.
inline std::vector<int> steps_of(const ReaderState &r)
{
    const int last = r.Num_time_steps - 1;
    return {0, 1, last / 4, last / 2, (3 * last) / 4, last};
}

}  // namespace snapshot
