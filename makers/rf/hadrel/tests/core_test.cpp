// Hadrel's computation without a window: worked values, the formula switches, the two refusals, the
// zero-thickness substitution and a strip as thick as the spacing.
#include "core.h"

#include "rfformulas/stripline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace hadrel;

Inputs defaults() {
    return {.epsR = 9.8,
            .frequency = 1e9,
            .resistivity = 1.708e-8,
            .tanDelta = 0.002,
            .length = 0.03,
            .width = 0.0006,
            .spacing = 0.00127,
            .thickness = 8e-6};
}

TEST(HadrelCore, DefaultsGiveTheWorkedValues) {
    const auto o = compute(defaults());
    ASSERT_TRUE(o.results);
    const auto& r = *o.results;
    EXPECT_NEAR(r.z0, 32.33, 0.01);
    EXPECT_NEAR(r.l, 3.374e-7, 0.001e-7);
    EXPECT_NEAR(r.c, 3.227e-10, 0.001e-10);
    EXPECT_NEAR(r.alphaC, 0.2211, 0.0001);
    EXPECT_NEAR(r.alphaD, 0.06556, 0.00001);
    EXPECT_NEAR(r.r, 14.30, 0.01);
    EXPECT_NEAR(r.g, 0.004055, 0.000001);
    EXPECT_FALSE(nonFinite(r));
}

// Geometries around the switches: which impedance formula, and whether the loss step refuses.
struct Case {
    const char* what;
    double width, spacing, thickness;
    rf::stripline::ImpedanceForm form;
    unsigned refusal;
};
class HadrelGeometry : public testing::TestWithParam<Case> {};

TEST_P(HadrelGeometry, FormulaAndRefusal) {
    const auto& c = GetParam();
    Inputs in = defaults();
    in.width = c.width;
    in.spacing = c.spacing;
    in.thickness = c.thickness;
    EXPECT_EQ(rf::stripline::impedanceForm(c.width, c.spacing, c.thickness), c.form) << c.what;
    const auto o = compute(in);
    EXPECT_EQ(o.refusal, c.refusal) << c.what;
    EXPECT_EQ(o.results.has_value(), c.refusal == 0) << c.what;
    if (o.results) {
        EXPECT_FALSE(nonFinite(*o.results)) << c.what;
        EXPECT_GT(o.results->alphaC, 0) << c.what;
    }
}

using F = rf::stripline::ImpedanceForm;
INSTANTIATE_TEST_SUITE_P(
    Switches, HadrelGeometry,
    testing::Values(Case{"defaults: wide thick strip", 0.0006, 0.00127, 8e-6, F::WideThick, 0},
                    Case{"W 0.3 mm: narrow, t/W 0.027", 0.0003, 0.00127, 8e-6, F::Narrow, 0},
                    Case{"t/b 0.3 with a wide strip", 0.002, 0.001, 0.0003, F::Narrow, 0},
                    Case{"t/b 0.3 with a narrow strip", 0.0002, 0.001, 0.0003, F::Narrow, kLossOutOfRange},
                    Case{"t/W 0.12 with a narrow strip", 0.0001, 0.001, 0.000012, F::Narrow, kLossOutOfRange},
                    Case{"t/W 0.11 with a narrow strip", 0.0001, 0.001, 0.000011, F::Narrow, 0}));

TEST(HadrelCore, NegativeThicknessIsRefusedWithMessage12) {
    Inputs in = defaults();
    in.thickness = -1e-6;
    const auto o = compute(in);
    EXPECT_FALSE(o.results);
    EXPECT_EQ(o.refusal, kNegativeThickness);
}

// A zero strip is computed as 1 nm and echoed as 0: every value finite, the impedance within 1 % of
// the zero-thickness form.
TEST(HadrelCore, ZeroThicknessIsComputedAsOneNanometre) {
    Inputs in = defaults();
    in.thickness = 0;
    const auto o = compute(in);
    ASSERT_TRUE(o.results);
    EXPECT_EQ(o.results->t, 1e-9);
    EXPECT_FALSE(nonFinite(*o.results));
    const double exact = rf::stripline::impedance(in.width, in.spacing, 0, in.epsR);
    EXPECT_NEAR(o.results->z0, exact, 0.01 * exact);
    EXPECT_NE(modelText(in, *o.results).str().find("* Conductor thickness \t\t\t\t= 0.000e+000 mm\r\n"),
              std::string::npos);
}

// A strip as thick as the spacing leaves no dielectric: C and the losses are not finite. Refused by
// name instead of printing inf.
TEST(HadrelCore, StripAsThickAsTheSpacingIsRefusedByName) {
    Inputs in = defaults();
    in.thickness = in.spacing;
    const auto o = compute(in);
    ASSERT_TRUE(o.results);
    const auto message = nonFinite(*o.results);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->rfind("C cannot be computed", 0), 0u) << *message;
}

} // namespace
