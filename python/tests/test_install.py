"""An installed copy: the package installed under a prefix finds the library installed beside
it, with no VORTIMAR_LIBRARY set; the host tool is installed; the ParaView plugin installed with
it finds the installed package after either import. The README's C example builds and
runs as printed against the build."""
import os
import shutil
import subprocess
import sys

import pytest
from fixtures import ROOT, TEST_CASE

BUILD = os.environ.get("VORTIMAR_BUILD_DIR")
PACKAGES = os.path.join("lib", "python3", "dist-packages")
pytestmark = pytest.mark.skipif(not BUILD, reason="needs VORTIMAR_BUILD_DIR (set by CTest)")


@pytest.fixture(scope="module")
def installed(tmp_path_factory):
    """(prefix, environment without the source tree's package and library)."""
    prefix = tmp_path_factory.mktemp("install") / "prefix"
    subprocess.run([os.environ.get("VORTIMAR_CMAKE", "cmake"), "--install", BUILD, "--prefix", str(prefix)], check=True,
                   capture_output=True)
    return prefix, {k: v for k, v in os.environ.items() if k not in ("VORTIMAR_LIBRARY", "PYTHONPATH")}


def test_installed_package_finds_installed_library(installed, tmp_path):
    prefix, env = installed
    assert (prefix / "include" / "vortimar_case.h").is_file() and os.access(prefix / "bin" / "vortimar-inspect", os.X_OK)
    script = "import vortimar\nprint(vortimar.__file__)\nprint(vortimar.library()._name)\n" \
             "with vortimar.open_case(%r) as case:\n    print(len(case.parts))\n" % TEST_CASE
    out = subprocess.run([sys.executable, "-c", script], env=dict(env, PYTHONPATH=str(prefix / PACKAGES)),
                         cwd=str(tmp_path), check=True, capture_output=True, text=True).stdout.split("\n")
    assert out[0].startswith(str(prefix / PACKAGES / "vortimar")) and out[2] == "2"
    assert os.path.samefile(out[1], prefix / "lib" / os.path.basename(out[1]))


@pytest.mark.skipif(not shutil.which("pvpython"), reason="needs pvpython")
def test_installed_plugin_loads_after_paraview_simple(installed, tmp_path):
    """The start-up script imported after `from paraview.simple import *` (check_plugin.py
    imports it first) still gives the script the reader, reading through the installed package."""
    prefix, env = installed
    script = "from paraview.simple import *\nimport sys\nsys.path.insert(0, %r)\nimport vortimar_startup\n" \
             "reader = VortimarCaseReader(FileName=%r)\n" \
             "print(servermanager.Fetch(reader).GetNumberOfBlocks(), sys.modules['vortimar'].__file__)\n" % (
                 str(prefix / "share" / "vortimar" / "paraview"), os.path.join(TEST_CASE, "inputs.in"))
    run = subprocess.run(["pvpython", "-c", script], env=env, cwd=str(tmp_path), capture_output=True, text=True)
    words = run.stdout.split()
    assert words[-2:-1] == ["2"] and words[-1].startswith(str(prefix / PACKAGES / "vortimar")), run.stderr[-2000:]


@pytest.mark.skipif(not shutil.which("cc"), reason="needs a C compiler")
def test_readme_c_example_builds_and_runs_as_printed(tmp_path):
    """The README's C program and compile line, in a folder laid out as the source tree. Step 360
    of examples/engine_case is crank angle 0: the piston (12 triangles in the surface file) has
    risen by the whole stroke, 0.088 m."""
    readme = open(os.path.join(ROOT, "README.md")).read()
    (tmp_path / "example.c").write_text(readme.split("```c\n")[1].split("```")[0])
    for name, target in (("include", os.path.join(ROOT, "include")), ("examples", os.path.join(ROOT, "examples")),
                         ("build", BUILD)):
        os.symlink(target, tmp_path / name)
    env = {k: v for k, v in os.environ.items() if k != "LD_LIBRARY_PATH"}
    line = next(l for l in readme.splitlines() if l.startswith("cc example.c"))
    run = subprocess.run(["sh", "-c", line], cwd=str(tmp_path), env=dict(env, PWD=str(tmp_path)), capture_output=True,
                         text=True)
    expected = "piston: 12 triangles, z translation 0.088 at step 360"
    assert run.stdout == expected + "\n" and "`%s`" % expected in readme, run.stderr
