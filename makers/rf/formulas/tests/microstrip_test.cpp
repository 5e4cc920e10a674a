// The microstrip routines against published closed-form results, their limits and their branches.
#include "rfformulas/line.h"
#include "rfformulas/microstrip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

using namespace rf::microstrip;

// Published 50-ohm designs. Wheeler's formula is stated to within 1 % and Hammerstad's permittivity
// to within 1 %; the figures are printed beside the published ones.
struct Published {
    const char* source;
    double er, wOverH, z0, epsEff;
};

class MicrostripPublished : public testing::TestWithParam<Published> {};

TEST_P(MicrostripPublished, ZeroThicknessLineMatchesWithinOnePercent) {
    const auto& p = GetParam();
    const double h = 1e-3, w = p.wOverH * h;
    const double e0 = quasiStaticPermittivity(w, h, p.er);
    const double z0 = wheelerImpedance(w, h, p.er);
    std::printf("%-40s Z0 %.2f (published %.2f)  eps_eff %.3f (published %.3f)\n", p.source, z0, p.z0, e0,
                p.epsEff);
    EXPECT_NEAR(z0, p.z0, 0.01 * p.z0);
    EXPECT_NEAR(e0, p.epsEff, 0.01 * p.epsEff);
}

INSTANTIATE_TEST_SUITE_P(
    Designs, MicrostripPublished,
    testing::Values(Published{"Pozar, microstrip design, er 2.2 W/h 3.081", 2.2, 3.081, 50.0, 1.87},
                    Published{"Hammerstad-Jensen, er 4.4 W/h 1.875", 4.4, 1.875, 50.6, 3.33},
                    Published{"Hammerstad-Jensen, air, W/h 1", 1.0, 1.0, 126.5, 1.0}));

// The thickness correction widens the strip by a few tenths of t for a thin strip, more the thinner
// the substrate, and never narrows it; t -> 0 leaves the width.
TEST(Microstrip, ThicknessCorrectionWidensTheStripAndVanishesWithT) {
    const double h = 1e-3, w = 1.875e-3, er = 4.4;
    EXPECT_NEAR(effectiveWidth(w, h, 1e-12, er), w, 1e-11);
    double previous = w;
    for (double t : {1e-6, 1e-5, 3.5e-5, 1e-4}) {
        const double wEff = effectiveWidth(w, h, t, er);
        EXPECT_GT(wEff, previous) << "t " << t;
        // Gupta, Garg and Bahl's approximation (t/pi)(1 + ln(2h/t))(1 + 1/er)/2 within 25 %.
        const double approx = (t / M_PI) * (1 + std::log(2 * h / t)) * (1 + 1 / er) / 2;
        EXPECT_NEAR(wEff - w, approx, 0.25 * approx) << "t " << t;
        previous = wEff;
    }
    // A higher permittivity keeps more of the field in the substrate: less widening.
    EXPECT_LT(effectiveWidth(w, h, 35e-6, 12.0), effectiveWidth(w, h, 35e-6, 2.0));
}

// Both forms of the quasi-static permittivity meet at W'/h = 1; the narrow form has its extra term
// below. Limits: a wide strip tends to er, a thin one to (er + 1)/2 plus the narrow
// form's 0.04 (er - 1)/2.
TEST(Microstrip, QuasiStaticPermittivityIsContinuousAndBounded) {
    const double h = 1e-3, er = 9.8;
    const double below = quasiStaticPermittivity(std::nextafter(h, 0.0), h, er);
    const double at = quasiStaticPermittivity(h, h, er);
    EXPECT_NEAR(below, at, 1e-12);
    EXPECT_NEAR(at, 5.4 + 4.4 / std::sqrt(13.0), 1e-12);
    EXPECT_NEAR(quasiStaticPermittivity(0.5e-3, h, er), 5.4 + 4.4 * (1 / 5.0 + 0.04 * 0.25), 1e-12);
    EXPECT_NEAR(quasiStaticPermittivity(1e3 * h, h, er), er, 0.05);
    EXPECT_NEAR(quasiStaticPermittivity(1e-6 * h, h, er), 5.4 + 4.4 * 0.04, 0.01);
}

