#include "core.h"
#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

const makertest::Plugin& dorvanePlugin() {
    static makertest::Plugin p("Dorvane");
    return p;
}

using makertest::crlfLines;

dorvane::Inputs defaults(int count) {
    dorvane::Inputs in;
    in.vp = 110;
    in.lm = 16.048124;
    in.lp = 0.003209625;
    in.rp = 1.21;
    in.count = count;
    in.vs = {3.3, 5, 12, 24, 36};
    in.ls = {2.888662e-06, 6.631456e-06, 3.819719e-05, 1.527887e-04, 3.437747e-04};
    in.rs = {0.001089, 0.0025, 0.0144, 0.0576, 0.1296};
    return in;
}

// Three secondaries worked by hand: Vp 10, Lm 1, Lp 0.25 (a = 1.25, L1 = 1.25); secondaries at 10 V,
// 5 V and 20 V with leakages 1, 0.25 and 12 give magnetising inductances 1, 0.25 and 4 and b = 2, 2, 4.
TEST(DorvaneElements, ThreeSecondariesWorkedByHand) {
    dorvane::Inputs in;
    in.vp = 10;
    in.lm = 1;
    in.lp = 0.25;
    in.rp = 1;
    in.count = 3;
    in.vs = {10, 5, 20, 1, 1};
    in.ls = {1, 0.25, 12, 1, 1};
    const auto e = dorvane::compute(in);
    ASSERT_EQ(e.secondaries.size(), 3u);
    EXPECT_DOUBLE_EQ(e.a, 1.25);
    EXPECT_DOUBLE_EQ(e.l1, 1.25);
    const double l2[] = {2, 0.5, 16}, ka[] = {1 / std::sqrt(2.5), 1 / std::sqrt(2.5), 1 / std::sqrt(5.0)};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(e.secondaries[i].l2, l2[i]) << i;
        EXPECT_NEAR(e.secondaries[i].ka, ka[i], 1e-12) << i;
    }
    EXPECT_NEAR(e.k(0, 1), 0.5, 1e-12);
    EXPECT_NEAR(e.k(1, 2), 1 / std::sqrt(8.0), 1e-12);
    EXPECT_NEAR(e.k(0, 2), 1 / std::sqrt(8.0), 1e-12);
}

TEST(DorvaneElements, CountIsTruncatedAndKeptWithinFive) {
    auto in = defaults(1);
    for (auto [count, expected] :
         std::vector<std::pair<double, int>>{{1, 1}, {2.9, 2}, {5, 5}, {7, 5}, {0.5, 0}}) {
        in.count = count;
        EXPECT_EQ(dorvane::secondaryCount(in), expected) << count;
        EXPECT_EQ(dorvane::compute(in).secondaries.size(), static_cast<size_t>(expected)) << count;
    }
}

struct Order {
    int count;
    std::vector<std::string> lines; // the secondary-to-secondary coupling lines, without values
};

class DorvaneCouplingOrder : public ::testing::TestWithParam<Order> {
  protected:
    makertest::PinnedDate date;
};

TEST_P(DorvaneCouplingOrder, LinesFollowTheElements) {
    const auto& p = GetParam();
    ASSERT_TRUE(dorvanePlugin().loaded()) << dorvanePlugin().error();
    auto o = dorvanePlugin().run({"set 9205=" + std::to_string(p.count)});
    ASSERT_EQ(o.result, 1) << o.refusal.value_or("");
    const auto l = crlfLines(o.text);
    // The coupling lines come last, before ".ends".
    ASSERT_GE(l.size(), p.lines.size() + 1);
    EXPECT_EQ(l.back(), ".ends");
    std::vector<std::string> got;
    for (auto it = l.end() - 1 - static_cast<long>(p.lines.size()); it != l.end() - 1; ++it)
        got.push_back(it->substr(0, it->rfind(' ')));
    EXPECT_EQ(got, p.lines);
    // Before them, the last coupling to the primary.
    const std::string lastKa = "ka" + std::to_string(p.count) + " L1 L2" + std::to_string(p.count) + " ";
    EXPECT_EQ(l[l.size() - 2 - p.lines.size()].rfind(lastKa, 0), 0u) << l[l.size() - 2 - p.lines.size()];
}

INSTANTIATE_TEST_SUITE_P(
    Table, DorvaneCouplingOrder,
    ::testing::Values(
        Order{1, {}}, Order{2, {"k12 L21 L22"}}, Order{3, {"k12 L21 L22", "k23 L22 L23", "k13 L21 L23"}},
        Order{4, {"k12 L21 L22", "k13 L21 L23", "k14 L21 L24", "k23 L22 L23", "k24 L22 L24", "k34 L23 L24"}},
        Order{5,
              {"k12 L21 L22", "k13 L21 L23", "k14 L21 L24", "k15 L21 L25", "k23 L22 L23", "k24 L22 L24",
               "k25 L22 L25", "k34 L23 L24", "k35 L23 L25", "k45 L24 L25"}}));

class DorvaneTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dorvanePlugin().loaded()) << dorvanePlugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

TEST_F(DorvaneTest, DefaultsGiveTheWholeTextForOneSecondary) {
    EXPECT_EQ(std::string(dorvanePlugin().name()), "Linear Transformer(Multiple Winding)\nREG\nV8");
    auto o = dorvanePlugin().run({}, "left over");
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(o.text, "*************************************************************\r\n"
                      "*\r\n"
                      "*          Linear Transformer Model\r\n"
                      "*          Quolvane                      \r\n"
                      "*          SPICE MODEL MAKER TOOL  Version 1.1\r\n"
                      "*\r\n"
                      "*   Date: Monday, December 08, 2025\r\n"
                      "*************************************************************\r\n"
                      ".subckt linear_tran p1 p0 s1 s10\r\n"
                      "Rs1 p1 11 1.210000e+000\r\n"
                      "L1 11 p0 1.605133e+001\r\n"
                      "Rs2 s1 21 1.089000e-003\r\n"
                      "L21 21 s10 1.444620e-002\r\n"
                      "ka1 L1 L21 9.998000e-001\r\n"
                      ".ends\r\n");
}

TEST_F(DorvaneTest, FiveSecondariesGiveEveryElement) {
    auto o = dorvanePlugin().run({"set 9205=5"});
    ASSERT_EQ(o.result, 1);
    const auto l = crlfLines(o.text);
    ASSERT_EQ(l.size(), 8u + 1 + 2 + 15 + 10 + 1);
    EXPECT_EQ(l[8], ".subckt linear_tran p1 p0 s1 s10 s2 s20 s3 s30 s4 s40 s5 s50");
    const std::vector<std::string> secondaries(l.begin() + 11, l.begin() + 26);
    EXPECT_EQ(secondaries,
              (std::vector<std::string>{
                  "Rs21 s1 21 1.089000e-003", "L21 21 s10 1.444620e-002", "ka1 L1 L21 9.998000e-001",
                  "Rs22 s2 22 2.500000e-003", "L22 22 s20 3.316391e-002", "ka2 L1 L22 9.998000e-001",
                  "Rs23 s3 23 1.440000e-002", "L23 23 s30 1.910241e-001", "ka3 L1 L23 9.998000e-001",
                  "Rs24 s4 24 5.760000e-002", "L24 24 s40 7.640965e-001", "ka4 L1 L24 9.998000e-001",
                  "Rs25 s5 25 1.296000e-001", "L25 25 s50 1.719217e+000", "ka5 L1 L25 9.998000e-001"}));
    EXPECT_EQ(l[26], "k12 L21 L22 9.998000e-001");
}

TEST_F(DorvaneTest, CountBoxShowsAllThreeColumnsAndKeepsHiddenValues) {
    std::vector<std::vector<bool>> visible;
    auto o = dorvanePlugin().run({"set 9205=3", "set 9218=2", "set 9205=1", "set 9205=4"}, "",
                                 [&](CModalWindow& w, const ScriptStep& s) {
                                     if (s.id != 9205) return;
                                     std::vector<bool> v;
                                     // Boxes and labels of secondaries 1 to 5 in the three columns.
                                     for (int first : {9206, 9211, 9216, 9226, 9231, 9236})
                                         for (int i = 0; i < 5; ++i)
                                             v.push_back(w.GetDlgItem(first + i)->IsWindowVisible());
                                     visible.push_back(v);
                                     EXPECT_EQ(w.GetFocus(), w.GetDlgItem(9205));
                                 });
    ASSERT_EQ(o.result, 1) << o.refusal.value_or("");
    ASSERT_EQ(visible.size(), 3u);
    for (size_t run = 0; run < 3; ++run) {
        const int n = run == 0 ? 3 : run == 1 ? 1 : 4;
        for (size_t c = 0; c < 6; ++c)
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(visible[run][c * 5 + static_cast<size_t>(i)], i < n)
                    << "count " << n << ", column " << c << ", secondary " << i + 1;
    }
    // The 3rd secondary's resistance typed while visible survives being hidden.
    EXPECT_NE(o.text.find("Rs23 s3 23 2.000000e+000\r\n"), std::string::npos) << o.text;
    // A hidden row cannot be typed into.
    auto refused = dorvanePlugin().run({"set 9212=1m"});
    EXPECT_EQ(refused.result, 0);
    ASSERT_TRUE(refused.refusal.has_value());
    EXPECT_NE(refused.refusal->find("hidden"), std::string::npos);
}

