// Clearances over the run: for every pair of parts of which one moves, the
// smallest distance between their triangles at every step, and the steps at
// which they touch or one lies beyond the other. Each part's bounding-volume
// hierarchy is built once; each step only places it. Exact distance queries
// are costly, so a step is queried only when a lower bound of its distance
// (the distance of the placed bounding boxes, or a queried step's distance
// less how far the parts can have moved since) can beat the best so far.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>

#include <Eigen/Geometry>

#include "check/check.h"
#include "check/mesh_tree.h"

namespace {

// A part, or a piece of one, as the clearances query it. Pairs run in two
// threads: a body that does not stretch is shared, its model built once by
// whichever pair needs it first; a stretching body is copied into each pair
// (cheap: its points at the steps are shared), as its model changes with
// the step the pair looks at.
struct Body {
    const CheckPart *part = nullptr;
    std::shared_ptr<MeshTree> model;
    std::shared_ptr<std::once_flag> built = std::make_shared<std::once_flag>();
    double radius = 0;  // farthest point from the origin at the first step
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    int shown_step = 0;  // a stretching part: the step its model holds
    // A stretching part: the points its triangles use, and their x, y, z at
    // every step (step by step), for its boxes and how far it moves.
    std::vector<std::size_t> used;
    std::shared_ptr<const std::vector<double>> at_steps;
    std::vector<int> triangles;  // 3 corners each, into the model's points
    double smallest_piece = -1;  // see pieces_larger_than, once worked out
};

// Fills a stretching body's points at every step.
void cache_steps(const CheckCase &input, Body &body)
{
    std::vector<bool> marked(body.part->points.size() / 3, false);
    for (int corner : body.part->triangles)
        marked[static_cast<std::size_t>(corner)] = true;
    for (std::size_t i = 0; i < marked.size(); ++i)
        if (marked[i])
            body.used.push_back(i);
    // Where each used point's coordinates come from: its place at the
    // first step, or its slot among the part's moving points.
    const CheckPart &part = *body.part;
    std::vector<long> slot(part.points.size() / 3, -1);
    for (std::size_t k = 0; k < part.moving.size(); ++k)
        slot[part.moving[k]] = static_cast<long>(k);
    auto at_steps = std::make_shared<std::vector<double>>();
    at_steps->reserve(3 * body.used.size() * static_cast<std::size_t>(input.steps));
    for (std::size_t s = 0; s < static_cast<std::size_t>(input.steps); ++s) {
        const double *moved = part.moving_at.data() + 3 * s * part.moving.size();
        for (std::size_t i : body.used) {
            const double *at = slot[i] < 0 ? &part.points[3 * i] : moved + 3 * slot[i];
            at_steps->insert(at_steps->end(), at, at + 3);
        }
    }
    body.at_steps = std::move(at_steps);
}

const double *cached(const Body &body, int step, std::size_t k)
{
    return &(*body.at_steps)[3 * (static_cast<std::size_t>(step) * body.used.size() + k)];
}

// A stretching part's points at the step: x, y, z of each point its
// triangles use.
std::vector<double> step_points(const Body &body, int step)
{
    return std::vector<double>(cached(body, step, 0), cached(body, step, 0) + 3 * body.used.size());
}

// The part's triangles for the proximity library: into its points, or for a
// stretching part into the points its triangles use.
void fill_triangles(Body &body)
{
    const CheckPart &part = *body.part;
    if (!body.triangles.empty())
        return;
    std::vector<std::size_t> index(part.points.size() / 3);
    std::iota(index.begin(), index.end(), std::size_t{0});
    for (std::size_t k = 0; part.stretches && k < body.used.size(); ++k)
        index[body.used[k]] = k;
    for (int corner : part.triangles)
        body.triangles.push_back(static_cast<int>(index[static_cast<std::size_t>(corner)]));
}

// The part's bounding-volume hierarchy, built when first needed: a large
// part that stays still is often only queried through the few of its
// triangles near a moving one. A stretching part's is built over the points
// its triangles use, at the step it shows.
const MeshTree &model_of(Body &body)
{
    const CheckPart &part = *body.part;
    if (!part.stretches) {
        std::call_once(*body.built, [&] {
            fill_triangles(body);
            body.model = std::make_shared<MeshTree>(make_tree(part.points, body.triangles));
        });
        return *body.model;
    }
    if (body.model)
        return *body.model;
    fill_triangles(body);
    body.model = std::make_shared<MeshTree>(make_tree(step_points(body, body.shown_step), body.triangles));
    return *body.model;
}

Body make_body(const CheckPart &part)
{
    Body body;
    body.part = &part;
    empty_box(body.lo, body.hi);
    for (std::size_t i = 0; i < part.points.size(); i += 3) {
        body.radius = std::max(body.radius, std::hypot(part.points[i], part.points[i + 1], part.points[i + 2]));
        widen_box(body.lo, body.hi, &part.points[i], &part.points[i]);
    }
    return body;
}

// A stretching part's model holds its points at the step, built anew for
// each step it shows.
void show_step(Body &body, int step)
{
    if (!body.part->stretches || (body.model && body.shown_step == step))
        return;
    body.model.reset();
    body.shown_step = step;
    model_of(body);
}

// A stretching part at the step as only those of its triangles whose boxes
// come within `reach` of the box lo..hi: a part that stretches is rebuilt
// at every step it is queried, and only a few of its triangles come near
// the other part. Returns the least box gap of the triangles left out; the
// model is empty when none comes near.
double show_near(Body &body, int step, const double *lo, const double *hi, double reach)
{
    fill_triangles(body);
    body.model.reset();
    body.shown_step = -1;  // not the whole part: show_step() builds that anew
    double left_out = HUGE_VAL;
    std::vector<int> near;
    for (std::size_t t = 0; t < body.triangles.size(); t += 3) {
        double tlo[3], thi[3];
        empty_box(tlo, thi);
        for (std::size_t c = t; c < t + 3; ++c) {
            const double *at = cached(body, step, static_cast<std::size_t>(body.triangles[c]));
            widen_box(tlo, thi, at, at);
        }
        const double gap = box_gap(tlo, thi, lo, hi);
        if (gap <= reach)
            near.insert(near.end(), &body.triangles[t], &body.triangles[t] + 3);
        else
            left_out = std::min(left_out, gap);
    }
    if (!near.empty())
        body.model = std::make_shared<MeshTree>(make_tree(step_points(body, step), near));
    return left_out;
}

const Placement &placement(const Body &b, int step)
{
    return b.part->placements[static_cast<std::size_t>(step)];
}

// The placement a straight blend of the two steps' positions passes at
// fraction t: the translation blended, the rotation turned part of the way.
Placement blended(const Placement &from, const Placement &to, double t)
{
    using Rows = Eigen::Matrix<double, 3, 3, Eigen::RowMajor>;
    const Eigen::Quaterniond qa(Eigen::Map<const Rows>(from.rotation)), qb(Eigen::Map<const Rows>(to.rotation));
    Placement p;
    Eigen::Map<Rows>(p.rotation) = qa.slerp(t, qb).toRotationMatrix();
    for (int k = 0; k < 3; ++k)
        p.translation[k] = (1 - t) * from.translation[k] + t * to.translation[k];
    return p;
}

// How far any point of a part that does not stretch can be between two
// placements.
double movement(const Body &b, const Placement &p, const Placement &q)
{
    double rotation = 0, shift = 0;
    for (int i = 0; i < 9; ++i)
        rotation += (p.rotation[i] - q.rotation[i]) * (p.rotation[i] - q.rotation[i]);
    for (int i = 0; i < 3; ++i)
        shift += (p.translation[i] - q.translation[i]) * (p.translation[i] - q.translation[i]);
    return std::sqrt(rotation) * b.radius + std::sqrt(shift);
}

// How far any point of the part can be between its placements at two steps.
double movement(const Body &b, int s, int j)
{
    if (b.part->stretches) {
        double farthest = 0;
        for (std::size_t k = 0; k < b.used.size(); ++k) {
            const double *p = cached(b, s, k), *q = cached(b, j, k);
            farthest = std::max(farthest, std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]));
        }
        return farthest;
    }
    return movement(b, placement(b, s), placement(b, j));
}

