"""The pieces of the VTK conversion that the plugin and the export share."""
import numpy as np

from vortimar.vtk_parts import compact_triangles, share_of_parts, step_at_or_before


class P:
    def __init__(self, number, size):
        self.number, self.triangle_count, self.vertex_count = number, size, size


def test_compact_triangles_keeps_only_used_points():
    used, local = compact_triangles(np.array([[4, 2, 7], [7, 2, 9]]), 10)
    assert used.tolist() == [2, 4, 7, 9]
    assert local.tolist() == [[1, 0, 2], [2, 0, 3]]
    used, local = compact_triangles(np.array([[0, 1, 2]]), 3)
    assert used is None and local.tolist() == [[0, 1, 2]]


def test_time_between_steps_gives_the_step_at_or_before():
    times = np.array([0.0, 0.1, 0.2, 0.3], dtype=np.float32)
    asked = [-1.0, 0.0, 0.05, float(times[1]), 0.1999, 0.25, 7.0]
    assert [step_at_or_before(times, t) for t in asked] == [0, 0, 0, 1, 1, 2, 3]


def test_parts_are_shared_out_once_and_evenly():
    parts = [P(n, s) for n, s in enumerate([100, 90, 10, 10, 5, 80, 1], start=1)]
    shares = [share_of_parts(parts, piece, 3) for piece in range(3)]
    assert sorted(n for share in shares for n in share) == list(range(1, 8))
    loads = [sum(p.triangle_count for p in parts if p.number in share) for share in shares]
    assert max(loads) - min(loads) <= 20
    assert share_of_parts(parts, 0, 1) == set(range(1, 8))
