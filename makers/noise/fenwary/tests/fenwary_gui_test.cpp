// Fenwary's dialog through the GUI presenter. The values are random and every build is seeded afresh,
// so the cases compared byte for byte are the ones whose values do not depend on the draw (a zero
// standard deviation, equal limits); for a random distribution the two runs share the time grid and the
// line count. The row the distribution does not use is neither drawn nor reachable.
#include "makerguitest/gui_runner.h"

#include <gtest/gtest.h>

#include <wx/ctrlsub.h>

#include <sstream>

using namespace makertest;
using korvane::wx::WindowView;

namespace {

INSTANTIATE_TEST_SUITE_P(
    Fenwary, SameTextThroughTheWidgets,
    testing::Values(
        GuiCase{"normal_without_spread",
                "Fenwary",
                {"set 9202=0", "set 9205=5", "set 9206=1"},
                " 0.000e+000 1.000e+002\r\n 1.250e-004 1.000e+002\r\n"},
        GuiCase{"uniform_real_with_equal_limits_and_help",
                "Fenwary",
                {"select 9930=4", "set 9201=7", "set 9202=7", "set 9205=3", "set 9206=1", "help-button"},
                " 2.500e-004 7.000e+000\r\n 5.000e-004 7.000e+000\r\n"},
        GuiCase{"start_after_stop_pulls_the_stop_up",
                "Fenwary",
                {"set 9202=0", "set 9206=1", "set 9205=2", "set 9203=1m"},
                " 1.000e-003 1.000e+002\r\n 1.000e-003 1.000e+002\r\n"},
        GuiCase{"stop_before_start_pulls_the_start_down",
                "Fenwary",
                {"set 9202=0", "set 9206=1", "set 9205=2", "set 9203=0.3m", "set 9204=0.2m"},
                " 2.000e-004 1.000e+002\r\n 2.000e-004 1.000e+002\r\n"},
        GuiCase{"back_to_normal_resets_its_parameters",
                "Fenwary",
                {"set 9201=7", "select 9930=1", "select 9930=0", "set 9202=0", "set 9206=1", "set 9205=2"},
                " 0.000e+000 1.000e+002\r\n 5.000e-004 1.000e+002\r\n"}),
    guiCaseName);

INSTANTIATE_TEST_SUITE_P(Fenwary, EveryPageIsDrawn, testing::Values("Fenwary"));
INSTANTIATE_TEST_SUITE_P(Fenwary, NoTextIsClipped, testing::Values("Fenwary"));

// The first column of every line.
std::vector<std::string> times(const std::string& text) {
    std::vector<std::string> t;
    std::istringstream in(text);
    std::string time, value;
    while (in >> time >> value)
        t.push_back(time);
    return t;
}

TEST(FenwaryScreens, ARandomDistributionGivesTheScriptedTimeGrid) {
    const Plugin plugin("Fenwary");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    for (int distribution = 0; distribution < 5; ++distribution) {
        const std::vector<std::string> steps{"select 9930=" + std::to_string(distribution), "set 9205=7"};
        const Seen scripted = runScripted(plugin, steps);
        const Seen gui = runWithWidgets(plugin, steps);
        ASSERT_EQ(scripted.result, 1);
        EXPECT_EQ(gui.result, 1);
        const auto expected = times(scripted.text);
        ASSERT_EQ(expected.size(), 7u) << scripted.text;
        EXPECT_EQ(expected.front(), "0.000e+000");
        EXPECT_EQ(expected.back(), "5.000e-004");
        EXPECT_EQ(times(gui.text), expected) << "distribution " << distribution;
        EXPECT_NE(gui.text, scripted.text) << "two builds share a seed";
    }
}

// Exponential uses one parameter: the second row's label and box are hidden; back to normal they are
// drawn again with the normal distribution's values.
TEST(FenwaryScreens, TheUnusedRowIsNotDrawn) {
    const Plugin plugin("Fenwary");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    runWithWidgets(plugin, {}, [](WindowView& v) {
        // The drop-down list offers the five distributions from the string table, normal in front.
        auto* items = dynamic_cast<wxItemContainer*>(v.widget(9930));
        ASSERT_NE(items, nullptr);
        ASSERT_EQ(items->GetCount(), 5u);
        EXPECT_EQ(items->GetSelection(), 0);
        const char* const names[] = {"标准", "指数", "均匀(整数)", "均匀(长整数)", "均匀(实数)"};
        for (unsigned i = 0; i < 5; ++i)
            EXPECT_EQ(items->GetString(i).utf8_string(), names[i]);

        const wxImage normal = wxtesting::capture(v);
        EXPECT_GT(drive::measure(normal, v.rectInDialog(9202)).spread, 10.0);
        EXPECT_GT(drive::measure(normal, v.rectInDialog(9222)).spread, 10.0);

        drive::pick(v.widget(9930), 1);
        const wxImage exponential = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(exponential, "fenwary-exponential.png"));
        EXPECT_FALSE(v.widget(9202)->IsShown());
        EXPECT_LT(drive::measure(exponential, v.rectInDialog(9202)).spread, 1.0);
        EXPECT_LT(drive::measure(exponential, v.rectInDialog(9222)).spread, 1.0);
        EXPECT_GT(drive::measure(exponential, v.rectInDialog(9201)).spread, 10.0);

        drive::pick(v.widget(9930), 4);
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(v), "fenwary-uniform-real.png"));
        drive::pick(v.widget(9930), 0);
        EXPECT_TRUE(v.widget(9202)->IsShown());
        EXPECT_EQ(v.valueBox(9202)->text()->GetValue(), "24");
    });
}

} // namespace
