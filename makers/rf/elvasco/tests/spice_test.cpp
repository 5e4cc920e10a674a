// The default bend in ngspice. As written its arms carry a nonzero G with R, which ngspice's lossy
// line refuses; with G = 0 an AC run at 10 GHz between matched resistances gives the bend's
// transmission, printed beside the one worked out from the T of La, Cb, La.
#include "makertest/plugin.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <complex>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string withoutG(std::string text) {
    const auto at = text.find("G=");
    return text.replace(at, text.find(')', at) - at, "G=0");
}

double valueAfter(const std::string& text, const std::string& key) {
    return std::strtod(text.c_str() + text.find(key) + key.size(), nullptr);
}

TEST(ElvascoSpice, BendTransmissionMatchesItsT) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    makertest::Plugin plugin("Elvasco");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    const auto o = plugin.run({});
    ASSERT_EQ(o.result, 1);
    const double z0 = 14.59752; // the default strip's impedance
    const std::string elements = "Vin in 0 DC 0 AC 1\nRs in a 14.59752\nX1 a b generic_stripline_bend\n"
                                 "Rl b 0 14.59752\n";
    const std::vector<std::string> commands{"ac lin 1 10e9 10e9", "print vm(b)"};

    const auto refused = spicecheck::run(spicecheck::circuit(o.text, elements, commands));
    ASSERT_TRUE(refused.started);
    EXPECT_NE(refused.output.find("Nonzero G (except RG) line not supported yet"), std::string::npos)
        << refused.output;

    const auto r = spicecheck::run(spicecheck::circuit(withoutG(o.text), elements, commands));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(r.errors.empty()) << r.output;
    const auto vm = r.values.find("vm(b)");
    ASSERT_NE(vm, r.values.end()) << r.output;

    // The arms are a few tens of micrometres: the T alone, loaded by Z0 and fed through Z0.
    const double la = valueAfter(o.text, "La1 n1 n3 "), cb = valueAfter(o.text, "Cb n3 0 ");
    const double w = 2 * M_PI * 10e9;
    const std::complex<double> j(0, 1), zl = j * w * la, zc = 1.0 / (j * w * cb);
    const auto branch = zl + z0;
    const auto shunt = branch * zc / (branch + zc);
    const auto zin = zl + shunt;
    const auto out = zin / (zin + z0) * (shunt / zin) * (z0 / branch);
    std::printf("Elvasco default bend at 10 GHz: simulated |v(b)| %.4f, from the T %.4f (matched line 0.5)\n",
                vm->second, std::abs(out));
    EXPECT_NEAR(vm->second, std::abs(out), 0.01 * std::abs(out));
}

// A 0-degree bend has no reference-plane offset: both arms are LTRA lines of length 0. ngspice runs
// the AC analysis (|v(b)| is then the T's alone) but its transient cannot step over a zero delay.
TEST(ElvascoSpice, ZeroAngleArmsRunInAcButNotInTransient) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    makertest::Plugin plugin("Elvasco");
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    const auto o = plugin.run({"set 2:9222=0"});
    ASSERT_EQ(o.result, 1);
    ASSERT_NE(o.text.find("+ (LEN=0.000e+000 "), std::string::npos);
    const std::string elements = "Vin in 0 PULSE(0 1 0 10p 10p 1n 10n) AC 1\nRs in a 14.59752\n"
                                 "X1 a b generic_stripline_bend\nRl b 0 14.59752\n";
    const auto ac =
        spicecheck::run(spicecheck::circuit(withoutG(o.text), elements, {"ac lin 1 1e9 1e9", "print vm(b)"}));
    ASSERT_NE(ac.values.find("vm(b)"), ac.values.end()) << ac.output;
    EXPECT_NEAR(ac.values.at("vm(b)"), 0.5, 0.01);
    const auto tran = spicecheck::run(spicecheck::circuit(withoutG(o.text), elements, {"tran 1p 100p"}));
    EXPECT_NE(tran.output.find("Timestep too small"), std::string::npos) << tran.output;
}

} // namespace
