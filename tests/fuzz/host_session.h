// One load of a case through the library's exported entry points, in the
// order the host application calls them, with every buffer sized exactly as
// the host sizes it from the library's own answers. The answers are folded
// into a digest, so that two loads of the same case can be compared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "case_folder.h"

// Part sizes beyond this many nodes or elements are not copied out by a
// session: the buffers would cost more than the fuzzer's memory limit
// allows. The reader bounds such counts by the file's size, so only large
// inputs reach it.
constexpr int session_most_copied = 1 << 20;
// Time lines longer than this are asked for their times but not stepped through.
constexpr int session_most_steps = 1 << 22;

struct DialogChoices {
    int liner = 0;    // the "Moving Liner" toggle
    int console = 0;  // "Console Output": 0 normal, 1 verbose, 2 debug
};

// The user's choices that a packed case's section "dialog" names: "liner"
// turns the "Moving Liner" toggle on, "verbose" or "debug" picks the console
// output. No such section: the defaults.
DialogChoices dialog_choices(const std::vector<CaseFileText> &files);

// Loads folder/inputs.in, asks every query and returns the digest of the
// answers (file times left out).
std::uint64_t host_session(const DialogChoices &choices, const std::string &folder);
