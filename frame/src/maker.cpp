#include "frame/maker.h"

#include <algorithm>
#include <utility>

namespace frame {

namespace {
HINSTANCE g_instance = nullptr;
const RegisteredMessages g_messages{
    RegisterWindowMessage("User_Def_Data_Changed"), RegisterWindowMessage("User_Def_Data_Changing"),
    RegisterWindowMessage("Select_Unit_Data_Happen"), RegisterWindowMessage("Destroy_Unit_List_Window")};
} // namespace

const RegisteredMessages& messages() {
    return g_messages;
}

HINSTANCE instance() {
    return g_instance;
}
void setInstance(HINSTANCE h) {
    g_instance = h;
}

void setUpBox(CUserDefValueSpinUnitBox& box, const UnitBoxSetup& r, bool unitByName) {
    if (unitByName) {
        box.ResetUnitName(r.unitKind);
    } else {
        box.m_strUnitName = CUnitValue::get_unit_string_name(r.unitKind);
        box.ResetUnitList();
    }
    box.ResetUnitCharIndex(r.lowPrefix, r.highPrefix);
    box.ResetUnitList();
    box.m_dMinValue = r.minimum;
    box.m_dMaxValue = r.maximum;
    if (box.m_dMinValue > box.m_dMaxValue) std::swap(box.m_dMinValue, box.m_dMaxValue);
    box.m_nDigits = r.digits;
    box.m_bBoxFlag = r.boxFlag;
    box.EnableWindow(r.enabled);
    box.ShowWindow(SW_SHOW);
    if (r.unitKind == 0 && r.lowPrefix == r.highPrefix) box.m_bNoUnit = true;
}

void requestHelp(CDialog& window, std::uintptr_t helpNumber) {
    SetHelpDllInstance(instance(), helpNumber);
    window.defaultHelp();
}

bool ask(unsigned stringId) {
    CString text = GetResourceString(instance(), stringId);
    return AfxMessageBox(text, MB_YESNO) == IDYES;
}

void tell(const std::string& text) {
    AfxMessageBox(CString(text.c_str()), MB_OK | MB_ICONEXCLAMATION);
}

void tell(unsigned stringId) {
    tell(GetResourceString(instance(), stringId).str());
}

ModuleRegistration::ModuleRegistration(const ResourceModule& module, CWinApp& app) : module_(module) {
    AfxRegisterResourceModule(&module_);
    app.m_hInstance = &module_;
    setInstance(&module_);
    app.InitInstance();
}

ModuleRegistration::~ModuleRegistration() {
    AfxUnregisterResourceModule(&module_);
    setInstance(nullptr);
}

} // namespace frame

namespace {
// No simulator loads a card that says inf or nan: such a text is refused and the window stays open.
bool refusedAsNonFinite(CString& text) {
    auto message = frame::nonFiniteInText(text.str());
    if (!message) return false;
    text.Empty();
    frame::tell(*message);
    return true;
}

void createBox(CUserDefValueSpinUnitBox& box, int editId, CDialog& owner) {
    int width = CUserDefValueSpinParent::GetFontWidth(&owner);
    box.Create(editId, 0, 4, 4, 0.0, 1.0, 5 * width, &owner, 3, false, true, 0, 1.0, true);
}
} // namespace

// ---------------------------------------------------------------- sheet pages

CMakerPage::CMakerPage(unsigned templateId, std::span<const UnitBoxSetup> setup, int editBase, int labelBase)
    : CPropertyPage(templateId), m_setup(setup.begin(), setup.end()), m_editBase(editBase),
      m_labelBase(labelBase) {
    for (const auto& r : setup) {
        m_values.push_back(r.defaultValue);
        m_boxes.push_back(std::make_unique<CUserDefValueSpinUnitBox>());
    }
    OnMessage(WM_HELP, [this](WPARAM, LPARAM) {
        frame::requestHelp(*this, m_nHelpContext | helpBits());
        return LRESULT{1};
    });
}

