// Tessaly's computation on its own: the worked values of the defaults, the gain in either unit, the
// zero network when fr3 equals frz, and the values no card can carry.
#include "core.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

using namespace tessaly;

namespace {

Inputs defaults() {
    Inputs in;
    in.ci = 1.4e-12, in.i1o = 2e-08, in.i1b = 8e-08, in.v1o = 0.001, in.rcm = 2e9, in.r1 = 2e6, in.cmrr = 90;
    in.avd = 106;
    in.fr1 = 5, in.fr2 = 2e6, in.fr3 = 2e7, in.fr4 = 1e8, in.frz = 5e6;
    in.srPlus = 0.5, in.srMinus = 0.5, in.ro = 75, in.isr = 0.025, in.isn = 0.025;
    return in;
}

constexpr double kTwoPi = 6.2831852;

TEST(TessalyCore, DefaultsGiveTheWorkedValues) {
    const Parameters p = compute(defaults());
    EXPECT_NEAR(p.ib1, 9e-08, 1e-20);
    EXPECT_NEAR(p.ib2, 7e-08, 1e-20);
    EXPECT_NEAR(p.c1, 1 / (5 * kTwoPi * 1000), 1e-15);
    EXPECT_NEAR(p.c2, 1 / (2e6 * kTwoPi * 1000), 1e-22);
    EXPECT_NEAR(p.c4, 1 / (5e6 * kTwoPi * 10000), 1e-24);
    EXPECT_NEAR(p.c5, 1 / (1e8 * kTwoPi * 1000), 1e-24);
    // fr3 / frz = 4: r8 = 10000 / 3, e1 = (r8 + 10000) / r8 = 4.
    EXPECT_NEAR(p.r8, 10000.0 / 3, 1e-9);
    EXPECT_NEAR(p.e1, 4, 1e-12);
    // 106 dB is 10^5.3 = 199.5 V/mV; g2 divides it by twice 10^4.5.
    EXPECT_NEAR(p.gain, 199.526, 1e-3);
    EXPECT_DOUBLE_EQ(p.g1, p.gain);
    EXPECT_NEAR(p.g2, p.gain / (2 * std::pow(10.0, 4.5)), 1e-15);
    EXPECT_NEAR(p.f1, -0.5e6 / (5 * kTwoPi * 1000), 1e-9);
    EXPECT_DOUBLE_EQ(p.f2, p.f1);
    EXPECT_DOUBLE_EQ(p.f3, -0.025);
    EXPECT_DOUBLE_EQ(p.f4, -0.025);
    EXPECT_NEAR(p.g3, 1 / 75.0, 1e-15);
    EXPECT_DOUBLE_EQ(p.r5, 75);
    EXPECT_FALSE(nonFinite(p).has_value());
}

struct GainCase {
    int inDb;
    double avd, cmrr, gain;
};

class TessalyGain : public ::testing::TestWithParam<GainCase> {};

TEST_P(TessalyGain, IsTakenInTheUnitOfTheSwitch) {
    Inputs in = defaults();
    in.gainInDb = GetParam().inDb, in.avd = GetParam().avd, in.cmrr = GetParam().cmrr;
    const Parameters p = compute(in);
    EXPECT_NEAR(p.g1, GetParam().gain, GetParam().gain * 1e-12);
    EXPECT_NEAR(p.g2, GetParam().gain / (2 * std::pow(10.0, GetParam().cmrr / 20)), p.g2 * 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Each, TessalyGain,
                         ::testing::Values(GainCase{0, 200, 90, 200},        // V/mV as entered
                                           GainCase{1, 60, 90, 1},           // 1000 V/V
                                           GainCase{1, 120, 80, 1000},       // 1e6 V/V
                                           GainCase{0, 106, 60, 106},        // the number kept, unit V/mV
                                           GainCase{1, 6000, 6000, 1e297})); // still finite

TEST(TessalyCore, EqualPole3AndZeroGiveTheLargeResistor) {
    Inputs in = defaults();
    in.fr3 = in.frz = 7e6;
    const Parameters p = compute(in);
    EXPECT_DOUBLE_EQ(p.r8, 1e12);
    EXPECT_DOUBLE_EQ(p.e1, (1e12 + 10000) / 1e12);
    // Below the zero, r8 changes sign with fr3 / frz − 1.
    in.fr3 = 2.5e6, in.frz = 5e6;
    EXPECT_DOUBLE_EQ(compute(in).r8, -20000);
}

struct NonFiniteCase {
    const char* name;
    std::function<void(Inputs&)> change;
    const char* parameter;
};

class TessalyNonFinite : public ::testing::TestWithParam<NonFiniteCase> {};

TEST_P(TessalyNonFinite, IsNamedWithItsFields) {
    Inputs in = defaults();
    GetParam().change(in);
    const auto message = nonFinite(compute(in));
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->rfind(GetParam().parameter, 0), 0u) << *message;
}

INSTANTIATE_TEST_SUITE_P(Each, TessalyNonFinite,
                         ::testing::Values(
                             // 10^(99999 / 20) overflows: the box accepts gains up to 99999 dB.
                             NonFiniteCase{"GainTooLargeInDb", [](Inputs& in) { in.avd = 99999; }, "g1"},
                             NonFiniteCase{"GainAndCmrrTooLarge",
                                           [](Inputs& in) { in.avd = in.cmrr = 99999; }, "g1"},
                             // Values the boxes refuse, reaching the core directly.
                             NonFiniteCase{"ZeroPole1", [](Inputs& in) { in.fr1 = 0; }, "c1"},
                             NonFiniteCase{"ZeroOutputResistance", [](Inputs& in) { in.ro = 0; }, "g3"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(TessalyCore, LargeCmrrAloneStaysFinite) {
    Inputs in = defaults();
    in.cmrr = 99999; // g2 underflows to 0, which a card can carry
    const Parameters p = compute(in);
    EXPECT_EQ(p.g2, 0.0);
    EXPECT_FALSE(nonFinite(p).has_value());
}

} // namespace
