// Numbers the reader read that no engine can have, valve regions that never
// move, a run that does not go forward, and a moving liner that folds.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "check/check.h"

namespace {

void outside(CheckReport &report, const char *file, const char *what, double value, double low, double high,
             const char *unit, const char *suggestion)
{
    if (value >= low && value <= high)
        return;
    char text[320];
    std::snprintf(text, sizeof text, "%s is %g %s, outside %g to %g %s that an engine can have.", what, value, unit,
                  low, high, unit);
    add_check_finding(report, "warning", "implausible-number", file, text, suggestion);
}

// Pressures and temperatures the parts carry over the run.
void boundary_values(CheckReport &report)
{
    const CheckCase &input = report.input;
    int count = 0;
    vc_variable_count(input.handle, &count);
    for (int v = 1; v <= count; ++v) {
        const char *name = nullptr;
        int constant = 0;
        if (vc_variable(input.handle, v, &name, &constant) != VC_OK || constant)
            continue;
        const bool temperature = std::strcmp(name, "Temperature") == 0;
        for (const CheckPart &part : input.parts) {
            for (int s = 0; s < input.steps; ++s) {
                float value = 0;
                if (vc_part_value(input.handle, part.number, s, v, &value) != VC_OK)
                    continue;
                const bool bad = temperature ? !(value >= 1.0f && value <= 5000.0f) : !(value > 0.0f);
                if (!bad)
                    continue;
                char text[320];
                std::snprintf(text, sizeof text, "The %s of part \"%s\" is %g at %s: %s.", name, part.name.c_str(),
                              static_cast<double>(value), step_words(input, s).c_str(),
                              temperature ? "outside 1 to 5000 K" : "not positive");
                add_check_finding(report, "warning", "implausible-number", "boundary.in", text,
                                  temperature ? "Give temperatures in kelvin." : "Give absolute pressures in pascals.");
                break;
            }
        }
    }
}

// With the moving liner, its bottom ring follows the piston; a ring above it
// that the bottom ring passes folds the liner.
void liner_folds(CheckReport &report)
{
    const CheckCase &input = report.input;
    for (const CheckPart &liner : input.parts) {
        if (!liner.stretches)
            continue;
        double bottom = HUGE_VAL;
        for (std::size_t i = 2; i < liner.points.size(); i += 3)
            bottom = std::min(bottom, liner.points[i]);
        std::vector<std::size_t> ring;
        double next_ring = HUGE_VAL;
        for (std::size_t i = 2; i < liner.points.size(); i += 3) {
            if (liner.points[i] == bottom)
                ring.push_back(i);
            else
                next_ring = std::min(next_ring, liner.points[i]);
        }
        int first = -1, last = -1;
        for (int s = 0; s < input.steps; ++s) {
            const std::vector<double> at = part_points_at(input, liner, s);
            double ring_z = -HUGE_VAL, others = HUGE_VAL;
            for (std::size_t i = 2; i < at.size(); i += 3)
                if (std::binary_search(ring.begin(), ring.end(), i))
                    ring_z = std::max(ring_z, at[i]);
                else
                    others = std::min(others, at[i]);
            if (ring_z > others && next_ring < HUGE_VAL) {
                if (first < 0)
                    first = s;
                last = s;
            }
        }
        if (first >= 0)
            add_check_finding(report, "warning", "liner-folds", "engine.in",
                              "With \"Moving Liner\" on, the bottom ring of \"" + liner.name +
                                  "\" passes the liner's other rings from " + step_words(input, first) + " to " +
                                  step_words(input, last) + ": the liner folds.",
                              "Draw the liner's bottom ring at bottom dead centre, below all of its other rings.");
    }
}

}  // namespace

void check_plausibility(CheckReport &report)
{
    const CheckCase &input = report.input;
    if (input.steps < 2 || input.times.back() <= input.times.front())
        add_check_finding(report, "warning", "run-not-forward", "inputs.in",
                          "The run's end is not after its start: the time line has " + std::to_string(input.steps) +
                              " step" + (input.steps == 1 ? "" : "s") + ".",
                          "Give an end of the run after its start in inputs.in.");
    if (input.engine) {
        const double bore = input.bore, stroke = input.stroke, rod = input.rod, rpm = input.rpm;
        outside(report, "engine.in", "The bore", bore, 0.01, 2.0, "m", "Give the bore in metres.");
        outside(report, "engine.in", "The stroke", stroke, 0.01, 2.0, "m", "Give the stroke in metres.");
        if (rod < 0.5 * stroke)
            add_check_finding(report, "warning", "implausible-number", "engine.in",
                              "The connecting rod (" + std::to_string(rod) + " m) is shorter than half the stroke.",
                              "Give the connecting rod's length in metres.");
        outside(report, "engine.in", "The speed", rpm, 10.0, 30000.0, "rpm", "Give the speed in revolutions per minute.");
        for (const CheckPart &part : input.parts) {
            if (part.role != VC_ROLE_INTAKE_VALVE && part.role != VC_ROLE_EXHAUST_VALVE)
                continue;
            if (!part.rigid_motion) {
                add_check_finding(report, "error", "valve-never-moves", "boundary.in",
                                  "The valve region \"" + part.name +
                                      "\" never moves: its lift file is missing or its lifts are all 0.",
                                  "Put the lift file the region names into the case folder.");
                continue;
            }
            double lift = 0;
            for (const Placement &p : part.placements)
                lift = std::max(lift, std::hypot(p.translation[0], p.translation[1], p.translation[2]));
            if (bore > 0 && lift > 0.5 * bore)
                add_check_finding(report, "warning", "implausible-number", "boundary.in",
                                  "The largest lift of \"" + part.name + "\" is " + millimetres(lift) +
                                      ", more than half the bore.",
                                  "Give the lifts in metres.");
        }
    }
    boundary_values(report);
    liner_folds(report);
}
