// Tavrish: the interpolation and the four checks of the core, the dialog through the built plug-in,
// and the default card in ngspice.
#include "core.h"

#include "library/unitbox.h"
#include "makertest/plugin.h"
#include "makertest/support.h"
#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using tavrish::Inputs;

Inputs defaults() {
    return {100, 50, 69.5, 0.34, 1e6, 13.5, 1e9, 1e8};
}

// ---------------------------------------------------------------- core

TEST(TavrishCore, DefaultsGiveTheWorkedConstants) {
    const auto l = tavrish::compute(defaults());
    EXPECT_DOUBLE_EQ(l.len, 30.48);
    EXPECT_NEAR(l.L, 2.398e-7, 0.001e-7);
    EXPECT_NEAR(l.C, 9.592e-11, 0.001e-11);
    EXPECT_NEAR(l.s, 0.0991, 0.0001);
    EXPECT_NEAR(l.R, 0.6238, 0.0001);
    // The line is matched to its entered impedance.
    EXPECT_NEAR(std::sqrt(l.L / l.C), 50.0, 1e-9);
}

struct Placement {
    const char* name;
    double frequency;
    double s;
};
class TavrishInterpolation : public ::testing::TestWithParam<Placement> {};

TEST_P(TavrishInterpolation, AttenuationFollowsTheOperatingFrequencyLinearly) {
    Inputs in = defaults();
    in.frequency = GetParam().frequency;
    ASSERT_EQ(tavrish::refusedBy(in), 0u);
    const auto l = tavrish::compute(in);
    const double s = GetParam().s;
    EXPECT_NEAR(l.s, s, 1e-12);
    EXPECT_NEAR(l.alpha, l.alphaLow + (l.alphaHigh - l.alphaLow) * s, 1e-15);
    EXPECT_NEAR(l.x, l.xLow + (l.xHigh - l.xLow) * s, 1e-12 * l.xHigh);
    // Back in catalogue units: AL at the lower bound, AH at the higher one.
    EXPECT_NEAR(l.alpha / 0.003775419902201523, 0.34 + (13.5 - 0.34) * s, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Each, TavrishInterpolation,
                         ::testing::Values(Placement{"AtLowerBound", 1e6, 0.0},
                                           Placement{"AtHigherBound", 1e9, 1.0},
                                           Placement{"HalfWay", 500.5e6, 0.5}),
                         [](const auto& p) { return std::string(p.param.name); });

struct CheckCase {
    const char* name;
    std::function<void(Inputs&)> change;
    unsigned refusedBy;
};
class TavrishChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(TavrishChecks, FirstFailingCheckNamesItsMessage) {
    Inputs in = defaults();
    GetParam().change(in);
    EXPECT_EQ(tavrish::refusedBy(in), GetParam().refusedBy);
}

INSTANTIATE_TEST_SUITE_P(
    Each, TavrishChecks,
    ::testing::Values(
        CheckCase{"Defaults", [](Inputs&) {}, 0},
        CheckCase{"HigherBoundBelowLower", [](Inputs& in) { in.highBound = 5e5; }, tavrish::kHighBelowLow},
        CheckCase{"HigherBoundBelowOperating", [](Inputs& in) { in.frequency = 2e9; },
                  tavrish::kHighBelowOperating},
        CheckCase{"OperatingBelowLowerBound", [](Inputs& in) { in.frequency = 5e5; },
                  tavrish::kOperatingBelowLow},
        CheckCase{"EqualAttenuations", [](Inputs& in) { in.highAttenuation = in.lowAttenuation; },
                  tavrish::kBadRatio},
        CheckCase{"RatioExactlyTheFrequencyRatio",
                  [](Inputs& in) {
                      in.lowAttenuation = 0.5;
                      in.highAttenuation = 500;
                  },
                  0},
        CheckCase{"RatioJustAboveTheFrequencyRatio",
                  [](Inputs& in) {
                      in.lowAttenuation = 0.5;
                      in.highAttenuation = 500.001;
                  },
                  tavrish::kBadRatio},
        CheckCase{"RatioExactlyTheRootOfTheFrequencyRatio",
                  [](Inputs& in) {
                      in.highBound = 1e8;
                      in.frequency = 1e7;
                      in.lowAttenuation = 1;
                      in.highAttenuation = 10;
                  },
                  tavrish::kBadRatio},
        CheckCase{"AllThreeFrequenciesEqual",
                  [](Inputs& in) { in.lowBound = in.highBound = in.frequency = 1e8; }, tavrish::kBadRatio},
        CheckCase{"OperatingAtTheLowerBound", [](Inputs& in) { in.frequency = in.lowBound; }, 0},
        CheckCase{"OperatingAtTheHigherBound", [](Inputs& in) { in.frequency = in.highBound; }, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TavrishCore, RatioMessageShowsTheRatioAndItsSquare) {
    Inputs in = defaults();
    in.highAttenuation = in.lowAttenuation;
    EXPECT_EQ(tavrish::refusalText(tavrish::kBadRatio, tavrish::kBadRatioFormat, in),
              "无效的高频上限(Fh) 或者低频下限(Fl)值.\nFh/Fl 比率应该是> 1.000e+000  和< 1.000e+000");
    in.highAttenuation = 3.4; // e = 10
    EXPECT_EQ(tavrish::refusalText(tavrish::kBadRatio, tavrish::kBadRatioFormat, in),
              "无效的高频上限(Fh) 或者低频下限(Fl)值.\nFh/Fl 比率应该是> 1.000e+001  和< 1.000e+002");
    // The other messages are plain texts, never used as formats.
    EXPECT_EQ(tavrish::refusalText(tavrish::kHighBelowLow, "100%", in), "100%");
}

// ---------------------------------------------------------------- the plug-in

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Tavrish");
    return p;
}

class TavrishDialog : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

TEST_F(TavrishDialog, DefaultsGiveTheWholeCard) {
    EXPECT_EQ(plugin().name(), CString("Lossy Line\nRF"));
    auto o = plugin().run({}, "left over from an earlier run");
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, "*******************   Lossy Line  ***************************\r\n"
                      "*                                                           *\r\n"
                      "*                 Lossy Line Model                          *\r\n"
                      "*            Quolvane                                       *\r\n"
                      "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                      "*           \t\t\t\t\t\t    *\r\n"
                      "*                                                           *\r\n"
                      "*************************************************************\r\n"
                      "\r\n"
                      "* Date: Monday, December 08, 2025\r\n"
                      "* Device Name\t\t\t\t LossyLine_MODEL_83241_Belden \r\n"
                      "* Line length \t\t\t\t\t= 1.000e+002 ft\r\n"
                      "* Characteristic impedance \t\t\t= 5.000e+001 Ohms\r\n"
                      "* Phase velocity \t\t\t\t= 6.950e+001 %\r\n"
                      "* Nominal attenuation /ft\t\t\t= 3.400e-001 dB/100ft\r\n"
                      "* at Lower frequency bound\t\t\t= 1.000e+000 MHz\r\n"
                      "* Nominal attenuation /ft\t\t\t= 1.350e+001 dB/100ft\r\n"
                      "* at Higher frequency bound\t\t\t= 1.000e+003 MHz\r\n"
                      "* Operating frequency\t\t\t\t= 1.000e+002 MHz\r\n"
                      ".MODEL LossyLine_MODEL_83241_Belden LTRA\r\n"
                      "+ (LEN=3.048e+001 L=2.398e-007 C=9.592e-011\r\n"
                      "+ R=6.238e-001)\r\n");
}

TEST_F(TavrishDialog, OpensWithTheTemplateLabelsUnitsAndLimits) {
    bool seen = false;
    plugin().run({"help-button"}, "", [&](CModalWindow& w, const ScriptStep&) {
        seen = true;
        EXPECT_EQ(w.caption(), CString("有损传输线模型 (预置值-83241)"));
        const char* labels[] = {"线的长度", "特性阻抗", "传播速度", "额定衰减",
                                "低频下限", "额定衰减", "高频上限", "工作频率"};
        const char* units[] = {"ft", "Ω", "Ω", "dB/100ft", "Hz", "dB/100ft", "Hz", "Hz"};
        const double values[] = {100, 50, 69.5, 0.34, 1e6, 13.5, 1e9, 1e8};
        for (int k = 0; k < 8; ++k) {
            CWnd* label = makertest::item(w, 1, 9221 + k);
            ASSERT_NE(label, nullptr) << k;
            EXPECT_EQ(label->GetWindowText(), CString(labels[k])) << k;
            EXPECT_TRUE(label->IsWindowVisible()) << k;
            auto& b = makertest::box(w, 1, 9201 + k);
            EXPECT_EQ(b.m_strUnitName, CString(units[k])) << k;
            EXPECT_DOUBLE_EQ(b.GetValue(), values[k]) << k;
            EXPECT_TRUE(b.edit()->IsWindowEnabled()) << k;
            // The attenuation boxes have the wide unit list and no prefix to choose.
            const bool attenuation = k == 3 || k == 5;
            EXPECT_EQ(b.unitListWidth(), (attenuation ? 9 : 5) * CUserDefValueSpinParent::GetFontWidth(&w))
                << k;
            EXPECT_EQ(b.unitChoices().size(), attenuation ? 1u : 9u) << k;
            EXPECT_DOUBLE_EQ(b.m_dMinValue, attenuation ? 0.001 : 1e-15) << k;
            EXPECT_DOUBLE_EQ(b.m_dMaxValue, attenuation ? 999 : 999999999999999.0) << k;
        }
        EXPECT_EQ(makertest::item(w, 1, 500)->GetWindowText(), CString("有损传输线特性"));
        EXPECT_EQ(makertest::item(w, 1, 501)->GetWindowText(), CString("有损传输线衰减"));
    });
    EXPECT_TRUE(seen);
}

TEST_F(TavrishDialog, HelpAsksForContext1460) {
    auto o = plugin().run({"help-button", "cancel"}, "old");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.text, "");
    ASSERT_EQ(o.helps.size(), 1u);
    EXPECT_EQ(o.helps[0].module, "Tavrish");
    EXPECT_EQ(o.helps[0].context, 1460u);
}

