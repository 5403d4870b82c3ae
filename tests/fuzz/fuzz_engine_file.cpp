// engine.in as any bytes.
#include <cstdint>

#include "case_folder.h"
#include "reader_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzFolder::lay_one("engine.in", data, size);
    reader_calls::engine_file(ReaderSetup{});
    return 0;
}
