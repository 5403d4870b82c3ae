// What the host receives, asked of one reader. The C interface reaches the
// reader's answers only through these, so that they are the host's answers:
// the case is loaded, stepped and built by the routines the host's entry
// points run.
#pragma once

#include <string>

#include "interface/reader_state.h"

// Loads the case of `folder` (no separator at its end) the way the host does
// after its file dialog: the dialog's choices first, then the file names.
// Returns the host's result code (Z_OK or Z_ERR).
int load_case(ReaderState &reader, const std::string &folder, bool moving_liner, bool debug_messages);

// Makes `step` the current step (clamped into the time line as the host's
// step is). build: also build the parts for it, as a part query does.
void go_to_step(ReaderState &reader, int step, bool build);

// Whether the host receives rigid-body values: its result code.
int rigid_body_existence(ReaderState &reader);

// The 14 rigid-body values of host part `part` at the current step; the
// host's result code (Z_OK, Z_UNDEF when it receives none, Z_ERR).
int rigid_body_values(ReaderState &reader, int part, float values[14]);

// Values of variable `variable` (from 1) on host part `part` at the current
// step into per_node[1 .. nodes of the part]; the host's result code.
int part_variable_values(ReaderState &reader, int variable, int part, float *per_node);

// The value of constant `variable` (from 1) at the current step.
float constant_value(ReaderState &reader, int variable);

// The solution time of every step, seconds[0 .. steps - 1].
void solution_times(ReaderState &reader, float *seconds);
