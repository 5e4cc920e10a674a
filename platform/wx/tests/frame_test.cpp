// The main window's pieces that do not need a program: keys, tooltips, the canvas image, and a small
// frame run end to end (a command from a tool button, a bar's edit reaching the model, the exit code).
#include "platform/format.h"
#include "wxpresenter/frameview.h"
#include "wxtesting/drive.h"

#include <gtest/gtest.h>

#include <wx/evtloop.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

namespace {

using korvane::wx::FrameView;

TEST(FrameView, KeysMapToTheModelsVirtualKeys) {
    const std::pair<int, UINT> rows[] = {
        {'a', 'A'},
        {'Z', 'Z'},
        {'7', '7'},
        {WXK_F1, VK_F1},
        {WXK_F12, VK_F12},
        {WXK_ESCAPE, VK_ESCAPE},
        {WXK_BACK, VK_BACK},
        {WXK_INSERT, VK_INSERT},
        {WXK_DELETE, VK_DELETE},
        {WXK_NUMPAD_ENTER, VK_RETURN},
        {WXK_PAGEUP, VK_PRIOR},
        {WXK_LEFT, VK_LEFT},
        {WXK_SHIFT, 0},
        {WXK_F13, 0},
    };
    for (const auto& [code, vk] : rows)
        EXPECT_EQ(korvane::wx::virtualKey(code), vk) << code;
    EXPECT_EQ(korvane::wx::acceleratorModifiers(true, false, true), UINT(kAccelCtrl | kAccelShift));
}

TEST(FrameView, TooltipsAreTheMenuTextsWithoutMnemonicsKeysAndDots) {
    const std::pair<const char*, const char*> rows[] = {
        {"&Open...\tCtrl+O", "Open"},    {"Zoom &In", "Zoom In"},  {"&About Lumbra...", "About Lumbra"},
        {"Save && Quit", "Save & Quit"}, {"&Redraw\tR", "Redraw"}, {"", ""},
    };
    for (const auto& [text, tip] : rows)
        EXPECT_EQ(korvane::wx::tooltipText(text), tip) << text;
    const std::vector<MenuEntry> menu{{0, "&File", {{1, "&New", {}}, {}, {0, "Sub", {{7, "Deep\tF", {}}}}}}};
    EXPECT_EQ(korvane::wx::commandText(menu, 7), "Deep\tF");
    EXPECT_EQ(korvane::wx::commandText(menu, 0), "");
    EXPECT_EQ(korvane::wx::commandText(menu, 9), "");
}

TEST(FrameView, TheCanvasImageIsCopiedRowByRowOverItsStride) {
    // Two rows of three pixels, four apart: the fourth of each row is padding and must not show.
    const std::uint32_t pixels[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xDEADBE,
                                    0x010203, 0x040506, 0x070809, 0xDEADBE};
    wxImage image;
    korvane::wx::copyCanvasImage(CanvasImage{pixels, 3, 2, 4}, image);
    ASSERT_TRUE(image.IsOk());
    ASSERT_EQ(image.GetWidth(), 3);
    ASSERT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(image.GetRed(0, 0), 0xFF);
    EXPECT_EQ(image.GetGreen(1, 0), 0xFF);
    EXPECT_EQ(image.GetBlue(2, 0), 0xFF);
    EXPECT_EQ(image.GetRed(0, 1), 0x01);
    EXPECT_EQ(image.GetBlue(2, 1), 0x09);
    // No pixels, or a stride shorter than a row: no image rather than a read past the rows.
    korvane::wx::copyCanvasImage(CanvasImage{}, image);
    EXPECT_FALSE(image.IsOk());
    korvane::wx::copyCanvasImage(CanvasImage{pixels, 3, 2, 2}, image);
    EXPECT_FALSE(image.IsOk());
}

// A frame with one command on a toolbar, a dialog bar with an edit the model reformats, and a quit code.
class SmallFrame : public CFrameWnd {
  public:
    int runs = 0;
    std::string width;
    SmallFrame() {
        SetWindowText("Small");
        setMenu({{0, "&Tools", {{100, "&Count\tCtrl+K", {}}, {101, "&Quit", {}}}}});
        OnMenuCommand(100, [this] { ++runs; });
        OnMenuCommand(101, [this] { PostQuitMessage(7); });
        addAccelerator('K', kAccelCtrl, 100);
        addToolBar(1, "Tools", {100, 0, 101});
        DialogTemplate bar;
        bar.controls = {{-1, ControlKind::Static, "Width:", {2, 4, 26, 8}, 0},
                        {10, ControlKind::Edit, "", {30, 1, 60, 14}, 0}};
        addDialogBar(2, bar);
        addStatusBar(3, {0, 55});
        statusBar()->SetPaneText(1, "Ready to count");
        findBarControl(10)->setCommitHook([this](const CString& t) {
            double v = 0;
            if (!parseNumberText(t, v)) return EditVerdict{false, "not a number"};
            width = korvane::format("%.3f", v);
            findBarControl(10)->SetWindowText(width.c_str());
            return EditVerdict{};
        });
    }
};

TEST(FrameView, AToolButtonABarEditAndTheQuitCodeGoThroughTheModel) {
    korvane::wx::WxPresenter gui;
    Presenter* before = setPresenter(&gui);
    SmallFrame model;
    bool shown = false;
    gui.onFrameShown = [&](FrameView& v) {
        shown = true;
        wxToolBar* tools = v.toolBar(1);
        ASSERT_NE(tools, nullptr);
        wxCommandEvent click(wxEVT_TOOL, v.toolkitId(100));
        click.SetEventObject(tools);
        tools->GetEventHandler()->ProcessEvent(click);
        EXPECT_EQ(model.runs, 1);
        wxKeyEvent key(wxEVT_CHAR_HOOK);
        key.m_keyCode = 'K';
        key.m_controlDown = true;
        v.frame()->GetEventHandler()->ProcessEvent(key);
        EXPECT_EQ(model.runs, 2);
        auto* field = dynamic_cast<wxTextCtrl*>(v.barView(2)->widget(10));
        ASSERT_NE(field, nullptr);
        drive::type(field, "1.5");
        EXPECT_EQ(model.width, "1.500");
        EXPECT_EQ(field->GetValue(), "1.500"); // the model's text is mirrored back
        EXPECT_EQ(v.frame()->GetStatusBar()->GetStatusText(1), "Ready to count");
        EXPECT_EQ(v.frame()->GetTitle(), "Small");
        wxCommandEvent quit(wxEVT_TOOL, v.toolkitId(101));
        quit.SetEventObject(tools);
        tools->GetEventHandler()->ProcessEvent(quit);
        EXPECT_FALSE(v.frame()->IsShown());
    };
    EXPECT_EQ(model.run(), 7);
    EXPECT_TRUE(shown);
    setPresenter(before);
}

} // namespace

