// A box hierarchy over a part's triangles, for the least distance between
// two placed parts. Built by median splits, cheaply (a part of a hundred
// thousand triangles in about 0.06 s, a few hundred in microseconds), so
// that a part whose points change from step to step can have one made for
// each step it is queried at. The exact distance between two triangles is
// the proximity library's.
#pragma once

#include <cmath>
#include <vector>

#include "check/check.h"

struct MeshTree {
    struct Node {
        double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};  // the box of its triangles' corners
        int first = 0, count = 0;  // a leaf: triangles first .. first + count - 1
        int child = 0;             // otherwise: its children are nodes child and child + 1
    };
    std::vector<double> points;  // x, y, z per point, in the part's own frame
    std::vector<int> corners;    // 3 point indexes per triangle, in the order the leaves hold them
    std::vector<Node> nodes;     // nodes[0] holds them all; empty when there are no triangles
};

// The hierarchy of the triangles (3 indexes into points each).
MeshTree make_tree(std::vector<double> points, const std::vector<int> &corners);

// The least distance between the two parts placed as given, when it is
// below `upper`; `upper` itself otherwise. The search ends at the first pair
// of triangles no farther apart than `enough` (0: search to the end). When
// points is given and a distance below `upper` is found, it receives the two
// nearest points (x, y, z on a, then on b) where the placements put them.
double tree_distance(const MeshTree &a, const Placement &pa, const MeshTree &b, const Placement &pb,
                     double upper = HUGE_VAL, double enough = 0, double *points = nullptr);
