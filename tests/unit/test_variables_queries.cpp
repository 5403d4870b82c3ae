// The host's variable and constant queries, and point parts' nodal values.
#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/part_table.h"
#include "test_support.h"

namespace {

// Two surface parts of 3 nodes and one point part of 2 points, built for step 0.
void built_case(int total_pressure)
{
    begin_new_load(state);
    state.total_pressure_present = total_pressure;
    state.Num_variables = total_pressure + 2;
    state.Numparts_available = 3;
    state.Num_point_parts = 1;
    state.part_table.assign(3, PartRecord{});
    for (int n = 0; n < 2; ++n) {
        state.part_table[static_cast<std::size_t>(n)].number_of_nodes = 3;
        state.part_table[static_cast<std::size_t>(n)].constant_values.assign(3, 0.0f);
        for (int v = 0; v < total_pressure + 2; ++v)
            state.part_table[static_cast<std::size_t>(n)].variable_files[v] = "NULL";
    }
    state.part_table[2].number_of_nodes = 2;
    state.part_table[2].node_values.assign(static_cast<std::size_t>(state.Num_variables), {0.0f, 0.0f});
    state.geometry_pending = 0;
    state.built_step = state.current_step = 0;
}

}  // namespace

TEST(VariablesQueries, ConstantsMapByPosition)
{
    built_case(1);
    state.engine_mode = state.lift_files_present = 1;
    state.Num_variables = 11;
    state.engine_params = {0.0f, 720.0f, 0.08f, 0.09f, 0.15f, 2000.0f};
    state.Num_time_steps = 3;
    state.crank_angles = {0.0f, 0.5f, 360.0f};
    state.intake_lift = {0.0f, 0.001f, 0.002f};
    state.exhaust_lift = {0.0f, 0.003f, 0.004f};
    USERD_set_time_set_and_step(1, 2);
    const float expected[] = {-1, -1, -1, 0.08f, 0.09f, 0.15f, 2000, 0.002f, 0.004f, 0.09f, 360, -1};
    for (int k = 1; k <= 12; ++k)  // at 360 degrees the piston travel is the stroke
        EXPECT_NEAR(USERD_get_constant_val(k, 0), expected[k - 1], 1e-6f) << k;

    // Without lift files and Total_Pressure: two fewer, and nothing beyond.
    state.total_pressure_present = state.lift_files_present = 0;
    state.Num_variables = 8;
    USERD_set_time_set_and_step(1, 1);
    EXPECT_EQ(USERD_get_constant_val(3, 0), 0.08f);
    EXPECT_EQ(USERD_get_constant_val(7, 0), 0x1.70a182p-4f);  // piston travel at 0.5 degrees
    EXPECT_EQ(USERD_get_constant_val(8, 0), 0.5f);
    EXPECT_EQ(USERD_get_constant_val(9, 0), -1.0f);
    EXPECT_EQ(USERD_get_constant_val(10, 0), -1.0f);
}

