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


def test_one_case_at_a_time_and_closed_cases_refuse():
    case = vortimar.open_case(TEST_CASE)
    with pytest.raises(vortimar.VortimarError, match="one case at a time"):
        vortimar.open_case(TEST_CASE)
    case.close()
    with pytest.raises(vortimar.VortimarError, match="closed"):
        case.times
    case.close()  # closing twice is harmless
    with vortimar.open_case(TEST_CASE) as again:
        assert len(again.parts) == 2


def test_numbers_out_of_range_raise():
    with vortimar.open_case(TEST_CASE) as case:
        for part, step in ((0, 0), (3, 0), (1, -1), (1, 51)):
            with pytest.raises(vortimar.VortimarError, match="out of range"):
                case.mesh(part, step)
        with pytest.raises(vortimar.VortimarError, match="out of range"):
            case.rigid_body(2, 51)
        assert case.constants(0) == {}
