"""The summary and the plot of the bundled cases and of damaged ones."""
import os
import re

import numpy as np

import vortimar
from vortimar.plot import engine_curves, part_translations
from conftest import EXAMPLES
from test_export import vortimar as run_vortimar

ENGINE = os.path.join(EXAMPLES, "engine_case")


def row_of(text, name):
    """The cells of the parts table's row for part name."""
    line = next(line for line in text.split("\n") if re.match(r"\s+\d+\s+%s\s" % re.escape(name), line))
    return line.split()


def test_engine_summary():
    run = run_vortimar("summary", ENGINE)
    assert run.returncode == 0, run.stderr
    text = run.stdout
    assert len(text.split("\n")) < 40                                   # one screen
    assert "files read:    inputs.in, engine.in, boundary.in, engine_surface.dat" in text
    assert "1441 steps, 0 s to 0.08 s" in text                          # 720 deg at 1500 rpm
    assert "-180 deg to 540 deg, every 0.5 deg" in text
    assert row_of(text, "piston") == ["1", "piston", "surface", "12", "13", "translation", "constant", "constant"]
    assert row_of(text, "cylinder")[-2:] == ["file", "constant"]        # "value file" for pressure
    assert re.search(r"Crank_Angle\s+-180 \.\. 540\s+deg", text)
    assert re.search(r"Intake_lift\s+0 \.\. 0\.008\s+m", text)
    assert "reader messages: none" in text
    # The floor's point part carries its temperature file only: no pressure reaches it.
    walls = run_vortimar("summary", os.path.join(EXAMPLES, "moving_walls")).stdout
    assert row_of(walls, "heated_floor_Points")[2:] == ["points", "0", "20", "none", "none", "spatial", "file"]


def test_damaged_cases_say_what_is_wrong(case_copy):
    folder = case_copy("engine_case")
    os.remove(os.path.join(folder, "exhaust_lift.in"))
    os.remove(os.path.join(folder, "intake_pressure.dat"))
    text = run_vortimar("summary", folder).stdout
    messages = text.split("reader messages:")[1].strip().split("\n")
    assert sorted(m.strip() for m in messages) == sorted(
        "Error opening file %s" % os.path.join(folder, name) for name in ("exhaust_lift.in", "intake_pressure.dat"))

    empty = case_copy("moving_walls")
    with open(os.path.join(empty, "boundary.in"), "w") as f:
        f.write("No regions\n# none\n0 regions\n")
    run = run_vortimar("summary", empty)
    assert run.returncode == 0 and "parts:         none" in run.stdout
    assert "%s: no boundary regions" % os.path.join(empty, "boundary.in") in run.stdout


def test_plot_curves_and_files(tmp_path):
    with vortimar.open_case(ENGINE) as case:
        angles = case.crank_angles
        curves = dict(engine_curves(case))
    at = {a: int(np.flatnonzero(angles == a)[0]) for a in (0.0, 240.0, 480.0)}
    assert np.isclose(curves["piston displacement"][at[0.0]], 88.0, atol=1e-4)
    assert np.isclose(curves["intake valve lift"][at[480.0]], 8.0, atol=1e-5)     # table row 480
    assert np.isclose(curves["exhaust valve lift"][at[240.0]], 7.942, atol=1e-5)  # table row 240

    with vortimar.open_case(os.path.join(EXAMPLES, "moving_walls")) as case:
        moving = dict(part_translations(case))
    assert sorted(moving) == ["fan", "sliding_wall", "tumbling_body"]
    assert np.ptp(moving["fan"], axis=0).max() == 0.0                   # turns about a fixed centre
    assert np.isclose(moving["sliding_wall"][12, 0], 50 * np.sin(2 * np.pi * 0.12 / 0.5), atol=1e-3)

    for case, name in ((ENGINE, "engine.png"), (os.path.join(EXAMPLES, "moving_walls"), "walls.png")):
        run = run_vortimar("plot", case, str(tmp_path / name))
        assert run.returncode == 0, run.stderr
        assert (tmp_path / name).read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
