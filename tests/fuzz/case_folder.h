// A private case folder for one fuzz input, and the packing of several case
// files into one input.
//
// A packed input is one file's text, optionally followed by further files,
// each introduced by a line "@@ NAME" at the start of a line:
//
//     <text of the first file>
//     @@ engine.in
//     <text of engine.in>
//     @@ surface.dat
//     ...
//
// The first file gets the name the target chooses (boundary.in, inputs.in).
// A NAME may hold letters, digits, '.', '_' and '-' (at most 64 of them, not
// "." or ".."); a section with any other name is dropped. A later section of
// the same name replaces an earlier one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct CaseFileText {
    std::string name;
    std::string text;
};

// Splits a packed input; the leading text becomes the file `first_name`.
std::vector<CaseFileText> unpack_case(const std::uint8_t *data, std::size_t size, const std::string &first_name);

// The text of the section `name`, or nullptr when the input has none.
const std::string *find_section(const std::vector<CaseFileText> &files, const std::string &name);

// One folder of the system's temporary directory, made on first use and
// removed when the process ends. Each input empties it and lays its files
// there, so no input ever sees another's files.
class FuzzFolder {
public:
    // The folder's path, without a trailing separator.
    static const std::string &path();
    // The folder's path followed by the platform's separator and name.
    static std::string file(const std::string &name);
    // Empties the folder and writes the files into it.
    static void lay(const std::vector<CaseFileText> &files);
    // The same for an input that is one whole file.
    static void lay_one(const std::string &name, const std::uint8_t *data, std::size_t size);
    // Stops the process (a finding) when the folder holds anything else than
    // the files laid last at their sizes: the reader must never create,
    // change, rename or delete a file.
    static void expect_unchanged();
};

// Stops the process with a message: how a target reports a broken promise,
// so that the fuzzer saves the input.
[[noreturn]] void fuzz_finding(const char *what);
