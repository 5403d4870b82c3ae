// One pass over an open case through the case library's C interface: every
// vc_ query a program can make, on every part, variable and constant at the
// first, middle and last steps, each followed by the same query made wrong
// (numbers out of range, arrays one element short, no pointer, the wrong sort
// of variable), which must fail with its documented code. What the answers
// promise is checked on the way (triangle corners name the part's points, a
// surface point's number is a vertex of the file). The answers are folded
// into a digest, so that two passes can be compared without keeping them;
// the messages are left out (they grow as further steps are built).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "vortimar_case.h"

// Part sizes beyond this many nodes or elements are not copied out by a
// session (the buffers would pass a fuzzer's memory limit), nor time lines
// longer than session_most_steps stepped through.
constexpr int session_most_copied = 1 << 20;
constexpr int session_most_steps = 1 << 22;

// A running FNV-1a digest of a session's answers.
struct Digest {
    std::uint64_t value = 1469598103934665603ULL;

    void bytes(const void *data, std::size_t size)
    {
        const unsigned char *p = static_cast<const unsigned char *>(data);
        for (std::size_t i = 0; i < size; ++i)
            value = (value ^ p[i]) * 1099511628211ULL;
    }
    template <typename T>
    void add(const T &v)
    {
        bytes(&v, sizeof v);
    }
    void text(const char *s, std::size_t limit)  // up to its end or limit, and a separator
    {
        bytes(s, strnlen(s, limit));
        add('\0');
    }
};

// Asks everything of the open case; returns the digest of the answers.
std::uint64_t library_session(vc_case *c);

// How a broken promise or a wrong result ends the program; each program that
// runs sessions defines it.
[[noreturn]] void session_failure(const std::string &what);
