// Quarrin's computation on its own: the worked values of the defaults, the two forward-diode paths,
// the two off-state networks, the gate refusal and the values no card can carry.
#include "core.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

using namespace quarrin;

namespace {

// The sheet's defaults.
Inputs defaults() {
    Inputs in;
    in.ih = 0.035, in.igt = 0.025, in.vgt = 1, in.idrm = 1e-05, in.vdrm = 50, in.vrrm = 52.5, in.dvdt = 50;
    in.if1 = 0.1, in.vf1 = 0.87, in.if2 = 3, in.vf2 = 1, in.if3 = 100, in.vf3 = 2.54;
    in.ton = 1.5e-06, in.toff = 1.5e-05, in.ifr = 25, in.irc = 0, in.vrc = 0, in.id = 0, in.pi = 25,
    in.pv = 50;
    return in;
}

TEST(QuarrinCore, DefaultsGiveTheWorkedValues) {
    const Parameters p = compute(defaults());
    // Slope of ln I over V between the first two curve points: ln 30 / 0.13.
    const double u = std::log(30.0) / 0.13;
    EXPECT_NEAR(p.n, 1 / (u * 0.0255), 1e-12);
    EXPECT_NEAR(p.n, 1.499, 1e-3);
    EXPECT_NEAR(p.is, 1.302e-11, 1e-14);
    EXPECT_NEAR(p.rs, 1.406e-02, 1e-5);
    EXPECT_NEAR(p.vgd, 1 - std::log(2.5e10) * 0.025, 1e-12);
    EXPECT_DOUBLE_EQ(p.k1, -0.025);
    EXPECT_NEAR(p.k2, 0.025 / 0.035, 1e-15);
    EXPECT_DOUBLE_EQ(p.bv, 63);
    EXPECT_NEAR(p.breakIs, 1.6324e-08, 1e-20);
    EXPECT_DOUBLE_EQ(p.xti, 3);
    EXPECT_NEAR(p.crise, 7e-10, 1e-22);
    EXPECT_DOUBLE_EQ(p.rleak, 5e6);
    EXPECT_NEAR(p.con, 3.75e-08, 1e-20);
    // ID = 0: the off-state network comes from PI and PV.
    EXPECT_FALSE(p.offStateGiven);
    EXPECT_DOUBLE_EQ(p.i0, 12.5);
    EXPECT_DOUBLE_EQ(p.roff, 0.08);
    EXPECT_NEAR(p.coff, 1.5e-05 * 0.08 * std::log(0.035 / 12.5) * -0.001, 1e-20);
    EXPECT_GT(p.coff, 0);
    EXPECT_TRUE(gateInRange(p));
    EXPECT_FALSE(nonFinite(p).has_value());
}

// The forward diode reproduces the curve: its voltage at the three points is the entered one, up to
// the series resistance's share at the lower two.
TEST(QuarrinCore, ForwardDiodePassesThroughTheCurve) {
    const Inputs in = defaults();
    const Parameters p = compute(in);
    auto volts = [&](double i) { return p.n * 0.0255 * std::log(i / p.is) + i * p.rs; };
    EXPECT_NEAR(volts(in.if1) - in.if1 * p.rs, in.vf1, 1e-12);
    EXPECT_NEAR(volts(in.if2) - in.if2 * p.rs, in.vf2, 1e-12);
    EXPECT_NEAR(volts(in.if3), in.vf3, 1e-12);
}

TEST(QuarrinCore, ZeroForwardCurrentTakesTheFixedDiodeWhateverTheCurveHolds) {
    Inputs in = defaults();
    in.ifr = 0;
    in.vf1 = in.vf2 = 1; // a curve the other path could not use
    const Parameters p = compute(in);
    EXPECT_DOUBLE_EQ(p.is, 1e-14);
    EXPECT_DOUBLE_EQ(p.n, 0.001);
    EXPECT_NEAR(p.rs, (50 - (std::log(25.0) - std::log(1e-14)) * 2.55e-05) / 25, 1e-15);
    EXPECT_FALSE(nonFinite(p).has_value());
}

struct OffStateCase {
    const char* name;
    double id, irc, vrc;
    bool given;
    double roff, i0;
};

class QuarrinOffState : public ::testing::TestWithParam<OffStateCase> {};

TEST_P(QuarrinOffState, NetworkFollowsTheIdentifiersIntegerPart) {
    const OffStateCase& c = GetParam();
    Inputs in = defaults();
    in.id = c.id, in.irc = c.irc, in.vrc = c.vrc;
    const Parameters p = compute(in);
    EXPECT_EQ(p.offStateGiven, c.given);
    EXPECT_DOUBLE_EQ(p.roff, c.roff);
    EXPECT_DOUBLE_EQ(p.i0, c.i0);
    EXPECT_NEAR(p.coff, 1.5e-05 * c.roff * std::log(0.035 / c.i0) * -0.001, 1e-20);
}

INSTANTIATE_TEST_SUITE_P(
    Each, QuarrinOffState,
    ::testing::Values(OffStateCase{"IdentifierOneUsesIrcAndVrc", 1, 2e-3, 40, true, 2e4, 2e-3},
                      // A fraction is truncated: 0.9 counts as 0.
                      OffStateCase{"FractionCountsAsZero", 0.9, 2e-3, 40, false, 0.08, 12.5},
                      OffStateCase{"IdentifierZeroIgnoresIrcAndVrc", 0, 2e-3, 40, false, 0.08, 12.5}),
    [](const auto& p) { return std::string(p.param.name); });

// The gate source is VGT − 0.025 ln(IGT · 1e12); the sheet refuses it below zero.
struct GateCase {
    double igt, vgt;
    bool accepted;
};

class QuarrinGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(QuarrinGate, NegativeGateSourceIsRefused) {
    Inputs in = defaults();
    in.igt = GetParam().igt, in.vgt = GetParam().vgt;
    EXPECT_EQ(gateInRange(compute(in)), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Each, QuarrinGate,
    ::testing::Values(GateCase{0.025, 1, true}, GateCase{0.025, 0.5, false},
                      GateCase{0.025, 0.6, true},                            // 0.025 ln(2.5e10) = 0.5986
                      GateCase{0.025, 0.59, false}, GateCase{3e5, 1, false}, // 0.025 ln(3e17) = 1.0045
                      GateCase{1e-12, 1e-15, true})); // ln 1 = 0: the smallest VGT is enough

struct NonFiniteCase {
    const char* name;
    std::function<void(Inputs&)> change;
    const char* parameter;
    const char* fields;
};

class QuarrinNonFinite : public ::testing::TestWithParam<NonFiniteCase> {};

TEST_P(QuarrinNonFinite, IsNamedWithItsFields) {
    Inputs in = defaults();
    GetParam().change(in);
    const auto message = nonFinite(compute(in));
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->rfind(GetParam().parameter, 0), 0u) << *message;
    EXPECT_NE(message->find(GetParam().fields), std::string::npos) << *message;
}

INSTANTIATE_TEST_SUITE_P(
    Each, QuarrinNonFinite,
    ::testing::Values(
        NonFiniteCase{"EqualVoltagesOfTheFirstTwoPoints", [](Inputs& in) { in.vf2 = in.vf1; },
                      "RS of the forward diode", "forward voltage curve"},
        NonFiniteCase{"EqualCurrentsOfTheFirstTwoPoints", [](Inputs& in) { in.if2 = in.if1; },
                      "N of the forward diode", "forward voltage curve"},
        NonFiniteCase{"IdentifierOneWithoutReverseCurrent", [](Inputs& in) { in.id = 1, in.vrc = 10; },
                      "ROFF", "identifier 1 needs an Irc above 0"},
        NonFiniteCase{"IdentifierOneWithNothingGiven", [](Inputs& in) { in.id = 1; }, "ROFF", "Irc"}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
