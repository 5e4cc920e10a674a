// Brannock: the four-terminal MOSFET maker. Four pages of data-sheet values (output curves, one of
// three ways of giving the transfer characteristic, capacitances), two preset sets that follow the
// channel type, and on OK a level-1 .MODEL card with an echo of every input.
#include "extraction.h"
#include "presets.h"

#include "frame/maker.h"
#include "platform/format.h"

#include <array>
#include <span>
#include <string>

namespace {

using namespace brannock;

enum : int {
    IDC_CHANNEL_TYPE = 1264,
    IDC_SMALL_VDS = 1169,
    IDC_LARGE_VDS = 1170,
    IDC_THREE_CURVES = 1266,
    IDC_ROUTE_A = 1174,
    IDC_ROUTE_B = 1175,
    IDC_ROUTE_C = 1176,
    IDC_ROUTE_NONE = 1177,
    IDC_BULK_YES = 504,
    IDC_BULK_NO = 505,
    IDC_NO_CURVES = 1173,
    kEditBase = 9221,
    kLabelBase = 9241,
};

enum : unsigned { IDD_GENERAL = 100, IDD_TRANSFER_AB = 101, IDD_TRANSFER_C = 102, IDD_CAPACITANCE = 103 };

// ---------------------------------------------------------------- resources

constexpr std::array<const char*, kGeneralCount> kGeneralLabels{
    "Max Drain Current",           "Vgs for the curve (Vgs_ohmic)",
    "Drain Current (Ids_Ohmic)",   "Vds when drain current is Ids_Ohmic (Vds_Ohmic)",
    "Vgs for this curve (Vgs_f0)", "Drain Current (Ids_f00)",
    "Vds_f00(lower Vds)",          "Drain Current (Ids_f01)",
    "Vds_f01 (higher Vds)",        "Vgs for this curve (Vgs_f1)",
    "Drain Current (Ids_f10)",     "Vds_f10(lower Vds)",
    "Drain Current (Ids_f11)",     "Vds_f11 (higher Vds)",
    "Vgs for this curve (Vgs_f2)", "Drain Current (Ids_f20)",
    "Vds_f20(lower Vds)",          "Drain Current (Ids_f21)",
    "Vds_f21 (higher Vds)",
};
constexpr std::array<const char*, kTransferCount> kTransferLabels{
    "Drain Current (Ids_A1)", "Vgs_A1 (lower Vgs)",     "Drain Current (Ids_A2)",
    "Vgs_A2 (higher Vgs)",    "Vds for Ids-Vgs curve",  "Drain Current (Ids_B1)",
    "Vgs_B1 (lower Vgs)",     "Drain Current (Ids_B2)", "Vgs_B2 (higher Vgs)",
};
constexpr std::array<const char*, kOptionCCount> kOptionCLabels{
    "Vsb for this curve (Vsb_C1)", "Drain Current (Ids_C11)",     "Vgs_C11 (lower Vgs)",
    "Drain Current (Ids_C12)",     "Vgs_C12 (higher Vgs)",        "Vsb for this curve (Vsb_C2)",
    "Drain Current (Ids_C21)",     "Vgs_C21 (lower Vgs)",         "Drain Current (Ids_C22)",
    "Vgs_C22 (higher Vgs)",        "Vsb for this curve (Vsb_C3)", "Drain Current (Ids_C31)",
    "Vgs_C31 (lower Vgs)",         "Drain Current (Ids_C32)",     "Vgs_C32 (higher Vgs)",
};
constexpr std::array<const char*, kCapacitanceCount> kCapacitanceLabels{
    "Feed-back capacitance",
    "Input capacitance",
    "Output capacitance",
    "Drain-Substrate Voltage",
    "At Vds_cap1 (lowest value)",
    "Feed-back capacitance  (Crs1)",
    "Output capacitance (Cos1)",
    "At Vds_cap2 (intermediate low)",
    "Feed-back capacitance  (Crs2)",
    "Output capacitance (Cos2)",
    "At Vds_cap3 (intermediate high)",
    "Feed-back capacitance  (Crs3)",
    "Output capacitance (Cos3)",
    "At Vds_cap (highest value)",
    "Feed-back capacitance  (Crs4)",
    "Output capacitance (Cos4)",
};

// Lays out a page in dialog units: group boxes holding one labelled value box a row.
class PageLayout {
  public:
    PageLayout(unsigned id, const char* caption, int width, int height) {
        d_.id = id;
        d_.caption = caption;
        d_.width = width;
        d_.height = height;
    }
    void control(int id, ControlKind kind, const char* text, DlgRect r, std::uint32_t style = 0) {
        d_.controls.push_back({id, kind, text, r, style});
    }
    void group(const char* title, DlgRect r) { control(-1, ControlKind::GroupBox, title, r); }
    void box(int k, const char* label, int x, int y, int labelWidth = 150, int editWidth = 66) {
        control(kLabelBase + k, ControlKind::Static, label, {x, y + 2, labelWidth, 8},
                kStyleRight | kStyleCenterV);
        control(kEditBase + k, ControlKind::Edit, "", {x + labelWidth + 4, y, editWidth, 12});
    }
    // A group box of boxes first … first + count − 1 at (x, y); returns the y below it.
    template <size_t N>
    int column(const char* title, const std::array<const char*, N>& labels, int first, int count, int x,
               int y) {
        const int h = 14 * count + 18;
        group(title, {x, y, kColumnWidth, h});
        for (int i = 0; i < count; ++i)
            box(first + i, labels[static_cast<size_t>(first + i)], x + 6, y + 12 + 14 * i);
        return y + h + 4;
    }
    DialogTemplate take() { return std::move(d_); }

