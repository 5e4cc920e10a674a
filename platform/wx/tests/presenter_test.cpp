// The presenter over windows built for the test: every kind of control, value boxes, a list control and
// a two-page sheet, driven with toolkit events; the model must see each action and the widgets must show
// the model after each handler.
#include "library/unitbox.h"
#include "wxtesting/drive.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

// After msgdlg.h, which it builds on.
#include <wx/generic/msgdlgg.h>

using namespace korvane::wx;

namespace {

enum : int {
    IDC_VOLTS = 9201,
    IDC_COUNT = 9202,
    IDC_THIRD = 9203,
    IDC_NAME = 100,
    IDC_LOCK = 101,
    IDC_A = 102,
    IDC_B = 103,
    IDC_KIND = 104,
    IDC_SHOWN = 107,
    IDC_STAGE = 108,
    IDC_PLACES = 109,
    IDC_TABLE = 1320,
};

ResourceModule makeModule() {
    ResourceModule m;
    m.name = "PresenterTest";
    m.strings = {{8, "两页窗口"}};
    using K = ControlKind;
    DialogTemplate d;
    d.id = 300;
    d.caption = "测试窗口";
    d.width = 240;
    d.height = 200;
    d.controls = {
        {IDOK, K::DefPushButton, "确定(&O)", {79, 180, 50, 14}, 0},
        {IDCANCEL, K::PushButton, "取消(&C)", {132, 180, 50, 14}, 0},
        {ID_HELP, K::PushButton, "帮助(&H)", {185, 180, 50, 14}, 0},
        {-1, K::GroupBox, "数值", {3, 3, 233, 62}, 0},
        {9221, K::Static, "电压", {9, 14, 50, 8}, kStyleRight | kStyleCenterV},
        {IDC_VOLTS, K::Edit, "", {63, 12, 82, 12}, 0},
        {9222, K::Static, "数量", {9, 30, 50, 8}, kStyleRight | kStyleCenterV},
        {IDC_COUNT, K::Edit, "", {63, 28, 82, 12}, 0},
        {9223, K::Static, "第三", {9, 46, 50, 8}, kStyleRight | kStyleCenterV},
        {IDC_THIRD, K::Edit, "", {63, 44, 82, 12}, 0},
        {IDC_NAME, K::Edit, "abc", {9, 70, 80, 12}, 0},
        {IDC_LOCK, K::CheckBox, "锁定第三行", {100, 71, 80, 10}, 0},
        {IDC_A, K::RadioButton, "选项 1", {9, 88, 60, 10}, kStyleGroup},
        {IDC_B, K::RadioButton, "选项 2", {80, 88, 60, 10}, 0},
        {IDC_STAGE, K::ComboBox, "", {150, 86, 80, 60}, kStyleVScroll},
        {IDC_PLACES, K::ListBox, "", {186, 66, 48, 18}, kStyleVScroll},
        {IDC_KIND, K::ComboBox, "", {9, 102, 90, 60}, kStyleDropList},
        {IDC_SHOWN, K::Static, "", {110, 104, 120, 8}, 0},
        {IDC_TABLE, K::ListControl, "", {9, 118, 220, 56}, 0},
        {-1, K::EtchedLine, "", {1, 176, 238, 1}, 0},
    };
    m.dialogs[300] = d;
    DialogTemplate p1;
    p1.id = 301;
    p1.caption = "Page One";
    p1.width = 200;
    p1.height = 80;
    p1.controls = {{9221, K::Edit, "", {10, 10, 80, 12}, 0},
                   {500, K::CheckBox, "Keep me here", {10, 30, 100, 10}, 0}};
    m.dialogs[301] = p1;
    DialogTemplate p2 = p1;
    p2.id = 302;
    p2.caption = "Page Two";
    p2.controls = {{600, K::Static, "second", {10, 10, 80, 8}, 0}};
    m.dialogs[302] = p2;
    return m;
}

const ResourceModule& module() {
    static const ResourceModule m = makeModule();
    return m;
}

// A dialog with every kind of control and the behaviour makers give their windows.
class TestDialog : public CDialog {
  public:
    TestDialog() : CDialog(300) {
        const UINT changed = RegisterWindowMessage("User_Def_Data_Changed");
        OnMessage(changed, [this](WPARAM id, LPARAM) {
            changes.push_back(static_cast<int>(id));
            if (static_cast<int>(id) == IDC_COUNT) {
                const int n = static_cast<int>(count.GetValue());
                GetDlgItem(9223)->ShowWindow(n >= 2 ? SW_SHOW : SW_HIDE);
                third.ShowWindow(n >= 2 ? SW_SHOW : SW_HIDE);
            }
            return LRESULT{0};
        });
        OnClicked(IDC_LOCK, [this] { third.EnableWindow(!IsDlgButtonChecked(IDC_LOCK)); });
        OnSelChange(IDC_KIND, [this] {
            GetDlgItem(IDC_SHOWN)->SetWindowText(
                GetDlgItem(IDC_KIND)->GetLBText(GetDlgItem(IDC_KIND)->GetCurSel()));
            fillStages(GetDlgItem(IDC_KIND)->GetCurSel() == 0 ? "Bipolar" : "MOS");
        });
        OnSelChange(IDC_STAGE, [this] { stagePicks.push_back(GetDlgItem(IDC_STAGE)->GetCurSel()); });
        OnMessage(RegisterWindowMessage("Edit Data"), [this](WPARAM id, LPARAM row) {
            edits.push_back({static_cast<int>(id), static_cast<int>(row)});
            return LRESULT{0};
        });
        OnClicked(ID_HELP, [] {
            AfxSetHelpTarget("PresenterTest", 0x625A);
            presenter().help(AfxGetHelpTarget());
        });
        OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
            if (++ticks >= 3) {
                KillTimer(static_cast<UINT>(id));
                EndDialog(IDOK);
            }
            return LRESULT{0};
        });
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        int k = 0;
        for (auto* b : {&volts, &count, &third}) {
            b->Create(IDC_VOLTS + k++, 0, 4, 4, 0.0, 1.0, 20, this, 3, false, true, 0, 1.0, true);
        }
        volts.m_strUnitName = CUnitValue::get_unit_string_name(2);
        volts.ResetUnitCharIndex(0, 8);
        volts.ResetUnitList();
        volts.m_dMinValue = 1e-15;
        volts.m_dMaxValue = 1e6;
        volts.SetValue(110.0);
        count.ResetUnitCharIndex(4, 4);
        count.m_bNoUnit = true;
        count.m_nDigits = 0;
        count.m_dMinValue = 1;
        count.m_dMaxValue = 5;
        count.ResetUnitList();
        count.SetValue(2);
        third.m_strUnitName = CUnitValue::get_unit_string_name(3);
        third.ResetUnitCharIndex(0, 8);
        third.ResetUnitList();
        third.SetValue(0.002);
        CheckRadioButton(IDC_A, IDC_B, IDC_A);
        GetDlgItem(IDC_KIND)->AddString("N-channel");
        GetDlgItem(IDC_KIND)->AddString("P-channel");
        GetDlgItem(IDC_KIND)->SetCurSel(0);
        fillStages("Bipolar");
        for (const char* place : {"Input", "Output"})
            GetDlgItem(IDC_PLACES)->AddString(place);
        CWnd* table = GetDlgItem(IDC_TABLE);
        table->InsertColumn(0, "Order", 40);
        table->InsertColumn(1, "B Value", 120);
        for (int i = 0; i < 4; ++i) {
            table->InsertItem(i, std::to_string(i + 1).c_str());
            table->SetItemText(i, 1, std::to_string(i * 0.25).c_str());
        }
        table->setCellHook([](int, int col, const CString& s) {
            return col == 0 || s.GetLength() > 0 ? EditVerdict{} : EditVerdict{false, "a value is needed"};
        });
        if (startTimer) SetTimer(7, 5);
        return 1;
    }

    // Refills the editable combo as makers do: clear, add, select the first item (the same text each
    // time).
    void fillStages(const char* second) {
        CWnd* stage = GetDlgItem(IDC_STAGE);
        stage->ResetContent();
        for (const char* s : {"Any stage", second, "JFET"})
            stage->AddString(s);
        stage->SetCurSel(0);
    }

    CUserDefValueSpinUnitBox volts, count, third;
    std::vector<int> stagePicks;
    std::vector<int> changes;
    std::vector<std::pair<int, int>> edits;
    int ticks = 0;
    bool startTimer = false;
};

