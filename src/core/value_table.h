// Tables of values against an abscissa (a time or a crank angle), as the lift,
// boundary value and motion profile files give them: looking a value up with
// linear interpolation, and placing a crank-angle table on the run's crank
// range (one 720-degree cycle back, then continued cycle after cycle).
#pragma once

#include <cstddef>
#include <vector>

// Crank degrees of one engine cycle (two revolutions).
constexpr float engine_cycle_degrees = 720.0f;

struct ValueTable {
    std::vector<float> x;  // abscissas, increasing
    std::vector<float> y;  // values
};

// Where abscissa a falls in x[0..n): on row `row` exactly, between rows
// row - 1 and row, or nowhere (before the first row, or beyond the last).
struct RowMatch {
    enum Kind { none, exact, between } kind = none;
    std::size_t row = 0;
};

// The last row wins when a equals its abscissa; otherwise the first row that
// equals a, or the first row beyond a (none when that is row 0).
RowMatch find_row(const float *x, std::size_t n, float a);

// The straight line through (x0, y0) and (x1, y1) at a, evaluated as the case
// files' values have always been: slope and products in single precision, the
// halving and the final sum in double precision.
float interpolate_between(float x0, float y0, float x1, float y1, float a);

// The value of the table at a; false when the table gives none there.
bool look_up(const ValueTable &table, float a, float &value);

// Places a crank-angle table on the crank range [first, last]: a table given
// for a later cycle is moved back by 720 degrees, then continued periodically
// (row 0 stands for the last row one cycle earlier) until it reaches last.
// Returns true when the table then covers the whole range. A table that would
// need continuing but has fewer than two rows, that stops gaining ground in
// single precision, or that would grow by more than a million rows, does not
// cover the range.
bool place_on_crank_range(ValueTable &table, float first, float last);
