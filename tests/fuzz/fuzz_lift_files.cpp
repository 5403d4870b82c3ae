// intake_lift.in, with exhaust_lift.in in a section of its own (packed as
// described in case_folder.h), on a crank range of one cycle and on one that
// starts in a later cycle and must be continued periodically.
#include <cstdint>

#include "case_folder.h"
#include "reader_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzFolder::lay(unpack_case(data, size, "intake_lift.in"));
    ReaderSetup cycle;
    cycle.crank_flag = 1;
    cycle.engine_mode = 1;
    cycle.end = 720.0f;
    cycle.time_line = true;
    ReaderSetup later = cycle;
    later.start = 900.0f;
    later.end = 1300.0f;
    for (const ReaderSetup &setup : {cycle, later})
        reader_calls::lift_files(setup);
    return 0;
}
