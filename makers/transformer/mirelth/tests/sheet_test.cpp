// Mirelth through the built plug-in, as the host runs it: the texts, the two pages' rows and their
// show/hide rules, the B-H table on the editable list, help and the refusals.
#include "makertest/plugin.h"
#include "makertest/support.h"
#include "pressoc/listctrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const makertest::Plugin& mirelth() {
    static makertest::Plugin p("Mirelth");
    return p;
}

using makertest::crlfLines;
using makertest::item;

class MirelthSheet : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(mirelth().loaded()) << mirelth().error(); }
    makertest::PinnedDate date; // Monday, December 08, 2025
};

// What page 2 shows of the B-H table.
struct TableView {
    std::vector<std::string> order, b, h;
    std::string sampleName;
    std::vector<int> checked; // sample buttons 500, 501, 502
    int hColumnWidth = -1;
    double curvePoints = 0;
};

TableView viewOf(CModalWindow& w) {
    TableView v;
    CWnd* list = item(w, 2, 1320);
    if (!list) {
        ADD_FAILURE() << "no list 1320 on page 2";
        return v;
    }
    for (int r = 0; r < list->GetItemCount(); ++r) {
        v.order.push_back(list->GetItemText(r, 0).str());
        v.b.push_back(list->GetItemText(r, 1).str());
        v.h.push_back(list->GetItemText(r, 2).str());
    }
    v.sampleName = item(w, 2, 503)->GetWindowText().str();
    for (int id = 500; id <= 502; ++id)
        v.checked.push_back(item(w, 2, id)->GetCheck());
    if (auto* ext = dynamic_cast<CVirtualListCtrl*>(list->extension()))
        v.hColumnWidth = ext->GetColumnWidth(2);
    v.curvePoints = makertest::box(w, 2, 9204).GetValue();
    return v;
}

// The view after the last step of a run.
TableView lastView(const std::vector<std::string>& steps, makertest::Outcome* outcome = nullptr) {
    TableView v;
    auto o = mirelth().run(steps, "", [&](CModalWindow& w, const ScriptStep&) { v = viewOf(w); });
    if (outcome) *outcome = o;
    return v;
}

TEST_F(MirelthSheet, NameStringCarriesTheV8Field) {
    EXPECT_EQ(mirelth().name(), CString("Non-Linear Transformer(Multiple Winding)\nREG\nV8"));
}

TEST_F(MirelthSheet, DefaultsGiveTheWholeText) {
    const auto o = mirelth().run({});
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.text, "*************************************************************\r\n"
                      "*\r\n"
                      "*          Nolinear Transformer Model\r\n"
                      "*          Quolvane                      \r\n"
                      "*          SPICE MODEL MAKER TOOL  Version 1.1\r\n"
                      "*\r\n"
                      "*   Date: Monday, December 08, 2025\r\n"
                      "*************************************************************\r\n"
                      ".subckt nlinear_tran p1 p0 s1 s10\r\n"
                      "Rs1 p1 r1 1.210000e+000\r\n"
                      "Ls1 r1 l1 3.209625e-003\r\n"
                      "a1 (l1 p0) (m1 0) prim1\r\n"
                      ".model prim1 lcouple(num_turns=1622)\r\n"
                      "am1 (m1 m2) core1\r\n"
                      ".model core1 core(b_array=[0.000000 1.000000 1.500000 1.700000] "
                      "h_array=[0.000000 13.890000 51.580000 222.220000] area=1.300000e-004 "
                      "length=7.615000e-002)\r\n"
                      "Rs21 s1 r21 1.089000e-003\r\n"
                      "Ls21 r21 l21 2.888662e-006\r\n"
                      "a21 (l21 s10) (m2 0) sec1\r\n"
                      ".model sec1 lcouple(num_turns=48)\r\n"
                      ".ends\r\n");
}