class Page : public CPropertyPage {
  public:
    explicit Page(unsigned id) : CPropertyPage(id) {}
    BOOL OnKillActive() override { return !(GetDlgItem(500) && IsDlgButtonChecked(500)); }
    int initialised = 0;
    BOOL OnInitDialog() override {
        ++initialised;
        return CPropertyPage::OnInitDialog();
    }
};

class TestSheet : public CPropertySheet {
  public:
    TestSheet() : CPropertySheet(8), one(301), two(302) {
        AddPage(&one);
        AddPage(&two);
        m_psh.dwFlags |= PSH_HASHELP | PSH_NOAPPLYNOW;
    }
    Page one, two;
};

class PresenterTest : public testing::Test {
  protected:
    void SetUp() override {
        AfxRegisterResourceModule(&module());
        saved_ = AfxGetResourceHandle();
        AfxSetResourceHandle(&module());
        previous_ = setPresenter(&gui);
        gui.onHelp = [](const HelpRequest&) {};
        gui.answerMessageBox = [](const MessageBoxRequest& r) -> std::optional<int> {
            return (r.type & 0xF) == MB_YESNO ? IDYES : IDOK;
        };
    }
    void TearDown() override {
        setPresenter(previous_);
        AfxSetResourceHandle(saved_);
        AfxUnregisterResourceModule(&module());
    }
    // Runs a window; `steps` acts on it once it is on screen and must end it.
    template <typename W> INT_PTR run(W& window, std::function<void(WindowView&)> steps) {
        gui.onShown = [&, steps](WindowView& v) {
            steps(v);
            // A test that forgot to end its window must not hang the run.
            if (!v.model().ended()) {
                ADD_FAILURE() << "the steps left the window open";
                drive::press(v.widget(IDCANCEL));
            }
        };
        return window.DoModal();
    }

