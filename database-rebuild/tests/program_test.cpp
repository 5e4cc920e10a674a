#include "database/Sample.h"
#include "zembric/app.h"
#include "zembric/log.h"
#include "zembric/string_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using zembric::LogFilePath;
using zembric::ProgramFolder;
using zembric::RunProgram;

// Points TMPDIR somewhere for one test and puts it back afterwards.
class TempDirEnv {
  public:
    explicit TempDirEnv(const char* value) {
        if (const char* old = std::getenv("TMPDIR")) saved_ = old, had_ = true;
        if (value)
            setenv("TMPDIR", value, 1);
        else
            unsetenv("TMPDIR");
    }
    ~TempDirEnv() {
        if (had_)
            setenv("TMPDIR", saved_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

  private:
    std::string saved_;
    bool had_ = false;
};

TEST(ProgramFolder, IsThePathUpToItsLastSeparator) {
    EXPECT_EQ(ProgramFolder("/opt/korvane/bin/zembric"), "/opt/korvane/bin/");
    EXPECT_EQ(ProgramFolder("C:\\Korvane\\zembric.exe"), "C:\\Korvane\\");
    EXPECT_EQ(ProgramFolder("C:zembric.exe"), "C:");
    EXPECT_EQ(ProgramFolder("zembric"), "");
    EXPECT_EQ(zembric::HelpFilePath("/opt/korvane/bin/zembric"), "/opt/korvane/bin/KORVANE.HLP");
}

TEST(LogFilePath, UsesTmpdirThenTmpThenTheProgramFolder) {
    std::string dir = ::testing::TempDir() + "zembric_logdir_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    {
        TempDirEnv env(dir.c_str());
        EXPECT_EQ(LogFilePath("/opt/bin/"), dir + "/Zembric.log");
    }
    {
        TempDirEnv env("/no/such/folder");
        EXPECT_EQ(LogFilePath("/opt/bin/"), "/tmp/Zembric.log");
    }
    {
        TempDirEnv env(nullptr);
        EXPECT_EQ(LogFilePath("/opt/bin/"), "/tmp/Zembric.log");
    }
    rmdir(dir.c_str());
}

class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = ::testing::TempDir() + "zembric_prog_" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        db = dir + "/components.db";
        std::remove(db.c_str());
        std::remove((dir + "/Zembric.log").c_str());
    }
    void TearDown() override {
        std::remove(db.c_str());
        std::remove((dir + "/Zembric.log").c_str());
        rmdir(dir.c_str());
    }
    std::string dir, db;
};

TEST_F(Program, UsageMessageOpensNothingAndExitsWithOne) {
    TempDirEnv env(dir.c_str());
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    int rc = RunProgram({"zembric", db, "NON", "non"});
    std::string out = ::testing::internal::GetCapturedStdout();
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(err, zembric::LoadString(zembric::IDS_USAGE) + "\n");
    EXPECT_EQ(out, "");
    struct stat st {};
    EXPECT_NE(stat((dir + "/Zembric.log").c_str(), &st), 0) << "not even the log is written";
}

TEST_F(Program, HiddenRunWritesTheLogToStandardOutputAndExitsWithItsResult) {
    TempDirEnv env(dir.c_str());
    korvane_db::SampleOptions o;
    o.components = 300;
    korvane_db::WriteSampleDatabase(db, o);
    ::testing::internal::CaptureStdout();
    int rc =
        RunProgram({"zembric", db, "A0&A1", "NON", "NON", "NON", "NON", "NON", "NON", "NON", "", "0", "0"});
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("\n--- 处理元件\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n完成\nEnd at :: "), std::string::npos) << out;
    struct stat st {};
    EXPECT_EQ(stat((dir + "/Zembric.log").c_str(), &st), 0);

    std::remove(db.c_str());
    ::testing::internal::CaptureStdout();
    rc = RunProgram({"zembric", db, "A0", "NON", "NON", "NON", "NON", "NON", "NON", "NON", "", "0", "0"});
    out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("\n失败\n"), std::string::npos) << out;
}

std::string fileText(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string out;
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

// The program itself, started without a display: a visible run says so and runs as a hidden one.
TEST_F(Program, VisibleRunWithoutADisplaySaysSoAndLogsToStandardOutput) {
    korvane_db::SampleOptions o;
    o.components = 200;
    korvane_db::WriteSampleDatabase(db, o);
    std::string out = dir + "/out.txt", err = dir + "/err.txt";
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY TMPDIR='" + dir + "' '" + ZEMBRIC_PROGRAM +
                          "' '" + db + "' 'A0&A1' > '" + out + "' 2> '" + err + "'";
    int status = std::system(command.c_str());
    std::string stdoutText = fileText(out), stderrText = fileText(err);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << stderrText;
    EXPECT_NE(stderrText.find("zembric: no display found"), std::string::npos) << stderrText;
    EXPECT_EQ(stdoutText.rfind("Start at :: ", 0), 0u) << stdoutText;
    EXPECT_NE(stdoutText.find("\n--- 处理元件\n"), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("\n完成\nEnd at :: "), std::string::npos) << stdoutText;

    // The usage message still goes to standard error, and nothing is run.
    status = std::system(("env -u DISPLAY -u WAYLAND_DISPLAY '" + std::string(ZEMBRIC_PROGRAM) + "' '" + db +
                          "' NON > '" + out + "' 2> '" + err + "'")
                             .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(fileText(out), "");
    EXPECT_EQ(fileText(err).rfind(zembric::LoadString(zembric::IDS_USAGE), 0), 0u) << fileText(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
}

} // namespace
