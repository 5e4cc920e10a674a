// Elvasco's computation without a window: the bend at the default angle, at 90 degrees exactly and
// next to it, at W/b = 0.5, the reference-plane offset, and the refusals.
#include "core.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace elvasco;

Inputs defaults() {
    return {.epsR = 9.8,
            .frequency = 1e9,
            .resistivity = 1.708e-8,
            .tanDelta = 0.002,
            .width = 0.001,
            .angle = 45,
            .spacing = 0.000635,
            .thickness = 8e-6};
}

// Figures worked by hand from the bend formulas (general angle, right angle, both widths of D).
struct BendCase {
    const char* what;
    double width, angle, spacing;
    double z0, d, la, cb, len;
};
class ElvascoBend : public testing::TestWithParam<BendCase> {};

TEST_P(ElvascoBend, WorkedValues) {
    const auto& c = GetParam();
    Inputs in = defaults();
    in.width = c.width;
    in.angle = c.angle;
    in.spacing = c.spacing;
    const auto o = compute(in);
    ASSERT_TRUE(o.results) << c.what;
    const auto& r = *o.results;
    EXPECT_NEAR(r.z0, c.z0, 1e-5 * c.z0) << c.what;
    EXPECT_NEAR(r.bend.d, c.d, 1e-5 * c.d) << c.what;
    EXPECT_NEAR(r.la, c.la, 1e-5 * c.la) << c.what;
    EXPECT_NEAR(r.cb, c.cb, 1e-5 * c.cb) << c.what;
    EXPECT_NEAR(r.len, c.len, 1e-5 * c.len) << c.what;
    EXPECT_FALSE(nonFinite(r)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Angles, ElvascoBend,
    testing::Values(BendCase{"defaults, 45 degrees", 0.001, 45, 0.000635, 14.59752, 1.292127e-3, 7.277290e-11,
                             3.451623e-13, 3.025078e-05},
                    BendCase{"exactly 90: right-angle formulas", 0.001, 90, 0.000635, 14.59752, 1.292127e-3,
                             5.500968e-11, 9.434493e-14, 7.303185e-05},
                    BendCase{"89.999: general formulas", 0.001, 89.999, 0.000635, 14.59752, 1.292127e-3,
                             1.788666e-10, 6.057345e-13, 7.303057e-05},
                    BendCase{"135 degrees", 0.001, 135, 0.000635, 14.59752, 1.292127e-3, 4.469466e-10,
                             7.637392e-13, 1.763145e-04},
                    BendCase{"W/b exactly 0.5: D from K(k)/K(k')", 0.0003175, 45, 0.000635, 30.94063,
                             6.074039e-04, 7.250900e-11, 7.655009e-14, 3.002054e-05}));

// Just past W/b = 0.5 the width D switches to W + (2b/pi) ln 2 + the thickness term; the two forms
// agree within 0.5 %.
TEST(ElvascoCore, EquivalentWidthIsNearlyContinuousAtHalfTheSpacing) {
    const double b = 0.001, t = 8e-6;
    const double at = bend(0.0005, 45, b, t, 9.8, 1e9).d;
    const double past = bend(std::nextafter(0.0005, 1.0), 45, b, t, 9.8, 1e9).d;
    EXPECT_NEAR(at, 9.508463e-4, 1e-9);
    EXPECT_NEAR(past, 9.543478e-4, 1e-9);
    EXPECT_NEAR(past, at, 0.005 * at);
}

// The reference planes stand back (D - W)/2 tan(theta/2): never negative, zero without a bend angle,
// (D - W)/2 at 90 degrees. Passing degrees to the tangent would give -1.995 (D - W)/2 at 90.
TEST(ElvascoCore, ReferencePlaneOffsetUsesHalfTheAngleInRadians) {
    const double w = 0.001, b = 0.000635, t = 8e-6;
    const auto right = bend(w, 90, b, t, 9.8, 1e9);
    // 0.008726647222222222 stands for pi/360 to 1.1e-7.
    EXPECT_NEAR(right.offset, 0.5 * (right.d - w), 1e-6 * right.offset);
    EXPECT_EQ(bend(w, 0, b, t, 9.8, 1e9).offset, 0.0);
    for (double angle = 1; angle <= 360; angle += 7) {
        if (angle == 180) continue;
        EXPECT_GE(bend(w, angle, b, t, 9.8, 1e9).offset, 0.0) << angle;
    }
    const double sixty = 0.5 * std::tan(M_PI / 6) * (right.d - w);
    EXPECT_NEAR(bend(w, 60, b, t, 9.8, 1e9).offset, sixty, 1e-6 * sixty);
}

// Refusals: 180 degrees (no bend: the inductance factor has 1/0), a negative thickness, and the narrow
// strip out of the loss formula's range. 179.9 is a bend and is computed.
struct RefusalCase {
    const char* what;
    double width, angle, thickness;
    unsigned refusal;
};
class ElvascoRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(ElvascoRefusal, MessageAndNoResults) {
    const auto& c = GetParam();
    Inputs in = defaults();
    in.width = c.width;
    in.angle = c.angle;
    in.thickness = c.thickness;
    const auto o = compute(in);
    EXPECT_EQ(o.refusal, c.refusal) << c.what;
    EXPECT_EQ(o.results.has_value(), c.refusal == 0) << c.what;
    if (o.results) {
        EXPECT_FALSE(nonFinite(*o.results)) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ElvascoRefusal,
                         testing::Values(RefusalCase{"180 degrees", 0.001, 180, 8e-6, kStraightBend},
                                         RefusalCase{"179.9 degrees", 0.001, 179.9, 8e-6, 0},
                                         RefusalCase{"360 degrees", 0.001, 360, 8e-6, 0},
                                         RefusalCase{"negative thickness", 0.001, 45, -1e-6,
                                                     kNegativeThickness},
                                         RefusalCase{"t/W 0.16, narrow", 0.00005, 45, 8e-6, kLossOutOfRange},
                                         RefusalCase{"zero thickness", 0.001, 45, 0, 0}));

// A zero strip is computed as 1 nm (the thickness term and the losses take its logarithm) and echoed
// as 0.
TEST(ElvascoCore, ZeroThicknessIsComputedAsOneNanometre) {
    Inputs in = defaults();
    in.thickness = 0;
    const auto o = compute(in);
    ASSERT_TRUE(o.results);
    EXPECT_EQ(o.results->t, 1e-9);
    EXPECT_NE(modelText(in, *o.results).str().find("* Conductor thickness \t\t\t\t= 0.000e+000 mm\r\n"),
              std::string::npos);
}

} // namespace
