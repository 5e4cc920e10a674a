// The built Tessaly plug-in as the host runs it: the pages, the whole default text, the input stages,
// the gain unit switch, "Not Available", help and the refusal, driven by scripted steps.
#include "library/unitbox.h"
#include "makertest/plugin.h"
#include "makertest/support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Tessaly");
    return p;
}

using makertest::item;

class TessalySheet : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025

    // Runs the steps; `check` sees the sheet after step number `at` (from 1).
    makertest::Outcome run(const std::vector<std::string>& steps, size_t at = 0,
                           std::function<void(CPropertySheet&)> check = {}) {
        size_t n = 0;
        auto o = plugin().run(steps, "", [&](CModalWindow& w, const ScriptStep&) {
            if (++n == at && check) check(dynamic_cast<CPropertySheet&>(w));
        });
        EXPECT_FALSE(o.refusal.has_value()) << *o.refusal;
        EXPECT_TRUE(!check || n >= at) << "the window closed before step " << at;
        return o;
    }
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The part of the text between `from` (included) and `to` (excluded).
std::string between(const std::string& text, const std::string& from, const std::string& to) {
    const size_t a = text.find(from);
    const size_t b = text.find(to, a == std::string::npos ? 0 : a);
    if (a == std::string::npos || b == std::string::npos) return "(not found)";
    return text.substr(a, b - a);
}

// Written out from the defaults of the three pages (a general-purpose amplifier).
const std::string kDefaultText = "**************** Operational Amplifier **********************\r\n"
                                 "*                                                           *\r\n"
                                 "*              Operational Amplifier Model                  *\r\n"
                                 "*            Quolvane                                       *\r\n"
                                 "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                                 "*           \t\t\t\t\t\t    *\r\n"
                                 "*                                                           *\r\n"
                                 "*************************************************************\r\n"
                                 "\r\n"
                                 "* Date: Monday, December 08, 2025\r\n"
                                 "* Model Name generic_uA741 \r\n \r\n"
                                 "* INPUT VALUES: \r\n \r\n"
                                 "* Page 1 \r\n \r\n"
                                 "* General \r\n"
                                 "* Model Name   generic_uA741 \r\n"
                                 "* Identifier               0 \r\n \r\n"
                                 "* Input\r\n"
                                 "* Input Capacitance\t\t\t\t= 1.400e+000 pF\r\n"
                                 "* Input Offset Current\t\t\t\t= 2.000e+001 nA\r\n"
                                 "* Input Bias Current\t\t\t\t= 8.000e+001 nA\r\n"
                                 "* Input Offset Voltage\t\t\t\t= 1.000e+000 mV\r\n"
                                 "* Common-mode Input Resistance\t\t\t= 2.000e+000 GOhm\r\n"
                                 "* Differential-mode Input Resistance\t\t= 2.000e+000 MOhm\r\n"
                                 "* Common-mode Rejection Ratio\t\t\t= 9.000e+001 dB\r\n"
                                 "* Voltage Gain\t\t\t\t\t= 1.060e+002 dB\r\n \r\n"
                                 "* Page 2 \r\n"
                                 "* Gain-frequency curve poles and Zero\r\n"
                                 "* Pole 1\t\t\t\t\t\t= 5.000e+000 Hz\r\n"
                                 "* Pole 2\t\t\t\t\t\t= 2.000e+000 MHz\r\n"
                                 "* Pole 3\t\t\t\t\t\t= 2.000e+001 MHz\r\n"
                                 "* Pole 4\t\t\t\t\t\t= 1.000e+002 MHz\r\n"
                                 "* Zero 3\t\t\t\t\t\t= 5.000e+000 MHz\r\n \r\n"
                                 "* Page 3\r\n \r\n"
                                 "* Output\r\n"
                                 "* Slew Rate (non-inverting mode) \t\t\t= 5.000e-001 V/us\r\n"
                                 "* Slew Rate (inverting mode) \t\t\t= 5.000e-001 V/us\r\n"
                                 "* Output Resistance \t\t\t\t= 7.500e+001 Ohm\r\n"
                                 "* Maximum Source Output Current \t\t\t= 2.500e+001 mA\r\n"
                                 "* Maximum Sink Output Current \t\t\t= 2.500e+001 mA\r\n \r\n"
                                 "* OP-AMP Model\r\n"
                                 ".SUBCKT generic_uA741 1 5 9 11 14\r\n"
                                 "* terminal 1: invert input\r\n"
                                 "* terminal 5: non-invert input\r\n"
                                 "* terminal 9: positive power source\r\n"
                                 "* terminal 11: negative power source\r\n"
                                 "* terminal 14: output\r\n"
                                 ".MODEL DMOD D (N=0.001)\r\n"
                                 "r1 3 0 2.000e+009\r\n"
                                 "r3 3 0 2.000e+009\r\n"
                                 "c3 3 5 1.400e-012\r\n"
                                 "r2 3 5 2.000e+006\r\n"
                                 "vc 3 1 1.000e-003 \r\n"
                                 "i1 3 0 9.000e-008\r\n"
                                 "i2 4 0 7.000e-008\r\n"
                                 "v4 4 5 dc 0\r\n"
                                 "r6 13 0 1.000e+003\r\n"
                                 "c2 13 0 7.958e-011\r\n"
                                 "g4 13 0 3 4 1.000e-003\r\n"
                                 "r7 17 18 1.000e+004\r\n"
                                 "c4 17 18 3.183e-012\r\n"
                                 "r8 18 0 3.333e+003\r\n"
                                 "e1 17 0 13 0 4.000e+000\r\n"
                                 "r9 19 0 1.000e+003\r\n"
                                 "c5 19 0 1.592e-012\r\n"
                                 "g5 19 0 3 4 1.000e-003\r\n"
                                 "r4 0 6 1.000e+003\r\n"
                                 "c1 0 7 3.183e-005\r\n"
                                 "vb 6 7 dc=0\r\n"
                                 "g1 0 6 19 0 1.995e+002\r\n"
                                 "g2 0 6 poly(2) 3 0 4 0 0 3.155e-003 3.155e-003\r\n"
                                 "d7 7 9 DMOD\r\n"
                                 "d3 7 8 DMOD\r\n"
                                 "d4 8 9 DMOD\r\n"
                                 "d8 11 7 DMOD\r\n"
                                 "d5 10 7 DMOD\r\n"
                                 "d6 11 10 DMOD\r\n"
                                 "f1 8 9 poly(1) vb -1.592e+001 1\r\n"
                                 "f2 11 10 poly(1) vb -1.592e+001 -1\r\n"
                                 "va 12 14 dc 0\r\n"
                                 "d9 14 15 DMOD\r\n"
                                 "d10 15 9 DMOD\r\n"
                                 "d12 11 16 DMOD\r\n"
                                 "d11 16 14 DMOD\r\n"
                                 "f3 15 9 poly(1) va -2.500e-002 1\r\n"
                                 "f4 11 16 poly(1) va -2.500e-002 -1\r\n"
                                 "g3 0 12 7 0 1.333e-002\r\n"
                                 "r5 0 12 7.500e+001\r\n"
                                 "rshunt1 9 0 1e6\r\n"
                                 "rshunt2 11 0 1e6\r\n"
                                 ".ENDS\r\n";

