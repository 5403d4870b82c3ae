// One load of a case through the library's exported entry points, in the
// order the host application calls them, with every buffer sized exactly as
// the host sizes it from the library's own answers. The answers are folded
// into a digest, so that two loads of the same case can be compared.
#pragma once

#include <cstdint>
#include <string>

struct DialogChoices {
    int liner = 0;    // the "Moving Liner" toggle
    int console = 0;  // "Console Output": 0 normal, 1 verbose, 2 debug
};

// Loads folder/inputs.in, asks every query and returns the digest of the
// answers (file times left out).
std::uint64_t host_session(const DialogChoices &choices, const std::string &folder);
