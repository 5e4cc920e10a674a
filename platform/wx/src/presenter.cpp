#include "platform/format.h"
#include "wxpresenter/wxpresenter.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/window.h>

#include <dlfcn.h>

namespace korvane::wx {

namespace {
wxString u8(const CString& s) {
    return wxString::FromUTF8(s.GetString());
}

int mulDiv(int value, int numerator, int denominator) {
    // Rounded to the nearest, halves away from zero.
    long long n = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(n >= 0 ? (n + half) / denominator : (n - half) / denominator);
}
} // namespace

DialogBaseUnits dialogBaseUnits(const wxFont& font) {
    // The dialog manager's measure: the 52 Latin letters' average width, rounded, and the font height.
    wxScreenDC dc;
    dc.SetFont(font);
    wxCoord w = 0, h = 0;
    dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &w, &h);
    DialogBaseUnits base;
    base.x = std::max(1, (w / 26 + 1) / 2);
    base.y = std::max(1, static_cast<int>(h));
    return base;
}

int dluToPixelsX(int dlu, DialogBaseUnits base) {
    return mulDiv(dlu, base.x, 4);
}
int dluToPixelsY(int dlu, DialogBaseUnits base) {
    return mulDiv(dlu, base.y, 8);
}

wxRect toPixels(const DlgRect& r, DialogBaseUnits base) {
    // Edges are converted, not sizes, so that neighbouring controls meet as they do in dialog units.
    const int left = dluToPixelsX(r.x, base), top = dluToPixelsY(r.y, base);
    const int right = dluToPixelsX(r.x + r.w, base), bottom = dluToPixelsY(r.y + r.h, base);
    return wxRect(left, top, right - left, bottom - top);
}

wxFont templateFont(const DialogTemplate& t) {
    wxFontInfo info(t.fontPoints > 0 ? t.fontPoints : 9);
    if (!t.fontName.empty()) info.FaceName(wxString::FromUTF8(t.fontName.c_str()));
    return wxFont(info);
}

std::string helpTopicText(const HelpRequest& r) {
    const std::string module = r.module.empty() ? std::string("this program") : r.module;
    return korvane::format(
        "Help was asked for topic %lu (0x%lX) of %s.\n\nNo help file is installed; the topic "
        "number names the page or dialog that asked.",
        static_cast<unsigned long>(r.context), static_cast<unsigned long>(r.context), module.c_str());
}

std::string toWxFilter(const std::string& filter) {
    std::string f = filter;
    while (!f.empty() && f.back() == '|')
        f.pop_back();
    return f;
}

void useCompactStyle() {
    // Dialog-unit layouts give edits, buttons and combo boxes about 12 to 14 units of height; the
    // default theme's padding would clip their text. The toolkit is already loaded: its CSS entry
    // points are looked up rather than linked, so the presenter needs no toolkit headers.
    using NewProvider = void* (*)();
    using LoadData = int (*)(void*, const char*, long, void**);
    using DefaultScreen = void* (*)();
    using AddProvider = void (*)(void*, void*, unsigned);
    auto newProvider = reinterpret_cast<NewProvider>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
    auto loadData = reinterpret_cast<LoadData>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
    auto defaultScreen = reinterpret_cast<DefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    auto addProvider =
        reinterpret_cast<AddProvider>(dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
    if (!newProvider || !loadData || !defaultScreen || !addProvider) return;
    static const char css[] =
        "entry { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
        "button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
        "combobox button { padding-top: 0; padding-bottom: 0; }\n"
        "checkbutton, radiobutton { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
        "notebook tab { min-height: 0; padding: 2px 8px; }\n";
    void* screen = defaultScreen();
    void* provider = newProvider();
    if (!screen || !provider) return;
    void* error = nullptr;
    if (!loadData(provider, css, -1, &error)) return;
    addProvider(screen, provider, 800); // above the theme and the application's own settings
}

bool startToolkit(int& argc, char** argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) return false;
    if (!wxTheApp || !wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return false;
    }
    useCompactStyle();
    return true;
}

