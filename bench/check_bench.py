"""Speed and memory of the set-up check on a large engine case:

  python3 bench/check_bench.py [FOLDER] [--around N]

FOLDER holds the four-valve engine of examples/make_examples.py drawn with N
vertices around every circle (default 300: about 280,000 triangles, 11,000 on
each valve and 44,000 on the piston, 1,441 steps); it is written when it has
no inputs.in yet (default: a folder under the system's temporary folder).
Measured in one run, the case files read once beforehand so that both
timings find them in the file cache:

  reader first build  opening the case with the case package (the reader
                      builds every part at the first step) and one part's mesh
  check               the whole set-up check, and the time of each of its parts
                      (the clearances run beside the surface, engine and
                      plausibility checks, so the parts add up to more)
  growth              the process's peak resident memory above its size
                      before the check

Targets: the check at most 10 x the reader's first build, growth at most
500 MB. Prints the figures and exits 1 when a target is missed.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "python"))

from plugin_bench import memory_kb  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder", nargs="?", default=os.path.join(tempfile.gettempdir(), "vortimar_check_bench"))
    parser.add_argument("--around", type=int, default=300)
    args = parser.parse_args()
    if not os.path.isfile(os.path.join(args.folder, "inputs.in")):
        subprocess.run([sys.executable, os.path.join(ROOT, "examples", "make_examples.py"), "engine", args.folder,
                        "--around", str(args.around)], check=True)
    for name in os.listdir(args.folder):
        with open(os.path.join(args.folder, name), "rb") as f:
            while f.read(1 << 24):
                pass

    import vortimar
    from vortimar.check import run_check

    t0 = time.perf_counter()
    with vortimar.open_case(args.folder, moving_liner=True) as case:
        case.mesh(case.parts[0], 0)
    build = time.perf_counter() - t0

    with vortimar.open_case(args.folder, moving_liner=True) as case:
        triangles = sum(p.triangle_count for p in case.parts)
        largest = {p.name: p.triangle_count for p in case.parts}
        baseline = memory_kb("VmRSS")
        t0 = time.perf_counter()
        result = run_check(case)
        check = time.perf_counter() - t0
        growth_mb = (memory_kb("VmHWM") - baseline) / 1024.0
        steps = case.step_count

    ratio = check / build
    print("case: %s (%d triangles; %s; %d steps, %d pairs)" % (
        args.folder, triangles, ", ".join("%s %d" % kv for kv in largest.items()), steps, len(result["clearances"])))
    print("reader first build:  %.2f s" % build)
    print("whole check:         %.2f s  ratio %.2f (target <= 10)" % (check, ratio))
    for part, seconds in result["timings"].items():
        print("  %-18s %.2f s%s" % (part, seconds, "  (on two threads, beside the three below)" if part == "clearances" else ""))
    print("  busiest pairs (exact distance, touch, sweep and between-step queries):")
    busiest = sorted(zip(result["queries"], result["clearances"]), key=lambda q: -sum(q[0]))[:5]
    for queries, pair in busiest:
        print("    %-40s %5d %5d %5d" % ((" / ".join(pair["parts"]),) + tuple(queries)))
    print("process growth:      %.0f MB  (target <= 500 MB)" % growth_mb)
    missed = ratio > 10.0 or growth_mb > 500.0
    print("targets %s" % ("MISSED" if missed else "met"))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
