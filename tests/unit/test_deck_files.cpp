// Motion profile, arbitrary-motion, spatial and valve lift files, and the
// Euler parameters of a frame.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "deck/deck_readers.h"
#include "test_support.h"

namespace {

// A case folder as the loader leaves it: one region, nothing read yet.
void one_region(const TempCase &c, int crank_flag = 0, float end = 2.0f)
{
    begin_new_load(state);
    state.case_folder = c.dir.string() + path_separator;
    state.crank_flag = crank_flag;
    state.engine_params.end = end;
    state.engine_params.rpm = 1200.0f;
    state.part_table.assign(1, PartRecord{});
    state.motion_table.assign(1, MotionRecord{});
}

float x_at(int step)
{
    return state.motion_table[0].translation_steps[static_cast<std::size_t>(step) * 3];
}

}  // namespace

TEST(DeckEuler, BranchOrderAndSinglePrecisionResults)
{
    struct Case {
        float current[2][3];
        float expected[4];
    };
    const float root_half = 0.707106769f;  // sqrt(0.5) rounded to float; 2 / (4 * it) rounds to the same
    const Case cases[] = {
        {{{1, 0, 0}, {0, 1, 0}}, {1, 0, 0, 0}},                 // identity
        {{{0, 1, 0}, {-1, 0, 0}}, {root_half, 0, 0, -root_half}},  // quarter turn about z
        {{{0, 0, -1}, {0, 1, 0}}, {root_half, 0, -root_half, 0}},  // quarter turn about y
        {{{1, 0, 0}, {0, -1, 0}}, {0, 1, 0, 0}},                // half turn about x: second branch
        // Half turn about (0, 1, 1) / sqrt 2: e0 and e1 are exactly 0, the
        // third branch finds e2 and from it e3 (e1 from R01 + R10 stays 0).
        {{{-1, 0, 0}, {0, 0, 1}}, {0, 0, root_half, root_half}},
        {{{-1, 0, 0}, {0, -1, 0}}, {0, 0, 0, 1}},               // half turn about z: last branch
    };
    for (const Case &k : cases) {
        float A[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}};  // reference axes in columns 0 and 1
        float B[3][3] = {{k.current[0][0], k.current[0][1], k.current[0][2]},
                         {k.current[1][0], k.current[1][1], k.current[1][2]},
                         {0, 0, 0}};
        float e[4];
        EXPECT_EQ(get_euler_params(state, A, B, e), 1);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(e[i], k.expected[i]) << "parameter " << i;
        EXPECT_EQ(A[2][2], 1.0f);  // the reference's third column completed
    }
    // Axes of length 2 turned half about z: trace -3, e0 is NaN, which counts
    // as not zero, so its branch is taken.
    float A2[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}}, B2[3][3] = {{-2, 0, 0}, {0, -2, 0}, {0, 0, 0}};
    float e[4];
    get_euler_params(state, A2, B2, e);
    EXPECT_TRUE(std::isnan(e[0]) && std::isnan(e[1]) && std::isnan(e[3]));
}

TEST(DeckMotionFile, ShortFileIsResampledOntoFiftyOneSteps)
{
    TempCase c("deck_motion_short");
    c.write("m.dat", "profile\ntime (second) x y z\n0 0 1 0\n1\t10 1 0\n2 20 1 0 extra\n");
    one_region(c);
    ASSERT_EQ(read_motion_file(state, 0, (c.dir / "m.dat").string()), 1);
    EXPECT_EQ(state.Num_time_steps, 51);
    ASSERT_EQ(state.time_values.size(), 51u);
    EXPECT_EQ(state.time_values[13], 0.519999981f);  // 13 * (2 / 50) in single precision
    EXPECT_EQ(x_at(13), 5.19999981f);
    EXPECT_EQ(x_at(25), 10.0f);  // t = 1 takes row 1
    EXPECT_EQ(x_at(50), 20.0f);
    EXPECT_EQ(state.motion_table[0].translation_steps[13 * 3 + 1], 1.0f);

    // Rows from t = 0.5 on, ended by a one-word row: steps before the first
    // row keep what the first pass left there (row 0, row 1, then zeros).
    c.write("late.dat", "t (second)\n0.5 5 0 0\n1 10 0 0\n2 20 0 0\n7\n3 30 0 0\n");
    one_region(c);
    read_motion_file(state, 0, (c.dir / "late.dat").string());
    EXPECT_EQ(x_at(0), 5.0f);
    EXPECT_EQ(x_at(1), 10.0f);
    EXPECT_EQ(x_at(3), 0.0f);
    EXPECT_EQ(x_at(50), 20.0f);  // the row after the one-word row is not read

    // Crank mode at 1200 rpm: 720 degrees are 0.1 s, so rows at 360 and 720
    // degrees are at 0.05 and 0.1 s; step 13 (0.026 s) lies between the first
    // two rows. The end becomes seconds once; a second file keeps it.
    c.write("crank.dat", "p\ncrank\n0 0 0 0\n360 10 0 0\n720 20 0 0\n");
    one_region(c, 1, 720.0f);
    read_motion_file(state, 0, (c.dir / "crank.dat").string());
    EXPECT_NEAR(x_at(13), 5.2f, 1e-5f);
    EXPECT_NEAR(x_at(40), 16.0f, 1e-5f);
    EXPECT_EQ(state.engine_params.end, 0.100000001f);
    std::vector<float> first = state.time_values;
    read_motion_file(state, 0, (c.dir / "m.dat").string());
    EXPECT_EQ(state.time_values, first);
    EXPECT_EQ(first[50], 0.100000001f);
    EXPECT_EQ(read_motion_file(state, 0, (c.dir / "absent.dat").string()), -1);
}

