// Surface quality at the first step: degenerate and duplicate triangles,
// edges shared by three or more triangles, open edges and their loops, and
// triangles turned against their neighbours; per part and for the whole
// surface, each after welding coincident vertices.
//
// Sized for surfaces of hundreds of thousands of triangles: weld cells are
// numbered through an open-addressing table, edges and triangles are grouped
// by a counting pass over their lowest vertex, and a triangle keeps its (at
// most three) neighbours in place, so that no step allocates per element.
// Every finding quotes its triangles in an order fixed by the vertex numbers
// and the file, never by how a sort happens to treat equal keys.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "check/check.h"

namespace {

constexpr std::size_t examples_kept = 3;

struct MeshRef {
    int part, triangle;
};

// A point's cell on the weld grid: points in one cell are joined.
using Cell = std::array<long long, 3>;

// Numbers distinct cells in the order they are first met.
struct CellNumbers {
    std::vector<Cell> cells;  // by number
    std::vector<int> slots;   // open addressing over the cells' hashes: a number, or -1
};

std::size_t cell_hash(const Cell &c)
{
    std::uint64_t h = 0;
    for (long long v : c) {
        h = (h ^ static_cast<std::uint64_t>(v)) * 0x9e3779b97f4a7c15ULL;
        h ^= h >> 29;
    }
    return static_cast<std::size_t>(h);
}

// Room for `expected` cells without growing.
void reserve_cells(CellNumbers &n, std::size_t expected)
{
    std::size_t size = 16;
    while (size < 2 * expected)
        size *= 2;
    if (size <= n.slots.size())
        return;
    n.cells.reserve(expected);
    n.slots.assign(size, -1);
    for (std::size_t i = 0; i < n.cells.size(); ++i) {
        std::size_t s = cell_hash(n.cells[i]) & (size - 1);
        while (n.slots[s] >= 0)
            s = (s + 1) & (size - 1);
        n.slots[s] = static_cast<int>(i);
    }
}

// The cell's number; a cell not met before gets the next one.
int cell_number(CellNumbers &n, const Cell &cell)
{
    if (2 * (n.cells.size() + 1) > n.slots.size())
        reserve_cells(n, 2 * n.cells.size() + 8);
    const std::size_t mask = n.slots.size() - 1;
    for (std::size_t s = cell_hash(cell) & mask;; s = (s + 1) & mask) {
        const int found = n.slots[s];
        if (found < 0) {
            n.slots[s] = static_cast<int>(n.cells.size());
            n.cells.push_back(cell);
            return n.slots[s];
        }
        if (n.cells[static_cast<std::size_t>(found)] == cell)
            return found;
    }
}

// The cell of each of the part's points. Coincident: the same point on a
// grid of a billionth of the case's size.
std::vector<Cell> weld_cells(const CheckCase &input, const CheckPart &part)
{
    const double grid = 1e-9 * input.size;
    std::vector<Cell> cells(part.points.size() / 3);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const double *x = &part.points[3 * i];
        cells[i] = {std::llround(x[0] / grid), std::llround(x[1] / grid), std::llround(x[2] / grid)};
    }
    return cells;
}

