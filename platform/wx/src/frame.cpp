#include "wxpresenter/frameview.h"
#include "wxpresenter/text.h"

#include <wx/artprov.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/wrapsizer.h>

#include <algorithm>
#include <cstring>

namespace korvane::wx {

namespace {

// Room a status field keeps around its text (its frame and the toolkit's inner padding), in pixels.
constexpr int kPanePadding = 12;
constexpr int kToolSize = 16;

void silence(wxWindow* w) {
    w->SetEvtHandlerEnabled(false);
    for (wxWindow* child : w->GetChildren())
        silence(child);
}

bool sameMenu(const std::vector<MenuEntry>& a, const std::vector<MenuEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].id != b[i].id || a[i].text != b[i].text || !sameMenu(a[i].items, b[i].items)) return false;
    return true;
}

// The stock picture of a toolbar command where the desktop has one.
wxArtID stockArt(int id) {
    switch (id) {
    case 0xE100: // ID_FILE_NEW
        return wxART_NEW;
    case 0xE101: // ID_FILE_OPEN
        return wxART_FILE_OPEN;
    case 0xE103: // ID_FILE_SAVE
        return wxART_FILE_SAVE;
    case 0xE107: // ID_FILE_PRINT
        return wxART_PRINT;
    case 0xE140: // ID_APP_ABOUT
        return wxART_INFORMATION;
    default:
        return wxArtID();
    }
}

// A small picture drawn for a command without stock art: a shape chosen by the command's text, so that
// view commands look like what they do (a frame, a magnifier with + or -, a hand's cross, a circle).
wxBitmap drawnTool(const std::string& text) {
    wxBitmap bmp(kToolSize, kToolSize, 24);
    wxMemoryDC dc(bmp);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    dc.SetPen(wxPen(wxColour(40, 40, 40), 1));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    auto has = [&](const char* word) { return text.find(word) != std::string::npos; };
    if (has("Zoom In") || has("Zoom Out")) {
        dc.DrawCircle(6, 6, 5);
        dc.DrawLine(10, 10, 15, 15);
        dc.DrawLine(11, 10, 15, 14);
        dc.DrawLine(3, 6, 10, 6);
        if (has("In")) dc.DrawLine(6, 3, 6, 10);
    } else if (has("Window")) {
        dc.SetPen(wxPen(wxColour(40, 40, 40), 1, wxPENSTYLE_SHORT_DASH));
        dc.DrawRectangle(2, 3, 12, 10);
    } else if (has("Pan")) {
        dc.DrawLine(8, 1, 8, 15);
        dc.DrawLine(1, 8, 15, 8);
        const wxPoint tips[][3] = {{{5, 4}, {8, 1}, {11, 4}},
                                   {{5, 12}, {8, 15}, {11, 12}},
                                   {{4, 5}, {1, 8}, {4, 11}},
                                   {{12, 5}, {15, 8}, {12, 11}}};
        for (const auto& t : tips)
            dc.DrawLines(3, t);
    } else if (has("All")) {
        dc.DrawRectangle(1, 1, 14, 14);
        dc.DrawRectangle(5, 5, 6, 6);
    } else if (has("Redraw")) {
        dc.DrawArc(13, 8, 8, 13, 8, 8);
        dc.DrawLine(13, 8, 15, 6);
        dc.DrawLine(13, 8, 11, 6);
    } else {
        // Anything else: the first letter of its text.
        dc.SetFont(wxFontInfo(8).Bold());
        std::string letter = text.empty() ? std::string("?") : text.substr(0, 1);
        dc.DrawLabel(u8(letter), wxRect(0, 0, kToolSize, kToolSize), wxALIGN_CENTRE);
    }
    dc.SelectObject(wxNullBitmap);
    return bmp;
}

wxBitmap toolBitmap(int id, const std::string& text) {
    const wxArtID art = stockArt(id);
    if (!art.empty()) {
        wxBitmap stock = wxArtProvider::GetBitmap(art, wxART_TOOLBAR, wxSize(kToolSize, kToolSize));
        if (stock.IsOk()) return stock;
    }
    return drawnTool(text);
}

} // namespace

