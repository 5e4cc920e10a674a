#include "wxpresenter/frameview.h"
#include "wxpresenter/text.h"
#include "wxpresenter/widgets.h"
#include "wxpresenter/wxpresenter.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dcbuffer.h>
#include <wx/evtloop.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <algorithm>

namespace korvane::wx {

namespace {

// Dialog-unit sizes of the sheet's own frame (margins and its standard buttons).
constexpr int kSheetMargin = 7;
constexpr int kSheetButtonW = 50;
constexpr int kSheetButtonH = 14;
constexpr int kSheetButtonGap = 4;

bool isTextInput(ControlKind k) {
    return k == ControlKind::Edit || k == ControlKind::ComboBox;
}

// Stops every event handler of a window tree, so that nothing reaches a view being torn down.
void silence(wxWindow* w) {
    w->SetEvtHandlerEnabled(false);
    for (wxWindow* child : w->GetChildren())
        silence(child);
}

// A static control whose owner paints a picture: drawn centred, scaled down to fit.
class PictureBox : public wxWindow {
  public:
    PictureBox(wxWindow* parent, const wxRect& r, PictureExtension& picture)
        : wxWindow(parent, wxID_ANY, r.GetPosition(), r.GetSize()), picture_(picture) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paint(); });
    }

  private:
    void paint() {
        wxAutoBufferedPaintDC dc(this);
        dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
        dc.Clear();
        copyCanvasImage(picture_.picture(), image_);
        if (!image_.IsOk()) return;
        const wxSize room = GetClientSize();
        wxImage shown = image_;
        if (shown.GetWidth() > room.x || shown.GetHeight() > room.y) {
            const double k = std::min(static_cast<double>(room.x) / shown.GetWidth(),
                                      static_cast<double>(room.y) / shown.GetHeight());
            shown = shown.Scale(std::max(1, static_cast<int>(shown.GetWidth() * k)),
                                std::max(1, static_cast<int>(shown.GetHeight() * k)), wxIMAGE_QUALITY_HIGH);
        }
        dc.DrawBitmap(wxBitmap(shown), (room.x - shown.GetWidth()) / 2, (room.y - shown.GetHeight()) / 2);
    }

    PictureExtension& picture_;
    wxImage image_;
};

} // namespace

WindowView::WindowView(CModalWindow& window, wxWindow* parent) : window_(&window) {
    dialog_ = new wxDialog(parent, wxID_ANY, u8(window.caption()), wxDefaultPosition, wxDefaultSize,
                           wxDEFAULT_DIALOG_STYLE);
    // Esc and the close box cancel through the model, as its Cancel button would.
    dialog_->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_ESCAPE)
            act([this] { window_->pressButton(IDCANCEL); });
        else
            e.Skip();
    });
    dialog_->Bind(wxEVT_CLOSE_WINDOW,
                  [this](wxCloseEvent&) { act([this] { window_->pressButton(IDCANCEL); }); });
    if (dynamic_cast<CPropertySheet*>(&window))
        buildSheet();
    else
        buildDialog();
    markCompact(dialog_);
    dialog_->CentreOnScreen();
}

WindowView::WindowView(CWnd& bar, wxWindow* panel) {
    // A bar's controls in a panel of the main window: placed from their rectangles as in a dialog, the
    // panel as large as they need.
    DialogTemplate font;
    panel->SetFont(templateFont(font));
    DialogBaseUnits base = dialogBaseUnits(panel->GetFont());
    DlgRect extent{0, 0, 0, 0};
    for (const auto& child : bar.children()) {
        extent.w = std::max(extent.w, child->rect().x + child->rect().w);
        extent.h = std::max(extent.h, child->rect().y + child->rect().h);
    }
    // A margin of one dialog unit on the far sides, as on the near ones.
    extent.w += 2;
    extent.h += 1;
    const wxSize size = toPixels(extent, base).GetSize();
    panel->SetMinSize(size);
    panel->SetSize(size);
    own_ = buildContainer(bar, panel, base);
}

