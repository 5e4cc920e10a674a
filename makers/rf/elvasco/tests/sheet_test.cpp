// The built Elvasco plug-in as the host runs it: the whole default text, the angle box, help, and
// the OK-only refusals that keep the sheet open.
#include "makertest/plugin.h"
#include "makertest/support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Elvasco");
    return p;
}

class ElvascoSheet : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

TEST_F(ElvascoSheet, NameStringHasTheRfCategory) {
    EXPECT_EQ(plugin().name(), CString("Stripline Bend\nRF"));
}

TEST_F(ElvascoSheet, DefaultsGiveTheWholeText) {
    auto o = plugin().run({}, "the host's old text");
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, "*****************  Stripline bend  **************************\r\n"
                      "*                                                           *\r\n"
                      "*                  Stripline bend                           *\r\n"
                      "*            Quolvane                                       *\r\n"
                      "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                      "*           \t\t\t\t\t\t    *\r\n"
                      "*                                                           *\r\n"
                      "*************************************************************\r\n"
                      "\r\n"
                      "* Date: Monday, December 08, 2025\r\n"
                      "* Name of Model Builder: \r\n"
                      "* Device Name\t generic_stripline_bend \r\n"
                      "* Stripline Bend Electrical Characteristics\r\n"
                      "* Relative dielectric constant \t\t\t= 9.800e+000 \r\n"
                      "* Operating frequency  \t\t\t\t= 1.000e+000 GHz\r\n"
                      "* Resistivity  \t\t\t\t\t= 1.708e+001 nOhm*m\r\n"
                      "* Loss tangent \t\t\t\t\t= 2.000e-003 \r\n"
                      "* Stripline conductor width \t\t\t= 1.000e+000 mm\r\n"
                      "* Bend angle \t\t\t\t\t= 4.500e+001 degr.\r\n"
                      "* Dielectric thickness \t\t\t\t= 6.350e-001 mm\r\n"
                      "* Conductor thickness \t\t\t\t= 8.000e-003 mm\r\n"
                      ".SUBCKT generic_stripline_bend 1 2\r\n"
                      "Ostrplin1 1 0 n1 0 M_StripLine\r\n"
                      "Ostrplin2 n2 0 2 0 M_StripLine\r\n"
                      "La1 n1 n3 7.277e-011\r\n"
                      "La2 n3 n2 7.277e-011\r\n"
                      "Cb n3 0 3.452e-013\r\n"
                      ".MODEL     M_StripLine LTRA\r\n"
                      "+ (LEN=3.025e-005 L=1.523e-007 C=7.148e-010\r\n"
                      "+ R=9.003e+000 G=8.983e-003)\r\n"
                      ".ENDS \r\n");
}

// The angle box: degrees without a prefix choice, 0 to 360; typed with or without its unit.
TEST_F(ElvascoSheet, AngleBoxTakesDegrees) {
    bool seen = false;
    auto o = plugin().run({"set 2:9222=90 deg"}, "", [&](CModalWindow& w, const ScriptStep&) {
        auto& b = makertest::box(w, 2, 9222);
        EXPECT_EQ(b.m_strUnitName, CString("°"));
        EXPECT_EQ(b.m_dMinValue, 0.0);
        EXPECT_EQ(b.m_dMaxValue, 360.0);
        EXPECT_EQ(makertest::item(w, 2, 9242)->GetWindowText(), CString("弯曲角度"));
        seen = true;
    });
    EXPECT_TRUE(seen);
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, "* Bend angle \t\t\t\t\t= 9.000e+001 degr.\r\n"));
    EXPECT_TRUE(contains(o.text, "La1 n1 n3 5.501e-011\r\n")); // the right-angle formulas
    auto refused = plugin().run({"set 2:9222=361"});
    ASSERT_TRUE(refused.refusal);
}

TEST_F(ElvascoSheet, HelpButtonAsksForTheActivePagesTopic) {
    auto o = plugin().run({"help-button", "set 2:9222=30", "help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 2u);
    EXPECT_EQ(o.helps[0].module, "Elvasco");
    EXPECT_EQ(o.helps[0].context, 1440u);
    EXPECT_EQ(o.helps[1].context, 1450u);
}

// 180 degrees is no bend: an OK-only message, the sheet stays open; another angle then gives the text.
TEST_F(ElvascoSheet, StraightBendIsRefusedAndTheSheetStaysOpen) {
    auto o = plugin().run({"set 2:9222=180", "ok", "set 2:9222=170"}, "old");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text, CString("弯曲角度不能等于 180 度 (没有弯曲).\n请重新输入弯曲角度."));
    EXPECT_EQ(o.boxes[0].request.type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, "= 1.700e+002 degr.\r\n"));
}

TEST_F(ElvascoSheet, NarrowThickStripGivesMessage13) {
    auto o = plugin().run({"set 2:9221=50u", "ok", "cancel"}, "old");
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text, CString("参数超出限制。\n导线厚度/绝缘厚度的比值必须小于或者等于 0.25 "
                                               "\n导线厚度/导线宽度的比值必须小于或者等于 0.11."));
}

TEST_F(ElvascoSheet, ZeroThicknessIsEchoedAsEntered) {
    auto o = plugin().run({"set 2:9224=0"});
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, "* Conductor thickness \t\t\t\t= 0.000e+000 mm\r\n"));
}

} // namespace
