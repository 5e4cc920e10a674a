// Orsolan: the spiral's worked values, entered and estimated capacitances and the diameter refusal in
// the core; the sheet through the built plug-in; the default sub-circuit in ngspice.
#include "core.h"

#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using orsolan::Inputs;

Inputs defaults() {
    return {12.9, 200e9, 1.22e-8, 0, 0, 0, 0.005, 0.002, 0.0003, 0.0006, 0.0002};
}

// ---------------------------------------------------------------- core

TEST(OrsolanCore, DefaultsGiveTheWorkedValues) {
    const auto sp = orsolan::compute(defaults());
    EXPECT_NEAR(sp.meanRadius, 68.9, 0.01);
    EXPECT_NEAR(sp.depth, 59.06, 0.01);
    EXPECT_NEAR(sp.turns, 2.167, 0.001);
    EXPECT_NEAR(sp.nanohenries, 19.42, 0.01);
    EXPECT_NEAR(sp.crowding, 1.289, 0.001);
    EXPECT_NEAR(sp.R, 0.0794, 0.0001);
    EXPECT_NEAR(sp.outerPf, 0.200, 1e-9);
    EXPECT_NEAR(sp.innerPf, 0.125, 1e-9);
    EXPECT_NEAR(sp.betweenPf, 0.235, 1e-9);
}

struct CapacitanceCase {
    const char* name;
    std::function<void(Inputs&)> enter;
    double outerPf, innerPf, betweenPf;
};
class OrsolanCapacitances : public ::testing::TestWithParam<CapacitanceCase> {};

