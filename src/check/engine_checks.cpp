// The engine's measures from the parts as the host shows them: bore, travel,
// the domain's volume at every step, and the valve events; and the
// plausibility of the numbers the reader read.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "check/check.h"

namespace {

constexpr double pi = 3.14159265358979323846;

const CheckPart *part_with_role(const CheckCase &input, int role)
{
    for (const CheckPart &p : input.parts)
        if (p.role == role)
            return &p;
    return nullptr;
}

// The widest extent across x or y: a bore measured from a round part.
double width(const CheckPart &part)
{
    double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
    for (std::size_t i = 0; i < part.points.size(); i += 3)
        for (std::size_t k = 0; k < 2; ++k) {
            lo[k] = std::min(lo[k], part.points[i + k]);
            hi[k] = std::max(hi[k], part.points[i + k]);
        }
    return std::max(hi[0] - lo[0], hi[1] - lo[1]);
}

void cross(const double *a, const double *b, double *out)
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Six times a part's signed volume against the origin, and the sum of its
// triangles' p1 x p2 + p2 x p0 + p0 x p1, from the points given.
void volume_terms(const CheckPart &part, const std::vector<double> &points, const std::vector<signed char> &turn,
                  double &six_volume, double sum[3])
{
    six_volume = 0;
    sum[0] = sum[1] = sum[2] = 0;
    for (std::size_t t = 0; t < part.triangles.size() / 3; ++t) {
        const double *p[3];
        for (int k = 0; k < 3; ++k)
            p[k] = &points[3 * static_cast<std::size_t>(part.triangles[3 * t + static_cast<std::size_t>(k)])];
        double c[3][3];
        cross(p[1], p[2], c[0]);
        cross(p[2], p[0], c[1]);
        cross(p[0], p[1], c[2]);
        const double sign = turn[t];
        six_volume += sign * (p[0][0] * c[0][0] + p[0][1] * c[0][1] + p[0][2] * c[0][2]);
        for (int k = 0; k < 3; ++k)
            sum[k] += sign * (c[0][k] + c[1][k] + c[2][k]);
    }
}

// The volume at every step by the divergence theorem. A rigidly placed
// part's share follows from its first-step terms: with x' = R x + b, six
// times its volume is the first step's plus b . R sum.
void volumes(CheckReport &report)
{
    const CheckCase &input = report.input;
    std::vector<double> six(static_cast<std::size_t>(input.steps), 0.0);
    for (std::size_t p = 0; p < input.parts.size(); ++p) {
        const CheckPart &part = input.parts[p];
        double v0, sum[3];
        volume_terms(part, part.points, report.orientation[p], v0, sum);
        for (int s = 0; s < input.steps; ++s) {
            double v = v0;
            if (part.stretches) {
                double ignored[3];
                volume_terms(part, part_points_at(part, s), report.orientation[p], v, ignored);
            } else {
                const Placement &q = part.placements[static_cast<std::size_t>(s)];
                for (int i = 0; i < 3; ++i)
                    v += q.translation[i] *
                         (q.rotation[3 * i] * sum[0] + q.rotation[3 * i + 1] * sum[1] + q.rotation[3 * i + 2] * sum[2]);
            }
            six[static_cast<std::size_t>(s)] += v;
        }
    }
    const double sign = six.empty() || six[0] >= 0 ? 1.0 : -1.0;
    EngineMeasures &e = report.engine;
    for (double v : six)
        e.volume.push_back(sign * v / 6.0);
    e.volume_min = *std::min_element(e.volume.begin(), e.volume.end());
    e.volume_max = *std::max_element(e.volume.begin(), e.volume.end());
}

// Lift above the threshold: the intervals the valve stays open, a run of a
// whole cycle (720 degrees) joining the interval open at its end with the
// one open at its start; the first interval with an opening gives the events.
ValveEvents valve_events(const CheckCase &input, const CheckPart *valve, double threshold,
                         std::vector<std::array<double, 2>> &open)
{
    ValveEvents v;
    if (!valve || input.crank_angles.empty())
        return v;
    v.found = true;
    const auto &angle = input.crank_angles;
    std::vector<double> lift(static_cast<std::size_t>(input.steps));
    for (std::size_t s = 0; s < lift.size(); ++s) {
        const double *t = valve->placements[s].translation;
        lift[s] = std::hypot(t[0], t[1], t[2]);
        if (lift[s] > v.max_lift) {
            v.max_lift = lift[s];
            v.max_at = angle[s];
        }
    }
    const double first = angle.front(), last = angle.back();
    double start = lift[0] > threshold ? first : NAN;
    for (std::size_t s = 1; s < lift.size(); ++s) {
        const bool was = lift[s - 1] > threshold, is = lift[s] > threshold;
        if (was == is)
            continue;
        const double at = angle[s - 1] + (threshold - lift[s - 1]) / (lift[s] - lift[s - 1]) * (angle[s] - angle[s - 1]);
        if (is) {
            start = at;
        } else {
            open.push_back({start, at});
            start = NAN;
        }
    }
    if (!std::isnan(start))
        open.push_back({start, last});
    const bool cycle = last - first >= 719.999;
    if (cycle && open.size() > 1 && open.front()[0] == first && open.back()[1] == last) {
        open.back()[1] = open.front()[1] + 720.0;
        open.erase(open.begin());
    }
    for (const auto &interval : open) {
        if (interval[0] == first && !cycle)
            continue;
        v.has_opening = true;
        v.opens = interval[0];
        v.has_closing = interval[1] != last || cycle;
        v.closes = interval[1] > last ? interval[1] - 720.0 : interval[1];
        break;
    }
    return v;
}

void compare(CheckReport &report, const char *code, const char *what, double measured, double expected,
             const char *file, const char *suggestion)
{
    if (!(expected > 0) || !(measured >= 0) || std::fabs(measured - expected) <= 0.01 * expected)
        return;
    char text[320];
    std::snprintf(text, sizeof text, "%s is %.6g, %.2f %% off the %.6g that %s gives.", what, measured,
                  100.0 * (measured - expected) / expected, expected, file);
    add_check_finding(report, "warning", code, file, text, suggestion);
}

}  // namespace

