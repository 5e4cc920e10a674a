#include "platform/mainwindow.h"
#include "platform/scripted.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Seen {
    UINT msg;
    WPARAM w;
    LPARAM l;
};

// A frame with two commands, one toggling the other, and a canvas that logs its input.
class TestFrame : public CFrameWnd {
  public:
    bool locked = false;
    int runs = 0, idles = 0;
    std::vector<Seen> seen;
    TestFrame() {
        OnMenuCommand(100, [this] { ++runs; });
        OnUpdateCommandUI(100, [this](CCmdUI& ui) {
            ui.Enable(!locked);
            ui.SetCheck(runs % 2);
        });
        OnMenuCommand(101, [this] { locked = !locked; });
        addAccelerator(VK_Z, kAccelCtrl, 100);
        addAccelerator(VK_BACK, kAccelAlt, 100);
        for (UINT m :
             {UINT(WM_KEYDOWN), UINT(WM_CHAR), UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP),
              UINT(WM_RBUTTONDOWN), UINT(WM_MOUSEWHEEL), UINT(WM_SIZE), UINT(WM_HSCROLL), UINT(WM_VSCROLL)})
            canvas().OnMessage(m, [this, m](WPARAM w, LPARAM l) -> LRESULT {
                seen.push_back({m, w, l});
                return 1;
            });
    }
    bool OnIdle(long) override {
        ++idles;
        return false;
    }
};

TEST(MainWindowCommands, EnableAndCheckComeFromTheUpdateHandlersAndDisabledCommandsDoNotRun) {
    TestFrame f;
    EXPECT_FALSE(f.queryCommand(999).enabled); // no handler: greyed
    EXPECT_FALSE(f.executeCommand(999));
    EXPECT_TRUE(f.queryCommand(101).enabled); // a handler and no update handler
    CommandState s = f.queryCommand(100);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.checked, 0);
    EXPECT_TRUE(f.executeCommand(100));
    EXPECT_EQ(f.queryCommand(100).checked, 1);
    f.executeCommand(101);
    EXPECT_FALSE(f.queryCommand(100).enabled);
    EXPECT_FALSE(f.executeCommand(100));
    EXPECT_EQ(f.runs, 1);
    // WM_COMMAND goes through the same table.
    f.locked = false;
    EXPECT_EQ(f.SendMessage(WM_COMMAND, 100, 0), 1);
    EXPECT_EQ(f.runs, 2);
}

struct KeyCase {
    UINT key, modifiers;
    int commandRuns;
    std::vector<std::pair<UINT, WPARAM>> canvasGets;
};

class MainWindowKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MainWindowKeys, AcceleratorsRunCommandsAndOtherKeysReachTheCanvasWithTheirCharacter) {
    const KeyCase& k = GetParam();
    TestFrame f;
    f.userKey(k.key, k.modifiers);
    EXPECT_EQ(f.runs, k.commandRuns);
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const Seen& s : f.seen)
        got.push_back({s.msg, s.w});
    EXPECT_EQ(got, k.canvasGets);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainWindowKeys,
    ::testing::Values(KeyCase{VK_Z, kAccelCtrl, 1, {}}, KeyCase{VK_BACK, kAccelAlt, 1, {}},
                      KeyCase{VK_Z, 0, 0, {{WM_KEYDOWN, VK_Z}, {WM_CHAR, 'z'}}},
                      KeyCase{'F', kAccelShift, 0, {{WM_KEYDOWN, 'F'}, {WM_CHAR, 'F'}}},
                      KeyCase{'G', kAccelCtrl, 0, {{WM_KEYDOWN, 'G'}, {WM_CHAR, 7}}},
                      KeyCase{VK_9, 0, 0, {{WM_KEYDOWN, VK_9}, {WM_CHAR, '9'}}},
                      KeyCase{VK_ESCAPE, 0, 0, {{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27}}},
                      KeyCase{VK_F1, 0, 0, {{WM_KEYDOWN, VK_F1}}},
                      KeyCase{VK_BACK, kAccelCtrl | kAccelAlt, 0, {{WM_KEYDOWN, VK_BACK}}}));

