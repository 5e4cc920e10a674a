// The default op-amp sub-circuit in ngspice: each input stage as a unity-gain follower (gain at 1 kHz
// and output offset), the open-loop gain against Avd, and the slew rate of a follower's step response
// against SR+ and SR-. Simulated figures are printed beside the entered ones.
#include "makertest/plugin.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Tessaly");
    return p;
}

// Supplies of ±15 V; X1's pins: inverting, non-inverting, positive supply, negative supply, output.
const std::string kSupplies = "VCC vcc 0 DC 15\nVEE vee 0 DC -15\n";

class TessalySpice : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
        ASSERT_TRUE(plugin().loaded()) << plugin().error();
    }
    static std::string text(const std::vector<std::string>& steps = {}) {
        const auto o = plugin().run(steps);
        EXPECT_EQ(o.result, 1);
        return o.text;
    }
    static spicecheck::Run simulate(const std::string& model, const std::string& elements,
                                    const std::vector<std::string>& commands) {
        auto r = spicecheck::run(spicecheck::circuit(model, elements, commands));
        EXPECT_TRUE(r.started);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_TRUE(r.errors.empty()) << r.output;
        return r;
    }
    static double value(const spicecheck::Run& r, const std::string& name) {
        const auto it = r.values.find(name);
        EXPECT_NE(it, r.values.end()) << name << " not printed:\n" << r.output;
        return it == r.values.end() ? NAN : it->second;
    }
};

class TessalyFollower : public TessalySpice, public ::testing::WithParamInterface<int> {};

TEST_P(TessalyFollower, HasUnityGainAtOneKilohertz) {
    const int stage = GetParam();
    const std::string model = text({"select 1:505=" + std::to_string(stage)});
    const auto r = simulate(model, kSupplies + "VIN in 0 DC 0 AC 1\nX1 out in vcc vee out generic_uA741\n",
                            {"op", "print v(out)", "ac dec 10 100 10k", "meas ac gain find vdb(out) at=1k"});
    const double gain = value(r, "gain"), offset = value(r, "v(out)");
    const char* names[] = {"don't care", "NPN", "PNP"};
    std::printf("follower, input stage %s: gain at 1 kHz %.4f dB (expected 0 dB), output offset %.3f mV "
                "(entered input offset 1 mV)\n",
                names[stage], gain, offset * 1e3);
    EXPECT_NEAR(gain, 0, 0.05);
    EXPECT_NEAR(std::fabs(offset), 1e-3, 0.1e-3);
}

INSTANTIATE_TEST_SUITE_P(EachInputStage, TessalyFollower, ::testing::Values(0, 1, 2));

TEST_F(TessalySpice, DontCareStageWithoutTheTieToTheInputIsSingular) {
    // Why the "don't care" stage carries v4: without it node 4 meets only a current source and the
    // controlling inputs of g4 and g5, and the operating point cannot be found.
    std::string model = text();
    const std::string tie = "v4 4 5 dc 0\r\n";
    const size_t at = model.find(tie);
    ASSERT_NE(at, std::string::npos);
    model.erase(at, tie.size());
    const auto r = spicecheck::run(spicecheck::circuit(
        model, kSupplies + "VIN in 0 DC 0\nX1 out in vcc vee out generic_uA741\n", {"op", "print v(out)"}));
    ASSERT_TRUE(r.started);
    EXPECT_NE(r.output.find("singular matrix:  check node x1.4"), std::string::npos) << r.output;
    EXPECT_EQ(r.values.count("v(out)"), 0u) << r.output;
}

TEST_F(TessalySpice, OpenLoopGainIsAvd) {
    // The loop is closed for the bias point only: a huge inductor from the output to the inverting input
    // and a huge capacitor from there to ground open it for any signal.
    const auto r = simulate(text(),
                            kSupplies + "VIN in 0 DC 0 AC 1\nX1 inv in vcc vee out generic_uA741\n"
                                        "LF out inv 1e9\nCF inv 0 1e9\n",
                            {"ac dec 10 0.001 10", "meas ac gain find vdb(out) at=0.01"});
    const double gain = value(r, "gain");
    std::printf("open-loop gain at 0.01 Hz: %.3f dB, entered Avd 106 dB\n", gain);
    EXPECT_NEAR(gain, 106, 106 * 0.05);
}

// A follower's output stepping from −5 V to +5 V and back.
const std::string kStep = kSupplies + "VIN in 0 PULSE(-5 5 5u 1n 1n 40u 80u)\n"
                                      "X1 out in vcc vee out generic_uA741\n";
const std::vector<std::string> kStepCommands{
    "tran 0.02u 80u", "meas tran up1 when v(out)=-3 rise=1", "meas tran up2 when v(out)=3 rise=1",
    "meas tran down1 when v(out)=3 fall=1", "meas tran down2 when v(out)=-3 fall=1"};

TEST_F(TessalySpice, FollowerSlewsAtTheEnteredRates) {
    // The slew and current limits switch through diodes with N = 0.001, sharper than ngspice's default
    // relative tolerance can follow through a step (see the next test); 1 % is enough.
    auto commands = kStepCommands;
    commands.insert(commands.begin(), "option reltol=0.01");
    const auto r = simulate(text(), kStep, commands);
    const double rising = 6 / (value(r, "up2") - value(r, "up1")) * 1e-6;
    const double falling = 6 / (value(r, "down2") - value(r, "down1")) * 1e-6;
    std::printf("follower step: rising slew %.4f V/us (entered SR+ 0.5 V/us), falling slew %.4f V/us "
                "(entered SR- 0.5 V/us)\n",
                rising, falling);
    EXPECT_NEAR(rising, 0.5, 0.5 * 0.05);
    EXPECT_NEAR(falling, 0.5, 0.5 * 0.05);
}

TEST_F(TessalySpice, StepAtTheDefaultToleranceIsRefusedByNgspice) {
    // Recorded rather than hidden: with reltol 0.001 the transient stops at the step edge. Should this
    // start to pass, the tolerance above can go.
    const auto r = spicecheck::run(spicecheck::circuit(text(), kStep, kStepCommands));
    ASSERT_TRUE(r.started);
    EXPECT_NE(r.output.find("Timestep too small"), std::string::npos) << r.output;
    EXPECT_EQ(r.values.count("up2"), 0u);
}

} // namespace
