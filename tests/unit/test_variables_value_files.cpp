// Boundary value files placed on the time line.
#include <gtest/gtest.h>

#include "test_support.h"
#include "variables/variables.h"

namespace {

// One surface part whose per-part variable `slot` is read from `file`, on a
// time line of `abscissas` (crank angles in an engine crank case, else seconds).
void one_part_case(const TempCase &c, const std::string &file, int slot, int total_pressure,
                   const std::vector<float> &abscissas, bool crank)
{
    begin_new_load();
    state.total_pressure_present = total_pressure;
    state.engine_mode = crank ? 1 : 0;
    state.crank_flag = crank ? 1 : 0;
    state.Num_time_steps = static_cast<int>(abscissas.size());
    state.time_values = abscissas;
    if (crank)
        state.crank_angles = abscissas;
    state.Numparts_available = 1;
    state.part_table.assign(1, PartRecord{});
    PartRecord &part = state.part_table[0];
    part.step_values.assign(abscissas.size() * static_cast<std::size_t>(total_pressure + 2), 0.0f);
    part.variable_files[slot] = (c.dir / file).string();
}

// The value of per-part variable `slot` at step s (one float per variable and step).
float at(int step, int slot)
{
    return state.part_table[0].step_values[static_cast<std::size_t>(step * per_part_variable_count() + slot)];
}

std::vector<float> steps_from(float first, float last, float spacing)
{
    std::vector<float> v;
    for (int i = 0; first + static_cast<float>(i) * spacing <= last; ++i)
        v.push_back(first + static_cast<float>(i) * spacing);
    return v;
}

}  // namespace

TEST(VariablesValueFiles, CrankTableIsShiftedBackAndContinued)
{
    TempCase c("vars_crank");
    c.write("p.dat", "inlet pressure\nangle (crank)\n0 1\n360\t2 extra\n720 1\n");
    std::vector<float> angles = steps_from(0.0f, 720.0f, 0.5f);
    ASSERT_EQ(angles.size(), 1441u);
    // Temperature with Total_Pressure present: slot 2 of 3 per step.
    one_part_case(c, "p.dat", 2, 1, angles, true);
    EXPECT_EQ(get_variable_values_from_file(0, 2), 1);
    EXPECT_EQ(at(0, 2), 1.0f);
    EXPECT_EQ(at(360, 2), 1.5f);  // 180 degrees, between (0, 1) and (360, 2)
    EXPECT_EQ(at(720, 2), 2.0f);
    EXPECT_EQ(at(1440, 2), 1.0f);
    EXPECT_EQ(at(360, 0), 0.0f);  // the other variables are untouched
    EXPECT_EQ(at(360, 1), 0.0f);

    // Rows covering 100 to 200 degrees only: no step gets a value.
    c.write("short.dat", "title\ncrank\n100 5\n200 6\n");
    one_part_case(c, "short.dat", 0, 0, angles, true);
    EXPECT_EQ(get_variable_values_from_file(0, 0), 1);
    for (std::size_t s = 0; s < angles.size(); ++s)
        ASSERT_EQ(at(static_cast<int>(s), 0), 0.0f) << s;
}

TEST(VariablesValueFiles, SecondsTableAndRowRules)
{
    TempCase c("vars_seconds");
    std::vector<float> times{0, 1, 2, 3, 4};
    c.write("p.dat", "title\ntime [second]\n1 10\n3 30\n");
    one_part_case(c, "p.dat", 0, 0, times, false);
    EXPECT_EQ(get_variable_values_from_file(0, 0), 1);
    EXPECT_EQ(at(0, 0), 0.0f);
    EXPECT_EQ(at(1, 0), 10.0f);
    EXPECT_EQ(at(2, 0), 20.0f);
    EXPECT_EQ(at(3, 0), 30.0f);
    EXPECT_EQ(at(4, 0), 0.0f);

    // A row with one number has the value 0; an empty line ends the table.
    c.write("t.dat", "title\nseconds\n1\n3 30\n\n4 40\n");
    one_part_case(c, "t.dat", 1, 0, times, false);
    EXPECT_EQ(get_variable_values_from_file(0, 1), 1);
    EXPECT_EQ(at(1, 1), 0.0f);
    EXPECT_EQ(at(2, 1), 15.0f);
    EXPECT_EQ(at(3, 1), 30.0f);
    EXPECT_EQ(at(4, 1), 0.0f);

    // A line too long for the line reader repeats the row before it.
    c.write("long.dat", "title\nseconds\n1 10\n" + std::string(300, '9') + "\n3 30\n");
    one_part_case(c, "long.dat", 0, 0, times, false);
    EXPECT_EQ(get_variable_values_from_file(0, 0), 1);
    EXPECT_EQ(at(1, 0), 10.0f);
    EXPECT_EQ(at(2, 0), 20.0f);
    EXPECT_EQ(at(3, 0), 30.0f);

    // No "crank"/"second" line: no rows. The first line is never the heading.
    c.write("none.dat", "seconds\n1 10\n3 30\n");
    one_part_case(c, "none.dat", 0, 0, times, false);
    EXPECT_EQ(get_variable_values_from_file(0, 0), 1);
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(at(s, 0), 0.0f);

    // A seconds table in a crank-angle engine case gives nothing; so does a
    // second call once the first build is over; a missing file is an error.
    c.write("p.dat", "title\nseconds\n0 7\n1000 7\n");
    one_part_case(c, "p.dat", 0, 0, times, false);
    state.engine_mode = 1;
    EXPECT_EQ(get_variable_values_from_file(0, 0), 1);
    EXPECT_EQ(at(2, 0), 0.0f);
    state.engine_mode = 0;
    state.geometry_pending = 0;
    EXPECT_EQ(get_variable_values_from_file(0, 0), 1);
    EXPECT_EQ(at(2, 0), 0.0f);
    state.geometry_pending = 1;
    state.part_table[0].variable_files[0] = (c.dir / "missing.dat").string();
    EXPECT_EQ(get_variable_values_from_file(0, 0), -1);
    EXPECT_EQ(get_variable_values_from_file(1, 0), -1);
    EXPECT_EQ(get_variable_values_from_file(0, 2), -1);
}
