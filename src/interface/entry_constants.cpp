// The host's query of a constant variable's value.
#include "core/diagnostics.h"
#include "interface/default_reader.h"
#include "motion/engine_motion.h"
#include "userd_api.h"

extern "C" {

// Takes a variable number (from 1) and ignores the imaginary flag. Returns the
// engine constant's value at the current step, or -1.0 for any other number.
float USERD_get_constant_val(int which_var, int)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_constant_val,reader variable index %d\n", which_var - 1);
    return constant_value(state, which_var);
}

}  // extern "C"