// Of zero area on its own points, before welding: the cross product's norm
// at most 1e-10 of the longest side squared.
bool flat_triangle(const CheckPart &part, std::size_t t)
{
    const int *c = &part.triangles[3 * t];
    const double *a = &part.points[3 * c[0]], *b = &part.points[3 * c[1]], *d = &part.points[3 * c[2]];
    double u[3], v[3], w[3];
    for (int k = 0; k < 3; ++k) {
        u[k] = b[k] - a[k];
        v[k] = d[k] - a[k];
        w[k] = d[k] - b[k];
    }
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    // Most triangles are far from the bound. Sums of squares decide when the
    // lengths are well inside the range of doubles and a margin a million
    // times their rounding separates the two sides; the scaled norms below
    // decide the rest, as they always have.
    const double longest_squared = std::max({u[0] * u[0] + u[1] * u[1] + u[2] * u[2],
                                             v[0] * v[0] + v[1] * v[1] + v[2] * v[2],
                                             w[0] * w[0] + w[1] * w[1] + w[2] * w[2]});
    if (longest_squared >= 1e-100 && longest_squared <= 1e100) {
        const double cross = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), bound = 1e-10 * longest_squared;
        if (cross > bound * (1 + 1e-9))
            return false;
        if (cross < bound * (1 - 1e-9))
            return true;
    }
    const double cross = std::hypot(n[0], n[1], n[2]);
    const double longest = std::max({std::hypot(u[0], u[1], u[2]), std::hypot(v[0], v[1], v[2]),
                                     std::hypot(w[0], w[1], w[2])});
    return cross <= 1e-10 * longest * longest;
}

// What the weld needs of a part, worked out once for the per-part and the
// whole-surface passes.
struct PartCells {
    std::vector<Cell> cells;  // per point
    std::vector<char> flat;   // per triangle
};

// The triangles of some parts over welded vertex ids (numbered in the order
// the parts' points are met).
struct WeldedMesh {
    std::vector<MeshRef> triangles;
    std::vector<std::array<int, 3>> corners;
    std::vector<char> degenerate;  // two corners joined, or flat
    int vertex_count = 0;
};

WeldedMesh weld(const CheckCase &input, const std::vector<PartCells> &prepared, const std::vector<int> &parts)
{
    WeldedMesh mesh;
    CellNumbers ids;
    std::size_t points = 0, triangles = 0;
    for (int p : parts) {
        points += prepared[static_cast<std::size_t>(p)].cells.size();
        triangles += prepared[static_cast<std::size_t>(p)].flat.size();
    }
    reserve_cells(ids, points);
    mesh.triangles.reserve(triangles);
    mesh.corners.reserve(triangles);
    mesh.degenerate.reserve(triangles);
    std::vector<int> id;
    for (int p : parts) {
        const CheckPart &part = input.parts[static_cast<std::size_t>(p)];
        const PartCells &cells = prepared[static_cast<std::size_t>(p)];
        id.resize(cells.cells.size());
        for (std::size_t i = 0; i < id.size(); ++i)
            id[i] = cell_number(ids, cells.cells[i]);
        for (std::size_t t = 0; t < cells.flat.size(); ++t) {
            const int *c = &part.triangles[3 * t];
            const std::array<int, 3> corner = {id[static_cast<std::size_t>(c[0])], id[static_cast<std::size_t>(c[1])],
                                               id[static_cast<std::size_t>(c[2])]};
            mesh.triangles.push_back({p, static_cast<int>(t)});
            mesh.corners.push_back(corner);
            mesh.degenerate.push_back(corner[0] == corner[1] || corner[1] == corner[2] || corner[0] == corner[2] ||
                                      cells.flat[t]);
        }
    }
    mesh.vertex_count = static_cast<int>(ids.cells.size());
    return mesh;
}

int find_root(std::vector<int> &parent, int x)
{
    while (parent[static_cast<std::size_t>(x)] != x)
        x = parent[static_cast<std::size_t>(x)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(x)])];
    return x;
}

struct Examples {
    std::vector<MeshRef> kept;
    // A triangle is shown once, however many of its edges are at fault.
    void add(const MeshRef &r)
    {
        if (kept.size() >= examples_kept)
            return;
        for (const MeshRef &k : kept)
            if (k.part == r.part && k.triangle == r.triangle)
                return;
        kept.push_back(r);
    }
};

struct Analysis {
    SurfaceCounts counts;
    Examples degenerate, duplicate, non_manifold, open, flipped;
    std::vector<signed char> turn;  // per triangle of the mesh
};

// Items grouped by a key from 0 to keys - 1 (a counting sort), then each
// group sorted: group k is values[start[k] .. start[k + 1]). each_item(emit)
// calls emit(key, value) for every item; it is called twice and must name the
// same items both times.
template <class T>
struct Groups {
    std::vector<std::size_t> start;
    std::vector<T> values;
};

