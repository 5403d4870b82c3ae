#include "core/diagnostics.h"

#include <cstdarg>
#include <cstdio>

#include "core/reader_state.h"

namespace {

// Every diagnostic line of a reader goes out here.
void write_message(ReaderState &, const char *format, va_list args)
{
    std::vfprintf(stderr, format, args);
}

}  // namespace

void debug_print(ReaderState &state, const char *format, ...)
{
    if (!state.debug_flag)
        return;
    va_list args;
    va_start(args, format);
    write_message(state, format, args);
    va_end(args);
}

void always_print(ReaderState &state, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    write_message(state, format, args);
    va_end(args);
}
