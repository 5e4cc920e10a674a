// The main window of a document program in the window model: a command table whose enable and check
// state is asked of update handlers, menus and toolbars as lists of command IDs, accelerators, a status
// bar of panes, dockable bars holding ordinary controls, and a canvas whose painting is left to its
// owner and whose mouse, wheel and key input arrives as window messages. A presenter shows it and feeds
// it what a person (or a script) does; the model holds all the state.
#pragma once

#include "platform/window.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// What an update handler decides about one command, as the framework's CCmdUI.
class CCmdUI {
  public:
    explicit CCmdUI(int id) : m_nID(id) {}
    void Enable(bool on = true) { enabled_ = on; }
    void SetCheck(int check = 1) {
        checked_ = check;
        checkable_ = true;
    }
    bool enabled() const { return enabled_; }
    int checked() const { return checked_; }
    // Whether the handler sets a check state at all (a presenter shows such items with a check mark).
    bool checkable() const { return checkable_; }
    const int m_nID;

  private:
    bool enabled_ = true;
    int checked_ = 0;
    bool checkable_ = false;
};

struct CommandState {
    bool enabled = false; // a command without a handler is disabled, as in the framework
    int checked = 0;
    bool checkable = false;
};

// A menu: popups (items not empty), commands (id not 0) and separators (neither).
struct MenuEntry {
    int id = 0;
    std::string text;
    std::vector<MenuEntry> items;
};

enum : UINT { kAccelCtrl = 1, kAccelAlt = 2, kAccelShift = 4 };

struct Accelerator {
    UINT key = 0;       // virtual key
    UINT modifiers = 0; // kAccel* flags, matched exactly
    int command = 0;
};

enum class DockSide { Top, Bottom, Left, Right, Floating };

// A dockable bar: a toolbar (buttons are command IDs, 0 a separator) or a dialog bar (ordinary
// controls made from a template). The bar's controls report to the frame's message map.
class CControlBar : public CWnd {
  public:
    CControlBar(int barId, bool toolbar) : barId_(barId), toolbar_(toolbar) {}
    int barId() const { return barId_; }
    bool isToolBar() const { return toolbar_; }
    const std::vector<int>& buttons() const { return buttons_; }
    void setButtons(std::vector<int> commands) { buttons_ = std::move(commands); }
    DockSide dock = DockSide::Top;
    bool OnCommand(int id, int code) override;

  private:
    int barId_;
    bool toolbar_;
    std::vector<int> buttons_;
};

// The status bar: panes of text, each as wide as its text needs.
class CStatusBar : public CWnd {
  public:
    struct Pane {
        int id = 0;
        CString text;
        int width = 0; // pixels
    };
    void SetIndicators(const std::vector<int>& ids);
    // Sets a pane's text and resizes the pane to the text's width plus half an average character.
    bool SetPaneText(int index, const char* text);
    CString GetPaneText(int index) const;
    int paneWidth(int index) const;
    int CommandToIndex(int id) const;
    const std::vector<Pane>& panes() const { return panes_; }

  private:
    std::vector<Pane> panes_;
};

// A scroll bar beside the canvas, as its owner sets it: the range, the page (the part in view) and the
// position of the page's start; hidden while the page covers the range.
struct ScrollBarInfo {
    int minimum = 0, maximum = 0, page = 0, position = 0;
    bool shown() const { return static_cast<long long>(page) < static_cast<long long>(maximum) - minimum; }
    friend bool operator==(const ScrollBarInfo&, const ScrollBarInfo&) = default;
};

// The drawing area. Input arrives through its message map: mouse messages carry the pixel in lParam
// (MAKELPARAM) and the held buttons and keys in wParam; WM_MOUSEWHEEL the rotation; WM_KEYDOWN and
// WM_CHAR the key and character; WM_SIZE the new size after a resize.
class CCanvasWnd : public CWnd {
  public:
    int width() const { return width_; }
    int height() const { return height_; }
    // Resizes the area and tells the owner (WM_SIZE, lParam = MAKELPARAM(width, height)).
    void resize(int width, int height);
    // The owner paints: the painter renders, the image source hands the presenter the pixels.
    void setPainter(std::function<void()> painter) { painter_ = std::move(painter); }
    void setImageSource(std::function<CanvasImage()> source) { image_ = std::move(source); }
    void Invalidate() { dirty_ = true; }
    bool needsPaint() const { return dirty_; }
    // Paints when invalidated (or when forced); returns whether it painted.
    bool paint(bool force = false);
    CanvasImage image() const { return image_ ? image_() : CanvasImage{}; }

    // What a person does with the mouse: the button state is kept here so that a move while the
    // left button is held carries MK_LBUTTON. `keys` adds MK_SHIFT / MK_CONTROL.
    LRESULT mouseInput(UINT message, int x, int y, UINT keys = 0);
    LRESULT wheelInput(int delta, int x, int y, UINT keys = 0);
    UINT heldButtons() const { return held_; }

