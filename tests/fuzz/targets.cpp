// The targets that read one kind of case file with the reader's own routines,
// each on a fresh reader set up as the case loader leaves it before that file
// is read; the reader's diagnostics are dropped through its message sink.
#include <algorithm>
#include <initializer_list>

#include "core/line_reader.h"
#include "core/reader_state.h"
#include "core/value_table.h"
#include "deck/deck_readers.h"
#include "fuzz.h"
#include "geometry/part_table.h"
#include "geometry/surface_file.h"
#include "motion/rigid_body.h"
#include "variables/variables.h"

namespace {

// What the case loader would have settled before the file is read.
struct Setup {
    int crank_flag = 0;      // 1: the run is in crank degrees
    int engine_mode = 0;     // 1: an engine case
    float start = 0.0f;      // run start and end, crank degrees or seconds
    float end = 2.0f;
    int regions = 1;         // records in the part and motion tables
    bool time_line = false;  // lay out the run's time line first
};

constexpr Setup seconds{};
constexpr Setup crank{1, 0, 0.0f, 720.0f, 1, false};
constexpr Setup engine_cycle{1, 1, 0.0f, 720.0f, 1, true};

constexpr float rpm = 1200.0f;

void discard_message(void *, const char *) {}

struct Reader {
    ReaderState state;

    explicit Reader(const Setup &s)
    {
        state.message_sink = discard_message;
        state.case_folder = fuzz_folder::path() + path_separator;
        state.dataset_files.assign(5, std::string());
        state.dataset_files[1] = case_path(state, "inputs.in");
        state.dataset_files[2] = case_path(state, "engine.in");
        state.dataset_files[3] = case_path(state, "boundary.in");
        state.crank_flag = s.crank_flag;
        state.engine_mode = s.engine_mode;
        state.engine_params.start = s.start;
        state.engine_params.end = s.end;
        state.engine_params.rpm = rpm;
        state.Num_variables = s.engine_mode == 1 ? 10 : 2;
        state.part_table.assign(static_cast<std::size_t>(s.regions), PartRecord());
        state.motion_table.assign(static_cast<std::size_t>(s.regions), MotionRecord());
        state.Numparts_available = s.regions;
        if (s.time_line)
            lay_time_line(s);
    }

    // As the loader lays it out: crank angles by half degrees over at most
    // one cycle in an engine crank case, else equal steps in seconds.
    void lay_time_line(const Setup &s)
    {
        if (s.crank_flag != 1 || s.engine_mode != 1) {
            state.Num_time_steps = equal_step_count;
            state.time_values = equal_step_times(state.engine_params, equal_step_count);
            return;
        }
        const float span = std::min(s.end - s.start, engine_cycle_degrees);
        state.Num_time_steps = span < 0.0f ? 1 : static_cast<int>(span * 2.0f) + 1;
        for (int i = 0; i < state.Num_time_steps; ++i) {
            state.crank_angles.push_back(s.start + 0.5f * static_cast<float>(i));
            state.time_values.push_back(crank_degrees_to_seconds(0.5f * static_cast<float>(i), rpm));
        }
    }

    // The rigid-body values of every part and of one beyond them, at the
    // first, a middle and the last step.
    void ask_rigid_bodies()
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
};

const std::string lines_name = "lines.txt";

}  // namespace

