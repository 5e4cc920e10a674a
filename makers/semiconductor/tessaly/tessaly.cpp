// Tessaly: the operational amplifier maker. Three pages (input stage and gain, the gain-frequency
// poles and zero, the output) and on OK the five-terminal macro-model sub-circuit.
#include "core.h"

#include "frame/maker.h"

namespace {

using namespace tessaly;
using Row = frame::BoxRow<Inputs>;

enum : int {
    IDC_TRANSISTOR_TYPE = 505,
    IDC_GAIN_DB = 506,
    IDC_GAIN_V_PER_MV = 507,
    IDC_NOT_AVAILABLE = 1266,
};

enum : unsigned { IDS_NPN = 11, IDS_PNP = 12, IDS_DONT_CARE = 13 };

Row wide(const char* label, Unit unit, double def, double Inputs::*field, double minimum = 1e-15) {
    return {.label = label, .unit = unit, .minimum = minimum, .defaultValue = def, .field = field};
}
// CMRR and the gain: no prefix, at most 99999.
Row ratio(const char* label, double def, double Inputs::*field) {
    return {.label = label,
            .unit = Unit::Decibel,
            .lowPrefix = 4,
            .highPrefix = 4,
            .maximum = 99999,
            .defaultValue = def,
            .field = field};
}

constexpr int kX = 6, kGroup = 260, kLabel = 160, kBox = 84;
constexpr std::uint32_t kLabelStyle = kStyleRight | kStyleCenterV;

const frame::BoxTable<Inputs> kGeneral{
    .templateId = 100,
    .caption = "General, Input",
    .width = 272,
    .height = 206,
    .rows =
        {
            wide("Input Capacitance (Ci)", Unit::Farad, 1.4e-12, &Inputs::ci),
            wide("Input Offset Current (I1o)", Unit::Ampere, 2e-08, &Inputs::i1o),
            wide("Input Bias Current (I1b)", Unit::Ampere, 8e-08, &Inputs::i1b),
            wide("Input Offset Voltage (V1o)", Unit::Volt, 0.001, &Inputs::v1o),
            wide("Common-mode Input Resistance (Rcm)", Unit::Ohm, 2e9, &Inputs::rcm),
            wide("Differential-mode Input Resistance (R1)", Unit::Ohm, 2e6, &Inputs::r1),
            ratio("Common-mode Rejection Ratio (CMRR)", 90, &Inputs::cmrr),
            ratio("Voltage Gain (Avd)", 106, &Inputs::avd),
        },
    .controls =
        {
            frame::groupBox("General", {kX, 4, kGroup, 30}),
            frame::label("Transistor Type", {kX + 6, 18, kLabel, 8}, kLabelStyle),
            frame::dropList(IDC_TRANSISTOR_TYPE, {kX + 6 + kLabel + 4, 16, kBox, 60}, kStyleVScroll),
            frame::groupBox("Voltage Gain Avd", {kX, 38, kGroup, 28}),
            frame::radio(IDC_GAIN_DB, "in dB", {kX + 40, 50, 60, 10}, kStyleGroup),
            frame::radio(IDC_GAIN_V_PER_MV, "in V/mV", {kX + 140, 50, 60, 10}),
        },
    .layout = [](frame::TemplateBuilder& b) { b.column("Input", 0, 8, kX, 70, kGroup, kLabel, kBox); },
};

Row hertz(const char* label, double def, double Inputs::*field) {
    return wide(label, Unit::Hertz, def, field);
}

const frame::BoxTable<Inputs> kPoles{
    .templateId = 101,
    .caption = "Gain-frequency curve poles and Zero",
    .width = 272,
    .height = 130,
    .rows =
        {
            hertz("Pole 1 frequency (fr1)", 5, &Inputs::fr1),
            hertz("Pole 2 frequency (fr2)", 2e6, &Inputs::fr2),
            hertz("Pole 3 frequency (fr3)", 2e7, &Inputs::fr3),
            hertz("Pole 4 frequency (fr4)", 1e8, &Inputs::fr4),
            hertz("Zero frequency (frz)", 5e6, &Inputs::frz),
        },
    .controls =
        {
            frame::groupBox("High frequency pole and zero ", {kX, 40, kGroup, 80}),
            frame::checkBox(IDC_NOT_AVAILABLE, "Not Available", {kX + 6, 52, 100, 10}),
        },
    .layout =
        [](frame::TemplateBuilder& b) {
            b.row(0, kX + 6, 6, kLabel, kBox);
            b.row(1, kX + 6, 20, kLabel, kBox);
            for (int k = 2; k < 5; ++k)
                b.row(k, kX + 6, 66 + 14 * (k - 2), kLabel, kBox);
        },
};

const frame::BoxTable<Inputs> kOutput{
    .templateId = 102,
    .caption = "Output",
    .width = 272,
    .height = 80,
    .rows =
        {
            wide("Slew Rate (SR+) (non-inverting-mode)", Unit::VoltPerMicrosecond, 0.5, &Inputs::srPlus),
            wide("Slew Rate (SR-) (inverting-mode)", Unit::VoltPerMicrosecond, 0.5, &Inputs::srMinus),
            wide("Output Resistance (Ro)", Unit::Ohm, 75, &Inputs::ro),
            wide("Maximum Source Current (Isr)", Unit::Ampere, 0.025, &Inputs::isr, 0),
            wide("Maximum Sink Current (Isn)", Unit::Ampere, 0.025, &Inputs::isn, 0),
        },
    .layout =
        [](frame::TemplateBuilder& b) {
            for (int k = 0; k < 5; ++k)
                b.row(k, kX + 6, 6 + 14 * k, kLabel, kBox);
        },
};

const std::map<unsigned, std::string> kStrings{
    {8, "Operational Amplifier Model(Preset values from uA741)"},
    {IDS_NPN, "NPN"},
    {IDS_PNP, "PNP"},
    {IDS_DONT_CARE, "Don't care"},
};

KORVANE_MAKER_MODULE(CTessalyApp, "Tessaly", frame::resources("Tessaly", kStrings, kGeneral, kPoles, kOutput))

using Page = CTablePage<Inputs>;

constexpr int kGainBox = 7;

class CPage1 : public Page {
  public:
    explicit CPage1(Inputs& in) : Page(kGeneral, in) {
        OnSelChange(IDC_TRANSISTOR_TYPE, [this] {
            const int sel = GetDlgItem(IDC_TRANSISTOR_TYPE)->GetCurSel();
            if (sel >= kDontCare && sel <= kPnp) m_in.stage = sel;
        });
        OnClicked(IDC_GAIN_DB, [this] { setGainUnit(1); });
        OnClicked(IDC_GAIN_V_PER_MV, [this] { setGainUnit(0); });
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 700; }
    void controlSetup() override {
        CWnd* combo = GetDlgItem(IDC_TRANSISTOR_TYPE);
        combo->ResetContent();
        for (unsigned id : {IDS_DONT_CARE, IDS_NPN, IDS_PNP})
            combo->AddString(GetResourceString(frame::instance(), id).GetString());
        combo->SetCurSel(kDontCare);
        CheckRadioButton(IDC_GAIN_DB, IDC_GAIN_V_PER_MV, m_in.gainInDb ? IDC_GAIN_DB : IDC_GAIN_V_PER_MV);
    }

