#include "platform/mainwindow.h"

#include "platform/presenter.h"

#include <algorithm>

// ---------------------------------------------------------------- bars

bool CControlBar::OnCommand(int id, int code) {
    // A bar's controls belong to the frame's message map.
    if (CWnd::OnCommand(id, code)) return true;
    return GetParent() && GetParent()->OnCommand(id, code);
}

void CStatusBar::SetIndicators(const std::vector<int>& ids) {
    panes_.clear();
    for (int id : ids)
        panes_.push_back({id, {}, AverageCharWidth() / 2});
}

bool CStatusBar::SetPaneText(int index, const char* text) {
    if (index < 0 || index >= static_cast<int>(panes_.size())) return false;
    Pane& p = panes_[static_cast<size_t>(index)];
    p.text = text ? text : "";
    p.width = MeasureText(p.text) + AverageCharWidth() / 2;
    return true;
}

CString CStatusBar::GetPaneText(int index) const {
    if (index < 0 || index >= static_cast<int>(panes_.size())) return {};
    return panes_[static_cast<size_t>(index)].text;
}

int CStatusBar::paneWidth(int index) const {
    if (index < 0 || index >= static_cast<int>(panes_.size())) return 0;
    return panes_[static_cast<size_t>(index)].width;
}

int CStatusBar::CommandToIndex(int id) const {
    for (size_t i = 0; i < panes_.size(); ++i)
        if (panes_[i].id == id) return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------- canvas

void CCanvasWnd::resize(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    dirty_ = true;
    SendMessage(WM_SIZE, 0, MAKELPARAM(width_, height_));
}

bool CCanvasWnd::paint(bool force) {
    if (!dirty_ && !force) return false;
    dirty_ = false;
    if (painter_) painter_();
    return true;
}

LRESULT CCanvasWnd::mouseInput(UINT message, int x, int y, UINT keys) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        held_ |= MK_LBUTTON;
        break;
    case WM_LBUTTONUP:
        held_ &= ~UINT(MK_LBUTTON);
        break;
    case WM_RBUTTONDOWN:
        held_ |= MK_RBUTTON;
        break;
    case WM_RBUTTONUP:
        held_ &= ~UINT(MK_RBUTTON);
        break;
    default:
        break;
    }
    keys &= MK_SHIFT | MK_CONTROL;
    return SendMessage(message, held_ | keys, MAKELPARAM(x, y));
}

LRESULT CCanvasWnd::wheelInput(int delta, int x, int y, UINT keys) {
    keys &= MK_SHIFT | MK_CONTROL;
    return SendMessage(WM_MOUSEWHEEL, MAKEWHEELWPARAM(delta, held_ | keys), MAKELPARAM(x, y));
}

LRESULT CCanvasWnd::scrollInput(bool vertical, UINT request, int position) {
    track_ = position;
    const WPARAM w = (request & 0xFFFF) | (static_cast<WPARAM>(static_cast<std::uint16_t>(position)) << 16);
    return SendMessage(vertical ? WM_VSCROLL : WM_HSCROLL, w, 0);
}

// ---------------------------------------------------------------- frame

CFrameWnd::CFrameWnd() {
    canvas_.attachTo(this);
    markCreated(true);
}

CFrameWnd::~CFrameWnd() = default;

CommandState CFrameWnd::queryCommand(int id) {
    CommandState s;
    if (!commands_.count(id)) return s;
    CCmdUI ui(id);
    if (auto it = updates_.find(id); it != updates_.end()) it->second(ui);
    s.enabled = ui.enabled();
    s.checked = ui.checked();
    s.checkable = ui.checkable();
    return s;
}

bool CFrameWnd::executeCommand(int id) {
    if (!queryCommand(id).enabled) return false;
    auto handler = commands_[id]; // the handler may change the table
    handler();
    return true;
}

namespace {
bool menuHas(const std::vector<MenuEntry>& items, int id) {
    return std::any_of(items.begin(), items.end(), [&](const MenuEntry& e) {
        return (e.id == id && e.items.empty()) || menuHas(e.items, id);
    });
}
} // namespace

bool CFrameWnd::menuHasCommand(int id) const {
    return id != 0 && menuHas(menu_, id);
}

int CFrameWnd::translateAccelerator(UINT key, UINT modifiers) const {
    for (const Accelerator& a : accelerators_)
        if (a.key == key && a.modifiers == modifiers) return a.command;
    return 0;
}

