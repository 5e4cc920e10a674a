// Mirelth's sheet through the GUI presenter: widget events (cell edits in the B-H list included) and the
// scripted replay give the same text, messages and help; both pages are drawn; the list on page 2 shows
// as many rows as the curve-points box asks for.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;
using korvane::wx::WindowView;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Mirelth, SameTextThroughTheWidgets,
    testing::Values(
        GuiCase{"defaults", "Mirelth", {}, "a1 (l1 p0) (m1 0) prim1\r\n"},
        GuiCase{"table_grows_with_zeros_and_help",
                "Mirelth",
                {"set 2:9204=6", "help-button"},
                "b_array=[0.000000 1.000000 1.500000 1.700000 0 0] h_array=[0.000000 13.890000 51.580000 "
                "222.220000 0 0]"},
        GuiCase{"table_shrinks",
                "Mirelth",
                {"set 2:9204=2"},
                "b_array=[0.000000 1.000000] h_array=[0.000000 13.890000]"},
        GuiCase{"sample3_then_a_cell_edited",
                "Mirelth",
                {"click 2:502", "cell 2:1320:3,2=300"},
                "h_array=[200.000000 1050.000000 2200.000000 300 6200.000000 "},
        GuiCase{"edited_cells_after_sample2",
                "Mirelth",
                {"click 2:501", "cell 2:1320:0,1=0.05", "cell 2:1320:1,2=12.5"},
                "b_array=[0.05 "},
        GuiCase{"winding_without_turns_refused_then_mended",
                "Mirelth",
                {"set 1:9205=10m", "ok", "set 1:9205=3.3"},
                ".model sec1 lcouple(num_turns=48)\r\n"},
        GuiCase{"hidden_secondaries_keep_values",
                "Mirelth",
                {"set 1:9204=3", "set 1:9212=1m", "set 1:9204=1", "set 1:9204=3"},
                "a21 (l21 s10) (m2 m3) sec1\r\n"},
        GuiCase{"help_on_both_pages",
                "Mirelth",
                {"help-button", "set 2:9201=1000", "help-button"},
                ".model prim1 lcouple(num_turns=1000)\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Mirelth, EveryPageIsDrawn, testing::Values("Mirelth"));
INSTANTIATE_TEST_SUITE_P(Mirelth, NoTextIsClipped, testing::Values("Mirelth"));

// The B-H list with the eighteen points of sample 3 and with a table grown to nine rows: screenshots
// to look at, and the list keeps the rows the box asks for.
TEST(MirelthScreens, TheBhListFollowsTheSampleAndTheCurvePoints) {
    const Plugin plugin("Mirelth");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        ASSERT_TRUE(drive::selectTab(v.notebook(), 1));
        drive::clickRadio(v.widget(502, 1));
        EXPECT_EQ(v.list(1320, 1)->GetItemCount(), 18);
        EXPECT_TRUE(static_cast<wxRadioButton*>(v.widget(502, 1))->GetValue()) << "sample 3 is checked";
        EXPECT_FALSE(static_cast<wxRadioButton*>(v.widget(500, 1))->GetValue());
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(v), "mirelth-page2-sample3.png"));
        drive::type(v.valueBox(9204, 1), "9");
        EXPECT_EQ(v.list(1320, 1)->GetItemCount(), 9);
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(v), "mirelth-page2-nine-rows.png"));
        ASSERT_TRUE(v.list(1320, 1)->beginEdit(2, 1));
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(v), "mirelth-page2-editing.png"));
        drive::type(v.list(1320, 1)->editor(), "1.25");
    });
}

// Five secondaries: every default value shows whole in its column.
TEST(MirelthScreens, FiveSecondariesShowTheirValuesWhole) {
    const Plugin plugin("Mirelth");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        drive::type(v.valueBox(9204, 0), "5");
        EXPECT_TRUE(v.valueBox(9219, 0)->IsShownOnScreen());
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(v), "mirelth-page1-count5.png"));
        for (const auto& c : clippedTexts(v))
            ADD_FAILURE() << "five secondaries: " << c;
    });
}

} // namespace
