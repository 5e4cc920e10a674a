// The built Hadrel plug-in as the host runs it: the whole default text, help, and the OK-only
// refusals that keep the sheet open.
#include "makertest/plugin.h"
#include "makertest/support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Hadrel");
    return p;
}

class HadrelSheet : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

TEST_F(HadrelSheet, NameStringHasTheRfCategory) {
    EXPECT_EQ(plugin().name(), CString("Strip Line\nRF"));
}

TEST_F(HadrelSheet, DefaultsGiveTheWholeText) {
    auto o = plugin().run({}, "the host's old text");
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, "***************  Generic strip line  ************************\r\n"
                      "*                                                           *\r\n"
                      "*             Centered-Triplate strip line                  *\r\n"
                      "*            Quolvane                                       *\r\n"
                      "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                      "*           \t\t\t\t\t\t    *\r\n"
                      "*                                                           *\r\n"
                      "*************************************************************\r\n"
                      "\r\n"
                      "* Date: Monday, December 08, 2025\r\n"
                      "* Name of Model Builder: \r\n"
                      "* Device Name\t generic_strip_line \r\n"
                      "* Strip Line Electrical Characteristics\r\n"
                      "* Relative dielectric constant \t\t\t= 9.800e+000 \r\n"
                      "* Operating frequency  \t\t\t\t= 1.000e+000 GHz\r\n"
                      "* Resistivity  \t\t\t\t\t= 1.708e+001 nOhm*m\r\n"
                      "* Loss tangent \t\t\t\t\t= 2.000e-003 \r\n"
                      "* Conductor length \t\t\t\t= 3.000e+001 mm\r\n"
                      "* Conductor width \t\t\t\t= 6.000e-001 mm\r\n"
                      "* Dielectric thickness \t\t\t\t= 1.270e+000 mm\r\n"
                      "* Conductor thickness \t\t\t\t= 8.000e-003 mm\r\n"
                      ".SUBCKT generic_strip_line IN OUT\r\n"
                      "Ostrplin IN  0  OUT  0  M_StripLine\r\n"
                      ".MODEL  M_StripLine  LTRA\r\n"
                      "+ (LEN=3.000e-002 L=3.374e-007 C=3.227e-010\r\n"
                      "+ R=1.430e+001 G=4.055e-003)\r\n"
                      ".ENDS");
}

TEST_F(HadrelSheet, HelpButtonAsksForTheActivePagesTopic) {
    auto o = plugin().run({"help-button", "set 2:9221=30m", "help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 2u);
    EXPECT_EQ(o.helps[0].module, "Hadrel");
    EXPECT_EQ(o.helps[0].context, 1420u);
    EXPECT_EQ(o.helps[1].context, 1430u);
}

// A narrow strip with t/W above 0.11: message 11 with only an OK button, the sheet stays open; after
// a valid thickness the same sheet gives the text.
TEST_F(HadrelSheet, LossOutOfRangeKeepsTheSheetOpen) {
    auto o = plugin().run({"set 2:9222=100u", "set 2:9224=12u", "ok", "set 2:9224=8u"}, "old");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text, CString("参数超出限制。\n导线厚度/绝缘厚度的比值必须小于或者等于 0.25 "
                                               "\n导线厚度/导线宽度的比值必须小于或者等于 0.11."));
    EXPECT_EQ(o.boxes[0].request.type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, "* Conductor thickness \t\t\t\t= 8.000e-003 mm\r\n"));
    auto cancelled = plugin().run({"set 2:9222=100u", "set 2:9224=12u", "ok", "cancel"}, "old");
    EXPECT_EQ(cancelled.result, 0);
    EXPECT_TRUE(cancelled.text.empty());
}

TEST_F(HadrelSheet, ZeroThicknessIsEchoedAsEntered) {
    auto o = plugin().run({"set 2:9224=0"});
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_TRUE(contains(o.text, "* Conductor thickness \t\t\t\t= 0.000e+000 mm\r\n"));
}

// A strip as thick as the spacing: OK-only message naming C, no text.
TEST_F(HadrelSheet, StripAsThickAsTheSpacingIsRefused) {
    auto o = plugin().run({"set 2:9223=1270u", "set 2:9224=1270u", "ok", "cancel"});
    EXPECT_EQ(o.result, 0);
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_TRUE(contains(o.boxes[0].request.text.str(), "C cannot be computed"));
}

} // namespace
