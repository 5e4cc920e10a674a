#include "gui.h"

#include "platform/atomic_file.h"
#include "platform/format.h"
#include "platform/presenter.h"
#include "wxpresenter/wxpresenter.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace host {

namespace {

wxString u8(const std::string& s) {
    return wxString::FromUTF8(s.c_str());
}

// The tree item of a maker carries its index.
class MakerItem : public wxTreeItemData {
  public:
    explicit MakerItem(size_t i) : index(i) {}
    size_t index;
};

} // namespace

MakerName parseMakerName(const std::string& s) {
    MakerName n;
    // Display name, category, and the rest as the third field: only three are defined.
    const size_t first = s.find('\n');
    n.display.assign(s, 0, first);
    if (first != std::string::npos) {
        const size_t second = s.find('\n', first + 1);
        n.category.assign(s, first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        if (second != std::string::npos) n.extra.assign(s, second + 1, std::string::npos);
    }
    if (n.category.empty()) n.category = "?";
    return n;
}

bool categoryBefore(const std::string& a, const std::string& b) {
    auto rank = [](const std::string& c) { return c == "REG" ? 0 : c == "RF" ? 1 : 2; };
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return a < b;
}

std::string withModelExtension(const std::string& path, int filterIndex) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot != std::string::npos) return path;
    std::string out = path;
    out.append(filterIndex == 1 ? ".cir" : ".lib");
    return out;
}

bool saveModelText(const std::string& path, const CString& text, std::string& error) {
    return korvane::writeFileAtomically(path, text.str(), error);
}

// ---------------------------------------------------------------- result window

ResultDialog::ResultDialog(wxWindow* parent, const std::string& deliverable, const std::string& title,
                           const CString& text)
    : wxDialog(parent, wxID_ANY, u8(title), wxDefaultPosition, wxSize(720, 520),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      deliverable_(deliverable), text_(text) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    // Shown with plain line ends; copied and saved byte for byte.
    wxString shown = u8(text.str());
    shown.Replace("\r\n", "\n");
    view_ = new wxTextCtrl(this, wxID_ANY, shown, wxDefaultPosition, wxDefaultSize,
                           wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP);
    view_->SetFont(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE));
    sizer->Add(view_, 1, wxEXPAND | wxALL, 8);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* copyButton = new wxButton(this, wxID_ANY, "&Copy");
    auto* saveButton = new wxButton(this, wxID_ANY, u8("&Save As…"));
    auto* close = new wxButton(this, wxID_CLOSE, "Close");
    buttons->Add(copyButton, 0, wxRIGHT, 6);
    buttons->Add(saveButton, 0, wxRIGHT, 6);
    buttons->AddStretchSpacer();
    buttons->Add(close);
    sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    SetSizer(sizer);
    SetEscapeId(wxID_CLOSE);
    copyButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (!copy()) wxMessageBox("The clipboard cannot be opened.", GetTitle(), wxOK | wxICON_WARNING, this);
    });
    saveButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { onSave(); });
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_CLOSE); });
}

bool ResultDialog::copy() {
    if (!wxTheClipboard->Open()) return false;
    wxTheClipboard->SetData(new wxTextDataObject(u8(text_.str())));
    wxTheClipboard->Close();
    return true;
}

bool ResultDialog::saveTo(const std::string& path, std::string& error) {
    if (!saveModelText(path, text_, error)) return false;
    savedPath = path;
    return true;
}