CControlBar* CFrameWnd::addToolBar(int barId, const char* title, std::vector<int> commands) {
    auto b = std::make_unique<CControlBar>(barId, true);
    b->SetWindowText(title);
    b->setButtons(std::move(commands));
    return static_cast<CControlBar*>(adoptChild(std::move(b), barId));
}

CControlBar* CFrameWnd::addDialogBar(int barId, const DialogTemplate& t) {
    auto b = std::make_unique<CControlBar>(barId, false);
    CControlBar* raw = b.get();
    adoptChild(std::move(b), barId);
    raw->createControls(t);
    return raw;
}

CStatusBar* CFrameWnd::addStatusBar(int barId, const std::vector<int>& indicators) {
    auto b = std::make_unique<CStatusBar>();
    b->SetIndicators(indicators);
    status_ = static_cast<CStatusBar*>(adoptChild(std::move(b), barId));
    return status_;
}

CControlBar* CFrameWnd::bar(int barId) const {
    for (const auto& c : children())
        if (c->GetDlgCtrlID() == barId)
            if (auto* b = dynamic_cast<CControlBar*>(c.get())) return b;
    return nullptr;
}

std::vector<CControlBar*> CFrameWnd::bars() const {
    std::vector<CControlBar*> out;
    for (const auto& c : children())
        if (auto* b = dynamic_cast<CControlBar*>(c.get())) out.push_back(b);
    return out;
}

void CFrameWnd::ShowControlBar(int barId, bool show) {
    if (CWnd* c = GetDlgItem(barId)) c->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

std::vector<BarState> CFrameWnd::barStates() const {
    std::vector<BarState> out;
    for (const auto& c : children()) {
        BarState s{c->GetDlgCtrlID(), c->IsWindowVisible(), DockSide::Bottom};
        if (auto* b = dynamic_cast<CControlBar*>(c.get())) s.dock = b->dock;
        out.push_back(s);
    }
    return out;
}

void CFrameWnd::applyBarStates(const std::vector<BarState>& states) {
    for (const BarState& s : states) {
        CWnd* c = GetDlgItem(s.barId);
        if (!c) continue; // a bar this build no longer has
        c->ShowWindow(s.visible ? SW_SHOW : SW_HIDE);
        if (auto* b = dynamic_cast<CControlBar*>(c)) b->dock = s.dock;
    }
}

CWnd* CFrameWnd::findBarControl(int id) const {
    for (CControlBar* b : bars())
        if (!b->isToolBar())
            if (CWnd* c = b->GetDlgItem(id)) return c;
    return nullptr;
}

unsigned keyCharacter(UINT key, UINT modifiers) {
    if (modifiers & kAccelAlt) return 0;
    bool ctrl = modifiers & kAccelCtrl, shift = modifiers & kAccelShift;
    if (key >= VK_A && key <= VK_Z) {
        if (ctrl) return key - VK_A + 1;
        return shift ? key : key - VK_A + 'a';
    }
    if (ctrl) return 0;
    if (key >= VK_0 && key <= VK_9) return shift ? 0 : key;
    switch (key) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_SPACE:
        return key;
    default:
        return 0;
    }
}

bool CFrameWnd::userKey(UINT key, UINT modifiers) {
    if (int command = translateAccelerator(key, modifiers)) {
        executeCommand(command); // a disabled command swallows its key, as a greyed menu item would
        return true;
    }
    bool taken = canvas_.SendMessage(WM_KEYDOWN, key, 0) != 0;
    if (unsigned ch = keyCharacter(key, modifiers)) taken = canvas_.SendMessage(WM_CHAR, ch, 0) != 0 || taken;
    return taken;
}

bool CFrameWnd::OnIdle(long) {
    return false;
}

void CFrameWnd::OnClose() {
    DestroyWindow();
}

void CFrameWnd::DestroyWindow() {
    if (destroyed_) return;
    OnDestroy();
    destroyed_ = true;
    // The main window gone, the program ends unless it already asked for another exit code.
    if (!quit_) PostQuitMessage(0);
}

void CFrameWnd::PostQuitMessage(int exitCode) {
    if (quit_) return;
    quit_ = true;
    exitCode_ = exitCode;
}

LRESULT CFrameWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        OnClose();
        return 0;
    }
    if (msg == WM_COMMAND) return executeCommand(static_cast<int>(wParam & 0xFFFF)) ? 1 : 0;
    return CWnd::DefWindowProc(msg, wParam, lParam);
}

int CFrameWnd::run() {
    return presenter().runMainWindow(*this);
}