WindowView::~WindowView() {
    for (auto& [id, t] : timers_)
        t.first->Stop();
    timers_.clear();
    if (dialog_) {
        silence(dialog_);
        delete dialog_;
    } else if (own_.panel) {
        silence(own_.panel); // a bar's panel belongs to its frame
    }
}

WindowView::Container WindowView::buildContainer(CWnd& model, wxWindow* panel, DialogBaseUnits base) {
    Container c;
    c.model = &model;
    c.panel = panel;
    c.base = base;
    for (const auto& child : model.children())
        c.controls.push_back(makeControl(*child, panel, base));
    return c;
}

void WindowView::buildDialog() {
    auto* dlg = dynamic_cast<CDialog*>(window_);
    const DialogTemplate* t = dlg ? dlg->dialogTemplate() : nullptr;
    DialogTemplate fallback;
    if (!t) {
        fallback.width = window_->rect().w;
        fallback.height = window_->rect().h;
        t = &fallback;
    }
    auto* panel = new wxPanel(dialog_, wxID_ANY);
    panel->SetFont(templateFont(*t));
    DialogBaseUnits base = dialogBaseUnits(panel->GetFont());
    wxRect r = toPixels({0, 0, t->width, t->height}, base);
    dialog_->SetClientSize(r.GetSize());
    panel->SetSize(r.GetSize());
    own_ = buildContainer(*window_, panel, base);
}

void WindowView::buildSheet() {
    auto& sheet = dynamic_cast<CPropertySheet&>(*window_);
    auto* frame = new wxPanel(dialog_, wxID_ANY);
    notebook_ = new wxNotebook(frame, wxID_ANY);
    // Every page gets its tab now; its controls appear once the model has created the page.
    wxSize pageSize(0, 0);
    DialogBaseUnits frameBase;
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        CPropertyPage* page = sheet.GetPage(i);
        const DialogTemplate* t = page->dialogTemplate();
        if (!t) t = AfxFindDialogTemplate(page->templateId());
        auto* panel = new wxPanel(notebook_, wxID_ANY);
        DialogTemplate empty;
        panel->SetFont(templateFont(t ? *t : empty));
        DialogBaseUnits base = dialogBaseUnits(panel->GetFont());
        if (i == 0) frameBase = base;
        if (t) {
            wxRect r = toPixels({0, 0, t->width, t->height}, base);
            pageSize.IncTo(r.GetSize());
        }
        notebook_->AddPage(panel, u8(page->title()));
        Container c;
        c.model = page;
        c.panel = panel;
        c.base = base;
        pages_[i] = std::move(c);
    }
    frame->SetFont(pages_.empty() ? wxNORMAL_FONT->Bold() : pages_[0].panel->GetFont());
    const int margin = dluToPixelsX(kSheetMargin, frameBase);
    wxSize book = notebook_->CalcSizeFromPage(pageSize);
    notebook_->SetSize(margin, margin, book.x, book.y);
    // The sheet's buttons: right-aligned under the tabs, in model order.
    const int bw = dluToPixelsX(kSheetButtonW, frameBase), bh = dluToPixelsY(kSheetButtonH, frameBase);
    const int gap = dluToPixelsX(kSheetButtonGap, frameBase);
    const int count = static_cast<int>(sheet.children().size());
    const int top = margin + book.y + margin;
    int x = margin + book.x - (count * bw + (count - 1) * gap);
    own_.model = &sheet;
    own_.panel = frame;
    own_.base = frameBase;
    for (const auto& child : sheet.children()) {
        ControlBinding b = makeControl(*child, frame, frameBase);
        b.rect = wxRect(x, top, bw, bh);
        b.widget->SetSize(b.rect);
        own_.controls.push_back(std::move(b));
        x += bw + gap;
    }
    wxSize client(margin + book.x + margin, top + bh + margin);
    dialog_->SetClientSize(client);
    frame->SetSize(client);

    notebook_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, [this](wxBookCtrlEvent& e) {
        if (ending_) return;
        auto& s = dynamic_cast<CPropertySheet&>(*window_);
        const int target = e.GetSelection();
        if (target == s.GetActiveIndex()) return;
        commitPending();
        bool moved = false;
        act([&] { moved = s.SetActivePage(target); });
        // A page that refuses to be left keeps the tab where it is.
        if (!moved) e.Veto();
    });
    buildPages();
}