TEST_F(MirelthSheet, PagesCarryTheirBoxesLabelsAndUnits) {
    struct Box {
        int page, edit, label;
        const char* text;
        const char* unit;
    };
    const Box boxes[] = {
        {1, 9201, 9221, "Primary Input Voltage", "V"},
        {1, 9202, 9222, "Leakage Impedance", "Ω"},
        {1, 9203, 9223, "Winding Resistance", "Ω"},
        {1, 9204, 9224, "Secondary Output Number", ""},
        {1, 9205, 9225, "1st", "V"},
        {1, 9209, 9229, "5th", "V"},
        {1, 9210, 9230, "1st", "Ω"},
        {1, 9214, 9234, "5th", "Ω"},
        {1, 9215, 9235, "1st", "Ω"},
        {1, 9219, 9239, "5th", "Ω"},
        {2, 9201, 9221, "Primary Turns", ""},
        {2, 9202, 9222, "Core Length", "m"},
        {2, 9203, 9223, "Core Area", "m²"},
        {2, 9204, 9224, "Curve Points", ""},
    };
    bool seen = false;
    auto o = mirelth().run({"set 2:9202=0.07615", "cancel"}, "", [&](CModalWindow& w, const ScriptStep& s) {
        if (s.kind != ScriptStep::Kind::Set) return;
        seen = true;
        for (const auto& b : boxes) {
            CWnd* label = item(w, b.page, b.label);
            ASSERT_NE(label, nullptr) << b.label;
            EXPECT_EQ(label->GetWindowText(), CString(b.text)) << b.page << ":" << b.label;
            EXPECT_EQ(makertest::box(w, b.page, b.edit).m_strUnitName, CString(b.unit))
                << b.page << ":" << b.edit;
        }
        EXPECT_EQ(item(w, 1, 9220), nullptr);
        EXPECT_EQ(item(w, 2, 9205), nullptr);
        CWnd* list = item(w, 2, 1320);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->columns(), (std::vector<CString>{"Order", "B Value", "H Value"}));
        // 40 for the order, 152 for B; H re-fitted to what is left of the 344-pixel client area, in the
        // control itself so that the presenters draw it.
        EXPECT_EQ(list->columnWidths(), (std::vector<int>{40, 152, 146}));
        EXPECT_EQ(w.caption(), CString("Nonlinear Transformer Model"));
    });
    EXPECT_TRUE(seen);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.text, "");
}

struct CurvePointsCase {
    std::vector<std::string> steps;
    std::vector<std::string> order, b;
    std::string sampleName;
    std::vector<int> checked;
    int hColumnWidth;
};

class MirelthCurvePoints : public MirelthSheet, public ::testing::WithParamInterface<CurvePointsCase> {};

TEST_P(MirelthCurvePoints, TheBoxGrowsAndShrinksTheTable) {
    const auto& c = GetParam();
    makertest::Outcome o;
    const TableView v = lastView(c.steps, &o);
    ASSERT_EQ(o.result, 1) << (o.refusal ? *o.refusal : "");
    EXPECT_EQ(v.order, c.order);
    EXPECT_EQ(v.b, c.b);
    // New rows hold "0" in both cells.
    for (size_t r = 4; r < v.h.size(); ++r)
        EXPECT_EQ(v.h[r], "0");
    EXPECT_EQ(v.sampleName, c.sampleName);
    EXPECT_EQ(v.checked, c.checked);
    EXPECT_EQ(v.hColumnWidth, c.hColumnWidth);
    EXPECT_EQ(v.curvePoints, static_cast<double>(c.order.size()));
    std::string b = "b_array=[";
    for (size_t r = 0; r < c.b.size(); ++r)
        b += (r ? " " : "") + c.b[r];
    EXPECT_NE(o.text.find(b + "] h_array=["), std::string::npos) << o.text;
}

const std::vector<std::string> kSample1B{"0.000000", "1.000000", "1.500000", "1.700000"};
const std::string kSample1Name = "Laminated Sheet B-H curve";

