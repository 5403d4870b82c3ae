#include "reader_calls.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "case_folder.h"
#include "core/line_reader.h"
#include "core/reader_state.h"
#include "deck/deck_readers.h"
#include "geometry/part_table.h"
#include "geometry/surface_file.h"
#include "interface/default_reader.h"
#include "motion/rigid_body.h"
#include "variables/variables.h"

namespace reader_calls {

namespace {

// Longest crank range the loader lays out, in half-degree steps.
constexpr int most_crank_steps = 1441;

void lay_time_line(ReaderState &state, const ReaderSetup &setup)
{
    if (setup.crank_flag == 1 && setup.engine_mode == 1) {
        const float span = std::min(setup.end - setup.start, 720.0f);
        const int steps = span >= 0.0f ? static_cast<int>(span * 2.0f) + 1 : 1;
        state.Num_time_steps = std::min(steps, most_crank_steps);
        for (int i = 0; i < state.Num_time_steps; ++i) {
            const float half_degrees = 0.5f * static_cast<float>(i);
            state.crank_angles.push_back(setup.start + half_degrees);
            state.time_values.push_back(half_degrees / 6.0f / setup.rpm);
        }
    } else {
        state.Num_time_steps = 51;
        for (int i = 0; i < 51; ++i)
            state.time_values.push_back(setup.start + (setup.end - setup.start) * static_cast<float>(i) / 50.0f);
    }
}

// Diagnostics of the readers under test go nowhere: they would only slow the
// run, while the sanitizers and the fuzzer keep standard error.
void discard_message(void *, const char *) {}

// A fresh reader, as the case loader leaves it before the file is read.
void start(ReaderState &state, const ReaderSetup &setup)
{
    state.message_sink = discard_message;
    state.case_folder = FuzzFolder::path() + path_separator;
    state.dataset_files.assign(5, std::string());
    state.dataset_files[1] = case_path(state, "inputs.in");
    state.dataset_files[2] = case_path(state, "engine.in");
    state.dataset_files[3] = case_path(state, "boundary.in");
    state.crank_flag = setup.crank_flag;
    state.engine_mode = setup.engine_mode;
    state.engine_params.start = setup.start;
    state.engine_params.end = setup.end;
    state.engine_params.rpm = setup.rpm;
    state.Num_variables = setup.engine_mode == 1 ? 10 : 2;
    state.part_table.assign(static_cast<std::size_t>(setup.regions), PartRecord());
    state.motion_table.assign(static_cast<std::size_t>(setup.regions), MotionRecord());
    state.Numparts_available = setup.regions;
    if (setup.time_line)
        lay_time_line(state, setup);
}

// The rigid-body values of every part, and of a part number beyond them, at
// the first, a middle and the last step. (Steps beyond the time line never
// reach the motion layer: the host's step setting keeps them inside it.)
void ask_rigid_bodies(ReaderState &state)
{
    const int steps = std::max(state.Num_time_steps, 1);
    for (int step : {0, steps / 2, steps - 1}) {
        state.current_step = step;
        for (int part = 1; part <= state.Numparts_available + 1; ++part) {
            float values[rigid_body_value_count];
            rigid_body_values(state, part, values);
        }
    }
}

}  // namespace

struct LineFile::Impl {
    CaseFile file;
};

LineFile::LineFile(const std::string &path) : impl(new Impl)
{
    open_case_file(impl->file, path);
}
LineFile::~LineFile() = default;
bool LineFile::is_open() const { return case_file_is_open(impl->file); }
int LineFile::next(char *dest) { return read_next_line(impl->file, dest); }
bool LineFile::next_or_end(char *dest) { return read_line_or_end(impl->file, dest); }
long long LineFile::tell() const { return case_file_tell(impl->file); }
void LineFile::seek(long long offset) { case_file_seek(impl->file, offset); }
bool LineFile::at_end() { return case_file_at_end(impl->file); }
long long LineFile::size() { return case_file_size(impl->file); }

int line_capacity()
{
    return line_buffer_size;
}

int inputs_file(const ReaderSetup &setup)
{
    ReaderState state;
    start(state, setup);
    const int result = read_inputs_file(state);
    if (state.surface_file_name.size() > path_limit)
        fuzz_finding("surface file name longer than the path limit");
    return result;
}

int engine_file(const ReaderSetup &setup)
{
    ReaderState state;
    start(state, setup);
    return read_engine_file(state);
}

int boundary_deck(const ReaderSetup &setup)
{
    ReaderState state;
    start(state, setup);
    state.part_table.clear();
    state.motion_table.clear();
    state.Numparts_available = 0;
    const int result = read_boundary_deck(state);
    if (state.part_table.size() != state.motion_table.size() ||
        state.Numparts_available > static_cast<int>(state.part_table.size()))
        fuzz_finding("part and motion tables disagree with the part count");
    if (state.Num_extra_files < 0 || static_cast<std::size_t>(state.Num_extra_files) + 4 > state.dataset_files.size())
        fuzz_finding("named files beyond the dataset file table");
    for (const PartRecord &part : state.part_table)
        if (part.name.size() > name_limit)
            fuzz_finding("part name longer than the name limit");
    ask_rigid_bodies(state);
    return result;
}

int motion_profile_file(const ReaderSetup &setup, const std::string &name)
{
    ReaderState state;
    start(state, setup);
    state.motion_table[0].moving = 1;
    const int result = read_motion_file(state, 0, FuzzFolder::file(name));
    ask_rigid_bodies(state);
    return result;
}

int arbitrary_motion_file(const ReaderSetup &setup, const std::string &name)
{
    ReaderState state;
    start(state, setup);
    state.motion_table[0].moving = 1;
    const int result = read_ar_motion_file(state, 0, FuzzFolder::file(name));
    ask_rigid_bodies(state);
    return result;
}

int spatial_file(const ReaderSetup &setup, const std::string &name)
{
    ReaderState state;
    start(state, setup);
    const std::string path = FuzzFolder::file(name);
    CaseFile file;
    if (!open_case_file(file, path))
        return -1;
    char line[line_buffer_size + 8] = "";
    read_next_line(file, line);  // the "SPATIAL" line, as the deck reader leaves it
    PartRecord &part = state.part_table[0];
    part.point_file = path;
    const int result = read_spatial_file(state, file, line, 0);
    if (result != 1)
        return result;
    if (part.number_of_nodes > part.point_capacity)
        fuzz_finding("more points than a block holds");
    if (static_cast<std::size_t>(part.point_blocks) * static_cast<std::size_t>(part.point_capacity) * 4 >
        part.point_data.size())
        fuzz_finding("point blocks beyond the point data");

    // As the part table fills a point part: arrays first, then each step.
    part.element_type = element_type_point;
    part.number_of_elements = part.number_of_nodes;
    if (allocate_part_arrays(state, part) != 1)
        return -1;
    for (int step : {0, state.Num_time_steps - 1, state.Num_time_steps + 2}) {
        state.current_step = step;
        CaseFile again;
        if (!open_case_file(again, path) || read_nodal_info(state, again, 0, line) != 1)
            return -1;
        state.geometry_pending = 0;
    }
    return result;
}

int lift_files(const ReaderSetup &setup)
{
    ReaderState state;
    start(state, setup);
    const int intake = read_intake_lift_file(state);
    read_exhaust_lift_file(state);
    if (state.intake_lift.size() != static_cast<std::size_t>(state.Num_time_steps))
        fuzz_finding("intake lifts do not follow the time line");
    for (PartRecord &part : state.part_table)
        part.engine_role = EngineRole::intake_valve;
    ask_rigid_bodies(state);
    return intake;
}

int surface_file(const ReaderSetup &setup, const std::string &name)
{
    ReaderState state;
    start(state, setup);
    const int result = read_surface_file(state, FuzzFolder::file(name));
    if (result != 1)
        return result;
    const int vertices = state.surface_vertex_count;
    if (state.surface_x.size() != static_cast<std::size_t>(vertices))
        fuzz_finding("vertex list and vertex count disagree");
    for (int p = 0; p < surface_part_count(state); ++p) {
        const PartRecord &part = state.part_table[static_cast<std::size_t>(p)];
        const std::size_t corners = 3 * static_cast<std::size_t>(std::max(part.number_of_elements, 0));
        if (part.connectivity.size() < corners)
            fuzz_finding("connectivity shorter than the element count");
        for (std::size_t k = 0; k < corners; ++k)
            if (part.connectivity[k] < 1 || part.connectivity[k] > vertices)
                fuzz_finding("a triangle corner names no vertex");
        // The host's copies, into arrays of the sizes the part announces.
        const std::size_t nodes = static_cast<std::size_t>(std::max(part.number_of_nodes, 0));
        std::vector<float> x(nodes + 1), y(nodes + 1), z(nodes + 1);
        float *xyz[3] = {x.data(), y.data(), z.data()};
        copy_part_coords(state, part, xyz);
        std::vector<int> ids(nodes + 1);
        copy_part_node_ids(part, ids.data());
        const std::size_t elements = static_cast<std::size_t>(std::max(part.number_of_elements, 0));
        std::vector<int> conn(3 * elements);
        std::vector<int *> rows(elements);
        for (std::size_t e = 0; e < elements; ++e)
            rows[e] = conn.data() + 3 * e;
        copy_part_elements(part, rows.data());
    }
    return result;
}

int value_file(const ReaderSetup &setup, const std::string &name, int slot)
{
    ReaderState state;
    start(state, setup);
    state.geometry_pending = 1;
    PartRecord &part = state.part_table[0];
    part.variable_files[slot] = FuzzFolder::file(name);
    const std::size_t size =
        static_cast<std::size_t>(state.Num_time_steps) * static_cast<std::size_t>(per_part_variable_count(state));
    part.step_values.assign(size, 0.0f);
    const int result = get_variable_values_from_file(state, 0, slot);
    if (part.step_values.size() != size)
        fuzz_finding("step values resized by a value file");
    return result;
}

void fresh_default_reader()
{
    ReaderState &reader = default_reader();
    reader = ReaderState();
    reader.message_sink = discard_message;
}

}  // namespace reader_calls
