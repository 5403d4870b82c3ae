#!/usr/bin/env python3
"""Writes the bundled example cases from a few parameters.

Usage:
  make_examples.py engine FOLDER [--around N]   four-valve engine, crank angles -360..360
  make_examples.py seconds FOLDER [--around N]  fan, sliding wall, tumbling body, heated wall
  make_examples.py bundled [EXAMPLES_FOLDER]    both, into examples/four_valve_engine and
                                                examples/moving_walls

--around sets the number of vertices around every circle of the geometry (24 for the
bundled cases); larger values give larger versions of the same cases, e.g. --around 1000
gives an engine surface of about a million vertices.

Every file is written with '\\n' line ends and numbers in plain decimal notation. Lengths
are in metres, angles in degrees, times in seconds.
"""
import argparse
import math
import os
import sys


class Surface:
    """Collects vertices and triangles region by region for one surface file."""

    def __init__(self):
        self.vertices = []      # (x, y, z)
        self.triangles = []     # (a, b, c, region), vertex numbers from 1

    def add_vertex(self, x, y, z):
        """Appends a vertex; returns its number (from 1)."""
        self.vertices.append((x, y, z))
        return len(self.vertices)

    def add_triangle(self, a, b, c, region):
        self.triangles.append((a, b, c, region))

    def write(self, path):
        """Writes the header, the vertex lines and the triangle lines."""
        with open(path, "w", newline="\n") as out:
            out.write("0 %d %d\n" % (len(self.vertices), len(self.triangles)))
            out.writelines("%d %.6f %.6f %.6f\n" % (k + 1, x, y, z)
                           for k, (x, y, z) in enumerate(self.vertices))
            out.writelines("%d %d %d %d\n" % t for t in self.triangles)


def grid(surface, region, rows, columns, position, closed):
    """Triangulates a grid of rows x columns vertices given by position(i, j) -> (x, y, z),
    i along the rows (0..rows-1) and j across (0..columns-1). With closed, column
    columns-1 connects back to column 0 (a tube). Returns nothing."""
    first = len(surface.vertices) + 1
    for i in range(rows):
        for j in range(columns):
            surface.add_vertex(*position(i, j))
    spans = columns if closed else columns - 1
    for i in range(rows - 1):
        for j in range(spans):
            a = first + i * columns + j
            b = first + i * columns + (j + 1) % columns
            surface.add_triangle(a, b, b + columns, region)
            surface.add_triangle(a, b + columns, a + columns, region)


def disc(surface, region, centre, radius, around, rings, keep=None):
    """A flat disc at height centre[2] on a polar grid: a centre vertex and `rings` rings
    of `around` vertices. keep(x, y), if given, decides per triangle (at its centroid)
    whether it is written, which cuts holes. Returns nothing."""
    cx, cy, z = centre
    mid = surface.add_vertex(cx, cy, z)
    ring_start = []
    for r in range(1, rings + 1):
        ring_start.append(len(surface.vertices) + 1)
        for j in range(around):
            a = 2.0 * math.pi * j / around
            surface.add_vertex(cx + radius * r / rings * math.cos(a), cy + radius * r / rings * math.sin(a), z)

    def emit(a, b, c):
        if keep is not None:
            x = sum(surface.vertices[v - 1][0] for v in (a, b, c)) / 3.0
            y = sum(surface.vertices[v - 1][1] for v in (a, b, c)) / 3.0
            if not keep(x, y):
                return
        surface.add_triangle(a, b, c, region)

    for j in range(around):
        emit(mid, ring_start[0] + j, ring_start[0] + (j + 1) % around)
    for r in range(1, rings):
        inner, outer = ring_start[r - 1], ring_start[r]
        for j in range(around):
            k = (j + 1) % around
            emit(inner + j, outer + j, outer + k)
            emit(inner + j, outer + k, inner + k)


def tube(surface, region, centre, radius, heights, around, a0=0.0, a1=360.0):
    """A cylinder wall about the vertical axis through centre (x, y), with one ring of
    vertices at each of the given heights (ascending z); a full circle unless the angles
    a0..a1 (degrees) give an arc. Returns nothing."""
    full = (a1 - a0) >= 360.0
    columns = around if full else around + 1
    step = (a1 - a0) / around

    def position(i, j):
        a = math.radians(a0 + step * j)
        return (centre[0] + radius * math.cos(a), centre[1] + radius * math.sin(a), heights[i])

    grid(surface, region, len(heights), columns, position, full)


