// Hadrel: the centred strip line maker. Two pages (dielectric and frequency, strip dimensions); on OK a
// sub-circuit with one lossy-line element whose per-metre values come from closed-form formulas.
#include "core.h"

#include "frame/maker.h"
#include "rflinepages/line_pages.h"

namespace {

using hadrel::Inputs;
using Row = frame::BoxRow<Inputs>;

const frame::BoxTable<Inputs> kElectrical = rf::electricalPage<Inputs>({9.8, 1000000000.0, 1.708e-8, 0.002});

const frame::BoxTable<Inputs> kDimensions = rf::dimensionsPage<Inputs>({
    {.label = "导线长度", .unit = Unit::Metre, .defaultValue = 0.03, .field = &Inputs::length},
    {.label = "导线宽度", .unit = Unit::Metre, .defaultValue = 0.0006, .field = &Inputs::width},
    {.label = "绝缘厚度", .unit = Unit::Metre, .defaultValue = 0.00127, .field = &Inputs::spacing},
    {.label = "导线厚度",
     .unit = Unit::Metre,
     .minimum = 0,
     .defaultValue = 8e-6,
     .field = &Inputs::thickness},
});

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

class CPropSheet : public CTwoPageSheet<Inputs> {
  public:
    explicit CPropSheet(CString& text) : CTwoPageSheet(text, kElectrical, {1420}, kDimensions, {1430}) {}

  protected:
    bool compute() override {
        const auto outcome = hadrel::compute(m_in);
        if (!outcome.results) {
            frame::tell(outcome.refusal);
            return false;
        }
        if (auto refusal = hadrel::nonFinite(*outcome.results)) {
            frame::tell(*refusal);
            return false;
        }
        m_text = hadrel::modelText(m_in, *outcome.results);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Strip Line\nRF")
