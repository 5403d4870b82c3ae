"""The run of a case as a scene for viewers outside the host: each part's triangles once,
and per step only what the host changes (the rigid-body values, the liner's stretch).

The host moves a part by x' = A(e)(x - c) + t with the rigid-body values (rigid_body.py).
A(e) is the matrix of the unit quaternion (e0, -e1, -e2, -e3) scaled by |e|^2, so a viewer
that composes translate(t) . rotate(q) . scale(s) . translate(-c) moves the part exactly as
the host does, with q = (x, y, z, w) = (-e1, -e2, -e3, e0) / |e| and s = |e|^2.

The liner, whose as-read points change over the run when its bottom ring follows the piston, is given as its points at the first step plus one morph target: the change at the
step where it is largest, with one weight per step. For the liner that change is along z
on the bottom ring only, so base + weight * target reproduces every step.
"""
import os
from collections import namedtuple

import numpy as np

from .vtk_parts import time_values

PALETTE = ["#c0504d", "#4f81bd", "#9bbb59", "#8064a2", "#4bacc6", "#f79646", "#2c4d75", "#772c2a",
           "#5f7530", "#4d3b62", "#276a7c", "#b65708", "#7f7f7f", "#d4a017"]

ScenePart = namedtuple("ScenePart", "number name kind role colour points triangles values motion morph")
ScenePart.__doc__ = """One part of a Scene.

points (n, 3) float32 as read at the first chosen step; triangles (m, 3) uint32 ((0, 3) for
point parts); values {variable: (steps, n) float32, n = 1 where one value covers the part}; motion None for a part the host does not
move, else a dict of per-step arrays: translation (steps, 3), rotation (steps, 4) quaternions
(x, y, z, w), scale (steps,), centre (steps, 3); morph None, or (target (n, 3) float32,
weights (steps,))."""

Scene = namedtuple("Scene", "name steps times seconds time_label constants parts")
Scene.__doc__ = """steps: the chosen 0-based steps; times: their time values (crank angle in
degrees, seconds, or step numbers: time_label says which); seconds: the same line in seconds
from 0, for players; constants {name: (steps,) float64} (engine cases)."""


def quaternion_of(e):
    """(quaternion (x, y, z, w) of unit length, scale) that together act as A(e)."""
    e = np.asarray(e, dtype=np.float64)
    norm = float(np.sqrt(np.dot(e, e)))
    if norm == 0.0:
        return np.array([0.0, 0.0, 0.0, 1.0]), 0.0
    return np.array([-e[1], -e[2], -e[3], e[0]]) / norm, norm * norm


def _seconds(steps, values, label):
    """The time line in seconds from the first chosen step: the case's times when usable;
    else the crank angles at one turn a second (the case's times are unusable when its speed
    is not), else 30 steps a second."""
    values = np.asarray(values, dtype=np.float64)[steps]
    if label == "time":
        return values - values[0]
    if label == "crank angle":
        return (values - values[0]) / 360.0
    return (values - values[0]) / 30.0


def _morph(case, part, steps, base):
    """The liner's stretch as (target, weights), or None when its as-read points never change
    (the liner is the only part whose as-read points the reader changes over the run)."""
    if part.role != "liner":
        return None
    changes = [case.points(part, s, moved=False) - base for s in steps]
    sizes = [float(np.abs(c).max()) if c.size else 0.0 for c in changes]
    if not sizes or max(sizes) == 0.0:
        return None
    target = changes[int(np.argmax(sizes))].astype(np.float64)
    norm = float(np.sum(target * target))
    weights = np.array([float(np.sum(c * target)) / norm for c in changes])
    return target.astype(np.float32), weights


def _motion(case, part, steps):
    rows = [case.rigid_body(part, s) for s in steps]
    if all(r is None for r in rows):
        return None
    identity = np.array([0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0], dtype=np.float32)
    rows = np.array([identity if r is None else r for r in rows], dtype=np.float64)
    turns = [quaternion_of(r[3:7]) for r in rows]
    rotation = np.array([q for q, _ in turns])
    # Neighbouring quaternions on the same side, so that interpolation takes the short way.
    for i in range(1, len(rotation)):
        if np.dot(rotation[i], rotation[i - 1]) < 0:
            rotation[i] = -rotation[i]
    return {"translation": rows[:, 0:3], "rotation": rotation,
            "scale": np.array([s for _, s in turns]), "centre": rows[:, 7:10]}


def case_scene(case, steps):
    """The Scene of the open case over the chosen steps (a non-empty list)."""
    steps = list(steps)
    values, note = time_values(case.times, case.crank_angles)
    label = "time" if note is None else ("crank angle" if "crank" in note else "step")
    if case.crank_angles is not None and label == "time" and case.is_engine:
        shown, shown_label = np.asarray(case.crank_angles, dtype=np.float64)[steps], "crank angle"
    else:
        shown, shown_label = np.asarray(values, dtype=np.float64)[steps], label
    constants = {}
    if case.is_engine:
        rows = [case.constants(s) for s in steps]
        constants = {name: np.array([r[name] for r in rows]) for name in case.constant_names if name}
    parts = []
    for index, part in enumerate(case.parts):
        mesh = case.mesh(part, steps[0], moved=False)
        base = np.asarray(mesh.points, dtype=np.float32)
        per_step = {}
        for s in steps:
            for name, v in case.values(part, s).items():
                # A surface part's value is one for all its points: kept once per step.
                one = part.kind == "surface" or (v.strides and v.strides[0] == 0)
                per_step.setdefault(name, []).append(np.asarray(v[:1] if one else v, dtype=np.float32))
        parts.append(ScenePart(part.number, part.name, part.kind, part.role, PALETTE[index % len(PALETTE)], base,
                               np.asarray(mesh.triangles, dtype=np.uint32).reshape(-1, 3),
                               {k: np.array(v) for k, v in per_step.items() if len(v) == len(steps)},
                               _motion(case, part, steps), _morph(case, part, steps, base)))
    return Scene(case_name(case), steps, shown, _seconds(steps, values, label), shown_label, constants, parts)


def case_name(case):
    return os.path.basename(os.path.normpath(case.folder)) or "case"
