// The stand-in on a private session bus: started as its own process, found and driven through the
// client, stopped by Quit or SIGTERM; then its files are checked.
#include "automation/automation.h"
#include "automation/schematic.h"
#include "automationtesting/schematic_stub.h"

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
using korvane::automation::testing::SchematicStub;
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
        children_.clear(); // any still running are killed
        fs::remove_all(dir_);
    }

    SchematicStub& spawn(const std::string& id, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {
            "--schematic",     (dir_ / "board.txt").string(),  "--id",      id,
            "--out-schematic", (dir_ / "result.txt").string(), "--out-log", (dir_ / "log.txt").string(),
            "--out-calls",     (dir_ / "calls.txt").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        children_.push_back(std::make_unique<SchematicStub>(KORVANE_SCHEMATIC_STUB, args));
        return *children_.back();
    }

    // Waits until the object is found; nullptr after 10 s.
    std::unique_ptr<Dispatch> waitFor(const std::string& id) { return SchematicStub::Find(id); }

    std::string slurp(const char* name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::vector<std::unique_ptr<SchematicStub>> children_;
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
    SchematicStub& stub = spawn(id, {"--refuse", "33"});
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
    EXPECT_EQ(stub.waitExit(), 0);
    EXPECT_EQ(sessionBusConnector()->getActiveObject(id), nullptr);
}

TEST_F(Bus, TermSignalAlsoWritesTheResultsAndANameServesOnce) {
    const std::string id = "Korvane.Test.Schematic";
    SchematicStub& first = spawn(id);
    ASSERT_NE(waitFor(id), nullptr);
    SchematicStub& second = spawn(id);
    EXPECT_EQ(second.waitExit(), 3); // the name is taken
    EXPECT_EQ(first.terminate(), 0);
    EXPECT_EQ(slurp("result.txt"), kBoard);
    EXPECT_TRUE(fs::exists(dir_ / "log.txt"));
    EXPECT_EQ(slurp("log.txt"), "");
}

TEST_F(Bus, ABadSchematicFileStopsTheStandInAtOnce) {
    std::ofstream(dir_ / "board.txt") << "component U1\n";
    EXPECT_EQ(spawn("Korvane.Test.Bad").waitExit(), 2);
    EXPECT_FALSE(fs::exists(dir_ / "result.txt"));
}

// A frozen program: the call gives up after the bounded timeout and is known as timed out (the program
// still carries it out once it runs again); a program that ended is known as gone, at once.
TEST_F(Bus, AFrozenProgramTimesOutAndAnEndedOneIsGone) {
    const std::string id = "Korvane.Test.Frozen";
    SchematicStub& stub = spawn(id, {"--refuse", "4"});
    auto object = SchematicStub::Find(id, std::chrono::milliseconds(300));
    ASSERT_NE(object, nullptr);
    SchematicProgram p(*object);
    EXPECT_EQ(p.beginRun("TANDREL"), true);
    EXPECT_EQ(p.lastFailure(), CallFailure::None);
    stub.signal(SIGSTOP);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(p.removeComponent("R2"), std::nullopt);
    EXPECT_EQ(p.lastFailure(), CallFailure::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    stub.signal(SIGCONT);
    EXPECT_EQ(p.findComponent("R2"), 0) << "the timed-out removal was carried out afterwards";
    EXPECT_EQ(p.changeRefDes("R1", "R7"), std::nullopt);
    EXPECT_EQ(p.lastFailure(), CallFailure::Refused) << "an answer that refuses";
    stub.signal(SIGKILL);
    EXPECT_EQ(stub.waitExit(), 128 + SIGKILL);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(p.findComponent("R1"), std::nullopt);
    EXPECT_EQ(p.lastFailure(), CallFailure::Gone);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// D-Bus takes UTF-8 texts only: others travel as the UTF-8 of their Latin-1 reading instead of failing.
TEST_F(Bus, TextsThatAreNotUtf8ArriveAsTheirLatin1Reading) {
    const std::string id = "Korvane.Test.Latin";
    SchematicStub& stub = spawn(id);
    auto object = SchematicStub::Find(id);
    ASSERT_NE(object, nullptr);
    SchematicProgram p(*object);
    EXPECT_EQ(p.handOverActionLog("caf\xe9 \xff\xfe \xc3\xa9"), true);
    EXPECT_EQ(stub.terminate(), 0);
    EXPECT_EQ(slurp("log.txt"), "caf\xc3\xa9 \xc3\xbf\xc3\xbe \xc3\x83\xc2\xa9");
}

struct Utf8Case {
    std::string text;
    bool valid;
    std::string carried;
};

class Utf8Text : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Text, IsKeptOrReadAsLatin1) {
    EXPECT_EQ(IsValidUtf8(GetParam().text), GetParam().valid);
    EXPECT_EQ(Utf8OrLatin1(GetParam().text), GetParam().carried);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8Text,
    ::testing::Values(Utf8Case{"", true, ""}, Utf8Case{"R1", true, "R1"},
                      Utf8Case{"元件 é 😀", true, "元件 é 😀"}, Utf8Case{"caf\xe9", false, "caf\xc3\xa9"},
                      Utf8Case{"\xc0\xaf", false, "\xc3\x80\xc2\xaf"},             // overlong
                      Utf8Case{"\xed\xa0\x80", false, "\xc3\xad\xc2\xa0\xc2\x80"}, // surrogate
                      Utf8Case{"\xf4\x90\x80\x80", false, "\xc3\xb4\xc2\x90\xc2\x80\xc2\x80"},
                      Utf8Case{"\xe4\xb8", false, "\xc3\xa4\xc2\xb8"})); // cut short

} // namespace
