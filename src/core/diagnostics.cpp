#include "core/diagnostics.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "core/reader_state.h"

namespace {

// Longest message handed to a sink, terminator included; a longer one is cut.
// No message of the reader comes near it (paths are at most 254 characters).
constexpr std::size_t sink_message_size = 2048;

// Every diagnostic message of a reader goes out here: to its sink, or
// written straight to standard error.
void write_message(ReaderState &state, const char *format, va_list args)
{
    if (!state.message_sink) {
        std::vfprintf(stderr, format, args);
        return;
    }
    char text[sink_message_size];
    if (std::vsnprintf(text, sizeof text, format, args) >= 0)
        state.message_sink(state.message_user, text);
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