// The list shows six rows a page; beyond that the H column leaves room for the scroll bar.
INSTANTIATE_TEST_SUITE_P(
    Cases, MirelthCurvePoints,
    ::testing::Values(
        CurvePointsCase{{"set 2:9204=6"},
                        {"1", "2", "3", "4", "5", "6"},
                        {"0.000000", "1.000000", "1.500000", "1.700000", "0", "0"},
                        "",
                        {0, 0, 0},
                        146},
        CurvePointsCase{{"set 2:9204=2"}, {"1", "2"}, {"0.000000", "1.000000"}, "", {0, 0, 0}, 146},
        // Unchanged: the table is still the untouched sample.
        CurvePointsCase{{"set 2:9204=4"}, {"1", "2", "3", "4"}, kSample1B, kSample1Name, {1, 0, 0}, 146},
        CurvePointsCase{{"set 2:9204=9", "set 2:9204=3"},
                        {"1", "2", "3"},
                        {"0.000000", "1.000000", "1.500000"},
                        "",
                        {0, 0, 0},
                        146},
        CurvePointsCase{{"set 2:9204=7"},
                        {"1", "2", "3", "4", "5", "6", "7"},
                        {"0.000000", "1.000000", "1.500000", "1.700000", "0", "0", "0"},
                        "",
                        {0, 0, 0},
                        130}));