UINT virtualKey(int k) {
    if (k >= 'A' && k <= 'Z') return static_cast<UINT>(k);
    if (k >= 'a' && k <= 'z') return static_cast<UINT>(k - 'a' + 'A');
    if (k >= '0' && k <= '9') return static_cast<UINT>(k);
    if (k >= WXK_F1 && k <= WXK_F12) return VK_F1 + static_cast<UINT>(k - WXK_F1);
    switch (k) {
    case WXK_BACK:
        return VK_BACK;
    case WXK_TAB:
        return VK_TAB;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        return VK_RETURN;
    case WXK_ESCAPE:
        return VK_ESCAPE;
    case WXK_SPACE:
        return VK_SPACE;
    case WXK_PAGEUP:
        return VK_PRIOR;
    case WXK_PAGEDOWN:
        return VK_NEXT;
    case WXK_END:
        return VK_END;
    case WXK_HOME:
        return VK_HOME;
    case WXK_LEFT:
        return VK_LEFT;
    case WXK_UP:
        return VK_UP;
    case WXK_RIGHT:
        return VK_RIGHT;
    case WXK_DOWN:
        return VK_DOWN;
    case WXK_INSERT:
        return VK_INSERT;
    case WXK_DELETE:
        return VK_DELETE;
    default:
        return 0;
    }
}

UINT acceleratorModifiers(bool ctrl, bool alt, bool shift) {
    return (ctrl ? UINT(kAccelCtrl) : 0u) | (alt ? UINT(kAccelAlt) : 0u) | (shift ? UINT(kAccelShift) : 0u);
}

