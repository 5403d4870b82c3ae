// Rigid-body values of motion tables shorter than the time line. (The deck's
// motions and the engine parts' values are shown by the golden transcripts:
// motion_kinds, values_engine_nolifts, engine_liner_on.)
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

}  // namespace

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
