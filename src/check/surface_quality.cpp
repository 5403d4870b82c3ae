// Surface quality at the first step: degenerate and duplicate triangles,
// edges shared by three or more triangles, open edges and their loops, and
// triangles turned against their neighbours; per part and for the whole
// surface, each after welding coincident vertices.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numeric>
#include <tuple>

#include "check/check.h"

namespace {

constexpr std::size_t examples_kept = 3;

struct MeshRef {
    int part, triangle;
};

// The triangles of some parts over welded vertex ids.
struct WeldedMesh {
    std::vector<MeshRef> triangles;
    std::vector<std::array<int, 3>> corners;
};

WeldedMesh weld(const CheckCase &input, const std::vector<int> &parts)
{
    WeldedMesh mesh;
    // Coincident: the same point on a grid of a billionth of the case's size.
    const double grid = 1e-9 * input.size;
    std::map<std::tuple<long long, long long, long long>, int> ids;
    for (int p : parts) {
        const CheckPart &part = input.parts[static_cast<std::size_t>(p)];
        std::vector<int> id(part.points.size() / 3);
        for (std::size_t i = 0; i < id.size(); ++i) {
            const double *x = &part.points[3 * i];
            const auto key = std::make_tuple(std::llround(x[0] / grid), std::llround(x[1] / grid), std::llround(x[2] / grid));
            id[i] = ids.emplace(key, static_cast<int>(ids.size())).first->second;
        }
        for (std::size_t t = 0; t < part.triangles.size() / 3; ++t) {
            mesh.triangles.push_back({p, static_cast<int>(t)});
            mesh.corners.push_back({id[static_cast<std::size_t>(part.triangles[3 * t])],
                                    id[static_cast<std::size_t>(part.triangles[3 * t + 1])],
                                    id[static_cast<std::size_t>(part.triangles[3 * t + 2])]});
        }
    }
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

bool degenerate_triangle(const CheckCase &input, const MeshRef &r)
{
    const CheckPart &part = input.parts[static_cast<std::size_t>(r.part)];
    const int *c = &part.triangles[3 * static_cast<std::size_t>(r.triangle)];
    const double *a = &part.points[3 * c[0]], *b = &part.points[3 * c[1]], *d = &part.points[3 * c[2]];
    double u[3], v[3], w[3];
    for (int k = 0; k < 3; ++k) {
        u[k] = b[k] - a[k];
        v[k] = d[k] - a[k];
        w[k] = d[k] - b[k];
    }
    const double cross = std::hypot(u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]);
    const double longest = std::max({std::hypot(u[0], u[1], u[2]), std::hypot(v[0], v[1], v[2]),
                                     std::hypot(w[0], w[1], w[2])});
    return cross <= 1e-10 * longest * longest;
}

Analysis analyse(const CheckCase &input, const WeldedMesh &mesh)
{
    Analysis out;
    const std::size_t n = mesh.corners.size();
    // Degenerate and duplicate triangles.
    std::vector<std::array<int, 3>> sorted(n);
    std::vector<bool> degenerate(n);
    for (std::size_t t = 0; t < n; ++t) {
        const auto &c = mesh.corners[t];
        degenerate[t] = c[0] == c[1] || c[1] == c[2] || c[0] == c[2] || degenerate_triangle(input, mesh.triangles[t]);
        if (degenerate[t]) {
            ++out.counts.degenerate;
            out.degenerate.add(mesh.triangles[t]);
        }
        sorted[t] = c;
        std::sort(sorted[t].begin(), sorted[t].end());
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return sorted[a] < sorted[b]; });
    for (std::size_t i = 1; i < n; ++i)
        if (sorted[order[i]] == sorted[order[i - 1]] && !degenerate[order[i]]) {
            ++out.counts.duplicate;
            out.duplicate.add(mesh.triangles[order[i]]);
        }