std::string tooltipText(const std::string& menuText) {
    std::string t = menuText.substr(0, menuText.find('\t'));
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '&' && i + 1 < t.size() && t[i + 1] != '&') continue;
        if (t[i] == '&') ++i; // "&&" is a literal ampersand
        out += t[i];
    }
    while (!out.empty() && (out.back() == '.' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::string commandText(const std::vector<MenuEntry>& menu, int id) {
    for (const MenuEntry& e : menu) {
        if (e.items.empty() && e.id == id && id != 0) return e.text;
        std::string inner = commandText(e.items, id);
        if (!inner.empty()) return inner;
    }
    return {};
}

void copyCanvasImage(const CanvasImage& src, wxImage& target) {
    if (!src.pixels || src.width <= 0 || src.height <= 0 || src.stride < src.width) {
        target = wxImage();
        return;
    }
    if (!target.IsOk() || target.GetWidth() != src.width || target.GetHeight() != src.height)
        target = wxImage(src.width, src.height, false);
    unsigned char* out = target.GetData();
    for (int y = 0; y < src.height; ++y) {
        const std::uint32_t* row = src.pixels + static_cast<size_t>(y) * static_cast<size_t>(src.stride);
        for (int x = 0; x < src.width; ++x) {
            const std::uint32_t px = row[x];
            *out++ = static_cast<unsigned char>((px >> 16) & 0xFF);
            *out++ = static_cast<unsigned char>((px >> 8) & 0xFF);
            *out++ = static_cast<unsigned char>(px & 0xFF);
        }
    }
}

// ---------------------------------------------------------------- the canvas

// The drawing area: blits the owner's image (painted by the model when it asked to be) and turns the
// mouse, the wheel, keys and size changes into the model's messages.
class CanvasPanel : public wxWindow {
  public:
    CanvasPanel(wxWindow* parent, FrameView& view)
        : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(320, 240), wxWANTS_CHARS | wxBORDER_NONE),
          view_(view) {
        // Every pixel comes from the image: no background erase, so nothing flickers.
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paint(); });
        auto mouse = [this](UINT message) {
            return [this, message](wxMouseEvent& e) {
                if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
                    SetFocus();
                    if (!HasCapture()) CaptureMouse();
                }
                if ((message == WM_LBUTTONUP || message == WM_RBUTTONUP) && HasCapture() && !e.LeftIsDown() &&
                    !e.RightIsDown())
                    ReleaseMouse();
                const UINT keys =
                    (e.ShiftDown() ? UINT(MK_SHIFT) : 0u) | (e.ControlDown() ? UINT(MK_CONTROL) : 0u);
                const int x = e.GetX(), y = e.GetY();
                view_.act(
                    [this, message, x, y, keys] { view_.model().canvas().mouseInput(message, x, y, keys); });
            };
        };
        Bind(wxEVT_MOTION, mouse(WM_MOUSEMOVE));
        Bind(wxEVT_LEFT_DOWN, mouse(WM_LBUTTONDOWN));
        Bind(wxEVT_LEFT_UP, mouse(WM_LBUTTONUP));
        Bind(wxEVT_LEFT_DCLICK, mouse(WM_LBUTTONDBLCLK)); // the second press of a double click
        Bind(wxEVT_RIGHT_DOWN, mouse(WM_RBUTTONDOWN));
        Bind(wxEVT_RIGHT_UP, mouse(WM_RBUTTONUP));
        Bind(wxEVT_MOUSE_CAPTURE_LOST, [](wxMouseCaptureLostEvent&) {});
        Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& e) {
            const int perNotch = e.GetWheelDelta() > 0 ? e.GetWheelDelta() : WHEEL_DELTA;
            const int delta = e.GetWheelRotation() * WHEEL_DELTA / perNotch;
            const UINT keys =
                (e.ShiftDown() ? UINT(MK_SHIFT) : 0u) | (e.ControlDown() ? UINT(MK_CONTROL) : 0u);
            const int x = e.GetX(), y = e.GetY();
            view_.act([this, delta, x, y, keys] { view_.model().canvas().wheelInput(delta, x, y, keys); });
        });
        Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
            const UINT vk = virtualKey(e.GetKeyCode());
            if (!vk) {
                e.Skip();
                return;
            }
            const UINT mods = acceleratorModifiers(e.ControlDown(), e.AltDown(), e.ShiftDown());
            view_.act([this, vk, mods] { view_.model().userKey(vk, mods); });
        });
        Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
            e.Skip();
            const wxSize s = GetClientSize();
            CCanvasWnd& c = view_.model().canvas();
            if (s.x == c.width() && s.y == c.height()) return;
            view_.act([&c, s] { c.resize(s.x, s.y); });
        });
        Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
            e.Skip();
            view_.model().canvas().hasFocus = true;
        });
        Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
            e.Skip();
            view_.model().canvas().hasFocus = false;
        });
    }

  private:
    void paint() {
        wxAutoBufferedPaintDC dc(this);
        CCanvasWnd& c = view_.model().canvas();
        if (c.needsPaint()) c.paint();
        copyCanvasImage(c.image(), image_);
        const wxSize client = GetClientSize();
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(*wxBLACK_BRUSH);
        if (!image_.IsOk()) {
            dc.DrawRectangle(wxPoint(0, 0), client);
            return;
        }
        dc.DrawBitmap(wxBitmap(image_), 0, 0, false);
        // The strips the image does not cover yet (a resize on its way to the model).
        if (client.x > image_.GetWidth())
            dc.DrawRectangle(image_.GetWidth(), 0, client.x - image_.GetWidth(), client.y);
        if (client.y > image_.GetHeight())
            dc.DrawRectangle(0, image_.GetHeight(), client.x, client.y - image_.GetHeight());
    }

    FrameView& view_;
    wxImage image_;
};

// ---------------------------------------------------------------- the frame

FrameView::FrameView(CFrameWnd& model) : model_(model) {
    frame_ = new wxFrame(nullptr, wxID_ANY, u8(model.GetWindowText()), wxDefaultPosition, wxSize(900, 640));
    root_ = new wxPanel(frame_, wxID_ANY);
    buildMenu();
    buildBars();

    frame_->Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
        const int command = commandOf(e.GetId());
        if (!command) {
            e.Skip();
            return;
        }
        act([this, command] { model_.executeCommand(command); });
    });
    frame_->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& e) {
        e.Skip();
        updateCommands();
    });
    frame_->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) { onKey(e); });
    frame_->Bind(wxEVT_IDLE, [this](wxIdleEvent& e) { onIdle(e); });
    frame_->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
        // The model decides (it may ask to save first); the window goes when the model quits.
        if (e.CanVeto()) e.Veto();
        act([this] { model_.SendMessage(WM_CLOSE); });
    });
    placeFromModel();
    // The model keeps the placement current, whichever way it is closed (the close box, File › Exit).
    placementToModel();
    frame_->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
        e.Skip();
        placementToModel();
    });
    frame_->Bind(wxEVT_MOVE, [this](wxMoveEvent& e) {
        e.Skip();
        placementToModel();
    });
    frame_->Bind(wxEVT_MAXIMIZE, [this](wxMaximizeEvent& e) {
        e.Skip();
        placementToModel();
    });
    sync();
}

