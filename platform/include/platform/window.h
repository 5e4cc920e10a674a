// The window model: dialogs, property sheets and pages with their controls held by ID, message maps,
// registered messages, data exchange, timers and focus — everything a maker or program does with its
// windows, without any toolkit. A presenter (presenter.h) runs a modal window for a person or a script
// and mirrors this state; the model is the single source of truth.
#pragma once

#include "platform/cstring.h"
#include "platform/resources.h"
#include "platform/winmsg.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using INT_PTR = std::intptr_t;
using BOOL = int;

enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
    ID_HELP = 0xE146, // 57670
};

enum : int { SW_HIDE = 0, SW_SHOW = 5 };
enum : int { BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2 };
enum : int { CB_ERR = -1, LB_ERR = -1 };

struct HELPINFO {
    UINT cbSize = 28;
    int iContextType = 1;
    int iCtrlId = 0;
    void* hItemHandle = nullptr;
    std::uintptr_t dwContextId = 0;
    int x = 0, y = 0;
};

// Text measuring of the presenter in force, in pixels (status panes and list columns are sized with
// it); without one each character (not byte) counts as the average width.
void SetTextMeasure(std::function<int(const CString&)> measure, int averageCharWidth);
int MeasureText(const CString& text);
int AverageCharWidth();

// Registered messages are numbered from 0xC000 by name; the same name always gives the same number.
UINT RegisterWindowMessage(const char* name);

class CWnd;
class CModalWindow;

// What an edit control's owner (a value box, say) decides about text the user typed.
struct EditVerdict {
    bool accepted = true;
    std::string reason; // why it was refused
};

// Extra behaviour a library attaches to a control (a value box on an edit control, say), so that a
// presenter can draw and drive it without knowing the library.
class ControlExtension {
  public:
    virtual ~ControlExtension() = default;
    // The control is being destroyed (its window closed): the extension must let go of it.
    virtual void controlDestroyed(CWnd* control) = 0;
};

// What a presenter needs of a value-with-unit box: its unit choices and spin buttons.
class ValueBoxExtension : public ControlExtension {
  public:
    virtual bool hasUnitList() const = 0;
    virtual std::vector<std::string> unitChoices() const = 0;
    virtual int unitChoice() const = 0;
    virtual EditVerdict chooseUnit(int index) = 0;
    virtual EditVerdict spin(int steps) = 0;
    virtual int unitListWidth() const = 0; // in dialog units
};

// A pixel image a canvas's owner paints into (32 bits a pixel, 0x00RRGGBB, rows `stride` pixels apart).
struct CanvasImage {
    const std::uint32_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
};

// A picture an owner paints for a static control (a preview, an icon); a presenter shows it centred in
// the control, scaled down when it is larger, and draws it again whenever the window is mirrored.
class PictureExtension : public ControlExtension {
  public:
    virtual CanvasImage picture() const = 0;
};