TEST(MainWindowKeys, AKeyOfADisabledCommandIsSwallowed) {
    TestFrame f;
    f.locked = true;
    EXPECT_TRUE(f.userKey(VK_Z, kAccelCtrl));
    EXPECT_EQ(f.runs, 0);
    EXPECT_TRUE(f.seen.empty());
}

TEST(MainWindowCanvas, MouseMessagesCarryThePixelAndTheHeldButtons) {
    TestFrame f;
    f.canvas().resize(300, 200);
    ASSERT_EQ(f.seen.size(), 1u);
    EXPECT_EQ(f.seen[0].msg, UINT(WM_SIZE));
    EXPECT_EQ(GET_X_LPARAM(f.seen[0].l), 300);
    EXPECT_EQ(GET_Y_LPARAM(f.seen[0].l), 200);
    f.seen.clear();
    CCanvasWnd& c = f.canvas();
    c.mouseInput(WM_MOUSEMOVE, 5, 6);
    c.mouseInput(WM_LBUTTONDOWN, 5, 6);
    c.mouseInput(WM_MOUSEMOVE, -7, 250, MK_SHIFT);
    c.mouseInput(WM_LBUTTONUP, -7, 250);
    c.mouseInput(WM_MOUSEMOVE, 1, 1);
    c.wheelInput(-240, 10, 20, MK_CONTROL);
    ASSERT_EQ(f.seen.size(), 6u);
    EXPECT_EQ(f.seen[0].w, 0u);
    EXPECT_EQ(f.seen[1].w, WPARAM(MK_LBUTTON));
    EXPECT_EQ(f.seen[2].w, WPARAM(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(GET_X_LPARAM(f.seen[2].l), -7); // off the canvas while dragging: negative pixels survive
    EXPECT_EQ(GET_Y_LPARAM(f.seen[2].l), 250);
    EXPECT_EQ(f.seen[3].w, 0u);
    EXPECT_EQ(f.seen[4].w, 0u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(f.seen[5].w), -240);
    EXPECT_EQ(f.seen[5].w & 0xFFFF, WPARAM(MK_CONTROL));
}

TEST(MainWindowCanvas, ScrollRequestsCarryTheCodeAndTheThumbsWholePosition) {
    TestFrame f;
    CCanvasWnd& c = f.canvas();
    EXPECT_FALSE(c.scrollBar(false).shown()); // nothing set: nothing to scroll
    c.setScrollBar(true, ScrollBarInfo{-3000000, 3000000, 1000000, 250000});
    EXPECT_TRUE(c.scrollBar(true).shown());
    EXPECT_FALSE((ScrollBarInfo{0, 100, 100, 0}.shown())); // the page covers the range
    c.scrollInput(false, SB_PAGEDOWN);
    c.scrollInput(true, SB_THUMBPOSITION, -2500000); // beyond the message's 16 bits
    ASSERT_EQ(f.seen.size(), 2u);
    EXPECT_EQ(f.seen[0].msg, UINT(WM_HSCROLL));
    EXPECT_EQ(f.seen[0].w & 0xFFFF, WPARAM(SB_PAGEDOWN));
    EXPECT_EQ(f.seen[1].msg, UINT(WM_VSCROLL));
    EXPECT_EQ(f.seen[1].w & 0xFFFF, WPARAM(SB_THUMBPOSITION));
    EXPECT_EQ(c.trackPosition(), -2500000);
}

TEST(MainWindowCanvas, PaintingIsLeftToTheOwnerAndHappensOnlyWhenInvalidated) {
    TestFrame f;
    int paints = 0;
    std::uint32_t pixels[6] = {1, 2, 3, 4, 5, 6};
    f.canvas().setPainter([&] { ++paints; });
    f.canvas().setImageSource([&] { return CanvasImage{pixels, 3, 2, 3}; });
    EXPECT_TRUE(f.canvas().paint());
    EXPECT_FALSE(f.canvas().paint());
    f.canvas().Invalidate();
    EXPECT_TRUE(f.canvas().paint());
    EXPECT_TRUE(f.canvas().paint(true));
    EXPECT_EQ(paints, 3);
    EXPECT_EQ(f.canvas().image().pixels[4], 5u);
}

TEST(MainWindowBars, StatusPanesFitTheirTextAndBarsKeepTheirStateByID) {
    SetTextMeasure(nullptr, 8);
    TestFrame f;
    CStatusBar* s = f.addStatusBar(59393, {0, 7001, 7002});
    EXPECT_TRUE(s->SetPaneText(1, "Cnt 12"));
    EXPECT_EQ(s->paneWidth(1), 6 * 8 + 4);
    EXPECT_TRUE(s->SetPaneText(1, "Inches"));
    EXPECT_EQ(s->GetPaneText(1), CString("Inches"));
    EXPECT_TRUE(s->SetPaneText(2, "\xe6\xa8\xa1")); // one character in three bytes
    EXPECT_EQ(s->paneWidth(2), 8 + 4);
    EXPECT_FALSE(s->SetPaneText(3, "x"));
    EXPECT_EQ(s->CommandToIndex(7002), 2);
    SetTextMeasure([](const CString& t) { return static_cast<int>(t.str().size()) * 3; }, 6);
    s->SetPaneText(0, "abcd");
    EXPECT_EQ(s->paneWidth(0), 12 + 3);
    SetTextMeasure(nullptr, 7);

    CControlBar* tools = f.addToolBar(59392, "Standard", {100, 0, 101});
    DialogTemplate t{
        0, "", 100, 20, {{300, ControlKind::PushButton, "Go", {}, 0}, {301, ControlKind::Edit, "", {}, 0}}};
    CControlBar* props = f.addDialogBar(7100, t);
    EXPECT_EQ(f.bars().size(), 2u);
    EXPECT_EQ(tools->buttons(), (std::vector<int>{100, 0, 101}));
    EXPECT_EQ(f.findBarControl(301), props->GetDlgItem(301));
    EXPECT_EQ(f.findBarControl(100), nullptr); // toolbar buttons are commands, not controls

    // Controls on a bar report to the frame's message map.
    int clicks = 0;
    f.OnClicked(300, [&] { ++clicks; });
    EXPECT_TRUE(props->GetDlgItem(300)->userClick());
    EXPECT_EQ(clicks, 1);

    f.ShowControlBar(7100, false);
    props->dock = DockSide::Left;
    std::vector<BarState> saved = f.barStates();
    TestFrame g;
    g.addStatusBar(59393, {0});
    g.addToolBar(59392, "Standard", {});
    CControlBar* p2 = g.addDialogBar(7100, t);
    saved.push_back({4242, false, DockSide::Top}); // a bar this frame does not have is skipped
    g.applyBarStates(saved);
    EXPECT_FALSE(p2->IsWindowVisible());
    EXPECT_EQ(p2->dock, DockSide::Left);
    EXPECT_TRUE(g.bar(59392)->IsWindowVisible());
}

TEST(MainWindowClose, ClosingDestroysTheWindowAndQuitsOnceWithTheFirstCode) {
    TestFrame f;
    f.PostQuitMessage(1);
    f.SendMessage(WM_CLOSE);
    EXPECT_TRUE(f.destroyed());
    EXPECT_EQ(f.exitCode(), 1);
    TestFrame g;
    g.SendMessage(WM_CLOSE);
    EXPECT_TRUE(g.quitPosted());
    EXPECT_EQ(g.exitCode(), 0);
}

// ---------------------------------------------------------------- scripts

std::vector<ScriptStep> parse(const std::vector<std::string>& lines) {
    std::vector<ScriptStep> out;
    for (const std::string& l : lines) {
        size_t sp = l.find(' ');
        std::string error;
        auto s = parseScriptStep(l.substr(0, sp), sp == std::string::npos ? "" : l.substr(sp + 1), error);
        EXPECT_TRUE(s) << l << ": " << error;
        if (s) out.push_back(*s);
    }
    return out;
}

TEST(MainWindowScript, StepsParseIntoKeysMouseCommandsAndSizes) {
    auto steps = parse({"command 32776", "key ctrl+z", "key Shift+F", "key escape", "key f12", "click 12,-3",
                        "click 1170", "rclick 4,5", "down 1,2", "wheel -120 7,8", "size 640,480", "close"});
    ASSERT_EQ(steps.size(), 12u);
    using K = ScriptStep::Kind;
    EXPECT_EQ(steps[0].kind, K::Command);
    EXPECT_EQ(steps[0].id, 32776);
    EXPECT_EQ(steps[1].key, UINT(VK_Z));
    EXPECT_EQ(steps[1].modifiers, UINT(kAccelCtrl));
    EXPECT_EQ(steps[2].key, UINT('F'));
    EXPECT_EQ(steps[2].modifiers, UINT(kAccelShift));
    EXPECT_EQ(steps[3].key, UINT(VK_ESCAPE));
    EXPECT_EQ(steps[4].key, UINT(VK_F12));
    EXPECT_EQ(steps[5].kind, K::Mouse);
    EXPECT_EQ(steps[5].y, -3);
    EXPECT_EQ(steps[6].kind, K::Click);
    EXPECT_TRUE(steps[7].right);
    EXPECT_EQ(steps[8].message, UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(steps[9].delta, -120);
    EXPECT_EQ(steps[9].x, 7);
    EXPECT_EQ(steps[10].kind, K::Resize);
    EXPECT_EQ(steps[11].kind, K::Close);
    for (auto [verb, arg] : std::vector<std::pair<std::string, std::string>>{{"key", "ctrl+"},
                                                                             {"key", "hyper+x"},
                                                                             {"key", "f13"},
                                                                             {"move", "3"},
                                                                             {"wheel", "x 1,2"},
                                                                             {"size", "-1,5"},
                                                                             {"command", "abc"},
                                                                             {"close", "now"}}) {
        std::string error;
        EXPECT_FALSE(parseScriptStep(verb, arg, error)) << verb << " " << arg;
        EXPECT_FALSE(error.empty());
    }
}

// A dialog the frame opens from command 200: one edit (1000) whose text it keeps on OK.
class AskDialog : public CDialog {
  public:
    AskDialog() : CDialog(9001) {}
};

const ResourceModule& testModule() {
    static ResourceModule m{
        "mainwindow-test",
        {},
        {{9001, DialogTemplate{9001, "Ask", 100, 50, {{1000, ControlKind::Edit, "", {}, 0}}}}}};
    return m;
}

class ScriptFrame : public TestFrame {
  public:
    std::string answer;
    int dialogResult = 0;
    ScriptFrame() {
        OnMenuCommand(200, [this] {
            AskDialog d;
            d.OnClicked(IDOK, [&] {
                answer = d.GetDlgItemText(1000).str();
                d.EndDialog(IDOK);
            });
            dialogResult = static_cast<int>(d.DoModal());
        });
        OnMenuCommand(201, [this] { PostQuitMessage(5); });
    }
};

TEST(MainWindowScript, AScriptDrivesCommandsTheCanvasAndTheDialogsCommandsOpen) {
    AfxRegisterResourceModule(&testModule());
    ScriptFrame f;
    f.canvas().resize(100, 80);
    f.seen.clear();
    ScriptedPresenter p(parse({"click 10,20", "key r", "command 200", "set 1000=abc", "ok", "command 100",
                               "command 201", "command 100"}));
    Presenter* previous = setPresenter(&p);
    int code = f.run();
    setPresenter(previous);
    AfxUnregisterResourceModule(&testModule());
    EXPECT_FALSE(p.refusal()) << *p.refusal();
    EXPECT_EQ(code, 5);
    EXPECT_EQ(f.answer, "abc");
    EXPECT_EQ(f.dialogResult, IDOK);
    EXPECT_EQ(f.runs, 1);  // the command after the quit is not run
    EXPECT_EQ(f.idles, 5); // at the start and after each main-window step until the quit
    ASSERT_EQ(f.seen.size(), 5u);
    EXPECT_EQ(f.seen[0].msg, UINT(WM_MOUSEMOVE));
    EXPECT_EQ(f.seen[1].msg, UINT(WM_LBUTTONDOWN));
    EXPECT_EQ(GET_Y_LPARAM(f.seen[1].l), 20);
    EXPECT_EQ(f.seen[4].msg, UINT(WM_CHAR));
    EXPECT_EQ(f.seen[4].w, WPARAM('r'));
}

struct RefusalCase {
    std::vector<std::string> steps;
    std::string why;
};

class MainWindowRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MainWindowRefusals, AStepThatCannotBeCarriedOutStopsTheRunAndSaysWhy) {
    AfxRegisterResourceModule(&testModule());
    ScriptFrame f;
    f.canvas().resize(100, 80);
    f.locked = true;
    ScriptedPresenter p(parse(GetParam().steps));
    Presenter* previous = setPresenter(&p);
    int code = f.run();
    setPresenter(previous);
    AfxUnregisterResourceModule(&testModule());
    ASSERT_TRUE(p.refusal());
    EXPECT_NE(p.refusal()->find(GetParam().why), std::string::npos) << *p.refusal();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(f.runs, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainWindowRefusals,
    ::testing::Values(RefusalCase{{"command 100"}, "command 100 is disabled"},
                      RefusalCase{{"click 100,5", "command 101", "command 100"}, "outside the 100x80 canvas"},
                      RefusalCase{{"ok", "command 101", "command 100"}, "no dialog is open"},
                      RefusalCase{{"set 77=1"}, "no bar has control 77"},
                      RefusalCase{{"command 200", "key ctrl+z", "command 101", "command 100"},
                                  "the window \"Ask\" is open"}));

TEST(MainWindowScript, BarControlsTakeSetAndClickStepsWhileNoDialogIsOpen) {
    TestFrame f;
    DialogTemplate t{0,
                     "",
                     100,
                     20,
                     {{300, ControlKind::CheckBox, "Neg", {}, 0},
                      {301, ControlKind::Edit, "", {}, 0},
                      {302, ControlKind::PushButton, "Abs", {}, kStyleDisabled}}};
    CControlBar* b = f.addDialogBar(7100, t);
    std::string committed;
    b->GetDlgItem(301)->setCommitHook([&](const CString& s) {
        committed = s.str();
        return EditVerdict{};
    });
    ScriptedPresenter p(parse({"click 300", "set 301=0.5", "click 302"}));
    Presenter* previous = setPresenter(&p);
    f.run();
    setPresenter(previous);
    EXPECT_EQ(b->GetDlgItem(300)->GetCheck(), BST_CHECKED);
    EXPECT_EQ(committed, "0.5");
    ASSERT_TRUE(p.refusal());
    EXPECT_NE(p.refusal()->find("control 302 is disabled"), std::string::npos);
}

TEST(MainWindowScript, WithoutAPresenterTheWindowIsAskedToClose) {
    TestFrame f;
    EXPECT_EQ(f.run(), 0);
    EXPECT_TRUE(f.destroyed());
    EXPECT_EQ(f.idles, 1);
}

} // namespace

namespace {

// A dialog with an integer field (1) limited to 0..9999 and a number field (2) limited to 0..9.99999.
class NumberDialog : public CDialog {
  public:
    int whole = 0;
    double number = 0;
    NumberDialog() {
        createControls(DialogTemplate{0,
                                      "Numbers",
                                      10,
                                      10,
                                      {{1, ControlKind::Edit, "", {}, 0},
                                       {2, ControlKind::Edit, "", {}, 0},
                                       {3, ControlKind::ListControl, "", {}, 0}}});
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, 1, whole);
        DDV_MinMaxInt(pDX, whole, 0, 9999);
        DDX_Text(pDX, 2, number, "%.5lf");
        DDV_MinMaxDouble(pDX, number, 0, 9.99999);
    }
};

class RecordingPresenter : public Presenter {
  public:
    std::vector<std::string> boxes;
    int runModal(CModalWindow&) override { return IDCANCEL; }
    int messageBox(const MessageBoxRequest& r) override {
        boxes.push_back(r.text.str());
        return IDOK;
    }
    void help(const HelpRequest&) override {}
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
};

struct NumberCase {
    const char* whole;
    const char* number;
    bool accepted;
    const char* message; // the message shown when refused
    int focus;           // the field named by the refusal
};

class NumberExchange : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberExchange, FieldsAreReadAsNumbersAndRefusedWithTheStandardMessages) {
    const NumberCase& c = GetParam();
    NumberDialog d;
    RecordingPresenter p;
    Presenter* previous = setPresenter(&p);
    d.SetDlgItemText(1, c.whole);
    d.SetDlgItemText(2, c.number);
    bool ok = d.UpdateData(true);
    setPresenter(previous);
    EXPECT_EQ(ok, c.accepted);
    if (c.accepted) {
        EXPECT_TRUE(p.boxes.empty());
        return;
    }
    ASSERT_EQ(p.boxes.size(), 1u); // one message, not one per field
    EXPECT_EQ(p.boxes[0], c.message);
    EXPECT_EQ(d.GetFocus(), d.GetDlgItem(c.focus));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberExchange,
    ::testing::Values(NumberCase{"7", "0.25", true, "", 0}, NumberCase{" 9999 ", "9.99999", true, "", 0},
                      NumberCase{"7x", "1", false, "Please enter an integer.", 1},
                      NumberCase{"", "1", false, "Please enter an integer.", 1},
                      NumberCase{"99999999999", "1", false, "Please enter an integer.", 1},
                      NumberCase{"10000", "1", false, "Please enter an integer between 0 and 9999.", 1},
                      NumberCase{"-1", "1", false, "Please enter an integer between 0 and 9999.", 1},
                      NumberCase{"1", "nan", false, "Please enter a number.", 2},
                      NumberCase{"1", "1e999", false, "Please enter a number.", 2},
                      NumberCase{"1", "10", false, "Please enter a number between 0 and 9.99999.", 2}));

TEST(NumberExchange, LoadingWritesTheFormatAndListRowsCanBeSelectedAndDoubleClicked) {
    NumberDialog d;
    d.whole = 42;
    d.number = 0.25;
    d.UpdateData(false);
    EXPECT_EQ(d.GetDlgItemText(1), CString("42"));
    EXPECT_EQ(d.GetDlgItemText(2), CString("0.25000"));
    CWnd* list = d.GetDlgItem(3);
    list->InsertColumn(0, "Name");
    list->InsertItem(0, "a");
    list->InsertItem(1, "b");
    int doubles = 0, changes = 0;
    d.OnDoubleClick(3, [&] { ++doubles; });
    d.OnSelChange(3, [&] { ++changes; });
    EXPECT_TRUE(list->userSelect(1));
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_FALSE(list->userSelect(2));
    EXPECT_TRUE(list->userDoubleClick(0));
    EXPECT_EQ(list->GetCurSel(), 0);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(changes, 2);
    list->DeleteItem(0);
    EXPECT_EQ(list->GetCurSel(), -1);
}

} // namespace