FrameView::~FrameView() {
    for (Bar& b : bars_)
        b.controls.reset();
    silence(frame_);
    delete frame_;
}

int FrameView::idFor(int command) {
    auto it = toolkitIds_.find(command);
    if (it != toolkitIds_.end()) return it->second;
    // Numbered above the toolkit's stock IDs and below its limit for menu items.
    const int id = wxID_HIGHEST + 1 + static_cast<int>(toolkitIds_.size());
    toolkitIds_[command] = id;
    commands_[id] = command;
    return id;
}

int FrameView::toolkitId(int command) const {
    auto it = toolkitIds_.find(command);
    return it == toolkitIds_.end() ? 0 : it->second;
}

int FrameView::commandOf(int toolkitId) const {
    auto it = commands_.find(toolkitId);
    return it == commands_.end() ? 0 : it->second;
}

wxMenuItem* FrameView::menuItem(int command) const {
    auto it = items_.find(command);
    return it == items_.end() ? nullptr : it->second;
}

wxWindow* FrameView::canvas() const {
    return canvas_;
}

wxToolBar* FrameView::toolBar(int barId) const {
    for (const Bar& b : bars_)
        if (b.model->barId() == barId) return b.tools;
    return nullptr;
}

WindowView* FrameView::barView(int barId) const {
    for (const Bar& b : bars_)
        if (b.model->barId() == barId) return b.controls.get();
    return nullptr;
}

wxWindow* FrameView::barPanel(int barId) const {
    for (const Bar& b : bars_)
        if (b.model->barId() == barId) return b.panel;
    return nullptr;
}

void FrameView::buildMenu() {
    builtMenu_ = model_.menu();
    items_.clear();
    auto* bar = new wxMenuBar();
    for (const MenuEntry& top : builtMenu_)
        bar->Append(buildPopup(top.items), u8(top.text));
    wxMenuBar* old = frame_->GetMenuBar();
    frame_->SetMenuBar(bar);
    delete old;
    menuBar_ = bar;
}

wxMenu* FrameView::buildPopup(const std::vector<MenuEntry>& entries) {
    auto* menu = new wxMenu();
    for (const MenuEntry& e : entries) {
        if (!e.items.empty()) {
            menu->AppendSubMenu(buildPopup(e.items), u8(e.text));
        } else if (e.id == 0) {
            menu->AppendSeparator();
        } else {
            // The key text after the tab is shown beside the item; the keys themselves are the model's
            // accelerators (onKey), so that the model decides what a key does.
            const wxItemKind kind = model_.queryCommand(e.id).checkable ? wxITEM_CHECK : wxITEM_NORMAL;
            items_[e.id] = menu->Append(idFor(e.id), u8(e.text), wxEmptyString, kind);
        }
    }
    return menu;
}

