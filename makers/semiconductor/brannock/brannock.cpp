// Brannock: the four-terminal MOSFET maker. Four pages of data-sheet values (output curves, one of
// three ways of giving the transfer characteristic, capacitances), two preset sets that follow the
// channel type, and on OK a level-1 .MODEL card with an echo of every input.
#include "extraction.h"
#include "presets.h"

#include "frame/maker.h"

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
};

// ---------------------------------------------------------------- pages as tables

using Row = frame::BoxRow<Inputs>;

// Signed boxes reach −1e15; positive-only boxes start at 1e-15. Every box offers the prefixes p … T.
Row sgn(const char* label, Unit unit, double def = 0) {
    return {.label = label, .unit = unit, .minimum = -1e15, .boxFlag = true, .defaultValue = def};
}
Row pos(const char* label, Unit unit, double def) {
    return {.label = label, .unit = unit, .defaultValue = def};
}
constexpr Unit V = Unit::Volt, A = Unit::Ampere, F = Unit::Farad;

// Two columns of group boxes, each row a label and a box.
constexpr int kLeft = 6, kRight = 274, kColumn = 262, kLabel = 176, kBox = 66;
int column(frame::TemplateBuilder& b, const char* title, int first, int count, int x, int y) {
    return b.column(title, first, count, x, y, kColumn, kLabel, kBox);
}
constexpr std::uint32_t kLabelStyle = kStyleRight | kStyleCenterV;
constexpr int kInside = kLeft + 6; // controls inside a left group box
constexpr DlgRect kRoute{kInside, 82, 224, 18};

const frame::BoxTable<Inputs> kGeneral{
    .templateId = 100,
    .caption = "General",
    .width = 590,
    .height = 222,
    .rows = frame::bindEach<&Inputs::general>({
        sgn("Max Drain Current", A),
        sgn("Vgs for the curve (Vgs_ohmic)", V),
        sgn("Drain Current (Ids_Ohmic)", A, 0.027),
        sgn("Vds when drain current is Ids_Ohmic (Vds_Ohmic)", V),
        sgn("Vgs for this curve (Vgs_f0)", V),
        sgn("Drain Current (Ids_f00)", A),
        sgn("Vds_f00(lower Vds)", V),
        sgn("Drain Current (Ids_f01)", A),
        sgn("Vds_f01 (higher Vds)", V),
        sgn("Vgs for this curve (Vgs_f1)", V),
        sgn("Drain Current (Ids_f10)", A),
        sgn("Vds_f10(lower Vds)", V),
        sgn("Drain Current (Ids_f11)", A),
        sgn("Vds_f11 (higher Vds)", V),
        sgn("Vgs for this curve (Vgs_f2)", V),
        sgn("Drain Current (Ids_f20)", A),
        sgn("Vds_f20(lower Vds)", V),
        sgn("Drain Current (Ids_f21)", A),
        sgn("Vds_f21 (higher Vds)", V),
    }),
    .controls = {frame::groupBox("General", {kLeft, 4, kColumn, 46}),
                 frame::label("Channel Type of Mosfet", {kInside, 17, kLabel, 8}, kLabelStyle),
                 frame::dropList(IDC_CHANNEL_TYPE, {kLeft + 10 + kLabel, 15, kBox, 60})},
    .layout =
        [](frame::TemplateBuilder& b) {
            b.row(0, kInside, 31, kLabel, kBox);
            const int y = column(b, "Output Characteristics in Ohmic region", 1, 3, kLeft, 54);
            column(b, "Ids_Vds curve 1 (for lowest Vgs)", 4, 5, kLeft, y);
            const int y2 = column(b, "Ids_Vds curve 2 (for intermediate Vgs)", 9, 5, kRight, 4);
            column(b, "Ids_Vds curve 3 (for highest Vgs)", 14, 5, kRight, y2);
        },
};

