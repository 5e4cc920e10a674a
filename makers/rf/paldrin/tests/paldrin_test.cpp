// Paldrin: the worked values, the impedance dispersion, the range questions answered both ways and the
// refusals in the core; the sheet through the built plug-in; the default sub-circuit in ngspice.
#include "core.h"

#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using paldrin::Inputs;

Inputs defaults() {
    return {12.5, 1e9, 1.707e-8, 0, 0, 0, 0, 10, 0.000254, 2e-5, 0.000101, 4.8e-6, 1.5e-6, 4.8e-6, 0.000101};
}

// Answers the questions in order and records which were asked.
struct Answers {
    std::vector<bool> replies;
    std::vector<unsigned> asked;
    frame::Question question() {
        return [this](unsigned id) {
            asked.push_back(id);
            return asked.size() <= replies.size() && replies[asked.size() - 1];
        };
    }
};

// ---------------------------------------------------------------- core

TEST(PaldrinCore, DefaultsGiveTheWorkedValuesWithoutAsking) {
    Answers a;
    const auto r = paldrin::compute(defaults(), a.question());
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(a.asked.empty());
    EXPECT_NEAR(r->z0Static, 44.08, 0.01);
    EXPECT_NEAR(r->z0, r->z0Static, 1e-9 * r->z0Static);
    EXPECT_NEAR(r->wEff, 102.69e-6, 0.01e-6);
    EXPECT_NEAR(r->epsEff, 12.4999995, 1e-6);
    EXPECT_NEAR(r->c1, 2.673e-10, 0.001e-10);
    EXPECT_DOUBLE_EQ(r->c1, r->c2);
    EXPECT_DOUBLE_EQ(r->x, 0.625);
    EXPECT_NEAR(r->a1, 0.05729, 0.00001);
    EXPECT_NEAR(r->a2, 0.1287, 0.0001);
    EXPECT_NEAR(r->fingerPf, 17.69, 0.01);
    EXPECT_NEAR(r->r, 0.02707, 0.00001);
    EXPECT_DOUBLE_EQ(r->inductance, 1e-12);
    EXPECT_FALSE(paldrin::nonFinite(*r).has_value());
}

TEST(PaldrinCore, ImpedanceDispersionVanishesAtLowFrequencyAndGrowsAtHigh) {
    const double z0 = 50, h = 1e-3, w = 1e-3;
    // fn = f·h in GHz·mm: 1e-3 (1 MHz on 1 mm) is static; at 20 GHz·mm the line's impedance rises.
    EXPECT_NEAR(paldrin::dispersedImpedance(w, h, 9.8, 1e6, 1.0, z0), z0, 1e-6);
    const double high = paldrin::dispersedImpedance(w, h, 9.8, 20e9, 6.6, z0);
    EXPECT_GT(high, z0);
    EXPECT_LT(high, 1.5 * z0);
}

struct QuestionCase {
    const char* name;
    std::function<void(Inputs&)> change;
    std::vector<bool> replies;
    std::vector<unsigned> asked;
    bool completes;
};
class PaldrinQuestions : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(PaldrinQuestions, YesGoesOnAndNoStops) {
    const auto& c = GetParam();
    Inputs in = defaults();
    c.change(in);
    Answers a{c.replies, {}};
    const auto r = paldrin::compute(in, a.question());
    EXPECT_EQ(a.asked, c.asked);
    EXPECT_EQ(r.has_value(), c.completes);
}

constexpr unsigned kRatio = paldrin::kAskRatio, kEps = paldrin::kAskPermittivity;
void ratio(Inputs& in, double u) {
    in.height = 1e-4;
    in.terminalWidth = u * in.height;
}

