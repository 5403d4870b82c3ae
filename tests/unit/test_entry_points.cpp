#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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
    EXPECT_STREQ(toggle_title, "Moving Liner");
    EXPECT_STREQ(pulldown_title, "Console Output");
    EXPECT_EQ(toggle_default, 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(selection, 0);
    EXPECT_STREQ(items[2], "Debug");
    EXPECT_EQ(items[3][0], '\0');
    choose(0, 0);
}

TEST(ReaderEntryPoints, CaseFolderAndDatasetRecords)
{
    TempCase c("entry_dataset");
    c.write("inputs.in", "t\nsurf.dat\n0 crank_flag\n0\n1\n");
    c.write("surf.dat", "0 0 0\n");
    ASSERT_EQ(c.load(), Z_OK);
    std::string folder = c.dir.string() + path_separator_text;
    EXPECT_EQ(state.case_folder, folder);
    ASSERT_EQ(USERD_get_number_of_files_in_dataset(), 4);
    std::vector<Z_QFILES> records(4);
    std::memset(records.data(), 0, records.size() * sizeof(Z_QFILES));
    EXPECT_EQ(USERD_get_dataset_query_file_info(records.data()), Z_OK);
    EXPECT_EQ(std::string(records[0].name), folder + "surf.dat");
    EXPECT_EQ(records[0].sizeb, 6);
    EXPECT_EQ(std::strlen(records[0].timemod), 25u);
    EXPECT_EQ(records[0].timemod[24], '\n');
    EXPECT_EQ(std::string(records[1].name), folder + "inputs.in");
    EXPECT_EQ(std::string(records[3].name), folder + "boundary.in");
    EXPECT_EQ(records[3].sizeb, 0);  // missing: size and time left as given
    EXPECT_EQ(records[3].timemod[0], '\0');

    // A folder already ending with a separator still gets one more.
    std::string with_separator = folder;
    std::string file = "inputs.in";
    USERD_set_filenames(file.data(), nullptr, with_separator.data(), 0);
    EXPECT_EQ(state.case_folder, folder + path_separator_text);
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
    std::vector<float> times(51);
    EXPECT_EQ(USERD_get_sol_times(1, times.data()), Z_OK);
    EXPECT_EQ(times[0], 0.0f);
    EXPECT_FLOAT_EQ(times[50], 0.01f);
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

TEST(ReaderEntryPoints, UnofferedFeaturesAnswerFixedValues)
{
    EXPECT_EQ(USERD_get_matsp_info(0, nullptr, nullptr, nullptr, nullptr), Z_ERR);
    EXPECT_EQ(USERD_get_maxsize_info(nullptr, nullptr, nullptr), Z_ERR);
    EXPECT_EQ(USERD_get_nfaced_conn(1, nullptr), Z_ERR);
    EXPECT_EQ(USERD_get_nfaced_nodes_per_face(1, nullptr), Z_ERR);
    EXPECT_EQ(USERD_get_nsided_conn(1, nullptr), Z_ERR);
    EXPECT_EQ(USERD_get_number_of_species(0), Z_ERR);
    EXPECT_EQ(USERD_get_structured_reader_cinching(), Z_ERR);
    EXPECT_EQ(USERD_get_uns_failed_params(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), Z_ERR);
    EXPECT_EQ(USERD_set_block_range_and_stride(1, 0, 0, 0, 0, 0, 0, 0, 0, 0), Z_ERR);
    EXPECT_EQ(USERD_bkup(nullptr, 0), Z_NOT_IMPLEMENTED);
    EXPECT_EQ(USERD_get_var_value_at_specific(1, 1, 1, 0, 0, nullptr, 0), Z_NOT_IMPLEMENTED);
    EXPECT_EQ(USERD_get_border_availability(1, nullptr), Z_ERR);
    EXPECT_EQ(USERD_get_number_of_materials(0), 0);
    EXPECT_EQ(USERD_get_ghosts_in_model_flag(), 0);
    char name[Z_MAX_USERD_NAME];
    int two_fields = 7;
    USERD_get_name_of_reader(name, &two_fields);
    EXPECT_STREQ(name, "Vortimar_input");
    EXPECT_EQ(two_fields, 0);
    char descrip[Z_MAXFILENP];
    USERD_get_reader_descrip(descrip);
    EXPECT_EQ(std::string(descrip).rfind("- exhaust lift filename = 'exhaust_lift.in'\n"), 191u);
}
