"""The set-up check: is the engine physically right before the run?

    python3 -m vortimar check CASE [--json] [--plot OUT.png] [--lift-threshold MM]

The check library (libvortimar_check, Linux) examines the case from the
answers the host receives: the surface at the first step, the clearance of
every pair of parts of which one moves at every step, the engine's bore,
travel, volume and valve events, and numbers no engine can have. Its findings
join the reader's. Exit status: 1 when an error was found, else 0; 2 when the
case cannot be opened or checked.
"""

import ctypes
import json
import math
import os
import sys

import numpy as np

from . import _library as L

CHECK_FILE = "libvortimar_check.so"
_check = None


def check_library():
    """The loaded check library, from beside the case library; VortimarError
    where there is none (it is not built for Windows)."""
    global _check
    if _check is not None:
        return _check
    L.library()
    tried = []
    for case_path in L.candidate_paths():
        path = os.path.join(os.path.dirname(case_path), CHECK_FILE)
        if not os.path.isfile(path):
            tried.append(path)
            continue
        lib = ctypes.CDLL(path)
        p, i, ip, dp = ctypes.c_void_p, ctypes.c_int, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_double)
        for name, restype, argtypes in (
            ("vk_run", i, [p, ctypes.c_double, ctypes.POINTER(p)]),
            ("vk_last_error", ctypes.c_char_p, []),
            ("vk_free", i, [p]),
            ("vk_json", ctypes.c_char_p, [p]),
            ("vk_step_count", i, [p, ip]),
            ("vk_pair_count", i, [p, ip]),
            ("vk_pair_distances", i, [p, i, dp, ip, i]),
            ("vk_volumes", i, [p, dp, i]),
            ("vk_clearance_open", i, [p, ctypes.POINTER(p)]),
            ("vk_point_clearance", i, [p, i, i, dp, i]),
            ("vk_clearance_free", i, [p]),
        ):
            function = getattr(lib, name)
            function.restype, function.argtypes = restype, argtypes
        _check = lib
        return lib
    raise L.VortimarError("libvortimar_check not found (it is built on Linux only); tried: " + "; ".join(tried))


def run_check(case, lift_threshold=0.0001):
    """The check of an open case (lift_threshold in metres). Returns the
    report's dictionary with numpy tables added: "distances" (pairs x steps,
    metres; where "exact" is False a lower bound; each pair's row also as its
    "distance") and "volumes" (per step, or None when the surface is not
    closed)."""
    lib = check_library()
    report = ctypes.c_void_p()
    code = lib.vk_run(case._handle, float(lift_threshold), ctypes.byref(report))
    if code != L.VC_OK:
        raise L.VortimarError("check failed: " + L.text(lib.vk_last_error()), code)
    try:
        result = json.loads(L.text(lib.vk_json(report)))
        steps, pairs = ctypes.c_int(), ctypes.c_int()
        lib.vk_step_count(report, ctypes.byref(steps))
        lib.vk_pair_count(report, ctypes.byref(pairs))
        n = steps.value
        distances = np.zeros((pairs.value, n))
        exact = np.zeros((pairs.value, n), dtype=np.int32)
        for k in range(pairs.value):
            lib.vk_pair_distances(report, k, distances[k].ctypes.data_as(ctypes.POINTER(ctypes.c_double)),
                                  exact[k].ctypes.data_as(ctypes.POINTER(ctypes.c_int)), n)
        volumes = np.zeros(n)
        got = lib.vk_volumes(report, volumes.ctypes.data_as(ctypes.POINTER(ctypes.c_double)), n)
        for pair, distance in zip(result["clearances"], distances):
            pair["distance"] = distance  # the same row, beside the pair
        result["distances"] = distances
        result["exact"] = exact.astype(bool)
        result["volumes"] = volumes if got == L.VC_OK else None
        return result
    finally:
        lib.vk_free(report)


class PointClearance:
    """The "Clearance" point array of the moving parts of an open case: each point's
    distance (metres) to the nearest part the check pairs it with, at a step. Raises
    VortimarError where the check library is missing. The last part's array is kept, so
    asking twice for the same part and step costs one query."""

    def __init__(self, case):
        self._lib = check_library()
        self._case = case
        self._handle = ctypes.c_void_p()
        code = self._lib.vk_clearance_open(case._handle, ctypes.byref(self._handle))
        if code != L.VC_OK:
            raise L.VortimarError("clearance: " + L.text(self._lib.vk_last_error()), code)
        self._last = (None, None)

    def __call__(self, part, step):
        """part's array at step (float64, one per point), or None for a part that does not
        move or is paired with none."""
        if self._last[0] == (part.number, step):
            return self._last[1]
        values = np.zeros(part.vertex_count)
        code = self._lib.vk_point_clearance(self._handle, part.number, int(step),
                                            values.ctypes.data_as(ctypes.POINTER(ctypes.c_double)), len(values))
        if code < 0:
            raise L.VortimarError("clearance of %s at step %d: %s" % (part.name, step, L.text(self._lib.vk_last_error())), code)
        self._last = ((part.number, step), None if code == L.VC_NO_VALUES else values)
        return self._last[1]

    def close(self):
        if self._handle:
            self._lib.vk_clearance_free(self._handle)
            self._handle = ctypes.c_void_p()

    def __del__(self):
        self.close()