TEST_F(MirelthSheet, AnyCellEditMakesTheCurveTheUsersOwn) {
    makertest::Outcome o;
    const TableView v = lastView({"click 2:501", "cell 2:1320:3,2=300", "cell 2:1320:0,1=0.05"}, &o);
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(v.sampleName, "");
    EXPECT_EQ(v.checked, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(v.order.size(), 11u);
    EXPECT_EQ(v.h[3], "300");
    EXPECT_NE(o.text.find("b_array=[0.05 0.400000 0.600000"), std::string::npos);
    EXPECT_NE(o.text.find("h_array=[0.000000 183.000000 231.000000 300 396.000000"), std::string::npos);
}

TEST_F(MirelthSheet, RefusedCellEditsKeepTheCellAndTheSample) {
    struct Case {
        const char* step;
        const char* reason;
    };
    const Case cases[] = {
        {"cell 2:1320:0,0=9", "this column cannot be edited"},
        {"cell 2:1320:1,1=abc", "plain decimal number"},
        {"cell 2:1320:1,2=", "plain decimal number"},
        {"cell 2:1320:4,1=1", "no such cell"},
    };
    for (const auto& c : cases) {
        TableView v;
        auto o = mirelth().run({"set 2:9202=0.07615", c.step}, "",
                               [&](CModalWindow& w, const ScriptStep&) { v = viewOf(w); });
        EXPECT_EQ(o.result, 0) << c.step;
        ASSERT_TRUE(o.refusal.has_value()) << c.step;
        EXPECT_NE(o.refusal->find(c.reason), std::string::npos) << *o.refusal;
        EXPECT_EQ(v.sampleName, kSample1Name) << c.step;
        EXPECT_EQ(v.b, kSample1B) << c.step;
    }
}

TEST_F(MirelthSheet, SampleButtonsReloadTheWholeTable) {
    makertest::Outcome o;
    const TableView v = lastView({"cell 2:1320:0,1=0.1", "set 2:9204=2", "click 2:502"}, &o);
    ASSERT_EQ(o.result, 1);
    EXPECT_EQ(v.sampleName, "Somaloy 500 powder iron core");
    EXPECT_EQ(v.checked, (std::vector<int>{0, 0, 1}));
    ASSERT_EQ(v.order.size(), 18u);
    EXPECT_EQ(v.order.back(), "18");
    EXPECT_EQ(v.curvePoints, 18);
    EXPECT_EQ(v.hColumnWidth, 130);
    EXPECT_EQ(v.b[4], "1.420000");
    EXPECT_EQ(v.h[9], "-200.000000");
    EXPECT_NE(o.text.find("b_array=[0.000000 0.500000 1.000000 1.250000 1.420000 1.280000"),
              std::string::npos);
    // Back to sample 1: four rows again.
    EXPECT_EQ(lastView({"click 2:502", "click 2:500"}).b, kSample1B);
}

TEST_F(MirelthSheet, CountBoxShowsTheRowsOfCountedSecondariesInAllThreeColumns) {
    std::vector<std::vector<bool>> visible;
    auto o = mirelth().run({"set 1:9204=3", "set 1:9212=1m", "set 1:9204=1", "set 1:9204=3"}, "",
                           [&](CModalWindow& w, const ScriptStep& s) {
                               if (s.id != 9204) return;
                               std::vector<bool> row;
                               // Secondaries 2, 3 and 4 in each column: box and label.
                               for (int base : {9205, 9210, 9215})
                                   for (int k : {1, 2, 3})
                                       row.push_back(item(w, 1, base + k)->IsWindowVisible() &&
                                                     item(w, 1, base + 20 + k)->IsWindowVisible());
                               row.push_back(item(w, 1, 9205)->IsWindowVisible());
                               visible.push_back(row);
                               EXPECT_EQ(w.GetFocus(), item(w, 1, 9204));
                           });
    ASSERT_EQ(o.result, 1);
    const std::vector<bool> three{true, true, false, true, true, false, true, true, false, true};
    const std::vector<bool> one{false, false, false, false, false, false, false, false, false, true};
    EXPECT_EQ(visible, (std::vector<std::vector<bool>>{three, one, three}));
    // The leakage typed for secondary 3 survived its row being hidden.
    EXPECT_NE(o.text.find("Ls23 r23 l23 1.000000e-003\r\n"), std::string::npos);
    EXPECT_NE(o.text.find(".model sec3 lcouple(num_turns=176)\r\n"), std::string::npos);
    // A hidden row takes no typing.
    auto refused = mirelth().run({"set 1:9207=9"});
    EXPECT_EQ(refused.result, 0);
    ASSERT_TRUE(refused.refusal.has_value());
    EXPECT_NE(refused.refusal->find("hidden"), std::string::npos);
}

TEST_F(MirelthSheet, PrimaryPresetsAndATypedPrimary) {
    std::vector<int> checks;
    auto o = mirelth().run({"click 1:501", "set 1:9201=100"}, "", [&](CModalWindow& w, const ScriptStep&) {
        checks.push_back(item(w, 1, 500)->GetCheck());
        checks.push_back(item(w, 1, 501)->GetCheck());
    });
    EXPECT_EQ(checks, (std::vector<int>{0, 1, 0, 0}));
    EXPECT_NE(o.text.find("lcouple(num_turns=53)"), std::string::npos); // 3.3 × 1622 / 100 = 53.5
    o = mirelth().run({"set 1:9201=1", "click 1:501"});
    EXPECT_NE(o.text.find("lcouple(num_turns=24)"), std::string::npos); // 3.3 × 1622 / 220 = 24.3
}

TEST_F(MirelthSheet, HelpFollowsTheActivePage) {
    auto o = mirelth().run({"help-button", "set 2:9201=1000", "help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 2u);
    EXPECT_EQ(o.helps[0].module, "Mirelth");
    EXPECT_EQ(o.helps[0].context, 601u);
    EXPECT_EQ(o.helps[1].context, 0x675Au);
    EXPECT_EQ(o.result, 0);
}

TEST_F(MirelthSheet, AWindingWithoutTurnsIsRefusedAndTheSheetStaysOpen) {
    auto o = mirelth().run({"set 1:9205=10m", "ok", "set 1:9205=3.3", "ok"}, "previous text");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_NE(o.boxes[0].request.text.str().find("The 1st secondary would get 0 turns"), std::string::npos)
        << o.boxes[0].request.text;
    EXPECT_EQ(o.result, 1);
    EXPECT_NE(o.text.find(".model sec1 lcouple(num_turns=48)"), std::string::npos);

    o = mirelth().run({"set 2:9201=3e9", "ok", "cancel"}, "previous text");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_NE(o.boxes[0].request.text.str().find("Primary Turns"), std::string::npos);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.text, "");
}

TEST_F(MirelthSheet, BoxesRefuseValuesOutsideTheirLimits) {
    for (const char* step : {"set 2:9204=0", "set 2:9204=1000", "set 1:9204=6", "set 2:9201=0.5"}) {
        auto o = mirelth().run({step});
        EXPECT_EQ(o.result, 0) << step;
        EXPECT_TRUE(o.refusal.has_value()) << step;
    }
}

} // namespace
