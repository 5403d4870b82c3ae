// The clearance of every point of a moving part: its distance to the nearest
// part it is checked against (the pairs of the set-up check), at one step.
// Each part's bounding-volume hierarchy is built on first use and kept; a
// step only places it. The points of a part are visited in order, and each
// query starts from a bound the last point gives (its distance plus how far
// apart the two points are), so most of the hierarchy is never opened.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include <fcl/geometry/bvh/BVH_model.h>
#include <fcl/geometry/shape/sphere.h>
#include <fcl/math/bv/OBBRSS.h>
#include <fcl/narrowphase/distance.h>

#include "check/check.h"
#include "check/fcl_models.h"
#include "vortimar_check.h"

namespace {

struct Partner {
    std::shared_ptr<Model> model;
    int shown_step = -1;  // a stretching part: the step whose points the model holds
};

// The part's model, its points placed as at step for a stretching part and
// as at the first step otherwise (the step's placement goes with the query).
const Model &model_at(const CheckPart &part, Partner &partner, int step)
{
    // A stretching part's model is built anew for each step (see built()).
    if (partner.model && (!part.stretches || partner.shown_step == step))
        return *partner.model;
    std::vector<fcl::Triangle> triangles(part.triangles.size() / 3);
    for (std::size_t t = 0; t < triangles.size(); ++t)
        triangles[t] = fcl::Triangle(static_cast<std::size_t>(part.triangles[3 * t]),
                                     static_cast<std::size_t>(part.triangles[3 * t + 1]),
                                     static_cast<std::size_t>(part.triangles[3 * t + 2]));
    partner.model = built(vectors(part.stretches ? part_points_at(part, step) : part.points), triangles);
    partner.shown_step = step;
    return *partner.model;
}

fcl::Transform3d placed(const CheckPart &part, int step)
{
    if (part.stretches)
        return fcl::Transform3d::Identity();  // its points at the step are already where the host shows them
    return transform(part.placements[static_cast<std::size_t>(step)]);
}

}  // namespace

struct vk_clearance {
    CheckCase input;
    std::vector<Partner> partners;  // one per part of input.parts
};

bool parts_paired(const CheckPart &x, const CheckPart &y)
{
    if (!x.rigid_motion && !y.rigid_motion)
        return false;
    // The piston slides in the liner.
    const bool liner_piston = (x.role == VC_ROLE_LINER && y.role == VC_ROLE_PISTON) ||
                              (y.role == VC_ROLE_LINER && x.role == VC_ROLE_PISTON);
    return !liner_piston;
}

extern "C" {

VK_API int vk_clearance_open(vc_case *handle, vk_clearance **out)
{
    if (!handle || !out)
        return VC_ERR_ARGUMENT;
    *out = nullptr;
    return guarded_call([&] {
        auto made = std::make_unique<vk_clearance>();
        read_check_case(handle, made->input);
        made->partners.resize(made->input.parts.size());
        *out = made.release();
    });
}

VK_API int vk_clearance_free(vk_clearance *clearance)
{
    delete clearance;
    return VC_OK;
}

VK_API int vk_point_clearance(vk_clearance *clearance, int part, int step, double *distance, int capacity)
{
    if (!clearance || !distance)
        return VC_ERR_ARGUMENT;
    const CheckCase &input = clearance->input;
    if (step < 0 || step >= input.steps)
        return VC_ERR_RANGE;
    const auto found = std::find_if(input.parts.begin(), input.parts.end(),
                                    [part](const CheckPart &p) { return p.number == part; });
    if (found == input.parts.end() || !(found->rigid_motion || found->stretches))
        return VC_NO_VALUES;
    const CheckPart &query = *found;
    std::vector<std::size_t> others;
    for (std::size_t j = 0; j < input.parts.size(); ++j)
        if (&input.parts[j] != &query && parts_paired(query, input.parts[j]))
            others.push_back(j);
    if (others.empty())
        return VC_NO_VALUES;
    const int count = static_cast<int>(query.points.size() / 3);
    if (capacity < count)
        return VC_ERR_SIZE;
    return guarded_call([&] {
        const std::vector<double> points = part_points_at(query, step);
        std::vector<const Model *> models;
        std::vector<fcl::Transform3d> placements;
        for (std::size_t j : others) {
            models.push_back(&model_at(input.parts[j], clearance->partners[j], step));
            placements.push_back(placed(input.parts[j], step));
        }
        const auto point = std::make_shared<fcl::Sphered>(0.0);
        fcl::DistanceRequestd request;
        double last = std::numeric_limits<double>::infinity();
        for (int i = 0; i < count; ++i) {
            const double *p = &points[3 * static_cast<std::size_t>(i)];
            // A bound from the last point: no farther than it, plus the way between them.
            double best = i ? last + std::hypot(p[0] - p[-3], p[1] - p[-2], p[2] - p[-1])
                            : std::numeric_limits<double>::max();
            const fcl::Transform3d at(fcl::Translation3d(fcl::Vector3d(p[0], p[1], p[2])));
            for (std::size_t k = 0; k < models.size(); ++k) {
                fcl::DistanceResultd result;
                result.min_distance = best;
                fcl::distance(models[k], placements[k], point.get(), at, request, result);
                best = std::min(best, std::max(result.min_distance, 0.0));
            }
            distance[i] = last = best;
        }
    });
}

}  // extern "C"
