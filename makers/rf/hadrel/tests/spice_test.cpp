// The default strip line in ngspice: refused as written (nonzero G with R), and with G = 0 a pulse
// through the matched line, its delay printed beside l*sqrt(er)/c.
#include "makertest/plugin.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

std::string withoutG(std::string text) {
    const auto at = text.find("G=");
    return text.replace(at, text.find(')', at) - at, "G=0");
}

TEST(HadrelSpice, MatchedLineDelaysThePulse) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    makertest::Plugin plugin("Hadrel");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    const auto o = plugin.run({});
    ASSERT_EQ(o.result, 1);
    const std::string elements = "Vin in 0 PULSE(0 1 0 10p 10p 1n 10n)\nRs in a 32.33\n"
                                 "X1 a b generic_strip_line\nRl b 0 32.33\n";
    const std::vector<std::string> commands{
        "tran 1p 1n", "meas tran td trig v(a) val=0.25 rise=1 targ v(b) val=0.25 rise=1", "print td"};

    const auto refused = spicecheck::run(spicecheck::circuit(o.text, elements, commands));
    ASSERT_TRUE(refused.started);
    EXPECT_NE(refused.output.find("Nonzero G (except RG) line not supported yet"), std::string::npos)
        << refused.output;

    const auto r = spicecheck::run(spicecheck::circuit(withoutG(o.text), elements, commands));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(r.errors.empty()) << r.output;
    const auto td = r.values.find("td");
    ASSERT_NE(td, r.values.end()) << r.output;
    const double expected = 0.03 * std::sqrt(9.8) / 3e8;
    std::printf("Hadrel default line: simulated delay %.4g s, l*sqrt(er)/c %.4g s\n", td->second, expected);
    EXPECT_NEAR(td->second, expected, 0.05 * expected);
}

} // namespace
