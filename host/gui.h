// The launcher of `korvane-host gui`: the plug-ins listed by category with their display names; running
// one opens its window through the GUI presenter, and its model text can then be copied or saved.
#pragma once

#include "platform/cstring.h"
#include "platform/plugin.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/frame.h>

class wxTextCtrl;
class wxTreeCtrl;

namespace korvane::wx {
class WxPresenter;
}

namespace host {

struct GuiPlugin {
    std::string file; // deliverable name
    std::string path;
};

// The fields of a maker's name string: display name, category, and the optional third field.
struct MakerName {
    std::string display;
    std::string category;
    std::string extra;
};
MakerName parseMakerName(const std::string& nameString);

// Category order in the launcher: REG, then RF, then any other in name order.
bool categoryBefore(const std::string& a, const std::string& b);

// Writes the model text byte for byte through a temporary file beside the target; false with a reason.
bool saveModelText(const std::string& path, const CString& text, std::string& error);
// The path with ".lib" or ".cir" added when it has no extension (filterIndex 0: .lib, 1: .cir).
std::string withModelExtension(const std::string& path, int filterIndex);

// A loaded maker plug-in.
struct Maker {
    std::string file;
    MakerName name;
    korvane::MakerPlugin plugin;
};

// The window that shows a finished model text.
class ResultDialog : public wxDialog {
  public:
    ResultDialog(wxWindow* parent, const std::string& deliverable, const std::string& title,
                 const CString& text);
    const CString& text() const { return text_; }
    wxTextCtrl* view() const { return view_; }
    bool copy();
    bool saveTo(const std::string& path, std::string& error);
    // Where the last save went.
    std::string savedPath;

  private:
    void onSave();
    std::string deliverable_;
    CString text_;
    wxTextCtrl* view_ = nullptr;
};

class LauncherFrame : public wxFrame {
  public:
    explicit LauncherFrame(const std::vector<GuiPlugin>& plugins);
    ~LauncherFrame() override;

    const std::vector<Maker>& makers() const { return makers_; }
    const std::vector<std::string>& loadErrors() const { return errors_; }
    wxTreeCtrl* tree() const { return tree_; }
    korvane::wx::WxPresenter& presenter() { return *presenter_; }

    // Runs maker `index`; true when it delivered a model text (then shown in a result window).
    bool runMaker(size_t index);
    // Called with the result window once it is on screen (tests), instead of leaving it to a person.
    std::function<void(ResultDialog&)> onResultShown;
    // The text of the last run ("" after a cancel).
    const CString& lastText() const { return lastText_; }

  private:
    void runSelected();
    std::vector<Maker> makers_;
    std::vector<std::string> errors_;
    wxTreeCtrl* tree_ = nullptr;
    std::unique_ptr<korvane::wx::WxPresenter> presenter_;
    CString lastText_;
};

// `korvane-host gui`: 0 when the launcher was closed, 2 when no display can be had.
int runGui(int argc, char** argv, const std::vector<GuiPlugin>& plugins);

} // namespace host