  private:
    // The gain keeps its number; only its unit changes.
    void setGainUnit(int inDb) {
        m_in.gainInDb = inDb;
        box(kGainBox).ResetUnitName(inDb ? Unit::Decibel : Unit::VoltPerMillivolt);
    }
};

class CPage2 : public Page {
  public:
    explicit CPage2(Inputs& in) : Page(kPoles, in) {
        OnClicked(IDC_NOT_AVAILABLE, [this] { onNotAvailable(); });
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 710; }
    void finalStep() override { onNotAvailable(); }

  private:
    // The high-frequency boxes keep their values while greyed; the computation still uses them.
    void onNotAvailable() {
        m_in.notAvailable = IsDlgButtonChecked(IDC_NOT_AVAILABLE) ? 1 : 0;
        for (int k = 2; k < 5; ++k) {
            label(k)->EnableWindow(m_in.notAvailable == 0);
            box(k).EnableWindow(m_in.notAvailable == 0);
        }
    }
};

class CPropSheet : public CMakerSheet {
  public:
    explicit CPropSheet(CString& text) : CMakerSheet(text) {
        AddPage(&m_page1);
        AddPage(&m_page2);
        AddPage(&m_page3);
    }

  protected:
    bool compute() override {
        const Parameters p = tessaly::compute(m_in);
        if (auto refusal = nonFinite(p)) {
            frame::tell(*refusal);
            return false;
        }
        m_text = modelText(m_in, p);
        return true;
    }

  private:
    Inputs m_in;
    CPage1 m_page1{m_in};
    CPage2 m_page2{m_in};
    CTablePage<Inputs> m_page3{kOutput, m_in, {720}};
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Operational Amplifier\nREG")
