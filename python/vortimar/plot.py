"""A picture of the motion over the run, drawn with matplotlib's non-interactive backend.

Engine case: the piston displacement above, the intake and exhaust valve lifts on their own
axis below, against crank angle (against time, or step, when the case has no crank angles);
top and bottom dead centres are drawn across both, and where each valve opens and closes is
marked on its curve. Case in seconds: the rigid-body translation of each moving part above
and, when some part turns, the angle it has turned below, against time.
"""
import os

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (after the backend is chosen)

from .vtk_parts import time_values  # noqa: E402

ENGINE_CURVES = [("Piston_motion", "piston displacement"), ("Intake_lift", "intake valve lift"),
                 ("Exhaust_lift", "exhaust valve lift")]


def constants_by_name(case):
    """{constant name: its value at every step (array)}; {} outside engine cases."""
    names = [name for name in case.constant_names if name]
    table = [case.constants(s) for s in range(len(case.times))] if names else []
    return {name: np.array([row[name] for row in table], dtype=np.float64) for name in names}


def _curves(constants):
    return [(label, constants[name] * 1000.0) for name, label in ENGINE_CURVES if name in constants]


def engine_curves(case):
    """The engine curves the case has: [(label, values in mm per step)]."""
    return _curves(constants_by_name(case))


def dead_centres(crank, x):
    """[(x, "TDC" or "BDC")] where the crank angle (degrees per step, increasing) passes a
    multiple of 360 (top dead centre) or 180 past one (bottom dead centre); x of the mark is
    interpolated between the steps. [] when the crank angles do not increase."""
    crank = np.asarray(crank, dtype=np.float64)
    if len(crank) < 2 or not np.all(np.diff(crank) > 0.0):
        return []
    half_turns = range(int(np.ceil(crank[0] / 180.0)), int(np.floor(crank[-1] / 180.0)) + 1)
    return [(float(np.interp(180.0 * k, crank, x)), "BDC" if k % 2 else "TDC") for k in half_turns]


def valve_events(x, lift):
    """[(x, "opens" or "closes")] in order: a valve opens at the last step of zero lift before
    the lift rises, and closes at the first step where it is back to zero."""
    lifted = np.asarray(lift) > 0.0
    events = [(x[i], "opens") for i in np.flatnonzero(~lifted[:-1] & lifted[1:])]
    events += [(x[i + 1], "closes") for i in np.flatnonzero(lifted[:-1] & ~lifted[1:])]
    return sorted(events, key=lambda event: event[0])


def _rigid_body_tables(case):
    """[(part name, the 14 rigid-body values per step, array (steps, 14))] of every part that
    has rigid-body values at some step; a step without them counts as no motion."""
    still = np.zeros(14)
    still[3] = 1.0
    result = []
    for part in case.parts:
        rows = [case.rigid_body(part, s) for s in range(len(case.times))]
        if any(row is not None for row in rows):
            result.append((part.name, np.array([still if row is None else row for row in rows], dtype=np.float64)))
    return result


def part_translations(case):
    """The translation (entries 0 to 2 of the rigid-body values) of every part that has
    rigid-body values, in mm per step: [(part name, array (steps, 3))]."""
    return [(name, table[:, :3] * 1000.0) for name, table in _rigid_body_tables(case)]


def turned_angle(euler):
    """The angle (degrees per step) a part has turned, as the host shows it, and the axis it
    is measured about, from its Euler parameters per step (array (steps, 4)). The axis is
    the direction of the largest rotation in the run, pointing so that its largest component
    is positive; the angle is continuous over the run (a full turn goes on to 360). None when
    the part never turns."""
    vector = euler[:, 1:4]
    sizes = np.linalg.norm(vector, axis=1)
    if sizes.max() < 1e-6:
        return None
    reference = vector[np.argmax(sizes)] / sizes.max()
    # e and -e are the same rotation: the half angle is continuous modulo 180 degrees.
    half = np.unwrap(np.arctan2(vector @ reference, euler[:, 0]), period=np.pi)
    # The host's matrix of e turns the points by minus the rotation of e about its axis.
    axis, angle = -reference, np.degrees(2.0 * half)
    if axis[np.argmax(np.abs(axis))] < 0.0:
        axis, angle = -axis, -angle
    return axis, angle


def part_rotations(case):
    """[(part name, axis (3,), angle in degrees per step)] of every part that turns."""
    result = []
    for name, table in _rigid_body_tables(case):
        turned = turned_angle(table[:, 3:7])
        if turned is not None and np.ptp(turned[1]) > 1e-6:
            result.append((name, turned[0], turned[1]))
    return result


def _axis_text(axis):
    named = {(1, 0, 0): "x", (0, 1, 0): "y", (0, 0, 1): "z"}
    rounded = tuple(np.round(axis, 3) + 0.0)
    return named.get(rounded, "(%s)" % ", ".join("%g" % v for v in rounded))


