// Applying over a private session bus to the stand-in schematic program (run under dbus-run-session).
#include "tandrel/apply_actions.h"
#include "tandrel/tandrel_app.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tandrel {
namespace {

namespace fs = std::filesystem;
using korvane::automation::Dispatch;

class OverTheBus : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tandrel-bus-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "board.txt") << "component R9 0603\npins R9 1 2\n";
    }
    void TearDown() override {
        if (stub_ > 0) {
            ::kill(stub_, SIGKILL);
            ::waitpid(stub_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }
    // Starts the stand-in and waits until it can be found.
    std::unique_ptr<Dispatch> StartStub(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {TANDREL_SCHEMATIC_STUB,
                                         "--schematic",
                                         (dir_ / "board.txt").string(),
                                         "--out-log",
                                         (dir_ / "actionlog.txt").string(),
                                         "--out-schematic",
                                         (dir_ / "result.txt").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        stub_ = ::fork();
        if (stub_ == 0) {
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        auto connector = korvane::automation::sessionBusConnector();
        for (int i = 0; i < 200; ++i) {
            if (auto d = connector->getActiveObject(kSchematicClassId)) return d;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return nullptr;
    }
    // Stops the stand-in and returns the action log it received.
    std::string StopStub() {
        ::kill(stub_, SIGTERM);
        int status = 0;
        ::waitpid(stub_, &status, 0);
        stub_ = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::ifstream in(dir_ / "actionlog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    fs::path dir_;
    pid_t stub_ = -1;
};

const std::string kHeader = "Backannotation action log\r\n-------------------------\r\n\r\n";

TEST_F(OverTheBus, AnActionFileMissingAtApplyTimeIsReportedToTheSchematicProgram) {
    auto schematic = StartStub();
    ASSERT_TRUE(schematic);
    std::string log = ApplyActionFile(*schematic, (dir_ / "gone.act").string());
    EXPECT_EQ(StopStub(), kHeader + "PCB log file not found.\t--\r\n");
    EXPECT_EQ(log, kHeader + "PCB log file not found.\t--\r\n");
}

TEST_F(OverTheBus, ARefusedCallIsReportedIgnored) {
    std::string path = (dir_ / "a.act").string();
    IO_TextStream out;
    ASSERT_TRUE(out.OpenForWriting(path));
    WriteLogFileName(out, "b.log");
    WriteActionRecord(out, 1, {"R9"});
    WriteActionRecord(out, 4, {"R9", "", "R10"});
    ASSERT_TRUE(out.Close());
    auto schematic = StartStub({"--refuse", "33"});
    ASSERT_TRUE(schematic);
    ApplyActionFile(*schematic, path);
    EXPECT_EQ(StopStub(), kHeader + "Filename:  b.log\r\n\r\n" + "Ignored: Remove component: \"R9\"\t--\r\n" +
                              "Done: Change component RefDes: \"R9\" to \"R10\"\t--\r\n");
    std::ifstream result(dir_ / "result.txt");
    std::string board((std::istreambuf_iterator<char>(result)), {});
    EXPECT_EQ(board, "component R10 0603\npins R10 1 2\n");
}

} // namespace
} // namespace tandrel
