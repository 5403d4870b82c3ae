"""A one-screen summary of an open case for a person: files, time line, parts, variables,
constants over the run and the reader's messages."""
import numpy as np

from .notes import case_notes, note_text
from .shown import number_text, visible

CONSTANT_UNITS = {"Bore": "m", "Stroke": "m", "Con_rod_length": "m", "RPM": "rev/min", "Intake_lift": "m",
                  "Exhaust_lift": "m", "Piston_motion": "m", "Crank_Angle": "deg"}


def _files_lines(case):
    """The case files the reader read and those it did not, as the reader tells; the
    surface file under the name inputs.in gives it. engine.in counts only in an engine
    case."""
    read, unread = [], []
    for key, entry in case.files.items():
        if entry.found:
            read.append(visible(entry.name) if key == "surface" else key)
        elif key == "surface":
            unread.append('"%s"' % visible(entry.name) if entry.name else "the surface file (inputs.in names none)")
        elif key != "engine.in" or case.is_engine:
            unread.append(key)
    lines = ["files read:    " + (", ".join(read) or "none")]
    if unread:
        lines.append("files unread:  %s  (python3 -m vortimar doctor says why)" % ", ".join(unread))
    return lines


def _time_lines(case):
    times = np.asarray(case.times, dtype=np.float64)
    if times.size == 0:
        return ["time line:     no steps"]
    line = "time line:     %d step%s, %s s to %s s" % (times.size, "" if times.size == 1 else "s",
                                                        number_text(times[0]), number_text(times[-1]))
    lines = [line]
    if case.crank_angles is not None and len(case.crank_angles):
        angles = np.asarray(case.crank_angles, dtype=np.float64)
        spacing = ", every %s deg" % number_text(angles[1] - angles[0]) if angles.size > 1 else ""
        lines.append("crank angles:  %s deg to %s deg%s" % (number_text(angles[0]), number_text(angles[-1]), spacing))
    return lines


def _table(rows, header):
    """Left-aligned columns, numbers right-aligned; returns the lines."""
    widths = [max(len(str(row[i])) for row in [header] + rows) for i in range(len(header))]
    lines = []
    for row in [header] + rows:
        cells = []
        for i, cell in enumerate(row):
            cells.append(str(cell).rjust(widths[i]) if isinstance(cell, int) else str(cell).ljust(widths[i]))
        lines.append("  " + "  ".join(cells).rstrip())
    return lines


def _source(part, variable):
    return part.sources.get(variable, "-") if part.sources else "-"


def _parts_lines(case):
    if not case.parts:
        return ["parts:         none"]
    rows = [[part.number, visible(part.name), part.kind, part.triangle_count, part.vertex_count, part.motion or "none",
             _source(part, "Pressure"), _source(part, "Temperature")] for part in case.parts]
    header = ["#", "part", "kind", "triangles", "vertices", "motion", "pressure", "temperature"]
    return ["parts:"] + _table(rows, header)


def _constants_lines(case):
    names = [name for name in case.constant_names if name] if case.is_engine else []
    if not names or len(case.times) == 0:
        return ["constants:     none"]
    table = np.array([[case.constants(step).get(name, np.nan) for name in names] for step in range(len(case.times))],
                     dtype=np.float64)
    rows = []
    for k, name in enumerate(names):
        low, high = np.nanmin(table[:, k]), np.nanmax(table[:, k])
        span = number_text(low) if low == high else "%s .. %s" % (number_text(low), number_text(high))
        rows.append([visible(name), span, CONSTANT_UNITS.get(name, "")])
    return ["constants over the run:"] + _table(rows, ["name", "value", "unit"])


def _messages_lines(case):
    notes = case_notes(case)
    if not notes:
        return ["reader messages: none"]
    return ["reader messages:"] + ["  " + visible(note_text(line, count)) for line, count in notes]


def summary_text(case):
    """The summary of the open case as one text of lines."""
    lines = ["case:          %s%s" % (case.folder, "  (engine case)" if case.is_engine else "")]
    lines += _files_lines(case)
    lines += _time_lines(case)
    lines += _parts_lines(case)
    lines.append("variables:     " + (", ".join(visible(name) for name in case.variables if name) or "none"))
    lines += _constants_lines(case)
    lines += _messages_lines(case)
    return "\n".join(lines) + "\n"
