#include "platform/scripted.h"

#include <gtest/gtest.h>

namespace {

ResourceModule makeModule() {
    ResourceModule m;
    m.name = "WindowTest";
    DialogTemplate d;
    d.id = 200;
    d.caption = "Window test";
    using K = ControlKind;
    d.controls = {{IDOK, K::DefPushButton, "OK", {}, 0},
                  {IDCANCEL, K::PushButton, "Cancel", {}, 0},
                  {10, K::RadioButton, "a", {}, kStyleGroup},
                  {11, K::RadioButton, "b", {}, 0},
                  {12, K::RadioButton, "c", {}, kStyleGroup}, // a group of its own
                  {13, K::RadioButton, "d", {}, 0},
                  {20, K::CheckBox, "check", {}, 0},
                  {30, K::ComboBox, "", {}, kStyleDropList},
                  {40, K::Edit, "", {}, kStyleDisabled},
                  {50, K::ListControl, "", {}, 0}};
    m.dialogs[200] = d;
    return m;
}
const ResourceModule g_module = makeModule();

class TestDialog : public CDialog {
  public:
    TestDialog() : CDialog(200) {
        OnClicked(20, [this] { log.push_back("check " + std::to_string(GetDlgItem(20)->GetCheck())); });
        OnSelChange(30, [this] { log.push_back("select " + std::to_string(GetDlgItem(30)->GetCurSel())); });
        OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
            log.push_back("timer " + std::to_string(id));
            if (id == 100 && ++ticks == 3) KillTimer(100);
            if (id == 101) {
                KillTimer(101);
                if (AfxMessageBox("Really?", MB_YESNO) == IDYES) log.push_back("yes");
            }
            return LRESULT{0};
        });
    }
    BOOL OnInitDialog() override {
        GetDlgItem(30)->AddString("first");
        GetDlgItem(30)->AddString("second");
        GetDlgItem(50)->InsertColumn(0, "x");
        GetDlgItem(50)->InsertColumn(1, "y");
        GetDlgItem(50)->InsertItem(0, "1");
        if (withTimers) {
            SetTimer(100, 10);
            SetTimer(101, 25);
        }
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        radioA = GetCheckedRadioButton(10, 11);
        radioC = GetCheckedRadioButton(12, 13);
        CDialog::OnOK();
    }
    bool withTimers = false;
    int ticks = 0;
    int radioA = 0, radioC = 0;
    std::vector<std::string> log;
};

std::vector<ScriptStep> steps(std::initializer_list<std::pair<const char*, const char*>> list) {
    std::vector<ScriptStep> out;
    std::string error;
    for (auto& [verb, arg] : list) {
        auto s = parseScriptStep(verb, arg, error);
        EXPECT_TRUE(s.has_value()) << error;
        if (s) out.push_back(*s);
    }
    return out;
}

struct WindowTest : ::testing::Test {
    void SetUp() override { AfxRegisterResourceModule(&g_module); }
    void TearDown() override { AfxUnregisterResourceModule(&g_module); }
    int run(TestDialog& d, ScriptedPresenter& s) {
        Presenter* prev = setPresenter(&s);
        int r = static_cast<int>(d.DoModal());
        setPresenter(prev);
        return r;
    }
};

TEST_F(WindowTest, ClicksFollowRadioGroupsAndToggleCheckBoxes) {
    TestDialog d;
    ScriptedPresenter s(steps({{"click", "10"},
                               {"click", "11"},
                               {"click", "12"},
                               {"click", "20"},
                               {"click", "20"},
                               {"select", "30=1"}}));
    EXPECT_EQ(run(d, s), IDOK);
    EXPECT_EQ(d.radioA, 11); // b replaced a
    EXPECT_EQ(d.radioC, 12); // the other group kept its own choice
    EXPECT_EQ(d.log, (std::vector<std::string>{"check 1", "check 0", "select 1"}));
}

