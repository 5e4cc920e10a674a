// The main dialog: shows the run in its log box, starts it from a timer, keeps itself open while the
// run is busy and closes itself afterwards. A hidden dialog never shows and runs at once.
#pragma once

#include "platform/resources.h"
#include "platform/window.h"
#include "zembric/run.h"

#include <cstdio>
#include <string>

namespace zembric {

enum : unsigned {
    IDD_ABOUTBOX = 100,
    IDD_ZEMBRIC_DIALOG = 101,
    IDC_LOG = 215,
    IDM_ABOUTBOX = 16, // system-menu command; 16 to 31 all open the about box
    kStartTimer = 100,
    kCloseTimer = 101,
    kStartDelayMs = 300,
    kCloseDelayMs = 3000,
};

// The program's resources: its string table and the two dialog templates.
const ResourceModule& ZembricResources();

class CAboutDlg : public CDialog {
  public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};

class CZembricDlg : public CDialog, private IRunView {
  public:
    // hiddenOut receives the log lines of a hidden dialog.
    CZembricDlg(RunSettings settings, std::string logPath, std::FILE* hiddenOut = stdout);

    BOOL OnInitDialog() override;
    // Enter and the close box end the dialog, except while the run is busy.
    void OnOK() override;
    void OnCancel() override;

    bool IsBusy() const { return run_.IsBusy(); }
    bool GetResult() const { return run_.GetResult(); }
    bool HasRun() const { return ran_; }
    bool WaitCursorShown() const { return waitCursor_; }
    const RunSettings& Settings() const { return run_.Settings(); }

  private:
    void StartRun();
    void CloseWhenDone();
    LRESULT OnTimer(WPARAM id);
    LRESULT OnSysCommand(WPARAM id, LPARAM lParam);

    void ShowLogLine(const std::string& line) override;
    void ShowMessage(const std::string& text) override;
    void SetWaitCursor(bool shown) override { waitCursor_ = shown; }
    void PumpMessages() override;

    CZembricRun run_;
    std::FILE* hiddenOut_;
    bool waitCursor_ = false;
    bool ran_ = false;
};

} // namespace zembric
