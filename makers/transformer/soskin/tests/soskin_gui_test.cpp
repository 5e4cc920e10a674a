// Soskin's window through the GUI presenter: the same steps done with toolkit events on the widgets and
// replayed by the scripted presenter give the same model text; every page is drawn; only the counted
// secondary rows are drawn.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;
using korvane::wx::WindowView;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Soskin, SameTextThroughTheWidgets,
    testing::Values(GuiCase{"defaults", "Soskin", {}, ".subckt ideal_tran p1 p0 s11 s10\r\n"},
                    GuiCase{"help_then_ok", "Soskin", {"help-button", "set 9203=3.3"}, "v1 x1 s11 dc 0\r\n"},
                    GuiCase{"option2_three_secondaries",
                            "Soskin",
                            {"click 501", "set 9202=3", "set 9204=7.5", "set 9205=12m"},
                            "e3 x3 s30 p1 p0 0.000055\r\n"},
                    GuiCase{"typed_primary_five_secondaries",
                            "Soskin",
                            {"click 501", "set 9201=230", "set 9202=5", "set 9207=230"},
                            "e5 x5 s50 p1 p0 1.000000\r\n"},
                    GuiCase{"hidden_rows_keep_values",
                            "Soskin",
                            {"set 9202=4", "set 9206=48", "set 9202=2", "set 9202=4"},
                            "e4 x4 s40 p1 p0 0.436364\r\n"},
                    GuiCase{"prefixed_entry_and_preset_again",
                            "Soskin",
                            {"set 9202=2", "set 9204=0.5k", "set 9201=99", "click 500"},
                            "f2 p1 p0 v2 0.220000\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Soskin, EveryPageIsDrawn, testing::Values("Soskin"));

TEST(SoskinScreens, CountedRowsAreDrawnAndTheOthersAreNot) {
    const Plugin plugin("Soskin");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        const wxImage one = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(one, "soskin-count1.png"));
        const auto first = drive::measure(one, v.rectInDialog(9203));
        const auto second = drive::measure(one, v.rectInDialog(9204));
        const auto secondLabel = drive::measure(one, v.rectInDialog(9224));
        EXPECT_GT(first.spread, 10.0) << "the 1st secondary's box is drawn";
        EXPECT_LT(second.spread, 1.0) << "the 2nd secondary's box is not drawn";
        EXPECT_LT(secondLabel.spread, 1.0) << "nor its label";

        drive::type(v.valueBox(9202), "3");
        const wxImage three = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(three, "soskin-count3.png"));
        EXPECT_GT(drive::measure(three, v.rectInDialog(9205)).spread, 10.0);
        EXPECT_GT(drive::measure(three, v.rectInDialog(9225)).spread, 10.0) << "the 3rd label is drawn";
        EXPECT_LT(drive::measure(three, v.rectInDialog(9206)).spread, 1.0);
        EXPECT_LT(drive::measure(three, v.rectInDialog(9207)).spread, 1.0);
        // Every box is enabled: none is drawn greyed like a disabled one.
        EXPECT_TRUE(v.valueBox(9203)->text()->IsEnabled());
    });
}

} // namespace
