// The boundary deck: regions, engine marks, motions, named files and point
// parts, loaded through the case loader.
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

std::string extra_file(int k)
{
    return state.dataset_files[static_cast<std::size_t>(3 + k)];
}

}  // namespace

TEST(DeckBoundary, RegionsMotionsAndNamedFiles)
{
    TempCase c("deck_motions");
    c.write("prof.dat", "p\nt (second)\n0 0 0 0\n2 4 0 0\n");
    load_deck(c, "deck title\n# regions\n4 regions\n"
                 "--\n1  intake port  \n MOVING RT\nr  skipped\nv w 1 2 3 4 5 6 7 8 9 10\n"
                 "--\n2 wall\nMOVING RO\nv w \"prof.dat\",\n"
                 "--\n3 slider\nMOVING TR\nv w \"prof.dat\" [\n"
                 "--\n4 belt\nMOVING Trans\nv w 0.5 0 -1\n");
    EXPECT_EQ(state.Numparts_available, 4);
    EXPECT_EQ(state.part_table[0].name, "intake port");
    const MotionRecord &rt = state.motion_table[0];
    ASSERT_TRUE(rt.has_rotation_translation);
    EXPECT_EQ(rt.rotation_translation[0], 1.0f);
    EXPECT_EQ(rt.rotation_translation[9], 10.0f);
    EXPECT_FALSE(state.motion_table[1].has_rotation);  // a quoted value line gives no rotation
    EXPECT_EQ(state.motion_table[1].moving, 0);
    EXPECT_EQ(state.motion_table[2].moving, 1);
    EXPECT_EQ(state.motion_table[2].translation_steps[25 * 3], 2.0f);  // t = 1 of 0..2
    EXPECT_EQ(state.motion_table[3].translation_velocity[0], 0.5f);
    EXPECT_EQ(state.motion_table[3].translation_velocity[2], -1.0f);
    EXPECT_EQ(state.rigid_motion_present, 1);
    EXPECT_EQ(state.bracket_seen, 1);
    EXPECT_EQ(state.engine_mode, 0);
    // The profile was named on three lines: listed once, without its comma.
    EXPECT_EQ(state.Num_extra_files, 1);
    EXPECT_EQ(extra_file(1), (c.dir / "prof.dat").string());
    EXPECT_EQ(state.Num_time_steps, 51);

    // A rotation with translation whose value line names a file: no motion,
    // and the value line is not taken for a translation keyword.
    c.write("trans.dat", "p\nt (second)\n0 0 0 0\n");
    load_deck(c, "t\n#\n1 region\n--\n1 spinner\nMOVING RT\nv w \"trans.dat\"\nv w 1 0 0\n");
    EXPECT_EQ(state.motion_table[0].moving, 0);
    EXPECT_FALSE(state.motion_table[0].has_translation_velocity);
    EXPECT_EQ(state.rigid_motion_present, 0);
    EXPECT_EQ(state.Num_extra_files, 1);
}

TEST(DeckBoundary, SpatialFileOfTwelveBlocksKeepsThemAll)
{
    // Room is made for 10 blocks at first; the file's twelve are all kept,
    // and they set the time line.
    TempCase c("deck_spatial");
    std::string twelve = "SPATIAL\nsecond\nx y z t\n0 0 0 0\n\n";
    for (int b = 1; b < 12; ++b)
        twelve += std::to_string(b) + "\n" + std::to_string(b) + " 0 0 7\n\n";
    c.write("out.dat", twelve);
    load_deck(c, "t\n#\n1 region\n--\n1 outlet\n\"out.dat\"\n");
    const PartRecord &out = state.part_table[1];
    EXPECT_EQ(out.name, "outlet_Points");
    EXPECT_EQ(out.point_blocks, 12);
    EXPECT_EQ(out.point_data[((11 * static_cast<std::size_t>(out.point_capacity)) + 0) * 4], 11.0f);
    EXPECT_EQ(state.Num_time_steps, 12);
    EXPECT_EQ(state.time_values[11], 11.0f);
}

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
    EXPECT_EQ(state.part_table[0].engine_role, 2);
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
