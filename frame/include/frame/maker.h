// The model-maker frame: what every maker plug-in is built on — the set-up records of its value
// boxes, the sheet and page bases, the parameter dialog base, the two exports and the per-library
// globals.
#pragma once

#include "frame/boxes.h"
#include "frame/core.h"
#include "library/unitbox.h"
#include "platform/cstring.h"
#include "platform/presenter.h"
#include "platform/resources.h"
#include "platform/window.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

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

// A page's or dialog's help context number and the bits some makers set on it.
struct Help {
    std::uintptr_t context = 0;
    std::uintptr_t bits = 0;
};

// Yes/No question from the plug-in's string table; true when the user answered Yes.
bool ask(unsigned stringId);
// An OK-only message (a refused computation: the window stays open).
void tell(const std::string& text);
// The same with a string of the plug-in's string table.
void tell(unsigned stringId);

} // namespace frame

// A page of a maker's property sheet: N labels and unit boxes on statics 9241 + k and edits 9221 + k.
class CMakerPage : public CPropertyPage {
  public:
    CMakerPage(unsigned templateId, std::span<const UnitBoxSetup> setup, int editBase = 9221,
               int labelBase = 9241);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int boxCount() const { return static_cast<int>(m_boxes.size()); }
    CUserDefValueSpinUnitBox& box(int k) { return *m_boxes[static_cast<size_t>(k)]; }
    CWnd* label(int k) { return m_labels[static_cast<size_t>(k)]; }
    // Enables or greys boxes first … end - 1 (end -1: to the last box); nothing before the page is
    // created, since its set-up reads the state again.
    void enableBoxes(int first, int end, bool on) {
        if (!exists()) return;
        for (int k = first; k < (end < 0 ? boxCount() : end); ++k)
            box(k).EnableWindow(on);
    }
    bool initialised() const { return m_bInitialised; }
    std::uintptr_t helpContext() const { return m_nHelpContext; }
    int editId(int k) const { return m_editBase + k; }

    // The values in box order, for pages not described by a table.
    std::vector<double> m_values;

  protected:
    // Where box k's value is kept; a table page binds it to the maker's inputs.
    virtual double& value(int k) { return m_values[static_cast<size_t>(k)]; }

    // Page-specific parts of the initialisation.
    virtual std::uintptr_t helpContextNumber() const = 0;
    virtual std::uintptr_t helpBits() const { return 0; }
    virtual void controlSetup() {}
    virtual void finalStep() {}

    CPropertySheet* m_pSheet = nullptr;
    std::uintptr_t m_nHelpContext = 0;
    bool m_bInitialised = false;
    std::vector<UnitBoxSetup> m_setup;
    int m_editBase, m_labelBase;
    std::vector<CWnd*> m_labels;
    std::vector<std::unique_ptr<CUserDefValueSpinUnitBox>> m_boxes;
};

// A sheet page described by a table: its boxes are bound to fields of the maker's inputs, which the
// sheet owns. The fields take the table's defaults when the page object is built.
template <typename Inputs> class CTablePage : public CMakerPage {
  public:
    CTablePage(const frame::BoxTable<Inputs>& table, Inputs& in, frame::Help help = {})
        : CMakerPage(table.templateId, {}, table.edit(0), table.labelControl(0)), m_table(table), m_in(in),
          m_help(help) {
        m_setup = table.setups();
        for (size_t k = 0; k < m_setup.size(); ++k)
            m_boxes.push_back(std::make_unique<CUserDefValueSpinUnitBox>());
        table.applyDefaults(in);
    }

  protected:
    double& value(int k) override { return m_table.rows[static_cast<size_t>(k)].field.of(m_in); }
    std::uintptr_t helpContextNumber() const override { return m_help.context; }
    std::uintptr_t helpBits() const override { return m_help.bits; }

    const frame::BoxTable<Inputs>& m_table;
    Inputs& m_in;
    frame::Help m_help;
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
    // Makers that format their caption do it here, from m_captionFormat (the sheet's initial text).
    virtual void formatCaption() {}
    void onOk();

    CString& m_text;
    CString m_captionFormat;
};

