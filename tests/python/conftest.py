"""Shared helpers of the Python tests: the repository's paths, an independent reading of a
surface file, and cases copied into a temporary folder for damaging."""
import os
import shutil
import sys

import numpy as np
import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXAMPLES = os.path.join(ROOT, "examples")
sys.path.insert(0, os.path.join(ROOT, "python"))


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


def slider_crank(stroke, conrod, angle_deg):
    """Piston travel above bottom dead centre, worked out from the geometry."""
    r = stroke / 2.0
    a = np.radians(angle_deg)
    return r * np.cos(a) + np.sqrt(conrod ** 2 - (r * np.sin(a)) ** 2) - (conrod - r)


@pytest.fixture
def case_copy(tmp_path):
    """copy(name) copies examples/<name> into a temporary folder and returns its path."""
    def copy(name):
        target = tmp_path / name
        shutil.copytree(os.path.join(EXAMPLES, name), target)
        return str(target)
    return copy
