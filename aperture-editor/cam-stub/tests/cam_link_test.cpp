// The editor under the stand-in CAM host, as separate programs on a real link. Every test has its own
// runtime folder (where the host's socket lives) and its own settings folder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kEmpty = "$CustomApertureData\npad 0 0\n0\n";
constexpr const char* kOneCircle = "$CustomApertureData\npad c670 c670\n1\n14 1 c670 0 0 0\n";
// Adds a circle at the centre and saves.
constexpr const char* kAddAndSave = "command 32776\nclick 240,180\nkey ctrl+s\n";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Whether the editor wrote a line of its own (the loader's report lines start with a process number).
bool saysSomething(const std::string& err) {
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("lumbra", 0) == 0) return true;
    return false;
}

struct Ran {
    int code = -1;
    std::string out, err;
    double seconds = 0;
};

class CamLink : public ::testing::Test {
  protected:
    fs::path dir;
    std::vector<std::pair<std::string, std::string>> savedEnv;

    void SetUp() override {
        static int serial = 0;
        dir = fs::temp_directory_path() /
              ("lumbra-camlink-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        fs::create_directories(dir / "run");
        setEnv("XDG_RUNTIME_DIR", (dir / "run").string());
        setEnv("XDG_CONFIG_HOME", (dir / "config").string());
    }
    void TearDown() override {
        for (auto& [name, value] : savedEnv) {
            if (value == "\x01")
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Sets (or with an empty value unsets) a variable for the programs the test starts.
    void setEnv(const std::string& name, const std::string& value) {
        bool known = false;
        for (auto& s : savedEnv)
            known = known || s.first == name;
        if (!known) {
            const char* v = std::getenv(name.c_str());
            savedEnv.emplace_back(name, v ? v : "\x01");
        }
        if (value.empty())
            ::unsetenv(name.c_str());
        else
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string socketFile() const { return (dir / "run" / "korvane" / "fennick-lumbra.sock").string(); }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name)) << text;
        return path(name);
    }
    Ran run(const std::string& command) const {
        const auto start = std::chrono::steady_clock::now();
        std::string line = command + " >" + path("out.txt") + " 2>" + path("err.txt");
        int status = std::system(line.c_str());
        Ran r;
        r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = readFile(path("out.txt"));
        r.err = readFile(path("err.txt"));
        return r;
    }
    // The stub with OPTIONS starting the editor on FILE with SCRIPT.
    Ran underHost(const std::string& options, const std::string& script, const std::string& file) const {
        return run(std::string(CAM_STUB) + " " + options + " --script " + write("script.txt", script) + " " +
                   file);
    }
};

// ------------------------------------------------------------------------------------------ link mode

TEST_F(CamLink, ALinkedSavePokesAokToTheHostAndEndsTheEditorWithOne) {
    std::string file = write("linked.cap", kEmpty);
    // The circle command after the save is never carried out: the editor has ended.
    Ran r = underHost("", std::string(kAddAndSave) + "command 32776\nclick 100,100\n", file);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "connect topic=\"Data Transfer\"\n"
                     "poke item=\"Data Transfer\" format=text size=4 data=\"AOK\\0\"\n"
                     "disconnect\n"
                     "exit 1\n");
    EXPECT_EQ(readFile(file), kOneCircle);
    EXPECT_FALSE(fs::exists(socketFile())) << "the host leaves no socket behind";
    // The host's answer ended the editor's wait, well before the 10 s limit.
    EXPECT_LT(r.seconds, 8.0);
}

struct GreyedCase {
    int command;
    const char* name;
};

class GreyedInLinkMode : public CamLink, public ::testing::WithParamInterface<GreyedCase> {};

TEST_P(GreyedInLinkMode, TheCommandIsRefusedAndTheEditorEndsItsLinkWithoutAPoke) {
    std::string file = write("linked.cap", kEmpty);
    Ran r = underHost(
        "", "command " + std::to_string(GetParam().command) + "\nfile " + path("other.cap") + "\n", file);
    EXPECT_NE(r.err.find("command " + std::to_string(GetParam().command) + " is disabled"), std::string::npos)
        << GetParam().name << ": " << r.err;
    EXPECT_EQ(r.out, "connect topic=\"Data Transfer\"\ndisconnect\nexit 3\n") << GetParam().name;
    EXPECT_FALSE(fs::exists(path("other.cap")));

    // Without the host the same command is there (the chooser takes the file).
    fs::remove(socketFile());
    Ran normal = run(std::string(LUMBRA_PROGRAM) + " --script " + path("script.txt") + " " + file);
    EXPECT_EQ(normal.err.find("disabled"), std::string::npos) << GetParam().name << ": " << normal.err;
}

INSTANTIATE_TEST_SUITE_P(NewOpenSaveAs, GreyedInLinkMode,
                         ::testing::Values(GreyedCase{57600, "New"}, GreyedCase{57601, "Open"},
                                           GreyedCase{57604, "Save As"}));

TEST_F(CamLink, TheHostDroppingTheLinkEndsTheEditorBeforeItsNextStep) {
    std::string file = write("linked.cap", kEmpty);
    std::string script;
    for (int i = 0; i < 50; ++i)
        script += "move " + std::to_string(10 + i) + ",10\n";
    Ran r = underHost("--drop-after 0", script + kAddAndSave, file);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "connect topic=\"Data Transfer\"\ndrop\nexit 1\n");
    EXPECT_EQ(readFile(file), kEmpty) << "the editor ended before the save";
}

