// Mirelth: the non-linear multiple-winding transformer. One primary and one to five secondaries, each
// a resistance and a leakage inductance in series with a winding on one saturating core; the core's
// B-H curve is a table the user edits or fills from three samples.
#include "core.h"

#include "frame/maker.h"
#include "platform/format.h"
#include "pressoc/listctrl.h"
#include "windings/windings.h"

#include <cmath>

namespace {

using mirelth::Inputs;

enum : int {
    IDC_SAMPLE1 = 500,
    IDC_SAMPLE3 = 502,
    IDC_SAMPLE_NAME = 503,
    IDC_CURVE = 1320,
    IDC_CURVE_POINTS = 9204,
};

using K = ControlKind;
using Row = frame::BoxRow<Inputs>;

// A box of the three secondary columns: its label 17 wide left of it, rows 13 units apart. The boxes
// are 92 units wide, not 82, so that a seven-digit value with its prefixed unit ("343.7747 µΩ") shows
// whole inside its column's group box.
Row secondary(const char* label, Unit unit, double def, int column, int i, frame::Field<Inputs> field) {
    constexpr int labelX[3] = {10, 127, 243}, boxX[3] = {29, 146, 262};
    const int y = 124 + 13 * i;
    return {.label = label,
            .unit = unit,
            .defaultValue = def,
            .field = field,
            .labelRect = {labelX[column], y + 2, 17, 8},
            .boxRect = {boxX[column], y, 92, 12}};
}

const char* const kOrdinals[5] = {"1st", "2nd", "3rd", "4th", "5th"};

std::vector<Row> generalRows() {
    std::vector<Row> rows{
        // The primary boxes are 100 units wide, not 82, so that "3.209625 mΩ" shows whole.
        {.label = "Primary Input Voltage",
         .unit = Unit::Volt,
         .defaultValue = 110,
         .field = &Inputs::vp,
         .labelRect = {77, 35, 117, 8},
         .boxRect = {197, 33, 100, 12}},
        {.label = "Leakage Impedance",
         .unit = Unit::Ohm,
         .defaultValue = 0.003209625,
         .field = &Inputs::lp,
         .labelRect = {77, 49, 117, 8},
         .boxRect = {197, 47, 100, 12}},
        {.label = "Winding Resistance",
         .unit = Unit::Ohm,
         .defaultValue = 1.21,
         .field = &Inputs::rp,
         .labelRect = {77, 63, 117, 8},
         .boxRect = {197, 60, 100, 12}},
        {.label = "Secondary Output Number",
         .lowPrefix = 4,
         .highPrefix = 4,
         .minimum = 1,
         .maximum = 5,
         .digits = 0,
         .defaultValue = 1,
         .field = &Inputs::count,
         // Wider to the left than 83 units so the whole label shows; its right edge stays.
         .labelRect = {29, 92, 123, 8},
         .boxRect = {155, 90, 82, 12}},
    };
    const double vs[5] = {3.3, 5, 12, 24, 36};
    const double ls[5] = {2.888662e-06, 6.631456e-06, 3.819719e-05, 1.527887e-04, 3.437747e-04};
    const double rs[5] = {0.001089, 0.0025, 0.0144, 0.0576, 0.1296};
    auto column = [&](Unit unit, const double* defaults, int c, auto field) {
        for (int i = 0; i < 5; ++i)
            rows.push_back(secondary(kOrdinals[i], unit, defaults[i], c, i, field(i)));
    };
    // Field accessors for element i of the three arrays.
    auto vsAt = [](int i) -> frame::Field<Inputs> {
        static constexpr frame::Field<Inputs> f[5] = {
            frame::at<&Inputs::vs, 0>(), frame::at<&Inputs::vs, 1>(), frame::at<&Inputs::vs, 2>(),
            frame::at<&Inputs::vs, 3>(), frame::at<&Inputs::vs, 4>()};
        return f[i];
    };
    auto lsAt = [](int i) -> frame::Field<Inputs> {
        static constexpr frame::Field<Inputs> f[5] = {
            frame::at<&Inputs::ls, 0>(), frame::at<&Inputs::ls, 1>(), frame::at<&Inputs::ls, 2>(),
            frame::at<&Inputs::ls, 3>(), frame::at<&Inputs::ls, 4>()};
        return f[i];
    };
    auto rsAt = [](int i) -> frame::Field<Inputs> {
        static constexpr frame::Field<Inputs> f[5] = {
            frame::at<&Inputs::rs, 0>(), frame::at<&Inputs::rs, 1>(), frame::at<&Inputs::rs, 2>(),
            frame::at<&Inputs::rs, 3>(), frame::at<&Inputs::rs, 4>()};
        return f[i];
    };
    column(Unit::Volt, vs, 0, vsAt);
    // Labelled as impedances; the values are the leakage inductances in henries.
    column(Unit::Ohm, ls, 1, lsAt);
    column(Unit::Ohm, rs, 2, rsAt);
    return rows;
}

const frame::BoxTable<Inputs> kGeneral{
    .templateId = 100,
    .caption = "General",
    .width = 362,
    .height = 196,
    .rows = generalRows(),
    .controls =
        {
            frame::groupBox("Primary", {71, 4, 231, 72}),
            frame::radio(windings::kOption1, "Option 1", {126, 15, 78, 10}, kStyleGroup),
            frame::radio(windings::kOption2, "Option 2", {218, 15, 75, 10}),
            frame::groupBox("Secondary", {3, 79, 357, 116}),
            frame::groupBox("Output Voltage", {8, 112, 116, 80}),
            frame::groupBox("Leakage Impedance", {123, 112, 117, 80}),
            frame::groupBox("Winding Resistance", {239, 112, 118, 80}),
        },
    .editBase = 9201,
    .labelBase = 9221,
};

const frame::BoxTable<Inputs> kAdvanced{
    .templateId = 101,
    .caption = "Advanced",
    .width = 362,
    .height = 196,
    .rows =
        {
            {.label = "Primary Turns",
             .lowPrefix = 4,
             .highPrefix = 8,
             .minimum = 1,
             .defaultValue = 1622,
             .field = &Inputs::np,
             .labelRect = {51, 16, 117, 8},
             .boxRect = {171, 14, 82, 12}},
            {.label = "Core Length",
             .unit = Unit::Metre,
             .defaultValue = 0.07615,
             .field = &Inputs::lc,
             .labelRect = {51, 30, 117, 8},
             .boxRect = {171, 28, 82, 12}},
            {.label = "Core Area",
             .unit = Unit::SquareMetre,
             .defaultValue = 0.00013,
             .field = &Inputs::ac,
             .labelRect = {51, 43, 117, 8},
             .boxRect = {171, 41, 82, 12}},
            {.label = "Curve Points",
             .lowPrefix = 4,
             .highPrefix = 4,
             .minimum = 1,
             .maximum = 999,
             .digits = 0,
             .defaultValue = 1,
             .field = &Inputs::curvePoints,
             .labelRect = {94, 79, 74, 8},
             .boxRect = {171, 76, 82, 12}},
        },
    .controls =
        {
            frame::groupBox("B-H Curve", {13, 66, 337, 126}),
            frame::label("Data List", {21, 94, 230, 10}, 0, IDC_SAMPLE_NAME),
            {IDC_CURVE, K::ListControl, "", {21, 104, 232, 82}, 0},
            frame::radio(IDC_SAMPLE1, "Sample 1", {268, 98, 77, 10}, kStyleGroup),
            frame::radio(501, "Sample 2", {268, 118, 77, 10}),
            frame::radio(IDC_SAMPLE3, "Sample 3", {268, 138, 77, 10}),
        },
    .editBase = 9201,
    .labelBase = 9221,
};

const std::map<unsigned, std::string> kStrings{
    {1, "Primary Input Voltage"},
    {2, "Secondary Output Number"},
    {3, "1st"},
    {4, "2nd"},
    {5, "3rd"},
    {6, "4th"},
    {7, "5th"},
    {8, "Nonlinear Transformer Model"},
    {10, "Leakage Impedance"},
    {11, "Winding Resistance"},
    {12, "Primary Turns"},
    {13, "Core Length"},
    {14, "Core Area"},
    {15, "Curve Points"},
    {18, "Order"},
    {19, "B Value"},
    {20, "H Value"},
};

KORVANE_MAKER_MODULE(CMirelthApp, "Mirelth", frame::resources("Mirelth", kStrings, kGeneral, kAdvanced))

using Page = CTablePage<Inputs>;

// The electrical data: primary presets and the rows of the counted secondaries.
class CPage1 : public windings::Windings<Page> {
  public:
    explicit CPage1(Inputs& in)
        : Windings({.primary = 0, .count = 3, .columns = {4, 9, 14}}, kGeneral, in, frame::Help{601}) {}
};

// The core: turns, length, area and the B-H table with its samples.
class CPage2 : public Page {
  public:
    explicit CPage2(Inputs& in) : Page(kAdvanced, in) {
        for (int i = 0; i < 3; ++i)
            OnClicked(IDC_SAMPLE1 + i, [this, i] { loadSample(i); });
        OnMessage(frame::messages().dataChanged, [this](WPARAM id, LPARAM) {
            if (static_cast<int>(id) == IDC_CURVE_POINTS) onCurvePoints();
            return LRESULT{0};
        });
        // Any accepted cell edit makes the curve the user's own.
        OnMessage(RegisterWindowMessage("Edit Data"), [this](WPARAM, LPARAM) {
            forgetSample();
            return LRESULT{0};
        });
    }

