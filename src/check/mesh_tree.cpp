#include "check/mesh_tree.h"

#include <algorithm>
#include <utility>

#include <fcl/narrowphase/detail/primitive_shape_algorithm/triangle_distance.h>

namespace {

constexpr int leaf_size = 4;

// The point at corner c of triangle t of the tree.
const double *corner(const MeshTree &tree, int t, int c)
{
    return &tree.points[3 * static_cast<std::size_t>(tree.corners[static_cast<std::size_t>(3 * t + c)])];
}

// The box of the triangles a node holds, or of its children's boxes.
void fit(MeshTree &tree, MeshTree::Node &node)
{
    empty_box(node.lo, node.hi);
    if (node.count == 0) {
        for (int c = node.child; c <= node.child + 1; ++c)
            widen_box(node.lo, node.hi, tree.nodes[static_cast<std::size_t>(c)].lo,
                      tree.nodes[static_cast<std::size_t>(c)].hi);
        return;
    }
    for (int t = node.first; t < node.first + node.count; ++t)
        for (int c = 0; c < 3; ++c)
            widen_box(node.lo, node.hi, corner(tree, t, c), corner(tree, t, c));
}

// The placement that takes b's frame into a's: a^-1 b.
Placement relative(const Placement &a, const Placement &b)
{
    Placement r;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) {
            double sum = 0;
            for (int m = 0; m < 3; ++m)
                sum += a.rotation[3 * m + i] * b.rotation[3 * m + k];
            r.rotation[3 * i + k] = sum;
        }
        double shift = 0;
        for (int m = 0; m < 3; ++m)
            shift += a.rotation[3 * m + i] * (b.translation[m] - a.translation[m]);
        r.translation[i] = shift;
    }
    return r;
}

struct Search {
    const MeshTree &a, &b;
    Placement to_a;          // b's frame into a's
    double best, enough;
    fcl::Vector3d near_a, near_b;  // in a's frame
    bool found = false;

    // The gap between a's node and b's node placed in a's frame.
    double gap(const MeshTree::Node &x, const MeshTree::Node &y) const
    {
        double lo[3], hi[3];
        place_box(to_a, y.lo, y.hi, lo, hi);
        return box_gap(x.lo, x.hi, lo, hi);
    }

    // The triangles of two leaves, b's placed in a's frame; a pair whose
    // boxes lie farther apart than the best so far is passed over.
    void leaves(const MeshTree::Node &x, const MeshTree::Node &y)
    {
        fcl::Vector3d t[leaf_size][3];
        for (int v = 0; v < y.count; ++v)
            for (int c = 0; c < 3; ++c) {
                double q[3];
                place_point(to_a, corner(b, y.first + v, c), q);
                t[v][c] = fcl::Vector3d(q[0], q[1], q[2]);
            }
        for (int u = x.first; u < x.first + x.count; ++u) {
            fcl::Vector3d s[3];
            for (int c = 0; c < 3; ++c)
                s[c] = fcl::Vector3d(corner(a, u, c)[0], corner(a, u, c)[1], corner(a, u, c)[2]);
            const fcl::Vector3d slo = s[0].cwiseMin(s[1]).cwiseMin(s[2]);
            const fcl::Vector3d shi = s[0].cwiseMax(s[1]).cwiseMax(s[2]);
            for (int v = 0; v < y.count; ++v) {
                const fcl::Vector3d tlo = t[v][0].cwiseMin(t[v][1]).cwiseMin(t[v][2]);
                const fcl::Vector3d thi = t[v][0].cwiseMax(t[v][1]).cwiseMax(t[v][2]);
                const fcl::Vector3d apart = (slo - thi).cwiseMax(tlo - shi).cwiseMax(0.0);
                if (!(apart.norm() < best))
                    continue;
                // The gap between their shadows on the line through their
                // centres holds where their boxes face each other askew.
                const fcl::Vector3d line = (t[v][0] + t[v][1] + t[v][2] - s[0] - s[1] - s[2]).normalized();
                const double near_s = std::max({s[0].dot(line), s[1].dot(line), s[2].dot(line)});
                const double near_t = std::min({t[v][0].dot(line), t[v][1].dot(line), t[v][2].dot(line)});
                if (!(near_t - near_s < best))
                    continue;
                fcl::Vector3d p, q;
                const double d = fcl::detail::TriangleDistance<double>::triDistance(s, t[v], p, q);
                if (d < best) {
                    best = d;
                    near_a = p;
                    near_b = q;
                    found = true;
                }
            }
        }
    }