TEST_F(TessalySheet, DefaultsGiveTheWholeText) {
    EXPECT_EQ(plugin().name(), CString("Operational Amplifier\nREG"));
    auto o = run({"help-button"}, 1, [](CPropertySheet& s) {
        EXPECT_EQ(s.caption(), CString("Operational Amplifier Model(Preset values from uA741)"));
        EXPECT_EQ(s.GetActiveIndex(), 0);
        EXPECT_EQ(item(s, 1, 505)->items(), (std::vector<CString>{"Don't care", "NPN", "PNP"}));
        EXPECT_EQ(item(s, 1, 505)->GetCurSel(), 0);
        EXPECT_EQ(item(s, 1, 505)->GetWindowText(), CString("Don't care"));
        EXPECT_EQ(item(s, 1, 506)->GetCheck(), 1);
        EXPECT_EQ(item(s, 1, 507)->GetCheck(), 0);
        EXPECT_EQ(item(s, 2, 1266)->GetCheck(), 0);
    });
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, kDefaultText);
}

struct PageCase {
    int page;
    const char* title;
    std::vector<const char*> labels;
    std::vector<const char*> units;
    std::vector<double> minimum, maximum;
};

class TessalyPages : public TessalySheet, public ::testing::WithParamInterface<PageCase> {};

