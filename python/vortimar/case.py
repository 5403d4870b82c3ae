"""An open case: a thin layer over the C interface of libvortimar_case."""

import ctypes
import os
from collections import namedtuple

import numpy as np

from . import _library as L
from .rigid_body import RigidBodyValues, apply_rigid_body
from .shown import visible

KINDS = {L.VC_KIND_SURFACE: "surface", L.VC_KIND_POINTS: "points"}
ROLES = {L.VC_ROLE_NONE: "none", L.VC_ROLE_PISTON: "piston", L.VC_ROLE_INTAKE_VALVE: "intake valve",
         L.VC_ROLE_EXHAUST_VALVE: "exhaust valve", L.VC_ROLE_LINER: "liner"}
MOTIONS = {L.VC_MOTION_NONE: "none", L.VC_MOTION_ROTATION: "rotation", L.VC_MOTION_TRANSLATION: "translation",
           L.VC_MOTION_ROTATION_TRANSLATION: "rotation with translation", L.VC_MOTION_ARBITRARY: "arbitrary"}
SOURCES = {L.VC_SOURCE_NONE: "none", L.VC_SOURCE_CONSTANT: "constant", L.VC_SOURCE_VALUE_FILE: "value file",
           L.VC_SOURCE_SPATIAL_FILE: "spatial file"}
CASE_FILES = {L.VC_FILE_INPUTS: "inputs.in", L.VC_FILE_ENGINE: "engine.in", L.VC_FILE_BOUNDARY: "boundary.in",
              L.VC_FILE_SURFACE: "surface"}

# One case file: its name, its full path, and whether the reader read it.
CaseFile = namedtuple("CaseFile", "name path found")


class NotACase(L.VortimarError):
    """A path that names neither a case folder nor its inputs.in."""


def case_folder(path):
    """The absolute case folder that path names: a folder holding inputs.in (with or
    without a trailing separator) or the inputs.in itself. Raises NotACase, its text one
    line naming the path and what is missing, for anything else. Every command and the
    ParaView reader check a case path here."""
    given = str(path)
    bare = given
    while len(bare) > 1 and bare[-1] in "/\\" and bare[-2] != ":":
        bare = bare[:-1]
    if os.path.isdir(bare):
        if os.path.isfile(os.path.join(bare, "inputs.in")):
            return os.path.abspath(bare)
        missing = "no inputs.in in this folder"
    elif os.path.isfile(bare):
        if os.path.basename(bare) == "inputs.in":
            return os.path.dirname(os.path.abspath(bare))
        missing = "not an inputs.in file"
    else:
        missing = "no such file or folder"
    raise NotACase("%s: %s; give a case folder or its inputs.in" % (given, missing), -4)

Part = namedtuple("Part", "number name kind role motion sources triangle_count vertex_count")
Part.__doc__ = """A part as the host numbers it (from 1).

kind: "surface" or "points"; role: "none", "piston", "intake valve",
"exhaust valve" or "liner"; motion: "none", "rotation", "translation",
"rotation with translation" or "arbitrary"; sources: {variable name:
"constant" | "value file" | "spatial file" | "none"} for the per-part
variables (a point part has values only of the variable its file's column names);
vertex_count: points of its compact mesh."""

Mesh = namedtuple("Mesh", "points triangles node_numbers values")
Mesh.__doc__ = """A part's compact mesh at a step.

points (n, 3) float32; triangles (m, 3) int32, 0-based into points ((0, 3)
for point parts); node_numbers (n,) int32, the host's node number of each
point; values {variable name: (n,) float32} where the host gets values.
triangles, node_numbers and a surface part's values are read-only."""


def _pointer(array, c_type):
    return array.ctypes.data_as(ctypes.POINTER(c_type))