void WindowView::buildPages() {
    for (auto& [index, c] : pages_) {
        if (!c.controls.empty() || !c.model->exists()) continue;
        Container built = buildContainer(*c.model, c.panel, c.base);
        c.controls = std::move(built.controls);
    }
}

ControlBinding WindowView::makeControl(CWnd& c, wxWindow* panel, DialogBaseUnits base) {
    ControlBinding b;
    b.model = &c;
    b.rect = toPixels(c.rect(), base);
    const wxRect& r = b.rect;
    const wxString text = u8(c.GetWindowText());
    const auto style = c.style();
    CWnd* model = &c;
    auto click = [this, model](wxCommandEvent&) {
        commitPending();
        act([model] { model->userClick(); });
    };
    switch (c.kind()) {
    case ControlKind::Static: {
        if (auto* picture = dynamic_cast<PictureExtension*>(c.extension())) {
            b.widget = b.input = new PictureBox(panel, r, *picture);
            break;
        }
        long s = wxST_NO_AUTORESIZE | ((style & kStyleRight) ? wxALIGN_RIGHT : wxALIGN_LEFT);
        auto* w = new wxStaticText(panel, wxID_ANY, text, r.GetPosition(), r.GetSize(), s);
        if (style & kStyleCenterV) {
            // Vertically centred text: the label is as tall as its text, centred in the rectangle.
            const int h = std::min(r.height, w->GetCharHeight());
            w->SetSize(r.x, r.y + (r.height - h) / 2, r.width, h);
        }
        b.widget = b.input = w;
        break;
    }
    case ControlKind::Edit: {
        if (auto* ext = dynamic_cast<ValueBoxExtension*>(c.extension())) {
            auto* w = new ValueBoxWidget(panel, *this, c, *ext, r, base);
            b.widget = w;
            b.input = w->text();
            break;
        }
        long s = 0;
        if (style & kStyleMultiline)
            s |= wxTE_MULTILINE | ((style & kStyleVScroll) ? wxVSCROLL : 0);
        else
            s |= wxTE_PROCESS_ENTER;
        if (style & kStyleReadOnly) s |= wxTE_READONLY;
        auto* w = new wxTextCtrl(panel, wxID_ANY, text, r.GetPosition(), r.GetSize(), s);
        b.widget = b.input = w;
        b.shown = text;
        if (!(style & kStyleMultiline))
            w->Bind(wxEVT_TEXT_ENTER,
                    [this, model, w](wxCommandEvent&) { commitEdit(model, w->GetValue()); });
        w->Bind(wxEVT_KILL_FOCUS, [this, model, w](wxFocusEvent& e) {
            e.Skip();
            if (!ending_ && w->GetValue() != u8(model->GetWindowText())) commitEdit(model, w->GetValue());
        });
        break;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* w = new wxButton(panel, wxID_ANY, text, r.GetPosition(), r.GetSize());
        if (c.kind() == ControlKind::DefPushButton) w->SetDefault();
        w->Bind(wxEVT_BUTTON, click);
        b.widget = b.input = w;
        break;
    }
    case ControlKind::CheckBox: {
        auto* w = new wxCheckBox(panel, wxID_ANY, text, r.GetPosition(), r.GetSize());
        w->Bind(wxEVT_CHECKBOX, click);
        b.widget = b.input = w;
        break;
    }
    case ControlKind::RadioButton: {
        // The model keeps the groups. For the toolkit each button gets a group of its own with a hidden
        // partner, because a toolkit radio button can only be unchecked by checking another one.
        auto* w = new wxRadioButton(panel, wxID_ANY, text, r.GetPosition(), r.GetSize(), wxRB_GROUP);
        auto* off = new wxRadioButton(panel, wxID_ANY, wxEmptyString, r.GetPosition(), wxSize(1, 1));
        off->Hide();
        w->Bind(wxEVT_RADIOBUTTON, click);
        b.widget = b.input = w;
        b.partner = off;
        break;
    }
    case ControlKind::GroupBox:
        b.widget = new wxStaticBox(panel, wxID_ANY, text, r.GetPosition(), r.GetSize());
        break;
    case ControlKind::ComboBox: {
        // A combo box's template height includes its dropped list; the closed box keeps its own.
        if (style & kStyleDropList) {
            auto* w = new wxChoice(panel, wxID_ANY, r.GetPosition(), wxSize(r.width, -1));
            w->Bind(wxEVT_CHOICE, [this, model](wxCommandEvent& e) {
                commitPending();
                const int index = e.GetSelection();
                act([model, index] { model->userSelect(index); });
            });
            b.widget = b.input = w;
        } else {
            auto* w = new wxComboBox(panel, wxID_ANY, text, r.GetPosition(), wxSize(r.width, -1), 0, nullptr,
                                     wxTE_PROCESS_ENTER);
            w->Bind(wxEVT_COMBOBOX, [this, model](wxCommandEvent& e) {
                const int index = e.GetSelection();
                act([model, index] { model->userSelect(index); });
            });
            w->Bind(wxEVT_TEXT_ENTER,
                    [this, model, w](wxCommandEvent&) { commitEdit(model, w->GetValue()); });
            w->Bind(wxEVT_KILL_FOCUS, [this, model, w](wxFocusEvent& e) {
                e.Skip();
                if (!ending_ && w->GetValue() != u8(model->GetWindowText())) commitEdit(model, w->GetValue());
            });
            b.widget = b.input = w;
            b.shown = text;
        }
        break;
    }
    case ControlKind::ListBox: {
        long s = (style & kStyleVScroll) ? wxLB_ALWAYS_SB : 0;
        auto* w = new wxListBox(panel, wxID_ANY, r.GetPosition(), r.GetSize(), 0, nullptr, s | wxLB_SINGLE);
        w->Bind(wxEVT_LISTBOX, [this, model](wxCommandEvent& e) {
            commitPending();
            const int index = e.GetSelection();
            act([model, index] { model->userSelect(index); });
        });
        b.widget = b.input = w;
        break;
    }
    case ControlKind::ListControl: {
        auto* w = new EditableList(panel, *this, c, r);
        b.widget = b.input = w;
        break;
    }
    case ControlKind::EtchedLine: {
        long s = r.width >= r.height ? wxLI_HORIZONTAL : wxLI_VERTICAL;
        b.widget = new wxStaticLine(panel, wxID_ANY, r.GetPosition(), r.GetSize(), s);
        break;
    }
    }
    if (b.input) {
        b.input->Bind(wxEVT_SET_FOCUS, [this, model](wxFocusEvent& e) {
            e.Skip();
            noteFocus(model);
        });
    }
    return b;
}