TEST_P(TessalyPages, ShowTheirLabelsUnitsAndLimits) {
    const PageCase& c = GetParam();
    run({"help-button"}, 1, [&c](CPropertySheet& s) {
        EXPECT_EQ(s.GetPage(c.page - 1)->title(), CString(c.title));
        for (size_t k = 0; k < c.labels.size(); ++k) {
            const int id = static_cast<int>(k);
            EXPECT_EQ(item(s, c.page, 9241 + id)->GetWindowText(), CString(c.labels[k])) << k;
            auto& b = makertest::box(s, c.page, 9221 + id);
            EXPECT_EQ(b.m_strUnitName, CString(c.units[k])) << k;
            EXPECT_EQ(b.m_dMinValue, c.minimum[k]) << k;
            EXPECT_EQ(b.m_dMaxValue, c.maximum[k]) << k;
            EXPECT_EQ(b.m_nDigits, 3) << k;
            EXPECT_TRUE(b.edit()->IsWindowEnabled()) << k;
        }
        EXPECT_EQ(item(s, c.page, 9221 + static_cast<int>(c.labels.size())), nullptr);
    });
}

constexpr double kMax = 999999999999999.0, kMin = 1e-15;

INSTANTIATE_TEST_SUITE_P(
    Each, TessalyPages,
    ::testing::Values(
        PageCase{1,
                 "General, Input",
                 {"Input Capacitance (Ci)", "Input Offset Current (I1o)", "Input Bias Current (I1b)",
                  "Input Offset Voltage (V1o)", "Common-mode Input Resistance (Rcm)",
                  "Differential-mode Input Resistance (R1)", "Common-mode Rejection Ratio (CMRR)",
                  "Voltage Gain (Avd)"},
                 {"F", "A", "A", "V", "Ω", "Ω", "dB", "dB"},
                 std::vector<double>(8, kMin),
                 {kMax, kMax, kMax, kMax, kMax, kMax, 99999, 99999}},
        PageCase{2,
                 "Gain-frequency curve poles and Zero",
                 {"Pole 1 frequency (fr1)", "Pole 2 frequency (fr2)", "Pole 3 frequency (fr3)",
                  "Pole 4 frequency (fr4)", "Zero frequency (frz)"},
                 std::vector<const char*>(5, "Hz"),
                 std::vector<double>(5, kMin),
                 std::vector<double>(5, kMax)},
        PageCase{3,
                 "Output",
                 {"Slew Rate (SR+) (non-inverting-mode)", "Slew Rate (SR-) (inverting-mode)",
                  "Output Resistance (Ro)", "Maximum Source Current (Isr)", "Maximum Sink Current (Isn)"},
                 {"V/µs", "V/µs", "Ω", "A", "A"},
                 {kMin, kMin, kMin, 0, 0},
                 std::vector<double>(5, kMax)}));

struct StageCase {
    const char* name;
    int index;
    const char* identifier;
    const char* lines; // from the c3 line to the r6 line
};

class TessalyStages : public TessalySheet, public ::testing::WithParamInterface<StageCase> {};

