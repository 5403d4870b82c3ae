// The host's rigid-body queries.
#include "core/diagnostics.h"
#include "interface/default_reader.h"
#include "motion/rigid_body.h"
#include "userd_api.h"

extern "C" {

// Returns Z_OK: the reader gives rigid-body values.
int USERD_rigidbody_existence(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_rigidbody_existence\n");
    return Z_OK;
}

// Takes a part number (from 1) and fills values with its 14 rigid-body values
// at the current step. Returns Z_OK, Z_UNDEF when the part does not move, or
// Z_ERR for a part number that does not exist.
int USERD_rigidbody_values(int part_number, float values[14])
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_rigidbody_values, part number %d\n", part_number);
    return rigid_body_values(state, part_number, values);
}

}  // extern "C"
