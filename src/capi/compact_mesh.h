// A part's compact mesh: only the points its elements use. A surface part's
// host nodes are every vertex of the surface file (the unused ones at the
// origin); its compact mesh keeps the vertices its triangles use, in
// increasing vertex order, and numbers its triangles' corners over those.
#pragma once

#include <cstdint>
#include <vector>

#include "core/reader_state.h"

// Number of points of the part's compact mesh.
int compact_point_count(const ReaderState &reader, const PartRecord &part);

// The host node (0-based) of each compact point, in order.
std::vector<int> compact_nodes(const ReaderState &reader, const PartRecord &part);

// The triangles' corners, 0-based over the compact points, into out
// (3 per triangle).
void compact_triangles(const ReaderState &reader, const PartRecord &part, int *out);

// x, y, z of each compact point as the host receives them at the built step.
void compact_points(ReaderState &reader, const PartRecord &part, float *xyz);
