// Elvasco: the stripline bend maker. Two pages (dielectric and frequency, strip and bend); on OK a
// sub-circuit of two lossy-line arms with the bend's T of inductances and a capacitance between them.
#include "core.h"

#include "frame/maker.h"
#include "rflinepages/line_pages.h"

namespace {

using elvasco::Inputs;
using Row = frame::BoxRow<Inputs>;

const frame::BoxTable<Inputs> kElectrical = rf::electricalPage<Inputs>({9.8, 1000000000.0, 1.708e-8, 0.002});

const frame::BoxTable<Inputs> kDimensions = rf::dimensionsPage<Inputs>({
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
});

const std::map<unsigned, std::string> kStrings{
    {8, "带状弯曲线模型"},
    {elvasco::kLossOutOfRange, "参数超出限制。\n导线厚度/绝缘厚度的比值必须小于或者等于 0.25 "
                               "\n导线厚度/导线宽度的比值必须小于或者等于 0.11."},
    {elvasco::kNegativeThickness, "导线厚度必须是大于或等于零."},
    {elvasco::kStraightBend, "弯曲角度不能等于 180 度 (没有弯曲).\n请重新输入弯曲角度."},
};

KORVANE_MAKER_MODULE(CElvascoApp, "Elvasco", frame::resources("Elvasco", kStrings, kElectrical, kDimensions))

class CPropSheet : public CTwoPageSheet<Inputs> {
  public:
    explicit CPropSheet(CString& text) : CTwoPageSheet(text, kElectrical, {1440}, kDimensions, {1450}) {}

  protected:
    bool compute() override {
        const auto outcome = elvasco::compute(m_in);
        if (!outcome.results) {
            frame::tell(outcome.refusal);
            return false;
        }
        if (auto refusal = elvasco::nonFinite(*outcome.results)) {
            frame::tell(*refusal);
            return false;
        }
        m_text = elvasco::modelText(m_in, *outcome.results);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Stripline Bend\nRF")
