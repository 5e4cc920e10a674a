// Orsolan: the RF spiral inductor. Two pages (electrical values, conductor dimensions); on OK a
// sub-circuit of R and L in series with a capacitance across and one at each terminal, the
// capacitances estimated from the outer diameter where their fields are left at 0.
#include "core.h"

#include "frame/maker.h"

namespace {

using orsolan::Inputs;
using Row = frame::BoxRow<Inputs>;

Row value(const char* label, Unit unit, double def, double minimum, auto field) {
    return {.label = label, .unit = unit, .minimum = minimum, .defaultValue = def, .field = field};
}
Row length(const char* label, double def, double minimum, auto field) {
    return value(label, Unit::Metre, def, minimum, field);
}

// One group box around the page's rows, titled like the page.
constexpr int kLabelW = 84, kBoxW = 84;

const frame::BoxTable<Inputs> kElectrical{
    .templateId = 100,
    .caption = "电气特性",
    .width = 220,
    .height = 120,
    .rows =
        {
            value("相对介电常数", Unit::None, 12.9, 1e-15, &Inputs::permittivity),
            value("工作频率", Unit::Hertz, 200e9, 1e-15, &Inputs::frequency),
            value("电阻率", Unit::OhmMetre, 1.22e-8, 1e-15, &Inputs::resistivity),
            value("外导线并联电容量", Unit::Farad, 0, 0, &Inputs::outerShunt),
            value("内导线并联电容量", Unit::Farad, 0, 0, &Inputs::innerShunt),
            value("导线之间总电容量", Unit::Farad, 0, 0, &Inputs::between),
        },
    .layout = [](frame::TemplateBuilder& b) { b.column("电气特性", 0, 6, 7, 6, 206, kLabelW, kBoxW); },
};

const frame::BoxTable<Inputs> kDimensions{
    .templateId = 101,
    .caption = "导线尺寸",
    .width = 220,
    .height = 120,
    .rows =
        {
            length("外径", 0.005, 1e-15, &Inputs::outerDiameter),
            length("内径", 0.002, 1e-15, &Inputs::innerDiameter),
            length("导线间距", 0.0003, 1e-15, &Inputs::spacing),
            length("导线宽度", 0.0006, 1e-15, &Inputs::width),
            length("导线厚度", 0.0002, 0, &Inputs::thickness),
        },
    .layout = [](frame::TemplateBuilder& b) { b.column("导线尺寸", 0, 5, 7, 6, 206, kLabelW, kBoxW); },
};

const std::map<unsigned, std::string> kStrings{
    {orsolan::kDiameters, orsolan::kDiametersText},
    {8, "射频螺旋电感模型"},
};

KORVANE_MAKER_MODULE(COrsolanApp, "Orsolan", frame::resources("Orsolan", kStrings, kElectrical, kDimensions))

using Page = CTablePage<Inputs>;

class CPropSheet : public CTwoPageSheet<Inputs> {
  public:
    explicit CPropSheet(CString& text) : CTwoPageSheet(text, kElectrical, {1410}, kDimensions, {1400}) {}

  protected:
    bool compute() override {
        if (auto id = orsolan::refusal(m_in)) {
            frame::tell(*id);
            return false;
        }
        m_text = orsolan::modelText(m_in, orsolan::compute(m_in));
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "RF Spiral Inductor\nRF")
