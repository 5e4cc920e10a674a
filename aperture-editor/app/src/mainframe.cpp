#include "lumbraapp/mainframe.h"

#include "lumbra/units.h"
#include "lumbraapp/app.h"
#include "lumbraapp/resource.h"
#include "lumbraapp/resources.h"

#include "gerber/gerber.h"

#include "platform/format.h"
#include "platform/presenter.h"

#include <cairo.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace lumbra {

namespace {
enum Pane { kPrompt = 0, kMod, kCount, kSelected, kUnit };

// File > Export Gerber...: the aperture as a Gerber file in the unit on display.
void exportGerber(const ApertureRecord& aperture, bool metric) {
    std::string name = gerberMacroName(aperture.name()) + ".gbr";
    CFileDialog d(false, "gbr", name.c_str(), 0, "Gerber files (*.gbr)|*.gbr|All Files (*.*)|*.*||");
    if (d.DoModal() != IDOK) return;
    std::string error;
    if (!writeGerberFile(aperture, metric ? GerberUnit::Millimetre : GerberUnit::Inch, d.GetPathName().str(),
                         error))
        AfxMessageBox(error.c_str(), MB_OK | MB_ICONEXCLAMATION);
}
} // namespace

CMainFrame::CMainFrame(CLumbraApp& app, LumbraSettings& settings) : app_(app), settings_(settings) {
    lumbraResources();
    SetWindowText("Lumbra");
    buildCommands();
    buildMenu();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::buildMenu() {
    using M = MenuEntry;
    setMenu({
        M{0,
          "&File",
          {M{ID_FILE_NEW, "&New\tCtrl+N", {}}, M{ID_FILE_OPEN, "&Open...\tCtrl+O", {}},
           M{ID_FILE_SAVE, "&Save\tCtrl+S", {}}, M{ID_FILE_SAVE_AS, "Save &As...", {}},
           M{ID_FILE_EXPORT_GERBER, "Export &Gerber...", {}}, M{}, M{ID_FILE_PRINT, "&Print...\tCtrl+P", {}},
           M{ID_FILE_PRINT_PREVIEW, "Print Pre&view", {}}, M{ID_FILE_PRINT_SETUP, "P&rint Setup...", {}}, M{},
           M{ID_FILE_MRU_FILE1, "Recent File", {}}, M{ID_FILE_MRU_FILE1 + 1, "Recent File", {}},
           M{ID_FILE_MRU_FILE1 + 2, "Recent File", {}}, M{ID_FILE_MRU_FILE1 + 3, "Recent File", {}}, M{},
           M{ID_APP_EXIT, "E&xit", {}}}},
        M{0,
          "&Edit",
          {M{ID_EDIT_UNDO, "&Undo\tCtrl+Z", {}}, M{}, M{ID_EDIT_COPY, "&Copy\tCtrl+C", {}},
           M{ID_EDIT_MOVE, "&Move", {}}, M{ID_EDIT_DELETE_ITEM, "&Delete", {}},
           M{ID_EDIT_CHANGE_TOOLS, "Change Drill &Tools...", {}}}},
        M{0,
          "&View",
          {M{ID_VIEW_WINDOW, "&Window", {}}, M{ID_VIEW_ZOOMIN, "Zoom &In", {}},
           M{ID_VIEW_ZOOMOUT, "Zoom &Out", {}}, M{ID_VIEW_PAN, "&Pan", {}}, M{ID_VIEW_ALL, "&All", {}},
           M{ID_VIEW_REDRAW, "&Redraw\tR", {}}, M{ID_VIEW_SKETCH, "&Sketch\tF", {}}, M{},
           M{ID_VIEW_TOOLBAR, "&Toolbar", {}}, M{ID_VIEW_STATUS_BAR, "Status &Bar", {}},
           M{ID_VIEW_ZOOMBAR, "&View Bar", {}}}},
        M{0, "&Add", {M{ID_ADD_CIRCLE, "&Circle", {}}, M{ID_ADD_LINE, "&Line", {}}}},
        M{0, "&Query", {M{ID_QUERY_ITEM, "&Item", {}}}},
        M{0, "&Options", {M{ID_OPTIONS_GRID, "&Grid...\tCtrl+G", {}}, M{ID_OPTIONS_METRIC, "&Metric", {}}}},
        M{0, "&Help", {M{ID_HELP_FINDER, "&Help Topics", {}}, M{}, M{ID_APP_ABOUT, "&About Lumbra...", {}}}},
    });
    addAccelerator('N', kAccelCtrl, ID_FILE_NEW);
    addAccelerator('O', kAccelCtrl, ID_FILE_OPEN);
    addAccelerator('S', kAccelCtrl, ID_FILE_SAVE);
    addAccelerator('P', kAccelCtrl, ID_FILE_PRINT);
    addAccelerator('Z', kAccelCtrl, ID_EDIT_UNDO);
    addAccelerator(VK_BACK, kAccelAlt, ID_EDIT_UNDO);
    addAccelerator('C', kAccelCtrl, ID_EDIT_COPY);
    addAccelerator(VK_INSERT, kAccelCtrl, ID_EDIT_COPY);
}

void CMainFrame::buildCommands() {
    auto notInLink = [this](CCmdUI& ui) { ui.Enable(!app_.linkMode()); };
    OnMenuCommand(ID_FILE_NEW, [this] { app_.OnFileNew(); });
    OnUpdateCommandUI(ID_FILE_NEW, notInLink);
    OnMenuCommand(ID_FILE_OPEN, [this] { app_.OnFileOpen(); });
    OnUpdateCommandUI(ID_FILE_OPEN, notInLink);
    OnMenuCommand(ID_FILE_SAVE, [this] { app_.OnFileSave(); });
    OnMenuCommand(ID_FILE_SAVE_AS, [this] { app_.OnFileSaveAs(); });
    OnUpdateCommandUI(ID_FILE_SAVE_AS, notInLink);
    OnMenuCommand(ID_FILE_EXPORT_GERBER, [this] { exportGerber(view_->aperture(), metric()); });
    OnUpdateCommandUI(ID_FILE_EXPORT_GERBER,
                      [this](CCmdUI& ui) { ui.Enable(view_ && view_->aperture().count() > 0); });
    // Printing and help are offered but never available.
    for (int id :
         {int(ID_FILE_PRINT), int(ID_FILE_PRINT_PREVIEW), int(ID_FILE_PRINT_SETUP), int(ID_HELP_FINDER)}) {
        OnMenuCommand(id, [] {});
        OnUpdateCommandUI(id, [](CCmdUI& ui) { ui.Enable(false); });
    }
    for (int i = 0; i < kRecentFiles; ++i) {
        OnMenuCommand(ID_FILE_MRU_FILE1 + i, [this, i] { app_.OnOpenRecentFile(i); });
        OnUpdateCommandUI(ID_FILE_MRU_FILE1 + i, [this, i](CCmdUI& ui) {
            ui.Enable(!app_.linkMode() && i < static_cast<int>(app_.recentFiles().size()));
        });
    }
    OnMenuCommand(ID_APP_EXIT, [this] { SendMessage(WM_CLOSE); });
    OnMenuCommand(ID_APP_ABOUT, [] {
        CAboutDlg about;
        about.DoModal();
    });

    OnMenuCommand(ID_EDIT_UNDO, [this] { view_->undo(); });
    OnMenuCommand(ID_EDIT_COPY, [this] { view_->startCopy(); });
    OnMenuCommand(ID_EDIT_MOVE, [this] { view_->startMove(); });
    OnMenuCommand(ID_EDIT_DELETE_ITEM, [this] { view_->startDelete(); });
    OnMenuCommand(ID_EDIT_CHANGE_TOOLS, [this] { changeDrillTools(); });
    OnMenuCommand(ID_VIEW_WINDOW, [this] { view_->startViewWindow(); });
    OnMenuCommand(ID_VIEW_ZOOMIN, [this] { view_->startZoomIn(); });
    OnMenuCommand(ID_VIEW_ZOOMOUT, [this] { view_->startZoomOut(); });
    OnMenuCommand(ID_VIEW_PAN, [this] { view_->startPan(); });
    OnMenuCommand(ID_VIEW_ALL, [this] { view_->zoomAll(); });
    OnMenuCommand(ID_VIEW_REDRAW, [this] { view_->redraw(); });
    OnMenuCommand(ID_VIEW_SKETCH, [this] {
        view_->fillMode = view_->fillMode ? 0 : 1;
        view_->redraw();
    });
    OnUpdateCommandUI(ID_VIEW_SKETCH, [this](CCmdUI& ui) { ui.SetCheck(view_ && view_->fillMode == 0); });
    OnMenuCommand(ID_ADD_CIRCLE, [this] { view_->startAddCircle(); });
    OnMenuCommand(ID_ADD_LINE, [this] { view_->startAddLine(); });
    OnMenuCommand(ID_QUERY_ITEM, [this] { view_->startQuery(); });
    OnMenuCommand(ID_OPTIONS_GRID, [this] { gridDialog(); });
    OnMenuCommand(ID_OPTIONS_METRIC, [this] { toggleMetric(); });
    OnUpdateCommandUI(ID_OPTIONS_METRIC, [this](CCmdUI& ui) { ui.SetCheck(metric()); });

    // Showing and hiding bars.
    for (auto [command, barId] : {std::pair{int(ID_VIEW_TOOLBAR), int(AFX_IDW_TOOLBAR)},
                                  std::pair{int(ID_VIEW_STATUS_BAR), int(AFX_IDW_STATUS_BAR)},
                                  std::pair{int(ID_VIEW_ZOOMBAR), int(IDR_VIEWBAR)}}) {
        OnMenuCommand(command, [this, barId] {
            CWnd* b = GetDlgItem(barId);
            if (b) ShowControlBar(barId, !b->IsWindowVisible());
        });
        OnUpdateCommandUI(command, [this, barId](CCmdUI& ui) {
            CWnd* b = GetDlgItem(barId);
            ui.SetCheck(b && b->IsWindowVisible());
        });
    }

    // The bars' own controls.
    OnClicked(IDC_ABSOLUTE, [this] { coordinateDialog(CAbsCoordDialog::Mode::Absolute); });
    OnClicked(IDC_RELATIVE, [this] { coordinateDialog(CAbsCoordDialog::Mode::Relative); });
    OnClicked(IDC_NEGATIVE, [this] {
        CWnd* box = findBarControl(IDC_NEGATIVE);
        settings_.polarity = box && box->GetCheck() ? 0 : 1;
        if (view_) view_->polarity = settings_.polarity;
    });
}

void CMainFrame::OnCreate() {
    if (settings_.placement) SetWindowPlacement(*settings_.placement);
    addToolBar(AFX_IDW_TOOLBAR, "Standard",
               {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_FILE_PRINT, 0, ID_APP_ABOUT});
    addStatusBar(AFX_IDW_STATUS_BAR,
                 {ID_SEPARATOR, ID_INDICATOR_MOD, ID_INDICATOR_CNT, ID_INDICATOR_SEL, ID_INDICATOR_UNIT});
    addToolBar(IDR_VIEWBAR, "View",
               {ID_VIEW_WINDOW, ID_VIEW_ZOOMIN, ID_VIEW_ZOOMOUT, ID_VIEW_PAN, ID_VIEW_ALL, ID_VIEW_REDRAW});
    const ResourceModule& r = lumbraResources();
    CControlBar* coords = addDialogBar(IDD_COORDBAR, r.dialogs.at(IDD_COORDBAR));
    CControlBar* props = addDialogBar(IDD_PROPBAR, r.dialogs.at(IDD_PROPBAR));
    coords->dock = DockSide::Bottom;
    props->dock = DockSide::Top;
    props->SetDlgItemText(IDC_WIDTH, settings_.width.c_str());
    props->SetDlgItemText(IDC_TOOL, korvane::format("%d", settings_.tool).c_str());
    props->CheckDlgButton(IDC_NEGATIVE, settings_.polarity == 0 ? BST_CHECKED : BST_UNCHECKED);
    if (CWnd* w = props->GetDlgItem(IDC_WIDTH))
        w->setCommitHook([this](const CString& t) { return widthEdited(t); });
    if (CWnd* t = props->GetDlgItem(IDC_TOOL))
        t->setCommitHook([this](const CString& s) { return toolEdited(s); });
    applyBarStates(settings_.bars);
    statusBar()->SetPaneText(kPrompt, "Ready");
}

void CMainFrame::attachView(CLumbraView* view) {
    view_ = view;
    double width = 0;
    if (!parseNumberText(CString(settings_.width), width) || width < 0) {
        width = 0.02 * (metric() ? 25.4 : 1.0); // an unreadable stored width: the default line
        settings_.width = korvane::format("%.5lf", width);
        if (CWnd* w = findBarControl(IDC_WIDTH)) w->SetWindowText(settings_.width.c_str());
    }
    view_->metric = metric();
    view_->width = toUnits(width, metric());
    view_->polarity = settings_.polarity;
    view_->tool = settings_.tool;

    CCanvasWnd& c = canvas();
    for (UINT m : {UINT(::WM_MOUSEMOVE), UINT(::WM_LBUTTONDOWN), UINT(::WM_LBUTTONUP), UINT(::WM_RBUTTONDOWN),
                   UINT(::WM_RBUTTONUP)})
        c.OnMessage(m, [this, m](WPARAM w, LPARAM l) -> LRESULT {
            return view_->handleMessage(ViewMessage{
                static_cast<int>(m), static_cast<unsigned>(w), GET_X_LPARAM(l), GET_Y_LPARAM(l), {}});
        });
    // The view has no double clicks: the second press of one is a press, so quick clicks all count.
    c.OnMessage(::WM_LBUTTONDBLCLK, [this](WPARAM w, LPARAM l) -> LRESULT {
        return view_->handleMessage(ViewMessage{
            int(::WM_LBUTTONDOWN), static_cast<unsigned>(w), GET_X_LPARAM(l), GET_Y_LPARAM(l), {}});
    });
    for (UINT m : {UINT(::WM_KEYDOWN), UINT(::WM_CHAR)})
        c.OnMessage(m, [this, m](WPARAM w, LPARAM) -> LRESULT {
            return view_->handleMessage(ViewMessage{static_cast<int>(m), static_cast<unsigned>(w), 0, 0, {}});
        });
    // A typed point reaches the active command as a click at the keyed coordinate.
    c.OnMessage(kKeyedPointMessage, [this](WPARAM, LPARAM) -> LRESULT {
        view_->keyedPointEntered(view_->keyedPoint);
        return 1;
    });
    c.OnMessage(::WM_SIZE, [this](WPARAM, LPARAM l) -> LRESULT {
        resizeImage(GET_X_LPARAM(l), GET_Y_LPARAM(l));
        return 0;
    });
    for (UINT m : {UINT(::WM_HSCROLL), UINT(::WM_VSCROLL)})
        c.OnMessage(m, [this, m](WPARAM w, LPARAM) -> LRESULT {
            static const ScrollAction actions[] = {ScrollAction::LineUp, ScrollAction::LineDown,
                                                   ScrollAction::PageUp, ScrollAction::PageDown,
                                                   ScrollAction::ThumbPosition};
            UINT code = static_cast<UINT>(w & 0xFFFF);
            if (code > SB_THUMBPOSITION) return 0;
            // The thumb's position in units needs 32 bits: the canvas keeps it beside the message.
            view_->scroll(m == ::WM_VSCROLL, actions[code], canvas().trackPosition());
            showScrollBars();
            return 1;
        });
    c.setPainter([this] { view_->paint(); });
    c.setImageSource([this]() -> CanvasImage {
        if (!image_) return {};
        cairo_surface_t* s = image_->surface();
        cairo_surface_flush(s);
        return CanvasImage{reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s)),
                           image_->width(), image_->height(), cairo_image_surface_get_stride(s) / 4};
    });
    refreshPanes();
}

