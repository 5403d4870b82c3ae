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

// Everything an open case holds. Closing a case frees its record.
struct CaseRecord {
    ReaderState reader;  // the case's own reader: handles share nothing
    std::string error;  // the last error of a call on this handle
    MessageLog messages;

    // Taken once the case is loaded and built at step 0, so that the
    // strings handed out stay put until the handle is closed.
    std::string folder;
    std::string files[4];  // VC_FILE_* order
    bool found[4] = {false, false, false, false};
    std::vector<std::string> part_names;
    std::vector<std::string> variable_names;
    int per_part_variables = 0;  // the first variables of the list; the rest are constants

    // The reader's findings, taken on their first query (api_findings.cpp).
    bool findings_taken = false;
    std::vector<Finding> findings;
};

// The handle given out by vc_open. It stays allocated after vc_close, with
// no record, so that a closed handle is told apart from an open one and no
// later handle gets its address; it costs a pointer per case ever opened.
struct vc_case {
    std::unique_ptr<CaseRecord> record;
};

// The reader that answers for the handle: its own.
ReaderState &reader_of(CaseRecord &handle);

// The record of `handle` when vc_open made it and it is still open, else
// nullptr.
CaseRecord *live_case(const vc_case *handle);

// Makes the reader's diagnostics go to the log, one entry per line, instead
// of standard error.
void collect_messages(ReaderState &reader, MessageLog &log);

// Records `text` as the handle's error and returns `code`. Never throws: when
// the text cannot be stored the error stays empty.
int fail(CaseRecord &handle, int code, const std::string &text) noexcept;
int fail(CaseRecord &handle, int code, const char *text) noexcept;

// Runs body(CaseRecord &, ReaderState &) for a live handle and returns its
// result; a NULL or closed handle gives VC_ERR_ARGUMENT, an escaping
// exception VC_ERR_MEMORY or VC_ERR_INTERNAL, each with its message.
template <typename Body>
int with_case(vc_case *handle, Body body) noexcept
{
    CaseRecord *live = live_case(handle);
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
int check_pointer(CaseRecord &handle, const void *pointer, const char *what);
int check_part(CaseRecord &handle, int part);
int check_step(CaseRecord &handle, int step);
int check_capacity(CaseRecord &handle, long long needed, int capacity);
int check_variable_number(CaseRecord &handle, int variable);

// The checks of a query on a part: `out` (named `what`) not NULL, the part
// listed and, unless step is no_step, the step on the time line.
constexpr int no_step = -1000000;
int check_part_query(CaseRecord &handle, const void *out, const char *what, int part, int step = no_step);

// Makes a new open handle with an empty record and returns it.
vc_case *register_case();
// Closes an open handle: its record and everything it holds are freed.
void close_case(vc_case *handle) noexcept;