// The dispersion step moves from the quasi-static value at low f*h to er at high f*h (f*h in hertz
// times metres): within about 3e-4 of er at f*h = 1000 for W'/h = 1.
TEST(Microstrip, DispersionRisesFromQuasiStaticToEr) {
    const double h = 1e-3, er = 9.8;
    const double e0 = quasiStaticPermittivity(h, h, er);
    EXPECT_NEAR(e0, 6.62, 0.01);
    EXPECT_NEAR(dispersivePermittivity(h, h, 1.0, er, e0), e0, 1e-4);
    double previous = e0;
    for (double f : {1e3, 1e4, 1e5, 1e6, 1e9}) {
        const double e = dispersivePermittivity(h, h, f, er, e0);
        EXPECT_GT(e, previous) << "f " << f;
        EXPECT_LT(e, er) << "f " << f;
        previous = e;
    }
    const double at1MHz = er - dispersivePermittivity(h, h, 1e6, er, e0);
    EXPECT_LT(at1MHz, 4e-4);
    EXPECT_GT(at1MHz, 1e-4);
}

// The impedance falls as the strip widens and as the permittivity rises; a 50-ohm line on er 9.8 sits
// near W/h = 1.
TEST(Microstrip, WheelerImpedanceIsMonotonic) {
    const double h = 1e-3;
    double previous = 1e9;
    for (double u : {0.05, 0.1, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0}) {
        const double z = wheelerImpedance(u * h, h, 9.8);
        EXPECT_LT(z, previous) << "W/h " << u;
        previous = z;
    }
    EXPECT_LT(wheelerImpedance(h, h, 12.0), wheelerImpedance(h, h, 2.0));
}

// The conductor loss switches formula at W'/h = 1/(2 pi) and just above 1 (Z0 50 ohm, 2 GHz,
// rho 2.44e-8, h 1 mm, t 8 um); figures from the published forms evaluated separately.
struct LossCase {
    double u, alphaC;
};
class MicrostripConductorLoss : public testing::TestWithParam<LossCase> {};

TEST_P(MicrostripConductorLoss, RangeIsChosenByWidthRatio) {
    const double h = 1e-3, t = 8e-6;
    const auto& c = GetParam();
    EXPECT_NEAR(conductorLoss(c.u * h, h, t, 50, 2e9, 2.44e-8), c.alphaC, 1e-9 * c.alphaC) << "u " << c.u;
}

INSTANTIATE_TEST_SUITE_P(Ranges, MicrostripConductorLoss,
                         testing::Values(LossCase{0.1, 361.41308230382003},
                                         LossCase{0.1591549255425512, 153.51060208952717},
                                         LossCase{0.15915492554255123, 153.14576941221262},
                                         LossCase{0.5, 16.841973647688608}, LossCase{1.0, 4.386753855765214},
                                         LossCase{1.0000000000000002, 0.22949719324370288},
                                         LossCase{3.0, 0.2775791156051941}));

// The dielectric loss grows with the filling factor (eps_e - 1)/(er - 1), with tan d and with f.
TEST(Microstrip, DielectricLossScalesWithTanDeltaAndFrequency) {
    const double one = dielectricLoss(9.8, 6.6, 0.001, 1e9);
    EXPECT_NEAR(dielectricLoss(9.8, 6.6, 0.002, 1e9), 2 * one, 1e-12);
    EXPECT_NEAR(dielectricLoss(9.8, 6.6, 0.001, 3e9), 3 * one, 1e-12);
    // 27.3 er q tan d / (sqrt(eps_e) lambda0) with q = 5.6/8.8 and lambda0 0.3 m.
    EXPECT_NEAR(one, 27.3 * 9.8 * (5.6 / 8.8) * 0.001 / (std::sqrt(6.6) * 0.3), 1e-12);
}

// A TEM line: sqrt(L/C) is Z0 and 1/sqrt(LC) the wave speed; R and G give back the losses.
TEST(LineConstants, InverseRelationsHold) {
    const auto lc = rf::lineConstants(std::sqrt(4.0), 50.0);
    EXPECT_NEAR(std::sqrt(lc.l / lc.c), 50.0, 1e-9);
    EXPECT_NEAR(1 / std::sqrt(lc.l * lc.c), 1.5e8, 1e-3);
    const auto rg = rf::lossConstants(0.1, 0.2, lc);
    EXPECT_NEAR(rg.r / (2 * 50.0), 0.1, 1e-12);
    EXPECT_NEAR(rg.g * 50.0 / 2, 0.2, 1e-12);
    // Copper at 10 GHz: Rs = 0.026 ohm (Pozar, strip-line attenuation example).
    EXPECT_NEAR(rf::surfaceResistance(1e10, 1 / 5.813e7), 0.026, 0.0005);
}

} // namespace