TEST_F(TavrishDialog, BoxRefusesAnAttenuationOutsideItsLimitsAndKeepsTheOldValue) {
    auto o = plugin().run({"set 9204=1000"});
    EXPECT_EQ(o.result, 0);
    ASSERT_TRUE(o.refusal.has_value());
    EXPECT_NE(o.refusal->find("9204"), std::string::npos) << *o.refusal;
    plugin().run({"help-button"}, "", [&](CModalWindow& w, const ScriptStep&) {
        auto& b = makertest::box(w, 1, 9204);
        EXPECT_FALSE(b.commit("0.0001").accepted);
        EXPECT_DOUBLE_EQ(b.GetValue(), 0.34);
        EXPECT_FALSE(b.commit("1000").accepted);
        EXPECT_DOUBLE_EQ(b.GetValue(), 0.34);
    });
}

struct Refusal {
    const char* name;
    std::vector<std::string> steps;

    const char* message;
    int focus;
};
class TavrishRefusals : public TavrishDialog, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TavrishRefusals, OkShowsOneOkOnlyMessageAndTheDialogStaysOpen) {
    const Refusal& r = GetParam();
    auto steps = r.steps;
    steps.push_back("ok");
    int focus = 0;
    bool open = false;
    auto inspect = [&](CModalWindow& w, const ScriptStep& s) {
        if (s.kind != ScriptStep::Kind::Ok || open) return;
        open = !w.ended();
        focus = w.GetFocus() ? w.GetFocus()->GetDlgCtrlID() : 0;
    };
    auto cancelled = steps;
    cancelled.push_back("cancel");
    auto o = plugin().run(cancelled, "", inspect);
    EXPECT_TRUE(open);
    EXPECT_EQ(focus, r.focus);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.text, "");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text, CString(r.message));
    EXPECT_EQ(o.boxes[0].request.type & 0xFu, static_cast<unsigned>(MB_OK));

    // Corrected, the same dialog delivers the card.
    for (const char* fix : {"set 9205=1M", "set 9207=1G", "set 9208=100M", "set 9204=0.34", "set 9206=13.5"})
        steps.push_back(fix);
    o = plugin().run(steps);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.boxes.size(), 1u);
    EXPECT_NE(o.text.find("+ R=6.238e-001)\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Each, TavrishRefusals,
    ::testing::Values(
        Refusal{"HigherBelowLower", {"set 9207=500k"}, "高频上限必须大于低频下限.", 9207},
        Refusal{"HigherBelowOperating", {"set 9208=2G"}, "高频上限必须大于工作频率.", 9208},
        Refusal{"OperatingBelowLower", {"set 9208=10k"}, "工作频率必须大于低频下限.", 9208},
        Refusal{"AttenuationRatio",
                {"set 9206=0.34"},
                "无效的高频上限(Fh) 或者低频下限(Fl)值.\nFh/Fl 比率应该是> 1.000e+000  和< 1.000e+000",
                9206}),
    [](const auto& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------- ngspice

TEST_F(TavrishDialog, MatchedLineLosesTheInterpolatedAttenuation) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    auto o = plugin().run({});
    ASSERT_EQ(o.result, 1);
    // Source and load match the 50 Ω line, so v(in)/v(out) is the line's own loss.
    const std::string elements = "V1 src 0 AC 1\nRS src in 50\n"
                                 "O1 in 0 out 0 LossyLine_MODEL_83241_Belden\nRL out 0 50\n";
    auto r = spicecheck::run(spicecheck::circuit(
        o.text, elements, {"ac lin 21 90meg 110meg", "let att = db(v(in)) - db(v(out))", "print att"}));
    ASSERT_TRUE(r.started);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(r.errors.empty()) << r.output;
    const auto att = spicecheck::column(r.output, "att");
    ASSERT_EQ(att.size(), 21u) << r.output;
    // 100 ft at the dB/100 ft interpolated between 0.34 (1 MHz) and 13.5 (1 GHz) at 100 MHz.
    const double expected = 0.34 + (13.5 - 0.34) * (100e6 - 1e6) / (1e9 - 1e6);
    std::printf("Tavrish: loss of 100 ft at 100 MHz: simulated %.4f dB, interpolated %.4f dB\n", att[10],
                expected);
    EXPECT_NEAR(att[10], expected, 0.05 * expected);
    // R, L and C do not vary with frequency: the loss is flat across the sweep.
    EXPECT_NEAR(att.front(), att.back(), 0.01 * expected);
}

} // namespace
