// The command line of vortimar-inspect: options, the step list and the case
// path, all checked here before anything is loaded.
#pragma once

#include <string>
#include <vector>

enum class Request { run, help, version };

struct Options {
    Request request = Request::run;
    std::string library;        // LIBRARY as given
    std::string case_path;      // CASE as given: a case folder or its inputs.in
    std::string preload;        // --preload: another case, as given
    int liner = 0;              // --liner
    int console = 0;            // --console: 0 normal, 1 verbose, 2 debug
    bool all_steps = false;     // --steps all
    std::vector<long> steps;    // --steps i,j,...: the steps in the given order
    bool nodes = true;          // false with --no-nodes
    bool unchecked = false;     // --unchecked: case paths go to the reader as given
};

// Reads argv into `o`. Returns "" when the command line is well formed, else
// one line saying what is wrong and what is allowed (the tool then exits 2).
std::string parse_options(int argc, char **argv, Options &o);

// Checks the step list against a case of `count` steps. Returns "" when every
// step is within 0 .. count - 1, else the line to print (exit 2).
std::string check_steps_in_range(const Options &o, int count);

// The steps to show of a case of `count` steps: the user's list, or all of
// them ("all", or a short time line when no list was given), or nine spread
// over the run.
std::vector<int> chosen_steps(const Options &o, int count);

// The text of --help: every option with its meaning.
const char *help_text();

// A case as the reader is handed it: the folder and the file name in it.
struct CaseLocation {
    std::string folder;
    std::string file;
};

// Finds the case that `given` names: a case folder (with or without a
// trailing separator) or the path of its inputs.in. Fills `where` and returns
// "", or returns one line naming the path and what is missing (exit 2).
std::string locate_case(const std::string &given, CaseLocation &where);

// Splits `given` at its last separator without looking at the disk, so that
// the reader meets missing and odd paths itself (--unchecked).
CaseLocation split_case_path(const std::string &given);