void CMainFrame::resizeImage(int w, int h) {
    w = std::clamp(w, 1, 16384);
    h = std::clamp(h, 1, 16384);
    if (image_ && image_->width() == w && image_->height() == h) return;
    auto fresh = std::make_unique<CairoCanvas>(w, h);
    if (view_) view_->attachCanvas(fresh.get());
    image_ = std::move(fresh);
    if (view_) view_->paint();
}

// ---------------------------------------------------------------- the property bar and the unit

EditVerdict CMainFrame::widthEdited(const CString& text) {
    double v = 0;
    if (!parseNumberText(text, v)) return {false, "the width must be a number"};
    if (v < 0) return {false, "the width cannot be negative"};
    settings_.width = korvane::format("%.5lf", v);
    if (CWnd* w = findBarControl(IDC_WIDTH)) w->SetWindowText(settings_.width.c_str());
    if (view_) view_->width = toUnits(v, metric());
    return {};
}

EditVerdict CMainFrame::toolEdited(const CString& text) {
    int v = 0;
    // The stored tool word is the tool plus 255: larger tools would not fit it.
    if (!parseIntText(text, v) || v > INT_MAX - 255) return {false, "the tool must be a whole number"};
    settings_.tool = v;
    if (CWnd* t = findBarControl(IDC_TOOL)) t->SetWindowText(korvane::format("%d", v).c_str());
    if (view_) view_->tool = v;
    return {};
}

