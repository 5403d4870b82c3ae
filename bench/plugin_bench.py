"""Speed and memory of the ParaView reader plugin on a large case, in pvpython:

  pvpython bench/plugin_bench.py [FOLDER]

FOLDER holds the benchmark engine case (100 regions, 1,000,000 vertices); it is written by
bench/make_engine_case.py when it has no inputs.in yet (default: a folder under the system's
temporary folder). Measured in one run, with the case files read once beforehand so that
every timing finds them in the file cache:

  plugin first step   opening the case through the plugin and producing its first step
  later step          producing step 500 after that
  growth              the process's peak resident memory above its size before the opening
  reader first build  opening the same case with the case package and building its parts

Targets: first step at most 3 x the reader's first build, later step at most 0.5 s, growth
at most 400 MB. Prints the figures and the ratios, and exits 1 when a target is missed.
"""
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "paraview"))


def memory_kb(field):
    """VmRSS or VmHWM of this process, in kB."""
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(tempfile.gettempdir(), "vortimar_bench_case")
    if not os.path.isfile(os.path.join(folder, "inputs.in")):
        subprocess.run(["python3",
                        os.path.join(HERE, "make_engine_case.py"), folder], check=True)
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), "rb") as f:
            while f.read(1 << 24):
                pass

    import vortimar_startup  # noqa: F401  (loads the plugin)
    from paraview.simple import Delete, VortimarCaseReader
    import vortimar

    baseline = memory_kb("VmRSS")
    t0 = time.perf_counter()
    reader = VortimarCaseReader(FileName=os.path.join(folder, "inputs.in"))
    times = reader.TimestepValues
    reader.UpdatePipeline(times[0])
    first = time.perf_counter() - t0
    t0 = time.perf_counter()
    reader.UpdatePipeline(times[min(500, len(times) - 1)])
    later = time.perf_counter() - t0
    growth_mb = (memory_kb("VmHWM") - baseline) / 1024.0
    info = reader.GetDataInformation()
    points, cells = info.GetNumberOfPoints(), info.GetNumberOfCells()
    Delete(reader)
    del reader

    t0 = time.perf_counter()
    with vortimar.open_case(folder) as case:
        for part in case.parts[:1]:
            case.mesh(part, 0)
    build = time.perf_counter() - t0

    ratio = first / build
    print("case: %s (%d points, %d triangles in the plugin's output)" % (folder, points, cells))
    print("reader first build:  %.2f s" % build)
    print("plugin first step:   %.2f s  ratio %.2f (target <= 3)" % (first, ratio))
    print("plugin later step:   %.3f s  (target <= 0.5 s)" % later)
    print("process growth:      %.0f MB  (target <= 400 MB)" % growth_mb)
    missed = ratio > 3.0 or later > 0.5 or growth_mb > 400.0
    print("targets %s" % ("MISSED" if missed else "met"))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
