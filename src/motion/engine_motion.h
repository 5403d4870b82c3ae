// Engine kinematics: the slider-crank piston, the moving liner, and the
// relative comparison used by the rigid-body diagnostics.
#pragma once

struct ReaderState;

// Degrees to radians, to the ten digits the kinematics use (not the exact
// pi / 180).
constexpr double degrees_to_radians = 0.0174532925;

// Crank angle of the current step in degrees: from crank_angles, or for a
// time line in seconds 6 x rpm x time.
float current_crank_angle(ReaderState &state);

// The crank angle of the current step in radians, as the kinematics use it:
// degrees times 0.0174532925, rounded to a float.
float current_crank_theta(ReaderState &state);

// Piston travel above bottom dead centre at the current step, in metres.
float piston_displacement(ReaderState &state);

// The slider crank behind the piston and the liner, at crank angle theta
// (radians), in double precision from the single-precision stroke and rod
// length L: the crank's height r cos theta (r = stroke / 2), the rod's height
// sqrt(L^2 - (r sin theta)^2), and the rest L - r. The travel above bottom
// dead centre is crank + rod - rest; each caller adds the terms in its own
// order, which fixes the last bits of its result.
struct SliderCrank {
    double crank;
    double rod;
    double rest;
};
SliderCrank slider_crank(double theta, float stroke, float conrod);

// The value of variable which_var (1-based, as the host counts the variable
// list) when it is an engine constant, at the current step; -1.0 for any
// other variable number.
float constant_value(ReaderState &state, int which_var);

// Moves the bottom ring of every liner part to follow the piston. Returns 1.
int get_rigidbody_motion(ReaderState &state);

// 0 when a and b agree within 5 per cent (or are both nearly 0), 1 when a is
// the larger, -1 when b is.
int relative_compare(float a, float b);
