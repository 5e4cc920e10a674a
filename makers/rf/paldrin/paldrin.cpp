// Paldrin: the interdigital capacitor. Two pages (electrical values, finger and terminal dimensions);
// on OK two range questions (No keeps the sheet open) and a lower-case sub-circuit of the finger
// capacitance, conductor resistance and series inductance with a shunt capacitance and leak at each pin.
#include "core.h"

#include "frame/maker.h"

namespace {

using paldrin::Inputs;
using Row = frame::BoxRow<Inputs>;

Row value(const char* label, Unit unit, double def, double minimum, auto field) {
    return {.label = label, .unit = unit, .minimum = minimum, .defaultValue = def, .field = field};
}
Row length(const char* label, double def, double minimum, auto field) {
    return value(label, Unit::Metre, def, minimum, field);
}

// One group box around the page's rows, titled like the page.
constexpr int kLabelW = 100, kBoxW = 84;

const frame::BoxTable<Inputs> kElectrical{
    .templateId = 100,
    .caption = "电气特性",
    .width = 220,
    .height = 130,
    .rows =
        {
            value("相对介电常数", Unit::None, 12.5, 1e-15, &Inputs::permittivity),
            value("工作频率", Unit::Hertz, 1e9, 1e-15, &Inputs::frequency),
            value("电阻率", Unit::OhmMetre, 1.707e-8, 1e-15, &Inputs::resistivity),
            value("输入节点的并联电容", Unit::Farad, 0, 0, &Inputs::inputShunt),
            value("输出节点的并联电容", Unit::Farad, 0, 0, &Inputs::outputShunt),
            value("节点串联电感", Unit::Henry, 0, 0, &Inputs::seriesInductance),
            value("串联电阻", Unit::Ohm, 0, 0, &Inputs::seriesResistance),
        },
    .layout = [](frame::TemplateBuilder& b) { b.column("电气特性", 0, 7, 7, 6, 206, kLabelW, kBoxW); },
};

const frame::BoxTable<Inputs> kDimensions{
    .templateId = 101,
    .caption = "导线尺寸",
    .width = 220,
    .height = 144,
    .rows =
        {
            {.label = "金手指数",
             .lowPrefix = 4,
             .highPrefix = 4,
             .minimum = 2,
             .maximum = 99999,
             .digits = 0,
             .defaultValue = 10,
             .field = &Inputs::fingers},
            length("金手指长度", 0.000254, 1e-15, &Inputs::length),
            length("金手指宽度", 2e-5, 1e-15, &Inputs::width),
            length("金手指底板厚度", 0.000101, 1e-15, &Inputs::height),
            length("金手指间距", 4.8e-6, 0, &Inputs::spacing),
            length("金手指厚度 ", 1.5e-6, 0, &Inputs::thickness),
            length("金手指末端间距", 4.8e-6, 0, &Inputs::endGap),
            {.label = "外部端子宽度",
             .unit = Unit::Metre,
             .minimum = 0,
             .maximum = 1e33,
             .defaultValue = 0.000101,
             .field = &Inputs::terminalWidth},
        },
    .layout = [](frame::TemplateBuilder& b) { b.column("导线尺寸", 0, 8, 7, 6, 206, kLabelW, kBoxW); },
};

const std::map<unsigned, std::string> kStrings{
    {8, "叉指式电容模型"},
    {paldrin::kAskRatio, paldrin::kAskRatioText},
    {paldrin::kAskPermittivity, paldrin::kAskPermittivityText},
    {paldrin::kZeroSpacing, paldrin::kZeroSpacingText},
};

KORVANE_MAKER_MODULE(CPaldrinApp, "Paldrin", frame::resources("Paldrin", kStrings, kElectrical, kDimensions))

using Page = CTablePage<Inputs>;

class CPropSheet : public CTwoPageSheet<Inputs> {
  public:
    explicit CPropSheet(CString& text) : CTwoPageSheet(text, kElectrical, {1480}, kDimensions, {1490}) {}

  protected:
    bool compute() override {
        if (auto id = paldrin::refusal(m_in)) {
            frame::tell(*id);
            return false;
        }
        auto result = paldrin::compute(m_in, [](unsigned id) { return frame::ask(id); });
        if (!result) return false;
        if (auto message = paldrin::nonFinite(*result)) {
            frame::tell(*message);
            return false;
        }
        m_text = paldrin::modelText(m_in, *result);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Interdigital Capacitor\nRF")
