// A program's main window (CFrameWnd) on screen: a wxFrame with the model's menu bar, toolbars, dialog
// bars, status bar and a canvas panel that shows the owner's painted image. What a person does goes to
// the model (commands by ID, keys, canvas mouse input as window messages, resizes, the close request);
// after each action the frame is mirrored from the model again. The model holds all the state.
#pragma once

#include "platform/mainwindow.h"
#include "wxpresenter/wxpresenter.h"

#include <wx/frame.h>
#include <wx/image.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class wxEventLoopBase;
class wxMenu;
class wxMenuBar;
class wxMenuItem;
class wxScrollBar;
class wxSizer;
class wxToolBar;

namespace korvane::wx {

class CanvasPanel;

// The virtual key of a toolkit key code (0 for a key the window model does not name).
UINT virtualKey(int wxKeyCode);
// The accelerator modifiers (kAccel*) of a key or mouse event's state.
UINT acceleratorModifiers(bool ctrl, bool alt, bool shift);
// A menu entry's text as a tooltip: without mnemonics, key text and trailing dots.
std::string tooltipText(const std::string& menuText);
// The menu text of command `id` (empty when no menu holds it).
std::string commandText(const std::vector<MenuEntry>& menu, int id);
// How many units of a model's scroll bar make one step of the toolkit's (whose counts are ints).
long long scrollScale(const ScrollBarInfo& info);
// Copies an image of 0x00RRGGBB pixels into an RGB image of its size (reused when it fits); no image
// when there are no pixels or the rows overlap.
void copyCanvasImage(const CanvasImage& source, wxImage& target);

class FrameView {
  public:
    explicit FrameView(CFrameWnd& model);
    ~FrameView();
    FrameView(const FrameView&) = delete;
    FrameView& operator=(const FrameView&) = delete;

    CFrameWnd& model() const { return model_; }
    wxFrame* frame() const { return frame_; }
    wxMenuBar* menuBar() const { return menuBar_; }
    // The toolkit's ID of a command (menu items and tool buttons carry it); 0 for a command the window
    // does not show. Command IDs themselves are beyond the toolkit's range.
    int toolkitId(int command) const;
    int commandOf(int toolkitId) const;
    wxMenuItem* menuItem(int command) const;
    wxWindow* canvas() const;
    // A toolbar or dialog bar by its bar ID (null when the model has none).
    wxToolBar* toolBar(int barId) const;
    WindowView* barView(int barId) const;
    wxWindow* barPanel(int barId) const;
    // The canvas's scroll bars.
    wxScrollBar* scrollBar(bool vertical) const { return vertical ? vscroll_ : hscroll_; }

    // Runs an action of the person on the model, then mirrors the model. Nested calls mirror once.
    void act(const std::function<void()>& action);
    // Mirrors the model: title, bars, panes, the canvas; ends the run once the model has quit.
    void sync();
    // Enabling and check marks of the menu items and toolbar buttons from the update handlers.
    void updateCommands();
    // Shows the window and runs the event loop until the model quits; returns its exit code.
    int run();
    bool running() const { return loop_ != nullptr; }

  private:
    struct Bar {
        CControlBar* model = nullptr;
        wxWindow* panel = nullptr;
        wxToolBar* tools = nullptr;
        std::unique_ptr<WindowView> controls;
    };
    void buildMenu();
    wxMenu* buildPopup(const std::vector<MenuEntry>& items);
    void buildBars();
    void layoutBars();
    void syncStatus();
    void syncScrollBars();
    void placeFromModel();
    void placementToModel();
    void onKey(wxKeyEvent& e);
    void onIdle(wxIdleEvent& e);

    CFrameWnd& model_;
    wxFrame* frame_ = nullptr;
    wxWindow* root_ = nullptr;
    wxMenuBar* menuBar_ = nullptr;
    std::vector<MenuEntry> builtMenu_;
    std::map<int, wxMenuItem*> items_; // by command
    std::map<int, int> toolkitIds_;    // command -> toolkit ID
    std::map<int, int> commands_;      // toolkit ID -> command
    int idFor(int command);
    std::vector<Bar> bars_;
    std::vector<bool> barsShown_;
    CanvasPanel* canvas_ = nullptr;
    wxScrollBar* hscroll_ = nullptr;
    wxScrollBar* vscroll_ = nullptr;
    ScrollBarInfo hscrollShown_, vscrollShown_;
    wxSizer* top_ = nullptr;
    wxSizer* middleLeft_ = nullptr;
    wxSizer* middleRight_ = nullptr;
    wxSizer* bottom_ = nullptr;
    std::vector<std::string> paneTexts_;
    std::vector<int> paneWidths_;
    bool statusShown_ = true;
    wxEventLoopBase* loop_ = nullptr;
    long idleCount_ = 0;
    int depth_ = 0;
    bool acted_ = false; // an action ran since the canvas was last shown
    bool ended_ = false;
};

} // namespace korvane::wx
