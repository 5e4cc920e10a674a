// The editor in its window on a virtual display: an editing run through the toolkit's own events gives
// the file the same steps give through the scripted presenter, and every window is drawn whole.
#include "app_fixture.h"
#include "lumbraapp/resource.h"

#include "platform/format.h"
#include "wxpresenter/frameview.h"
#include "wxtesting/drive.h"
#include "wxtesting/screenshot.h"

#include <wx/menu.h>
#include <wx/scrolbar.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

namespace lumbra::apptest {

namespace {

using korvane::wx::FrameView;
using korvane::wx::WindowView;
using korvane::wx::WxPresenter;

const char* kTwoCircles = "$CustomApertureData\npad1 0 0\n2\n14 1 c670 0 0 0\n14 0 c670 26c1e0 0 102\n";

// --- a person's actions on the frame, as the toolkit delivers them

// Picks a menu item: it must be on the menu bar and enabled once the menus are brought up to date.
void menu(FrameView& v, int id) {
    v.updateCommands();
    wxMenuItem* item = v.menuItem(id);
    ASSERT_NE(item, nullptr) << "no menu item " << id;
    ASSERT_EQ(v.menuBar()->FindItem(item->GetId()), item);
    ASSERT_TRUE(item->IsEnabled()) << "menu item " << id << " is greyed";
    wxCommandEvent e(wxEVT_MENU, item->GetId());
    e.SetEventObject(v.frame());
    v.frame()->GetEventHandler()->ProcessEvent(e);
}

void mouse(wxWindow* w, wxEventType type, int x, int y) {
    wxMouseEvent e(type);
    e.m_x = x;
    e.m_y = y;
    e.m_leftDown = type == wxEVT_LEFT_DOWN;
    e.m_rightDown = type == wxEVT_RIGHT_DOWN;
    e.SetEventObject(w);
    w->GetEventHandler()->ProcessEvent(e);
}

void click(FrameView& v, int x, int y, bool right = false) {
    mouse(v.canvas(), wxEVT_MOTION, x, y);
    mouse(v.canvas(), right ? wxEVT_RIGHT_DOWN : wxEVT_LEFT_DOWN, x, y);
    mouse(v.canvas(), right ? wxEVT_RIGHT_UP : wxEVT_LEFT_UP, x, y);
}

// A key as the canvas gets it, or (for accelerators) as the frame sees it first.
void key(wxWindow* w, wxEventType type, int code, bool ctrl = false) {
    wxKeyEvent e(type);
    e.m_keyCode = code;
    e.m_controlDown = ctrl;
    e.SetEventObject(w);
    w->GetEventHandler()->ProcessEvent(e);
}

// --- one editing step, given both ways

struct Step {
    enum Kind { Command, Click, RightClick, Escape, CtrlS, Open } kind;
    int id = 0;
    int x = 0, y = 0; // from the centre of the canvas
};

std::vector<std::string> scriptOf(const std::vector<Step>& steps, int w, int h, const std::string& file) {
    std::vector<std::string> out{korvane::format("size %d,%d", w, h)};
    for (const Step& s : steps) {
        const std::string at = korvane::format("%d,%d", w / 2 + s.x, h / 2 + s.y);
        switch (s.kind) {
        case Step::Command:
            out.push_back(korvane::format("command %d", s.id));
            break;
        case Step::Click:
            out.push_back("click " + at);
            break;
        case Step::RightClick:
            out.push_back("rclick " + at);
            break;
        case Step::Escape:
            out.push_back("key escape");
            break;
        case Step::CtrlS:
            out.push_back("key ctrl+s");
            break;
        case Step::Open:
            out.push_back(korvane::format("command %d", int(ID_FILE_OPEN)));
            out.push_back("file " + file);
            break;
        }
    }
    return out;
}

void perform(FrameView& v, const Step& s) {
    const wxSize size = v.canvas()->GetClientSize();
    const int x = size.x / 2 + s.x, y = size.y / 2 + s.y;
    switch (s.kind) {
    case Step::Command:
        menu(v, s.id);
        break;
    case Step::Click:
        click(v, x, y);
        break;
    case Step::RightClick:
        click(v, x, y, true);
        break;
    case Step::Escape:
        key(v.canvas(), wxEVT_KEY_DOWN, WXK_ESCAPE);
        break;
    case Step::CtrlS:
        key(v.frame(), wxEVT_CHAR_HOOK, 'S', true);
        break;
    case Step::Open:
        menu(v, ID_FILE_OPEN);
        break;
    }
}

class LumbraGui : public AppTest {
  protected:
    WxPresenter gui;
    void useGui() {
        Presenter* before = setPresenter(&gui);
        if (!installed) previous = before, installed = true;
    }
};

} // namespace

TEST_F(LumbraGui, AnEditingRunThroughTheWindowGivesTheFileOfTheSameScript) {
    // Add a circle and a line, copy the circle twice and undo the second copy, save, reopen. View All
    // first: how the view fits the window depends on the sizes the canvas has had, and those differ
    // between a window being laid out and a script.
    const std::vector<Step> steps{
        {Step::Command, ID_VIEW_ALL},
        {Step::Command, ID_ADD_CIRCLE},
        {Step::Click, 0, 0, 0},
        {Step::Escape},
        {Step::Command, ID_ADD_LINE},
        {Step::Click, 0, -60, 40},
        {Step::Click, 0, 60, 40},
        {Step::Escape},
        {Step::Escape},
        {Step::Command, ID_EDIT_COPY},
        {Step::Click, 0, 0, 0},
        {Step::Click, 0, 80, -50},
        {Step::Click, 0, -80, -50},
        {Step::Escape},
        {Step::Escape},
        {Step::Command, ID_EDIT_UNDO},
        {Step::CtrlS},
        {Step::Open},
    };
    const std::string viaWindow = path("window.cap"), viaScript = path("script.cap");
    std::ofstream(viaWindow) << kTwoCircles;
    std::ofstream(viaScript) << kTwoCircles;

    useGui();
    gui.answerFileChooser = [&](const FileDialogRequest& r) -> std::optional<std::string> {
        EXPECT_TRUE(r.open);
        return viaWindow;
    };
    wxSize canvasSize;
    int countAfterReopen = -1;
    bool modifiedAfterReopen = true;
    std::string titleAfterReopen;
    gui.onFrameShown = [&](FrameView& v) {
        canvasSize = v.canvas()->GetClientSize();
        // The model's canvas follows the panel.
        EXPECT_EQ(v.model().canvas().width(), canvasSize.x);
        EXPECT_EQ(v.model().canvas().height(), canvasSize.y);
        for (const Step& s : steps)
            perform(v, s);
        wxIdleEvent idle;
        v.frame()->GetEventHandler()->ProcessEvent(idle);
        titleAfterReopen = v.frame()->GetTitle().utf8_string();
        v.frame()->Close();
    };
    {
        CLumbraApp app;
        app.fileToOpen = viaWindow;
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(app.Run(), 0);
        countAfterReopen = app.document().aperture().count();
        modifiedAfterReopen = app.document().IsModified();
        app.ExitInstance();
    }
    ASSERT_GT(canvasSize.x, 100);
    EXPECT_EQ(countAfterReopen, 5); // two circles, one added, a line and one copy
    EXPECT_FALSE(modifiedAfterReopen);
    EXPECT_EQ(titleAfterReopen, "window.cap - Lumbra - (pad1)");
    EXPECT_TRUE(gui.messageBoxes().empty());

    script(scriptOf(steps, canvasSize.x, canvasSize.y, viaScript));
    {
        CLumbraApp app;
        app.fileToOpen = viaScript;
        ASSERT_TRUE(app.InitInstance());
        app.Run();
        EXPECT_EQ(refusal(), "");
        EXPECT_EQ(app.document().aperture().count(), 5);
        app.ExitInstance();
    }
    const std::string scripted = readFile(viaScript);
    EXPECT_NE(scripted, kTwoCircles);
    EXPECT_EQ(readFile(viaWindow), scripted);
}

} // namespace lumbra::apptest

