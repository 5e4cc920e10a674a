#include "platform/window.h"

#include "platform/presenter.h"

#include "platform/format.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {
std::function<int(const CString&)>& measureHook() {
    static std::function<int(const CString&)> hook;
    return hook;
}
int averageWidth = 7;
} // namespace

void SetTextMeasure(std::function<int(const CString&)> measure, int averageCharWidth) {
    measureHook() = std::move(measure);
    averageWidth = averageCharWidth > 0 ? averageCharWidth : 7;
}

int MeasureText(const CString& text) {
    if (measureHook()) return measureHook()(text);
    int n = 0;
    for (unsigned char c : text.str())
        if ((c & 0xC0) != 0x80) ++n;
    return n * averageWidth;
}

int AverageCharWidth() {
    return averageWidth;
}

UINT RegisterWindowMessage(const char* name) {
    static std::map<std::string, UINT> registered;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    auto [it, inserted] = registered.try_emplace(name ? name : "", 0);
    if (inserted) it->second = 0xC000u + static_cast<UINT>(registered.size() - 1);
    return it->second;
}

// ---------------------------------------------------------------- CWnd

CWnd::~CWnd() {
    if (extension_) extension_->controlDestroyed(this);
}

CWnd* CWnd::GetDlgItem(int id) const {
    for (const auto& c : children_)
        if (c->id_ == id) return c.get();
    return nullptr;
}

CModalWindow* CWnd::topLevel() {
    CWnd* w = this;
    while (w->parent_)
        w = w->parent_;
    return dynamic_cast<CModalWindow*>(w);
}

void CWnd::SetWindowText(const char* text) {
    text_ = text ? text : "";
}
void CWnd::EnableWindow(bool enable) {
    enabled_ = enable;
}
void CWnd::ShowWindow(int cmd) {
    visible_ = cmd != SW_HIDE;
}

void CWnd::SetFocus() {
    if (CModalWindow* top = topLevel()) top->setFocusTo(this);
}

void CWnd::SetDlgItemText(int id, const char* text) {
    if (CWnd* c = GetDlgItem(id)) c->SetWindowText(text);
}

CString CWnd::GetDlgItemText(int id) const {
    CWnd* c = GetDlgItem(id);
    return c ? c->text_ : CString();
}

void CWnd::SetCheck(int state) {
    check_ = state;
}

void CWnd::CheckDlgButton(int id, int state) {
    if (CWnd* c = GetDlgItem(id)) c->SetCheck(state);
}

int CWnd::IsDlgButtonChecked(int id) const {
    CWnd* c = GetDlgItem(id);
    return c ? c->check_ : 0;
}

void CWnd::CheckRadioButton(int first, int last, int id) {
    for (const auto& c : children_)
        if (c->id_ >= first && c->id_ <= last) c->check_ = c->id_ == id ? BST_CHECKED : BST_UNCHECKED;
}

int CWnd::GetCheckedRadioButton(int first, int last) const {
    for (const auto& c : children_)
        if (c->id_ >= first && c->id_ <= last && c->check_) return c->id_;
    return 0;
}

int CWnd::AddString(const char* text) {
    CString s(text);
    if (style_ & kStyleSort) {
        auto at = std::upper_bound(items_.begin(), items_.end(), s,
                                   [](const CString& a, const CString& b) { return a.str() < b.str(); });
        int index = static_cast<int>(at - items_.begin());
        items_.insert(at, s);
        return index;
    }
    items_.push_back(s);
    return static_cast<int>(items_.size()) - 1;
}

int CWnd::InsertString(int index, const char* text) {
    if (index < 0 || index > GetCount()) index = GetCount();
    items_.insert(items_.begin() + index, CString(text));
    if (selection_ >= index) ++selection_;
    return index;
}

int CWnd::DeleteString(int index) {
    if (index < 0 || index >= GetCount()) return LB_ERR;
    items_.erase(items_.begin() + index);
    if (selection_ == index)
        selection_ = -1;
    else if (selection_ > index)
        --selection_;
    return GetCount();
}

void CWnd::ResetContent() {
    items_.clear();
    selection_ = -1;
    topIndex_ = 0;
}