WindowView::Container* WindowView::containerOf(int page) {
    if (page < 0) return &own_;
    auto it = pages_.find(page);
    return it == pages_.end() ? nullptr : &it->second;
}

const WindowView::Container* WindowView::containerOf(int page) const {
    return const_cast<WindowView*>(this)->containerOf(page);
}

const ControlBinding* WindowView::find(int id, int page) const {
    const Container* c = containerOf(page);
    if (!c) return nullptr;
    for (const auto& b : c->controls)
        if (b.model->GetDlgCtrlID() == id && id != -1) return &b;
    return nullptr;
}

wxWindow* WindowView::widget(int id, int page) const {
    const ControlBinding* b = find(id, page);
    return b ? b->widget : nullptr;
}

ValueBoxWidget* WindowView::valueBox(int id, int page) const {
    return dynamic_cast<ValueBoxWidget*>(widget(id, page));
}

EditableList* WindowView::list(int id, int page) const {
    return dynamic_cast<EditableList*>(widget(id, page));
}

wxRect WindowView::rectInDialog(int id, int page) const {
    const ControlBinding* b = find(id, page);
    if (!b) return {};
    wxPoint origin = b->widget->GetParent()->ClientToScreen(wxPoint(0, 0));
    wxPoint client = (dialog_ ? static_cast<wxWindow*>(dialog_) : own_.panel)->ClientToScreen(wxPoint(0, 0));
    return wxRect(b->rect.GetPosition() + (origin - client), b->rect.GetSize());
}