namespace lumbra::apptest {

namespace {

// Circles, a line and an outline: something to see in every part of the view.
const char* kDrawing =
    "$CustomApertureData\npad1 0 0\n4\n14 1 c670 0 0 0\n14 0 c670 26c1e0 0 102\n"
    "1e 1 c670 fff20c20 fff715f8 d90a8 fff715f8 0\n28 1 3 0\n0 0\n26c1e0 0\n0 26c1e0\n0 0\n";

// Runs the editor on `file` in its window; `drive` acts on the window once it is shown, then it is
// closed (answering No should it ask to save).
void runWindow(WxPresenter& gui, const std::string& file, const std::function<void(FrameView&)>& drive,
               CLumbraApp** running = nullptr) {
    gui.answerMessageBox = [](const MessageBoxRequest&) -> std::optional<int> { return IDNO; };
    bool shown = false;
    gui.onFrameShown = [&](FrameView& v) {
        shown = true;
        menu(v, ID_VIEW_ALL);
        drive(v);
        v.frame()->Close();
    };
    CLumbraApp app;
    if (running) *running = &app;
    app.fileToOpen = file;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.Run(), 0);
    app.ExitInstance();
    EXPECT_TRUE(shown) << "the window was not shown";
}

void expectNothingClipped(wxWindow* root, const std::string& what) {
    for (const auto& c : wxtesting::clippedTexts(root))
        ADD_FAILURE() << what << ": " << c;
}

} // namespace

