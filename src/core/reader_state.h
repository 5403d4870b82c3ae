// The reader state: a ReaderState is one reader, and every value the reader
// keeps between calls lives in it. Every routine of the reader works on the
// reader it is given as its first parameter `state`; nothing else holds
// state, so readers are independent of each other. One reader is used by one
// thread at a time, so there are no locks; different readers may run on
// different threads at once. A new case load starts from a clean record; only
// the reader dialog's choices carry over (begin_new_load).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/findings.h"

constexpr int Num_dims = 3;            // space dimensions, never changed
constexpr int Num_timesets = 1;        // the reader offers one time set
constexpr int geom_timeset = 1;        // the geometry belongs to it
constexpr int node_label_flag = 1;     // node ids are given for every part
constexpr int element_label_flag = 0;  // element ids are never given

constexpr std::size_t path_limit = 254;  // longest path or file name kept

// The separators a path may hold on this platform, its own first; the
// platform's own is the one appended to the case folder.
#if defined(_WIN32)
constexpr char path_separators[] = "\\/";
#else
constexpr char path_separators[] = "/";
#endif
constexpr char path_separator[] = {path_separators[0], '\0'};

constexpr std::size_t name_limit = 79;   // longest part or variable name kept
constexpr int variable_file_slots = 10;  // value-file slots of a part record

// Host element-type codes used by this reader.
constexpr int element_type_point = 0;
constexpr int element_type_triangle = 6;

// A time line laid out in equal steps divides the run into 50 spacings, so
// its 51 steps end at the run's end. Rotations turn by one such spacing per
// step whatever the time line holds.
constexpr int equal_step_count = 51;
constexpr float equal_step_divisor = static_cast<float>(equal_step_count - 1);

// The fixed slots of dataset_files; the files boundary.in names follow from
// first_named_file_slot on, in deck order.
enum DatasetSlot : std::size_t {
    surface_file_slot = 0,
    inputs_file_slot = 1,
    engine_file_slot = 2,
    boundary_file_slot = 3,
    first_named_file_slot = 4,
};

// The bit of a dataset slot in ReaderState::files_read.
constexpr unsigned read_bit(DatasetSlot slot)
{
    return 1u << static_cast<unsigned>(slot);
}

// What a part is in an engine case, from the marks of its region block.
enum class EngineRole { none, piston, intake_valve, exhaust_valve };

struct EngineParams {
    float start = 0;   // run start: crank degrees (crank_flag 1) or seconds
    float end = 0;     // run end, same unit
    float bore = 0;    // metres
    float stroke = 0;  // metres
    float conrod = 0;  // connecting-rod length, metres
    float rpm = 0;     // engine speed, revolutions per minute
};

// A crank angle in degrees as the time in seconds the engine takes to turn
// that far at `rpm`: degrees / 360 x (60 / rpm). The seconds per revolution
// are always a float; Real is the precision of the rest (float for the times
// of the case files and the run's end, double for the crank time line).
template <typename Real>
Real crank_degrees_to_seconds(Real degrees, float rpm)
{
    return degrees / Real(360) * static_cast<Real>(60.0f / rpm);
}

// The spacing of the equal steps over the run from start to end.
inline float equal_step_spacing(const EngineParams &p)
{
    return (p.end - p.start) / equal_step_divisor;
}

// The times of `count` equal steps from the run's start.
std::vector<float> equal_step_times(const EngineParams &p, std::size_t count);

// How one region moves outside engine mode. An empty vector or a false
// has_ flag means the optional field is absent.
struct MotionRecord {
    int moving = 0;
    std::vector<float> translation_steps;  // 3 floats per time step (profile file)
    std::vector<float> arbitrary_steps;    // 7 floats per time step: x, y, z, e0..e3
    bool has_translation_velocity = false;
    float translation_velocity[3] = {0, 0, 0};
    bool has_rotation = false;
    float rotation[7] = {0, 0, 0, 0, 0, 0, 0};  // centre, axis, degrees per second
    bool has_rotation_translation = false;
    float rotation_translation[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // velocity, centre, axis, deg/s
    bool has_arbitrary_cg = false;
    float arbitrary_cg[3] = {0, 0, 0};
};

// One part as the host sees it: a boundary region's surface part, or a point
// part made from a spatial value file.
struct PartRecord {
    // Set by the boundary deck reader.
    std::string name;        // at most name_limit characters
    EngineRole engine_role = EngineRole::none;
    std::string point_file;  // point parts: path of the spatial file

    // Sizes and element kind.
    int number_of_nodes = 0;
    int nodes_per_element = 0;
    int number_of_elements = 0;
    int element_type = 0;
    int element_type_index = 0;

    // Surface parts. Every surface part carries all vertices of the surface
    // file as its nodes; a vertex none of its triangles uses sits at (0,0,0).
    // `coords` and `initial_coords` of a surface part are therefore not stored
    // per part: they are computed from the shared vertex list and the part's
    // `used_vertices` bit set (bit n-1 for vertex n), plus the liner's bottom
    // ring below. `connectivity` holds corner k of element e at [3 * e + k].
    std::vector<int> connectivity;
    std::vector<std::uint64_t> used_vertices;
    // The bit set covers only the words from the part's lowest to its highest
    // used vertex: used_vertices[0] holds vertices 64 * used_first_word + 1 on.
    int used_first_word = 0;

