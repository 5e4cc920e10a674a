// The built plug-in as the host runs it: the distribution combo, the hidden rows, the time-range
// guard, the sample lines, and the lines as a noise source in ngspice.
#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const makertest::Plugin& fenwary() {
    static makertest::Plugin p("Fenwary");
    return p;
}

struct Sample {
    double t, v;
};
std::vector<Sample> samples(const std::string& text) {
    std::vector<Sample> out;
    for (const auto& line : makertest::crlfLines(text)) {
        Sample s{};
        EXPECT_EQ(std::sscanf(line.c_str(), " %lf %lf", &s.t, &s.v), 2) << line;
        out.push_back(s);
    }
    return out;
}

class FenwaryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(fenwary().loaded()) << fenwary().error(); }
    makertest::PinnedDate date;

    // Runs the steps and lets `check` see the dialog after the last of them.
    makertest::Outcome run(std::vector<std::string> steps, std::function<void(CModalWindow&)> check) {
        const size_t last = steps.size();
        steps.emplace_back("cancel");
        size_t n = 0;
        return fenwary().run(steps, "", [&](CModalWindow& w, const ScriptStep&) {
            if (++n == last) check(w);
        });
    }
};

TEST_F(FenwaryTest, DefaultsGiveFiftyLinesFromZeroToHalfAMillisecond) {
    auto o = fenwary().run({});
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    ASSERT_EQ(o.text.front(), ' ');
    ASSERT_EQ(o.text.substr(o.text.size() - 2), "\r\n");
    const auto s = samples(o.text);
    ASSERT_EQ(s.size(), 50u);
    EXPECT_EQ(o.text.substr(0, 12), " 0.000e+000 ");
    EXPECT_EQ(makertest::crlfLines(o.text).back().substr(0, 12), " 5.000e-004 ");
    for (size_t i = 1; i < s.size(); ++i)
        EXPECT_NEAR(s[i].t - s[i - 1].t, 0.5e-3 / 49, 1.1e-7); // times print with four digits
    // A normal draw of mean 100 and deviation 24 times 2e-10: within six deviations.
    for (const auto& x : s)
        EXPECT_TRUE(x.v > (100 - 6 * 24) * 2e-10 && x.v < (100 + 6 * 24) * 2e-10) << x.v;
}

TEST_F(FenwaryTest, TwoResultsBuiltInTheSameSecondDiffer) {
    const std::string a = fenwary().run({}).text;
    const std::string b = fenwary().run({}).text;
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
}

struct DistributionCase {
    int selector;
    const char* label1;
    const char* label2; // "" when the row is hidden
    double p1, p2;
    int digits1;
};

class FenwaryDistribution : public FenwaryTest, public ::testing::WithParamInterface<DistributionCase> {};

TEST_P(FenwaryDistribution, ChoosingOneResetsItsParametersAndShowsItsRows) {
    const DistributionCase& c = GetParam();
    // Typed values first: the choice resets the parameters but keeps the sample count.
    run({"set 9201=7", "set 9202=3", "set 9205=80", "select 9930=" + std::to_string(c.selector)},
        [&](CModalWindow& w) {
            EXPECT_EQ(makertest::item(w, 0, 9221)->GetWindowText(), CString(c.label1));
            EXPECT_EQ(makertest::item(w, 0, 9222)->GetWindowText(), CString(c.label2));
            const bool second = *c.label2 != '\0';
            EXPECT_EQ(makertest::item(w, 0, 9202)->IsWindowVisible(), second);
            EXPECT_EQ(makertest::item(w, 0, 9222)->IsWindowVisible(), second);
            EXPECT_DOUBLE_EQ(makertest::box(w, 0, 9201).GetValue(), c.p1);
            if (second) {
                EXPECT_DOUBLE_EQ(makertest::box(w, 0, 9202).GetValue(), c.p2);
            }
            EXPECT_EQ(makertest::box(w, 0, 9201).m_nDigits, c.digits1);
            EXPECT_DOUBLE_EQ(makertest::box(w, 0, 9205).GetValue(), 80);
        });
}

