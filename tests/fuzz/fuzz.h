// The fuzz targets and what they share. A target is a function of this
// header's list, fed one input; tests/fuzz/CMakeLists.txt links each with
// the one driver (driver.cpp: the case folder, the packing of case files and
// the replay of saved inputs) as replay_<name> and, in a fuzz build, with
// libFuzzer as fuzz_<name>.
//
// A packed input is one file's text, optionally followed by further files,
// each introduced by a line "@@ NAME" at the start of a line:
//
//     <text of the first file>
//     @@ engine.in
//     <text of engine.in>
//
// The first file gets the name the target chooses (boundary.in, inputs.in).
// A NAME may hold letters, digits, '.', '_' and '-' (at most 64 of them, not
// "." or ".."); a section with any other name is dropped, and a later
// section of the same name replaces an earlier one. A section "dialog" of a
// whole case is not a case file but the user's choices: "liner" turns the
// "Moving Liner" toggle on, "verbose" or "debug" picks the console output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "case_session.h"

using FuzzTarget = void(const std::uint8_t *data, std::size_t size);

// Reads one case file as the loader would and checks what its results promise.
FuzzTarget line_reader, inputs_file, engine_file, boundary_deck, motion_files, lift_files, surface_file,
    value_files;
// A packed case loaded twice through the host's entry points, which must
// answer alike both times.
FuzzTarget whole_case;
// A packed case opened twice at once through the C interface.
FuzzTarget case_library;

// Stops the process with a message: how a target reports a broken promise,
// so that the fuzzer keeps the input.
[[noreturn]] void fuzz_finding(const char *what);
void fuzz_finding(const std::string &what);

struct CaseFileText {
    std::string name;
    std::string text;
};
std::vector<CaseFileText> unpack_case(const std::uint8_t *data, std::size_t size, const std::string &first_name);

// One private folder of the temporary directory, removed when the process
// ends. lay() empties it and writes the input's files, so that no input sees
// another's; expect_unchanged() is a finding when the reader created,
// changed or removed a file there.
namespace fuzz_folder {
const std::string &path();                     // without a trailing separator
std::string file(const std::string &name);     // path, separator, name
void lay(const std::vector<CaseFileText> &files);
void lay_one(const std::string &name, const std::uint8_t *data, std::size_t size);
void expect_unchanged();
}  // namespace fuzz_folder

struct DialogChoices {
    int liner = 0;    // the "Moving Liner" toggle
    int console = 0;  // 0 normal, 1 verbose, 2 debug
};
DialogChoices dialog_choices(const std::vector<CaseFileText> &files);