TEST_F(WindowTest, RefusedStepsCancelTheWindowAndSayWhy) {
    struct Case {
        std::initializer_list<std::pair<const char*, const char*>> steps;
        const char* why;
    } cases[] = {{{{"set", "40=1"}}, "control 40 is disabled"}, {{{"click", "99"}}, "there is no control 99"},
                 {{{"select", "30=5"}}, "has no item 5"},       {{{"set", "30=x"}}, "not a value box"},
                 {{{"cell", "50:3,0=x"}}, "no such cell"},      {{{"click", "30"}}, "not a button"}};
    for (const auto& c : cases) {
        TestDialog d;
        ScriptedPresenter s(steps(c.steps));
        EXPECT_EQ(run(d, s), IDCANCEL);
        ASSERT_TRUE(s.refusal().has_value());
        EXPECT_NE(s.refusal()->find(c.why), std::string::npos) << *s.refusal();
    }
}

TEST_F(WindowTest, CellEditsReachTheList) {
    TestDialog d;
    ScriptedPresenter s(steps({{"cell", "50:0,1=2.5"}}));
    std::string seen;
    s.afterStep = [&](CModalWindow& w, const ScriptStep&) {
        seen = w.GetDlgItem(50)->GetItemText(0, 1).str();
    };
    EXPECT_EQ(run(d, s), IDOK);
    EXPECT_EQ(seen, "2.5");
}

TEST_F(WindowTest, TimersFireInDueOrderAndQuestionsTakeQueuedAnswers) {
    TestDialog d;
    d.withTimers = true;
    ScriptedPresenter s(steps({{"answer", "yes"}, {"cancel", ""}}));
    EXPECT_EQ(run(d, s), IDCANCEL);
    EXPECT_EQ(d.log, (std::vector<std::string>{"timer 100", "timer 100", "timer 101", "yes", "timer 100"}));

    TestDialog unanswered;
    unanswered.withTimers = true;
    ScriptedPresenter none(steps({{"cancel", ""}}));
    run(unanswered, none);
    ASSERT_EQ(none.messageBoxes().size(), 1u);
    EXPECT_EQ(none.messageBoxes()[0].answer, IDNO);
}

TEST_F(WindowTest, PeriodicTimerCannotSpinForever) {
    struct Forever : TestDialog {
        BOOL OnInitDialog() override {
            SetTimer(7, 1);
            return TestDialog::OnInitDialog();
        }
    } d;
    ScriptedPresenter s({});
    s.maxTimerTicks = 50;
    EXPECT_EQ(run(d, s), IDOK); // OK pressed once the steps ran out
    EXPECT_GE(d.log.size(), 50u);
}

TEST_F(WindowTest, TheOkAtTheEndIsNotARepeatOfTheScriptsOk) {
    // OK asks a question; No keeps the window open.
    struct Asking : TestDialog {
        void OnOK() override {
            if (AfxMessageBox("Save anyway?", MB_YESNO) == IDYES) TestDialog::OnOK();
        }
    };
    struct Case {
        bool afterOk;
        std::initializer_list<std::pair<const char*, const char*>> steps;
        int result;
        size_t questions;
    } cases[] = {
        {false, {{"ok", ""}, {"answer", "no"}}, IDCANCEL, 1},             // the script's OK only
        {false, {{"answer", "no"}}, IDCANCEL, 1},                         // the OK at the end only
        {false, {{"ok", ""}, {"ok", ""}, {"answer", "no"}}, IDCANCEL, 2}, // each OK of the script
        {false, {{"ok", ""}, {"answer", "yes"}}, IDOK, 1},
        {true, {{"answer", "no"}, {"answer", "yes"}, {"ok", ""}}, IDOK, 2}, // the end repeats it
    };
    for (const auto& c : cases) {
        Asking d;
        ScriptedPresenter s(steps(c.steps));
        s.pressOkAtEndAfterOk = c.afterOk;
        EXPECT_EQ(run(d, s), c.result);
        EXPECT_EQ(s.messageBoxes().size(), c.questions);
    }
}

TEST(RegisteredMessages, SameNameSameNumber) {
    UINT a = RegisterWindowMessage("User_Def_Data_Changed");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("User_Def_Data_Changed"), a);
    EXPECT_NE(RegisterWindowMessage("Edit Data"), a);
}

TEST(Resources, MissingTemplateMeansNoWindow) {
    CDialog d(4242);
    EXPECT_EQ(d.DoModal(), -1);
}

} // namespace
