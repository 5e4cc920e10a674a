// The stand-in on a private session bus: started as its own process, found and driven through the
// client, stopped by Quit or SIGTERM; then its files are checked.
#include "automation/automation.h"
#include "automation/schematic.h"

#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace korvane::automation;
namespace fs = std::filesystem;

namespace {

const char* kBoard = "component U1 DIP8\n"
                     "section U1 A 1 2 3\n"
                     "component R1 0805\n"
                     "pins R1 1 2\n"
                     "component R2 0805\n"
                     "pins R2 1 2\n"
                     "net IN 8 U1 1 R1 1\n"
                     "net FB 8 U1 2 R1 2 R2 2\n";

class Bus : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("korvane-bus-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "board.txt") << kBoard;
    }
    void TearDown() override {
        for (pid_t p : children_) {
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, 0);
        }
        fs::remove_all(dir_);
    }

    pid_t spawn(const std::string& id, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {KORVANE_SCHEMATIC_STUB,
                                         "--schematic",
                                         (dir_ / "board.txt").string(),
                                         "--id",
                                         id,
                                         "--out-schematic",
                                         (dir_ / "result.txt").string(),
                                         "--out-log",
                                         (dir_ / "log.txt").string(),
                                         "--out-calls",
                                         (dir_ / "calls.txt").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        pid_t pid = ::fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        children_.push_back(pid);
        return pid;
    }

    // Waits until the object is found; nullptr after 10 s.
    std::unique_ptr<Dispatch> waitFor(const std::string& id) {
        auto connector = sessionBusConnector();
        for (int i = 0; i < 200; ++i) {
            if (auto d = connector->getActiveObject(id)) return d;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return nullptr;
    }

    // The exit status, or -1 when the process did not end within 10 s.
    int waitExit(pid_t pid) {
        for (int i = 0; i < 200; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(children_, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    std::string slurp(const char* name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::vector<pid_t> children_;
};

TEST_F(Bus, NothingIsFoundWithoutAnOwnerOrABus) {
    auto connector = sessionBusConnector();
    EXPECT_EQ(connector->getActiveObject("{00000000-0000-0000-0000-000000000001}"), nullptr);
    EXPECT_EQ(connector->getActiveObject("{not a guid}"), nullptr);
    const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    std::string keep = saved ? saved : "";
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir_ / "no-bus").string()).c_str(), 1);
    EXPECT_EQ(connector->getActiveObject("Schematic.Application"), nullptr);
    setenv("DBUS_SESSION_BUS_ADDRESS", keep.c_str(), 1);
}

TEST_F(Bus, CallsChangeTheSchematicAndQuitWritesTheResults) {
    const std::string id = "{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7F35}";
    pid_t pid = spawn(id, {"--refuse", "33"});
    auto object = waitFor("{5c3a9e41-7b2d-4f6a-8e19-0d4c6b2a7f35}"); // found whatever the case
    ASSERT_NE(object, nullptr);
    SchematicProgram p(*object);
    EXPECT_EQ(p.beginRun("TANDREL"), true);
    auto r1 = p.findComponent("R1");
    ASSERT_TRUE(r1);
    EXPECT_NE(*r1, 0);
    EXPECT_EQ(p.findComponent("R7"), 0);
    EXPECT_EQ(p.removeComponent("R2"), std::nullopt); // refused: not done
    EXPECT_EQ(p.renumber("R1 R2 ", "R2 R1 "), true);
    EXPECT_EQ(p.changeNetWidth(*p.findNet("FB"), 12.5), true);
    EXPECT_EQ(p.netRemovePin("IN", "U1", "1"), 1);
    EXPECT_EQ(p.pinSwap(*r1, "1", *r1, "2"), true); // R1 is now called R2; the handle still holds
    const std::string log = "Backannotation action log\r\n-------------------------\r\n\r\n"
                            "Done: Net change width: 中文\t--\r\n";
    EXPECT_EQ(p.handOverActionLog(log), true);
    EXPECT_EQ(p.endRun(), 0);
    EXPECT_EQ(object->invoke(1234, {}), std::nullopt);

    auto conn = sdbus::createSessionBusConnection();
    auto control = sdbus::createProxy(*conn, *busNameFor(id), kObjectPath);
    control->callMethod("Quit").onInterface(kControlInterface).storeResultsTo();
    // Quit has been answered: the files are already in place.
    EXPECT_EQ(slurp("result.txt"), "component U1 DIP8\n"
                                   "section U1 A 1 2 3\n"
                                   "component R2 0805\n"
                                   "pins R2 1 2\n"
                                   "component R1 0805\n"
                                   "pins R1 1 2\n"
                                   "net IN 8 R2 2\n"
                                   "net FB 12.5 U1 2 R2 1 R1 2\n");
    EXPECT_EQ(slurp("log.txt"), log);
    std::string calls = slurp("calls.txt");
    EXPECT_EQ(calls.substr(0, calls.find('\n')), "49(\"TANDREL\") -> true");
    EXPECT_NE(calls.find("33(0, \"R2\") -> refused: refused by request\n"), std::string::npos);
    EXPECT_NE(calls.find("64(2, 12.5) -> true\n"), std::string::npos);
    EXPECT_EQ(waitExit(pid), 0);
    EXPECT_EQ(sessionBusConnector()->getActiveObject(id), nullptr);
}

TEST_F(Bus, TermSignalAlsoWritesTheResultsAndANameServesOnce) {
    const std::string id = "Korvane.Test.Schematic";
    pid_t pid = spawn(id);
    ASSERT_NE(waitFor(id), nullptr);
    pid_t second = spawn(id);
    EXPECT_EQ(waitExit(second), 3); // the name is taken
    ::kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid), 0);
    EXPECT_EQ(slurp("result.txt"), kBoard);
    EXPECT_TRUE(fs::exists(dir_ / "log.txt"));
    EXPECT_EQ(slurp("log.txt"), "");
}

TEST_F(Bus, ABadSchematicFileStopsTheStandInAtOnce) {
    std::ofstream(dir_ / "board.txt") << "component U1\n";
    EXPECT_EQ(waitExit(spawn("Korvane.Test.Bad")), 2);
    EXPECT_FALSE(fs::exists(dir_ / "result.txt"));
}

} // namespace
