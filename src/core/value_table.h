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
    std::vector<long long> row_starts;  // where each row read starts in its file, for the findings
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

// A stretch of a continued crank-angle table between the last row of one
// cycle and the repeated row 1 of the next (row 0 is not repeated), where the
// table's rows span less than 720 degrees: the look-up draws a straight line
// there across angles that no row gives. `steps` of the angles looked up fall
// inside it, the first at `first_step` and the last at `last_step`.
struct BridgedStretch {
    float from = 0, from_value = 0, to = 0, to_value = 0;
    int steps = 0;
    float first_step = 0, last_step = 0;
};

// The bridged stretches of `table` as place_on_crank_range left it (its first
// `rows_read` rows as read, the rest appended), where at least one of
// `angles` is looked up, found by the look-up's own rule, in order.
std::vector<BridgedStretch> bridged_stretches(const ValueTable &table, std::size_t rows_read,
                                              const std::vector<float> &angles);

// The index of the first row whose abscissa is smaller than the one before,
// or 0 when none is.
std::size_t first_falling_row(const std::vector<float> &x);
