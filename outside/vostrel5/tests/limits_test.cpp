// The caps on change logs and their descriptions, through the library and through vostrel5-mklog.
#include "vostrel5/BackAnnotation.h"
#include "vostrel5/change_log.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path path = fs::temp_directory_path() / ("vostrel5-limits-" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    std::string file(const std::string& name, const std::string& text) const {
        std::ofstream(path / name, std::ios::binary) << text;
        return (path / name).string();
    }
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ChangeLogLimits, AnOverlongLineIsRefusedWithAShortMessage) {
    Folder f;
    const std::string header = std::string(vostrel5::kLogMagic) + " 1\n";
    struct Case {
        std::string text;
        int status;
        std::string says;
    } cases[] = {
        {header + "3\tR1\n" + std::string(70000, '7') + "\n", CBackAnnotationManager::kCannotRead,
         "line 3: longer than 65536 characters"},
        {std::string(200000, 'x'), CBackAnnotationManager::kCannotRead,
         "line 1: longer than 65536 characters"},
        // Under the cap the line is read, and the bad id is quoted only in part.
        {header + std::string(60000, 'z') + "\n", CBackAnnotationManager::kMalformed, "is not an action id"},
    };
    for (const auto& c : cases) {
        const std::string path = f.file("log", c.text);
        CBackAnnotationManager log(path.c_str(), CBackAnnotationManager::kModeRead);
        EXPECT_EQ(log.Status(), c.status);
        const std::string message = log.GetLastError().str();
        EXPECT_NE(message.find(c.says), std::string::npos) << message.substr(0, 300);
        EXPECT_LT(message.size(), 400u);
        EXPECT_EQ(log.GetLogEntryCount(), 0);
    }
}

struct ToolRun {
    int status = -1;
    std::string err;
};

ToolRun mklog(const Folder& f, const std::string& args) {
    const fs::path err = f.path / "stderr";
    const int raw = std::system((std::string(VOSTREL5_MKLOG) + " " + args + " 2>" + err.string()).c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(err)};
}

TEST(Mklog, FoldersHugeLinesAndBadTargetsAreRefusedWithoutALog) {
    Folder f;
    const std::string log = (f.path / "out.log").string();
    fs::create_directory(f.path / "dir");
    const std::string longName = f.file("long", std::string(100000, 'Q') + "\n");
    const std::string longWord = f.file("word", std::string(50000, 'Q') + " R1\n");
    const std::string good = f.file("good", "COMPONENT_RENUMBER R1 R2\n");
    struct Case {
        std::string args;
        std::string says;
    } cases[] = {
        {(f.path / "dir").string() + " " + log, "is a folder, not a file"},
        {longName + " " + log, "line 1: longer than 65536 characters"},
        {longWord + " " + log, "is neither a change name nor an id"},
        {good + " " + (f.path / "dir").string(), "is a folder"},
        {good + " " + (f.path / "missing" / "x.log").string(), "does not exist"},
    };
    for (const auto& c : cases) {
        ToolRun r = mklog(f, c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err.substr(0, 300);
        EXPECT_LT(r.err.size(), 500u) << "the message quotes the input whole";
        EXPECT_FALSE(fs::exists(log));
    }
    ToolRun ok = mklog(f, good + " " + log);
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(slurp(log).rfind(vostrel5::kLogMagic, 0), 0u);
}

} // namespace
