#include "app_fixture.h"
#include "lumbraapp/resource.h"
#include "lumbraapp/settings.h"

#include "registry/registry.h"

#include <cstdio>
#include <sys/wait.h>

namespace lumbra::apptest {

namespace {

const char* kTwoCircles = "$CustomApertureData\npad1 0 0\n2\n14 1 c670 0 0 0\n14 0 c670 26c1e0 0 102\n";

void writeSetting(const char* name, const std::string& text) {
    korvane::registry::RegKey k;
    ASSERT_TRUE(k.create(korvane::registry::Hive::CurrentUser, std::string(kProfileKey) + "\\Settings"));
    ASSERT_TRUE(k.setString(name, text));
}
void writeSetting(const char* name, int value) {
    korvane::registry::RegKey k;
    ASSERT_TRUE(k.create(korvane::registry::Hive::CurrentUser, std::string(kProfileKey) + "\\Settings"));
    ASSERT_TRUE(k.setInteger(name, value));
}

} // namespace

TEST_F(AppTest, MetricStartTakesTheWidthInMillimetresAndTheToggleRewritesItInInches) {
    writeSetting("Metric", 1);
    writeSetting("Width", "0.50000");
    script({"command 32782"});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.view().width, 50000); // 0.5 mm
    EXPECT_EQ(pane(app, 4), "MM");
    EXPECT_EQ(app.frame().queryCommand(ID_OPTIONS_METRIC).checked, 1);
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(barText(app, IDC_WIDTH), "0.01969");
    EXPECT_EQ(app.view().width, 50000); // the width itself stays
    EXPECT_FALSE(app.view().metric);
    EXPECT_EQ(pane(app, 4), "Inches");
    EXPECT_EQ(app.frame().queryCommand(ID_OPTIONS_METRIC).checked, 0);
    // Back again: the text comes from the width itself, so toggling does not drift it (0.01969 inch
    // would be 0.50013 mm).
    app.frame().executeCommand(ID_OPTIONS_METRIC);
    EXPECT_EQ(barText(app, IDC_WIDTH), "0.50000");
    for (int i = 0; i < 6; ++i)
        app.frame().executeCommand(ID_OPTIONS_METRIC);
    EXPECT_EQ(barText(app, IDC_WIDTH), "0.50000");
    EXPECT_EQ(app.view().width, 50000);
    app.ExitInstance();
}

TEST_F(AppTest, RelativeEntryTwicePlacesCirclesAtOneAndTwoInches) {
    script({"command 32776", "click 1001", "set 1010=1", "set 1011=0", "ok", "click 1001", "ok"});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.frame().findBarControl(IDC_RELATIVE)->IsWindowEnabled()); // no command yet
    app.Run();
    EXPECT_EQ(refusal(), "");
    ASSERT_EQ(app.document().aperture().count(), 2);
    EXPECT_EQ(app.document().aperture().at(0)->centre, (Point{2540000, 0}));
    EXPECT_EQ(app.document().aperture().at(1)->centre, (Point{5080000, 0}));
    EXPECT_EQ(app.view().keyedPoint, (Point{5080000, 0}));
    EXPECT_EQ(app.frame().relativeOffset(), (Point{2540000, 0}));
    EXPECT_TRUE(app.frame().findBarControl(IDC_RELATIVE)->IsWindowEnabled());
    EXPECT_EQ(pane(app, 1), "MOD");
    EXPECT_EQ(pane(app, 2), "Cnt 2");
    app.ExitInstance();
}

TEST_F(AppTest, TheAbsoluteDialogStartsAtTheKeyedPointAndARelativeStepCannotOverflow) {
    // The C key opens the absolute dialog; its fields show the keyed point in the display unit.
    std::vector<std::string> seen;
    script({"command 32776", "key c", "set 1010=-2.5", "set 1011=0.125", "ok", "key c", "cancel",
            "click 1001", "set 1010=80000", "set 1011=-80000", "ok", "click 1001", "ok"});
    presenter->afterStep = [&](CModalWindow& w, const ScriptStep& s) {
        if (s.kind == ScriptStep::Kind::Cancel) return;
        seen.push_back(w.caption().str() + "|" + w.GetDlgItemText(IDC_X).str() + "|" +
                       w.GetDlgItemText(IDC_Y).str());
    };
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    EXPECT_EQ(refusal(), "");
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Absolute Coordinates|-2.50000|0.00000"); // reformatted on leaving the field
    EXPECT_EQ(seen[1], "Absolute Coordinates|-2.50000|0.12500");
    ASSERT_EQ(app.document().aperture().count(), 3);
    EXPECT_EQ(app.document().aperture().at(0)->centre, (Point{-6350000, 317500}));
    // 80000 inches is beyond the unit range: the offset and the point stop at its edge instead of
    // wrapping round to the other side.
    EXPECT_GT(app.frame().relativeOffset().x, INT32_MAX - 10); // as far as five decimals of an inch show
    EXPECT_EQ(app.document().aperture().at(1)->centre, (Point{INT32_MAX - 6350000, INT32_MIN + 317500}));
    EXPECT_EQ(app.document().aperture().at(2)->centre, (Point{INT32_MAX, INT32_MIN}));
    app.ExitInstance();
}

