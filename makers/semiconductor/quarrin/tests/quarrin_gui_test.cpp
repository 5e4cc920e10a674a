// Quarrin's window through the GUI presenter: the same steps done with toolkit events on the widgets and
// replayed by the scripted presenter give the same text and messages; every page is drawn, its Chinese
// labels included.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

using namespace makertest;
using korvane::wx::WindowView;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Quarrin, SameTextThroughTheWidgets,
    testing::Values(GuiCase{"defaults", "Quarrin", {}, "ROFF 66 67 8.000e-002\r\nR10 66 70 1\r\n.ENDS"},
                    GuiCase{"gate_refused_then_mended",
                            "Quarrin",
                            {"set 1:9223=0.5", "ok", "set 1:9223=1"},
                            "VGD 7 0 DC 4.014e-001\r\n"},
                    GuiCase{"off_state_from_irc_and_vrc",
                            "Quarrin",
                            {"set 2:9224=2m", "set 2:9225=40", "set 2:9226=1", "help-button"},
                            "ROFF 66 67 2.000e+004\r\n"},
                    GuiCase{"non_finite_refused_then_mended",
                            "Quarrin",
                            {"set 1:9231=0.87", "ok", "set 1:9231=1"},
                            ".MODEL DON1 D(N = 1.499e+000, IS = 1.302e-011, RS = 1.406e-002,)\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Quarrin, EveryPageIsDrawn, testing::Values("Quarrin"));

TEST(QuarrinScreens, ChineseLabelsAreDrawn) {
    const Plugin plugin("Quarrin");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        // The first and the last label of each page: text drawn, not an empty patch.
        const struct { int page, first, last; } pages[] = {{0, 9241, 9253}, {1, 9241, 9248}};
        for (const auto& p : pages) {
            ASSERT_TRUE(drive::selectTab(v.notebook(), p.page));
            const wxImage image = wxtesting::capture(v);
            for (int id : {p.first, p.last})
                EXPECT_GT(drive::measure(image, v.rectInDialog(id, p.page)).spread, 10.0)
                    << "page " << p.page + 1 << " label " << id;
        }
    });
}

} // namespace
