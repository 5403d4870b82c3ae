"""Which step a time between two steps gives (the plugin and the export share it)."""
import numpy as np

from vortimar.vtk_parts import step_at_or_before


def test_time_between_steps_gives_the_step_at_or_before():
    times = np.array([0.0, 0.1, 0.2, 0.3], dtype=np.float32)
    # A step's own float32 time, passed around as a double, must give that step.
    asked = [-1.0, 0.0, 0.05, float(times[1]), 0.1999, 0.25, 7.0]
    assert [step_at_or_before(times, t) for t in asked] == [0, 0, 0, 1, 1, 2, 3]