    WxPresenter gui;
    Presenter* previous_ = nullptr;
    HINSTANCE saved_ = nullptr;
};

TEST(DialogUnits, ConvertEdgesWithTheFontBaseAsTheDialogManagerDoes) {
    const DialogBaseUnits base{7, 15};
    EXPECT_EQ(toPixels({4, 8, 8, 16}, base), wxRect(7, 15, 14, 30));
    // Edges round independently: 1 unit at x 1 spans from pixel 2 to 4.
    EXPECT_EQ(toPixels({1, 1, 1, 1}, base), wxRect(2, 2, 2, 2));
    EXPECT_EQ(dluToPixelsX(-4, base), -7);
    EXPECT_EQ(dluToPixelsY(209, base), 392);
    const DialogBaseUnits measured = dialogBaseUnits(templateFont(DialogTemplate{}));
    EXPECT_GT(measured.x, 3);
    EXPECT_GT(measured.y, measured.x);
}

TEST(PresenterTexts, HelpTopicAndChooserFilter) {
    EXPECT_NE(helpTopicText({"Soskin", 0x625A}).find("25178 (0x625A) of Soskin"), std::string::npos);
    EXPECT_EQ(toWxFilter("Library (*.lib)|*.lib|All files (*.*)|*.*||"),
              "Library (*.lib)|*.lib|All files (*.*)|*.*");
    EXPECT_EQ(toWxFilter(""), "");
}

