"""The parts of an open case as VTK data sets, one time step at a time.

Used by the ParaView reader plugin and by the export. A surface part becomes a vtkPolyData
of triangles holding only the vertices its triangles use; a point part becomes a vtkPolyData
with one vertex cell per point. The variables the reader gives on a part become point data,
the engine constants of the step field data. Connectivity is built once per part and shared
by every step; only the coordinates and the values are new at each step.
"""
import numpy as np
from vtkmodules.util.numpy_support import numpy_to_vtk, numpy_to_vtkIdTypeArray
from vtkmodules.vtkCommonCore import vtkFloatArray, vtkPoints
from vtkmodules.vtkCommonDataModel import vtkCellArray, vtkCompositeDataSet, vtkMultiBlockDataSet, vtkPolyData


def compact_triangles(triangles, point_count):
    """Takes a part's triangles (m, 3) as 0-based indexes into its point list of point_count
    entries. Returns (used, local): the sorted indexes of the points the triangles use (None
    when they use every point), and the triangles renumbered into that shorter list."""
    triangles = np.asarray(triangles, dtype=np.int64).reshape(-1, 3)
    mask = np.zeros(point_count, dtype=bool)
    mask[triangles.ravel()] = True
    if mask.all():
        return None, triangles
    used = np.flatnonzero(mask)
    renumber = np.full(point_count, -1, dtype=np.int64)
    renumber[used] = np.arange(used.size, dtype=np.int64)
    return used, renumber[triangles]


def cell_array(connectivity, corners):
    """Takes a flat int64 array of point indexes and the number of corners per cell (3 for
    triangles, 1 for vertex cells). Returns a vtkCellArray holding a copy of them."""
    count = connectivity.size // corners
    offsets = np.arange(0, (count + 1) * corners, corners, dtype=np.int64)
    cells = vtkCellArray()
    cells.SetData(numpy_to_vtkIdTypeArray(offsets, deep=True),
                  numpy_to_vtkIdTypeArray(np.ascontiguousarray(connectivity, dtype=np.int64), deep=True))
    return cells


def float_array(name, values, components=1):
    """A named vtkFloatArray holding a copy of values (float32, components per tuple)."""
    values = np.ascontiguousarray(values, dtype=np.float32)
    array = numpy_to_vtk(values.reshape(-1, components) if components > 1 else values, deep=True)
    array.SetName(name)
    return array


def constants_field(constants):
    """One single-value float array per constant, named after it."""
    return [float_array(name, np.array([value], dtype=np.float32)) for name, value in constants.items() if name]


class _Topology:
    """What stays the same over the run for one part: the cells and which of the mesh's
    points the part keeps (None for a point part, which keeps all of them)."""

    def __init__(self, used, cells):
        self.used = used
        self.cells = cells


class PartBlocks:
    """Builds the VTK data set of any part of one open case at any step.

    case is an open case of the package; apply_motion chooses moved (True) or as-read
    (False) coordinates. The cells of each part are kept after their first build.
    """

    def __init__(self, case, apply_motion=True):
        self.case = case
        self.apply_motion = apply_motion
        self._topology = {}

    def _topology_of(self, part, mesh):
        found = self._topology.get(part.number)
        if found is None:
            if part.kind == "points":
                n = len(mesh.points)
                found = _Topology(None, cell_array(np.arange(n, dtype=np.int64), 1))
            else:
                used, local = compact_triangles(mesh.triangles, len(mesh.points))
                found = _Topology(used, cell_array(local.ravel(), 3))
            self._topology[part.number] = found
        return found

    def part_data(self, part, step, constants=None):
        """Returns a vtkPolyData of part at step: its points, its cells, its variables as
        point data and, if given, constants ({name: value}) as field data."""
        mesh = self.case.mesh(part, step, moved=self.apply_motion)
        topology = self._topology_of(part, mesh)
        keep = topology.used
        points = np.asarray(mesh.points, dtype=np.float32)
        if keep is not None:
            points = points[keep]
        data = vtkPolyData()
        vtk_points = vtkPoints()
        vtk_points.SetData(float_array("Points", points, 3))
        data.SetPoints(vtk_points)
        if part.kind == "points":
            data.SetVerts(topology.cells)
        else:
            data.SetPolys(topology.cells)
        for name, values in mesh.values.items():
            if not name:
                continue
            values = np.asarray(values, dtype=np.float32)
            data.GetPointData().AddArray(float_array(name, values[keep] if keep is not None else values))
        for array in constants_field(constants or {}):
            data.GetFieldData().AddArray(array)
        return data

    def step_blocks(self, parts, step, serve=None):
        """Returns a vtkMultiBlockDataSet with one block per part of parts (in that order),
        each named after its part, and the constants of the step as field data of the whole
        and of every block. serve, if given, is the set of part numbers to fill; the other
        blocks stay empty (None), as on the other ranks of a parallel run."""
        constants = self.case.constants(step) if self.case.is_engine else {}
        blocks = vtkMultiBlockDataSet()
        blocks.SetNumberOfBlocks(len(parts))
        for index, part in enumerate(parts):
            if serve is None or part.number in serve:
                blocks.SetBlock(index, self.part_data(part, step, constants))
            blocks.GetMetaData(index).Set(vtkCompositeDataSet.NAME(), part.name)
        for array in constants_field(constants):
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
