// Boundary value files placed on the time line.
#include <gtest/gtest.h>

#include "test_support.h"
#include "variables/variables.h"

namespace {

// Reads `content` as per-part variable `slot` of a one-part case whose steps
// lie at `abscissas` (crank angles of an engine case, or seconds; `mixed`: an
// engine case on a time line in seconds); returns the variable's value at
// every step.
enum Mode { seconds, crank, mixed };
std::vector<float> read_values(const std::string &content, int slot, int total_pressure,
                               const std::vector<float> &abscissas, Mode mode)
{
    TempCase c("vars_values");
    c.write("v.dat", content);
    begin_new_load(state);
    state.total_pressure_present = total_pressure;
    state.engine_mode = mode == seconds ? 0 : 1;
    state.crank_flag = mode == crank ? 1 : 0;
    state.Num_time_steps = static_cast<int>(abscissas.size());
    (mode == crank ? state.crank_angles : state.time_values) = abscissas;
    state.Numparts_available = 1;
    state.part_table.assign(1, PartRecord{});
    PartRecord &part = state.part_table[0];
    part.step_values.assign(abscissas.size() * static_cast<std::size_t>(total_pressure + 2), 0.0f);
    part.variable_files[slot] = (c.dir / "v.dat").string();
    EXPECT_EQ(get_variable_values_from_file(state, 0, slot), 1);
    // Step s, slot v is at s * (per-part variables) + v.
    std::vector<float> values;
    for (std::size_t s = 0; s < abscissas.size(); ++s)
        values.push_back(part.step_values[s * static_cast<std::size_t>(total_pressure + 2) + static_cast<std::size_t>(slot)]);
    return values;
}

}  // namespace

TEST(VariablesValueFiles, SecondsTableAndRowRules)
{
    const std::vector<float> times{0, 1, 2, 3, 4};
    const std::vector<float> none(5, 0.0f);
    EXPECT_EQ(read_values("title\ntime [second]\n1 10\n3 30\n", 0, 0, times, seconds),
              (std::vector<float>{0, 10, 20, 30, 0}));
    // A one-number row has value 0; an empty line ends the table.
    EXPECT_EQ(read_values("title\nseconds\n1\n3 30\n\n4 40\n", 1, 0, times, seconds),
              (std::vector<float>{0, 0, 15, 30, 0}));
    // No "crank"/"second" line after the title: no rows.
    EXPECT_EQ(read_values("seconds\n1 10\n3 30\n", 0, 0, times, seconds), none);
    // The heading word does not choose the unit; an engine case on a time
    // line in seconds stores nothing.
    EXPECT_EQ(read_values("title\nsecond\n-1000 7\n1000 7\n", 0, 0, times, crank), std::vector<float>(5, 7.0f));
    EXPECT_EQ(read_values("title\nsecond\n-1000 7\n1000 7\n", 0, 0, times, mixed), none);

    state.part_table[0].variable_files[0] += ".missing";
    EXPECT_EQ(get_variable_values_from_file(state, 0, 0), -1);
    EXPECT_EQ(get_variable_values_from_file(state, 1, 0), -1);
    state.geometry_pending = 0;  // values are read during the first build only
    EXPECT_EQ(get_variable_values_from_file(state, 0, 0), 1);
}
