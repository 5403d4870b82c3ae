// The reader's diagnostic lines in the case library: instead of standard
// error they go to the log of the open case, one entry per line, so that a
// program using the library can show them. Takes the place of the host
// library's diagnostics, with the same rule for debug lines.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "capi/case_handle.h"
#include "interface/diagnostics.h"

namespace {

// A log keeps at most this many lines; a debug run of a long case would
// otherwise grow without end.
constexpr std::size_t line_limit = 100000;

MessageLog *message_target = nullptr;

void append_text(MessageLog &log, const char *text)
{
    for (const char *c = text; *c; ++c) {
        if (*c == '\r')
            continue;
        if (*c != '\n') {
            log.partial += *c;
            continue;
        }
        if (log.lines.size() + 1 < line_limit) {
            log.lines.push_back(log.partial);
        } else if (!log.full) {
            log.lines.push_back("(further messages left out)");
            log.full = true;
        }
        log.partial.clear();
    }
}

// Formats and appends; a line that cannot be stored is lost, never thrown.
void collect(const char *format, va_list args)
{
    if (!message_target || message_target->full)
        return;
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    try {
        append_text(*message_target, text);
    } catch (...) {
        message_target->partial.clear();
    }
}

}  // namespace

void set_message_target(MessageLog *log)
{
    message_target = log;
}

void debug_print(const char *format, ...)
{
    if (!state.debug_flag)
        return;
    va_list args;
    va_start(args, format);
    collect(format, args);
    va_end(args);
}

void always_print(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    collect(format, args);
    va_end(args);
}
