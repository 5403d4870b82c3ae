"""The set-up check against answers known by hand: heights of flat parts from
the rigid-body values, the volume of a closed prism, open edges of a surface
with one triangle taken out, a valve that passes through the piston and
back, numbers no engine has, and distances against a brute-force search."""

import json
import os
import re
import shutil
import subprocess
import sys

import numpy as np
import pytest

from conftest import ROOT

import vortimar

CASES = os.path.join(ROOT, "tests", "check")


def opened(name, root=CASES):
    return vortimar.open_case(os.path.join(root, name), moving_liner=True)


def heights(case, part):
    """z translation of the part at every step, from its rigid-body values."""
    return np.array([case.rigid_body(part, s)[2] for s in range(case.step_count)], dtype=np.float64)


def test_flat_valve_over_flat_piston_and_through_it(tmp_path):
    with opened("disc_over_piston") as case:
        face = float(np.float32(0.1))  # the valve face as the surface file stores it
        piston, valve = heights(case, 1), face + heights(case, 2)
        gap = valve - piston
        result = case.check()
    (pair,) = result["clearances"]
    best = int(np.argmin(gap))
    assert pair["step"] == best and pair["min_distance"] == pytest.approx(gap[best], abs=1e-9)
    assert [p[2] for p in pair["points"]] == pytest.approx([piston[best], valve[best]], abs=1e-7)
    assert pair["contact"] == []
    d, exact = result["distances"][0], result["exact"][0]
    assert np.allclose(d[exact], gap[exact], atol=1e-9) and np.all(d[~exact] <= gap[~exact] + 1e-9)

    # The same run, and one that starts with the valve already through
    # (from 0 deg): what counts is the side the parts are drawn on.
    late = shutil.copytree(os.path.join(CASES, "valve_through_piston"), tmp_path / "late")
    inputs = (late / "inputs.in").read_text().replace("-90 start", "0 start")
    (late / "inputs.in").write_text(inputs)
    for folder, first in (("valve_through_piston", None), (str(late), 0)):
        with opened(folder) as case:
            below = np.flatnonzero((float(np.float32(0.091)) + heights(case, 2)) < heights(case, 1))
            result = case.check()
        assert below.size > 0 and first in (None, below[0])
        assert result["clearances"][0]["contact"] == [[int(below[0]), int(below[-1])]]
        assert any(f["code"] == "parts-in-contact" and f["severity"] == "error" for f in result["findings"])


def test_closed_prism_volume_and_one_triangle_taken_out(tmp_path):
    n, r, top = 8, 0.04, 0.1
    area = n / 2 * r * r * np.sin(2 * np.pi / n)
    with opened("closed_cylinder") as case:
        expected = area * (top - heights(case, 1))
        result = case.check()
    assert np.allclose(result["volumes"], expected, rtol=1e-6)
    engine = result["engine"]
    assert engine["compression_ratio"] == pytest.approx(expected.max() / expected.min(), rel=1e-6)
    assert result["surface"]["whole"] == {"open_edges": 0, "open_loops": 0}

    shutil.copytree(os.path.join(CASES, "closed_cylinder"), tmp_path / "holed")
    surface = tmp_path / "holed" / "surface.dat"
    lines = surface.read_text().splitlines()
    vertices, triangles = (int(w) for w in lines[0].split()[1:])
    surface.write_text("\n".join(["0 %d %d" % (vertices, triangles - 1)] + lines[1:-1]) + "\n")  # a head triangle
    with opened("holed", str(tmp_path)) as case:
        result = case.check()
    assert result["surface"]["whole"] == {"open_edges": 3, "open_loops": 1}
    assert result["volumes"] is None
    head = result["surface"]["parts"][2]
    assert (head["open_edges"], head["open_loops"]) == (8 - 1 + 2, 1)


def test_liner_triangle_written_twice(tmp_path):
    """Its two inner edges are then shared by three triangles; each such edge
    is quoted by the first triangle on it in the file (line 34), the repeat by
    its own line (52)."""
    shutil.copytree(os.path.join(CASES, "closed_cylinder"), tmp_path / "twice")
    surface = tmp_path / "twice" / "surface.dat"
    lines = surface.read_text().splitlines()
    assert lines[0] == "0 18 32" and lines[33] == "5 6 14 2"
    surface.write_text("\n".join(["0 18 33"] + lines[1:] + [lines[33]]) + "\n")
    with opened("twice", str(tmp_path)) as case:
        result = case.check()
    liner = result["surface"]["parts"][1]
    assert (liner["non_manifold_edges"], liner["duplicate"]) == (2, 1)
    quoted = {f["code"]: re.findall(r"line (\d+)", f["message"]) for f in result["findings"]}
    assert quoted["surface-non-manifold"] == ["34"] and quoted["surface-duplicate"] == ["52"]


def test_millimetre_bore_and_typed_letter():
    with opened("typo_and_mm_bore") as case:
        findings = case.check()["findings"] + case.findings()
    implausible = [f["message"] for f in findings if f["code"] == "implausible-number"]
    assert any("bore is 86 m" in m for m in implausible)
    typed = [f for f in findings if f["code"] == "not-a-number"]
    assert typed and typed[0]["file"] == "engine.in" and typed[0]["line"] == 4 and "O.088" in typed[0]["message"]
    with opened("valve_through_piston") as case:  # a decimal comma in a lift row
        (comma,) = [f for f in case.findings() if f["code"] == "not-a-number"]
    assert (comma["severity"], comma["file"], comma["line"]) == ("error", "exhaust_lift.in", 6)
    assert '"0,009"' in comma["message"] and "takes 0 " in comma["message"]