void CMainFrame::toggleMetric() {
    bool wasMetric = metric();
    // The new text comes from the width in units rather than from the old text, whose five decimals
    // would otherwise drift the width a little with every toggle.
    double v = 0;
    if (view_)
        v = toLength(view_->width, !wasMetric);
    else if (parseNumberText(CString(settings_.width), v))
        v = wasMetric ? v / 25.4 : v * 25.4;
    settings_.metric = wasMetric ? 0 : 1;
    settings_.width = korvane::format("%.5lf", v);
    if (CWnd* w = findBarControl(IDC_WIDTH)) w->SetWindowText(settings_.width.c_str());
    if (view_) view_->metric = metric();
    refreshPanes();
}

// ---------------------------------------------------------------- dialogs

void CMainFrame::coordinateDialog(CAbsCoordDialog::Mode mode) {
    if (!view_) return;
    bool absolute = mode == CAbsCoordDialog::Mode::Absolute;
    CAbsCoordDialog d(mode, metric(), absolute ? view_->keyedPoint : relativeOffset_);
    if (d.DoModal() != IDOK) return;
    if (absolute) {
        view_->keyedPoint = d.result;
    } else {
        relativeOffset_ = d.result;
        view_->keyedPoint = addClamped(view_->keyedPoint, d.result);
    }
    canvas().SendMessage(kKeyedPointMessage, ::WM_LBUTTONDOWN, 0);
}

