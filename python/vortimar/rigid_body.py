"""Rigid-body motion as the host applies the reader's 14 values."""

import numpy as np


class RigidBodyValues(np.ndarray):
    """The 14 rigid-body values of a part at a step, a float32 array that also names
    its entries: translation [0:3] (x, y, z), euler_parameters [3:7] (e0 to e3), centre
    [7:10] (the offset taken off before turning), rotation_order [10] (the code of the
    initial rotation's axis order, 0 for none) and initial_rotation [11:14] (degrees
    about x, y and z). The reader's initial rotation is always zero."""

    translation = property(lambda self: np.asarray(self[0:3]))
    euler_parameters = property(lambda self: np.asarray(self[3:7]))
    centre = property(lambda self: np.asarray(self[7:10]))
    rotation_order = property(lambda self: int(self[10]))
    initial_rotation = property(lambda self: np.asarray(self[11:14]))

    def __repr__(self):
        return "RigidBodyValues(translation=%s, euler_parameters=%s, centre=%s, rotation_order=%d, " \
               "initial_rotation=%s)" % (self.translation, self.euler_parameters, self.centre, self.rotation_order,
                                         self.initial_rotation)


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
