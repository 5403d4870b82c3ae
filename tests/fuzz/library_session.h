// One pass over an open case through the case library's C interface: every
// vc_ query a program can make, on every part, variable and constant at the
// first, middle and last steps, each followed by the same query made wrong
// (numbers out of range, arrays one element short, NULL pointers, the wrong
// sort of variable), which must fail with its documented code. What the
// answers promise is checked on the way (triangle corners name the part's
// points, a surface point's number is a vertex of the file); a broken
// promise is a fuzz finding.
#pragma once

#include <cstdint>

#include "vortimar_case.h"

// Asks everything of the open case and returns the digest of the answers.
// The reader's messages are read but left out of the digest: they grow as
// further steps are built.
std::uint64_t library_session(vc_case *handle);