def _engine_figure(case, name):
    if case.crank_angles is not None:
        x, xlabel = np.asarray(case.crank_angles, dtype=np.float64), "crank angle (deg)"
    else:
        x, note = time_values(case.times)
        xlabel = "time (s)" if note is None else "step"
    constants = constants_by_name(case)
    curves = dict(_curves(constants))
    lifts = [label for label in ("intake valve lift", "exhaust valve lift") if label in curves]
    figure, rows = plt.subplots(2 if lifts else 1, 1, sharex=True, squeeze=False, figsize=(10, 7 if lifts else 5),
                                dpi=100, gridspec_kw={"hspace": 0.08})
    piston_axes, lift_axes = rows[0][0], rows[-1][0] if lifts else None
    marker = "o" if len(x) == 1 else None      # a run of one step is a point, not a line
    if "piston displacement" in curves:
        piston_axes.plot(x, curves["piston displacement"], color="C0", marker=marker, label="piston displacement")
    piston_axes.set_ylabel("piston displacement (mm)")
    piston_axes.set_title("%s: piston and valves over the run" % name, pad=16)
    for at, which in dead_centres(constants.get("Crank_Angle", []), x):
        for axes in (row[0] for row in rows):
            axes.axvline(at, color="0.4", linestyle="--" if which == "TDC" else ":", linewidth=1.0)
        piston_axes.annotate(which, (at, 1.0), xycoords=("data", "axes fraction"), xytext=(0, 3),
                             textcoords="offset points", ha="center", va="bottom", fontsize="small")
    for colour, label in zip(("C1", "C2"), lifts):
        valve = label.split()[0]
        lift_axes.plot(x, curves[label], color=colour, marker=marker, label=label)
        for at, event in valve_events(x, curves[label]):
            lift_axes.plot([at], [0.0], "^" if event == "opens" else "v", color=colour, markersize=7)
            text = "%s %s" % (valve, event) + (" %g°" % at if case.crank_angles is not None else "")
            lift_axes.annotate(text, (at, 0.0), xytext=(3, 9), textcoords="offset points", ha="left",
                               va="bottom", rotation=90, fontsize="x-small", color=colour)
    if lift_axes is not None:
        lift_axes.set_ylabel("valve lift (mm)")
        lift_axes.legend(loc="best", fontsize="small")
    rows[-1][0].set_xlabel(xlabel)
    what = "%s against %s" % (", ".join(label for label in curves) or "nothing", xlabel)
    if lifts:
        what += ", lifts on their own axis, with dead centres and valve openings and closings"
    return figure, what


def _seconds_figure(case, name):
    times, note = time_values(case.times)
    xlabel = "time (s)" if note is None else "step"
    moving = part_translations(case)
    turning = part_rotations(case)
    figure, rows = plt.subplots(2 if turning else 1, 1, sharex=True, squeeze=False, figsize=(10, 7 if turning else 5),
                                dpi=100, gridspec_kw={"hspace": 0.08})
    moves, turns = rows[0][0], rows[-1][0]
    colours = {part_name: "C%d" % (index % 10) for index, (part_name, _) in enumerate(moving)}
    turned = {part_name for part_name, _, _ in turning}
    styles = {0: "-", 1: "--", 2: ":"}
    translated = []
    for part_name, table in moving:
        varying = [k for k in range(3) if np.ptp(table[:, k]) > 0.0]
        if not varying and part_name not in turned:
            moves.plot([], [], color=colours[part_name], label="%s (does not move)" % part_name)
        for k in varying:
            moves.plot(times, table[:, k], styles[k], color=colours[part_name], label="%s %s" % (part_name, "xyz"[k]))
        if varying:
            translated.append(part_name)
    moves.set_ylabel("translation (mm)")
    moves.set_title("%s: motion of the moving parts" % name)
    for part_name, axis, angle in turning:
        turns.plot(times, angle, color=colours[part_name], label="%s about %s" % (part_name, _axis_text(axis)))
    if turning:
        turns.set_ylabel("angle turned (deg)")
    for axes in (row[0] for row in rows):
        if axes.get_legend_handles_labels()[0]:
            axes.legend(loc="best", fontsize="small")
    rows[-1][0].set_xlabel(xlabel)
    what = "translation of %s" % (", ".join(translated) or "no part")
    if turning:
        what += " and angle of %s" % ", ".join(part_name for part_name, _, _ in turning)
    return figure, what + " against %s" % xlabel


def draw_case(case):
    """The figure of the open case and a one-line description of what it shows."""
    name = os.path.basename(os.path.normpath(case.folder))
    figure, what = (_engine_figure if case.is_engine else _seconds_figure)(case, name)
    for row in figure.axes:
        row.grid(True, alpha=0.3)
    return figure, what


def plot_case(case, out_png):
    """Draws the plot of the open case into out_png. Returns a one-line description of what
    the plot shows."""
    figure, what = draw_case(case)
    try:
        figure.savefig(out_png, bbox_inches="tight")
    finally:
        plt.close(figure)
    return what
