"""Loads the Vortimar reader plugin into ParaView, on builds where Python plugins fail to load.

ParaView's Python plugin support (5.11 and older) imports inspect.getargspec, which Python
3.11 no longer has; such a ParaView refuses every Python plugin with "Failed to import
paraview.detail.pythonalgorithm". This script gives the name back (as getfullargspec, which
answers the same questions) and then loads vortimar_reader.py from its own folder.

  paraview --script=paraview/vortimar_startup.py                 the GUI
  pvpython paraview/vortimar_startup.py                          an interactive session
  mpiexec -n 2 pvbatch --symmetric my_script.py                  with, at the top of my_script.py:
      sys.path.insert(0, "path/to/paraview"); import vortimar_startup   (runs on every rank)

In a script, `import vortimar_startup` may come before or after `from paraview.simple import *`:
either way the script can call VortimarCaseReader(FileName=".../inputs.in").

On a ParaView without the problem the plugin loads as any plugin does, and this script only
saves a step.
"""
import inspect
import os
import sys

if not hasattr(inspect, "getargspec"):
    inspect.getargspec = inspect.getfullargspec


def _this_folder():
    """The folder of this script, however ParaView ran it: as a file, from exec() of its
    text, or through --script=PATH on the command line."""
    candidates = [globals().get("__file__"), inspect.currentframe().f_code.co_filename]
    candidates += [arg.split("=", 1)[1] for arg in sys.argv if arg.startswith("--script=")]
    candidates.append(os.environ.get("VORTIMAR_PARAVIEW_FOLDER", "") + "/vortimar_startup.py")
    for path in candidates:
        if path and os.path.isfile(os.path.join(os.path.dirname(os.path.abspath(path)), "vortimar_reader.py")):
            return os.path.dirname(os.path.abspath(path))
    for path in ("paraview", "."):
        if os.path.isfile(os.path.join(path, "vortimar_reader.py")):
            return os.path.abspath(path)
    raise RuntimeError("vortimar_startup: cannot find vortimar_reader.py; set VORTIMAR_PARAVIEW_FOLDER "
                       "to the folder that holds it")


from paraview import simple as _simple  # noqa: E402  (after the name is restored)

# Loaded into paraview.simple, so that `from paraview.simple import *` brings the reader's
# constructor VortimarCaseReader; run as a script, the script's namespace gets it too.
_simple.LoadPlugin(os.path.join(_this_folder(), "vortimar_reader.py"))
VortimarCaseReader = _simple.VortimarCaseReader

# A script that ran `from paraview.simple import *` before importing this module took
# paraview.simple's names before the reader's constructor existed: it gets the constructor too.
_main = sys.modules.get("__main__")
if _main is not None and not hasattr(_main, "VortimarCaseReader"):
    _main.VortimarCaseReader = VortimarCaseReader