TEST_F(LumbraGui, TheMainWindowIsDrawnWholeWithItsBarsAndPanes) {
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    runWindow(gui, file, [&file](FrameView& v) {
        // The view has the keys from the start.
        EXPECT_EQ(wxWindow::FindFocus(), v.canvas());
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(v.frame()), "lumbra-main.png"));
        // The aperture is drawn: the canvas holds more than its background.
        EXPECT_GE(wxtesting::distinctColours(wxtesting::capture(v.canvas()), 3), 3);
        expectNothingClipped(v.frame(), "main window");
        // Every pane is wide enough for its text, and the texts are the model's.
        wxStatusBar* sb = v.frame()->GetStatusBar();
        ASSERT_NE(sb, nullptr);
        const auto& panes = v.model().statusBar()->panes();
        ASSERT_EQ(sb->GetFieldsCount(), static_cast<int>(panes.size()));
        for (int i = 1; i < sb->GetFieldsCount(); ++i) {
            wxRect r;
            ASSERT_TRUE(sb->GetFieldRect(i, r));
            EXPECT_EQ(sb->GetStatusText(i).utf8_string(), panes[static_cast<size_t>(i)].text.str());
            EXPECT_GE(r.width, sb->GetTextExtent(sb->GetStatusText(i)).x) << "pane " << i;
        }
        EXPECT_EQ(sb->GetStatusText(2), "Cnt 4");
        EXPECT_EQ(sb->GetStatusText(4), "Inches");
        // The toolbars show their commands with tooltips from the menu, greyed as the model says.
        wxToolBar* standard = v.toolBar(AFX_IDW_TOOLBAR);
        ASSERT_NE(standard, nullptr);
        EXPECT_EQ(standard->GetToolShortHelp(v.toolkitId(ID_FILE_OPEN)), "Open");
        EXPECT_FALSE(standard->GetToolEnabled(v.toolkitId(ID_FILE_PRINT)));
        EXPECT_TRUE(standard->GetToolEnabled(v.toolkitId(ID_FILE_SAVE)));
        // The file just opened is the first recent file; the entries not in use stay greyed.
        wxIdleEvent idle;
        v.frame()->GetEventHandler()->ProcessEvent(idle);
        v.updateCommands();
        ASSERT_NE(v.menuItem(ID_FILE_MRU_FILE1), nullptr);
        EXPECT_EQ(v.menuItem(ID_FILE_MRU_FILE1)->GetItemLabelText().utf8_string(),
                  "1 " + std::filesystem::path(file).lexically_normal().string());
        EXPECT_TRUE(v.menuItem(ID_FILE_MRU_FILE1)->IsEnabled());
        EXPECT_EQ(v.menuItem(ID_FILE_MRU_FILE1 + 1)->GetItemLabelText(), "Recent File");
        EXPECT_FALSE(v.menuItem(ID_FILE_MRU_FILE1 + 1)->IsEnabled());
        ASSERT_NE(v.toolBar(IDR_VIEWBAR), nullptr);
        EXPECT_EQ(v.toolBar(IDR_VIEWBAR)->GetToolShortHelp(v.toolkitId(ID_VIEW_ZOOMIN)), "Zoom In");
    });
}