TEST_P(OrsolanCapacitances, AnEnteredValueReplacesOnlyItsOwnEstimate) {
    Inputs in = defaults();
    GetParam().enter(in);
    const auto sp = orsolan::compute(in);
    EXPECT_NEAR(sp.outerPf, GetParam().outerPf, 1e-9);
    EXPECT_NEAR(sp.innerPf, GetParam().innerPf, 1e-9);
    EXPECT_NEAR(sp.betweenPf, GetParam().betweenPf, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Each, OrsolanCapacitances,
    ::testing::Values(
        CapacitanceCase{"OuterEntered", [](Inputs& in) { in.outerShunt = 1e-12; }, 1.0, 0.125, 0.235},
        CapacitanceCase{"InnerEntered", [](Inputs& in) { in.innerShunt = 3.3e-13; }, 0.2, 0.33, 0.235},
        CapacitanceCase{"BetweenEntered", [](Inputs& in) { in.between = 5e-14; }, 0.2, 0.125, 0.05},
        // The estimates follow the outer diameter: 10 mm is 393.7 mil.
        CapacitanceCase{"LargerOuterDiameter", [](Inputs& in) { in.outerDiameter = 0.01; },
                        0.000635 * 393.7007874015748 + 0.075, 0.0003175 * 393.7007874015748 + 0.0625,
                        0.000889 * 393.7007874015748 + 0.06}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(OrsolanCore, ZeroThicknessComputesWithOneTenthOfAMicrometre) {
    Inputs zero = defaults(), thin = defaults();
    zero.thickness = 0;
    thin.thickness = 1e-7; // 0.003937 mil
    EXPECT_NEAR(orsolan::compute(zero).crowding, orsolan::compute(thin).crowding, 1e-12);
    EXPECT_NEAR(orsolan::compute(zero).R, orsolan::compute(thin).R, 1e-15);
    EXPECT_NEAR(orsolan::compute(zero).crowding,
                1.4 + 0.217 * std::log(23.62204724409449 / (5 * 0.003937007874015749)), 1e-9);
}

struct DiameterCase {
    double outer, inner;
    bool refused;
};
class OrsolanDiameters : public ::testing::TestWithParam<DiameterCase> {};

TEST_P(OrsolanDiameters, InnerDiameterMustStayBelowTheOuter) {
    Inputs in = defaults();
    in.outerDiameter = GetParam().outer;
    in.innerDiameter = GetParam().inner;
    EXPECT_EQ(orsolan::refusal(in).has_value(), GetParam().refused);
    if (!GetParam().refused) {
        EXPECT_TRUE(std::isfinite(orsolan::compute(in).nanohenries));
    }
}

INSTANTIATE_TEST_SUITE_P(Each, OrsolanDiameters,
                         ::testing::Values(DiameterCase{0.005, 0.002, false},
                                           DiameterCase{0.005, 0.00499, false},
                                           DiameterCase{0.005, 0.005, true}, DiameterCase{0.005, 0.008, true},
                                           // One rounding below 7 mm: the same number of mils.
                                           DiameterCase{0.007, 0.006999999999999999, true}));

// ---------------------------------------------------------------- the plug-in

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Orsolan");
    return p;
}

class OrsolanSheet : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

const char* const kDefaultText = "***********   Generic rf spiral inductor  *******************\r\n"
                                 "*                                                           *\r\n"
                                 "*             Generic rf spiral inductor                    *\r\n"
                                 "*            Quolvane                                       *\r\n"
                                 "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                                 "*           \t\t\t\t\t\t    *\r\n"
                                 "*                                                           *\r\n"
                                 "*************************************************************\r\n"
                                 "\r\n"
                                 "* Date: Monday, December 08, 2025\r\n"
                                 "* Name of Model Builder: \r\n"
                                 "* Device Name\t generic_RF_Spiral_Inductor \r\n"
                                 "* Outer diameter \t\t\t\t= 5.000e+000 mm\r\n"
                                 "* Inner diameter  \t\t\t\t= 2.000e+000 mm\r\n"
                                 "* Space between conductors \t\t\t= 3.000e-001 mm\r\n"
                                 "* Conductor width  \t\t\t\t= 6.000e-001 mm\r\n"
                                 "* Conductor thickness \t\t\t\t= 2.000e-001 mm\r\n"
                                 "* Relative dielectric constant \t\t\t= 1.290e+001 \r\n"
                                 "* Operating frequency \t\t\t\t= 2.000e+002 GHz\r\n"
                                 "* Resistivity  \t\t\t\t\t= 1.220e+001 nOhm*m\r\n"
                                 "* Shunt capacitance at node 1 (outer node) \t= 0.000e+000 pF\r\n"
                                 "* Shunt capacitance at node 2 (inner node) \t= 0.000e+000 pF\r\n"
                                 "* Total capacitance between nodes \t\t= 0.000e+000 pF\r\n"
                                 ".subckt generic_RF_Spiral_Inductor outer inner\r\n"
                                 "C1 outer 0 2.000e-013\r\n"
                                 "C2 inner 0 1.250e-013\r\n"
                                 "C outer inner 2.350e-013\r\n"
                                 "R outer 3 7.943e-002\r\n"
                                 "L 3 inner 1.942e-008\r\n"
                                 ".ends \r\n";

TEST_F(OrsolanSheet, DefaultsGiveTheWholeText) {
    EXPECT_EQ(plugin().name(), CString("RF Spiral Inductor\nRF"));
    auto o = plugin().run({}, "left over");
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, kDefaultText);
}

TEST_F(OrsolanSheet, OnlyTheCapacitancesAndTheThicknessAcceptZero) {
    bool seen = false;
    plugin().run({"help-button"}, "", [&](CModalWindow& w, const ScriptStep&) {
        seen = true;
        auto& sheet = dynamic_cast<CPropertySheet&>(w);
        EXPECT_EQ(sheet.caption(), CString("射频螺旋电感模型"));
        ASSERT_EQ(sheet.GetPageCount(), 2);
        EXPECT_EQ(sheet.GetPage(0)->title(), CString("电气特性"));
        EXPECT_EQ(sheet.GetPage(1)->title(), CString("导线尺寸"));
        const struct {
            int page, count;
            std::vector<bool> zero;
        } pages[] = {{1, 6, {false, false, false, true, true, true}},
                     {2, 5, {false, false, false, false, true}}};
        for (const auto& p : pages)
            for (int k = 0; k < p.count; ++k) {
                auto& box = makertest::box(w, p.page, 9221 + k);
                const double before = box.GetValue();
                EXPECT_EQ(box.commit("0").accepted, p.zero[static_cast<size_t>(k)]) << p.page << ":" << k;
                box.SetValue(before);
                EXPECT_FALSE(box.commit("2000T").accepted) << p.page << ":" << k;
            }
    });
    EXPECT_TRUE(seen);
}

TEST_F(OrsolanSheet, HelpFollowsTheActivePage) {
    auto o = plugin().run({"help-button", "set 2:9221=5mm", "help-button", "cancel"});
    EXPECT_EQ(o.result, 0);
    ASSERT_EQ(o.helps.size(), 2u);
    EXPECT_EQ(o.helps[0].module, "Orsolan");
    EXPECT_EQ(o.helps[0].context, 1410u);
    EXPECT_EQ(o.helps[1].context, 1400u);
}

TEST_F(OrsolanSheet, EnteredCapacitancesAreEchoedAndUsed) {
    auto o = plugin().run({"set 1:9224=1p", "set 1:9226=0.05p"});
    ASSERT_EQ(o.result, 1);
    const auto lines = makertest::crlfLines(o.text);
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[20], "* Shunt capacitance at node 1 (outer node) \t= 1.000e+000 pF");
    EXPECT_EQ(lines[21], "* Shunt capacitance at node 2 (inner node) \t= 0.000e+000 pF");
    EXPECT_EQ(lines[22], "* Total capacitance between nodes \t\t= 5.000e-002 pF");
    EXPECT_EQ(lines[24], "C1 outer 0 1.000e-012");
    EXPECT_EQ(lines[25], "C2 inner 0 1.250e-013"); // still the estimate
    EXPECT_EQ(lines[26], "C outer inner 5.000e-014");
}

