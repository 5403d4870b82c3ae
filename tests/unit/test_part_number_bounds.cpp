// Part and variable numbers outside the lists: every entry point that takes
// one answers -1 without reading outside a table, and one that builds the
// part table builds it before it looks at the number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

// Two surface parts on one triangle each, in seconds, nothing moving.
void load_two_parts(const TempCase &c)
{
    c.write("inputs.in", "t\nsurface.dat\n0 crank_flag\n0\n1\n");
    c.write("surface.dat", "0 4 2\n1 0 0 0\n2 1 0 0\n3 0 1 0\n4 1 1 0\n1 2 3 1\n2 4 3 2\n");
    c.write("boundary.in", "deck\n#\n2 regions\n--\n1 a\nvelocity\npressure 0 5\n--\n2 b\nvelocity\npressure 0 6\n");
    ASSERT_EQ(c.load(), Z_OK);
    ASSERT_EQ(state.geometry_pending, 1);
}

// Runs call with debug output on; returns what it printed.
template <typename Call>
std::string printed(Call call)
{
    state.debug_flag = 1;
    testing::internal::CaptureStderr();
    call();
    state.debug_flag = 0;
    return testing::internal::GetCapturedStderr();
}

std::string first_lines(const std::string &text, int n)
{
    std::size_t end = 0;
    for (int i = 0; i < n && end != std::string::npos; ++i)
        end = text.find('\n', end == 0 ? 0 : end + 1);
    return text.substr(0, end == std::string::npos ? text.size() : end + 1);
}

}  // namespace

TEST(PartNumberBounds, BuildingQueriesBuildBeforeRefusingAWrongNumber)
{
    TempCase c("bounds_order");
    std::vector<float> x(8), y(8), z(8), values(8);
    float *xyz[3] = {x.data(), y.data(), z.data()};

    // A first call with a wrong part number still builds, then answers -1.
    load_two_parts(c);
    int rc = 0;
    std::string err = printed([&] { rc = USERD_get_part_coords(3, xyz); });
    EXPECT_EQ(rc, Z_ERR);
    EXPECT_EQ(first_lines(err, 3), "USERD_get_part_coords\npart_number = 3\nreload_all_parts\n");
    EXPECT_EQ(state.geometry_pending, 0);

    // A wrong variable or part number: after the build.
    for (auto [var, part] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 3}}) {
        load_two_parts(c);
        err = printed([&] { rc = USERD_get_var_by_component(var, part, Z_SCALAR, 0, 0, 0, values.data()); });
        EXPECT_EQ(rc, Z_ERR) << var << " " << part;
        EXPECT_EQ(first_lines(err, 2), "USERD_get_var_by_component\nreload_all_parts\n") << var << " " << part;
    }
    load_two_parts(c);
    char line[Z_BUFL];
    err = printed([&] { rc = USERD_get_descrip_lines(Z_VARI, 3, 0, line, nullptr); });
    EXPECT_EQ(rc, Z_ERR);
    EXPECT_EQ(first_lines(err, 2), "USERD_get_descrip_lines\nreload_all_parts\n");

    // A request of a kind the reader does not serve (a component, an
    // imaginary part, a constant) is refused before any build.
    load_two_parts(c);
    err = printed([&] { rc = USERD_get_var_by_component(1, 1, Z_SCALAR, 0, 0, 1, values.data()); });
    EXPECT_EQ(rc, Z_ERR);
    EXPECT_EQ(err, "USERD_get_var_by_component\n");
    EXPECT_EQ(USERD_get_var_by_component(1, 1, Z_SCALAR, 0, 1, 0, values.data()), Z_ERR);
    EXPECT_EQ(USERD_get_var_by_component(1, 1, Z_CONSTANT, 0, 0, 0, values.data()), Z_ERR);
    EXPECT_EQ(state.geometry_pending, 1);
}

TEST(PartNumberBounds, EveryPartQueryRefusesNumbersOutsideTheTable)
{
    TempCase c("bounds_parts");
    load_two_parts(c);
    std::vector<float> x(8), y(8), z(8);
    float *xyz[3] = {x.data(), y.data(), z.data()};
    std::vector<int> ids(8), conn(3);
    int *rows[1] = {conn.data()};
    float v[14];
    for (int p : {0, -1, 3}) {
        EXPECT_EQ(USERD_get_part_coords(p, xyz), Z_ERR) << p;
        EXPECT_EQ(USERD_get_part_node_ids(p, ids.data()), Z_ERR) << p;
        EXPECT_EQ(USERD_get_part_elements_by_type(p, 6, rows), Z_ERR) << p;
        EXPECT_EQ(USERD_get_part_element_ids_by_type(p, 6, ids.data()), Z_ERR) << p;
        EXPECT_EQ(USERD_rigidbody_values(p, v), Z_ERR) << p;
    }
    EXPECT_EQ(USERD_get_part_coords(2, xyz), Z_OK);
    EXPECT_EQ(x, (std::vector<float>{0, 0, 1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(USERD_get_part_elements_by_type(2, 0, rows), Z_OK);
    EXPECT_EQ(conn, (std::vector<int>{2, 4, 3}));
    EXPECT_EQ(USERD_rigidbody_values(2, v), 2);
    // Constants: numbers outside 1 .. Num_variables (2 here) answer -1.0.
    for (int k : {0, 3, 99})
        EXPECT_EQ(USERD_get_constant_val(k, 0), -1.0f) << k;
}
