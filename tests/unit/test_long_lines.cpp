// Lines of more than 251 characters, which the line reader does not deliver,
// end the rows of an arbitrary-motion file as the end of the file does. (The
// other readers meet such lines in the golden case long_lines.)
#include <gtest/gtest.h>

#include <string>

#include "deck/deck_readers.h"
#include "test_support.h"

TEST(LongLines, ArbitraryMotionRowsEndThere)
{
    TempCase c("long_lines");
    begin_new_load(state);
    state.part_table.assign(1, PartRecord{});
    state.motion_table.assign(1, MotionRecord{});
    const std::string long_line = std::string(300, '7') + "\n";
    const std::string row = "1 0 0 0 1 0 0 0 1 0\n";
    // After a row, and after a "supplied" line in place of its data row.
    c.write("a.dat", "second\n" + row + long_line + "2 0 0 0 1 0 0 0 1 0\n");
    c.write("b.dat", "second\n" + row + "supplied 0 0 0 1 0 0 0 1 0\n" + long_line + row);
    for (const char *name : {"a.dat", "b.dat"}) {
        state.Num_time_steps = 1;
        ASSERT_EQ(read_ar_motion_file(state, 0, (c.dir / name).string()), 1);
        EXPECT_EQ(state.Num_time_steps, 1) << name;
    }
}