// One window or control. Controls are CWnd objects owned by their parent window; a dialog, page or
// sheet is a CWnd with children. Control state is public to the presenters through the accessors.
class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    // --- identity and tree
    int GetDlgCtrlID() const { return id_; }
    ControlKind kind() const { return kind_; }
    const DlgRect& rect() const { return rect_; }
    std::uint32_t style() const { return style_; }
    CWnd* GetParent() const { return parent_; }
    bool exists() const { return created_; } // the window (not only the C++ object) exists
    CWnd* GetDlgItem(int id) const;
    const std::vector<std::unique_ptr<CWnd>>& children() const { return children_; }
    CModalWindow* topLevel();

    // --- common state
    void SetWindowText(const char* text);
    CString GetWindowText() const { return text_; }
    void GetWindowText(CString& out) const { out = text_; }
    void EnableWindow(bool enable = true);
    bool IsWindowEnabled() const { return enabled_; }
    void ShowWindow(int cmd);
    bool IsWindowVisible() const { return visible_; }
    void SetFocus();
    void SetDlgItemText(int id, const char* text);
    CString GetDlgItemText(int id) const;

    // --- buttons
    void SetCheck(int state);
    int GetCheck() const { return check_; }
    void CheckDlgButton(int id, int state);
    int IsDlgButtonChecked(int id) const;
    // Checks `id` and unchecks the other radio buttons first..last.
    void CheckRadioButton(int first, int last, int id);
    int GetCheckedRadioButton(int first, int last) const;

    // --- combo and list boxes
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return static_cast<int>(items_.size()); }
    int SetCurSel(int index);
    int GetCurSel() const { return selection_; }
    CString GetLBText(int index) const;
    const std::vector<CString>& items() const { return items_; }
    int SetTopIndex(int index);
    int GetTopIndex() const { return topIndex_; }

    // --- list control (report view)
    int InsertColumn(int col, const char* heading, int width = 60);
    int InsertItem(int row, const char* text);
    bool SetItemText(int row, int col, const char* text);
    CString GetItemText(int row, int col) const;
    int GetItemCount() const { return static_cast<int>(cells_.size()); }
    bool DeleteItem(int row);
    bool DeleteAllItems();
    const std::vector<CString>& columns() const { return columns_; }
    const std::vector<int>& columnWidths() const { return columnWidths_; }
    // Widths are in pixels; a negative width (the framework's auto-size requests) is refused, as is a
    // column that does not exist.
    bool SetColumnWidth(int col, int width);
    int GetColumnWidth(int col) const;
    // A list control's selected row is its current selection (SetCurSel / GetCurSel).

    // --- messages
    // Sends a message to this window's message map; unhandled messages go to DefWindowProc.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Message map entries (a window registers them when it is constructed).
    void OnClicked(int id, std::function<void()> handler) { clicked_[id] = std::move(handler); }
    void OnSelChange(int id, std::function<void()> handler) { selChange_[id] = std::move(handler); }
    void OnEditChange(int id, std::function<void()> handler) { editChange_[id] = std::move(handler); }
    void OnDoubleClick(int id, std::function<void()> handler) { doubleClick_[id] = std::move(handler); }
    void OnMessage(UINT msg, std::function<LRESULT(WPARAM, LPARAM)> handler) {
        messages_[msg] = std::move(handler);
    }

    // --- what a user does (presenters call these; handlers run as for a real user)
    // Clicks a button: toggles a check box, checks a radio button within its group, then notifies
    // the parent. Returns false when the control cannot be clicked (not a button).
    bool userClick();
    // Picks an item of a combo or list box and notifies the parent.
    bool userSelect(int index);
    // Double-clicks an item of a list box or list control (after selecting it) and notifies the parent.
    bool userDoubleClick(int index);
    // Types text into an edit control and commits it (focus leaves the control or Enter is pressed).
    EditVerdict userEdit(const char* text);
    // Edits one cell of a list control: the cell hook may refuse the text; an accepted edit is announced
    // to the parent with the registered message "Edit Data".
    EditVerdict userEditCell(int row, int col, const char* text);

    // An owner that validates or reacts to committed edit text (a value box attaches here).
    void setCommitHook(std::function<EditVerdict(const CString&)> hook) { commitHook_ = std::move(hook); }
    void setCellHook(std::function<EditVerdict(int, int, const CString&)> hook) {
        cellHook_ = std::move(hook);
    }
    void setExtension(ControlExtension* e) { extension_ = e; }
    ControlExtension* extension() const { return extension_; }

    // Notification from a child control: a button click or selection change by ID.
    virtual bool OnCommand(int id, int code);

    enum : int { BN_CLICKED = 0, CBN_SELCHANGE = 1, LBN_DBLCLK = 2, EN_CHANGE = 0x300 };

    // Creates this window's controls from a template (used by dialogs and pages).
    void createControls(const DialogTemplate& t);
    // Adds one control (for windows built in code rather than from a template).
    CWnd* addControl(const ControlTemplate& t);
    void destroyControls();

  protected:
    void markCreated(bool created) { created_ = created; }
    void setParent(CWnd* parent) { parent_ = parent; }
    // Takes a child window of a derived type (a bar of a frame, say) under `id`.
    CWnd* adoptChild(std::unique_ptr<CWnd> child, int id);

  private:
    friend class CModalWindow;
    int id_ = 0;
    ControlKind kind_ = ControlKind::Static;
    DlgRect rect_;
    std::uint32_t style_ = 0;
    CWnd* parent_ = nullptr;
    bool created_ = false;
    std::vector<std::unique_ptr<CWnd>> children_;

    CString text_;
    bool enabled_ = true;
    bool visible_ = true;
    int check_ = 0;
    std::vector<CString> items_;
    int selection_ = -1;
    int topIndex_ = 0;
    std::vector<CString> columns_;
    std::vector<int> columnWidths_;
    std::vector<std::vector<CString>> cells_;

    std::map<int, std::function<void()>> clicked_;
    std::map<int, std::function<void()>> selChange_;
    std::map<int, std::function<void()>> editChange_;
    std::map<int, std::function<void()>> doubleClick_;
    std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> messages_;
    std::function<EditVerdict(const CString&)> commitHook_;
    std::function<EditVerdict(int, int, const CString&)> cellHook_;
    ControlExtension* extension_ = nullptr;
};

using CButton = CWnd;
using CStatic = CWnd;
using CEdit = CWnd;
using CComboBox = CWnd;
using CListBox = CWnd;
using CListCtrl = CWnd;

// Data exchange between controls and member values.
class CDataExchange {
  public:
    CDataExchange(CWnd* window, bool save) : m_pDlgWnd(window), m_bSaveAndValidate(save) {}
    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate;
    int failedControl = 0; // the control a failed check names
    int lastControl = 0;   // the control the last exchange used (range checks name it)
    bool failed = false;
    void Fail(int controlId) {
        failed = true;
        failedControl = controlId;
    }
};

