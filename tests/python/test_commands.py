"""How the commands take a case, what the summary says, and how the commands start and stop:
always one line, never a traceback."""
import os
import re
import subprocess
import sys

import pytest

from fixtures import ENGINE, EXAMPLES, NO_REGIONS, ROOT, WALLS, vortimar


def row_of(text, name):
    """The cells of the parts table's row for part name."""
    return next(line for line in text.split("\n") if re.match(r"\s+\d+\s+%s\s" % re.escape(name), line)).split()


@pytest.mark.parametrize("given, missing", [
    ("nosuch", "no such file or folder"),
    (EXAMPLES + os.sep, "no inputs.in in this folder"),
    (os.path.join(ENGINE, "engine.in"), "not an inputs.in file"),
])
def test_anything_but_a_case_is_refused_alike_by_every_command(tmp_path, given, missing):
    line = "vortimar: %s: %s; give a case folder or its inputs.in\n" % (given, missing)
    for command in (["summary", given], ["doctor", given], ["plot", given, str(tmp_path / "p.png")],
                    ["export", given, str(tmp_path / "out")], ["view", given, str(tmp_path / "v.html")]):
        assert (lambda run: (run.returncode, run.stdout, run.stderr))(vortimar(*command)) == (2, "", line), command
    assert os.listdir(tmp_path) == []


@pytest.mark.parametrize("given", [ENGINE, ENGINE + os.sep, os.path.join(ENGINE, "inputs.in")])
def test_a_case_folder_with_or_without_separator_or_its_inputs_in(given):
    run = vortimar("summary", given)
    assert run.returncode == 0 and "case:          %s%s" % (ENGINE, os.sep) in run.stdout, run.stderr


def test_engine_summary():
    run = vortimar("summary", ENGINE)
    text = run.stdout
    assert run.returncode == 0 and len(text.split("\n")) < 40, run.stderr  # one screen
    assert "files read:    inputs.in, engine.in, boundary.in, engine_surface.dat\n" in text
    assert "1441 steps, 0 s to 0.08 s" in text and "-180 deg to 540 deg, every 0.5 deg" in text  # 720 deg at 1500 rpm
    assert row_of(text, "piston") == ["1", "piston", "surface", "12", "13", "translation", "constant", "constant"]
    assert row_of(text, "cylinder")[-2:] == ["file", "constant"]        # "value file" for pressure
    assert re.search(r"Crank_Angle\s+-180 \.\. 540\s+deg", text) and re.search(r"Intake_lift\s+0 \.\. 0\.008\s+m", text)
    assert "reader messages: none" in text
    # The floor's point part carries its temperature file only: no pressure reaches it. A case
    # in seconds needs no engine.in.
    walls = vortimar("summary", WALLS).stdout
    assert row_of(walls, "heated_floor_Points")[2:] == ["points", "0", "20", "none", "none", "spatial", "file"]
    assert "files read:    inputs.in, boundary.in, walls_surface.dat\n" in walls and "unread" not in walls


def test_summary_of_damaged_cases(case_copy):
    # Saved with CR LF line ends: engine.in is there, but its keys end in "\r" and are not read.
    crlf = case_copy("engine_case")
    for name in ("inputs.in", "engine.in", "boundary.in"):
        with open(os.path.join(crlf, name), "rb") as f:
            text = f.read()
        with open(os.path.join(crlf, name), "wb") as f:
            f.write(text.replace(b"\n", b"\r\n"))
    text = vortimar("summary", crlf).stdout
    assert "files read:    inputs.in, boundary.in, engine_surface.dat\n" in text and "files unread:  engine.in " in text
    assert row_of(text, r"piston\r")[:3] == ["1", r"piston\r", "surface"]

    # Numbers as the files hold them; each file that cannot be opened named.
    engine = "Engine\n# value key\n0.08123456 bore\n0.088 stroke\n0.140 conrod\n1234.567 rpm\n"
    folder = case_copy("engine_case", remove=["exhaust_lift.in", "intake_pressure.dat"], write={"engine.in": engine})
    text = vortimar("summary", folder).stdout
    assert re.search(r"\n  Bore +0\.08123456 +m\n", text) and re.search(r"\n  RPM +1234\.567 +rev/min\n", text)
    assert sorted(m.strip() for m in text.split("reader messages:")[1].strip().split("\n")) == sorted(
        "Error opening file %s" % os.path.join(folder, name) for name in ("exhaust_lift.in", "intake_pressure.dat"))

    empty = case_copy("moving_walls", write={"boundary.in": NO_REGIONS})
    run = vortimar("summary", empty)
    assert run.returncode == 0 and "parts:         none" in run.stdout
    assert "%s: no boundary regions" % os.path.join(empty, "boundary.in") in run.stdout


def test_one_line_for_a_wrong_library_or_a_python_without_numpy(tmp_path):
    host = os.path.join(os.path.dirname(os.environ["VORTIMAR_LIBRARY"]), "libuserd-vortimar_input.so")
    for command in ("summary", "doctor") if os.path.isfile(host) else ():
        run = vortimar(command, ENGINE, VORTIMAR_LIBRARY=host)
        assert (run.returncode, run.stdout, run.stderr.count("\n")) == (1, "", 1)
        assert "%s is the host's reader library, not libvortimar_case.so" % host in run.stderr
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
        assert vortimar(command, ENGINE, stdout=write_end).stderr == ""
    finally:
        os.close(write_end)


def test_run_example_help_prints_its_usage_and_nothing_else(tmp_path):
    env = dict(os.environ, CASE=str(tmp_path / "no_case"), BUILD_DIR=str(tmp_path / "build"), OUT=str(tmp_path / "out"))
    run = subprocess.run([os.path.join(ROOT, "scripts", "run-example.sh"), "--help"], env=env, capture_output=True,
                         text=True, timeout=60)
    assert (run.returncode, run.stderr) == (0, "") and run.stdout.startswith("Usage: scripts/run-example.sh")
    assert os.listdir(tmp_path) == []
