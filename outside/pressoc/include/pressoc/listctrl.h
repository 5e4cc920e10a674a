// The outside list library: an editable report list with virtual rows. `CVirtualListCtrl` takes over a
// list control of a page or dialog and keeps its rows there (so a presenter draws what it holds);
// `CListCtrlExtEditable` adds columns whose cells the user may edit in place.
#pragma once

#include "platform/cstring.h"
#include "platform/window.h"

#include <functional>

using DWORD = std::uint32_t;

// The parts of a list item the calls use.
struct LVITEM {
    UINT mask = 0;
    int iItem = 0;
    int iSubItem = 0;
    const char* pszText = nullptr;
};
enum : UINT { LVIF_TEXT = 0x1 };

class CVirtualListCtrl : public ControlExtension {
  public:
    CVirtualListCtrl() = default;
    CVirtualListCtrl(const CVirtualListCtrl&) = delete;
    CVirtualListCtrl& operator=(const CVirtualListCtrl&) = delete;
    ~CVirtualListCtrl() override;

    // Takes over control `id` of `parent` (a list control). False when there is no such list.
    bool SubclassDlgItem(int id, CWnd* parent);
    CWnd* control() const { return list_; }

    int GetItemCount() const;
    bool DeleteAllItems();
    // The list has as many rows as its item count. Items are numbered from 1: an item fills the first
    // cell of its row when that row exists, and one numbered just past the last row adds a row.
    // Returns the row (from 0), or -1.
    int InsertItem(const LVITEM& item);
    // Rows beyond `count` are dropped; new rows are empty.
    bool SetItemCountEx(int count, DWORD flags = 0);
    bool SetCellText(int row, int col, const CString& text);
    CString GetCellText(int row, int col) const;

    // Geometry in pixels of the reference dialog font. Column widths are the control's own (a negative
    // width is taken as 0); without a control there are no columns.
    int GetWindowWidth() const;
    int GetClientWidth() const;
    int GetCountPerPage() const;
    int GetColumnWidth(int col) const;
    bool SetColumnWidth(int col, int width);
    int GetColumnCount() const;

    // The control's window is gone: the list lets go of it.
    void controlDestroyed(CWnd* control) override;

    // The most rows a list holds; a larger count is refused.
    static constexpr int kMaxRows = 100000;

  protected:
    // A new control was taken over.
    virtual void attached() {}

    CWnd* list_ = nullptr;
};

class CListCtrlExtEditable : public CVirtualListCtrl {
  public:
    // Adds column `col` with its title and width. The first flag makes the column's cells editable;
    // the other seven (alignment, editor kind, limits) are kept as given for the drawing.
    int AddColumn(int col, int width, const CString& title, int editable, int format, int reserved1,
                  int editKind, int autoCommit, int reserved2, int reserved3, int mask);

    bool IsColumnEditable(int col) const;

    // The owner's word on a typed cell before it is taken: a refusal keeps the old text and sends no
    // "Edit Data".
    using EditCheck = std::function<EditVerdict(int row, int col, const CString& text)>;
    void SetEditCheck(EditCheck check) { check_ = std::move(check); }

    struct ColumnFlags {
        int editable, format, reserved1, editKind, autoCommit, reserved2, reserved3, mask;
    };
    const std::vector<ColumnFlags>& columnFlags() const { return flags_; }

  private:
    void attached() override { flags_.clear(); }
    void hookCells();

    std::vector<ColumnFlags> flags_;
    EditCheck check_;
};
