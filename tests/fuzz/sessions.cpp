// The two targets that take a whole packed case (the leading text is
// inputs.in; sections give engine.in, boundary.in, the surface file, any
// named file and the dialog's choices), and the sessions that ask a loaded
// case everything: through the host's entry points, as the host does, and
// through the C interface.
#include <algorithm>
#include <initializer_list>

#include "core/reader_state.h"
#include "fuzz.h"
#include "interface/default_reader.h"
#include "userd_api.h"

namespace {

void discard_message(void *, const char *) {}

// `count` rows of `width` elements, as the array of row pointers the host
// hands over (at least one row, so that an empty list is a valid array).
template <typename T>
struct Rows {
    std::vector<T> data;
    std::vector<T *> rows;

    Rows(const Rows &) = delete;  // a copy would point into the original's rows
    Rows(Rows &&) = default;

    Rows(std::size_t count, std::size_t width) : data(std::max<std::size_t>(count, 1) * width)
    {
        for (std::size_t i = 0; i < std::max<std::size_t>(count, 1); ++i)
            rows.push_back(data.data() + i * width);
    }
    T **get() { return rows.data(); }
    T *row(std::size_t i) { return rows[i]; }
};

// A count the host would size buffers by, or 0 when a session does not copy.
std::size_t copied(int count)
{
    return count > 0 && count <= session_most_copied ? static_cast<std::size_t>(count) : 0;
}

// The dialog's choices as the host hands them over (the reader's identity and
// its dialog's titles and defaults do not depend on the case: the golden
// transcripts show them).
void dialog(const DialogChoices &choices)
{
    int toggles = 0, pulldowns = 0, fields = 0;
    USERD_get_extra_gui_numbers(&toggles, &pulldowns, &fields);
    std::vector<int> toggle_values(std::max(copied(toggles), std::size_t{1}), choices.liner),
        pulldown_values(std::max(copied(pulldowns), std::size_t{1}), choices.console);
    Rows<char> no_fields(std::max(copied(fields), std::size_t{1}), Z_LEN_GUI_FIELD_STR);
    USERD_set_server_number(1, 1);
    USERD_set_extra_gui_data(toggle_values.data(), pulldown_values.data(), no_fields.get());
}

struct HostPart {
    int nodes = 0;
    int elements[Z_MAXTYPE] = {};
};

std::vector<HostPart> host_parts(Digest &d)
{
    const int n = USERD_get_number_of_model_parts();
    d.add(n);
    const std::size_t count = copied(n);
    std::vector<int> ids(count + 1), kinds(count + 1), nodes(count + 1);
    Rows<char> names(count, Z_BUFL);
    Rows<int> elements(count, Z_MAXTYPE), ijk(count, 9), iblank(count, 6);
    if (count > 0)
        d.add(USERD_get_gold_part_build_info(ids.data(), kinds.data(), names.get(), nodes.data(), elements.get(),
                                             ijk.get(), iblank.get()));
    std::vector<HostPart> list(count);
    for (std::size_t i = 0; i < count; ++i) {
        list[i].nodes = nodes[i];
        std::copy(elements.row(i), elements.row(i) + Z_MAXTYPE, list[i].elements);
        d.add(ids[i]);
        d.text(names.row(i), Z_BUFL);
        d.add(list[i]);
    }
    return list;
}

// The variables' types.
std::vector<int> host_variables(Digest &d)
{
    const int n = USERD_get_number_of_variables();
    d.add(n);
    const std::size_t count = copied(n);
    Rows<char> names(count, Z_BUFL), files(count, Z_BUFL), ifiles(count, Z_BUFL);
    std::vector<int> type(count + 1), classify(count + 1), complex(count + 1), contran(count + 1), timeset(count + 1);
    std::vector<float> freq(count + 1);
    if (count > 0)
        d.add(USERD_get_gold_variable_info(names.get(), files.get(), type.data(), classify.data(), complex.data(),
                                           ifiles.get(), freq.data(), contran.data(), timeset.data()));
    for (std::size_t i = 0; i < count; ++i)
        d.text(names.row(i), Z_BUFL);
    type.resize(count);
    d.bytes(type.data(), count * sizeof(int));
    return type;
}

void host_part_at_step(int number, const HostPart &part, const std::vector<int> &types, bool rigid, Digest &d)
{
    for (int t = 0; t < Z_MAXTYPE; ++t) {
        const std::size_t count = copied(part.elements[t]);
        if (count == 0)
            continue;
        Rows<int> conn(count, t == Z_TRI03 ? 3 : 1);
        d.add(USERD_get_part_elements_by_type(number, t, conn.get()));
        d.bytes(conn.data.data(), conn.data.size() * sizeof(int));
        std::vector<int> element_ids(count);
        d.add(USERD_get_part_element_ids_by_type(number, t, element_ids.data()));
    }
    const bool copy = part.nodes >= 0 && part.nodes <= session_most_copied;
    const std::size_t slots = copy ? static_cast<std::size_t>(part.nodes) + 1 : 0;
    if (copy) {
        Rows<float> xyz(3, slots);
        std::vector<int> ids(slots);
        d.add(USERD_get_part_coords(number, xyz.get()));
        d.add(USERD_get_part_node_ids(number, ids.data()));
        for (int c = 0; c < 3; ++c)
            d.bytes(xyz.row(static_cast<std::size_t>(c)) + 1, (slots - 1) * sizeof(float));
        d.bytes(ids.data() + 1, (slots - 1) * sizeof(int));
    }
    if (rigid) {
        float values[14];
        d.add(USERD_rigidbody_values(number, values));
        d.bytes(values, sizeof values);
    }
    for (std::size_t v = 0; copy && v < types.size(); ++v) {
        if (types[v] != Z_SCALAR)
            continue;
        const int var = static_cast<int>(v) + 1;
        char line1[Z_BUFL], line2[Z_BUFL];
        d.add(USERD_get_descrip_lines(Z_VARI, var, 0, line1, line2));
        std::vector<float> values(slots);
        const int result = USERD_get_var_by_component(var, number, Z_SCALAR, 0, 0, 0, values.data());
        d.add(result);
        if (result == Z_OK)
            d.bytes(values.data() + 1, (slots - 1) * sizeof(float));
    }
}

// Ends the run when a call's result is not the one wanted.
void expect(int result, int wanted, const char *call)
{
    if (result != wanted)
        fuzz_finding(std::string(call) + " gave " + std::to_string(result) + ", not " + std::to_string(wanted));
}

// A query made right may find nothing to give, but must not fail.
int answered(int result, const char *call)
{
    if (result != VC_OK && result != VC_NO_VALUES)
        fuzz_finding(std::string(call) + " failed with " + std::to_string(result));
    return result;
}

void library_files_and_texts(vc_case *c, Digest &d)
{
    const char *text = nullptr;
    answered(vc_folder(c, &text), "vc_folder");
    expect(vc_folder(c, nullptr), VC_ERR_ARGUMENT, "vc_folder without a pointer");
    for (int which = VC_FILE_INPUTS; which <= VC_FILE_SURFACE; ++which) {
        int found = -1;
        answered(vc_case_file(c, which, &text, &found), "vc_case_file");
        if (!text || (found != 0 && found != 1))
            fuzz_finding("vc_case_file: no path, or found neither 0 nor 1");
        d.text(text, 4096);
        d.add(found);
    }
    expect(vc_case_file(c, VC_FILE_INPUTS - 1, nullptr, nullptr), VC_ERR_RANGE, "vc_case_file before the first");
    expect(vc_case_file(c, VC_FILE_SURFACE + 1, nullptr, nullptr), VC_ERR_RANGE, "vc_case_file past the last");
    int messages = 0, findings = 0;
    answered(vc_message_count(c, &messages), "vc_message_count");
    for (int i = 0; i < messages; ++i) {
        text = nullptr;
        answered(vc_message(c, i, &text), "vc_message");
        if (!text)
            fuzz_finding("vc_message: no text");
    }
    expect(vc_message(c, messages, &text), VC_ERR_RANGE, "vc_message past the last");
    expect(vc_message(c, -1, &text), VC_ERR_RANGE, "vc_message before the first");
    answered(vc_finding_count(c, &findings), "vc_finding_count");
    d.add(findings);
    vc_finding_info f{};
    for (int i = 0; i < findings; ++i) {
        answered(vc_finding(c, i, &f), "vc_finding");
        if (!f.severity || !f.code || !f.file || !f.message || !f.suggestion)
            fuzz_finding("vc_finding: a text missing");
        d.text(f.code, 256);
        d.text(f.file, 4096);
        d.add(f.line);
    }
    expect(vc_finding(c, findings, &f), VC_ERR_RANGE, "vc_finding past the last");
    expect(vc_finding(c, 0, nullptr), VC_ERR_ARGUMENT, "vc_finding without a pointer");
}

// The time line and crank angles; returns the number of steps.
int library_time_line(vc_case *c, Digest &d)
{
    int steps = 0, engine = -1;
    answered(vc_step_count(c, &steps), "vc_step_count");
    answered(vc_is_engine(c, &engine), "vc_is_engine");
    d.add(steps);
    d.add(engine);
    if (steps < 0 || steps > session_most_steps)
        return steps;
    std::vector<float> times(static_cast<std::size_t>(steps) + 1);
    const std::size_t bytes = static_cast<std::size_t>(steps) * sizeof(float);
    answered(vc_times(c, times.data(), steps), "vc_times");
    d.bytes(times.data(), bytes);
    const int angles = answered(vc_crank_angles(c, times.data(), steps), "vc_crank_angles");
    d.add(angles);
    if (angles == VC_OK)
        d.bytes(times.data(), bytes);
    if (steps > 0) {
        expect(vc_times(c, times.data(), steps - 1), VC_ERR_SIZE, "vc_times one short");
        if (angles == VC_OK)
            expect(vc_crank_angles(c, times.data(), steps - 1), VC_ERR_SIZE, "vc_crank_angles one short");
    }
    expect(vc_times(c, nullptr, steps), VC_ERR_ARGUMENT, "vc_times without an array");
    return steps;
}

struct LibraryPart {
    vc_part_info info{};
    bool copied = false;  // small enough to copy its arrays out
};

// What each part is, its sources and its compact mesh.
std::vector<LibraryPart> library_parts(vc_case *c, int variables, Digest &d)
{
    int count = 0, source = 0;
    answered(vc_part_count(c, &count), "vc_part_count");
    d.add(count);
    vc_part_info bad{};
    expect(vc_part(c, 0, &bad), VC_ERR_RANGE, "vc_part 0");
    expect(vc_part(c, count + 1, &bad), VC_ERR_RANGE, "vc_part past the last");
    std::vector<LibraryPart> seen(static_cast<std::size_t>(std::max(count, 0)));
    for (int p = 1; p <= count; ++p) {
        vc_part_info &info = seen[static_cast<std::size_t>(p - 1)].info;
        answered(vc_part(c, p, &info), "vc_part");
        if (!info.name || info.vertex_count < 0 || info.triangle_count < 0)
            fuzz_finding("vc_part: no name or a negative count");
        d.text(info.name, 4096);
        for (int field : {info.kind, info.role, info.motion, info.vertex_count, info.triangle_count,
                          info.host_node_count})
            d.add(field);
        for (int v = 1; v <= variables; ++v) {
            answered(vc_part_source(c, p, v, &source), "vc_part_source");
            d.add(source);
        }
        expect(vc_part_source(c, p, variables + 1, &source), VC_ERR_RANGE, "vc_part_source past the last variable");
        seen[static_cast<std::size_t>(p - 1)].copied =
            info.vertex_count <= session_most_copied && info.triangle_count <= session_most_copied;
        if (!seen[static_cast<std::size_t>(p - 1)].copied)
            continue;
        const int corners = 3 * info.triangle_count, n = info.vertex_count;
        std::vector<int> triangles(static_cast<std::size_t>(corners) + 1), numbers(static_cast<std::size_t>(n) + 1);
        answered(vc_part_triangles(c, p, triangles.data(), corners), "vc_part_triangles");
        answered(vc_part_node_numbers(c, p, numbers.data(), n), "vc_part_node_numbers");
        for (int i = 0; i < corners; ++i)
            if (triangles[static_cast<std::size_t>(i)] < 0 || triangles[static_cast<std::size_t>(i)] >= n)
                fuzz_finding("vc_part_triangles: a corner names no point of the part");
        for (int i = 0; info.kind == VC_KIND_SURFACE && i < n; ++i)
            if (numbers[static_cast<std::size_t>(i)] < 1 || numbers[static_cast<std::size_t>(i)] > info.host_node_count)
                fuzz_finding("vc_part_node_numbers: a number names no vertex of the surface file");
        d.bytes(triangles.data(), static_cast<std::size_t>(corners) * sizeof(int));
        d.bytes(numbers.data(), static_cast<std::size_t>(n) * sizeof(int));
        if (corners > 0)
            expect(vc_part_triangles(c, p, triangles.data(), corners - 1), VC_ERR_SIZE, "vc_part_triangles one short");
        if (n > 0)
            expect(vc_part_node_numbers(c, p, numbers.data(), n - 1), VC_ERR_SIZE, "vc_part_node_numbers one short");
    }
    return seen;
}

// Points, rigid-body values and values of every part, and the constants, at one step.
void library_step(vc_case *c, int step, const std::vector<LibraryPart> &parts, const std::vector<int> &constant,
                  Digest &d)
{
    const int variables = static_cast<int>(constant.size());
    float single = 0.0f;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const int p = static_cast<int>(i) + 1, n = parts[i].info.vertex_count;
        float rb[14] = {};
        d.add(answered(vc_rigid_body(c, p, step, rb), "vc_rigid_body"));
        d.bytes(rb, sizeof rb);
        if (!parts[i].copied)
            continue;
        std::vector<float> xyz(3 * static_cast<std::size_t>(n) + 1), values(static_cast<std::size_t>(n) + 1);
        answered(vc_part_points(c, p, step, xyz.data(), 3 * n), "vc_part_points");
        d.bytes(xyz.data(), 3 * static_cast<std::size_t>(n) * sizeof(float));
        if (n > 0)
            expect(vc_part_points(c, p, step, xyz.data(), 3 * n - 1), VC_ERR_SIZE, "vc_part_points one short");
        for (int v = 1; v <= variables; ++v) {
            if (constant[static_cast<std::size_t>(v - 1)]) {
                expect(vc_part_values(c, p, step, v, values.data(), n), VC_ERR_ARGUMENT, "vc_part_values of a constant");
                continue;
            }
            const int given = answered(vc_part_values(c, p, step, v, values.data(), n), "vc_part_values");
            d.add(given);
            if (given == VC_OK)
                d.bytes(values.data(), static_cast<std::size_t>(n) * sizeof(float));
            if (parts[i].info.kind == VC_KIND_POINTS) {
                expect(vc_part_value(c, p, step, v, &single), VC_ERR_ARGUMENT, "vc_part_value of a point part");
                continue;
            }
            const int one = answered(vc_part_value(c, p, step, v, &single), "vc_part_value");
            if (one != given || (one == VC_OK && n > 0 && std::memcmp(&single, values.data(), sizeof single) != 0))
                fuzz_finding("vc_part_value differs from vc_part_values");
        }
    }
    for (int v = 1; v <= variables; ++v) {
        if (!constant[static_cast<std::size_t>(v - 1)]) {
            expect(vc_constant(c, v, step, &single), VC_ERR_ARGUMENT, "vc_constant of a per-part variable");
            continue;
        }
        d.add(answered(vc_constant(c, v, step, &single), "vc_constant"));
        d.add(single);
    }
}

