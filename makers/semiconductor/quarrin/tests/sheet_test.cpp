// The built Quarrin plug-in as the host runs it: the pages, the whole default text, the refusals and
// help, driven by scripted steps.
#include "library/unitbox.h"
#include "makertest/plugin.h"
#include "makertest/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Quarrin");
    return p;
}

using makertest::item;

class QuarrinSheet : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

const std::string kBlanks15(15, ' ');

// Written out from the data sheet's defaults: IH 35 mA, IGT 25 mA, VGT 1 V, IDRM 10 µA, VDRM 50 V,
// VRRM 52.5 V, dv/dt 50 V/µs, curve (0.1 A, 0.87 V) (3 A, 1 V) (100 A, 2.54 V), TON 1.5 µs, TOFF 15 µs,
// IFR 25 A, no Irc/Vrc, ID 0, PI 25 A, PV 50 V.
const std::string kDefaultText =
    "************** Silicon Controlled Rectifier *****************\r\n"
    "*                                                           *\r\n"
    "*           Silicon Controlled Rectifier Model              *\r\n"
    "*            Quolvane                                       *\r\n"
    "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
    "*           \t\t\t\t\t\t    *\r\n"
    "*                                                           *\r\n"
    "*************************************************************\r\n"
    "* \r\n"
    "* Date: Monday, December 08, 2025* \r\n"
    "* Name of Model Builder:                           \r\n\n"
    "* INPUT VALUES:\r\n\n"
    "* Page 1\r\n\n"
    "* General\r\n"
    "* Name of Model Builder:\t " +
    kBlanks15 + " \r\n* Device Type No.\t\t " + kBlanks15 +
    " \r\n\n"
    "* Electrical Characteristics\r\n"
    "* Holding Current\t\t\t\t\t= 3.500e+001 mA\r\n"
    "* Gate Trigger Current\t\t\t\t= 2.500e+001 mA\r\n"
    "* Gate Trigger Voltage\t\t\t\t= 1.000e+000 V\r\n"
    "* Peak Forward Blocking Current\t\t\t= 1.000e+001 uA\r\n"
    "* Peak Forward Blocking Voltage\t\t\t= 5.000e+001 V\r\n"
    "* 1.05 Peak Reverse Blocking Voltage\t\t= 5.250e+001 V\r\n"
    "* Critical Rate of Rise of Off-State Voltage\t= 5.000e+001 V/us\r\n\n"
    "* Maximum Forward Voltage Chart \r\n"
    "* Instantaneous Forward Current \t\t\t= 1.000e-001 A\r\n"
    "* at Minimum Value of Instantaneous Voltage\t= 8.700e-001 V\r\n"
    "* Instantaneous Forward Current \t\t\t= 3.000e+000 A\r\n"
    "* at Intermid. Value of Instantaneous Voltage\t= 1.000e+000 V\r\n"
    "* Instantaneous Forward Current \t\t\t= 1.000e+002 A\r\n"
    "* at Max. Value of Instantaneous Voltage \t\t= 2.540e+000 V\r\n\n"
    "* Page 2\r\n\n"
    "* Electrical Characteristics \r\n"
    "* Turn-On Time \t\t\t\t\t= 1.500e+000 us\r\n"
    "* Turn-Off Time \t\t\t\t\t= 1.500e+001 us\r\n\n"
    "* Maximum Ratings Chart \r\n"
    "* Forward Current \t\t\t\t= 2.500e+001 A\r\n"
    "* Reverse Current \t\t\t\t= 0.000e+000 mA\r\n"
    "* Reverse Voltage \t\t\t\t= 0.000e+000 V\r\n"
    "* Identifier \t\t\t\t\t= 0        \r\n"
    "* Parameter related to \"off-state\"  (forw. current)\t= 2.500e+001 A\r\n"
    "* Parameter related to \"off-state\" (peak.rev.bloc.volt.)\t= 5.000e+001 V\r\n\n"
    "* SCR SUBCIRCUIT\r\n"
    ".SUBCKT generic_src_2N6504 10 20 30\r\n"
    ".MODEL DMOD D (N=0.001)\r\n"
    ".MODEL DON1 D(N = 1.499e+000, IS = 1.302e-011, RS = 1.406e-002,)\r\n"
    ".MODEL DGAT D (IS=1E-12)\r\n"
    ".MODEL DBREAK D(IS = 1.632e-008, BV = 6.300e+001, XTI = 3.000e+000)\r\n"
    "V5 10 14 DC 0\r\n"
    "DON 14 22 DON1\r\n"
    "E1 22 20 POLY(2)10 20 3 20 0 0 0 0 1\r\n"
    "*\r\n"
    "VGD 7 0 DC 4.014e-001\r\n"
    "DGATE 30 7 DGAT\r\n"
    "*\r\n"
    "CRISE 14 20 7.000e-010\r\n"
    "DBREAK1 20 27 DBREAK\r\n"
    "DBREAK2  14 27 DBREAK\r\n"
    "VREV 65 14 DC 0\r\n"
    "GOFF 20 65 66 67 1\r\n"
    "RLEAK 10 20 5.000e+006\r\n"
    "*\r\n"
    "D1 3 1 DMOD\r\n"
    "D2 20 3 DMOD\r\n"
    "FCTRL 3 20 POLY(3) VGD V5 VREV -2.500e-002,  1,7.143e-001, 1\r\n"
    "V1 1 20 DC 0.999\r\n"
    "CON 3 20 3.750e-008, IC=1.5\r\n"
    "*\r\n"
    "D3 67 56 DMOD\r\n"
    "D4 56 70 DMOD\r\n"
    "D5 20 56 DMOD\r\n"
    "E2 66 20 10 20 -1\r\n"
    "COFF 56 20 7.054e-009\r\n"
    "ROFF 66 67 8.000e-002\r\n"
    "R10 66 70 1\r\n"
    ".ENDS";