TEST_F(CamLink, AHostThatNeverAnswersThePokeHoldsTheEditorNoLongerThanTheLimit) {
    std::string file = write("linked.cap", kEmpty);
    Ran r = underHost("--no-answer", kAddAndSave, file);
    EXPECT_EQ(r.out, "connect topic=\"Data Transfer\"\n"
                     "poke item=\"Data Transfer\" format=text size=4 data=\"AOK\\0\"\n"
                     "disconnect\n"
                     "exit 1\n");
    EXPECT_EQ(readFile(file), kOneCircle);
    // The editor waited for the answer (10 s) and then ended on its own.
    EXPECT_GE(r.seconds, 9.5);
    EXPECT_LT(r.seconds, 30.0);
}

TEST_F(CamLink, AHostDroppingTheLinkInsteadOfAnsweringEndsTheWaitAtOnce) {
    std::string file = write("linked.cap", kEmpty);
    Ran r = underHost("--drop-on-poke", kAddAndSave, file);
    EXPECT_EQ(r.out, "connect topic=\"Data Transfer\"\n"
                     "poke item=\"Data Transfer\" format=text size=4 data=\"AOK\\0\"\n"
                     "drop\n"
                     "exit 1\n");
    EXPECT_EQ(readFile(file), kOneCircle);
    EXPECT_LT(r.seconds, 8.0) << "the editor waited on for a host that had gone";
}

// ------------------------------------------------------------------------------------------ no host

struct NoHostCase {
    const char* name;
    bool runtimeFolder;
    bool staleSocket; // a socket file left by a host that is gone
};

class WithoutAHost : public CamLink, public ::testing::WithParamInterface<NoHostCase> {};

TEST_P(WithoutAHost, TheEditorRunsNormallyWithoutAMessage) {
    const NoHostCase& c = GetParam();
    if (c.staleSocket) {
        fs::create_directories(dir / "run" / "korvane");
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::string s = socketFile();
        ASSERT_LT(s.size(), sizeof addr.sun_path);
        std::copy(s.begin(), s.end(), addr.sun_path);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
        ASSERT_TRUE(fs::is_socket(s));
    }
    if (!c.runtimeFolder) setEnv("XDG_RUNTIME_DIR", "");
    std::string file = write("plain.cap", kEmpty);
    std::string script =
        write("script.txt", std::string(kAddAndSave) + "command 57604\nfile " + path("copy.cap") + "\n");
    // The loader reports every library it maps: without a host's socket neither the link's module nor
    // wxBase may be among them.
    Ran r = run("LD_DEBUG=libs " + std::string(LUMBRA_PROGRAM) + " --script " + script + " " + file);
    EXPECT_EQ(r.code, 0) << c.name << ": " << r.err;
    EXPECT_EQ(readFile(file), kOneCircle) << c.name;
    EXPECT_EQ(readFile(path("copy.cap")), kOneCircle) << c.name << ": Save As is there in normal mode";
    EXPECT_FALSE(saysSomething(r.err)) << c.name << ": " << r.err;
    bool wxMapped = r.err.find("libwx_baseu") != std::string::npos;
    EXPECT_EQ(wxMapped, c.staleSocket) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, WithoutAHost,
                         ::testing::Values(NoHostCase{"no runtime folder", false, false},
                                           NoHostCase{"no socket", true, false},
                                           NoHostCase{"a socket without a host", true, true}));

// ------------------------------------------------------------------------------------------ programs

TEST_F(CamLink, OnlyTheLinkModuleAndTheStubMapWxBaseAndNeitherMapsTheGuiToolkit) {
    struct Row {
        const char* program;
        bool wxBase;
    };
    for (const Row& row : {Row{LUMBRA_PROGRAM, false}, Row{WX_LINK_MODULE, true}, Row{CAM_STUB, true}}) {
        Ran r = run(std::string("ldd ") + row.program);
        ASSERT_EQ(r.code, 0) << row.program << ": " << r.err;
        EXPECT_EQ(r.out.find("libwx_baseu-3") != std::string::npos, row.wxBase) << row.program << ":\n"
                                                                                << r.out;
        EXPECT_EQ(r.out.find("libwx_gtk"), std::string::npos) << row.program;
        EXPECT_EQ(r.out.find("libgtk"), std::string::npos) << row.program;
    }
}

TEST_F(CamLink, TheStubRefusesWhatItCannotServe) {
    std::string file = write("a.cap", kEmpty);
    struct Row {
        const char* name;
        std::string args;
        int code;
        const char* says;
    };
    const std::vector<Row> rows{
        {"no file", "--no-answer", 2, "usage:"},
        {"bad delay", "--drop-after soon " + file, 2, "milliseconds"},
        {"no editor", "--editor " + path("missing") + " " + file, 3, "cannot be started"},
    };
    for (const Row& row : rows) {
        Ran r = run(std::string(CAM_STUB) + " " + row.args);
        EXPECT_EQ(r.code, row.code) << row.name << ": " << r.err;
        EXPECT_NE(r.err.find(row.says), std::string::npos) << row.name << ": " << r.err;
        EXPECT_EQ(r.out, "") << row.name;
    }

    // A host that is already serving keeps its socket.
    fs::create_directories(dir / "run" / "korvane");
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string s = socketFile();
    std::copy(s.begin(), s.end(), addr.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    Ran busy = run(std::string(CAM_STUB) + " " + file);
    ::close(fd);
    EXPECT_EQ(busy.code, 3);
    EXPECT_NE(busy.err.find("another host"), std::string::npos) << busy.err;
    EXPECT_TRUE(fs::is_socket(s));

    setEnv("XDG_RUNTIME_DIR", "");
    Ran none = run(std::string(CAM_STUB) + " " + file);
    EXPECT_EQ(none.code, 3);
    EXPECT_NE(none.err.find("no runtime folder"), std::string::npos) << none.err;
}

} // namespace
