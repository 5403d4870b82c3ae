// The variable list and each region's value sources read from boundary.in.
#include <gtest/gtest.h>

#include "test_support.h"
#include "variables/variables.h"

namespace {

std::vector<std::string> names_for(int total_pressure, int engine, int lifts, int count)
{
    begin_new_load(state);
    state.total_pressure_present = total_pressure;
    state.engine_mode = engine;
    state.lift_files_present = lifts;
    state.Num_variables = count;
    EXPECT_EQ(get_var_file_names_and_constant_values(state), -1);  // no boundary.in
    return state.variable_names;
}

}  // namespace

TEST(VariablesDefinitions, ValueLinesOfEachRegion)
{
    TempCase c("vars_deck");
    c.write("boundary.in",
            "--- boundary conditions\n# regions\n9 regions\n"
            "-----\n1 inlet\nvelocity 0 0 0\npressure total [2.5e5] bar\ntemperature = 300 K\n"
            "-----\n2 outlet\nwall smooth\nvelocity 0 0 0\npressure file \"p2.dat\",\ntemperature = 350\n"
            "-----\n3 liner\nvelocity 0 0 0\npressure = 7 Neumann\ntemperature \"t3.dat\"\n"
            "-----\n4 duct\nvelocity 0 0 0\npressure [total] \"tp4.dat\"\ntemperature=410\n"
            "-----\n5 head\nvelocity 0 0 0\npressure = 1.5e5 Pa\ntemperature none 400\n"
            "-----\n6 lower\nwall\nwall\nvelocity 0 0 0\npressure = 6 Pa\ntemperature = 6\n"
            "-----\n7 upper\nwall\nwall\nwall\nvelocity 0 0 0\npressure = 7 Pa\ntemperature = 7\n"
            "-----\n8 port\nregion port\nvelocity 0 0 0\npressure = 9 Pa\ntemperature = 9\n"
            "end\nend\n-----\n9 cap\nvelocity 0 0 0\npressure = 8 Pa\ntemperature = 8\n");
    begin_new_load(state);
    const std::string folder = c.dir.string() + "/";
    state.case_folder = folder;
    state.dataset_files = {"", "", "", folder + "boundary.in"};
    state.Numparts_available = 9;
    state.part_table.assign(9, PartRecord{});
    state.total_pressure_present = 1;
    state.Num_variables = 3;
    ASSERT_EQ(get_var_file_names_and_constant_values(state), 1);
    auto constants = [](int n) { return state.part_table[static_cast<std::size_t>(n)].constant_values; };
    auto files = [](int n, int v) { return state.part_table[static_cast<std::size_t>(n)].variable_files[v]; };

    // Bracketed value: Total_Pressure only; a comment word as temperature reads 0.
    EXPECT_EQ(constants(0), (std::vector<float>{0.0f, 2.5e5f, 0.0f}));
    EXPECT_EQ(files(0, 0), "NULL");
    // Quoted name with a trailing comma; a value file after a non-"velocity" line.
    EXPECT_EQ(files(1, 0), folder + "p2.dat");
    EXPECT_EQ(files(1, 1), "NULL");
    EXPECT_EQ(constants(1)[2], 350.0f);
    // "Ne" anywhere gives 0; a quoted temperature file.
    EXPECT_EQ(constants(2)[0], 0.0f);
    EXPECT_EQ(files(2, 2), folder + "t3.dat");
    // A quoted pressure line holding '[' names the Total_Pressure file; a
    // temperature line without a blank reads whole (not a number: 0).
    EXPECT_EQ(files(3, 0), "NULL");
    EXPECT_EQ(files(3, 1), folder + "tp4.dat");
    EXPECT_EQ(constants(3)[2], 0.0f);
    // Third word of the pressure line; "ne" inside "none" makes the temperature 0.
    EXPECT_EQ(constants(4), (std::vector<float>{1.5e5f, 0.0f, 0.0f}));
    // "velocity" is looked for on the 4 lines after the block start only
    // (the deck's first line is never a block start).
    EXPECT_EQ(constants(5), (std::vector<float>{6.0f, 0.0f, 6.0f}));
    EXPECT_EQ(constants(6), std::vector<float>(3, 0.0f));
    // A "region" line before "velocity" ends the search; two identical lines end the scan.
    EXPECT_EQ(constants(7), std::vector<float>(3, 0.0f));
    EXPECT_EQ(constants(8), std::vector<float>(3, 0.0f));
}

TEST(VariablesDefinitions, NamesFollowTheCaseAndTheCount)
{
    EXPECT_EQ(names_for(1, 1, 1, 11),
              (std::vector<std::string>{"Pressure", "Total_Pressure", "Temperature", "Bore", "Stroke", "Con_rod_length",
                                        "RPM", "Intake_lift", "Exhaust_lift", "Piston_motion", "Crank_Angle"}));
    // Fewer variables counted than names (engine.in missing): only those stored.
    EXPECT_EQ(names_for(0, 1, 0, 1), (std::vector<std::string>{"Pressure"}));
}