    static constexpr int kColumnWidth = 236;
    static constexpr int kLeft = 6;
    static constexpr int kRight = 248;

  private:
    DialogTemplate d_;
};

DialogTemplate generalPage() {
    PageLayout p(IDD_GENERAL, "General", 490, 206);
    using K = ControlKind;
    const int L = PageLayout::kLeft, R = PageLayout::kRight;
    p.group("General", {L, 4, PageLayout::kColumnWidth, 46});
    p.control(-1, K::Static, "Channel Type of Mosfet", {L + 6, 17, 150, 8}, kStyleRight | kStyleCenterV);
    p.control(IDC_CHANNEL_TYPE, K::ComboBox, "", {L + 160, 15, 66, 60}, kStyleDropList | kStyleVScroll);
    p.box(0, kGeneralLabels[0], L + 6, 31);
    int y = p.column("Output Characteristics in Ohmic region", kGeneralLabels, 1, 3, L, 54);
    p.column("Ids_Vds curve 1 (for lowest Vgs)", kGeneralLabels, 4, 5, L, y);
    y = p.column("Ids_Vds curve 2 (for intermediate Vgs)", kGeneralLabels, 9, 5, R, 4);
    p.column("Ids_Vds curve 3 (for highest Vgs)", kGeneralLabels, 14, 5, R, y);
    return p.take();
}

DialogTemplate transferPage() {
    PageLayout p(IDD_TRANSFER_AB, "Transfer Characteristics - Option A,B", 490, 206);
    using K = ControlKind;
    const int L = PageLayout::kLeft, R = PageLayout::kRight;
    p.group("Vds for Id-Vgs curve", {L, 4, PageLayout::kColumnWidth, 40});
    p.control(IDC_SMALL_VDS, K::RadioButton, "Input Id-Vgs curve for small Vds", {L + 6, 16, 220, 10},
              kStyleGroup);
    p.control(IDC_LARGE_VDS, K::RadioButton, "Input Id-Vgs curve for large Vds", {L + 6, 28, 220, 10});
    p.group("Multi Id-Vgs curve", {L, 48, PageLayout::kColumnWidth, 28});
    p.control(IDC_THREE_CURVES, K::CheckBox, "Three Id-Vgs curves for different Vsb are available",
              {L + 6, 60, 224, 10}, kStyleGroup);
    // The four route labels share one place; routing shows one of them.
    p.control(IDC_ROUTE_A, K::Static, "Go to Option A", {L + 6, 82, 224, 18});
    p.control(IDC_ROUTE_B, K::Static, "Go to Option B", {L + 6, 82, 224, 18});
    p.control(IDC_ROUTE_C, K::Static, "Go to Option C (Next Page)", {L + 6, 82, 224, 18});
    p.control(IDC_ROUTE_NONE, K::Static, "Not modelled\nGo to other options", {L + 6, 82, 224, 18});
    p.column("Transfer Characteristics: Id-Vgs (Option A)", kTransferLabels, 0, 4, L, 106);
    p.column("Transfer Characteristics: Ids-Vgs (Option B) ", kTransferLabels, 4, 5, R, 4);
    return p.take();
}

DialogTemplate optionCPage() {
    PageLayout p(IDD_TRANSFER_C, "Transfer Characteristics - Option C", 490, 206);
    const int L = PageLayout::kLeft, R = PageLayout::kRight;
    const int y = p.column("Ids-Vgs Curve for lowest Vsb", kOptionCLabels, 0, 5, L, 4);
    p.column("Ids-Vgs Curve for intermediate Vsb", kOptionCLabels, 5, 5, L, y);
    p.column("Ids-Vgs for highest Vsb", kOptionCLabels, 10, 5, R, 4);
    return p.take();
}

DialogTemplate capacitancePage() {
    PageLayout p(IDD_CAPACITANCE, "Junction Capacitance Chart", 530, 206);
    using K = ControlKind;
    const int L = PageLayout::kLeft, R = PageLayout::kRight;
    p.group("Conditions", {L, 4, PageLayout::kColumnWidth, 60});
    p.control(-1, K::Static, "Bulk and Source connected ?", {L + 6, 17, 120, 8});
    p.control(IDC_BULK_YES, K::RadioButton, "Yes", {L + 130, 16, 40, 10}, kStyleGroup);
    p.control(IDC_BULK_NO, K::RadioButton, "No", {L + 176, 16, 40, 10});
    p.control(IDC_NO_CURVES, K::CheckBox, "Coss-Vds, and  Crss-Vds curves NOT available",
              {L + 6, 34, 224, 20}, kStyleGroup);
    p.column("Capacitance values from datasheet", kCapacitanceLabels, 0, 4, R, 4);
    // One row per curve point: its voltage, feed-back and output capacitance.
    p.group("Capacitances vs. Drain-to-Source Voltage", {L, 90, 518, 4 * 14 + 18});
    for (int point = 0; point < 4; ++point)
        for (int j = 0; j < 3; ++j) {
            const int k = 4 + 3 * point + j;
            p.box(k, kCapacitanceLabels[static_cast<size_t>(k)], L + 6 + 170 * j, 102 + 14 * point, 112, 52);
        }
    return p.take();
}

ResourceModule makeResources() {
    ResourceModule m;
    m.name = "Brannock";
    m.strings = {
        {4, "The values in Output Characteristics are out of range. Do you want to use zero values for RD "
            "and RS?"},
        {5, "Capacitances values are out of range. Do you want to use zero values for CGSO, CGDO and CGBO?"},
        {6, "Capacitance values are out of range. Do you want to use pre-defined values for MJ, PB and CBD?"},
        {7, "The calculations are taking longer than expected.\nThe inputted values may be difficult or "
            "impossible "
            "to solve.\n\nRetry ?\n"},
        {8, "MOSFET Model (Preset values from %s)"},
    };
    for (DialogTemplate d : {generalPage(), transferPage(), optionCPage(), capacitancePage()})
        m.dialogs[d.id] = d;
    return m;
}

const ResourceModule g_resources = makeResources();

class CBrannockApp : public CWinApp {
  public:
    CBrannockApp() : CWinApp("Brannock") {}
};
CBrannockApp theApp;
const frame::ModuleRegistration g_registration(g_resources, theApp);

// ---------------------------------------------------------------- pages

class CPropSheet;
CPropSheet* sheetOf(CPropertySheet* sheet);

template <size_t N> void copyInto(std::vector<double>& values, const std::array<double, N>& preset) {
    values.assign(preset.begin(), preset.end());
}

class CPage1 : public CMakerPage {
  public:
    CPage1() : CMakerPage(IDD_GENERAL, kGeneralSetup) {
        OnSelChange(IDC_CHANNEL_TYPE, [this] { onChannelType(); });
    }
    void DoDataExchange(CDataExchange* pDX) override {
        CMakerPage::DoDataExchange(pDX);
        DDX_CBIndex(pDX, IDC_CHANNEL_TYPE, m_nPolarity);
    }
    int polarity() const { return m_nPolarity == kPmos ? kPmos : kNmos; }

