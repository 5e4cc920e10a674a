// The editor in its window on a virtual display: an editing run through the toolkit's own events gives
// the file the same steps give through the scripted presenter, and every window is drawn whole.
#include "app_fixture.h"
#include "resource.h"

#include "platform/format.h"
#include "wxpresenter/frameview.h"
#include "wxtesting/drive.h"
#include "wxtesting/screenshot.h"

#include <wx/menu.h>
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
