// The surface geometry file and the lazy build of the part table. (Parts whose
// vertices start beyond the first 64-vertex word: the golden case surface_words.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geometry/surface_file.h"
#include "test_support.h"

namespace {

// A case of `regions` surface parts whose surface file holds `surface`.
void surface_case(const TempCase &c, const std::string &surface, int regions)
{
    begin_new_load(state);
    c.write("surface.dat", surface);
    state.case_folder = c.dir.string() + path_separator;
    state.dataset_files.assign(5, std::string());
    state.dataset_files[0] = state.case_folder + "surface.dat";
    state.Numparts_available = regions;
    state.part_table.assign(static_cast<std::size_t>(regions), PartRecord{});
    for (int i = 0; i < regions; ++i)
        state.part_table[static_cast<std::size_t>(i)].name = "region" + std::to_string(i + 1);
}

const PartRecord &part(int n)
{
    return state.part_table[static_cast<std::size_t>(n)];
}

std::vector<int> corners_of(int n)
{
    const PartRecord &p = part(n);
    std::vector<int> flat(3 * static_cast<std::size_t>(p.number_of_elements), -1);
    std::vector<int *> rows;
    for (int e = 0; e < p.number_of_elements; ++e)
        rows.push_back(flat.data() + 3 * e);
    copy_part_elements(p, rows.data());
    return flat;
}

}  // namespace

TEST(GeometrySurface, LaterStepsDoNotReadTheFileAgain)
{
    // (What the file's lines give is shown by the golden case surface_regions.)
    TempCase c("geom_basic");
    surface_case(c, "0 3 2\n1 0 0 0\n2 1 0 0\n3 0 1 0\n1 2 3 1\n3 2 1 1\n", 2);
    ASSERT_EQ(reload_all_parts(state), 1);
    c.write("surface.dat", "0 1 1\n1 0 0 0\n1 1 1 2\n");
    state.current_step = 1;
    EXPECT_EQ(reload_all_parts(state), 1);
    EXPECT_EQ(state.built_step, 1);
    EXPECT_EQ(part(0).number_of_elements, 2);
    EXPECT_EQ(part(1).number_of_elements, 0);
}

TEST(GeometrySurface, BadVerticesAndShortFiles)
{
    TempCase c("geom_bad");
    // Vertex 9 and vertex 0 do not exist: skipped with a message each.
    surface_case(c, "0 4 4\n1 0 0 0\n2 1 0 0\n3 0 1 0\n4 1 1 0\n1 2 9 1\n0 2 3 1\n1 2 3 1\n2 3 4 1\n", 1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(read_surface_file(state, state.dataset_files[0]), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("surface.dat: triangle 1 skipped, its vertex number 9"), std::string::npos) << err;
    EXPECT_NE(err.find("surface.dat: triangle 2 skipped, its vertex number 0"), std::string::npos) << err;
    EXPECT_EQ(part(0).number_of_elements, 2);
    EXPECT_EQ(corners_of(0), (std::vector<int>{1, 2, 3, 2, 3, 4}));

    // Fewer lines than announced: missing vertices at 0, missing triangles absent.
    surface_case(c, "0 5 9\n1 1 1 1\n2 2 2 2\n3 3 3 3\n", 1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(read_surface_file(state, state.dataset_files[0]), 1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("2 of 5 vertex lines missing"), std::string::npos) << err;
    EXPECT_NE(err.find("9 of 9 triangle lines missing"), std::string::npos) << err;
    EXPECT_EQ(part(0).number_of_nodes, 5);
    EXPECT_EQ(state.surface_z[2], 3.0f);
    EXPECT_EQ(state.surface_z[4], 0.0f);

    surface_case(c, "0 3 10000000000\n1 1 1 1\n2 2 2 2\n3 3 3 3\n1 2 3 1\n", 1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(read_surface_file(state, state.dataset_files[0]), 1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("9999999999 of 10000000000 triangle lines missing"), std::string::npos) << err;
    EXPECT_EQ(part(0).number_of_elements, 1);

    // A vertex count no file of this size can hold is refused, not allocated.
    surface_case(c, "0 10000000000 1\n1 1 1 1\n", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_surface_file(state, state.dataset_files[0]), -1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot allocate the 10000000000 vertices"), std::string::npos) << err;

    // Negative counts read as 0.
    surface_case(c, "0 -3 -2\n1 1 1 1\n1 1 1 1\n", 2);
    ASSERT_EQ(read_surface_file(state, state.dataset_files[0]), 1);
    EXPECT_EQ(part(1).number_of_nodes, 0);
    EXPECT_EQ(part(1).number_of_elements, 0);
}

TEST(GeometrySurface, FailedFirstBuildIsRetriedFromAClearStart)
{
    TempCase c("geom_retry");
    surface_case(c, "0 3 2\n1 0 0 0\n2 1 0 0\n3 0 1 0\n1 2 3 1\n3 2 1 1\n", 1);
    // A point part whose file is missing makes the first build fail after
    // the triangles were counted.
    state.part_table.push_back(PartRecord{});
    state.part_table[1].name = "region1_Points";
    state.part_table[1].point_file = state.case_folder + "points.dat";
    state.Numparts_available = 2;
    state.Num_point_parts = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(reload_all_parts(state), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error opening file"), std::string::npos);
    EXPECT_EQ(state.geometry_pending, 1);
    EXPECT_EQ(state.built_step, -1);

    c.write("points.dat", "SPATIAL\n");
    EXPECT_EQ(reload_all_parts(state), 1);
    EXPECT_EQ(state.geometry_pending, 0);
    EXPECT_EQ(part(0).number_of_elements, 2);
    EXPECT_EQ(corners_of(0), (std::vector<int>{1, 2, 3, 3, 2, 1}));
    EXPECT_EQ(part(1).element_type, 0);
    EXPECT_EQ(part(1).nodes_per_element, 1);
}
