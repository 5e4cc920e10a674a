// Wenlock: the microstrip line maker. Two pages (substrate and frequency, strip dimensions); on OK a
// sub-circuit with one lossy-line element whose per-metre values come from closed-form formulas.
#include "core.h"

#include "frame/maker.h"
#include "rflinepages/line_pages.h"

namespace {

using wenlock::Inputs;
using Row = frame::BoxRow<Inputs>;

const frame::BoxTable<Inputs> kElectrical = rf::electricalPage<Inputs>({9.8, 2000000000.0, 2.44e-8, 0.002});

const frame::BoxTable<Inputs> kDimensions = rf::dimensionsPage<Inputs>({
    {.label = "导线长度", .unit = Unit::Metre, .defaultValue = 0.02, .field = &Inputs::length},
    {.label = "导线宽度", .unit = Unit::Metre, .defaultValue = 0.0006, .field = &Inputs::width},
    {.label = "绝缘厚度", .unit = Unit::Metre, .defaultValue = 0.000635, .field = &Inputs::height},
    {.label = "导线厚度",
     .unit = Unit::Metre,
     .minimum = 0,
     .defaultValue = 8e-6,
     .field = &Inputs::thickness},
});

const std::map<unsigned, std::string> kStrings{
    {8, "微带线模型"},
    {wenlock::kAskWidthRatio,
     "该导体宽度/绝缘厚度比超出可接受范围[0.1, 10].\n模型精确性可以降低.\n你想重复输入吗？[是／否]"},
    {wenlock::kAskPermittivity,
     "警告:相对介电常数超出有效范围 [1,128].\n模型精确性可能降低.\n你想重新输入吗？[是／否]"},
};

KORVANE_MAKER_MODULE(CWenlockApp, "Wenlock", frame::resources("Wenlock", kStrings, kElectrical, kDimensions))

class CPropSheet : public CTwoPageSheet<Inputs> {
  public:
    explicit CPropSheet(CString& text) : CTwoPageSheet(text, kElectrical, {1360}, kDimensions, {1370}) {}

  protected:
    bool compute() override {
        // Yes at a warning means "re-enter": the sheet stays open with every value kept.
        auto results = wenlock::compute(m_in, [](unsigned id) { return frame::ask(id); });
        if (!results) return false;
        if (auto refusal = wenlock::nonFinite(*results)) {
            frame::tell(*refusal);
            return false;
        }
        m_text = wenlock::modelText(m_in, *results);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Microstrip Line\nRF")
