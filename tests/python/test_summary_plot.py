"""The summary and the plot of the bundled cases and of damaged ones."""
import os
import re

import matplotlib.pyplot as plt
import numpy as np

import vortimar
from vortimar.plot import draw_case, engine_curves, part_translations
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


def test_plot_curves_axes_and_marks(tmp_path):
    with vortimar.open_case(ENGINE) as case:
        angles = case.crank_angles
        curves = dict(engine_curves(case))
        figure, _ = draw_case(case)
    at = {a: int(np.flatnonzero(angles == a)[0]) for a in (0.0, 240.0, 480.0)}
    assert np.isclose(curves["piston displacement"][at[0.0]], 88.0, atol=1e-4)
    assert np.isclose(curves["intake valve lift"][at[480.0]], 8.0, atol=1e-5)     # table row 480
    assert np.isclose(curves["exhaust valve lift"][at[240.0]], 7.942, atol=1e-5)  # table row 240
    # The lifts have their own axis; the run (-180 .. 540 deg) passes five dead centres; the
    # tables open the intake 360 .. 600 (so it is open at -180 and closes at 600 - 720) and
    # the exhaust 120 .. 390.
    piston, lifts = figure.axes
    assert [line.get_label() for line in lifts.get_lines() if line.get_label()[0] != "_"] == \
        ["intake valve lift", "exhaust valve lift"]
    assert piston.get_ylim()[1] > 88 and 8 < lifts.get_ylim()[1] < 10
    assert sorted((text.xy[0], text.get_text()) for text in piston.texts) == \
        [(-180, "BDC"), (0, "TDC"), (180, "BDC"), (360, "TDC"), (540, "BDC")]
    assert sorted(text.get_text() for text in lifts.texts) == \
        ["exhaust closes 390°", "exhaust opens 120°", "intake closes -120°", "intake opens 360°"]
    plt.close(figure)

    with vortimar.open_case(os.path.join(EXAMPLES, "moving_walls")) as case:
        moving = dict(part_translations(case))
        figure, _ = draw_case(case)
    assert np.isclose(moving["sliding_wall"][12, 0], 50 * np.sin(2 * np.pi * 0.12 / 0.5), atol=1e-3)
    moves, turns = figure.axes
    assert not any("fan" in line.get_label() for line in moves.get_lines())      # it only turns
    turned = {line.get_label(): line.get_ydata() for line in turns.get_lines()}
    assert sorted(turned) == ["fan about z", "tumbling_body about x"]
    assert np.isclose(turned["fan about z"][12], -720 * 0.12, atol=1e-3)   # the host turns by minus omega t
    assert np.isclose(turned["tumbling_body about x"][-1], 180.0, atol=1e-3)  # its y axis turns to z
    plt.close(figure)

    for case, name in ((ENGINE, "engine.png"), (os.path.join(EXAMPLES, "moving_walls"), "walls.png")):
        run = run_vortimar("plot", case, str(tmp_path / name))
        assert run.returncode == 0, run.stderr
        assert (tmp_path / name).read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
