"""Vortimar cases from Python: the reader's answers through libvortimar_case.

    import vortimar
    with vortimar.open_case("examples/engine_case", moving_liner=False) as case:
        print(case.times, [p.name for p in case.parts])
        mesh = case.mesh(1, 0)

The package finds the library through the environment variable
VORTIMAR_LIBRARY, beside itself, or in the lib folder of an installed copy
(see _library.py).
"""

import sys

try:
    import numpy  # noqa: F401
except ImportError:
    # python3 -m vortimar with a Python that lacks numpy: one line, not a traceback. While
    # the package of the module to run is imported, sys.argv[0] is "-m".
    if sys.argv[:1] == ["-m"]:
        sys.exit("vortimar: %s has no numpy; run the commands with the system Python, /usr/bin/python3 -m "
                 "vortimar ..., or install python3-numpy" % (sys.executable or "this Python"))
    raise

from ._library import VortimarError, library
from .case import Case, CaseFile, Mesh, NotACase, Part, case_folder, open_case
from .rigid_body import RigidBodyValues, apply_rigid_body, rotation_matrix

__all__ = ["Case", "CaseFile", "Mesh", "NotACase", "Part", "RigidBodyValues", "VortimarError", "apply_rigid_body",
           "case_folder", "library", "open_case", "rotation_matrix"]