def triangle_distances(tri_a, tri_b):
    """Smallest distance between two sets of triangles (n, 3, 3), by brute
    force: every corner against every triangle, every edge against every
    edge (exact for triangles that do not cross)."""
    def point_triangle(p, t):
        a, b, c = t[:, 0], t[:, 1], t[:, 2]
        normal = np.cross(b - a, c - a)
        normal /= np.linalg.norm(normal, axis=1)[:, None]
        foot = p[:, None, :] - np.einsum("ptk,tk->pt", p[:, None, :] - a, normal)[..., None] * normal
        inside = np.ones(foot.shape[:2], dtype=bool)
        for u, v in ((a, b), (b, c), (c, a)):
            inside &= np.einsum("ptk,tk->pt", np.cross(v - u, foot - u), normal) >= 0
        plane = np.abs(np.einsum("ptk,tk->pt", p[:, None, :] - a, normal))
        return np.where(inside, plane, np.inf).min()

    def segments(p0, p1, q0, q1):
        d1, d2 = (p1 - p0)[:, None], (q1 - q0)[None]
        w = p0[:, None] - q0[None]
        a, e = (d1 * d1).sum(-1), (d2 * d2).sum(-1)
        b, c, f = (d1 * d2).sum(-1), (d1 * w).sum(-1), (d2 * w).sum(-1)
        denominator = np.maximum(a * e - b * b, 1e-300)
        s = np.clip((b * f - c * e) / denominator, 0, 1)
        t = np.clip((b * s + f) / e, 0, 1)
        s = np.clip((b * t - c) / a, 0, 1)
        return np.linalg.norm(w + d1 * s[..., None] - d2 * t[..., None], axis=-1).min()

    ea = [(tri_a[:, i], tri_a[:, (i + 1) % 3]) for i in range(3)]
    eb = [(tri_b[:, i], tri_b[:, (i + 1) % 3]) for i in range(3)]
    return min([point_triangle(tri_a.reshape(-1, 3), tri_b), point_triangle(tri_b.reshape(-1, 3), tri_a)] +
               [segments(p0, p1, q0, q1) for p0, p1 in ea for q0, q1 in eb])


@pytest.mark.parametrize("name", ["engine_case", "four_valve_engine", "moving_walls"])
def test_distances_agree_with_brute_force_on_the_bundled_engines(name):
    """The first pairs (on the moving walls, turning ones), and on the
    four-valve engine every pair of a liner,
    stretching triangles and all; there also a valve sliding along the liner,
    whose ranges of steps are bounded by sweeps, against the liner's triangles
    that never stretch: no sampled step is nearer than the smallest distance
    found or than its lower bound."""
    with opened(name, os.path.join(ROOT, "examples")) as case:
        result = case.check()
        size = max(np.ptp(case.points(p.number, 0, moved=False), axis=0).max() for p in case.parts[:5])
        if name != "four_valve_engine":
            chosen = [(k, {pair["step"], 0, case.step_count // 3}) for k, pair in enumerate(result["clearances"][:4])]
        else:  # every pair of a stretching liner
            liners = {p.number for p in case.parts if p.role == "liner"}
            chosen = [(k, {0, 360, 700, 1080, case.step_count - 1}) for k, pair in enumerate(result["clearances"])
                      if liners & set(pair["numbers"])]
        for k, steps in chosen:
            for step in steps:
                ta, tb = (case.mesh(p, step).points[case.mesh(p, step).triangles]
                          for p in result["clearances"][k]["numbers"])
                expected = triangle_distances(ta.astype(np.float64), tb.astype(np.float64))
                assert result["distances"][k][step] <= expected + 1e-6 * size
                if result["exact"][k][step]:
                    assert result["distances"][k][step] == pytest.approx(expected, abs=1e-6 * size)
        if name != "four_valve_engine":
            return
        k = next(k for k, c in enumerate(result["clearances"]) if c["numbers"][0] in liners and result["queries"][k][2])
        liner, valve = result["clearances"][k]["numbers"]
        first = case.mesh(liner, 0)
        moves = np.zeros(len(first.points), dtype=bool)
        for step in range(case.step_count):
            moves |= np.any(case.mesh(liner, step).points != first.points, axis=1)
        fixed = first.points[first.triangles[~moves[first.triangles].any(axis=1)]].astype(np.float64)
        for step in range(0, case.step_count, 45):
            expected = triangle_distances(fixed, case.mesh(valve, step).points[case.mesh(valve, step).triangles]
                                          .astype(np.float64))
            assert max(result["clearances"][k]["min_distance"], result["distances"][k][step]) <= expected + 1e-6 * size


def test_command_json_shape_and_exit_status(tmp_path):
    def check(case, *options):
        return subprocess.run([sys.executable, "-m", "vortimar", "check", case, *options],
                              cwd=os.path.join(ROOT, "python"), capture_output=True, text=True)
    clean = check(os.path.join(ROOT, "examples", "four_valve_engine"), "--json", "--plot", str(tmp_path / "c.png"))
    assert clean.returncode == 0, clean.stderr
    report = json.loads(clean.stdout)
    assert set(report) == {"findings", "clearances", "engine", "surface"}
    assert set(report["clearances"][0]) == {"parts", "numbers", "min_distance", "step", "crank_angle", "time",
                                            "points", "contact"}
    assert report["engine"]["intake"]["max_lift"] == pytest.approx(0.009, rel=1e-6)
    assert (tmp_path / "c.png").stat().st_size > 0
    walls = check(os.path.join(ROOT, "examples", "moving_walls"))  # a closed cube, every face turned outwards
    assert walls.returncode == 0 and "surface-flipped" not in walls.stdout
    clash = check(os.path.join(CASES, "valve_through_piston"))
    assert clash.returncode == 1 and "parts-in-contact" in clash.stdout
