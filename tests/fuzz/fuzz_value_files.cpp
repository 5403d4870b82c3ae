// A boundary value file placed on a time line in seconds (as a pressure) and
// on an engine's crank-angle time line (as a temperature).
#include <cstdint>

#include "case_folder.h"
#include "reader_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzFolder::lay_one("values.dat", data, size);
    ReaderSetup seconds;
    seconds.end = 2.0f;
    seconds.time_line = true;
    reader_calls::value_file(seconds, "values.dat", 0);
    ReaderSetup crank;
    crank.crank_flag = 1;
    crank.engine_mode = 1;
    crank.start = -90.0f;
    crank.end = 630.0f;
    crank.time_line = true;
    reader_calls::value_file(crank, "values.dat", 1);
    return 0;
}
