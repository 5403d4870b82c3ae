// inputs.in and engine.in: the surface file name, the run's unit, start
// and end, and the engine's dimensions and speed.
#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace {

const char engine_in[] = "Engine data\n# values then keys\n0.0825 bore\n\n0.0885 stroke\n0.14 conrod\n2000 rpm\n";
// A deck with one region marked as moving with the crank.
const char engine_deck[] = "Deck\n#\n1 regions\n----\n1 piston\n$ moves with the crank\n";

}  // namespace

TEST(SettingsFiles, InputsAndEngineValues)
{
    TempCase c("settings");
    c.write("inputs.in", "title\n\"\"geo.dat\"  the surface, not a .dat\nx\n1 crank_flag set\n-180 deg\n540 deg\n");
    c.write("engine.in", engine_in);
    c.write("boundary.in", engine_deck);
    c.load();
    EXPECT_EQ(state.surface_file_name, "geo.dat");
    EXPECT_EQ(state.crank_flag, 1);
    EXPECT_EQ(state.engine_params.start, -180.0f);
    EXPECT_EQ(state.engine_params.end, 540.0f);
    EXPECT_EQ(state.engine_params.bore, 0.0825f);
    EXPECT_EQ(state.engine_params.stroke, 0.0885f);
    EXPECT_EQ(state.engine_params.conrod, 0.14f);
    EXPECT_EQ(state.engine_params.rpm, 2000.0f);

    // Keys out of order, or in capitals, are not found: engine.in fails.
    c.write("engine.in", "E\n#\n2000 rpm\n0.0825 bore\n0.0885 stroke\n0.14 conrod\n");
    c.write("inputs.in", "t\nsurface.dat\n");  // no crank_flag line: the values stay
    c.load();
    EXPECT_EQ(state.engine_params.bore, 0.0825f);
    EXPECT_EQ(state.engine_params.rpm, 0.0f);
    EXPECT_EQ(state.crank_flag, 0);
    EXPECT_EQ(state.Num_variables, 2);
    c.write("engine.in", "E\n#\n1 BORE\n");
    c.load();
    EXPECT_EQ(state.engine_params.bore, 0.0f);

    // Only decimal numbers: "inf" reads 0, "0x10" its leading 0.
    c.write("engine.in", "E\n#\ninf bore\n1e39 stroke\n-nan conrod\n0x10 rpm\n");
    c.load();
    EXPECT_EQ(state.engine_params.bore, 0.0f);
    EXPECT_EQ(state.engine_params.stroke, HUGE_VALF);
    EXPECT_EQ(state.engine_params.conrod, 0.0f);
    EXPECT_EQ(state.engine_params.rpm, 0.0f);

    // Lines 2 to 5 are skipped when no '#' line ends the header there.
    c.write("engine.in", "E\n1 bore\n2 bore\n3 bore\n4 bore\n5 bore\n1 stroke\n1 conrod\n1 rpm\n");
    c.load();
    EXPECT_EQ(state.engine_params.bore, 5.0f);
}
