// Maker windows through the GUI presenter: the same steps done with toolkit events on the widgets and
// replayed by the scripted presenter must give the same model text; screenshots of each window.
#include "platform/scripted.h"
#include "plugins.h"
#include "wxtesting/drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <sstream>

using namespace korvane::wx;

namespace {

std::vector<ScriptStep> parseSteps(const std::vector<std::string>& lines) {
    std::vector<ScriptStep> steps;
    for (const auto& line : lines) {
        const size_t sp = line.find(' ');
        std::string error;
        auto step =
            parseScriptStep(line.substr(0, sp), sp == std::string::npos ? "" : line.substr(sp + 1), error);
        EXPECT_TRUE(step.has_value()) << error;
        if (step) steps.push_back(*step);
    }
    return steps;
}

// One step done on the widgets, as a person would: on a sheet, the page's tab first.
void applyWithWidgets(WindowView& v, const ScriptStep& s) {
    using K = ScriptStep::Kind;
    int page = -1;
    if (v.isSheet() && s.kind != K::Ok && s.kind != K::Cancel && s.kind != K::HelpButton) {
        page = s.page - 1;
        if (v.notebook()->GetSelection() != page) {
            ASSERT_TRUE(drive::selectTab(v.notebook(), page)) << s.source;
        }
    }
    switch (s.kind) {
    case K::Ok:
        drive::press(v.widget(IDOK));
        return;
    case K::Cancel:
        drive::press(v.widget(IDCANCEL));
        return;
    case K::HelpButton:
        drive::press(v.widget(ID_HELP));
        return;
    case K::Answer:
    case K::ChooseFile:
        return;
    default:
        break;
    }
    wxWindow* w = v.widget(s.id, page);
    ASSERT_NE(w, nullptr) << s.source;
    ASSERT_TRUE(w->IsShown() && w->IsEnabled()) << s.source << ": a person cannot reach the control";
    switch (s.kind) {
    case K::Set:
        if (auto* box = dynamic_cast<ValueBoxWidget*>(w))
            drive::type(box, s.text);
        else
            drive::type(static_cast<wxTextCtrl*>(w), s.text);
        break;
    case K::Click:
        if (dynamic_cast<wxRadioButton*>(w))
            drive::clickRadio(w);
        else if (dynamic_cast<wxCheckBox*>(w))
            drive::toggle(w);
        else
            drive::press(w);
        break;
    case K::Select:
        drive::pick(w, s.index);
        break;
    case K::Cell: {
        auto* list = dynamic_cast<EditableList*>(w);
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(list->beginEdit(s.row, s.col));
        drive::type(list->editor(), s.text);
        break;
    }
    default:
        break;
    }
}

struct Outcome {
    int result = 0;
    std::string text;
    std::vector<std::string> boxes;
    std::vector<std::string> helps; // "module context"
};

std::string helpKey(const HelpRequest& h) {
    return h.module + " " + std::to_string(h.context);
}

Outcome runScripted(testplugins::Plugin& p, const std::vector<std::string>& lines) {
    ScriptedPresenter script(parseSteps(lines));
    Presenter* previous = setPresenter(&script);
    CString text;
    Outcome r;
    r.result = p.create(text);
    setPresenter(previous);
    EXPECT_FALSE(script.refusal().has_value()) << script.refusal().value_or("");
    r.text = text.str();
    for (const auto& b : script.messageBoxes())
        r.boxes.push_back(b.request.text.str());
    for (const auto& h : script.helpRequests())
        r.helps.push_back(helpKey(h));
    return r;
}

Outcome runWithWidgets(testplugins::Plugin& p, const std::vector<std::string>& lines,
                       const std::function<void(WindowView&)>& extra = nullptr) {
    const auto steps = parseSteps(lines);
    std::deque<bool> answers;
    for (const auto& s : steps)
        if (s.kind == ScriptStep::Kind::Answer) answers.push_back(s.yes);
    WxPresenter gui;
    gui.onHelp = [](const HelpRequest&) {};
    // Questions are answered as the script lists them (No when it runs out), as the scripted run does.
    gui.answerMessageBox = [&answers](const MessageBoxRequest& r) -> std::optional<int> {
        if ((r.type & 0xF) != MB_YESNO) return IDOK;
        bool yes = false;
        if (!answers.empty()) {
            yes = answers.front();
            answers.pop_front();
        }
        return yes ? IDYES : IDNO;
    };
    gui.onShown = [&](WindowView& v) {
        for (const auto& s : steps) {
            if (v.model().ended()) break;
            applyWithWidgets(v, s);
        }
        if (extra && !v.model().ended()) extra(v);
        if (!v.model().ended()) drive::press(v.widget(IDOK));
        if (!v.model().ended()) drive::press(v.widget(IDCANCEL));
    };
    Presenter* previous = setPresenter(&gui);
    CString text;
    Outcome r;
    r.result = p.create(text);
    setPresenter(previous);
    r.text = text.str();
    for (const auto& b : gui.messageBoxes())
        r.boxes.push_back(b.text.str());
    for (const auto& h : gui.helpRequests())
        r.helps.push_back(helpKey(h));
    return r;
}

struct Case {
    const char* name;
    const char* deliverable;
    std::vector<std::string> steps;
    const char* expected; // a line the steps must have produced
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class SameTextAsScripted : public testing::TestWithParam<Case> {};

TEST_P(SameTextAsScripted, WidgetEventsGiveTheScriptedModelText) {
    const Case& c = GetParam();
    auto plugin = testplugins::load(c.deliverable);
    if (!plugin) GTEST_SKIP() << c.deliverable << " is not built";
    const Outcome scripted = runScripted(*plugin, c.steps);
    const Outcome gui = runWithWidgets(*plugin, c.steps);
    EXPECT_EQ(scripted.result, 1);
    EXPECT_NE(scripted.text.find(c.expected), std::string::npos) << scripted.text;
    EXPECT_EQ(gui.result, scripted.result);
    EXPECT_EQ(gui.text, scripted.text);
    EXPECT_EQ(gui.boxes, scripted.boxes);
    EXPECT_EQ(gui.helps, scripted.helps);
    const auto asked = std::count(c.steps.begin(), c.steps.end(), std::string("help-button"));
    EXPECT_EQ(gui.helps.size(), static_cast<size_t>(asked));
}

INSTANTIATE_TEST_SUITE_P(
    Soskin, SameTextAsScripted,
    testing::Values(Case{"defaults", "Soskin", {}, ".subckt ideal_tran p1 p0 s11 s10\r\n"},
                    Case{"help_then_ok", "Soskin", {"help-button", "set 9203=3.3"}, "v1 x1 s11 dc 0\r\n"},
                    Case{"option2_three_secondaries",
                         "Soskin",
                         {"click 501", "set 9202=3", "set 9204=7.5", "set 9205=12m"},
                         "e3 x3 s30 p1 p0 0.000055\r\n"},
                    Case{"typed_primary_five_secondaries",
                         "Soskin",
                         {"click 501", "set 9201=230", "set 9202=5", "set 9207=230"},
                         "e5 x5 s50 p1 p0 1.000000\r\n"},
                    Case{"hidden_rows_keep_values",
                         "Soskin",
                         {"set 9202=4", "set 9206=48", "set 9202=2", "set 9202=4"},
                         "e4 x4 s40 p1 p0 0.436364\r\n"},
                    Case{"prefixed_entry_and_preset_again",
                         "Soskin",
                         {"set 9202=2", "set 9204=0.5k", "set 9201=99", "click 500"},
                         "f2 p1 p0 v2 0.220000\r\n"}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Brannock, SameTextAsScripted,
    testing::Values(
        Case{"defaults", "Brannock", {}, ".MODEL Mosfet_MODEL_BS250 NMOS \r\n"},
        Case{"pmos_channel", "Brannock", {"select 1:1264=1"}, ".MODEL Mosfet_MODEL_BSS83 PMOS \r\n"},
        Case{"route_b_fallback_accepted",
             "Brannock",
             {"click 2:1170", "click 2:1266", "answer yes"},
             "RD = 0.000e+000 RS = 0.000e+000"},
        Case{"declined_then_accepted",
             "Brannock",
             {"set 1:9223=1", "answer no", "answer yes", "ok"},
             "RD = 0.000e+000 RS = 0.000e+000"},
        Case{"bulk_and_curves_toggled",
             "Brannock",
             {"click 4:504", "click 4:1173", "click 4:1173"},
             "* Identifier ID_BS \t\t\t\t= 1\r\n"},
        Case{"channel_flipped_back",
             "Brannock",
             {"select 1:1264=1", "set 1:9221=-1", "click 2:1169", "click 4:1173", "select 1:1264=0"},
             ".MODEL Mosfet_MODEL_BS250 NMOS \r\n"}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(BrannockScreens, EveryPageIsDrawnAndUnavailableCurveBoxesAreGreyed) {
    auto plugin = testplugins::load("Brannock");
    if (!plugin) GTEST_SKIP() << "Brannock is not built";
    runWithWidgets(*plugin, {}, [](WindowView& v) {
        for (int page = 0; page < 4; ++page) {
            ASSERT_TRUE(drive::selectTab(v.notebook(), page));
            wxtesting::capture(v).SaveFile(
                drive::artefact("brannock-page" + std::to_string(page + 1) + ".png"), wxBITMAP_TYPE_PNG);
        }
        // With the curves marked unavailable the curve boxes are disabled; made available, the same box
        // is drawn with darker text.
        const wxImage greyed = wxtesting::capture(v);
        const auto disabled = drive::measure(greyed, drive::textArea(v, 9225, 3));
        EXPECT_FALSE(v.valueBox(9225, 3)->text()->IsEnabled());
        drive::toggle(v.widget(1173, 3));
        const wxImage available = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(available, "brannock-page4-curves.png"));
        EXPECT_TRUE(v.valueBox(9225, 3)->text()->IsEnabled());
        EXPECT_LT(drive::measure(available, drive::textArea(v, 9225, 3)).darkest, disabled.darkest - 30);
        drive::toggle(v.widget(1173, 3));
    });
}

TEST(SoskinScreens, CountedRowsAreDrawnAndTheOthersAreNot) {
    auto plugin = testplugins::load("Soskin");
    ASSERT_NE(plugin, nullptr);
    runWithWidgets(*plugin, {}, [](WindowView& v) {
        const wxImage one = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(one, "soskin-count1.png"));
        const auto first = drive::measure(one, v.rectInDialog(9203));
        const auto second = drive::measure(one, v.rectInDialog(9204));
        const auto secondLabel = drive::measure(one, v.rectInDialog(9224));
        EXPECT_GT(first.spread, 10.0) << "the 1st secondary's box is drawn";
        EXPECT_LT(second.spread, 1.0) << "the 2nd secondary's box is not drawn";
        EXPECT_LT(secondLabel.spread, 1.0) << "nor its label";

        drive::type(v.valueBox(9202), "3");
        const wxImage three = wxtesting::capture(v);
        EXPECT_TRUE(wxtesting::saveScreenshot(three, "soskin-count3.png"));
        EXPECT_GT(drive::measure(three, v.rectInDialog(9205)).spread, 10.0);
        EXPECT_GT(drive::measure(three, v.rectInDialog(9225)).spread, 10.0) << "the 3rd label is drawn";
        EXPECT_LT(drive::measure(three, v.rectInDialog(9206)).spread, 1.0);
        EXPECT_LT(drive::measure(three, v.rectInDialog(9207)).spread, 1.0);
        // Every box is enabled: none is drawn greyed like a disabled one.
        EXPECT_TRUE(v.valueBox(9203)->text()->IsEnabled());
    });
}

} // namespace
