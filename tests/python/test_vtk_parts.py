"""The time values the plugin and the export share. (Which step a time between two steps
gives is checked through the plugin.)"""
import numpy as np

from vortimar.vtk_parts import time_values


def test_unusable_times_give_crank_angles_or_step_numbers():
    angles = np.array([-10.0, -9.5, -9.0], dtype=np.float32)
    assert time_values([0.0, 0.1, 0.2], angles)[1] is None
    values, note = time_values([0.0, np.inf, np.inf], angles)                # a speed of 0
    assert list(values) == [-10.0, -9.5, -9.0] and "not finite" in note and "crank angles" in note
    values, note = time_values([0.0, 0.5, 0.5], None)                 # a repeated time
    assert list(values) == [0.0, 1.0, 2.0] and "not increasing" in note and "step numbers" in note
    assert list(time_values([0.0, np.nan, 1.0], [5.0, 5.0, 6.0])[0]) == [0.0, 1.0, 2.0]
    assert list(time_values([7.0])[0]) == [7.0]