INSTANTIATE_TEST_SUITE_P(Fenwary, FenwaryDistribution,
                         ::testing::Values(DistributionCase{0, "平均值", "标准偏差", 100, 24, 3},
                                           DistributionCase{1, "平均值", "", 100, 0, 3},
                                           DistributionCase{2, "上限", "", 100, 0, 0},
                                           DistributionCase{3, "上限", "", 100, 0, 0},
                                           DistributionCase{4, "上限", "下限", 100, 1, 3}));

TEST_F(FenwaryTest, StopNeverStaysBelowStart) {
    struct Case {
        std::vector<std::string> steps;
        double start, stop;
    } cases[] = {
        {{"set 9203=1m"}, 1e-3, 1e-3},                        // start above stop pulls stop up
        {{"set 9203=0.3m", "set 9204=0.2m"}, 0.2e-3, 0.2e-3}, // stop below start pulls start down
        {{"set 9203=0.1m", "set 9204=0.4m"}, 0.1e-3, 0.4e-3}, // a range in order stays
    };
    for (const auto& c : cases)
        run(c.steps, [&](CModalWindow& w) {
            EXPECT_DOUBLE_EQ(makertest::box(w, 0, 9203).GetValue(), c.start) << c.steps.back();
            EXPECT_DOUBLE_EQ(makertest::box(w, 0, 9204).GetValue(), c.stop) << c.steps.back();
        });
}

TEST_F(FenwaryTest, HelpHasContextZero) {
    auto o = fenwary().run({"help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 1u);
    EXPECT_EQ(o.helps[0].module, "Fenwary");
    EXPECT_EQ(o.helps[0].context, 0u);
}

// The lines as a piecewise-linear source: its mean and RMS against the distribution's. Between two
// independent samples the source is a straight line, whose mean square is (a² + ab + b²)/3: the
// waveform's RMS is sqrt(mean² + 2σ²/3), below the samples' own sqrt(mean² + σ²).
TEST_F(FenwaryTest, LinesDriveAPiecewiseLinearSourceInNgspice) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    struct Case {
        const char* name;
        std::vector<std::string> steps;
        double mean, variance;
    } cases[] = {
        {"normal 100/24", {}, 100, 24.0 * 24},
        {"uniform real 1..100", {"select 9930=4"}, 50.5, 99.0 * 99 / 12},
    };
    for (auto& c : cases) {
        c.steps.insert(c.steps.end(), {"set 9205=10000", "set 9206=1"});
        auto o = fenwary().run(c.steps);
        ASSERT_EQ(o.result, 1);
        std::string source = "Vn n 0 PWL(\n";
        for (const auto& line : makertest::crlfLines(o.text))
            source += "+" + line + "\n";
        source += "+ )\nR1 n 0 1k";
        auto r =
            spicecheck::run(spicecheck::circuit("", source,
                                                {"tran 50n 0.5m", "meas tran vavg AVG v(n) from=0 to=0.5m",
                                                 "meas tran vrms RMS v(n) from=0 to=0.5m"}));
        ASSERT_TRUE(r.started);
        ASSERT_TRUE(r.errors.empty()) << r.output;
        ASSERT_TRUE(r.values.count("vavg") && r.values.count("vrms")) << r.output;
        const double waveformRms = std::sqrt(c.mean * c.mean + 2 * c.variance / 3);
        std::printf("%s, N = 10000: mean %.3f (distribution %.3f), rms %.3f (waveform %.3f, samples %.3f)\n",
                    c.name, r.values["vavg"], c.mean, r.values["vrms"], waveformRms,
                    std::sqrt(c.mean * c.mean + c.variance));
        EXPECT_NEAR(r.values["vavg"], c.mean, 0.02 * c.mean);
        EXPECT_NEAR(r.values["vrms"], waveformRms, 0.02 * waveformRms);
    }
}

} // namespace
