"""Cases open side by side: each on its own copy of the case library.

The case library holds one open case at a time, since the reader inside it keeps its state
per process. A program that needs several cases open at once (two readers in one ParaView
window) opens each on a private copy of the library file: a copy at another path loads as
a separate library with its own reader state.
"""
import os
import shutil
import tempfile

from . import _library
from .case import Case


def _library_file():
    """The library file open_case would load (its first existing candidate)."""
    for path in _library.candidate_paths():
        if os.path.isfile(path):
            return path
    _library.library()          # raises VortimarError naming the paths tried
    return None


class OwnLibrary:
    """A private copy of the case library, loaded on first use. Its open_case() works as
    vortimar.open_case(), and the cases it opens are independent of those of any other
    copy. One case at a time per copy: close the last one before opening the next."""

    def __init__(self):
        self._lib = None

    def _load(self):
        source = _library_file()
        folder = tempfile.mkdtemp(prefix="vortimar-")
        copy = os.path.join(folder, os.path.basename(source))
        shutil.copy2(source, copy)
        saved_choice = os.environ.get("VORTIMAR_LIBRARY")
        try:
            os.environ["VORTIMAR_LIBRARY"] = copy
            self._lib = self._with_own_library(_library.library)
        finally:
            if saved_choice is None:
                os.environ.pop("VORTIMAR_LIBRARY", None)
            else:
                os.environ["VORTIMAR_LIBRARY"] = saved_choice
            # Loaded libraries stay mapped when their file goes (not so on Windows,
            # where the folder is left to the system's temporary-file cleaning).
            shutil.rmtree(folder, ignore_errors=True)

    def _with_own_library(self, call):
        """Runs call() while the package's library is this copy; returns its result."""
        saved = _library._library
        _library._library = self._lib
        try:
            return call()
        finally:
            _library._library = saved

    def open_case(self, path, moving_liner=False):
        """Opens the case at path (folder or inputs.in) on this copy; VortimarError as
        vortimar.open_case."""
        if self._lib is None:
            self._load()
        return self._with_own_library(lambda: Case(path, moving_liner=moving_liner))
