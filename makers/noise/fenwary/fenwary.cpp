// Fenwary: a random noise source as a table of time and value lines. The user picks a distribution
// and its parameters, the time range, the number of samples and the RMS level.
#include "core.h"

#include "frame/maker.h"
#include "platform/clock.h"

namespace {

using fenwary::Inputs;

enum : int { IDC_TYPE = 9930, IDC_START = 9203, IDC_STOP = 9204 };

using K = ControlKind;
using Row = frame::BoxRow<Inputs>;

Row lowerRow(unsigned labelId, const char* label, int y, Row r) {
    r.label = label;
    r.labelId = labelId;
    r.labelRect = {5, y + 2, 135, 8};
    r.boxRect = {143, y, 82, 12};
    return r;
}

const frame::BoxTable<Inputs> kDialog{
    .templateId = 103,
    .caption = "随机噪声发生器",
    .width = 239,
    .height = 172,
    .form = frame::Form::ParameterDialog,
    .rows =
        {
            {.label = "平均值",
             .labelId = 10,
             .lowPrefix = 4,
             .highPrefix = 4,
             .minimum = 0,
             .maximum = 99999,
             .defaultValue = 100,
             .field = &Inputs::p1,
             .labelRect = {5, 35, 135, 8},
             .boxRect = {143, 33, 82, 12}},
            {.label = "标准偏差",
             .labelId = 11,
             .lowPrefix = 4,
             .highPrefix = 4,
             .minimum = 0,
             .maximum = 99999,
             .defaultValue = 24,
             .field = &Inputs::p2,
             .labelRect = {5, 49, 135, 8},
             .boxRect = {143, 47, 82, 12}},
            // The start time's default 0 lies below its minimum: it is shown as it is; the limits
            // apply to what the user enters.
            lowerRow(1, "起始时间(秒)", 71,
                     {.unit = Unit::Second, .defaultValue = 0, .field = &Inputs::tStart}),
            lowerRow(2, "停止时间(秒)", 84,
                     {.unit = Unit::Second, .defaultValue = 0.0005, .field = &Inputs::tStop}),
            lowerRow(3, "间隔时间采样数", 97,
                     {.lowPrefix = 4,
                      .highPrefix = 4,
                      .minimum = 2,
                      .maximum = 99999,
                      .digits = 0,
                      .defaultValue = 50,
                      .field = &Inputs::samples}),
            lowerRow(4, "RMS噪声电平)", 110, {.defaultValue = 2e-10, .field = &Inputs::rms}),
        },
    .controls =
        {
            frame::groupBox("分布", {4, 5, 229, 59}),
            frame::label("类型", {11, 16, 72, 9}),
            frame::dropList(IDC_TYPE, {86, 14, 139, 70}),
            {-1, K::EtchedLine, "", {0, 142, 239, 1}, 0},
            {IDOK, K::DefPushButton, "确定(&O)", {79, 150, 50, 14}, 0},
            {IDCANCEL, K::PushButton, "取消(&C)", {133, 150, 50, 14}, 0},
            {ID_HELP, K::PushButton, "帮助(&H)", {187, 150, 50, 14}, 0},
        },
};

// Per distribution: the labels of rows 0 and 1 (0: the row is hidden) and the values they are reset to.
struct DistributionRows {
    unsigned label1, label2;
    double p1, p2;
    bool integer;
};
constexpr DistributionRows kDistributions[5] = {
    {10, 11, 100, 24, false}, // normal: mean and standard deviation
    {12, 0, 100, 0, false},   // exponential: mean
    {13, 0, 100, 0, true},    // uniform integer: upper limit
    {14, 0, 100, 0, true},    // uniform long integer: upper limit
    {15, 16, 100, 1, false},  // uniform real: upper and lower limit
};

const std::map<unsigned, std::string> kStrings{
    {12, "平均值"}, {13, "上限"}, {14, "上限"},       {15, "上限"},         {16, "下限"},
    {20, "标准"},   {21, "指数"}, {22, "均匀(整数)"}, {23, "均匀(长整数)"}, {24, "均匀(实数)"}};

KORVANE_MAKER_MODULE(CFenwaryApp, "Fenwary", frame::resources("Fenwary", kStrings, kDialog))

class CParametersDlg : public CTableDialog<Inputs> {
  public:
    explicit CParametersDlg(CString& text) : CTableDialog(text, kDialog) {
        OnSelChange(IDC_TYPE, [this] { onDistribution(); });
        OnMessage(frame::messages().dataChanged, [this](WPARAM id, LPARAM) {
            guardTimeRange(static_cast<int>(id));
            return LRESULT{0};
        });
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 0; }

    void controlSetup() override {
        CWnd* combo = GetDlgItem(IDC_TYPE);
        for (unsigned id = 20; id <= 24; ++id)
            combo->AddString(GetResourceString(frame::instance(), id));
    }

    void finalStep() override {
        GetDlgItem(IDC_TYPE)->SetCurSel(0);
        onDistribution();
    }

    bool build(int&) override {
        UpdateData(true);
        fenwary::Generator generator(fenwary::nextSeed(korvane::calendarSeconds()));
        m_text = fenwary::sampleText(m_in, generator);
        return true;
    }

  private:
    void onDistribution() {
        const int sel = GetDlgItem(IDC_TYPE)->GetCurSel();
        if (sel < 0 || sel > 4) return;
        // What the user typed in the other boxes is kept; only the distribution's parameters reset.
        if (m_bInitialised) UpdateData(true);
        m_in.distribution = sel;
        const DistributionRows& d = kDistributions[sel];
        for (int k = 0; k < 2; ++k) {
            label(k)->ShowWindow(SW_SHOW);
            box(k).ShowWindow(SW_SHOW);
            box(k).m_nDigits = 3;
        }
        if (d.integer) box(0).m_nDigits = 0;
        m_in.p1 = d.p1;
        label(0)->SetWindowText(GetResourceString(frame::instance(), d.label1));
        if (d.label2) {
            m_in.p2 = d.p2;
            label(1)->SetWindowText(GetResourceString(frame::instance(), d.label2));
        } else {
            label(1)->SetWindowText("");
            label(1)->ShowWindow(SW_HIDE);
            box(1).ShowWindow(SW_HIDE);
        }
        UpdateData(false);
    }

    // The stop time never stays below the start time: the box not edited follows the edited one.
    void guardTimeRange(int id) {
        if (id != IDC_START && id != IDC_STOP) return;
        auto& start = box(2);
        auto& stop = box(3);
        if (!(stop.GetValue() < start.GetValue())) return;
        if (id == IDC_START)
            stop.SetValue(start.GetValue());
        else
            start.SetValue(stop.GetValue());
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CParametersDlg, "Random Noise Generator\nREG")
