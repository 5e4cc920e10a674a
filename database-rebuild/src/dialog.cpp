#include "zembric/dialog.h"

#include "platform/presenter.h"
#include "zembric/string_table.h"

namespace zembric {

const ResourceModule& ZembricResources() {
    static const ResourceModule module = [] {
        ResourceModule m;
        m.name = "Zembric";
        for (unsigned id : {IDS_ABOUTBOX,
                            IDS_DONE,
                            IDS_ERROR_TABLE,
                            IDS_OPENING,
                            IDS_RESET_FLAGS,
                            IDS_COMPACTING,
                            IDS_FAILED,
                            IDS_USAGE,
                            IDS_NOT_OPEN,
                            IDS_STEP_SYMBOLS,
                            IDS_STEP_PACKAGES,
                            IDS_STEP_MODELS,
                            IDS_STEP_COMPONENTS,
                            IDS_STEP_MODELS_PASS2,
                            IDS_STEP_SYMBOL_PICTURES,
                            IDS_STEP_MODELS_PASS3,
                            IDS_STEP_HISTORY,
                            IDS_HISTORY_COMMENT,
                            IDS_ATTEMPT,
                            IDS_PASS})
            m.strings[id] = LoadString(id);
        DialogTemplate main;
        main.id = IDD_ZEMBRIC_DIALOG;
        main.caption = kMainCaption;
        main.width = 320;
        main.height = 200;
        main.controls.push_back({static_cast<int>(IDC_LOG),
                                 ControlKind::Edit,
                                 "",
                                 {7, 7, 306, 186},
                                 kStyleMultiline | kStyleReadOnly | kStyleVScroll});
        m.dialogs[main.id] = main;
        DialogTemplate about;
        about.id = IDD_ABOUTBOX;
        about.caption = "关于 zembric";
        about.width = 200;
        about.height = 60;
        about.controls.push_back({-1, ControlKind::Static, "zembric.exe V3.00", {40, 10, 150, 8}, 0});
        about.controls.push_back({-1, ControlKind::Static, kMainCaption, {40, 22, 150, 8}, 0});
        about.controls.push_back({IDOK, ControlKind::DefPushButton, "确定", {143, 40, 50, 14}, kStyleGroup});
        m.dialogs[about.id] = about;
        return m;
    }();
    return module;
}

CZembricDlg::CZembricDlg(RunSettings settings, std::string logPath, std::FILE* hiddenOut)
    : CDialog(IDD_ZEMBRIC_DIALOG), run_(std::move(settings), *this, std::move(logPath)),
      hiddenOut_(hiddenOut) {
    OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) { return OnTimer(id); });
    OnMessage(WM_SYSCOMMAND, [this](WPARAM id, LPARAM lParam) { return OnSysCommand(id, lParam); });
}

BOOL CZembricDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // A separator, then the about entry.
    AppendSystemMenu(0, "");
    AppendSystemMenu(IDM_ABOUTBOX, LoadString(IDS_ABOUTBOX).c_str());
    if (Settings().visible) CenterWindow();
    SetDlgItemText(IDC_LOG, "");
    if (Settings().visible) {
        SetTimer(kStartTimer, kStartDelayMs);
    } else {
        ShowWindow(SW_HIDE);
        StartRun();
    }
    return 1;
}

void CZembricDlg::OnOK() {
    if (!IsBusy()) CDialog::OnOK();
}

void CZembricDlg::OnCancel() {
    if (!IsBusy()) CDialog::OnCancel();
}

LRESULT CZembricDlg::OnTimer(WPARAM id) {
    if (id == kStartTimer) {
        KillTimer(kStartTimer);
        StartRun();
    } else if (id == kCloseTimer) {
        KillTimer(kCloseTimer);
        CDialog::OnOK();
    }
    return 0;
}

LRESULT CZembricDlg::OnSysCommand(WPARAM id, LPARAM lParam) {
    if (id >= IDM_ABOUTBOX && id < IDM_ABOUTBOX + 16) {
        CAboutDlg about;
        about.DoModal();
        return 0;
    }
    return DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

void CZembricDlg::StartRun() {
    if (ran_) return;
    ran_ = true;
    run_.Run();
    CloseWhenDone();
}

void CZembricDlg::CloseWhenDone() {
    if (Settings().visible)
        SetTimer(kCloseTimer, kCloseDelayMs);
    else
        CDialog::OnOK();
}

void CZembricDlg::ShowLogLine(const std::string& line) {
    if (CWnd* box = GetDlgItem(IDC_LOG)) {
        CString text = box->GetWindowText();
        if (!text.IsEmpty()) text += "\r\n";
        text += line.c_str();
        box->SetWindowText(text);
    }
    if (!Settings().visible && hiddenOut_) {
        std::fwrite(line.data(), 1, line.size(), hiddenOut_);
        std::fputc('\n', hiddenOut_);
        std::fflush(hiddenOut_);
    }
    if (Settings().visible) presenter().refresh(*this);
}

void CZembricDlg::ShowMessage(const std::string& text) {
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CZembricDlg::PumpMessages() {
    if (Settings().visible) AfxPumpMessages();
}

} // namespace zembric
