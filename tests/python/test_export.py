"""The export, read back with VTK's own readers."""
import csv
import os
import subprocess
import sys

import numpy as np
from paraview.modules.vtkPVVTKExtensionsIOCore import vtkPVDReader
from vtkmodules.util.numpy_support import vtk_to_numpy
from vtkmodules.vtkCommonExecutionModel import vtkStreamingDemandDrivenPipeline
from vtkmodules.vtkIOXML import vtkXMLMultiBlockDataReader

from conftest import EXAMPLES, ROOT, slider_crank, surface_regions

ENGINE = os.path.join(EXAMPLES, "engine_case")
WALLS = os.path.join(EXAMPLES, "moving_walls")


def vortimar(*args):
    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "python"))
    return subprocess.run([sys.executable, "-m", "vortimar"] + list(args), capture_output=True, text=True, env=env)


def read_blocks(path):
    """{block name: vtkPolyData} of a .vtm file."""
    reader = vtkXMLMultiBlockDataReader()
    reader.SetFileName(str(path))
    reader.Update()
    data = reader.GetOutput()
    return {data.GetMetaData(i).Get(data.NAME()): data.GetBlock(i) for i in range(data.GetNumberOfBlocks())}


def points(block):
    return vtk_to_numpy(block.GetPoints().GetData())


def test_engine_export_reads_back(tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    (out / "notes.txt").write_text("kept")
    run = vortimar("export", ENGINE, str(out), "--steps", "1320,0,360")
    assert run.returncode == 0, run.stderr
    assert "engine_case.pvd" in run.stdout and "engine_case_constants.csv" in run.stdout
    assert (out / "notes.txt").read_text() == "kept"

    vertices, regions = surface_regions(os.path.join(ENGINE, "engine_surface.dat"))
    at_tdc = read_blocks(out / "engine_case_0360.vtm")
    assert list(at_tdc) == ["piston", "liner", "cylinder head", "intake valve", "exhaust valve"]
    # Crank 0 is top dead centre: the piston is one stroke above where the file draws it.
    piston_z = vertices[np.unique(regions[1]), 2]
    assert np.allclose(np.sort(points(at_tdc["piston"])[:, 2]), np.sort(piston_z) + 0.088, atol=1e-6)

    # Crank 480: intake lift 8 mm along (0, 0, -1); the piston by the slider crank.
    late = read_blocks(out / "engine_case_1320.vtm")
    valve_z = vertices[np.unique(regions[4]), 2]
    assert np.allclose(np.sort(points(late["intake valve"])[:, 2]), np.sort(valve_z) - 0.008, atol=1e-6)
    assert np.allclose(points(late["piston"])[:, 2], piston_z.min() + slider_crank(0.088, 0.14, 480.0), atol=1e-6)

    with open(out / "engine_case_constants.csv") as f:
        rows = list(csv.DictReader(f))
    assert [r["step"] for r in rows] == ["0", "360", "1320"]
    assert [float(r["crank_angle"]) for r in rows] == [-180.0, 0.0, 480.0]
    assert np.float32(rows[1]["time"]) == np.float32(0.02)      # half a turn at 1500 rpm
    assert np.float32(rows[2]["Intake_lift"]) == np.float32(0.008)
    assert np.float32(rows[1]["Stroke"]) == np.float32(0.088)


def test_seconds_export_with_point_part(tmp_path):
    out = tmp_path / "walls"
    run = vortimar("export", os.path.join(WALLS, "inputs.in"), str(out), "--every", "12")
    assert run.returncode == 0, run.stderr
    assert sorted(p.name for p in out.glob("*.vtm")) == ["moving_walls_%04d.vtm" % s for s in (0, 12, 24, 36, 48)]
    blocks = read_blocks(out / "moving_walls_0012.vtm")
    cloud = blocks["heated_floor_Points"]
    assert cloud.GetNumberOfPoints() == 20 and cloud.GetNumberOfVerts() == 20 and cloud.GetNumberOfPolys() == 0
    # Temperature at the points: 300 + 200 t + 20 x, with t = 0.12 s.
    x = points(cloud)[:, 0]
    assert np.allclose(vtk_to_numpy(cloud.GetPointData().GetArray("Temperature")), 300 + 200 * 0.12 + 20 * x, atol=0.01)
    # The sliding wall (drawn at x = 0.3) moves by 5 cm x sin(2 pi t / 0.5).
    assert np.allclose(points(blocks["sliding_wall"])[:, 0], 0.3 + 0.05 * np.sin(2 * np.pi * 0.12 / 0.5), atol=1e-5)
    with open(out / "moving_walls_constants.csv") as f:
        assert f.readline().strip() == "step,time,crank_angle"


def test_export_refusals(tmp_path, case_copy):
    folder = case_copy("engine_case")
    inside = os.path.join(folder, "out")
    run = vortimar("export", folder, inside)
    assert run.returncode == 2 and "inside the case folder" in run.stderr
    assert not os.path.exists(inside)
    run = vortimar("export", folder, str(tmp_path / "x"), "--steps", "0,1441")
    assert run.returncode == 2 and "1441" in run.stderr
    os.remove(os.path.join(folder, "inputs.in"))
    run = vortimar("export", folder, str(tmp_path / "y"))
    assert run.returncode == 2 and "inputs.in" in run.stderr and len(run.stderr.strip().split("\n")) == 1


def test_failed_writes_and_empty_cases_end_in_one_line(tmp_path, case_copy):
    # A file where VTK's writer wants the folder of step 1's parts: step 0 is written, step 1 not.
    out = tmp_path / "blocked"
    out.mkdir()
    (out / "engine_case_0001").write_text("")
    run = vortimar("export", ENGINE, str(out), "--steps", "0,1,2")
    assert run.returncode == 1 and run.stdout == ""
    assert run.stderr.count("\n") == 1 and str(out / "engine_case_0001.vtm") in run.stderr
    assert sorted(p.name for p in out.glob("*.*")) == ["engine_case_0000.vtm"]     # no .pvd, no .csv

    empty = case_copy("moving_walls")
    with open(os.path.join(empty, "boundary.in"), "w") as f:
        f.write("No regions\n# none\n0 regions\n")
    run = vortimar("export", empty, str(tmp_path / "empty"))
    assert run.returncode == 1 and "no parts" in run.stderr.strip().split("\n")[-1]
    assert not os.path.exists(tmp_path / "empty")


def test_engine_case_without_speed_exports_crank_angles(tmp_path, case_copy):
    folder = case_copy("engine_case")
    os.remove(os.path.join(folder, "engine.in"))        # speed 0: every time after step 0 is infinite
    out = tmp_path / "out"
    run = vortimar("export", folder, str(out), "--steps", "0,360,1440")
    assert run.returncode == 0, run.stderr
    assert "crank angles" in run.stdout.strip().split("\n")[-1]
    reader = vtkPVDReader()
    reader.SetFileName(str(out / "engine_case.pvd"))
    reader.UpdateInformation()
    steps = reader.GetOutputInformation(0).Get(vtkStreamingDemandDrivenPipeline.TIME_STEPS())
    assert list(steps) == [-180.0, 0.0, 540.0]          # start -180, half a degree per step
