#include "app_fixture.h"
#include "lumbra/units.h"
#include "lumbraapp/dialogs.h"
#include "lumbraapp/resource.h"

namespace lumbra::apptest {

using Dialogs = AppTest;

struct ToToolCase {
    const char* typed;
    const char* sizeAfter;
};

class ToToolLookup : public AppTest, public ::testing::WithParamInterface<ToToolCase> {};

TEST_P(ToToolLookup, TypingAToolInUseFillsInItsSizeInTheDisplayUnit) {
    ApertureRecord a;
    a.reset("t", 0, 0);
    a.append(PrimitiveRecord::polygon({{0, 0}, {10, 0}, {0, 10}, {0, 0}}))->toolWord = toolWordFor(4);
    a.append(PrimitiveRecord::line(25000, {0, 0}, {100, 0}))->toolWord = toolWordFor(7); // 0.25 mm
    a.append(PrimitiveRecord::circle(0, {0, 0}))->toolWord = toolWordFor(8);             // no size
    std::string seenSize;
    script({std::string("set 1031=") + GetParam().typed, "cancel"});
    presenter->afterStep = [&](CModalWindow& w, const ScriptStep&) {
        seenSize = w.GetDlgItemText(IDC_TOOL_SIZE).str();
    };
    CChangeDrillToolsDialog d(a, true);
    EXPECT_EQ(d.DoModal(), IDCANCEL);
    EXPECT_EQ(seenSize, GetParam().sizeAfter);
}

INSTANTIATE_TEST_SUITE_P(Table, ToToolLookup,
                         ::testing::Values(ToToolCase{"7", "0.25000"}, ToToolCase{"3", "0.00000"},
                                           ToToolCase{"4", "0.00000"}, // a polygon has no size
                                           ToToolCase{"8", "0.00000"}, ToToolCase{"0", "0.00000"},
                                           ToToolCase{"7x", "0.00000"}, ToToolCase{"99999", "0.00000"}));

TEST_F(Dialogs, ChangeDrillToolsRefusesOutOfRangeEntriesAndRemembersWhatWasAccepted) {
    ApertureRecord a;
    a.reset("t", 0, 0);
    a.append(PrimitiveRecord::circle(254000, {0, 0}))->toolWord = toolWordFor(5); // 0.1 inch
    script(
        {"set 1030=10000", "ok", "set 1030=5", "set 1032=10", "ok", "set 1032=0.0125", "set 1031=2", "ok"});
    CChangeDrillToolsDialog d(a, false);
    ASSERT_EQ(d.DoModal(), IDOK);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Please enter an integer between 0 and 9999.",
                                                        "Please enter a number between 0 and 9.99999."}));
    EXPECT_EQ(d.fromTool(), 5);
    EXPECT_EQ(d.toTool(), 2);
    EXPECT_EQ(d.sizeUnits(), 31750);

    std::vector<std::string> fields;
    script({"cancel"});
    presenter->afterStep = nullptr;
    CChangeDrillToolsDialog again(a, false);
    ASSERT_TRUE(again.Create());
    again.OnInitDialog();
    for (int id : {IDC_FROM_TOOL, IDC_TO_TOOL, IDC_TOOL_SIZE})
        fields.push_back(again.GetDlgItemText(id).str());
    EXPECT_EQ(fields, (std::vector<std::string>{"5", "2", "0.01250"}));
}

TEST_F(Dialogs, TheChangeCommandRetoolsOnlyWhatTheFromToolSelects) {
    std::string file = path("tools.cap");
    // A circle with tool 3 at the origin, one without a tool at 0.05 inch.
    std::ofstream(file) << "$CustomApertureData\nt 0 0\n2\n14 1 c670 0 0 102\n14 1 c670 1f018 0 0\n";
    script({"command 32780", "set 1030=3", "set 1031=9", "set 1032=0.03", "ok", "move 5,5", "down 5,5",
            "move 475,355", "up 475,355", "answer yes"});
    CLumbraApp app;
    app.fileToOpen = file;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    EXPECT_EQ(refusal(), "");
    const ApertureRecord& a = app.document().aperture();
    ASSERT_EQ(a.count(), 2);
    EXPECT_EQ(a.at(0)->toolWord, 9 + 255);
    EXPECT_EQ(a.at(0)->size, 76200);
    EXPECT_EQ(a.at(1)->toolWord, 0);
    EXPECT_EQ(a.at(1)->size, 50800);
    app.ExitInstance();
}

