#include "pressoc/listctrl.h"

#include <algorithm>

namespace {
// The reference dialog font: 6 × 13 pixel base units (dialog units are quarter and eighth parts).
constexpr int kBaseX = 6, kBaseY = 13;
// A sunken border of 2 pixels on each side, a header row, and one text row per item.
constexpr int kBorder = 2, kHeaderHeight = 20, kRowHeight = 16;
} // namespace

CVirtualListCtrl::~CVirtualListCtrl() {
    if (!list_) return;
    list_->setCellHook({});
    list_->setExtension(nullptr);
}

void CVirtualListCtrl::controlDestroyed(CWnd* control) {
    if (control == list_) list_ = nullptr;
}

bool CVirtualListCtrl::SubclassDlgItem(int id, CWnd* parent) {
    CWnd* c = parent ? parent->GetDlgItem(id) : nullptr;
    if (!c || c->kind() != ControlKind::ListControl) return false;
    if (list_ && list_ != c) {
        list_->setCellHook({});
        list_->setExtension(nullptr);
    }
    list_ = c;
    list_->setExtension(this);
    attached();
    return true;
}

int CVirtualListCtrl::GetItemCount() const {
    return list_ ? list_->GetItemCount() : 0;
}

bool CVirtualListCtrl::DeleteAllItems() {
    return list_ && list_->DeleteAllItems();
}

int CVirtualListCtrl::InsertItem(const LVITEM& item) {
    if (!list_ || item.iItem < 1 || item.iSubItem != 0) return -1;
    const int row = item.iItem - 1;
    const int count = GetItemCount();
    const char* text = (item.mask & LVIF_TEXT) && item.pszText ? item.pszText : "";
    if (row < count) {
        list_->SetItemText(row, 0, text);
        return row;
    }
    if (row > count || count >= kMaxRows) return -1;
    return list_->InsertItem(row, text);
}

bool CVirtualListCtrl::SetItemCountEx(int count, DWORD) {
    if (!list_ || count < 0 || count > kMaxRows) return false;
    while (GetItemCount() > count)
        list_->DeleteItem(GetItemCount() - 1);
    while (GetItemCount() < count)
        list_->InsertItem(GetItemCount(), "");
    return true;
}

bool CVirtualListCtrl::SetCellText(int row, int col, const CString& text) {
    return list_ && list_->SetItemText(row, col, text);
}

CString CVirtualListCtrl::GetCellText(int row, int col) const {
    return list_ ? list_->GetItemText(row, col) : CString();
}

int CVirtualListCtrl::GetWindowWidth() const {
    return list_ ? list_->rect().w * kBaseX / 4 : 0;
}

int CVirtualListCtrl::GetClientWidth() const {
    return std::max(0, GetWindowWidth() - 2 * kBorder);
}

int CVirtualListCtrl::GetCountPerPage() const {
    if (!list_) return 0;
    const int client = list_->rect().h * kBaseY / 8 - 2 * kBorder - kHeaderHeight;
    return std::max(1, client / kRowHeight);
}

int CVirtualListCtrl::GetColumnCount() const {
    return list_ ? static_cast<int>(list_->columnWidths().size()) : 0;
}

int CVirtualListCtrl::GetColumnWidth(int col) const {
    return list_ ? list_->GetColumnWidth(col) : 0;
}

// The width lives in the control, so that the presenters draw what the owner fitted.
bool CVirtualListCtrl::SetColumnWidth(int col, int width) {
    return list_ && list_->SetColumnWidth(col, std::max(0, width));
}

int CListCtrlExtEditable::AddColumn(int col, int width, const CString& title, int editable, int format,
                                    int reserved1, int editKind, int autoCommit, int reserved2, int reserved3,
                                    int mask) {
    if (!list_) return -1;
    col = list_->InsertColumn(col, title, width);
    const auto at = static_cast<size_t>(col);
    flags_.insert(flags_.begin() + static_cast<std::ptrdiff_t>(std::min(at, flags_.size())),
                  {editable, format, reserved1, editKind, autoCommit, reserved2, reserved3, mask});
    hookCells();
    return col;
}

bool CListCtrlExtEditable::IsColumnEditable(int col) const {
    return col >= 0 && col < static_cast<int>(flags_.size()) &&
           flags_[static_cast<size_t>(col)].editable != 0;
}

void CListCtrlExtEditable::hookCells() {
    if (!list_) return;
    list_->setCellHook([this](int row, int col, const CString& text) -> EditVerdict {
        if (!IsColumnEditable(col)) return {false, "this column cannot be edited"};
        if (check_) return check_(row, col, text);
        return {};
    });
}
