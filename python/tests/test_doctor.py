"""The doctor command: its two outputs, its exit status (1 on errors only) and the phrases that
a case folder's says.txt expects in its report. (The findings of every case folder of
tests/doctor against its expected.json are the unit test Findings.)"""
import json
import os

import pytest
from fixtures import ENGINE, ROOT, vortimar

DOCTOR = os.path.join(ROOT, "tests", "doctor")


def test_exit_status_and_both_outputs():
    errors = os.path.join(DOCTOR, "several-pitfalls")
    as_json = vortimar("doctor", errors, "--json")
    entries = json.loads(as_json.stdout)
    assert as_json.returncode == 1 and all(e["message"] and e["suggestion"] for e in entries)
    assert all(set(e) == {"severity", "code", "file", "line", "message", "suggestion", "count"} for e in entries)
    repeated = next(e for e in entries if e["code"] == "deck-repeated-line")
    assert repeated["line"] == 18 and '3 "outlet"' in repeated["message"]
    for_person = vortimar("doctor", errors)
    assert for_person.returncode == 1 and "boundary.in:18: error [deck-repeated-line]" in for_person.stdout
    # The set-up check adds the collinear triangle of box.dat and the open surface it leaves.
    assert for_person.stdout.rstrip().endswith("5 errors, 2 warnings, 0 notes")
    clean = vortimar("doctor", ENGINE, "--json")
    codes = [e["code"] for e in json.loads(clean.stdout)]
    assert clean.returncode == 0 and codes == ["liner-ring-unused-vertices", "surface-open", "volume-not-computed",
                                               "liner-folds"]
    warned = vortimar("doctor", os.path.join(DOCTOR, "deck-stray-bracket"))
    assert warned.returncode == 0 and "warning [deck-stray-bracket]" in warned.stdout and "0 errors" in warned.stdout


@pytest.mark.parametrize("name", sorted(n for n in os.listdir(DOCTOR) if os.path.isfile(os.path.join(DOCTOR, n, "says.txt"))))
def test_report_says_what_the_case_folder_expects(name):
    """says.txt of a doctor case: phrases, written by hand, that its report holds."""
    text = " ".join(vortimar("doctor", os.path.join(DOCTOR, name)).stdout.split())
    with open(os.path.join(DOCTOR, name, "says.txt")) as phrases:
        for phrase in filter(None, (line.strip() for line in phrases)):
            assert phrase in text