const frame::BoxTable<Inputs> kTransfer{
    .templateId = 101,
    .caption = "Transfer Characteristics - Option A,B",
    .width = 590,
    .height = 222,
    .rows = frame::bindEach<&Inputs::transfer>({
        sgn("Drain Current (Ids_A1)", A, 0.001),
        sgn("Vgs_A1 (lower Vgs)", V, 1.6),
        sgn("Drain Current (Ids_A2)", A, 0.01),
        sgn("Vgs_A2 (higher Vgs)", V, 2.4),
        sgn("Vds for Ids-Vgs curve", V, 10),
        sgn("Drain Current (Ids_B1)", A, 0.01),
        sgn("Vgs_B1 (lower Vgs)", V, 2),
        sgn("Drain Current (Ids_B2)", A, 0.031),
        sgn("Vgs_B2 (higher Vgs)", V, 3),
    }),
    .controls =
        {
            frame::groupBox("Vds for Id-Vgs curve", {kLeft, 4, kColumn, 40}),
            frame::radio(IDC_SMALL_VDS, "Input Id-Vgs curve for small Vds", {kInside, 16, 220, 10},
                         kStyleGroup),
            frame::radio(IDC_LARGE_VDS, "Input Id-Vgs curve for large Vds", {kInside, 28, 220, 10}),
            frame::groupBox("Multi Id-Vgs curve", {kLeft, 48, kColumn, 28}),
            frame::checkBox(IDC_THREE_CURVES, "Three Id-Vgs curves for different Vsb are available",
                            {kInside, 60, 224, 10}),
            // The four route labels share one place; routing shows one of them.
            frame::label("Go to Option A", kRoute, 0, IDC_ROUTE_A),
            frame::label("Go to Option B", kRoute, 0, IDC_ROUTE_B),
            frame::label("Go to Option C (Next Page)", kRoute, 0, IDC_ROUTE_C),
            frame::label("Not modelled\nGo to other options", kRoute, 0, IDC_ROUTE_NONE),
        },
    .layout =
        [](frame::TemplateBuilder& b) {
            column(b, "Transfer Characteristics: Id-Vgs (Option A)", 0, 4, kLeft, 106);
            column(b, "Transfer Characteristics: Ids-Vgs (Option B) ", 4, 5, kRight, 4);
        },
};

const frame::BoxTable<Inputs> kOptionC{
    .templateId = 102,
    .caption = "Transfer Characteristics - Option C",
    .width = 590,
    .height = 222,
    .rows = frame::bindEach<&Inputs::optionC>({
        sgn("Vsb for this curve (Vsb_C1)", V),
        pos("Drain Current (Ids_C11)", A, 0.001),
        sgn("Vgs_C11 (lower Vgs)", V, 1.6),
        pos("Drain Current (Ids_C12)", A, 0.01),
        sgn("Vgs_C12 (higher Vgs)", V, 2.4),
        sgn("Vsb for this curve (Vsb_C2)", V, -4),
        pos("Drain Current (Ids_C21)", A, 0.001),
        sgn("Vgs_C21 (lower Vgs)", V, 2),
        pos("Drain Current (Ids_C22)", A, 0.01),
        sgn("Vgs_C22 (higher Vgs)", V, 2.75),
        sgn("Vsb for this curve (Vsb_C3)", V, -2),
        pos("Drain Current (Ids_C31)", A, 0.001),
        sgn("Vgs_C31 (lower Vgs)", V, 2.25),
        pos("Drain Current (Ids_C32)", A, 0.01),
        sgn("Vgs_C32 (higher Vgs)", V, 3),
    }),
    .layout =
        [](frame::TemplateBuilder& b) {
            const int y = column(b, "Ids-Vgs Curve for lowest Vsb", 0, 5, kLeft, 4);
            column(b, "Ids-Vgs Curve for intermediate Vsb", 5, 5, kLeft, y);
            column(b, "Ids-Vgs for highest Vsb", 10, 5, kRight, 4);
        },
};