// Opens the case; a failed open must leave no handle and say why.
vc_case *open_case(const std::string &path, unsigned flags)
{
    vc_case *handle = nullptr;
    if (vc_open(path.c_str(), flags, &handle) == VC_OK && handle)
        return handle;
    if (handle || std::strlen(vc_open_error()) == 0)
        fuzz_finding("a failed vc_open handed out a handle or does not say why");
    return nullptr;
}

}  // namespace

std::uint64_t host_session(const DialogChoices &choices, const std::string &folder)
{
    Digest d;
    dialog(choices);
    std::string file_1 = "inputs.in", file_2, path = folder;
    d.add(USERD_set_filenames(&file_1[0], &file_2[0], &path[0], 0));

    d.add(USERD_get_number_of_timesets());
    d.add(USERD_get_geom_timeset_number());
    char line1[Z_BUFL], line2[Z_BUFL];
    d.add(USERD_get_timeset_description(1, line1));
    const int steps = USERD_get_num_of_time_steps(1);
    d.add(steps);
    if (steps > 0 && steps <= session_most_steps) {
        std::vector<float> times(static_cast<std::size_t>(steps));
        d.add(USERD_get_sol_times(1, times.data()));
        d.bytes(times.data(), times.size() * sizeof(float));
    }
    USERD_set_time_set_and_step(1, 0);
    d.add(USERD_get_changing_geometry_status());
    d.add(USERD_get_node_label_status());
    d.add(USERD_get_element_label_status());
    const int files = USERD_get_number_of_files_in_dataset();
    d.add(files);
    std::vector<Z_QFILES> records(copied(files));
    if (!records.empty()) {
        std::memset(records.data(), 0, records.size() * sizeof(Z_QFILES));
        d.add(USERD_get_dataset_query_file_info(records.data()));
    }
    for (const Z_QFILES &q : records) {
        d.text(q.name, Z_MAXFILENP);
        d.add(q.sizeb);
    }
    const std::vector<HostPart> parts = host_parts(d);
    d.add(USERD_get_ghosts_in_model_flag());
    int max_nodes = 0;
    Rows<int> max_elements(1, Z_MAXTYPE), max_ijk(1, 3);
    d.add(USERD_get_maxsize_info(&max_nodes, max_elements.get(), max_ijk.get()));
    float extents[6] = {};
    d.add(USERD_get_model_extents(extents));
    const std::vector<int> types = host_variables(d);
    const bool rigid = USERD_rigidbody_existence() == Z_OK;

    // The first, middle and last steps, and one past the end (clamped).
    for (int step : {0, steps / 2, steps - 1, steps}) {
        if (steps > session_most_steps)
            break;
        USERD_set_time_set_and_step(1, step);
        d.add(USERD_get_descrip_lines(Z_GEOM, 0, 0, line1, line2));
        for (std::size_t p = 0; p < parts.size(); ++p)
            host_part_at_step(static_cast<int>(p) + 1, parts[p], types, rigid, d);
        for (std::size_t v = 0; v < types.size(); ++v)
            if (types[v] == Z_CONSTANT)
                d.add(USERD_get_constant_val(static_cast<int>(v) + 1, 0));
    }
    for (std::size_t p = 0; p < parts.size(); ++p) {
        int border[Z_MAXTYPE] = {};
        d.add(USERD_get_border_availability(static_cast<int>(p) + 1, border));
    }
    USERD_stop_part_building();
    float specific[3] = {};
    d.add(USERD_get_var_value_at_specific(1, 1, 1, Z_TRI03, 0, specific, 0));
    d.add(USERD_bkup(nullptr, Z_SAVE_ARCHIVE));
    return d.value;
}

