"""The parts of an open case as VTK data sets, one time step at a time.

Used by the ParaView reader plugin and by the export. A surface part becomes a vtkPolyData
of triangles holding only the vertices its triangles use; a point part becomes a vtkPolyData
with one vertex cell per point. The variables the reader gives on a part become point data,
the engine constants of the step field data. Connectivity is built once per part and shared
by every step.
"""
import numpy as np
from vtkmodules.util.numpy_support import numpy_to_vtk, numpy_to_vtkIdTypeArray
from vtkmodules.vtkCommonCore import vtkPoints
from vtkmodules.vtkCommonDataModel import vtkCellArray, vtkCompositeDataSet, vtkMultiBlockDataSet, vtkPolyData

from .rigid_body import apply_rigid_body


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
    """A named vtkFloatArray over values (float32, components per tuple). It shares the
    memory of a float32 numpy array, and keeps that array alive."""
    values = np.ascontiguousarray(values, dtype=np.float32)
    array = numpy_to_vtk(values.reshape(-1, components) if components > 1 else values, deep=False)
    array.SetName(name)
    return array


def constants_field(constants):
    """One single-value float array per constant, named after it."""
    return [float_array(name, np.array([value], dtype=np.float32)) for name, value in constants.items() if name]


def _changes_with_step(part):
    """Whether the reader's answer for the part beyond its rigid-body values can change from
    step to step: point parts, liners (their bottom ring may follow the piston) and parts with
    a value read from a file. Other parts keep their as-read points and constant values."""
    return part.kind == "points" or part.role == "liner" or "value file" in part.sources.values()


class _PartCache:
    """What one part keeps between steps: its cells, which of the mesh's points it keeps
    (None: all), and for a part whose answer does not change with the step its as-read
    points, values, and the last points given with the rigid-body values they came from."""

    def __init__(self, part, mesh):
        if part.kind == "points":
            self.used = None
            self.cells = cell_array(np.arange(len(mesh.points), dtype=np.int64), 1)
        else:
            self.used, local = compact_triangles(mesh.triangles, len(mesh.points))
            self.cells = cell_array(local.ravel(), 3)
        self.still = None if _changes_with_step(part) else self.kept(mesh.points)
        self.values = None if self.still is None else self.point_values(mesh)
        self.last = (None, None)      # (rigid-body values as bytes, vtkPoints)

    def kept(self, array):
        array = np.asarray(array, dtype=np.float32)
        return array if self.used is None else array[self.used]

    def point_values(self, mesh):
        return [float_array(name, self.kept(values)) for name, values in mesh.values.items() if name]

    @staticmethod
    def vtk_points(xyz):
        points = vtkPoints()
        points.SetData(float_array("Points", xyz, 3))
        return points

    def points_for(self, motion):
        """The vtkPoints of a part that keeps its as-read points, moved by motion (the 14
        rigid-body values, or None); the same object as last time for the same motion."""
        key = None if motion is None else np.asarray(motion, dtype=np.float32).tobytes()
        if self.last[1] is None or self.last[0] != key:
            xyz = self.still if motion is None else apply_rigid_body(self.still, motion)
            self.last = (key, self.vtk_points(xyz))
        return self.last[1]


class PartBlocks:
    """Builds the VTK data set of any part of one open case at any step.

    case is an open case of the package; apply_motion chooses moved (True) or as-read
    (False) coordinates. The cells of each part are built once; a part whose answer changes
    only by its rigid-body values is read once and then moved by them (the package's own
    rigid-body motion), so that a new step costs little for large cases.
    """

    def __init__(self, case, apply_motion=True):
        self.case = case
        self.apply_motion = apply_motion
        self._cache = {}

    def part_data(self, part, step, field=()):
        """Returns a vtkPolyData of part at step: its points, its cells, its variables as
        point data and the arrays of field as field data."""
        cache = self._cache.get(part.number)
        if cache is None:
            cache = self._cache[part.number] = _PartCache(part, self.case.mesh(part, step, moved=False))
        data = vtkPolyData()
        if cache.still is None:
            mesh = self.case.mesh(part, step, moved=self.apply_motion)
            data.SetPoints(cache.vtk_points(cache.kept(mesh.points)))
            values = cache.point_values(mesh)
        else:
            motion = self.case.rigid_body(part, step) if self.apply_motion else None
            data.SetPoints(cache.points_for(motion))
            values = cache.values
        if part.kind == "points":
            data.SetVerts(cache.cells)
        else:
            data.SetPolys(cache.cells)
        for array in values:
            data.GetPointData().AddArray(array)
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