TEST(DeckMotionFile, FiftyOneRowsGiveTheirOwnTimeLine)
{
    TempCase c("deck_motion_long");
    std::string text = "header\ncrank angle\n";
    for (int i = 0; i < 51; ++i)
        text += std::to_string(i) + " " + std::to_string(2 * i) + " 0 -1\n";
    c.write("m.dat", text);
    one_region(c);
    ASSERT_EQ(read_motion_file(state, 0, (c.dir / "m.dat").string()), 1);
    EXPECT_EQ(state.Num_time_steps, 51);
    EXPECT_EQ(state.time_values[50], 50.0f);
    EXPECT_EQ(x_at(50), 100.0f);
    EXPECT_EQ(state.motion_table[0].translation_steps[50 * 3 + 2], -1.0f);
}

// (Rows, "supplied" reference lines and the Euler parameters they give: the
// golden case ar_supplied_lines.) The rows set the step count: a line longer
// than the line reader delivers ends them as the end of the file does, and a
// shorter time line already laid out stays.
TEST(DeckArMotionFile, StepCount)
{
    TempCase c("deck_ar");
    one_region(c);
    const std::string long_line = std::string(300, '7') + "\n";
    const std::string row = "1 0 0 0 1 0 0 0 1 0\n";
    c.write("a.dat", "second\n" + row + long_line + "2 0 0 0 1 0 0 0 1 0\n");
    c.write("b.dat", "second\n" + row + "supplied 0 0 0 1 0 0 0 1 0\n" + long_line + row);
    c.write("c.dat", "second\n0 0 0 0 1 0 0 0 1 0\n" + row + "2 0 0 0 1 0 0 0 1 0\n");
    c.write("none.dat", "no unit line\n1 2 3\n");
    for (auto [name, steps_before, steps_after] :
         {std::tuple{"a.dat", 1, 1}, {"b.dat", 1, 1}, {"c.dat", 1, 3}, {"c.dat", 2, 2}, {"none.dat", 2, 0}}) {
        state.Num_time_steps = steps_before;
        ASSERT_EQ(read_ar_motion_file(state, 0, (c.dir / name).string()), 1) << name;
        EXPECT_EQ(state.Num_time_steps, steps_after) << name;
    }
}

TEST(DeckLiftFiles, IncompleteFiles)
{
    TempCase c("deck_lift");
    begin_new_load(state);
    state.case_folder = c.dir.string() + path_separator;
    for (int i = 0; i <= 1440; ++i)
        state.crank_angles.push_back(-360.0f + 0.5f * static_cast<float>(i));
    state.Num_time_steps = 1441;
    // One row covers nothing; missing direction components read 0.
    c.write("exhaust_lift.in", "exhaust\ndirection_x 1\ncrank\n100 0.01\n");
    ASSERT_EQ(read_exhaust_lift_file(state), 1);
    EXPECT_EQ(state.exhaust_direction[0], 1.0f);
    EXPECT_EQ(state.exhaust_direction[1], 0.0f);
    EXPECT_EQ(state.exhaust_lift.size(), 1441u);
    EXPECT_EQ(state.exhaust_lift[1000], 0.0f);
    // No direction line and no unit line: the searches end with the file.
    c.write("intake_lift.in", "0 0\n360 0.008\n");
    ASSERT_EQ(read_intake_lift_file(state), 1);
    EXPECT_EQ(state.intake_direction[2], 0.0f);
    EXPECT_EQ(state.intake_lift[0], 0.0f);
}
