"""Export of a case to ParaView's own file formats, written with VTK's writers.

For each chosen step a multiblock file NAME_SSSS.vtm with one .vtp per part (in the folder
NAME_SSSS/ that VTK's writer makes next to it), one NAME.pvd listing the steps with their
times, and NAME_constants.csv with the constants of each step. NAME is the case folder's
name. Only these files are written; anything else in the output folder is left alone.
"""
import csv
import os

from xml.sax.saxutils import quoteattr

from vtkmodules.vtkIOXML import vtkXMLMultiBlockDataWriter

from .shown import number_text
from .vtk_parts import PartBlocks


class ExportError(Exception):
    """A request the export refuses; the text is one line for the user."""


def output_folder_check(case_folder, out):
    """Raises ExportError when out is the case folder or lies inside it (the export never
    writes into a case). Returns out as an absolute path."""
    case_folder = os.path.realpath(case_folder)
    target = os.path.realpath(out)
    if os.path.commonpath([case_folder, target]) == case_folder:
        raise ExportError("%s lies inside the case folder %s; choose an output folder outside the case"
                          % (out, case_folder))
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
        for step in steps:
            values = case.constants(step) if names else {}
            angle = "" if case.crank_angles is None else number_text(case.crank_angles[step])
            table.writerow([step, number_text(case.times[step]), angle]
                           + [number_text(values[name]) if name in values else "" for name in names])


def export_case(case, out, steps, moved=True, report=print):
    """Writes the export of the open case for the given steps into the folder out (made if
    missing; output_folder_check must have passed). report receives one line per group of
    files written. Returns the list of paths written (the .pvd, the .vtm files, the CSV)."""
    name = os.path.basename(os.path.normpath(case.folder)) or "case"
    os.makedirs(out, exist_ok=True)
    blocks = PartBlocks(case, apply_motion=moved)
    parts = list(case.parts)
    written, entries = [], []
    width = max(4, len(str(len(case.times) - 1)))
    writer = vtkXMLMultiBlockDataWriter()
    for step in steps:
        file_name = "%s_%0*d.vtm" % (name, width, step)
        writer.SetFileName(os.path.join(out, file_name))
        writer.SetInputData(blocks.step_blocks(parts, step))
        if writer.Write() != 1:
            raise ExportError("could not write %s" % os.path.join(out, file_name))
        entries.append((case.times[step], file_name))
        written.append(os.path.join(out, file_name))
    pvd = os.path.join(out, name + ".pvd")
    _write_pvd(pvd, entries)
    constants = os.path.join(out, name + "_constants.csv")
    _write_constants(constants, case, steps)
    if written:
        report("wrote %d multiblock files %s .. %s in %s (each with a folder of %d .vtp files, one per part)"
               % (len(written), os.path.basename(written[0]), os.path.basename(written[-1]), out, len(parts)))
    report("wrote %s (the run: open it in ParaView)" % pvd)
    report("wrote %s (the constants of each step)" % constants)
    return [pvd] + written + [constants]
