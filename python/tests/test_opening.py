"""Opening and closing cases, what the case says about its files, and
every way of asking wrongly."""

import os

import numpy as np
import pytest

import vortimar
from conftest import GOLDEN, TEST_CASE


def test_folder_and_inputs_path_open_the_same_case():
    with vortimar.open_case(TEST_CASE) as by_folder:
        names = [p.name for p in by_folder.parts]
        folder = by_folder.folder
    with vortimar.open_case(os.path.join(TEST_CASE, "inputs.in")) as by_file:
        assert [p.name for p in by_file.parts] == names == ["wall", "lid"]
        assert by_file.folder == folder
    assert folder.rstrip("/\\") == TEST_CASE


def test_files_found_and_missing():
    with vortimar.open_case(TEST_CASE) as case:
        files = case.files
    assert files["inputs.in"].found and files["boundary.in"].found
    assert not files["engine.in"].found
    assert files["surface"] == ("surface.dat", os.path.join(TEST_CASE, "surface.dat"), True)


def test_reader_messages_are_collected():
    # engine.in is missing from an engine case: the reader says so.
    with vortimar.open_case(os.path.join(GOLDEN, "engine_in_missing")) as case:
        assert "ERROR: FILE engine.in is missing " in case.messages
    with vortimar.open_case(TEST_CASE) as case:
        assert case.messages == []


@pytest.mark.parametrize("path, says", [
    ("no/such/folder", "no such file or folder"),
    (os.path.join(GOLDEN, "inputs_in_missing"), "no inputs.in"),
    (os.path.join(TEST_CASE, "surface.dat"), "not an inputs.in"),
])
def test_a_case_that_cannot_be_opened_raises(path, says):
    with pytest.raises(vortimar.VortimarError) as raised:
        vortimar.open_case(path)
    assert says in str(raised.value)
    assert isinstance(raised.value.messages, list)


def _answers(case, part, step):
    mesh = case.mesh(part, step)
    return mesh.points.copy(), dict(mesh.values), case.rigid_body(part, step)


def test_open_cases_answer_independently_and_closed_cases_refuse():
    # The lid turns and the liner stretches with the step: each case must keep
    # its own step and its own tables while the other is asked in between.
    liner = os.path.join(GOLDEN, "engine_liner_on")
    asks = [(TEST_CASE, False, 2, 10), (liner, True, 4, 40), (TEST_CASE, False, 2, 3), (liner, True, 1, 7)]
    alone = []
    for path, moving, part, step in asks:
        with vortimar.open_case(path, moving_liner=moving) as case:
            alone.append(_answers(case, part, step))
    lid = vortimar.open_case(TEST_CASE)
    engine = vortimar.open_case(liner, moving_liner=True)
    missing = vortimar.open_case(os.path.join(GOLDEN, "engine_in_missing"))
    for (path, _, part, step), (points, values, motion) in zip(asks, alone):
        got = _answers(lid if path == TEST_CASE else engine, part, step)
        np.testing.assert_array_equal(got[0], points)
        assert got[1].keys() == values.keys()
        assert all(np.array_equal(got[1][k], values[k]) for k in values)
        assert (got[2] is None and motion is None) or np.array_equal(got[2], motion)
    # Each case's messages are its own.
    assert "ERROR: FILE engine.in is missing " in missing.messages and lid.messages == []
    missing.close()
    lid.close()
    with pytest.raises(vortimar.VortimarError, match="closed"):
        lid.times
    lid.close()  # closing twice is harmless
    assert len(engine.times) > 1 and engine.mesh(4, 40).points.shape == alone[1][0].shape
    engine.close()


def test_numbers_out_of_range_raise():
    with vortimar.open_case(TEST_CASE) as case:
        for part, step in ((0, 0), (3, 0), (1, -1), (1, 51)):
            with pytest.raises(vortimar.VortimarError, match="out of range"):
                case.mesh(part, step)
        with pytest.raises(vortimar.VortimarError, match="out of range"):
            case.rigid_body(2, 51)
        assert case.constants(0) == {}