void FrameView::buildBars() {
    auto* rows = new wxBoxSizer(wxVERTICAL);
    top_ = new wxWrapSizer(wxHORIZONTAL);
    bottom_ = new wxWrapSizer(wxHORIZONTAL);
    auto* middle = new wxBoxSizer(wxHORIZONTAL);
    middleLeft_ = new wxBoxSizer(wxVERTICAL);
    middleRight_ = new wxBoxSizer(wxVERTICAL);
    canvas_ = new CanvasPanel(root_, *this);
    // The scroll bars stay in place and are greyed while there is nothing to scroll: showing and hiding
    // them would resize the canvas, which changes what there is to scroll.
    for (bool vertical : {false, true}) {
        auto* bar = new wxScrollBar(root_, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                    vertical ? wxSB_VERTICAL : wxSB_HORIZONTAL);
        bar->Enable(false);
        auto request = [this, bar, vertical](const wxEventTypeTag<wxScrollEvent>& type, UINT code) {
            bar->Bind(type, [this, vertical, code](wxScrollEvent& e) {
                const ScrollBarInfo info = model_.canvas().scrollBar(vertical);
                const long long at =
                    info.minimum + static_cast<long long>(e.GetPosition()) * scrollScale(info);
                const int position = static_cast<int>(std::clamp<long long>(at, info.minimum, info.maximum));
                act([this, vertical, code, position] {
                    model_.canvas().scrollInput(vertical, code, position);
                });
            });
        };
        request(wxEVT_SCROLL_LINEUP, SB_LINEUP);
        request(wxEVT_SCROLL_LINEDOWN, SB_LINEDOWN);
        request(wxEVT_SCROLL_PAGEUP, SB_PAGEUP);
        request(wxEVT_SCROLL_PAGEDOWN, SB_PAGEDOWN);
        request(wxEVT_SCROLL_THUMBRELEASE, SB_THUMBPOSITION);
        (vertical ? vscroll_ : hscroll_) = bar;
    }
    auto* canvasRow = new wxBoxSizer(wxHORIZONTAL);
    canvasRow->Add(canvas_, 1, wxEXPAND);
    canvasRow->Add(vscroll_, 0, wxEXPAND);
    auto* canvasColumn = new wxBoxSizer(wxVERTICAL);
    canvasColumn->Add(canvasRow, 1, wxEXPAND);
    canvasColumn->Add(hscroll_, 0, wxEXPAND);
    middle->Add(middleLeft_, 0, wxEXPAND);
    middle->Add(canvasColumn, 1, wxEXPAND);
    middle->Add(middleRight_, 0, wxEXPAND);
    rows->Add(top_, 0, wxEXPAND);
    rows->Add(middle, 1, wxEXPAND);
    rows->Add(bottom_, 0, wxEXPAND);
    root_->SetSizer(rows);

    for (CControlBar* m : model_.bars()) {
        Bar b;
        b.model = m;
        if (m->isToolBar()) {
            auto* tb = new wxToolBar(root_, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                     wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER);
            tb->SetToolBitmapSize(wxSize(kToolSize, kToolSize));
            for (int id : m->buttons()) {
                if (id == 0) {
                    tb->AddSeparator();
                    continue;
                }
                const std::string text = commandText(model_.menu(), id);
                const wxString tip = u8(tooltipText(text));
                const wxItemKind kind = model_.queryCommand(id).checkable ? wxITEM_CHECK : wxITEM_NORMAL;
                tb->AddTool(idFor(id), tip, toolBitmap(id, tooltipText(text)), tip, kind);
            }
            tb->Realize();
            b.panel = b.tools = tb;
        } else {
            auto* panel = new wxPanel(root_, wxID_ANY);
            b.panel = panel;
            b.controls = std::make_unique<WindowView>(*m, panel);
            b.controls->setActor([this](const std::function<void()>& action) { act(action); });
            markCompact(panel);
        }
        bars_.push_back(std::move(b));
    }

    if (CStatusBar* s = model_.statusBar()) {
        // No size grip: it would cover the last pane's text; the window's edges resize it.
        frame_->CreateStatusBar(static_cast<int>(std::max<size_t>(1, s->panes().size())),
                                wxSTB_SHOW_TIPS | wxSTB_ELLIPSIZE_END | wxFULL_REPAINT_ON_RESIZE);
    }
    layoutBars();
}

void FrameView::layoutBars() {
    // Bars are placed by their docking side in the order the model made them.
    for (wxSizer* s : {top_, bottom_, middleLeft_, middleRight_})
        s->Clear(false);
    barsShown_.clear();
    for (Bar& b : bars_) {
        const bool shown = b.model->IsWindowVisible();
        barsShown_.push_back(shown);
        b.panel->Show(shown);
        if (!shown) continue;
        switch (b.model->dock) {
        case DockSide::Bottom:
            bottom_->Add(b.panel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 2);
            break;
        case DockSide::Left:
            middleLeft_->Add(b.panel, 0, wxALL, 2);
            break;
        case DockSide::Right:
            middleRight_->Add(b.panel, 0, wxALL, 2);
            break;
        case DockSide::Top:
        case DockSide::Floating:
            top_->Add(b.panel, 0, wxALL | wxALIGN_CENTER_VERTICAL, 2);
            break;
        }
    }
    root_->Layout();
}

