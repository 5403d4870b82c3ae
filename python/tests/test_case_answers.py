"""The package's answers on golden cases, against the values worked out by
hand in their checks.md."""

import numpy as np
import pytest

import vortimar


@pytest.fixture
def engine(golden):
    with vortimar.open_case(golden("engine_liner_on"), moving_liner=True) as case:
        yield case


def test_engine_time_line(engine):
    # 0 to 720 crank degrees in half degrees, 600 rpm: 0.1 s per turn.
    times, angles = engine.times, engine.crank_angles
    assert times.dtype == np.float32 and len(times) == 1441
    assert angles[0] == 0 and angles[180] == 90 and angles[1440] == 720
    assert times[720] == pytest.approx(0.1, rel=1e-6)
    assert engine.is_engine


def test_engine_parts_and_constants(engine):
    parts = engine.parts
    assert [(p.number, p.name, p.kind, p.role, p.motion) for p in parts] == [
        (1, "piston", "surface", "piston", "translation"),
        (2, "intake_valve", "surface", "intake valve", "translation"),
        (3, "exhaust_valve", "surface", "exhaust valve", "translation"),
        (4, "Liner_lower", "surface", "liner", "none"),
        (5, "liner_upper", "surface", "liner", "none"),
    ]
    assert [p.triangle_count for p in parts] == [1, 1, 1, 1, 2]
    assert engine.variables[:2] == ["Pressure", "Temperature"]
    constants = engine.constants(180)
    assert list(constants) == engine.constant_names
    assert constants["Stroke"] == pytest.approx(0.1) and constants["RPM"] == 600
    assert constants["Crank_Angle"] == 90
    assert constants["Piston_motion"] == pytest.approx(0.0414213538, rel=1e-6)


def test_engine_rigid_body_and_liner(engine):
    piston = engine.rigid_body(1, 180)
    assert piston[2] == pytest.approx(0.0414213538, rel=1e-6)
    assert list(piston[3:7]) == [1, 0, 0, 0]
    assert engine.rigid_body(4, 180) is None  # liners have no rigid-body values
    # Liner_lower's bottom ring (vertices 1 and 2) follows the piston; vertex 3 stays.
    mesh = engine.mesh(4, 180)
    assert mesh.node_numbers.tolist() == [1, 2, 3]
    assert mesh.triangles.tolist() == [[0, 1, 2]] and mesh.triangles.dtype == np.int32
    assert mesh.points.dtype == np.float32 and mesh.points.shape == (3, 3)
    assert mesh.points[:2, 2] == pytest.approx([-0.0585786477] * 2, rel=1e-6)
    assert mesh.points[2, 2] == pytest.approx(-0.0999, rel=1e-6)


def test_mesh_reads_connectivity_once_and_points_and_values_per_step(engine):
    at_90, at_180 = engine.mesh(4, 180), engine.mesh(4, 360)
    # Triangles and node numbers are the same at every step: one shared,
    # read-only copy.
    assert at_90.triangles is at_180.triangles and at_90.node_numbers is at_180.node_numbers
    with pytest.raises(ValueError):
        at_90.triangles[0, 0] = 2
    # At 180 crank degrees the piston is at the bottom: the ring is back at
    # its first z, -0.1.
    assert at_180.points[:2, 2].tolist() == pytest.approx([-0.1, -0.1])
    np.testing.assert_array_equal(engine.points(4, 360), at_180.points)
    # Liner_lower's values are boundary.in's constants, one per part.
    assert {k: v.tolist() for k, v in engine.values(4, 180).items()} == {
        "Pressure": [101325] * 3, "Temperature": [400] * 3}
    # The piston moves by its translation alone.
    still, moved = engine.points(1, 180, moved=False), engine.points(1, 180)
    np.testing.assert_allclose(moved - still, [[0, 0, 0.0414213538]] * 3, atol=1e-7)


def test_points_parts_and_where_values_exist(golden):
    with vortimar.open_case(golden("values_spatial_points")) as case:
        inlet, outlet, inlet_points, outlet_points = case.parts
        assert inlet_points.kind == "points" and inlet_points.name == "inlet_Points"
        # The inlet's pressure comes from its spatial file, shown on its point part.
        assert set(case.mesh(1, 0).values) == {"Temperature"}
        mesh = case.mesh(3, 1)
        assert mesh.triangles.shape == (0, 3)
        np.testing.assert_allclose(mesh.points, [[0, 0, 0.1], [1, 0, 0.1]], atol=1e-6)
        assert set(mesh.values) == {"Pressure"}
        assert mesh.values["Pressure"].tolist() == [200, 210]
        assert case.mesh(4, 2).values["Temperature"].tolist() == [600, 610]
        # Each point file's column header names the one variable it gives.
        assert inlet_points.sources == {"Pressure": "spatial file", "Temperature": "none"}
        assert outlet_points.sources == {"Pressure": "none", "Temperature": "spatial file"}


def test_value_file_source(golden):
    with vortimar.open_case(golden("deck_edges")) as case:
        sources = [p.sources["Pressure"] for p in case.parts]
    assert sources == ["value file", "constant"]
