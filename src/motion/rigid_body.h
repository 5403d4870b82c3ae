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

// The rigid-body motion of values as the host applies it, x' = A(e) (x - c) + t,
// written as x' = rotation x + translation: rotation is A(e) row by row (the
// Euler-parameter matrix, first row e0^2+e1^2-e2^2-e3^2, 2(e1e2+e0e3),
// 2(e1e3-e0e2)) and translation is t - A(e) c. The initial rotation (values
// 10 to 13) is always zero for this reader and is not applied.
void rigid_body_transform(const float values[rigid_body_value_count], double rotation[9], double translation[3]);
