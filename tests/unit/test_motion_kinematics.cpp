// Piston kinematics on a time line in seconds, the moving liner and the
// relative comparison. Expected floats were computed separately with IEEE
// single rounding at each step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "motion/engine_motion.h"
#include "test_support.h"

namespace {

void engine(std::vector<float> crank_angles)
{
    begin_new_load(state);
    state.engine_mode = 1;
    state.engine_params.stroke = 0.1f;
    state.engine_params.conrod = 0.15f;
    state.Num_time_steps = static_cast<int>(crank_angles.size());
    state.crank_angles = std::move(crank_angles);
}

}  // namespace

TEST(MotionKinematics, PistonOnATimeLineInSeconds)
{
    // 6 x rpm x time degrees: 0.015 s at 1000 rpm is 90 (the travel at 90
    // degrees is that of the crank-angle cases).
    engine({});
    state.engine_params.rpm = 1000;
    state.time_values = {0.0f, 0.015f};
    state.current_step = 1;
    EXPECT_EQ(current_crank_angle(state), 90.0f);
    EXPECT_EQ(piston_displacement(state), 0x1.5352ep-5f);
}

TEST(MotionKinematics, RelativeCompare)
{
    EXPECT_EQ(relative_compare(1.0f, 1.04f), 0);
    EXPECT_EQ(relative_compare(1.0f, 1.06f), -1);
    EXPECT_EQ(relative_compare(1.06f, 1.0f), 1);
    EXPECT_EQ(relative_compare(0.0f, 1e-11f), 0);
    EXPECT_EQ(relative_compare(1e-11f, 0.0f), 0);
    EXPECT_EQ(relative_compare(0.0f, 1e-9f), -1);
    EXPECT_EQ(relative_compare(-2.0f, -2.0f), 0);
    EXPECT_EQ(relative_compare(-1.0f, 1.0f), -1);
}

TEST(MotionKinematics, LinerBottomRingFollowsThePiston)
{
    TempCase c("liner");
    engine({0, 90});
    state.moving_liner = 1;
    c.write("surface.dat",
            "0 6 3\n1 0 0 -0.05\n2 1 0 -0.05\n3 0 1 -0.049999\n4 0 0 0.1\n5 1 0 0.2\n6 0 1 0.1\n"
            "1 2 3 1\n4 5 6 2\n1 2 3 3\n");
    state.dataset_files = {c.dir.string() + path_separator + "surface.dat"};
    state.Numparts_available = 3;
    state.part_table.assign(3, PartRecord{});
    state.part_table[0].name = "Liner_bottom";
    state.part_table[1].name = "liner_top";
    state.part_table[2].name = "LINER_3";  // not a liner
    const float down = -0x1.99999ap-5f;     // -0.05 as read

    state.current_step = 1;  // crank 90
    ASSERT_EQ(reload_all_parts(state), 1);
    const float ring90 = -0x1.191ae6p-7f;   // -0.05 + displacement at 90
    const float lift90 = 0x1.5352ep-5f;     // 0 + displacement at 90
    // Part 1: the two nodes at exactly -0.05 move, the one 1e-6 above stays.
    EXPECT_EQ(part_coords(0, 2), (std::vector<float>{ring90, ring90, -0.049999f, 0, 0, 0}));
    // Part 2: its lowest z is that of the unused nodes (0): they form its ring.
    EXPECT_EQ(part_coords(1, 2), (std::vector<float>{lift90, lift90, lift90, 0.1f, 0.2f, 0.1f}));
    EXPECT_EQ(part_coords(2, 2), (std::vector<float>{down, down, -0.049999f, 0, 0, 0}));

    state.current_step = 0;  // crank 0: top dead centre
    ASSERT_EQ(reload_all_parts(state), 1);
    EXPECT_EQ(part_coords(0, 2)[0], 0x1.99999ap-5f);
    EXPECT_EQ(part_coords(1, 2)[0], 0x1.99999ap-4f);
    state.current_step = 1;
    ASSERT_EQ(reload_all_parts(state), 1);
    EXPECT_EQ(part_coords(0, 2)[1], ring90);
}
