// The set-up check: the case as the host receives it, and what the check
// finds in it. One CheckCase is read from the case library, then each part
// of the check adds its results to one CheckReport.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "vortimar_case.h"

// A placement x' = rotation x + translation (rotation row by row).
struct Placement {
    double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double translation[3] = {0, 0, 0};
};

struct CheckPart {
    int number = 0;  // the host's part number, from 1
    std::string name;
    int role = VC_ROLE_NONE;
    bool rigid_motion = false;  // the host receives rigid-body values that move it
    bool stretches = false;     // its points change from step to step (the moving liner)
    std::vector<double> points;    // x, y, z per point at the first step
    std::vector<int> triangles;    // 3 point indexes per triangle
    std::vector<int> vertices;     // the surface file's vertex number of each point
    std::vector<int> lines;        // the surface file's line of each triangle
    std::vector<Placement> placements;  // per step (identity when it does not move)
    // A stretching part: the points that ever leave their first-step place
    // (indexes, rising), and their x, y, z at every step, step by step.
    std::vector<std::size_t> moving;
    std::vector<double> moving_at;
};

struct CheckCase {
    vc_case *handle = nullptr;
    int steps = 0;
    std::vector<double> times;         // seconds
    std::vector<double> crank_angles;  // degrees; empty outside crank-angle cases
    bool engine = false;
    // engine.in: metres and revolutions per minute (NaN when not given).
    double bore = 0, stroke = 0, rod = 0, rpm = 0;
    double size = 1;                   // the diagonal of the first step's bounding box
    std::vector<CheckPart> parts;      // surface parts with triangles
};

struct CheckFinding {
    std::string severity, code, file;
    int line = 0;
    std::string message, suggestion;
};

struct SurfaceCounts {
    int number = 0;  // 0 for the whole surface
    std::string name;
    int degenerate = 0, duplicate = 0, non_manifold_edges = 0, open_edges = 0, open_loops = 0, flipped = 0;
};

struct PairClearance {
    int a = 0, b = 0;                 // indexes into CheckCase::parts
    std::vector<double> distance;     // per step
    std::vector<int> exact;           // per step: 1 queried, 0 a lower bound
    double min_distance = -1;         // -1: no step queried
    int min_step = -1;
    double points[2][3] = {{0, 0, 0}, {0, 0, 0}};
    std::vector<std::array<int, 2>> contact;  // step ranges, inclusive
    bool seated = false;              // the two touch where both are at rest
    int exact_queries = 0, collision_queries = 0, sweep_queries = 0;
};

struct ValveEvents {
    bool found = false;
    double opens = 0, closes = 0, max_lift = 0, max_at = 0;
    bool has_opening = false, has_closing = false;
};

struct EngineMeasures {
    bool present = false;
    double bore_measured = -1, liner_bore = -1, travel = -1;
    std::vector<double> volume;  // per step, empty when the surface is not closed
    double volume_min = -1, volume_max = -1;
    ValveEvents intake, exhaust;
    double overlap = -1;  // -1 unknown
};

struct CheckReport {
    CheckCase input;
    std::vector<SurfaceCounts> surface;  // per part
    SurfaceCounts whole;
    bool whole_closed = false;  // no open or shared-by-three edges once welded
    // Per part, per triangle: +1 or -1, the turn that makes its orientation
    // agree with its neighbours' over the welded whole surface.
    std::vector<std::vector<signed char>> orientation;
    std::vector<PairClearance> pairs;
    EngineMeasures engine;
    std::vector<CheckFinding> findings;
    std::vector<std::pair<std::string, double>> timings;  // seconds per part of the check
    std::string json;
};

// Reads the case's answers: the time line, the surface parts at the first
// step and every part's placement at every step. Throws std::runtime_error
// with the case library's message when a query fails.
void read_check_case(vc_case *handle, CheckCase &input);

// A part's points at a step: the first step's points placed, or for a
// stretching part the points the host receives at that step.
std::vector<double> part_points_at(const CheckPart &part, int step);

// x placed: rotation x + translation.
inline void place_point(const Placement &p, const double *x, double *out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = p.rotation[3 * i] * x[0] + p.rotation[3 * i + 1] * x[1] + p.rotation[3 * i + 2] * x[2] +
                 p.translation[i];
}

// The box lo..hi placed, widened along the axes to hold it.
inline void place_box(const Placement &p, const double *lo, const double *hi, double *placed_lo, double *placed_hi)
{
    for (int i = 0; i < 3; ++i) {
        double centre = p.translation[i], half = 0;
        for (int k = 0; k < 3; ++k) {
            centre += p.rotation[3 * i + k] * 0.5 * (lo[k] + hi[k]);
            half += std::fabs(p.rotation[3 * i + k]) * 0.5 * (hi[k] - lo[k]);
        }
        placed_lo[i] = centre - half;
        placed_hi[i] = centre + half;
    }
}

// A box that holds nothing yet, and a box widened to hold another box (or a
// point, as the box from it to itself).
inline void empty_box(double *lo, double *hi)
{
    for (int k = 0; k < 3; ++k) {
        lo[k] = HUGE_VAL;
        hi[k] = -HUGE_VAL;
    }
}
inline void widen_box(double *lo, double *hi, const double *other_lo, const double *other_hi)
{
    for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], other_lo[k]);
        hi[k] = std::max(hi[k], other_hi[k]);
    }
}

// The distance between two boxes (0 when they overlap).
inline double box_gap(const double *lo0, const double *hi0, const double *lo1, const double *hi1)
{
    double gap = 0;
    for (int i = 0; i < 3; ++i) {
        const double g = std::max({lo0[i] - hi1[i], lo1[i] - hi0[i], 0.0});
        gap += g * g;
    }
    return std::sqrt(gap);
}

// The surface file's name within the case folder.
std::string surface_file_name(const CheckCase &input);

// Where the part's first triangle lines and coordinates are quoted.
std::string quote_triangle(const CheckPart &part, int triangle);

void check_surface(CheckReport &report);
// Fills report.pairs; adds no findings, so that it can run beside the
// other parts of the check.
void check_clearances(CheckReport &report);
// The findings of report.pairs.
void report_clearances(CheckReport &report);
void check_engine(CheckReport &report, double lift_threshold);
void check_plausibility(CheckReport &report);
void write_report_json(CheckReport &report);

void add_check_finding(CheckReport &report, const char *severity, const char *code, const std::string &file,
                       const std::string &message, const std::string &suggestion);
// "12.345 mm" style lengths for messages.
std::string millimetres(double metres);
// The crank angle (degrees) or time (seconds) of a step, as words.
std::string step_words(const CheckCase &input, int step);

// Runs work, turning what it throws into a VC_* code and vk_last_error()'s
// text, so that no exception leaves the library.
int guarded_call(const std::function<void()> &work);

// Whether the check measures the clearance between two parts: one of them
// moves rigidly, and they are not the piston and the liner it slides in.
bool parts_paired(const CheckPart &x, const CheckPart &y);