template <class T, class EachItem>
Groups<T> sorted_groups(std::size_t keys, const EachItem &each_item)
{
    Groups<T> g;
    // Counted at start[key + 2], so that after the sums start[key + 1] is
    // where the key's group begins, and after the filling where it ends.
    g.start.assign(keys + 2, 0);
    each_item([&](int key, const T &) { ++g.start[static_cast<std::size_t>(key) + 2]; });
    for (std::size_t k = 2; k < keys + 2; ++k)
        g.start[k] += g.start[k - 1];
    g.values.resize(g.start.back());
    each_item([&](int key, const T &value) { g.values[g.start[static_cast<std::size_t>(key) + 1]++] = value; });
    g.start.pop_back();
    for (std::size_t k = 0; k < keys; ++k)
        if (g.start[k + 1] - g.start[k] > 1)
            std::sort(g.values.begin() + static_cast<std::ptrdiff_t>(g.start[k]),
                      g.values.begin() + static_cast<std::ptrdiff_t>(g.start[k + 1]));
    return g;
}

// Degenerate triangles in mesh order; duplicates (a triangle whose corners an
// earlier one has, and which is not degenerate itself) in the order of their
// sorted corners, then of the mesh.
void count_degenerate_and_duplicate(const WeldedMesh &mesh, Analysis &out)
{
    const std::size_t n = mesh.corners.size();
    for (std::size_t t = 0; t < n; ++t)
        if (mesh.degenerate[t]) {
            ++out.counts.degenerate;
            out.degenerate.add(mesh.triangles[t]);
        }
    // Grouped by the lowest corner: (the two others ascending, triangle).
    const auto g = sorted_groups<std::array<int, 3>>(static_cast<std::size_t>(mesh.vertex_count), [&](auto emit) {
        for (std::size_t t = 0; t < n; ++t) {
            int a = mesh.corners[t][0], b = mesh.corners[t][1], c = mesh.corners[t][2];
            if (a > b)
                std::swap(a, b);
            if (b > c)
                std::swap(b, c);
            if (a > b)
                std::swap(a, b);
            emit(a, {b, c, static_cast<int>(t)});
        }
    });
    for (std::size_t v = 0; v < static_cast<std::size_t>(mesh.vertex_count); ++v)
        for (std::size_t i = g.start[v] + 1; i < g.start[v + 1]; ++i) {
            const std::array<int, 3> &x = g.values[i - 1], &y = g.values[i];
            const std::size_t t = static_cast<std::size_t>(y[2]);
            if (x[0] == y[0] && x[1] == y[1] && !mesh.degenerate[t]) {
                ++out.counts.duplicate;
                out.duplicate.add(mesh.triangles[t]);
            }
        }
}

