// Clearances over the run: for every pair of parts of which one moves, the
// smallest distance between their triangles at every step, and the steps at
// which they touch or one lies beyond the other. Each part's bounding-volume
// hierarchy is built once; each step only places it. Exact distance queries
// are costly, so a step is queried only when a lower bound of its distance
// (the distance of the placed bounding boxes, or a queried step's distance
// less how far the parts can have moved since) can beat the best so far.
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <numeric>

#include <fcl/geometry/bvh/BVH_model.h>
#include <fcl/math/bv/OBBRSS.h>
#include <fcl/narrowphase/collision.h>
#include <fcl/narrowphase/distance.h>

#include "check/check.h"

namespace {

using Model = fcl::BVHModel<fcl::OBBRSSd>;

struct Body {
    const CheckPart *part = nullptr;
    std::shared_ptr<Model> model;
    double radius = 0;  // farthest point from the origin at the first step
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    int shown_step = 0;  // a stretching part: the step its model holds
    // A stretching part: the points its triangles use, and their x, y, z at
    // every step (step by step), for its boxes and how far it moves.
    std::vector<std::size_t> used;
    std::vector<double> at_steps;
    // A part that only slides along one direction: its offset along it at
    // every step, and its triangles swept over a length, one model per
    // level of the sweeps (built when first needed).
    bool slides = false;
    double direction[3] = {0, 0, 0};
    std::vector<double> offset;
    double offset_lo = 0, sweep_length = 0;
    std::vector<std::shared_ptr<Model>> swept;
    double largest_triangle = 0;  // the longest edge of its triangles
    double smallest_piece = 0;    // the least longest side of a connected piece's box
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
    body.at_steps.reserve(3 * body.used.size() * static_cast<std::size_t>(input.steps));
    for (int s = 0; s < input.steps; ++s) {
        const std::vector<double> at = part_points_at(input, *body.part, s);
        for (std::size_t i : body.used)
            body.at_steps.insert(body.at_steps.end(), &at[3 * i], &at[3 * i] + 3);
    }
}

const double *cached(const Body &body, int step, std::size_t k)
{
    return &body.at_steps[3 * (static_cast<std::size_t>(step) * body.used.size() + k)];
}

std::vector<fcl::Vector3d> vectors(const std::vector<double> &xyz)
{
    std::vector<fcl::Vector3d> out(xyz.size() / 3);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = fcl::Vector3d(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
    return out;
}

void measure_pieces(Body &body);

Body make_body(const CheckPart &part)
{
    Body body;
    body.part = &part;
    std::vector<fcl::Triangle> triangles(part.triangles.size() / 3);
    for (std::size_t t = 0; t < triangles.size(); ++t)
        triangles[t] = fcl::Triangle(static_cast<std::size_t>(part.triangles[3 * t]),
                                     static_cast<std::size_t>(part.triangles[3 * t + 1]),
                                     static_cast<std::size_t>(part.triangles[3 * t + 2]));
    body.model = std::make_shared<Model>();
    body.model->beginModel(static_cast<int>(triangles.size()), static_cast<int>(part.points.size() / 3));
    body.model->addSubModel(vectors(part.points), triangles);
    body.model->endModel();
    for (int k = 0; k < 3; ++k) {
        body.lo[k] = HUGE_VAL;
        body.hi[k] = -HUGE_VAL;
    }
    for (std::size_t i = 0; i < part.points.size(); i += 3) {
        body.radius = std::max(body.radius, std::hypot(part.points[i], part.points[i + 1], part.points[i + 2]));
        for (int k = 0; k < 3; ++k) {
            body.lo[k] = std::min(body.lo[k], part.points[i + static_cast<std::size_t>(k)]);
            body.hi[k] = std::max(body.hi[k], part.points[i + static_cast<std::size_t>(k)]);
        }
    }
    measure_pieces(body);
    return body;
}

// The longest edge of the part's triangles, and the least longest side of
// the boxes of its connected pieces (triangles joined by shared points).
void measure_pieces(Body &body)
{
    const CheckPart &part = *body.part;
    std::vector<std::size_t> root(part.points.size() / 3);
    std::iota(root.begin(), root.end(), std::size_t{0});
    auto find = [&](std::size_t i) {
        while (root[i] != i)
            i = root[i] = root[root[i]];
        return i;
    };
    const double *xyz = part.points.data();
    for (std::size_t t = 0; t < part.triangles.size(); t += 3)
        for (int e = 0; e < 3; ++e) {
            const std::size_t i = static_cast<std::size_t>(part.triangles[t + static_cast<std::size_t>(e)]);
            const std::size_t j = static_cast<std::size_t>(part.triangles[t + static_cast<std::size_t>((e + 1) % 3)]);
            body.largest_triangle = std::max(body.largest_triangle, std::hypot(xyz[3 * i] - xyz[3 * j],
                                             xyz[3 * i + 1] - xyz[3 * j + 1], xyz[3 * i + 2] - xyz[3 * j + 2]));
            root[find(i)] = find(j);
        }
    std::map<std::size_t, std::array<double, 6>> boxes;
    for (int corner : part.triangles) {
        const std::size_t i = static_cast<std::size_t>(corner);
        auto box = boxes.emplace(find(i), std::array<double, 6>{HUGE_VAL, HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL,
                                                                -HUGE_VAL}).first;
        for (std::size_t k = 0; k < 3; ++k) {
            box->second[k] = std::min(box->second[k], xyz[3 * i + k]);
            box->second[3 + k] = std::max(box->second[3 + k], xyz[3 * i + k]);
        }
    }
    body.smallest_piece = HUGE_VAL;
    for (const auto &box : boxes)
        body.smallest_piece = std::min(body.smallest_piece, std::max({box.second[3] - box.second[0],
                                       box.second[4] - box.second[1], box.second[5] - box.second[2]}));
}

// Whether the part's placements only slide it along one direction (no
// turn), and if so its offset along that direction at every step.
void find_slide(const CheckCase &input, Body &body)
{
    const std::vector<Placement> &placements = body.part->placements;
    const Placement identity;
    double farthest = 0;
    for (const Placement &p : placements) {
        if (!std::equal(p.rotation, p.rotation + 9, identity.rotation))
            return;
        const double length = std::hypot(p.translation[0], p.translation[1], p.translation[2]);
        if (length > farthest) {
            farthest = length;
            for (int k = 0; k < 3; ++k)
                body.direction[k] = p.translation[k] / length;
        }
    }
    if (!(farthest > 0) || std::isinf(farthest))
        return;
    body.offset.resize(placements.size());
    for (std::size_t s = 0; s < placements.size(); ++s) {
        const double *t = placements[s].translation;
        const double along = t[0] * body.direction[0] + t[1] * body.direction[1] + t[2] * body.direction[2];
        // The offsets must place the part exactly where its placement does.
        for (int k = 0; k < 3; ++k)
            if (std::fabs(t[k] - along * body.direction[k]) > 1e-12 * input.size)
                return;
        body.offset[s] = along;
    }
    body.offset_lo = *std::min_element(body.offset.begin(), body.offset.end());
    body.sweep_length = (*std::max_element(body.offset.begin(), body.offset.end()) - body.offset_lo) / 16;
    body.slides = body.sweep_length > 0;
}

constexpr int sweep_levels = 2;

double level_length(const Body &body, int level)
{
    return body.sweep_length / std::pow(16.0, level);
}

// The part's triangles swept from where they are over the level's length
// along the part's direction: both ends of every triangle and the sides its
// edges sweep, each edge once.
const Model &swept_model(Body &body, int level)
{
    if (body.swept.size() <= static_cast<std::size_t>(level))
        body.swept.resize(static_cast<std::size_t>(level) + 1);
    std::shared_ptr<Model> &model = body.swept[static_cast<std::size_t>(level)];
    if (model)
        return *model;
    const CheckPart &part = *body.part;
    const std::size_t n = part.points.size() / 3;
    const double h = level_length(body, level);
    std::vector<fcl::Vector3d> points(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        points[i] = fcl::Vector3d(part.points[3 * i], part.points[3 * i + 1], part.points[3 * i + 2]);
        points[n + i] = points[i] + h * fcl::Vector3d(body.direction[0], body.direction[1], body.direction[2]);
    }
    std::vector<fcl::Triangle> triangles;
    std::vector<std::pair<std::size_t, std::size_t>> edges;
    for (std::size_t t = 0; t < part.triangles.size(); t += 3) {
        const std::size_t c[3] = {static_cast<std::size_t>(part.triangles[t]),
                                  static_cast<std::size_t>(part.triangles[t + 1]),
                                  static_cast<std::size_t>(part.triangles[t + 2])};
        triangles.emplace_back(c[0], c[1], c[2]);
        triangles.emplace_back(n + c[0], n + c[1], n + c[2]);
        for (int e = 0; e < 3; ++e)
            edges.emplace_back(std::min(c[e], c[(e + 1) % 3]), std::max(c[e], c[(e + 1) % 3]));
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    for (const auto &e : edges) {
        triangles.emplace_back(e.first, e.second, n + e.second);
        triangles.emplace_back(e.first, n + e.second, n + e.first);
    }
    model = std::make_shared<Model>();
    model->beginModel(static_cast<int>(triangles.size()), static_cast<int>(points.size()));
    model->addSubModel(points, triangles);
    model->endModel();
    return *model;
}

// A stretching part's model holds its points at the step.
void show_step(const CheckCase &input, Body &body, int step)
{
    if (!body.part->stretches || body.shown_step == step)
        return;
    std::vector<double> xyz = body.part->points;
    for (std::size_t k = 0; k < body.used.size(); ++k)
        std::copy(cached(body, step, k), cached(body, step, k) + 3, &xyz[3 * body.used[k]]);
    (void)input;
    body.model->beginUpdateModel();
    body.model->updateSubModel(vectors(xyz));
    body.model->endUpdateModel(true, true);
    body.shown_step = step;
}

const Placement &placement(const Body &b, int step)
{
    return b.part->placements[static_cast<std::size_t>(step)];
}

fcl::Transform3d transform(const Placement &p)
{
    fcl::Transform3d tf = fcl::Transform3d::Identity();
    fcl::Matrix3d r;
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            r(i, k) = p.rotation[3 * i + k];
    tf.linear() = r;
    tf.translation() = fcl::Vector3d(p.translation[0], p.translation[1], p.translation[2]);
    return tf;
}

// The placement a straight blend of the two steps' positions passes at
// fraction t: the translation blended, the rotation turned part of the way.
fcl::Transform3d blended(const Placement &from, const Placement &to, double t)
{
    const fcl::Transform3d a = transform(from), b = transform(to);
    fcl::Transform3d tf = fcl::Transform3d::Identity();
    const Eigen::Quaterniond qa(a.linear()), qb(b.linear());
    tf.linear() = qa.slerp(t, qb).toRotationMatrix();
    tf.translation() = (1 - t) * a.translation() + t * b.translation();
    return tf;
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
    const Placement &p = placement(b, s), &q = placement(b, j);
    double rotation = 0, shift = 0;
    for (int i = 0; i < 9; ++i)
        rotation += (p.rotation[i] - q.rotation[i]) * (p.rotation[i] - q.rotation[i]);
    for (int i = 0; i < 3; ++i)
        shift += (p.translation[i] - q.translation[i]) * (p.translation[i] - q.translation[i]);
    return std::sqrt(rotation) * b.radius + std::sqrt(shift);
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

// The distance of the two parts' bounding boxes placed at the step.
double box_distance(const Body &a, const Body &b, int step)
{
    double lo[2][3], hi[2][3];
    const Body *bodies[2] = {&a, &b};
    for (int n = 0; n < 2; ++n) {
        const Body &body = *bodies[n];
        if (body.part->stretches) {
            for (int i = 0; i < 3; ++i) {
                lo[n][i] = HUGE_VAL;
                hi[n][i] = -HUGE_VAL;
            }
            for (std::size_t k = 0; k < body.used.size(); ++k)
                for (int i = 0; i < 3; ++i) {
                    lo[n][i] = std::min(lo[n][i], cached(body, step, k)[i]);
                    hi[n][i] = std::max(hi[n][i], cached(body, step, k)[i]);
                }
            continue;
        }
        const Placement &p = placement(body, step);
        for (int i = 0; i < 3; ++i) {
            double centre = p.translation[i], half = 0;
            for (int k = 0; k < 3; ++k) {
                centre += p.rotation[3 * i + k] * 0.5 * (body.lo[k] + body.hi[k]);
                half += std::fabs(p.rotation[3 * i + k]) * 0.5 * (body.hi[k] - body.lo[k]);
            }
            lo[n][i] = centre - half;
            hi[n][i] = centre + half;
        }
    }
    double gap = 0;
    for (int i = 0; i < 3; ++i) {
        const double g = std::max({lo[0][i] - hi[1][i], lo[1][i] - hi[0][i], 0.0});
        gap += g * g;
    }
    return std::sqrt(gap);
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

struct PairRun {
    const CheckCase &input;
    Body &a, &b;
    PairClearance &out;
    double tolerance;

    double distance(const fcl::Transform3d &ta, const fcl::Transform3d &tb, double *points)
    {
        fcl::DistanceRequestd request(points != nullptr);
        fcl::DistanceResultd result;
        fcl::distance(a.model.get(), ta, b.model.get(), tb, request, result);
        if (points)
            for (int k = 0; k < 3; ++k) {
                points[k] = result.nearest_points[0][k];
                points[3 + k] = result.nearest_points[1][k];
            }
        return std::max(result.min_distance, 0.0);
    }
    double distance_at(int step, double *points)
    {
        show_step(input, a, step);
        show_step(input, b, step);
        ++out.exact_queries;
        return distance(transform(placement(a, step)), transform(placement(b, step)), points);
    }
    bool collide_at(int step)
    {
        show_step(input, a, step);
        show_step(input, b, step);
        ++out.collision_queries;
        fcl::CollisionRequestd request;
        fcl::CollisionResultd result;
        return fcl::collide(a.model.get(), transform(placement(a, step)), b.model.get(),
                            transform(placement(b, step)), request, result) > 0;
    }
    // Whether the straight blend from step f to step g brings the parts
    // together: advance by the distance over the speed bound until they
    // touch or the blend ends.
    bool touches_between(int f, int g)
    {
        const double speed = movement(a, f, g) + movement(b, f, g);
        if (!(speed > 0) || std::isinf(speed))
            return false;
        double t = 0;
        for (int i = 0; i < 1000; ++i) {
            ++out.sweep_queries;
            const double d = distance(blended(placement(a, f), placement(a, g), t),
                                      blended(placement(b, f), placement(b, g), t), nullptr);
            if (d <= tolerance)
                return true;
            t += d / speed;
            if (t >= 1)
                return false;
        }
        return false;
    }
    // With one part still at every step and the other sliding along its
    // direction, the distance to the slider's triangles swept over a range of
    // offsets is the least distance at any offset of that range: a lower
    // bound for every step whose offset lies in it. The sweep's sides stand
    // for its inside, so it needs the still part's every piece to be too
    // large to fit inside one swept triangle.
    Body *slider = nullptr, *still = nullptr;
    std::map<std::pair<int, long>, double> swept;

    void find_slider()
    {
        for (Body *x : {&a, &b}) {
            Body *other = x == &a ? &b : &a;
            if (!x->slides || other->part->stretches)
                continue;
            bool resting = true;
            for (int s = 0; s < input.steps && resting; ++s)
                resting = at_rest(*other, s);
            if (resting && other->smallest_piece > x->largest_triangle + level_length(*x, 0)) {
                slider = x;
                still = other;
            }
        }
    }
    double swept_bound(int step, double best, double slack)
    {
        double lower = 0;
        const double at = slider->offset[static_cast<std::size_t>(step)];
        for (int level = 0; level < sweep_levels && lower <= best - slack; ++level) {
            const double h = level_length(*slider, level);
            long w = static_cast<long>(std::floor((at - slider->offset_lo) / h));
            if (slider->offset_lo + static_cast<double>(w) * h > at)
                --w;
            else if (slider->offset_lo + static_cast<double>(w + 1) * h < at)
                ++w;
            auto known_range = swept.find({level, w});
            if (known_range == swept.end()) {
                const Model &model = swept_model(*slider, level);
                fcl::Transform3d tf = fcl::Transform3d::Identity();
                const double start = slider->offset_lo + static_cast<double>(w) * h;
                tf.translation() = start * fcl::Vector3d(slider->direction[0], slider->direction[1], slider->direction[2]);
                fcl::DistanceRequestd request(false);
                fcl::DistanceResultd result;
                fcl::distance(still->model.get(), fcl::Transform3d::Identity(), &model, tf, request, result);
                ++out.sweep_queries;
                known_range = swept.emplace(std::make_pair(level, w), std::max(result.min_distance, 0.0)).first;
            }
            lower = std::max(lower, known_range->second);
        }
        return lower;
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
        ++out.collision_queries;
        fcl::CollisionRequestd request;
        fcl::CollisionResultd result;
        out.seated = fcl::collide(a.model.get(), fcl::Transform3d::Identity(), b.model.get(),
                                  fcl::Transform3d::Identity(), request, result) > 0;
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
        find_slider();
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
            // Sweeps pay once a pair needs more than a few exact queries. A
            // range whose least distance could beat the best so far only by
            // less than a tenth of the distances' accuracy is not searched:
            // a part sliding parallel to another then costs a few sweeps.
            const double slack = 1e-7 * input.size;
            if (slider && out.exact_queries >= 4) {
                const double range = swept_bound(s, best, slack);
                bound[static_cast<std::size_t>(s)] = std::max(bound[static_cast<std::size_t>(s)], range);
                if (range > best - slack || (range == best && s > out.min_step))
                    continue;
            }
            double points[6];
            const double d = distance_at(s, points);
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
                if (free >= 0) {
                    const double reach = movement(a, free, s) + movement(b, free, s);
                    const double gap = std::max(out.distance[static_cast<std::size_t>(free)],
                                                out.distance[static_cast<std::size_t>(s)]);
                    if (reach >= gap && touches_between(free, s))
                        beyond = !beyond;
                }
                contact[static_cast<std::size_t>(s)] = beyond;
                free = s;
            }
        }
        out.contact = step_ranges(contact);
    }
};

bool paired(const CheckPart &x, const CheckPart &y)
{
    if (!x.rigid_motion && !y.rigid_motion)
        return false;
    // The piston slides in the liner.
    const bool liner_piston = (x.role == VC_ROLE_LINER && y.role == VC_ROLE_PISTON) ||
                              (y.role == VC_ROLE_LINER && x.role == VC_ROLE_PISTON);
    return !liner_piston;
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

Pieces split_stretching(const CheckCase &input, const CheckPart &part)
{
    std::vector<bool> moves(part.points.size() / 3, false);
    for (int s = 1; s < input.steps; ++s) {
        const std::vector<double> at = part_points_at(input, part, s);
        for (std::size_t i = 0; i < at.size(); ++i)
            if (at[i] != part.points[i])
                moves[i / 3] = true;
    }
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
            find_slide(input, bodies[i].back());
            continue;
        }
        pieces.push_back(split_stretching(input, part));
        for (const CheckPart *piece : {&pieces.back().fixed, &pieces.back().moving})
            if (!piece->triangles.empty()) {
                bodies[i].push_back(make_body(*piece));
                if (piece->stretches)
                    cache_steps(input, bodies[i].back());
            }
    }
    for (std::size_t i = 0; i < bodies.size(); ++i)
        for (std::size_t j = i + 1; j < bodies.size(); ++j) {
            if (!paired(input.parts[i], input.parts[j]))
                continue;
            PairClearance pair;
            for (Body &a : bodies[i])
                for (Body &b : bodies[j]) {
                    PairClearance piece;
                    PairRun run{input, a, b, piece, 1e-9 * input.size, nullptr, nullptr, {}};
                    run.run();
                    if (pair.distance.empty())
                        pair = std::move(piece);
                    else
                        merge_pieces(pair, piece);
                }
            pair.a = static_cast<int>(i);
            pair.b = static_cast<int>(j);
            report_pair(report, pair);
            report.pairs.push_back(std::move(pair));
        }
}