TEST_F(QuarrinSheet, DefaultsGiveTheWholeText) {
    EXPECT_EQ(plugin().name(), CString("SCR\nREG"));
    auto o = plugin().run({}, "the host's old text");
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, kDefaultText);
}

// Each page: caption, the label and unit of every box, its limits and digits.
struct PageCase {
    int page;
    const char* title;
    std::vector<const char*> labels;
    std::vector<const char*> units;
};

class QuarrinPages : public QuarrinSheet, public ::testing::WithParamInterface<PageCase> {};

TEST_P(QuarrinPages, ShowTheirLabelsUnitsAndLimits) {
    const PageCase& c = GetParam();
    bool seen = false;
    plugin().run({"help-button"}, "", [&](CModalWindow& w, const ScriptStep&) {
        auto& s = dynamic_cast<CPropertySheet&>(w);
        seen = true;
        EXPECT_EQ(s.caption(), CString("可控硅模型(预置 2N6504)"));
        EXPECT_EQ(s.GetPage(c.page - 1)->title(), CString(c.title));
        for (size_t k = 0; k < c.labels.size(); ++k) {
            const int id = static_cast<int>(k);
            EXPECT_EQ(item(s, c.page, 9241 + id)->GetWindowText(), CString(c.labels[k])) << k;
            auto& b = makertest::box(s, c.page, 9221 + id);
            EXPECT_EQ(b.m_strUnitName, CString(c.units[k])) << k;
            EXPECT_EQ(b.m_dMaxValue, c.page == 2 && k == 5 ? 1.0 : 999999999999999.0) << k;
            EXPECT_EQ(b.m_dMinValue, c.page == 2 && k >= 3 && k <= 5 ? 0.0 : 1e-15) << k;
            EXPECT_EQ(b.m_nDigits, c.page == 2 && k == 5 ? 0 : 3) << k;
            EXPECT_EQ(b.m_bNoUnit, c.page == 2 && k == 5) << k;
        }
        EXPECT_EQ(item(s, c.page, 9241 + static_cast<int>(c.labels.size())), nullptr);
    });
    EXPECT_TRUE(seen);
}

INSTANTIATE_TEST_SUITE_P(
    Each, QuarrinPages,
    ::testing::Values(
        PageCase{1,
                 "电气特征,最大正向电压 ",
                 {"保持电流", "门触发电流", "门触发电压", "最大正向阻断电流", "最大正向阻断电压",
                  "最大反向阻断电压", "开路临界电压上升速率", "瞬时正向电流", "瞬时电压最小值",
                  "瞬时正向电流", "瞬时电压中间值", "瞬时正向电流", "瞬时电压最大值"},
                 {"A", "A", "V", "A", "V", "V", "V/µs", "A", "V", "A", "V", "A", "V"}},
        PageCase{2,
                 "时间数据 ,最大额定值",
                 {"导通时间", "关断时间", "正向电流", "元件\"关断状态\"的反向电流(Irc)，如果不可用就输入0",
                  "元件\"关断状态\"的反向电压(Vrc)，如果不能用就输入0",
                  "标识符(如果高于现有的Irc和Vrc 值就等于1, 其它则等于 0)",
                  "\"关断状态\"相关参数. (如果高于现有的Irc和Vrc 值就等于零,否则等于峰值正向电流)",
                  "\"关断状态\"参数相关. (如果高于现有的Irc和Vrc 值就等于零,否则等于峰值反向阻断电压)"},
                 {"s", "s", "A", "A", "V", "", "A", "V"}}));

