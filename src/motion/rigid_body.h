// The rigid-body values of a part at the current step, as the host applies
// them to the part's coordinates.
#pragma once

struct ReaderState;

// Translation x, y, z; Euler parameters e0..e3; centre of rotation x, y, z;
// the initial rotation's order and angles (always 0).
constexpr int rigid_body_value_count = 14;

// Fills values for host part number part_number (1-based) at the current
// step: from the engine kinematics in an engine case, else from the part's
// motion record. Every value is first reset to no motion (identity rotation,
// zero translation). Returns Z_OK, Z_UNDEF when the part does not move, or
// Z_ERR when there is no such part (or its engine role is unknown).
int rigid_body_values(ReaderState &state, int part_number, float values[rigid_body_value_count]);
