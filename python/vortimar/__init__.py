"""Vortimar cases from Python: the reader's answers through libvortimar_case.

    import vortimar
    with vortimar.open_case("examples/engine_case", moving_liner=False) as case:
        print(case.times, [p.name for p in case.parts])
        mesh = case.mesh(1, 0)

The package finds the library through the environment variable
VORTIMAR_LIBRARY, beside itself, or in the lib folder of an installed copy
(see _library.py).
"""

from ._library import VortimarError, library
from .case import Case, CaseFile, Mesh, Part, open_case
from .rigid_body import apply_rigid_body, rotation_matrix

__all__ = ["Case", "CaseFile", "Mesh", "Part", "VortimarError", "apply_rigid_body", "library", "open_case",
           "rotation_matrix"]
