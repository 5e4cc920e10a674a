// Applying over a private session bus to the stand-in schematic program (run under dbus-run-session).
#include "automationtesting/schematic_stub.h"
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
using korvane::automation::CallFailure;
using korvane::automation::Dispatch;
using korvane::automation::Value;
using korvane::automation::testing::SchematicStub;

class OverTheBus : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tandrel-bus-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "board.txt") << "component R9 0603\npins R9 1 2\n";
    }
    void TearDown() override {
        stub_.reset(); // killed when still running
        fs::remove_all(dir_);
    }
    // Starts the stand-in and waits until it can be found.
    std::unique_ptr<Dispatch> StartStub(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--schematic",     (dir_ / "board.txt").string(),
                                         "--out-log",       (dir_ / "actionlog.txt").string(),
                                         "--out-schematic", (dir_ / "result.txt").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        stub_ = std::make_unique<SchematicStub>(KORVANE_SCHEMATIC_STUB, args);
        return SchematicStub::Find(kSchematicClassId);
    }
    // Stops the stand-in and returns the action log it received.
    std::string StopStub() {
        EXPECT_EQ(stub_->terminate(), 0);
        std::ifstream in(dir_ / "actionlog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    fs::path dir_;
    std::unique_ptr<SchematicStub> stub_;
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

// The schematic program killed part way: applying stops at once, says so, and the action file stays.
TEST_F(OverTheBus, AProgramThatDiesMidRunStopsTheRunAndKeepsTheActionFile) {
    std::string path = (dir_ / "a.act").string();
    IO_TextStream out;
    ASSERT_TRUE(out.OpenForWriting(path));
    WriteLogFileName(out, "b.log");
    for (int i = 0; i < 20; ++i)
        WriteActionRecord(out, 1, {"R" + std::to_string(i)});
    ASSERT_TRUE(out.Close());
    auto schematic = StartStub();
    ASSERT_TRUE(schematic);
    // Kills the stand-in just before the fourth call.
    struct KillBefore : Dispatch {
        Dispatch& to;
        SchematicStub& stub;
        int left;
        KillBefore(Dispatch& t, SchematicStub& s, int n) : to(t), stub(s), left(n) {}
        std::optional<Value> invoke(std::int32_t id, const std::vector<Value>& args) override {
            if (left-- == 0) {
                stub.signal(SIGKILL);
                stub.waitExit();
            }
            return to.invoke(id, args);
        }
        CallFailure lastFailure() const override { return to.lastFailure(); }
    } dying(*schematic, *stub_, 3);
    auto start = std::chrono::steady_clock::now();
    std::string failure;
    ApplyActionFile(dying, path, &failure);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_NE(failure.find("the schematic program ended after 3 of 21 records"), std::string::npos)
        << failure;
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(OverTheBus, AParameterThatIsNotUtf8ReachesTheSchematicProgram) {
    std::string path = (dir_ / "a.act").string();
    IO_TextStream out;
    ASSERT_TRUE(out.OpenForWriting(path));
    WriteLogFileName(out, "caf\xe9.log");
    WriteActionRecord(out, 1, {"R\xe9"});
    ASSERT_TRUE(out.Close());
    auto schematic = StartStub();
    ASSERT_TRUE(schematic);
    std::string failure;
    ApplyActionFile(*schematic, path, &failure);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(StopStub(), kHeader + "Filename:  caf\xc3\xa9.log\r\n\r\n" +
                              "Ignored: Remove component: \"R\xc3\xa9\"\t--\r\n");
}

} // namespace
} // namespace tandrel