void DDX_Text(CDataExchange* pDX, int id, CString& value);
// Numbers: loading writes "%d" or `format`; saving refuses text that is not a whole number with the
// standard message ("Please enter an integer." / "Please enter a number.").
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, double& value, const char* format = "%.15g");
// Range checks after a DDX_Text on saving, with the standard range messages.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minimum, int maximum);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minimum, double maximum);
// The text as a whole number (blanks around it allowed); false for anything else, inf and nan included.
bool parseIntText(const CString& text, int& value);
bool parseNumberText(const CString& text, double& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
// The index of the checked button in the group that starts at `firstId` (-1 when none).
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
void DDX_CBIndex(CDataExchange* pDX, int id, int& value);
// A pair of radio buttons held as a flag: 1 when `firstId` is checked, 0 for `secondId`.
void DDX_RadioPair(CDataExchange* pDX, int firstId, int secondId, int& flag);

// A window that runs modally: a dialog or a property sheet.
class CModalWindow : public CWnd {
  public:
    // Runs the window through the current presenter; returns IDOK, IDCANCEL, or -1 when the window
    // could not be created.
    virtual INT_PTR DoModal() = 0;
    void EndDialog(int result);
    bool ended() const { return ended_; }
    int modalResult() const { return result_; }

    // Caption (the window text of the top-level window).
    CString caption() const { return GetWindowText(); }

    // Focus lives in the top-level window.
    CWnd* GetFocus() const { return focus_; }
    void setFocusTo(CWnd* w) { focus_ = w; }

    // Timers: the presenter delivers WM_TIMER to the window with the timer ID.
    void SetTimer(UINT id, UINT elapseMs);
    void KillTimer(UINT id);
    const std::map<UINT, UINT>& timers() const { return timers_; }

    void CenterWindow() { centred_ = true; }
    bool centred() const { return centred_; }

    // Default buttons.
    virtual void OnOK();
    virtual void OnCancel();

    // Presenters press the window's own buttons through this (OK, Cancel, Help and the rest).
    virtual bool pressButton(int id);

    // Extra entries of the window's system menu: id and text.
    void AppendSystemMenu(UINT id, const char* text) { systemMenu_.push_back({id, text}); }
    const std::vector<std::pair<UINT, CString>>& systemMenu() const { return systemMenu_; }

    // Bumped whenever a presenter should redraw.
    void beginModal();

  private:
    bool ended_ = false;
    int result_ = 0;
    CWnd* focus_ = nullptr;
    std::map<UINT, UINT> timers_;
    bool centred_ = false;
    std::vector<std::pair<UINT, CString>> systemMenu_;
};

class CDialog : public CModalWindow {
  public:
    explicit CDialog(unsigned templateId = 0, CWnd* parent = nullptr);
    unsigned templateId() const { return templateId_; }

    INT_PTR DoModal() override;
    // Creates the window from its template without running it (pages; tests).
    bool Create();

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    bool UpdateData(bool save = true);
    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl();

    // The template this dialog was built from (after creation).
    const DialogTemplate* dialogTemplate() const { return template_; }

    // Default help handling: asks the presenter for the help topic last set for this library.
    void defaultHelp();

  protected:
    unsigned templateId_;
    const DialogTemplate* template_ = nullptr;
};

class CPropertySheet;

class CPropertyPage : public CDialog {
  public:
    explicit CPropertyPage(unsigned templateId);
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    CPropertySheet* sheet() const { return sheet_; }
    // The page's title: its template caption.
    CString title() const;

    INT_PTR DoModal() override { return -1; }

  private:
    friend class CPropertySheet;
    CPropertySheet* sheet_ = nullptr;
    bool firstSetActive_ = true;
};

enum : std::uint32_t { PSH_HASHELP = 0x200, PSH_NOAPPLYNOW = 0x80 };

class CPropertySheet : public CModalWindow {
  public:
    CPropertySheet(unsigned captionStringId, CWnd* parent = nullptr, unsigned selectPage = 0);
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return active_; }
    // Makes a page active: leaves the current one (its kill-active check may refuse), creates the
    // new page's window on first activation, then activates it.
    bool SetActivePage(int index);
    bool SetActivePage(CPropertyPage* page);

    INT_PTR DoModal() override;
    virtual BOOL OnInitDialog();

    struct Header {
        std::uint32_t dwFlags = 0;
    } m_psh;

    bool pressButton(int id) override;

  private:
    unsigned captionId_;
    unsigned startPage_;
    std::vector<CPropertyPage*> pages_;
    int active_ = -1;
};

// The sheet's buttons, created by the sheet itself (IDOK, IDCANCEL and ID_HELP when asked for).
std::vector<ControlTemplate> sheetButtons(bool withHelp);