void FrameView::placeFromModel() {
    const WindowPlacement p = model_.GetWindowPlacement();
    if (p.right - p.left >= 200 && p.bottom - p.top >= 150)
        frame_->SetSize(p.left, p.top, p.right - p.left, p.bottom - p.top);
    else
        frame_->Centre();
    if (p.showCmd == SW_SHOWMAXIMIZED) frame_->Maximize();
}

void FrameView::placementToModel() {
    WindowPlacement p = model_.GetWindowPlacement();
    if (!frame_->IsMaximized() && !frame_->IsIconized()) {
        const wxRect r = frame_->GetRect();
        p.left = r.x;
        p.top = r.y;
        p.right = r.GetRight() + 1;
        p.bottom = r.GetBottom() + 1;
    }
    p.showCmd = frame_->IsMaximized()  ? SW_SHOWMAXIMIZED
                : frame_->IsIconized() ? SW_SHOWMINIMIZED
                                       : SW_SHOWNORMAL;
    model_.SetWindowPlacement(p);
}

void FrameView::act(const std::function<void()>& action) {
    if (ended_) return;
    ++depth_;
    action();
    --depth_;
    idleCount_ = 0; // idle work starts over after every event, as the framework's loop does
    acted_ = true;
    if (depth_ == 0) sync();
}

void FrameView::updateCommands() {
    for (auto& [id, item] : items_) {
        const CommandState s = model_.queryCommand(id);
        if (item->IsEnabled() != s.enabled) item->Enable(s.enabled);
        if (item->IsCheckable() && item->IsChecked() != (s.checked != 0)) item->Check(s.checked != 0);
    }
    for (Bar& b : bars_) {
        if (!b.tools) continue;
        for (int id : b.model->buttons()) {
            if (id == 0) continue;
            const CommandState s = model_.queryCommand(id);
            const int tool = toolkitId(id);
            if (b.tools->GetToolEnabled(tool) != s.enabled) b.tools->EnableTool(tool, s.enabled);
            if (s.checkable && b.tools->GetToolState(tool) != (s.checked != 0))
                b.tools->ToggleTool(tool, s.checked != 0);
        }
    }
}

void FrameView::syncStatus() {
    CStatusBar* s = model_.statusBar();
    wxStatusBar* sb = frame_->GetStatusBar();
    if (!s || !sb) return;
    if (s->IsWindowVisible() != statusShown_) {
        statusShown_ = s->IsWindowVisible();
        sb->Show(statusShown_);
        frame_->SendSizeEvent();
    }
    const auto& panes = s->panes();
    if (static_cast<int>(panes.size()) != sb->GetFieldsCount())
        sb->SetFieldsCount(static_cast<int>(std::max<size_t>(1, panes.size())));
    // The first pane (the prompt) takes the room the others leave; each other pane is as wide as the
    // model made it for its text, with the field's own padding around it.
    std::vector<int> widths;
    std::vector<std::string> texts;
    for (size_t i = 0; i < panes.size(); ++i) {
        texts.push_back(panes[i].text.str());
        if (i == 0) {
            widths.push_back(-1);
            continue;
        }
        const int measured = sb->GetTextExtent(u8(panes[i].text)).x + sb->GetCharWidth() / 2;
        widths.push_back(std::max(panes[i].width, measured) + kPanePadding);
    }
    if (widths != paneWidths_) {
        sb->SetStatusWidths(static_cast<int>(widths.size()), widths.data());
        paneWidths_ = widths;
    }
    if (texts != paneTexts_) {
        for (size_t i = 0; i < texts.size(); ++i)
            if (i >= paneTexts_.size() || paneTexts_[i] != texts[i])
                sb->SetStatusText(u8(texts[i]), static_cast<int>(i));
        paneTexts_ = texts;
    }
}

