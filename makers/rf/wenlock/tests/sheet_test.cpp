// The built Wenlock plug-in as the host runs it: the whole default text, the boxes' set-ups, the
// warnings answered both ways, help, and refusals.
#include "library/unitbox.h"
#include "makertest/plugin.h"
#include "makertest/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Wenlock");
    return p;
}

class WenlockSheet : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

TEST_F(WenlockSheet, NameStringHasTheRfCategory) {
    EXPECT_EQ(plugin().name(), CString("Microstrip Line\nRF"));
}

TEST_F(WenlockSheet, DefaultsGiveTheWholeText) {
    auto o = plugin().run({}, "the host's old text");
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, "*************  Generic microstrip line  *********************\r\n"
                      "*                                                           *\r\n"
                      "*             Generic microstrip line                       *\r\n"
                      "*            Quolvane                                       *\r\n"
                      "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                      "*           \t\t\t\t\t\t    *\r\n"
                      "*                                                           *\r\n"
                      "*************************************************************\r\n"
                      "\r\n"
                      "* Date: Monday, December 08, 2025\r\n"
                      "* Name of Model Builder: \r\n"
                      "* Device Name\t generic_microstrip_line \r\n"
                      "* Microstrip Line Electrical Characteristics \r\n"
                      "* Relative dielectric constant \t\t\t= 9.800e+000 \r\n"
                      "* Operating frequency  \t\t\t\t= 2.000e+000 GHz\r\n"
                      "* Resistivity  \t\t\t\t\t= 2.440e+001 nOhm/m \r\n"
                      "* Loss tangent \t\t\t\t\t= 2.000e-003 \r\n"
                      "* Conductor length \t\t\t\t= 2.000e+001 mm \r\n"
                      "* Conductor width \t\t\t\t= 6.000e-001 mm \r\n"
                      "* Dielectric thickness \t\t\t\t= 6.350e-001 mm \r\n"
                      "* Conductor thickness \t\t\t\t= 8.000e-003 mm \r\n"
                      ".SUBCKT generic_microstrip_line IN OUT \r\n"
                      "Omstrp IN 0 OUT 0 MicStrpMod \r\n"
                      ".MODEL      MicStrpMod LTRA \r\n"
                      "+ (LEN=2.000e-002 L=5.263e-007 C=2.069e-010 \r\n"
                      "+ R=7.160e+002 G=3.503e-002) \r\n"
                      ".ENDS");
}

// Every box: label, unit, limits, digits and default as the pages give them.
TEST_F(WenlockSheet, BoxesAreSetUpFromTheTables) {
    struct Expected {
        int page, k;
        const char* label;
        const char* unit;
        double minimum, maximum, value;
    };
    const Expected rows[] = {
        {1, 0, "相对介电常数", "", 1e-15, 999999999999999.0, 9.8},
        {1, 1, "工作频率", "Hz", 1e-15, 999999999999999.0, 2e9},
        {1, 2, "电阻率", "Ω·m", 1e-15, 999999999999999.0, 2.44e-8},
        {1, 3, "损耗角正切值", "", 1e-15, 0.999999999999999, 0.002},
        {2, 0, "导线长度", "m", 1e-15, 999999999999999.0, 0.02},
        {2, 1, "导线宽度", "m", 1e-15, 999999999999999.0, 0.0006},
        {2, 2, "绝缘厚度", "m", 1e-15, 999999999999999.0, 0.000635},
        {2, 3, "导线厚度", "m", 0, 999999999999999.0, 8e-6},
    };
    bool seen = false;
    plugin().run({"help-button"}, "", [&](CModalWindow& w, const ScriptStep&) {
        seen = true;
        for (const auto& e : rows) {
            auto& b = makertest::box(w, e.page, 9221 + e.k);
            EXPECT_EQ(makertest::item(w, e.page, 9241 + e.k)->GetWindowText(), CString(e.label));
            EXPECT_EQ(b.m_strUnitName, CString(e.unit)) << e.label;
            EXPECT_EQ(b.m_dMinValue, e.minimum) << e.label;
            EXPECT_EQ(b.m_dMaxValue, e.maximum) << e.label;
            EXPECT_EQ(b.m_nDigits, 3) << e.label;
            EXPECT_DOUBLE_EQ(b.GetValue(), e.value) << e.label;
            EXPECT_TRUE(b.edit()->IsWindowEnabled()) << e.label;
        }
    });
    EXPECT_TRUE(seen);
}

