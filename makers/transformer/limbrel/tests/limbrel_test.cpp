#include "limbrel/core.h"
#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const makertest::Plugin& limbrelPlugin() {
    static makertest::Plugin p("Limbrel");
    return p;
}

// Worked values of the coupled-inductor pair.
struct Worked {
    limbrel::Inputs in;
    double l1, l2, k;
};

class LimbrelElements : public ::testing::TestWithParam<Worked> {};

TEST_P(LimbrelElements, SelfInductancesAndCoupling) {
    const auto& w = GetParam();
    const auto e = limbrel::compute(w.in);
    EXPECT_NEAR(e.l1, w.l1, std::abs(w.l1) * 1e-6);
    EXPECT_NEAR(e.l2, w.l2, std::abs(w.l2) * 1e-6);
    EXPECT_NEAR(e.k, w.k, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LimbrelElements,
    ::testing::Values(
        // The defaults.
        Worked{{11.5, 0.0292, 10, 66, 0.5}, 10.0146, 0.0757248, 0.998542},
        // A ratio of 1 leaves the secondary's self-inductance equal to the primary's.
        Worked{{1, 0.0292, 10, 66, 0.5}, 10.0146, 10.0146, 0.998542},
        // A step-up ratio raises it by the square.
        Worked{{0.1, 0.002, 1, 1, 1}, 1.001, 100.1, 1.0 / 1.001},
        // Leakage as large as the magnetising inductance: K = Lm / (Lm + Ls/2) = 2/3.
        Worked{{2, 1, 1, 1, 1}, 1.5, 0.375, 2.0 / 3.0},
        // The smallest values the boxes take still give finite elements.
        Worked{{0.001, 1e-9, 1e-9, 1e-15, 1e-15}, 1.5e-9, 1.5e-3, 2.0 / 3.0},
        Worked{{99999, 999, 1e-9, 1, 1}, 499.5, 499.5 / (99999.0 * 99999.0), 1.0 / (999.0 / 2e-9 + 1.0)}));

class LimbrelTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(limbrelPlugin().loaded()) << limbrelPlugin().error(); }
    makertest::PinnedDate date;
};

TEST_F(LimbrelTest, DefaultsGiveTheWholeTextWithoutDate) {
    EXPECT_EQ(std::string(limbrelPlugin().name()), "Two Winding Linear Transformer\nREG");
    auto o = limbrelPlugin().run({}, "left over from the host");
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(o.text, "*******Two winding linear transformer*********\r\n"
                      "*     Quolvane                          \r\n"
                      "*   SPICE MODEL MAKER TOOL Version 1.0  \r\n"
                      "*          Write Your Name On           \r\n"
                      "*     IF YOU TAKE FULL RESPONSIBILITY   \r\n"
                      "*********************************************\r\n"
                      ".SUBCKT PQ4-10 1 2 3 4\r\n"
                      "*  *1, 2-- primary winding,  *3, 4-- secondary winding\r\n"
                      "Rs1 1 11 6.600e+001\r\n"
                      "Rl2 31 3 5.000e-001\r\n"
                      "L1  11 2 1.001e+001\r\n"
                      "L2  31 4 7.572e-002\r\n"
                      "K1  L1 L2 9.985e-001\r\n"
                      ".ENDS\r\n"
                      "\r\n");
}

TEST_F(LimbrelTest, EnteredValuesReachTheirLines) {
    auto o =
        limbrelPlugin().run({"set 9201=1", "set 9202=2m", "set 9203=500m", "set 9204=1.5k", "set 9205=120m"});
    ASSERT_EQ(o.result, 1) << o.refusal.value_or("");
    const auto l = makertest::crlfLines(o.text);
    ASSERT_EQ(l.size(), 15u);
    EXPECT_EQ(std::vector<std::string>(l.begin() + 8, l.end()),
              (std::vector<std::string>{"Rs1 1 11 1.500e+003", "Rl2 31 3 1.200e-001", "L1  11 2 5.010e-001",
                                        "L2  31 4 5.010e-001", "K1  L1 L2 9.980e-001", ".ENDS", ""}));
}