int CWnd::SetCurSel(int index) {
    int count = kind_ == ControlKind::ListControl ? GetItemCount() : GetCount();
    if (index < 0 || index >= count) {
        selection_ = -1;
        return CB_ERR;
    }
    selection_ = index;
    if (kind_ == ControlKind::ComboBox) text_ = items_[static_cast<size_t>(index)];
    return index;
}

CString CWnd::GetLBText(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    return items_[static_cast<size_t>(index)];
}

int CWnd::SetTopIndex(int index) {
    if (index < 0 || (index >= GetCount() && GetCount() > 0)) return LB_ERR;
    topIndex_ = index;
    return 0;
}

int CWnd::InsertColumn(int col, const char* heading, int width) {
    if (col < 0 || col > static_cast<int>(columns_.size())) col = static_cast<int>(columns_.size());
    columns_.insert(columns_.begin() + col, CString(heading));
    columnWidths_.insert(columnWidths_.begin() + col, width);
    // Each row gets an empty cell for the new column, so that its other cells stay under their headings.
    for (auto& row : cells_)
        row.insert(row.begin() +
                       static_cast<std::ptrdiff_t>(std::min<size_t>(static_cast<size_t>(col), row.size())),
                   CString());
    return col;
}

bool CWnd::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= static_cast<int>(columnWidths_.size()) || width < 0) return false;
    columnWidths_[static_cast<size_t>(col)] = width;
    return true;
}

int CWnd::GetColumnWidth(int col) const {
    if (col < 0 || col >= static_cast<int>(columnWidths_.size())) return 0;
    return columnWidths_[static_cast<size_t>(col)];
}

int CWnd::InsertItem(int row, const char* text) {
    if (row < 0 || row > GetItemCount()) row = GetItemCount();
    std::vector<CString> cells(std::max<size_t>(columns_.size(), 1));
    cells[0] = text;
    cells_.insert(cells_.begin() + row, std::move(cells));
    return row;
}

bool CWnd::SetItemText(int row, int col, const char* text) {
    if (row < 0 || row >= GetItemCount() || col < 0) return false;
    auto& cells = cells_[static_cast<size_t>(row)];
    if (static_cast<size_t>(col) >= std::max<size_t>(columns_.size(), 1)) return false;
    if (static_cast<size_t>(col) >= cells.size()) cells.resize(static_cast<size_t>(col) + 1);
    cells[static_cast<size_t>(col)] = text;
    return true;
}

CString CWnd::GetItemText(int row, int col) const {
    if (row < 0 || row >= GetItemCount() || col < 0) return {};
    const auto& cells = cells_[static_cast<size_t>(row)];
    return static_cast<size_t>(col) < cells.size() ? cells[static_cast<size_t>(col)] : CString();
}

bool CWnd::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount()) return false;
    cells_.erase(cells_.begin() + row);
    if (selection_ == row)
        selection_ = -1;
    else if (selection_ > row)
        --selection_;
    return true;
}

bool CWnd::DeleteAllItems() {
    cells_.clear();
    selection_ = -1;
    return true;
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = messages_.find(msg);
    if (it != messages_.end()) return it->second(wParam, lParam);
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) {
    return 0;
}

bool CWnd::OnCommand(int id, int code) {
    auto& map = code == BN_CLICKED      ? clicked_
                : code == CBN_SELCHANGE ? selChange_
                : code == LBN_DBLCLK    ? doubleClick_
                                        : editChange_;
    auto it = map.find(id);
    if (it == map.end()) return false;
    it->second();
    return true;
}

