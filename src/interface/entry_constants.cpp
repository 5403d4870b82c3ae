// The engine constants of the variable list: bore, stroke, connecting-rod
// length and speed, and per step the valve lifts, the piston motion and the
// crank angle.
#include "interface/diagnostics.h"
#include "interface/reader_state.h"
#include "motion/engine_motion.h"
#include "userd_api.h"

namespace {

// Answer for a variable that is not an engine constant.
constexpr float not_a_constant = -1.0f;

// Constant c counted from "Bore" when the lift files were read.
float constant_with_lifts(int c)
{
    const EngineParams &p = state.engine_params;
    switch (c) {
    case 0: return p.bore;
    case 1: return p.stroke;
    case 2: return p.conrod;
    case 3: return p.rpm;
    case 4: return entry_or_zero(state.intake_lift, state.current_step);
    case 5: return entry_or_zero(state.exhaust_lift, state.current_step);
    case 6: return piston_displacement();
    case 7: return current_crank_angle();
    default: return not_a_constant;
    }
}

// The same without lift files: the list ends two entries earlier.
float constant_without_lifts(int c)
{
    const EngineParams &p = state.engine_params;
    switch (c) {
    case 0: return p.bore;
    case 1: return p.stroke;
    case 2: return p.conrod;
    case 3: return p.rpm;
    case 4: return piston_displacement();
    case 5: return current_crank_angle();
    default: return not_a_constant;
    }
}

}  // namespace

extern "C" {

float USERD_get_constant_val(int which_var, int)
{
    debug_print("USERD_get_constant_val,reader variable index %d\n", which_var - 1);
    if (which_var < 1 || which_var > state.Num_variables)
        return not_a_constant;
    int c = which_var - 3 - state.total_pressure_present;
    return state.lift_files_present == 1 ? constant_with_lifts(c) : constant_without_lifts(c);
}

}  // extern "C"
