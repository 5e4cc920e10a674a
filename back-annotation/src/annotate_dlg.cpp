#include "tandrel/annotate_dlg.h"

#include "backann/action_records.h"
#include "library/unitbox.h"

#include <algorithm>

namespace tandrel {

namespace {

int Characters(const std::string& s) {
    return static_cast<int>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

CAnnotateDlg::CAnnotateDlg(std::string actionFilePath)
    : CDialog(IDD_ANNOTATE), actionFilePath_(std::move(actionFilePath)) {
    // The Help button and F1 both ask for this dialog's topic in this program's help.
    auto help = [this] {
        SetHelpDllInstance(AfxFindResourceModule("Tandrel"), HIDD_ANNOTATE);
        defaultHelp();
    };
    OnClicked(ID_HELP, help);
    OnMessage(WM_HELP, [help](WPARAM, LPARAM) -> LRESULT {
        help();
        return 1;
    });
}

BOOL CAnnotateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CWnd* list = GetDlgItem(IDC_ANNOTATE_LIST);
    IO_TextStream in;
    if (list && in.OpenForReading(actionFilePath_)) {
        int widest = 0;
        for (const ActionRecord& r : ReadActionRecords(in)) {
            std::optional<std::string> line = ListText(r);
            if (!line) continue;
            list->AddString(line->c_str());
            widest = std::max(widest, Characters(*line));
        }
        horizontalExtent_ = widest * 4;
    }
    // Every line is accepted as a whole: there is nothing to select.
    if (CWnd* b = GetDlgItem(IDC_SELECT_ALL)) b->ShowWindow(SW_HIDE);
    if (CWnd* b = GetDlgItem(IDC_DESELECT_ALL)) b->ShowWindow(SW_HIDE);
    return 1;
}

} // namespace tandrel
