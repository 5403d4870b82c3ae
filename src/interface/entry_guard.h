// No C++ exception may cross into the host: every entry point runs its body
// through guarded(), which turns an escaping exception (in practice an
// allocation that failed) into one diagnostic line of the given reader
// (standard error unless the reader has a message sink) and the failure
// result.
#pragma once

#include <exception>
#include <new>

#include "core/diagnostics.h"

template <typename Result, typename Body>
Result guarded(ReaderState &state, const char *entry_point, Result on_failure, Body body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        always_print(state, "%s: not enough memory\n", entry_point);
    } catch (...) {
        always_print(state, "%s: internal error\n", entry_point);
    }
    return on_failure;
}

template <typename Body>
void guarded_void(ReaderState &state, const char *entry_point, Body body) noexcept
{
    try {
        body();
    } catch (const std::bad_alloc &) {
        always_print(state, "%s: not enough memory\n", entry_point);
    } catch (...) {
        always_print(state, "%s: internal error\n", entry_point);
    }
}
