// Dorvane's dialog through the GUI presenter: widget events and the scripted replay give the same text
// and help; the dialog is drawn; only the counted secondary rows are on the screen, in all three columns.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;
using korvane::wx::WindowView;

namespace {

INSTANTIATE_TEST_SUITE_P(Dorvane, SameTextThroughTheWidgets,
                         testing::Values(GuiCase{"defaults", "Dorvane", {}, "ka1 L1 L21 9.998000e-001\r\n"},
                                         GuiCase{"option2_three_secondaries",
                                                 "Dorvane",
                                                 {"click 501", "set 9205=3"},
                                                 "k23 L22 L23 9.992006e-001\r\n"},
                                         GuiCase{"hidden_rows_keep_values",
                                                 "Dorvane",
                                                 {"set 9205=3", "set 9218=2", "set 9205=1", "set 9205=4"},
                                                 "Rs23 s3 23 2.000000e+000\r\n"},
                                         GuiCase{"typed_primary_and_help",
                                                 "Dorvane",
                                                 {"set 9201=230", "help-button"},
                                                 "L21 21 s10 3.306557e-003\r\n"},
                                         GuiCase{"five_secondaries_then_option1",
                                                 "Dorvane",
                                                 {"click 501", "set 9205=5", "set 9210=48", "click 500"},
                                                 "Rs25 s5 25 1.296000e-001\r\n"}),
                         guiCaseName);

INSTANTIATE_TEST_SUITE_P(Dorvane, EveryPageIsDrawn, testing::Values("Dorvane"));
INSTANTIATE_TEST_SUITE_P(Dorvane, NoTextIsClipped, testing::Values("Dorvane"));

// The count box shows and hides whole rows: box and label in the voltage, leakage and resistance
// columns alike.
TEST(DorvaneScreens, CountedRowsAreDrawnInEveryColumn) {
    const Plugin plugin("Dorvane");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        drive::type(v.valueBox(9205), "5");
        const wxImage five = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(five, "dorvane-count5.png"));
        for (const auto& c : clippedTexts(v))
            ADD_FAILURE() << "five secondaries: " << c;
        for (int id : {9210, 9215, 9220, 9230, 9235, 9240})
            EXPECT_GT(drive::measure(five, v.rectInDialog(id)).spread, 10.0) << id << " is drawn";

        drive::type(v.valueBox(9205), "2");
        const wxImage two = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(two, "dorvane-count2.png"));
        for (int id : {9207, 9212, 9217})
            EXPECT_GT(drive::measure(two, v.rectInDialog(id)).spread, 10.0) << id << " is drawn";
        for (int id : {9208, 9213, 9218, 9228, 9233, 9238})
            EXPECT_LT(drive::measure(two, v.rectInDialog(id)).spread, 1.0) << id << " is not drawn";
    });
}

} // namespace