    int m_nPolarity = kNmos;

  protected:
    std::uintptr_t helpContextNumber() const override { return 660; }
    void controlSetup() override {
        CWnd* combo = GetDlgItem(IDC_CHANNEL_TYPE);
        combo->ResetContent();
        combo->AddString(kChannelNames[kNmos]);
        combo->AddString(kChannelNames[kPmos]);
        combo->SetCurSel(m_nPolarity);
    }
    // So the sheet always opens on the preset set of the selected type.
    void finalStep() override { onChannelType(); }

  private:
    void onChannelType();
};

class CPage2 : public CMakerPage {
  public:
    CPage2() : CMakerPage(IDD_TRANSFER_AB, kTransferSetup) {
        for (int id : {IDC_SMALL_VDS, IDC_LARGE_VDS, IDC_THREE_CURVES})
            OnClicked(id, [this] { route(); });
    }
    void DoDataExchange(CDataExchange* pDX) override {
        CMakerPage::DoDataExchange(pDX);
        DDX_RadioPair(pDX, IDC_SMALL_VDS, IDC_LARGE_VDS, m_nID_GS);
        DDX_Check(pDX, IDC_THREE_CURVES, m_nID_Num);
    }
    void applyPreset(int p) {
        m_nID_Num = m_nID_GS = p == kNmos ? 1 : 0;
        copyInto(m_values, kTransferPresets[static_cast<size_t>(p)]);
        if (!m_bInitialised) return;
        UpdateData(false);
        route();
    }
    // Shows where the entered transfer characteristic is read and greys the boxes no option uses.
    void route();