TEST_F(PresenterTest, WidgetsStartFromTheModelAndOkEndsTheWindow) {
    TestDialog d;
    INT_PTR result = run(d, [&](WindowView& v) {
        EXPECT_EQ(v.dialog()->GetTitle(), wxString::FromUTF8("测试窗口"));
        EXPECT_EQ(v.valueBox(IDC_VOLTS)->text()->GetValue(), "110 V");
        EXPECT_EQ(v.valueBox(IDC_VOLTS)->unitButton()->GetLabel(), "V");
        EXPECT_EQ(v.valueBox(IDC_COUNT)->unitButton(), nullptr);
        EXPECT_EQ(v.valueBox(IDC_THIRD)->text()->GetValue(), "2 mA");
        EXPECT_TRUE(static_cast<wxRadioButton*>(v.widget(IDC_A))->GetValue());
        EXPECT_FALSE(static_cast<wxRadioButton*>(v.widget(IDC_B))->GetValue());
        EXPECT_EQ(static_cast<wxChoice*>(v.widget(IDC_KIND))->GetCount(), 2u);
        EXPECT_EQ(v.list(IDC_TABLE)->GetItemCount(), 4);
        EXPECT_EQ(v.list(IDC_TABLE)->GetItemText(2, 1), "0.500000");
        // Controls sit where their template puts them.
        wxRect r = v.rectInDialog(IDC_VOLTS);
        EXPECT_EQ(r,
                  toPixels({63, 12, 82, 12}, dialogBaseUnits(v.widget(IDC_VOLTS)->GetParent()->GetFont())));
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(PresenterTest, TypedValuesReachTheModelAndHandlersShowAndHideRows) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        drive::type(v.valueBox(IDC_VOLTS), "2.5k");
        EXPECT_DOUBLE_EQ(d.volts.GetValue(), 2500.0);
        EXPECT_EQ(v.valueBox(IDC_VOLTS)->text()->GetValue(), "2.5 kV");
        EXPECT_EQ(v.valueBox(IDC_VOLTS)->unitButton()->GetLabel(), "kV");
        drive::type(v.valueBox(IDC_COUNT), "1");
        EXPECT_FALSE(v.widget(IDC_THIRD)->IsShown());
        EXPECT_FALSE(v.widget(9223)->IsShown());
        drive::type(v.valueBox(IDC_COUNT), "3");
        EXPECT_TRUE(v.widget(IDC_THIRD)->IsShown());
        // The plain edit commits when the focus leaves it too.
        auto* name = static_cast<wxTextCtrl*>(v.widget(IDC_NAME));
        name->ChangeValue("xyz");
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(d.changes, (std::vector<int>{IDC_VOLTS, IDC_COUNT, IDC_COUNT}));
}

TEST_F(PresenterTest, PendingTextIsCommittedBeforeAButtonActs) {
    TestDialog d;
    CString name;
    d.OnClicked(IDOK, [&] {
        name = d.GetDlgItemText(IDC_NAME);
        d.EndDialog(IDOK);
    });
    run(d, [&](WindowView& v) {
        static_cast<wxTextCtrl*>(v.widget(IDC_NAME))->ChangeValue("typed, no Enter");
        v.valueBox(IDC_VOLTS)->text()->ChangeValue("7");
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(name, CString("typed, no Enter"));
    EXPECT_DOUBLE_EQ(d.volts.GetValue(), 7.0);
}

TEST_F(PresenterTest, RefusedTextIsReportedAndTheBoxShowsTheKeptValue) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        drive::type(v.valueBox(IDC_COUNT), "9");
        EXPECT_EQ(v.valueBox(IDC_COUNT)->text()->GetValue(), "2");
        drive::type(v.valueBox(IDC_VOLTS), "abc");
        EXPECT_EQ(v.valueBox(IDC_VOLTS)->text()->GetValue(), "110 V");
        drive::press(v.widget(IDOK));
    });
    ASSERT_EQ(gui.messageBoxes().size(), 2u);
    EXPECT_NE(gui.messageBoxes()[0].text.str().find("between"), std::string::npos);
    EXPECT_NE(gui.messageBoxes()[1].text.str().find("not a number"), std::string::npos);
    EXPECT_DOUBLE_EQ(d.count.GetValue(), 2.0);
    EXPECT_DOUBLE_EQ(d.volts.GetValue(), 110.0);
    EXPECT_TRUE(d.changes.empty());
}

TEST_F(PresenterTest, UnitListAndSpinArrowsChangeTheValueThroughTheBox) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        // Choices run p, n, µ, m, (none), k …: index 3 is millivolts; the number shown stays.
        drive::chooseUnit(v.valueBox(IDC_VOLTS), 3);
        EXPECT_DOUBLE_EQ(d.volts.GetValue(), 0.11);
        EXPECT_EQ(v.valueBox(IDC_VOLTS)->text()->GetValue(), "110 mV");
        drive::spin(v.valueBox(IDC_COUNT), true);
        EXPECT_DOUBLE_EQ(d.count.GetValue(), 3.0);
        drive::spin(v.valueBox(IDC_COUNT), false);
        drive::spin(v.valueBox(IDC_COUNT), false);
        drive::spin(v.valueBox(IDC_COUNT), false); // stays at the minimum
        EXPECT_DOUBLE_EQ(d.count.GetValue(), 1.0);
        EXPECT_FALSE(v.widget(IDC_THIRD)->IsShown());
        drive::press(v.widget(IDOK));
    });
}

