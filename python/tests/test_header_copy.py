"""The package's copy of the C interface's numbers agrees with the header."""

import os
import re

from fixtures import ROOT
from vortimar import _library as L


def test_numbers_match_the_header():
    with open(os.path.join(ROOT, "include", "vortimar_case.h")) as header:
        defined = {m[1]: int(m[2]) for m in re.finditer(r"#define (VC_\w+) \(?(-?\d+)u?\)?", header.read())}
    copied = {name: value for name, value in vars(L).items() if name.startswith("VC_")}
    assert copied == {name: defined.get(name) for name in copied}
    # Every kind, role, motion, source and file the library can answer has a name here.
    answered = {name for name in defined if re.match(r"VC_(FILE|KIND|ROLE|MOTION|SOURCE)_", name)}
    assert answered <= copied.keys()