    int m_nID_GS = 1;
    int m_nID_Num = 1;

  protected:
    std::uintptr_t helpContextNumber() const override { return 670; }
    void controlSetup() override {
        CheckRadioButton(IDC_SMALL_VDS, IDC_LARGE_VDS, m_nID_GS ? IDC_SMALL_VDS : IDC_LARGE_VDS);
    }
    void finalStep() override { route(); }
};

class CPage3 : public CMakerPage {
  public:
    CPage3() : CMakerPage(IDD_TRANSFER_C, kOptionCSetup) {}
    void applyPreset() {
        copyInto(m_values, kOptionCPreset);
        if (m_bInitialised) UpdateData(false);
    }
    void enableBoxes(bool enable) {
        if (!exists()) return;
        for (int k = 0; k < boxCount(); ++k)
            box(k).EnableWindow(enable);
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 651; }
};

class CPage4 : public CMakerPage {
  public:
    CPage4() : CMakerPage(IDD_CAPACITANCE, kCapacitanceSetup) {
        OnClicked(IDC_NO_CURVES, [this] {
            UpdateData(true);
            enableCurveBoxes();
        });
    }
    void DoDataExchange(CDataExchange* pDX) override {
        CMakerPage::DoDataExchange(pDX);
        DDX_RadioPair(pDX, IDC_BULK_YES, IDC_BULK_NO, m_nID_BS);
        DDX_Check(pDX, IDC_NO_CURVES, m_nID_Cap);
    }
    void applyPreset(int p) {
        m_nID_BS = p == kPmos ? 1 : 0;
        m_nID_Cap = p == kNmos ? 1 : 0;
        copyInto(m_values, kCapacitancePresets[static_cast<size_t>(p)]);
        if (!m_bInitialised) return;
        UpdateData(false);
        enableCurveBoxes();
    }

    int m_nID_BS = 0;
    int m_nID_Cap = 1;

  protected:
    std::uintptr_t helpContextNumber() const override { return 652; }
    void controlSetup() override {
        CheckRadioButton(IDC_BULK_YES, IDC_BULK_NO, m_nID_BS ? IDC_BULK_YES : IDC_BULK_NO);
    }
    void finalStep() override {
        UpdateData(true);
        enableCurveBoxes();
    }

