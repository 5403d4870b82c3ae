// The reader that the host's entry points work on.
#pragma once

#include "core/reader_state.h"

// The one reader of the host's entry points, created on first use. Other
// programs make ReaderState objects of their own, one per open case.
ReaderState &default_reader();