def evenly(z0, z1, rows):
    """rows heights from z0 to z1, both included, equally spaced."""
    return [z0 + (z1 - z0) * i / (rows - 1) for i in range(rows)]


def write_text(folder, name, text):
    with open(os.path.join(folder, name), "w", newline="\n") as out:
        out.write(text)


def region_block(number, name, body, pressure="pressure = 101325", temperature="temperature = 300", tail=""):
    """One region block of boundary.in: separator, name line, a body line, the velocity
    line with the pressure and temperature lines after it, then optional motion lines."""
    return ("----------------------------------------\n%d %s\n%s\nvelocity 0 0 0\n%s\n%s\n%s"
            % (number, name, body, pressure, temperature, tail))


def lift_table(opens, closes, peak):
    """A valve lift table over one 720-degree cycle, every 10 degrees: a half sine
    between the opening and the closing angle (degrees), zero elsewhere."""
    rows = []
    for angle in range(0, 721, 10):
        lift = 0.0
        if opens < angle < closes:
            lift = peak * math.sin(math.pi * (angle - opens) / (closes - opens))
        rows.append("%d %.6f\n" % (angle, lift))
    return "".join(rows)


# ---- (a) four-valve engine ---------------------------------------------------------

ENGINE = {"bore": 0.086, "stroke": 0.086, "conrod": 0.143, "rpm": 2000.0, "clearance": 0.009,
          "valve_radius": 0.0135, "valve_offset": 0.018, "port_length": 0.04,
          "intake": (350.0, 590.0, 0.0090), "exhaust": (130.0, 380.0, 0.0085)}