def point_clearance(case, say):
    """A PointClearance of the case, or None after telling say, in one line, why there is
    none (no check library here, as on Windows)."""
    try:
        return PointClearance(case)
    except L.VortimarError as error:
        say("no Clearance array: %s" % error)
        return None


def check_findings(case, lift_threshold=0.0001):
    """The check's findings for the doctor; none where the check library is
    missing (the reader's own findings stand alone then)."""
    try:
        return run_check(case, lift_threshold)["findings"]
    except L.VortimarError:
        return []


def _mm(metres):
    return "-" if metres is None else "%.3f" % (metres * 1000.0)


def _when(result, step, crank, times):
    if step is None:
        return "-"
    return "%.1f deg" % crank[step] if crank is not None else "%.4g s" % times[step]


def report_text(result, crank, times):
    """One screen: clearances, engine, valve events, surface, findings."""
    from .doctor import report as findings_text
    lines = ["Clearances (smallest distance between the parts' triangles at the steps where they are apart)"]
    lines.append("  %-40s %14s %12s  %s" % ("parts", "distance mm", "at", "contact (steps)"))
    for c in result["clearances"]:
        contact = ", ".join("%d-%d" % tuple(r) for r in c["contact"]) or "none"
        # Parts in contact have no clearance: the distance column says so first.
        distance = ("CONTACT " if c["contact"] else "") + _mm(c["min_distance"])
        lines.append("  %-40s %14s %12s  %s" % (" / ".join(c["parts"])[:40], distance,
                                                 _when(result, c["step"], crank, times), contact))
    if not result["clearances"]:
        lines.append("  (no part moves)")
    e = result["engine"]
    if e:
        def num(v, fmt):
            return "-" if v is None else fmt % v
        lines += ["", "Engine",
                  "  bore     %s mm measured, %s mm in engine.in" % (_mm(e["bore_measured"]), _mm(e["bore"])),
                  "  travel   %s mm, stroke %s mm" % (_mm(e["travel"]), _mm(e["stroke"])),
                  "  volume   %s to %s cm3, compression ratio %s" % (
                      num(e["volume_min"] and e["volume_min"] * 1e6, "%.3f"),
                      num(e["volume_max"] and e["volume_max"] * 1e6, "%.3f"), num(e["compression_ratio"], "%.3f")),
                  "  swept    %s cm3, pi/4 bore^2 stroke %s cm3" % (
                      num(e["swept_volume"] and e["swept_volume"] * 1e6, "%.3f"),
                      num(e["swept_volume_from_constants"] * 1e6, "%.3f"))]
        lines.append("Valve events")
        for kind in ("intake", "exhaust"):
            v = e[kind]
            if v:
                lines.append("  %-8s opens %s, closes %s, largest lift %s mm at %s deg" % (
                    kind, num(v["opens"], "%.1f deg"), num(v["closes"], "%.1f deg"), _mm(v["max_lift"]),
                    num(v["max_at"], "%.1f")))
        lines.append("  overlap  %s" % num(e["overlap"], "%.1f deg"))
    lines += ["", "Surface (per part: degenerate, duplicate, non-manifold edges, open edges, loops, flipped)"]
    for p in result["surface"]["parts"]:
        lines.append("  %3d %-28s %5d %5d %5d %5d %5d %5d" % (p["number"], p["name"][:28], p["degenerate"],
                                                           p["duplicate"], p["non_manifold_edges"],
                                                           p["open_edges"], p["open_loops"], p["flipped"]))
    w = result["surface"]["whole"]
    lines.append("  whole surface, coincident vertices joined: %d open edges in %d loops" % (
        w["open_edges"], w["open_loops"]))
    lines += ["", "Findings", findings_text(result["findings"])]
    return "\n".join(lines)


LABELLED_PAIRS = 5


def _on_run(angle, x):
    """A cycle's crank angle moved by whole 720-degree cycles into the run's range, or
    None when no copy of it lies there."""
    for shifted in (angle, angle - 720.0, angle + 720.0):
        if x[0] <= shifted <= x[-1]:
            return shifted
    return None


