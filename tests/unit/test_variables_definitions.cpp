// The variable list and each region's value sources read from boundary.in.
#include <gtest/gtest.h>

#include "test_support.h"
#include "variables/variables.h"

namespace {

void deck_case(const TempCase &c, const std::string &deck, int regions, int total_pressure, int variables)
{
    begin_new_load();
    c.write("boundary.in", deck);
    state.case_folder = c.dir.string() + "/";
    state.dataset_files.assign(5, std::string());
    state.dataset_files[3] = state.case_folder + "boundary.in";
    state.Numparts_available = regions;
    state.part_table.assign(static_cast<std::size_t>(regions), PartRecord{});
    state.total_pressure_present = total_pressure;
    state.Num_variables = variables;
}

const PartRecord &part(int n)
{
    return state.part_table[static_cast<std::size_t>(n)];
}

}  // namespace

TEST(VariablesDefinitions, ValueLinesOfEachRegion)
{
    TempCase c("vars_deck");
    const std::string deck =
        "boundary conditions\n"
        "# regions\n"
        "7\n"
        "--------\n1 inlet\nvelocity 0 0 0\npressure total [2.5e5] bar\ntemperature = 300 K\n"
        "--------\n2 outlet\nwall smooth\nvelocity 0 0 0\npressure file \"p2.dat\",\ntemperature = 350\n"
        "--------\n3 liner\nvelocity 0 0 0\npressure = 7 Neumann\ntemperature \"t3.dat\"\n"
        "--------\n4 duct\nvelocity 0 0 0\npressure [total] \"tp4.dat\"\ntemperature=410\n"
        "--------\n5 head\nvelocity 0 0 0\npressure = 1.5e5 Pa\ntemperature none 400\n"
        "--------\n6 port\nregion port\nvelocity 0 0 0\npressure = 9 Pa\ntemperature = 9\n"
        "end of port\nend of port\n"
        "--------\n7 cap\nvelocity 0 0 0\npressure = 8 Pa\ntemperature = 8\n";
    deck_case(c, deck, 7, 1, 3);
    ASSERT_EQ(get_var_file_names_and_constant_values(), 1);
    EXPECT_EQ(state.variable_names, (std::vector<std::string>{"Pressure", "Total_Pressure", "Temperature"}));
    const std::string folder = state.case_folder;

    // Bracketed value: Total_Pressure only; comment word as temperature reads 0.
    EXPECT_EQ(part(0).constant_values, (std::vector<float>{0.0f, 2.5e5f, 0.0f}));
    EXPECT_EQ(part(0).variable_files[0], "NULL");
    // Quoted name followed by a comma; third word of the temperature line.
    EXPECT_EQ(part(1).variable_files[0], folder + "p2.dat");
    EXPECT_EQ(part(1).variable_files[1], "NULL");
    EXPECT_EQ(part(1).constant_values[2], 350.0f);
    // "Ne" anywhere gives 0; quoted temperature file.
    EXPECT_EQ(part(2).constant_values[0], 0.0f);
    EXPECT_EQ(part(2).variable_files[2], folder + "t3.dat");
    // A quoted pressure line holding '[' names the Total_Pressure file; a
    // temperature line without a blank reads whole (not a number: 0).
    EXPECT_EQ(part(3).variable_files[0], "NULL");
    EXPECT_EQ(part(3).variable_files[1], folder + "tp4.dat");
    EXPECT_EQ(part(3).constant_values[2], 0.0f);
    // Third word of a pressure line; "ne" inside "none" makes the temperature 0.
    EXPECT_EQ(part(4).constant_values, (std::vector<float>{1.5e5f, 0.0f, 0.0f}));
    // A "region" line before "velocity" ends the search: nothing is read.
    EXPECT_EQ(part(5).constant_values, (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(part(5).variable_files[2], "NULL");
    // Two identical lines end the scan: the last block is never read.
    EXPECT_EQ(part(6).constant_values, (std::vector<float>{0.0f, 0.0f, 0.0f}));
}

TEST(VariablesDefinitions, NamesFollowTheCaseAndTheCount)
{
    TempCase c("vars_names");
    deck_case(c, "title\n1\n-----\n1 a\n", 1, 1, 11);
    state.engine_mode = 1;
    state.lift_files_present = 1;
    EXPECT_EQ(get_var_file_names_and_constant_values(), 1);
    EXPECT_EQ(state.variable_names,
              (std::vector<std::string>{"Pressure", "Total_Pressure", "Temperature", "Bore", "Stroke", "Con_rod_length",
                                        "RPM", "Intake_lift", "Exhaust_lift", "Piston_motion", "Crank_Angle"}));
    EXPECT_EQ(part(0).constant_values.size(), 11u);

    deck_case(c, "title\n1\n-----\n1 a\n", 1, 0, 8);
    state.engine_mode = 1;
    EXPECT_EQ(get_var_file_names_and_constant_values(), 1);
    EXPECT_EQ(state.variable_names, (std::vector<std::string>{"Pressure", "Temperature", "Bore", "Stroke",
                                                              "Con_rod_length", "RPM", "Piston_motion", "Crank_Angle"}));

    // Fewer variables counted than names (engine.in missing): only those
    // stored, and constants beyond them are dropped. No boundary.in: -1 with
    // the slots already "NULL".
    deck_case(c, "title\n1\n-----\n1 a\nvelocity\npressure = 3\ntemperature 5\n", 1, 0, 1);
    state.engine_mode = 1;
    EXPECT_EQ(get_var_file_names_and_constant_values(), 1);
    EXPECT_EQ(state.variable_names, (std::vector<std::string>{"Pressure"}));
    EXPECT_EQ(part(0).constant_values, (std::vector<float>{3.0f}));
    state.dataset_files[3] = state.case_folder + "missing.in";
    EXPECT_EQ(get_var_file_names_and_constant_values(), -1);
    EXPECT_EQ(part(0).variable_files[1], "NULL");
}
