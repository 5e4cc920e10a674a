// Soskin: the ideal multiple-winding transformer. One primary and one to five secondaries; the
// voltage ratios become the gains of controlled sources in a sub-circuit.
#include "core.h"

#include "frame/maker.h"
#include "windings/windings.h"

namespace {

using soskin::Inputs;

using K = ControlKind;
using Row = frame::BoxRow<Inputs>;

// A secondary voltage row inside the "output voltage" group.
Row secondary(unsigned labelId, const char* label, double volts, int y, auto field) {
    return {.label = label,
            .labelId = labelId,
            .unit = Unit::Volt,
            .defaultValue = volts,
            .field = field,
            .labelRect = {51, y + 2, 28, 8},
            .boxRect = {81, y, 82, 12}};
}

const frame::BoxTable<Inputs> kDialog{
    .templateId = 103,
    .caption = "理想变压器模型",
    .width = 241,
    .height = 209,
    .form = frame::Form::ParameterDialog,
    .rows =
        {
            {.label = "初级输入电压",
             .labelId = 1,
             .unit = Unit::Volt,
             .defaultValue = 110.0,
             .field = &Inputs::vp,
             .labelRect = {9, 35, 121, 8},
             .boxRect = {133, 33, 82, 12}},
            {.label = "次级输出数量",
             .labelId = 2,
             .lowPrefix = 4,
             .highPrefix = 4,
             .minimum = 1.0,
             .maximum = 5.0,
             .digits = 0,
             .defaultValue = 1.0,
             .field = &Inputs::count,
             .labelRect = {9, 73, 121, 8},
             .boxRect = {133, 71, 82, 12}},
            secondary(3, "1st", 3.3, 104, frame::at<&Inputs::secondary, 0>()),
            secondary(4, "2nd", 5.0, 117, frame::at<&Inputs::secondary, 1>()),
            secondary(5, "3rd", 12.0, 130, frame::at<&Inputs::secondary, 2>()),
            secondary(6, "4th", 24.0, 143, frame::at<&Inputs::secondary, 3>()),
            secondary(7, "5th", 36.0, 156, frame::at<&Inputs::secondary, 4>()),
        },
    .controls =
        {
            {IDOK, K::DefPushButton, "确定(&O)", {79, 189, 50, 14}, 0},
            {IDCANCEL, K::PushButton, "取消(&C)", {132, 189, 50, 14}, 0},
            {ID_HELP, K::PushButton, "帮助(&H)", {185, 189, 50, 14}, 0},
            frame::groupBox("初级", {3, 5, 233, 44}),
            frame::radio(windings::kOption1, "选项 1", {58, 15, 77, 10}, kStyleGroup),
            frame::radio(windings::kOption2, "选项 2", {150, 15, 77, 10}),
            frame::groupBox("次级", {3, 59, 233, 116}),
            frame::groupBox("输出电压", {45, 90, 141, 83}),
            {-1, K::EtchedLine, "", {1, 181, 240, 1}, 0},
        },
};

KORVANE_MAKER_MODULE(CSoskinApp, "Soskin", frame::resources("Soskin", {}, kDialog))

class CParametersDlg : public windings::Windings<CTableDialog<Inputs>> {
  public:
    explicit CParametersDlg(CString& text)
        : Windings({.primary = 0, .count = 1, .columns = {2}}, text, kDialog, frame::Help{602, 0x6000}) {}

  protected:
    bool build(int&) override {
        UpdateData(true);
        m_text = soskin::modelText(m_in);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CParametersDlg, "Ideal Transformer(Multiple Winding)\nREG\nV8")