// Every delivered line fits the buffer, holds no line feed and no blank at
// either end; reading again from a told position gives the same line; every
// call moves on, so reading ends, and so does the searching readers' loop.
void line_reader(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay_one(lines_name, data, size);
    std::vector<char> line(line_buffer_size, 0), again(line_buffer_size, 0);
    CaseFile file;
    if (!open_case_file(file, fuzz_folder::file(lines_name)))
        fuzz_finding("a laid file cannot be opened");
    if (case_file_size(file) != static_cast<long long>(size))
        fuzz_finding("file size differs from the bytes written");
    for (;;) {
        const long long here = case_file_tell(file);
        if (read_next_line(file, line.data()) == 1) {
            const std::size_t n = std::strlen(line.data());
            if (n + 2 > static_cast<std::size_t>(line_buffer_size) || std::memchr(line.data(), '\n', n) ||
                (n > 0 && (line[0] == ' ' || line[n - 1] == ' ')))
                fuzz_finding("a delivered line is too long, holds a line feed or keeps a blank at an end");
            const long long after = case_file_tell(file);
            case_file_seek(file, here);
            if (read_next_line(file, again.data()) != 1 || std::strcmp(line.data(), again.data()) != 0 ||
                case_file_tell(file) != after)
                fuzz_finding("reading again from a told position gives another line");
        } else if (case_file_at_end(file)) {
            break;
        }
        if (case_file_tell(file) <= here)
            fuzz_finding("a read did not move on");
    }
    if (case_file_tell(file) != static_cast<long long>(size))
        fuzz_finding("reading ended before the end of the file");
    CaseFile search;
    open_case_file(search, fuzz_folder::file(lines_name));
    for (std::size_t turns = 0; read_line_or_end(search, line.data());)
        if (++turns > size)
            fuzz_finding("searching for a line does not end");
}

void inputs_file(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay_one("inputs.in", data, size);
    Reader r(seconds);
    read_inputs_file(r.state);
    if (r.state.surface_file_name.size() > path_limit)
        fuzz_finding("surface file name longer than the path limit");
}

void engine_file(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay_one("engine.in", data, size);
    Reader r(seconds);
    read_engine_file(r.state);
}

// boundary.in with the files it names, in a run in seconds and in crank degrees.
void boundary_deck(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay(unpack_case(data, size, "boundary.in"));
    for (const Setup &setup : {seconds, crank}) {
        Reader r(setup);
        ReaderState &state = r.state;
        state.part_table.clear();
        state.motion_table.clear();
        state.Numparts_available = 0;
        read_boundary_deck(state);
        if (state.part_table.size() != state.motion_table.size() ||
            state.Numparts_available > static_cast<int>(state.part_table.size()))
            fuzz_finding("part and motion tables disagree with the part count");
        if (state.Num_extra_files < 0 ||
            static_cast<std::size_t>(state.Num_extra_files) + 4 > state.dataset_files.size())
            fuzz_finding("named files beyond the dataset file table");
        for (const PartRecord &part : state.part_table)
            if (part.name.size() > name_limit)
                fuzz_finding("part name longer than the name limit");
        r.ask_rigid_bodies();
    }
    fuzz_folder::expect_unchanged();
}

// One file read as a motion profile and as an arbitrary-motion file (in
// seconds and in crank degrees) and as a spatial value file; the three
// readers share the header search and the row reading.
void motion_files(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay_one("motion.dat", data, size);
    const std::string path = fuzz_folder::file("motion.dat");
    for (const Setup &setup : {seconds, crank}) {
        for (auto read : {read_motion_file, read_ar_motion_file}) {
            Reader r(setup);
            r.state.motion_table[0].moving = 1;
            read(r.state, 0, path);
            r.ask_rigid_bodies();
        }
    }
    Reader r(seconds);
    ReaderState &state = r.state;
    CaseFile file;
    char line[line_buffer_size + 8] = "";
    if (!open_case_file(file, path))
        return;
    read_next_line(file, line);  // the "SPATIAL" line, as the deck reader leaves it
    PartRecord &part = state.part_table[0];
    part.point_file = path;
    if (read_spatial_file(state, file, line, 0) != 1)
        return;
    if (part.number_of_nodes > part.point_capacity ||
        static_cast<std::size_t>(part.point_blocks) * static_cast<std::size_t>(part.point_capacity) * 4 >
            part.point_data.size())
        fuzz_finding("more points than a block holds, or blocks beyond the point data");
    // As the part table fills a point part: arrays first, then each step.
    part.element_type = element_type_point;
    part.number_of_elements = part.number_of_nodes;
    if (allocate_part_arrays(state, part) != 1)
        return;
    for (int step : {0, state.Num_time_steps - 1, state.Num_time_steps + 2}) {
        state.current_step = step;
        CaseFile again;
        if (!open_case_file(again, path) || read_nodal_info(state, again, 0, line) != 1)
            return;
        state.geometry_pending = 0;
    }
}

