"""The reader plugin in ParaView itself (pvpython, nothing rendered). Exits non-zero on the
first failed check. Run: pvpython tests/paraview/check_plugin.py"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path[:0] = [os.path.join(ROOT, "paraview"), os.path.join(ROOT, "tests", "python")]
import vortimar_startup  # noqa: E402,F401  (loads the plugin, before paraview.simple)
import numpy as np  # noqa: E402
from paraview import servermanager  # noqa: E402
from paraview.simple import Delete, OpenDataFile, VortimarCaseReader  # noqa: E402
from vtkmodules.util.numpy_support import vtk_to_numpy  # noqa: E402

import vortimar  # noqa: E402
from fixtures import ENGINE, WALLS, region_points, surface_regions  # noqa: E402


def blocks_at(reader, time):
    reader.UpdatePipeline(time)
    data = servermanager.Fetch(reader)
    return {data.GetMetaData(i).Get(data.NAME()): data.GetBlock(i) for i in range(data.GetNumberOfBlocks())}, data


def xyz(block):
    return vtk_to_numpy(block.GetPoints().GetData())


def assert_intake_lift_8mm(reader, time, folder):
    """At crank 480 (step 1320) the intake valve is the surface file's, lifted 8 mm."""
    blocks, _ = blocks_at(reader, time)
    shift = xyz(blocks["intake valve"]) - region_points(os.path.join(folder, "engine_surface.dat"), 4)[1]
    assert np.allclose(shift, shift[0], atol=1e-6) and np.isclose(np.linalg.norm(shift[0]), 0.008, atol=1e-6)


def check_engine_case():
    """Blocks, counts, times, arrays, a valve's lift and the reader's options."""
    reader = OpenDataFile(os.path.join(ENGINE, "inputs.in"))
    assert reader.GetXMLName() == "VortimarCaseReader"
    vertices, regions = surface_regions(os.path.join(ENGINE, "engine_surface.dat"))
    with vortimar.open_case(ENGINE) as case:
        times = case.times.astype(float)
    assert np.array_equal(np.array(reader.TimestepValues), times)
    blocks, whole = blocks_at(reader, times[360])  # crank 0
    assert list(blocks) == ["piston", "liner", "cylinder head", "intake valve", "exhaust valve"]
    for number, name in enumerate(blocks, start=1):
        assert blocks[name].GetNumberOfCells() == len(regions[number])
        assert blocks[name].GetNumberOfPoints() == len(np.unique(regions[number]))
    assert whole.GetFieldData().GetArray("Crank_Angle").GetValue(0) == 0.0
    head = blocks["cylinder head"].GetPointData()
    assert sorted(head.GetArrayName(i) for i in range(head.GetNumberOfArrays())) == ["Pressure", "Temperature"]
    assert np.allclose(vtk_to_numpy(head.GetArray("Pressure")), 106325.0)     # file row at 0 deg
    assert np.allclose(vtk_to_numpy(head.GetArray("Temperature")), 420.0)
    assert_intake_lift_8mm(reader, (times[1320] + times[1321]) / 2, ENGINE)  # between steps: the one before

    # Apply Motion off: coordinates as read; part selection; Moving Liner stretches the liner.
    reader.ApplyMotion = 0
    blocks, _ = blocks_at(reader, times[360])
    assert np.allclose(xyz(blocks["piston"])[:, 2], vertices[np.unique(regions[1]), 2].min())
    reader.ApplyMotion = 1
    reader.Parts = ["liner", "intake valve"]
    blocks, _ = blocks_at(reader, times[360])
    liner_z = vertices[np.unique(regions[2]), 2]
    assert list(blocks) == ["liner", "intake valve"] and np.allclose(np.sort(xyz(blocks["liner"])[:, 2]), np.sort(liner_z))
    reader.MovingLiner = 1
    blocks, _ = blocks_at(reader, times[360])
    bottom = liner_z == liner_z.min()
    assert np.allclose(np.sort(xyz(blocks["liner"])[:, 2]), np.sort(np.where(bottom, liner_z + 0.088, liner_z)), atol=1e-6)
    Delete(reader)