TEST_F(PresenterTest, ButtonsChecksAndChoicesGoThroughTheMessageMap) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        drive::toggle(v.widget(IDC_LOCK));
        EXPECT_EQ(d.IsDlgButtonChecked(IDC_LOCK), BST_CHECKED);
        EXPECT_FALSE(v.valueBox(IDC_THIRD)->text()->IsEnabled());
        EXPECT_FALSE(v.valueBox(IDC_THIRD)->spinArrows()->IsEnabled());
        drive::clickRadio(v.widget(IDC_B));
        EXPECT_EQ(d.GetCheckedRadioButton(IDC_A, IDC_B), IDC_B);
        EXPECT_FALSE(static_cast<wxRadioButton*>(v.widget(IDC_A))->GetValue());
        drive::pick(v.widget(IDC_KIND), 1);
        EXPECT_EQ(d.GetDlgItem(IDC_KIND)->GetCurSel(), 1);
        EXPECT_EQ(static_cast<wxStaticText*>(v.widget(IDC_SHOWN))->GetLabel(), "P-channel");
        drive::toggle(v.widget(IDC_LOCK));
        EXPECT_TRUE(v.valueBox(IDC_THIRD)->text()->IsEnabled());
        drive::press(v.widget(ID_HELP));
        drive::press(v.widget(IDCANCEL));
    });
    ASSERT_EQ(gui.helpRequests().size(), 1u);
    EXPECT_EQ(gui.helpRequests()[0].module, "PresenterTest");
    EXPECT_EQ(gui.helpRequests()[0].context, 0x625Au);
}

TEST_F(PresenterTest, EditableComboFieldShowsTheModelsSelectionAfterEveryRefill) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        auto* stage = dynamic_cast<wxComboBox*>(v.widget(IDC_STAGE));
        ASSERT_NE(stage, nullptr) << "an editable combo box is drawn with an edit field";
        auto shows = [&](const char* text, int selection) {
            EXPECT_EQ(stage->GetValue(), text);
            EXPECT_EQ(stage->GetSelection(), selection);
            EXPECT_EQ(d.GetDlgItem(IDC_STAGE)->GetWindowText(), CString(text));
        };
        ASSERT_EQ(stage->GetCount(), 3u);
        shows("Any stage", 0);
        // A handler refills the list with other items but selects the same first one: the text is
        // unchanged and the field must still show it.
        drive::pick(v.widget(IDC_KIND), 1);
        EXPECT_EQ(stage->GetString(1), "MOS");
        shows("Any stage", 0);
        drive::pick(v.widget(IDC_KIND), 0);
        EXPECT_EQ(stage->GetString(1), "Bipolar");
        shows("Any stage", 0);
        // The model's selection moved by a handler reaches the widget too.
        d.GetDlgItem(IDC_STAGE)->SetCurSel(2);
        v.sync();
        shows("JFET", 2);
        // Text typed into the field and committed is the model's text.
        stage->ChangeValue("Darlington");
        wxCommandEvent enter(wxEVT_TEXT_ENTER);
        drive::send(stage, enter);
        EXPECT_EQ(d.GetDlgItem(IDC_STAGE)->GetWindowText(), CString("Darlington"));
        EXPECT_EQ(stage->GetValue(), "Darlington");
        drive::press(v.widget(IDOK));
    });
    EXPECT_TRUE(d.stagePicks.empty()) << "refills and typing are not picks";
}