TEST(VariablesQueries, PointPartNodalInfo)
{
    TempCase c("vars_points");
    built_case(1);
    state.geometry_pending = 1;
    PartRecord &p = state.part_table[2];
    p.coords.assign(6, 0.0f);
    p.node_ids.assign(2, 0);
    // Two blocks stored with room for 3 points each; the part has 2 points.
    p.point_capacity = 3;
    p.point_blocks = 2;
    p.point_data = {1, 2, 3, 10, 4, 5, 6, 11, 0, 0, 0, 0, 7, 8, 9, 20, 1, 1, 1, 21, 0, 0, 0, 0};
    auto nodal = [&](const std::string &content, int step) {
        c.write("s.dat", content);
        state.current_step = step;
        CaseFile f;
        EXPECT_TRUE(open_case_file(f, (c.dir / "s.dat").string()));
        char line[line_buffer_size] = "";
        return read_nodal_info(state, f, 2, line);
    };
    // With Total_Pressure present a 'p' column fills Total_Pressure.
    EXPECT_EQ(nodal("SPATIAL\n0.0 seconds\n\nx y z pressure\n1 2 3 10\n", 1), 1);
    EXPECT_EQ(p.coords, (std::vector<float>{7, 8, 9, 1, 1, 1}));
    EXPECT_EQ(p.node_ids, (std::vector<int>{1, 2}));
    EXPECT_EQ(p.node_values, (std::vector<std::vector<float>>{{0, 0}, {20, 21}, {0, 0}}));

    // A 't' column (tab before it) fills Temperature.
    state.total_pressure_present = 0;
    state.Num_variables = 2;
    EXPECT_EQ(nodal("SPATIAL\n0.0 seconds\nx  y z\ttemperature\n", 0), 1);
    EXPECT_EQ(p.node_values, (std::vector<std::vector<float>>{{0, 0}, {10, 11}}));
    EXPECT_EQ(p.coords[3], 4.0f);

    // No header, or a column that is neither: positions and ids, no values.
    EXPECT_EQ(nodal("SPATIAL\nx y z velocity\n", 0), 1);
    EXPECT_EQ(p.node_values, (std::vector<std::vector<float>>{{0, 0}, {0, 0}}));
    EXPECT_EQ(p.coords[0], 1.0f);
    EXPECT_EQ(nodal("SPATIAL\n", 0), 1);
    EXPECT_EQ(p.node_values[1], (std::vector<float>{0, 0}));
    // The header is looked for in 10 attempts (a short line costs one more
    // read) and must start with the words "x" and "y" exactly.
    std::string filler;
    for (int i = 0; i < 8; ++i)
        filler += "line\n";
    EXPECT_EQ(nodal("SPATIAL\n" + filler + "ab\nx y z t\n", 0), 1);
    EXPECT_EQ(p.node_values[1], (std::vector<float>{10, 11}));
    EXPECT_EQ(nodal("SPATIAL\nxx y z p\nX y z p\n" + filler.substr(5) + "x y z p\n", 0), 1);
    EXPECT_EQ(p.node_values, (std::vector<std::vector<float>>{{0, 0}, {0, 0}}));
}

TEST(VariablesQueries, VariableInfoAndDescriptions)
{
    built_case(1);
    state.engine_mode = state.lift_files_present = 1;
    state.Num_variables = 11;
    state.variable_names = {"Pressure", "Total_Pressure", "Temperature", "Bore", "Stroke", "Con_rod_length",
                            "RPM", "Intake_lift", "Exhaust_lift", "Piston_motion", "Crank_Angle"};
    std::vector<std::vector<char>> text(11, std::vector<char>(Z_BUFL, 'X'));
    std::vector<char *> descriptions, files;
    for (auto &t : text)
        descriptions.push_back(t.data());
    std::vector<int> type(11, -5), location(11), complex(11), changes(11, -5), timeset(11);
    ASSERT_EQ(USERD_get_gold_variable_info(descriptions.data(), files.data(), type.data(), location.data(),
                                           complex.data(), files.data(), nullptr, changes.data(), timeset.data()),
              Z_OK);
    EXPECT_STREQ(descriptions[1], "Total_Pressure");
    EXPECT_STREQ(descriptions[10], "Crank_Angle");
    EXPECT_EQ(type, (std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Only the lifts, the piston motion and the crank angle are marked as changing.
    EXPECT_EQ(changes, (std::vector<int>{-5, -5, -5, -5, -5, -5, -5, 1, 1, 1, 1}));

    // Descriptions: at most 78 characters and a terminator at the last
    // position; another kind writes nothing and prints no second line.
    state.case_folder = std::string(100, 'f');
    char line[Z_BUFL];
    std::fill(line, line + Z_BUFL, 'X');
    EXPECT_EQ(USERD_get_descrip_lines(Z_GEOM, 0, 0, line, nullptr), Z_OK);
    EXPECT_EQ(std::string(line, 78), std::string(78, 'f'));
    EXPECT_EQ(line[79], '\0');
    state.debug_flag = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(USERD_get_descrip_lines(5, 1, 0, line, nullptr), Z_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "USERD_get_descrip_lines\nreload_all_parts\n");
    state.debug_flag = 0;
    EXPECT_EQ(line[0], 'f');
}
