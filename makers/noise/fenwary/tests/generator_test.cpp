// The generator and the sample lines, without the dialog.
#include "core.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace fenwary;

struct Sample {
    double t, v;
};

std::vector<Sample> parse(const CString& text) {
    std::vector<Sample> out;
    std::istringstream in(text.str());
    std::string line;
    while (std::getline(in, line)) {
        Sample s{};
        if (std::sscanf(line.c_str(), " %lf %lf", &s.t, &s.v) == 2) out.push_back(s);
    }
    return out;
}

TEST(Generator, FollowsTheMinimalStandardSequence) {
    Generator g = Generator::raw(1);
    for (int i = 0; i < 10000; ++i)
        g.uniform();
    EXPECT_EQ(g.seed(), 1043618065);
    // The first steps from 1: 16807, then 16807².
    Generator h = Generator::raw(1);
    h.uniform();
    EXPECT_EQ(h.seed(), 16807);
    h.uniform();
    EXPECT_EQ(h.seed(), 282475249);
}

TEST(Generator, SeedingDiscardsTenDrawsAndAStuckSeedStartsFromOne) {
    Generator seeded(12345);
    Generator raw = Generator::raw(12345);
    for (int i = 0; i < 10; ++i)
        raw.uniform();
    EXPECT_EQ(seeded.seed(), raw.seed());

    for (std::int32_t stuck : {0, 2147483647, -2147483647}) {
        Generator g(stuck);
        EXPECT_EQ(g.seed(), Generator(1).seed()) << stuck;
        EXPECT_GT(g.uniform(), 0.0);
        EXPECT_TRUE(std::isfinite(g.draw(kNormal, 100, 24))) << "the polar method ends";
    }
    // Negative seeds (a clock past 2038 wraps) still give draws in (0, 1).
    Generator negative(-5);
    for (int i = 0; i < 1000; ++i) {
        const double u = negative.uniform();
        ASSERT_TRUE(u > 0 && u < 1) << u;
    }
}

TEST(Generator, SeedsOfOneSecondDifferBySeventeenPerBuild) {
    const std::int32_t a = nextSeed(1765152000);
    const std::int32_t b = nextSeed(1765152000);
    EXPECT_EQ(b - a, 17);
    EXPECT_GE(a - 1765152000, 17);
    EXPECT_EQ((a - 1765152000) % 17, 0);
}

struct RangeCase {
    int distribution;
    double p1, p2, low, high, mean, rms;
};

class Distributions : public ::testing::TestWithParam<RangeCase> {};

TEST_P(Distributions, DrawsStayInTheirRangeWithTheirMoments) {
    const RangeCase& c = GetParam();
    Generator g(987654);
    const int n = 10000;
    double sum = 0, sumSq = 0;
    for (int i = 0; i < n; ++i) {
        const double x = g.draw(c.distribution, c.p1, c.p2);
        ASSERT_GE(x, c.low);
        ASSERT_LE(x, c.high);
        if (c.distribution == kUniformInt || c.distribution == kUniformLong) {
            ASSERT_EQ(x, std::trunc(x));
        }
        sum += x;
        sumSq += x * x;
    }
    const double mean = sum / n, rms = std::sqrt(sumSq / n);
    std::printf("distribution %d: mean %.3f (expected %.3f), rms %.3f (expected %.3f)\n", c.distribution,
                mean, c.mean, rms, c.rms);
    EXPECT_NEAR(mean, c.mean, 0.03 * c.mean);
    EXPECT_NEAR(rms, c.rms, 0.03 * c.rms);
}

INSTANTIATE_TEST_SUITE_P(
    Fenwary, Distributions,
    ::testing::Values(
        // Normal 100 ± 24: rms = sqrt(100² + 24²).
        RangeCase{kNormal, 100, 24, 100 - 24 * 6, 100 + 24 * 6, 100, std::sqrt(100.0 * 100 + 24 * 24)},
        // Exponential of mean 100: rms = sqrt(2) × 100.
        RangeCase{kExponential, 100, 0, 0, 100 * 20, 100, std::sqrt(2.0) * 100},
        // Uniform integers 0 … 99: mean 49.5, mean square (99·199)/6.
        RangeCase{kUniformInt, 100.7, 0, 0, 99, 49.5, std::sqrt(99.0 * 199 / 6)},
        RangeCase{kUniformLong, 100, 0, 0, 99, 49.5, std::sqrt(99.0 * 199 / 6)},
        // Uniform real between 1 and 100.
        RangeCase{kUniformReal, 100, 1, 1, 100, 50.5, std::sqrt((100.0 * 100 * 100 - 1) / (3 * 99))}));

TEST(SampleText, TimesRunFromStartToStopAndEveryLineDrawsAfresh) {
    Inputs in{.p1 = 100, .p2 = 24, .tStart = 1e-3, .tStop = 2e-3, .samples = 5, .rms = 2e-10};
    Generator g(4242);
    const CString text = sampleText(in, g);
    ASSERT_EQ(text.str().front(), ' ');
    const auto s = parse(text);
    ASSERT_EQ(s.size(), 5u);
    const double times[5] = {1e-3, 1.25e-3, 1.5e-3, 1.75e-3, 2e-3};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(s[i].t, times[i], 1e-9) << i;
    // The first line carries exactly the single draw of a fresh generator from the same seed.
    Generator first(4242);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%8.3e", first.draw(kNormal, 100, 24) * 2e-10);
    EXPECT_NEAR(s[0].v, std::strtod(expected, nullptr), 1e-15);
    EXPECT_NE(s[0].v, s[1].v);
    EXPECT_NE(s[1].v, s[2].v);

    // Equal start and stop times: every line at that time.
    in.tStop = in.tStart;
    Generator h(1);
    for (const auto& line : parse(sampleText(in, h)))
        EXPECT_NEAR(line.t, 1e-3, 1e-12);
}

} // namespace
