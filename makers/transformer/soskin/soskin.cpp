// Soskin: the ideal multiple-winding transformer. One primary and one to five secondaries; the
// voltage ratios become the gains of controlled sources in a sub-circuit.
#include "frame/maker.h"
#include "frame/modeltext.h"

#include <array>

namespace {

constexpr double kMax = 999999999999999.0;

constexpr std::array<LabelledUnitBoxSetup, 7> kSetup{{
    {1, {true, 2, 0, 8, 1e-15, kMax, 3, false, 110.0}},
    {2, {true, 0, 4, 4, 1.0, 5.0, 0, false, 1.0}},
    {3, {true, 2, 0, 8, 1e-15, kMax, 3, false, 3.3}},
    {4, {true, 2, 0, 8, 1e-15, kMax, 3, false, 5.0}},
    {5, {true, 2, 0, 8, 1e-15, kMax, 3, false, 12.0}},
    {6, {true, 2, 0, 8, 1e-15, kMax, 3, false, 24.0}},
    {7, {true, 2, 0, 8, 1e-15, kMax, 3, false, 36.0}},
}};

enum : int {
    IDC_OPTION1 = 500,
    IDC_OPTION2 = 501,
    IDC_PRIMARY = 9201,
    IDC_COUNT = 9202,
    IDC_FIRST_SECONDARY = 9203,
    IDC_FIRST_SECONDARY_LABEL = 9223,
};

ResourceModule makeResources() {
    ResourceModule m;
    m.name = "Soskin";
    m.strings = {{1, "初级输入电压"}, {2, "次级输出数量"}, {3, "1st"}, {4, "2nd"},
                 {5, "3rd"},          {6, "4th"},          {7, "5th"}};
    DialogTemplate d;
    d.id = 103;
    d.caption = "理想变压器模型";
    d.width = 241;
    d.height = 209;
    using K = ControlKind;
    const std::uint32_t label = kStyleRight | kStyleCenterV;
    d.controls = {
        {IDOK, K::DefPushButton, "确定(&O)", {79, 189, 50, 14}, 0},
        {IDCANCEL, K::PushButton, "取消(&C)", {132, 189, 50, 14}, 0},
        {ID_HELP, K::PushButton, "帮助(&H)", {185, 189, 50, 14}, 0},
        {-1, K::GroupBox, "初级", {3, 5, 233, 44}, 0},
        {IDC_OPTION1, K::RadioButton, "选项 1", {58, 15, 77, 10}, kStyleGroup},
        {IDC_OPTION2, K::RadioButton, "选项 2", {150, 15, 77, 10}, 0},
        {9221, K::Static, "", {9, 35, 121, 8}, label},
        {9201, K::Edit, "", {133, 33, 82, 12}, kStyleGroup},
        {-1, K::GroupBox, "次级", {3, 59, 233, 116}, 0},
        {-1, K::GroupBox, "输出电压", {45, 90, 141, 83}, 0},
        {9222, K::Static, "", {9, 73, 121, 8}, label},
        {9202, K::Edit, "", {133, 71, 82, 12}, 0},
        {9223, K::Static, "", {51, 106, 28, 8}, label},
        {9203, K::Edit, "", {81, 104, 82, 12}, 0},
        {9224, K::Static, "", {51, 119, 28, 8}, label},
        {9204, K::Edit, "", {81, 117, 82, 12}, 0},
        {9225, K::Static, "", {51, 133, 28, 8}, label},
        {9205, K::Edit, "", {81, 130, 82, 12}, 0},
        {9226, K::Static, "", {51, 146, 28, 8}, label},
        {9206, K::Edit, "", {81, 143, 82, 12}, 0},
        {9227, K::Static, "", {51, 159, 28, 8}, label},
        {9207, K::Edit, "", {81, 156, 82, 12}, 0},
        {-1, K::EtchedLine, "", {1, 181, 240, 1}, 0},
    };
    m.dialogs[103] = d;
    return m;
}

const ResourceModule g_resources = makeResources();

class CSoskinApp : public CWinApp {
  public:
    CSoskinApp() : CWinApp("Soskin") {}
};
CSoskinApp theApp;
const frame::ModuleRegistration g_registration(g_resources, theApp);

class CParametersDlg : public CMakerDialog {
  public:
    explicit CParametersDlg(CString& text) : CMakerDialog(text, kSetup) {
        OnClicked(IDC_OPTION1, [this] { applyPreset(110.0); });
        OnClicked(IDC_OPTION2, [this] { applyPreset(220.0); });
        OnClicked(ID_HELP, [this] {
            HELPINFO info;
            info.cbSize = 28;
            SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        });
        OnMessage(frame::messages().dataChanged,
                  [this](WPARAM id, LPARAM) { return onDataChanged(static_cast<int>(id)); });
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 602; }
    std::uintptr_t helpBits() const override { return 0x6000; }

    void controlSetup() override {
        CheckRadioButton(IDC_OPTION1, IDC_OPTION2, IDC_OPTION1);
        applyPreset(110.0);
    }

    // Only the rows of the counted secondaries are visible from the start.
    void finalStep() override { onDataChanged(IDC_COUNT); }

    bool build(int&) override {
        UpdateData(true);
        const double vp = m_values[0];
        m_text = "*************************************************************\r\n";
        frame::appendLines(m_text, {"*", "*          Ideal Transformer Model",
                                    "*          Quolvane                      ",
                                    "*          SPICE MODEL MAKER TOOL  Version 1.1", "*"});
        m_text += frame::dateText("*   Date: %A, %B %d, %Y\r\n");
        m_text += "*************************************************************\r\n";

        const int count = static_cast<int>(m_values[1]);
        double ratio[5] = {};
        for (int i = 1; i <= count && i <= 5; ++i)
            ratio[i - 1] = vp / m_values[static_cast<size_t>(1 + i)];

        m_text += ".subckt ideal_tran p1 p0";
        for (int i = 1; i <= count && i <= 5; ++i)
            m_text.AppendFormat(" s%d1 s%d0", i, i);
        m_text += "\r\n";
        for (int i = 1; i <= count && i <= 5; ++i) {
            m_text.AppendFormat("e%d x%d s%d0 p1 p0 %lf\r\n", i, i, i, 1.0 / ratio[i - 1]);
            m_text.AppendFormat("v%d x%d s%d1 dc 0\r\n", i, i, i);
            m_text.AppendFormat("f%d p1 p0 v%d %lf\r\n", i, i, ratio[i - 1]);
        }
        m_text += ".ends\r\n";
        return true;
    }

  private:
    void applyPreset(double volts) {
        m_values[0] = volts;
        box(0).SetValue(volts);
    }

    LRESULT onDataChanged(int id) {
        if (id == IDC_COUNT) {
            // The count as the box holds it; rows of uncounted secondaries are hidden, not cleared.
            const int n = static_cast<int>(box(1).GetValue());
            for (int k = 1; k <= 4; ++k) {
                const int cmd = k < n ? SW_SHOW : SW_HIDE;
                if (CWnd* l = GetDlgItem(IDC_FIRST_SECONDARY_LABEL + k)) l->ShowWindow(cmd);
                box(2 + k).ShowWindow(cmd);
            }
            if (CWnd* c = GetDlgItem(IDC_COUNT)) c->SetFocus();
        } else if (id == IDC_PRIMARY) {
            CheckRadioButton(IDC_OPTION1, IDC_OPTION2, 0);
        }
        return 0;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CParametersDlg, "Ideal Transformer(Multiple Winding)\nREG\nV8")
