// Reading the surface geometry file into the shared vertex list and the
// surface parts of the part table.
#pragma once

struct ReaderState;

#include <string>
#include <vector>

// Number of surface parts (the boundary regions), bounded by the table.
int surface_part_count(ReaderState &state);

// Reads the surface file at path: the vertex list (state.surface_x/y/z) and,
// for every surface part, its element counts, connectivity and used-vertex
// bit set. The surface parts must start cleared. 1, or -1 when the file
// cannot be opened or its tables cannot be allocated.
int read_surface_file(ReaderState &state, const std::string &path);

// Per surface part (0-based), the line number (from 1) in the surface file
// at path of each of its triangles, in the order of the part's
// connectivity: the file's triangle lines are read again, once for all
// parts, as read_surface_file reads them. Empty lists when the file cannot
// be opened.
std::vector<std::vector<int>> triangle_line_numbers(ReaderState &state, const std::string &path);
