#include <gtest/gtest.h>

#include "core/value_table.h"

TEST(ValueTable, LookUpTakesExactRowsAndInterpolatesBetween)
{
    ValueTable t{{1.0f, 3.0f}, {10.0f, 30.0f}};
    float v = -1;
    EXPECT_FALSE(look_up(t, 0.0f, v));
    EXPECT_TRUE(look_up(t, 1.0f, v));
    EXPECT_EQ(v, 10.0f);
    EXPECT_TRUE(look_up(t, 2.0f, v));
    EXPECT_EQ(v, 20.0f);
    EXPECT_TRUE(look_up(t, 3.0f, v));
    EXPECT_EQ(v, 30.0f);
    EXPECT_FALSE(look_up(t, 4.0f, v));
    // Single precision slope and products, double precision halving and sum
    // (expected value worked out separately with float32 rounding at each step).
    ValueTable u{{0.5f, 2.0f}, {0.0f, 10.0f}};
    EXPECT_TRUE(look_up(u, 1.2f, v));
    EXPECT_EQ(v, 0x1.2aaaacp+2f);
}

TEST(ValueTable, CrankTablesAreMovedBackAndContinuedByCycle)
{
    // A cycle given from 0 to 720 for a run from 0 to 720: moved to -720..0,
    // then continued by the rows after the first.
    ValueTable t{{0.0f, 360.0f, 720.0f}, {1.0f, 2.0f, 1.0f}};
    ASSERT_TRUE(place_on_crank_range(t, 0.0f, 720.0f));
    EXPECT_EQ(t.x, (std::vector<float>{-720.0f, -360.0f, 0.0f, 360.0f, 720.0f}));
    EXPECT_EQ(t.y, (std::vector<float>{1.0f, 2.0f, 1.0f, 2.0f, 1.0f}));
    float v = 0;
    ASSERT_TRUE(look_up(t, 180.0f, v));
    EXPECT_EQ(v, 1.5f);

    // Needs more than one cycle: rows appended earlier are copied again.
    ValueTable short_cycle{{-360.0f, 0.0f}, {5.0f, 6.0f}};
    ASSERT_TRUE(place_on_crank_range(short_cycle, -180.0f, 1000.0f));
    EXPECT_EQ(short_cycle.x.back(), 1440.0f);

    // Not covering: starts after the run's start and ends before its end.
    ValueTable inside{{100.0f, 200.0f}, {1.0f, 1.0f}};
    EXPECT_FALSE(place_on_crank_range(inside, 0.0f, 720.0f));
    // One row cannot be continued; no rows cover nothing.
    ValueTable one{{0.0f}, {1.0f}};
    EXPECT_FALSE(place_on_crank_range(one, 0.0f, 10.0f));
    ValueTable none;
    EXPECT_FALSE(place_on_crank_range(none, 0.0f, 10.0f));
    // Abscissas so large that adding a cycle changes nothing: gives up.
    ValueTable huge{{-1e30f, -1e30f}, {1.0f, 2.0f}};
    EXPECT_FALSE(place_on_crank_range(huge, 0.0f, 720.0f));
}