void CMainFrame::gridDialog() {
    if (!view_) return;
    CGridPropDialog d(view_->snap, view_->gridDisplay, view_->gridSize, metric());
    if (d.DoModal() != IDOK) return;
    view_->snap = d.snap;
    view_->gridDisplay = d.display;
    view_->gridSize = d.size;
}

void CMainFrame::changeDrillTools() {
    CChangeDrillToolsDialog d(view_->aperture(), metric());
    if (d.DoModal() != IDOK) return;
    view_->startChangeDrillTools(d.fromTool(), d.toTool(), d.sizeUnits());
}

// ---------------------------------------------------------------- panes and view services

void CMainFrame::setPane(int index, const std::string& text) {
    CStatusBar* s = statusBar();
    if (s && s->GetPaneText(index).str() != text) s->SetPaneText(index, text.c_str());
}

void CMainFrame::refreshPanes() {
    if (!statusBar() || !view_) return;
    CLumbraDoc& doc = view_->document();
    setPane(kMod, doc.IsModified() ? "MOD" : "");
    setPane(kCount, korvane::format("Cnt %d", doc.aperture().count()));
    setPane(kSelected, korvane::format("Sel %d", std::abs(doc.aperture().selectionCount())));
    setPane(kUnit, metric() ? "MM" : "Inches");
}