bool CWnd::userClick() {
    switch (kind_) {
    case ControlKind::CheckBox:
        check_ = check_ ? BST_UNCHECKED : BST_CHECKED;
        break;
    case ControlKind::RadioButton: {
        // The group runs from the nearest radio button at or before this one that starts a group to
        // the next control that is not a radio button or starts a group of its own.
        if (parent_) {
            auto& sib = parent_->children_;
            auto self =
                std::find_if(sib.begin(), sib.end(), [this](const auto& c) { return c.get() == this; });
            auto first = self;
            while (first != sib.begin() && !((*first)->style_ & kStyleGroup) &&
                   (*(first - 1))->kind_ == ControlKind::RadioButton)
                --first;
            for (auto it = first; it != sib.end(); ++it) {
                if ((*it)->kind_ != ControlKind::RadioButton ||
                    (it != first && ((*it)->style_ & kStyleGroup)))
                    break;
                (*it)->check_ = BST_UNCHECKED;
            }
        }
        check_ = BST_CHECKED;
        break;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
        break;
    default:
        return false;
    }
    SetFocus();
    if (CModalWindow* top = dynamic_cast<CModalWindow*>(this->parent_); top && !parent_->parent_) {
        if (top->pressButton(id_)) return true;
    }
    if (parent_) parent_->OnCommand(id_, BN_CLICKED);
    return true;
}

bool CWnd::userSelect(int index) {
    if (kind_ != ControlKind::ComboBox && kind_ != ControlKind::ListBox && kind_ != ControlKind::ListControl)
        return false;
    if (SetCurSel(index) < 0) return false;
    if (parent_) parent_->OnCommand(id_, CBN_SELCHANGE);
    return true;
}

bool CWnd::userDoubleClick(int index) {
    if (kind_ != ControlKind::ListBox && kind_ != ControlKind::ListControl) return false;
    if (!userSelect(index)) return false;
    if (parent_) parent_->OnCommand(id_, LBN_DBLCLK);
    return true;
}

EditVerdict CWnd::userEdit(const char* text) {
    if (kind_ != ControlKind::Edit && kind_ != ControlKind::ComboBox)
        return {false, "the control does not take typed text"};
    CString previous = text_;
    text_ = text ? text : "";
    if (parent_) parent_->OnCommand(id_, EN_CHANGE);
    if (commitHook_) {
        EditVerdict v = commitHook_(text_);
        if (!v.accepted && text_ == CString(text ? text : "")) text_ = previous;
        return v;
    }
    return {};
}

EditVerdict CWnd::userEditCell(int row, int col, const char* text) {
    if (kind_ != ControlKind::ListControl) return {false, "the control is not a list"};
    if (row < 0 || row >= GetItemCount() || col < 0 ||
        col >= static_cast<int>(std::max<size_t>(columns_.size(), 1)))
        return {false, "no such cell"};
    CString previous = GetItemText(row, col);
    SetItemText(row, col, text);
    if (cellHook_) {
        EditVerdict v = cellHook_(row, col, CString(text));
        if (!v.accepted) {
            SetItemText(row, col, previous);
            return v;
        }
    }
    // The list control tells its parent after every accepted cell edit: wParam the control ID,
    // lParam the row.
    if (parent_) parent_->SendMessage(RegisterWindowMessage("Edit Data"), static_cast<WPARAM>(id_), row);
    return {};
}

CWnd* CWnd::addControl(const ControlTemplate& t) {
    auto c = std::make_unique<CWnd>();
    c->id_ = t.id;
    c->kind_ = t.kind;
    c->rect_ = t.rect;
    c->style_ = t.style;
    c->text_ = t.text;
    c->visible_ = !(t.style & kStyleHidden);
    c->enabled_ = !(t.style & kStyleDisabled);
    c->parent_ = this;
    c->created_ = true;
    children_.push_back(std::move(c));
    return children_.back().get();
}

CWnd* CWnd::adoptChild(std::unique_ptr<CWnd> child, int id) {
    child->id_ = id;
    child->parent_ = this;
    child->created_ = true;
    children_.push_back(std::move(child));
    return children_.back().get();
}

void CWnd::createControls(const DialogTemplate& t) {
    children_.clear();
    text_ = t.caption;
    rect_ = {0, 0, t.width, t.height};
    for (const auto& ct : t.controls)
        addControl(ct);
    created_ = true;
}

void CWnd::destroyControls() {
    if (CModalWindow* top = topLevel()) {
        CWnd* f = top->GetFocus();
        for (const auto& c : children_)
            if (c.get() == f) top->setFocusTo(nullptr);
    }
    children_.clear();
    created_ = false;
}

// ---------------------------------------------------------------- data exchange

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!c) return;
    if (pDX->m_bSaveAndValidate)
        value = c->GetWindowText();
    else
        c->SetWindowText(value);
}

bool parseIntText(const CString& text, int& value) {
    const char* s = text.GetString();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (end == s || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end) return false;
    value = static_cast<int>(v);
    return true;
}

bool parseNumberText(const CString& text, double& value) {
    const char* s = text.GetString();
    char* end = nullptr;
    double v = std::strtod(s, &end);
    if (end == s || !std::isfinite(v)) return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end) return false;
    value = v;
    return true;
}