long long scrollScale(const ScrollBarInfo& info) {
    // The toolkit's bars count in int steps; a million steps is finer than any bar can show.
    const long long span = static_cast<long long>(info.maximum) - info.minimum;
    return std::max(1LL, (span + 999'999) / 1'000'000);
}

void FrameView::syncScrollBars() {
    for (bool vertical : {false, true}) {
        const ScrollBarInfo info = model_.canvas().scrollBar(vertical);
        ScrollBarInfo& shown = vertical ? vscrollShown_ : hscrollShown_;
        if (info == shown) continue;
        shown = info;
        wxScrollBar* bar = vertical ? vscroll_ : hscroll_;
        bar->Enable(info.shown());
        if (!info.shown()) continue;
        const long long k = scrollScale(info);
        const int range = static_cast<int>((static_cast<long long>(info.maximum) - info.minimum) / k);
        const int page = static_cast<int>(std::clamp<long long>(info.page / k, 1, range));
        const int position = static_cast<int>(std::clamp<long long>(
            (static_cast<long long>(info.position) - info.minimum) / k, 0, range - page));
        bar->SetScrollbar(position, page, range, page);
    }
}

void FrameView::sync() {
    if (ended_) return;
    if (!sameMenu(builtMenu_, model_.menu())) buildMenu();
    const wxString title = u8(model_.GetWindowText());
    if (frame_->GetTitle() != title) frame_->SetTitle(title);
    bool relayout = barsShown_.size() != bars_.size();
    for (size_t i = 0; i < bars_.size() && !relayout; ++i)
        relayout = bars_[i].model->IsWindowVisible() != barsShown_[i];
    if (relayout) layoutBars();
    for (Bar& b : bars_)
        if (b.controls) b.controls->sync();
    syncStatus();
    syncScrollBars();
    updateCommands();
    CCanvasWnd& c = model_.canvas();
    // After an action the owner may have drawn into its image directly (rubber bands, the crosshair);
    // at idle time only a repaint it asked for is shown, so that idle and paint do not feed each other.
    const bool painted = c.needsPaint() && c.paint();
    if (painted || acted_) canvas_->Refresh(false);
    acted_ = false;
    if (model_.quitPosted() || model_.destroyed()) {
        // Only the loop this view runs is ended; a modal loop inside it ends on its own first, and the
        // next idle time comes back here.
        if (!loop_) {
            ended_ = true;
        } else if (wxEventLoopBase::GetActive() == loop_) {
            ended_ = true;
            frame_->Hide();
            if (loop_->IsRunning()) loop_->Exit(model_.exitCode());
        }
    }
}

void FrameView::onKey(wxKeyEvent& e) {
    // Accelerators belong to the frame wherever the focus is; other keys go to the focused widget (the
    // canvas hands them to the model itself).
    const UINT vk = virtualKey(e.GetKeyCode());
    const UINT mods = acceleratorModifiers(e.ControlDown(), e.AltDown(), e.ShiftDown());
    if (!vk || !model_.translateAccelerator(vk, mods)) {
        e.Skip();
        return;
    }
    act([this, vk, mods] { model_.userKey(vk, mods); });
}

void FrameView::onIdle(wxIdleEvent& e) {
    if (ended_ || depth_ > 0) return;
    ++depth_;
    const bool more = model_.OnIdle(idleCount_++);
    --depth_;
    sync();
    if (more && !ended_) e.RequestMore();
}

int FrameView::run() {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    loop_ = &loop;
    frame_->Show();
    // The view takes the keys from the start (once the window is up, or the toolkit moves it on).
    canvas_->SetFocus();
    frame_->CallAfter([this] {
        if (ended_) return;
        canvas_->SetFocus();
        // The toolkit focused the first field on showing the window and selected its text; with the
        // focus on the view, a field must not look as if typing went there.
        for (Bar& b : bars_)
            if (b.controls)
                for (wxWindow* child : b.panel->GetChildren())
                    if (auto* field = dynamic_cast<wxTextCtrl*>(child)) field->SelectNone();
    });
    sync();
    if (!ended_) loop.Run();
    loop_ = nullptr;
    return model_.quitPosted() ? model_.exitCode() : 0;
}

} // namespace korvane::wx