INSTANTIATE_TEST_SUITE_P(
    Each, PaldrinQuestions,
    ::testing::Values(
        QuestionCase{"RatioExactlyTenYes", [](Inputs& in) { ratio(in, 10); }, {true}, {kRatio}, true},
        QuestionCase{"RatioExactlyTenNo", [](Inputs& in) { ratio(in, 10); }, {false}, {kRatio}, false},
        QuestionCase{"RatioExactlyOneTenthYes", [](Inputs& in) { ratio(in, 0.1); }, {true}, {kRatio}, true},
        QuestionCase{"RatioInsideNotAsked", [](Inputs& in) { ratio(in, 9.99); }, {}, {}, true},
        QuestionCase{
            "PermittivityExactly128Yes", [](Inputs& in) { in.permittivity = 128; }, {true}, {kEps}, true},
        QuestionCase{
            "PermittivityExactly1No", [](Inputs& in) { in.permittivity = 1; }, {false}, {kEps}, false},
        QuestionCase{"BothYes",
                     [](Inputs& in) {
                         ratio(in, 20);
                         in.permittivity = 200;
                     },
                     {true, true},
                     {kRatio, kEps},
                     true},
        QuestionCase{"BothFirstNoStopsBeforeTheSecond",
                     [](Inputs& in) {
                         ratio(in, 20);
                         in.permittivity = 200;
                     },
                     {false},
                     {kRatio},
                     false},
        QuestionCase{"BothSecondNo",
                     [](Inputs& in) {
                         ratio(in, 20);
                         in.permittivity = 200;
                     },
                     {true, false},
                     {kRatio, kEps},
                     false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(PaldrinCore, FingerCountSetsTheTwoTermFormula) {
    Answers a;
    const auto ten = *paldrin::compute(defaults(), a.question());
    Inputs in = defaults();
    in.fingers = 2; // (N − 3) = −1: the outer-finger term is subtracted
    const auto two = *paldrin::compute(in, a.question());
    EXPECT_NEAR(two.fingerPf, ten.fingerPf * (ten.a2 - ten.a1) / (7 * ten.a1 + ten.a2), 1e-12);
    in.fingers = 10.7; // a count: truncated
    EXPECT_DOUBLE_EQ(paldrin::compute(in, a.question())->fingerPf, ten.fingerPf);
}

TEST(PaldrinCore, EnteredValuesAndZeroSubstitutes) {
    Answers a;
    const auto base = *paldrin::compute(defaults(), a.question());
    Inputs in = defaults();
    in.inputShunt = 1e-12;
    in.outputShunt = 2e-12;
    in.seriesInductance = 3e-9;
    const auto entered = *paldrin::compute(in, a.question());
    EXPECT_NEAR(entered.c1, base.c1 + 1e-12, 1e-24);
    EXPECT_NEAR(entered.c2, base.c2 + 2e-12, 1e-24);
    EXPECT_DOUBLE_EQ(entered.inductance, 3e-9);
    // A zero thickness computes as 1 nm.
    in = defaults();
    in.thickness = 0;
    Inputs thin = defaults();
    thin.thickness = 1e-9;
    EXPECT_DOUBLE_EQ(paldrin::compute(in, a.question())->fingerPf,
                     paldrin::compute(thin, a.question())->fingerPf);
}

TEST(PaldrinCore, ZeroSpacingIsRefusedAndAnyOtherSpacingIsNot) {
    Inputs in = defaults();
    EXPECT_FALSE(paldrin::refusal(in).has_value());
    in.spacing = 0;
    EXPECT_EQ(paldrin::refusal(in), std::optional<unsigned>(paldrin::kZeroSpacing));
    in.spacing = 1e-15;
    EXPECT_FALSE(paldrin::refusal(in).has_value());
}

TEST(PaldrinCore, ExtremeSubstrateNamesTheFieldsInsteadOfPrintingNan) {
    // εr 1e15 at 1e15 Hz on a 1e13 m substrate: the dispersion terms overflow to inf/inf.
    Inputs in = defaults();
    in.permittivity = 1e15;
    in.frequency = 1e15;
    in.height = 1e13;
    in.terminalWidth = 1e13;
    Answers a{{true, true}, {}};
    const auto r = paldrin::compute(in, a.question());
    ASSERT_TRUE(r.has_value());
    const auto message = paldrin::nonFinite(*r);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->rfind("C1 cannot be computed", 0), 0u) << *message;
    EXPECT_NE(message->find("外部端子宽度"), std::string::npos);
}

// ---------------------------------------------------------------- the plug-in

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Paldrin");
    return p;
}

class PaldrinSheet : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

const char* const kDefaultText = "*************  Interdigital capacitor  **********************\r\n"
                                 "*                                                           *\r\n"
                                 "*              Interdigital capacitor                       *\r\n"
                                 "*            Quolvane                                       *\r\n"
                                 "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                                 "*           \t\t\t\t\t\t    *\r\n"
                                 "*                                                           *\r\n"
                                 "*************************************************************\r\n"
                                 "\r\n"
                                 "* Date: Monday, December 08, 2025\r\n"
                                 "* Name of Model Builder: \r\n"
                                 "* Device Name\t generic_interdigital_capacitor \r\n"
                                 "* Interdigital Capacitor Electrical Characteristics\r\n"
                                 "* Relative dielectric constant \t\t\t= 1.250e+001 \r\n"
                                 "* Operating frequency  \t\t\t\t= 1.000e+000 GHz\r\n"
                                 "* Resistivity  \t\t\t\t\t= 1.707e+001 nOhm*m\r\n"
                                 "* Shunt capacitance at input node \t\t= 0.000e+000 pF\r\n"
                                 "* Shunt capacitance at output node \t\t= 0.000e+000 pF\r\n"
                                 "* Series inductor between nodes \t\t= 0.000e+000 nH\r\n"
                                 "* Series resistance \t\t\t\t= 0.000e+000 Ohm\r\n"
                                 "* Number of fingers \t\t\t\t= 10       \r\n"
                                 "* Finger length \t\t\t\t= 2.540e+002 um\r\n"
                                 "* Finger width \t\t\t\t\t= 2.000e+001 um\r\n"
                                 "* Substrate height \t\t\t\t= 1.010e+002 um\r\n"
                                 "* Space between fingers \t\t\t= 4.800e+000 um\r\n"
                                 "* Strip thickness \t\t\t\t= 1.500e+000 um\r\n"
                                 "* Finger end gap \t\t\t\t= 4.800e+000 um\r\n"
                                 "* External terminal width \t\t\t= 1.010e+002 um\r\n"
                                 ".subckt generic_interdigital_capacitor in out\r\n"
                                 "C1 in 0 2.673e-010\r\n"
                                 "C2 out 0 2.673e-010\r\n"
                                 "R1 in 0 1.000e+012\r\n"
                                 "R2 out 0 1.000e+012\r\n"
                                 "C in 3 1.769e-011\r\n"
                                 "Rs 3 4 2.707e-002\r\n"
                                 "Ls 4 out 1.000e-012\r\n"
                                 ".ENDS";

TEST_F(PaldrinSheet, DefaultsGiveTheWholeText) {
    EXPECT_EQ(plugin().name(), CString("Interdigital Capacitor\nRF"));
    auto o = plugin().run({}, "left over");
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, kDefaultText);
}