struct EnableCase {
    int command;
    bool normal, linked; // enabled in normal mode and in link mode
};

class CommandEnabling : public AppTest, public ::testing::WithParamInterface<EnableCase> {};

TEST_P(CommandEnabling, CommandsAreEnabledAsTheModeAllows) {
    FakeLink link;
    script({});
    std::string file = path("a.cap");
    std::ofstream(file) << kTwoCircles;
    for (bool linked : {false, true}) {
        link.answers = linked;
        CLumbraApp app(&link);
        app.fileToOpen = file;
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(app.linkMode(), linked);
        EXPECT_EQ(app.frame().queryCommand(GetParam().command).enabled,
                  linked ? GetParam().linked : GetParam().normal)
            << "command " << GetParam().command << (linked ? " linked" : " normal");
        EXPECT_TRUE(app.frame().menuHasCommand(GetParam().command));
        app.ExitInstance();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandEnabling,
    ::testing::Values(EnableCase{ID_FILE_NEW, true, false}, EnableCase{ID_FILE_OPEN, true, false},
                      EnableCase{ID_FILE_SAVE, true, true}, EnableCase{ID_FILE_SAVE_AS, true, false},
                      EnableCase{ID_FILE_PRINT, false, false},
                      EnableCase{ID_FILE_PRINT_PREVIEW, false, false},
                      EnableCase{ID_FILE_PRINT_SETUP, false, false}, EnableCase{ID_HELP_FINDER, false, false},
                      EnableCase{ID_FILE_MRU_FILE1, true, false},
                      EnableCase{ID_FILE_MRU_FILE1 + 1, false, false}, EnableCase{ID_APP_EXIT, true, true},
                      EnableCase{ID_EDIT_UNDO, true, true}, EnableCase{ID_EDIT_COPY, true, true},
                      EnableCase{ID_EDIT_CHANGE_TOOLS, true, true}, EnableCase{ID_VIEW_ZOOMIN, true, true},
                      EnableCase{ID_VIEW_SKETCH, true, true}, EnableCase{ID_VIEW_ZOOMBAR, true, true},
                      EnableCase{ID_QUERY_ITEM, true, true}, EnableCase{ID_OPTIONS_GRID, true, true},
                      EnableCase{ID_APP_ABOUT, true, true}));

TEST_F(AppTest, KeysRunTheirCommandsAndChecksFollowTheState) {
    script({"key ctrl+p", "key f", "command 32786", "command 57600"});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    auto& f = app.frame();
    EXPECT_EQ(f.translateAccelerator(VK_BACK, kAccelAlt), ID_EDIT_UNDO);
    EXPECT_EQ(f.translateAccelerator(VK_INSERT, kAccelCtrl), ID_EDIT_COPY);
    EXPECT_EQ(f.queryCommand(ID_VIEW_ZOOMBAR).checked, 1);
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(app.view().fillMode, 0); // F through the view
    EXPECT_EQ(f.queryCommand(ID_VIEW_SKETCH).checked, 1);
    EXPECT_FALSE(f.bar(IDR_VIEWBAR)->IsWindowVisible());
    EXPECT_EQ(f.queryCommand(ID_VIEW_ZOOMBAR).checked, 0);
    app.ExitInstance();
}

TEST_F(AppTest, TheStatusPanesFollowTheDocumentAndFitTheirText) {
    SetTextMeasure(nullptr, 6);
    script({"command 32776", "click 240,180", "key escape", "command 32784", "click 240,180"});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(pane(app, 1), "");
    EXPECT_EQ(pane(app, 2), "Cnt 0");
    EXPECT_EQ(pane(app, 3), "Sel 0");
    EXPECT_EQ(pane(app, 4), "Inches");
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(pane(app, 1), "MOD");
    EXPECT_EQ(pane(app, 2), "Cnt 1");
    EXPECT_EQ(pane(app, 3), "Sel 1");
    EXPECT_EQ(app.frame().statusBar()->paneWidth(2), 5 * 6 + 3);
    EXPECT_NE(pane(app, 0).find("Circle - 0.02000 - T0 - Pos - [0.00000:0.00000]"), std::string::npos)
        << pane(app, 0);
    SetTextMeasure(nullptr, 7);
    app.ExitInstance();
}

TEST_F(AppTest, ThePropertyBarSetsWidthToolAndPolarityAndRefusesWhatIsNoNumber) {
    script({"set 1004=0.1", "set 1005=12", "click 1006", "command 32776", "click 240,180"});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(barText(app, IDC_WIDTH), "0.10000");
    ASSERT_EQ(app.document().aperture().count(), 1);
    const PrimitiveRecord& c = *app.document().aperture().at(0);
    EXPECT_EQ(c.size, 254000);
    EXPECT_EQ(c.toolWord, 12 + 255);
    EXPECT_EQ(c.polarity, 0);
    for (auto [id, text] : std::vector<std::pair<int, const char*>>{{IDC_WIDTH, "wide"},
                                                                    {IDC_WIDTH, "-1"},
                                                                    {IDC_WIDTH, "inf"},
                                                                    {IDC_TOOL, "3.5"},
                                                                    {IDC_TOOL, "2147483600"}}) {
        EditVerdict v = app.frame().findBarControl(id)->userEdit(text);
        EXPECT_FALSE(v.accepted) << text;
    }
    EXPECT_EQ(barText(app, IDC_WIDTH), "0.10000");
    EXPECT_EQ(barText(app, IDC_TOOL), "12");
    EXPECT_EQ(app.view().width, 254000);
    EXPECT_EQ(app.view().tool, 12);
    app.ExitInstance();
}

TEST_F(AppTest, TheTitleGainsTheApertureNameAtIdleTime) {
    std::string file = path("pads.cap");
    std::ofstream(file) << kTwoCircles;
    script({"command 57601", "file " + file});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.OnIdle(0);
    EXPECT_EQ(app.frame().GetWindowText().str(), "Untitled - Lumbra - (untitled)");
    app.OnIdle(0);
    EXPECT_EQ(app.frame().GetWindowText().str(), "Untitled - Lumbra - (untitled)");
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(app.frame().GetWindowText().str(), "pads.cap - Lumbra - (pad1)");
    EXPECT_EQ(pane(app, 2), "Cnt 2");
    app.ExitInstance();
}

// ---------------------------------------------------------------- the host link

TEST_F(AppTest, InLinkModeSaveAsIsGreyedAndASuccessfulSavePokesTheHostAndQuitsWithOne) {
    std::string file = path("linked.cap");
    std::ofstream(file) << kTwoCircles;
    FakeLink link;
    script({"command 57604", "command 32776", "click 240,180", "command 57603", "command 32776"});
    CLumbraApp app(&link);
    app.fileToOpen = file;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(link.service, "Fennick Lumbra");
    EXPECT_EQ(link.topic, "Data Transfer");
    int code = app.Run();
    EXPECT_NE(refusal().find("command 57604 is disabled"), std::string::npos) << refusal();
    EXPECT_TRUE(link.pokes.empty());

    // Again without the refused step.
    script({"command 32776", "click 240,180", "command 57603", "command 32776"});
    code = app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(code, 1);
    ASSERT_EQ(link.pokes.size(), 1u);
    EXPECT_EQ(link.pokes[0], std::make_tuple(std::string("Data Transfer"), std::string("AOK"), 10000u));
    EXPECT_EQ(link.disconnects, 1);
    EXPECT_NE(readFile(file).find("\n3\n"), std::string::npos); // the third circle was saved
    app.ExitInstance();
    EXPECT_EQ(link.disconnects, 1); // the link was already ended
    EXPECT_TRUE(app.recentFiles().empty());
}

TEST_F(AppTest, AFailedLinkedSaveNeitherPokesNorQuits) {
    std::string file = path("gone/linked.cap");
    FakeLink link;
    script({"command 32776", "click 240,180", "command 57603", "file " + file});
    CLumbraApp app(&link);
    ASSERT_TRUE(app.InitInstance());
    int code = app.Run();
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(app.frame().quitPosted());
    EXPECT_TRUE(link.pokes.empty());
    EXPECT_EQ(messageTexts().size(), 1u); // why the save failed
    EXPECT_TRUE(app.document().IsModified());
    app.ExitInstance();
    EXPECT_EQ(link.disconnects, 1);
}

TEST_F(AppTest, TheHostDroppingTheLinkEndsTheEditorAtIdleTimeAndAnAbsentHostMeansNormalMode) {
    FakeLink link;
    script({"command 32776", "click 240,180"});
    CLumbraApp app(&link);
    ASSERT_TRUE(app.InitInstance());
    link.gone = true;
    EXPECT_EQ(app.Run(), 1);
    EXPECT_EQ(app.document().aperture().count(), 0); // it quit before the first step
    EXPECT_EQ(link.disconnects, 1);
    app.ExitInstance();

    FakeLink absent;
    absent.answers = false;
    script({});
    CLumbraApp normal(&absent);
    ASSERT_TRUE(normal.InitInstance());
    EXPECT_FALSE(normal.linkMode());
    EXPECT_EQ(normal.Run(), 0);
    EXPECT_TRUE(presenter->messageBoxes().empty());
    normal.ExitInstance();
    EXPECT_EQ(absent.disconnects, 0);
}

// ---------------------------------------------------------------- exit and settings

struct ExitCase {
    std::vector<std::string> steps;
    bool saved;
    int questions;
    bool closed;
};

class ExitAsks : public AppTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitAsks, ExitAsksToSaveAModifiedAperture) {
    std::vector<std::string> s = GetParam().steps;
    for (auto& line : s)
        if (line == "file OUT") line = "file " + path("out.cap");
    script(s);
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(static_cast<int>(presenter->messageBoxes().size()), GetParam().questions);
    EXPECT_EQ(std::filesystem::exists(path("out.cap")), GetParam().saved);
    EXPECT_EQ(app.frame().destroyed(), GetParam().closed);
    app.ExitInstance();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitAsks,
    ::testing::Values(
        ExitCase{{"command 57665"}, false, 0, true},
        ExitCase{{"command 32776", "click 240,180", "command 57665", "answer no"}, false, 1, true},
        ExitCase{
            {"command 32776", "click 240,180", "command 57665", "answer yes", "file OUT"}, true, 1, true},
        // Declining the file chooser keeps the window and the work.
        ExitCase{{"command 32776", "click 240,180", "command 57665", "answer yes", "file "}, false, 1, false},
        ExitCase{{"command 32776", "click 240,180", "close", "answer no"}, false, 1, true}));