TEST_F(LumbraGui, TheRubberBandTheViewDrawsShowsOnTheScreenAsThePointerMoves) {
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    runWindow(gui, file, [](FrameView& v) {
        const wxSize size = v.canvas()->GetClientSize();
        const int y = size.y / 2 + 120, left = size.x / 2 - 100, right = size.x / 2 + 100;
        auto lit = [&](const wxImage& image) {
            // The brightest pixel around the middle of the band's path.
            int best = 0;
            for (int dy = -2; dy <= 2; ++dy)
                best = std::max(best, image.GetRed(size.x / 2, y + dy) + image.GetGreen(size.x / 2, y + dy) +
                                          image.GetBlue(size.x / 2, y + dy));
            return best;
        };
        menu(v, ID_ADD_LINE);
        click(v, left, y);
        EXPECT_EQ(lit(wxtesting::capture(v.canvas())), 0);
        mouse(v.canvas(), wxEVT_MOTION, right, y);
        const wxImage band = wxtesting::capture(v.canvas());
        EXPECT_TRUE(wxtesting::saveScreenshot(band, "lumbra-rubber-band.png"));
        EXPECT_GT(lit(band), 0);
        // Cancelled, the band is gone from the screen too.
        key(v.canvas(), wxEVT_KEY_DOWN, WXK_ESCAPE);
        key(v.canvas(), wxEVT_KEY_DOWN, WXK_ESCAPE);
        mouse(v.canvas(), wxEVT_MOTION, 5, 5);
        EXPECT_EQ(lit(wxtesting::capture(v.canvas())), 0);
    });
}

TEST_F(LumbraGui, AQuickSecondClickCountsAsAClick) {
    // The toolkit reports the second press of a double click as a double click: the view still gets
    // a press, so a second circle is placed.
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    CLumbraApp* running = nullptr;
    runWindow(
        gui, file,
        [&](FrameView& v) {
            menu(v, ID_ADD_CIRCLE);
            mouse(v.canvas(), wxEVT_MOTION, 40, 40);
            mouse(v.canvas(), wxEVT_LEFT_DOWN, 40, 40);
            mouse(v.canvas(), wxEVT_LEFT_UP, 40, 40);
            mouse(v.canvas(), wxEVT_LEFT_DCLICK, 40, 40);
            mouse(v.canvas(), wxEVT_LEFT_UP, 40, 40);
            EXPECT_EQ(running->document().aperture().count(), 6);
        },
        &running);
}

TEST_F(LumbraGui, HidingABarThroughTheMenuTakesItOffTheWindowAndTheCheckMarkFollows) {
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    runWindow(gui, file, [](FrameView& v) {
        wxWindow* bar = v.barPanel(IDR_VIEWBAR);
        ASSERT_NE(bar, nullptr);
        const wxSize before = v.canvas()->GetSize();
        EXPECT_TRUE(bar->IsShown());
        EXPECT_TRUE(v.menuItem(ID_VIEW_ZOOMBAR)->IsChecked());
        menu(v, ID_VIEW_ZOOMBAR);
        v.updateCommands();
        EXPECT_FALSE(bar->IsShown());
        EXPECT_FALSE(v.menuItem(ID_VIEW_ZOOMBAR)->IsChecked());
        menu(v, ID_VIEW_STATUS_BAR);
        EXPECT_FALSE(v.frame()->GetStatusBar()->IsShown());
        menu(v, ID_VIEW_STATUS_BAR);
        menu(v, ID_VIEW_ZOOMBAR);
        EXPECT_TRUE(bar->IsShown());
        EXPECT_EQ(v.canvas()->GetSize(), before);
        // The metric check mark and the unit pane follow the model.
        menu(v, ID_OPTIONS_METRIC);
        v.updateCommands();
        EXPECT_TRUE(v.menuItem(ID_OPTIONS_METRIC)->IsChecked());
        EXPECT_EQ(v.frame()->GetStatusBar()->GetStatusText(4), "MM");
    });
}

struct DialogCase {
    const char* name;
    std::function<void(FrameView&)> open;
    int closeWith;
    const char* caption;
};

void PrintTo(const DialogCase& c, std::ostream* os) {
    *os << c.name;
}

class LumbraDialogs : public LumbraGui, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(LumbraDialogs, TheDialogOpensOverTheWindowAndIsDrawnWhole) {
    const DialogCase& c = GetParam();
    const std::string file = path("drawing.cap"), catalogue = path("two.cap");
    std::ofstream(file) << kDrawing;
    std::ofstream(catalogue) << "$CustomApertureData\nfirst 0 0\n1\n28 1 3 0\n0 0\n64 0\n0 64\n0 0\n"
                                "a-much-longer-name 26c1e0 c670\n1\n14 1 c670 0 0 0\n";
    useGui();
    gui.answerFileChooser = [&](const FileDialogRequest&) -> std::optional<std::string> { return catalogue; };
    std::string caption;
    wxWindow* owner = nullptr;
    gui.onShown = [&](WindowView& w) {
        caption = w.dialog()->GetTitle().utf8_string();
        owner = w.dialog()->GetParent();
        EXPECT_TRUE(
            wxtesting::saveScreenshot(wxtesting::capture(w), std::string("lumbra-") + c.name + ".png"));
        expectNothingClipped(w.dialog(), c.name);
        drive::press(w.widget(c.closeWith));
    };
    wxWindow* frame = nullptr;
    runWindow(gui, file, [&](FrameView& v) {
        frame = v.frame();
        c.open(v);
    });
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(owner, frame);
}