    // The B and H cells of every row, as they stand.
    std::vector<mirelth::CurveRow> table() const {
        std::vector<mirelth::CurveRow> rows;
        for (int r = 0; r < m_list.GetItemCount(); ++r)
            rows.push_back({m_list.GetCellText(r, 1).str(), m_list.GetCellText(r, 2).str()});
        return rows;
    }

  protected:
    std::uintptr_t helpContextNumber() const override { return 602; }
    std::uintptr_t helpBits() const override { return 0x6500; }

    void controlSetup() override {
        m_list.SubclassDlgItem(IDC_CURVE, this);
        const int half = (m_list.GetClientWidth() - 40) / 2;
        m_list.AddColumn(0, 40, GetResourceString(frame::instance(), 18), 0, 0, 0, 0, 0, 0, 0, 15);
        m_list.AddColumn(1, half, GetResourceString(frame::instance(), 19), 1, 0x80, 0, 9, 1, 0, 0, 15);
        m_list.AddColumn(2, half, GetResourceString(frame::instance(), 20), 1, 0x80, 0, 9, 1, 0, 0, 15);
        // A cell that is not a number would make a core no simulator reads.
        m_list.SetEditCheck([](int, int, const CString& text) {
            return mirelth::isNumberText(text.str())
                       ? EditVerdict{}
                       : EditVerdict{false, "a B or H value is a plain decimal number"};
        });
    }
    void finalStep() override {
        CheckRadioButton(IDC_SAMPLE1, IDC_SAMPLE3, IDC_SAMPLE1);
        loadSample(0);
    }

