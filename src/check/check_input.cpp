// The case's answers, as the host receives them, read through the case
// library's C interface.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "check/check.h"

namespace {

void require(vc_case *handle, int code, const char *what)
{
    if (code < 0)
        throw std::runtime_error(std::string(what) + ": " + vc_error_message(handle));
}

bool is_identity(const float v[14])
{
    for (int i = 0; i < 3; ++i)
        if (v[i] != 0.0f)
            return false;
    return v[3] == 1.0f && v[4] == 0.0f && v[5] == 0.0f && v[6] == 0.0f;
}

double constant_named(vc_case *handle, const char *name)
{
    int count = 0;
    require(handle, vc_variable_count(handle, &count), "variables");
    for (int v = 1; v <= count; ++v) {
        const char *text = nullptr;
        int constant = 0;
        float value = 0;
        if (vc_variable(handle, v, &text, &constant) == VC_OK && constant && std::strcmp(text, name) == 0 &&
            vc_constant(handle, v, 0, &value) == VC_OK)
            return value;
    }
    return NAN;
}

void read_part(CheckCase &input, int number, const vc_part_info &info)
{
    vc_case *h = input.handle;
    CheckPart part;
    part.number = number;
    part.name = info.name;
    part.role = info.role;
    std::vector<float> xyz(3 * static_cast<std::size_t>(info.vertex_count));
    part.triangles.resize(3 * static_cast<std::size_t>(info.triangle_count));
    part.vertices.resize(static_cast<std::size_t>(info.vertex_count));
    part.lines.resize(static_cast<std::size_t>(info.triangle_count));
    require(h, vc_part_points(h, number, 0, xyz.data(), static_cast<int>(xyz.size())), "points");
    require(h, vc_part_triangles(h, number, part.triangles.data(), static_cast<int>(part.triangles.size())),
            "triangles");
    require(h, vc_part_node_numbers(h, number, part.vertices.data(), info.vertex_count), "node numbers");
    require(h, vc_part_triangle_lines(h, number, part.lines.data(), info.triangle_count), "triangle lines");
    part.points.assign(xyz.begin(), xyz.end());

    part.placements.resize(static_cast<std::size_t>(input.steps));
    float values[14];
    for (int s = 0; s < input.steps; ++s) {
        const int code = vc_rigid_body(h, number, s, values);
        require(h, code, "rigid-body values");
        if (code != VC_OK)
            continue;
        if (!is_identity(values))
            part.rigid_motion = true;
        Placement &p = part.placements[static_cast<std::size_t>(s)];
        vc_rigid_body_transform(values, p.rotation, p.translation);
    }
    // The moving liner: the points the host receives change with the step.
    // Each point that moves is tracked from the first step it leaves its
    // place (until then it was where the first step has it).
    if (info.role == VC_ROLE_LINER && !part.rigid_motion && input.steps > 1) {
        const std::size_t n = xyz.size() / 3;
        std::vector<float> other(xyz.size());
        std::vector<int> slot(n, -1);
        std::vector<std::size_t> order;
        std::vector<std::vector<double>> track;
        for (int s = 1; s < input.steps; ++s) {
            require(h, vc_part_points(h, number, s, other.data(), static_cast<int>(other.size())), "points");
            for (std::size_t i = 0; i < n; ++i)
                if (slot[i] < 0 && (other[3 * i] != xyz[3 * i] || other[3 * i + 1] != xyz[3 * i + 1] ||
                                    other[3 * i + 2] != xyz[3 * i + 2])) {
                    slot[i] = static_cast<int>(track.size());
                    order.push_back(i);
                    track.emplace_back();
                    for (int before = 0; before < s; ++before)
                        track.back().insert(track.back().end(), &part.points[3 * i], &part.points[3 * i] + 3);
                }
            for (std::size_t k = 0; k < order.size(); ++k)
                track[k].insert(track[k].end(), &other[3 * order[k]], &other[3 * order[k]] + 3);
        }
        std::vector<std::size_t> rank(order.size());
        for (std::size_t k = 0; k < rank.size(); ++k)
            rank[k] = k;
        std::sort(rank.begin(), rank.end(), [&](std::size_t x, std::size_t y) { return order[x] < order[y]; });
        part.stretches = !order.empty();
        part.moving_at.resize(3 * order.size() * static_cast<std::size_t>(input.steps));
        for (std::size_t k = 0; k < rank.size(); ++k) {
            part.moving.push_back(order[rank[k]]);
            for (std::size_t s = 0; s < static_cast<std::size_t>(input.steps); ++s)
                for (std::size_t c = 0; c < 3; ++c)
                    part.moving_at[3 * (s * order.size() + k) + c] = track[rank[k]][3 * s + c];
        }
    }
    input.parts.push_back(std::move(part));
}

}  // namespace

