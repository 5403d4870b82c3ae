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

// (The variable list, its types and which ones change, and the constants in
// their places: the golden cases values_engine_total_pressure and
// values_engine_lifts.)
TEST(VariablesQueries, Descriptions)
{
    built_case(1);
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
