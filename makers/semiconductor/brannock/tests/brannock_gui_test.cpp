// Brannock's window through the GUI presenter: the same steps done with toolkit events on the widgets and
// replayed by the scripted presenter give the same model text; every page is drawn; unavailable curve boxes
// are greyed.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;
using korvane::wx::WindowView;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Brannock, SameTextThroughTheWidgets,
    testing::Values(
        GuiCase{"defaults", "Brannock", {}, ".MODEL Mosfet_MODEL_BS250 NMOS \r\n"},
        GuiCase{"pmos_channel", "Brannock", {"select 1:1264=1"}, ".MODEL Mosfet_MODEL_BSS83 PMOS \r\n"},
        GuiCase{"route_b_fallback_accepted",
                "Brannock",
                {"click 2:1170", "click 2:1266", "answer yes"},
                "RD = 0.000e+000 RS = 0.000e+000"},
        GuiCase{"declined_then_accepted",
                "Brannock",
                {"set 1:9223=1", "answer no", "answer yes", "ok"},
                "RD = 0.000e+000 RS = 0.000e+000"},
        GuiCase{"bulk_and_curves_toggled",
                "Brannock",
                {"click 4:504", "click 4:1173", "click 4:1173"},
                "* Identifier ID_BS \t\t\t\t= 1\r\n"},
        GuiCase{"channel_flipped_back",
                "Brannock",
                {"select 1:1264=1", "set 1:9221=-1", "click 2:1169", "click 4:1173", "select 1:1264=0"},
                ".MODEL Mosfet_MODEL_BS250 NMOS \r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Brannock, EveryPageIsDrawn, testing::Values("Brannock"));
INSTANTIATE_TEST_SUITE_P(Brannock, NoTextIsClipped, testing::Values("Brannock"));

TEST(BrannockScreens, EveryPageIsDrawnAndUnavailableCurveBoxesAreGreyed) {
    const Plugin plugin("Brannock");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        for (int page = 0; page < 4; ++page) {
            ASSERT_TRUE(drive::selectTab(v.notebook(), page));
        }
        // With the curves marked unavailable the curve boxes are disabled; made available, the same box
        // is drawn with darker text.
        const wxImage greyed = wxtesting::capture(v);
        const auto disabled = drive::measure(greyed, drive::textArea(v, 9225, 3));
        EXPECT_FALSE(v.valueBox(9225, 3)->text()->IsEnabled());
        drive::toggle(v.widget(1173, 3));
        const wxImage available = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(available, "brannock-page4-curves.png"));
        EXPECT_TRUE(v.valueBox(9225, 3)->text()->IsEnabled());
        EXPECT_LT(drive::measure(available, drive::textArea(v, 9225, 3)).darkest, disabled.darkest - 30);
        drive::toggle(v.widget(1173, 3));
    });
}

} // namespace
