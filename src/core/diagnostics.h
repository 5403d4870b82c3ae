// Diagnostic lines of a reader: written to standard error, or handed to the
// reader's message sink when one is set (ReaderState::message_sink).
#pragma once

struct ReaderState;

#if defined(__GNUC__)
#define DIAG_PRINTF_FORMAT(a, b) __attribute__((format(printf, a, b)))
#else
#define DIAG_PRINTF_FORMAT(a, b)
#endif

// Printed only while the "Console Output" pulldown is on "Debug".
void debug_print(ReaderState &state, const char *format, ...) DIAG_PRINTF_FORMAT(2, 3);

// Printed whatever the pulldown says (errors the user must see).
void always_print(ReaderState &state, const char *format, ...) DIAG_PRINTF_FORMAT(2, 3);