def check_seconds_case_and_two_readers():
    engine = VortimarCaseReader(FileName=os.path.join(ENGINE, "inputs.in"))
    walls = VortimarCaseReader(FileName=os.path.join(WALLS, "inputs.in"))
    assert len(walls.TimestepValues) == 51 and len(engine.TimestepValues) == 1441
    blocks, _ = blocks_at(walls, 0.12)  # (the point part's arrays: the export's test, on the same code)
    # The fan (blades 0.02 .. 0.1 m from the axis) has turned 720 deg/s x 0.12 s about z.
    with vortimar.open_case(WALLS) as case:
        still = case.mesh(1, 0, moved=False).points
    a = np.radians(-720 * 0.12)     # the host turns a part by minus the written angle
    turned = still @ np.array([[np.cos(a), np.sin(a), 0], [-np.sin(a), np.cos(a), 0], [0, 0, 1]])
    assert np.allclose(xyz(blocks["fan"]), turned, atol=1e-5)
    # The engine reader is unaffected by the other case being open.
    engine_blocks, _ = blocks_at(engine, engine.TimestepValues[360])
    assert list(engine_blocks)[0] == "piston" and engine_blocks["piston"].GetNumberOfPoints() == 13
    Delete(walls)
    Delete(engine)


def check_times_without_speed(tmp):
    """Without engine.in the case's times are infinite: the time values are the crank angles,
    and asking for one gives that step."""
    folder = shutil.copytree(ENGINE, os.path.join(tmp, "no_speed"))
    os.remove(os.path.join(folder, "engine.in"))
    reader = VortimarCaseReader(FileName=os.path.join(folder, "inputs.in"))
    assert np.array_equal(reader.TimestepValues, np.arange(-180.0, 540.5, 0.5))
    assert_intake_lift_8mm(reader, 480.2, folder)
    Delete(reader)


def check_bad_cases(tmp):
    """Bad cases, opened one after the other in one pvpython: no crash, and what the reader says
    is one line naming the file at fault (for a missing inputs.in, the commands' refusal)."""
    bad = {"no_inputs": ("inputs.in", None), "no_surface": ("engine_surface.dat", None),
           "no_regions": ("boundary.in", "Deck\n# nothing\n0 regions\n"),
           "damaged_surface": ("engine_surface.dat", "0 68 88\n1 0 0 0\n2 x y\n")}
    faulty = {}
    for name, (file, text) in bad.items():
        faulty[name] = os.path.join(shutil.copytree(ENGINE, os.path.join(tmp, name)), file)
        os.remove(faulty[name])
        if text is not None:
            with open(faulty[name], "w") as f:
                f.write(text)
    script = ("import sys; sys.path.insert(0, %r); import vortimar_startup\n"
              "from paraview.simple import VortimarCaseReader\n"
              "for case in sys.argv[1:]:\n"
              "    r = VortimarCaseReader(FileName=case); r.UpdatePipeline(0)\n"
              "    print('blocks', r.GetDataInformation().DataInformation.GetNumberOfLeaves())\n"
              % os.path.join(ROOT, "paraview"))
    run = subprocess.run([sys.executable if "pvpython" in sys.executable else "pvpython", "-c", script]
                         + [os.path.join(tmp, name, "inputs.in") for name in bad], capture_output=True, text=True,
                         timeout=300)
    assert run.returncode == 0 and run.stdout.count("blocks") == len(bad), run.stderr
    said = [line for line in run.stderr.split("\n") if "Vortimar reader" in line]
    assert all(any(path in line for path in faulty.values()) for line in said), said
    assert all(any(path in line for line in said) for path in faulty.values()), said
    assert any(line.rstrip().endswith("%s: no such file or folder; give a case folder or its inputs.in"
                                      % faulty["no_inputs"]) for line in said), said


def check_clearance():
    """Off by default; on, a valve corner's clearance at crank 0 is its height over the
    piston: 0.1 m less its 4 mm lift, less the piston's travel at top dead centre (stroke 88 mm)."""
    reader = OpenDataFile(os.path.join(ROOT, "tests", "check", "disc_over_piston", "inputs.in"))
    at_top = reader.TimestepValues[180]
    blocks, _ = blocks_at(reader, at_top)
    assert blocks["intake valve"].GetPointData().GetArray("Clearance") is None
    reader.Clearance = 1
    blocks, _ = blocks_at(reader, at_top)
    assert np.allclose(vtk_to_numpy(blocks["intake valve"].GetPointData().GetArray("Clearance")), 0.008, atol=1e-6)
    Delete(reader)


if __name__ == "__main__":
    check_clearance()
    check_engine_case()
    check_seconds_case_and_two_readers()
    with tempfile.TemporaryDirectory() as tmp:
        check_times_without_speed(tmp)
        check_bad_cases(tmp)
    print("plugin checks passed")
