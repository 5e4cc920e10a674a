#include "platform/presenter.h"

#include "platform/mainwindow.h"

#include <cstdio>

namespace {

// Without a presenter nobody can answer: windows are cancelled, questions answered No, and what would
// have been shown is written to standard error so that it is not lost.
class HeadlessPresenter final : public Presenter {
  public:
    int runModal(CModalWindow& window) override {
        window.EndDialog(IDCANCEL);
        return IDCANCEL;
    }
    int messageBox(const MessageBoxRequest& r) override {
        std::fprintf(stderr, "%s\n", r.text.GetString());
        if ((r.type & 0xF) == MB_YESNO) return IDNO;
        if ((r.type & 0xF) == MB_OKCANCEL) return IDCANCEL;
        return IDOK;
    }
    void help(const HelpRequest&) override {}
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
};

HeadlessPresenter headless;
Presenter* current = nullptr;
HelpRequest helpTarget;

} // namespace

int Presenter::runMainWindow(CFrameWnd& frame) {
    frame.OnIdle(0);
    if (!frame.quitPosted()) frame.SendMessage(WM_CLOSE);
    return frame.quitPosted() ? frame.exitCode() : 0;
}

Presenter& presenter() {
    return current ? *current : headless;
}

Presenter* setPresenter(Presenter* p) {
    Presenter* previous = current;
    current = p;
    return previous;
}

int ShowMessageBox(const char* text, const char* caption, UINT type) {
    return presenter().messageBox({CString(text), CString(caption), type});
}

int AfxMessageBox(const char* text, UINT type, UINT) {
    HINSTANCE h = AfxGetResourceHandle();
    return ShowMessageBox(text, h ? h->name.c_str() : "", type);
}

int AfxMessageBox(const CString& text, UINT type, UINT helpId) {
    return AfxMessageBox(text.GetString(), type, helpId);
}

void AfxSetHelpTarget(const std::string& module, std::uintptr_t context) {
    helpTarget = {module, context};
}
HelpRequest AfxGetHelpTarget() {
    return helpTarget;
}

void AfxPumpMessages() {
    presenter().pump();
}

CFileDialog::CFileDialog(bool open, const char* defaultExt, const char* fileName, unsigned,
                         const char* filter) {
    m_request.open = open;
    m_request.defaultExt = defaultExt;
    m_request.initialName = fileName;
    m_request.filter = filter;
}

INT_PTR CFileDialog::DoModal() {
    auto chosen = presenter().chooseFile(m_request);
    if (!chosen) return IDCANCEL;
    path_ = CString(*chosen);
    return IDOK;
}
