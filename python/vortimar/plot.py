"""A picture of the motion over the run, drawn with matplotlib's non-interactive backend.

Engine case: piston displacement and the intake and exhaust valve lifts against crank angle
(against time when the case has no crank angles). Case in seconds: the rigid-body
translation of each moving part against time.
"""
import os

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (after the backend is chosen)

ENGINE_CURVES = [("Piston_motion", "piston displacement"), ("Intake_lift", "intake valve lift"),
                 ("Exhaust_lift", "exhaust valve lift")]


def engine_curves(case):
    """The engine curves the case has: [(label, values in mm per step)]."""
    curves = []
    present = set(case.constant_names)
    steps = range(len(case.times))
    for name, label in ENGINE_CURVES:
        if name in present:
            curves.append((label, np.array([case.constants(s)[name] for s in steps], dtype=np.float64) * 1000.0))
    return curves


def part_translations(case):
    """The translation (entries 0 to 2 of the rigid-body values) of every part that has
    rigid-body values, in mm per step: [(part name, array (steps, 3))]."""
    result = []
    for part in case.parts:
        rows = [case.rigid_body(part, s) for s in range(len(case.times))]
        if all(row is None for row in rows):
            continue
        table = np.array([row[:3] if row is not None else (0.0, 0.0, 0.0) for row in rows], dtype=np.float64)
        result.append((part.name, table * 1000.0))
    return result


def plot_case(case, out_png):
    """Draws the plot of the open case into out_png. Returns a one-line description of what
    the plot shows."""
    name = os.path.basename(os.path.normpath(case.folder))
    figure, axes = plt.subplots(figsize=(10, 5.5), dpi=100)
    times = np.asarray(case.times, dtype=np.float64)
    if case.is_engine:
        if case.crank_angles is not None:
            x, xlabel = np.asarray(case.crank_angles, dtype=np.float64), "crank angle (deg)"
        else:
            x, xlabel = times, "time (s)"
        curves = engine_curves(case)
        for label, values in curves:
            axes.plot(x, values, label=label)
        axes.set_ylabel("displacement, lift (mm)")
        axes.set_title("%s: piston and valves over the run" % name)
        what = "%s against %s" % (", ".join(label for label, _ in curves) or "nothing", xlabel)
    else:
        xlabel = "time (s)"
        moving = part_translations(case)
        styles = {0: "-", 1: "--", 2: ":"}
        drawn = []
        for index, (part_name, table) in enumerate(moving):
            colour = "C%d" % (index % 10)
            varying = [k for k in range(3) if np.ptp(table[:, k]) > 0.0]
            if not varying:
                axes.plot([], [], color=colour, label="%s (translation constant)" % part_name)
            for k in varying:
                axes.plot(times, table[:, k], styles[k], color=colour, label="%s %s" % (part_name, "xyz"[k]))
            drawn.append(part_name)
        axes.set_ylabel("translation (mm)")
        axes.set_title("%s: translation of the moving parts" % name)
        what = "translation of %s against time (s)" % (", ".join(drawn) or "no moving part")
    axes.set_xlabel(xlabel)
    axes.grid(True, alpha=0.3)
    if axes.get_legend_handles_labels()[0]:
        axes.legend(loc="best", fontsize="small")
    figure.tight_layout()
    figure.savefig(out_png)
    plt.close(figure)
    return what
