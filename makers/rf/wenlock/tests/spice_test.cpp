// The default microstrip model in ngspice: a pulse into the line between matched resistances. The
// delay is printed beside l*sqrt(eps_eff)/c. ngspice's lossy line does not take a nonzero G with R, so
// the card as written is shown to be refused for that reason, and a copy with G = 0 is simulated.
#include "makertest/plugin.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

std::string withoutG(std::string text) {
    const auto at = text.find("G=");
    const auto end = text.find(')', at);
    return text.replace(at, end - at, "G=0");
}

TEST(WenlockSpice, MatchedLineDelaysThePulse) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    makertest::Plugin plugin("Wenlock");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    const auto o = plugin.run({});
    ASSERT_EQ(o.result, 1);
    const std::string elements = "Vin in 0 PULSE(0 1 0 10p 10p 1n 10n)\nRs in a 50.44\n"
                                 "X1 a b generic_microstrip_line\nRl b 0 50.44\n";
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
    // The card's L and C carry eps_eff = er = 9.8 (see the formula library's dispersion note).
    const double expected = 0.02 * std::sqrt(9.8) / 3e8;
    std::printf("Wenlock default line: simulated delay %.4g s, l*sqrt(eps_eff)/c %.4g s\n", td->second,
                expected);
    EXPECT_NEAR(td->second, expected, 0.05 * expected);
}

} // namespace
