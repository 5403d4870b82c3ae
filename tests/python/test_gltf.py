"""The animated .glb: read back plainly (its chunks, accessors and node transforms worked out
here with numpy), it moves every part where the package puts it; the Khronos validator finds
no error."""
import json
import os
import struct
import subprocess

import numpy as np
import vortimar

from fixtures import EXAMPLES, ROOT, vortimar as run_vortimar

WEB = os.path.join(ROOT, "web")


def read_glb(path):
    data = open(path, "rb").read()
    magic, version, length = struct.unpack_from("<III", data)
    assert (magic, version, length) == (0x46546C67, 2, len(data))
    size = struct.unpack_from("<I", data, 12)[0]
    document = json.loads(data[20:20 + size])
    binary = data[28 + size:]

    def accessor(i):
        a = document["accessors"][i]
        view = document["bufferViews"][a["bufferView"]]
        width = {"SCALAR": 1, "VEC3": 3, "VEC4": 4}[a["type"]]
        kind = np.uint32 if a["componentType"] == 5125 else np.float32
        return np.frombuffer(binary, kind, a["count"] * width, view["byteOffset"]).reshape(a["count"], width)
    return document, accessor


def quaternion_matrix(x, y, z, w):
    return np.array([[1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
                     [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
                     [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)]])


def world_points(document, accessor, name, k):
    """The points of the part's mesh at key frame k: the node's own transform, animated
    values taking the place of the static ones, applied child first."""
    nodes = document["nodes"]
    animation = document["animations"][0]
    animated = {(c["target"]["node"], c["target"]["path"]): accessor(animation["samplers"][c["sampler"]]["output"])[k]
                for c in animation["channels"]}
    index = next(i for i, n in enumerate(nodes) if n.get("mesh") is not None and n["name"].split(" (")[0] == name)
    primitive = document["meshes"][nodes[index]["mesh"]]["primitives"][0]
    x = accessor(primitive["attributes"]["POSITION"]).astype(np.float64)
    if "targets" in primitive:
        x = x + animated.get((index, "weights"), [0.0])[0] * accessor(primitive["targets"][0]["POSITION"])
    while index is not None:
        node = nodes[index]
        get = lambda path, default: np.asarray(animated.get((index, path), node.get(path, default)), dtype=np.float64)
        x = (x * get("scale", [1, 1, 1])) @ quaternion_matrix(*get("rotation", [0, 0, 0, 1])).T + get("translation", [0, 0, 0])
        index = next((i for i, n in enumerate(nodes) if index in n.get("children", [])), None)
    return x


def test_glb_moves_parts_as_the_host(tmp_path):
    cases = [("four_valve_engine", ["--moving-liner"], [0, 700, 1000, 1440]), ("moving_walls", [], [0, 7, 31, 50])]
    files = []
    for name, options, steps in cases:
        run = run_vortimar("export", os.path.join(EXAMPLES, name), str(tmp_path), "--gltf", *options)
        assert run.returncode == 0, run.stderr
        files.append(str(tmp_path / (name + ".glb")))
        document, accessor = read_glb(files[-1])
        with vortimar.open_case(os.path.join(EXAMPLES, name), moving_liner=bool(options)) as case:
            times = accessor(document["animations"][0]["samplers"][0]["input"]).ravel()
            assert times[0] == 0 and len(times) == case.step_count and np.all(np.diff(times) > 0)
            # The engine's run: 720 degrees at 2000 rpm, 0.06 s; the walls' run 0.5 s.
            assert np.isclose(times[-1], 0.06 if options else 0.5, rtol=1e-5)
            for part in case.parts:
                for step in steps:
                    assert np.allclose(world_points(document, accessor, part.name, step), case.points(part, step),
                                       atol=2e-6), (name, part.name, step)
    check = subprocess.run(["node", os.path.join(WEB, "validate_gltf.js")] + files, capture_output=True, text=True)
    assert check.returncode == 0 and check.stdout.count(": 0 errors") == 2, check.stdout + check.stderr
