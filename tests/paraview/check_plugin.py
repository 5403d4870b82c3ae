"""The reader plugin in ParaView itself (pvpython, nothing rendered). Exits non-zero on the
first failed check. Run: pvpython tests/paraview/check_plugin.py"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path[:0] = [os.path.join(ROOT, "paraview"), os.path.join(ROOT, "tests", "python")]
import vortimar_startup  # noqa: E402,F401  (loads the plugin)
import numpy as np  # noqa: E402
from paraview import servermanager  # noqa: E402
from paraview.simple import Delete, OpenDataFile, VortimarCaseReader  # noqa: E402
from vtkmodules.util.numpy_support import vtk_to_numpy  # noqa: E402

import vortimar  # noqa: E402
from conftest import surface_regions  # noqa: E402

EXAMPLES = os.path.join(ROOT, "examples")
ENGINE = os.path.join(EXAMPLES, "engine_case", "inputs.in")


def blocks_at(reader, time):
    reader.UpdatePipeline(time)
    data = servermanager.Fetch(reader)
    return {data.GetMetaData(i).Get(data.NAME()): data.GetBlock(i) for i in range(data.GetNumberOfBlocks())}, data


def xyz(block):
    return vtk_to_numpy(block.GetPoints().GetData())


def lifted_by(block, still, lift):
    """The block's points are the surface file's points `still`, all moved by one vector of
    length `lift` (a valve's lift)."""
    shift = xyz(block) - still
    return np.allclose(shift, shift[0], atol=1e-6) and np.isclose(np.linalg.norm(shift[0]), lift, atol=1e-6)


def check_engine_case():
    """Blocks, counts, times, arrays and a valve's lift."""
    reader = OpenDataFile(ENGINE)
    assert reader.GetXMLName() == "VortimarCaseReader"
    vertices, regions = surface_regions(os.path.join(EXAMPLES, "engine_case", "engine_surface.dat"))
    with vortimar.open_case(os.path.dirname(ENGINE)) as case:
        times = case.times.astype(float)
        assert np.array_equal(np.array(reader.TimestepValues), times)
        # Crank 0 (step 360).
        blocks, whole = blocks_at(reader, times[360])
        assert list(blocks) == ["piston", "liner", "cylinder head", "intake valve", "exhaust valve"]
        for number, name in enumerate(blocks, start=1):
            assert blocks[name].GetNumberOfCells() == len(regions[number])
            assert blocks[name].GetNumberOfPoints() == len(np.unique(regions[number]))
        assert whole.GetFieldData().GetArray("Crank_Angle").GetValue(0) == 0.0
        head = blocks["cylinder head"].GetPointData()
        assert sorted(head.GetArrayName(i) for i in range(head.GetNumberOfArrays())) == ["Pressure", "Temperature"]
        assert np.allclose(vtk_to_numpy(head.GetArray("Pressure")), 106325.0)     # file row at 0 deg
        assert np.allclose(vtk_to_numpy(head.GetArray("Temperature")), 420.0)

        # A time between two steps gives the step at or before it: crank 480 (step 1320),
        # intake lift 8 mm.
        blocks, _ = blocks_at(reader, (times[1320] + times[1321]) / 2)
        assert lifted_by(blocks["intake valve"], vertices[np.unique(regions[4])], 0.008)

    # Apply Motion off: coordinates as read; part selection; Moving Liner stretches the liner.
    reader.ApplyMotion = 0
    blocks, _ = blocks_at(reader, times[360])
    assert np.allclose(xyz(blocks["piston"])[:, 2], vertices[np.unique(regions[1]), 2].min())
    reader.ApplyMotion = 1
    reader.Parts = ["liner", "intake valve"]
    blocks, _ = blocks_at(reader, times[360])
    assert list(blocks) == ["liner", "intake valve"]
    liner_z = vertices[np.unique(regions[2]), 2]
    assert np.allclose(np.sort(xyz(blocks["liner"])[:, 2]), np.sort(liner_z))
    reader.MovingLiner = 1
    blocks, _ = blocks_at(reader, times[360])
    moved = np.sort(xyz(blocks["liner"])[:, 2])
    bottom = liner_z == liner_z.min()
    assert np.allclose(moved, np.sort(np.where(bottom, liner_z + 0.088, liner_z)), atol=1e-6)
    Delete(reader)


def check_seconds_case_and_two_readers():
    engine = VortimarCaseReader(FileName=ENGINE)
    walls = VortimarCaseReader(FileName=os.path.join(EXAMPLES, "moving_walls", "inputs.in"))
    assert len(walls.TimestepValues) == 51 and len(engine.TimestepValues) == 1441
    blocks, whole = blocks_at(walls, 0.12)
    cloud = blocks["heated_floor_Points"]
    assert cloud.GetNumberOfPoints() == 20 and cloud.GetNumberOfVerts() == 20
    assert cloud.GetPointData().GetArray("Temperature") is not None
    assert cloud.GetPointData().GetArray("Pressure") is None
    assert whole.GetFieldData().GetNumberOfArrays() == 0
    # The fan (blades 0.02 .. 0.1 m from the axis) has turned 720 deg/s x 0.12 s about z.
    with vortimar.open_case(os.path.join(EXAMPLES, "moving_walls")) as case:
        still = case.mesh(1, 0, moved=False).points
    a = np.radians(-720 * 0.12)     # the host turns a part by minus the written angle
    turned = still @ np.array([[np.cos(a), np.sin(a), 0], [-np.sin(a), np.cos(a), 0], [0, 0, 1]])
    assert np.allclose(xyz(blocks["fan"]), turned, atol=1e-5)
    # The engine reader is unaffected by the other case being open.
    engine_blocks, _ = blocks_at(engine, engine.TimestepValues[360])
    assert list(engine_blocks)[0] == "piston" and engine_blocks["piston"].GetNumberOfPoints() == 13
    Delete(walls)
    Delete(engine)


def check_export_opens(tmp):
    """ParaView opens the exported .pvd with the exported steps as its time steps."""
    from vortimar.export import export_case
    with vortimar.open_case(os.path.join(EXAMPLES, "moving_walls")) as case:
        export_case(case, tmp, [0, 10, 50], report=lambda line: None)
        expected = case.times[[0, 10, 50]].astype(float)
    run = OpenDataFile(os.path.join(tmp, "moving_walls.pvd"))
    assert np.allclose(run.TimestepValues, expected)
    blocks, _ = blocks_at(run, expected[1])
    assert sorted(blocks) == ["fan", "heated_floor", "heated_floor_Points", "sliding_wall", "tumbling_body"]
    Delete(run)


def check_times_without_speed(tmp):
    """Without engine.in the case's times are infinite: the time values are the crank angles,
    and asking for one gives that step."""
    folder = os.path.join(tmp, "no_speed")
    subprocess.run(["cp", "-r", os.path.join(EXAMPLES, "engine_case"), folder], check=True)
    os.remove(os.path.join(folder, "engine.in"))
    reader = VortimarCaseReader(FileName=os.path.join(folder, "inputs.in"))
    assert np.array_equal(reader.TimestepValues, np.arange(-180.0, 540.5, 0.5))
    blocks, _ = blocks_at(reader, 480.2)                # crank 480 (step 1320): intake lift 8 mm
    vertices, regions = surface_regions(os.path.join(folder, "engine_surface.dat"))
    assert lifted_by(blocks["intake valve"], vertices[np.unique(regions[4])], 0.008)
    Delete(reader)


def check_bad_cases(tmp):
    """Each bad case: no crash, one line naming the file on standard error."""
    script = ("import sys; sys.path.insert(0, %r); import vortimar_startup\n"
              "from paraview.simple import VortimarCaseReader\n"
              "r = VortimarCaseReader(FileName=sys.argv[1]); r.UpdatePipeline(0)\n"
              "print('blocks', r.GetDataInformation().DataInformation.GetNumberOfLeaves())\n"
              % os.path.join(ROOT, "paraview"))
    with open(os.path.join(tmp, "open_one.py"), "w") as f:
        f.write(script)
    src = os.path.join(EXAMPLES, "engine_case")
    cases = {"no_inputs": ("inputs.in", None), "no_surface": ("engine_surface.dat", None),
             "no_regions": ("boundary.in", "Deck\n# nothing\n0 regions\n"),
             "damaged_surface": ("engine_surface.dat", "0 68 88\n1 0 0 0\n2 x y\n")}
    for name, (file, text) in cases.items():
        folder = os.path.join(tmp, name)
        subprocess.run(["cp", "-r", src, folder], check=True)
        os.remove(os.path.join(folder, file))
        if text is not None:
            with open(os.path.join(folder, file), "w") as f:
                f.write(text)
        run = subprocess.run([sys.executable if "pvpython" in sys.executable else "pvpython",
                              os.path.join(tmp, "open_one.py"), os.path.join(folder, "inputs.in")],
                             capture_output=True, text=True, timeout=120)
        assert run.returncode == 0 and "blocks" in run.stdout, (name, run.stderr)
        said = [line for line in run.stderr.split("\n") if "Vortimar reader" in line]
        assert said and all(os.path.join(folder, file) in line for line in said), (name, said)
        if name == "no_inputs":  # word for word the commands' refusal
            assert said[0].rstrip().endswith("%s: no such file or folder; give a case folder or its inputs.in"
                                             % os.path.join(folder, file)), said


if __name__ == "__main__":
    import tempfile
    check_engine_case()
    check_seconds_case_and_two_readers()
    with tempfile.TemporaryDirectory() as tmp:
        check_export_opens(tmp)
        check_times_without_speed(tmp)
        check_bad_cases(tmp)
    print("plugin checks passed")