BOOL CMakerPage::OnInitDialog() {
    m_pSheet = dynamic_cast<CPropertySheet*>(GetParent());
    m_nHelpContext = helpContextNumber();
    m_labels.clear();
    for (int k = 0; k < boxCount(); ++k) {
        m_labels.push_back(GetDlgItem(m_labelBase + k));
        createBox(box(k), m_editBase + k, *this);
    }
    for (int k = 0; k < boxCount(); ++k)
        frame::setUpBox(box(k), m_setup[static_cast<size_t>(k)]);
    controlSetup();
    UpdateData(false);
    m_bInitialised = true;
    finalStep();
    return 1;
}

void CMakerPage::DoDataExchange(CDataExchange* pDX) {
    for (int k = 0; k < boxCount(); ++k)
        box(k).DDX_Double(pDX, value(k));
}

// ---------------------------------------------------------------- sheet

CMakerSheet::CMakerSheet(CString& text, unsigned captionId)
    : CPropertySheet(captionId, nullptr, 0), m_text(text) {
    m_psh.dwFlags |= PSH_HASHELP | PSH_NOAPPLYNOW;
    m_text.Empty();
    OnClicked(IDOK, [this] { onOk(); });
}

BOOL CMakerSheet::OnInitDialog() {
    // Creates and initialises page 1 first, as the default sheet initialisation does.
    CPropertySheet::OnInitDialog();
    CenterWindow();
    m_captionFormat = GetWindowText();
    formatCaption();
    for (int i = GetPageCount() - 1; i >= 0; --i)
        SetActivePage(i);
    return 1;
}

void CMakerSheet::onOk() {
    // Every page is saved; a page check never stops the computation.
    for (int i = 0; i < GetPageCount(); ++i)
        if (CPropertyPage* p = GetPage(i); p->exists()) p->UpdateData(true);
    if (!compute()) return;
    if (refusedAsNonFinite(m_text)) return;
    EndDialog(IDOK);
}

// ---------------------------------------------------------------- parameter dialog

CMakerDialog::CMakerDialog(CString& text, std::span<const LabelledUnitBoxSetup> setup, unsigned templateId,
                           int editBase, int labelBase)
    : CDialog(templateId), m_text(text), m_setup(setup.begin(), setup.end()), m_editBase(editBase),
      m_labelBase(labelBase) {
    m_text.Empty();
    for (const auto& r : setup) {
        m_values.push_back(r.box.defaultValue);
        m_boxes.push_back(std::make_unique<CUserDefValueSpinUnitBox>());
    }
    OnMessage(WM_HELP, [this](WPARAM, LPARAM) {
        frame::requestHelp(*this, m_nHelpContext | helpBits());
        return LRESULT{1};
    });
    OnClicked(IDOK, [this] { onOk(); });
    // The dialog's Help button asks for the same help as F1.
    OnClicked(ID_HELP, [this] {
        HELPINFO info;
        info.cbSize = 28;
        SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    });
}

BOOL CMakerDialog::OnInitDialog() {
    m_nHelpContext = helpContextNumber();
    CenterWindow();
    m_labels.clear();
    for (int k = 0; k < boxCount(); ++k) {
        m_labels.push_back(GetDlgItem(m_labelBase + k));
        createBox(box(k), m_editBase + k, *this);
    }
    for (int k = 0; k < boxCount(); ++k) {
        const auto& r = m_setup[static_cast<size_t>(k)];
        if (CWnd* l = label(k)) {
            l->ShowWindow(SW_SHOW);
            l->SetWindowText(GetResourceString(frame::instance(), r.labelId));
        }
        frame::setUpBox(box(k), r.box);
    }
    pageHook();
    controlSetup();
    UpdateData(false);
    finalStep();
    m_bInitialised = true;
    return 1;
}

void CMakerDialog::DoDataExchange(CDataExchange* pDX) {
    for (int k = 0; k < boxCount(); ++k)
        box(k).DDX_Double(pDX, value(k));
}

void CMakerDialog::onOk() {
    int wrong = 0;
    if (!build(wrong)) {
        if (CWnd* c = GetDlgItem(wrong)) c->SetFocus();
        return;
    }
    if (refusedAsNonFinite(m_text)) return;
    UpdateData(true);
    EndDialog(IDOK);
}