void ResultDialog::onSave() {
    wxFileDialog chooser(
        this, "Save the model", wxEmptyString, u8(korvane::format("%s.lib", deliverable_.c_str())),
        "SPICE library (*.lib)|*.lib|SPICE circuit (*.cir)|*.cir", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (chooser.ShowModal() != wxID_OK) return;
    std::string error;
    const std::string path = withModelExtension(chooser.GetPath().utf8_string(), chooser.GetFilterIndex());
    if (!saveTo(path, error)) wxMessageBox(u8(error), GetTitle(), wxOK | wxICON_ERROR, this);
}

// ---------------------------------------------------------------- launcher

LauncherFrame::LauncherFrame(const std::vector<GuiPlugin>& plugins)
    : wxFrame(nullptr, wxID_ANY, "Korvane model makers", wxDefaultPosition, wxSize(460, 520)),
      presenter_(std::make_unique<korvane::wx::WxPresenter>()) {
    presenter_->parentWindow = this;
    for (const auto& p : plugins) {
        Maker m;
        m.file = p.file;
        if (!m.plugin.load(p.path)) {
            errors_.push_back(korvane::format("%s: %s", p.file.c_str(), m.plugin.error().c_str()));
            continue;
        }
        m.name = parseMakerName(m.plugin.name().str());
        makers_.push_back(std::move(m));
    }

    auto* panel = new wxPanel(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    tree_ = new wxTreeCtrl(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                           wxTR_HAS_BUTTONS | wxTR_HIDE_ROOT | wxTR_SINGLE | wxTR_LINES_AT_ROOT);
    const wxTreeItemId root = tree_->AddRoot("makers");
    std::map<std::string, std::vector<size_t>, decltype(&categoryBefore)> byCategory(&categoryBefore);
    for (size_t i = 0; i < makers_.size(); ++i)
        byCategory[makers_[i].name.category].push_back(i);
    for (auto& [category, indices] : byCategory) {
        std::sort(indices.begin(), indices.end(),
                  [this](size_t a, size_t b) { return makers_[a].name.display < makers_[b].name.display; });
        const wxTreeItemId node = tree_->AppendItem(root, u8(category));
        tree_->SetItemBold(node);
        for (size_t i : indices)
            tree_->AppendItem(node, u8(makers_[i].name.display), -1, -1, new MakerItem(i));
        tree_->Expand(node);
    }
    sizer->Add(tree_, 1, wxEXPAND | wxALL, 8);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* run = new wxButton(panel, wxID_ANY, u8("&Run…"));
    auto* close = new wxButton(panel, wxID_EXIT, "Close");
    buttons->Add(run);
    buttons->AddStretchSpacer();
    buttons->Add(close);
    sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    panel->SetSizer(sizer);
    CreateStatusBar();
    std::string status = korvane::format("%zu model maker%s", makers_.size(), makers_.size() == 1 ? "" : "s");
    if (!errors_.empty()) status += korvane::format("; %zu could not be loaded", errors_.size());
    SetStatusText(u8(status));
    for (const auto& e : errors_)
        std::fprintf(stderr, "korvane-host: %s\n", e.c_str());
    run->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { runSelected(); });
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); });
    tree_->Bind(wxEVT_TREE_ITEM_ACTIVATED, [this](wxTreeEvent&) { runSelected(); });
    Centre();
}

LauncherFrame::~LauncherFrame() {
    // The plug-ins stay loaded while any of their windows could exist.
    for (auto& m : makers_)
        m.plugin.unload();
}

void LauncherFrame::runSelected() {
    const wxTreeItemId item = tree_->GetSelection();
    auto* data = item.IsOk() ? dynamic_cast<MakerItem*>(tree_->GetItemData(item)) : nullptr;
    if (!data) {
        SetStatusText("Choose a model maker first.");
        return;
    }
    runMaker(data->index);
}

bool LauncherFrame::runMaker(size_t index) {
    if (index >= makers_.size()) return false;
    Maker& m = makers_[index];
    Presenter* previous = setPresenter(presenter_.get());
    CString text;
    const int result = m.plugin.create(text);
    setPresenter(previous);
    lastText_ = result == 1 ? text : CString();
    if (result != 1) {
        SetStatusText(u8(korvane::format("%s: cancelled, nothing was made.", m.name.display.c_str())));
        return false;
    }
    SetStatusText(u8(korvane::format("%s: model made.", m.name.display.c_str())));
    ResultDialog dialog(this, m.file, m.name.display, text);
    if (onResultShown) dialog.CallAfter([this, &dialog] { onResultShown(dialog); });
    dialog.ShowModal();
    return true;
}

int runGui(int argc, char** argv, const std::vector<GuiPlugin>& plugins) {
    // The toolkit sees only the program name: "gui" is the host's command, not a toolkit option.
    (void)argc;
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    if (!korvane::wx::startToolkit(toolkitArgc, toolkitArgv)) {
        std::fputs("korvane-host: no display can be had for the launcher\n", stderr);
        return 2;
    }
    auto* frame = new LauncherFrame(plugins);
    frame->Show();
    wxTheApp->SetTopWindow(frame);
    wxTheApp->OnRun();
    korvane::wx::stopToolkit();
    return 0;
}

} // namespace host
