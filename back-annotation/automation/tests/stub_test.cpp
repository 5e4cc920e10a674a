#include "schematicstub/stub.h"

#include <gtest/gtest.h>

using namespace korvane::schematic_stub;
using korvane::automation::Reply;
using korvane::automation::Value;
using S = std::string;
using I = std::int32_t;

namespace {

const char* kBoard = R"(# a small board
component U1 DIP14
pins U1 7 14
section U1 A 1 2 3
section U1 B 4 5 6
component U2 DIP14
pins U2 7 14
section U2 A 1 2 3
section U2 B 4 5 6
component R1 0805
pins R1 1 2
component R2 0805
pins R2 1 2
component C1 0603
pins	C1 1 2
net GND 10 U1 7 U2 7 C1 2
net VCC 20 U1 14 U2 14 C1 1
net IN 8 U1 1 R1 1
net OUT 8 U1 3 R2 1
net FB 8.5 U1 2 R1 2 R2 2
net X 8 U2 4
)";

struct BadFile {
    const char* text;
    const char* error;
    friend void PrintTo(const BadFile& b, std::ostream* os) { *os << b.error; }
};

class SchematicFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(SchematicFile, RejectsWithTheLineAndTheReason) {
    Schematic s;
    std::string error;
    EXPECT_FALSE(s.parse(GetParam().text, error));
    EXPECT_EQ(error, GetParam().error);
    EXPECT_TRUE(s.components().empty());
    EXPECT_TRUE(s.nets().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Bad, SchematicFile,
    ::testing::Values(
        BadFile{"component U1\n", "line 1: expected: component <designator> <package>"},
        BadFile{"component U1 A\ncomponent U1 B\n", "line 2: component U1 declared twice"},
        BadFile{"\n# c\npins U9 1\n", "line 3: unknown component U9"},
        BadFile{"component U1 A\nsection U1 A 1\nsection U1 A 2\n", "line 3: section A declared twice"},
        BadFile{"component U1 A\nsection U1 A 1\npins U1 1\n", "line 3: pin 1 declared twice"},
        BadFile{"component U1 A\npins U1 1\nnet N 5 U1\n",
                "line 3: expected: net <name> <width> followed by <designator> <pin> pairs"},
        BadFile{"net N wide\n", "line 1: width wide is not a number of 0 or more"},
        BadFile{"net N -1\n", "line 1: width -1 is not a number of 0 or more"},
        BadFile{"net N nan\n", "line 1: width nan is not a number of 0 or more"},
        BadFile{"component U1 A\npins U1 1\nnet N 5 U1 2\n", "line 3: no pin 2 on component U1"},
        BadFile{"component U1 A\npins U1 1\nnet N 5 U1 1\nnet M 5 U1 1\n", "line 4: pin U1 1 is on two nets"},
        BadFile{"net N 1\nnet N 2\n", "line 2: net N declared twice"},
        BadFile{"wire a b\n", "line 1: unknown line kind wire"},
        BadFile{"component U\x01 A\n", "line 1: control character in the line"}));

TEST(SchematicFile, WritesWhatItReadsInOneCanonicalForm) {
    Schematic s;
    std::string error;
    ASSERT_TRUE(s.parse(kBoard, error)) << error;
    std::string once = s.write();
    EXPECT_EQ(once.find('#'), std::string::npos);
    EXPECT_NE(once.find("pins C1 1 2\n"), std::string::npos); // the tab became a blank
    EXPECT_NE(once.find("net FB 8.5 U1 2 R1 2 R2 2\n"), std::string::npos);
    Schematic again;
    ASSERT_TRUE(again.parse(once, error)) << error;
    EXPECT_EQ(again.write(), once);
    ASSERT_TRUE(again.parse("component U1 A\r\nsection U1 X 1\r\npins U1 2\r\n", error)); // CR LF lines too
    EXPECT_EQ(again.write(), "component U1 A\npins U1 2\nsection U1 X 1\n");
}

class Stub : public ::testing::Test {
  protected:
    void SetUp() override {
        Schematic s;
        std::string error;
        ASSERT_TRUE(s.parse(kBoard, error)) << error;
        stub_ = std::make_unique<SchematicStub>(std::move(s));
    }
    Value call(I id, std::vector<Value> args) {
        Reply r = stub_->call(id, args);
        EXPECT_TRUE(r.ok) << r.error;
        return r.value;
    }
    std::string line(const std::string& start) const {
        std::string text = stub_->schematic().write();
        auto at = text.find(start);
        if (at == std::string::npos) return "";
        return text.substr(at, text.find('\n', at) - at);
    }
    I handle(const char* designator) { return std::get<I>(call(71, {S(designator), S(""), I{0}, false})); }
    std::unique_ptr<SchematicStub> stub_;
};

TEST_F(Stub, FindsComponentsAndNetsByName) {
    EXPECT_NE(handle("U2"), 0);
    EXPECT_NE(handle("U2"), handle("U1"));
    EXPECT_EQ(handle("U3"), 0);
    EXPECT_EQ(call(71, {S("U2"), S("14"), I{0}, false}), Value(handle("U2")));
    EXPECT_EQ(call(71, {S("U2"), S("99"), I{0}, false}), Value(I{0})); // no such pin
    EXPECT_NE(std::get<I>(call(31, {S("FB")})), 0);
    EXPECT_EQ(call(31, {S("fb")}), Value(I{0}));
}

TEST_F(Stub, RemovesComponentsWithTheirConnections) {
    EXPECT_EQ(call(33, {I{0}, S("R1")}), Value(true));
    EXPECT_EQ(call(33, {I{0}, S("R1")}), Value(false));
    EXPECT_EQ(line("component R1"), "");
    EXPECT_EQ(line("net IN"), "net IN 8 U1 1");
    EXPECT_EQ(line("net FB"), "net FB 8.5 U1 2 R2 2");
}

TEST_F(Stub, ChangesDesignatorsOnlyToFreeNames) {
    I r1 = handle("R1");
    EXPECT_EQ(call(4, {I{0}, S("R1"), S("R9")}), Value(true));
    EXPECT_EQ(handle("R9"), r1); // the same component keeps its handle
    EXPECT_EQ(call(4, {I{0}, S("R9"), S("R2")}), Value(false));
    EXPECT_EQ(call(4, {I{0}, S("R1"), S("R3")}), Value(false));
    EXPECT_EQ(call(4, {I{0}, S("R9"), S("bad name")}), Value(false));
    EXPECT_EQ(line("net IN"), "net IN 8 U1 1 R9 1");
}

TEST_F(Stub, ChangesPackagesOfOneComponentOrOfAllThatMatch) {
    EXPECT_EQ(call(65, {handle("R1"), S("0603"), S("1206")}), Value(false)); // not its package
    EXPECT_EQ(call(65, {handle("R1"), S("0805"), S("1206")}), Value(true));
    EXPECT_EQ(line("component R1"), "component R1 1206");
    EXPECT_EQ(line("component R2"), "component R2 0805");
    EXPECT_EQ(call(65, {I{0}, S("DIP14"), S("SO14")}), Value(true));
    EXPECT_EQ(line("component U1"), "component U1 SO14");
    EXPECT_EQ(line("component U2"), "component U2 SO14");
    EXPECT_EQ(call(65, {I{0}, S("DIP14"), S("SO14")}), Value(false));
    EXPECT_EQ(call(65, {I{999}, S("0805"), S("1206")}), Value(false));
}

TEST_F(Stub, MovesPinsBetweenNetsOneAtATime) {
    EXPECT_EQ(call(73, {S("IN"), S("R2"), S("1")}), Value(I{0})); // R2 1 is on OUT already
    EXPECT_EQ(call(63, {S("OUT"), S("R2"), S("1")}), Value(I{1}));
    EXPECT_EQ(call(63, {S("OUT"), S("R2"), S("1")}), Value(I{0}));
    EXPECT_EQ(call(73, {S("IN"), S("R2"), S("1")}), Value(I{1}));
    EXPECT_EQ(call(73, {S("NEW"), S("R2"), S("5")}), Value(I{0})); // no such pin
    EXPECT_EQ(call(63, {S("IN"), S("R2"), S("1")}), Value(I{1}));
    EXPECT_EQ(call(73, {S("NEW"), S("R2"), S("1")}), Value(I{1})); // a new net
    EXPECT_EQ(line("net IN"), "net IN 8 U1 1 R1 1");
    EXPECT_EQ(line("net OUT"), "net OUT 8 U1 3");
    EXPECT_EQ(line("net NEW"), "net NEW 0 R2 1");
}

TEST_F(Stub, ChangesNetWidthsByHandle) {
    I fb = std::get<I>(call(31, {S("FB")}));
    EXPECT_EQ(call(64, {fb, 12.25}), Value(true));
    EXPECT_EQ(call(64, {fb, -1.0}), Value(false));
    EXPECT_EQ(call(64, {I{0}, 3.0}), Value(false));
    EXPECT_EQ(line("net FB"), "net FB 12.25 U1 2 R1 2 R2 2");
}

TEST_F(Stub, SwapsGatesAndPinsByExchangingTheirNets) {
    EXPECT_EQ(call(69, {S("U1"), S("A"), S("U2"), S("B")}), Value(true));
    // U1 A (1 IN, 2 FB, 3 OUT) and U2 B (4 X, 5 -, 6 -) trade nets pin by pin.
    EXPECT_EQ(line("net IN"), "net IN 8 U2 4 R1 1");
    EXPECT_EQ(line("net FB"), "net FB 8.5 U2 5 R1 2 R2 2");
    EXPECT_EQ(line("net OUT"), "net OUT 8 U2 6 R2 1");
    EXPECT_EQ(line("net X"), "net X 8 U1 1");
    EXPECT_EQ(call(69, {S("U1"), S("A"), S("U1"), S("A")}), Value(false));
    EXPECT_EQ(call(69, {S("U1"), S("C"), S("U2"), S("A")}), Value(false));

    EXPECT_EQ(call(70, {handle("C1"), S("1"), handle("C1"), S("2")}), Value(true));
    EXPECT_EQ(line("net GND"), "net GND 10 U1 7 U2 7 C1 1");
    EXPECT_EQ(line("net VCC"), "net VCC 20 U1 14 U2 14 C1 2");
    EXPECT_EQ(call(70, {handle("C1"), S("1"), handle("C1"), S("3")}), Value(false));
    EXPECT_EQ(call(70, {I{0}, S("1"), handle("C1"), S("2")}), Value(false));
}

TEST_F(Stub, RenumbersABatchAtOnceOrNotAtAll) {
    I r1 = handle("R1"), r2 = handle("R2"), c1 = handle("C1");
    EXPECT_EQ(call(72, {S("R1 R2 C1 "), S("R2 R1 C7 ")}), Value(true)); // R1 and R2 trade names
    EXPECT_EQ(handle("R2"), r1);
    EXPECT_EQ(handle("R1"), r2);
    EXPECT_EQ(handle("C7"), c1);
    std::string before = stub_->schematic().write();
    for (auto [olds, news] : {std::pair{"R1", "U1"},
                              {"R1 R2", "R5"},
                              {"R1 R1", "R5 R6"},
                              {"R1 R9", "R5 R6"},
                              {"R1 R2", "R5 R5"},
                              {"", ""}})
        EXPECT_EQ(call(72, {S(olds), S(news)}), Value(false)) << olds << " -> " << news;
    EXPECT_EQ(stub_->schematic().write(), before);
}

TEST_F(Stub, KeepsTheActionLogAndAJournalOfEveryCall) {
    EXPECT_EQ(call(49, {S("TANDREL")}), Value(true));
    EXPECT_EQ(call(43, {S("Backannotation action log\r\n\"x\"\t--\r\n"), S("")}), Value(true));
    EXPECT_EQ(call(50, {}), Value(I{0}));
    EXPECT_EQ(stub_->actionLog(), "Backannotation action log\r\n\"x\"\t--\r\n");
    EXPECT_EQ(stub_->journal(), "49(\"TANDREL\") -> true\n"
                                "43(\"Backannotation action log\\r\\n\\\"x\\\"\\t--\\r\\n\", \"\") -> true\n"
                                "50() -> 0\n");
}

TEST_F(Stub, RefusesUnknownIdsWrongArgumentsAndIdsItWasToldTo) {
    stub_->refuse({33});
    std::string before = stub_->schematic().write();
    struct Case {
        I id;
        std::vector<Value> args;
    };
    for (const auto& c : {Case{33, {I{0}, S("R1")}}, Case{99, {}}, Case{33, {S("R1")}},
                          Case{4, {I{0}, S("R1"), I{5}}}, Case{64, {I{1}, I{12}}}, Case{50, {S("")}}}) {
        Reply r = stub_->call(c.id, c.args);
        EXPECT_FALSE(r.ok) << c.id;
        EXPECT_FALSE(r.error.empty());
    }
    EXPECT_EQ(stub_->schematic().write(), before);
    EXPECT_NE(stub_->journal().find("99() -> refused: unknown dispatch id 99\n"), std::string::npos);
}

} // namespace