const frame::BoxTable<Inputs> kCapacitance{
    .templateId = 103,
    .caption = "Junction Capacitance Chart",
    .width = 590,
    .height = 222,
    .rows = frame::bindEach<&Inputs::capacitance>({
        pos("Feed-back capacitance", F, 6e-13),
        pos("Input capacitance", F, 1.5e-12),
        pos("Output capacitance", F, 1.5e-12),
        sgn("Drain-Substrate Voltage", V, 25),
        sgn("At Vds_cap1 (lowest value)", V),
        pos("Feed-back capacitance  (Crs1)", F, 1e-12),
        pos("Output capacitance (Cos1)", F, 1e-12),
        sgn("At Vds_cap2 (intermediate low)", V),
        pos("Feed-back capacitance  (Crs2)", F, 1e-12),
        pos("Output capacitance (Cos2)", F, 1e-12),
        sgn("At Vds_cap3 (intermediate high)", V),
        pos("Feed-back capacitance  (Crs3)", F, 1e-12),
        pos("Output capacitance (Cos3)", F, 1e-12),
        sgn("At Vds_cap (highest value)", V),
        pos("Feed-back capacitance  (Crs4)", F, 1e-12),
        pos("Output capacitance (Cos4)", F, 1e-12),
    }),
    .controls =
        {
            frame::groupBox("Conditions", {kLeft, 4, kColumn, 60}),
            frame::label("Bulk and Source connected ?", {kInside, 17, 120, 8}),
            frame::radio(IDC_BULK_YES, "Yes", {kLeft + 130, 16, 40, 10}, kStyleGroup),
            frame::radio(IDC_BULK_NO, "No", {kLeft + 176, 16, 40, 10}),
            frame::checkBox(IDC_NO_CURVES, "Coss-Vds, and  Crss-Vds curves NOT available",
                            {kInside, 34, 224, 20}),
        },
    .layout =
        [](frame::TemplateBuilder& b) {
            column(b, "Capacitance values from datasheet", 0, 4, kRight, 4);
            // One row per curve point: its voltage, feed-back and output capacitance.
            b.group("Capacitances vs. Drain-to-Source Voltage", {kLeft, 90, 578, 4 * 14 + 18});
            constexpr int x[3] = {kInside, kLeft + 204, kLeft + 392};
            constexpr int labelWidth[3] = {128, 120, 110};
            for (int point = 0; point < 4; ++point)
                for (int j = 0; j < 3; ++j)
                    b.row(4 + 3 * point + j, x[j], 102 + 14 * point, labelWidth[j], 62);
        },
};

const std::map<unsigned, std::string> kStrings{
    {4, "The values in Output Characteristics are out of range. Do you want to use zero values for RD "
        "and RS?"},
    {5, "Capacitances values are out of range. Do you want to use zero values for CGSO, CGDO and CGBO?"},
    {6, "Capacitance values are out of range. Do you want to use pre-defined values for MJ, PB and CBD?"},
    {7, "The calculations are taking longer than expected.\nThe inputted values may be difficult or "
        "impossible to solve.\n\nRetry ?\n"},
    {8, "MOSFET Model (Preset values from %s)"},
};

KORVANE_MAKER_MODULE(CBrannockApp, "Brannock",
                     frame::resources("Brannock", kStrings, kGeneral, kTransfer, kOptionC, kCapacitance))

// ---------------------------------------------------------------- pages

class CPropSheet;

using Page = CTablePage<Inputs>;

class CPage1 : public Page {
  public:
    explicit CPage1(Inputs& in) : Page(kGeneral, in, frame::Help{660}) {
        OnSelChange(IDC_CHANNEL_TYPE, [this] { onChannelType(); });
    }
    void DoDataExchange(CDataExchange* pDX) override {
        Page::DoDataExchange(pDX);
        DDX_CBIndex(pDX, IDC_CHANNEL_TYPE, m_in.polarity);
    }

  protected:
    void controlSetup() override {
        CWnd* combo = GetDlgItem(IDC_CHANNEL_TYPE);
        combo->ResetContent();
        for (int p : {kNmos, kPmos})
            combo->AddString(kChannelNames[p]);
        combo->SetCurSel(m_in.polarity);
    }
    // So the sheet always opens on the preset set of the selected type.
    void finalStep() override { onChannelType(); }

  private:
    void onChannelType();
};

class CPage2 : public Page {
  public:
    explicit CPage2(Inputs& in) : Page(kTransfer, in, frame::Help{670}) {
        for (int id : {IDC_SMALL_VDS, IDC_LARGE_VDS, IDC_THREE_CURVES})
            OnClicked(id, [this] { route(); });
    }
    void DoDataExchange(CDataExchange* pDX) override {
        Page::DoDataExchange(pDX);
        DDX_RadioPair(pDX, IDC_SMALL_VDS, IDC_LARGE_VDS, m_in.idGS);
        DDX_Check(pDX, IDC_THREE_CURVES, m_in.idNum);
    }
    // Shows where the entered transfer characteristic is read and greys the boxes no option uses.
    void route();