class Case:
    """An open case. Use open_case(); close it, or use it in a with block.

    Wherever a part is taken it may be given by number (from 1), by name or as
    a Part; steps are numbered from 0."""

    def __init__(self, path, moving_liner=False, debug_messages=False):
        path = case_folder(path)
        self._lib = L.library()
        self._handle = ctypes.c_void_p()
        flags = (L.VC_MOVING_LINER if moving_liner else 0) | (L.VC_DEBUG_MESSAGES if debug_messages else 0)
        code = self._lib.vc_open(str(path).encode(), flags, ctypes.byref(self._handle))
        if code != L.VC_OK:
            text = L.text(self._lib.vc_open_error())
            lines = text.split("\n")
            raise L.VortimarError(lines[0], code, lines[1:])
        self._parts = None
        self._variables = None
        self._meshes = {}  # part number: (triangles, node numbers)

    # -- plumbing -----------------------------------------------------------

    def _call(self, name, *arguments):
        """Calls vc_<name> on this case; VortimarError on an error code."""
        if self._handle is None:
            raise L.VortimarError("the case is closed", -1)
        code = getattr(self._lib, "vc_" + name)(self._handle, *arguments)
        if code < 0:
            raise L.VortimarError(L.text(self._lib.vc_error_message(self._handle)), code, self.messages)
        return code

    def _int(self, name, *arguments):
        value = ctypes.c_int()
        self._call(name, *arguments, ctypes.byref(value))
        return value.value

    def close(self):
        """Closes the case; later calls raise VortimarError."""
        if self._handle is not None:
            self._lib.vc_close(self._handle)
            self._handle = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass

    # -- the case -------------------------------------------------------------

    @property
    def folder(self):
        """The case folder, ending with the platform's path separator."""
        value = ctypes.c_char_p()
        self._call("folder", ctypes.byref(value))
        return L.text(value.value)

    @property
    def files(self):
        """{"inputs.in", "engine.in", "boundary.in", "surface": CaseFile}; the
        surface entry's name is the file name inputs.in gives ("" when none).
        found: the reader read the file (an engine.in whose keys it could not
        find was not read, though it is there)."""
        result = {}
        for which, key in CASE_FILES.items():
            path = ctypes.c_char_p()
            found = ctypes.c_int()
            self._call("case_file", which, ctypes.byref(path), ctypes.byref(found))
            path = L.text(path.value)
            name = path.replace("\\", "/").rsplit("/", 1)[-1] if path else ""
            result[key] = CaseFile(name, path, bool(found.value))
        return result

    @property
    def messages(self):
        """The reader's messages so far, one str per line."""
        if self._handle is None:
            return []
        count = ctypes.c_int()
        if self._lib.vc_message_count(self._handle, ctypes.byref(count)) != L.VC_OK:
            return []
        lines = []
        for i in range(count.value):
            line = ctypes.c_char_p()
            self._lib.vc_message(self._handle, i, ctypes.byref(line))
            lines.append(L.text(line.value))
        return lines

    def findings(self):
        """Where the reader reads the case otherwise than its author most
        likely meant, in the order found: a list of dicts with the keys
        "severity" ("error", "warning" or "note"), "code", "file" (the name
        within the case folder), "line" (1-based, None for the whole file),
        "message", "suggestion" and "count" (how often it occurred: 1, or more
        for one about a whole file that recurs)."""
        result = []
        for i in range(self._int("finding_count")):
            info = L.FindingInfo()
            self._call("finding", i, ctypes.byref(info))
            result.append({
                "severity": L.text(info.severity),
                "code": L.text(info.code),
                "file": L.text(info.file),
                "line": info.line or None,
                "message": L.text(info.message),
                "suggestion": L.text(info.suggestion),
                "count": info.count,
            })
        return result

    @property
    def is_engine(self):
        return bool(self._int("is_engine"))

    @property
    def step_count(self):
        return self._int("step_count")

    @property
    def times(self):
        """Time of each step in seconds (float32)."""
        times = np.zeros(self.step_count, dtype=np.float32)
        self._call("times", _pointer(times, ctypes.c_float), len(times))
        return times

    @property
    def crank_angles(self):
        """Crank angle of each step in degrees (float32), or None outside engine cases."""
        angles = np.zeros(self.step_count, dtype=np.float32)
        if self._call("crank_angles", _pointer(angles, ctypes.c_float), len(angles)) == L.VC_NO_VALUES:
            return None
        return angles

    def _variable_list(self):
        """[(name, is a constant)], read once: an open case's variables do not change."""
        if self._variables is None:
            names = []
            for v in range(1, self._int("variable_count") + 1):
                name = ctypes.c_char_p()
                constant = ctypes.c_int()
                self._call("variable", v, ctypes.byref(name), ctypes.byref(constant))
                names.append((L.text(name.value), bool(constant.value)))
            self._variables = names
        return self._variables

    @property
    def variables(self):
        """Variable names as the host lists them (per-part variables, then constants)."""
        return [name for name, _ in self._variable_list()]

    @property
    def constant_names(self):
        return [name for name, constant in self._variable_list() if constant]

    def constants(self, step):
        """{name: value (numpy.float32)} of the engine constants at the step; {} outside
        engine cases."""
        step = self._step(step)
        result = {}
        value = ctypes.c_float()
        for v, (name, constant) in enumerate(self._variable_list(), start=1):
            if constant:
                self._call("constant", v, step, ctypes.byref(value))
                result[name] = np.float32(value.value)
        return result

    @property
    def parts(self):
        """The parts (Part tuples), in the host's order."""
        if self._parts is None:
            variables = self._variable_list()
            parts = []
            for number in range(1, self._int("part_count") + 1):
                info = L.PartInfo()
                self._call("part", number, ctypes.byref(info))
                sources = {}
                for v, (name, constant) in enumerate(variables, start=1):
                    if not constant:
                        sources[name] = SOURCES[self._int("part_source", number, v)]
                parts.append(
                    Part(number, L.text(info.name), KINDS[info.kind], ROLES[info.role], MOTIONS[info.motion],
                         sources, info.triangle_count, info.vertex_count))
            self._parts = parts
        return list(self._parts)

    def _part(self, part):
        """The Part that part names: a Part, a number from 1, or a name."""
        parts = self.parts
        if isinstance(part, str):
            for p in parts:
                if p.name == part:
                    return p
            raise L.VortimarError("no part named %r: the case has %s" % (
                part, ", ".join('"%s"' % visible(p.name) for p in parts) or "no parts"), -2)
        number = part.number if isinstance(part, Part) else int(part)
        if not 1 <= number <= len(parts):
            raise L.VortimarError("part %d out of range: the case has parts 1 to %d" % (number, len(parts)), -2)
        return parts[number - 1]

    def _step(self, step):
        """step as an int, checked against the time line before it reaches the C
        interface (where a large number would wrap around)."""
        count = self.step_count
        if int(step) != step:
            raise L.VortimarError("step %s is not a whole number" % step, -2)
        if not 0 <= int(step) < count:
            raise L.VortimarError("step %s out of range: the case has steps 0 to %d" % (step, count - 1), -2)
        return int(step)

    @property
    def rigid_body_exists(self):
        """Whether the host receives rigid-body values at all."""
        return bool(self._int("rigid_body_exists"))

    def rigid_body(self, part, step):
        """The 14 rigid-body values of the part at the step (RigidBodyValues: a
        float32 array that also names its entries, .translation, .euler_parameters,
        .centre, ...), or None where the host receives none."""
        values = np.zeros(14, dtype=np.float32)
        number = self._part(part).number
        if self._call("rigid_body", number, self._step(step), _pointer(values, ctypes.c_float)) == L.VC_NO_VALUES:
            return None
        return values.view(RigidBodyValues)

    def _connectivity(self, p):
        """The part's triangles and node numbers, read once per case: they are
        the same at every step. Read-only arrays, shared by every mesh."""
        cached = self._meshes.get(p.number)
        if cached is None:
            triangles = np.zeros((p.triangle_count, 3), dtype=np.int32)
            if p.triangle_count:
                self._call("part_triangles", p.number, _pointer(triangles, ctypes.c_int), triangles.size)
            numbers = np.zeros(p.vertex_count, dtype=np.int32)
            if p.vertex_count:
                self._call("part_node_numbers", p.number, _pointer(numbers, ctypes.c_int), numbers.size)
            triangles.flags.writeable = False
            numbers.flags.writeable = False
            cached = self._meshes[p.number] = (triangles, numbers)
        return cached

    def points(self, part, step, moved=True):
        """The part's points at the step, (n, 3) float32, in the order of its
        mesh. moved: carried by the part's rigid-body values, as the host
        shows them."""
        p = self._part(part)
        points = np.zeros((p.vertex_count, 3), dtype=np.float32)
        if p.vertex_count:
            self._call("part_points", p.number, self._step(step), _pointer(points, ctypes.c_float), points.size)
        if moved:
            motion = self.rigid_body(p.number, step)
            if motion is not None:
                points = apply_rigid_body(points, motion)
        return points

    def values(self, part, step):
        """{variable name: (n,) float32} of the part's points at the step, for
        the variables the host gets values of there. A surface part has one
        value per variable for all its points: its arrays are read-only views
        of that one value, costing no memory per point."""
        p = self._part(part)
        step = self._step(step)
        values = {}
        if not p.vertex_count:
            return values
        one = ctypes.c_float()
        for v, (name, constant) in enumerate(self._variable_list(), start=1):
            if constant:
                continue
            if p.kind == "surface":
                if self._call("part_value", p.number, int(step), v, ctypes.byref(one)) == L.VC_OK:
                    values[name] = np.broadcast_to(np.float32(one.value), (p.vertex_count,))
                continue
            array = np.zeros(p.vertex_count, dtype=np.float32)
            if self._call("part_values", p.number, int(step), v, _pointer(array, ctypes.c_float), array.size) == L.VC_OK:
                values[name] = array
        return values

    def mesh(self, part, step, moved=True):
        """The part's compact mesh at the step (a Mesh). moved: the points
        carried by the part's rigid-body values, as the host shows them. The
        triangles and node numbers are read once per case and shared
        (read-only); the points and values are made for the step."""
        p = self._part(part)
        triangles, numbers = self._connectivity(p)
        return Mesh(self.points(p, step, moved), triangles, numbers, self.values(p, step))

    def check(self, lift_threshold=0.0001):
        """The set-up check (vortimar.check.run_check): findings, clearances,
        engine measures and surface counts, with the per-step tables as numpy
        arrays. lift_threshold in metres."""
        from .check import run_check
        return run_check(self, lift_threshold)


def open_case(path, moving_liner=False, debug_messages=False):
    """Opens the case of a folder or of its inputs.in. NotACase when path is
    neither; VortimarError (with the reader's messages) when the case cannot be
    opened."""
    return Case(path, moving_liner=moving_liner, debug_messages=debug_messages)
