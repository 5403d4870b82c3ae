// The proximity library's side of the check: a part's triangles as a
// bounding-volume hierarchy, and a step's placement as its rigid transform.
#pragma once

#include <memory>
#include <vector>

#include <fcl/geometry/bvh/BVH_model.h>
#include <fcl/math/bv/OBBRSS.h>

#include "check/check.h"

using Model = fcl::BVHModel<fcl::OBBRSSd>;

// Points given as x, y, z, x, y, z, ...
std::vector<fcl::Vector3d> vectors(const std::vector<double> &xyz);

// A hierarchy of the triangles over the points. Built, never refitted: a
// bottom-up refit merges the children's volumes into volumes that need not
// hold them, and a distance search then passes over the nearest triangles.
std::shared_ptr<Model> built(const std::vector<fcl::Vector3d> &points, const std::vector<fcl::Triangle> &triangles);

// The rigid transform of a step's placement (rotation, then translation).
fcl::Transform3d transform(const Placement &p);