namespace {

// What the canvas hands its owner: every message with its parameters.
struct Received {
    UINT message;
    WPARAM w;
    LPARAM l;
};

TEST(FrameView, CanvasInputReachesTheOwnerAsWindowMessages) {
    korvane::wx::WxPresenter gui;
    Presenter* before = setPresenter(&gui);
    SmallFrame model;
    std::vector<Received> got;
    for (UINT m : {UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), UINT(WM_RBUTTONDOWN),
                   UINT(WM_RBUTTONUP), UINT(WM_MOUSEWHEEL), UINT(WM_KEYDOWN), UINT(WM_CHAR), UINT(WM_SIZE)})
        model.canvas().OnMessage(m, [&got, m](WPARAM w, LPARAM l) -> LRESULT {
            got.push_back({m, w, l});
            return 1;
        });
    gui.onFrameShown = [&](FrameView& v) {
        wxWindow* c = v.canvas();
        // The model's canvas has the panel's size.
        EXPECT_EQ(model.canvas().width(), c->GetClientSize().x);
        EXPECT_EQ(model.canvas().height(), c->GetClientSize().y);
        got.clear();
        auto mouse = [c](wxEventType type, int x, int y, bool shift) {
            wxMouseEvent e(type);
            e.m_x = x;
            e.m_y = y;
            e.m_shiftDown = shift;
            e.m_wheelRotation = type == wxEVT_MOUSEWHEEL ? -240 : 0;
            e.m_wheelDelta = 120;
            e.SetEventObject(c);
            c->GetEventHandler()->ProcessEvent(e);
        };
        mouse(wxEVT_LEFT_DOWN, 12, 34, true);
        mouse(wxEVT_MOTION, 13, 35, false);
        mouse(wxEVT_LEFT_UP, 14, 36, false);
        mouse(wxEVT_MOUSEWHEEL, 5, 6, false);
        wxKeyEvent key(wxEVT_KEY_DOWN);
        key.m_keyCode = 'G';
        key.SetEventObject(c);
        c->GetEventHandler()->ProcessEvent(key);
        ASSERT_EQ(got.size(), 6u);
        EXPECT_EQ(got[0].message, UINT(WM_LBUTTONDOWN));
        EXPECT_EQ(got[0].w, WPARAM(MK_LBUTTON | MK_SHIFT));
        EXPECT_EQ(got[0].l, MAKELPARAM(12, 34));
        EXPECT_EQ(got[1].message, UINT(WM_MOUSEMOVE));
        EXPECT_EQ(got[1].w, WPARAM(MK_LBUTTON)); // the button is still held
        EXPECT_EQ(got[2].message, UINT(WM_LBUTTONUP));
        EXPECT_EQ(got[2].w, WPARAM(0));
        EXPECT_EQ(got[3].message, UINT(WM_MOUSEWHEEL));
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(got[3].w), -240);
        EXPECT_EQ(got[3].l, MAKELPARAM(5, 6));
        EXPECT_EQ(got[4].message, UINT(WM_KEYDOWN));
        EXPECT_EQ(got[4].w, WPARAM('G'));
        EXPECT_EQ(got[5].message, UINT(WM_CHAR));
        EXPECT_EQ(got[5].w, WPARAM('g'));
        // A new size reaches the model as WM_SIZE.
        got.clear();
        const wxSize size = v.frame()->GetSize();
        v.frame()->SetSize(size.x + 40, size.y + 30);
        for (int i = 0; i < 20 && (got.empty() || model.canvas().width() != c->GetClientSize().x); ++i) {
            wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
            wxMilliSleep(5);
        }
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.back().message, UINT(WM_SIZE));
        EXPECT_EQ(GET_X_LPARAM(got.back().l), c->GetClientSize().x);
        EXPECT_EQ(model.canvas().width(), c->GetClientSize().x);
        v.frame()->Close();
    };
    EXPECT_EQ(model.run(), 0);
    setPresenter(before);
}

} // namespace