TEST_F(Dialogs, TheGridDialogShowsAndStoresTheViewsGrid) {
    std::vector<std::string> shown;
    script({"command 32781", "click 1020", "click 1021", "set 1022=0.5", "ok", "key ctrl+g", "cancel"});
    presenter->afterStep = [&](CModalWindow& w, const ScriptStep& s) {
        if (s.kind == ScriptStep::Kind::Click && s.id == IDC_SNAP)
            shown.push_back(w.caption().str() + "|" + w.GetDlgItemText(IDC_GRID_SIZE).str());
    };
    writeMetric();
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(shown, (std::vector<std::string>{"Grid|0.25400"})); // 0.01 inch in millimetres
    EXPECT_FALSE(app.view().snap);
    EXPECT_TRUE(app.view().gridDisplay);
    EXPECT_EQ(app.view().gridSize, 50000);
    app.ExitInstance();
}

TEST_F(Dialogs, TheChooserListsTheAperturesAndADoubleClickOpensOne) {
    SetTextMeasure(nullptr, 5);
    std::string file = path("two.cap");
    std::ofstream(file) << "$CustomApertureData\nfirst 0 0\n1\n28 1 3 0\n0 0\n64 0\n0 64\n0 0\n"
                           "a-much-longer-name 26c1e0 c670\n1\n14 1 c670 0 0 0\n";
    std::vector<std::string> rows;
    std::vector<int> widths;
    std::vector<std::string> columns;
    int selected = -2;
    script({"command 57601", "file " + file, "dblclick 1040=1"});
    presenter->afterStep = [&](CModalWindow&, const ScriptStep&) {};
    ScriptedPresenter* p = presenter.get();
    p->afterStep = nullptr;
    // Look at the list as the dialog opens.
    struct Peek : Presenter {
        ScriptedPresenter* inner;
        std::function<void(CModalWindow&)> look;
        int runModal(CModalWindow& w) override {
            look(w);
            return inner->runModal(w);
        }
        int messageBox(const MessageBoxRequest& r) override { return inner->messageBox(r); }
        void help(const HelpRequest& r) override { inner->help(r); }
        std::optional<std::string> chooseFile(const FileDialogRequest& r) override {
            return inner->chooseFile(r);
        }
        int runMainWindow(CFrameWnd& f) override { return inner->runMainWindow(f); }
    } peek;
    peek.inner = p;
    peek.look = [&](CModalWindow& w) {
        CWnd* list = w.GetDlgItem(IDC_APLIST);
        ASSERT_NE(list, nullptr);
        for (int r = 0; r < list->GetItemCount(); ++r)
            rows.push_back(list->GetItemText(r, 0).str() + "|" + list->GetItemText(r, 1).str() + "|" +
                           list->GetItemText(r, 2).str());
        widths = list->columnWidths();
        for (const CString& c : list->columns())
            columns.push_back(c.str());
        selected = list->GetCurSel();
    };
    setPresenter(&peek);
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    setPresenter(p);
    SetTextMeasure(nullptr, 7);
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(columns, (std::vector<std::string>{"Custom Name", "X-Size", "Y-Size"}));
    EXPECT_EQ(rows,
              (std::vector<std::string>{"first|0.00000|0.00000", "a-much-longer-name|1.00000|0.02000"}));
    // The widest name and "000.0000", each with the cell margin of two average characters.
    EXPECT_EQ(widths, (std::vector<int>{18 * 5 + 10, 8 * 5 + 10, 8 * 5 + 10}));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(app.document().aperture().name(), "a-much-longer-name");
    EXPECT_EQ(app.document().aperture().count(), 1);
    app.ExitInstance();
}

TEST_F(Dialogs, CancellingTheChooserKeepsTheCurrentAperture) {
    std::string file = path("two.cap");
    std::ofstream(file) << "$CustomApertureData\na 0 0\n0\nb 0 0\n0\n";
    script({"command 32776", "click 240,180", "command 57601", "answer no", "file " + file, "cancel"});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(app.document().aperture().name(), "untitled");
    EXPECT_EQ(app.document().aperture().count(), 1);
    EXPECT_EQ(app.pathName(), "");
    app.ExitInstance();
}

