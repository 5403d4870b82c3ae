// The host's variable and constant queries, and point parts' nodal values.
#include <gtest/gtest.h>

#include "geometry/part_table.h"
#include "motion/engine_motion.h"
#include "test_support.h"

namespace {

// Two surface parts of 3 nodes and one point part of 2 points, built for step 0.
void built_case(int total_pressure)
{
    begin_new_load();
    state.total_pressure_present = total_pressure;
    state.Num_variables = total_pressure + 2;
    state.Numparts_available = 3;
    state.Num_point_parts = 1;
    state.part_table.assign(3, PartRecord{});
    for (int n = 0; n < 2; ++n) {
        PartRecord &p = state.part_table[static_cast<std::size_t>(n)];
        p.number_of_nodes = 3;
        p.constant_values.assign(static_cast<std::size_t>(state.Num_variables), 0.0f);
        for (int v = 0; v < total_pressure + 2; ++v)
            p.variable_files[v] = "NULL";
    }
    state.part_table[2].number_of_nodes = 2;
    state.part_table[2].node_values.assign(static_cast<std::size_t>(state.Num_variables), {0.0f, 0.0f});
    state.geometry_pending = 0;
    state.built_step = state.current_step = 0;
}

int values_of(int var, int part, std::vector<float> &out)
{
    out.assign(4, -9.0f);
    return USERD_get_var_by_component(var, part, Z_SCALAR, 0, 0, 0, out.data());
}

}  // namespace

TEST(VariablesQueries, VarByComponentResults)
{
    built_case(0);
    std::vector<float> out(4, -9.0f);
    // Only component 0 of a scalar, real values, is served.
    EXPECT_EQ(USERD_get_var_by_component(1, 1, Z_SCALAR, 0, 0, 1, out.data()), Z_ERR);
    EXPECT_EQ(USERD_get_var_by_component(1, 1, Z_CONSTANT, 0, 0, 0, out.data()), Z_ERR);
    EXPECT_EQ(USERD_get_var_by_component(1, 1, Z_SCALAR, 0, 1, 0, out.data()), Z_ERR);
    // Numbers outside the lists.
    EXPECT_EQ(values_of(0, 1, out), Z_ERR);
    EXPECT_EQ(values_of(3, 1, out), Z_ERR);
    EXPECT_EQ(values_of(1, 0, out), Z_ERR);
    EXPECT_EQ(values_of(1, 4, out), Z_ERR);

    // No file and a zero constant: nothing to give.
    EXPECT_EQ(values_of(1, 1, out), Z_UNDEF);
    EXPECT_EQ(out, std::vector<float>(4, -9.0f));
    // A value for the step: the same at every node, slot 0 untouched.
    state.part_table[0].constant_values[1] = 300.0f;
    state.part_table[0].surface_values[1] = 300.0f;
    EXPECT_EQ(values_of(2, 1, out), Z_OK);
    EXPECT_EQ(out, (std::vector<float>{-9.0f, 300.0f, 300.0f, 300.0f}));
    // A file whose value at this step is 0.
    state.part_table[1].variable_files[0] = "p.dat";
    EXPECT_EQ(values_of(1, 2, out), Z_UNDEF);
    state.part_table[1].surface_values[0] = -2.5f;
    EXPECT_EQ(values_of(1, 2, out), Z_OK);
    EXPECT_EQ(out[3], -2.5f);

    // Point part: the first point's value decides.
    state.part_table[2].node_values[1] = {0.0f, 4.0f};
    EXPECT_EQ(values_of(2, 3, out), Z_UNDEF);
    state.part_table[2].node_values[1] = {3.0f, 4.0f};
    EXPECT_EQ(values_of(2, 3, out), Z_OK);
    EXPECT_EQ(out, (std::vector<float>{-9.0f, 3.0f, 4.0f, -9.0f}));
}

