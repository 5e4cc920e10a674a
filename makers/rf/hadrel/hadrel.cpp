// Hadrel: the centred strip line maker. Two pages (dielectric and frequency, strip dimensions); on OK a
// sub-circuit with one lossy-line element whose per-metre values come from closed-form formulas.
#include "core.h"

#include "frame/maker.h"

namespace {

using hadrel::Inputs;
using Row = frame::BoxRow<Inputs>;

// One group of four rows, labels right-aligned in front of the boxes.
void fourRows(frame::TemplateBuilder& b, const char* title) {
    b.column(title, 0, 4, 6, 6, 172, 74, 80);
}

const frame::BoxTable<Inputs> kElectrical{
    .templateId = 100,
    .caption = "电气特性",
    .width = 184,
    .height = 88,
    .rows =
        {
            {.label = "相对介电常数", .unit = Unit::None, .defaultValue = 9.8, .field = &Inputs::epsR},
            {.label = "工作频率",
             .unit = Unit::Hertz,
             .defaultValue = 1000000000.0,
             .field = &Inputs::frequency},
            {.label = "电阻率",
             .unit = Unit::OhmMetre,
             .defaultValue = 1.708e-8,
             .field = &Inputs::resistivity},
            {.label = "损耗角正切值",
             .unit = Unit::None,
             .maximum = 0.999999999999999,
             .defaultValue = 0.002,
             .field = &Inputs::tanDelta},
        },
    .layout = [](frame::TemplateBuilder& b) { fourRows(b, "电气特性"); },
};

const frame::BoxTable<Inputs> kDimensions{
    .templateId = 101,
    .caption = "导线尺寸",
    .width = 184,
    .height = 88,
    .rows =
        {
            {.label = "导线长度", .unit = Unit::Metre, .defaultValue = 0.03, .field = &Inputs::length},
            {.label = "导线宽度", .unit = Unit::Metre, .defaultValue = 0.0006, .field = &Inputs::width},
            {.label = "绝缘厚度", .unit = Unit::Metre, .defaultValue = 0.00127, .field = &Inputs::spacing},
            {.label = "导线厚度",
             .unit = Unit::Metre,
             .minimum = 0,
             .defaultValue = 8e-6,
             .field = &Inputs::thickness},
        },
    .layout = [](frame::TemplateBuilder& b) { fourRows(b, "导线尺寸"); },
};

} // namespace

KORVANE_MAKER_MODULE(CHadrelApp, "Hadrel",
                     frame::resources("Hadrel",
                                      {
                                          {8, "带状传输线模型"},
                                          {hadrel::kLossOutOfRange,
                                           "参数超出限制。\n导线厚度/绝缘厚度的比值必须小于或者等于 0.25 "
                                           "\n导线厚度/导线宽度的比值必须小于或者等于 0.11."},
                                          {hadrel::kNegativeThickness, "导线厚度必须要大于或等于零!"},
                                      },
                                      kElectrical, kDimensions))

namespace {

class CPropSheet : public CMakerSheet {
  public:
    explicit CPropSheet(CString& text) : CMakerSheet(text) {
        AddPage(&m_page1);
        AddPage(&m_page2);
    }

  protected:
    bool compute() override {
        const auto outcome = hadrel::compute(m_in);
        if (!outcome.results) {
            frame::tell(GetResourceString(frame::instance(), outcome.refusal).str());
            return false;
        }
        if (auto refusal = hadrel::nonFinite(*outcome.results)) {
            frame::tell(*refusal);
            return false;
        }
        m_text = hadrel::modelText(m_in, *outcome.results);
        return true;
    }

  private:
    Inputs m_in;
    CTablePage<Inputs> m_page1{kElectrical, m_in, {1420}};
    CTablePage<Inputs> m_page2{kDimensions, m_in, {1430}};
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Strip Line\nRF")
