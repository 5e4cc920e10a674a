// Wenlock's computation without a window: the worked values, the two warnings answered both ways and
// their boundaries, the zero-thickness substitution and the refusal of a non-finite result.
#include "core.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace wenlock;

Inputs defaults() {
    return {.epsR = 9.8,
            .frequency = 2e9,
            .resistivity = 2.44e-8,
            .tanDelta = 0.002,
            .length = 0.02,
            .width = 0.0006,
            .height = 0.000635,
            .thickness = 8e-6};
}

// Answers every question with `yes` and records which were asked.
struct Asker {
    bool yes = false;
    std::vector<unsigned> asked;
    frame::Question question() {
        return [this](unsigned id) {
            asked.push_back(id);
            return yes;
        };
    }
};

TEST(WenlockCore, DefaultsGiveTheWorkedValuesWithoutAQuestion) {
    Asker a;
    auto r = compute(defaults(), a.question());
    ASSERT_TRUE(r);
    EXPECT_TRUE(a.asked.empty());
    EXPECT_NEAR(r->wEff, 0.6094e-3, 0.0001e-3);
    EXPECT_NEAR(r->epsE0, 6.598, 0.001);
    EXPECT_NEAR(r->epsEff, 9.8, 1e-8);
    EXPECT_NEAR(r->z0, 50.44, 0.01);
    EXPECT_NEAR(r->l, 5.263e-7, 0.001e-7);
    EXPECT_NEAR(r->c, 2.069e-10, 0.001e-10);
    EXPECT_NEAR(r->alphaC, 7.098, 0.001);
    EXPECT_NEAR(r->alphaD, 0.8834, 0.0001);
    EXPECT_NEAR(r->r, 716.0, 0.1);
    EXPECT_NEAR(r->g, 0.03503, 0.00001);
    EXPECT_FALSE(nonFinite(*r));
}

// Which warnings a geometry raises, and what each answer does: Yes (re-enter) stops at the first
// question asked, No goes on to the next check and then to a result.
struct WarningCase {
    const char* what;
    double width, epsR;
    std::vector<unsigned> askedWhenNo;
};
class WenlockWarnings : public testing::TestWithParam<WarningCase> {};

TEST_P(WenlockWarnings, YesStopsAndNoGoesOn) {
    const auto& c = GetParam();
    Inputs in = defaults();
    in.width = c.width;
    in.epsR = c.epsR;
    Asker no;
    auto r = compute(in, no.question());
    EXPECT_TRUE(r) << c.what;
    EXPECT_EQ(no.asked, c.askedWhenNo) << c.what;
    Asker yes;
    yes.yes = true;
    auto stopped = compute(in, yes.question());
    if (c.askedWhenNo.empty()) {
        EXPECT_TRUE(stopped) << c.what;
    } else {
        EXPECT_FALSE(stopped) << c.what;
        EXPECT_EQ(yes.asked, std::vector<unsigned>{c.askedWhenNo.front()}) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Geometries, WenlockWarnings,
                         testing::Values(WarningCase{"defaults", 0.0006, 9.8, {}},
                                         WarningCase{"narrow strip", 0.00003, 9.8, {kAskWidthRatio}},
                                         WarningCase{"wide strip", 0.007, 9.8, {kAskWidthRatio}},
                                         WarningCase{"er exactly 128", 0.0006, 128, {kAskPermittivity}},
                                         WarningCase{"er exactly 1", 0.0006, 1.0, {kAskPermittivity}},
                                         WarningCase{"er just inside", 0.0006, 127.999, {}},
                                         WarningCase{
                                             "both", 0.00003, 200, {kAskWidthRatio, kAskPermittivity}}));

// The width-ratio bounds belong to the warning: of two neighbouring strip widths on either side of
// W'/h = 0.1 (and of 10), the one on the bound's side is asked about, the other is not.
TEST(WenlockCore, WidthRatioBoundsBelongToTheWarning) {
    const double h = 0.000635;
    auto ratio = [&](double width) {
        Inputs in = defaults();
        in.width = width;
        Asker none;
        return compute(in, none.question())->wEff / h;
    };
    auto asked = [&](double width) {
        Inputs in = defaults();
        in.width = width;
        Asker a;
        compute(in, a.question());
        return a.asked.size();
    };
    for (double bound : {0.1, 10.0}) {
        // lo: the widest strip below the bound (0.1: at or below); hi: the next double up.
        double lo = 1e-7, hi = 0.02;
        while (std::nextafter(lo, hi) < hi) {
            const double mid = lo + 0.5 * (hi - lo);
            if (mid == lo || mid == hi) break;
            ((bound < 1 ? ratio(mid) <= bound : ratio(mid) < bound) ? lo : hi) = mid;
        }
        EXPECT_EQ(asked(lo), bound < 1 ? 1u : 0u) << "below " << bound << ", W'/h " << ratio(lo);
        EXPECT_EQ(asked(hi), bound < 1 ? 0u : 1u) << "above " << bound << ", W'/h " << ratio(hi);
    }
}

// A zero strip is computed as 1 nm: finite results, conductor loss larger than with 8 um.
TEST(WenlockCore, ZeroThicknessIsComputedAsOneNanometre) {
    Inputs in = defaults();
    in.thickness = 0;
    Asker a;
    auto r = compute(in, a.question());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->t, 1e-9);
    EXPECT_FALSE(nonFinite(*r));
    EXPECT_NEAR(r->wEff, in.width, 1e-8);
    auto thick = compute(defaults(), a.question());
    EXPECT_GT(r->alphaC, thick->alphaC);
    const std::string text = modelText(in, *r).str();
    EXPECT_NE(text.find("* Conductor thickness \t\t\t\t= 0.000e+000 mm \r\n"), std::string::npos);
}

// er exactly 1 accepted at the warning: the dielectric loss is 0/0. The text is refused with a
// message naming G and the permittivity instead of printing nan.
TEST(WenlockCore, PermittivityOfOneIsRefusedByName) {
    Inputs in = defaults();
    in.epsR = 1.0;
    Asker no;
    auto r = compute(in, no.question());
    ASSERT_TRUE(r);
    EXPECT_TRUE(std::isnan(r->g));
    auto message = nonFinite(*r);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->rfind("G cannot be computed", 0), 0u) << *message;
    EXPECT_NE(message->find("相对介电常数"), std::string::npos);
    // Just above 1 everything is finite.
    in.epsR = 1.0001;
    r = compute(in, no.question());
    EXPECT_FALSE(nonFinite(*r));
}

} // namespace
