#include "library/unitbox.h"

#include "platform/scripted.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A window with one edit control that counts the notifications its box sends.
struct BoxFixture : ::testing::Test {
    CWnd window;
    CUserDefValueSpinUnitBox box;
    std::vector<WPARAM> notified;
    ScriptedPresenter quiet{{}};
    Presenter* previous = nullptr;

    void SetUp() override {
        previous = setPresenter(&quiet);
        window.addControl({9221, ControlKind::Edit, "", {}, 0});
        window.OnMessage(RegisterWindowMessage("User_Def_Data_Changed"), [this](WPARAM w, LPARAM) {
            notified.push_back(w);
            return LRESULT{0};
        });
        box.Create(9221, 0, 4, 4, 0.0, 1.0, 20, &window, 3, false, true, 0, 1.0, true);
        box.m_strUnitName = CUnitValue::get_unit_string_name(3);
        box.ResetUnitCharIndex(0, 8);
        box.ResetUnitList();
        box.m_dMinValue = 1e-15;
        box.m_dMaxValue = 1e3;
        box.SetValue(0.5);
    }
    void TearDown() override { setPresenter(previous); }
    EditVerdict type(const char* text) { return window.GetDlgItem(9221)->userEdit(text); }
};

TEST_F(BoxFixture, ParsesPrefixesAndUnitsIntoBaseUnits) {
    struct Case {
        const char* typed;
        double value;
    } cases[] = {{"2.5 mA", 2.5e-3},
                 {"2.5m", 2.5e-3},
                 {"1G", 0.5 /* above the maximum: refused */},
                 {"3", 3.0},
                 {"10uA", 10e-6},
                 {"10 µA", 10e-6},
                 {"4.7e-3", 4.7e-3},
                 {" 7 kA ", 0.5 /* refused too */},
                 {"2 A", 2.0},
                 {"100p", 100e-12}};
    for (const auto& c : cases) {
        box.SetValue(0.5);
        type(c.typed);
        EXPECT_DOUBLE_EQ(box.GetValue(), c.value) << c.typed;
    }
}

TEST_F(BoxFixture, RefusedTextKeepsTheValueSaysWhyAndSendsNothing) {
    for (const char* bad : {"abc", "", "2.5 mV", "5 Q", "nan", "2000", "0", "-1"}) {
        EditVerdict v = type(bad);
        EXPECT_FALSE(v.accepted) << bad;
        EXPECT_FALSE(v.reason.empty()) << bad;
        EXPECT_DOUBLE_EQ(box.GetValue(), 0.5) << bad;
        EXPECT_EQ(window.GetDlgItemText(9221), "500 mA") << bad;
    }
    EXPECT_TRUE(notified.empty());
    EXPECT_EQ(quiet.messageBoxes().size(), 8u);
}

TEST_F(BoxFixture, AcceptedEditNotifiesTheParentWithTheEditId) {
    EXPECT_TRUE(type("20 mA").accepted);
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0], 9221u);
    EXPECT_EQ(window.GetDlgItemText(9221), "20 mA");
}

TEST_F(BoxFixture, DataExchangeReadsAndShowsBaseUnits) {
    double v = 0.125;
    CDataExchange load(&window, false);
    box.DDX_Double(&load, v);
    EXPECT_EQ(window.GetDlgItemText(9221), "125 mA");
    type("3.3");
    CDataExchange save(&window, true);
    box.DDX_Double(&save, v);
    EXPECT_DOUBLE_EQ(v, 3.3);
}

TEST_F(BoxFixture, UnitChoiceRescalesTheShownNumberAndSpinStaysInLimits) {
    box.SetValue(2.5e-3);
    ASSERT_EQ(box.unitChoices().size(), 9u);
    EXPECT_EQ(box.unitChoices()[box.unitChoice()], "mA");
    EXPECT_TRUE(box.chooseUnit(2).accepted); // µA
    EXPECT_DOUBLE_EQ(box.GetValue(), 2.5e-6);
    box.SetValue(999.0);
    box.spin(+5);
    EXPECT_LE(box.GetValue(), 1e3);
}

TEST(UnitBoxDisplay, CountBoxWithoutUnitShowsAPlainInteger) {
    CWnd window;
    window.addControl({9202, ControlKind::Edit, "", {}, 0});
    CUserDefValueSpinUnitBox box;
    box.Create(9202, 0, 4, 4, 0.0, 1.0, 20, &window, 3, false, true, 0, 1.0, true);
    box.ResetUnitCharIndex(4, 4);
    box.m_nDigits = 0;
    box.m_bNoUnit = true;
    box.SetValue(5);
    EXPECT_EQ(window.GetDlgItemText(9202), "5");
    EXPECT_FALSE(box.hasUnitList());
    EXPECT_EQ(box.displayText(3.3), "3.3");
}

