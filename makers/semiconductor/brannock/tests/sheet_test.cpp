// The built plug-in as the host runs it: scripted steps on its sheet, the window inspected between
// steps, the text and the questions read afterwards.
#include "platformtesting/fake_clock.h"
#include "presets.h"

#include "library/unitbox.h"
#include "makertest/plugin.h"
#include "makertest/support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace brannock;

namespace {

using korvane::testing::FakeClock;

const makertest::Plugin& plugin() {
    static makertest::Plugin p("Brannock");
    return p;
}

using makertest::item;
CUserDefValueSpinUnitBox& box(CPropertySheet& s, int page, int k) {
    return makertest::box(s, page, 9221 + k);
}
bool enabled(CPropertySheet& s, int page, int k) {
    return box(s, page, k).edit()->IsWindowEnabled();
}

// Runs the steps; `check` sees the sheet after step number `at` (from 1).
makertest::Outcome run(const std::vector<std::string>& steps, size_t at = 0,
                       std::function<void(CPropertySheet&)> check = {}, const std::string& initial = "") {
    size_t n = 0;
    auto o = plugin().run(steps, initial, [&](CModalWindow& w, const ScriptStep&) {
        if (++n == at && check) check(dynamic_cast<CPropertySheet&>(w));
    });
    EXPECT_FALSE(o.refusal.has_value()) << *o.refusal;
    EXPECT_TRUE(!check || n >= at) << "the window closed before step " << at;
    return o;
}

template <size_t N> void expectValues(CPropertySheet& s, int page, const std::array<double, N>& values) {
    for (size_t k = 0; k < N; ++k)
        EXPECT_DOUBLE_EQ(box(s, page, static_cast<int>(k)).GetValue(), values[k])
            << "page " << page << " box " << k;
}

void expectPresets(CPropertySheet& s, int polarity) {
    const bool n = polarity == kNmos;
    EXPECT_EQ(s.caption(), CString(n ? "MOSFET Model (Preset values from Mosfet_MODEL_BS250)"
                                     : "MOSFET Model (Preset values from Mosfet_MODEL_BSS83)"));
    expectValues(s, 1, kGeneralPresets[static_cast<size_t>(polarity)]);
    expectValues(s, 2, kTransferPresets[static_cast<size_t>(polarity)]);
    expectValues(s, 3, kOptionCPreset);
    expectValues(s, 4, kCapacitancePresets[static_cast<size_t>(polarity)]);
    EXPECT_EQ(item(s, 1, 1264)->GetCurSel(), polarity);
    const struct {
        int page, id;
        bool checked;
    } switches[] = {{2, 1169, n}, {2, 1170, !n}, {2, 1266, n}, {4, 504, !n}, {4, 505, n}, {4, 1173, n}};
    for (const auto& w : switches)
        EXPECT_EQ(item(s, w.page, w.id)->GetCheck(), w.checked ? 1 : 0) << w.id;
    EXPECT_TRUE(item(s, 2, n ? 1176 : 1175)->IsWindowVisible());
    for (int k = 0; k < kCapacitanceCount; ++k)
        EXPECT_EQ(enabled(s, 4, k), k < 4 || !n) << "page 4 box " << k;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class BrannockSheet : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(plugin().loaded()) << plugin().error(); }
    FakeClock clock_{1};
};

} // namespace

TEST_F(BrannockSheet, OpensOnTheNmosPresets) {
    EXPECT_EQ(plugin().name(), CString("MOSFET (4 pins: D, G, S, Sub)\nREG"));
    auto o = run({"help-button"}, 1, [](CPropertySheet& s) {
        EXPECT_EQ(s.GetActiveIndex(), 0);
        EXPECT_EQ(item(s, 1, 1264)->items(), (std::vector<CString>{"NMOS", "PMOS"}));
        expectPresets(s, kNmos);
        for (int k = 0; k < kOptionCCount; ++k)
            EXPECT_TRUE(enabled(s, 3, k)) << k;
    });
    EXPECT_EQ(o.result, 1);
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_TRUE(contains(o.text, ".MODEL Mosfet_MODEL_BS250 NMOS \r\n+ VTO=1.230e+000"));
}

TEST_F(BrannockSheet, ChoosingAChannelTypeReplacesEveryValueWithoutAsking) {
    run({"select 1:1264=1"}, 1, [](CPropertySheet& s) { expectPresets(s, kPmos); });
    // Edits on every page and a switch flipped: the preset set overwrites them all.
    auto o = run({"set 3:9221=-1", "click 2:1266", "set 2:9221=7m", "set 4:9221=2p", "click 4:1173",
                  "select 1:1264=1", "set 1:9221=-1", "click 2:1169", "select 1:1264=0", "select 1:1264=1"},
                 6, [](CPropertySheet& s) { expectPresets(s, kPmos); });
    EXPECT_TRUE(o.boxes.empty());
    run({"select 1:1264=1", "set 1:9221=-1", "click 2:1169", "click 4:1173", "select 1:1264=0"}, 5,
        [](CPropertySheet& s) { expectPresets(s, kNmos); });
}

struct RouteCase {
    const char* name;
    std::vector<std::string> clicks;
    int label;
    bool a, b, c; // which boxes are enabled: option A's, option B's, page 3's
    const char* echo;
};