// intake_lift.in, with exhaust_lift.in in a section of its own, on a crank
// range of one cycle and on one that starts in a later cycle.
void lift_files(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay(unpack_case(data, size, "intake_lift.in"));
    Setup later = engine_cycle;
    later.start = 900.0f;
    later.end = 1300.0f;
    for (const Setup &setup : {engine_cycle, later}) {
        Reader r(setup);
        read_intake_lift_file(r.state);
        read_exhaust_lift_file(r.state);
        if (r.state.intake_lift.size() != static_cast<std::size_t>(r.state.Num_time_steps))
            fuzz_finding("intake lifts do not follow the time line");
        for (PartRecord &part : r.state.part_table)
            part.engine_role = EngineRole::intake_valve;
        r.ask_rigid_bodies();
    }
}

// The surface file of a case with three regions, and the host's copies of
// each part into arrays of the sizes the part announces.
void surface_file(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay_one("surface.dat", data, size);
    Setup three = seconds;
    three.regions = 3;
    Reader r(three);
    ReaderState &state = r.state;
    if (read_surface_file(state, fuzz_folder::file("surface.dat")) != 1)
        return;
    const int vertices = state.surface_vertex_count;
    if (state.surface_x.size() != static_cast<std::size_t>(vertices))
        fuzz_finding("vertex list and vertex count disagree");
    for (int p = 0; p < surface_part_count(state); ++p) {
        const PartRecord &part = state.part_table[static_cast<std::size_t>(p)];
        const std::size_t elements = static_cast<std::size_t>(std::max(part.number_of_elements, 0));
        if (part.connectivity.size() < 3 * elements)
            fuzz_finding("connectivity shorter than the element count");
        for (std::size_t k = 0; k < 3 * elements; ++k)
            if (part.connectivity[k] < 1 || part.connectivity[k] > vertices)
                fuzz_finding("a triangle corner names no vertex");
        const std::size_t nodes = static_cast<std::size_t>(std::max(part.number_of_nodes, 0));
        std::vector<float> x(nodes + 1), y(nodes + 1), z(nodes + 1);
        float *xyz[3] = {x.data(), y.data(), z.data()};
        copy_part_coords(state, part, xyz);
        std::vector<int> ids(nodes + 1), conn(3 * elements);
        copy_part_node_ids(part, ids.data());
        std::vector<int *> rows(elements);
        for (std::size_t e = 0; e < elements; ++e)
            rows[e] = conn.data() + 3 * e;
        copy_part_elements(part, rows.data());
    }
}

// A boundary value file on a time line in seconds (as a pressure) and on an
// engine's crank-angle time line (as a temperature).
void value_files(const std::uint8_t *data, std::size_t size)
{
    fuzz_folder::lay_one("values.dat", data, size);
    Setup timed = seconds;
    timed.time_line = true;
    Setup engine = engine_cycle;
    engine.start = -90.0f;
    engine.end = 630.0f;
    int slot = 0;
    for (const Setup &setup : {timed, engine}) {
        Reader r(setup);
        ReaderState &state = r.state;
        state.geometry_pending = 1;
        PartRecord &part = state.part_table[0];
        part.variable_files[slot] = fuzz_folder::file("values.dat");
        const std::size_t values = static_cast<std::size_t>(state.Num_time_steps) *
                                   static_cast<std::size_t>(per_part_variable_count(state));
        part.step_values.assign(values, 0.0f);
        get_variable_values_from_file(state, 0, slot++);
        if (part.step_values.size() != values)
            fuzz_finding("step values resized by a value file");
    }
}
