// One file read as a motion profile, as an arbitrary-motion file and as a
// spatial value file, in a run given in seconds and in one given in crank
// degrees. The three readers share the header search and the row reading.
#include <cstdint>

#include "case_folder.h"
#include "reader_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzFolder::lay_one("motion.dat", data, size);
    ReaderSetup seconds;
    seconds.end = 2.0f;
    ReaderSetup crank;
    crank.crank_flag = 1;
    crank.end = 720.0f;
    for (const ReaderSetup &setup : {seconds, crank}) {
        reader_calls::motion_profile_file(setup, "motion.dat");
        reader_calls::arbitrary_motion_file(setup, "motion.dat");
    }
    reader_calls::spatial_file(seconds, "motion.dat");
    return 0;
}
