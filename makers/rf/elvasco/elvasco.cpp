// Elvasco: the stripline bend maker. Two pages (dielectric and frequency, strip and bend); on OK a
// sub-circuit of two lossy-line arms with the bend's T of inductances and a capacitance between them.
#include "core.h"

#include "frame/maker.h"

namespace {

using elvasco::Inputs;
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
            {.label = "带状导线宽度", .unit = Unit::Metre, .defaultValue = 0.001, .field = &Inputs::width},
            {.label = "弯曲角度",
             .unit = Unit::Degree,
             .lowPrefix = 4,
             .highPrefix = 4,
             .minimum = 0,
             .maximum = 360,
             .defaultValue = 45,
             .field = &Inputs::angle},
            {.label = "绝缘厚度", .unit = Unit::Metre, .defaultValue = 0.000635, .field = &Inputs::spacing},
            {.label = "导线厚度",
             .unit = Unit::Metre,
             .minimum = 0,
             .defaultValue = 8e-6,
             .field = &Inputs::thickness},
        },
    .layout = [](frame::TemplateBuilder& b) { fourRows(b, "导线尺寸"); },
};

ResourceModule makeResources() {
    ResourceModule m;
    m.name = "Elvasco";
    m.strings = {
        {8, "带状弯曲线模型"},
        {elvasco::kLossOutOfRange, "参数超出限制。\n导线厚度/绝缘厚度的比值必须小于或者等于 0.25 "
                                   "\n导线厚度/导线宽度的比值必须小于或者等于 0.11."},
        {elvasco::kNegativeThickness, "导线厚度必须是大于或等于零."},
        {elvasco::kStraightBend, "弯曲角度不能等于 180 度 (没有弯曲).\n请重新输入弯曲角度."},
    };
    for (const auto* t : {&kElectrical, &kDimensions})
        m.dialogs[t->templateId] = t->dialogTemplate();
    return m;
}

KORVANE_MAKER_MODULE(CElvascoApp, "Elvasco", makeResources())

class CPropSheet : public CMakerSheet {
  public:
    explicit CPropSheet(CString& text) : CMakerSheet(text) {
        AddPage(&m_page1);
        AddPage(&m_page2);
    }

  protected:
    bool compute() override {
        const auto outcome = elvasco::compute(m_in);
        if (!outcome.results) {
            frame::tell(GetResourceString(frame::instance(), outcome.refusal).str());
            return false;
        }
        if (auto refusal = elvasco::nonFinite(*outcome.results)) {
            frame::tell(*refusal);
            return false;
        }
        m_text = elvasco::modelText(m_in, *outcome.results);
        return true;
    }

  private:
    Inputs m_in;
    CTablePage<Inputs> m_page1{kElectrical, m_in, {1440}};
    CTablePage<Inputs> m_page2{kDimensions, m_in, {1450}};
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Stripline Bend\nRF")
