#!/usr/bin/env python3
"""Writes an engine case of any size for the geometry benchmark.

Usage: make_engine_case.py FOLDER [--regions N] [--vertices N] [--triangles N] [--interleaved]

The surface is a cylinder wall of a structured grid of vertices; its cells
are split into regions as contiguous rectangular patches. The vertices are
numbered row by row, so each region's vertices lie in a few long runs of the
numbering; with --interleaved they are renumbered in a shuffled order (fixed
seed), as a mesh exported region by region and then renumbered gives: every
region's vertices are then scattered over the whole numbering. Region 1 is the
"Liner", region 2 the piston, 3 and 4 the intake and exhaust valves, the
rest plain walls. The case runs in crank degrees from 0 to 720 with both
valve lift files, so every step has engine motion to compute.
"""
import argparse
import math
import os
import random
import sys


def patch_layout(regions):
    """Patches across the circumference and along the axis, as near square as the count allows."""
    across = max(1, int(math.isqrt(regions)))
    while regions % across:
        across -= 1
    return across, regions // across


def vertex_numbering(count, interleaved):
    """number[i]: the 1-based number written for grid vertex i."""
    number = list(range(1, count + 1))
    if interleaved:
        random.Random(8).shuffle(number)
    return number


def write_surface(path, regions, vertices, triangles, interleaved):
    around = max(3, int(math.isqrt(vertices)))
    rows = max(2, vertices // around)
    nv = around * rows
    number = vertex_numbering(nv, interleaved)
    grid_vertex = [0] * nv  # grid_vertex[k - 1]: the grid vertex numbered k
    for i, k in enumerate(number):
        grid_vertex[k - 1] = i
    available = 2 * around * (rows - 1)
    nt = min(triangles, available)
    across, along = patch_layout(regions)
    radius, bottom, height = 0.04, -0.1, 0.2
    with open(path, "w", newline="\n") as out:
        out.write("0 %d %d\n" % (nv, nt))
        chunk = []
        for n in range(1, nv + 1):
            j, i = divmod(grid_vertex[n - 1], around)
            z = bottom + height * j / (rows - 1)
            a = 2.0 * math.pi * i / around
            chunk.append("%d %.7f %.7f %.7f\n" % (n, radius * math.cos(a), radius * math.sin(a), z))
            if len(chunk) > 100000:
                out.write("".join(chunk))
                chunk = []
        out.write("".join(chunk))
        chunk = []
        written = 0
        for j in range(rows - 1):
            pj = j * along // (rows - 1)
            for i in range(around):
                region = pj * across + i * across // around + 1
                a = number[j * around + i]
                b = number[j * around + (i + 1) % around]
                c = number[(j + 1) * around + i]
                d = number[(j + 1) * around + (i + 1) % around]
                for tri in ((a, b, d), (a, d, c)):
                    if written == nt:
                        break
                    chunk.append("%d %d %d %d\n" % (tri[0], tri[1], tri[2], region))
                    written += 1
            if len(chunk) > 100000:
                out.write("".join(chunk))
                chunk = []
            if written == nt:
                break
        out.write("".join(chunk))
    return nv, nt


def write_text(folder, name, text):
    with open(os.path.join(folder, name), "w", newline="\n") as out:
        out.write(text)


def write_deck(folder, regions):
    blocks = []
    for r in range(1, regions + 1):
        if r == 1:
            name, body = "Liner", "wall"
        elif r == 2:
            name, body = "piston", "$ moves with the crank"
        elif r == 3:
            name, body = "intake_valve", "wall intake_lift"
        elif r == 4:
            name, body = "exhaust_valve", "wall exhaust_lift"
        else:
            name, body = "wall_%d" % r, "wall"
        blocks.append("--------------------\n%d %s\n%s\nvelocity 0 0 0\npressure = %d\ntemperature = %d\n"
                      % (r, name, body, 100000 + r, 300 + r))
    write_text(folder, "boundary.in", "Boundary conditions\n# regions follow\n%d regions\n%s" % (regions, "".join(blocks)))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder")
    parser.add_argument("--regions", type=int, default=100)
    parser.add_argument("--vertices", type=int, default=1000000)
    parser.add_argument("--triangles", type=int, default=2000000)
    parser.add_argument("--interleaved", action="store_true",
                        help="scatter every region's vertices over the vertex numbering")
    args = parser.parse_args()
    if args.regions < 4:
        sys.exit("at least 4 regions: liner, piston and two valves")
    os.makedirs(args.folder, exist_ok=True)
    nv, nt = write_surface(os.path.join(args.folder, "surface.dat"), args.regions, args.vertices, args.triangles,
                           args.interleaved)
    write_text(args.folder, "inputs.in", "Vortimar engine case for the geometry benchmark\nsurface.dat surface file\n"
               "1 crank_flag\n0 start\n720 end\n")
    write_text(args.folder, "engine.in", "Engine data\n# value key\n0.0825 bore\n0.0885 stroke\n0.14 conrod\n2000 rpm\n")
    write_text(args.folder, "intake_lift.in", "Intake valve lift\ndirection 0 0 -1\nangle lift (crank)\n"
               "0 0\n340 0\n450 0.009\n580 0\n720 0\n")
    write_text(args.folder, "exhaust_lift.in", "Exhaust valve lift\ndirection 0 0 -1\nangle lift (crank)\n"
               "0 0\n130 0\n260 0.008\n380 0\n720 0\n")
    write_deck(args.folder, args.regions)
    print("%s: %d regions, %d vertices, %d triangles%s"
          % (args.folder, args.regions, nv, nt, ", regions interleaved" if args.interleaved else ""))


if __name__ == "__main__":
    main()