def engine_case(folder, around):
    """Writes the four-valve engine case. The piston and the liner's bottom ring are drawn
    at bottom dead centre (z = 0), the head at stroke + clearance; the valves sit closed
    in the head and open downwards."""
    p = ENGINE
    radius = p["bore"] / 2.0
    head_z = p["stroke"] + p["clearance"]
    rows = max(4, around // 3)
    # The liner: its bottom ring at z = 0, the others in the clearance above the piston's
    # top dead centre (z = stroke). With "Moving Liner" on only the bottom ring follows the
    # piston, so the one band below the stroke stretches and shrinks and no ring is passed.
    top_rings = max(2, rows // 4)
    liner = [0.0] + [p["stroke"] + p["clearance"] * k / top_rings for k in range(1, top_rings + 1)]
    rings = max(2, around // 4)
    d = p["valve_offset"]
    valves = [("intake_valve_1", (-d, d)), ("intake_valve_2", (d, d)),
              ("exhaust_valve_1", (-d, -d)), ("exhaust_valve_2", (d, -d))]
    vr = p["valve_radius"]
    valve_around = max(8, around // 2)

    s = Surface()
    disc(s, 1, (0.0, 0.0, 0.0), radius, around, rings)                                  # piston
    tube(s, 2, (0.0, 0.0), radius, liner, around // 2, 0.0, 180.0)                      # liner, intake side
    tube(s, 3, (0.0, 0.0), radius, liner, around // 2, 180.0, 360.0)                    # liner, exhaust side

    def outside_valves(x, y):
        return all(math.hypot(x - vx, y - vy) > vr for _, (vx, vy) in valves)

    disc(s, 4, (0.0, 0.0, head_z), radius, 2 * around, 2 * rings, keep=outside_valves)  # head
    for k, (_, (vx, vy)) in enumerate(valves):
        disc(s, 5 + k, (vx, vy, head_z), vr, valve_around, max(2, rings // 2))
    for k, (_, (vx, vy)) in enumerate(valves):                                          # ports
        tube(s, 9 if k < 2 else 10, (vx, vy), vr, evenly(head_z, head_z + p["port_length"], max(3, rows // 2)),
             valve_around)

    os.makedirs(folder, exist_ok=True)
    s.write(os.path.join(folder, "engine_surface.dat"))
    write_text(folder, "inputs.in", "Four-valve engine: crank angles from -360 to 360 degrees\n"
               "\"engine_surface.dat\"   surface triangulation\n"
               "1 crank_flag\n-360.0 start of the run (deg)\n360.0 end of the run (deg)\n")
    write_text(folder, "engine.in", "Four-valve engine, %g mm bore, %g mm stroke\n# value  key\n"
               "%.3f bore\n%.3f stroke\n%.3f conrod\n%g rpm\n"
               % (p["bore"] * 1000, p["stroke"] * 1000, p["bore"], p["stroke"], p["conrod"], p["rpm"]))
    for kind in ("intake", "exhaust"):
        write_text(folder, kind + "_lift.in", "%s valve lift\ndirection 0.0 0.0 -1.0\ncrank angle (deg)  lift (m)\n%s"
                   % (kind, lift_table(*p[kind])))
    pressure = "".join("%d %.1f\n" % (a, 101325.0 + 5000.0 * math.cos(math.radians(2 * a)))
                       for a in range(0, 721, 30))
    write_text(folder, "intake_pressure.dat", "intake port pressure\ncrank angle   pressure (Pa)\n" + pressure)

    blocks = [region_block(1, "piston", "$ follows the crank", temperature="temperature = 550"),
              region_block(2, "liner_intake_side", "wall", temperature="temperature = 420"),
              region_block(3, "liner_exhaust_side", "wall", temperature="temperature = 440"),
              region_block(4, "head", "wall", temperature="temperature = 500")]
    for k, (name, _) in enumerate(valves):
        role = "intake_lift" if name.startswith("intake") else "exhaust_lift"
        blocks.append(region_block(5 + k, name, "valve " + role,
                                   temperature="temperature = %d" % (380 if role == "intake_lift" else 750)))
    blocks.append(region_block(9, "intake_port", "inflow", pressure="p \"intake_pressure.dat\"",
                               temperature="temperature = 320"))
    blocks.append(region_block(10, "exhaust_port", "outflow", pressure="pressure = 103000",
                               temperature="temperature = 800"))
    write_text(folder, "boundary.in", "Boundary conditions of the four-valve engine\n# ten regions\n10 regions\n"
               + "".join(blocks))
    return len(s.vertices), len(s.triangles)


# ---- (b) case in seconds ------------------------------------------------------------

SECONDS = {"end": 0.5, "steps": 51, "fan_speed": 720.0}


def seconds_case(folder, around):
    """Writes the case in seconds: a fan turning about z, a wall moved by a motion profile
    file, a body moved by an arbitrary-motion file and a heated wall whose temperature
    comes from a spatial value file. Every file gives the same 51 times 0, 0.01, ..., 0.5 s,
    so that the time line is the same whichever file sets it."""
    p = SECONDS
    times = [p["end"] * i / (p["steps"] - 1) for i in range(p["steps"])]
    n = max(4, around // 4)
    s = Surface()

    # Fan: four flat blades around the z axis, 0.02 .. 0.1 m from it.
    for blade in range(4):
        a = math.radians(90.0 * blade)
        ca, sa = math.cos(a), math.sin(a)

        def blade_point(i, j, ca=ca, sa=sa):
            r = 0.02 + 0.08 * j / (n - 1)
            w = -0.015 + 0.03 * i / 3.0
            return (r * ca - w * sa, r * sa + w * ca, 0.01 * w / 0.015)

        grid(s, 1, 4, n, blade_point, False)
    disc(s, 1, (0.0, 0.0, 0.0), 0.02, max(8, around // 2), 2)

    # Sliding wall: a vertical plate at x = 0.3, moved by its profile file.
    grid(s, 2, n, n, lambda i, j: (0.3, -0.1 + 0.2 * j / (n - 1), -0.1 + 0.2 * i / (n - 1)), False)

    # Tumbling body: a cube of side 0.06 centred at (0, 0.3, 0). grid() turns its
    # triangles to the normal d/du x d/dv, so each face's (u, v) is ordered to make that
    # normal point out of the cube, into the fluid, as on the engine's solid walls.
    h = 0.03
    faces = [lambda u, v: (v, u, -h), lambda u, v: (u, v, h), lambda u, v: (u, -h, v),
             lambda u, v: (v, h, u), lambda u, v: (-h, v, u), lambda u, v: (h, u, v)]
    m = max(2, n // 2)
    for face in faces:
        grid(s, 3, m, m, lambda i, j, face=face: tuple(c + o for c, o in zip(
            face(-h + 2 * h * j / (m - 1), -h + 2 * h * i / (m - 1)), (0.0, 0.3, 0.0))), False)

    # Heated wall: a floor plate at z = -0.15.
    grid(s, 4, n, n, lambda i, j: (-0.2 + 0.4 * j / (n - 1), -0.2 + 0.6 * i / (n - 1), -0.15), False)

    os.makedirs(folder, exist_ok=True)
    s.write(os.path.join(folder, "walls_surface.dat"))
    write_text(folder, "inputs.in", "Moving walls, a run of %g seconds\n\"walls_surface.dat\"   surface triangulation\n"
               "0 crank_flag\n0.0 start of the run (s)\n%g end of the run (s)\n" % (p["end"], p["end"]))

    rows = "".join("%.2f %.6f 0 0\n" % (t, 0.05 * math.sin(2.0 * math.pi * t / p["end"])) for t in times)
    write_text(folder, "slider_motion.dat", "sliding wall: translation over time\ntime (second)   x y z\n" + rows)

    cg = (0.0, 0.3, 0.0)
    ar = ["tumbling body: position and axes over time\ntime (second)  x y z  axis1  axis2\n",
          "supplied %g %g %g 1 0 0 0 1 0\n" % cg]
    for t in times:
        a = math.pi * t / p["end"]                       # half a turn about x over the run
        ar.append("%.2f %.6f %.6f %.6f 1 0 0 0 %.6f %.6f\n"
                  % (t, cg[0], cg[1], cg[2] + 0.05 * math.sin(a), math.cos(a), math.sin(a)))
    write_text(folder, "body_motion.dat", "".join(ar))

    spatial = ["SPATIAL\n"]
    for k, t in enumerate(times):
        spatial.append("%.2f second\n" % t if k == 0 else "%.2f\n" % t)
        spatial.append("x y z temperature\n")
        for i in range(5):
            for j in range(4):
                x, y = -0.15 + 0.075 * i, -0.15 + 0.15 * j
                spatial.append("%.3f %.3f -0.14 %.2f\n" % (x, y, 300.0 + 200.0 * t + 20.0 * x))
        spatial.append("\n")
    write_text(folder, "floor_temperature.dat", "".join(spatial))

    blocks = [region_block(1, "fan", "wall", tail="MOVING RO\nomega = 0 0 0 0 0 1 %g\n" % p["fan_speed"]),
              region_block(2, "sliding_wall", "wall", tail="MOVING TR\nfile tr \"slider_motion.dat\"\n"),
              region_block(3, "tumbling_body", "wall", tail="MOVING AR\nfile ar \"body_motion.dat\"\n"),
              region_block(4, "heated_floor", "wall", temperature="t \"floor_temperature.dat\"")]
    write_text(folder, "boundary.in", "Boundary conditions of the moving walls case\n# four regions\n4 regions\n"
               + "".join(blocks))
    return len(s.vertices), len(s.triangles)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("which", choices=["engine", "seconds", "bundled"])
    parser.add_argument("folder", nargs="?")
    parser.add_argument("--around", type=int, default=24)
    args = parser.parse_args()
    if args.around < 8:
        sys.exit("make_examples: --around must be at least 8")
    if args.which == "bundled":
        root = args.folder or os.path.dirname(os.path.abspath(__file__))
        jobs = [(engine_case, os.path.join(root, "four_valve_engine")),
                (seconds_case, os.path.join(root, "moving_walls"))]
    elif args.folder is None:
        sys.exit("make_examples: a FOLDER is needed")
    else:
        jobs = [(engine_case if args.which == "engine" else seconds_case, args.folder)]
    for write, folder in jobs:
        nv, nt = write(folder, args.around)
        print("%s: %d vertices, %d triangles" % (folder, nv, nt))


if __name__ == "__main__":
    main()
