#include "platform/format.h"
#include "platform/resources.h"
#include "wxpresenter/frameview.h"
#include "wxpresenter/text.h"
#include "wxpresenter/wxpresenter.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
// After msgdlg.h, which it builds on.
#include <wx/generic/msgdlgg.h>
#include <wx/window.h>

namespace korvane::wx {

namespace {

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

WxPresenter::WxPresenter() {
    // Owners size status panes and list columns to their texts: measured in the font the windows use.
    const wxFont font = templateFont(DialogTemplate{});
    SetTextMeasure(
        [font](const CString& text) {
            wxScreenDC dc;
            dc.SetFont(font);
            return dc.GetTextExtent(u8(text)).x;
        },
        dialogBaseUnits(font).x);
}

WxPresenter::~WxPresenter() {
    SetTextMeasure(nullptr, 0);
}

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

std::string messageBoxCaption(const std::string& requested, const std::string& moduleName,
                              const std::string& ownerCaption) {
    // A box asked for without a caption of its own carries the program's or plug-in's file name; the
    // person sees the window it belongs to instead.
    const bool own = !requested.empty() && requested != moduleName;
    if (own) return requested;
    if (!ownerCaption.empty()) return ownerCaption;
    if (!requested.empty()) return requested;
    return "Korvane";
}

long messageBoxStyle(UINT type) {
    const UINT buttons = type & 0xF;
    long style = buttons == MB_YESNO ? wxYES_NO : buttons == MB_OKCANCEL ? (wxOK | wxCANCEL) : wxOK;
    switch (type & 0xF0) {
    case MB_ICONSTOP:
        return style | wxICON_ERROR;
    case MB_ICONQUESTION:
        return style | wxICON_QUESTION;
    case MB_ICONEXCLAMATION:
        return style | wxICON_WARNING;
    case MB_ICONINFORMATION:
        return style | wxICON_INFORMATION;
    default:
        // Without an icon of its own a question shows the question mark and a notice the information sign,
        // as the desktop's boxes do.
        return style | (buttons == MB_YESNO ? wxICON_QUESTION : wxICON_INFORMATION);
    }
}

int showMessageBox(wxWindow* parent, const wxString& text, const wxString& caption, long style) {
    // The toolkit's native box puts no icon in and stretches one button across the box; the generic box
    // has the icon and buttons of their natural size, right-aligned.
    wxGenericMessageDialog box(parent, text, caption, style | wxCENTRE);
    return box.ShowModal();
}

int WxPresenter::messageBox(const MessageBoxRequest& r) {
    boxes_.push_back(r);
    if (answerMessageBox)
        if (auto answer = answerMessageBox(r)) return *answer;
    wxWindow* parent = views_.empty() ? parentWindow : views_.back()->dialog();
    HINSTANCE module = AfxGetResourceHandle();
    const std::string caption = messageBoxCaption(r.caption.str(), module ? module->name : std::string(),
                                                  parent ? parent->GetLabel().utf8_string() : std::string());
    const UINT buttons = r.type & 0xF;
    switch (
        showMessageBox(parent, u8(r.text), wxString::FromUTF8(caption.c_str()), messageBoxStyle(r.type))) {
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
    showMessageBox(parent, wxString::FromUTF8(helpTopicText(r).c_str()), "Help", wxOK | wxICON_INFORMATION);
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

int WxPresenter::runMainWindow(CFrameWnd& frame) {
    FrameView view(frame);
    FrameView* outer = frame_;
    wxWindow* outerParent = parentWindow;
    frame_ = &view;
    parentWindow = view.frame();
    if (onFrameShown) view.frame()->CallAfter([this, &view] { onFrameShown(view); });
    const int code = view.run();
    frame_ = outer;
    parentWindow = outerParent;
    return code;
}

void WxPresenter::pump() {
    // A long run inside a handler keeps its windows painted and answering.
    if (frame_) frame_->sync();
    for (WindowView* v : views_)
        v->sync();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
}

void WxPresenter::refresh(CModalWindow& window) {
    for (WindowView* v : views_)
        if (&v->model() == &window) v->sync();
}

} // namespace korvane::wx
