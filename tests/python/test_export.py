"""The export, read back with VTK's own readers."""
import csv
import os
import shutil

import numpy as np
import vortimar
from paraview.modules.vtkPVVTKExtensionsIOCore import vtkPVDReader
from vtkmodules.util.numpy_support import vtk_to_numpy
from vtkmodules.vtkCommonExecutionModel import vtkStreamingDemandDrivenPipeline
from vtkmodules.vtkIOXML import vtkXMLMultiBlockDataReader

from fixtures import ENGINE, ROOT, NO_REGIONS, WALLS, region_points, slider_crank, vortimar as run


def read_blocks(path):
    """({block name: vtkPolyData}, the multiblock) of a .vtm file."""
    reader = vtkXMLMultiBlockDataReader()
    reader.SetFileName(str(path))
    reader.Update()
    data = reader.GetOutput()
    return {data.GetMetaData(i).Get(data.NAME()): data.GetBlock(i) for i in range(data.GetNumberOfBlocks())}, data


def pvd_times(path):
    reader = vtkPVDReader()
    reader.SetFileName(str(path))
    reader.UpdateInformation()
    return reader, reader.GetOutputInformation(0).Get(vtkStreamingDemandDrivenPipeline.TIME_STEPS())


def points(block):
    return vtk_to_numpy(block.GetPoints().GetData())


