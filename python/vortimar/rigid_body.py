"""Rigid-body motion as the host applies the reader's 14 values."""

import numpy as np


def rotation_matrix(e):
    """The matrix A(e) of Euler parameters e = (e0, e1, e2, e3), for x' = A x."""
    e0, e1, e2, e3 = (float(v) for v in e)
    return np.array(
        [
            [e0 * e0 + e1 * e1 - e2 * e2 - e3 * e3, 2 * (e1 * e2 + e0 * e3), 2 * (e1 * e3 - e0 * e2)],
            [2 * (e1 * e2 - e0 * e3), e0 * e0 - e1 * e1 + e2 * e2 - e3 * e3, 2 * (e2 * e3 + e0 * e1)],
            [2 * (e1 * e3 + e0 * e2), 2 * (e2 * e3 - e0 * e1), e0 * e0 - e1 * e1 - e2 * e2 + e3 * e3],
        ]
    )


def apply_rigid_body(points, values):
    """Points (n, 3) moved by the 14 rigid-body values: x' = A(e)(x - c) + t.

    t is values[0:3], e values[3:7] and the centre offset c values[7:10].
    The initial rotation (values[10:14]) is always zero for this reader and
    is not applied. Returns a new (n, 3) float32 array.
    """
    values = np.asarray(values, dtype=np.float64)
    if values.shape != (14,):
        raise ValueError("rigid-body values must be 14 numbers, got shape %s" % (values.shape,))
    x = np.asarray(points, dtype=np.float64).reshape(-1, 3)
    moved = (x - values[7:10]) @ rotation_matrix(values[3:7]).T + values[0:3]
    return moved.astype(np.float32)