TEST_F(PaldrinSheet, BoxesAcceptZeroOnlyWhereAllowedAndTheCountIsAPlainInteger) {
    bool seen = false;
    plugin().run({"help-button"}, "", [&](CModalWindow& w, const ScriptStep&) {
        seen = true;
        auto& sheet = dynamic_cast<CPropertySheet&>(w);
        EXPECT_EQ(sheet.caption(), CString("叉指式电容模型"));
        ASSERT_EQ(sheet.GetPageCount(), 2);
        EXPECT_EQ(sheet.GetPage(0)->title(), CString("电气特性"));
        EXPECT_EQ(sheet.GetPage(1)->title(), CString("导线尺寸"));
        EXPECT_EQ(makertest::item(w, 2, 9246)->GetWindowText(),
                  CString("金手指厚度 ")); // trailing blank kept
        const struct {
            int page, count;
            std::vector<bool> zero;
        } pages[] = {{1, 7, {false, false, false, true, true, true, true}},
                     {2, 8, {false, false, false, false, true, true, true, true}}};
        for (const auto& p : pages)
            for (int k = 0; k < p.count; ++k) {
                auto& box = makertest::box(w, p.page, 9221 + k);
                const double before = box.GetValue();
                EXPECT_EQ(box.commit("0").accepted, p.zero[static_cast<size_t>(k)]) << p.page << ":" << k;
                box.SetValue(before);
            }
        // Only the terminal width reaches beyond 1e15.
        EXPECT_TRUE(makertest::box(w, 2, 9228).commit("1e20").accepted);
        EXPECT_FALSE(makertest::box(w, 2, 9227).commit("1e20").accepted);
        auto& count = makertest::box(w, 2, 9221);
        EXPECT_TRUE(count.m_bNoUnit);
        EXPECT_EQ(count.m_nDigits, 0);
        EXPECT_FALSE(count.commit("1").accepted);
        EXPECT_FALSE(count.commit("100000").accepted);
        EXPECT_TRUE(count.commit("99999").accepted);
    });
    EXPECT_TRUE(seen);
}

TEST_F(PaldrinSheet, HelpFollowsTheActivePage) {
    auto o = plugin().run({"help-button", "set 2:9221=12", "help-button", "cancel"});
    EXPECT_EQ(o.result, 0);
    ASSERT_EQ(o.helps.size(), 2u);
    EXPECT_EQ(o.helps[0].module, "Paldrin");
    EXPECT_EQ(o.helps[0].context, 1480u);
    EXPECT_EQ(o.helps[1].context, 1490u);
}

struct SheetQuestion {
    const char* name;
    std::vector<std::string> steps;
    std::vector<const char*> asked;
    int result;
};
class PaldrinSheetQuestions : public PaldrinSheet, public ::testing::WithParamInterface<SheetQuestion> {};

