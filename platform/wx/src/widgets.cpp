#include "wxpresenter/widgets.h"
#include "wxpresenter/text.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <algorithm>

namespace korvane::wx {

namespace {
constexpr int kUnitCommandBase = wxID_HIGHEST + 100;
constexpr int kSpinWidthDlu = 8;
} // namespace

// ---------------------------------------------------------------- spin arrows

SpinArrows::SpinArrows(wxWindow* parent, const wxRect& r, std::function<void(int)> onSpin)
    : wxWindow(parent, wxID_ANY, r.GetPosition(), r.GetSize(), wxBORDER_NONE), onSpin_(std::move(onSpin)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paint(); });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
        if (IsEnabled()) onSpin_(e.GetY() < GetClientSize().y / 2 ? 1 : -1);
    });
}

void SpinArrows::paint() {
    wxPaintDC dc(this);
    const wxSize s = GetClientSize();
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, s.x, s.y);
    dc.DrawLine(0, s.y / 2, s.x, s.y / 2);
    const wxColour ink = IsEnabled() ? wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)
                                     : wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    dc.SetPen(wxPen(ink));
    dc.SetBrush(wxBrush(ink));
    const int cx = s.x / 2, half = std::max(2, s.x / 4), q = s.y / 4;
    const wxPoint up[] = {{cx - half, q + half / 2}, {cx + half, q + half / 2}, {cx, q - half / 2}};
    const wxPoint down[] = {
        {cx - half, 3 * q - half / 2}, {cx + half, 3 * q - half / 2}, {cx, 3 * q + half / 2}};
    dc.DrawPolygon(3, up);
    dc.DrawPolygon(3, down);
}

// ---------------------------------------------------------------- value box

ValueBoxWidget::ValueBoxWidget(wxWindow* parent, WindowView& view, CWnd& model, ValueBoxExtension& box,
                               const wxRect& r, DialogBaseUnits base)
    : wxPanel(parent, wxID_ANY, r.GetPosition(), r.GetSize(), wxBORDER_NONE), view_(view), model_(model),
      box_(box) {
    // The edit rectangle holds the text field, the spin arrows and, when the box has units, the unit list.
    const int unitW = box.hasUnitList() ? dluToPixelsX(std::max(box.unitListWidth(), 1), base) : 0;
    const int spinW = dluToPixelsX(kSpinWidthDlu, base);
    const int textW = std::max(r.width - spinW - unitW, 10);
    shown_ = u8(model.GetWindowText());
    text_ =
        new wxTextCtrl(this, wxID_ANY, shown_, wxPoint(0, 0), wxSize(textW, r.height), wxTE_PROCESS_ENTER);
    spin_ = new SpinArrows(this, wxRect(textW, 0, spinW, r.height), [this](int steps) {
        view_.commitPending();
        view_.act([this, steps] { box_.spin(steps); });
    });
    if (box.hasUnitList()) {
        unit_ = new wxButton(this, wxID_ANY, wxEmptyString, wxPoint(textW + spinW, 0),
                             wxSize(unitW, r.height), wxBU_EXACTFIT);
        unit_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { openUnitMenu(); });
    }
    Bind(wxEVT_MENU, [this](wxCommandEvent& e) { onUnitCommand(e.GetId() - kUnitCommandBase); });
    text_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { view_.commitEdit(&model_, text_->GetValue()); });
    text_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        if (pending()) view_.commitEdit(&model_, text_->GetValue());
    });
    text_->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_UP || e.GetKeyCode() == WXK_DOWN)
            spin_->click(e.GetKeyCode() == WXK_UP ? 1 : -1);
        else
            e.Skip();
    });
    syncFromModel();
}

int ValueBoxWidget::unitCommand(int index) {
    return kUnitCommandBase + index;
}

void ValueBoxWidget::openUnitMenu() {
    wxMenu menu;
    const auto choices = box_.unitChoices();
    for (size_t i = 0; i < choices.size(); ++i)
        menu.AppendRadioItem(unitCommand(static_cast<int>(i)), u8(choices[i]));
    const int current = box_.unitChoice();
    if (current >= 0 && current < static_cast<int>(choices.size())) menu.Check(unitCommand(current), true);
    PopupMenu(&menu, unit_ ? unit_->GetPosition() + wxPoint(0, unit_->GetSize().y) : wxDefaultPosition);
}

void ValueBoxWidget::onUnitCommand(int index) {
    view_.commitPending();
    view_.act([this, index] { box_.chooseUnit(index); });
}

bool ValueBoxWidget::pending() const {
    return text_->GetValue() != shown_;
}