  protected:
    void controlSetup() override {
        CheckRadioButton(IDC_SMALL_VDS, IDC_LARGE_VDS, m_in.idGS ? IDC_SMALL_VDS : IDC_LARGE_VDS);
    }
    void finalStep() override { route(); }
};

class CPage4 : public Page {
  public:
    explicit CPage4(Inputs& in) : Page(kCapacitance, in, frame::Help{652}) {
        OnClicked(IDC_NO_CURVES, [this] { finalStep(); });
    }
    void DoDataExchange(CDataExchange* pDX) override {
        Page::DoDataExchange(pDX);
        DDX_RadioPair(pDX, IDC_BULK_YES, IDC_BULK_NO, m_in.idBS);
        DDX_Check(pDX, IDC_NO_CURVES, m_in.idCap);
    }
    // The curve points are asked for only when the curves are available.
    void finalStep() override {
        UpdateData(true);
        enableBoxes(4, -1, m_in.idCap == 0);
    }

  protected:
    void controlSetup() override {
        CheckRadioButton(IDC_BULK_YES, IDC_BULK_NO, m_in.idBS ? IDC_BULK_YES : IDC_BULK_NO);
    }
};

// ---------------------------------------------------------------- sheet

class CPropSheet : public CMakerSheet {
  public:
    explicit CPropSheet(CString& text) : CMakerSheet(text) {
        for (Page* page : pages())
            AddPage(page);
    }

    // Fills every page with the preset set of a channel type; nothing is asked.
    void applyPresets(int p) {
        m_in = presetInputs(p);
        setCaption(p);
        for (Page* page : pages())
            if (page->initialised()) page->UpdateData(false);
        if (m_page2.initialised()) m_page2.route();
        if (m_page4.initialised()) m_page4.finalStep();
    }

    Page& page3() { return m_page3; }

  protected:
    void formatCaption() override { setCaption(polarity()); }

    bool compute() override {
        Inputs in = m_in;
        in.polarity = polarity();
        Calculation calc(in);
        if (!calc.run([](unsigned id) { return frame::ask(id); })) return false;
        if (auto refusal = calc.nonFinite()) {
            frame::tell(*refusal);
            return false;
        }
        calc.writeText(m_text);
        return true;
    }

  private:
    std::array<Page*, 4> pages() { return {&m_page1, &m_page2, &m_page3, &m_page4}; }
    int polarity() const { return m_in.polarity == kPmos ? kPmos : kNmos; }

    // The caption format carries one "%s" for the preset name; it is substituted, not handed to printf.
    void setCaption(int p) {
        if (m_captionFormat.IsEmpty()) return;
        std::string caption = m_captionFormat.str();
        if (size_t at = caption.find("%s"); at != std::string::npos) caption.replace(at, 2, kPresetNames[p]);
        SetWindowText(caption.c_str());
    }

    Inputs m_in;
    CPage1 m_page1{m_in};
    CPage2 m_page2{m_in};
    Page m_page3{kOptionC, m_in, frame::Help{651}};
    CPage4 m_page4{m_in};
};

void CPage1::onChannelType() {
    const int sel = GetDlgItem(IDC_CHANNEL_TYPE)->GetCurSel();
    m_in.polarity = sel == kPmos ? kPmos : kNmos;
    if (CPropSheet* s = dynamic_cast<CPropSheet*>(m_pSheet)) s->applyPresets(m_in.polarity);
}

void CPage2::route() {
    const bool small = IsDlgButtonChecked(IDC_SMALL_VDS) != 0;
    const bool three = IsDlgButtonChecked(IDC_THREE_CURVES) != 0;
    const int shown = small ? (three ? IDC_ROUTE_C : IDC_ROUTE_A) : (three ? IDC_ROUTE_NONE : IDC_ROUTE_B);
    for (int id : {IDC_ROUTE_A, IDC_ROUTE_B, IDC_ROUTE_C, IDC_ROUTE_NONE})
        if (CWnd* label = GetDlgItem(id)) label->ShowWindow(id == shown ? SW_SHOW : SW_HIDE);
    enableBoxes(0, 4, shown == IDC_ROUTE_A);
    enableBoxes(4, -1, shown == IDC_ROUTE_B);
    if (CPropSheet* s = dynamic_cast<CPropSheet*>(m_pSheet))
        s->page3().enableBoxes(0, -1, shown == IDC_ROUTE_C);
}

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "MOSFET (4 pins: D, G, S, Sub)\nREG")