void WindowView::noteFocus(CWnd* control) {
    // The person moved the focus: the model learns it without running any handler.
    if (!ending_ && control->exists()) control->SetFocus();
}

void WindowView::commitEdit(CWnd* control, const wxString& text) {
    if (committing_ || ending_) return;
    committing_ = true;
    const std::string typed = text.utf8_string();
    act([control, &typed] { control->userEdit(typed.c_str()); });
    committing_ = false;
}

void WindowView::commitPending() {
    if (ending_) return;
    auto commitIn = [this](Container& c) {
        for (auto& b : c.controls) {
            if (!isTextInput(b.model->kind()) || !b.model->IsWindowVisible() || !b.model->IsWindowEnabled())
                continue;
            if (auto* vb = dynamic_cast<ValueBoxWidget*>(b.widget)) {
                if (vb->pending()) commitEdit(b.model, vb->text()->GetValue());
            } else if (auto* t = dynamic_cast<wxTextCtrl*>(b.input)) {
                if (t->GetValue() != b.shown) commitEdit(b.model, t->GetValue());
            } else if (auto* cb = dynamic_cast<wxComboBox*>(b.input)) {
                if (cb->GetValue() != b.shown) commitEdit(b.model, cb->GetValue());
            }
        }
    };
    commitIn(own_);
    if (auto* sheet = dynamic_cast<CPropertySheet*>(window_)) {
        if (auto it = pages_.find(sheet->GetActiveIndex()); it != pages_.end()) commitIn(it->second);
    }
}

void WindowView::act(const std::function<void()>& action) {
    if (ending_) return;
    if (actor_) {
        actor_(action); // a bar: its frame runs the action and mirrors everything
        return;
    }
    ++depth_;
    action();
    --depth_;
    if (depth_ == 0) sync();
}

void WindowView::syncControl(ControlBinding& b) {
    CWnd& m = *b.model;
    const bool visible = m.IsWindowVisible();
    if (b.widget->IsShown() != visible) b.widget->Show(visible);
    if (b.widget->IsThisEnabled() != m.IsWindowEnabled()) b.widget->Enable(m.IsWindowEnabled());
    const wxString text = u8(m.GetWindowText());
    switch (m.kind()) {
    case ControlKind::Static:
        if (dynamic_cast<PictureBox*>(b.widget)) {
            b.widget->Refresh(false); // the owner may have painted a new picture
            break;
        }
        [[fallthrough]];
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        if (b.shown != text) {
            b.widget->SetLabel(text);
            b.shown = text;
        }
        if (auto* cb = dynamic_cast<wxCheckBox*>(b.widget)) cb->SetValue(m.GetCheck() == BST_CHECKED);
        if (auto* rb = dynamic_cast<wxRadioButton*>(b.widget)) {
            if (m.GetCheck() == BST_CHECKED)
                rb->SetValue(true);
            else if (rb->GetValue())
                static_cast<wxRadioButton*>(b.partner)->SetValue(true);
        }
        break;
    case ControlKind::Edit:
        if (auto* vb = dynamic_cast<ValueBoxWidget*>(b.widget)) {
            vb->syncFromModel();
        } else if (auto* t = dynamic_cast<wxTextCtrl*>(b.widget)) {
            if (text != b.shown) {
                t->ChangeValue(text);
                b.shown = text;
            }
        }
        break;
    case ControlKind::ComboBox:
    case ControlKind::ListBox: {
        auto* items = dynamic_cast<wxItemContainer*>(b.widget);
        bool refilled = false;
        if (items && b.items != m.items()) {
            items->Clear();
            for (const auto& s : m.items())
                items->Append(u8(s));
            b.items = m.items();
            refilled = true;
        }
        if (auto* ch = dynamic_cast<wxChoice*>(b.widget); ch && !dynamic_cast<wxComboBox*>(b.widget)) {
            if (ch->GetSelection() != m.GetCurSel()) ch->SetSelection(m.GetCurSel());
        } else if (auto* lb = dynamic_cast<wxListBox*>(b.widget)) {
            if (lb->GetSelection() != m.GetCurSel()) {
                if (m.GetCurSel() < 0)
                    lb->SetSelection(wxNOT_FOUND);
                else
                    lb->SetSelection(m.GetCurSel());
            }
        } else if (auto* co = dynamic_cast<wxComboBox*>(b.widget)) {
            // Clearing the items empties the edit field too, so after a refill the field is written
            // again even when the model's text has not changed. The text goes in after the selection,
            // which puts its item's text into the field. Text typed but not yet committed stays while
            // the model holds what was last mirrored.
            const int sel = m.GetCurSel();
            bool rewrite = refilled || text != b.shown;
            if (refilled || sel != b.selection) {
                co->SetSelection(sel >= 0 && sel < static_cast<int>(co->GetCount()) ? sel : wxNOT_FOUND);
                b.selection = sel;
                rewrite = true;
            }
            if (rewrite) {
                co->ChangeValue(text);
                b.shown = text;
            }
        }
        break;
    }
    case ControlKind::ListControl:
        if (auto* l = dynamic_cast<EditableList*>(b.widget)) l->syncFromModel();
        break;
    case ControlKind::EtchedLine:
        break;
    }
}

