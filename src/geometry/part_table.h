// The part table: surface parts built from the surface geometry file, point
// parts from spatial value files, rebuilt lazily for the host's current step.
#pragma once

#include "core/line_reader.h"
#include "core/reader_state.h"

// Builds the part table for state.current_step: the first call reads the
// surface file, the variable definitions and the value files; later calls
// with a new step refresh node values, the moving liner and the point parts.
// A call for the step last built costs one comparison. 1, or -1 on failure.
int reload_all_parts(ReaderState &state);

// Sizes a record's arrays from its element type and counts. 1, or -1.
int allocate_part_arrays(ReaderState &state, PartRecord &part);

// Adds Total_Pressure when the deck marked it, and sizes each surface part's
// per-step and per-node variable storage. 1, or -1.
int allocate_variable_arrays(ReaderState &state);

// Fills point part `part` for the current step from its stored point data;
// `file` is its open spatial file, `line` the caller's line buffer. 1, or -1.
int read_nodal_info(ReaderState &state, CaseFile &file, int part, char *line);

// The record of host part number part_number (1-based), or nullptr when no
// such part exists.
PartRecord *host_part(ReaderState &state, int part_number);

// Whether a triangle of surface part `part` uses its node `node` (0-based).
// A surface node's coordinates are those of its vertex when used, else 0,0,0.
bool surface_node_used(ReaderState &state, const PartRecord &part, int node);

// Word `word` of the part's used-vertex bits, counted over all nodes (bit j
// stands for node 64 * word + j), with the bits of nodes at or beyond `limit`
// cleared; 0 for a word outside the stored ones.
inline std::uint64_t used_vertex_word(const PartRecord &part, long long word, int limit)
{
    const long long stored = word - part.used_first_word;
    const long long count = limit - 64 * word;
    if (stored < 0 || stored >= static_cast<long long>(part.used_vertices.size()) || count <= 0)
        return 0;
    const std::uint64_t bits = part.used_vertices[static_cast<std::size_t>(stored)];
    return count >= 64 ? bits : bits & ((std::uint64_t{1} << count) - 1);
}

// Host copies of a part's node data (node k of the part at position k + 1).
void copy_part_coords(ReaderState &state, const PartRecord &part, float **coord_array);
void copy_part_node_ids(const PartRecord &part, int *nodeid_array);
void copy_part_elements(const PartRecord &part, int **conn_array);
