// The outside value-box library: a value-with-unit box that takes over an edit control, the unit
// names, string-table lookups and help targets. Every number a maker asks for is typed into one.
#pragma once

#include "library/units.h"
#include "platform/cstring.h"
#include "platform/window.h"

#include <string>
#include <vector>

class CUnitValue {
  public:
    // The symbol of a unit kind ("V", "A", "Hz", …); empty for kind 0 and for unknown kinds.
    static CString get_unit_string_name(int unitKind);
    static CString get_unit_string_name(Unit unit) { return get_unit_string_name(unitKind(unit)); }
    // The decimal prefix of a prefix index: 0 p, 1 n, 2 µ, 3 m, 4 none, 5 k, 6 M, 7 G, 8 T.
    static const char* prefix(int index);
    static double prefixScale(int index);
};

class CUserDefValueSpinParent {
  public:
    virtual ~CUserDefValueSpinParent() = default;
    // Average character width of the window's dialog font, in dialog units.
    static int GetFontWidth(CWnd* window);
};

class CUserDefValueSpinUnitBox : public CUserDefValueSpinParent, public ValueBoxExtension {
  public:
    CUserDefValueSpinUnitBox();
    ~CUserDefValueSpinUnitBox() override;
    CUserDefValueSpinUnitBox(const CUserDefValueSpinUnitBox&) = delete;
    CUserDefValueSpinUnitBox& operator=(const CUserDefValueSpinUnitBox&) = delete;

    // Takes over edit control `editId` of `parent`. The other arguments are the box's construction
    // constants; `listWidth` is the width of its unit list.
    BOOL Create(int editId, int style, int lowIndex, int highIndex, double initial, double step,
                int listWidth, CWnd* parent, int digits, bool flagA, bool flagB, int reserved, double scale,
                bool notify);

    void ResetUnitList();
    void ResetUnitCharIndex(int low, int high);
    void ResetUnitName(int unitKind);
    void ResetUnitName(Unit unit) { ResetUnitName(unitKind(unit)); }

    virtual void EnableWindow(bool enable);
    virtual void ShowWindow(int cmd);

    // Reads the value into `value` (saving) or shows `value` (loading).
    void DDX_Double(CDataExchange* pDX, double& value);

    double GetValue() const { return value_; }
    void SetValue(double value); // shows the value as it stands (no limit check: it comes from code)
    CWnd* edit() const { return edit_; }
    int editId() const { return editId_; }
    // The text the box shows for a value ("2.5 mA").
    std::string displayText(double value) const;
    // A range bound as the refusal message prints it: rounded towards the inside of the range.
    std::string boundText(double bound, bool upper) const;
    // Parses typed text into a base-unit value; false with a reason when it is not a number.
    bool parse(const std::string& text, double& value, std::string& reason) const;

    // Public set-up members the page writes before the box is shown.
    double m_dMinValue = -1e15;
    double m_dMaxValue = 1e15;
    int m_nDigits = 3;
    bool m_bBoxFlag = false;
    bool m_bNoUnit = false;
    CString m_strUnitName;

    // ValueBoxExtension
    bool hasUnitList() const override { return !m_bNoUnit; }
    std::vector<std::string> unitChoices() const override;
    int unitChoice() const override;
    EditVerdict chooseUnit(int index) override;
    EditVerdict spin(int steps) override;
    int unitListWidth() const override { return listWidth_; }
    void controlDestroyed(CWnd* control) override;

    // A typed text or a value from the spin buttons or unit list: checked against the limits, taken,
    // shown and announced to the parent with "User_Def_Data_Changed".
    EditVerdict commit(const CString& text);

  private:
    EditVerdict accept(double value);
    int bestPrefix(double value) const;
    double prefixFactor(int prefix) const;

    CWnd* edit_ = nullptr;
    CWnd* parent_ = nullptr;
    int editId_ = 0;
    int listWidth_ = 0;
    int unitKind_ = 0;
    int lowPrefix_ = 0, highPrefix_ = 8;
    int shownPrefix_ = 4;
    double value_ = 0.0;
    std::vector<std::string> choices_;
};

// A string of the library's string table (a plug-in passes its own resource handle).
CString GetResourceString(HINSTANCE instance, unsigned id);
// Makes the next help request use that library and context number.
void SetHelpDllInstance(HINSTANCE instance, std::uintptr_t context);