// A sheet of two table pages over the maker's inputs, which it owns; the maker adds the computation.
template <typename Inputs> class CTwoPageSheet : public CMakerSheet {
  public:
    CTwoPageSheet(CString& text, const frame::BoxTable<Inputs>& first, frame::Help firstHelp,
                  const frame::BoxTable<Inputs>& second, frame::Help secondHelp)
        : CMakerSheet(text), m_page1(first, m_in, firstHelp), m_page2(second, m_in, secondHelp) {
        AddPage(&m_page1);
        AddPage(&m_page2);
    }

  protected:
    Inputs m_in;
    CTablePage<Inputs> m_page1, m_page2;
};

// A maker's parameter dialog (dialog 103): N labelled boxes on statics 9221 + k and edits 9201 + k.
class CMakerDialog : public CDialog {
  public:
    CMakerDialog(CString& text, std::span<const LabelledUnitBoxSetup> setup, unsigned templateId = 103,
                 int editBase = 9201, int labelBase = 9221);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    int boxCount() const { return static_cast<int>(m_boxes.size()); }
    CUserDefValueSpinUnitBox& box(int k) { return *m_boxes[static_cast<size_t>(k)]; }
    CWnd* label(int k) { return m_labels[static_cast<size_t>(k)]; }
    bool initialised() const { return m_bInitialised; }
    int editId(int k) const { return m_editBase + k; }

    // The values in box order, for dialogs not described by a table.
    std::vector<double> m_values;

  protected:
    virtual double& value(int k) { return m_values[static_cast<size_t>(k)]; }
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
    std::vector<LabelledUnitBoxSetup> m_setup;
    int m_editBase, m_labelBase;
    std::vector<CWnd*> m_labels;
    std::vector<std::unique_ptr<CUserDefValueSpinUnitBox>> m_boxes;
};

// A parameter dialog described by a table; it owns the maker's inputs, which start at the table's
// defaults.
template <typename Inputs> class CTableDialog : public CMakerDialog {
  public:
    CTableDialog(CString& text, const frame::BoxTable<Inputs>& table, frame::Help help = {})
        : CMakerDialog(text, {}, table.templateId, table.edit(0), table.labelControl(0)), m_table(table),
          m_help(help) {
        for (const auto& r : table.rows) {
            m_setup.push_back({r.labelId, r.setup()});
            m_boxes.push_back(std::make_unique<CUserDefValueSpinUnitBox>());
        }
        table.applyDefaults(m_in);
    }

    Inputs m_in{};

  protected:
    double& value(int k) override { return m_table.rows[static_cast<size_t>(k)].field.of(m_in); }
    std::uintptr_t helpContextNumber() const override { return m_help.context; }
    std::uintptr_t helpBits() const override { return m_help.bits; }

    const frame::BoxTable<Inputs>& m_table;
    frame::Help m_help;
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

// A plug-in's resources: its name, its string table and the templates of its tables (a parameter
// dialog's label strings join the string table).
template <typename... Tables>
ResourceModule resources(const char* name, std::map<unsigned, std::string> strings, const Tables&... tables) {
    ResourceModule m;
    m.name = name;
    m.strings = std::move(strings);
    (
        [&] {
            if (tables.form == Form::ParameterDialog) tables.addLabelStrings(m);
            m.dialogs[tables.templateId] = tables.dialogTemplate();
        }(),
        ...);
    return m;
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

// Defines the plug-in's application object and registers its resources while the library is loaded.
#define KORVANE_MAKER_MODULE(AppClass, moduleName, resourcesExpression)                                      \
    namespace {                                                                                              \
    const ResourceModule g_resources = resourcesExpression;                                                  \
    class AppClass : public CWinApp {                                                                        \
      public:                                                                                                \
        AppClass() : CWinApp(moduleName) {}                                                                  \
    };                                                                                                       \
    AppClass theApp;                                                                                         \
    const frame::ModuleRegistration g_registration(g_resources, theApp);                                     \
    }

// Defines the two exports of a maker plug-in.
#define KORVANE_MAKER_EXPORTS(WindowClass, nameString)                                                       \
    extern "C" __attribute__((visibility("default"))) CString GetModelMakerName() {                          \
        return CString(nameString);                                                                          \
    }                                                                                                        \
    extern "C" __attribute__((visibility("default"))) int CreateModelMaker(CString& text) {                  \
        return frame::runMaker<WindowClass>(text);                                                           \
    }