bool at_rest(const Body &b, int step)
{
    if (b.part->stretches)
        return true;
    const Placement &p = placement(b, step);
    static const Placement identity;
    return std::equal(p.rotation, p.rotation + 9, identity.rotation) &&
           std::equal(p.translation, p.translation + 3, identity.translation);
}

// The part's bounding box placed at the step.
void placed_box(const Body &body, int step, double *lo, double *hi)
{
    if (body.part->stretches) {
        empty_box(lo, hi);
        for (std::size_t k = 0; k < body.used.size(); ++k)
            widen_box(lo, hi, cached(body, step, k), cached(body, step, k));
        return;
    }
    place_box(placement(body, step), body.lo, body.hi, lo, hi);
}


// The distance of the two parts' bounding boxes placed at the step.
double box_distance(const Body &a, const Body &b, int step)
{
    double lo[2][3], hi[2][3];
    placed_box(a, step, lo[0], hi[0]);
    placed_box(b, step, lo[1], hi[1]);
    return box_gap(lo[0], hi[0], lo[1], hi[1]);
}

// The runs of steps marked, as first and last step.
std::vector<std::array<int, 2>> step_ranges(const std::vector<bool> &marked)
{
    std::vector<std::array<int, 2>> ranges;
    for (int s = 0; s < static_cast<int>(marked.size()); ++s) {
        if (!marked[static_cast<std::size_t>(s)])
            continue;
        if (!ranges.empty() && ranges.back()[1] == s - 1)
            ranges.back()[1] = s;
        else
            ranges.push_back({s, s});
    }
    return ranges;
}