void read_check_case(vc_case *h, CheckCase &input)
{
    input.handle = h;
    require(h, vc_step_count(h, &input.steps), "steps");
    std::vector<float> values(static_cast<std::size_t>(input.steps));
    require(h, vc_times(h, values.data(), input.steps), "times");
    input.times.assign(values.begin(), values.end());
    if (vc_crank_angles(h, values.data(), input.steps) == VC_OK)
        input.crank_angles.assign(values.begin(), values.end());
    int engine = 0;
    require(h, vc_is_engine(h, &engine), "engine");
    input.engine = engine != 0;
    if (input.engine) {
        input.bore = constant_named(h, "Bore");
        input.stroke = constant_named(h, "Stroke");
        input.rod = constant_named(h, "Con_rod_length");
        input.rpm = constant_named(h, "RPM");
    }
    int parts = 0;
    require(h, vc_part_count(h, &parts), "parts");
    for (int p = 1; p <= parts; ++p) {
        vc_part_info info;
        require(h, vc_part(h, p, &info), "part");
        if (info.kind == VC_KIND_SURFACE && info.triangle_count > 0)
            read_part(input, p, info);
    }
    double lo[3], hi[3];
    empty_box(lo, hi);
    for (const CheckPart &part : input.parts)
        for (std::size_t i = 0; i < part.points.size(); i += 3)
            widen_box(lo, hi, &part.points[i], &part.points[i]);
    if (lo[0] <= hi[0])
        input.size = std::max(std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]), 1e-12);
}

std::vector<double> part_points_at(const CheckPart &part, int step)
{
    if (part.stretches) {
        std::vector<double> out = part.points;
        const double *at = &part.moving_at[3 * static_cast<std::size_t>(step) * part.moving.size()];
        for (std::size_t k = 0; k < part.moving.size(); ++k)
            std::copy(at + 3 * k, at + 3 * k + 3, &out[3 * part.moving[k]]);
        return out;
    }
    std::vector<double> out(part.points.size());
    const Placement &p = part.placements[static_cast<std::size_t>(step)];
    for (std::size_t i = 0; i < out.size(); i += 3)
        place_point(p, &part.points[i], &out[i]);
    return out;
}

std::string quote_triangle(const CheckPart &part, int t)
{
    char text[256];
    const int *c = &part.triangles[3 * static_cast<std::size_t>(t)];
    const double *p[3] = {&part.points[3 * c[0]], &part.points[3 * c[1]], &part.points[3 * c[2]]};
    std::snprintf(text, sizeof text, "line %d (%g, %g, %g) (%g, %g, %g) (%g, %g, %g)", part.lines[t], p[0][0],
                  p[0][1], p[0][2], p[1][0], p[1][1], p[1][2], p[2][0], p[2][1], p[2][2]);
    return text;
}

std::string millimetres(double metres)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.4g mm", metres * 1000.0);
    return text;
}

std::string step_words(const CheckCase &input, int step)
{
    char text[96];
    const std::size_t s = static_cast<std::size_t>(step);
    if (!input.crank_angles.empty())
        std::snprintf(text, sizeof text, "step %d (%g deg)", step, input.crank_angles[s]);
    else
        std::snprintf(text, sizeof text, "step %d (%g s)", step, input.times[s]);
    return text;
}

std::string surface_file_name(const CheckCase &input)
{
    const char *path = "";
    int found = 0;
    vc_case_file(input.handle, VC_FILE_SURFACE, &path, &found);
    std::string name = path;
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}
