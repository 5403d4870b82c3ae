"""An installed copy: the package installed under a prefix finds the library
installed beside it, with no VORTIMAR_LIBRARY set."""

import os
import subprocess
import sys

import pytest

from conftest import TEST_CASE

BUILD = os.environ.get("VORTIMAR_BUILD_DIR")


@pytest.mark.skipif(not BUILD, reason="needs VORTIMAR_BUILD_DIR (set by CTest)")
def test_installed_package_finds_installed_library(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run([os.environ.get("VORTIMAR_CMAKE", "cmake"), "--install", BUILD, "--prefix", str(prefix)], check=True, capture_output=True)
    assert (prefix / "include" / "vortimar_case.h").is_file()
    env = {k: v for k, v in os.environ.items() if k not in ("VORTIMAR_LIBRARY", "PYTHONPATH")}
    env["PYTHONPATH"] = str(prefix / "lib" / "python3" / "dist-packages")
    script = ("import vortimar\n"
              "print(vortimar.__file__)\n"
              "print(vortimar.library()._name)\n"
              "with vortimar.open_case(%r) as case:\n"
              "    print(len(case.parts))\n" % TEST_CASE)
    out = subprocess.run([sys.executable, "-c", script], env=env, cwd=str(tmp_path), check=True,
                         capture_output=True, text=True).stdout.split("\n")
    assert out[0].startswith(str(prefix / "lib" / "python3" / "dist-packages" / "vortimar"))
    assert os.path.samefile(out[1], prefix / "lib" / os.path.basename(out[1]))
    assert out[2] == "2"