def test_engine_export_reads_back(tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    (out / "notes.txt").write_text("kept")
    run_ = run("export", ENGINE, str(out), "--steps", "1320,0,360")
    assert run_.returncode == 0 and "engine_case.pvd" in run_.stdout and "engine_case_constants.csv" in run_.stdout
    assert (out / "notes.txt").read_text() == "kept"
    surface = os.path.join(ENGINE, "engine_surface.dat")
    (_, piston), (_, valve) = region_points(surface, 1), region_points(surface, 4)
    # Crank 0 is top dead centre: the piston is one stroke above where the file draws it.
    at_tdc, whole = read_blocks(out / "engine_case_0360.vtm")
    assert list(at_tdc) == ["piston", "liner", "cylinder head", "intake valve", "exhaust valve"]
    assert np.allclose(np.sort(points(at_tdc["piston"])[:, 2]), np.sort(piston[:, 2]) + 0.088, atol=1e-6)
    field = whole.GetFieldData()
    assert field.GetArray("Crank_Angle").GetValue(0) == 0.0 and np.float32(field.GetArray("Stroke").GetValue(0)) == np.float32(0.088)
    # Crank 480: intake lift 8 mm along (0, 0, -1); the piston by the slider crank.
    late, _ = read_blocks(out / "engine_case_1320.vtm")
    assert np.allclose(np.sort(points(late["intake valve"])[:, 2]), np.sort(valve[:, 2]) - 0.008, atol=1e-6)
    assert np.allclose(points(late["piston"])[:, 2], piston[:, 2].min() + slider_crank(0.088, 0.14, 480.0), atol=1e-6)
    with open(out / "engine_case_constants.csv") as f:
        rows = list(csv.DictReader(f))
    assert [r["step"] for r in rows] == ["0", "360", "1320"] and [float(r["crank_angle"]) for r in rows] == [-180, 0, 480]
    assert np.float32(rows[1]["time"]) == np.float32(0.02)      # half a turn at 1500 rpm
    assert np.float32(rows[2]["Intake_lift"]) == np.float32(0.008) and np.float32(rows[1]["Stroke"]) == np.float32(0.088)


def test_lean_seconds_export_reads_every_step(tmp_path):
    """Parts that stay put are written once and named by every step; VTK's .pvd reader still
    gives each part where the package puts it at each step."""
    out = tmp_path / "walls"
    assert run("export", os.path.join(WALLS, "inputs.in"), str(out)).returncode == 0
    with open(out / "moving_walls_0050.vtm") as f:
        assert 'name="heated_floor" file="moving_walls_0000/moving_walls_0000_3.vtp"' in f.read()
    assert not (out / "moving_walls_0050" / "moving_walls_0050_3.vtp").exists()
    with open(out / "moving_walls_constants.csv") as f:
        assert f.readline().strip() == "step,time,crank_angle"
    reader, times = pvd_times(out / "moving_walls.pvd")
    assert len(times) == 51
    with vortimar.open_case(WALLS) as case:
        for step, time in enumerate(times):
            reader.UpdateTimeStep(time)
            data = reader.GetOutputDataObject(0)
            for index, part in enumerate(case.parts):
                assert np.allclose(points(data.GetBlock(index)), case.points(part, step), atol=1e-6), (step, part.name)
    blocks, _ = read_blocks(out / "moving_walls_0012.vtm")
    cloud = blocks["heated_floor_Points"]
    assert cloud.GetNumberOfPoints() == 20 and cloud.GetNumberOfVerts() == 20 and cloud.GetNumberOfPolys() == 0
    # Temperature at the points: 300 + 200 t + 20 x, with t = 0.12 s.
    x = points(cloud)[:, 0]
    assert np.allclose(vtk_to_numpy(cloud.GetPointData().GetArray("Temperature")), 300 + 200 * 0.12 + 20 * x, atol=0.01)
    # The sliding wall (drawn at x = 0.3) moves by 5 cm x sin(2 pi t / 0.5).
    assert np.allclose(points(blocks["sliding_wall"])[:, 0], 0.3 + 0.05 * np.sin(2 * np.pi * 0.12 / 0.5), atol=1e-5)


def test_refusals_failed_writes_and_empty_cases_end_in_one_line(tmp_path, case_copy):
    folder = case_copy("engine_case")
    inside = os.path.join(folder, "out")
    refused = run("export", folder, inside)
    assert refused.returncode == 2 and "inside the case folder" in refused.stderr and not os.path.exists(inside)
    refused = run("export", folder, str(tmp_path / "x"), "--steps", "0,1441")
    assert refused.returncode == 2 and "1441" in refused.stderr
    # A file where VTK's writer wants the folder of step 1's parts: step 0 is written, step 1 not.
    out = tmp_path / "blocked"
    out.mkdir()
    (out / "engine_case_0001").write_text("")
    failed = run("export", ENGINE, str(out), "--steps", "0,1,2")
    assert failed.returncode == 1 and failed.stdout == ""
    assert failed.stderr.count("\n") == 1 and str(out / "engine_case_0001.vtm") in failed.stderr
    assert sorted(p.name for p in out.glob("*.*")) == ["engine_case_0000.vtm"]     # no .pvd, no .csv
    empty = run("export", case_copy("moving_walls", write={"boundary.in": NO_REGIONS}), str(tmp_path / "empty"))
    assert empty.returncode == 1 and "no parts" in empty.stderr.strip().split("\n")[-1]
    assert not os.path.exists(tmp_path / "empty")


def test_engine_case_without_speed_exports_crank_angles(tmp_path, case_copy):
    # Speed 0: every time after step 0 is infinite.
    done = run("export", case_copy("engine_case", remove=["engine.in"]), str(tmp_path / "out"), "--steps", "0,360,1440")
    assert done.returncode == 0 and "crank angles" in done.stdout.strip().split("\n")[-1], done.stderr
    assert list(pvd_times(tmp_path / "out" / "engine_case.pvd")[1]) == [-180.0, 0.0, 540.0]  # half a degree a step


def test_clearance_array_is_the_gap_worked_out_from_the_motion(tmp_path, monkeypatch):
    # The valve disc (20 mm square, z = 0.1 less its lift) stands over the piston's
    # 40 mm square: a valve corner lies straight above the piston, a piston corner
    # 10 mm out in x and y from the nearest valve corner.
    folder = os.path.join(ROOT, "tests", "check", "disc_over_piston")
    steps = {120: -30.0, 180: 0.0}                   # crank angles; lift 2 mm and 4 mm there
    run_ = run("export", folder, str(tmp_path / "out"), "--clearance", "--steps", "120,180")
    assert run_.returncode == 0, run_.stderr
    for step, angle in steps.items():
        blocks, _ = read_blocks(tmp_path / "out" / ("disc_over_piston_%04d.vtm" % step))
        gap = (0.1 - {120: 0.002, 180: 0.004}[step]) - slider_crank(0.088, 0.14, angle)
        valve = vtk_to_numpy(blocks["intake valve"].GetPointData().GetArray("Clearance"))
        piston = vtk_to_numpy(blocks["piston"].GetPointData().GetArray("Clearance"))
        assert np.allclose(valve, gap, atol=1e-6) and np.allclose(piston, np.hypot(0.01 * 2 ** 0.5, gap), atol=1e-6)
    plain = run("export", folder, str(tmp_path / "plain"), "--steps", "180")
    blocks, _ = read_blocks(tmp_path / "plain" / "disc_over_piston_0180.vtm")
    assert plain.returncode == 0 and blocks["piston"].GetPointData().GetArray("Clearance") is None
    # Without the check library (as on Windows): one line, and the export goes on without the array.
    lone = tmp_path / "lib"
    lone.mkdir()
    shutil.copy(os.environ["VORTIMAR_LIBRARY"], lone)
    alone = run("export", folder, str(tmp_path / "alone"), "--clearance", "--steps", "180",
                VORTIMAR_LIBRARY=str(lone / os.path.basename(os.environ["VORTIMAR_LIBRARY"])))
    blocks, _ = read_blocks(tmp_path / "alone" / "disc_over_piston_0180.vtm")
    assert alone.returncode == 0 and alone.stdout.count("no Clearance array") == 1
    assert blocks["piston"].GetPointData().GetArray("Clearance") is None
