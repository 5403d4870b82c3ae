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
        // The bottom ring at the first step; the lowest of the other
        // points that never move is the same at every step.
        double bottom = HUGE_VAL;
        for (std::size_t i = 2; i < liner.points.size(); i += 3)
            bottom = std::min(bottom, liner.points[i]);
        const std::size_t n = liner.points.size() / 3, m = liner.moving.size();
        std::vector<bool> moves(n, false);
        for (std::size_t i : liner.moving)
            moves[i] = true;
        double still_ring = -HUGE_VAL, still_others = HUGE_VAL;
        bool others_exist = false;
        for (std::size_t i = 0; i < n; ++i) {
            const double z = liner.points[3 * i + 2];
            others_exist = others_exist || z != bottom;
            if (moves[i])
                continue;
            if (z == bottom)
                still_ring = std::max(still_ring, z);
            else
                still_others = std::min(still_others, z);
        }
        int first = -1, last = -1;
        for (int s = 0; s < input.steps && others_exist; ++s) {
            const double *at = &liner.moving_at[3 * static_cast<std::size_t>(s) * m];
            double ring_z = still_ring, others = still_others;
            for (std::size_t k = 0; k < m; ++k)
                if (liner.points[3 * liner.moving[k] + 2] == bottom)
                    ring_z = std::max(ring_z, at[3 * k + 2]);
                else
                    others = std::min(others, at[3 * k + 2]);
            if (ring_z > others) {
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