Analysis analyse(const WeldedMesh &mesh)
{
    Analysis out;
    const std::size_t n = mesh.corners.size();
    const std::size_t vertex_count = static_cast<std::size_t>(mesh.vertex_count);
    count_degenerate_and_duplicate(mesh, out);

    // The edges of the sound triangles grouped by their lower vertex, each as
    // (higher vertex << 32) | (triangle << 1) | 1 when the triangle runs it
    // low to high: within a group in (higher vertex, triangle) order, so that
    // an edge shared by three or more is quoted by its first triangle.
    const auto edges = sorted_groups<std::uint64_t>(vertex_count, [&](auto emit) {
        for (std::size_t t = 0; t < n; ++t) {
            if (mesh.degenerate[t])
                continue;
            for (std::size_t k = 0; k < 3; ++k) {
                const int a = mesh.corners[t][k], b = mesh.corners[t][(k + 1) % 3];
                emit(std::min(a, b), static_cast<std::uint64_t>(std::max(a, b)) << 32 |
                                         static_cast<std::uint64_t>(t) << 1 | (a < b ? 1u : 0u));
            }
        }
    });
    const auto triangle_of = [](std::uint64_t e) { return static_cast<int>((e & 0xffffffffu) >> 1); };

    // Per triangle, the neighbours across its edges shared by exactly two, in
    // edge order: (triangle << 1) | 1 when both run the edge the same way.
    std::vector<std::array<std::uint32_t, 3>> neighbours(n);
    std::vector<unsigned char> neighbour_count(n, 0);
    std::vector<int> parent(vertex_count);
    for (std::size_t v = 0; v < vertex_count; ++v)
        parent[v] = static_cast<int>(v);
    std::vector<bool> on_open(vertex_count, false);
    const std::vector<std::uint64_t> &e = edges.values;
    for (std::size_t low = 0; low < vertex_count; ++low) {
        const std::size_t end = edges.start[low + 1];
        for (std::size_t i = edges.start[low]; i < end;) {
            const std::uint64_t high = e[i] >> 32;
            std::size_t j = i + 1;
            while (j < end && e[j] >> 32 == high)
                ++j;
            const int first = triangle_of(e[i]);
            if (j - i == 1) {
                ++out.counts.open_edges;
                out.open.add(mesh.triangles[static_cast<std::size_t>(first)]);
                on_open[low] = on_open[high] = true;
                parent[static_cast<std::size_t>(find_root(parent, static_cast<int>(low)))] =
                    find_root(parent, static_cast<int>(high));
            } else if (j - i == 2) {
                const int second = triangle_of(e[i + 1]);
                const std::uint32_t same = (e[i] & 1) == (e[i + 1] & 1) ? 1 : 0;
                neighbours[static_cast<std::size_t>(first)][neighbour_count[static_cast<std::size_t>(first)]++] =
                    static_cast<std::uint32_t>(second) << 1 | same;
                neighbours[static_cast<std::size_t>(second)][neighbour_count[static_cast<std::size_t>(second)]++] =
                    static_cast<std::uint32_t>(first) << 1 | same;
            } else {
                ++out.counts.non_manifold_edges;
                out.non_manifold.add(mesh.triangles[static_cast<std::size_t>(first)]);
            }
            i = j;
        }
    }
    for (std::size_t v = 0; v < vertex_count; ++v)
        if (on_open[v] && find_root(parent, static_cast<int>(v)) == static_cast<int>(v))
            ++out.counts.open_loops;

    // Orientation: walk each connected piece from its first triangle; a
    // neighbour running the shared edge the same way is turned against it.
    out.turn.assign(n, 0);
    std::vector<int> piece;
    for (std::size_t seed = 0; seed < n; ++seed) {
        if (out.turn[seed] != 0 || mesh.degenerate[seed])
            continue;
        piece.assign(1, static_cast<int>(seed));
        out.turn[seed] = 1;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            const std::size_t t = static_cast<std::size_t>(piece[k]);
            for (std::size_t m = 0; m < neighbour_count[t]; ++m) {
                const std::uint32_t other = neighbours[t][m];
                signed char &turn = out.turn[other >> 1];
                if (turn == 0) {
                    turn = static_cast<signed char>(other & 1 ? -out.turn[t] : out.turn[t]);
                    piece.push_back(static_cast<int>(other >> 1));
                }
            }
        }
        std::size_t turned = 0;
        for (int t : piece)
            turned += out.turn[static_cast<std::size_t>(t)] < 0;
        const signed char minority = turned * 2 <= piece.size() ? -1 : 1;
        for (int t : piece)
            if (out.turn[static_cast<std::size_t>(t)] == minority) {
                ++out.counts.flipped;
                out.flipped.add(mesh.triangles[static_cast<std::size_t>(t)]);
            }
    }
    for (auto &t : out.turn)
        if (t == 0)
            t = 1;
    return out;
}

