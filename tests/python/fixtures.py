"""What the Python and ParaView tests share: the repository's paths, the commands run as a
user runs them, an independent reading of a surface file, the slider-crank travel worked
out from the geometry, and example cases copied into a temporary folder for damaging."""
import os
import shutil
import subprocess
import sys

import numpy as np
import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXAMPLES = os.path.join(ROOT, "examples")
ENGINE = os.path.join(EXAMPLES, "engine_case")
WALLS = os.path.join(EXAMPLES, "moving_walls")
FOUR_VALVE = os.path.join(EXAMPLES, "four_valve_engine")
GOLDEN = os.path.join(ROOT, "tests", "golden")
TEST_CASE = os.path.join(ROOT, "tests", "data", "capi_case")
sys.path.insert(0, os.path.join(ROOT, "python"))
NO_REGIONS = "No regions\n# none\n0 regions\n"


def vortimar(*args, stdout=subprocess.PIPE, **env):
    """Runs `python3 -m vortimar ARGS`; returns the finished process (text output)."""
    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "python"), **env)
    return subprocess.run([sys.executable, "-m", "vortimar", *args], stdout=stdout, stderr=subprocess.PIPE,
                          text=True, env=env)


def surface_regions(path):
    """Reads a surface file plainly: returns (vertices (n, 3), {region: triangles (m, 3) 0-based})."""
    with open(path) as f:
        lines = f.read().split("\n")
    _, nv, nt = (int(v) for v in lines[0].split()[:3])
    vertices = np.array([[float(v) for v in line.split()[1:4]] for line in lines[1:1 + nv]])
    regions = {}
    for line in lines[1 + nv:1 + nv + nt]:
        a, b, c, r = (int(v) for v in line.split()[:4])
        regions.setdefault(r, []).append((a - 1, b - 1, c - 1))
    return vertices, {r: np.array(t) for r, t in regions.items()}


def region_points(path, region):
    """(all vertices, the vertices the region's triangles use) of a surface file."""
    vertices, regions = surface_regions(path)
    return vertices, vertices[np.unique(regions[region])]


def slider_crank(stroke, conrod, angle_deg):
    """Piston travel above bottom dead centre."""
    r = stroke / 2.0
    a = np.radians(angle_deg)
    return r * np.cos(a) + np.sqrt(conrod ** 2 - (r * np.sin(a)) ** 2) - (conrod - r)


@pytest.fixture
def case_copy(tmp_path):
    """copy(name, remove=(), write={}) copies examples/<name> into a temporary folder, removes
    and overwrites files there, and returns its path."""
    made = []

    def copy(name, remove=(), write=None):
        made.append(name)
        target = tmp_path / ("copy%d" % len(made)) / name
        shutil.copytree(os.path.join(EXAMPLES, name), target)
        for file in remove:
            os.remove(target / file)
        for file, text in (write or {}).items():
            (target / file).write_text(text)
        return str(target)
    return copy


@pytest.fixture(scope="module")
def engine():
    """examples/engine_case opened by the package."""
    import vortimar
    with vortimar.open_case(ENGINE) as case:
        yield case
