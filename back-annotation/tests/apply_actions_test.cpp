#include "tandrel/apply_actions.h"

#include "fake_schematic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tandrel {
namespace {

using korvane::automation::CallFailure;
using korvane::automation::SchematicProgram;
using korvane::automation::Value;
using testing::FakeSchematic;

constexpr const char* kEnd = "\t--\r\n";

struct Applied {
    std::vector<std::string> calls;
    std::string log;
};

Applied Apply(FakeSchematic& fake, const std::vector<ActionRecord>& records) {
    SchematicProgram schematic(fake);
    ActionLog log;
    ApplyRecords(schematic, records, log);
    return {fake.calls, log.Text()};
}

const std::string kHeader = "Backannotation action log\r\n-------------------------\r\n\r\n";

TEST(Renumbers, ThreeInARowThenARemoveSendOneBatchFirst) {
    FakeSchematic fake;
    Applied a = Apply(fake, {{"LogFileName", {"/logs/b.log"}},
                             {"COMPONENT_RENUMBER", {"R1", "x", "R5"}},
                             {"COMPONENT_RENUMBER", {"R2", "x", "R6"}},
                             {"COMPONENT_RENUMBER", {"R3", "x", "R7"}},
                             {"COMPONENT_REMOVE", {"R9"}},
                             {"COMPONENT_RENUMBER", {"C1", "", "C2"}}});
    EXPECT_EQ(a.calls, (std::vector<std::string>{"72(\"R1 R2 R3 \", \"R5 R6 R7 \")", "33(0, \"R9\")",
                                                 "72(\"C1 \", \"C2 \")"}));
    EXPECT_EQ(a.log, kHeader + "Filename:  /logs/b.log\r\n\r\n" +
                         "Done: Component renumber \"R1 R2 R3 \" to \"R5 R6 R7 \"" + kEnd +
                         "Done: Remove component: \"R9\"" + kEnd +
                         "Done: Component renumber \"C1 \" to \"C2 \"" + kEnd);
}

TEST(Renumbers, ARefusedBatchIsReportedIgnored) {
    FakeSchematic fake;
    fake.answers[72] = std::nullopt;
    Applied a = Apply(fake, {{"COMPONENT_RENUMBER", {"R1", "", "R5"}}});
    EXPECT_EQ(a.log, kHeader + "Ignored: Component renumber \"R1 \" to \"R5 \"" + kEnd);
}

struct KindCase {
    const char* label;
    ActionRecord record;
    std::map<std::int32_t, std::optional<Value>> answers;
    std::vector<std::string> calls;
    std::string line;
};

class ApplyingKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(ApplyingKinds, CallTheSchematicProgramAndReport) {
    FakeSchematic fake;
    fake.answers = GetParam().answers;
    Applied a = Apply(fake, {GetParam().record});
    EXPECT_EQ(a.calls, GetParam().calls);
    EXPECT_EQ(a.log, kHeader + GetParam().line + kEnd);
}

const std::optional<Value> kFalse = Value(false);
const std::optional<Value> kRefused = std::nullopt;
std::optional<Value> Int(std::int32_t v) {
    return Value(v);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ApplyingKinds,
    ::testing::Values(
        KindCase{
            "remove", {"COMPONENT_REMOVE", {"R7"}}, {}, {"33(0, \"R7\")"}, "Done: Remove component: \"R7\""},
        KindCase{"removeRefused",
                 {"COMPONENT_REMOVE", {"R7"}},
                 {{33, kRefused}},
                 {"33(0, \"R7\")"},
                 "Ignored: Remove component: \"R7\""},
        KindCase{"refdes",
                 {"COMPONENT_CHANGE_REFDES", {"R1", "-", "R2"}},
                 {{4, kFalse}},
                 {"4(0, \"R1\", \"R2\")"},
                 "Ignored: Change component RefDes: \"R1\" to \"R2\""},
        KindCase{"packageOfOne",
                 {"COMPONENT_CHANGE_PACKAGETYPE", {"U1", "SO8", "DIP8"}},
                 {{71, Int(17)}},
                 {"71(\"U1\", \"\", 0, false)", "65(17, \"SO8\", \"DIP8\")"},
                 "Done: Change component package for \"U1\": from \"SO8\" to \"DIP8\""},
        KindCase{"packageNotFound",
                 {"COMPONENT_CHANGE_PACKAGETYPE", {"U1", "SO8", "DIP8"}},
                 {{71, Int(0)}},
                 {"71(\"U1\", \"\", 0, false)"},
                 "Ignored: Change component package for \"U1\": from \"SO8\" to \"DIP8\""},
        KindCase{"packageOfAll",
                 {"COMPONENT_CHANGE_PACKAGETYPE", {"", "SO8", "DIP8"}},
                 {},
                 {"65(0, \"SO8\", \"DIP8\")"},
                 "Done: Change component package for \"ALL\": from \"SO8\" to \"DIP8\""},
        KindCase{"packageUnknown",
                 {"COMPONENT_CHANGE_PACKAGETYPE", {"?", "SO8", "DIP8"}},
                 {},
                 {},
                 "Ignored: Change component package for \"?\": from \"SO8\" to \"DIP8\""},
        KindCase{"value",
                 {"COMPONENT_CHANGE_VALUE", {"C1", "10n", "22n"}},
                 {},
                 {"71(\"10n\", \"\", 0, false)"},
                 "Ignored: Change component value for \"C1\": from \"10n\" to \"22n\""},
        KindCase{"removePin",
                 {"NET_REMOVE_PIN", {"GND", "U1", "7"}},
                 {{63, Int(1)}},
                 {"63(\"GND\", \"U1\", \"7\")"},
                 "Done: Net remove pin: Net name=\"GND\", Component=\"U1\", Pin number=\"7\""},
        KindCase{"addPinNotOne",
                 {"NET_ADD_PIN", {"GND", "U1", "7"}},
                 {{73, Int(2)}},
                 {"73(\"GND\", \"U1\", \"7\")"},
                 "Ignored: Net add pin: Net name=\"GND\", Component=\"U1\", Pin number=\"7\""},
        KindCase{"width",
                 {"NET_CHANGE_WIDTH", {"CLK", "10", "12.7mil"}},
                 {{31, Int(5)}},
                 {"31(\"CLK\")", "64(5, 12)"},
                 "Done: Net change width: Net name=\"CLK\", Previous=\"10\", New=\"12.7mil\""},
        KindCase{"widthRefused",
                 {"NET_CHANGE_WIDTH", {"CLK", "10", "12"}},
                 {{31, Int(5)}, {64, kFalse}},
                 {"31(\"CLK\")", "64(5, 12)"},
                 "Ignored: Net change width: Net name=\"CLK\", Previous=\"10\", New=\"12\""},
        KindCase{"widthNoNet",
                 {"NET_CHANGE_WIDTH", {"CLK", "10", "12"}},
                 {{31, Int(0)}},
                 {"31(\"CLK\")"},
                 "Ignored: Net change width: Net name=\"CLK\", Previous=\"10\", New=\"12\""},
        KindCase{"gateSwap",
                 {"GATE_SWAP", {"U1", "A", "U2", "B"}},
                 {},
                 {"69(\"U1\", \"A\", \"U2\", \"B\")"},
                 "Done: Gate Swap: Component 1=\"U1\", Section 1=\"A\", Component 2=\"U2\", Section 2=\"B\""},
        KindCase{
            "pinSwap",
            {"PIN_SWAP", {"U1", "3", "U2", "4"}},
            {{71, Int(9)}},
            {"71(\"U1\", \"3\", 0, false)", "71(\"U2\", \"4\", 0, false)", "70(9, \"3\", 9, \"4\")"},
            "Done: Pin Swap: Component 1=\"U1\", Pin number 1=\"3\", Component 2=\"U2\", Pin number 2=\"4\""},
        KindCase{"pinSwapNotFound",
                 {"PIN_SWAP", {"U1", "3", "U2", "4"}},
                 {{71, Int(0)}},
                 {"71(\"U1\", \"3\", 0, false)", "71(\"U2\", \"4\", 0, false)"},
                 "Ignored: Pin Swap: Component 1=\"U1\", Pin number 1=\"3\", Component 2=\"U2\", Pin number "
                 "2=\"4\""},
        KindCase{"netName",
                 {"NET_CHANGE_NAME", {"", "N1", "N2"}},
                 {},
                 {},
                 "Ignored: Change net name from \"N1\" to \"N2\""},
        KindCase{"merge", {"NET_MERGE", {"A", "B"}}, {}, {}, "Ignored: Net merge - not supported"},
        KindCase{"device",
                 {"COMPONENT_CHANGE_DEVICE", {"U1"}},
                 {},
                 {},
                 "Ignored: Component change device - not supported"},
        KindCase{"add", {"COMPONENT_ADD", {"R1", "0805"}}, {}, {}, "Ignored: COMPONENT_ADD"},
        KindCase{"noName", {"NO_NAME_GIVEN", {"x"}}, {}, {}, "Ignored: NO_NAME_GIVEN"}),
    [](const auto& tp) { return std::string(tp.param.label); });

class ActionFileApplying : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("tandrel-apply-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "actions.txt").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(ActionFileApplying, BeginsAppliesHandsOverEndsAndDeletesTheFile) {
    IO_TextStream out;
    ASSERT_TRUE(out.OpenForWriting(path_));
    WriteLogFileName(out, "/logs/b.log");
    WriteActionRecord(out, 1, {"R9"});
    ASSERT_TRUE(out.Close());
    FakeSchematic fake;
    std::string log = ApplyActionFile(fake, path_);
    std::string expected = kHeader + "Filename:  /logs/b.log\r\n\r\nDone: Remove component: \"R9\"" + kEnd;
    EXPECT_EQ(log, expected);
    ASSERT_EQ(fake.calls.size(), 4u);
    EXPECT_EQ(fake.calls[0], "49(\"TANDREL\")");
    EXPECT_EQ(fake.calls[1], "33(0, \"R9\")");
    EXPECT_EQ(fake.calls[3], "50()");
    EXPECT_EQ(fake.calls[2].substr(0, 4), "43(\"");
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(ActionFileApplying, AMissingFileIsReportedInTheLog) {
    FakeSchematic fake;
    fake.answers[50] = std::nullopt; // a failing end of the run changes nothing
    std::string log = ApplyActionFile(fake, path_);
    EXPECT_EQ(log, kHeader + "PCB log file not found." + kEnd);
    EXPECT_EQ(fake.calls.size(), 3u);
}

TEST(ActionLogText, ASecondLogNameDoesNotRestartTheLog) {
    FakeSchematic fake;
    Applied a =
        Apply(fake, {{"LogFileName", {"a.log"}}, {"COMPONENT_ADD", {"x"}}, {"LogFileName", {"b.log"}}});
    EXPECT_EQ(a.log, kHeader + "Filename:  a.log\r\n\r\nIgnored: COMPONENT_ADD" + kEnd);
}

// A schematic program that does not answer in time, or that ended: what the log says and when applying
// stops.
struct TroubleCase {
    const char* label;
    std::map<std::int32_t, CallFailure> failures;
    std::vector<ActionRecord> records;
    bool completes;
    std::vector<std::string> lines; // the log's lines after the header, each without its ending
};

class CallTrouble : public ::testing::TestWithParam<TroubleCase> {};

TEST_P(CallTrouble, IsReportedAsNotKnownOrStopsTheRun) {
    FakeSchematic fake;
    fake.failures = GetParam().failures;
    SchematicProgram schematic(fake);
    ActionLog log;
    std::string failure;
    EXPECT_EQ(ApplyRecords(schematic, GetParam().records, log, failure), GetParam().completes) << failure;
    EXPECT_EQ(failure.empty(), GetParam().completes) << failure;
    std::string expected = kHeader;
    for (const std::string& l : GetParam().lines)
        expected += l + kEnd;
    EXPECT_EQ(log.Text(), expected);
}

const ActionRecord kRemove{"COMPONENT_REMOVE", {"R9"}};
const ActionRecord kWidth{"NET_CHANGE_WIDTH", {"GND", "8", "12"}};
const ActionRecord kRenumber{"COMPONENT_RENUMBER", {"R1", "", "R5"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, CallTrouble,
    ::testing::Values(
        TroubleCase{"changeTimedOut",
                    {{33, CallFailure::TimedOut}},
                    {kRemove, kWidth},
                    true,
                    {"Not known: Remove component: \"R9\"",
                     "Done: Net change width: Net name=\"GND\", Previous=\"8\", New=\"12\""}},
        TroubleCase{"lookupTimedOutChangesNothing",
                    {{31, CallFailure::TimedOut}},
                    {kWidth},
                    true,
                    {"Ignored: Net change width: Net name=\"GND\", Previous=\"8\", New=\"12\""}},
        TroubleCase{"renumberTimedOut",
                    {{72, CallFailure::TimedOut}},
                    {kRenumber},
                    true,
                    {"Not known: Component renumber \"R1 \" to \"R5 \""}},
        TroubleCase{"refusedStaysIgnored",
                    {{33, CallFailure::Refused}},
                    {kRemove},
                    true,
                    {"Ignored: Remove component: \"R9\""}},
        TroubleCase{"threeTimeoutsInARowStop",
                    {{33, CallFailure::TimedOut}},
                    {kRemove, kRemove, kRemove, kRemove},
                    false,
                    {"Not known: Remove component: \"R9\"", "Not known: Remove component: \"R9\""}},
        TroubleCase{"goneStopsAtOnce",
                    {{31, CallFailure::Gone}},
                    {kRemove, kWidth, kRemove},
                    false,
                    {"Done: Remove component: \"R9\""}}),
    [](const auto& tp) { return std::string(tp.param.label); });

TEST_F(ActionFileApplying, TheFileIsKeptWhenTheSchematicProgramEndsOrDoesNotTakeTheLog) {
    struct Case {
        std::int32_t dispid;
        CallFailure failure;
        std::size_t calls; // 49, 33, then what follows
    };
    for (Case c : {Case{33, CallFailure::Gone, 2}, Case{43, CallFailure::Refused, 4},
                   Case{43, CallFailure::TimedOut, 4}, Case{43, CallFailure::Gone, 3},
                   Case{49, CallFailure::Gone, 1}}) {
        SCOPED_TRACE(std::to_string(c.dispid));
        IO_TextStream out;
        ASSERT_TRUE(out.OpenForWriting(path_));
        WriteLogFileName(out, "/logs/b.log");
        WriteActionRecord(out, 1, {"R9"});
        ASSERT_TRUE(out.Close());
        FakeSchematic fake;
        fake.failures[c.dispid] = c.failure;
        std::string failure = "left over";
        ApplyActionFile(fake, path_, &failure);
        EXPECT_NE(failure.find(path_), std::string::npos) << failure;
        EXPECT_TRUE(std::filesystem::exists(path_));
        EXPECT_EQ(fake.calls.size(), c.calls);
    }
    // And a pass that went through says nothing and deletes the file.
    FakeSchematic fake;
    std::string failure = "left over";
    ApplyActionFile(fake, path_, &failure);
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(std::filesystem::exists(path_));
}

} // namespace
} // namespace tandrel