namespace {
void failWith(CDataExchange* pDX, int id, const char* text) {
    AfxMessageBox(text, MB_ICONEXCLAMATION);
    pDX->Fail(id);
}
} // namespace

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!c || pDX->failed) return;
    pDX->lastControl = id;
    if (!pDX->m_bSaveAndValidate) {
        c->SetWindowText(korvane::format("%d", value).c_str());
        return;
    }
    if (!parseIntText(c->GetWindowText(), value)) failWith(pDX, id, "Please enter an integer.");
}

void DDX_Text(CDataExchange* pDX, int id, double& value, const char* format) {
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!c || pDX->failed) return;
    pDX->lastControl = id;
    if (!pDX->m_bSaveAndValidate) {
        c->SetWindowText(korvane::format(format, value).c_str());
        return;
    }
    if (!parseNumberText(c->GetWindowText(), value)) failWith(pDX, id, "Please enter a number.");
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minimum, int maximum) {
    if (!pDX->m_bSaveAndValidate || pDX->failed) return;
    if (value < minimum || value > maximum)
        failWith(pDX, pDX->lastControl,
                 korvane::format("Please enter an integer between %d and %d.", minimum, maximum).c_str());
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minimum, double maximum) {
    if (!pDX->m_bSaveAndValidate || pDX->failed) return;
    if (value < minimum || value > maximum)
        failWith(pDX, pDX->lastControl,
                 korvane::format("Please enter a number between %g and %g.", minimum, maximum).c_str());
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!c) return;
    if (pDX->m_bSaveAndValidate)
        value = c->GetCheck();
    else
        c->SetCheck(value);
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value) {
    CWnd* w = pDX->m_pDlgWnd;
    const auto& kids = w->children();
    auto first =
        std::find_if(kids.begin(), kids.end(), [&](const auto& c) { return c->GetDlgCtrlID() == firstId; });
    if (first == kids.end()) return;
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (auto it = first; it != kids.end(); ++it, ++index) {
        CWnd* c = it->get();
        if (c->kind() != ControlKind::RadioButton || (it != first && (c->style() & kStyleGroup))) break;
        if (pDX->m_bSaveAndValidate) {
            if (c->GetCheck()) value = index;
        } else {
            c->SetCheck(index == value ? BST_CHECKED : BST_UNCHECKED);
        }
    }
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& value) {
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!c) return;
    if (pDX->m_bSaveAndValidate)
        value = c->GetCurSel();
    else
        c->SetCurSel(value);
}

void DDX_RadioPair(CDataExchange* pDX, int firstId, int secondId, int& flag) {
    CWnd* w = pDX->m_pDlgWnd;
    if (pDX->m_bSaveAndValidate)
        flag = w->IsDlgButtonChecked(firstId) ? 1 : 0;
    else
        w->CheckRadioButton(firstId, secondId, flag ? firstId : secondId);
}

// ---------------------------------------------------------------- modal windows

void CModalWindow::EndDialog(int result) {
    ended_ = true;
    result_ = result;
}

void CModalWindow::beginModal() {
    ended_ = false;
    result_ = 0;
}

void CModalWindow::SetTimer(UINT id, UINT elapseMs) {
    timers_[id] = elapseMs;
}
void CModalWindow::KillTimer(UINT id) {
    timers_.erase(id);
}

void CModalWindow::OnOK() {
    EndDialog(IDOK);
}
void CModalWindow::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CModalWindow::pressButton(int id) {
    // A handler in the window's own message map takes precedence over the defaults.
    if (OnCommand(id, BN_CLICKED)) return true;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

CDialog::CDialog(unsigned templateId, CWnd*) : templateId_(templateId) {}

bool CDialog::Create() {
    template_ = AfxFindDialogTemplate(templateId_);
    if (!template_) return false;
    createControls(*template_);
    return true;
}

INT_PTR CDialog::DoModal() {
    if (!Create()) return -1;
    beginModal();
    OnInitDialog();
    int result = ended() ? modalResult() : presenter().runModal(*this);
    destroyControls();
    return result;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return 1;
}

bool CDialog::UpdateData(bool save) {
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    if (dx.failed) {
        if (CWnd* c = GetDlgItem(dx.failedControl)) c->SetFocus();
        return false;
    }
    return true;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control) control->SetFocus();
}

