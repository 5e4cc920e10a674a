// The wxWidgets presenter: runs the window model's modal windows for a person. Each control of the model
// becomes a widget placed from its template rectangle; a user's action goes to the model through the
// user actions of window.h, and after every handler the model's control state is mirrored back onto the
// widgets. The model stays the single source of truth.
#pragma once

#include "platform/presenter.h"

#include <wx/dialog.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/image.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class wxNotebook;
class wxTimer;

namespace korvane::wx {

// The dialog base units of a font, as the dialog manager measures them: the average width of the 52
// Latin letters (rounded) and the character height. Four horizontal and eight vertical dialog units
// make one base unit.
struct DialogBaseUnits {
    int x = 8;
    int y = 16;
};
DialogBaseUnits dialogBaseUnits(const wxFont& font);
// Pure conversion for a given base (rounded as MulDiv rounds).
wxRect toPixels(const DlgRect& r, DialogBaseUnits base);
int dluToPixelsX(int dlu, DialogBaseUnits base);
int dluToPixelsY(int dlu, DialogBaseUnits base);
// The font a template asks for.
wxFont templateFont(const DialogTemplate& t);

// The wx face of one control: which widget shows it and how to reach its parts.
struct ControlBinding {
    CWnd* model = nullptr;
    wxWindow* widget = nullptr;  // the outermost widget (a panel for the value box)
    wxWindow* input = nullptr;   // the part that takes text or clicks (the text field of a value box)
    wxWindow* partner = nullptr; // a radio button's hidden partner, checked to uncheck it
    wxRect rect;                 // the template rectangle in pixels, in its container's client area
    wxString shown;              // the text last mirrored from the model (plain edits and labels)
    std::vector<CString> items;  // the items last mirrored (combo and list boxes)
    int selection = -2;          // the selection last mirrored into an editable combo (-2: none yet)
};

class ValueBoxWidget;
class EditableList;
class FrameView;

// One modal window of the model shown as a wx dialog. Tests reach the widgets through it to drive them
// with wx events.
class WindowView {
  public:
    WindowView(CModalWindow& window, wxWindow* parent);
    // The controls of a main window's bar, built in `panel` (which the caller owns).
    WindowView(CWnd& bar, wxWindow* panel);
    ~WindowView();
    WindowView(const WindowView&) = delete;
    WindowView& operator=(const WindowView&) = delete;

    // Null for a bar.
    wxDialog* dialog() const { return dialog_; }
    CModalWindow& model() const { return *window_; }
    bool isBar() const { return window_ == nullptr; }
    // A bar's actions run through its frame, which mirrors the whole window afterwards.
    void setActor(std::function<void(const std::function<void()>&)> actor) { actor_ = std::move(actor); }
    bool isSheet() const { return notebook_ != nullptr; }
    wxNotebook* notebook() const { return notebook_; }

    // The binding of control `id` on page `page` (from 0) of a sheet, or of the dialog (page -1); the
    // sheet's own buttons are on page -1 too. Null when the control has no widget.
    const ControlBinding* find(int id, int page = -1) const;
    wxWindow* widget(int id, int page = -1) const;
    ValueBoxWidget* valueBox(int id, int page = -1) const;
    EditableList* list(int id, int page = -1) const;
    // The rectangle of a control in pixels relative to the dialog's client area.
    wxRect rectInDialog(int id, int page = -1) const;

    // Mirrors the model onto the widgets; ends the modal loop when the model window has ended.
    void sync();
    // Builds widgets for sheet pages that exist in the model but not yet on screen.
    void buildPages();

    // The area the controls are placed in (the dialog's client area, a bar's panel).
    wxWindow* clientArea() const { return own_.panel; }

    // --- called by the widgets
    // Commits text typed into an edit field that has not reached the model yet.
    void commitPending();
    // Runs a model action, then mirrors the model. Nested calls mirror once, at the end.
    void act(const std::function<void()>& action);
    void noteFocus(CWnd* control);
    void commitEdit(CWnd* control, const wxString& text);