// The least distance between a still part and one that slides along a
// direction, over a range of the slider's offsets: the distance from the
// slider at rest to the still part's triangles swept back over the range
// (both ends of every triangle and the sides its edges sweep). The sides
// stand for the sweep's inside, which holds when no piece of the slider is
// small enough to fit inside one swept triangle. Ranges come in levels:
// the whole run's range (when no piece of the slider fits inside a triangle
// swept so far), then ranges each a sixteenth of the one above.
struct Sweep {
    const CheckPart &still;
    Body &slider;
    double direction[3] = {0, 0, 0};
    std::vector<double> offset;  // the slider's offset along the direction, per step
    double lowest = 0, length = 0;  // length: the whole range's
    int first_level = 0;
    std::vector<std::unique_ptr<MeshTree>> models;
    std::map<std::pair<int, long>, double> known;
    int queries = 0;

    static constexpr int levels = 3;

    Sweep(const CheckPart &still_part, Body &sliding) : still(still_part), slider(sliding) {}

    double level_length(int level) const { return length / std::pow(16.0, level); }

    const MeshTree &model(int level)
    {
        if (models.size() <= static_cast<std::size_t>(level))
            models.resize(static_cast<std::size_t>(level) + 1);
        std::unique_ptr<MeshTree> &m = models[static_cast<std::size_t>(level)];
        if (m)
            return *m;
        const std::size_t n = still.points.size() / 3;
        std::vector<double> points(6 * n);
        for (std::size_t i = 0; i < 3 * n; ++i) {
            points[i] = still.points[i];
            points[3 * n + i] = still.points[i] - level_length(level) * direction[i % 3];
        }
        const int shift = static_cast<int>(n);
        std::vector<int> triangles;
        std::vector<std::pair<int, int>> edges;
        for (std::size_t t = 0; t < still.triangles.size(); t += 3) {
            const int *c = &still.triangles[t];
            triangles.insert(triangles.end(), {c[0], c[1], c[2], shift + c[0], shift + c[1], shift + c[2]});
            for (int e = 0; e < 3; ++e)
                edges.emplace_back(std::min(c[e], c[(e + 1) % 3]), std::max(c[e], c[(e + 1) % 3]));
        }
        std::sort(edges.begin(), edges.end());
        edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
        for (const auto &e : edges)
            triangles.insert(triangles.end(), {e.first, e.second, shift + e.second, e.first, shift + e.second,
                                               shift + e.first});
        m = std::make_unique<MeshTree>(make_tree(std::move(points), triangles));
        return *m;
    }

    // A lower bound of the distance at the step: the least distance over
    // the range holding its offset, at finer levels while that can still
    // beat `best` by `slack` or more.
    double bound(int step, double best, double slack)
    {
        double lower = 0;
        const double at = offset[static_cast<std::size_t>(step)];
        for (int level = first_level; level < levels && lower <= best - slack; ++level) {
            const double h = level_length(level);
            long w = static_cast<long>(std::floor((at - lowest) / h));
            if (lowest + static_cast<double>(w) * h > at)
                --w;
            else if (lowest + static_cast<double>(w + 1) * h < at)
                ++w;
            auto range = known.find({level, w});
            if (range == known.end()) {
                Placement moved;
                // The slider at offset t sees the still part moved by -t.
                for (int k = 0; k < 3; ++k)
                    moved.translation[k] = -(lowest + static_cast<double>(w) * h) * direction[k];
                // Searched only below the best so far: a range no nearer
                // keeps that best as its bound, which only falls later.
                const double d = tree_distance(model(level), moved, model_of(slider), Placement(), best);
                ++queries;
                range = known.emplace(std::make_pair(level, w), std::max(d, 0.0)).first;
            }
            lower = std::max(lower, range->second);
        }
        return lower;
    }
};