    // Moving liner: nodes whose first-built z equals liner_min_z form the
    // bottom ring; their current z is liner_bottom_z (all share it, since they
    // all start from the same z).
    bool liner_bottom_nodes_built = false;
    float liner_min_z = 0;
    float liner_bottom_z = 0;

    // Point parts: stored node data, rewritten from point_data on each build.
    std::vector<float> coords;  // 3 floats per node
    std::vector<int> node_ids;
    std::vector<float> point_data;  // per block, per point: x, y, z, value
    int point_blocks = 0;           // blocks of point_data the file filled
    int point_capacity = 0;         // points per block in point_data
    int value_slot = -1;            // the per-part variable the file's value column fills, -1 none

    // Variables. A surface part has one value per per-part variable and step,
    // the same at all its nodes: surface_values holds it for the built step,
    // standing for node_values. Point parts keep real node_values arrays.
    std::vector<float> constant_values;  // Num_variables entries
    std::string variable_files[variable_file_slots];
    std::vector<float> step_values;      // per step, per per-part variable
    float surface_values[3] = {0, 0, 0};
    std::vector<std::vector<float>> node_values;  // point parts: Num_variables arrays
};

// Receives one diagnostic message of a reader, as formatted text (one or more
// lines, or part of one, exactly as it would be written to standard error).
using MessageSink = void (*)(void *user, const char *text);

struct ReaderState {
    // Reader dialog choices (kept across loads).
    int debug_flag = 0;
    int moving_liner = 0;
    int Num_pulldowns = 1;
    int pulldown_values[1] = {0};

    // Where the reader's diagnostics go (kept across loads): standard error
    // when message_sink is null, else message_sink(message_user, text).
    MessageSink message_sink = nullptr;
    void *message_user = nullptr;

    // Case files.
    std::string host_file_name;
    std::string case_folder;  // ends with the platform's path separator
    std::string surface_file_name;
    std::vector<std::string> dataset_files;  // indexed by DatasetSlot, then the named files
    int Num_extra_files = 0;
    int Num_dataset_files = 0;
    // Which of the first four dataset_files the readers took in: read_bit(k)
    // for slot k. A file that exists but was not read (engine.in whose keys
    // were not found, a surface file that could not be opened) has its bit
    // clear.
    unsigned files_read = 0;

    // Counts.
    int Numparts_available = 0;
    int Num_point_parts = 0;
    int Num_variables = 0;

    // The time line.
    int current_timeset = 1;
    int current_step = 0;
    int Num_time_steps = 1;
    std::vector<float> time_values;   // seconds; empty = not created yet
    std::vector<float> crank_angles;  // degrees; only for a crank-angle time line
    int crank_flag = 0;
    EngineParams engine_params;
    bool end_in_seconds = false;  // the run's end was converted once from crank degrees
    bool profile_resampled = false;  // a motion profile was spread over equal steps

    // Valve lifts.
    int lift_files_present = 0;
    std::vector<float> intake_lift, exhaust_lift;  // per step
    float intake_direction[3] = {0, 0, 0};
    float exhaust_direction[3] = {0, 0, 0};

    // Boundary deck results.
    int engine_mode = 0;
    int rigid_motion_present = 0;
    int bracket_seen = 0;
    std::vector<PartRecord> part_table;
    std::vector<MotionRecord> motion_table;

    // Variables.
    std::vector<std::string> variable_names;
    int total_pressure_present = 0;

    // Geometry build.
    int geometry_pending = 1;
    int built_step = -1;
    int default_node_count = 1000;
    int default_element_count = 1000;
    int surface_vertex_count = 0;  // NV of the surface file
    std::vector<float> surface_x, surface_y, surface_z;  // vertex n at index n-1

    // What the readers found in the case that its author most likely did not
    // mean (core/findings.h), in the order found.
    std::vector<Finding> findings;
    // How many of them the load made: those after it come from the build of
    // the parts (-1 until a build starts).
    long long findings_before_build = -1;
};

// Starts a new case load: everything back to its initial value except the
// reader dialog's choices and the diagnostics sink.
void begin_new_load(ReaderState &state);

// Takes the reader dialog's choices: the "Moving Liner" toggle (1 on) and the
// "Console Output" pulldown entry (0 "Normal", 1 "Verbose", 2 "Debug"). Kept
// across loads. Choosing "Debug", or an unknown entry while debugging, lists
// the pulldown's value among the reader's diagnostics.
void set_dialog_choices(ReaderState &state, int moving_liner, int console_output);

// Makes `step` the current step of `timeset`, the step clamped into the time
// line so that every per-step table is read within its rows. A time set other
// than 1 is reported.
void set_current_step(ReaderState &state, int timeset, int step);

// Number of per-part variables: Pressure, Total_Pressure when present, Temperature.
inline int per_part_variable_count(const ReaderState &state) { return state.total_pressure_present + 2; }

// Sets Num_variables from what the load found: the per-part variables, plus
// the eight engine constants in an engine case whose engine.in gave all four
// values and in which no motion profile was spread over equal steps; two
// fewer on a crank-angle time line of an engine case without lift files
// (even when no engine constants were counted).
void count_variables(ReaderState &state);

// The path in dataset slot `slot`, empty when the table has no such slot.
const std::string &dataset_file(const ReaderState &state, std::size_t slot);

// The entry of a per-step table (stride floats per step) for the current
// step, or nullptr when the table has no row for it.
const float *step_row(const std::vector<float> &table, int stride, int step);

// The float at index i, or 0 when the table is shorter.
float entry_or_zero(const std::vector<float> &table, int i);