TEST_P(TessalyStages, TransistorTypeChoosesTheInputStage) {
    const StageCase& c = GetParam();
    auto o = run({"select 1:505=" + std::to_string(c.index)});
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, std::string("* Identifier ") + c.identifier + " \r\n \r\n")) << o.text;
    EXPECT_EQ(between(o.text, "c3 ", "r6 13 0"), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Each, TessalyStages,
                         ::testing::Values(StageCase{"DontCare", 0, "              0",
                                                     "c3 3 5 1.400e-012\r\nr2 3 5 2.000e+006\r\n"
                                                     "vc 3 1 1.000e-003 \r\ni1 3 0 9.000e-008\r\n"
                                                     "i2 4 0 7.000e-008\r\nv4 4 5 dc 0\r\n"},
                                           StageCase{"Npn", 1, "              1",
                                                     "c3 3 4 1.400e-012\r\nr2 3 4 2.000e+006\r\n"
                                                     "vc 3 2 1.000e-003 \r\ni1 3 0 9.000e-008\r\n"
                                                     "i2 4 0 7.000e-008\r\nd1 1 2 DMOD\r\nd2 5 4 DMOD\r\n"},
                                           StageCase{"Pnp", 2, "              2",
                                                     "c3 3 4 1.400e-012\r\nr2 3 4 2.000e+006\r\n"
                                                     "vc 2 3 1.000e-003 \r\ni1 0 3 9.000e-008\r\n"
                                                     "i2 0 4 7.000e-008\r\nd1 2 1 DMOD\r\nd2 4 5 DMOD\r\n"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(TessalySheet, GainSwitchChangesTheUnitAndKeepsTheNumber) {
    // V/mV: the box shows V/mV, 200 is the gain itself.
    auto o = run({"click 1:507", "set 1:9228=200"}, 1, [](CPropertySheet& s) {
        EXPECT_EQ(makertest::box(s, 1, 9228).m_strUnitName, CString("V/mV"));
        EXPECT_DOUBLE_EQ(makertest::box(s, 1, 9228).GetValue(), 106);
        EXPECT_EQ(item(s, 1, 507)->GetCheck(), 1);
    });
    EXPECT_TRUE(contains(o.text, "* Voltage Gain\t\t\t\t\t= 2.000e+002 V/mV\r\n \r\n")) << o.text;
    EXPECT_TRUE(contains(o.text, "g1 0 6 19 0 2.000e+002\r\n"));
    EXPECT_TRUE(contains(o.text, "g2 0 6 poly(2) 3 0 4 0 0 3.162e-003 3.162e-003\r\n"));
    // And back to dB: 60 dB is 1 V/mV.
    o = run({"click 1:507", "click 1:506", "set 1:9228=60"}, 2,
            [](CPropertySheet& s) { EXPECT_EQ(makertest::box(s, 1, 9228).m_strUnitName, CString("dB")); });
    EXPECT_TRUE(contains(o.text, "* Voltage Gain\t\t\t\t\t= 6.000e+001 dB\r\n \r\n"));
    EXPECT_TRUE(contains(o.text, "g1 0 6 19 0 1.000e+000\r\n"));
}

TEST_F(TessalySheet, NotAvailableGreysTheHighFrequencyRowsAndEchoesThem) {
    for (size_t at : {1, 2})
        run({"click 2:1266", "click 2:1266"}, at, [at](CPropertySheet& s) {
            for (int k = 0; k < 5; ++k) {
                const bool enabled = k < 2 || at == 2;
                EXPECT_EQ(makertest::box(s, 2, 9221 + k).edit()->IsWindowEnabled(), enabled) << k;
                EXPECT_EQ(item(s, 2, 9241 + k)->IsWindowEnabled(), enabled) << k;
            }
        });
    // Checked: the three lines say not available, and the stored values still shape the network.
    auto o = run({"set 2:9223=5M", "click 2:1266"});
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(between(o.text, "* Pole 2", "* Page 3"),
              "* Pole 2\t\t\t\t\t\t= 2.000e+000 MHz\r\n"
              "*Pole3 frequency (fp3)\t\t\t        not available\r\n"
              "*Pole4 frequency (fp4)\t\t\t        not available\r\n"
              "*Zero frequency (fz)\t\t            \tnot available\r\n");
    // fr3 equal to frz: the large resistor.
    EXPECT_TRUE(contains(o.text, "r8 18 0 1.000e+012\r\ne1 17 0 13 0 1.000e+000\r\n")) << o.text;
    EXPECT_TRUE(contains(o.text, "c5 19 0 1.592e-012\r\n"));
}

TEST_F(TessalySheet, HelpButtonAsksForTheActivePagesTopic) {
    auto o = run({"help-button", "click 2:1266", "help-button", "set 3:9223=50", "help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 3u);
    const std::uintptr_t contexts[3] = {700, 710, 720};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(o.helps[i].module, "Tessaly");
        EXPECT_EQ(o.helps[i].context, contexts[i]);
    }
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
}

TEST_F(TessalySheet, GainTooLargeForANumberIsRefusedAndTheSheetStaysOpen) {
    bool open = false;
    auto o = run({"set 1:9228=99999", "ok", "set 1:9228=100"}, 2,
                 [&open](CPropertySheet& s) { open = !s.ended(); });
    EXPECT_TRUE(open);
    ASSERT_EQ(o.boxes.size(), 1u);
    const std::string message = o.boxes[0].request.text.str();
    EXPECT_EQ(message.rfind("g1", 0), 0u) << message;
    EXPECT_TRUE(contains(message, "Voltage Gain (Avd)")) << message;
    EXPECT_EQ(o.boxes[0].request.type & 0xF, static_cast<UINT>(MB_OK));
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, "g1 0 6 19 0 1.000e+002\r\n"));
}

} // namespace