TEST_F(AppTest, SettingsAreWrittenAndReadBack) {
    script({"set 1004=0.25", "set 1005=-3", "click 1006", "command 32782", "command 32786", "close"});
    {
        CLumbraApp app;
        ASSERT_TRUE(app.InitInstance());
        WindowPlacement p;
        p.showCmd = SW_SHOWMAXIMIZED;
        p.left = 10, p.top = 20, p.right = 650, p.bottom = 500;
        app.frame().SetWindowPlacement(p);
        std::ofstream(path("r1.cap")) << kTwoCircles;
        ASSERT_TRUE(app.OpenDocumentFile(path("r1.cap")));
        std::ofstream(path("r2.cap")) << kTwoCircles;
        ASSERT_TRUE(app.OpenDocumentFile(path("r2.cap")));
        app.Run();
        EXPECT_EQ(refusal(), "");
        EXPECT_TRUE(app.frame().destroyed());
        app.ExitInstance();
    }
    LumbraSettings s = loadSettings();
    EXPECT_EQ(s.width, "6.35000"); // 0.25 inch shown in millimetres
    EXPECT_EQ(s.tool, -3);
    EXPECT_EQ(s.polarity, 0);
    EXPECT_EQ(s.metric, 1);
    ASSERT_TRUE(s.placement);
    EXPECT_EQ(s.placement->flags, 2u); // maximised: restore to maximised
    EXPECT_EQ(s.placement->right, 650);
    EXPECT_EQ(s.recentFiles, (std::vector<std::string>{path("r2.cap"), path("r1.cap")}));
    bool viewBarHidden = false;
    for (const BarState& b : s.bars)
        if (b.barId == IDR_VIEWBAR) viewBarHidden = !b.visible;
    EXPECT_TRUE(viewBarHidden);

    // The next run starts from them.
    script({});
    CLumbraApp again;
    ASSERT_TRUE(again.InitInstance());
    EXPECT_EQ(barText(again, IDC_WIDTH), "6.35000");
    EXPECT_EQ(barText(again, IDC_TOOL), "-3");
    EXPECT_EQ(again.frame().findBarControl(IDC_NEGATIVE)->GetCheck(), BST_CHECKED);
    EXPECT_EQ(again.view().width, 635000);
    EXPECT_EQ(again.view().tool, -3);
    EXPECT_EQ(again.view().polarity, 0);
    EXPECT_TRUE(again.view().metric);
    EXPECT_TRUE(again.frame().IsZoomed());
    EXPECT_FALSE(again.frame().bar(IDR_VIEWBAR)->IsWindowVisible());
    EXPECT_TRUE(again.frame().queryCommand(ID_FILE_MRU_FILE1 + 1).enabled);
    EXPECT_FALSE(again.frame().queryCommand(ID_FILE_MRU_FILE1 + 2).enabled);
    again.ExitInstance();
}

