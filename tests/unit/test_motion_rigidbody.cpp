// Rigid-body values of the engine parts and of the deck's motions, and the
// part-number bounds of every part query.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geometry/part_table.h"
#include "test_support.h"

namespace {

void motion_case(const MotionRecord &m)
{
    begin_new_load(state);
    state.engine_params.start = 0.0f;
    state.engine_params.end = 0.05f;
    state.Num_time_steps = 51;
    state.time_values.resize(51);
    for (int i = 0; i < 51; ++i)
        state.time_values[static_cast<std::size_t>(i)] = static_cast<float>(i) * 0.001f;
    state.Numparts_available = 2;
    state.part_table.assign(2, PartRecord{});
    state.motion_table.assign(2, MotionRecord{});
    state.motion_table[0] = m;
}

MotionRecord rotation(float axis_z)
{
    MotionRecord m;
    m.moving = 1;
    m.has_rotation = true;
    const float values[7] = {1, 2, 3, 0, 0, axis_z, 360};
    std::copy(values, values + 7, m.rotation);
    return m;
}

}  // namespace

TEST(MotionRigidBody, RotationAboutAFixedAxis)
{
    motion_case(rotation(1.0f));
    state.current_step = 25;  // 9 degrees: half of it in the Euler parameters
    float v[14];
    EXPECT_EQ(USERD_rigidbody_values(1, v), 1);
    const std::vector<float> got(v, v + 14);
    const std::vector<float> expected{1, 2, 3, 0x1.fe6bf2p-1f, 0, 0, 0x1.415e54p-4f, 1, 2, 3, 0, 0, 0, 0};
    EXPECT_EQ(got, expected);

    // Part 2 does not move: identity, result 2.
    EXPECT_EQ(USERD_rigidbody_values(2, v), 2);
    EXPECT_EQ(std::vector<float>(v, v + 14), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(MotionRigidBody, AngleFromStepAndSpacingTranslationFromTime)
{
    // Times twice the spacing of the run (as a motion profile may give): the
    // turn is step x spacing x speed, 9 degrees at step 25, while the moving
    // centre's translation follows the step's time, 0.05 s.
    MotionRecord turning_centre;
    turning_centre.moving = 1;
    turning_centre.has_rotation_translation = true;
    const float values[10] = {1, 0, 0, 1, 2, 3, 0, 0, 1, 360};
    std::copy(values, values + 10, turning_centre.rotation_translation);
    motion_case(rotation(1.0f));
    state.motion_table[1] = turning_centre;
    for (int i = 0; i < 51; ++i)
        state.time_values[static_cast<std::size_t>(i)] = static_cast<float>(i) * 0.002f;
    state.current_step = 25;
    float v[14];
    ASSERT_EQ(USERD_rigidbody_values(1, v), 1);
    EXPECT_EQ(std::vector<float>(v, v + 7), (std::vector<float>{1, 2, 3, 0x1.fe6bf2p-1f, 0, 0, 0x1.415e54p-4f}));
    ASSERT_EQ(USERD_rigidbody_values(2, v), 1);
    // x: velocity 1 times 0.05 s plus centre 1, in single precision.
    EXPECT_EQ(std::vector<float>(v, v + 10),
              (std::vector<float>{1.05f, 2, 3, 0x1.fe6bf2p-1f, 0, 0, 0x1.415e54p-4f, 1, 2, 3}));
}

TEST(MotionRigidBody, EulerSumOfSquaresLine)
{
    float v[14];
    for (float axis : {2.0f, 1.0f}) {
        motion_case(rotation(axis));
        state.debug_flag = 1;
        state.current_step = 50;  // 18 degrees
        testing::internal::CaptureStderr();
        EXPECT_EQ(USERD_rigidbody_values(1, v), 1);
        std::string err = testing::internal::GetCapturedStderr();
        state.debug_flag = 0;
        EXPECT_NE(err.find("  Rigid body values\n  X translation     1.000000\n"), std::string::npos) << err;
        // cos(9 deg)^2 + (2 sin(9 deg))^2 = 1.073415, more than 5 % off 1.
        bool expected_line = axis == 2.0f;
        EXPECT_EQ(err.find("  Euler sum squares 1.073415\n") != std::string::npos, expected_line) << err;
        EXPECT_EQ(err.find("Euler sum squares") != std::string::npos, expected_line) << err;
    }
}

TEST(MotionRigidBody, PerStepTablesShorterThanTheTimeLine)
{
    MotionRecord m;
    m.moving = 1;
    m.translation_steps = {1, 2, 3, 4, 5, 6};
    m.arbitrary_steps = {0.5f, 0, 0, 1, 0, 0, 0};
    m.arbitrary_cg[1] = 7;
    motion_case(m);
    float v[14];
    state.current_step = 0;
    EXPECT_EQ(USERD_rigidbody_values(1, v), 1);
    EXPECT_EQ(std::vector<float>(v, v + 10), (std::vector<float>{0.5f, 0, 0, 1, 0, 0, 0, 0, 7, 0}));
    state.current_step = 30;  // beyond both tables
    EXPECT_EQ(USERD_rigidbody_values(1, v), 1);
    EXPECT_EQ(std::vector<float>(v, v + 10), (std::vector<float>{0, 0, 0, 0, 0, 0, 0, 0, 7, 0}));
}

TEST(MotionRigidBody, EngineParts)
{
    begin_new_load(state);
    state.engine_mode = 1;
    state.engine_params.stroke = 0.1f;
    state.engine_params.conrod = 0.15f;
    state.crank_angles = {0.0f, 180.0f};
    state.Num_time_steps = 2;
    state.Numparts_available = 5;
    state.part_table.assign(5, PartRecord{});
    state.motion_table.assign(5, MotionRecord{});
    const int roles[] = {0, 1, 2, -1, 7};
    for (int i = 0; i < 5; ++i)
        state.part_table[static_cast<std::size_t>(i)].engine_role = roles[i];
    float v[14];
    EXPECT_EQ(USERD_rigidbody_values(1, v), 1);
    EXPECT_EQ(std::vector<float>(v, v + 7), (std::vector<float>{0, 0, 0x1.99999ap-4f, 1, 0, 0, 0}));
    // No lift files were read: the valves stay put, result 1.
    EXPECT_EQ(USERD_rigidbody_values(2, v), 1);
    EXPECT_EQ(std::vector<float>(v, v + 7), (std::vector<float>{0, 0, 0, 1, 0, 0, 0}));
    state.intake_direction[2] = -1.0f;
    state.intake_lift = {0.008f, 0.0f};
    EXPECT_EQ(USERD_rigidbody_values(2, v), 1);
    EXPECT_EQ(v[2], -0x1.0624dep-7f);
    EXPECT_EQ(USERD_rigidbody_values(3, v), 1);
    EXPECT_EQ(USERD_rigidbody_values(4, v), 2);
    EXPECT_EQ(USERD_rigidbody_values(5, v), -1);
}

TEST(MotionRigidBody, PartNumbersOutsideTheTable)
{
    TempCase c("bounds");
    begin_new_load(state);
    c.write("surface.dat", "0 3 1\n1 0 0 0\n2 1 0 0\n3 0 1 0\n1 2 3 1\n");
    state.dataset_files = {c.dir.string() + path_separator_text + "surface.dat"};
    state.Numparts_available = 2;
    state.part_table.assign(2, PartRecord{});
    state.motion_table.assign(2, MotionRecord{});
    std::vector<float> x(8), y(8), z(8);
    float *xyz[3] = {x.data(), y.data(), z.data()};
    std::vector<int> ids(8), conn(3);
    int *rows[1] = {conn.data()};
    float v[14];
    for (int p : {0, -1, 3}) {
        EXPECT_EQ(USERD_get_part_coords(p, xyz), Z_ERR) << p;
        EXPECT_EQ(USERD_get_part_node_ids(p, ids.data()), Z_ERR) << p;
        EXPECT_EQ(USERD_get_part_elements_by_type(p, 6, rows), Z_ERR) << p;
        EXPECT_EQ(USERD_get_part_element_ids_by_type(p, 6, ids.data()), Z_ERR) << p;
        EXPECT_EQ(USERD_rigidbody_values(p, v), Z_ERR) << p;
    }
    EXPECT_EQ(USERD_get_part_coords(1, xyz), Z_OK);
    EXPECT_EQ(x, (std::vector<float>{0, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(USERD_get_part_elements_by_type(1, 0, rows), Z_OK);
    EXPECT_EQ(conn, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(USERD_get_part_element_ids_by_type(2, 6, ids.data()), Z_OK);
    EXPECT_EQ(USERD_rigidbody_values(2, v), 2);
}