TEST_F(Dialogs, TheAboutBoxNamesTheProgramAndItsMaker) {
    std::vector<std::string> texts;
    script({"command 57664"});
    presenter->pressOkAtEnd = true;
    struct Look : Presenter {
        ScriptedPresenter* inner;
        std::vector<std::string>* out;
        int runModal(CModalWindow& w) override {
            for (const auto& c : w.children())
                if (c->kind() == ControlKind::Static && !c->GetWindowText().IsEmpty())
                    out->push_back(c->GetWindowText().str());
            out->push_back(w.caption().str());
            return inner->runModal(w);
        }
        int messageBox(const MessageBoxRequest& r) override { return inner->messageBox(r); }
        void help(const HelpRequest& r) override { inner->help(r); }
        std::optional<std::string> chooseFile(const FileDialogRequest& r) override {
            return inner->chooseFile(r);
        }
        int runMainWindow(CFrameWnd& f) override { return inner->runMainWindow(f); }
    } look;
    look.inner = presenter.get();
    look.out = &texts;
    setPresenter(&look);
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    setPresenter(presenter.get());
    EXPECT_EQ(texts, (std::vector<std::string>{"Lumbra Version 1.3", "Tarnell Software", "About Lumbra"}));
    app.ExitInstance();
}

} // namespace lumbra::apptest

namespace lumbra::apptest {

namespace {
int litPixels(const CairoCanvas* c) {
    int n = 0;
    if (!c) return -1;
    for (std::uint32_t p : c->pixels())
        if ((p & 0xFFFFFF) != 0) ++n;
    return n;
}
} // namespace

TEST_F(Dialogs, ThePreviewDrawsTheSelectedApertureScaledToFit) {
    std::string file = path("two.cap");
    // A small circle and a two-inch square, both around the origin: each fills its preview.
    std::ofstream(file) << "$CustomApertureData\nsmall 0 0\n1\n14 1 c670 0 0 0\n"
                           "big 0 0\n1\n28 1 4 0\nffd93e20 ffd93e20\n26c1e0 ffd93e20\n26c1e0 26c1e0\n"
                           "ffd93e20 26c1e0\nffd93e20 ffd93e20\n";
    std::vector<ApertureCatalogEntry> catalog{{"small", 0, 0}, {"big", 0, 0}, {"missing", 0, 0}};
    std::vector<int> rowsAsked;
    COpenCustomApDialog d(catalog, [&](int row, LoadedAperture& out) {
        rowsAsked.push_back(row);
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "rb"), &std::fclose);
        std::string error;
        return f && loadApertureFromFile(f.get(), row + 1, out, error);
    });
    ASSERT_TRUE(d.Create());
    d.OnInitDialog();
    // A presenter finds the picture through the preview control.
    auto* attached = dynamic_cast<PreviewImage*>(d.GetDlgItem(IDC_PREVIEW)->extension());
    ASSERT_NE(attached, nullptr);
    EXPECT_EQ(attached->image.get(), d.preview());
    int small = litPixels(d.preview());
    std::vector<std::uint32_t> first = d.preview()->pixels();
    ASSERT_TRUE(d.GetDlgItem(IDC_APLIST)->userSelect(1));
    int big = litPixels(d.preview());
    ASSERT_TRUE(d.GetDlgItem(IDC_APLIST)->userSelect(2));
    int missing = litPixels(d.preview());
    EXPECT_EQ(rowsAsked, (std::vector<int>{0, 1, 2}));
    // Fitted, each fills a good part of the box (not a speck), and the two pictures differ.
    const int box = COpenCustomApDialog::kPreviewWidth * COpenCustomApDialog::kPreviewHeight;
    EXPECT_GT(small, box / 10);
    EXPECT_GT(big, box / 10);
    EXPECT_NE(first, std::vector<std::uint32_t>(d.preview()->pixels()));
    EXPECT_EQ(missing, 0); // no such aperture: an empty box
}

} // namespace lumbra::apptest
