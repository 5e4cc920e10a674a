// Tavrish: the lossy cable. One parameter dialog with catalogue data (preset: the 83241 cable), the
// attenuation interpolated at the operating frequency, and a bare LTRA .MODEL card.
#include "core.h"

#include "frame/maker.h"

#include <vector>

namespace {

using tavrish::Inputs;
using K = ControlKind;
using Row = frame::BoxRow<Inputs>;

enum : int { IDC_CHARACTERISTICS = 500, IDC_ATTENUATION = 501, IDC_STATIC = -1 };

constexpr const char* kLabels[8] = {"线的长度", "特性阻抗", "传播速度", "额定衰减",
                                    "低频下限", "额定衰减", "高频上限", "工作频率"};

Row row(Unit unit, double def, auto field) {
    return {.unit = unit, .defaultValue = def, .field = field};
}
Row attenuation(double def, auto field) {
    return {.unit = Unit::DecibelPer100Foot,
            .lowPrefix = 4,
            .highPrefix = 4,
            .minimum = 0.001,
            .maximum = 999,
            .defaultValue = def,
            .field = field};
}

// The labels keep their texts in the template (no string-table IDs). Each attenuation row carries its
// frequency bound on the same line: "attenuation … at: bound …".
constexpr int kLabelW = 48, kBoxW = 90, kWideBoxW = 110, kAtW = 30;
void labelled(std::vector<ControlTemplate>& c, int k, int x, int y, int boxWidth = kBoxW) {
    c.push_back({9221 + k, K::Static, kLabels[k], {x, y + 2, kLabelW, 8}, kStyleRight | kStyleCenterV});
    c.push_back({9201 + k, K::Edit, "", {x + kLabelW + 4, y, boxWidth, 12}, 0});
}

std::vector<ControlTemplate> controls() {
    // Second column: after an attenuation box and the "at:" label.
    constexpr int at = 13 + kLabelW + 4 + kWideBoxW + 4, second = at + kAtW + 4;
    std::vector<ControlTemplate> c{
        {IDOK, K::DefPushButton, "确定(&O)", {205, 146, 50, 14}, 0},
        {IDCANCEL, K::PushButton, "取消(&C)", {259, 146, 50, 14}, 0},
        {ID_HELP, K::PushButton, "帮助(&H)", {313, 146, 50, 14}, 0},
        {IDC_CHARACTERISTICS, K::GroupBox, "有损传输线特性", {7, 6, 356, 60}, 0},
        {IDC_ATTENUATION, K::GroupBox, "有损传输线衰减", {7, 72, 356, 60}, 0},
        frame::label("设置值:", {at, 86, kAtW, 8}, kStyleRight | kStyleCenterV),
        frame::label("设置值:", {at, 100, kAtW, 8}, kStyleRight | kStyleCenterV),
    };
    for (int k = 0; k < 3; ++k)
        labelled(c, k, 13, 18 + 14 * k);
    labelled(c, 3, 13, 84, kWideBoxW);
    labelled(c, 4, second, 84);
    labelled(c, 5, 13, 98, kWideBoxW);
    labelled(c, 6, second, 98);
    labelled(c, 7, 13, 112);
    return c;
}

const frame::BoxTable<Inputs> kDialog{
    .templateId = 103,
    .caption = "有损传输线模型 (预置值-83241)",
    .width = 370,
    .height = 166,
    .form = frame::Form::ParameterDialog,
    .rows =
        {
            row(Unit::Foot, 100, &Inputs::length),
            row(Unit::Impedance, 50, &Inputs::impedance),
            row(Unit::Ohm, 69.5, &Inputs::velocity),
            attenuation(0.34, &Inputs::lowAttenuation),
            row(Unit::Hertz, 1e6, &Inputs::lowBound),
            attenuation(13.5, &Inputs::highAttenuation),
            row(Unit::Hertz, 1e9, &Inputs::highBound),
            row(Unit::Hertz, 1e8, &Inputs::frequency),
        },
    .controls = controls(),
};

const std::map<unsigned, std::string> kStrings{
    {tavrish::kHighBelowLow, tavrish::kHighBelowLowText},
    {tavrish::kHighBelowOperating, tavrish::kHighBelowOperatingText},
    {tavrish::kOperatingBelowLow, tavrish::kOperatingBelowLowText},
    {tavrish::kBadRatio, tavrish::kBadRatioFormat},
};

KORVANE_MAKER_MODULE(CTavrishApp, "Tavrish", frame::resources("Tavrish", kStrings, kDialog))

class CParametersDlg : public CTableDialog<Inputs> {
  public:
    explicit CParametersDlg(CString& text) : CTableDialog(text, kDialog) {
        OnMessage(frame::messages().dataChanged, [](WPARAM, LPARAM) { return LRESULT{0}; });
    }

    // The frame's dialog initialisation, except that the labels keep their template texts, the unit is
    // set by kind and the two attenuation boxes get a wider unit list.
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_nHelpContext = helpContextNumber();
        CenterWindow();
        const int fontWidth = CUserDefValueSpinParent::GetFontWidth(this);
        m_labels.clear();
        for (int k = 0; k < boxCount(); ++k) {
            m_labels.push_back(GetDlgItem(m_labelBase + k));
            const int width = (k == 3 || k == 5 ? 9 : 5) * fontWidth;
            box(k).Create(m_editBase + k, 0, 4, 4, 0.0, 1.0, width, this, 3, false, true, 0, 1.0, true);
        }
        for (int k = 0; k < boxCount(); ++k) {
            if (CWnd* l = label(k)) l->ShowWindow(SW_SHOW);
            frame::setUpBox(box(k), m_setup[static_cast<size_t>(k)].box, true);
        }
        UpdateData(false);
        m_bInitialised = true;
        return 1;
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 1460; }

    bool build(int& wrongControl) override {
        UpdateData(true);
        m_text.Empty();
        if (const unsigned id = tavrish::refusedBy(m_in)) {
            const std::string format = GetResourceString(frame::instance(), id).str();
            frame::tell(tavrish::refusalText(id, format, m_in));
            // The box to correct: the higher bound, the operating frequency, or the higher attenuation.
            wrongControl = id == tavrish::kHighBelowLow ? 9207 : id == tavrish::kBadRatio ? 9206 : 9208;
            return false;
        }
        m_text = tavrish::modelText(m_in, tavrish::compute(m_in));
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CParametersDlg, "Lossy Line\nRF")
