// Drives korvane-host as acceptance tests outside the project would: command line in, bytes and exit
// status out.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Result host(const std::string& args, const std::string& env = "") {
    static int counter = 0;
    fs::path dir = fs::temp_directory_path() /
                   ("host-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    fs::create_directories(dir);
    std::string cmd = env + " SOURCE_DATE_EPOCH=1765152000 TZ=UTC " + KORVANE_HOST + " " + args + " >" +
                      (dir / "out").string() + " 2>" + (dir / "err").string();
    int raw = std::system(cmd.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(dir / "out");
    r.err = slurp(dir / "err");
    fs::remove_all(dir);
    return r;
}

TEST(Host, ListsPluginsWithTheirNameFields) {
    Result r = host("list");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Soskin\tIdeal Transformer(Multiple Winding)\tREG\tV8\n"), std::string::npos)
        << r.out;
}

TEST(Host, RunWritesTheModelTextByteForByte) {
    Result r = host("run SOSKIN --set 9202=2");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(".subckt ideal_tran p1 p0 s11 s10 s21 s20\r\n"), r.out.find(".subckt"));
    EXPECT_EQ(r.out.substr(r.out.size() - 7), ".ends\r\n");
    EXPECT_NE(r.out.find("*   Date: Monday, December 08, 2025\r\n"), std::string::npos);
}

TEST(Host, ScriptFileGivesTheSameTextAsArguments) {
    fs::path script = fs::temp_directory_path() / ("host-script-" + std::to_string(getpid()));
    std::ofstream(script) << "# two secondaries, option 2\r\nset 9202=2\n  click 501\n\nok  \n";
    Result a = host("run soskin --script " + script.string());
    Result b = host("run soskin --set 9202=2 --click 501 --ok");
    fs::remove(script);
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
}

TEST(Host, CancelReturnsOneAndWritesNothing) {
    Result r = host("run soskin --cancel");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
}

TEST(Host, RefusedStepsAndBadInputExitTwoWithNothingOnStdout) {
    struct Case {
        const char* args;
        const char* message;
    } cases[] = {
        {"run soskin --set 9299=1", "no control 9299"},
        {"run soskin --set 9204=3", "hidden"},
        {"run soskin --set 9202=7", "between"},
        {"run soskin --set 9201=abc", "not a number"},
        {"run soskin --click 2:500", "only page 1"},
        {"run soskin --frobnicate", "unknown step"},
        {"run soskin --set", "needs a value"},
        {"run soskin --answer maybe", "yes or no"},
        {"run nosuchmaker", "no plug-in named nosuchmaker"},
        {"run soskin --script /nonexistent/script", "cannot be read"},
        {"run soskin --script /tmp", "script /tmp is a folder, not a file"},
        {"frobnicate", "usage"},
    };
    for (const auto& c : cases) {
        Result r = host(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    }
}

TEST(Host, AnExplicitOkIsPressedOnlyOnce) {
    // Brannock asks whether to use zero resistances; declined, the sheet stays open and is cancelled.
    Result r = host("run brannock --set 1:9223=1 --ok --answer no");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(r.out.empty());
    size_t questions = 0;
    for (size_t at = r.err.find("message box:"); at != std::string::npos;
         at = r.err.find("message box:", at + 1))
        ++questions;
    EXPECT_EQ(questions, 1u) << r.err;
    // Without --ok the host presses OK once at the end.
    Result e = host("run brannock --set 1:9223=1 --answer yes");
    EXPECT_EQ(e.status, 0) << e.err;
    EXPECT_NE(e.out.find("RD = 0.000e+000 RS = 0.000e+000"), std::string::npos);
}

TEST(Host, MessageBoxesAndHelpGoToStandardError) {
    Result r = host("run soskin --set 9202=0 --help-button --cancel");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("message box: The value must lie between 1 and 5. [OK]"), std::string::npos)
        << r.err;
    Result h = host("run soskin --help-button --cancel");
    EXPECT_NE(h.err.find("help: Soskin context 25178 (0x625A)"), std::string::npos) << h.err;
}

TEST(Host, BrokenPluginsAreNamedAndExitTwo) {
    fs::path dir = fs::temp_directory_path() / ("host-plugins-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "Garbage.so") << "not a shared library";
    fs::copy_file(KORVANE_NOEXPORTS, dir / "Hollow.so", fs::copy_options::overwrite_existing);
    std::string env = "KORVANE_PLUGIN_PATH=" + dir.string();

    Result g = host("run garbage", env);
    EXPECT_EQ(g.status, 2);
    EXPECT_TRUE(g.out.empty());
    EXPECT_NE(g.err.find("Garbage"), std::string::npos) << g.err;

    Result h = host("run hollow", env);
    EXPECT_EQ(h.status, 2);
    EXPECT_NE(h.err.find("does not export GetModelMakerName"), std::string::npos) << h.err;

    // The good plug-ins are still listed; the broken ones are reported.
    Result l = host("list", env);
    EXPECT_EQ(l.status, 2);
    EXPECT_NE(l.out.find("Soskin\t"), std::string::npos);
    EXPECT_NE(l.err.find("Hollow"), std::string::npos);
    fs::remove_all(dir);
}

TEST(Host, EveryPluginExportsExactlyTheTwoEntryPoints) {
    int plugins = 0;
    for (const auto& e : fs::directory_iterator(KORVANE_PLUGIN_DIR)) {
        if (e.path().extension() != ".so") continue;
        ++plugins;
        std::string cmd = "nm -D --defined-only '" + e.path().string() + "'";
        FILE* p = popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::array<char, 512> line{};
        std::vector<std::string> names;
        while (fgets(line.data(), line.size(), p)) {
            std::istringstream words(line.data());
            std::string addr, type, name;
            words >> addr >> type >> name;
            names.push_back(name);
        }
        pclose(p);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"CreateModelMaker", "GetModelMakerName"})) << e.path();
    }
    EXPECT_GT(plugins, 0);
}

} // namespace
