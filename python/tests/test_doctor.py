"""The doctor command: its two outputs, its exit status and the phrases that
a case folder's says.txt expects in its report. (The findings of every case
folder of tests/doctor against its expected.json are the unit test Findings.)"""

import json
import os
import subprocess
import sys

import pytest
from conftest import ROOT

DOCTOR = os.path.join(ROOT, "tests", "doctor")
EXAMPLE = os.path.join(ROOT, "examples", "engine_case")


def doctor(*arguments):
    return subprocess.run([sys.executable, "-m", "vortimar", "doctor", *arguments], cwd=os.path.join(ROOT, "python"),
                          capture_output=True, text=True)


def test_command_reports_errors_with_status_1_as_json_and_for_a_person():
    case = os.path.join(DOCTOR, "several-pitfalls")
    as_json = doctor(case, "--json")
    assert as_json.returncode == 1
    entries = json.loads(as_json.stdout)
    assert all(set(e) == {"severity", "code", "file", "line", "message", "suggestion", "count"} for e in entries)
    assert all(e["message"] and e["suggestion"] for e in entries)
    repeated = next(e for e in entries if e["code"] == "deck-repeated-line")
    assert repeated["line"] == 18 and '3 "outlet"' in repeated["message"]
    for_person = doctor(case)
    assert for_person.returncode == 1
    assert "boundary.in:18: error [deck-repeated-line]" in for_person.stdout
    assert for_person.stdout.rstrip().endswith("5 errors, 0 warnings, 0 notes")


def test_command_on_a_clean_case_on_warnings_alone_and_on_no_case():
    clean = doctor(EXAMPLE, "--json")
    assert clean.returncode == 0
    assert [e["line"] for e in json.loads(clean.stdout)] == [None]
    warned = doctor(os.path.join(DOCTOR, "deck-stray-bracket"))
    assert warned.returncode == 0 and "1 warning" in warned.stdout
    missing = doctor(os.path.join(DOCTOR, "no-such-case"))
    assert missing.returncode == 2 and missing.stderr.startswith("vortimar: ")


@pytest.mark.parametrize("name", sorted(n for n in os.listdir(DOCTOR)
                                         if os.path.isfile(os.path.join(DOCTOR, n, "says.txt"))))
def test_report_says_what_the_case_folder_expects(name):
    """says.txt of a doctor case: phrases, written by hand, that its report holds."""
    text = " ".join(doctor(os.path.join(DOCTOR, name)).stdout.split())
    with open(os.path.join(DOCTOR, name, "says.txt")) as phrases:
        for phrase in filter(None, (line.strip() for line in phrases)):
            assert phrase in text
