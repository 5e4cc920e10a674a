#include "gastor/core.h"
#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const makertest::Plugin& gastorPlugin() {
    static makertest::Plugin p("Gastor");
    return p;
}

struct Worked {
    gastor::Inputs in;
    double l1, lh, k;
};

class GastorElements : public ::testing::TestWithParam<Worked> {};

TEST_P(GastorElements, HalvesCarryHalfTheSecondaryTurns) {
    const auto& w = GetParam();
    const auto e = gastor::compute(w.in);
    EXPECT_NEAR(e.l1, w.l1, w.l1 * 1e-6);
    EXPECT_NEAR(e.lh, w.lh, w.lh * 1e-6);
    EXPECT_NEAR(e.k, w.k, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GastorElements,
    ::testing::Values(
        // The defaults: each half has 1/23 of the primary's turns, so L1 / 529.
        Worked{{11.5, 0.0292, 10, 66, 0.5}, 10.0146, 10.0146 / 529.0, 0.998542},
        // A secondary of twice the primary's turns: each half as many turns as the primary.
        Worked{{0.5, 0.0292, 10, 66, 0.5}, 10.0146, 10.0146, 0.998542},
        // Ratio 2 to the whole secondary: each half a quarter of the turns.
        Worked{{2, 0.0292, 10, 66, 0.5}, 10.0146, 10.0146 / 16.0, 0.998542},
        // Leakage as large as the magnetising inductance.
        Worked{{1, 1, 1, 1, 1}, 1.5, 0.375, 2.0 / 3.0}));

class GastorTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gastorPlugin().loaded()) << gastorPlugin().error(); }
    makertest::PinnedDate date;
};

TEST_F(GastorTest, DefaultsGiveTheWholeTextWithoutDate) {
    EXPECT_EQ(std::string(gastorPlugin().name()), "Linear Transformer with Neutral Terminal\nREG");
    auto o = gastorPlugin().run({}, "left over from the host");
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(o.text, "**Linear transformer with neutral terminal**\r\n"
                      "*     Quolvane                          \r\n"
                      "*   SPICE MODEL MAKER TOOL Version 1.0  \r\n"
                      "*          Write Your Name On           \r\n"
                      "*     IF YOU TAKE FULL RESPONSIBILITY   \r\n"
                      "*********************************************\r\n"
                      ".SUBCKT PQ4-10h 1 2 3 4 5\r\n"
                      "*  *1, 2-- primary winding,  *3,4-- secondary terminal, 5-- neutral\r\n"
                      "Rs1 1 11 6.600e+001\r\n"
                      "Rl2 31 3 5.000e-001\r\n"
                      "Rl3 41 4 5.000e-001\r\n"
                      "L1  11 2 1.001e+001\r\n"
                      "L2  31 5 1.893e-002\r\n"
                      "L3  5 41 1.893e-002\r\n"
                      "K12  L1 L2 9.985e-001\r\n"
                      "K13  L1 L3 9.985e-001\r\n"
                      "K23  L2 L3 9.985e-001\r\n"
                      ".ENDS\r\n"
                      "\r\n");
}

TEST_F(GastorTest, BothHalvesCarryTheEnteredValues) {
    auto o = gastorPlugin().run({"set 9201=0.5", "set 9202=1m", "set 9203=1", "set 9205=2.5"});
    ASSERT_EQ(o.result, 1) << o.refusal.value_or("");
    const auto l = makertest::crlfLines(o.text);
    ASSERT_EQ(l.size(), 19u);
    EXPECT_EQ(std::vector<std::string>(l.begin() + 9, l.begin() + 16),
              (std::vector<std::string>{"Rl2 31 3 2.500e+000", "Rl3 41 4 2.500e+000", "L1  11 2 1.000e+000",
                                        "L2  31 5 1.000e+000", "L3  5 41 1.000e+000", "K12  L1 L2 9.995e-001",
                                        "K13  L1 L3 9.995e-001"}));
}

TEST_F(GastorTest, LabelsAndRefusals) {
    std::vector<std::string> labels;
    gastorPlugin().run({"cancel"}, "", [&](CModalWindow& w, const ScriptStep&) {
        for (int id = 9221; id <= 9225; ++id)
            labels.push_back(std::string(w.GetDlgItem(id)->GetWindowText()));
    });
    EXPECT_EQ(labels, (std::vector<std::string>{"匝数比(T1/T2)", "初级绕组漏磁电感(Ls)", "励磁电感(Lm)",
                                                "初级绕组阻抗(RL1)", "次级线圈中间抽头阻抗(RL2h)"}));
    for (const char* step : {"set 9201=0", "set 9202=1000", "set 9203=0", "set 9205=0"}) {
        auto o = gastorPlugin().run({step}, "old text");
        EXPECT_EQ(o.result, 0) << step;
        EXPECT_TRUE(o.text.empty()) << step;
        EXPECT_TRUE(o.refusal.has_value()) << step;
    }
}

TEST_F(GastorTest, HelpAsksForContext0WithoutBits) {
    auto o = gastorPlugin().run({"help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 1u);
    EXPECT_EQ(o.helps[0].module, "Gastor");
    EXPECT_EQ(o.helps[0].context, 0u);
    EXPECT_EQ(o.result, 0);
}

// A 50 Hz sine on the primary, the neutral grounded and each half open (1 MΩ): each half's peak against
// the primary peak over twice the turns ratio, the whole secondary against the ratio.
TEST_F(GastorTest, SimulatedHalvesFollowTheTurnsRatio) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    const double vp = 110.0;
    for (double ratio : {11.5, 2.0}) {
        auto o = gastorPlugin().run({"set 9201=" + std::to_string(ratio)});
        ASSERT_EQ(o.result, 1);
        // A cosine from zero current starts the magnetising current without a decaying offset.
        const std::string elements = "Vin p 0 SIN(0 " + std::to_string(vp * std::sqrt(2.0)) +
                                     " 50 0 0 90)\n"
                                     "X1 p 0 a b 0 PQ4-10h\n"
                                     "Ra a 0 1e6\nRb b 0 1e6\n";
        auto r = spicecheck::run(
            spicecheck::circuit(o.text, elements,
                                {"tran 20u 100m 0 20u uic", "meas tran vapk max v(a) from=60m to=100m",
                                 "meas tran vbpk max v(b) from=60m to=100m", "let vab = v(a) - v(b)",
                                 "meas tran vabpk max vab from=60m to=100m"}));
        ASSERT_TRUE(r.started);
        ASSERT_TRUE(r.errors.empty()) << r.output;
        const double half = vp * std::sqrt(2.0) / (2.0 * ratio);
        for (const char* name : {"vapk", "vbpk", "vabpk"}) {
            auto it = r.values.find(name);
            ASSERT_NE(it, r.values.end()) << name << "\n" << r.output;
            const double expected = std::string(name) == "vabpk" ? 2.0 * half : half;
            std::printf("Gastor ratio %g: %s simulated %.4f V, expected %.4f V\n", ratio, name, it->second,
                        expected);
            EXPECT_NEAR(it->second, expected, expected * 0.02) << name;
        }
    }
}

} // namespace
