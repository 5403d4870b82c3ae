"""The run of a case as one self-contained HTML page that any browser shows from a file://
address, offline: three.js (the copy beside this module, three.min.js), the page's script
(view_page.js) and the case's data are all inside the file.

The data holds each part's points and triangles once and per step only the rigid-body
values (as in scene.py), the liner's morph weight, the part's values and the engine
constants; arrays are little-endian float32 or uint32 in base64.
"""
import base64
import html
import json
import os

import numpy as np

from .scene import case_scene

HERE = os.path.dirname(os.path.abspath(__file__))
MILLIMETRES = ["Bore", "Stroke", "Con_rod_length", "Intake_lift", "Exhaust_lift", "Piston_motion"]


def _b64(array, dtype=np.float32):
    return base64.b64encode(np.ascontiguousarray(array, dtype=dtype).tobytes()).decode("ascii")


def _series(values):
    """Per-step values as base64, one row only when every step has the same."""
    values = np.asarray(values)
    return _b64(values[:1] if np.all(values == values[:1]) else values)


def _field(item, *names):
    """The first of names that item has, as a key or an attribute; None when it has none."""
    for name in names:
        value = item.get(name) if isinstance(item, dict) else getattr(item, name, None)
        if value is not None:
            return value
    return None


def clearances(case, steps):
    """The set-up check's clearance of each pair of parts over the chosen steps, where the
    package offers case.check(): {"pairs": [{"name", "values"}], "contact_steps": [index into
    steps]}, or None. A pair's distance per step is taken from "distance", "distances" or
    "clearance"; its contact ranges from "contact" ([first, last] steps), else where the
    distance is not positive."""
    check = getattr(case, "check", None)
    if check is None:
        return None
    try:
        result = check()
        pairs, contact = [], set()
        index = {step: i for i, step in enumerate(steps)}
        for pair in _field(result, "clearances", "pairs") or []:
            distance = np.asarray(_field(pair, "distance", "distances", "clearance"), dtype=np.float64)[steps]
            names = _field(pair, "parts", "names") or ()
            pairs.append({"name": " / ".join(str(n) for n in names), "values": [float(v) for v in distance]})
            ranges = _field(pair, "contact")
            if ranges is None:
                contact.update(int(i) for i in np.flatnonzero(distance <= 0.0))
            for first, last in ranges or []:
                contact.update(index[s] for s in range(int(first), int(last) + 1) if s in index)
        return {"pairs": pairs, "contact_steps": sorted(contact)}
    except Exception:   # results in a form this page does not know: the page goes without them
        return None


def page_data(case, steps, with_clearance=False):
    """The data block of the page (a dict ready for JSON)."""
    scene = case_scene(case, steps)
    parts = []
    for part in scene.parts:
        entry = {"name": part.name, "kind": part.kind, "colour": part.colour, "points": _b64(part.points),
                 "triangles": _b64(part.triangles, np.uint32), "triangle_count": int(len(part.triangles)),
                 "values": {name: _b64(v) for name, v in part.values.items() if name}}
        if part.motion is not None:
            entry["motion"] = {key: _series(value) for key, value in part.motion.items()}
        if part.morph is not None:
            entry["morph"] = {"target": _b64(part.morph[0]), "weights": _b64(part.morph[1])}
        parts.append(entry)
    from .notes import case_notes, note_text
    return {"name": scene.name, "engine": case.is_engine, "notes": [note_text(line, count) for line, count in case_notes(case)],
            "steps": [int(s) for s in scene.steps], "times": [float(t) for t in scene.times],
            "time_label": scene.time_label, "millimetres": MILLIMETRES,
            "constants": {name: [float(v) for v in values] for name, values in scene.constants.items()},
            "variables": [name for name in case.variables if name and name not in scene.constants],
            "parts": parts, "clearances": clearances(case, scene.steps) if with_clearance else None}


PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>%(title)s</title>
<style>
html, body { margin: 0; height: 100%%; font: 13px sans-serif; color: #222; }
#view { position: absolute; left: 0; top: 0; width: 100%%; height: 100%%; display: block; }
.panel { position: absolute; background: rgba(255,255,255,0.88); padding: 8px 10px; border-radius: 6px;
         box-shadow: 0 1px 4px rgba(0,0,0,0.25); }
#side { left: 10px; top: 10px; max-height: 80%%; overflow: auto; }
#side label { display: block; white-space: nowrap; }
.swatch { display: inline-block; width: 12px; height: 12px; margin: 0 5px -2px 2px; border: 1px solid #555; }
#time { left: 10px; right: 10px; bottom: 10px; }
#step { width: 100%%; }
#colour-bar { right: 10px; top: 10px; text-align: center; }
#clearance { right: 10px; top: 90px; }
#message { position: absolute; top: 40%%; width: 100%%; text-align: center; font-size: 18px; }
h1 { font-size: 15px; margin: 0 0 6px; }
#notes div { color: #a00; max-width: 360px; white-space: normal; }
</style></head><body>
<canvas id="view"></canvas>
<div id="message"></div>
<div class="panel" id="side"><h1>%(title)s</h1><div id="notes"></div><div id="part-list"></div>
<p>colour by <select id="colour-by"><option value="">part colours</option></select></p>
<p><label><input type="checkbox" id="section-on"> section</label>
<select id="section-axis"><option selected>x</option><option>y</option><option>z</option></select>
<input type="range" id="section-at" min="0" max="1000" value="500"></p>
<p style="color:#666">drag: turn · right or shift drag: pan · wheel: zoom</p></div>
<div class="panel" id="colour-bar" hidden><div id="bar-name"></div><canvas id="bar-canvas" width="200" height="14"></canvas>
<div><span id="bar-low" style="float:left"></span><span id="bar-high" style="float:right"></span></div></div>
<div class="panel" id="clearance" hidden><b>clearance over the run</b><br>
<canvas id="clearance-chart" width="260" height="120"></canvas><div id="clearance-list"></div></div>
<div class="panel" id="time"><button id="play">&#9654; play</button> <span id="readout"></span>
<input type="range" id="step" min="0" value="0"><datalist id="contact-marks"></datalist></div>
<script>%(three)s</script>
<script type="application/json" id="vortimar-data">%(data)s</script>
<script>%(page)s</script>
</body></html>
"""


def page_html(data):
    """The page's text around a data block (page_data's dict)."""
    with open(os.path.join(HERE, "three.min.js")) as f:
        three = f.read()
    with open(os.path.join(HERE, "view_page.js")) as f:
        script = f.read()
    # "</" inside a script element would end it early.
    text = json.dumps(data, separators=(",", ":")).replace("</", "<\\/")
    return PAGE % {"title": html.escape(data["name"]), "three": three.replace("</script", "<\\/script"),
                   "data": text, "page": script}


def write_page(case, steps, path, with_clearance=False):
    """Writes the page of the open case over the chosen steps to path. Returns its size."""
    text = page_html(page_data(case, steps, with_clearance))
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)
    return len(text.encode("utf-8"))