TEST_F(BoxFixture, RefusalsTellWhatWouldBeAccepted) {
    struct Case {
        const char* typed;
        const char* says;
    } cases[] = {
        // Too large for a double is out of range, not "not a number".
        {"1e400", "The value must lie between "},
        {"-1e400", "The value must lie between "},
        {"1e308T", "The value must lie between "},
        {"1e308", "The value must lie between "},
        // Hexadecimal is not taken as a value.
        {"0x10", "\"0x10\" is not a number. Type a value such as 2.5, 2.5m or 2.5 mA."},
        {"-0X1p3", "is not a number"},
        {"inf", "is not a number"},
    };
    for (const auto& c : cases) {
        box.SetValue(0.5);
        EditVerdict v = type(c.typed);
        EXPECT_FALSE(v.accepted) << c.typed;
        EXPECT_NE(v.reason.find(c.says), std::string::npos) << c.typed << ": " << v.reason;
        EXPECT_DOUBLE_EQ(box.GetValue(), 0.5) << c.typed;
    }
}

TEST_F(BoxFixture, TheRangeMessagePrintsBoundsTheBoxAccepts) {
    const std::string lead = "The value must lie between ";
    struct Case {
        double min, max;
        const char* tooHigh;
    } cases[] = {
        {-1e15, 999999999999999.0, "1000T"}, // a maximum just under 1000 T
        {1.0000004e-3, 2.0, "3"},            // a minimum just over a printed step
        {1e-15, 1e3, "2k"},
        {-2.5e-3, 0.1, "1"},
    };
    for (const auto& c : cases) {
        box.m_dMinValue = c.min;
        box.m_dMaxValue = c.max;
        box.SetValue(c.max);
        EditVerdict v = type(c.tooHigh);
        ASSERT_FALSE(v.accepted) << c.tooHigh;
        ASSERT_EQ(v.reason.rfind(lead, 0), 0u) << v.reason;
        const size_t and_ = v.reason.find(" and ");
        ASSERT_NE(and_, std::string::npos) << v.reason;
        const std::string lo = v.reason.substr(lead.size(), and_ - lead.size());
        const std::string hi = v.reason.substr(and_ + 5, v.reason.size() - and_ - 6);
        // Both printed bounds are values the box takes.
        EXPECT_TRUE(type(lo.c_str()).accepted) << v.reason;
        EXPECT_TRUE(type(hi.c_str()).accepted) << v.reason;
    }
    box.m_dMinValue = -1e15;
    box.m_dMaxValue = 999999999999999.0;
    EXPECT_EQ(type("1000T").reason, "The value must lie between -1000 TA and 999.999999 TA.");
}

TEST(UnitBoxMessages, ABoxWithoutUnitOffersNoUnitInItsExample) {
    CWnd window;
    window.addControl({9202, ControlKind::Edit, "", {}, 0});
    ScriptedPresenter quiet{{}};
    Presenter* previous = setPresenter(&quiet);
    CUserDefValueSpinUnitBox box;
    box.Create(9202, 0, 4, 4, 0.0, 1.0, 20, &window, 3, false, true, 0, 1.0, true);
    box.ResetUnitCharIndex(4, 4);
    box.m_bNoUnit = true;
    box.m_dMinValue = 1;
    box.m_dMaxValue = 10;
    box.SetValue(5);
    EditVerdict v = window.GetDlgItem(9202)->userEdit("abc");
    setPresenter(previous);
    EXPECT_FALSE(v.accepted);
    EXPECT_NE(v.reason.find("Type a value such as 2.5."), std::string::npos) << v.reason;
    EXPECT_EQ(v.reason.find(" m"), std::string::npos) << v.reason;
}

TEST(UnitNames, KindsTheMakersUse) {
    EXPECT_EQ(CUnitValue::get_unit_string_name(0), "");
    EXPECT_EQ(CUnitValue::get_unit_string_name(2), "V");
    EXPECT_EQ(CUnitValue::get_unit_string_name(37), "V/µs");
    EXPECT_EQ(CUnitValue::get_unit_string_name(26), "m");
    EXPECT_EQ(CUnitValue::get_unit_string_name(12), "°");
}

} // namespace

namespace {

// A prefix on a square metre scales the metre: 130 mm² is 1.3e-4 m², and that is how it is shown.
TEST_F(BoxFixture, SquareMetresTakeTheirPrefixSquared) {
    box.m_strUnitName = CUnitValue::get_unit_string_name(unitKind(Unit::SquareMetre));
    box.ResetUnitList();
    box.m_dMaxValue = 1e6;
    box.SetValue(1.3e-4);
    EXPECT_EQ(box.displayText(1.3e-4), "130 mm²");
    struct Case {
        const char* typed;
        double value;
    } cases[] = {{"130 mm²", 1.3e-4}, {"2 cm2", 2 * 1e-4 /* no c prefix: refused */}, {"5 µm²", 5e-12}, {"3", 3.0}};
    for (const auto& c : cases) {
        box.SetValue(2e-4);
        type(c.typed);
        EXPECT_DOUBLE_EQ(box.GetValue(), c.value) << c.typed;
    }
    // Choosing another prefix keeps the shown number: 130 mm² becomes 130 µm².
    box.SetValue(1.3e-4);
    const auto choices = box.unitChoices();
    const auto micro = std::find(choices.begin(), choices.end(), std::string("µm²"));
    ASSERT_NE(micro, choices.end());
    box.chooseUnit(static_cast<int>(micro - choices.begin()));
    EXPECT_DOUBLE_EQ(box.GetValue(), 1.3e-10);
}

} // namespace