struct PairRun {
    const CheckCase &input;
    Body &a, &b;
    PairClearance &out;
    double tolerance;
    Sweep *sweep;

    double distance(const Placement &pa, const Placement &pb, double *points, double upper = HUGE_VAL)
    {
        return std::max(tree_distance(model_of(a), pa, model_of(b), pb, upper, 0, points), 0.0);
    }
    // The distance at the step; `exact` comes back cleared when it is only
    // a lower bound, which happens when a stretching part has no triangle
    // that could come nearer than `best`.
    double distance_at(int step, double best, double *points, bool &exact)
    {
        ++out.exact_queries;
        exact = true;
        Body *stretching = a.part->stretches ? &a : b.part->stretches ? &b : nullptr;
        if (!stretching || !(best < HUGE_VAL)) {
            show_step(a, step);
            show_step(b, step);
            return distance(placement(a, step), placement(b, step), points);
        }
        double lo[3], hi[3];
        placed_box(stretching == &a ? b : a, step, lo, hi);
        const double left_out = show_near(*stretching, step, lo, hi, best + tolerance);
        const double d = stretching->model ? distance(placement(a, step), placement(b, step), points, left_out)
                                           : left_out;
        if (d < left_out)
            return d;
        exact = false;
        return left_out;
    }
    // Whether the parts placed so touch: some two of their triangles no
    // farther apart than the tolerance.
    bool touch(const Placement &pa, const Placement &pb)
    {
        ++out.collision_queries;
        return tree_distance(model_of(a), pa, model_of(b), pb, HUGE_VAL, tolerance) <= tolerance;
    }
    bool collide_at(int step)
    {
        show_step(a, step);
        show_step(b, step);
        return touch(placement(a, step), placement(b, step));
    }
    // Whether the straight blend from placements fa, fb to ga, gb brings the
    // parts together (none stretches): advance by the distance over the
    // speed bound until they touch or the blend ends. `apart` is a lower
    // bound of the distance at one end or the other.
    bool touches_between(const Placement &fa, const Placement &ga, const Placement &fb, const Placement &gb,
                         double apart)
    {
        const double speed = movement(a, fa, ga) + movement(b, fb, gb);
        if (!(speed > 0) || std::isinf(speed) || speed < apart)
            return false;
        double t = 0;
        for (int i = 0; i < 1000; ++i) {
            ++out.sweep_queries;
            const double d = distance(blended(fa, ga, t), blended(fb, gb, t), nullptr);
            if (d <= tolerance)
                return true;
            t += d / speed;
            if (t >= 1)
                return false;
        }
        return false;
    }
    bool seated_at(int step) const
    {
        return out.seated && at_rest(a, step) && at_rest(b, step);
    }

