// Quarrin: the SCR maker. Two pages of data-sheet values (electrical characteristics and the forward
// voltage curve; times, ratings and the off-state network) and on OK the sub-circuit of diodes,
// controlled sources and the off-state network.
#include "core.h"

#include "frame/maker.h"

namespace {

using namespace quarrin;
using Row = frame::BoxRow<Inputs>;
using K = ControlKind;

constexpr Unit A = Unit::Ampere, V = Unit::Volt, S = Unit::Second;

Row pos(const char* label, Unit unit, double def, double Inputs::*field) {
    return {.label = label, .unit = unit, .defaultValue = def, .field = field};
}

// Page 1: the characteristics on the left, the three points of the forward voltage curve on the right,
// each current with "set value" between its label and its box.
constexpr int kLeftX = 6, kLeftLabel = 110, kBox = 66, kRightX = 206;

const frame::BoxTable<Inputs> kElectrical{
    .templateId = 100,
    .caption = "电气特征,最大正向电压 ",
    .width = 406,
    .height = 128,
    .rows =
        {
            pos("保持电流", A, 0.035, &Inputs::ih),
            pos("门触发电流", A, 0.025, &Inputs::igt),
            pos("门触发电压", V, 1, &Inputs::vgt),
            pos("最大正向阻断电流", A, 1e-05, &Inputs::idrm),
            pos("最大正向阻断电压", V, 50, &Inputs::vdrm),
            pos("最大反向阻断电压", V, 52.5, &Inputs::vrrm),
            pos("开路临界电压上升速率", Unit::VoltPerMicrosecond, 50, &Inputs::dvdt),
            pos("瞬时正向电流", A, 0.1, &Inputs::if1),
            pos("瞬时电压最小值", V, 0.87, &Inputs::vf1),
            pos("瞬时正向电流", A, 3, &Inputs::if2),
            pos("瞬时电压中间值", V, 1, &Inputs::vf2),
            pos("瞬时正向电流", A, 100, &Inputs::if3),
            pos("瞬时电压最大值", V, 2.54, &Inputs::vf3),
        },
    .layout =
        [](frame::TemplateBuilder& b) {
            b.column("电气特性", 0, 7, kLeftX, 4, 192, kLeftLabel, kBox);
            b.group("最大正向电压曲线图 ", {kRightX, 4, 194, 14 * 6 + 18});
            for (int point = 0; point < 3; ++point) {
                const int y = 16 + 28 * point, x = kRightX + 6;
                b.box(7 + 2 * point, {x, y + 2, 78, 8}, {x + 116, y, kBox, 12});
                b.control(-1, K::Static, "设置值:", {x + 82, y + 2, 32, 8});
                b.row(8 + 2 * point, x, y + 14, 112, kBox);
            }
        },
};

// Page 2: long labels (they carry the instructions for the off-state values), one column.
constexpr int kLongLabel = 340;

const frame::BoxTable<Inputs> kRatings{
    .templateId = 101,
    .caption = "时间数据 ,最大额定值",
    .width = 434,
    .height = 160,
    .rows =
        {
            pos("导通时间", S, 1.5e-06, &Inputs::ton),
            pos("关断时间", S, 1.5e-05, &Inputs::toff),
            pos("正向电流", A, 25, &Inputs::ifr),
            {.label = "元件\"关断状态\"的反向电流(Irc)，如果不可用就输入0",
             .unit = A,
             .minimum = 0,
             .defaultValue = 0,
             .field = &Inputs::irc},
            {.label = "元件\"关断状态\"的反向电压(Vrc)，如果不能用就输入0",
             .unit = V,
             .minimum = 0,
             .defaultValue = 0,
             .field = &Inputs::vrc},
            {.label = "标识符(如果高于现有的Irc和Vrc 值就等于1, 其它则等于 0)",
             .unit = Unit::None,
             .lowPrefix = 4,
             .highPrefix = 4,
             .minimum = 0,
             .maximum = 1,
             .digits = 0,
             .defaultValue = 0,
             .field = &Inputs::id},
            pos("\"关断状态\"相关参数. (如果高于现有的Irc和Vrc 值就等于零,否则等于峰值正向电流)", A, 25,
                &Inputs::pi),
            pos("\"关断状态\"参数相关. (如果高于现有的Irc和Vrc 值就等于零,否则等于峰值反向阻断电压)", V, 50,
                &Inputs::pv),
        },
    .layout =
        [](frame::TemplateBuilder& b) {
            const int y = b.column("电气特性", 0, 2, 6, 4, 422, kLongLabel, kBox);
            b.column("最大额定值曲线图", 2, 6, 6, y, 422, kLongLabel, kBox);
        },
};

const std::map<unsigned, std::string> kStrings{
    {8, "可控硅模型(预置 2N6504)"},
    {kGateOutOfRange, "控制门触发电流和电压输入值不在可接受值域.\r\n请检查输入值."},
};

KORVANE_MAKER_MODULE(CQuarrinApp, "Quarrin", frame::resources("Quarrin", kStrings, kElectrical, kRatings))

using Page = CTablePage<Inputs>;

class CPropSheet : public CTwoPageSheet<Inputs> {
  public:
    explicit CPropSheet(CString& text) : CTwoPageSheet(text, kElectrical, {730}, kRatings, {111102}) {}

  protected:
    bool compute() override {
        const Parameters p = quarrin::compute(m_in);
        if (!gateInRange(p)) {
            frame::tell(kGateOutOfRange);
            return false;
        }
        if (auto refusal = nonFinite(p)) {
            frame::tell(*refusal);
            return false;
        }
        m_text = modelText(m_in, p);
        return true;
    }
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "SCR\nREG")
