// Driving the presenter's widgets with the toolkit's own events, as a person's actions produce them, and
// reading screenshots back.
#pragma once

#include "wxpresenter/widgets.h"
#include "wxpresenter/wxpresenter.h"
#include "wxtesting/screenshot.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace drive {

inline void send(wxWindow* w, wxEvent& e) {
    e.SetEventObject(w);
    e.SetId(w->GetId());
    w->GetEventHandler()->ProcessEvent(e);
}

// Types text into a field and presses Enter.
inline void type(wxTextCtrl* t, const std::string& text) {
    t->SetFocus();
    t->SetValue(wxString::FromUTF8(text.c_str()));
    wxCommandEvent e(wxEVT_TEXT_ENTER);
    e.SetString(t->GetValue());
    send(t, e);
}

inline void type(korvane::wx::ValueBoxWidget* box, const std::string& text) {
    type(box->text(), text);
}

inline void press(wxWindow* w) {
    wxCommandEvent e(wxEVT_BUTTON);
    send(w, e);
}

inline void clickRadio(wxWindow* w) {
    auto* rb = static_cast<wxRadioButton*>(w);
    rb->SetValue(true);
    wxCommandEvent e(wxEVT_RADIOBUTTON);
    e.SetInt(1);
    send(rb, e);
}

inline void toggle(wxWindow* w) {
    auto* cb = static_cast<wxCheckBox*>(w);
    cb->SetValue(!cb->GetValue());
    wxCommandEvent e(wxEVT_CHECKBOX);
    e.SetInt(cb->GetValue() ? 1 : 0);
    send(cb, e);
}

// Picks item `index` of a drop-down list, an editable combo box or a list box, with the event each
// sends when a person picks an item. A widget of any other kind, or an index it does not hold, fails the
// test and returns false.
inline bool pick(wxWindow* w, int index) {
    wxEventType type = wxEVT_NULL;
    wxItemContainer* items = nullptr;
    if (auto* combo = dynamic_cast<wxComboBox*>(w)) {
        items = combo;
        type = wxEVT_COMBOBOX;
    } else if (auto* choice = dynamic_cast<wxChoice*>(w)) {
        items = choice;
        type = wxEVT_CHOICE;
    } else if (auto* list = dynamic_cast<wxListBox*>(w)) {
        items = list;
        type = wxEVT_LISTBOX;
    }
    if (!items) {
        ADD_FAILURE() << "pick: the widget is not a list of items";
        return false;
    }
    if (index < 0 || static_cast<unsigned>(index) >= items->GetCount()) {
        ADD_FAILURE() << "pick: no item " << index << " among " << items->GetCount();
        return false;
    }
    items->SetSelection(index);
    wxCommandEvent e(type);
    e.SetInt(index);
    e.SetString(items->GetString(static_cast<unsigned>(index)));
    send(w, e);
    return true;
}

inline void chooseUnit(korvane::wx::ValueBoxWidget* box, int index) {
    wxCommandEvent e(wxEVT_MENU, korvane::wx::ValueBoxWidget::unitCommand(index));
    e.SetEventObject(box);
    box->GetEventHandler()->ProcessEvent(e);
}

// A mouse press on the upper (steps > 0) or lower half of the spin arrows.
inline void spin(korvane::wx::ValueBoxWidget* box, bool up) {
    auto* arrows = box->spinArrows();
    wxMouseEvent e(wxEVT_LEFT_DOWN);
    e.m_x = arrows->GetClientSize().x / 2;
    e.m_y = up ? 1 : arrows->GetClientSize().y - 2;
    e.SetEventObject(arrows);
    arrows->GetEventHandler()->ProcessEvent(e);
}

// A click on a notebook tab: the change is asked for first, as the toolkit does.
inline bool selectTab(wxNotebook* book, int index) {
    wxBookCtrlEvent e(wxEVT_NOTEBOOK_PAGE_CHANGING, book->GetId(), index, book->GetSelection());
    e.SetEventObject(book);
    book->GetEventHandler()->ProcessEvent(e);
    if (!e.IsAllowed()) return false;
    book->ChangeSelection(static_cast<size_t>(index));
    return true;
}

// Pixel statistics of a region of a screenshot.
struct Region {
    double mean = 0;   // mean luminance
    double spread = 0; // standard deviation of luminance
    int darkest = 255; // darkest luminance
};

inline Region measure(const wxImage& img, const wxRect& r) {
    Region out;
    double sum = 0, sq = 0;
    long n = 0;
    for (int y = std::max(0, r.y); y < std::min(img.GetHeight(), r.GetBottom() + 1); ++y)
        for (int x = std::max(0, r.x); x < std::min(img.GetWidth(), r.GetRight() + 1); ++x) {
            const int l = (img.GetRed(x, y) * 30 + img.GetGreen(x, y) * 59 + img.GetBlue(x, y) * 11) / 100;
            sum += l;
            sq += static_cast<double>(l) * l;
            out.darkest = std::min(out.darkest, l);
            ++n;
        }
    if (n) {
        out.mean = sum / static_cast<double>(n);
        out.spread = std::sqrt(std::max(0.0, sq / static_cast<double>(n) - out.mean * out.mean));
    }
    return out;
}

// The inside of a value box's text field (its frame left out), in dialog coordinates.
inline wxRect textArea(korvane::wx::WindowView& v, int id, int page = -1) {
    const wxRect box = v.rectInDialog(id, page);
    const wxSize field = v.valueBox(id, page)->text()->GetSize();
    return wxRect(box.x, box.y, field.x, box.height).Deflate(3);
}

// Where the screenshots go (KORVANE_ARTIFACTS, else the working folder).
inline std::string artefact(const std::string& name) {
    return wxtesting::artefactPath(name);
}

} // namespace drive
