// The two composite widgets of the presenter: the value-with-unit box (text field, spin arrows, unit
// list) and the editable list (virtual rows read from the model, in-place cell editing).
#pragma once

#include "wxpresenter/wxpresenter.h"

#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

class wxButton;

namespace korvane::wx {

// Up and down arrows drawn side by side with the text field; a click on the upper half spins up.
class SpinArrows : public wxWindow {
  public:
    SpinArrows(wxWindow* parent, const wxRect& r, std::function<void(int)> onSpin);
    void click(int steps) { onSpin_(steps); }

  private:
    void paint();
    std::function<void(int)> onSpin_;
};

class ValueBoxWidget : public wxPanel {
  public:
    ValueBoxWidget(wxWindow* parent, WindowView& view, CWnd& model, ValueBoxExtension& box, const wxRect& r,
                   DialogBaseUnits base);

    wxTextCtrl* text() const { return text_; }
    SpinArrows* spinArrows() const { return spin_; }
    wxButton* unitButton() const { return unit_; }
    // Offers the unit choices as a menu under the unit button.
    void openUnitMenu();
    // The menu command of unit choice `index`, as the menu sends it.
    static int unitCommand(int index);

    // Text typed but not yet handed to the model.
    bool pending() const;
    void syncFromModel();

  private:
    void onUnitCommand(int index);
    WindowView& view_;
    CWnd& model_;
    ValueBoxExtension& box_;
    wxTextCtrl* text_ = nullptr;
    SpinArrows* spin_ = nullptr;
    wxButton* unit_ = nullptr;
    wxString shown_; // the model text last shown
};

class EditableList : public wxListCtrl {
  public:
    EditableList(wxWindow* parent, WindowView& view, CWnd& model, const wxRect& r);

    void syncFromModel();
    // Opens the in-place editor on a cell (a double click or F2 does this for a person).
    bool beginEdit(long row, int col);
    wxTextCtrl* editor() const { return editor_; }
    // Hands the editor's text to the model (commit) or drops it; closes the editor.
    void finishEdit(bool commit);
    int editRow() const { return editRow_; }
    int editCol() const { return editCol_; }

  protected:
    wxString OnGetItemText(long item, long column) const override;

  private:
    int columnAt(int x) const;
    WindowView& view_;
    CWnd& model_;
    wxTextCtrl* editor_ = nullptr;
    int editRow_ = -1, editCol_ = -1;
    std::vector<CString> columns_;
    std::vector<int> widths_;
};

} // namespace korvane::wx