TEST_F(AppTest, AnUnreadableStoredWidthFallsBackToTheDefaultLine) {
    writeSetting("Width", "garbage");
    script({});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(barText(app, IDC_WIDTH), "0.02000");
    EXPECT_EQ(app.view().width, 50800);
    app.ExitInstance();
}

struct PosCase {
    const char* text;
    bool accepted;
};

class WindowPos : public ::testing::TestWithParam<PosCase> {};

TEST_P(WindowPos, OnlyExactlyTenNumbersArePlacement) {
    auto p = parseWindowPos(GetParam().text);
    EXPECT_EQ(p.has_value(), GetParam().accepted) << GetParam().text;
    if (p) {
        EXPECT_EQ(formatWindowPos(*p), GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WindowPos,
                         ::testing::Values(PosCase{"0,1,-1,-1,-1,-1,10,20,650,500", true},
                                           PosCase{"2,3,-32000,-32000,-1,-1,0,0,800,600", true},
                                           PosCase{"0,1,-1,-1,-1,-1,10,20,650", false},
                                           PosCase{"0,1,-1,-1,-1,-1,10,20,650,500,7", false},
                                           PosCase{"0,1,-1,-1,-1,-1,10,20,650,500x", false},
                                           PosCase{"0,1,-1,-1,-1,-1,10,20,,500", false},
                                           PosCase{"-1,1,-1,-1,-1,-1,10,20,650,500", false},
                                           PosCase{"0,1,-1,-1,-1,-1,10,20,650,99999999999", false},
                                           PosCase{"", false}));

TEST_F(AppTest, AMalformedStoredPlacementIsIgnored) {
    writeSetting("WindowPos", "1,3,0,0,0,0,1,2,3");
    script({});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.frame().GetWindowPlacement(), WindowPlacement{});
    app.ExitInstance();
}

// ---------------------------------------------------------------- the program

int runProgram(const std::string& args) {
    // Without a display: a run without --script must not open a window here.
    int status = std::system(
        ("env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(LUMBRA_PROGRAM) + " " + args + " 2>/dev/null")
            .c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(AppTest, TheProgramRunsAScriptOnAFileAndSavesIt) {
    std::string file = path("prog.cap"), scr = path("s.txt");
    std::ofstream(file) << kTwoCircles;
    std::ofstream(scr)
        << "# delete everything, add one circle, save\ncommand 32779\nmove 10,10\ndown 10,10\nmove 470,350\n"
           "up 470,350\nanswer yes\ncommand 32776\nclick 240,180\nkey ctrl+s\nclose\n";
    EXPECT_EQ(runProgram("--script " + scr + " " + file), 0);
    EXPECT_EQ(readFile(file), "$CustomApertureData\npad1 c670 c670\n1\n14 1 c670 0 0 0\n");

    std::ofstream(scr) << "command 32776\nclick 9999,1\n";
    EXPECT_EQ(runProgram("--script " + scr), 3);
    std::ofstream(scr) << "bogus step\n";
    EXPECT_EQ(runProgram("--script " + scr), 2);
    EXPECT_EQ(runProgram("--script " + scr + " " + path("missing.cap")), 2);
    std::ofstream(scr) << "close\n";
    EXPECT_EQ(runProgram("--script " + scr + " " + path("missing.cap")), 3);
    EXPECT_EQ(runProgram(""), 2);
}

} // namespace lumbra::apptest
