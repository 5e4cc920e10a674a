#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

const makertest::Plugin& soskin() {
    static makertest::Plugin p("Soskin");
    return p;
}

using makertest::crlfLines;

class SoskinTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(soskin().loaded()) << soskin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

TEST_F(SoskinTest, DefaultsGiveTheWholeTextForOneSecondary) {
    auto o = soskin().run({});
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(o.text, "*************************************************************\r\n"
                      "*\r\n"
                      "*          Ideal Transformer Model\r\n"
                      "*          Quolvane                      \r\n"
                      "*          SPICE MODEL MAKER TOOL  Version 1.1\r\n"
                      "*\r\n"
                      "*   Date: Monday, December 08, 2025\r\n"
                      "*************************************************************\r\n"
                      ".subckt ideal_tran p1 p0 s11 s10\r\n"
                      "e1 x1 s10 p1 p0 0.030000\r\n"
                      "v1 x1 s11 dc 0\r\n"
                      "f1 p1 p0 v1 33.333333\r\n"
                      ".ends\r\n");
}

TEST_F(SoskinTest, TwoSecondariesMatchTheWorkedExample) {
    auto l = crlfLines(soskin().run({"set 9202=2"}).text);
    std::vector<std::string> tail(l.end() - 8, l.end());
    EXPECT_EQ(tail, (std::vector<std::string>{".subckt ideal_tran p1 p0 s11 s10 s21 s20",
                                              "e1 x1 s10 p1 p0 0.030000", "v1 x1 s11 dc 0",
                                              "f1 p1 p0 v1 33.333333", "e2 x2 s20 p1 p0 0.045455",
                                              "v2 x2 s21 dc 0", "f2 p1 p0 v2 22.000000", ".ends"}));
}

TEST_F(SoskinTest, FiveSecondariesGiveTwelvePinsAndFifteenElements) {
    auto l = crlfLines(soskin().run({"set 9202=5"}).text);
    auto sub = std::find_if(l.begin(), l.end(), [](auto& s) { return s.rfind(".subckt", 0) == 0; });
    ASSERT_NE(sub, l.end());
    EXPECT_EQ(*sub, ".subckt ideal_tran p1 p0 s11 s10 s21 s20 s31 s30 s41 s40 s51 s50");
    EXPECT_EQ(l.end() - sub, 17); // the sub-circuit line, 15 element lines, ".ends"
    EXPECT_EQ(l.back(), ".ends");
    EXPECT_EQ(l[l.size() - 2], "f5 p1 p0 v5 3.055556");
}

TEST_F(SoskinTest, CountBoxShowsOnlyCountedRowsAndKeepsHiddenValues) {
    std::vector<bool> visible;
    auto o = soskin().run({"set 9202=3", "set 9205=7", "set 9202=1", "set 9202=3"}, "",
                          [&](CModalWindow& w, const ScriptStep& s) {
                              if (s.id != 9202) return;
                              for (int id : {9203, 9204, 9205, 9206, 9207, 9223, 9227})
                                  visible.push_back(w.GetDlgItem(id)->IsWindowVisible());
                              EXPECT_EQ(w.GetFocus(), w.GetDlgItem(9202));
                          });
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(visible, (std::vector<bool>{true, true,  true,  false, false, true, false,    // count 3
                                          true, false, false, false, false, true, false,    // count 1
                                          true, true,  true,  false, false, true, false})); // count 3 again
    EXPECT_NE(o.text.find("e3 x3 s30 p1 p0 0.063636\r\n"), std::string::npos); // 7 V kept while hidden
    // A hidden row cannot be typed into.
    auto refused = soskin().run({"set 9204=9"});
    EXPECT_EQ(refused.result, 0);
    ASSERT_TRUE(refused.refusal.has_value());
    EXPECT_NE(refused.refusal->find("hidden"), std::string::npos);
}

TEST_F(SoskinTest, PresetsAndTypedPrimary) {
    std::vector<int> checks;
    auto record = [&](CModalWindow& w, const ScriptStep&) {
        checks.push_back(w.IsDlgButtonChecked(500));
        checks.push_back(w.IsDlgButtonChecked(501));
    };
    auto o = soskin().run({"click 501", "set 9201=100"}, "", record);
    EXPECT_EQ(checks, (std::vector<int>{0, 1, 0, 0}));
    EXPECT_NE(o.text.find("e1 x1 s10 p1 p0 0.033000\r\n"), std::string::npos); // 3.3 / 100
    o = soskin().run({"set 9201=1", "click 501"});
    EXPECT_NE(o.text.find("f1 p1 p0 v1 66.666667\r\n"), std::string::npos); // 220 / 3.3
}

TEST_F(SoskinTest, RatioExtremesPrintWithSixDecimals) {
    auto o = soskin().run({"set 9201=3.3"});
    EXPECT_NE(o.text.find("e1 x1 s10 p1 p0 1.000000\r\n"), std::string::npos);
    EXPECT_NE(o.text.find("f1 p1 p0 v1 1.000000\r\n"), std::string::npos);
    o = soskin().run({"set 9203=10n"});
    EXPECT_NE(o.text.find("e1 x1 s10 p1 p0 0.000000\r\n"), std::string::npos);
    EXPECT_NE(o.text.find("f1 p1 p0 v1 11000000000.000000\r\n"), std::string::npos);
}

TEST_F(SoskinTest, HelpButtonAsksForContext0x625A) {
    auto o = soskin().run({"help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 1u);
    EXPECT_EQ(o.helps[0].module, "Soskin");
    EXPECT_EQ(o.helps[0].context, 0x625Au);
}

TEST_F(SoskinTest, SimulatedSecondaryVoltagesFollowTheRatios) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    const double vs[] = {3.3, 5, 12, 24, 36};
    for (int n = 1; n <= 5; ++n) {
        auto o = soskin().run({"set 9202=" + std::to_string(n)});
        ASSERT_EQ(o.result, 1);
        std::string elements = "Vin p 0 DC 110\nX1 p 0";
        std::vector<std::string> commands{"op"};
        for (int i = 1; i <= n; ++i)
            elements += " s" + std::to_string(i) + "1 s" + std::to_string(i) + "0";
        elements += " ideal_tran\n";
        for (int i = 1; i <= n; ++i) {
            std::string k = std::to_string(i);
            // Open-circuit secondaries, each floating on its own: a high resistance gives every node a
            // path to ground.
            elements += "Rh" + k + " s" + k + "1 s" + k + "0 1e9\nRl" + k + " s" + k + "0 0 1e9\n";
            commands.push_back("print v(s" + k + "1,s" + k + "0)");
        }
        auto r = spicecheck::run(spicecheck::circuit(o.text, elements, commands));
        ASSERT_TRUE(r.started);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        ASSERT_TRUE(r.errors.empty()) << r.output;
        for (int i = 1; i <= n; ++i) {
            std::string k = std::to_string(i);
            auto it = r.values.find("v(s" + k + "1,s" + k + "0)");
            ASSERT_NE(it, r.values.end()) << r.output;
            EXPECT_NEAR(it->second, vs[i - 1], vs[i - 1] * 1e-3) << "secondaries " << n << ", winding " << i;
        }
    }
}

} // namespace
