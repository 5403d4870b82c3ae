"""What the package adds over the C interface on golden cases: numpy arrays
of the right shapes and dtypes, labels for parts and value sources, shared
read-only connectivity and dictionaries by name. The numbers themselves are
checked value by value by the golden transcripts and compare_interfaces;
the few used here come from the cases' hand-worked checks.md."""

import numpy as np
import pytest

import vortimar


@pytest.fixture
def engine(golden):
    with vortimar.open_case(golden("engine_liner_on"), moving_liner=True) as case:
        yield case


def test_engine_arrays_labels_and_constants(engine):
    assert engine.times.dtype == np.float32 and len(engine.crank_angles) == len(engine.times)
    assert engine.is_engine
    assert [(p.kind, p.role, p.motion) for p in engine.parts[:4]] == [
        ("surface", "piston", "translation"), ("surface", "intake valve", "translation"),
        ("surface", "exhaust valve", "translation"), ("surface", "liner", "none")]
    # At 90 crank degrees (step 180): piston travel 0.0414213538.
    assert engine.constants(180)["Crank_Angle"] == 90
    assert engine.rigid_body(4, 180) is None  # liners have no rigid-body values
    still, moved = engine.points(1, 180, moved=False), engine.points(1, 180)
    np.testing.assert_allclose(moved - still, [[0, 0, 0.0414213538]] * 3, atol=1e-7)


def test_mesh_arrays_and_shared_read_only_connectivity(engine):
    at_90, at_180 = engine.mesh(4, 180), engine.mesh(4, 360)
    assert at_90.triangles.dtype == np.int32 and at_90.triangles.shape == (1, 3)
    assert at_90.points.dtype == np.float32 and at_90.points.shape == (3, 3)
    # Triangles and node numbers are the same at every step: one shared copy.
    assert at_90.triangles is at_180.triangles and at_90.node_numbers is at_180.node_numbers
    with pytest.raises(ValueError):
        at_90.triangles[0, 0] = 2
    assert {k: v.tolist() for k, v in engine.values(4, 180).items()} == {
        "Pressure": [101325] * 3, "Temperature": [400] * 3}


def test_point_parts_and_value_sources(golden):
    with vortimar.open_case(golden("values_spatial_points")) as case:
        assert case.crank_angles is None and not case.is_engine  # a run in seconds
        _, _, inlet_points, outlet_points = case.parts
        assert inlet_points.kind == "points"
        mesh = case.mesh(3, 1)
        assert mesh.triangles.shape == (0, 3) and mesh.points.shape == (2, 3)
        # Only the variables that have values at this step are keys.
        assert set(mesh.values) == {"Pressure"}
        assert inlet_points.sources == {"Pressure": "spatial file", "Temperature": "none"}
        assert outlet_points.sources == {"Pressure": "none", "Temperature": "spatial file"}
    with vortimar.open_case(golden("deck_edges")) as case:
        assert [p.sources["Pressure"] for p in case.parts] == ["value file", "constant"]