std::uint64_t library_session(vc_case *c)
{
    Digest d;
    library_files_and_texts(c, d);
    const int steps = library_time_line(c, d);
    int variables = 0, rigid = -1;
    answered(vc_variable_count(c, &variables), "vc_variable_count");
    std::vector<int> constant;
    for (int v = 1; v <= variables; ++v) {
        const char *name = nullptr;
        int is_constant = -1;
        answered(vc_variable(c, v, &name, &is_constant), "vc_variable");
        if (!name || (is_constant != 0 && is_constant != 1))
            fuzz_finding("vc_variable: no name, or neither constant nor per part");
        d.text(name, 4096);
        constant.push_back(is_constant);
    }
    expect(vc_variable(c, 0, nullptr, nullptr), VC_ERR_RANGE, "vc_variable 0");
    expect(vc_variable(c, variables + 1, nullptr, nullptr), VC_ERR_RANGE, "vc_variable past the last");
    answered(vc_rigid_body_exists(c, &rigid), "vc_rigid_body_exists");
    d.add(rigid);
    const std::vector<LibraryPart> parts = library_parts(c, variables, d);

    float rb[14], xyz[3];
    if (!parts.empty()) {
        expect(vc_rigid_body(c, 1, -1, rb), VC_ERR_RANGE, "vc_rigid_body before the first step");
        expect(vc_rigid_body(c, 1, steps, rb), VC_ERR_RANGE, "vc_rigid_body past the last step");
        expect(vc_part_points(c, 1, steps, xyz, 3), VC_ERR_RANGE, "vc_part_points past the last step");
        expect(vc_part_points(c, 1, 0, nullptr, 3), VC_ERR_ARGUMENT, "vc_part_points without an array");
    }
    const int past_part = static_cast<int>(parts.size()) + 1;
    expect(vc_rigid_body(c, past_part, 0, rb), VC_ERR_RANGE, "vc_rigid_body past the last part");
    expect(vc_part_values(c, past_part, 0, 1, xyz, 1), VC_ERR_RANGE, "vc_part_values past the last part");
    expect(vc_constant(c, variables + 1, 0, xyz), VC_ERR_RANGE, "vc_constant past the last variable");
    if (steps > 0 && steps <= session_most_steps)
        for (int step : {0, steps / 2, steps - 1})
            library_step(c, step, parts, constant, d);
    return d.value;
}