    // Edges: (low, high, triangle, 1 when the triangle runs low to high).
    struct Edge {
        int low, high, triangle, forward;
    };
    std::vector<Edge> edges;
    edges.reserve(3 * n);
    for (std::size_t t = 0; t < n; ++t) {
        if (degenerate[t])
            continue;
        for (int k = 0; k < 3; ++k) {
            const int a = mesh.corners[t][static_cast<std::size_t>(k)];
            const int b = mesh.corners[t][static_cast<std::size_t>((k + 1) % 3)];
            edges.push_back({std::min(a, b), std::max(a, b), static_cast<int>(t), a < b ? 1 : 0});
        }
    }
    std::sort(edges.begin(), edges.end(),
              [](const Edge &x, const Edge &y) { return std::tie(x.low, x.high) < std::tie(y.low, y.high); });
    std::vector<std::vector<std::pair<int, int>>> neighbours(n);  // (triangle, 1 when both run the same way)
    int vertex_count = 0;
    for (const auto &c : mesh.corners)
        vertex_count = std::max({vertex_count, c[0] + 1, c[1] + 1, c[2] + 1});
    std::vector<int> parent(static_cast<std::size_t>(vertex_count));
    std::iota(parent.begin(), parent.end(), 0);
    std::vector<bool> on_open(static_cast<std::size_t>(vertex_count), false);
    for (std::size_t i = 0; i < edges.size();) {
        std::size_t j = i;
        while (j < edges.size() && edges[j].low == edges[i].low && edges[j].high == edges[i].high)
            ++j;
        const std::size_t shared = j - i;
        if (shared == 1) {
            ++out.counts.open_edges;
            out.open.add(mesh.triangles[static_cast<std::size_t>(edges[i].triangle)]);
            on_open[static_cast<std::size_t>(edges[i].low)] = on_open[static_cast<std::size_t>(edges[i].high)] = true;
            parent[static_cast<std::size_t>(find_root(parent, edges[i].low))] = find_root(parent, edges[i].high);
        } else if (shared == 2) {
            const Edge &x = edges[i], &y = edges[i + 1];
            const int same = x.forward == y.forward ? 1 : 0;
            neighbours[static_cast<std::size_t>(x.triangle)].push_back({y.triangle, same});
            neighbours[static_cast<std::size_t>(y.triangle)].push_back({x.triangle, same});
        } else {
            ++out.counts.non_manifold_edges;
            out.non_manifold.add(mesh.triangles[static_cast<std::size_t>(edges[i].triangle)]);
        }
        i = j;
    }
    for (int v = 0; v < vertex_count; ++v)
        if (on_open[static_cast<std::size_t>(v)] && find_root(parent, v) == v)
            ++out.counts.open_loops;

    // Orientation: walk each connected piece from its first triangle; a
    // neighbour running the shared edge the same way is turned against it.
    out.turn.assign(n, 0);
    for (std::size_t seed = 0; seed < n; ++seed) {
        if (out.turn[seed] != 0 || degenerate[seed])
            continue;
        std::vector<int> piece{static_cast<int>(seed)};
        out.turn[seed] = 1;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            const std::size_t t = static_cast<std::size_t>(piece[k]);
            for (auto [other, same] : neighbours[t]) {
                signed char &turn = out.turn[static_cast<std::size_t>(other)];
                if (turn == 0) {
                    turn = static_cast<signed char>(same ? -out.turn[t] : out.turn[t]);
                    piece.push_back(other);
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
    std::vector<int> all;
    for (std::size_t p = 0; p < input.parts.size(); ++p) {
        const CheckPart &part = input.parts[p];
        const Analysis a = analyse(input, weld(input, {static_cast<int>(p)}));
        SurfaceCounts counts = a.counts;
        counts.number = part.number;
        counts.name = part.name;
        report.surface.push_back(counts);
        report_analysis(report, file, "part \"" + part.name + "\"", a, false);
        all.push_back(static_cast<int>(p));
    }
    const WeldedMesh mesh = weld(input, all);
    const Analysis whole = analyse(input, mesh);
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
