"""Opening and closing cases, what the case says about its files, and
every way of asking wrongly."""

import os

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


def test_each_case_keeps_its_messages_and_a_closed_case_refuses():
    # Several cases open at once answering alike alone and together is the
    # C interface's own test (case_smoke, case_threads); here the objects.
    lid = vortimar.open_case(TEST_CASE)
    missing = vortimar.open_case(os.path.join(GOLDEN, "engine_in_missing"))
    assert "ERROR: FILE engine.in is missing " in missing.messages and lid.messages == []
    missing.close()
    assert lid.mesh(2, 10).points.shape == (5, 3)
    lid.close()
    with pytest.raises(vortimar.VortimarError, match="closed"):
        lid.times
    lid.close()  # closing twice is harmless


def test_numbers_out_of_range_raise():
    with vortimar.open_case(TEST_CASE) as case:
        for part, step in ((0, 0), (3, 0), (1, -1), (1, 51)):
            with pytest.raises(vortimar.VortimarError, match="out of range"):
                case.mesh(part, step)
        with pytest.raises(vortimar.VortimarError, match="out of range"):
            case.rigid_body(2, 51)
        assert case.constants(0) == {}
