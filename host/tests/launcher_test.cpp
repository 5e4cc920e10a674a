// The launcher of `korvane-host gui`: name strings and categories, saving a model text, and a maker run
// from the launcher with OK and with Cancel.
#include "gui.h"
#include "platform/scripted.h"
#include "plugins.h"
#include "wxtesting/drive.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <wx/treectrl.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace host;

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TempDir {
    fs::path path;
    TempDir() {
        std::string t = (fs::temp_directory_path() / "korvane-launcher-XXXXXX").string();
        path = mkdtemp(t.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, ec);
        fs::remove_all(path, ec);
    }
};

TEST(MakerNames, FieldsAndCategoryOrder) {
    MakerName three = parseMakerName("Ideal Transformer(Multiple Winding)\nREG\nV8");
    EXPECT_EQ(three.display, "Ideal Transformer(Multiple Winding)");
    EXPECT_EQ(three.category, "REG");
    EXPECT_EQ(three.extra, "V8");
    MakerName two = parseMakerName("Microstrip Line\nRF");
    EXPECT_EQ(two.category, "RF");
    EXPECT_EQ(two.extra, "");
    MakerName bare = parseMakerName("Odd");
    EXPECT_EQ(bare.display, "Odd");
    EXPECT_EQ(bare.category, "?");
    EXPECT_TRUE(categoryBefore("REG", "RF"));
    EXPECT_TRUE(categoryBefore("RF", "?"));
    EXPECT_FALSE(categoryBefore("RF", "REG"));
    EXPECT_FALSE(categoryBefore("REG", "REG"));
    // Headings are for reading; the keys keep the order.
    EXPECT_EQ(categoryHeading("REG"), "Circuit models");
    EXPECT_EQ(categoryHeading("RF"), "RF and transmission-line models");
    EXPECT_EQ(categoryHeading("V8"), "V8");
    EXPECT_EQ(categoryHeading("?"), "?");
}

TEST(LauncherCommand, WithoutADisplayItSaysSoAndLoadsNoToolkit) {
    // The host maps the toolkit only through the launcher module; without a display it never does.
    const std::string out = (fs::temp_directory_path() / "korvane-launcher-nodisplay.txt").string();
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY LD_DEBUG=files " KORVANE_HOST " gui > " + out + " 2>&1";
    const int status = std::system(command.c_str());
    const std::string said = readFile(out);
    fs::remove(out);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(said.find("korvane-host: no display can be had for the launcher"), std::string::npos) << said;
    EXPECT_EQ(said.find("libwx_"), std::string::npos) << "the toolkit was loaded";
    EXPECT_EQ(said.find("korvane_host_launcher"), std::string::npos);
}

TEST(ModelFiles, ExtensionFollowsTheChosenKindUnlessTyped) {
    EXPECT_EQ(withModelExtension("/tmp/x/soskin", 0), "/tmp/x/soskin.lib");
    EXPECT_EQ(withModelExtension("/tmp/x/soskin", 1), "/tmp/x/soskin.cir");
    EXPECT_EQ(withModelExtension("/tmp/x/soskin.txt", 1), "/tmp/x/soskin.txt");
    EXPECT_EQ(withModelExtension("/tmp/dir.d/soskin", 0), "/tmp/dir.d/soskin.lib");
}

