#!/usr/bin/env python3
"""Size and speed of the HTML view, run by hand:

    VORTIMAR_LIBRARY=build/libvortimar_case.so PYTHONPATH=python \\
        /usr/bin/python3 bench/view_bench.py [--large] [--keep FOLDER]

For the bundled engine over all its steps: the page's size, the time to write it (wall and
CPU: on a shared machine the CPU time is the one to compare), and the
time headless chromium takes from asking for the page to the page's state (the page's own
opened_ms, and the whole browser run). With --large also the 100-region, 1,000,000-vertex
case of make_engine_case.py over 40 steps. Prints one line per case.
"""
import argparse
import html
import json
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "python"))

import vortimar  # noqa: E402
from vortimar.export import choose_steps  # noqa: E402
from vortimar.view import write_page  # noqa: E402


def browser_state(page):
    """(state dict, seconds of the whole browser run) of the page opened at its first step."""
    start = time.perf_counter()
    dom = subprocess.run(["chromium", "--headless", "--no-sandbox", "--use-angle=swiftshader",
                          "--enable-unsafe-swiftshader", "--dump-dom", "file://%s#step=0" % page],
                         capture_output=True, text=True, timeout=600).stdout
    seconds = time.perf_counter() - start
    found = re.search(r'data-vortimar-state="([^"]*)"', dom)
    return (json.loads(html.unescape(found.group(1))) if found else {}), seconds


def measure(label, folder, steps_wanted, out):
    with vortimar.open_case(folder) as case:
        steps = choose_steps(case.step_count)
        if steps_wanted:
            steps = sorted({round(i * (case.step_count - 1) / (steps_wanted - 1)) for i in range(steps_wanted)})
        start, cpu = time.perf_counter(), time.process_time()
        size = write_page(case, steps, out)
        written, cpu = time.perf_counter() - start, time.process_time() - cpu
    state, browser = browser_state(out)
    print("%s: %d steps, page %.2f MB written in %.2f s (%.2f s of CPU); headless chromium: state after %s ms "
          "(%d parts, %d triangles), whole run %.1f s"
          % (label, len(steps), size / 1e6, written, cpu, state.get("opened_ms", "no state"), state.get("parts", 0),
             state.get("triangles", 0), browser), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--large", action="store_true", help="also the 1,000,000-vertex case over 40 steps")
    parser.add_argument("--keep", help="folder for the pages and the large case (default: a temporary one)")
    args = parser.parse_args()
    work = args.keep or tempfile.mkdtemp(prefix="view_bench_")
    os.makedirs(work, exist_ok=True)
    measure("four_valve_engine", os.path.join(HERE, "..", "examples", "four_valve_engine"), None,
            os.path.join(work, "four_valve_engine.html"))
    if args.large:
        large = os.path.join(work, "large_case")
        if not os.path.isdir(large):
            subprocess.run([sys.executable, os.path.join(HERE, "make_engine_case.py"), large, "--regions", "100",
                            "--vertices", "1000000"], check=True)
        measure("100 regions, 1,000,000 vertices", large, 40, os.path.join(work, "large_case.html"))


if __name__ == "__main__":
    main()