    void run()
    {
        const int steps = input.steps;
        out.distance.assign(static_cast<std::size_t>(steps), 0.0);
        out.exact.assign(static_cast<std::size_t>(steps), 0);
        // Parts that touch where neither has moved (a valve in its seat).
        show_step(a, 0);
        show_step(b, 0);
        out.seated = touch(Placement(), Placement());
        const bool stretching = a.part->stretches || b.part->stretches;

        // Distances: steps in order of their box bound, queried only where
        // the bound can beat the best so far.
        std::vector<double> bound(static_cast<std::size_t>(steps));
        std::vector<int> order;
        for (int s = 0; s < steps; ++s) {
            bound[static_cast<std::size_t>(s)] = box_distance(a, b, s);
            if (!seated_at(s))
                order.push_back(s);
        }
        std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
            return bound[static_cast<std::size_t>(x)] < bound[static_cast<std::size_t>(y)];
        });
        std::map<int, double> known;
        auto tightened = [&](int s) {
            double lower = bound[static_cast<std::size_t>(s)];
            auto next = known.lower_bound(s);
            if (next != known.end())
                lower = std::max(lower, next->second - movement(a, s, next->first) - movement(b, s, next->first));
            if (next != known.begin()) {
                auto before = std::prev(next);
                lower = std::max(lower, before->second - movement(a, s, before->first) - movement(b, s, before->first));
            }
            return lower;
        };
        double best = HUGE_VAL;
        for (int s : order) {
            const double box = bound[static_cast<std::size_t>(s)];
            if (box > best || (box == best && s > out.min_step))
                break;
            const double lower = tightened(s);
            if (lower > best || (lower == best && s > out.min_step))
                continue;
            // A range whose least distance could beat the best so far only by
            // less than a tenth of the distances' accuracy is not searched:
            // a part sliding parallel to a wall then costs a few sweeps.
            if (sweep && out.exact_queries >= 4) {
                const double slack = 1e-7 * input.size;
                const double range = sweep->bound(s, best, slack);
                bound[static_cast<std::size_t>(s)] = std::max(bound[static_cast<std::size_t>(s)], range);
                if (range > best - slack || (range == best && s > out.min_step))
                    continue;
            }
            double points[6] = {0, 0, 0, 0, 0, 0};
            bool exact = true;
            const double d = distance_at(s, best, points, exact);
            if (!exact) {
                bound[static_cast<std::size_t>(s)] = std::max(bound[static_cast<std::size_t>(s)], d);
                continue;
            }
            known[s] = d;
            if (d < best || (d == best && s < out.min_step)) {
                best = d;
                out.min_step = s;
                out.min_distance = d;
                for (int k = 0; k < 3; ++k) {
                    out.points[0][k] = points[k];
                    out.points[1][k] = points[3 + k];
                }
            }
        }
        for (int s = 0; s < steps; ++s) {
            auto it = known.find(s);
            out.exact[static_cast<std::size_t>(s)] = it != known.end() || seated_at(s);
            out.distance[static_cast<std::size_t>(s)] =
                it != known.end() ? it->second : seated_at(s) ? 0.0 : std::max(tightened(s), 0.0);
        }

        // Contact at the steps, then passages between steps where neither
        // end touches: each passage puts one part beyond the other, or back.
        std::vector<bool> touching(static_cast<std::size_t>(steps), false);
        for (int s = 0; s < steps; ++s)
            if (!seated_at(s) && out.distance[static_cast<std::size_t>(s)] <= tolerance)
                touching[static_cast<std::size_t>(s)] = out.exact[static_cast<std::size_t>(s)] || collide_at(s);
        std::vector<bool> contact = touching;
        if (!stretching) {
            bool beyond = false;
            int free = -1;
            for (int s = 0; s < steps; ++s) {
                if (touching[static_cast<std::size_t>(s)] || seated_at(s)) {
                    if (seated_at(s))
                        free = -1, beyond = false;
                    continue;
                }
                // Each passage from the step before puts one part beyond the
                // other, or back. The first step is reached from where both
                // rest (as the surface file draws them, apart), unless they
                // rest in a seat: leaving it passes through nothing.
                const Placement rest;
                const bool passes =
                    free >= 0 ? touches_between(placement(a, free), placement(a, s), placement(b, free), placement(b, s),
                                                std::max(out.distance[static_cast<std::size_t>(free)],
                                                         out.distance[static_cast<std::size_t>(s)]))
                              : !out.seated && touches_between(rest, placement(a, s), rest, placement(b, s),
                                                               out.distance[static_cast<std::size_t>(s)]);
                if (passes)
                    beyond = !beyond;
                contact[static_cast<std::size_t>(s)] = beyond;
                free = s;
            }
        }
        out.contact = step_ranges(contact);
    }
};

bool still_throughout(const CheckCase &input, const Body &b)
{
    for (int s = 0; s < input.steps; ++s)
        if (b.part->stretches || !at_rest(b, s))
            return false;
    return true;
}

// Placed without a turn at every step: a straight blend between two steps
// then stays inside the box that holds the part at every step.
bool never_turns(const Body &b)
{
    const Placement identity;
    for (const Placement &p : b.part->placements)
        if (b.part->stretches || !std::equal(p.rotation, p.rotation + 9, identity.rotation))
            return false;
    return true;
}

// The triangles of a still part whose boxes come near the box that holds a
// moving part at every step; every other triangle lies farther than
// `left_out` from the moving part at any step and between steps.
struct NearPart {
    CheckPart part;
    double left_out = HUGE_VAL;
};

