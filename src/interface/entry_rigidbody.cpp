// The host's rigid-body queries.
#include "core/diagnostics.h"
#include "interface/default_reader.h"
#include "motion/rigid_body.h"
#include "userd_api.h"

extern "C" {

int USERD_rigidbody_existence(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_rigidbody_existence\n");
    return Z_OK;
}

int USERD_rigidbody_values(int part_number, float values[14])
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_rigidbody_values, part number %d\n", part_number);
    return rigid_body_values(state, part_number, values);
}

}  // extern "C"
