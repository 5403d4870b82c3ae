// The time line the case loader lays out for runs in crank angles that the
// other cases (the golden transcripts) do not show.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const char engine_in[] = "Engine data\n# values then keys\n0.0825 bore\n\n0.0885 stroke\n0.14 conrod\n2000 rpm\n";

std::string inputs(const std::string &flag, const std::string &start, const std::string &end)
{
    return "Case\n\"surface.dat\"  geometry\n" + flag + " crank_flag\n" + start + " start\n" + end + " end\n";
}

// A deck with one region marked as moving with the crank.
const char engine_deck[] = "Deck\n#\n1 regions\n----\n1 piston\n$ moves with the crank\n";
// A deck with one region turning about z.
const char turning_deck[] = "Deck\n#\n1 region\n----\n1 wall\nMOVING RO\nv w 0 0 0 0 0 1 360\n";

}  // namespace

TEST(CaseLoader, CrankRangeIsCutTo720AndShortOrReversedRunsGetOneStep)
{
    TempCase c("loader_crank_cut");
    c.write("engine.in", engine_in);
    c.write("boundary.in", engine_deck);
    c.write("inputs.in", inputs("1", "0", "1000"));
    c.load();
    EXPECT_EQ(state.Num_time_steps, 1441);
    EXPECT_EQ(state.engine_params.end, 720.0f);

    c.write("inputs.in", inputs("1", "10", "10.3"));
    c.load();
    ASSERT_EQ(state.Num_time_steps, 1);
    EXPECT_EQ(state.time_values, std::vector<float>{0.0f});
    EXPECT_EQ(state.crank_angles[0], 10.0f);

    c.write("inputs.in", inputs("1", "90", "-90"));
    c.load();
    ASSERT_EQ(state.Num_time_steps, 1);
    EXPECT_EQ(state.time_values, std::vector<float>{0.0f});
    EXPECT_EQ(state.crank_angles, std::vector<float>{90.0f});
}

TEST(CaseLoader, CrankAnglesWithoutEngineRegionsBecomeSeconds)
{
    TempCase c("loader_crank_to_seconds");
    c.write("engine.in", "E\n#\n0.1 bore\n0.1 stroke\n0.2 conrod\n1200 rpm\n");
    c.write("inputs.in", inputs("1", "180", "720"));
    c.write("boundary.in", turning_deck);
    c.load();
    EXPECT_EQ(state.crank_flag, 0);
    EXPECT_EQ(state.engine_params.start, 0.0f);
    EXPECT_FLOAT_EQ(state.engine_params.end, 0.1f);
    ASSERT_EQ(state.Num_time_steps, 51);
    EXPECT_FLOAT_EQ(state.time_values[1], 0.002f);
    EXPECT_TRUE(state.crank_angles.empty());
}
