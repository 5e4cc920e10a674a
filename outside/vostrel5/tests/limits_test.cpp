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

// A description the tool takes must never become a log the reader refuses: escaped tabs, line breaks and
// backslashes take two characters each, so a line under the description cap can outgrow the log's.
TEST(ChangeLogLimits, ADescriptionIsRefusedWhenItsLogWouldBreakTheReadersCaps) {
    const size_t cap = vostrel5::kChangeLogLimits.maxLine;
    // "5\tR1\t" and the word: a word of n tabs takes 2n characters in the log.
    auto quoted = [](const std::string& word) { return "COMPONENT_CHANGE_VALUE R1 \"" + word + "\"\n"; };
    struct Case {
        const char* what;
        std::string description;
        std::string says; // empty: accepted, and the log reads back
    } cases[] = {
        {"at the cap", quoted(std::string(cap - 5, 'x')), ""},
        {"at the cap with escapes",
         quoted(std::string((cap - 5) / 2, '\t') + std::string((cap - 5) % 2, 'x')), ""},
        {"one over", quoted(std::string(cap - 4, 'x')),
         "line 1: the change takes 65537 characters as a log line"},
        {"tabs double", "# c\n" + quoted(std::string(40000, '\t')),
         "line 2: the change takes 80005 characters as a log line, more than the 65536 a log line may hold"},
        {"a withdrawn mark alone", "COMPONENT_REMOVE R1\n!\n",
         "line 2: \"!\" is not followed by a change name or id"},
    };
    Folder f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<vostrel5::LogRecord> records;
        std::string error;
        const bool taken = vostrel5::ParseDescription(c.description, records, error);
        if (!c.says.empty()) {
            EXPECT_FALSE(taken);
            EXPECT_NE(error.find(c.says), std::string::npos) << error.substr(0, 300);
            continue;
        }
        ASSERT_TRUE(taken) << error;
        const std::string path = f.file("log", vostrel5::FormatLog(records));
        CBackAnnotationManager log(path.c_str(), CBackAnnotationManager::kModeRead);
        EXPECT_EQ(log.Status(), 0) << log.GetLastError().str().substr(0, 300);
        EXPECT_EQ(log.GetLogEntryCount(), 1);
    }
}

TEST(ChangeLogLimits, ADescriptionWhoseLogWouldOutgrowTheFileCapIsRefused) {
    // 1200 lines of 30000 tabs: about 34 MiB of description, 69 MiB of log.
    const std::string line = "1 \"" + std::string(30000, '\t') + "\"\n";
    std::string description;
    description.reserve(line.size() * 1200);
    for (int i = 0; i < 1200; ++i)
        description += line;
    std::vector<vostrel5::LogRecord> records;
    std::string error;
    EXPECT_FALSE(vostrel5::ParseDescription(description, records, error));
    EXPECT_NE(error.find("the log would be larger than 64 MiB"), std::string::npos) << error;
    EXPECT_EQ(error.rfind("line 1119", 0), 0u)
        << error; // 60003 bytes a line after the 22 of the first: line 1119 passes 64 MiB
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
    const std::string tabs = f.file("tabs", "1 \"" + std::string(40000, '\t') + "\"\n");
    struct Case {
        std::string args;
        std::string says;
    } cases[] = {
        {(f.path / "dir").string() + " " + log, "is a folder, not a file"},
        {longName + " " + log, "line 1: longer than 65536 characters"},
        {longWord + " " + log, "is neither a change name nor an id"},
        {tabs + " " + log, "more than the 65536 a log line may hold"},
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
