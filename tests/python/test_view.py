"""The HTML view in Debian's headless chromium: at several steps the parts' world boxes the
page reports are those of the package's moved points, and its picture is not blank."""
import html
import json
import os
import re
import shutil
import subprocess

import matplotlib.image
import numpy as np
import vortimar

from fixtures import FOUR_VALVE as ENGINE, NO_REGIONS, WALLS, vortimar as run_vortimar


def chromium(*args):
    browser = shutil.which("chromium")
    assert browser, "chromium is not installed (apt-get install chromium)"
    return subprocess.run([browser, "--headless", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                           "--window-size=1000,700", "--hide-scrollbars"] + list(args),
                          capture_output=True, text=True, timeout=120)


def page_state(page, step):
    dom = chromium("--dump-dom", "file://%s#step=%d" % (page, step)).stdout
    found = re.search(r'data-vortimar-state="([^"]*)"', dom)
    assert found, dom[-2000:]
    return json.loads(html.unescape(found.group(1)))


def assert_boxes(state, case, step, names):
    parts = {p.name: p for p in case.parts}
    for name in names:
        moved = case.points(parts[name], step)
        assert np.allclose(state["boxes"][name], [moved.min(axis=0), moved.max(axis=0)], atol=2e-6), (name, step)


def test_engine_page_moves_parts_as_the_host(tmp_path):
    page = str(tmp_path / "engine.html")
    assert run_vortimar("view", ENGINE, page, "--moving-liner").returncode == 0
    with vortimar.open_case(ENGINE, moving_liner=True) as case:
        lifts = np.array([case.constants(s)["Intake_lift"] for s in range(case.step_count)])
        widest = int(np.argmax(lifts))
        # Step 720 is crank 0, top dead centre; then the widest intake opening; step 1080 is
        # crank 180, bottom dead centre.
        for step in (720, widest, 1080):
            state = page_state(page, step)
            assert state["step"] == step and state["crank_angle"] == case.crank_angles[step]
            assert state["parts"] == 10 and state["triangles"] == sum(p.triangle_count for p in case.parts)
            assert_boxes(state, case, step, ["piston", "intake_valve_1", "exhaust_valve_2", "liner_intake_side"])

    shot = tmp_path / "shot.png"
    chromium("--screenshot=%s" % shot, "file://%s#step=%d" % (page, widest))
    pixels = matplotlib.image.imread(str(shot))[:, :, :3]
    background = np.all(np.abs(pixels - pixels[0, -1]) < 0.02, axis=2)
    assert 0.05 < 1 - background.mean() < 0.95 and len(np.unique(pixels.reshape(-1, 3), axis=0)) > 50


def test_walls_page_and_refusals(tmp_path, case_copy):
    page = str(tmp_path / "walls.html")
    assert run_vortimar("view", WALLS, page, "--every", "7").returncode == 0
    state = page_state(page, 30)                # not in the page: its step 28 is shown
    assert state["step"] == 28 and np.isclose(state["time"], 0.28)
    with vortimar.open_case(WALLS) as case:
        assert_boxes(state, case, 28, ["fan", "sliding_wall", "tumbling_body", "heated_floor_Points"])

    folder = case_copy("moving_walls", remove=["slider_motion.dat"])
    run = run_vortimar("view", folder, os.path.join(folder, "walls.html"))
    assert run.returncode == 2 and "inside the case folder" in run.stderr
    assert run_vortimar("view", folder, page).returncode == 0           # the page says what the reader said
    assert "slider_motion.dat" in open(page).read().split('id="vortimar-data">')[1]
    run = run_vortimar("view", case_copy("moving_walls", write={"boundary.in": NO_REGIONS}), str(tmp_path / "empty.html"))
    assert run.returncode == 1 and "no parts" in run.stderr.strip().split("\n")[-1]
    assert not (tmp_path / "empty.html").exists()


def test_clearances_of_the_check_reach_the_page():
    from vortimar.view import page_data
    with vortimar.open_case(WALLS) as case:
        real = page_data(case, [0, 1], with_clearance=True)["clearances"]     # the set-up check's own
        assert real["pairs"][0]["name"] == "fan / sliding_wall" and real["contact_steps"] == []
        distance = np.linspace(0.02, -0.01, case.step_count)
        case.check = lambda: {"clearances": [{"parts": ["fan", "sliding_wall"], "distance": distance,
                                              "contact": [[34, 50]]}]}
        data = page_data(case, [0, 30, 40, 50], with_clearance=True)["clearances"]
    assert data["pairs"] == [{"name": "fan / sliding_wall", "values": list(distance[[0, 30, 40, 50]])}]
    assert data["contact_steps"] == [2, 3]          # steps 40 and 50 lie in the contact range
