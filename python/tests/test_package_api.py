"""The package's ways of naming parts and steps, its labelled rigid-body values and the
numbers it hands back, on the bundled examples."""

import os

import numpy as np
import pytest

import vortimar
from conftest import ROOT

EXAMPLES = os.path.join(ROOT, "examples")


@pytest.fixture(scope="module")
def engine():
    with vortimar.open_case(os.path.join(EXAMPLES, "engine_case")) as case:
        yield case


@pytest.mark.parametrize("name, number", [("piston", 1), ("cylinder head", 3), ("exhaust valve", 5)])
def test_a_part_by_name_is_the_part_by_number(engine, name, number):
    by_name, by_number = engine.mesh(name, 360), engine.mesh(number, 360)
    np.testing.assert_array_equal(by_name.points, by_number.points)
    assert by_name.values.keys() == by_number.values.keys()
    np.testing.assert_array_equal(engine.rigid_body(name, 100), engine.rigid_body(number, 100))


@pytest.mark.parametrize("part, step, says", [
    ("pistons", 0, "no part named 'pistons': the case has \"piston\", \"liner\","),
    (1, 1441, "step 1441 out of range: the case has steps 0 to 1440"),
    (1, -1, "step -1 out of range"),
    (2, 2 ** 32 + 5, "step 4294967301 out of range"),  # not step 5 after wrapping around
    (2, 1.5, "step 1.5 is not a whole number"),
])
def test_a_wrong_part_or_step_is_named_as_given(engine, part, step, says):
    for ask in (engine.mesh, engine.rigid_body, engine.values):
        with pytest.raises(vortimar.VortimarError) as raised:
            ask(part, step)
        assert says in str(raised.value)
    if isinstance(part, int):
        with pytest.raises(vortimar.VortimarError) as raised:
            engine.constants(step)
        assert says in str(raised.value)


def test_rigid_body_values_are_labelled(engine):
    # The piston at 0 degrees (step 360) stands one stroke, 0.088 m, above bottom dead centre.
    top = engine.rigid_body("piston", 360)
    assert top.shape == (14,) and top.dtype == np.float32
    np.testing.assert_allclose(top.translation, [0, 0, 0.088], atol=1e-7)
    assert top.euler_parameters.tolist() == [1, 0, 0, 0] and top.centre.tolist() == [0, 0, 0]
    assert top.rotation_order == 0 and top.initial_rotation.tolist() == [0, 0, 0]
    # The fan turns at 720 deg/s about the z axis through the origin: 36 degrees at 0.05 s (step 5).
    with vortimar.open_case(os.path.join(EXAMPLES, "moving_walls")) as walls:
        fan = walls.rigid_body("fan", 5)
    half = np.radians(18)
    np.testing.assert_allclose(np.abs(fan.euler_parameters), [np.cos(half), 0, 0, np.sin(half)], atol=1e-6)
    np.testing.assert_array_equal(fan.euler_parameters, fan[3:7])


def test_constants_print_as_the_file_wrote_them(engine):
    constants = engine.constants(0)
    assert [repr(constants[name]) for name in ("Bore", "Stroke", "Con_rod_length", "RPM")] == [
        "0.08", "0.088", "0.14", "1500.0"]