void CDialog::NextDlgCtrl() {
    CModalWindow* top = topLevel();
    if (!top) return;
    const auto& kids = children();
    auto it =
        std::find_if(kids.begin(), kids.end(), [&](const auto& c) { return c.get() == top->GetFocus(); });
    for (size_t n = 0; n < kids.size(); ++n) {
        it = (it == kids.end() || it + 1 == kids.end()) ? kids.begin() : it + 1;
        CWnd* c = it->get();
        if (c->IsWindowVisible() && c->IsWindowEnabled() && c->kind() != ControlKind::Static &&
            c->kind() != ControlKind::GroupBox && c->kind() != ControlKind::EtchedLine) {
            c->SetFocus();
            return;
        }
    }
}

void CDialog::defaultHelp() {
    presenter().help(AfxGetHelpTarget());
}

CPropertyPage::CPropertyPage(unsigned templateId) : CDialog(templateId) {}

BOOL CPropertyPage::OnSetActive() {
    // The first activation follows the page's initialisation, which already loaded the controls.
    if (firstSetActive_)
        firstSetActive_ = false;
    else
        UpdateData(false);
    return 1;
}

BOOL CPropertyPage::OnKillActive() {
    return UpdateData(true) ? 1 : 0;
}

CString CPropertyPage::title() const {
    if (template_) return CString(template_->caption);
    const DialogTemplate* t = AfxFindDialogTemplate(templateId_);
    return t ? CString(t->caption) : CString();
}

std::vector<ControlTemplate> sheetButtons(bool withHelp) {
    std::vector<ControlTemplate> b{{IDOK, ControlKind::DefPushButton, "OK", {}, 0},
                                   {IDCANCEL, ControlKind::PushButton, "Cancel", {}, 0}};
    if (withHelp) b.push_back({ID_HELP, ControlKind::PushButton, "Help", {}, 0});
    return b;
}

CPropertySheet::CPropertySheet(unsigned captionStringId, CWnd*, unsigned selectPage)
    : captionId_(captionStringId), startPage_(selectPage) {}

void CPropertySheet::AddPage(CPropertyPage* page) {
    page->sheet_ = this;
    pages_.push_back(page);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    if (index < 0 || index >= GetPageCount()) return nullptr;
    return pages_[static_cast<size_t>(index)];
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    return GetPage(active_);
}

bool CPropertySheet::SetActivePage(int index) {
    CPropertyPage* page = GetPage(index);
    if (!page) return false;
    if (index == active_) return true;
    if (CPropertyPage* old = GetActivePage(); old && old->exists()) {
        if (!old->OnKillActive()) return false;
    }
    if (!page->exists()) {
        if (!page->Create()) return false;
        page->setParent(this);
        page->OnInitDialog();
    }
    active_ = index;
    page->OnSetActive();
    return true;
}

bool CPropertySheet::SetActivePage(CPropertyPage* page) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    return it != pages_.end() && SetActivePage(static_cast<int>(it - pages_.begin()));
}

BOOL CPropertySheet::OnInitDialog() {
    SetActivePage(static_cast<int>(startPage_));
    return 1;
}

INT_PTR CPropertySheet::DoModal() {
    if (pages_.empty()) return -1;
    // The sheet's own window: caption from the string table, the standard buttons.
    destroyControls();
    SetWindowText(AfxLoadString(captionId_));
    for (const auto& b : sheetButtons(m_psh.dwFlags & PSH_HASHELP))
        addControl(b);
    markCreated(true);
    active_ = -1;
    beginModal();
    OnInitDialog();
    int result = ended() ? modalResult() : presenter().runModal(*this);
    for (CPropertyPage* p : pages_) {
        p->destroyControls();
        p->firstSetActive_ = true;
    }
    active_ = -1;
    destroyControls();
    return result;
}

bool CPropertySheet::pressButton(int id) {
    if (OnCommand(id, BN_CLICKED)) return true;
    if (id == ID_HELP) {
        // The Help button asks the active page for help, as the F1 key would.
        if (CPropertyPage* p = GetActivePage()) {
            HELPINFO info;
            info.cbSize = 28;
            p->SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
        return true;
    }
    if (id == IDOK) {
        // Default OK: the active page must accept leaving, then the sheet ends.
        if (CPropertyPage* p = GetActivePage(); p && !p->OnKillActive()) return true;
        OnOK();
        return true;
    }
    return CModalWindow::pressButton(id);
}