TEST_F(PresenterTest, TextTypedIntoTheComboStaysUntilTheModelChanges) {
    TestDialog d;
    CString atOk;
    d.OnClicked(IDOK, [&] {
        atOk = d.GetDlgItemText(IDC_STAGE);
        d.EndDialog(IDOK);
    });
    run(d, [&](WindowView& v) {
        auto* stage = dynamic_cast<wxComboBox*>(v.widget(IDC_STAGE));
        ASSERT_NE(stage, nullptr);
        stage->ChangeValue("half typed");
        v.sync(); // as after a timer or another window's handler
        EXPECT_EQ(stage->GetValue(), "half typed");
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(atOk, CString("half typed")) << "committed before OK acts";
}

TEST_F(PresenterTest, PickingInEveryKindOfListReachesTheModel) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        EXPECT_TRUE(drive::pick(v.widget(IDC_STAGE), 2));
        EXPECT_EQ(d.GetDlgItem(IDC_STAGE)->GetCurSel(), 2);
        EXPECT_EQ(d.GetDlgItem(IDC_STAGE)->GetWindowText(), CString("JFET"));
        EXPECT_EQ(static_cast<wxComboBox*>(v.widget(IDC_STAGE))->GetValue(), "JFET");
        EXPECT_TRUE(drive::pick(v.widget(IDC_KIND), 1));
        EXPECT_EQ(d.GetDlgItem(IDC_KIND)->GetCurSel(), 1);
        EXPECT_TRUE(drive::pick(v.widget(IDC_STAGE), 1));
        EXPECT_TRUE(drive::pick(v.widget(IDC_PLACES), 1));
        EXPECT_EQ(d.GetDlgItem(IDC_PLACES)->GetCurSel(), 1);
        // A step the widget cannot take fails the test instead of doing nothing.
        EXPECT_NONFATAL_FAILURE(drive::pick(v.widget(IDC_STAGE), 3), "no item 3 among 3");
        EXPECT_NONFATAL_FAILURE(drive::pick(v.widget(IDC_NAME), 0), "not a list of items");
        EXPECT_EQ(d.GetDlgItem(IDC_STAGE)->GetCurSel(), 1);
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(d.stagePicks, (std::vector<int>{2, 1}));
}

TEST_F(PresenterTest, ColumnWidthsSetByTheOwnerAreDrawn) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        EditableList* list = v.list(IDC_TABLE);
        EXPECT_EQ(list->GetColumnWidth(1), 120);
        CWnd* table = d.GetDlgItem(IDC_TABLE);
        ASSERT_TRUE(table->SetColumnWidth(1, 146));
        v.sync();
        EXPECT_EQ(list->GetColumnWidth(0), 40);
        EXPECT_EQ(list->GetColumnWidth(1), 146);
        EXPECT_EQ(list->GetItemCount(), 4);
        // A refused width changes nothing on the screen.
        EXPECT_FALSE(table->SetColumnWidth(1, -1));
        v.sync();
        EXPECT_EQ(list->GetColumnWidth(1), 146);
        // An edit still lands in the right cell after the change.
        ASSERT_TRUE(list->beginEdit(0, 1));
        drive::type(list->editor(), "2");
        EXPECT_EQ(table->GetItemText(0, 1), CString("2"));
        drive::press(v.widget(IDOK));
    });
}

TEST_F(PresenterTest, EscapeAndTheCloseBoxCancel) {
    TestDialog a;
    EXPECT_EQ(run(a,
                  [](WindowView& v) {
                      wxKeyEvent key(wxEVT_CHAR_HOOK);
                      key.m_keyCode = WXK_ESCAPE;
                      drive::send(v.dialog(), key);
                  }),
              IDCANCEL);
    TestDialog b;
    EXPECT_EQ(run(b, [](WindowView& v) { v.dialog()->Close(); }), IDCANCEL);
}

