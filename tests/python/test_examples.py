"""The bundled example folders are the generator's output."""
import filecmp
import os
import subprocess
import sys

from conftest import EXAMPLES


def test_generator_reproduces_bundled_examples(tmp_path):
    subprocess.run([sys.executable, os.path.join(EXAMPLES, "make_examples.py"), "bundled", str(tmp_path)], check=True,
                   capture_output=True)
    for name in ("four_valve_engine", "moving_walls"):
        generated = sorted(f for f in os.listdir(tmp_path / name))
        bundled = sorted(f for f in os.listdir(os.path.join(EXAMPLES, name)) if f != "README.md")
        assert generated == bundled
        match, mismatch, errors = filecmp.cmpfiles(tmp_path / name, os.path.join(EXAMPLES, name), generated, shallow=False)
        assert mismatch == [] and errors == []
