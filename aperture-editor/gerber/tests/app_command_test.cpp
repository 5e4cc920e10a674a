// File > Export Gerber... in the editor, driven through the scripted presenter.
#include "../../app/tests/app_fixture.h"

#include "lumbraapp/resource.h"

namespace lumbra::apptest {

namespace {

constexpr unsigned kExport = ID_FILE_EXPORT_GERBER;
// A circle of 0.02 inch at the origin.
const char* kOneCircle = "$CustomApertureData\npad1 0 0\n1\n14 1 c670 0 0 0\n";

// Keeps what each file chooser was asked.
class ChooserRecorder : public ScriptedPresenter {
  public:
    using ScriptedPresenter::ScriptedPresenter;
    std::vector<FileDialogRequest> requests;
    std::optional<std::string> chooseFile(const FileDialogRequest& r) override {
        requests.push_back(r);
        return ScriptedPresenter::chooseFile(r);
    }
};

class GerberCommand : public AppTest {
  protected:
    ChooserRecorder* recorder = nullptr;
    void scriptRecording(const std::vector<std::string>& lines) {
        auto fresh = std::make_unique<ChooserRecorder>(steps(lines));
        recorder = fresh.get();
        Presenter* before = setPresenter(fresh.get());
        if (!installed) previous = before, installed = true;
        presenter = std::move(fresh);
    }
};

} // namespace

TEST_F(GerberCommand, ExportsInTheUnitOnDisplayThroughTheFileChooser) {
    for (bool metric : {false, true}) {
        if (metric) writeMetric();
        std::string file = path("pad1.cap"), out = path(metric ? "mm.gbr" : "inch.gbr");
        std::ofstream(file) << kOneCircle;
        scriptRecording({"command " + std::to_string(kExport), "file " + out});
        CLumbraApp app;
        app.fileToOpen = file;
        ASSERT_TRUE(app.InitInstance());
        EXPECT_TRUE(app.frame().menuHasCommand(kExport));
        app.Run();
        EXPECT_EQ(refusal(), "");
        EXPECT_TRUE(messageTexts().empty());
        ASSERT_EQ(recorder->requests.size(), 1u);
        EXPECT_FALSE(recorder->requests[0].open);
        EXPECT_EQ(recorder->requests[0].filter.str(), "Gerber files (*.gbr)|*.gbr|All Files (*.*)|*.*||");
        EXPECT_EQ(recorder->requests[0].initialName.str(), "pad1.gbr");
        std::string text = readFile(out);
        EXPECT_NE(
            text.find(metric ? "%MOMM*%\n%AMpad1*\n1,1,0.508,0,0*\n" : "%MOIN*%\n%AMpad1*\n1,1,0.02,0,0*\n"),
            std::string::npos)
            << text;
        EXPECT_FALSE(app.document().IsModified()); // an export is not a save
        app.ExitInstance();
    }
}

TEST_F(GerberCommand, IsGreyedUntilTheApertureHasPrimitives) {
    std::string out = path("new.gbr");
    scriptRecording({"command " + std::to_string(kExport)});
    CLumbraApp app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.frame().queryCommand(kExport).enabled);
    app.Run();
    EXPECT_NE(refusal().find("is disabled"), std::string::npos) << refusal();

    scriptRecording({"command 32776", "click 240,180", "command " + std::to_string(kExport), "file " + out});
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_TRUE(app.frame().queryCommand(kExport).enabled);
    EXPECT_NE(readFile(out).find("%ADD10untitled*%"), std::string::npos);
    app.ExitInstance();
}

TEST_F(GerberCommand, ARefusedExportIsToldAndACancelledOneWritesNothing) {
    std::string file = path("dot.cap"), out = path("dot.gbr");
    std::ofstream(file) << "$CustomApertureData\ndot 0 0\n1\n14 1 0 0 0 0\n"; // a circle of no size
    scriptRecording(
        {"command " + std::to_string(kExport), "file " + out, "command " + std::to_string(kExport), "file "});
    CLumbraApp app;
    app.fileToOpen = file;
    ASSERT_TRUE(app.InitInstance());
    app.Run();
    EXPECT_EQ(refusal(), "");
    EXPECT_EQ(messageTexts(),
              std::vector<std::string>{"None of the 1 primitives has an area (zero widths or "
                                       "diameters, flat outlines): there is nothing to export."});
    EXPECT_EQ(recorder->requests.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(out));
    app.ExitInstance();
}

} // namespace lumbra::apptest