void stopToolkit() {
    wxEntryCleanup();
}

WxPresenter::WxPresenter() = default;
WxPresenter::~WxPresenter() = default;

int WxPresenter::runModal(CModalWindow& window) {
    wxWindow* parent = views_.empty() ? parentWindow : views_.back()->dialog();
    WindowView view(window, parent);
    views_.push_back(&view);
    view.sync();
    if (!window.ended()) {
        if (onShown) view.dialog()->CallAfter([this, &view] { onShown(view); });
        view.dialog()->ShowModal();
    }
    views_.pop_back();
    // A window closed by other means than the model (it cannot be, but never leave it open) is cancelled.
    if (!window.ended()) window.EndDialog(IDCANCEL);
    return window.modalResult();
}

int WxPresenter::messageBox(const MessageBoxRequest& r) {
    boxes_.push_back(r);
    if (answerMessageBox)
        if (auto answer = answerMessageBox(r)) return *answer;
    const UINT buttons = r.type & 0xF;
    long style = buttons == MB_YESNO ? wxYES_NO : buttons == MB_OKCANCEL ? (wxOK | wxCANCEL) : wxOK;
    switch (r.type & 0xF0) {
    case MB_ICONSTOP:
        style |= wxICON_ERROR;
        break;
    case MB_ICONQUESTION:
        style |= wxICON_QUESTION;
        break;
    case MB_ICONEXCLAMATION:
        style |= wxICON_WARNING;
        break;
    case MB_ICONINFORMATION:
        style |= wxICON_INFORMATION;
        break;
    default:
        break;
    }
    wxWindow* parent = views_.empty() ? parentWindow : views_.back()->dialog();
    wxString caption = u8(r.caption);
    if (caption.empty()) caption = parent ? parent->GetLabel() : wxString("Korvane");
    wxMessageDialog box(parent, u8(r.text), caption, style);
    switch (box.ShowModal()) {
    case wxID_YES:
        return IDYES;
    case wxID_NO:
        return IDNO;
    case wxID_CANCEL:
        return buttons == MB_YESNO ? IDNO : IDCANCEL;
    default:
        return IDOK;
    }
}

void WxPresenter::help(const HelpRequest& r) {
    helps_.push_back(r);
    if (onHelp) {
        onHelp(r);
        return;
    }
    wxWindow* parent = views_.empty() ? parentWindow : views_.back()->dialog();
    wxMessageDialog box(parent, wxString::FromUTF8(helpTopicText(r).c_str()), "Help",
                        wxOK | wxICON_INFORMATION);
    box.ShowModal();
}

std::optional<std::string> WxPresenter::chooseFile(const FileDialogRequest& r) {
    if (answerFileChooser) return answerFileChooser(r);
    wxWindow* parent = views_.empty() ? parentWindow : views_.back()->dialog();
    long style = r.open ? (wxFD_OPEN | wxFD_FILE_MUST_EXIST) : (wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    wxString title = u8(r.title);
    if (title.empty()) title = r.open ? "Open" : "Save As";
    wxString filter = wxString::FromUTF8(toWxFilter(r.filter.str()).c_str());
    if (filter.empty()) filter = "All files (*)|*";
    wxFileDialog chooser(parent, title, u8(r.initialDir), u8(r.initialName), filter, style);
    if (chooser.ShowModal() != wxID_OK) return std::nullopt;
    std::string path = chooser.GetPath().utf8_string();
    const std::string ext = r.defaultExt.str();
    if (!r.open && !ext.empty() && path.find('.', path.find_last_of('/') + 1) == std::string::npos)
        path += "." + ext;
    return path;
}

void WxPresenter::pump() {
    // A long run inside a handler keeps its windows painted and answering.
    for (WindowView* v : views_)
        v->sync();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
}

void WxPresenter::refresh(CModalWindow& window) {
    for (WindowView* v : views_)
        if (&v->model() == &window) v->sync();
}

} // namespace korvane::wx