void CMainFrame::updateFrameTitle(const std::string& documentTitle) {
    SetWindowText(korvane::format("%s - Lumbra", documentTitle.c_str()).c_str());
}

void CMainFrame::statusPrompt(const std::string& text) {
    if (statusBar()) statusBar()->SetPaneText(kPrompt, text.c_str());
}

void CMainFrame::coordinates(const std::string& x, const std::string& y) {
    if (CWnd* c = findBarControl(IDC_XCOORD)) c->SetWindowText(x.c_str());
    if (CWnd* c = findBarControl(IDC_YCOORD)) c->SetWindowText(y.c_str());
}

void CMainFrame::selectionCount(int absolute) {
    setPane(kSelected, korvane::format("Sel %d", absolute));
}

void CMainFrame::pointEntry(bool enabled) {
    pointEntry_ = enabled;
    if (CWnd* b = findBarControl(IDC_ABSOLUTE)) b->EnableWindow(enabled);
    if (CWnd* b = findBarControl(IDC_RELATIVE)) b->EnableWindow(enabled);
}

// ---------------------------------------------------------------- idle and closing

bool CMainFrame::OnIdle(long count) {
    bool more = app_.OnIdle(count);
    refreshPanes();
    showRecentFiles();
    showScrollBars();
    return more;
}