    void run()
    {
        struct Visit {
            int x, y;
            double gap;
        };
        std::vector<Visit> stack{{0, 0, gap(a.nodes[0], b.nodes[0])}};
        while (!stack.empty() && !(best <= enough)) {
            const Visit visit = stack.back();
            stack.pop_back();
            if (!(visit.gap < best))
                continue;
            const MeshTree::Node &x = a.nodes[static_cast<std::size_t>(visit.x)];
            const MeshTree::Node &y = b.nodes[static_cast<std::size_t>(visit.y)];
            if (x.count && y.count) {
                leaves(x, y);
                continue;
            }
            // Open the node that is not a leaf, the larger when neither is,
            // and visit the nearer of its children first.
            auto size = [](const MeshTree::Node &n) {
                return std::hypot(n.hi[0] - n.lo[0], n.hi[1] - n.lo[1], n.hi[2] - n.lo[2]);
            };
            const bool open_x = y.count || (!x.count && size(x) >= size(y));
            Visit first{}, second{};
            if (open_x) {
                first = {x.child, visit.y, gap(a.nodes[static_cast<std::size_t>(x.child)], y)};
                second = {x.child + 1, visit.y, gap(a.nodes[static_cast<std::size_t>(x.child + 1)], y)};
            } else {
                first = {visit.x, y.child, gap(x, b.nodes[static_cast<std::size_t>(y.child)])};
                second = {visit.x, y.child + 1, gap(x, b.nodes[static_cast<std::size_t>(y.child + 1)])};
            }
            if (second.gap < first.gap)
                std::swap(first, second);
            if (second.gap < best)
                stack.push_back(second);
            if (first.gap < best)
                stack.push_back(first);
        }
    }
};

}  // namespace

MeshTree make_tree(std::vector<double> points, const std::vector<int> &corners)
{
    MeshTree tree;
    tree.points = std::move(points);
    const int triangles = static_cast<int>(corners.size() / 3);
    if (triangles == 0)
        return tree;
    // Each triangle's centre beside its number, so that the splits move
    // them together.
    struct Item {
        double centre[3];
        int triangle;
    };
    std::vector<Item> items(static_cast<std::size_t>(triangles));
    for (std::size_t t = 0; t < items.size(); ++t) {
        items[t].triangle = static_cast<int>(t);
        for (std::size_t k = 0; k < 3; ++k)
            items[t].centre[k] = (tree.points[3 * static_cast<std::size_t>(corners[3 * t]) + k] +
                                  tree.points[3 * static_cast<std::size_t>(corners[3 * t + 1]) + k] +
                                  tree.points[3 * static_cast<std::size_t>(corners[3 * t + 2]) + k]) / 3.0;
    }
    tree.nodes.reserve(2 * static_cast<std::size_t>(triangles / leaf_size + 1));
    tree.nodes.emplace_back();
    tree.nodes[0].count = triangles;
    // Split each node at the median of its triangles' centres along the
    // longest side of their box; children come after their parent.
    for (std::size_t n = 0; n < tree.nodes.size(); ++n) {
        const int first = tree.nodes[n].first, count = tree.nodes[n].count;
        if (count <= leaf_size)
            continue;
        double lo[3], hi[3];
        empty_box(lo, hi);
        const auto begin = items.begin() + first, end = begin + count;
        for (auto item = begin; item != end; ++item)
            widen_box(lo, hi, item->centre, item->centre);
        const std::size_t axis = hi[0] - lo[0] >= std::max(hi[1] - lo[1], hi[2] - lo[2]) ? 0
                                 : hi[1] - lo[1] >= hi[2] - lo[2]                       ? 1
                                                                                         : 2;
        const int half = count / 2;
        std::nth_element(begin, begin + half, end,
                         [axis](const Item &u, const Item &v) { return u.centre[axis] < v.centre[axis]; });
        const int child = static_cast<int>(tree.nodes.size());
        tree.nodes[n].count = 0;
        tree.nodes[n].child = child;
        tree.nodes.emplace_back();
        tree.nodes.back().first = first;
        tree.nodes.back().count = half;
        tree.nodes.emplace_back();
        tree.nodes.back().first = first + half;
        tree.nodes.back().count = count - half;
    }
    tree.corners.resize(corners.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        std::copy_n(&corners[3 * static_cast<std::size_t>(items[i].triangle)], 3, &tree.corners[3 * i]);
    for (std::size_t n = tree.nodes.size(); n-- > 0;)
        fit(tree, tree.nodes[n]);
    return tree;
}

double tree_distance(const MeshTree &a, const Placement &pa, const MeshTree &b, const Placement &pb, double upper,
                     double enough, double *points)
{
    if (a.nodes.empty() || b.nodes.empty())
        return upper;
    Search search{a, b, relative(pa, pb), upper, enough, {}, {}};
    search.run();
    if (search.found && points) {
        const double pa_local[3] = {search.near_a[0], search.near_a[1], search.near_a[2]};
        const double pb_local[3] = {search.near_b[0], search.near_b[1], search.near_b[2]};
        place_point(pa, pa_local, points);
        place_point(pa, pb_local, points + 3);
    }
    return search.found ? search.best : upper;
}
