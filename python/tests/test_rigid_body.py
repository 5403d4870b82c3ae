"""Rigid-body motion applied as the host applies it: x' = A(e)(x - c) + t.
Expected positions are worked out by hand from the turn each case describes."""

import numpy as np
import pytest

import vortimar
from conftest import TEST_CASE

HALF = np.sqrt(0.5)


def test_reference_axes_are_carried_onto_current_axes():
    # e = (0.7071, 0, 0, -0.7071) carries (1,0,0) to (0,1,0) and (0,1,0) to (-1,0,0).
    values = np.zeros(14)
    values[3:7] = [HALF, 0, 0, -HALF]
    moved = vortimar.apply_rigid_body([[1, 0, 0], [0, 1, 0], [0, 0, 1]], values)
    assert moved.dtype == np.float32
    np.testing.assert_allclose(moved, [[0, 1, 0], [-1, 0, 0], [0, 0, 1]], atol=1e-6)


def test_offset_is_subtracted_before_and_translation_added_after():
    values = np.zeros(14)
    values[0:3] = [10, 20, 30]
    values[3] = 1
    values[7:10] = [1, 2, 3]
    assert vortimar.apply_rigid_body([[1, 2, 3], [2, 2, 3]], values).tolist() == [[10, 20, 30], [11, 20, 30]]
    with pytest.raises(ValueError):
        vortimar.apply_rigid_body([[0, 0, 0]], values[:7])


def test_quarter_turn_of_the_lid():
    # The lid turns about (1, 0, 0) on z by 90 degrees at step 10; the host's
    # matrix turns it by -90 degrees: (x, y) -> (y, -x) about the centre.
    with vortimar.open_case(TEST_CASE) as case:
        lid = case.parts[1]
        assert lid.motion == "rotation"
        still = case.mesh(lid, 10, moved=False)
        moved = case.mesh(lid, 10)
        first = case.mesh(lid, 0)
    assert still.node_numbers.tolist() == [64, 71, 72, 130, 131]
    assert still.points.tolist() == [[2, 0, 0], [1, 1, 0], [1, 0, 1], [1, 0, 0], [0, 0, 0]]
    np.testing.assert_allclose(moved.points, [[1, -1, 0], [2, 0, 0], [1, 0, 1], [1, 0, 0], [1, 1, 0]], atol=1e-6)
    assert first.points.tolist() == still.points.tolist()  # no turn at step 0
    assert moved.values["Pressure"].tolist() == [200000] * 5


@pytest.mark.parametrize("step, expected", [
    # Step 2: axes (0,1,0), (-1,0,0): a quarter turn about z, (x, y, z) -> (-y, x, z).
    (2, [[0.5, 0.5, 1.02], [-0.5, -0.5, 1.02], [-0.5, 0.5, 1.02]]),
    # Step 4: axes (1,0,0), (0,-1,0): a half turn about x, (x, y, z) -> (x, -y, -z).
    (4, [[0.5, 0.5, -0.96], [-0.5, -0.5, -0.96], [0.5, -0.5, -0.96]]),
])
def test_arbitrary_motion_moves_the_tumbler(golden, step, expected):
    # The tumbler is vertices 6 (1,0,1), 7 (0,1,1) and 8 (1,1,1) of blocks.dat,
    # moved about its cg (0.5, 0.5, 0) and carried to (0, 0, t).
    with vortimar.open_case(golden("motion_kinds")) as case:
        tumbler = case.parts[3]
        assert tumbler.name == "tumbler" and tumbler.motion == "arbitrary"
        mesh = case.mesh(tumbler, step)
    assert mesh.node_numbers.tolist() == [6, 7, 8]
    np.testing.assert_allclose(mesh.points, expected, atol=1e-6)
