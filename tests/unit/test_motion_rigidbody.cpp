// Rigid-body values of the engine parts and of the deck's motions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geometry/part_table.h"
#include "test_support.h"

namespace {

void motion_case(const MotionRecord &m)
{
    begin_new_load();
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
    begin_new_load();
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