class BrannockRouting : public BrannockSheet, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(BrannockRouting, ShowsTheRouteAndTheComputationFollows) {
    const RouteCase& r = GetParam();
    auto steps = r.clicks;
    steps.insert(steps.end(), 4, "answer yes");
    auto o = run(steps, r.clicks.size(), [&r](CPropertySheet& s) {
        for (int id : {1174, 1175, 1176, 1177})
            EXPECT_EQ(item(s, 2, id)->IsWindowVisible(), id == r.label) << id;
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(enabled(s, 2, k), k < 4 ? r.a : r.b) << k;
        for (int k = 0; k < kOptionCCount; ++k)
            EXPECT_EQ(enabled(s, 3, k), r.c) << k;
    });
    ASSERT_EQ(o.result, 1);
    EXPECT_TRUE(contains(o.text, r.echo)) << o.text;
    EXPECT_EQ(contains(o.text, "GAMMA="), r.c); // only option C has a body effect
}

INSTANTIATE_TEST_SUITE_P(
    Each, BrannockRouting,
    ::testing::Values(RouteCase{"A",
                                {"click 2:1266"},
                                1174,
                                true,
                                false,
                                false,
                                "= 0\r\n* Transfer Characteristics (Option A)\r\n"},
                      RouteCase{"B",
                                {"click 2:1170", "click 2:1266"},
                                1175,
                                false,
                                true,
                                false,
                                "= 0\r\n* Transfer Characteristics (Option B)\r\n"},
                      RouteCase{"C",
                                {"click 2:1170", "click 2:1169"},
                                1176,
                                false,
                                false,
                                true,
                                "= 1\r\n* Transfer Characteristics (Option A)\t\tnot available\r\n"},
                      RouteCase{"NotModelled",
                                {"click 2:1170"},
                                1177,
                                false,
                                false,
                                false,
                                "= 1\r\n* Not modelled. Go to other options\r\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(BrannockSheet, CurveCheckBoxEnablesTheCurvePoints) {
    for (size_t at : {1, 2})
        run({"click 4:1173", "click 4:1173"}, at, [at](CPropertySheet& s) {
            for (int k = 0; k < kCapacitanceCount; ++k)
                EXPECT_EQ(enabled(s, 4, k), k < 4 || at == 1) << k;
        });
}

TEST_F(BrannockSheet, NoKeepsTheSheetOpenAndYesTakesTheFallback) {
    // Ids_Ohmic of 1 A: no real resistance fits. The first OK is declined, the closing OK accepted.
    auto o = run({"set 1:9223=1", "answer no", "answer yes", "ok"}, 2,
                 [](CPropertySheet& s) { EXPECT_FALSE(s.ended()); });
    EXPECT_EQ(o.result, 1);
    ASSERT_EQ(o.boxes.size(), 2u);
    for (const auto& b : o.boxes) {
        EXPECT_EQ(b.request.text,
                  CString("The values in Output Characteristics are out of range. Do you want to "
                          "use zero values for RD and RS?"));
        EXPECT_EQ(b.request.type & 0xF, static_cast<UINT>(MB_YESNO));
    }
    EXPECT_TRUE(contains(o.text, "RD = 0.000e+000 RS = 0.000e+000"));
}

TEST_F(BrannockSheet, DeclinedThenCancelledLeavesTheTextEmpty) {
    auto o = run({"set 4:9221=1p", "answer no", "ok", "cancel"}, 0, {}, "the host's old text");
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_EQ(o.boxes[0].request.text,
              CString("Capacitances values are out of range. Do you want to use zero "
                      "values for CGSO, CGDO and CGBO?"));
}

TEST_F(BrannockSheet, HelpButtonAsksForTheActivePagesTopic) {
    // Steps that change nothing bring each page to the front.
    auto o = run({"help-button", "click 2:1169", "help-button", "set 3:9221=0", "help-button", "click 4:505",
                  "help-button", "cancel"});
    ASSERT_EQ(o.helps.size(), 4u);
    const std::uintptr_t contexts[4] = {660, 670, 651, 652};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(o.helps[i].module, "Brannock");
        EXPECT_EQ(o.helps[i].context, contexts[i]);
    }
}

namespace {

// Values the boxes accept but no card can carry: the maker names the parameter and stays open.
struct NonFiniteCase {
    std::vector<std::string> steps;
    const char* parameter;
};

class BrannockNonFinite : public ::testing::TestWithParam<NonFiniteCase> {};

TEST_P(BrannockNonFinite, IsRefusedWithAMessageAndNoText) {
    std::vector<std::string> steps = GetParam().steps;
    for (const char* s : {"answer yes", "answer yes", "answer yes", "ok", "cancel"})
        steps.emplace_back(s);
    auto o = run(steps, 0, {}, "the host's old text");
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.text.empty());
    ASSERT_FALSE(o.boxes.empty());
    const std::string last = o.boxes.back().request.text.str();
    EXPECT_EQ(last.rfind(GetParam().parameter, 0), 0u) << last;
    EXPECT_NE(last.find("not a finite number"), std::string::npos) << last;
    EXPECT_EQ(o.boxes.back().request.type & 0xF, static_cast<UINT>(MB_OK));
}

INSTANTIATE_TEST_SUITE_P(Inputs, BrannockNonFinite,
                         ::testing::Values(NonFiniteCase{{"set 1:9229=4"}, "LAMBDA"}, // Vds_f01 on Vds_f00
                                           NonFiniteCase{{"set 3:9222=10m"},
                                                         "VTO"}, // equal currents, option C
                                           NonFiniteCase{{"click 2:1266", "set 2:9221=-1m"},
                                                         "VTO"})); // negative current, option A

} // namespace