NearPart near_triangles(const CheckCase &input, const Body &still, const Body &mover, double margin)
{
    double reach_lo[3], reach_hi[3], lo[3], hi[3];
    placed_box(mover, 0, reach_lo, reach_hi);
    for (int s = 1; s < input.steps; ++s) {
        placed_box(mover, s, lo, hi);
        widen_box(reach_lo, reach_hi, lo, hi);
    }
    const CheckPart &part = *still.part;
    std::vector<double> gaps(part.triangles.size() / 3);
    for (std::size_t t = 0; t < gaps.size(); ++t) {
        empty_box(lo, hi);
        for (std::size_t c = 3 * t; c < 3 * t + 3; ++c) {
            const double *x = &part.points[3 * static_cast<std::size_t>(part.triangles[c])];
            widen_box(lo, hi, x, x);
        }
        gaps[t] = box_gap(lo, hi, reach_lo, reach_hi);
    }
    NearPart near{part, HUGE_VAL};
    near.part.triangles.clear();
    if (gaps.empty())
        return near;
    margin += *std::min_element(gaps.begin(), gaps.end());
    for (std::size_t t = 0; t < gaps.size(); ++t)
        if (gaps[t] <= margin)
            near.part.triangles.insert(near.part.triangles.end(), part.triangles.begin() + static_cast<long>(3 * t),
                                       part.triangles.begin() + static_cast<long>(3 * t + 3));
        else
            near.left_out = std::min(near.left_out, gaps[t]);
    return near;
}

double longest_edge(const CheckPart &part)
{
    double longest = 0;
    const double *xyz = part.points.data();
    for (std::size_t t = 0; t < part.triangles.size(); t += 3)
        for (std::size_t e = 0; e < 3; ++e) {
            const std::size_t i = 3 * static_cast<std::size_t>(part.triangles[t + e]);
            const std::size_t j = 3 * static_cast<std::size_t>(part.triangles[t + (e + 1) % 3]);
            longest = std::max(longest, std::hypot(xyz[i] - xyz[j], xyz[i + 1] - xyz[j + 1], xyz[i + 2] - xyz[j + 2]));
        }
    return longest;
}

// Whether every connected piece of the part (triangles joined by shared
// points) has a box whose longest side exceeds the length: a piece that
// long fits inside no convex set of that diameter.
bool pieces_larger_than(Body &body, double length)
{
    if (body.smallest_piece < 0) {
        const CheckPart &part = *body.part;
        std::vector<std::size_t> root(part.points.size() / 3);
        std::iota(root.begin(), root.end(), std::size_t{0});
        auto find = [&](std::size_t i) {
            while (root[i] != i)
                i = root[i] = root[root[i]];
            return i;
        };
        for (std::size_t t = 0; t < part.triangles.size(); t += 3)
            for (std::size_t e = 1; e < 3; ++e)
                root[find(static_cast<std::size_t>(part.triangles[t]))] =
                    find(static_cast<std::size_t>(part.triangles[t + e]));
        std::map<std::size_t, std::array<double, 6>> boxes;
        for (int corner : part.triangles) {
            const std::size_t i = static_cast<std::size_t>(corner);
            const auto [box, fresh] = boxes.try_emplace(find(i));
            if (fresh)
                empty_box(box->second.data(), box->second.data() + 3);
            widen_box(box->second.data(), box->second.data() + 3, &part.points[3 * i], &part.points[3 * i]);
        }
        body.smallest_piece = HUGE_VAL;
        for (const auto &box : boxes)
            body.smallest_piece = std::min(body.smallest_piece, std::max({box.second[3] - box.second[0],
                                           box.second[4] - box.second[1], box.second[5] - box.second[2]}));
    }
    return body.smallest_piece > length;
}

// The sweep of a still part's triangles against a part whose placements
// only slide it along one direction; none when it does not slide so, or when
// one of its pieces could fit inside a swept triangle.
std::unique_ptr<Sweep> sweep_for(const CheckCase &input, const CheckPart &still, Body &slider)
{
    auto sweep = std::make_unique<Sweep>(still, slider);
    double farthest = 0;
    for (const Placement &p : slider.part->placements) {
        const double length = std::hypot(p.translation[0], p.translation[1], p.translation[2]);
        if (length > farthest) {
            farthest = length;
            for (int k = 0; k < 3; ++k)
                sweep->direction[k] = p.translation[k] / length;
        }
    }
    if (!(farthest > 0) || std::isinf(farthest))
        return nullptr;
    for (const Placement &p : slider.part->placements) {
        const double *t = p.translation, *u = sweep->direction;
        const double along = t[0] * u[0] + t[1] * u[1] + t[2] * u[2];
        for (int k = 0; k < 3; ++k)
            if (std::fabs(t[k] - along * u[k]) > 1e-12 * input.size)
                return nullptr;
        sweep->offset.push_back(along);
    }
    const auto range = std::minmax_element(sweep->offset.begin(), sweep->offset.end());
    sweep->lowest = *range.first;
    sweep->length = *range.second - *range.first;
    const double edge = longest_edge(still);
    if (!(sweep->length > 0) || !(pieces_larger_than(slider, edge + sweep->length / 16)))
        return nullptr;
    sweep->first_level = pieces_larger_than(slider, edge + sweep->length) ? 0 : 1;
    return sweep;
}

