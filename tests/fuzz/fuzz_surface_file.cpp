// The surface geometry file of a case with three boundary regions.
#include <cstdint>

#include "case_folder.h"
#include "reader_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzFolder::lay_one("surface.dat", data, size);
    ReaderSetup setup;
    setup.regions = 3;
    reader_calls::surface_file(setup, "surface.dat");
    return 0;
}