TEST_F(QuarrinSheet, GateOutOfRangeIsRefusedWithAnOkOnlyMessageAndTheSheetStaysOpen) {
    // VGT 0.5 V with IGT 25 mA: 0.5 − 0.025 ln(2.5e10) < 0. The first OK is refused; after VGT is put
    // back the closing OK delivers the text.
    bool openAfterRefusal = false;
    size_t n = 0;
    auto o =
        plugin().run({"set 1:9223=0.5", "ok", "set 1:9223=1"}, "", [&](CModalWindow& w, const ScriptStep&) {
            if (++n == 2) openAfterRefusal = !w.ended();
        });
    EXPECT_TRUE(openAfterRefusal);
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text, CString("控制门触发电流和电压输入值不在可接受值域.\r\n请检查输入值."));
    EXPECT_EQ(o.boxes[0].request.type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.text, kDefaultText);
}

TEST_F(QuarrinSheet, RefusedThenCancelledLeavesTheTextEmpty) {
    auto o = plugin().run({"set 1:9223=0.5", "ok", "cancel"}, "the host's old text");
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
    EXPECT_EQ(o.boxes.size(), 1u);
}

// Values the boxes accept but no simulator could load: an OK-only message naming the fields.
struct NonFiniteCase {
    const char* name;
    std::vector<std::string> steps;
    const char* names;
};

class QuarrinNonFinite : public QuarrinSheet, public ::testing::WithParamInterface<NonFiniteCase> {};

TEST_P(QuarrinNonFinite, IsRefusedNamingTheFields) {
    auto steps = GetParam().steps;
    steps.insert(steps.end(), {"ok", "cancel"});
    auto o = plugin().run(steps, "the host's old text");
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
    ASSERT_EQ(o.boxes.size(), 1u);
    const std::string message = o.boxes[0].request.text.str();
    EXPECT_NE(message.find(GetParam().names), std::string::npos) << message;
    EXPECT_NE(message.find("not a finite number"), std::string::npos) << message;
    EXPECT_EQ(o.boxes[0].request.type & 0xF, static_cast<UINT>(MB_OK));
}

INSTANTIATE_TEST_SUITE_P(
    Each, QuarrinNonFinite,
    ::testing::Values(NonFiniteCase{"EqualForwardVoltages", {"set 1:9231=0.87"}, "forward voltage curve"},
                      NonFiniteCase{"IdentifierOneWithZeroIrc", {"set 2:9226=1", "set 2:9225=30"}, "Irc"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(QuarrinSheet, IdentifierOneTakesTheOffStateFromIrcAndVrc) {
    auto o = plugin().run({"set 2:9224=2m", "set 2:9225=40", "set 2:9226=1"});
    ASSERT_EQ(o.result, 1);
    auto lines = makertest::crlfLines(o.text);
    const std::vector<std::string> tail(lines.end() - 3, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"ROFF 66 67 2.000e+004", "R10 66 70 1", ".ENDS"}));
    EXPECT_NE(o.text.find("* Identifier \t\t\t\t\t= 1        \r\n"), std::string::npos);
    EXPECT_NE(o.text.find("* Reverse Current \t\t\t\t= 2.000e+000 mA\r\n"), std::string::npos);
    // COFF = TOFF · ROFF · ln(IH / IRC) · −0.001 = 1.5e-5 · 2e4 · ln 17.5 · −0.001
    EXPECT_NE(o.text.find("COFF 56 20 -8.587e-004\r\n"), std::string::npos);
}

TEST_F(QuarrinSheet, BoxesRefuseValuesOutsideTheirLimits) {
    for (const char* step : {"set 2:9226=2", "set 1:9221=0", "set 2:9223=-1"}) {
        auto o = plugin().run({step});
        EXPECT_EQ(o.result, 0) << step;
        EXPECT_TRUE(o.refusal.has_value()) << step;
        EXPECT_TRUE(o.text.empty()) << step;
    }
}

TEST_F(QuarrinSheet, HelpButtonAsksForTheActivePagesTopic) {
    auto o = plugin().run({"help-button", "set 2:9221=2u", "help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 2u);
    EXPECT_EQ(o.helps[0].module, "Quarrin");
    EXPECT_EQ(o.helps[0].context, 730u);
    EXPECT_EQ(o.helps[1].context, 111102u);
}

} // namespace
