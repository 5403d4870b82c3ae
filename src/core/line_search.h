// Searches through the opening lines of case files: the header that ends
// with a "#" line, and the line naming a table's unit ("crank" or "second").
#pragma once

#include "core/line_reader.h"

// Reads past the header of engine.in or boundary.in: its first line, then up
// to four more lines, stopping after the first that begins with "#". `line`
// holds the last line read.
void skip_header(CaseFile &file, char *line);

// Reads on until a line holds "crank" or "second" (the line naming a table's
// unit) and returns true with that line in `line`. False when the file ends
// first, or when `most_lines` lines were read without one (most_lines < 0:
// no limit). A line too long to be delivered leaves the previous line in
// `line` and counts as read.
bool find_unit_line(CaseFile &file, char *line, int most_lines);
