// Dorvane: the linear multiple-winding transformer. One primary and one to five secondaries, each with
// its leakage inductance and winding resistance; the windings become coupled inductors with resistors.
#include "core.h"

#include "frame/maker.h"
#include "windings/windings.h"

namespace {

using dorvane::Inputs;

// Box indices: the count, and the first box of each of the three secondary columns.
enum : int { kCount = 4, kVoltages = 5, kLeakages = 10, kResistances = 15 };

using K = ControlKind;
using Row = frame::BoxRow<Inputs>;

constexpr int kColumnY[] = {136, 149, 162, 175, 188};
constexpr int kLabelY[] = {138, 151, 164, 177, 191};
constexpr const char* kOrdinals[] = {"1st", "2nd", "3rd", "4th", "5th"};

// Row i (0-based) of a secondary column: the label 19 units left of the box. The leakage and
// resistance entries are inductances and resistances, both shown with the ohm unit. The boxes are 92
// units wide, not 82, and the ordinal labels narrower, so that a seven-digit value with its prefixed
// unit ("343.7747 µΩ") shows whole inside its column's group box.
Row column(int i, int labelX, Unit unit, double def, frame::Field<Inputs> field) {
    const int y = kColumnY[i];
    return {.label = kOrdinals[i],
            .labelId = static_cast<unsigned>(3 + i),
            .unit = unit,
            .defaultValue = def,
            .field = field,
            .labelRect = {labelX, kLabelY[i], 17, 8},
            .boxRect = {labelX + 19, y, 92, 12}};
}

// A primary row. Its box is 100 units wide, not 82, so that "16.048124 Ω" shows whole; it still ends
// inside the primary group box.
Row primary(unsigned labelId, const char* label, Unit unit, double def, double Inputs::*field, int y) {
    return {.label = label,
            .labelId = labelId,
            .unit = unit,
            .defaultValue = def,
            .field = field,
            .labelRect = {77, y + 2, 117, 8},
            .boxRect = {197, y, 100, 12}};
}

std::vector<Row> rows() {
    std::vector<Row> r{
        primary(1, "初级输入电压", Unit::Volt, 110.0, &Inputs::vp, 33),
        primary(9, "励磁阻抗", Unit::Ohm, 16.048124, &Inputs::lm, 47),
        primary(10, "泄漏阻抗", Unit::Ohm, 0.003209625, &Inputs::lp, 60),
        primary(11, "绕组电阻", Unit::Ohm, 1.21, &Inputs::rp, 73),
        {.label = "次级输出数量",
         .labelId = 2,
         .lowPrefix = 4,
         .highPrefix = 4,
         .minimum = 1.0,
         .maximum = 5.0,
         .digits = 0,
         .defaultValue = 1.0,
         .field = &Inputs::count,
         .labelRect = {67, 105, 84, 8},
         .boxRect = {154, 102, 82, 12}},
    };
    const double vs[] = {3.3, 5, 12, 24, 36};
    const double ls[] = {2.888662e-06, 6.631456e-06, 3.819719e-05, 1.527887e-04, 3.437747e-04};
    const double rs[] = {0.001089, 0.0025, 0.0144, 0.0576, 0.1296};
    const frame::Field<Inputs> vsField[] = {frame::at<&Inputs::vs, 0>(), frame::at<&Inputs::vs, 1>(),
                                            frame::at<&Inputs::vs, 2>(), frame::at<&Inputs::vs, 3>(),
                                            frame::at<&Inputs::vs, 4>()};
    const frame::Field<Inputs> lsField[] = {frame::at<&Inputs::ls, 0>(), frame::at<&Inputs::ls, 1>(),
                                            frame::at<&Inputs::ls, 2>(), frame::at<&Inputs::ls, 3>(),
                                            frame::at<&Inputs::ls, 4>()};
    const frame::Field<Inputs> rsField[] = {frame::at<&Inputs::rs, 0>(), frame::at<&Inputs::rs, 1>(),
                                            frame::at<&Inputs::rs, 2>(), frame::at<&Inputs::rs, 3>(),
                                            frame::at<&Inputs::rs, 4>()};
    for (int i = 0; i < 5; ++i)
        r.push_back(column(i, 10, Unit::Volt, vs[i], vsField[i]));
    for (int i = 0; i < 5; ++i)
        r.push_back(column(i, 126, Unit::Ohm, ls[i], lsField[i]));
    for (int i = 0; i < 5; ++i)
        r.push_back(column(i, 243, Unit::Ohm, rs[i], rsField[i]));
    return r;
}

const frame::BoxTable<Inputs> kDialog{
    .templateId = 103,
    .caption = "线性变压器模型",
    .width = 364,
    .height = 238,
    .form = frame::Form::ParameterDialog,
    .rows = rows(),
    .controls =
        {
            {IDOK, K::DefPushButton, "确定(&O)", {200, 218, 50, 14}, 0},
            {IDCANCEL, K::PushButton, "取消(&C)", {253, 218, 50, 14}, 0},
            {ID_HELP, K::PushButton, "帮助(&H)", {306, 217, 50, 14}, 0},
            frame::groupBox("初级", {71, 4, 240, 85}),
            frame::radio(windings::kOption1, "选项 1", {126, 15, 78, 10}, kStyleGroup),
            frame::radio(windings::kOption2, "选项 2", {218, 15, 75, 10}),
            frame::groupBox("次级", {3, 91, 358, 116}),
            frame::groupBox("输出电压", {8, 124, 115, 80}),
            frame::groupBox("泄漏阻抗", {122, 124, 118, 80}),
            frame::groupBox("绕组电阻", {239, 124, 118, 80}),
            {-1, K::EtchedLine, "", {0, 209, 363, 1}, 0},
        },
};

KORVANE_MAKER_MODULE(CDorvaneApp, "Dorvane", frame::resources("Dorvane", {}, kDialog))

class CParametersDlg : public windings::Windings<CTableDialog<Inputs>> {
  public:
    explicit CParametersDlg(CString& text)
        : Windings({.primary = 0, .count = kCount, .columns = {kVoltages, kLeakages, kResistances}}, text,
                   kDialog, frame::Help{602, 0x6100}) {}

  protected:
    bool build(int&) override {
        UpdateData(true);
        m_text = dorvane::modelText(m_in);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CParametersDlg, "Linear Transformer(Multiple Winding)\nREG\nV8")
