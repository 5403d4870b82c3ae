// How the case library drives a case's reader: loaded and stepped by the
// same routines the host's entry points run, so that what it reads off the
// reader afterwards is what the host receives.
#pragma once

#include <string>

#include "core/reader_state.h"

// Loads the case of `folder` (no separator at its end) the way the host does
// after its file dialog: the dialog's choices first, then the file names.
// Returns the host's result code (Z_OK or Z_ERR).
int open_reader(ReaderState &reader, const std::string &folder, bool moving_liner, bool debug_messages);

// Makes `step` the current step (clamped into the time line as the host's
// step is). build: also build the parts for it, as a part query does.
void go_to_step(ReaderState &reader, int step, bool build);