// The clearance of two bodies. Against a still part much larger than the
// reach of a part that slides, the near triangles are tried first, in a
// band that widens when it proves too narrow.
PairClearance clearance_of(const CheckCase &input, Body &a, Body &b)
{
    const double tolerance = 1e-9 * input.size;
    const int n = still_throughout(input, a) && never_turns(b) ? 0 : still_throughout(input, b) && never_turns(a) ? 1 : 2;
    for (double band = 0.01 * input.size; n < 2 && band < input.size; band *= 4) {
        Body &still = n ? b : a, &mover = n ? a : b;
        const NearPart near = near_triangles(input, still, mover, band);
        if (2 * near.part.triangles.size() > still.part->triangles.size())
            break;
        Body few = make_body(near.part);
        PairClearance out;
        std::unique_ptr<Sweep> sweep = sweep_for(input, near.part, mover);
        PairRun run{input, n ? a : few, n ? few : b, out, tolerance, sweep.get()};
        run.run();
        if (sweep)
            out.sweep_queries += sweep->queries;
        // The near triangles' least distance stands when below `left_out`;
        // at a step where they are farther, the part is at least `left_out`
        // away, a lower bound.
        if (out.min_step >= 0 && !(out.min_distance < near.left_out))
            continue;
        for (std::size_t s = 0; s < out.distance.size(); ++s)
            if (!(out.distance[s] < near.left_out)) {
                out.distance[s] = near.left_out;
                out.exact[s] = 0;
            }
        return out;
    }
    PairClearance out;
    PairRun run{input, a, b, out, tolerance, nullptr};
    run.run();
    return out;
}

void report_pair(CheckReport &report, const PairClearance &pair)
{
    const CheckCase &input = report.input;
    const CheckPart &a = input.parts[static_cast<std::size_t>(pair.a)], &b = input.parts[static_cast<std::size_t>(pair.b)];
    const std::string names = "\"" + a.name + "\" and \"" + b.name + "\"";
    if (!pair.contact.empty()) {
        std::string ranges;
        for (const auto &r : pair.contact)
            ranges += (ranges.empty() ? "" : ", ") + step_words(input, r[0]) +
                      (r[1] > r[0] ? " to " + step_words(input, r[1]) : "");
        add_check_finding(report, "error", "parts-in-contact", "boundary.in",
                          "The parts " + names + " touch or pass through each other at " + ranges +
                              " with the motion the host applies.",
                          "Check the lift tables, the engine's dimensions and the parts' positions in the surface "
                          "file: the solver cannot mesh a domain whose walls cross.");
    }
    if (pair.seated)
        add_check_finding(report, "note", "parts-seated", "boundary.in",
                          "The parts " + names + " touch where neither has moved (a valve in its seat); those steps "
                              "are left out of their clearance.",
                          "Nothing to do when this is a seat.");
}

// A stretching part (the moving liner) is checked as two: the triangles none
// of whose corners ever move, which skip steps like a part at rest, and the
// few whose corners move, taken at every step as the host receives them.
struct Pieces {
    CheckPart fixed, moving;
};

Pieces split_stretching(const CheckPart &part)
{
    std::vector<bool> moves(part.points.size() / 3, false);
    for (std::size_t i : part.moving)
        moves[i] = true;
    Pieces pieces{part, part};
    pieces.fixed.stretches = false;
    pieces.fixed.triangles.clear();
    pieces.moving.triangles.clear();
    for (std::size_t t = 0; t < part.triangles.size(); t += 3) {
        const bool moving = moves[static_cast<std::size_t>(part.triangles[t])] ||
                            moves[static_cast<std::size_t>(part.triangles[t + 1])] ||
                            moves[static_cast<std::size_t>(part.triangles[t + 2])];
        CheckPart &into = moving ? pieces.moving : pieces.fixed;
        into.triangles.insert(into.triangles.end(), part.triangles.begin() + static_cast<long>(t),
                              part.triangles.begin() + static_cast<long>(t) + 3);
    }
    return pieces;
}

