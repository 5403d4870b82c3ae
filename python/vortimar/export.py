"""Export of a case to ParaView's own file formats, the parts written with VTK's writer.

For each chosen step a multiblock file NAME_SSSS.vtm naming one .vtp per part and holding
the step's constants as field data, NAME_constants.csv with the times and constants of each
step, and last one NAME.pvd listing the steps with their time values (see time_values).
NAME is the case folder's name. A part is written only when its points or values differ
from the last file written for it: the .vtp files of step S lie in the folder NAME_SSSS/,
and a later step whose part is unchanged names the earlier file. So a part that never moves
is written once, a moving part at every step where it stands elsewhere. Only these files
are written; anything else in the output folder is left alone. When a write fails the
export stops there, so no .pvd names a file that was not written.
"""
import csv
import hashlib
import os
import re

import numpy as np
from xml.sax.saxutils import quoteattr

from vtkmodules.vtkCommonCore import vtkLogger, vtkOutputWindow, vtkStringOutputWindow
from vtkmodules.vtkIOXML import vtkXMLPolyDataWriter

from .shown import number_text
from .vtk_parts import PartBlocks, time_values


class ExportError(Exception):
    """A request the export refuses; the text is one line for the user."""


class ExportFailed(Exception):
    """The export could not be written; the text is one line for the user."""


def lies_inside(folder, path):
    """Whether path is the folder or lies inside it, links followed: nothing is ever
    written into a case folder."""
    folder = os.path.realpath(folder)
    return os.path.commonpath([folder, os.path.realpath(path)]) == folder


def output_folder_check(case_folder, out):
    """Raises ExportError when out is the case folder or lies inside it (the export never
    writes into a case). Returns out as an absolute path."""
    target = os.path.realpath(out)
    if lies_inside(case_folder, out):
        raise ExportError("%s lies inside the case folder %s; choose an output folder outside the case"
                          % (out, os.path.realpath(case_folder)))
    if os.path.exists(target) and not os.path.isdir(target):
        raise ExportError("%s exists and is not a folder" % out)
    return target


def choose_steps(step_count, steps=None, every=None):
    """The 0-based steps to export: the text list steps ("0,10,20"), every every-th step
    from 0, or all steps. Raises ExportError on a step outside 0..step_count-1 or a bad K."""
    if steps:
        chosen = []
        for item in steps.split(","):
            item = item.strip()
            if not item.lstrip("-").isdigit():
                raise ExportError("--steps: %r is not a step number" % item)
            number = int(item)
            if not 0 <= number < step_count:
                raise ExportError("--steps: step %d is outside 0..%d" % (number, step_count - 1))
            if number not in chosen:
                chosen.append(number)
        return sorted(chosen)
    if every is not None:
        if every < 1:
            raise ExportError("--every must be at least 1")
        return list(range(0, step_count, every))
    return list(range(step_count))


def _write_pvd(path, entries):
    """entries: (time, file name relative to the .pvd) per step."""
    with open(path, "w", newline="\n") as out:
        out.write('<?xml version="1.0"?>\n<VTKFile type="Collection" version="0.1" byte_order="LittleEndian">\n'
                  "  <Collection>\n")
        for time, name in entries:
            out.write('    <DataSet timestep="%s" group="" part="0" file=%s/>\n' % (number_text(time), quoteattr(name)))
        out.write("  </Collection>\n</VTKFile>\n")


def _write_constants(path, case, steps):
    names = [name for name in case.constant_names if name] if case.is_engine else []
    with open(path, "w", newline="") as out:
        table = csv.writer(out, lineterminator="\n")
        table.writerow(["step", "time", "crank_angle"] + names)
        times, angles = case.times, case.crank_angles
        for step in steps:
            values = case.constants(step) if names else {}
            angle = "" if angles is None else number_text(angles[step])
            table.writerow([step, number_text(times[step]), angle]
                           + [number_text(values[name]) if name in values else "" for name in names])


class _VtkMessages:
    """While in a with block, VTK's error and warning texts are collected here instead of
    being printed: text() gives what was said. The output window and the log level of
    standard error are put back on leaving."""

    def __enter__(self):
        self._window = vtkStringOutputWindow()
        self._previous = vtkOutputWindow.GetInstance()
        self._previous.Register(None)       # keep it alive while it is not the instance
        vtkOutputWindow.SetInstance(self._window)
        self._level = vtkLogger.GetCurrentVerbosityCutoff()
        vtkLogger.SetStderrVerbosity(vtkLogger.VERBOSITY_OFF)
        return self

    def __exit__(self, *exc):
        vtkLogger.SetStderrVerbosity(self._level)
        vtkOutputWindow.SetInstance(self._previous)
        self._previous.UnRegister(None)

    def text(self):
        return self._window.GetOutput() or ""


def vtk_failure(text):
    """A short account of VTK's messages (each "ERROR: In FILE, line N" followed by "Class
    (address): message"): the first message, and how many more there were."""
    said = []
    for block in re.split(r"(?:ERROR|Warning): In [^\n]*\n", text):
        line = block.strip().split("\n", 1)[0]
        line = re.sub(r"^\w+ \(0x[0-9a-fA-F]+\): ", "", line).strip()
        if line and line not in said:
            said.append(line)
    if not said:
        return "VTK's writer failed"
    more = len(said) - 1
    return said[0] + ("" if not more else " (and %d more message%s from VTK)" % (more, "s" * (more > 1)))