  private:
    void insertRow(int r) {
        const std::string order = korvane::format("%u", static_cast<unsigned>(r + 1));
        m_list.InsertItem({LVIF_TEXT, r + 1, 0, order.c_str()});
    }

    void loadSample(int s) {
        const auto& sample = mirelth::samples()[static_cast<size_t>(s)];
        SetDlgItemText(IDC_SAMPLE_NAME, sample.name);
        m_in.curvePoints = 0;
        m_list.DeleteAllItems();
        const int n = static_cast<int>(sample.points.size());
        m_in.curvePoints = n;
        box(3).SetValue(n);
        m_list.SetItemCountEx(n, 0);
        for (int i = 0; i < n; ++i) {
            insertRow(i);
            m_list.SetCellText(i, 1, mirelth::cellText(sample.points[static_cast<size_t>(i)][0]));
            m_list.SetCellText(i, 2, mirelth::cellText(sample.points[static_cast<size_t>(i)][1]));
        }
        refitLastColumn();
    }

    void onCurvePoints() {
        const double v = box(3).GetValue();
        const int n = std::isfinite(v) && v > 0 ? static_cast<int>(std::min(v, 999.0)) : 0;
        const int c = m_list.GetItemCount();
        if (n == c) return;
        m_list.SetItemCountEx(n, 0);
        for (int r = c; r < n; ++r) {
            insertRow(r);
            m_list.SetCellText(r, 1, "0");
            m_list.SetCellText(r, 2, "0");
        }
        refitLastColumn();
        forgetSample();
        if (CWnd* b = GetDlgItem(IDC_CURVE_POINTS)) b->SetFocus();
    }

    void forgetSample() {
        SetDlgItemText(IDC_SAMPLE_NAME, "");
        for (int id = IDC_SAMPLE1; id <= IDC_SAMPLE3; ++id)
            CheckDlgButton(id, BST_UNCHECKED);
    }

    // The H column takes what is left of the list's width, less the scroll bar when the rows do not fit.
    void refitLastColumn() {
        int w = m_list.GetClientWidth() - m_list.GetColumnWidth(0) - m_list.GetColumnWidth(1) - 6;
        if (m_list.GetItemCount() > m_list.GetCountPerPage()) w -= 16;
        m_list.SetColumnWidth(2, w);
    }

    CListCtrlExtEditable m_list;
};

class CPropSheet : public CMakerSheet {
  public:
    explicit CPropSheet(CString& text) : CMakerSheet(text) {
        AddPage(&m_page1);
        AddPage(&m_page2);
    }

  protected:
    bool compute() override {
        const auto table = m_page2.table();
        if (auto why = mirelth::refusal(m_in, table)) {
            frame::tell(*why);
            return false;
        }
        m_text = mirelth::modelText(m_in, table);
        return true;
    }

  private:
    Inputs m_in;
    CPage1 m_page1{m_in};
    CPage2 m_page2{m_in};
};

} // namespace

KORVANE_MAKER_EXPORTS(CPropSheet, "Non-Linear Transformer(Multiple Winding)\nREG\nV8")
