// The variable list. (Each region's value sources read from boundary.in are
// in the golden case value_line_rules.)
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

TEST(VariablesDefinitions, NamesFollowTheCaseAndTheCount)
{
    EXPECT_EQ(names_for(1, 1, 1, 11),
              (std::vector<std::string>{"Pressure", "Total_Pressure", "Temperature", "Bore", "Stroke", "Con_rod_length",
                                        "RPM", "Intake_lift", "Exhaust_lift", "Piston_motion", "Crank_Angle"}));
    // Fewer variables counted than names (engine.in missing): only those stored.
    EXPECT_EQ(names_for(0, 1, 0, 1), (std::vector<std::string>{"Pressure"}));
}
