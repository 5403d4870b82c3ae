"""The run of a case as one binary glTF 2.0 file (.glb), written with numpy and struct.

A node per part carries the part's mesh. A part the host moves hangs from a parent node
named after it: the parent is animated with the step's translation t, rotation and scale,
the mesh node with the translation -c of the centre offset, so that a viewer composes
t + R s (x - c) as the host does (scene.py). The liner's stretch is a morph target whose
weight follows the piston. The animation's time line is the run in seconds from the first
chosen step; between steps viewers interpolate linearly.
"""
import json
import os
import struct

import numpy as np

FLOAT, UINT32 = 5126, 5125
ARRAY_BUFFER, ELEMENT_ARRAY_BUFFER = 34962, 34963


class _Buffer:
    """The BIN chunk and the accessors over it."""

    def __init__(self):
        self.data = bytearray()
        self.views, self.accessors = [], []

    def add(self, array, kind, target=None, bounds=False):
        """Appends array (float32 or uint32) as one buffer view and accessor of type kind
        ("SCALAR", "VEC3", "VEC4"). Returns the accessor's index."""
        array = np.ascontiguousarray(array)
        offset = len(self.data)
        self.data += array.tobytes()
        self.data += b"\0" * (-len(self.data) % 4)
        view = {"buffer": 0, "byteOffset": offset, "byteLength": array.nbytes}
        if target:
            view["target"] = target
        self.views.append(view)
        width = {"SCALAR": 1, "VEC3": 3, "VEC4": 4}[kind]
        accessor = {"bufferView": len(self.views) - 1, "componentType": UINT32 if array.dtype == np.uint32 else FLOAT,
                    "count": array.size // width, "type": kind}
        if bounds:
            flat = array.reshape(-1, width)
            accessor["min"] = [float(v) for v in flat.min(axis=0)]
            accessor["max"] = [float(v) for v in flat.max(axis=0)]
        self.accessors.append(accessor)
        return len(self.accessors) - 1


def _colour(text):
    return [int(text[i:i + 2], 16) / 255.0 for i in (1, 3, 5)] + [1.0]


def _constant(series, tolerance=0.0):
    return bool(np.all(np.abs(series - series[0]) <= tolerance))


def gltf_document(scene):
    """(JSON dict, BIN bytes) of the scene."""
    buf = _Buffer()
    nodes, roots, meshes, materials, channels, samplers = [], [], [], [], [], []
    times = None
    if len(scene.steps) > 1:
        times = buf.add(np.asarray(scene.seconds, dtype=np.float32), "SCALAR", bounds=True)

    def animate(node, path, values, kind):
        samplers.append({"input": times, "output": buf.add(np.asarray(values, dtype=np.float32), kind),
                         "interpolation": "LINEAR"})
        channels.append({"sampler": len(samplers) - 1, "target": {"node": node, "path": path}})

    for part in scene.parts:
        if len(part.points) == 0:
            continue
        materials.append({"name": part.name, "doubleSided": True,
                          "pbrMetallicRoughness": {"baseColorFactor": _colour(part.colour), "metallicFactor": 0.0,
                                                   "roughnessFactor": 0.6}})
        primitive = {"attributes": {"POSITION": buf.add(part.points.astype(np.float32), "VEC3", ARRAY_BUFFER, True)},
                     "material": len(materials) - 1}
        if part.kind == "points":
            primitive["mode"] = 0
        else:
            primitive["indices"] = buf.add(part.triangles.astype(np.uint32).ravel(), "SCALAR", ELEMENT_ARRAY_BUFFER)
        mesh = {"name": part.name, "primitives": [primitive]}
        if part.morph is not None:
            primitive["targets"] = [{"POSITION": buf.add(part.morph[0], "VEC3", ARRAY_BUFFER, True)}]
            mesh["weights"] = [float(part.morph[1][0])]
        meshes.append(mesh)
        node = {"name": part.name, "mesh": len(meshes) - 1}
        nodes.append(node)
        mesh_node = len(nodes) - 1
        if part.morph is not None and times is not None:
            animate(mesh_node, "weights", part.morph[1], "SCALAR")
        if part.motion is None:
            roots.append(mesh_node)
            continue
        m = part.motion
        node["name"] = part.name + " (about its centre)"
        node["translation"] = [float(-v) for v in m["centre"][0]]
        parent = {"name": part.name, "children": [mesh_node], "translation": [float(v) for v in m["translation"][0]],
                  "rotation": [float(v) for v in m["rotation"][0]], "scale": [float(m["scale"][0])] * 3}
        nodes.append(parent)
        roots.append(len(nodes) - 1)
        if times is None:
            continue
        if not _constant(m["centre"]):
            animate(mesh_node, "translation", -m["centre"], "VEC3")
        if not _constant(m["translation"]):
            animate(len(nodes) - 1, "translation", m["translation"], "VEC3")
        if not _constant(m["rotation"]):
            animate(len(nodes) - 1, "rotation", m["rotation"], "VEC4")
        if not _constant(m["scale"]):
            animate(len(nodes) - 1, "scale", np.repeat(m["scale"][:, None], 3, axis=1), "VEC3")

    document = {"asset": {"version": "2.0", "generator": "vortimar"},
                "scene": 0, "scenes": [{"name": scene.name, "nodes": roots}], "nodes": nodes, "meshes": meshes,
                "materials": materials, "accessors": buf.accessors, "bufferViews": buf.views,
                "buffers": [{"byteLength": len(buf.data)}]}
    if channels:
        document["animations"] = [{"name": "run", "channels": channels, "samplers": samplers}]
    if not meshes:
        for key in ("meshes", "materials", "accessors", "bufferViews", "buffers", "nodes"):
            document.pop(key)
        document["scenes"][0].pop("nodes")
    return document, bytes(buf.data)


def glb_bytes(document, binary):
    """The binary container: a 12-byte header, the JSON chunk (padded with spaces) and the
    BIN chunk (padded with zeros)."""
    text = json.dumps(document, separators=(",", ":")).encode()
    text += b" " * (-len(text) % 4)
    binary += b"\0" * (-len(binary) % 4)
    chunks = struct.pack("<II", len(text), 0x4E4F534A) + text
    if binary:
        chunks += struct.pack("<II", len(binary), 0x004E4942) + binary
    return struct.pack("<III", 0x46546C67, 2, 12 + len(chunks)) + chunks


def write_glb(scene, path):
    """Writes the scene as a .glb file at path. Returns its size in bytes."""
    data = glb_bytes(*gltf_document(scene))
    with open(path, "wb") as out:
        out.write(data)
    return len(data)


def export_glb(case, out, steps, report=print):
    """Writes NAME.glb of the open case over the chosen steps into the folder out (made if
    missing; output_folder_check must have passed). Raises ExportFailed on a case without
    parts. Returns the path written."""
    from .export import ExportFailed
    from .scene import case_scene
    if not case.parts:
        raise ExportFailed("the case has no parts: nothing was exported")
    scene = case_scene(case, steps)
    os.makedirs(out, exist_ok=True)
    path = os.path.join(out, scene.name + ".glb")
    size = write_glb(scene, path)
    report("wrote %s (%d parts, %d steps, %.3g s of animation, %d bytes): open it in any glTF viewer"
           % (path, len(scene.parts), len(scene.steps), scene.seconds[-1], size))
    return path
