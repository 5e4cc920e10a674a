// Gastor: the linear transformer with a centre-tapped secondary (neutral terminal). The dialog is the
// two-winding transformer's with its own labels and places.
#include "gastor/core.h"
#include "limbrel/table.h"

#include "frame/maker.h"

namespace {

using gastor::Inputs;
using K = ControlKind;

const frame::BoxTable<Inputs> kDialog{
    .templateId = 103,
    .caption = "线性变压器与次级中心抽头",
    .width = 254,
    .height = 130,
    .form = frame::Form::ParameterDialog,
    .rows = limbrel::boxRows({{
        {"匝数比(T1/T2)", {4, 23, 154, 8}, {161, 20, 82, 12}},
        {"初级绕组漏磁电感(Ls)", {4, 35, 154, 8}, {161, 34, 82, 12}},
        {"励磁电感(Lm)", {4, 47, 154, 8}, {161, 47, 82, 12}},
        {"初级绕组阻抗(RL1)", {4, 60, 154, 8}, {161, 59, 82, 12}},
        {"次级线圈中间抽头阻抗(RL2h)", {4, 74, 154, 8}, {161, 72, 82, 12}},
    }}),
    .controls =
        {
            {IDOK, K::DefPushButton, "确定(&O)", {89, 109, 50, 14}, 0},
            {IDCANCEL, K::PushButton, "取消(&C)", {143, 109, 50, 14}, 0},
            {ID_HELP, K::PushButton, "帮助(&H)", {197, 109, 50, 14}, 0},
            {-1, K::EtchedLine, "", {0, 100, 254, 1}, 0},
        },
};

KORVANE_MAKER_MODULE(CGastorApp, "Gastor", frame::resources("Gastor", {}, kDialog))

class CParametersDlg : public CTableDialog<Inputs> {
  public:
    explicit CParametersDlg(CString& text) : CTableDialog(text, kDialog) {
        // Edits change nothing on the window; the values are read on OK.
        OnMessage(frame::messages().dataChanged, [](WPARAM, LPARAM) -> LRESULT { return 0; });
    }

  protected:
    // Help context 0, passed on without any bits.
    std::uintptr_t helpContextNumber() const override { return 0; }

    bool build(int&) override {
        UpdateData(true);
        m_text = gastor::modelText(m_in);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CParametersDlg, "Linear Transformer with Neutral Terminal\nREG")