// The clearance of a part to two pieces of another is the nearer of the two
// at each step; the contacts of either count.
void merge_pieces(PairClearance &into, const PairClearance &other)
{
    for (std::size_t s = 0; s < into.distance.size(); ++s)
        if (other.distance[s] < into.distance[s]) {
            into.distance[s] = other.distance[s];
            into.exact[s] = other.exact[s];
        }
    if (other.min_step >= 0 && (into.min_step < 0 || other.min_distance < into.min_distance ||
                                (other.min_distance == into.min_distance && other.min_step < into.min_step))) {
        into.min_distance = other.min_distance;
        into.min_step = other.min_step;
        std::copy(&other.points[0][0], &other.points[0][0] + 6, &into.points[0][0]);
    }
    std::vector<bool> steps(into.distance.size(), false);
    const PairClearance *both[2] = {&into, &other};
    for (const PairClearance *p : both)
        for (const auto &r : p->contact)
            for (int s = r[0]; s <= r[1]; ++s)
                steps[static_cast<std::size_t>(s)] = true;
    into.contact = step_ranges(steps);
    into.seated = into.seated || other.seated;
    into.exact_queries += other.exact_queries;
    into.collision_queries += other.collision_queries;
    into.sweep_queries += other.sweep_queries;
}


// The body a pair works on: the shared one, or a copy of a stretching one.
Body &own_copy(Body &shared, std::unique_ptr<Body> &copy)
{
    if (!shared.part->stretches)
        return shared;
    copy = std::make_unique<Body>(shared);
    return *copy;
}

}  // namespace

void check_clearances(CheckReport &report)
{
    CheckCase &input = report.input;
    // Each part's bodies: one, or the two pieces of a stretching part.
    std::vector<Pieces> pieces;
    pieces.reserve(input.parts.size());
    std::vector<std::vector<Body>> bodies(input.parts.size());
    for (std::size_t i = 0; i < input.parts.size(); ++i) {
        const CheckPart &part = input.parts[i];
        if (!part.stretches) {
            bodies[i].push_back(make_body(part));
            continue;
        }
        pieces.push_back(split_stretching(part));
        for (const CheckPart *piece : {&pieces.back().fixed, &pieces.back().moving})
            if (!piece->triangles.empty()) {
                bodies[i].push_back(make_body(*piece));
                if (piece->stretches) {
                    cache_steps(input, bodies[i].back());
                    fill_triangles(bodies[i].back());
                }
            }
    }
    // What pairs would work out lazily on a shared body is worked out here.
    for (std::vector<Body> &of_part : bodies)
        for (Body &body : of_part)
            if (body.part->rigid_motion)
                pieces_larger_than(body, 0);
    std::vector<std::array<std::size_t, 2>> wanted;
    for (std::size_t i = 0; i < bodies.size(); ++i)
        for (std::size_t j = i + 1; j < bodies.size(); ++j)
            if (parts_paired(input.parts[i], input.parts[j]))
                wanted.push_back({i, j});
    // Two threads take the pairs in turn; each pair's answer depends on
    // nothing but the case, so the order they finish in does not matter.
    std::vector<PairClearance> pairs(wanted.size());
    std::atomic<std::size_t> next{0};
    std::exception_ptr failed;
    std::mutex failure;
    auto work = [&] {
        try {
            for (std::size_t k = next++; k < wanted.size(); k = next++) {
                PairClearance &pair = pairs[k];
                for (Body &shared_a : bodies[wanted[k][0]])
                    for (Body &shared_b : bodies[wanted[k][1]]) {
                        std::unique_ptr<Body> own_a, own_b;
                        PairClearance piece = clearance_of(input, own_copy(shared_a, own_a), own_copy(shared_b, own_b));
                        if (pair.distance.empty())
                            pair = std::move(piece);
                        else
                            merge_pieces(pair, piece);
                    }
                pair.a = static_cast<int>(wanted[k][0]);
                pair.b = static_cast<int>(wanted[k][1]);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> hold(failure);
            failed = std::current_exception();
            next = wanted.size();
        }
    };
    std::thread second;
    try {
        second = std::thread(work);
    } catch (const std::system_error &) {
        // No second thread to be had: this one takes every pair.
    }
    work();
    if (second.joinable())
        second.join();
    if (failed)
        std::rethrow_exception(failed);
    report.pairs = std::move(pairs);
}

void report_clearances(CheckReport &report)
{
    for (const PairClearance &pair : report.pairs)
        report_pair(report, pair);
}
