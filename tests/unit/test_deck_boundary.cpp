// The boundary deck through the case loader: region counts and marks outside
// the regions. (Motion lines, named files and spatial files are golden cases.)
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const char seconds_inputs[] = "case\n\"surface.dat\" geometry\n0 crank_flag\n0\n2\n";
const char engine_file[] = "engine\n#\n0.08 bore\n0.09 stroke\n0.14 conrod\n1200 rpm\n";

void load_deck(const TempCase &c, const std::string &deck, const std::string &inputs = seconds_inputs,
               const std::string &engine = engine_file)
{
    c.write("inputs.in", inputs);
    c.write("engine.in", engine);
    c.write("boundary.in", deck);
    ASSERT_EQ(c.load(), Z_OK);
    ASSERT_EQ(state.part_table.size(), static_cast<std::size_t>(state.Numparts_available));
    ASSERT_EQ(state.motion_table.size(), state.part_table.size());
}

}  // namespace

TEST(DeckBoundary, RegionCountsAndMarksWithoutRegion)
{
    TempCase c("deck_counts");
    c.write("s.dat", "SPATIAL\nsecond\nx y z p\n1 2 3 4\n\n");
    // Count 0: marks and a spatial file before and beyond the blocks; the
    // spatial file after "$" makes no point part in the engine deck.
    load_deck(c, "t\n#\n0 regions\nintake_lift [\n\"s.dat\"\n--\n1 extra\nMOVING TR\nv w 1 1 1\n--\n2 more\n$\n"
                 "\"s.dat\"\n");
    EXPECT_EQ(state.Numparts_available, 1);
    EXPECT_EQ(state.part_table[0].name, "_Points");
    EXPECT_EQ(state.bracket_seen, 1);
    EXPECT_EQ(state.engine_mode, 1);
    EXPECT_EQ(state.rigid_motion_present, 0);

    // More regions counted than blocks given; two equal lines end the deck.
    load_deck(c, "t\n#\n3 regions\n--\n1 only\nexhaust_lift\nexhaust_lift\n--\n2 unread\n$\n");
    EXPECT_EQ(state.Numparts_available, 3);
    EXPECT_EQ(state.part_table[0].engine_role, EngineRole::exhaust_valve);
    EXPECT_EQ(state.part_table[1].name, "");
    EXPECT_EQ(state.engine_mode, 0);

    // Counts that no deck can hold: as if the deck were missing.
    for (const char *count : {"1000000000 regions", "-5 regions"}) {
        load_deck(c, std::string("t\n#\n") + count + "\n--\n1 a\nbody\n");
        EXPECT_EQ(state.Numparts_available, 0);
    }

    // A deck that ends inside a MOVING block.
    load_deck(c, "t\n#\n1 region\n--\n1 a\nMOVING AR\nr\n");
    EXPECT_EQ(state.part_table[0].name, "a");
    EXPECT_EQ(state.motion_table[0].moving, 0);
    load_deck(c, "t\n#\n1 region\n--\n1 a\nMOVING RT\n");
    EXPECT_EQ(state.Numparts_available, 1);
}