void pressBarButton(FrameView& v, int bar, int id) {
    menu(v, ID_ADD_CIRCLE); // the coordinate buttons work while a command takes points
    WindowView* controls = v.barView(bar);
    ASSERT_NE(controls, nullptr);
    ASSERT_NE(controls->widget(id), nullptr);
    ASSERT_TRUE(controls->widget(id)->IsEnabled());
    drive::press(controls->widget(id));
}

INSTANTIATE_TEST_SUITE_P(
    Lumbra, LumbraDialogs,
    ::testing::Values(DialogCase{"abscoord-absolute",
                                 [](FrameView& v) { pressBarButton(v, IDD_COORDBAR, IDC_ABSOLUTE); },
                                 IDCANCEL, "Absolute Coordinates"},
                      DialogCase{"abscoord-relative",
                                 [](FrameView& v) { pressBarButton(v, IDD_COORDBAR, IDC_RELATIVE); },
                                 IDCANCEL, "Relative Coordinates"},
                      DialogCase{"grid", [](FrameView& v) { menu(v, ID_OPTIONS_GRID); }, IDCANCEL, "Grid"},
                      DialogCase{"change-drill-tools", [](FrameView& v) { menu(v, ID_EDIT_CHANGE_TOOLS); },
                                 IDCANCEL, "Change Drill Tools"},
                      DialogCase{"open-custom-aperture", [](FrameView& v) { menu(v, ID_FILE_OPEN); },
                                 IDCANCEL, "Open Custom Aperture"},
                      DialogCase{"about", [](FrameView& v) { menu(v, ID_APP_ABOUT); }, IDOK, "About Lumbra"}),
    [](const ::testing::TestParamInfo<DialogCase>& param) {
        std::string n = param.param.name;
        std::replace(n.begin(), n.end(), '-', '_');
        return n;
    });

} // namespace lumbra::apptest

namespace lumbra::apptest {

struct CloseCase {
    const char* name;
    bool throughMenu;          // File › Exit rather than the window's close box
    std::optional<int> answer; // to "Save changes to ...?", when asked
    bool saved;
};

void PrintTo(const CloseCase& c, std::ostream* os) {
    *os << c.name;
}

class LumbraClose : public LumbraGui, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(LumbraClose, ClosingAModifiedApertureAsksTheModelAndTheWindowGoesOnlyWhenItQuits) {
    const CloseCase& c = GetParam();
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    std::vector<std::string> asked;
    gui.answerMessageBox = [&](const MessageBoxRequest& r) -> std::optional<int> {
        asked.push_back(r.text.str());
        return c.answer;
    };
    bool stillOpen = false;
    wxSize frameSize;
    gui.onFrameShown = [&](FrameView& v) {
        frameSize = v.frame()->GetSize();
        menu(v, ID_ADD_CIRCLE);
        click(v, 30, 30);
        if (c.throughMenu)
            menu(v, ID_APP_EXIT);
        else
            v.frame()->Close();
        stillOpen = v.frame()->IsShown();
        if (stillOpen) {
            // Never leave the test waiting on a window that stayed.
            gui.answerMessageBox = [](const MessageBoxRequest&) -> std::optional<int> { return IDNO; };
            v.frame()->Close();
        }
    };
    CLumbraApp app;
    app.fileToOpen = file;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.Run(), 0);
    app.ExitInstance();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Save changes to drawing.cap?");
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(readFile(file) != kDrawing, c.saved);
    // The placement is the window's, saved as the frame closed.
    const LumbraSettings s = loadSettings();
    ASSERT_TRUE(s.placement.has_value());
    EXPECT_EQ(s.placement->right - s.placement->left, frameSize.x);
    EXPECT_EQ(s.placement->bottom - s.placement->top, frameSize.y);
}