def _write_vtm(path, names, files, constants):
    """The multiblock file: one DataSet per part (names and files in block order, files
    relative to path's folder) and the step's constants as field data."""
    with open(path, "w", newline="\n") as out:
        out.write('<?xml version="1.0"?>\n<VTKFile type="vtkMultiBlockDataSet" version="1.0" '
                  'byte_order="LittleEndian" header_type="UInt32">\n  <vtkMultiBlockDataSet>\n')
        for index, (name, file) in enumerate(zip(names, files)):
            out.write('    <DataSet index="%d" name=%s file=%s/>\n' % (index, quoteattr(name), quoteattr(file)))
        out.write("  </vtkMultiBlockDataSet>\n")
        if constants:
            out.write("  <FieldData>\n")
            for name, value in constants.items():
                out.write('    <DataArray type="Float32" Name=%s NumberOfTuples="1" format="ascii">%s</DataArray>\n'
                          % (quoteattr(name), number_text(value)))
            out.write("  </FieldData>\n")
        out.write("</VTKFile>\n")


def _part_key(case, part, step, moved, clearance=None):
    """A digest of what the part's file at step would hold: its points and its values."""
    digest = hashlib.blake2b(digest_size=16)
    digest.update(np.ascontiguousarray(case.points(part, step, moved=moved)).tobytes())
    shown = case.values(part, step)
    if clearance is not None and part.kind != "points":
        shown["Clearance"] = clearance(part, step)
    for name, values in sorted((k, v) for k, v in shown.items() if v is not None):
        digest.update(name.encode() + b"\0" + np.ascontiguousarray(values).tobytes())
    return digest.digest()


def export_case(case, out, steps, moved=True, report=print, clearance=False):
    """Writes the export of the open case for the given steps into the folder out (made if
    missing; output_folder_check must have passed). report receives one line per group of
    files written, once everything is written, and the line saying which time values the
    .pvd holds when the case's own times are not usable (time_values). Raises ExportFailed at
    the first write that fails, before the .pvd is written: a .pvd only names files that exist.
    With clearance, the moving parts carry the "Clearance" point array (each point's
    distance to the nearest part the set-up check pairs it with), where the check library
    is at hand; where not, report says so in one line and the export goes on without it.
    Returns the list of paths written (the .vtm files, the CSV, the .pvd)."""
    name = os.path.basename(os.path.normpath(case.folder)) or "case"
    parts = list(case.parts)
    if not parts or not steps:
        raise ExportFailed("%s: nothing was exported" % ("the case has no parts" if not parts else "no step chosen"))
    os.makedirs(out, exist_ok=True)
    distances = None
    if clearance:
        from .check import point_clearance
        distances = point_clearance(case, report)
    blocks = PartBlocks(case, apply_motion=moved, clearance=distances)
    times, note = time_values(case.times, case.crank_angles)
    written, entries = [], []
    part_files = 0
    last = {}           # part number: (digest, file name relative to out) of its last file
    width = max(4, len(str(len(times) - 1)))
    writer = vtkXMLPolyDataWriter()
    for step in steps:
        stem = "%s_%0*d" % (name, width, step)
        path = os.path.join(out, stem + ".vtm")
        files = []
        for index, part in enumerate(parts):
            key = _part_key(case, part, step, moved, distances)
            if part.number in last and last[part.number][0] == key:
                files.append(last[part.number][1])
                continue
            file = "%s/%s_%d.vtp" % (stem, stem, index)
            target = os.path.join(out, stem, "%s_%d.vtp" % (stem, index))
            writer.SetFileName(target)
            writer.SetInputData(blocks.part_data(part, step))
            with _VtkMessages() as messages:
                try:
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                    status = writer.Write()
                except OSError as error:
                    status, failure = 0, error.strerror or str(error)
                else:
                    failure = vtk_failure(messages.text())
            # A warning alone is no failure; an error is, even where Write() reports success.
            if status != 1 or "ERROR: In " in messages.text() or not os.path.isfile(target):
                raise ExportFailed("could not write %s: %s" % (path, failure))
            last[part.number] = (key, file)
            files.append(file)
            part_files += 1
        _write_vtm(path, [part.name for part in parts], files,
                   {k: v for k, v in case.constants(step).items() if k} if case.is_engine else {})
        entries.append((times[step], os.path.basename(path)))
        written.append(path)
    constants = os.path.join(out, name + "_constants.csv")
    _write_constants(constants, case, steps)
    pvd = os.path.join(out, name + ".pvd")
    _write_pvd(pvd, entries)
    report("wrote %d multiblock files %s .. %s in %s with %d .vtp files (%d parts; a part is written "
           "again only at the steps where it moved or its values changed)"
           % (len(written), os.path.basename(written[0]), os.path.basename(written[-1]), out, part_files, len(parts)))
    report("wrote %s (the constants of each step)" % constants)
    report("wrote %s (the run: open it in ParaView)" % pvd)
    if note:
        report(note)
    return written + [constants, pvd]
