// The case handle behind the C interface, the one way from a handle to its
// reader, and the guard every vc_ function runs its body through.
#pragma once

#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/reader_state.h"
#include "vortimar_case.h"

// The reader's lines collected for one case.
struct MessageLog {
    std::vector<std::string> lines;
    std::string partial;  // text after the last line end
    bool full = false;    // the limit was reached; later lines are dropped
};

// One open case. The handle a program holds is not this object's address
// but a token the registry maps to it (case_handle.cpp).
struct vc_case {
    ReaderState reader;  // the case's own reader: handles share nothing
    std::string error;  // the last error of a call on this handle
    MessageLog messages;

    // Taken once the case is loaded and built at step 0, so that the
    // strings handed out stay put until the handle is closed.
    std::string folder;
    std::string files[4];  // VC_FILE_* order
    bool found[4] = {false, false, false, false};  // read by the reader
    std::vector<std::string> part_names;
    std::vector<std::string> variable_names;
    int per_part_variables = 0;  // the first variables of the list; the rest are constants

    // The surface file's line of each triangle, per surface part, read on
    // the first query (api_placement.cpp).
    bool triangle_lines_taken = false;
    std::vector<std::vector<int>> triangle_lines;

    // The reader's findings, taken on their first query (api_findings.cpp).
    bool findings_taken = false;
    std::vector<Finding> findings;
};

// The reader that answers for the handle: its own.
ReaderState &reader_of(vc_case &handle);

// The open case behind `handle` when vc_open handed it out and it is not
// closed yet, else nullptr.
vc_case *live_case(const vc_case *handle);

// Makes the reader's diagnostics go to the log, one entry per line, instead
// of standard error.
void collect_messages(ReaderState &reader, MessageLog &log);

// Records `text` as the handle's error and returns `code`. Never throws: when
// the text cannot be stored the error stays empty.
int fail(vc_case &handle, int code, const std::string &text) noexcept;
int fail(vc_case &handle, int code, const char *text) noexcept;

// Runs body(vc_case &, ReaderState &) for a live handle and returns its
// result; a NULL or closed handle gives VC_ERR_ARGUMENT, an escaping
// exception VC_ERR_MEMORY or VC_ERR_INTERNAL, each with its message.
template <typename Body>
int with_case(vc_case *handle, Body body) noexcept
{
    vc_case *live = live_case(handle);
    if (!live)
        return VC_ERR_ARGUMENT;
    try {
        live->error.clear();
        return body(*live, reader_of(*live));
    } catch (const std::bad_alloc &) {
        return fail(*live, VC_ERR_MEMORY, "not enough memory");
    } catch (...) {
        return fail(*live, VC_ERR_INTERNAL, "internal error");
    }
}

// Checks for the vc_ functions. Each returns VC_OK, or records the error on
// the handle and returns its code.
int check_pointer(vc_case &handle, const void *pointer, const char *what);
int check_part(vc_case &handle, int part);
int check_step(vc_case &handle, int step);
int check_capacity(vc_case &handle, long long needed, int capacity);
int check_variable_number(vc_case &handle, int variable);

// The checks of a query on a part: `out` (named `what`) not NULL, the part
// listed and, unless step is no_step, the step on the time line.
constexpr int no_step = -1000000;
int check_part_query(vc_case &handle, const void *out, const char *what, int part, int step = no_step);

// Adds an opened case to the registry and returns the handle that names it.
vc_case *register_case(std::unique_ptr<vc_case> opened);
// Takes the case named by `handle` out of the registry and frees it; false
// when the handle names no open case.
bool release_case(const vc_case *handle) noexcept;