TEST_F(PresenterTest, ListCellsAreEditedInPlaceAndAnnounced) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        EditableList* list = v.list(IDC_TABLE);
        ASSERT_TRUE(list->beginEdit(1, 1));
        ASSERT_NE(list->editor(), nullptr);
        EXPECT_EQ(list->editor()->GetValue(), "0.250000");
        drive::type(list->editor(), "1.5");
        EXPECT_EQ(list->editor(), nullptr);
        EXPECT_EQ(d.GetDlgItem(IDC_TABLE)->GetItemText(1, 1), CString("1.5"));
        EXPECT_EQ(list->GetItemText(1, 1), "1.5");
        // The owner refuses an empty value: the cell keeps its text and nothing is announced.
        ASSERT_TRUE(list->beginEdit(2, 1));
        drive::type(list->editor(), "");
        EXPECT_EQ(d.GetDlgItem(IDC_TABLE)->GetItemText(2, 1), CString("0.500000"));
        // Escape drops the edit.
        ASSERT_TRUE(list->beginEdit(3, 1));
        list->editor()->ChangeValue("9");
        list->finishEdit(false);
        EXPECT_EQ(d.GetDlgItem(IDC_TABLE)->GetItemText(3, 1), CString("0.750000"));
        EXPECT_FALSE(list->beginEdit(4, 1));
        // Rows added by the model appear after the next handler.
        d.GetDlgItem(IDC_TABLE)->InsertItem(4, "5");
        v.sync();
        EXPECT_EQ(list->GetItemCount(), 5);
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(d.edits, (std::vector<std::pair<int, int>>{{IDC_TABLE, 1}}));
}

TEST_F(PresenterTest, TimersOfTheModelFire) {
    TestDialog d;
    d.startTimer = true;
    gui.onShown = nullptr;
    EXPECT_EQ(d.DoModal(), IDOK);
    EXPECT_EQ(d.ticks, 3);
}

TEST_F(PresenterTest, SheetPagesAreTabsCreatedOnActivationAndCanRefuseToBeLeft) {
    TestSheet s;
    INT_PTR result = run(s, [&](WindowView& v) {
        ASSERT_TRUE(v.isSheet());
        EXPECT_EQ(v.dialog()->GetTitle(), wxString::FromUTF8("两页窗口"));
        EXPECT_EQ(v.notebook()->GetPageCount(), 2u);
        EXPECT_EQ(v.notebook()->GetPageText(1), "Page Two");
        EXPECT_EQ(s.two.initialised, 0);
        EXPECT_EQ(v.widget(600, 1), nullptr);
        EXPECT_TRUE(drive::selectTab(v.notebook(), 1));
        EXPECT_EQ(s.GetActiveIndex(), 1);
        EXPECT_EQ(s.two.initialised, 1);
        ASSERT_NE(v.widget(600, 1), nullptr);
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(v), "presenter-sheet.png"));
        EXPECT_TRUE(drive::selectTab(v.notebook(), 0));
        drive::toggle(v.widget(500, 0));
        EXPECT_FALSE(drive::selectTab(v.notebook(), 1));
        EXPECT_EQ(s.GetActiveIndex(), 0);
        EXPECT_EQ(v.notebook()->GetSelection(), 0);
        ASSERT_NE(v.widget(ID_HELP), nullptr);
        drive::toggle(v.widget(500, 0));
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(PresenterTest, ScreenshotShowsHiddenRowsUndrawnAndDisabledBoxesGreyed) {
    TestDialog d;
    run(d, [&](WindowView& v) {
        const wxRect third = v.rectInDialog(IDC_THIRD);
        // The same region of an empty part of the group box, for the background.
        const wxRect blank(third.x, third.y + third.height + 1, third.width, 2);
        const wxImage shown = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(shown, "presenter-dialog.png"));
        const auto box = drive::measure(shown, third);
        const auto background = drive::measure(shown, blank);
        EXPECT_GT(box.spread, 10.0) << "a shown box has a frame and text";

        // The same box once disabled: its text is drawn lighter.
        const auto enabledText = drive::measure(shown, drive::textArea(v, IDC_THIRD));
        drive::toggle(v.widget(IDC_LOCK));
        const wxImage greyed = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(greyed, "presenter-dialog-disabled.png"));
        const auto disabledText = drive::measure(greyed, drive::textArea(v, IDC_THIRD));
        EXPECT_GT(disabledText.darkest, enabledText.darkest + 30) << "disabled text is drawn lighter";

        drive::type(v.valueBox(IDC_COUNT), "1");
        const wxImage hidden = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(hidden, "presenter-dialog-hidden.png"));
        const auto gone = drive::measure(hidden, third);
        EXPECT_LT(gone.spread, 1.0) << "a hidden box leaves plain background";
        EXPECT_NEAR(gone.mean, background.mean, 1.0);
        drive::press(v.widget(IDOK));
    });
}

} // namespace