void WindowView::sync() {
    if (ending_) return;
    if (!window_) {
        for (auto& b : own_.controls)
            syncControl(b);
        return;
    }
    buildPages();
    const wxString caption = u8(window_->caption());
    if (dialog_->GetTitle() != caption) dialog_->SetTitle(caption);
    for (auto& b : own_.controls)
        syncControl(b);
    for (auto& [index, c] : pages_)
        for (auto& b : c.controls)
            syncControl(b);
    if (auto* sheet = dynamic_cast<CPropertySheet*>(window_)) {
        const int active = sheet->GetActiveIndex();
        if (active >= 0 && notebook_->GetSelection() != active)
            notebook_->ChangeSelection(static_cast<size_t>(active));
    }
    syncTimers();
    if (window_->ended()) {
        ending_ = true;
        for (auto& [id, t] : timers_)
            t.first->Stop();
        if (dialog_->IsModal()) dialog_->EndModal(window_->modalResult());
        return;
    }
    syncFocus();
}

void WindowView::syncFocus() {
    // Focus moves after the handler has returned: moving it inside a focus event would confuse the
    // toolkit, and the kill-focus commit of the field being left must come first.
    if (focusQueued_) return;
    focusQueued_ = true;
    dialog_->CallAfter([this] {
        focusQueued_ = false;
        if (ending_) return;
        CWnd* f = window_->GetFocus();
        if (!f) return;
        auto findIn = [f](Container& c) -> wxWindow* {
            for (auto& b : c.controls)
                if (b.model == f) return b.input;
            return nullptr;
        };
        wxWindow* target = findIn(own_);
        for (auto& [index, c] : pages_)
            if (!target) target = findIn(c);
        if (target && target != wxWindow::FindFocus() && target->IsShownOnScreen() && target->IsEnabled())
            target->SetFocus();
    });
}

void WindowView::syncTimers() {
    const auto& wanted = window_->timers();
    for (auto it = timers_.begin(); it != timers_.end();) {
        auto w = wanted.find(it->first);
        if (w == wanted.end() || w->second != it->second.second) {
            it->second.first->Stop();
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& [id, ms] : wanted) {
        if (timers_.count(id)) continue;
        auto timer = std::make_unique<wxTimer>();
        const unsigned timerId = id;
        timer->Bind(wxEVT_TIMER, [this, timerId](wxTimerEvent&) { onTimer(timerId); });
        timer->Start(static_cast<int>(std::max(1u, ms)));
        timers_[id] = {std::move(timer), ms};
    }
}

void WindowView::onTimer(unsigned id) {
    act([this, id] { window_->SendMessage(WM_TIMER, id, 0); });
}

} // namespace korvane::wx
