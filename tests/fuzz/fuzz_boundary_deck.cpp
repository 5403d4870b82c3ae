// boundary.in with the files it names (motion profiles, arbitrary-motion,
// spatial and value files), packed as described in case_folder.h.
#include <cstdint>

#include "case_folder.h"
#include "reader_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzFolder::lay(unpack_case(data, size, "boundary.in"));
    ReaderSetup seconds;
    seconds.end = 2.0f;
    reader_calls::boundary_deck(seconds);
    ReaderSetup crank;
    crank.crank_flag = 1;
    crank.end = 720.0f;
    reader_calls::boundary_deck(crank);
    FuzzFolder::expect_unchanged();
    return 0;
}