TEST_F(DorvaneTest, PresetsAndTypedPrimary) {
    std::vector<int> checks;
    auto record = [&](CModalWindow& w, const ScriptStep&) {
        checks.push_back(w.IsDlgButtonChecked(500));
        checks.push_back(w.IsDlgButtonChecked(501));
    };
    auto o = dorvanePlugin().run({"click 501", "set 9202=10", "set 9201=33"}, "", record);
    // 501 checked; an edit of another box leaves it; typing a primary voltage clears both.
    EXPECT_EQ(checks, (std::vector<int>{0, 1, 0, 1, 0, 0}));
    ASSERT_EQ(o.result, 1);
    // 33 V over 3.3 V: ratio 10, so the secondary sees the 10 H typed / 100 plus its leakage.
    EXPECT_NE(o.text.find("L21 21 s10 1.000029e-001\r\n"), std::string::npos) << o.text;
    o = dorvanePlugin().run({"set 9201=1", "click 501"});
    // 220 V over 3.3 V.
    EXPECT_NE(o.text.find("L21 21 s10 3.613717e-003\r\n"), std::string::npos) << o.text;
}

TEST_F(DorvaneTest, CountOutsideOneToFiveIsRefused) {
    for (const char* step : {"set 9205=0", "set 9205=6", "set 9202=0"}) {
        auto o = dorvanePlugin().run({step}, "old");
        EXPECT_EQ(o.result, 0) << step;
        EXPECT_TRUE(o.text.empty()) << step;
        EXPECT_TRUE(o.refusal.has_value()) << step;
    }
}

TEST_F(DorvaneTest, HelpAsksForContext0x635A) {
    auto o = dorvanePlugin().run({"help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 1u);
    EXPECT_EQ(o.helps[0].module, "Dorvane");
    EXPECT_EQ(o.helps[0].context, 0x635Au);
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
}

// Runs the model with a 50 Hz sine on the primary and every secondary open (1 MΩ, its lower end
// grounded); returns each secondary's simulated peak.
std::vector<double> simulatedPeaks(const std::string& model, int count, double vpRms) {
    std::string elements = "Vin p 0 SIN(0 " + std::to_string(vpRms * std::sqrt(2.0)) + " 50 0 0 90)\nX1 p 0";
    for (int i = 1; i <= count; ++i)
        elements += " s" + std::to_string(i) + " 0";
    elements += " linear_tran\n";
    // A cosine from zero current starts the magnetising current without a decaying offset.
    std::vector<std::string> commands{"tran 20u 100m 0 20u uic"};
    for (int i = 1; i <= count; ++i) {
        const std::string k = std::to_string(i);
        elements += "Rload" + k + " s" + k + " 0 1e6\n";
        commands.push_back("meas tran pk" + k + " max v(s" + k + ") from=60m to=100m");
    }
    auto r = spicecheck::run(spicecheck::circuit(model, elements, commands));
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.errors.empty()) << r.output;
    std::vector<double> peaks;
    for (int i = 1; i <= count; ++i) {
        auto it = r.values.find("pk" + std::to_string(i));
        EXPECT_NE(it, r.values.end()) << r.output;
        peaks.push_back(it == r.values.end() ? NAN : it->second);
    }
    return peaks;
}

TEST_F(DorvaneTest, SimulatedSecondaryPeaksFollowTheirVoltages) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    const double vs[] = {3.3, 5, 12, 24, 36};
    for (int n = 1; n <= 5; ++n) {
        auto o = dorvanePlugin().run({"set 9205=" + std::to_string(n)});
        ASSERT_EQ(o.result, 1);
        const auto peaks = simulatedPeaks(o.text, n, 110);
        for (int i = 0; i < n; ++i) {
            const double expected = 110 * std::sqrt(2.0) * vs[i] / 110;
            std::printf("Dorvane %d secondaries: secondary %d peak simulated %.4f V, expected %.4f V\n", n,
                        i + 1, peaks[static_cast<size_t>(i)], expected);
            EXPECT_NEAR(peaks[static_cast<size_t>(i)], expected, expected * 0.02);
        }
    }
}

// A primary leakage of a quarter of the magnetising inductance: an open secondary sees the primary
// voltage divided between the two, Vp · Lm / (Lm + Lp) = 0.8 Vp, over the turns ratio.
TEST_F(DorvaneTest, SimulatedLeakyPrimaryDividesTheVoltage) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    auto o = dorvanePlugin().run({"set 9203=4.012031", "set 9205=2"});
    ASSERT_EQ(o.result, 1);
    const auto peaks = simulatedPeaks(o.text, 2, 110);
    const double vs[] = {3.3, 5};
    for (size_t i = 0; i < 2; ++i) {
        const double expected = std::sqrt(2.0) * vs[i] * 0.8;
        std::printf("Dorvane leaky primary: secondary %zu peak simulated %.4f V, expected %.4f V\n", i + 1,
                    peaks[i], expected);
        EXPECT_NEAR(peaks[i], expected, expected * 0.02);
    }
}

} // namespace
