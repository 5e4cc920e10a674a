#include "zembric/command_line.h"
#include "zembric/filter.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

using zembric::BuildFilter;
using zembric::ParseCommandLine;
using zembric::QuoteSqlText;
using zembric::RunSettings;
using zembric::SplitCodeList;

namespace {

struct SplitCase {
    const char* list;
    std::vector<std::string> items;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.list << '"';
}

class SplitCodes : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCodes, FollowsTheAmpersandRule) {
    EXPECT_EQ(SplitCodeList(GetParam().list), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(Lists, SplitCodes,
                         ::testing::Values(SplitCase{"A0", {"A0"}}, SplitCase{"A0&A1&A3", {"A0", "A1", "A3"}},
                                           SplitCase{"A0&&A1", {"A0", "&A1"}},
                                           SplitCase{"&A0&A1", {"&A0&A1"}}, SplitCase{"A0&", {"A0"}},
                                           SplitCase{"&", {"&"}}, SplitCase{"", {}},
                                           SplitCase{"A0&A1&&", {"A0", "A1", "&"}},
                                           SplitCase{"元件&B", {"元件", "B"}}));

TEST(QuoteSqlText, DoublesEveryQuoteAndLeavesOrdinaryCodesAlone) {
    EXPECT_EQ(QuoteSqlText("A0"), "A0");
    EXPECT_EQ(QuoteSqlText("O'Neil"), "O''Neil");
    EXPECT_EQ(QuoteSqlText("''"), "''''");
    EXPECT_EQ(QuoteSqlText(""), "");
}

RunSettings settings(const char* keepAccess, const char* dropAccess = "", const char* keepVersion = "",
                     const char* dropMaker = "", const char* keepAccess2 = "") {
    RunSettings s;
    s.keepAccess = keepAccess;
    s.dropAccess = dropAccess;
    s.keepVersion = keepVersion;
    s.dropManufacturer = dropMaker;
    s.keepAccess2 = keepAccess2;
    return s;
}

struct FilterCase {
    const char* name;
    RunSettings s;
    const char* filter;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.name;
}

class FilterText : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterText, IsBuiltExactly) {
    EXPECT_EQ(BuildFilter("T", GetParam().s), GetParam().filter);
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, FilterText,
    ::testing::Values(
        FilterCase{"nothing", settings(""), ""},
        FilterCase{"keepOne", settings("A0"), " ((T.[Access] NOT IN ('A0') OR T.[Access] IS NULL)) "},
        FilterCase{"keepTwo", settings("A0&A1"),
                   " ((T.[Access] NOT IN ('A0', 'A1') OR T.[Access] IS NULL)) "},
        FilterCase{"dropOnly", settings("", "A0&A1"), " (T.[Access] IN ('A0', 'A1')) "},
        FilterCase{"keepAndDrop", settings("A0", "A2"),
                   " ((T.[Access] NOT IN ('A0') OR T.[Access] IS NULL))  OR (T.[Access] IN ('A2'))"},
        FilterCase{"orderOfLists", settings("", "", "V8", "Arvel&Corbin", "B0"),
                   " ((T.[Version] NOT IN ('V8') OR T.[Version] IS NULL))  OR (T.[Manufacturer] IN ('Arvel', "
                   "'Corbin')) OR ((T.[Access2] NOT IN ('B0') OR T.[Access2] IS NULL))"},
        FilterCase{"leadingAmpersand", settings("", "A0&&A1"), " (T.[Access] IN ('A0', '&A1')) "},
        FilterCase{"quote", settings("", "x' OR 1=1 --"), " (T.[Access] IN ('x'' OR 1=1 --')) "}),
    [](const auto& p) { return std::string(p.param.name); });

// The filters run against real rows: which rows each mix selects for deletion.
class FilterRows : public ::testing::Test {
  protected:
    void SetUp() override {
        sqlite3_open(":memory:", &db_);
        sqlite3_exec(db_,
                     "CREATE TABLE T ([Id] INTEGER, [Access] TEXT, [Version] TEXT, [Manufacturer] TEXT,"
                     " [Access2] TEXT);"
                     "INSERT INTO T VALUES (1, 'A0', 'V8', 'Arvel', 'B0'), (2, 'A1', 'V7', 'Corbin', NULL),"
                     " (3, 'A2', 'V8', NULL, 'B1'), (4, NULL, NULL, 'Arvel', 'B0'), (5, '&A1', 'V8', "
                     "'O''Neil', 'B0');",
                     nullptr, nullptr, nullptr);
    }
    void TearDown() override { sqlite3_close(db_); }
    std::string selected(const RunSettings& s) {
        std::string filter = BuildFilter("T", s);
        if (filter.empty()) return "";
        std::string sql = "SELECT group_concat(Id) FROM (SELECT Id FROM T WHERE " + filter + " ORDER BY Id)";
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sql;
        std::string out;
        if (st && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return out;
    }
    sqlite3* db_ = nullptr;
};

TEST_F(FilterRows, KeepListsSelectRowsOutsideTheirCodesIncludingRowsWithoutACode) {
    EXPECT_EQ(selected(settings("A0&A1")), "3,4,5");
    EXPECT_EQ(selected(settings("", "", "V8")), "2,4");
}

TEST_F(FilterRows, DropListsSelectRowsWithOneOfTheirCodes) {
    EXPECT_EQ(selected(settings("", "A0&A1")), "1,2") << "a two-code drop list must select both";
    EXPECT_EQ(selected(settings("", "A0&&A1")), "1,5");
    EXPECT_EQ(selected(settings("", "", "", "O'Neil")), "5");
    EXPECT_EQ(selected(settings("")), "");
}

TEST_F(FilterRows, AnyListSelectingARowSelectsIt) {
    EXPECT_EQ(selected(settings("A0&A1&A2", "A2", "", "Corbin")), "2,3,4,5");
    EXPECT_EQ(selected(settings("", "", "", "", "B0")), "2,3");
}

TEST_F(FilterRows, AQuoteInACodeCannotWidenTheSelection) {
    EXPECT_EQ(selected(settings("", "x' OR 'a'='a")), "");
    EXPECT_EQ(selected(settings("", "x') OR ('a'='a")), "");
}

// Lists of thousands of codes: one IN list each, so the statement stays within SQLite's limits and
// selects the same rows as a short list with the same codes.
TEST_F(FilterRows, TenThousandCodeListsWorkAndSelectAsShortListsDo) {
    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += "C" + std::to_string(i) + "&";
    EXPECT_EQ(selected(settings(("A0&" + many + "A1").c_str())), "3,4,5");
    EXPECT_EQ(selected(settings("", (many + "A0&A1").c_str())), "1,2");
    EXPECT_EQ(selected(settings("", "", "", (many + "O'Neil").c_str())), "5");
    EXPECT_EQ(selected(settings(("A0&A1&A2&" + many).c_str(), "A2", "", many.c_str())), "3,4,5");
}

struct ArgsCase {
    std::vector<std::string> args;
    bool run;
};

class CommandLineUsage : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(CommandLineUsage, DecidesBetweenUsageAndRun) {
    RunSettings s;
    EXPECT_EQ(ParseCommandLine(GetParam().args, s), GetParam().run);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineUsage,
    ::testing::Values(
        ArgsCase{{"zembric"}, false}, ArgsCase{{"zembric", "db"}, false},
        ArgsCase{{"zembric", "", "A0"}, false}, ArgsCase{{"zembric", "db", "NON"}, false},
        ArgsCase{{"zembric", "db", "non", "Non", "", "nOn", "NON", "NON", "NON", "NON"}, false},
        ArgsCase{{"zembric", "db", "NON", "NON", "NON", "NON", "NON", "NON", "NON", "NON", "", "1", "0"},
                 false},
        ArgsCase{{"zembric", "db", "A0"}, true}, ArgsCase{{"zembric", "db", "NON", "V8"}, true},
        ArgsCase{{"zembric", "db", "NON", "NON", "NON", "NON", "NON", "NON", "NON", "B1"}, true},
        ArgsCase{{"zembric", "db", "NON", "NON", "NON", "NON", "NON", "NON", "NON", "NON", "x"}, true},
        ArgsCase{{"zembric", "db", "NONE"}, true}));

TEST(CommandLine, FillsEveryFieldInOrder) {
    RunSettings s;
    ASSERT_TRUE(ParseCommandLine(
        {"zembric", "/d/c.db", "A0&A1", "V8", "Arvel", "B0", "A3", "V6", "Corbin", "B1", "ten", "1", "0"},
        s));
    EXPECT_EQ(s.dbPath, "/d/c.db");
    EXPECT_EQ(s.keepAccess, "A0&A1");
    EXPECT_EQ(s.keepVersion, "V8");
    EXPECT_EQ(s.keepManufacturer, "Arvel");
    EXPECT_EQ(s.keepAccess2, "B0");
    EXPECT_EQ(s.dropAccess, "A3");
    EXPECT_EQ(s.dropVersion, "V6");
    EXPECT_EQ(s.dropManufacturer, "Corbin");
    EXPECT_EQ(s.dropAccess2, "B1");
    EXPECT_EQ(s.argument10, "ten");
    EXPECT_FALSE(s.stopOnError);
    EXPECT_FALSE(s.visible);
}

TEST(CommandLine, StopOnErrorAndVisibleLookOnlyAtTheFirstCharacter) {
    RunSettings s;
    std::vector<std::string> base{"zembric", "db", "A0", "", "", "", "", "", "", "", ""};
    ASSERT_TRUE(ParseCommandLine(base, s));
    EXPECT_TRUE(s.stopOnError);
    EXPECT_TRUE(s.visible);
    auto with = [&](const char* eleven, const char* twelve) {
        std::vector<std::string> a = base;
        a.push_back(eleven);
        a.push_back(twelve);
        ParseCommandLine(a, s);
    };
    with("10", "01");
    EXPECT_FALSE(s.stopOnError);
    EXPECT_FALSE(s.visible);
    with("0", "1");
    EXPECT_TRUE(s.stopOnError);
    EXPECT_TRUE(s.visible);
    with("", "");
    EXPECT_TRUE(s.stopOnError);
    EXPECT_TRUE(s.visible);
}

} // namespace