TEST_F(WenlockSheet, HelpButtonAsksForTheActivePagesTopic) {
    auto o = plugin().run({"help-button", "set 2:9221=30m", "help-button", "cancel"});
    EXPECT_EQ(o.result, 0);
    ASSERT_EQ(o.helps.size(), 2u);
    EXPECT_EQ(o.helps[0].module, "Wenlock");
    EXPECT_EQ(o.helps[0].context, 1360u);
    EXPECT_EQ(o.helps[1].context, 1370u);
}

// W = 30 um gives W'/h below 0.1. Yes (re-enter) keeps the sheet open with nothing written; a later
// Cancel leaves the host's string empty. No goes on and the text is written with the entered width.
TEST_F(WenlockSheet, WidthWarningYesKeepsTheSheetOpenNoWritesTheText) {
    auto yes = plugin().run({"set 2:9222=30u", "answer yes", "ok", "cancel"}, "old");
    EXPECT_EQ(yes.result, 0);
    EXPECT_TRUE(yes.text.empty());
    ASSERT_EQ(yes.boxes.size(), 1u);
    EXPECT_EQ(
        yes.boxes[0].request.text,
        CString(
            "该导体宽度/绝缘厚度比超出可接受范围[0.1, 10].\n模型精确性可以降低.\n你想重复输入吗？[是／否]"));
    EXPECT_EQ(yes.boxes[0].request.type & 0xF, static_cast<UINT>(MB_YESNO));

    auto no = plugin().run({"set 2:9222=30u", "answer no"});
    EXPECT_EQ(no.result, 1);
    ASSERT_EQ(no.boxes.size(), 1u);
    EXPECT_TRUE(contains(no.text, "* Conductor width \t\t\t\t= 3.000e-002 mm \r\n"));
}

// er 200 and a 30 um strip: two questions; No to both gives the text, No then Yes stops at the second.
TEST_F(WenlockSheet, BothWarningsAreAskedInTurn) {
    auto o = plugin().run({"set 1:9221=200", "set 2:9222=30u", "answer no", "answer yes", "ok", "cancel"});
    EXPECT_EQ(o.result, 0);
    ASSERT_EQ(o.boxes.size(), 2u);
    EXPECT_EQ(
        o.boxes[1].request.text,
        CString("警告:相对介电常数超出有效范围 [1,128].\n模型精确性可能降低.\n你想重新输入吗？[是／否]"));
    auto both = plugin().run({"set 1:9221=200", "set 2:9222=30u", "answer no", "answer no"});
    EXPECT_EQ(both.result, 1);
    EXPECT_EQ(both.boxes.size(), 2u);
    EXPECT_TRUE(contains(both.text, "= 2.000e+002 \r\n"));
}

// A zero thickness is accepted by its box, echoed as 0 and computed as 1 nm.
TEST_F(WenlockSheet, ZeroThicknessIsEchoedAsEntered) {
    auto o = plugin().run({"set 2:9224=0"});
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, "* Conductor thickness \t\t\t\t= 0.000e+000 mm \r\n"));
    EXPECT_FALSE(contains(o.text, "nan"));
    EXPECT_FALSE(contains(o.text, "inf"));
}

// er exactly 1, warning answered No: the dielectric loss cannot be formed. An OK-only message names
// it and the sheet stays open.
TEST_F(WenlockSheet, PermittivityOfOneIsRefusedWithAMessage) {
    auto o = plugin().run({"set 1:9221=1", "answer no", "ok", "cancel"});
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
    ASSERT_EQ(o.boxes.size(), 2u);
    EXPECT_EQ(o.boxes[1].request.type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(contains(o.boxes[1].request.text.str(), "G cannot be computed"));
}

// Values outside a box's limits are refused by the box; the old value stays.
TEST_F(WenlockSheet, BoxesRefuseValuesOutsideTheirLimits) {
    auto o = plugin().run({"set 1:9224=1"});
    EXPECT_EQ(o.result, 0);
    ASSERT_TRUE(o.refusal);
    o = plugin().run({"set 2:9224=-1u"});
    ASSERT_TRUE(o.refusal);
}

} // namespace
