// The default SCR card in ngspice. Six devices with loads around the holding current are fired by one
// gate pulse: those carrying more than IH stay on after the pulse, those carrying less turn off. Then
// the on-state voltage at the curve's currents and at IFR, simulated against entered.
#include "core.h"

#include "makertest/plugin.h"
#include "platform/format.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace quarrin;

namespace {

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Quarrin");
    return p;
}

std::string number(double v) {
    return korvane::format("%.6g", v);
}

class QuarrinSpice : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
        ASSERT_TRUE(plugin().loaded()) << plugin().error();
        const auto o = plugin().run({});
        ASSERT_EQ(o.result, 1);
        text_ = o.text;
    }
    std::string text_;
};

constexpr double kHolding = 0.035, kSupply = 10;

TEST_F(QuarrinSpice, LatchesAboveTheHoldingCurrentAndTurnsOffBelowIt) {
    // Load currents as multiples of IH (the on-state voltage, about 0.8 V, taken off the supply).
    const std::vector<double> multiples{0.5, 0.8, 0.9, 1.1, 1.25, 2.0};
    std::string elements = "VS s 0 DC " + number(kSupply) + "\nVG gs 0 PULSE(0 5 20u 0.1u 0.1u 20u 1)\n";
    std::vector<std::string> commands{"tran 0.1u 200u uic"};
    for (size_t i = 0; i < multiples.size(); ++i) {
        const std::string k = std::to_string(i);
        const double load = (kSupply - 0.8) / (multiples[i] * kHolding);
        elements += "VM" + k + " s m" + k + " DC 0\nRL" + k + " m" + k + " a" + k + " " + number(load) +
                    "\nRG" + k + " gs g" + k + " 100\nX" + k + " a" + k + " 0 g" + k + " " + kModelName +
                    "\n";
        commands.push_back("meas tran before" + k + " find i(vm" + k + ") at=10u");
        commands.push_back("meas tran during" + k + " find i(vm" + k + ") at=35u");
        commands.push_back("meas tran after" + k + " find i(vm" + k + ") at=190u");
    }
    const auto r = spicecheck::run(spicecheck::circuit(text_, elements, commands));
    ASSERT_TRUE(r.started);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(r.errors.empty()) << r.output;

    std::printf("holding current entered %.1f mA; anode current before, during and 150 us after the gate "
                "pulse:\n",
                kHolding * 1e3);
    double below = 0, above = 1;
    for (size_t i = 0; i < multiples.size(); ++i) {
        const std::string k = std::to_string(i);
        ASSERT_TRUE(r.values.count("before" + k) && r.values.count("during" + k) &&
                    r.values.count("after" + k))
            << r.output;
        const double before = r.values.at("before" + k), during = r.values.at("during" + k),
                     after = r.values.at("after" + k);
        const bool latched = after > 0.5 * during;
        std::printf("  load %.2f IH: %9.3e A %9.3e A %9.3e A  %s\n", multiples[i], before, during, after,
                    latched ? "latched" : "off");
        EXPECT_LT(before, 1e-4) << "device " << i << " conducts before the gate pulse";
        EXPECT_GT(during, 0.8 * multiples[i] * kHolding) << "device " << i << " does not fire";
        EXPECT_EQ(latched, multiples[i] > 1) << "device " << i;
        if (latched) {
            above = std::min(above, during);
        } else {
            EXPECT_LT(after, 1e-4) << "device " << i;
            below = std::max(below, during);
        }
    }
    std::printf("simulated holding current between %.1f mA and %.1f mA, entered %.1f mA\n", below * 1e3,
                above * 1e3, kHolding * 1e3);
}

TEST_F(QuarrinSpice, OnStateVoltageFollowsTheForwardCurve) {
    Inputs in;
    in.if1 = 0.1, in.vf1 = 0.87, in.if2 = 3, in.vf2 = 1, in.if3 = 100, in.vf3 = 2.54;
    in.ifr = 25, in.igt = 0.025, in.ih = kHolding;
    const Parameters p = compute(in);
    // The card's forward diode at ngspice's 27 °C; the fit passes the curve's first two points without
    // the series resistance, so it lies a little above them.
    auto diode = [&p](double amps) { return p.n * 0.025865 * std::log(amps / p.is) + amps * p.rs; };
    struct Point {
        const char* name;
        double amps, entered;
    };
    const std::vector<Point> points{
        {"IF1", in.if1, in.vf1}, {"IF2", in.if2, in.vf2}, {"IF3", in.if3, in.vf3}, {"IFR", in.ifr, 0}};

    // Current forced into the anode; the gate held low through a resistor.
    const std::string elements = std::string("IA 0 a DC 1\nRG g 0 1k\nX1 a 0 g ") + kModelName + "\n";
    std::vector<std::string> commands;
    for (size_t i = 0; i < points.size(); ++i) {
        commands.push_back("alter IA dc = " + number(points[i].amps));
        commands.push_back("op");
        commands.push_back("let von" + std::to_string(i) + " = v(a)");
        commands.push_back("print von" + std::to_string(i));
    }
    const auto r = spicecheck::run(spicecheck::circuit(text_, elements, commands));
    ASSERT_TRUE(r.started);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(r.errors.empty()) << r.output;
    std::printf("on-state voltage: current, simulated, entered on the curve, the card's forward diode\n");
    for (size_t i = 0; i < points.size(); ++i) {
        const auto it = r.values.find("von" + std::to_string(i));
        ASSERT_NE(it, r.values.end()) << r.output;
        const Point& pt = points[i];
        const std::string entered = pt.entered > 0 ? korvane::format("%7.4f V", pt.entered) : "      -  ";
        std::printf("  %-4s %8.3f A  %7.4f V  %s  %7.4f V\n", pt.name, pt.amps, it->second, entered.c_str(),
                    diode(pt.amps));
        EXPECT_NEAR(it->second, diode(pt.amps), 0.02 * diode(pt.amps)) << pt.name;
        if (pt.entered > 0) {
            EXPECT_NEAR(it->second, pt.entered, 0.1 * pt.entered) << pt.name;
        }
    }
}

} // namespace