TEST(ModelFiles, SavedByteForByteReplacingAtomically) {
    TempDir dir;
    const fs::path target = dir.path / "model.lib";
    std::string error;
    ASSERT_TRUE(saveModelText(target.string(), CString("* old\r\n"), error)) << error;
    ASSERT_TRUE(saveModelText(target.string(), CString("*\r\n.subckt a b\r\n.ends\r\n"), error)) << error;
    EXPECT_EQ(readFile(target), "*\r\n.subckt a b\r\n.ends\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1)
        << "no temporary left";
}

TEST(ModelFiles, AFailedSaveSaysWhyAndLeavesNoTemporary) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(saveModelText((dir.path / "missing" / "model.lib").string(), CString("x"), error));
    EXPECT_NE(error.find("model.lib cannot be written"), std::string::npos) << error;
    // A folder in the way of the target: the rename fails, the folder and its content stay.
    fs::create_directory(dir.path / "taken.lib");
    std::ofstream(dir.path / "taken.lib" / "inside") << "kept";
    error.clear();
    EXPECT_FALSE(saveModelText((dir.path / "taken.lib").string(), CString("new"), error));
    EXPECT_NE(error.find("taken.lib cannot be written"), std::string::npos) << error;
    EXPECT_EQ(readFile(dir.path / "taken.lib" / "inside"), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

class Launcher : public testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(testplugins::path("Soskin"))) GTEST_SKIP() << "Soskin is not built";
        frame = new LauncherFrame({{"Soskin", testplugins::path("Soskin").string()},
                                   {"Broken", (testplugins::folder() / "no-such.so").string()}});
        frame->Show();
    }
    void TearDown() override {
        if (frame) frame->Destroy();
    }
    size_t soskin() const {
        for (size_t i = 0; i < frame->makers().size(); ++i)
            if (frame->makers()[i].file == "Soskin") return i;
        ADD_FAILURE() << "Soskin is not listed";
        return 0;
    }
    LauncherFrame* frame = nullptr;
};

TEST_F(Launcher, ListsMakersUnderTheirCategoryAndReportsTheOnesThatDoNotLoad) {
    ASSERT_EQ(frame->makers().size(), 1u);
    ASSERT_EQ(frame->loadErrors().size(), 1u);
    EXPECT_EQ(frame->loadErrors()[0].rfind("Broken: ", 0), 0u);
    wxTreeCtrl* tree = frame->tree();
    wxTreeItemIdValue cookie;
    const wxTreeItemId category = tree->GetFirstChild(tree->GetRootItem(), cookie);
    ASSERT_TRUE(category.IsOk());
    EXPECT_EQ(tree->GetItemText(category), "Circuit models") << "a heading, not the category key";
    wxTreeItemIdValue inner;
    const wxTreeItemId maker = tree->GetFirstChild(category, inner);
    ASSERT_TRUE(maker.IsOk());
    EXPECT_EQ(tree->GetItemText(maker), "Ideal Transformer(Multiple Winding)");
    EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(frame), "launcher.png"));
    // Labels written in UTF-8 keep their non-ASCII characters.
    EXPECT_NE(wxWindow::FindWindowByLabel(wxString::FromUTF8("&Run…"), frame), nullptr);
}

TEST_F(Launcher, OkShowsTheModelTextToCopyOrSave) {
    TempDir dir;
    frame->presenter().onShown = [](korvane::wx::WindowView& v) {
        drive::type(v.valueBox(9202), "2");
        drive::press(v.widget(IDOK));
    };
    std::string shown, saved;
    frame->onResultShown = [&](ResultDialog& d) {
        EXPECT_TRUE(wxtesting::saveScreenshot(wxtesting::capture(&d), "launcher-result.png"));
        shown = d.view()->GetValue().utf8_string();
        std::string error;
        EXPECT_TRUE(d.saveTo((dir.path / "soskin.lib").string(), error)) << error;
        d.EndModal(wxID_CLOSE);
    };
    ASSERT_TRUE(frame->runMaker(soskin()));
    const std::string text = frame->lastText().str();
    EXPECT_NE(text.find(".subckt ideal_tran p1 p0 s11 s10 s21 s20\r\n"), std::string::npos);
    EXPECT_EQ(readFile(dir.path / "soskin.lib"), text);
    EXPECT_EQ(shown.find('\r'), std::string::npos) << "shown with plain line ends";
    EXPECT_NE(shown.find(".subckt ideal_tran p1 p0 s11 s10 s21 s20\n"), std::string::npos);
}

TEST_F(Launcher, CancelLeavesNothing) {
    frame->presenter().onShown = [](korvane::wx::WindowView& v) { drive::press(v.widget(IDCANCEL)); };
    bool resultShown = false;
    frame->onResultShown = [&](ResultDialog& d) {
        resultShown = true;
        d.EndModal(wxID_CLOSE);
    };
    EXPECT_FALSE(frame->runMaker(soskin()));
    EXPECT_FALSE(resultShown);
    EXPECT_TRUE(frame->lastText().IsEmpty());
}

} // namespace
