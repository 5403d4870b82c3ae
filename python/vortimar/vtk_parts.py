"""The parts of an open case as VTK data sets, one time step at a time.

Used by the ParaView reader plugin and by the export, which also share the time values
they give VTK (time_values). A surface part becomes a vtkPolyData
of triangles over the compact point list the case gives (only the vertices its triangles
use); a point part becomes a vtkPolyData with one vertex cell per point. The variables the
reader gives on a part become point data, the engine constants of the step field data.
Cells are built once per part and shared by every step; a step reads only points and values.
"""
import numpy as np
from vtkmodules.util.numpy_support import numpy_to_vtk, numpy_to_vtkIdTypeArray
from vtkmodules.vtkCommonCore import vtkPoints
from vtkmodules.vtkCommonDataModel import vtkCellArray, vtkCompositeDataSet, vtkMultiBlockDataSet, vtkPolyData


def cell_array(connectivity, corners):
    """Takes a flat array of 0-based point indexes and the number of corners per cell (3 for
    triangles, 1 for vertex cells). Returns a vtkCellArray holding a copy of them."""
    count = connectivity.size // corners
    offsets = np.arange(0, (count + 1) * corners, corners, dtype=np.int64)
    cells = vtkCellArray()
    cells.SetData(numpy_to_vtkIdTypeArray(offsets, deep=True),
                  numpy_to_vtkIdTypeArray(np.ascontiguousarray(connectivity, dtype=np.int64), deep=True))
    return cells


def float_array(name, values, components=1):
    """A named vtkFloatArray over values (float32, components per tuple). It shares the
    memory of a contiguous float32 numpy array, and keeps that array alive."""
    values = np.ascontiguousarray(values, dtype=np.float32)
    array = numpy_to_vtk(values.reshape(-1, components) if components > 1 else values, deep=False)
    array.SetName(name)
    return array


def constants_field(constants):
    """One single-value float array per constant, named after it."""
    return [float_array(name, np.array([value], dtype=np.float32)) for name, value in constants.items() if name]


class PartBlocks:
    """Builds the VTK data set of any part of one open case at any step.

    case is an open case of the package; apply_motion chooses moved (True) or as-read
    (False) coordinates. The cells of each part are built on its first use and kept.
    """

    def __init__(self, case, apply_motion=True, clearance=None):
        self.case = case
        self.apply_motion = apply_motion
        self.clearance = clearance  # None, or a check.PointClearance adding "Clearance" to moving parts
        self._cells = {}

    def _cells_of(self, part):
        cells = self._cells.get(part.number)
        if cells is None:
            if part.kind == "points":
                cells = cell_array(np.arange(part.vertex_count, dtype=np.int64), 1)
            else:
                cells = cell_array(self.case.mesh(part, 0, moved=False).triangles.ravel(), 3)
            self._cells[part.number] = cells
        return cells

    def part_data(self, part, step, field=()):
        """Returns a vtkPolyData of part at step: its points, its cells, its variables as
        point data and the arrays of field as field data."""
        data = vtkPolyData()
        points = vtkPoints()
        points.SetData(float_array("Points", self.case.points(part, step, moved=self.apply_motion), 3))
        data.SetPoints(points)
        if part.kind == "points":
            data.SetVerts(self._cells_of(part))
        else:
            data.SetPolys(self._cells_of(part))
        for name, values in self.case.values(part, step).items():
            if name:
                data.GetPointData().AddArray(float_array(name, values))
        distances = self.clearance(part, step) if self.clearance and part.kind != "points" else None
        if distances is not None:
            data.GetPointData().AddArray(float_array("Clearance", distances))
        for array in field:
            data.GetFieldData().AddArray(array)
        return data

    def step_blocks(self, parts, step, serve=None):
        """Returns a vtkMultiBlockDataSet with one block per part of parts (in that order),
        each named after its part, and the constants of the step as field data of the whole
        and of every block. serve, if given, is the set of part numbers to fill; the other
        blocks stay empty (None), as on the other ranks of a parallel run."""
        field = constants_field(self.case.constants(step) if self.case.is_engine else {})
        blocks = vtkMultiBlockDataSet()
        blocks.SetNumberOfBlocks(len(parts))
        for index, part in enumerate(parts):
            if serve is None or part.number in serve:
                blocks.SetBlock(index, self.part_data(part, step, field))
            blocks.GetMetaData(index).Set(vtkCompositeDataSet.NAME(), part.name)
        for array in field:
            blocks.GetFieldData().AddArray(array)
        return blocks


def share_of_parts(parts, piece, pieces):
    """Splits parts between pieces (ranks) so that each gets about the same number of
    triangles and points; every rank computes the same split. Returns the set of part
    numbers that piece serves."""
    load = [0] * max(1, pieces)
    mine = set()
    by_size = sorted(parts, key=lambda p: (-(p.triangle_count + p.vertex_count), p.number))
    for part in by_size:
        rank = min(range(len(load)), key=lambda r: (load[r], r))
        load[rank] += part.triangle_count + part.vertex_count + 1
        if rank == piece:
            mine.add(part.number)
    return mine


def step_at_or_before(times, t):
    """The index of the last time in times (ascending) that is not later than t; 0 when t
    lies before the first. A tiny tolerance absorbs the rounding of times passed around as
    doubles."""
    index = int(np.searchsorted(np.asarray(times, dtype=np.float64), t + 1e-9 * max(1.0, abs(t)), side="right")) - 1
    return min(max(index, 0), len(times) - 1)


def time_values(times, crank_angles=None):
    """The time of each step as VTK is to see it: (values, note). values are times (seconds)
    when they are all finite and increasing, else crank_angles (degrees) when those are, else
    the step numbers; note is None for times, or else one line saying what was taken and why.
    A single step counts as increasing."""
    def usable(values):
        values = np.asarray(values, dtype=np.float64)
        return bool(np.all(np.isfinite(values)) and np.all(np.diff(values) > 0.0))

    times = np.asarray(times, dtype=np.float64)
    if usable(times):
        return times, None
    why = "not finite" if not np.all(np.isfinite(times)) else "not increasing"
    if crank_angles is not None and len(crank_angles) == len(times) and usable(crank_angles):
        return (np.asarray(crank_angles, dtype=np.float64),
                "the case's times are %s; the time values are its crank angles (degrees)" % why)
    return (np.arange(len(times), dtype=np.float64),
            "the case's times are %s; the time values are the step numbers" % why)
