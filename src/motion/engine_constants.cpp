// The engine constants of the variable list: bore, stroke, connecting-rod
// length and speed, and per step the valve lifts, the piston motion and the
// crank angle.
#include "core/reader_state.h"
#include "motion/engine_motion.h"

namespace {

// Answer for a variable that is not an engine constant.
constexpr float not_a_constant = -1.0f;

// Constant c counted from "Bore": the engine's dimensions and speed, the two
// valve lifts when the lift files were read, then the piston motion and the
// crank angle of the current step.
float engine_constant(ReaderState &state, int c)
{
    const EngineParams &p = state.engine_params;
    const float fixed[] = {p.bore, p.stroke, p.conrod, p.rpm};
    if (c >= 0 && c < 4)
        return fixed[c];
    if (state.lift_files_present == 1) {
        if (c == 4)
            return entry_or_zero(state.intake_lift, state.current_step);
        if (c == 5)
            return entry_or_zero(state.exhaust_lift, state.current_step);
        c -= 2;
    }
    if (c == 4)
        return piston_displacement(state);
    if (c == 5)
        return current_crank_angle(state);
    return not_a_constant;
}

}  // namespace

float constant_value(ReaderState &state, int which_var)
{
    if (which_var < 1 || which_var > state.Num_variables)
        return not_a_constant;
    // The constants follow the per-part variables.
    return engine_constant(state, which_var - 1 - per_part_variable_count(state));
}
