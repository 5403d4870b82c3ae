"""What the package adds over the C interface: numpy arrays, labels, parts by name, named
rigid-body values, numbers as the files hold them, its refusals, and arbitrary rigid-body motion
applied as the host applies it, x' = A(e)(x - c) + t. The reader's own numbers are compared value by
value with the host library by the golden transcripts and compare_interfaces."""
import os

import numpy as np
import pytest

import vortimar
from fixtures import GOLDEN, TEST_CASE, WALLS


def test_arrays_labels_and_value_sources():
    with vortimar.open_case(os.path.join(GOLDEN, "engine_liner_on"), moving_liner=True) as engine:
        assert engine.times.dtype == np.float32 and len(engine.crank_angles) == len(engine.times)
        assert engine.is_engine and [(p.kind, p.role, p.motion) for p in engine.parts[:4]] == [
            ("surface", "piston", "translation"), ("surface", "intake valve", "translation"),
            ("surface", "exhaust valve", "translation"), ("surface", "liner", "none")]
        assert engine.rigid_body(4, 180) is None  # liners have no rigid-body values
        at_90, at_180 = engine.mesh(4, 180), engine.mesh(4, 360)
        assert at_90.triangles.dtype == np.int32 and at_90.points.dtype == np.float32 and at_90.points.shape == (3, 3)
        # Triangles and node numbers are the same at every step: one shared, read-only copy.
        assert at_90.triangles is at_180.triangles and at_90.node_numbers is at_180.node_numbers
        with pytest.raises(ValueError):
            at_90.triangles[0, 0] = 2
        assert {k: v.tolist() for k, v in engine.values(4, 180).items()} == {
            "Pressure": [101325] * 3, "Temperature": [400] * 3}
    with vortimar.open_case(os.path.join(GOLDEN, "values_spatial_points")) as case:
        assert case.crank_angles is None and not case.is_engine  # a run in seconds
        _, _, inlet_points, outlet_points = case.parts
        mesh = case.mesh(inlet_points, 1)
        assert inlet_points.kind == "points" and mesh.triangles.shape == (0, 3) and mesh.points.shape == (2, 3)
        assert set(mesh.values) == {"Pressure"}  # only the variables with values at this step
        assert outlet_points.sources == {"Pressure": "none", "Temperature": "spatial file"}


def test_a_closed_case_refuses():
    lid = vortimar.open_case(TEST_CASE)
    assert lid.constants(0) == {}
    lid.close()
    with pytest.raises(vortimar.VortimarError, match="closed"):
        lid.times
    lid.close()  # closing twice is harmless


def test_a_part_by_name_is_the_part_by_number(engine):
    for name, number in (("piston", 1), ("exhaust valve", 5)):
        np.testing.assert_array_equal(engine.mesh(name, 360).points, engine.mesh(number, 360).points)
        np.testing.assert_array_equal(engine.rigid_body(name, 100), engine.rigid_body(number, 100))


@pytest.mark.parametrize("part, step, says", [
    ("pistons", 0, "no part named 'pistons': the case has \"piston\", \"liner\","),
    (0, 0, "part 0 out of range"),
    (1, 1441, "step 1441 out of range: the case has steps 0 to 1440"),
    (1, -1, "step -1 out of range"),
    (2, 2 ** 32 + 5, "step 4294967301 out of range"),  # not step 5 after wrapping around
    (2, 1.5, "step 1.5 is not a whole number"),
])
def test_a_wrong_part_or_step_is_named_as_given(engine, part, step, says):
    asks = [engine.mesh, engine.rigid_body, engine.values]
    if part in (1, 2):  # a step the constants refuse alike
        asks.append(lambda _, s: engine.constants(s))
    for ask in asks:
        with pytest.raises(vortimar.VortimarError) as raised:
            ask(part, step)
        assert says in str(raised.value)


def test_labelled_rigid_body_values_and_numbers_as_the_files_hold_them(engine):
    # The piston at 0 degrees (step 360) stands one stroke, 0.088 m, above bottom dead centre.
    top = engine.rigid_body("piston", 360)
    assert top.shape == (14,) and top.dtype == np.float32
    np.testing.assert_allclose(top.translation, [0, 0, 0.088], atol=1e-7)
    assert top.euler_parameters.tolist() == [1, 0, 0, 0] and top.centre.tolist() == [0, 0, 0]
    assert top.rotation_order == 0 and top.initial_rotation.tolist() == [0, 0, 0]
    # The fan turns at 720 deg/s about the z axis through the origin: 36 degrees at 0.05 s (step 5).
    with vortimar.open_case(WALLS) as walls:
        fan = walls.rigid_body("fan", 5)
    np.testing.assert_allclose(np.abs(fan.euler_parameters), [np.cos(np.radians(18)), 0, 0, np.sin(np.radians(18))],
                               atol=1e-6)
    np.testing.assert_array_equal(fan.euler_parameters, fan[3:7])
    constants = engine.constants(0)
    assert [repr(constants[name]) for name in ("Bore", "Stroke", "Con_rod_length", "RPM")] == [
        "0.08", "0.088", "0.14", "1500.0"]


@pytest.mark.parametrize("step, expected", [
    # Step 2: axes (0,1,0), (-1,0,0): a quarter turn about z, (x, y, z) -> (-y, x, z).
    (2, [[0.5, 0.5, 1.02], [-0.5, -0.5, 1.02], [-0.5, 0.5, 1.02]]),
    # Step 4: axes (1,0,0), (0,-1,0): a half turn about x, (x, y, z) -> (x, -y, -z).
    (4, [[0.5, 0.5, -0.96], [-0.5, -0.5, -0.96], [0.5, -0.5, -0.96]]),
])
def test_arbitrary_motion_moves_the_tumbler(step, expected):
    # The tumbler is vertices 6 (1,0,1), 7 (0,1,1) and 8 (1,1,1) of blocks.dat,
    # moved about its cg (0.5, 0.5, 0) and carried to (0, 0, t).
    with vortimar.open_case(os.path.join(GOLDEN, "motion_kinds")) as case:
        tumbler = case.parts[3]
        assert tumbler.name == "tumbler" and tumbler.motion == "arbitrary"
        mesh = case.mesh(tumbler, step)
    assert mesh.node_numbers.tolist() == [6, 7, 8]
    np.testing.assert_allclose(mesh.points, expected, atol=1e-6)
