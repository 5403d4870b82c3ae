// The reader's diagnostics in the case library: each case's reader hands its
// messages to the case's log, one entry per line, so that a program using the
// library can show them. Which messages come (debug lines or not) is the
// reader's own rule.
#include <string>

#include "capi/case_handle.h"

namespace {

// A log keeps at most this many lines; a debug run of a long case would
// otherwise grow without end.
constexpr std::size_t line_limit = 100000;

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

// The reader's message sink: appends `text` to the MessageLog at `user`. A
// line that cannot be stored is lost, never thrown.
void collect(void *user, const char *text)
{
    MessageLog &log = *static_cast<MessageLog *>(user);
    if (log.full)
        return;
    try {
        append_text(log, text);
    } catch (...) {
        log.partial.clear();
    }
}

}  // namespace

void collect_messages(ReaderState &reader, MessageLog &log)
{
    reader.message_sink = collect;
    reader.message_user = &log;
}
