// The strip-line routines against the exact zero-thickness impedance, the elliptic integrals and a
// published design.
#include "rfformulas/stripline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

using namespace rf::stripline;

// Cohn's exact zero-thickness impedance, 30 pi / sqrt(er) K(k)/K(k'), k = sech(pi W / 2b), worked here
// with the library's complete elliptic integral rather than the closed forms under test.
double exactZeroThickness(double wOverB, double er) {
    const double k = 1 / std::cosh(M_PI * wOverB / 2);
    const double kp = std::sqrt(1 - k * k);
    return 30 * M_PI / std::sqrt(er) * std::comp_ellint_1(k) / std::comp_ellint_1(kp);
}

// Hilberg's two closed forms of K(k)/K(k') against the integrals, on both sides of k = 0.7.
TEST(Stripline, EllipticRatioMatchesTheIntegrals) {
    for (double k : {0.01, 0.1, 0.3, 0.5, 0.69, 0.7, 0.71, 0.8, 0.9, 0.99, 0.999}) {
        const double exact = std::comp_ellint_1(k) / std::comp_ellint_1(std::sqrt(1 - k * k));
        EXPECT_NEAR(ellipticRatio(k), exact, 2e-6 * exact) << "k " << k;
    }
}

// At t = 0 the impedance is Cohn's exact one up to the rounded constant 94.172391768 (30 pi is
// 94.2478): within 0.1 %. Printed for the comparison table.
TEST(Stripline, ZeroThicknessMatchesTheExactFormula) {
    for (double wb : {0.05, 0.2, 0.5, 1.0, 2.0, 4.0}) {
        const double exact = exactZeroThickness(wb, 2.2);
        const double z = impedance(wb * 1e-3, 1e-3, 0, 2.2);
        std::printf("strip line er 2.2 W/b %.2f t 0: Z0 %.3f ohm, exact %.3f ohm\n", wb, z, exact);
        EXPECT_NEAR(z, exact, 1e-3 * exact) << "W/b " << wb;
    }
}

// The two thick-strip forms tend to the exact zero-thickness value as t -> 0 (the wide form for
// W/(b - t) >= 0.35, the effective-width form below), and meet each other near their switch.
TEST(Stripline, ThickFormsTendToTheZeroThicknessValue) {
    const double b = 1e-3, t = 1e-9;
    for (double wb : {0.1, 0.2, 0.34, 0.36, 0.5, 1.0, 3.0}) {
        const double w = wb * b;
        EXPECT_EQ(impedanceForm(w, b, t), wb < 0.35 ? ImpedanceForm::Narrow : ImpedanceForm::WideThick);
        const double exact = exactZeroThickness(wb, 9.8);
        EXPECT_NEAR(impedance(w, b, t, 9.8), exact, 0.012 * exact) << "W/b " << wb;
    }
}

// Which formula each geometry takes: the wide thick-strip form needs t/b <= 0.25 and W/(b - t) >= 0.35.
struct FormCase {
    double w, b, t;
    ImpedanceForm form;
};
class StriplineForm : public testing::TestWithParam<FormCase> {};

TEST_P(StriplineForm, GeometryPicksTheFormula) {
    const auto& c = GetParam();
    EXPECT_EQ(impedanceForm(c.w, c.b, c.t), c.form);
    EXPECT_GT(impedance(c.w, c.b, c.t, 9.8), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Geometries, StriplineForm,
    testing::Values(FormCase{0.6e-3, 1.27e-3, 8e-6, ImpedanceForm::WideThick},
                    FormCase{0.3e-3, 1.27e-3, 8e-6, ImpedanceForm::Narrow},
                    FormCase{1e-3, 1e-3, 0.25e-3, ImpedanceForm::WideThick},     // t/b exactly 0.25
                    FormCase{1e-3, 1e-3, 0.26e-3, ImpedanceForm::Narrow},        // thick: t/b > 0.25
                    FormCase{0.3460e-3, 1e-3, 0.0101e-3, ImpedanceForm::Narrow}, // W/(b - t) just below 0.35
                    FormCase{0.3467e-3, 1e-3, 0.0101e-3, ImpedanceForm::WideThick},
                    FormCase{0.6e-3, 1.27e-3, 0.0, ImpedanceForm::ZeroThickness}));

TEST(Stripline, NegativeThicknessGivesMinusOne) {
    EXPECT_EQ(impedance(0.6e-3, 1.27e-3, -1e-6, 9.8), -1);
}

// The narrow-strip conductor loss holds only for t/b <= 0.25 and t/W <= 0.11; the wide one has no such
// bound.
struct LossRangeCase {
    double w, b, t;
    bool outOfRange;
};
class StriplineLossRange : public testing::TestWithParam<LossRangeCase> {};

TEST_P(StriplineLossRange, NarrowStripsOutsideTheBoundsAreFlagged) {
    const auto& c = GetParam();
    EXPECT_EQ(lossOutOfRange(c.w, c.b, c.t), c.outOfRange);
    const double z0 = impedance(c.w, c.b, c.t, 9.8);
    const auto a = losses(c.w, c.b, c.t, 9.8, 1e9, z0, 1.708e-8, 0.002);
    if (c.outOfRange)
        EXPECT_EQ(a.conductor, -1);
    else
        EXPECT_GT(a.conductor, 0);
    EXPECT_NEAR(a.dielectric, 0.06556, 0.00001); // the same in every case
}

INSTANTIATE_TEST_SUITE_P(Geometries, StriplineLossRange,
                         testing::Values(LossRangeCase{0.3e-3, 1.27e-3, 8e-6, false}, // narrow, t/W 0.027
                                         LossRangeCase{1e-3, 1e-3, 0.3e-3, false},    // wide, t/b 0.3
                                         LossRangeCase{0.1e-3, 1e-3, 0.3e-3, true},   // narrow, t/b 0.3
                                         LossRangeCase{0.1e-3, 1e-3, 0.012e-3, true}, // narrow, t/W 0.12
                                         LossRangeCase{0.1e-3, 1e-3, 0.011e-3, false}));

// Pozar's 50-ohm copper strip line (b 3.2 mm, er 2.2, W 2.66 mm, t 0.01 mm) at 10 GHz with
// tan d 0.001: alpha_d = 0.155 Np/m and alpha_c = 0.122 Np/m by his closed forms.
TEST(Stripline, PublishedDesignMatches) {
    const double b = 3.2e-3, w = 2.66e-3, t = 1e-5, er = 2.2;
    const double z0 = impedance(w, b, t, er);
    const auto a = losses(w, b, t, er, 1e10, z0, 1 / 5.813e7, 0.001);
    std::printf("Pozar strip line: Z0 %.2f (50), alpha_c %.4f (0.122), alpha_d %.4f (0.155)\n", z0,
                a.conductor, a.dielectric);
    EXPECT_NEAR(z0, 50.0, 1.0);
    EXPECT_NEAR(a.dielectric, 0.155, 0.001);
    EXPECT_NEAR(a.conductor, 0.122, 0.005);
}

} // namespace