void report_kind(CheckReport &report, const std::string &file, const std::string &where, int count,
                 const Examples &examples, const char *code, const char *what, const char *suggestion)
{
    if (count == 0)
        return;
    std::string message = where + ": " + std::to_string(count) + " " + what + "; the first: ";
    for (std::size_t i = 0; i < examples.kept.size(); ++i) {
        const MeshRef &r = examples.kept[i];
        const CheckPart &part = report.input.parts[static_cast<std::size_t>(r.part)];
        message += (i ? "; " : "") + quote_triangle(part, r.triangle);
    }
    add_check_finding(report, "warning", code, file, message + ".", suggestion);
    const CheckPart &first = report.input.parts[static_cast<std::size_t>(examples.kept.front().part)];
    report.findings.back().line = first.lines[static_cast<std::size_t>(examples.kept.front().triangle)];
}

void report_analysis(CheckReport &report, const std::string &file, const std::string &where, const Analysis &a,
                     bool whole)
{
    const SurfaceCounts &c = a.counts;
    if (!whole) {
        report_kind(report, file, where, c.degenerate, a.degenerate, "surface-degenerate",
                    "triangles of zero area", "Remove them or move their corners apart; a mesher rejects them.");
        report_kind(report, file, where, c.duplicate, a.duplicate, "surface-duplicate",
                    "triangles that repeat another's corners", "Keep one triangle of each repeated set.");
        report_kind(report, file, where, c.non_manifold_edges, a.non_manifold, "surface-non-manifold",
                    "edges shared by three or more triangles", "Each edge of a closed surface belongs to two triangles.");
        report_kind(report, file, where, c.flipped, a.flipped, "surface-flipped",
                    "triangles turned against their neighbours",
                    "Swap two corners of each so that all normals of the part point the same way.");
        return;
    }
    if (c.open_edges > 0) {
        report_kind(report, file, where, c.open_edges, a.open, "surface-open",
                    ("open edges (in " + std::to_string(c.open_loops) + " loop" + (c.open_loops == 1 ? "" : "s") +
                     ") once coincident vertices are joined")
                        .c_str(),
                    "Close the holes: every edge of the domain's surface must be shared by two triangles, or the "
                    "volume is not bounded.");
    }
}

}  // namespace

void check_surface(CheckReport &report)
{
    const CheckCase &input = report.input;
    const std::string file = surface_file_name(input);
    std::vector<PartCells> prepared(input.parts.size());
    std::vector<int> all;
    for (std::size_t p = 0; p < input.parts.size(); ++p) {
        const CheckPart &part = input.parts[p];
        prepared[p].cells = weld_cells(input, part);
        prepared[p].flat.resize(part.triangles.size() / 3);
        for (std::size_t t = 0; t < prepared[p].flat.size(); ++t)
            prepared[p].flat[t] = flat_triangle(part, t);
        all.push_back(static_cast<int>(p));
    }
    for (std::size_t p = 0; p < input.parts.size(); ++p) {
        const CheckPart &part = input.parts[p];
        const Analysis a = analyse(weld(input, prepared, {static_cast<int>(p)}));
        SurfaceCounts counts = a.counts;
        counts.number = part.number;
        counts.name = part.name;
        report.surface.push_back(counts);
        report_analysis(report, file, "part \"" + part.name + "\"", a, false);
    }
    const WeldedMesh mesh = weld(input, prepared, all);
    const Analysis whole = analyse(mesh);
    report.whole = whole.counts;
    report.whole_closed = whole.counts.open_edges == 0 && whole.counts.non_manifold_edges == 0 && !mesh.corners.empty();
    report_analysis(report, file, "the whole surface", whole, true);
    report.orientation.resize(input.parts.size());
    for (std::size_t p = 0; p < input.parts.size(); ++p)
        report.orientation[p].assign(input.parts[p].triangles.size() / 3, 1);
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t)
        report.orientation[static_cast<std::size_t>(mesh.triangles[t].part)]
                          [static_cast<std::size_t>(mesh.triangles[t].triangle)] = whole.turn[t];
}
