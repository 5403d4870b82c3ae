// The dialog's choices, the case folder and dataset records, the time set.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"

namespace {

std::string choose(int toggle, int pulldown)
{
    int t[1] = {toggle};
    int p[1] = {pulldown};
    testing::internal::CaptureStderr();
    USERD_set_extra_gui_data(t, p, nullptr);
    return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(ReaderDialog, ConsoleOutputChoicesSwitchDiagnostics)
{
    EXPECT_EQ(choose(0, 0), "");
    EXPECT_EQ(choose(0, 2), "\nPulldown contents \nPulldown 0 value is 2 \n\n");
    EXPECT_EQ(state.debug_flag, 1);
    // An unknown choice keeps the level, listing only while debugging.
    EXPECT_EQ(choose(0, 3), "USERD_set_extra_gui_data\n\nPulldown contents \nPulldown 0 value is 3 \n\n");
    EXPECT_EQ(state.debug_flag, 1);
    EXPECT_EQ(choose(0, 1), "USERD_set_extra_gui_data\n");
    EXPECT_EQ(state.debug_flag, 0);
    testing::internal::CaptureStderr();
    USERD_get_number_of_timesets();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(choose(0, 3), "");
    EXPECT_EQ(state.debug_flag, 0);

    // The toggle: only 1 means a moving liner.
    choose(1, 0);
    EXPECT_EQ(USERD_get_changing_geometry_status(), Z_CHANGE_COORDS);
    choose(2, 0);
    EXPECT_EQ(USERD_get_changing_geometry_status(), Z_STATIC);

    char toggle_title[Z_LEN_GUI_TITLE_STR], pulldown_title[Z_LEN_GUI_TITLE_STR];
    char items[Z_MAX_NUM_GUI_PULL_ITEMS][Z_LEN_GUI_PULL_STR];
    std::memset(items, 'x', sizeof items);
    char *item_ptrs[Z_MAX_NUM_GUI_PULL_ITEMS];
    for (int i = 0; i < Z_MAX_NUM_GUI_PULL_ITEMS; ++i)
        item_ptrs[i] = items[i];
    char **lists[1] = {item_ptrs};
    char *toggles[1] = {toggle_title}, *pulldowns[1] = {pulldown_title};
    int toggle_default = -1, count = -1, selection = -1;
    choose(1, 0);
    EXPECT_EQ(USERD_get_extra_gui_defaults(toggles, &toggle_default, pulldowns, &count, &selection, lists, nullptr,
                                           nullptr),
              Z_OK);
    // Titles and entries are in every golden transcript; here the toggle's
    // default follows the last choice, and the list ends with an empty entry.
    EXPECT_EQ(toggle_default, 1);
    EXPECT_EQ(items[3][0], '\0');
    choose(0, 0);
}

TEST(ReaderEntryPoints, CaseFolder)
{
    TempCase c("entry_dataset");
    c.write("inputs.in", "t\nsurf.dat\n0 crank_flag\n0\n1\n");
    c.write("surf.dat", "0 0 0\n");
    ASSERT_EQ(c.load(), Z_OK);
    std::string folder = c.dir.string() + path_separator;
    EXPECT_EQ(state.case_folder, folder);
    // A folder already ending with a separator still gets one more.
    std::string with_separator = folder;
    std::string file = "inputs.in";
    USERD_set_filenames(file.data(), nullptr, with_separator.data(), 0);
    EXPECT_EQ(state.case_folder, folder + path_separator);
    // A folder of 300 characters is cut before the separator is appended.
    std::string deep(300, 'd');
    USERD_set_filenames(file.data(), nullptr, deep.data(), 0);
    EXPECT_EQ(state.case_folder.size(), 255u);
    // A folder that does not exist loads an empty case.
    std::string missing = (c.dir / "no_such_folder").string();
    testing::internal::CaptureStderr();
    EXPECT_EQ(USERD_set_filenames(file.data(), nullptr, missing.data(), 0), Z_OK);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error opening file"), std::string::npos);
    EXPECT_EQ(USERD_get_number_of_model_parts(), 0);
    EXPECT_EQ(USERD_get_num_of_time_steps(1), 1);
}

TEST(ReaderEntryPoints, TimeSetAndStepClamping)
{
    TempCase c("entry_timeset");
    c.write("inputs.in", "t\nsurf.dat\n0 crank_flag\n0\n0.01\n");
    c.write("boundary.in", "Deck\n#\n1 region\n----\n1 wall\nMOVING TR\nv w 1 0 0\n");
    c.load();
    ASSERT_EQ(USERD_get_num_of_time_steps(1), 51);
    // The description is zero-filled over the whole buffer.
    char description[Z_BUFL];
    std::memset(description, 'x', sizeof description);
    USERD_get_timeset_description(1, description);
    EXPECT_EQ(std::string(description, Z_BUFL), std::string(Z_BUFL, '\0'));

    testing::internal::CaptureStderr();
    USERD_set_time_set_and_step(2, 5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error, timeset > 1 \n");
    EXPECT_EQ(state.current_step, 5);
    USERD_set_time_set_and_step(1, 1000);
    EXPECT_EQ(state.current_step, 50);
    USERD_set_time_set_and_step(1, -3);
    EXPECT_EQ(state.current_step, 0);
}
