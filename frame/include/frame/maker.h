// The model-maker frame: what every maker plug-in is built on — the set-up records of its value
// boxes, the sheet and page bases, the parameter dialog base, the two exports and the per-library
// globals.
#pragma once

#include "library/unitbox.h"
#include "platform/cstring.h"
#include "platform/presenter.h"
#include "platform/resources.h"
#include "platform/window.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// One value box's set-up, in box order.
struct UnitBoxSetup {
    bool enabled;
    int unitKind;
    int lowPrefix;
    int highPrefix;
    double minimum;
    double maximum;
    int digits;
    bool boxFlag;
    double defaultValue;
};

// The parameter dialog's record: the string-table ID of the label in front.
struct LabelledUnitBoxSetup {
    unsigned labelId;
    UnitBoxSetup box;
};

namespace frame {

// The plug-in's resource instance handle (its string table and dialogs), set when the library loads.
HINSTANCE instance();
void setInstance(HINSTANCE h);

// Sets a box up from its record (unit, prefixes, limits exchanged when reversed, digits, flag,
// enable, show, no-unit flag). `unitByName` is the lossy-line maker's way: ResetUnitName instead of the
// unit-name string.
void setUpBox(CUserDefValueSpinUnitBox& box, const UnitBoxSetup& record, bool unitByName = false);

// Help request of a page or dialog: library instance and context number, then the default handling.
void requestHelp(CDialog& window, std::uintptr_t helpNumber);

// The four messages every maker library registers when it is loaded.
struct RegisteredMessages {
    UINT dataChanged;
    UINT dataChanging;
    UINT selectUnit;
    UINT destroyUnitList;
};
const RegisteredMessages& messages();

// Yes/No question from the plug-in's string table; true when the user answered Yes.
bool ask(unsigned stringId);

} // namespace frame

// A page of a maker's property sheet: N labels and unit boxes on statics 9241 + k and edits 9221 + k.
class CMakerPage : public CPropertyPage {
  public:
    CMakerPage(unsigned templateId, std::span<const UnitBoxSetup> setup);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int boxCount() const { return static_cast<int>(m_values.size()); }
    CUserDefValueSpinUnitBox& box(int k) { return *m_boxes[static_cast<size_t>(k)]; }
    CWnd* label(int k) { return m_labels[static_cast<size_t>(k)]; }
    bool initialised() const { return m_bInitialised; }
    std::uintptr_t helpContext() const { return m_nHelpContext; }

    std::vector<double> m_values;

  protected:
    // Page-specific parts of the initialisation.
    virtual std::uintptr_t helpContextNumber() const = 0;
    virtual std::uintptr_t helpBits() const { return 0; }
    virtual void controlSetup() {}
    virtual void finalStep() {}

    CPropertySheet* m_pSheet = nullptr;
    std::uintptr_t m_nHelpContext = 0;
    bool m_bInitialised = false;
    std::span<const UnitBoxSetup> m_setup;
    std::vector<CWnd*> m_labels;
    std::vector<std::unique_ptr<CUserDefValueSpinUnitBox>> m_boxes;
};

// A maker's property sheet: caption string 8, the Help button and no Apply button; OK saves every page
// and runs the computation.
class CMakerSheet : public CPropertySheet {
  public:
    explicit CMakerSheet(CString& text, unsigned captionId = 8);
    BOOL OnInitDialog() override;

  protected:
    // The maker's computation and text; false keeps the sheet open (a declined fallback).
    virtual bool compute() = 0;
    // Makers that format their caption do it here (the caption format is the sheet's initial text).
    virtual void formatCaption() {}
    void onOk();

    CString& m_text;
    CString m_captionFormat;
};

// A maker's parameter dialog (dialog 103): N labelled boxes on statics 9221 + k and edits 9201 + k.
class CMakerDialog : public CDialog {
  public:
    CMakerDialog(CString& text, std::span<const LabelledUnitBoxSetup> setup, unsigned templateId = 103);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int boxCount() const { return static_cast<int>(m_values.size()); }
    CUserDefValueSpinUnitBox& box(int k) { return *m_boxes[static_cast<size_t>(k)]; }
    CWnd* label(int k) { return m_labels[static_cast<size_t>(k)]; }
    bool initialised() const { return m_bInitialised; }

    std::vector<double> m_values;

  protected:
    virtual std::uintptr_t helpContextNumber() const = 0;
    virtual std::uintptr_t helpBits() const { return 0; }
    virtual void pageHook() {}
    virtual void controlSetup() {}
    virtual void finalStep() {}
    // Saves, computes and writes the text; false with the control that is wrong keeps the dialog open.
    virtual bool build(int& wrongControl) = 0;
    void onOk();

    CString& m_text;
    std::uintptr_t m_nHelpContext = 0;
    bool m_bInitialised = false;
    std::span<const LabelledUnitBoxSetup> m_setup;
    std::vector<CWnd*> m_labels;
    std::vector<std::unique_ptr<CUserDefValueSpinUnitBox>> m_boxes;
};

namespace frame {

// Runs one maker window the way CreateModelMaker does: the plug-in's resources for the duration of
// the call, the window built on the stack, 1 for OK after a successful computation, else 0 with the
// text empty.
template <typename Window> int runMaker(CString& text) {
    HINSTANCE saved = AfxGetResourceHandle();
    HINSTANCE own = instance();
    if (own) AfxSetResourceHandle(own);
    int result = 0;
    try {
        Window window(text);
        result = window.DoModal() == IDOK ? 1 : 0;
    } catch (...) {
        result = 0;
    }
    if (!result) text.Empty();
    if (saved) AfxSetResourceHandle(saved);
    return result;
}

// Registers the plug-in's resources and records its instance while the library is loaded.
class ModuleRegistration {
  public:
    ModuleRegistration(const ResourceModule& module, CWinApp& app);
    ~ModuleRegistration();

  private:
    const ResourceModule& module_;
};

} // namespace frame

// Defines the two exports of a maker plug-in.
#define KORVANE_MAKER_EXPORTS(WindowClass, nameString)                                                       \
    extern "C" __attribute__((visibility("default"))) CString GetModelMakerName() {                          \
        return CString(nameString);                                                                          \
    }                                                                                                        \
    extern "C" __attribute__((visibility("default"))) int CreateModelMaker(CString& text) {                  \
        return frame::runMaker<WindowClass>(text);                                                           \
    }
