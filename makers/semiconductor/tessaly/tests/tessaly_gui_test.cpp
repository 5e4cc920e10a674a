// Tessaly's window through the GUI presenter: the same steps done with toolkit events on the widgets and
// replayed by the scripted presenter give the same text; every page is drawn; "Not Available" greys the
// high-frequency boxes on the screen.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

#include <wx/combobox.h>

using namespace makertest;
using korvane::wx::WindowView;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Tessaly, SameTextThroughTheWidgets,
    testing::Values(GuiCase{"defaults", "Tessaly", {}, "i2 4 0 7.000e-008\r\nv4 4 5 dc 0\r\n"},
                    GuiCase{"gain_in_v_per_mv",
                            "Tessaly",
                            {"click 1:507", "set 1:9228=200", "help-button"},
                            "* Voltage Gain\t\t\t\t\t= 2.000e+002 V/mV\r\n"},
                    GuiCase{"not_available",
                            "Tessaly",
                            {"click 2:1266", "help-button"},
                            "*Pole3 frequency (fp3)\t\t\t        not available\r\n"},
                    GuiCase{"gain_refused_then_mended",
                            "Tessaly",
                            {"set 1:9228=99999", "ok", "set 1:9228=100"},
                            "g1 0 6 19 0 1.000e+002\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Tessaly, EveryPageIsDrawn, testing::Values("Tessaly"));

TEST(TessalyScreens, NotAvailableGreysTheHighFrequencyBoxes) {
    const Plugin plugin("Tessaly");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        ASSERT_TRUE(drive::selectTab(v.notebook(), 1));
        const auto available = drive::measure(wxtesting::capture(v), drive::textArea(v, 9223, 1));
        EXPECT_TRUE(v.valueBox(9223, 1)->text()->IsEnabled());
        drive::toggle(v.widget(1266, 1));
        const wxImage image = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(image, "tessaly-page2-not-available.png"));
        EXPECT_FALSE(v.valueBox(9223, 1)->text()->IsEnabled());
        EXPECT_GT(drive::measure(image, drive::textArea(v, 9223, 1)).darkest, available.darkest + 30);
        drive::toggle(v.widget(1266, 1));
    });
}

// The transistor type is an editable combo box: picked on the widget, it gives the scripted text.
TEST(TessalyScreens, PickingAnInputStageGivesTheScriptedText) {
    const Plugin plugin("Tessaly");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    for (int stage : {1, 2}) {
        const Seen gui = runWithWidgets(plugin, {}, [stage](WindowView& v) {
            auto* combo = dynamic_cast<wxComboBox*>(v.widget(505, 0));
            ASSERT_NE(combo, nullptr);
            ASSERT_EQ(combo->GetCount(), 3u);
            EXPECT_EQ(combo->GetString(0), "Don't care");
            drive::pick(combo, stage);
        });
        const Seen scripted = runScripted(plugin, {"select 1:505=" + std::to_string(stage)});
        ASSERT_EQ(scripted.result, 1);
        EXPECT_NE(scripted.text.find(stage == 1 ? "d1 1 2 DMOD\r\nd2 5 4 DMOD\r\n"
                                                : "d1 2 1 DMOD\r\nd2 4 5 DMOD\r\n"),
                  std::string::npos);
        EXPECT_EQ(gui.result, scripted.result);
        EXPECT_EQ(gui.text, scripted.text) << "stage " << stage;
    }
}

} // namespace
