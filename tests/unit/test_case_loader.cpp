#include <gtest/gtest.h>

#include <cmath>

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

TEST(CaseLoader, CrankAngleTimeLineHasHalfDegreeSteps)
{
    TempCase c("loader_crank");
    c.write("inputs.in", inputs("1", "-360", "360"));
    c.write("engine.in", "E\n#\n0.1 bore\n0.1 stroke\n0.2 conrod\n600 rpm\n");
    c.write("boundary.in", engine_deck);
    ASSERT_EQ(c.load(), 1);
    ASSERT_EQ(state.Num_time_steps, 1441);
    EXPECT_EQ(state.crank_angles[0], -360.0f);
    EXPECT_EQ(state.crank_angles[1], -359.5f);
    EXPECT_EQ(state.crank_angles[1440], 360.0f);
    // 600 rpm: a revolution takes 0.1 s; each half degree adds 1/720 of it.
    EXPECT_EQ(state.time_values[0], 0.0f);
    EXPECT_FLOAT_EQ(state.time_values[720], 0.1f);
    EXPECT_FLOAT_EQ(state.time_values[1440], 0.2f);
    EXPECT_EQ(state.time_values[720], 60.0f / 600.0f);
    // Without intake_lift.in the two lift constants are dropped.
    EXPECT_EQ(state.lift_files_present, 0);
    EXPECT_EQ(state.Num_variables, 8);
}

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

TEST(CaseLoader, SecondsTimeLineNeedsSomethingThatMoves)
{
    TempCase c("loader_seconds");
    c.write("engine.in", engine_in);
    c.write("inputs.in", inputs("0", "0", "0.01"));
    c.write("boundary.in", "Deck\n#\n1 region\n----\n1 wall\nwall\n");
    c.load();
    EXPECT_EQ(state.Num_time_steps, 1);
    EXPECT_EQ(state.time_values, std::vector<float>{0.0f});
    EXPECT_EQ(state.Num_variables, 2);

    c.write("boundary.in", turning_deck);
    c.load();
    ASSERT_EQ(state.Num_time_steps, 51);
    EXPECT_EQ(state.time_values[0], 0.0f);
    EXPECT_EQ(state.time_values[1], 0.01f / 50.0f);
    EXPECT_FLOAT_EQ(state.time_values[50], 0.01f);
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

TEST(CaseLoader, MissingFilesAreReportedAndLeaveDefaults)
{
    TempCase c("loader_missing");
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.load(), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error opening file " + (c.dir / "inputs.in").string() + "\n"), std::string::npos);
    EXPECT_EQ(state.Num_time_steps, 1);
    EXPECT_EQ(state.Num_variables, 2);
    EXPECT_EQ(state.dataset_files[0], c.dir.string() + path_separator_text);
    EXPECT_EQ(state.dataset_files[3], (c.dir / "boundary.in").string());

    // engine.in missing in an engine case in crank angles: the speed is 0.
    c.write("inputs.in", inputs("1", "0", "1"));
    c.write("boundary.in", engine_deck);
    testing::internal::CaptureStderr();
    c.load();
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("\nERROR: FILE engine.in is missing \n\n"), std::string::npos);
    ASSERT_EQ(state.Num_time_steps, 3);
    EXPECT_TRUE(std::isinf(state.time_values[1]));
    EXPECT_EQ(state.Num_variables, 0);  // 2, less the two lift constants
}

TEST(SettingsFiles, InputsAndEngineValues)
{
    TempCase c("settings");
    c.write("inputs.in", "title\n\"\"geo.dat\"  the surface, not a .dat\nx\n1 crank_flag set\n-180 deg\n540 deg\n");
    c.write("engine.in", engine_in);
    c.write("boundary.in", engine_deck);
    c.load();
    EXPECT_EQ(state.surface_file_name, "geo.dat");
    EXPECT_EQ(state.crank_flag, 1);
    EXPECT_EQ(state.engine_params.start, -180.0f);
    EXPECT_EQ(state.engine_params.end, 540.0f);
    EXPECT_EQ(state.engine_params.bore, 0.0825f);
    EXPECT_EQ(state.engine_params.stroke, 0.0885f);
    EXPECT_EQ(state.engine_params.conrod, 0.14f);
    EXPECT_EQ(state.engine_params.rpm, 2000.0f);

    // Keys out of order, or in capitals, are not found: engine.in fails.
    c.write("engine.in", "E\n#\n2000 rpm\n0.0825 bore\n0.0885 stroke\n0.14 conrod\n");
    c.write("inputs.in", "t\nsurface.dat\n");  // no crank_flag line: the values stay
    c.load();
    EXPECT_EQ(state.engine_params.bore, 0.0825f);
    EXPECT_EQ(state.engine_params.rpm, 0.0f);
    EXPECT_EQ(state.crank_flag, 0);
    EXPECT_EQ(state.Num_variables, 2);
    c.write("engine.in", "E\n#\n1 BORE\n");
    c.load();
    EXPECT_EQ(state.engine_params.bore, 0.0f);

    // Lines 2 to 5 are skipped when no '#' line ends the header there.
    c.write("engine.in", "E\n1 bore\n2 bore\n3 bore\n4 bore\n5 bore\n1 stroke\n1 conrod\n1 rpm\n");
    c.load();
    EXPECT_EQ(state.engine_params.bore, 5.0f);
}

TEST(SettingsFiles, AnyBytesLoadWithoutHarm)
{
    TempCase c("settings_garbage");
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    for (const char *name : {"inputs.in", "engine.in", "boundary.in"})
        c.write(name, garbage);
    EXPECT_EQ(c.load(), 1);
    EXPECT_GE(state.Num_time_steps, 0);
    c.write("inputs.in", std::string(10 * 1024 * 1024, 'x'));
    c.write("engine.in", "\r\r\r1 bore\r2 stroke\r");
    EXPECT_EQ(c.load(), 1);
    EXPECT_EQ(state.Num_time_steps, 1);
}