TEST(VariablesQueries, ConstantsMapByPosition)
{
    built_case(1);
    state.engine_mode = 1;
    state.lift_files_present = 1;
    state.Num_variables = 11;
    state.engine_params = {0.0f, 720.0f, 0.08f, 0.09f, 0.15f, 2000.0f};
    state.Num_time_steps = 3;
    state.crank_angles = {0.0f, 0.5f, 360.0f};
    state.intake_lift = {0.0f, 0.001f, 0.002f};
    state.exhaust_lift = {0.0f, 0.003f, 0.004f};
    USERD_set_time_set_and_step(1, 2);
    EXPECT_EQ(USERD_get_constant_val(1, 0), -1.0f);
    EXPECT_EQ(USERD_get_constant_val(3, 0), -1.0f);
    EXPECT_EQ(USERD_get_constant_val(4, 0), 0.08f);
    EXPECT_EQ(USERD_get_constant_val(5, 0), 0.09f);
    EXPECT_EQ(USERD_get_constant_val(6, 0), 0.15f);
    EXPECT_EQ(USERD_get_constant_val(7, 0), 2000.0f);
    EXPECT_EQ(USERD_get_constant_val(8, 0), 0.002f);
    EXPECT_EQ(USERD_get_constant_val(9, 0), 0.004f);
    // At 360 degrees the piston is at top dead centre: travel = stroke.
    EXPECT_NEAR(USERD_get_constant_val(10, 0), 0.09f, 1e-6f);
    EXPECT_EQ(USERD_get_constant_val(11, 0), 360.0f);
    EXPECT_EQ(USERD_get_constant_val(12, 0), -1.0f);

    // Without lift files and Total_Pressure: two fewer, and nothing beyond.
    state.total_pressure_present = 0;
    state.lift_files_present = 0;
    state.Num_variables = 8;
    EXPECT_EQ(USERD_get_constant_val(3, 0), 0.08f);
    EXPECT_EQ(USERD_get_constant_val(6, 0), 2000.0f);
    USERD_set_time_set_and_step(1, 1);
    EXPECT_EQ(USERD_get_constant_val(7, 0), piston_displacement());
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
    p.point_data = {1, 2, 3, 10, 4, 5, 6, 11, 0, 0, 0, 0,   // block 0
                    7, 8, 9, 20, 1, 1, 1, 21, 0, 0, 0, 0};  // block 1
    c.write("p.dat", "SPATIAL\n0.0 seconds\n\nx y z pressure\n1 2 3 10\n");
    auto nodal = [&](const std::string &file) {
        CaseFile f;
        EXPECT_TRUE(open_case_file(f, (c.dir / file).string()));
        char line[line_buffer_size] = "";
        return read_nodal_info(f, 2, line);
    };
    state.current_step = 1;
    EXPECT_EQ(nodal("p.dat"), 1);
    EXPECT_EQ(p.coords, (std::vector<float>{7, 8, 9, 1, 1, 1}));
    EXPECT_EQ(p.node_ids, (std::vector<int>{1, 2}));
    // With Total_Pressure present a 'p' column fills Total_Pressure.
    ASSERT_EQ(p.node_values.size(), 3u);
    EXPECT_EQ(p.node_values[1], (std::vector<float>{20, 21}));
    EXPECT_EQ(p.node_values[0], (std::vector<float>{0, 0}));

    // A 't' column fills Temperature; a step beyond the blocks shows the last.
    state.total_pressure_present = 0;
    state.Num_variables = 2;
    state.current_step = 0;
    c.write("t.dat", "SPATIAL\n0.0 seconds\nx  y z\ttemperature\n");
    EXPECT_EQ(nodal("t.dat"), 1);
    EXPECT_EQ(p.node_values[1], (std::vector<float>{10, 11}));
    EXPECT_EQ(p.coords[3], 4.0f);
    state.current_step = 7;
    EXPECT_EQ(nodal("t.dat"), 1);
    EXPECT_EQ(p.node_values[1], (std::vector<float>{20, 21}));

    // No header, or a column that is neither: positions and ids, no values.
    state.current_step = 0;
    c.write("n.dat", "SPATIAL\nx y z velocity\n");
    EXPECT_EQ(nodal("n.dat"), 1);
    EXPECT_EQ(p.node_values[0], (std::vector<float>{0, 0}));
    EXPECT_EQ(p.node_values[1], (std::vector<float>{0, 0}));
    EXPECT_EQ(p.coords[0], 1.0f);
    c.write("h.dat", "SPATIAL\n");
    EXPECT_EQ(nodal("h.dat"), 1);
    EXPECT_EQ(p.node_values[1], (std::vector<float>{0, 0}));
}