  private:
    struct Container {
        CWnd* model = nullptr;
        wxWindow* panel = nullptr;
        DialogBaseUnits base;
        std::vector<ControlBinding> controls;
    };
    void buildDialog();
    void buildSheet();
    Container buildContainer(CWnd& model, wxWindow* panel, DialogBaseUnits base);
    ControlBinding makeControl(CWnd& c, wxWindow* panel, DialogBaseUnits base);
    void syncControl(ControlBinding& b);
    void syncFocus();
    void syncTimers();
    void onTimer(unsigned id);
    Container* containerOf(int page);
    const Container* containerOf(int page) const;

    CModalWindow* window_ = nullptr;
    std::function<void(const std::function<void()>&)> actor_;
    wxDialog* dialog_ = nullptr;
    wxNotebook* notebook_ = nullptr;
    Container own_;                  // the dialog, or the sheet's buttons
    std::map<int, Container> pages_; // sheet pages by index
    std::map<unsigned, std::pair<std::unique_ptr<wxTimer>, unsigned>> timers_;
    int depth_ = 0;
    bool ending_ = false;
    bool focusQueued_ = false;
    bool committing_ = false;
};

class WxPresenter : public Presenter {
  public:
    WxPresenter();
    ~WxPresenter() override;

    int runModal(CModalWindow& window) override;
    int messageBox(const MessageBoxRequest& request) override;
    void help(const HelpRequest& request) override;
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override;
    void pump() override;
    void refresh(CModalWindow& window) override;
    // Shows the main window as a wxFrame and runs it until the model quits; modal windows and message
    // boxes opened meanwhile belong to it.
    int runMainWindow(CFrameWnd& frame) override;

    // Called once a window is on screen, inside its modal loop.
    std::function<void(WindowView&)> onShown;
    // Called once a main window is on screen, inside its loop (tests drive it from here).
    std::function<void(FrameView&)> onFrameShown;
    // When set and giving an answer, a message box is answered without being shown (tests).
    std::function<std::optional<int>(const MessageBoxRequest&)> answerMessageBox;
    // When set, replaces the help window.
    std::function<void(const HelpRequest&)> onHelp;
    // When set, replaces the file chooser.
    std::function<std::optional<std::string>(const FileDialogRequest&)> answerFileChooser;

    const std::vector<MessageBoxRequest>& messageBoxes() const { return boxes_; }
    const std::vector<HelpRequest>& helpRequests() const { return helps_; }
    // The innermost window on screen.
    WindowView* activeView() const { return views_.empty() ? nullptr : views_.back(); }
    // The main window on screen, if any.
    FrameView* frameView() const { return frame_; }
    // The parent for windows this presenter opens (the launcher sets its frame).
    wxWindow* parentWindow = nullptr;

  private:
    FrameView* frame_ = nullptr;
    std::vector<WindowView*> views_;
    std::vector<MessageBoxRequest> boxes_;
    std::vector<HelpRequest> helps_;
};

// The caption of a message box: its own when the request gives one other than the module's name (what a
// box without a caption of its own carries), else the owning window's, else the request's.
std::string messageBoxCaption(const std::string& requested, const std::string& moduleName,
                              const std::string& ownerCaption);
// The toolkit style of a box (buttons and icon) for a request's type.
long messageBoxStyle(UINT type);
// A message box as the desktop shows one (icon, buttons of their natural size), shown modally; returns
// the toolkit's button ID.
int showMessageBox(wxWindow* parent, const wxString& text, const wxString& caption, long style);
// The help text shown for a request: which topic of which library was asked for.
std::string helpTopicText(const HelpRequest& request);
// A chooser filter written as "Name|*.ext|…||" in the toolkit's form (the trailing "||" dropped).
std::string toWxFilter(const std::string& filter);
// Makes GTK's widgets compact enough for dialog-unit layouts in the windows marked with markCompact
// (call once after the toolkit starts); other windows keep the theme's and the user's style.
void useCompactStyle();
void markCompact(wxWindow* window);
extern const char* const kCompactStyleClass;
// Starts the toolkit for a program without an application class of its own (tests, tools); false when
// no display can be had. stopToolkit undoes it.
bool startToolkit(int& argc, char** argv);
void stopToolkit();

} // namespace korvane::wx
