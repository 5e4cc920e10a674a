// Resource modules: the string tables and dialog templates of each program or plug-in, and the
// current resource handle through which dialogs and strings are looked up (the plug-in frame switches
// it for the duration of a call).
#pragma once

#include "platform/cstring.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class ControlKind {
    Static,
    Edit,
    PushButton,
    DefPushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    ComboBox,
    ListBox,
    ListControl,
    EtchedLine,
};

// A rectangle in dialog units: x, y, width, height.
struct DlgRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Control styles the window model and a GUI need to know about.
enum : std::uint32_t {
    kStyleGroup = 0x1,      // starts a radio-button group
    kStyleRight = 0x2,      // right-aligned static text
    kStyleCenterV = 0x4,    // vertically centred static text
    kStyleHidden = 0x8,     // not visible at creation
    kStyleDisabled = 0x10,  // disabled at creation
    kStyleMultiline = 0x20, // multi-line edit
    kStyleReadOnly = 0x40,  // read-only edit
    kStyleDropList = 0x80,  // combo box without an edit field
    kStyleVScroll = 0x100,  // list or edit with a vertical scroll bar
    kStyleSort = 0x200,     // sorted list/combo box
};

struct ControlTemplate {
    int id = -1; // -1 for controls that are never addressed (group boxes, etched lines)
    ControlKind kind = ControlKind::Static;
    std::string text;
    DlgRect rect;
    std::uint32_t style = 0;
};

struct DialogTemplate {
    unsigned id = 0;
    std::string caption;
    int width = 0, height = 0; // dialog units
    std::vector<ControlTemplate> controls;
    std::string fontName = "Sans";
    int fontPoints = 9;
};

struct ResourceModule {
    std::string name;
    std::map<unsigned, std::string> strings;
    std::map<unsigned, DialogTemplate> dialogs;
};

using HINSTANCE = const ResourceModule*;

// Registers a module on the resource chain (a plug-in does this when it is loaded; a program at start).
// The module must outlive its registration.
void AfxRegisterResourceModule(const ResourceModule* module);
void AfxUnregisterResourceModule(const ResourceModule* module);
HINSTANCE AfxFindResourceModule(const char* name);

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE h);

// Looks up in the current module first, then along the chain in registration order.
const DialogTemplate* AfxFindDialogTemplate(unsigned id);
// A string of one module; empty when the module or the id is unknown.
CString AfxLoadString(HINSTANCE module, unsigned id);
// A string through the current module and then the chain.
CString AfxLoadString(unsigned id);

// The application object of a program or plug-in: created when the program starts or the library is
// loaded; its initialisation records the module's resource instance.
class CWinApp {
  public:
    explicit CWinApp(const char* appName = nullptr) : m_pszAppName(appName) {}
    virtual ~CWinApp() = default;
    virtual int InitInstance() { return 1; }
    virtual int ExitInstance() { return 0; }
    const char* m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
};
