// Limbrel: the two-winding linear transformer. Turns ratio, leakage and magnetising inductance and the
// two winding resistances become two coupled inductors with their resistors.
#include "limbrel/core.h"
#include "limbrel/table.h"

#include "frame/maker.h"

namespace {

using limbrel::Inputs;
using K = ControlKind;

const frame::BoxTable<Inputs> kDialog{
    .templateId = 103,
    .caption = "双绕组线性变压器",
    .width = 243,
    .height = 130,
    .form = frame::Form::ParameterDialog,
    .rows = limbrel::boxRows({{
        {"匝数比(T1/T2)", {6, 22, 135, 8}, {143, 19, 82, 12}},
        {"漏磁电感(Ls)", {6, 34, 135, 8}, {143, 32, 82, 12}},
        {"励磁电感(Lm)", {6, 47, 135, 8}, {143, 45, 82, 12}},
        {"初级绕组阻抗(RL1)", {6, 60, 135, 8}, {143, 58, 82, 12}},
        {"次级绕组阻抗(RL2)", {6, 73, 135, 8}, {143, 71, 82, 12}},
    }}),
    .controls =
        {
            {IDOK, K::DefPushButton, "确定(&O)", {79, 108, 50, 14}, 0},
            {IDCANCEL, K::PushButton, "取消(&C)", {133, 108, 50, 14}, 0},
            {ID_HELP, K::PushButton, "帮助(&H)", {187, 108, 50, 14}, 0},
            {-1, K::EtchedLine, "", {0, 100, 243, 1}, 0},
        },
};

KORVANE_MAKER_MODULE(CLimbrelApp, "Limbrel", frame::resources("Limbrel", {}, kDialog))

class CParametersDlg : public CTableDialog<Inputs> {
  public:
    explicit CParametersDlg(CString& text) : CTableDialog(text, kDialog) {
        // Edits change nothing on the window; the values are read on OK.
        OnMessage(frame::messages().dataChanged, [](WPARAM, LPARAM) -> LRESULT { return 0; });
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 0; }
    std::uintptr_t helpBits() const override { return 0x6000; }

    bool build(int&) override {
        UpdateData(true);
        m_text = limbrel::modelText(m_in);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CParametersDlg, "Two Winding Linear Transformer\nREG")