void check_engine(CheckReport &report, double lift_threshold)
{
    const CheckCase &input = report.input;
    EngineMeasures &e = report.engine;
    const CheckPart *piston = part_with_role(input, VC_ROLE_PISTON);
    if (!input.engine || !piston)
        return;
    e.present = true;
    e.bore_measured = width(*piston);
    if (const CheckPart *liner = part_with_role(input, VC_ROLE_LINER))
        e.liner_bore = width(*liner);
    double lo[3], hi[3];
    empty_box(lo, hi);
    for (const Placement &p : piston->placements)
        widen_box(lo, hi, p.translation, p.translation);
    e.travel = std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]);
    compare(report, "engine-bore", "The piston's width", e.bore_measured, input.bore, "engine.in",
            "Make the piston's diameter in the surface file and the bore of engine.in agree (both in metres).");
    compare(report, "engine-bore", "The liner's width", e.liner_bore, input.bore, "engine.in",
            "Make the liner's diameter in the surface file and the bore of engine.in agree (both in metres).");
    const bool whole_turn = !input.crank_angles.empty() &&
                            input.crank_angles.back() - input.crank_angles.front() >= 360.0;
    if (whole_turn)
        compare(report, "engine-stroke", "The piston's travel over the run", e.travel, input.stroke, "engine.in",
                "Check the stroke of engine.in (in metres).");
    bool closed_with_liner = report.whole_closed && part_with_role(input, VC_ROLE_LINER) &&
                             part_with_role(input, VC_ROLE_LINER)->stretches;
    if (closed_with_liner) {
        volumes(report);
        if (whole_turn)
            compare(report, "engine-swept-volume", "The swept volume (largest less smallest domain volume)",
                    e.volume_max - e.volume_min, pi / 4 * input.bore * input.bore * input.stroke, "engine.in",
                    "Check the bore and stroke of engine.in against the surface.");
    } else {
        add_check_finding(report, "note", "volume-not-computed", surface_file_name(input),
                          report.whole_closed ? "The domain volume is computed with \"Moving Liner\" on only."
                                              : "The domain volume is not computed: the surface is not closed.",
                          "Open the case with \"Moving Liner\" on and close the surface to have the volume checked.");
    }
    std::vector<std::array<double, 2>> intake_open, exhaust_open;
    e.intake = valve_events(input, part_with_role(input, VC_ROLE_INTAKE_VALVE), lift_threshold, intake_open);
    e.exhaust = valve_events(input, part_with_role(input, VC_ROLE_EXHAUST_VALVE), lift_threshold, exhaust_open);
    if (e.intake.found && e.exhaust.found) {
        e.overlap = 0;
        for (const auto &i : intake_open)
            for (const auto &x : exhaust_open)
                for (double shift : {-720.0, 0.0, 720.0})
                    e.overlap = std::max(e.overlap, std::min(i[1], x[1] + shift) - std::max(i[0], x[0] + shift));
    }
}
