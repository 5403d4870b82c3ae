"""The case doctor: each case folder of tests/doctor gives, through the Python
package, the findings its expected.json lists by hand; the bundled example is
clean; the command's two outputs and its exit status."""

import json
import os
import subprocess
import sys

import pytest

import vortimar
from conftest import ROOT

DOCTOR = os.path.join(ROOT, "tests", "doctor")
EXAMPLE = os.path.join(ROOT, "examples", "engine_case")
CASES = sorted(name for name in os.listdir(DOCTOR) if os.path.isdir(os.path.join(DOCTOR, name)))


def findings(folder):
    with vortimar.open_case(folder, moving_liner=True) as case:
        return case.findings()


@pytest.mark.parametrize("name", CASES)
def test_case_gives_its_findings_on_their_lines(name):
    with open(os.path.join(DOCTOR, name, "expected.json")) as f:
        expected = sorted(tuple(entry) for entry in json.load(f))
    found = findings(os.path.join(DOCTOR, name))
    assert sorted((f["severity"], f["code"], f["file"], f["line"]) for f in found) == expected
    for f in found:
        assert f["message"] and f["suggestion"]


def test_bundled_example_has_no_error_or_warning():
    assert all(f["severity"] == "note" for f in findings(EXAMPLE))


def doctor(*arguments):
    return subprocess.run([sys.executable, "-m", "vortimar", "doctor", *arguments], cwd=os.path.join(ROOT, "python"),
                          capture_output=True, text=True)


def test_command_reports_errors_with_status_1_as_json_and_for_a_person():
    case = os.path.join(DOCTOR, "several-pitfalls")
    as_json = doctor(case, "--json")
    assert as_json.returncode == 1
    entries = json.loads(as_json.stdout)
    assert all(set(e) == {"severity", "code", "file", "line", "message", "suggestion"} for e in entries)
    repeated = next(e for e in entries if e["code"] == "deck-repeated-line")
    assert repeated["line"] == 18 and '3 "outlet"' in repeated["message"]
    for_person = doctor(case)
    assert for_person.returncode == 1
    assert "boundary.in:18: error [deck-repeated-line]" in for_person.stdout
    assert for_person.stdout.rstrip().endswith("5 errors, 0 warnings, 0 notes")


def test_command_on_a_clean_case_and_on_no_case():
    clean = doctor(EXAMPLE, "--json")
    assert clean.returncode == 0
    assert [e["line"] for e in json.loads(clean.stdout)] == [None]
    missing = doctor(os.path.join(DOCTOR, "no-such-case"))
    assert missing.returncode == 2 and missing.stderr.startswith("vortimar doctor:")
