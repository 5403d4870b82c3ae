#include "case_session.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

// Ends the run when a call's result is not the one wanted.
void expect(int result, int wanted, const char *call)
{
    if (result != wanted)
        session_failure(std::string(call) + " gave " + std::to_string(result) + ", not " + std::to_string(wanted));
}

// A query made right may find nothing to give, but must not fail.
int answered(int result, const char *call)
{
    if (result != VC_OK && result != VC_NO_VALUES)
        session_failure(std::string(call) + " failed with " + std::to_string(result));
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
            session_failure("vc_case_file: no path, or found neither 0 nor 1");
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
            session_failure("vc_message: no text");
    }
    expect(vc_message(c, messages, &text), VC_ERR_RANGE, "vc_message past the last");
    expect(vc_message(c, -1, &text), VC_ERR_RANGE, "vc_message before the first");
    answered(vc_finding_count(c, &findings), "vc_finding_count");
    d.add(findings);
    vc_finding_info f{};
    for (int i = 0; i < findings; ++i) {
        answered(vc_finding(c, i, &f), "vc_finding");
        if (!f.severity || !f.code || !f.file || !f.message || !f.suggestion)
            session_failure("vc_finding: a text missing");
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
            session_failure("vc_part: no name or a negative count");
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
                session_failure("vc_part_triangles: a corner names no point of the part");
        for (int i = 0; info.kind == VC_KIND_SURFACE && i < n; ++i)
            if (numbers[static_cast<std::size_t>(i)] < 1 || numbers[static_cast<std::size_t>(i)] > info.host_node_count)
                session_failure("vc_part_node_numbers: a number names no vertex of the surface file");
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
                session_failure("vc_part_value differs from vc_part_values");
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

}  // namespace

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
            session_failure("vc_variable: no name, or neither constant nor per part");
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