def plot_check(result, crank, times, out_png):
    """Clearance of each pair and the volume against crank angle (or time). The closest
    pairs are drawn in colour and named, the others in grey; steps where two parts touch
    or pass through each other are shaded red; the valve events are marked."""
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    x = np.asarray(crank if crank is not None else times, dtype=np.float64)
    volume = result["volumes"]
    fig, axes = plt.subplots(2 if volume is not None else 1, 1, figsize=(12, 8 if volume is not None else 5),
                             sharex=True, squeeze=False)
    ax = axes[0][0]
    pairs = result["clearances"]

    def at_rest(k):
        """Whether the pair's smallest distance holds over a tenth of the run or more, as
        for a valve in its seat: such pairs are named after those that close in."""
        d = result["distances"][k]
        return np.count_nonzero(np.abs(d - d.min()) <= 1e-7) * 10 >= len(d)

    order = sorted(range(len(pairs)), key=lambda k: (pairs[k]["min_distance"] < 0, at_rest(k), pairs[k]["min_distance"]))
    named = set(order[:LABELLED_PAIRS])
    for k in reversed(order):           # the closest drawn last, on top
        c, d = pairs[k], result["distances"][k] * 1000.0
        if k in named:
            line, = ax.plot(x, d, linewidth=1.5, zorder=3, label="%s: %.3f mm%s" % (
                " / ".join(c["parts"]), c["min_distance"] * 1000.0, " (at rest)" if at_rest(k) else ""))
            ax.plot(x[result["exact"][k]], d[result["exact"][k]], "o", markersize=2.5, markerfacecolor="white",
                    color=line.get_color(), zorder=3)
        else:
            ax.plot(x, d, color="0.75", linewidth=0.8, zorder=2)
        for first, last in c["contact"]:
            ax.axvspan(x[first], x[last], color="red", alpha=0.2, zorder=1)
    if len(pairs) > len(named):
        ax.plot([], [], color="0.75", label="the %d other pairs" % (len(pairs) - len(named)))
    if any(c["contact"] for c in pairs):
        ax.axvspan(np.nan, np.nan, color="red", alpha=0.2, label="touching or passed through")
    ax.set_ylim(bottom=0)
    ax.set_ylabel("clearance (mm)")
    ax.set_title("Clearance of each pair (dots: steps measured; between them the line is a lower bound)",
                 fontsize="medium")
    if pairs:
        ax.legend(fontsize="small", loc="upper left", bbox_to_anchor=(1.01, 1.0), borderaxespad=0)
    if volume is not None:
        axes[1][0].plot(x, volume * 1e6, color="black")
        axes[1][0].set_ylabel("volume (cm3)")
    engine = result["engine"]
    if engine and crank is not None:
        for kind, colour in (("intake", "tab:blue"), ("exhaust", "tab:red")):
            events = engine[kind] or {}
            for key, style in (("opens", "--"), ("closes", "--"), ("max_at", ":")):
                at = None if events.get(key) is None else _on_run(events[key], x)
                if at is None:
                    continue
                for row in axes:
                    row[0].axvline(at, color=colour, linestyle=style, linewidth=0.9)
                ax.annotate("%s %s" % (kind, "largest lift" if key == "max_at" else key), (at, 1.0),
                            xycoords=("data", "axes fraction"), xytext=(2, -2), textcoords="offset points",
                            rotation=90, fontsize="x-small", va="top", color=colour)
    axes[-1][0].set_xlabel("crank angle (deg)" if crank is not None else "time (s)")
    axes[-1][0].set_xlim(x[0], x[-1])
    fig.tight_layout()
    fig.savefig(out_png, dpi=100)
    plt.close(fig)


def add_arguments(parser):
    parser.add_argument("case", help="the case folder, or its inputs.in")
    parser.add_argument("--json", action="store_true", help="print one JSON object")
    parser.add_argument("--plot", metavar="OUT.png", help="draw the clearances and the volume")
    parser.add_argument("--lift-threshold", type=float, default=0.1, metavar="MM",
                        help="a valve is open above this lift (default 0.1 mm)")


def run(arguments):
    """Runs the check on arguments.case; returns the exit status."""
    from .case import open_case
    try:
        with open_case(arguments.case, moving_liner=True) as case:
            result = run_check(case, arguments.lift_threshold / 1000.0)
            reader = case.findings()
            crank = case.crank_angles
            times = np.asarray(case.times)
    except L.VortimarError as error:
        print("vortimar check: %s" % error, file=sys.stderr)
        return 2
    result["findings"] = sorted(reader, key=lambda f: (f["file"], f["line"] or 0)) + result["findings"]
    if arguments.plot:
        plot_check(result, crank, times, arguments.plot)
    if arguments.json:
        shown = {k: result[k] for k in ("findings", "engine", "surface")}
        shown["clearances"] = [{k: v for k, v in c.items() if k != "distance"} for c in result["clearances"]]
        print(json.dumps(shown, indent=2))
    else:
        print(report_text(result, crank, times))
    return 1 if any(f["severity"] == "error" for f in result["findings"]) else 0
