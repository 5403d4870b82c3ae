"""The bundled example folders: the generator's output, and a liner that stretches cleanly."""
import filecmp
import os
import subprocess
import sys

from fixtures import EXAMPLES, FOUR_VALVE


def test_generator_reproduces_bundled_examples(tmp_path):
    subprocess.run([sys.executable, os.path.join(EXAMPLES, "make_examples.py"), "bundled", str(tmp_path)], check=True,
                   capture_output=True)
    for name in ("four_valve_engine", "moving_walls"):
        generated = sorted(f for f in os.listdir(tmp_path / name))
        bundled = sorted(f for f in os.listdir(os.path.join(EXAMPLES, name)) if f != "README.md")
        assert generated == bundled
        match, mismatch, errors = filecmp.cmpfiles(tmp_path / name, os.path.join(EXAMPLES, name), generated, shallow=False)
        assert mismatch == [] and errors == []


def test_engine_example_liner_stretches_without_folding():
    """With the moving liner, the liners' bottom ring (z = 0 as read) rises with the piston by the
    whole stroke, 0.086 m, at top dead centre (crank 0) and must stay below every other ring."""
    import vortimar
    with vortimar.open_case(FOUR_VALVE) as fixed, vortimar.open_case(FOUR_VALVE, moving_liner=True) as moving:
        step = 720
        assert moving.crank_angles[step] == 0.0
        liners = [p.number for p in moving.parts if p.name.startswith("liner")]
        assert len(liners) == 2
        for number in liners:
            read, moved = fixed.points(number, step)[:, 2], moving.points(number, step)[:, 2]
            bottom = read == 0.0
            assert bottom.any() and abs(moved[bottom] - 0.086).max() < 1e-6
            assert moved[~bottom].min() > moved[bottom].max()
