#include "core/diagnostics.h"

#include <cstdarg>
#include <cstdio>

#include "core/reader_state.h"

void debug_print(const char *format, ...)
{
    if (!state.debug_flag)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

void always_print(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}
