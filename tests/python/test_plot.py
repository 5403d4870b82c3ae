"""The plot of the bundled cases: curves worked out by hand, axes and marks."""
import matplotlib.pyplot as plt
import numpy as np

import vortimar
from fixtures import ENGINE, WALLS, vortimar as run_vortimar
from vortimar.plot import draw_case, engine_curves, part_translations


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

    with vortimar.open_case(WALLS) as case:
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

    for case, name in ((ENGINE, "engine.png"), (WALLS, "walls.png")):
        run = run_vortimar("plot", case, str(tmp_path / name))
        assert run.returncode == 0, run.stderr
        assert (tmp_path / name).read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