TEST_P(PaldrinSheetQuestions, NoKeepsTheSheetOpenAndYesDeliversTheText) {
    const auto& c = GetParam();
    bool openAfterOk = false;
    auto o = plugin().run(c.steps, "", [&](CModalWindow& w, const ScriptStep& s) {
        if (s.kind == ScriptStep::Kind::Ok) openAfterOk = !w.ended();
    });
    ASSERT_EQ(o.boxes.size(), c.asked.size());
    for (size_t i = 0; i < c.asked.size(); ++i) {
        EXPECT_EQ(o.boxes[i].request.text, CString(c.asked[i])) << i;
        EXPECT_EQ(o.boxes[i].request.type & 0xFu, static_cast<unsigned>(MB_YESNO)) << i;
    }
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(openAfterOk, c.result == 0);
    EXPECT_EQ(o.text.empty(), c.result == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Each, PaldrinSheetQuestions,
    ::testing::Values(
        SheetQuestion{"WideTerminalYes", {"set 2:9228=2mm", "answer yes", "ok"}, {paldrin::kAskRatioText}, 1},
        SheetQuestion{
            "WideTerminalNo", {"set 2:9228=2mm", "answer no", "ok", "cancel"}, {paldrin::kAskRatioText}, 0},
        SheetQuestion{"PermittivityNo",
                      {"set 1:9221=200", "answer no", "ok", "cancel"},
                      {paldrin::kAskPermittivityText},
                      0},
        SheetQuestion{"BothYes",
                      {"set 1:9221=1", "set 2:9228=1um", "answer yes", "answer yes", "ok"},
                      {paldrin::kAskRatioText, paldrin::kAskPermittivityText},
                      1}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(PaldrinSheet, ZeroSpacingShowsAnOkOnlyMessageAndTheSheetStaysOpen) {
    bool open = false;
    auto o = plugin().run({"set 2:9225=0", "ok", "cancel"}, "", [&](CModalWindow& w, const ScriptStep& s) {
        if (s.kind == ScriptStep::Kind::Ok) open = !w.ended();
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.text, "");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text, CString("金手指间距必须大于 0."));
    EXPECT_EQ(o.boxes[0].request.type & 0xFu, static_cast<unsigned>(MB_OK));
    o = plugin().run({"set 2:9225=0", "ok", "set 2:9225=4.8um"});
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.text, kDefaultText);
}

TEST_F(PaldrinSheet, EnteredSeriesInductanceIsEchoedAndUsed) {
    auto o = plugin().run({"set 1:9226=1nH", "set 1:9227=2"});
    ASSERT_EQ(o.result, 1);
    const auto lines = makertest::crlfLines(o.text);
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(lines[18], "* Series inductor between nodes \t\t= 1.000e+000 nH");
    EXPECT_EQ(lines[19], "* Series resistance \t\t\t\t= 2.000e+000 Ohm");
    EXPECT_EQ(lines[34], "Rs 3 4 2.707e-002"); // the entered series resistance is only echoed
    EXPECT_EQ(lines[35], "Ls 4 out 1.000e-009");
}

// ---------------------------------------------------------------- ngspice

TEST_F(PaldrinSheet, SimulatedCapacitanceAndSelfResonance) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    auto o = plugin().run({});
    ASSERT_EQ(o.result, 1);
    Answers a;
    const auto r = *paldrin::compute(defaults(), a.question());
    const double c = r.fingerPf * 1e-12;
    // 1 V on `in`, `out` held at ground through an ammeter: i(vm) is the series branch's current
    // alone (the shunt terms at `in` are fed by the source, those at `out` are shorted).
    const std::string elements = "V1 in 0 AC 1\nX1 in out generic_interdigital_capacitor\nVM out 0 DC 0\n";
    auto run = spicecheck::run(
        spicecheck::circuit(o.text, elements,
                            {"ac lin 1 1meg 1meg", "let clow = mag(i(vm))/(2*pi*1e6)", "print clow",
                             "ac dec 2000 1g 1t", "let x = imag(1/i(vm))", "print x"}));
    ASSERT_TRUE(run.started);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(run.errors.empty()) << run.output;
    ASSERT_TRUE(run.values.count("clow")) << run.output;
    std::printf("Paldrin: capacitance from the 1 MHz reactance %.4e F, computed %.4e F\n", run.values["clow"],
                c);
    EXPECT_NEAR(run.values["clow"], c, 0.01 * c);

    // The branch's reactance changes sign where C resonates with the series inductance.
    const auto f = spicecheck::column(run.output, "frequency");
    const auto x = spicecheck::column(run.output, "x");
    ASSERT_EQ(f.size(), x.size());
    double resonance = 0;
    for (size_t i = 1; i < x.size() && resonance == 0; ++i)
        if ((x[i - 1] < 0) != (x[i] < 0))
            resonance = f[i - 1] + (f[i] - f[i - 1]) * x[i - 1] / (x[i - 1] - x[i]);
    const double expected = 1 / (2 * M_PI * std::sqrt(r.inductance * c));
    std::printf("Paldrin: self-resonant frequency simulated %.4e Hz, from C and Ls %.4e Hz\n", resonance,
                expected);
    EXPECT_NEAR(resonance, expected, 0.02 * expected);
}

} // namespace
