"""The reader plugin in a parallel pvbatch: every part served by exactly one rank, and the
ranks together give what one process gives. Run on every rank:
  mpiexec -n 2 pvbatch --symmetric tests/paraview/check_parallel.py"""
import os
import sys

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", d) for d in ("paraview", "tests/python")]
import vortimar_startup  # noqa: E402,F401
from paraview import servermanager  # noqa: E402
from paraview.simple import VortimarCaseReader  # noqa: E402
from vtkmodules.vtkCommonCore import vtkIntArray  # noqa: E402

import vortimar  # noqa: E402
from fixtures import FOUR_VALVE as CASE  # noqa: E402

controller = servermanager.vtkProcessModule.GetProcessModule().GetGlobalController()
rank, ranks = controller.GetLocalProcessId(), controller.GetNumberOfProcesses()

reader = VortimarCaseReader(FileName=os.path.join(CASE, "inputs.in"))
reader.UpdatePipeline(reader.TimestepValues[100])
local = reader.GetClientSideObject().GetOutputDataObject(0)

with vortimar.open_case(CASE) as case:
    parts, step_points = case.parts, [len(case.points(p, 100)) for p in case.parts]
names = [local.GetMetaData(i).Get(local.NAME()) for i in range(local.GetNumberOfBlocks())]

# Per part: how many ranks serve it, and how many points they give in total.
mine = vtkIntArray()
mine.SetNumberOfValues(2 * len(parts))
for i in range(local.GetNumberOfBlocks()):
    block = local.GetBlock(i)
    mine.SetValue(2 * i, 0 if block is None else 1)
    mine.SetValue(2 * i + 1, 0 if block is None else block.GetNumberOfPoints())
total = vtkIntArray()
controller.AllReduce(mine, total, 2)      # 2: sum
served, points = ([total.GetValue(2 * i + k) for i in range(len(parts))] for k in (0, 1))

failures = [what for what, bad in (
    ("ranks: %d" % ranks, ranks != 2),
    ("block names %s" % names, names != [p.name for p in parts]),
    ("ranks serving each part: %s" % served, served != [1] * len(parts)),
    ("points per part %s, one process gives %s" % (points, step_points), points != step_points),
    ("this rank serves no part", not any(mine.GetValue(2 * i) for i in range(len(parts))))) if bad]
# Leaving the script normally lets pvbatch finish MPI on every rank; an exception makes
# pvbatch exit with an error.
if failures:
    raise AssertionError("rank %d of %d: parallel checks FAILED: %s" % (rank, ranks, "; ".join(failures)))
print("rank %d of %d: parallel checks passed" % (rank, ranks))