void ValueBoxWidget::syncFromModel() {
    const wxString text = u8(model_.GetWindowText());
    if (text != shown_ || text_->GetValue() != text) {
        text_->ChangeValue(text);
        shown_ = text;
    }
    const bool enabled = model_.IsWindowEnabled();
    if (text_->IsThisEnabled() != enabled) text_->Enable(enabled);
    if (spin_->IsThisEnabled() != enabled) {
        spin_->Enable(enabled);
        spin_->Refresh();
    }
    if (unit_) {
        if (unit_->IsThisEnabled() != enabled) unit_->Enable(enabled);
        const auto choices = box_.unitChoices();
        const int current = box_.unitChoice();
        const wxString label = current >= 0 && current < static_cast<int>(choices.size())
                                   ? u8(choices[static_cast<size_t>(current)])
                                   : "";
        if (unit_->GetLabel() != label) unit_->SetLabel(label);
    }
}

// ---------------------------------------------------------------- editable list

EditableList::EditableList(wxWindow* parent, WindowView& view, CWnd& model, const wxRect& r)
    : wxListCtrl(parent, wxID_ANY, r.GetPosition(), r.GetSize(),
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxBORDER_SUNKEN),
      view_(view), model_(model) {
    // A double click on a cell opens its editor (the column is where the pointer is); F2 edits the
    // selected row's second cell.
    Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& e) {
        const wxPoint at = ScreenToClient(wxGetMousePosition());
        beginEdit(e.GetIndex(), columnAt(at.x));
    });
    Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& e) {
        const long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
        if (e.GetKeyCode() == WXK_F2 && selected >= 0)
            beginEdit(selected, std::min(1, GetColumnCount() - 1));
        else
            e.Skip();
    });
    syncFromModel();
}

int EditableList::columnAt(int x) const {
    int left = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
        left += GetColumnWidth(c);
        if (x < left) return c;
    }
    return std::max(0, GetColumnCount() - 1);
}

wxString EditableList::OnGetItemText(long item, long column) const {
    return u8(model_.GetItemText(static_cast<int>(item), static_cast<int>(column)));
}

void EditableList::syncFromModel() {
    const auto& widths = model_.columnWidths();
    if (columns_ != model_.columns()) {
        DeleteAllColumns();
        for (size_t c = 0; c < model_.columns().size(); ++c)
            AppendColumn(u8(model_.columns()[c]), wxLIST_FORMAT_LEFT, widths[c]);
        columns_ = model_.columns();
        widths_ = widths;
    } else if (widths_ != widths) {
        // A width the owner set after adding the column: only that column changes, the list is not
        // rebuilt.
        for (size_t c = 0; c < widths.size(); ++c)
            if (c >= widths_.size() || widths_[c] != widths[c])
                SetColumnWidth(static_cast<int>(c), widths[c]);
        widths_ = widths;
    }
    if (GetItemCount() != model_.GetItemCount()) SetItemCount(model_.GetItemCount());
    Refresh();
}

bool EditableList::beginEdit(long row, int col) {
    if (editor_) finishEdit(true);
    if (row < 0 || row >= model_.GetItemCount() || col < 0 || col >= std::max(GetColumnCount(), 1) ||
        !model_.IsWindowEnabled())
        return false;
    wxRect cell;
    if (!GetSubItemRect(row, col, cell)) return false;
    editRow_ = static_cast<int>(row);
    editCol_ = col;
    editor_ = new wxTextCtrl(this, wxID_ANY, u8(model_.GetItemText(editRow_, col)), cell.GetPosition(),
                             cell.GetSize(), wxTE_PROCESS_ENTER | wxBORDER_SIMPLE);
    editor_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { finishEdit(true); });
    editor_->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_ESCAPE)
            finishEdit(false);
        else
            e.Skip();
    });
    editor_->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        // Leaving the editor commits it, after the focus change has been dealt with.
        CallAfter([this] {
            if (editor_) finishEdit(true);
        });
    });
    editor_->SelectAll();
    editor_->SetFocus();
    return true;
}

void EditableList::finishEdit(bool commit) {
    if (!editor_) return;
    wxTextCtrl* ed = editor_;
    editor_ = nullptr;
    const std::string text = ed->GetValue().utf8_string();
    const int row = editRow_, col = editCol_;
    editRow_ = editCol_ = -1;
    ed->SetEvtHandlerEnabled(false);
    ed->Hide();
    ed->Destroy();
    if (!commit) return;
    bool refused = false;
    view_.act([&] { refused = !model_.userEditCell(row, col, text.c_str()).accepted; });
    if (refused) wxBell();
}

} // namespace korvane::wx
