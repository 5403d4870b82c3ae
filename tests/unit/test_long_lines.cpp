// Lines of more than 251 characters, which the line reader does not deliver,
// in every reader: searches read on past them, row loops that look for their
// end (motion profile, arbitrary-motion and boundary value files) end there
// as at the end of the file, and vertex, triangle and point rows take the
// line before again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deck/deck_readers.h"
#include "test_support.h"

namespace {

const std::string long_line = std::string(300, '7') + "\n";

}  // namespace

TEST(LongLines, EveryReaderEndsOrRepeatsAsItsLoopDoes)
{
    TempCase c("long_lines");
    // inputs.in: the search for the crank_flag line reads past the long line.
    c.write("inputs.in", "t\nsurface.dat\n" + long_line + "0 crank_flag\n0\n2\n");
    // Vertex 3 and triangle 2 are long lines: they repeat vertex 2 and triangle 1.
    c.write("surface.dat", "0 4 2\n1 0 0 0\n2 1 0 0\n" + long_line + "4 1 1 0\n1 2 3 1\n" + long_line);
    c.write("boundary.in", "deck\n#\n2 regions\n"
                           "--\n1 cloud\nvelocity 0 0 0\npressure \"s.dat\"\ntemperature 300\n"
                           "--\n2 wall\nvelocity 0 0 0\npressure \"p.dat\"\ntemperature 300\nMOVING TR\nv w \"m.dat\"\n");
    // Point rows: the long line repeats point 0; block 1 ends with the file
    // after one row, and its other points take that row again.
    c.write("s.dat", "SPATIAL\n0 second\nx y z p\n0 0 0 1\n" + long_line + "2 0 0 3\n\n0.5 second\n\n0 0 1 4\n");
    // Motion rows: a long line in the header is passed over; one among the
    // rows ends them, so t = 2 has no row.
    c.write("m.dat", "profile\n" + long_line + "t (second)\n0 0 0 0\n1 10 0 0\n" + long_line + "2 20 0 0\n");
    // Value rows likewise end at the long line.
    c.write("p.dat", "title\nseconds\n0 10\n1 20\n" + long_line + "2 30\n");
    ASSERT_EQ(c.load(), Z_OK);

    // The motion file set the time line: 51 steps from 0 to 2 s.
    ASSERT_EQ(USERD_get_num_of_time_steps(1), 51);
    EXPECT_EQ(state.time_values[50], 2.0f);
    const std::vector<float> &moved = state.motion_table[1].translation_steps;
    EXPECT_EQ(moved[25 * 3], 10.0f);  // t = 1: row 1
    EXPECT_EQ(moved[50 * 3], 0.0f);   // t = 2: no row read

    std::vector<float> x(5), y(5), z(5), values(5);
    float *xyz[3] = {x.data(), y.data(), z.data()};
    std::vector<int> conn(6);
    int *rows[2] = {conn.data(), conn.data() + 3};
    USERD_set_time_set_and_step(1, 25);
    ASSERT_EQ(USERD_get_part_coords(1, xyz), Z_OK);
    EXPECT_EQ(x, (std::vector<float>{0, 0, 1, 1, 0}));  // vertex 4 is not used by part 1
    ASSERT_EQ(USERD_get_part_elements_by_type(1, Z_TRI03, rows), Z_OK);
    EXPECT_EQ(conn, (std::vector<int>{1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(USERD_get_var_by_component(1, 2, Z_SCALAR, 0, 0, 0, values.data()), Z_OK);
    EXPECT_EQ(values[1], 20.0f);

    // Part 3, the point part: block 0 at step 0, block 1 from step 1 on.
    USERD_set_time_set_and_step(1, 0);
    ASSERT_EQ(USERD_get_part_coords(3, xyz), Z_OK);
    EXPECT_EQ(x, (std::vector<float>{0, 0, 0, 2, 0}));
    values.assign(5, 0.0f);
    ASSERT_EQ(USERD_get_var_by_component(1, 3, Z_SCALAR, 0, 0, 0, values.data()), Z_OK);
    EXPECT_EQ(values, (std::vector<float>{0, 1, 1, 3, 0}));
    USERD_set_time_set_and_step(1, 50);
    ASSERT_EQ(USERD_get_part_coords(3, xyz), Z_OK);
    EXPECT_EQ(z, (std::vector<float>{0, 1, 1, 1, 0}));
    // t = 2 lies beyond the value rows read: no value.
    EXPECT_EQ(USERD_get_var_by_component(1, 2, Z_SCALAR, 0, 0, 0, values.data()), Z_UNDEF);

    // Arbitrary-motion rows end at a long line too.
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
