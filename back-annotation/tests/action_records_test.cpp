#include "backann/action_records.h"

#include <gtest/gtest.h>

namespace tandrel {
namespace {

TEST(ActionFile, LogNameFirstThenOneListPerRecord) {
    IO_TextStream out;
    WriteLogFileName(out, "C:\\pcb\\board.log");
    WriteActionRecord(out, 14, {"R1", "any", "R5"});
    WriteActionRecord(out, 2, {});     // no parameters: no trace
    WriteActionRecord(out, 15, {"x"}); // no keyword: not written
    WriteActionRecord(out, -3, {"x"});
    WriteActionRecord(out, 0, {"p"}); // the empty keyword
    WriteActionRecord(out, 0, {});
    EXPECT_EQ(out.GetText(),
              "LogFileName\r\n{\r\n  Param R \"C:\\\\pcb\\\\board.log\"\r\n}\r\n"
              "COMPONENT_RENUMBER\r\n{\r\n  Param R \"R1\"\r\n  Param R \"any\"\r\n  Param R \"R5\"\r\n}\r\n"
              "NO_NAME_GIVEN\r\n{\r\n  Param R \"p\"\r\n}\r\n");

    IO_TextStream in = IO_TextStream::FromText(out.GetText());
    std::vector<ActionRecord> records = ReadActionRecords(in);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "LogFileName");
    EXPECT_EQ(records[0].params, std::vector<std::string>{"C:\\pcb\\board.log"});
    EXPECT_EQ(records[1].params, (std::vector<std::string>{"R1", "any", "R5"}));
    EXPECT_EQ(records[2].name, "NO_NAME_GIVEN");
}

TEST(ActionFile, AnEmptyLogNameIsStillWritten) {
    IO_TextStream out;
    WriteLogFileName(out, "");
    EXPECT_EQ(out.GetText(), "LogFileName\r\n{\r\n  Param R \"\"\r\n}\r\n");
}

TEST(ActionFile, ParametersAreLimitedInNumberAndLength) {
    std::vector<std::string> params;
    for (int i = 0; i < 12; ++i)
        params.push_back("p" + std::to_string(i));
    params[1] = std::string(100, 'x');
    params[2] = std::string(79, 'y') + "元件"; // the cut falls after the first of the two characters
    IO_TextStream out;
    WriteActionRecord(out, 13, params);
    IO_TextStream in = IO_TextStream::FromText(out.GetText());
    std::vector<ActionRecord> records = ReadActionRecords(in);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].params.size(), 10u);
    EXPECT_EQ(records[0].params[1], std::string(80, 'x'));
    EXPECT_EQ(records[0].params[2], std::string(79, 'y') + "元");
    EXPECT_EQ(records[0].params[9], "p9");
}

TEST(ActionFile, ReadingStopsBeforeADamagedRecord) {
    IO_TextStream in = IO_TextStream::FromText("LogFileName { Param R \"a.log\" }\r\n"
                                               "COMPONENT_REMOVE { Param R \"R1\" }\r\n"
                                               "COMPONENT_REMOVE { Param R \"R2\" n i x Param R \"R2b\" }\r\n"
                                               "COMPONENT_REMOVE { Param R \"R3\" }\r\n");
    std::vector<ActionRecord> records = ReadActionRecords(in);
    EXPECT_TRUE(in.IsFailed());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].params, std::vector<std::string>{"R1"});
}

struct ListCase {
    const char* name;
    std::vector<std::string> params;
    std::optional<std::string> line;
};

class ListTexts : public testing::TestWithParam<ListCase> {};

TEST_P(ListTexts, AsShownForConfirmation) {
    EXPECT_EQ(ListText({GetParam().name, GetParam().params}), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ListTexts,
    testing::Values(
        ListCase{"LogFileName", {"x.log"}, std::nullopt}, ListCase{"COMPONENT_ADD", {"R1"}, std::nullopt},
        ListCase{"COMPONENT_CHANGE_DEVICE", {"R1"}, std::nullopt},
        ListCase{"NET_MERGE", {"A", "B"}, std::nullopt},
        ListCase{"NO_NAME_GIVEN", {"p"}, "Ignored: NO_NAME_GIVEN"},
        ListCase{"MOVE_PART", {"R1"}, "Ignored: MOVE_PART"},
        ListCase{"COMPONENT_REMOVE", {"R7"}, "Remove component: \"R7\""},
        ListCase{"COMPONENT_CHANGE_REFDES", {"R1", "x", "R2"}, "Change component RefDes: \"R1\" to \"R2\""},
        ListCase{"COMPONENT_CHANGE_VALUE",
                 {"C1", "10n", "22n"},
                 "Change component value for \"C1\": from \"10n\" to \"22n\""},
        ListCase{"COMPONENT_CHANGE_PACKAGETYPE",
                 {"", "0805", "0603"},
                 "Change component package for \"\": from \"0805\" to \"0603\""},
        ListCase{"NET_REMOVE_PIN",
                 {"GND", "U1", "7"},
                 "Net remove pin: Net name=\"GND\", Component=\"U1\", Pin number=\"7\""},
        ListCase{
            "NET_ADD_PIN", {"VCC", "U2"}, "Net add pin: Net name=\"VCC\", Component=\"U2\", Pin number=\"\""},
        ListCase{"NET_CHANGE_NAME", {"ignored", "N1", "N2"}, "Change net name from \"N1\" to \"N2\""},
        ListCase{"NET_CHANGE_WIDTH",
                 {"CLK", "10", "12"},
                 "Net change width: Net name=\"CLK\", Previous=\"10\", New=\"12\""},
        ListCase{"GATE_SWAP",
                 {"U1", "A", "U1", "B"},
                 "Gate Swap: Component 1=\"U1\", Section 1=\"A\", Component 2=\"U1\", Section 2=\"B\""},
        ListCase{"PIN_SWAP",
                 {"U1", "3", "U2", "4"},
                 "Pin Swap: Component 1=\"U1\", Pin number 1=\"3\", Component 2=\"U2\", Pin number 2=\"4\""},
        ListCase{"COMPONENT_RENUMBER", {"R1", "any", "R5"}, "Component renumber \"R1\" to \"R5\""},
        ListCase{"COMPONENT_RENUMBER", {}, "Component renumber \"\" to \"\""}),
    [](const auto& tp) { return std::string(tp.param.name) + "_" + std::to_string(tp.index); });

TEST(ActionLines, CarryTheirPrefix) {
    EXPECT_EQ(ActionLine(kDone, {"COMPONENT_REMOVE", {"R7"}}), "Done: Remove component: \"R7\"");
    EXPECT_EQ(ActionLine(kIgnored, {"COMPONENT_ADD", {"R7"}}), std::nullopt);
}

TEST(Keywords, OnlyIdsZeroToFourteenHaveOne) {
    EXPECT_STREQ(ActionKeyword(0), "");
    EXPECT_STREQ(ActionKeyword(6), "COMPONENT_CHANGE_PACKAGETYPE");
    EXPECT_STREQ(ActionKeyword(14), "COMPONENT_RENUMBER");
    EXPECT_EQ(ActionKeyword(15), nullptr);
    EXPECT_EQ(ActionKeyword(-1), nullptr);
}

} // namespace
} // namespace tandrel
