#include "check/fcl_models.h"

std::vector<fcl::Vector3d> vectors(const std::vector<double> &xyz)
{
    std::vector<fcl::Vector3d> out(xyz.size() / 3);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = fcl::Vector3d(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
    return out;
}

std::shared_ptr<Model> built(const std::vector<fcl::Vector3d> &points, const std::vector<fcl::Triangle> &triangles)
{
    auto model = std::make_shared<Model>();
    model->beginModel(static_cast<int>(triangles.size()), static_cast<int>(points.size()));
    model->addSubModel(points, triangles);
    model->endModel();
    return model;
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
