// The presenter runs modal windows and shows message boxes, help and file choosers — for a person
// (the GUI presenter) or for a script (the scripted presenter). Everything a program shows goes through
// the presenter in force.
#pragma once

#include "platform/cstring.h"
#include "platform/window.h"

#include <optional>
#include <string>

enum : UINT {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};

struct MessageBoxRequest {
    CString text;
    CString caption;
    UINT type = MB_OK;
};

struct HelpRequest {
    std::string module;         // the library whose help is asked for
    std::uintptr_t context = 0; // help context number
};

struct FileDialogRequest {
    bool open = true;
    CString title;
    CString filter; // "Text (*.txt)|*.txt|All files (*.*)|*.*||"
    CString defaultExt;
    CString initialName;
    CString initialDir;
};

class CFrameWnd;

class Presenter {
  public:
    virtual ~Presenter() = default;
    // Runs a created, initialised window until it is ended; returns its result.
    virtual int runModal(CModalWindow& window) = 0;
    // Returns IDOK, IDYES or IDNO (IDCANCEL for an OK/Cancel box declined).
    virtual int messageBox(const MessageBoxRequest& request) = 0;
    virtual void help(const HelpRequest& request) = 0;
    // A chosen path, or nothing when the chooser was cancelled.
    virtual std::optional<std::string> chooseFile(const FileDialogRequest& request) = 0;
    // Lets the presenter process pending events during a long operation.
    virtual void pump() {}
    // A window's state changed outside any user action (a timer, a long run): redraw it.
    virtual void refresh(CModalWindow&) {}
    // Shows a program's main window and runs it until it quits; returns the exit code. The default,
    // with nobody to act, gives the window one idle pass and then asks it to close.
    virtual int runMainWindow(CFrameWnd& frame);
};

// The presenter in force. Without one installed, a headless presenter cancels every window, answers
// every question No and writes message boxes to standard error.
Presenter& presenter();
// Installs a presenter (nullptr: back to the headless default); returns the previous one.
Presenter* setPresenter(Presenter* p);

int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);
// A message box with an explicit caption.
int ShowMessageBox(const char* text, const char* caption, UINT type);

// The help target that the next default help request uses (set by the value-box library's
// SetHelpDllInstance).
void AfxSetHelpTarget(const std::string& module, std::uintptr_t context);
HelpRequest AfxGetHelpTarget();

// Lets the presenter process pending events (a long run keeps its window alive with this).
void AfxPumpMessages();

// The framework's file chooser.
class CFileDialog {
  public:
    CFileDialog(bool open, const char* defaultExt = nullptr, const char* fileName = nullptr,
                unsigned flags = 0, const char* filter = nullptr);
    INT_PTR DoModal();
    CString GetPathName() const { return path_; }
    FileDialogRequest m_request;

  private:
    CString path_;
};