INSTANTIATE_TEST_SUITE_P(Lumbra, LumbraClose,
                         ::testing::Values(CloseCase{"close_box_save", false, IDYES, true},
                                           CloseCase{"close_box_discard", false, IDNO, false},
                                           CloseCase{"exit_save", true, IDYES, true},
                                           CloseCase{"exit_discard", true, IDNO, false}),
                         [](const ::testing::TestParamInfo<CloseCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(LumbraGui, InLinkModeSaveIsTheLastActionAndTheWindowQuitsWithTheHostsCode) {
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    FakeLink link;
    bool saveAsGreyed = false, newGreyed = false;
    gui.onFrameShown = [&](FrameView& v) {
        menu(v, ID_ADD_CIRCLE);
        click(v, 30, 30);
        v.updateCommands();
        saveAsGreyed = !v.menuItem(ID_FILE_SAVE_AS)->IsEnabled();
        newGreyed = !v.toolBar(AFX_IDW_TOOLBAR)->GetToolEnabled(v.toolkitId(ID_FILE_NEW));
        key(v.frame(), wxEVT_CHAR_HOOK, 'S', true);
    };
    CLumbraApp app(&link);
    app.fileToOpen = file;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(app.linkMode());
    EXPECT_EQ(app.Run(), 1);
    app.ExitInstance();
    EXPECT_TRUE(saveAsGreyed);
    EXPECT_TRUE(newGreyed);
    ASSERT_EQ(link.pokes.size(), 1u);
    EXPECT_EQ(std::get<1>(link.pokes[0]), "AOK");
    EXPECT_NE(readFile(file), kDrawing);
    EXPECT_TRUE(gui.messageBoxes().empty());
}

TEST_F(LumbraGui, TheHostDroppingTheLinkEndsTheWindowAtIdleTime) {
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    FakeLink link;
    gui.onFrameShown = [&](FrameView& v) {
        link.gone = true;
        wxIdleEvent idle;
        v.frame()->GetEventHandler()->ProcessEvent(idle);
    };
    CLumbraApp app(&link);
    app.fileToOpen = file;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.Run(), 1);
    app.ExitInstance();
    EXPECT_EQ(link.disconnects, 1);
}

} // namespace lumbra::apptest

namespace lumbra::apptest {

TEST_F(LumbraGui, TheScrollBarsFollowTheViewAndScrollIt) {
    const std::string file = path("drawing.cap");
    std::ofstream(file) << kDrawing;
    useGui();
    CLumbraApp* running = nullptr;
    runWindow(
        gui, file,
        [&](FrameView& v) {
            CLumbraView& view = running->view();
            wxScrollBar* h = v.scrollBar(false);
            ASSERT_NE(h, nullptr);
            EXPECT_FALSE(h->IsEnabled()); // all of the aperture is in view
            // Zoomed in, there is something to scroll.
            menu(v, ID_VIEW_ZOOMIN);
            const wxSize size = v.canvas()->GetClientSize();
            click(v, size.x / 2, size.y / 2);
            wxIdleEvent idle;
            v.frame()->GetEventHandler()->ProcessEvent(idle);
            ASSERT_TRUE(h->IsEnabled());
            ScrollBarInfo info = v.model().canvas().scrollBar(false);
            EXPECT_EQ(info.position, view.horizontalBar().position);
            EXPECT_EQ(h->GetThumbPosition(),
                      static_cast<int>((static_cast<long long>(info.position) - info.minimum) /
                                       korvane::wx::scrollScale(info)));
            // A click on the right arrow moves the view right, and the thumb follows.
            const std::int32_t left = view.window.left;
            wxScrollEvent line(wxEVT_SCROLL_LINEDOWN, h->GetId(), h->GetThumbPosition(), wxHORIZONTAL);
            line.SetEventObject(h);
            h->GetEventHandler()->ProcessEvent(line);
            EXPECT_GT(view.window.left, left);
            EXPECT_EQ(v.model().canvas().scrollBar(false).position, view.horizontalBar().position);
            // The thumb dropped at the start of the bar: the view's left edge is the start of the range.
            wxScrollEvent drop(wxEVT_SCROLL_THUMBRELEASE, h->GetId(), 0, wxHORIZONTAL);
            drop.SetEventObject(h);
            h->GetEventHandler()->ProcessEvent(drop);
            EXPECT_EQ(view.window.left, view.horizontalBar().minimum);
            EXPECT_EQ(h->GetThumbPosition(), 0);
        },
        &running);
}

} // namespace lumbra::apptest
