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
    return body;
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
                    PairRun run{input, a, b, piece, 1e-9 * input.size};
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