TEST_F(LimbrelTest, LabelsFromTheStringTableAndEditsChangeNothingOnTheWindow) {
    std::vector<std::string> labels;
    auto o = limbrelPlugin().run(
        {"set 9201=3", "set 9204=10", "set 9205=2"}, "", [&](CModalWindow& w, const ScriptStep&) {
            labels.clear();
            for (int id = 9201; id <= 9205; ++id) {
                EXPECT_TRUE(w.GetDlgItem(id)->IsWindowVisible() && w.GetDlgItem(id)->IsWindowEnabled()) << id;
                EXPECT_TRUE(w.GetDlgItem(id + 20)->IsWindowVisible()) << id + 20;
                labels.push_back(std::string(w.GetDlgItem(id + 20)->GetWindowText()));
            }
        });
    EXPECT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(labels, (std::vector<std::string>{"匝数比(T1/T2)", "漏磁电感(Ls)", "励磁电感(Lm)",
                                                "初级绕组阻抗(RL1)", "次级绕组阻抗(RL2)"}));
}

TEST_F(LimbrelTest, OutOfRangeValuesAreRefusedByTheirBoxes) {
    // Limits: ratio 0.001 .. 99999, inductances 1 nH .. 999 H, resistances from 1e-15 Ω.
    for (const char* step :
         {"set 9201=0", "set 9201=100k", "set 9202=1k", "set 9203=0.1n", "set 9204=-1", "set 9205=0"}) {
        auto o = limbrelPlugin().run({step}, "old text");
        EXPECT_EQ(o.result, 0) << step;
        EXPECT_TRUE(o.text.empty()) << step;
        ASSERT_TRUE(o.refusal.has_value()) << step;
        EXPECT_NE(o.refusal->find("refused"), std::string::npos) << *o.refusal;
    }
    // The limits themselves are accepted.
    auto o = limbrelPlugin().run({"set 9201=0.001", "set 9202=999", "set 9203=1n"});
    EXPECT_EQ(o.result, 1) << o.refusal.value_or("");
}

TEST_F(LimbrelTest, HelpAsksForContext0x6000AndCancelLeavesNoText) {
    auto o = limbrelPlugin().run({"help-button", "cancel"}, "old text");
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
    ASSERT_EQ(o.helps.size(), 1u);
    EXPECT_EQ(o.helps[0].module, "Limbrel");
    EXPECT_EQ(o.helps[0].context, 0x6000u);
}

// A 50 Hz sine on the primary with the secondary open (1 MΩ): the secondary's peak against the primary
// peak divided by the turns ratio.
TEST_F(LimbrelTest, SimulatedSecondaryPeakFollowsTheTurnsRatio) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    const double vp = 110.0, ratio = 11.5;
    auto o = limbrelPlugin().run({});
    ASSERT_EQ(o.result, 1);
    const std::string elements = "Vin p 0 SIN(0 " + std::to_string(vp * std::sqrt(2.0)) +
                                 " 50 0 0 90)\n"
                                 "X1 p 0 s 0 PQ4-10\n"
                                 "Rload s 0 1e6\n";
    auto r = spicecheck::run(spicecheck::circuit(
        o.text, elements, {"tran 20u 100m 0 20u uic", "meas tran vspk max v(s) from=60m to=100m"}));
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.errors.empty()) << r.output;
    auto it = r.values.find("vspk");
    ASSERT_NE(it, r.values.end()) << r.output;
    const double expected = vp * std::sqrt(2.0) / ratio;
    std::printf("Limbrel: secondary peak simulated %.4f V, expected %.4f V (110 V rms, ratio 11.5)\n",
                it->second, expected);
    EXPECT_NEAR(it->second, expected, expected * 0.02);
}

} // namespace