void CMainFrame::showScrollBars() {
    if (!view_) return;
    auto info = [](const ScrollBarState& s) {
        return ScrollBarInfo{s.minimum, s.maximum, s.page, s.position};
    };
    canvas().setScrollBar(false, info(view_->horizontalBar()));
    canvas().setScrollBar(true, info(view_->verticalBar()));
}

void CMainFrame::showRecentFiles() {
    // The recent-file entries show their paths, numbered; the ones not in use keep their placeholder.
    std::vector<MenuEntry> m = menu();
    bool changed = false;
    const auto& files = app_.recentFiles();
    std::function<void(std::vector<MenuEntry>&)> walk = [&](std::vector<MenuEntry>& entries) {
        for (MenuEntry& e : entries) {
            walk(e.items);
            const int i = e.id - ID_FILE_MRU_FILE1;
            if (!e.items.empty() || i < 0 || i >= kRecentFiles) continue;
            std::string text = "Recent File";
            if (i < static_cast<int>(files.size())) {
                std::string path;
                for (char ch : files[static_cast<size_t>(i)])
                    path += ch == '&' ? std::string("&&") : std::string(1, ch);
                text = korvane::format("&%d %s", i + 1, path.c_str());
            }
            if (e.text != text) e.text = text, changed = true;
        }
    };
    walk(m);
    if (changed) setMenu(std::move(m));
}

void CMainFrame::OnClose() {
    saveBarStates(barStates());
    WindowPlacement p = GetWindowPlacement();
    p.flags = IsZoomed() ? UINT(WPF_RESTORETOMAXIMIZED) : 0u;
    saveWindowPlacement(p);
    if (!app_.SaveModified()) return;
    DestroyWindow();
}

void CMainFrame::OnDestroy() {
    saveFrameSettings(settings_);
}

} // namespace lumbra