  private:
    // The curve points are asked for only when the curves are available.
    void enableCurveBoxes() {
        for (int k = 4; k < boxCount(); ++k)
            box(k).EnableWindow(m_nID_Cap == 0);
    }
};

// ---------------------------------------------------------------- sheet

class CPropSheet : public CMakerSheet {
  public:
    explicit CPropSheet(CString& text) : CMakerSheet(text) {
        AddPage(&m_page1);
        AddPage(&m_page2);
        AddPage(&m_page3);
        AddPage(&m_page4);
    }

    // Fills every page with the preset set of a channel type; nothing is asked.
    void applyPresets(int p) {
        copyInto(m_page1.m_values, kGeneralPresets[static_cast<size_t>(p)]);
        setCaption(p);
        m_page2.applyPreset(p);
        m_page3.applyPreset();
        m_page4.applyPreset(p);
        if (m_page1.initialised()) m_page1.UpdateData(false);
    }

    CPage3& page3() { return m_page3; }

  protected:
    void formatCaption() override {
        m_captionFormat = GetWindowText();
        setCaption(m_page1.polarity());
    }

    bool compute() override {
        Inputs in;
        in.general = toArray<kGeneralCount>(m_page1.m_values);
        in.transfer = toArray<kTransferCount>(m_page2.m_values);
        in.optionC = toArray<kOptionCCount>(m_page3.m_values);
        in.capacitance = toArray<kCapacitanceCount>(m_page4.m_values);
        in.polarity = m_page1.polarity();
        in.idGS = m_page2.m_nID_GS;
        in.idNum = m_page2.m_nID_Num;
        in.idBS = m_page4.m_nID_BS;
        in.idCap = m_page4.m_nID_Cap;
        m_calc = Calculation(in);
        if (!m_calc.run([](unsigned id) { return frame::ask(id); })) return false;
        m_calc.writeText(m_text);
        return true;
    }

  private:
    template <size_t N> static std::array<double, N> toArray(const std::vector<double>& v) {
        std::array<double, N> a{};
        for (size_t i = 0; i < N && i < v.size(); ++i)
            a[i] = v[i];
        return a;
    }

    // The caption format carries one "%s" for the preset name; it is substituted, not handed to printf.
    void setCaption(int p) {
        if (m_captionFormat.IsEmpty()) return;
        std::string caption = m_captionFormat.str();
        if (size_t at = caption.find("%s"); at != std::string::npos) caption.replace(at, 2, kPresetNames[p]);
        SetWindowText(caption.c_str());
    }

    CPage1 m_page1;
    CPage2 m_page2;
    CPage3 m_page3;
    CPage4 m_page4;
    Calculation m_calc{Inputs{}};
};

CPropSheet* sheetOf(CPropertySheet* sheet) {
    return dynamic_cast<CPropSheet*>(sheet);
}

void CPage1::onChannelType() {
    const int sel = GetDlgItem(IDC_CHANNEL_TYPE)->GetCurSel();
    m_nPolarity = sel == kPmos ? kPmos : kNmos;
    if (CPropSheet* s = sheetOf(m_pSheet)) s->applyPresets(m_nPolarity);
}

void CPage2::route() {
    const bool small = IsDlgButtonChecked(IDC_SMALL_VDS) != 0;
    const bool three = IsDlgButtonChecked(IDC_THREE_CURVES) != 0;
    const int shown = small ? (three ? IDC_ROUTE_C : IDC_ROUTE_A) : (three ? IDC_ROUTE_NONE : IDC_ROUTE_B);
    for (int id : {IDC_ROUTE_A, IDC_ROUTE_B, IDC_ROUTE_C, IDC_ROUTE_NONE})
        if (CWnd* label = GetDlgItem(id)) label->ShowWindow(id == shown ? SW_SHOW : SW_HIDE);
    for (int k = 0; k < 4; ++k)
        box(k).EnableWindow(shown == IDC_ROUTE_A);
    for (int k = 4; k < boxCount(); ++k)
        box(k).EnableWindow(shown == IDC_ROUTE_B);
    if (CPropSheet* s = sheetOf(m_pSheet)) s->page3().enableBoxes(shown == IDC_ROUTE_C);
}

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "MOSFET (4 pins: D, G, S, Sub)\nREG")