TEST_F(OrsolanSheet, ZeroThicknessPrintsZeroAndStillGivesAText) {
    auto o = plugin().run({"set 2:9225=0"});
    ASSERT_EQ(o.result, 1);
    const auto lines = makertest::crlfLines(o.text);
    EXPECT_EQ(lines[16], "* Conductor thickness \t\t\t\t= 0.000e+000 mm");
    EXPECT_EQ(lines[28], "L 3 inner 1.942e-008"); // the inductance does not depend on t
}

TEST_F(OrsolanSheet, InnerDiameterNotBelowTheOuterIsRefusedAndTheSheetStaysOpen) {
    bool open = false;
    auto o = plugin().run({"set 2:9222=5mm", "ok", "cancel"}, "", [&](CModalWindow& w, const ScriptStep& s) {
        if (s.kind == ScriptStep::Kind::Ok) open = !w.ended();
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.text, "");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text, CString("内径必须小于外径."));
    EXPECT_EQ(o.boxes[0].request.type & 0xFu, static_cast<unsigned>(MB_OK));
    // Corrected on the open sheet, OK delivers the default text.
    o = plugin().run({"set 2:9222=6mm", "ok", "set 2:9222=2mm"});
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.text, kDefaultText);
}

// ---------------------------------------------------------------- ngspice

TEST_F(OrsolanSheet, SimulatedInductanceQAndResonance) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    auto o = plugin().run({});
    ASSERT_EQ(o.result, 1);
    const auto sp = orsolan::compute(defaults());
    const double L = sp.nanohenries * 1e-9;
    // 1 A into the outer terminal, the inner one grounded: v(outer) is the impedance.
    const std::string elements = "I1 0 outer AC 1\nX1 outer 0 generic_RF_Spiral_Inductor\n";
    auto r = spicecheck::run(spicecheck::circuit(
        o.text, elements,
        {"ac lin 1 1meg 1meg", "let llow = imag(v(outer))/(2*pi*1e6)",
         "let qlow = imag(v(outer))/real(v(outer))", "print llow", "print qlow", "ac lin 1 200g 200g",
         "let lop = imag(v(outer))/(2*pi*200e9)", "let rop = real(v(outer))", "print lop", "print rop",
         "ac dec 2000 100meg 10g", "let x = imag(v(outer))", "print x"}));
    ASSERT_TRUE(r.started);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(r.errors.empty()) << r.output;
    for (const char* name : {"llow", "qlow", "lop", "rop"})
        ASSERT_TRUE(r.values.count(name)) << name << "\n" << r.output;

    // Far below resonance the terminals see R + jωL.
    const double qLow = 2 * M_PI * 1e6 * L / sp.R;
    std::printf("Orsolan at 1 MHz: L simulated %.4e H, computed %.4e H; Q simulated %.4f, computed %.4f\n",
                r.values["llow"], L, r.values["qlow"], qLow);
    EXPECT_NEAR(r.values["llow"], L, 0.01 * L);
    EXPECT_NEAR(r.values["qlow"], qLow, 0.01 * qLow);

    // The capacitances across the grounded pair resonate with L.
    const auto f = spicecheck::column(r.output, "frequency");
    const auto x = spicecheck::column(r.output, "x");
    ASSERT_EQ(f.size(), x.size());
    double resonance = 0;
    for (size_t i = 1; i < x.size() && resonance == 0; ++i)
        if (x[i - 1] > 0 && x[i] <= 0)
            resonance = f[i - 1] + (f[i] - f[i - 1]) * x[i - 1] / (x[i - 1] - x[i]);
    const double expected = 1 / (2 * M_PI * std::sqrt(L * (sp.outerPf + sp.betweenPf) * 1e-12));
    std::printf("Orsolan self-resonance (inner grounded): simulated %.4e Hz, from L and C + C1 %.4e Hz\n",
                resonance, expected);
    EXPECT_NEAR(resonance, expected, 0.05 * expected);

    // At the 200 GHz operating frequency the default lies far above that resonance: the terminals see
    // a capacitance, not the computed inductance.
    const double qOp = 2 * M_PI * 200e9 * L / sp.R;
    std::printf("Orsolan at 200 GHz: effective L simulated %.4e H (computed series L %.4e H), "
                "series R simulated %.4e ohm, computed Q of the series branch %.4e\n",
                r.values["lop"], L, r.values["rop"], qOp);
    EXPECT_LT(r.values["lop"], 0.0);
}

} // namespace