namespace {

// Describes the next message box once it is on screen and answers it, as a person would.
struct SeenBox {
    std::string title;
    bool icon = false;
    std::vector<wxSize> buttons;
    int width = 0;
    int colours = 0;
};

void findParts(wxWindow* w, SeenBox& s) {
    for (wxWindow* child : w->GetChildren()) {
        if (dynamic_cast<wxStaticBitmap*>(child) && child->IsShown()) s.icon = true;
        if (auto* b = dynamic_cast<wxButton*>(child); b && b->IsShown()) s.buttons.push_back(b->GetSize());
        findParts(child, s);
    }
}

void answerNextBox(int answer, std::vector<SeenBox>& seen) {
    wxTheApp->CallAfter([answer, &seen] {
        wxDialog* box = nullptr;
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* d = dynamic_cast<wxGenericMessageDialog*>(w); d && d->IsModal()) box = d;
        if (!box) {
            ADD_FAILURE() << "no message box on screen";
            return;
        }
        SeenBox s;
        s.title = box->GetTitle().utf8_string();
        s.width = box->GetClientSize().x;
        findParts(box, s);
        const wxImage shot = wxtesting::capture(box);
        s.colours = wxtesting::distinctColours(shot, 16);
        EXPECT_TRUE(wxtesting::saveScreenshot(shot, "messagebox-" + std::to_string(seen.size()) + ".png"));
        seen.push_back(s);
        box->EndModal(answer);
    });
}

} // namespace

TEST(MessageBoxes, CaptionIsTheOwnersUnlessTheBoxGivesItsOwn) {
    struct Row {
        const char* requested;
        const char* module;
        const char* owner;
        const char* shown;
    };
    for (const Row& r : {
             Row{"Brannock", "Brannock", "MOSFET Model", "MOSFET Model"}, // the file name: the window's
             Row{"", "Brannock", "MOSFET Model", "MOSFET Model"},
             Row{"Save", "Brannock", "MOSFET Model", "Save"}, // a caption of its own stays
             Row{"zembric", "zembric", "", "zembric"},        // no window: nothing better
             Row{"", "", "", "Korvane"},
         })
        EXPECT_EQ(messageBoxCaption(r.requested, r.module, r.owner), r.shown)
            << r.requested << "|" << r.owner;
}

TEST(MessageBoxes, ButtonsAndIconFollowTheType) {
    EXPECT_EQ(messageBoxStyle(MB_YESNO), wxYES_NO | wxICON_QUESTION);
    EXPECT_EQ(messageBoxStyle(MB_OK), wxOK | wxICON_INFORMATION);
    EXPECT_EQ(messageBoxStyle(MB_OK | MB_ICONEXCLAMATION), wxOK | wxICON_WARNING);
    EXPECT_EQ(messageBoxStyle(MB_OKCANCEL | MB_ICONSTOP), wxOK | wxCANCEL | wxICON_ERROR);
    EXPECT_EQ(messageBoxStyle(MB_YESNO | MB_ICONINFORMATION), wxYES_NO | wxICON_INFORMATION);
}

TEST_F(PresenterTest, MessageBoxesHaveAnIconButtonsOfTheirOwnSizeAndTheWindowsCaption) {
    gui.answerMessageBox = nullptr;
    std::vector<SeenBox> seen;
    TestDialog dialog;
    int answer = 0;
    run(dialog, [&](WindowView& v) {
        answerNextBox(wxID_YES, seen);
        answer = AfxMessageBox("Use the fallback values?", MB_YESNO);
        answerNextBox(wxID_OK, seen);
        AfxMessageBox("The value is out of range.", MB_OK | MB_ICONEXCLAMATION);
        drive::press(v.widget(IDOK));
    });
    EXPECT_EQ(answer, IDYES);
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& s : seen) {
        EXPECT_EQ(s.title, "测试窗口") << "the window's caption, not the module's name";
        EXPECT_TRUE(s.icon) << s.title;
        EXPECT_GT(s.colours, 3) << "an icon and text were drawn";
        for (const wxSize& b : s.buttons)
            EXPECT_LT(b.x, s.width / 2) << "a button is not stretched across the box";
    }
    EXPECT_EQ(seen[0].buttons.size(), 2u);
    EXPECT_EQ(seen[1].buttons.size(), 1u);
}