// Loaded twice through the entry points by a reader that starts afresh for
// each input: the second load must answer exactly as the first.
void whole_case(const std::uint8_t *data, std::size_t size)
{
    const std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    fuzz_folder::lay(files);
    ReaderState &reader = default_reader();
    reader = ReaderState();
    reader.message_sink = discard_message;
    const std::uint64_t first = host_session(dialog_choices(files), fuzz_folder::path());
    const std::uint64_t second = host_session(dialog_choices(files), fuzz_folder::path());
    USERD_exit_routine();
    if (first != second)
        fuzz_finding("a second load of the same case answers differently");
    fuzz_folder::expect_unchanged();
}

// Two handles open on the same files at once (the folder names one, its
// inputs.in the other), one with the "Moving Liner" choice and one without;
// each is asked everything, then the first again, which must answer as
// before. Once closed, both handles are refused.
void case_library(const std::uint8_t *data, std::size_t size)
{
    const std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    const DialogChoices choices = dialog_choices(files);
    fuzz_folder::lay(files);
    const unsigned liner = choices.liner ? VC_MOVING_LINER : 0u;
    const unsigned debug = choices.console == 2 ? VC_DEBUG_MESSAGES : 0u;
    vc_case *first = open_case(fuzz_folder::path(), liner | debug);
    vc_case *second = open_case(fuzz_folder::file("inputs.in"), (liner ^ VC_MOVING_LINER) | debug);
    if (!first != !second)
        fuzz_finding("the case opens with one choice of the moving liner but not with the other");
    if (first) {
        const std::uint64_t before = library_session(first);
        library_session(second);
        if (library_session(first) != before)
            fuzz_finding("an open case answers differently once another case was asked");
        int count = 0;
        if (vc_close(first) != VC_OK || vc_close(second) != VC_OK)
            fuzz_finding("an open case does not close");
        if (vc_close(first) != VC_ERR_ARGUMENT || vc_part_count(second, &count) != VC_ERR_ARGUMENT)
            fuzz_finding("a closed handle is still taken");
    }
    fuzz_folder::expect_unchanged();
}
