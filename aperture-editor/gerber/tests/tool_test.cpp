// lumbra-tool gerber FILE K OUT [inch|mm]
#include "gerber/gerber.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Two apertures: a circle of 1 mm with a line, and one without primitives.
constexpr const char* kFile = "$CustomApertureData\n"
                              "pads 0 0\n"
                              "2\n"
                              "14 1 186a0 0 0 0\n"
                              "1e 1 7530 0 0 30d40 0 0\n"
                              "empty 0 0\n"
                              "0\n";

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class GerberTool : public ::testing::Test {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("gerber-tool-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::ofstream(dir / "in.cap") << kFile;
    }
    void TearDown() override { fs::remove_all(dir); }
    // Exit status and standard error of one run.
    std::pair<int, std::string> run(const std::string& args) {
        std::string cmd = std::string(LUMBRA_TOOL) + " " + args + " 2>" + (dir / "err").string();
        int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(dir / "err")};
    }
};

} // namespace

TEST_F(GerberTool, WritesTheChosenApertureInTheChosenUnit) {
    const std::string in = (dir / "in.cap").string(), out = (dir / "pads.gbr").string();
    auto [status, err] = run("gerber " + in + " 1 " + out + " mm");
    ASSERT_EQ(status, 0) << err;
    std::string text = readAll(out);
    EXPECT_NE(text.find("%MOMM*%\n%AMpads*\n1,1,1,0,0*\n20,1,0.3,0,0,2,0,0*\n%\n%ADD10pads*%"),
              std::string::npos)
        << text;
    // Inches unless told.
    std::tie(status, err) = run("gerber " + in + " 1 " + out);
    ASSERT_EQ(status, 0) << err;
    EXPECT_NE(readAll(out).find("%MOIN*%\n%AMpads*\n1,1,0.0393701,0,0*\n"), std::string::npos);
}

TEST_F(GerberTool, RefusalsSayWhyAndWriteNothing) {
    const std::string in = (dir / "in.cap").string(), out = (dir / "none.gbr").string();
    struct Case {
        std::string args;
        int status;
        std::string says;
    } cases[] = {
        {"gerber " + in + " 2 " + out, 1, "no primitives"},
        {"gerber " + in + " 3 " + out, 1, "holds no aperture 3"},
        {"gerber " + in + " 0 " + out, 1, "K must be a whole number"},
        {"gerber " + in + " 1 " + out + " cm", 2, "the unit must be inch or mm"},
        {"gerber " + in + " 1 " + (dir / "no/such/folder.gbr").string(), 1, "folder"},
        {"gerber " + in + " 1", 2, "usage:"},
    };
    for (const Case& c : cases) {
        auto [status, err] = run(c.args);
        EXPECT_EQ(status, c.status) << c.args;
        EXPECT_NE(err.find(c.says), std::string::npos) << c.args << ": " << err;
        EXPECT_FALSE(fs::exists(out)) << c.args;
    }
}
