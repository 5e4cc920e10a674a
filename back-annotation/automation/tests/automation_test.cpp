#include "automation/automation.h"
#include "automation/schematic.h"

#include <gtest/gtest.h>

#include <functional>

using namespace korvane::automation;

namespace {

TEST(BusName, ClassIdentifiersIgnoreCaseAndMustBeWholeGuids) {
    EXPECT_EQ(busNameFor("{5c3a9e41-7b2d-4f6a-8e19-0d4c6b2a7f35}"),
              "org.korvane.Automation.Class.G5C3A9E417B2D4F6A8E190D4C6B2A7F35");
    EXPECT_EQ(busNameFor("{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7F35}"),
              busNameFor("{5c3a9e41-7b2d-4f6a-8e19-0d4c6b2a7f35}"));
    for (const char* bad :
         {"{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7F3}", "{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7F355}",
          "{5C3A9E41+7B2D-4F6A-8E19-0D4C6B2A7F35}", "{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7G35}",
          "{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7F35", "{}", "{", ""})
        EXPECT_FALSE(busNameFor(bad)) << bad;
}

TEST(BusName, ProgrammaticIdentifiersMapToValidDistinctNames) {
    EXPECT_EQ(busNameFor("Schematic.Application"), "org.korvane.Automation.ProgId.schematic.application");
    EXPECT_EQ(busNameFor("SCHEMATIC.application"), busNameFor("Schematic.Application"));
    EXPECT_EQ(busNameFor("Vendor.App.1"), "org.korvane.Automation.ProgId.vendor.app._31");
    EXPECT_EQ(busNameFor("my_app-2.x"), "org.korvane.Automation.ProgId.my_5Fapp_2D2.x");
    // Escapes never meet plain text: "_" itself is escaped and escapes use upper-case digits.
    EXPECT_NE(busNameFor("a_2Db"), busNameFor("a-b"));
    EXPECT_NE(busNameFor("3com"), busNameFor("_33com"));
    for (const char* bad : {".lead", "trail.", "a..b", "."})
        EXPECT_FALSE(busNameFor(bad)) << bad;
    EXPECT_FALSE(busNameFor(std::string(300, 'a')));
    // Every byte of every mapped name is one a bus name element may hold.
    for (const char* id : {"A.b-c", "中文.x", "a b\tc", "9.9"}) {
        auto name = busNameFor(id);
        ASSERT_TRUE(name) << id;
        for (char c : *name)
            EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '_' || c == '.')
                << id;
    }
}

TEST(Results, BooleansAndIntegersConvertOtherValuesDoNot) {
    EXPECT_EQ(asBool(Value(true)), true);
    EXPECT_EQ(asBool(Value(std::int32_t{0})), false);
    EXPECT_EQ(asBool(Value(std::int32_t{-1})), true);
    EXPECT_EQ(asInt(Value(true)), 1);
    EXPECT_EQ(asInt(Value(std::int32_t{42})), 42);
    EXPECT_FALSE(asBool(Value(1.0)));
    EXPECT_FALSE(asInt(Value(std::string("1"))));
    EXPECT_FALSE(asBool(std::nullopt));
    EXPECT_FALSE(asInt(std::nullopt));
}

// Records each call and answers with a preset result.
class RecordingDispatch : public Dispatch {
  public:
    std::optional<Value> invoke(std::int32_t dispid, const std::vector<Value>& args) override {
        lastId = dispid;
        lastArgs = args;
        return answer;
    }
    std::int32_t lastId = -1;
    std::vector<Value> lastArgs;
    std::optional<Value> answer;
};

struct Row {
    const char* what;
    std::int32_t id;
    std::function<std::optional<std::int32_t>(SchematicProgram&)> call; // the result as an integer
    std::vector<Value> args;
};

using S = std::string;
using I = std::int32_t;
auto fromBool = [](std::optional<bool> b) -> std::optional<I> {
    return b ? std::optional<I>(*b ? 1 : 0) : std::nullopt;
};

const Row kRows[] = {
    {"begin", 49, [](SchematicProgram& p) { return fromBool(p.beginRun("TANDREL")); }, {S("TANDREL")}},
    {"find component",
     71,
     [](SchematicProgram& p) { return p.findComponent("U1", "3"); },
     {S("U1"), S("3"), I{0}, false}},
    {"find component, no pin",
     71,
     [](SchematicProgram& p) { return p.findComponent("U1"); },
     {S("U1"), S(""), I{0}, false}},
    {"remove", 33, [](SchematicProgram& p) { return fromBool(p.removeComponent("R1")); }, {I{0}, S("R1")}},
    {"refdes",
     4,
     [](SchematicProgram& p) { return fromBool(p.changeRefDes("R1", "R9")); },
     {I{0}, S("R1"), S("R9")}},
    {"package",
     65,
     [](SchematicProgram& p) { return fromBool(p.changePackage(7, "0805", "0603")); },
     {I{7}, S("0805"), S("0603")}},
    {"net remove pin",
     63,
     [](SchematicProgram& p) { return p.netRemovePin("GND", "U1", "7"); },
     {S("GND"), S("U1"), S("7")}},
    {"net add pin",
     73,
     [](SchematicProgram& p) { return p.netAddPin("GND", "U1", "7"); },
     {S("GND"), S("U1"), S("7")}},
    {"find net", 31, [](SchematicProgram& p) { return p.findNet("VCC"); }, {S("VCC")}},
    {"net width", 64, [](SchematicProgram& p) { return fromBool(p.changeNetWidth(3, 12.0)); }, {I{3}, 12.0}},
    {"gate swap",
     69,
     [](SchematicProgram& p) { return fromBool(p.gateSwap("U1", "A", "U2", "B")); },
     {S("U1"), S("A"), S("U2"), S("B")}},
    {"pin swap",
     70,
     [](SchematicProgram& p) { return fromBool(p.pinSwap(1, "2", 3, "4")); },
     {I{1}, S("2"), I{3}, S("4")}},
    {"renumber",
     72,
     [](SchematicProgram& p) { return fromBool(p.renumber("R1 R2 ", "R5 R6 ")); },
     {S("R1 R2 "), S("R5 R6 ")}},
    {"action log",
     43,
     [](SchematicProgram& p) { return fromBool(p.handOverActionLog("log\r\n")); },
     {S("log\r\n"), S("")}},
    {"end", 50, [](SchematicProgram& p) { return p.endRun(); }, {}},
};

class EveryRow : public ::testing::TestWithParam<Row> {};

TEST_P(EveryRow, SendsItsIdAndArgumentsAndReadsItsResult) {
    const Row& row = GetParam();
    RecordingDispatch d;
    SchematicProgram program(d);
    d.answer = Value(std::int32_t{1});
    EXPECT_EQ(row.call(program), 1);
    EXPECT_EQ(d.lastId, row.id);
    EXPECT_EQ(d.lastArgs, row.args);
    d.answer = Value(true);
    EXPECT_EQ(row.call(program), 1);
    d.answer = std::nullopt; // the call failed
    EXPECT_EQ(row.call(program), std::nullopt);
    d.answer = Value(std::string("yes")); // a result of a kind the row does not return
    EXPECT_EQ(row.call(program), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(DispatchTable, EveryRow, ::testing::ValuesIn(kRows), [](const auto& p) {
    std::string n = p.param.what;
    for (char& c : n)
        if (c == ' ' || c == ',') c = '_';
    return n;
});

} // namespace