    // The scroll bars: set by the owner, shown by the presenter. A person's request arrives as
    // WM_HSCROLL / WM_VSCROLL with the SB_* code in the low word of wParam; the position of a thumb
    // dropped at SB_THUMBPOSITION is in trackPosition(), as the message's 16 bits cannot hold it.
    void setScrollBar(bool vertical, const ScrollBarInfo& info) { (vertical ? vbar_ : hbar_) = info; }
    const ScrollBarInfo& scrollBar(bool vertical) const { return vertical ? vbar_ : hbar_; }
    LRESULT scrollInput(bool vertical, UINT request, int position = 0);
    int trackPosition() const { return track_; }

    bool hasFocus = true;
    void attachTo(CWnd* owner) { setParent(owner); }

  private:
    int width_ = 0, height_ = 0;
    bool dirty_ = true;
    UINT held_ = 0;
    ScrollBarInfo hbar_, vbar_;
    int track_ = 0;
    std::function<void()> painter_;
    std::function<CanvasImage()> image_;
};

struct WindowPlacement {
    UINT flags = 0;
    UINT showCmd = 1; // SW_SHOWNORMAL
    int minX = -1, minY = -1, maxX = -1, maxY = -1;
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

enum : UINT { SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3 };
enum : UINT { WPF_RESTORETOMAXIMIZED = 2 };

// A bar's state as it is saved and restored between runs.
struct BarState {
    int barId = 0;
    bool visible = true;
    DockSide dock = DockSide::Top;
};

class CFrameWnd : public CWnd {
  public:
    CFrameWnd();
    ~CFrameWnd() override;

    // --- the command table
    void OnMenuCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }
    void OnUpdateCommandUI(int id, std::function<void(CCmdUI&)> handler) {
        updates_[id] = std::move(handler);
    }
    // Enabled when the command has a handler and its update handler (if any) does not disable it.
    CommandState queryCommand(int id);
    // Runs an enabled command; false (and nothing done) when it is disabled or unknown.
    bool executeCommand(int id);

    // --- menus, toolbars and accelerators
    void setMenu(std::vector<MenuEntry> menu) { menu_ = std::move(menu); }
    const std::vector<MenuEntry>& menu() const { return menu_; }
    bool menuHasCommand(int id) const;
    void addAccelerator(UINT key, UINT modifiers, int command) {
        accelerators_.push_back({key, modifiers, command});
    }
    const std::vector<Accelerator>& accelerators() const { return accelerators_; }
    int translateAccelerator(UINT key, UINT modifiers) const;

    // --- bars (children of the frame, in creation order)
    CControlBar* addToolBar(int barId, const char* title, std::vector<int> commands);
    CControlBar* addDialogBar(int barId, const DialogTemplate& t);
    CStatusBar* addStatusBar(int barId, const std::vector<int>& indicators);
    CStatusBar* statusBar() const { return status_; }
    CControlBar* bar(int barId) const;
    std::vector<CControlBar*> bars() const;
    void ShowControlBar(int barId, bool show);
    std::vector<BarState> barStates() const;
    void applyBarStates(const std::vector<BarState>& states);
    // A control on any bar (what a script's set and click steps address while no dialog is open).
    CWnd* findBarControl(int id) const;

    CCanvasWnd& canvas() { return canvas_; }

    // --- keys: an accelerator runs its command; any other key goes to the canvas as WM_KEYDOWN,
    // followed by the WM_CHAR it produces. Returns whether anything took it.
    bool userKey(UINT key, UINT modifiers);

    // --- placement, idle, closing and quitting
    WindowPlacement GetWindowPlacement() const { return placement_; }
    void SetWindowPlacement(const WindowPlacement& p) { placement_ = p; }
    bool IsZoomed() const { return placement_.showCmd == SW_SHOWMAXIMIZED; }

    // Idle work after the presenter has handled what was pending; true asks for more idle calls.
    virtual bool OnIdle(long count);
    // The close request (WM_CLOSE): the default destroys the window.
    virtual void OnClose();
    void DestroyWindow();
    bool destroyed() const { return destroyed_; }
    void PostQuitMessage(int exitCode);
    bool quitPosted() const { return quit_; }
    int exitCode() const { return exitCode_; }

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Runs the window through the presenter until it quits; returns the exit code.
    int run();

  protected:
    virtual void OnDestroy() {}

  private:
    std::map<int, std::function<void()>> commands_;
    std::map<int, std::function<void(CCmdUI&)>> updates_;
    std::vector<MenuEntry> menu_;
    std::vector<Accelerator> accelerators_;
    CStatusBar* status_ = nullptr;
    CCanvasWnd canvas_;
    WindowPlacement placement_;
    bool destroyed_ = false;
    bool quit_ = false;
    int exitCode_ = 0;
};

// The character a key produces (0 for none), as the keyboard translation does: letters lower case
// unless Shift is held, Ctrl+letter the control codes 1 to 26.
unsigned keyCharacter(UINT key, UINT modifiers);
