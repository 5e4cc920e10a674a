// The default N- and P-channel cards in ngspice: each loads in a small circuit and a drain sweep runs.
// The simulated drain current at each saturation point of the output curves is printed beside the
// entered one, as a figure of how well the extraction fits (not checked: level-1 fits are rough).
#include "makertest/plugin.h"
#include "platform/format.h"
#include "presets.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace brannock;

namespace {

const makertest::Plugin& brannockPlugin() {
    static makertest::Plugin p("Brannock");
    return p;
}

std::string number(double v) { return korvane::format("%.6g", v); }

class BrannockSpice : public ::testing::TestWithParam<int> {};

TEST_P(BrannockSpice, DefaultCardLoadsAndSweeps) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    ASSERT_TRUE(brannockPlugin().loaded()) << brannockPlugin().error();
    const int polarity = GetParam();
    const auto o = brannockPlugin().run(polarity == kPmos ? std::vector<std::string>{"select 1:1264=1"}
                                                          : std::vector<std::string>{});
    ASSERT_EQ(o.result, 1);
    ASSERT_TRUE(o.boxes.empty());

    const auto& g = kGeneralPresets[static_cast<size_t>(polarity)];
    const double sign = polarity == kPmos ? -1 : 1;
    // Source and bulk grounded; the drain swept at the highest gate voltage of the output curves.
    const std::string elements = std::string("VD d 0 DC 0\nVG g 0 DC ") + number(g[14]) + "\nM1 d g 0 0 " +
                                 kPresetNames[polarity] + "\n";
    std::vector<std::string> commands{"dc VD 0 " + number(10 * sign) + " " + number(0.1 * sign),
                                      "print i(vd)"};
    // The six saturation points: (Vgs, Ids, Vds) of each curve's lower and higher Vds.
    struct Point {
        double vgs, ids, vds;
    };
    std::vector<Point> points;
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 2; ++j)
            points.push_back({g[4 + 5 * i], g[5 + 5 * i + 2 * j], g[6 + 5 * i + 2 * j]});
    for (size_t n = 0; n < points.size(); ++n) {
        commands.push_back("alter VG dc = " + number(points[n].vgs));
        commands.push_back("alter VD dc = " + number(points[n].vds));
        commands.push_back("op");
        commands.push_back("let id" + std::to_string(n) + " = -i(vd)");
        commands.push_back("print id" + std::to_string(n));
    }

    const auto r = spicecheck::run(spicecheck::circuit(o.text, elements, commands));
    ASSERT_TRUE(r.started);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(r.errors.empty()) << r.output;

    const auto sweep = spicecheck::column(r.output, "i(vd)");
    ASSERT_EQ(sweep.size(), 101u) << r.output;
    // Drain current flows into the drain for N-channel and out of it for P-channel, and it grows
    // with the drain voltage's magnitude.
    for (double v : sweep)
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_GT(-sign * sweep.back(), 0.0);
    EXPECT_GT(-sign * sweep.back(), -sign * sweep[10]);

    std::printf("%s saturation points: Vgs, Vds, entered Ids, simulated Ids\n", kChannelNames[polarity]);
    for (size_t n = 0; n < points.size(); ++n) {
        const auto it = r.values.find("id" + std::to_string(n));
        ASSERT_NE(it, r.values.end()) << r.output;
        EXPECT_TRUE(std::isfinite(it->second));
        std::printf("  %7.3f V %7.3f V  %11.4e A  %11.4e A\n", points[n].vgs, points[n].vds, points[n].ids,
                    it->second);
    }
}

INSTANTIATE_TEST_SUITE_P(Each, BrannockSpice, ::testing::Values(kNmos, kPmos),
                         [](const auto& p) { return std::string(kChannelNames[p.param]); });

} // namespace
