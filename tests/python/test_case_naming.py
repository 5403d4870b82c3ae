"""How the commands take a case, what the summary says the reader read, and how they start
and stop: always one line, never a traceback."""
import os
import re
import subprocess
import sys

import pytest

from conftest import EXAMPLES, ROOT
from test_summary_plot import row_of

ENGINE = os.path.join(EXAMPLES, "engine_case")


def vortimar(*args, stdout=subprocess.PIPE, **env):
    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "python"), **env)
    return subprocess.run([sys.executable, "-m", "vortimar"] + list(args), stdout=stdout, stderr=subprocess.PIPE,
                          text=True, env=env)


@pytest.mark.parametrize("given, missing", [
    ("nosuch", "no such file or folder"),
    (EXAMPLES + os.sep, "no inputs.in in this folder"),
    (os.path.join(ENGINE, "engine.in"), "not an inputs.in file"),
])
def test_anything_but_a_case_is_refused_alike_by_every_command(tmp_path, given, missing):
    line = "vortimar: %s: %s; give a case folder or its inputs.in\n" % (given, missing)
    for command in (["summary"], ["doctor"], ["plot", "{0}", str(tmp_path / "p.png")],
                    ["export", "{0}", str(tmp_path / "out")]):
        run = vortimar(*[a.format(given) for a in command] + ([] if len(command) > 1 else [given]))
        assert (run.returncode, run.stdout, run.stderr) == (2, "", line), command
    assert os.listdir(tmp_path) == []


@pytest.mark.parametrize("given", [ENGINE, ENGINE + os.sep, os.path.join(ENGINE, "inputs.in")])
def test_a_case_folder_with_or_without_separator_or_its_inputs_in(given):
    for command in ("summary", "doctor"):
        run = vortimar(command, given)
        assert run.returncode in (0, 1) and run.stderr == "", (command, run.stderr)
    assert "case:          %s%s" % (ENGINE, os.sep) in vortimar("summary", given).stdout


def test_summary_lists_the_files_the_reader_read(case_copy):
    # Saved with CR LF line ends: engine.in is there, but its keys end in "\r" and are not read.
    crlf = case_copy("engine_case")
    for name in ("inputs.in", "engine.in", "boundary.in"):
        with open(os.path.join(crlf, name), "rb") as f:
            text = f.read()
        with open(os.path.join(crlf, name), "wb") as f:
            f.write(text.replace(b"\n", b"\r\n"))
    text = vortimar("summary", crlf).stdout
    assert "files read:    inputs.in, boundary.in, engine_surface.dat\n" in text
    assert "files unread:  engine.in " in text
    assert row_of(text, r"piston\r")[:3] == ["1", r"piston\r", "surface"]
    # A case in seconds needs no engine.in.
    walls = vortimar("summary", os.path.join(EXAMPLES, "moving_walls")).stdout
    assert "files read:    inputs.in, boundary.in, walls_surface.dat\n" in walls and "unread" not in walls


def test_summary_shows_the_numbers_the_files_hold(case_copy):
    folder = case_copy("engine_case")
    with open(os.path.join(folder, "engine.in"), "w") as f:
        f.write("Engine\n# value key\n0.08123456 bore\n0.088 stroke\n0.140 conrod\n1234.567 rpm\n")
    text = vortimar("summary", folder).stdout
    assert re.search(r"\n  Bore +0\.08123456 +m\n", text) and re.search(r"\n  RPM +1234\.567 +rev/min\n", text)


def test_one_line_for_a_wrong_library_or_a_python_without_numpy(tmp_path):
    host = os.path.join(os.path.dirname(os.environ["VORTIMAR_LIBRARY"]), "libuserd-vortimar_input.so")
    for command in ("summary", "doctor") if os.path.isfile(host) else ():
        run = vortimar(command, ENGINE, VORTIMAR_LIBRARY=host)
        assert run.returncode == 1 and run.stdout == ""
        assert run.stderr == ("vortimar: %s is the host's reader library, not libvortimar_case.so (it has no "
                              "vc_version); point VORTIMAR_LIBRARY at libvortimar_case.so, or unset it to use the "
                              "one beside the package\n" % host)
    # A numpy that cannot be imported stands in for a Python without it.
    (tmp_path / "numpy").mkdir()
    (tmp_path / "numpy" / "__init__.py").write_text("raise ImportError('no numpy')\n")
    run = subprocess.run([sys.executable, "-m", "vortimar", "summary", ENGINE], capture_output=True, text=True,
                         env=dict(os.environ, PYTHONPATH=os.pathsep.join([str(tmp_path), os.path.join(ROOT, "python")])))
    assert run.returncode == 1 and run.stderr.count("\n") == 1
    assert "has no numpy; run the commands with the system Python, /usr/bin/python3 -m vortimar" in run.stderr


@pytest.mark.parametrize("command", ["summary", "doctor"])
def test_output_into_a_closed_pipe_ends_quietly(command):
    read_end, write_end = os.pipe()
    os.close(read_end)
    try:
        run = vortimar(command, ENGINE, stdout=write_end)
    finally:
        os.close(write_end)
    assert run.stderr == ""
