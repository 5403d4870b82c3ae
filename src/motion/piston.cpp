// Slider-crank kinematics of the piston.
#include <cmath>

#include "core/reader_state.h"
#include "motion/engine_motion.h"

float current_crank_angle(ReaderState &state)
{
    const int step = state.current_step;
    if (!state.crank_angles.empty())
        return entry_or_zero(state.crank_angles, step);
    // A time line in seconds: the crank turns 6 degrees per revolution per
    // minute every second, from 0 at time 0.
    return static_cast<float>(6.0 * static_cast<double>(state.engine_params.rpm) *
                              static_cast<double>(entry_or_zero(state.time_values, step)));
}

float current_crank_theta(ReaderState &state)
{
    return static_cast<float>(static_cast<double>(current_crank_angle(state)) * degrees_to_radians);
}

SliderCrank slider_crank(double theta, float stroke, float conrod)
{
    const float r = stroke * 0.5f;
    const double L = conrod;
    const double rs = r * std::sin(theta);
    return {r * std::cos(theta), std::sqrt(L * L - rs * rs), L - r};
}

float piston_displacement(ReaderState &state)
{
    const SliderCrank s =
        slider_crank(current_crank_theta(state), state.engine_params.stroke, state.engine_params.conrod);
    return static_cast<float>(s.crank + s.rod - s.rest);
}
