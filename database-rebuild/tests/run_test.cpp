#include "database/Database.h"
#include "database/Sample.h"
#include "platformtesting/fake_clock.h"
#include "zembric/run.h"
#include "zembric/string_table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using zembric::CZembricRun;
using zembric::RunSettings;

namespace {

// Records what the run shows, and lets a test act when a given line or message appears.
class RecordingView : public zembric::IRunView {
  public:
    void ShowLogLine(const std::string& line) override {
        lines.push_back(line);
        busyAt.push_back(run && run->IsBusy());
        if (onLine) onLine(line);
    }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (onMessage) onMessage(text);
    }
    void SetWaitCursor(bool shown) override { wait = shown; }
    void PumpMessages() override { ++pumps; }

    std::vector<std::string> lines, messages;
    std::vector<bool> busyAt;
    bool wait = false;
    int pumps = 0;
    const CZembricRun* run = nullptr;
    std::function<void(const std::string&)> onLine, onMessage;
};

// A second connection that holds the write lock, as another program writing to the file would.
class Locker {
  public:
    explicit Locker(std::string path) : path_(std::move(path)) {}
    ~Locker() { Release(); }
    void Lock() {
        if (db_) return;
        sqlite3_open(path_.c_str(), &db_);
        ASSERT_EQ(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void Release() {
        if (!db_) return;
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
    }

  private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

const std::string kFilter =
    " (([SYS_COMPONENT].[Access] NOT IN ('A0', 'A1') OR [SYS_COMPONENT].[Access] IS NULL)) ";

class RunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        std::string base = ::testing::TempDir() + "zembric_" + std::to_string(getpid()) + "_" + name;
        db = base + ".db";
        log = base + ".log";
        std::remove(db.c_str());
        std::remove(log.c_str());
        korvane_db::CreateComponentDatabase(db);
        sql("INSERT INTO SYS_FAMILY_GROUP VALUES (1, 'G1', 4), (2, 'G2', 1);"
            "INSERT INTO SYS_FAMILY VALUES (1, 1, 'F1', 2), (2, 1, 'F2', 0), (3, 2, 'F3', 9);"
            "INSERT INTO SYS_COMPONENT VALUES (1, 'P1', '', 1, 'A0', 'B0', 'V8', 'Arvel'),"
            " (2, 'P2', '', 1, 'A1', NULL, 'V8', 'Corbin'), (3, 'P3', '', 2, 'A2', 'B0', 'V8', 'Arvel'),"
            " (4, 'P4', '', 3, NULL, NULL, 'V7', 'Arvel');"
            "INSERT INTO SYS_MODEL (Model_ID, Access) VALUES ('M1', 'A0'), ('M2', 'A2'), ('M//3''x', 'A3'), "
            "('M4', 'A0');"
            "INSERT INTO SYS_MAPPING_COMP_MODEL VALUES (1, 'M1', 1, ''), (1, 'M2', 0, 'p'), (1, 'M2', 0, "
            "'p'),"
            " (1, 'M2', 0, 'p'), (2, 'M//3''x', 0, ''), (2, 'M//3''x', 0, ''), (3, 'M4', 0, '');"
            "INSERT INTO SYS_SYMBOL_PICTURE (Picture_ID) VALUES (1), (2), (3);"
            "INSERT INTO SYS_SYMBOL VALUES (10, 'S10', 1), (11, 'S11', 2), (12, 'S12', 3);"
            "INSERT INTO SYS_MAPPING_COMP_SYMBOL VALUES (1, 10, 0), (2, 11, 0), (3, 12, 0), (4, 12, 0);"
            "INSERT INTO SYS_PACKAGE VALUES (1, 'K1', 8), (2, 'K2', 3);"
            "INSERT INTO SYS_MAPPING_COMP_PACKAGE VALUES (1, 1), (3, 1), (4, 2);");
        settings.dbPath = db;
        settings.keepAccess = "A0&A1";
        settings.visible = false;
        CBenlowDatabase::SetStatementTrace([this](const std::string& s) { statements.push_back(s); });
    }
    void TearDown() override {
        CBenlowDatabase::SetStatementTrace(nullptr);
        std::remove(db.c_str());
        std::remove(log.c_str());
    }

    // Runs SQL through a connection of its own; returns the first column of the first row.
    std::string sql(const std::string& text) {
        sqlite3* c = nullptr;
        sqlite3_open_v2(db.c_str(), &c, SQLITE_OPEN_READWRITE, nullptr);
        std::string out;
        const char* tail = text.c_str();
        while (tail && *tail) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(c, tail, -1, &st, &tail) != SQLITE_OK) {
                out = std::string("error: ") + sqlite3_errmsg(c);
                break;
            }
            if (!st) break;
            if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
                out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            sqlite3_finalize(st);
        }
        sqlite3_close(c);
        return out;
    }

    bool run() {
        CZembricRun r(settings, view, log);
        view.run = &r;
        bool ok = r.Run();
        view.run = nullptr;
        return ok;
    }

    std::vector<std::string> linesWithout(const std::string& fragment) const {
        std::vector<std::string> out;
        for (const std::string& l : view.lines)
            if (l.find(fragment) == std::string::npos) out.push_back(l);
        return out;
    }

    // What a complete run over the fixture leaves.
    void expectTrimmedDatabase() {
        EXPECT_EQ(sql("SELECT group_concat(Component_ID) FROM SYS_COMPONENT"), "1,2");
        EXPECT_EQ(sql("SELECT group_concat(Component_ID) FROM SYS_MAPPING_COMP_SYMBOL"), "1,2");
        EXPECT_EQ(sql("SELECT group_concat(Component_ID) FROM SYS_MAPPING_COMP_PACKAGE"), "1");
        EXPECT_EQ(sql("SELECT group_concat(Component_ID || ':' || Model_ID || ':' || Sec_Order || ':' || "
                      "Pin_Map, ' ') "
                      "FROM (SELECT * FROM SYS_MAPPING_COMP_MODEL ORDER BY 1, 3, 2)"),
                  "1:M2:0:p 1:M1:1: 2:M//3'x:0:");
        EXPECT_EQ(sql("SELECT group_concat(Model_ID, ' ') FROM (SELECT Model_ID FROM SYS_MODEL ORDER BY 1)"),
                  "M//3'x M1 M2");
        EXPECT_EQ(sql("SELECT group_concat(Symbol_ID) FROM SYS_SYMBOL"), "10,11");
        EXPECT_EQ(sql("SELECT group_concat(Picture_ID) FROM SYS_SYMBOL_PICTURE"), "1,2");
        EXPECT_EQ(sql("SELECT group_concat(Family_ID || ':' || Flags) FROM SYS_FAMILY"), "1:0");
        EXPECT_EQ(sql("SELECT group_concat(Group_ID || ':' || Flags) FROM SYS_FAMILY_GROUP"), "1:0");
        EXPECT_EQ(
            sql("SELECT Version || '|' || Comment FROM SYS_VERSION_HISTORY ORDER BY History_ID DESC LIMIT 1"),
            "V8.01|DB recreated by zembric.exe V3.00");
        EXPECT_EQ(sql("PRAGMA journal_mode"), "delete");
    }

    std::string db, log;
    RunSettings settings;
    // Time stands still and sleeps return at once, remembered.
    korvane::testing::FakeClock clock{0, korvane::testing::FakeClock::at(2026, 3, 5, 14, 7, 9)};
    RecordingView view;
    std::vector<std::string> statements;
};

const std::vector<std::string> kFullLog = {"Start at :: March 05, 2026 14:07:09",
                                           "打开数据库: DB",
                                           "--- 处理符号",
                                           "--- 处理封装",
                                           "--- 处理模型",
                                           "--- 处理元件",
                                           "--- 处理模型(传送2)",
                                           "--- 处理模型(传送3)",
                                           "--- 处理符号位图",
                                           "--- 处理历史信息",
                                           "--- 复位所有系列标记.",
                                           "--- 压缩数据库: DB",
                                           "完成",
                                           "End at :: March 05, 2026 14:07:09"};

std::vector<std::string> withPath(std::vector<std::string> lines, const std::string& path) {
    for (std::string& l : lines) {
        size_t at = l.find(": DB");
        if (at != std::string::npos && at + 4 == l.size()) l = l.substr(0, at + 2) + path;
    }
    return lines;
}

TEST_F(RunTest, FullRunIssuesTheStatementsInOrderAndLeavesTheEdition) {
    ASSERT_TRUE(run());
    EXPECT_EQ(view.lines, withPath(kFullLog, db));
    EXPECT_TRUE(view.messages.empty()) << view.messages.front();

    std::vector<std::string> got;
    for (const std::string& s : statements)
        got.push_back(std::regex_replace(s, std::regex("rowid = [0-9]+$"), "rowid = #"));
    const std::string in = " IN (SELECT [Component_ID] FROM [SYS_COMPONENT] WHERE " + kFilter + ")";
    ASSERT_GE(got.size(), 16u);
    EXPECT_EQ(got[0], "DELETE FROM [SYS_MAPPING_COMP_SYMBOL] WHERE [Component_ID]" + in);
    EXPECT_EQ(got[1], "DELETE FROM [SYS_MAPPING_COMP_PACKAGE] WHERE [Component_ID]" + in);
    EXPECT_EQ(got[2], "DELETE FROM [SYS_MAPPING_COMP_MODEL] WHERE [Component_ID]" + in);
    EXPECT_EQ(got[3], "DELETE FROM [SYS_COMPONENT] WHERE " + kFilter + " ");
    const std::string dup = "DELETE FROM [SYS_MAPPING_COMP_MODEL] WHERE [Component_ID] = ";
    EXPECT_EQ(got[4], dup + "1 AND [Model_ID] = 'M2' AND [Sec_Order] = 0 AND rowid = #");
    EXPECT_EQ(got[5], dup + "1 AND [Model_ID] = 'M2' AND [Sec_Order] = 0 AND rowid = #");
    EXPECT_EQ(got[6], dup + "2 AND [Model_ID] = 'M//3''x' AND [Sec_Order] = 0 AND rowid = #");
    EXPECT_EQ(got[4 + 3].rfind("DELETE FROM [SYS_MODEL] ", 0), 0u) << got[7];
    EXPECT_EQ(got[8].rfind("DELETE FROM [SYS_SYMBOL] ", 0), 0u) << got[8];
    EXPECT_EQ(got[9].rfind("DELETE FROM [SYS_SYMBOL_PICTURE] ", 0), 0u) << got[9];
    EXPECT_EQ(
        got[10].rfind("INSERT INTO [SYS_VERSION_HISTORY] ([Version], [Comment], [Created]) VALUES ('V8.01', "
                      "'DB recreated by zembric.exe V3.00', '2026-03-05 14:07:09')",
                      0),
        0u)
        << got[10];
    EXPECT_EQ(got[11], "UPDATE [SYS_FAMILY] SET [Flags] = 0");
    EXPECT_EQ(got[12], "UPDATE [SYS_FAMILY_GROUP] SET [Flags] = 0");
    EXPECT_EQ(got[13].rfind("DELETE FROM [SYS_FAMILY] ", 0), 0u);
    EXPECT_EQ(got[14].rfind("DELETE FROM [SYS_FAMILY_GROUP] ", 0), 0u);
    EXPECT_EQ(got.back(), "VACUUM");
    EXPECT_EQ(got.size(), 16u);
    expectTrimmedDatabase();
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(RunTest, LogFileIsAppendedWithCrLfAndTheViewKeepsBusyAndWaitCursorUntilTheEnd) {
    std::ofstream(log, std::ios::binary) << "earlier run\r\n";
    ASSERT_TRUE(run());
    std::ifstream in(log, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string expected = "earlier run\r\n";
    for (const std::string& l : withPath(kFullLog, db))
        expected += l + "\r\n";
    EXPECT_EQ(text.str(), expected);
    ASSERT_EQ(view.busyAt.size(), view.lines.size());
    for (size_t i = 0; i + 2 < view.lines.size(); ++i)
        EXPECT_TRUE(view.busyAt[i]) << view.lines[i];
    EXPECT_FALSE(view.busyAt[view.lines.size() - 2]) << "busy is cleared before the outcome is logged";
    EXPECT_FALSE(view.wait);
    EXPECT_GE(view.pumps, static_cast<int>(view.lines.size()));
}

TEST_F(RunTest, AnUnwritableLogFileDoesNotStopTheRun) {
    log = "/nonexistent-folder/for/Zembric.log";
    EXPECT_TRUE(run());
    EXPECT_EQ(view.lines.size(), kFullLog.size());
    expectTrimmedDatabase();
}

TEST_F(RunTest, EarlierVersionIsStampedAgainWithTheComment) {
    sql("INSERT INTO SYS_VERSION_HISTORY (Version, Comment) VALUES ('V8.00', 'a'), ('V8.05', 'b')");
    ASSERT_TRUE(run());
    EXPECT_EQ(sql("SELECT group_concat(Version || ':' || Comment, ' ') FROM SYS_VERSION_HISTORY"),
              "V8.00:a V8.05:b V8.05:DB recreated by zembric.exe V3.00");
}

TEST_F(RunTest, WithoutAComponentFilterTheDeletionPassIsSkipped) {
    settings.keepAccess.clear();
    settings.argument10 = "anything";
    ASSERT_TRUE(run());
    EXPECT_EQ(linesWithout("---").size(), 4u);
    EXPECT_EQ(view.lines[2], "--- 处理历史信息");
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_MAPPING_COMP_MODEL"), "7")
        << "duplicates are only looked at in the pass";
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_COMPONENT"), "4");
    EXPECT_EQ(sql("SELECT group_concat(Family_ID) FROM SYS_FAMILY"), "1,2,3");
    EXPECT_EQ(statements.front(),
              "INSERT INTO [SYS_VERSION_HISTORY] ([Version], [Comment], [Created]) VALUES "
              "('V8.01', 'DB recreated by zembric.exe V3.00', '2026-03-05 14:07:09')");
}

TEST_F(RunTest, DropListOnlyDeletesRowsWithTheListedCodes) {
    settings.keepAccess.clear();
    settings.dropManufacturer = "Corbin&Fallow";
    ASSERT_TRUE(run());
    EXPECT_EQ(sql("SELECT group_concat(Component_ID) FROM SYS_COMPONENT"), "1,3,4");
    // Component 2's two rows go; the duplicates of component 1 stay, as no model has a listed maker.
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_MAPPING_COMP_MODEL"), "5");
}

TEST_F(RunTest, ThreeIdenticalMappingsInOneSectionKeepExactlyOne) {
    sql("DELETE FROM SYS_MAPPING_COMP_MODEL; INSERT INTO SYS_MAPPING_COMP_MODEL VALUES (1, 'M2', 0, ''), "
        "(1, 'M2', 0, ''), (1, 'M2', 0, ''), (1, 'M2', 1, ''), (2, 'M//3''x', 0, 'a'), (2, 'M2', 0, 'b')");
    ASSERT_TRUE(run());
    // Component 1 order 0: two of three go. Order 1 is alone. Component 2 order 0 has two different
    // models in the filter: the first listed goes, the last stays.
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_MAPPING_COMP_MODEL WHERE Component_ID = 1 AND Sec_Order = 0"),
              "1");
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_MAPPING_COMP_MODEL WHERE Component_ID = 1 AND Sec_Order = 1"),
              "1");
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_MAPPING_COMP_MODEL WHERE Component_ID = 2"), "1");
    int dupDeletes = 0;
    for (const std::string& s : statements)
        if (s.find("AND rowid = ") != std::string::npos) ++dupDeletes;
    EXPECT_EQ(dupDeletes, 3);
}

TEST_F(RunTest, ListsOfTenThousandCodesRunWithoutRetriesAndTrimTheSame) {
    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += "&X" + std::to_string(i);
    settings.keepAccess = "A0&A1" + many;
    settings.dropVersion = "V1" + many;
    settings.dropAccess2 = "B9" + many;
    ASSERT_TRUE(run());
    EXPECT_TRUE(view.messages.empty()) << view.messages.front();
    EXPECT_EQ(view.lines, withPath(kFullLog, db));
    EXPECT_TRUE(clock.sleeps.empty());
    expectTrimmedDatabase();
}

// The duplicate step lists, row by row in the listing's order, all rows of a group but the last, where
// the group size is counted per row: computed here that way on the file as the step finds it.
std::vector<long> duplicatesCountedRowByRow(const std::string& path, const std::string& modelFilter) {
    sqlite3* c = nullptr;
    sqlite3_open_v2(path.c_str(), &c, SQLITE_OPEN_READONLY, nullptr);
    std::string listing =
        "SELECT [Component_ID], [Model_ID], [Sec_Order], rowid FROM [SYS_MAPPING_COMP_MODEL] "
        "WHERE [Model_ID] IN (SELECT [Model_ID] FROM [SYS_MODEL] WHERE " +
        modelFilter + ") ORDER BY 1 ASC, 3 ASC";
    sqlite3_stmt* rows = nullptr;
    sqlite3_stmt* count = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(c, listing.c_str(), -1, &rows, nullptr), SQLITE_OK) << sqlite3_errmsg(c);
    sqlite3_prepare_v2(
        c, "SELECT count(*) FROM [SYS_MAPPING_COMP_MODEL] WHERE [Component_ID] = ? AND [Sec_Order] = ?", -1,
        &count, nullptr);
    std::vector<long> listed;
    bool first = true;
    long lastId = 0, lastOrder = 0, counter = 0;
    while (rows && sqlite3_step(rows) == SQLITE_ROW) {
        long id = static_cast<long>(sqlite3_column_int64(rows, 0));
        long order = sqlite3_column_int(rows, 2);
        if (first || id != lastId || order != lastOrder) counter = 0;
        first = false;
        lastId = id;
        lastOrder = order;
        sqlite3_reset(count);
        sqlite3_bind_int64(count, 1, id);
        sqlite3_bind_int64(count, 2, order);
        sqlite3_step(count);
        if (counter + 1 < sqlite3_column_int64(count, 0)) {
            ++counter;
            listed.push_back(static_cast<long>(sqlite3_column_int64(rows, 3)));
        }
    }
    sqlite3_finalize(rows);
    sqlite3_finalize(count);
    sqlite3_close(c);
    return listed;
}

TEST_F(RunTest, DuplicateStepDeletesTheRowsARowByRowCountWouldList) {
    std::remove(db.c_str());
    korvane_db::SampleOptions o;
    o.components = 4000;
    o.seed = 7;
    korvane_db::WriteSampleDatabase(db, o);
    for (const char* keep : {"A0&A1", "A2", "A0&A1&A3"}) {
        SCOPED_TRACE(keep);
        std::string copy = db + ".copy";
        {
            std::ifstream in(db, std::ios::binary);
            std::ofstream out(copy, std::ios::binary | std::ios::trunc);
            out << in.rdbuf();
        }
        settings.dbPath = copy;
        settings.keepAccess = keep;
        settings.dropManufacturer = "Gresham";
        std::vector<long> expected;
        view.onLine = [&](const std::string& l) {
            if (l == "--- 处理模型(传送2)")
                expected = duplicatesCountedRowByRow(copy, view.run->ModelFilter());
        };
        statements.clear();
        ASSERT_TRUE(run());
        std::vector<long> deleted;
        std::smatch m;
        static const std::regex dup(
            "^DELETE FROM \\[SYS_MAPPING_COMP_MODEL\\] WHERE .* AND rowid = ([0-9]+)$");
        for (const std::string& st : statements)
            if (std::regex_match(st, m, dup)) deleted.push_back(std::stol(m[1]));
        EXPECT_GT(expected.size(), 40u) << "the sample holds many duplicates";
        EXPECT_EQ(deleted, expected);
        std::remove(copy.c_str());
    }
}

TEST_F(RunTest, MissingDatabaseFailsTheRunAndCreatesNothing) {
    std::remove(db.c_str());
    settings.dbPath = db;
    EXPECT_FALSE(run());
    EXPECT_EQ(view.lines, (std::vector<std::string>{
                              "Start at :: March 05, 2026 14:07:09", "打开数据库: " + db, "失败",
                              db + ": the file does not exist", "End at :: March 05, 2026 14:07:09"}));
    EXPECT_NE(access(db.c_str(), F_OK), 0);
    EXPECT_TRUE(statements.empty());
}

TEST_F(RunTest, CorruptDatabaseFailsTheRunAndIsLeftAsItWas) {
    std::remove(db.c_str());
    std::string junk(8192, '\0');
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>(i * 7 + 3);
    std::ofstream(db, std::ios::binary) << junk;
    EXPECT_FALSE(run());
    EXPECT_EQ(view.lines.size(), 5u);
    EXPECT_EQ(view.lines[2], "失败");
    EXPECT_EQ(view.lines[3], db + ": it is not a component database");
    std::ifstream in(db, std::ios::binary);
    std::stringstream now;
    now << in.rdbuf();
    EXPECT_EQ(now.str(), junk);
    EXPECT_TRUE(statements.empty());
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Files the run refuses at the open: each is left byte for byte, nothing is created beside it, and
// the reason follows the failure line.
struct RefusedCase {
    const char* name;
    std::function<void(const std::string& path)> make;
    const char* reason;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class RunRefuses : public RunTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RunRefuses, LeavesTheFileAsItWasAndSaysWhy) {
    std::remove(db.c_str());
    GetParam().make(db);
    std::string before = fileBytes(db);
    EXPECT_FALSE(run());
    EXPECT_EQ(fileBytes(db), before);
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        EXPECT_NE(access((db + suffix).c_str(), F_OK), 0) << suffix;
    EXPECT_EQ(view.lines,
              (std::vector<std::string>{"Start at :: March 05, 2026 14:07:09", "打开数据库: " + db, "失败",
                                        db + ": " + GetParam().reason, "End at :: March 05, 2026 14:07:09"}));
    EXPECT_TRUE(statements.empty());
    EXPECT_TRUE(clock.sleeps.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, RunRefuses,
    ::testing::Values(
        RefusedCase{"zeroBytes", [](const std::string& p) { std::ofstream(p, std::ios::binary); },
                    "it is not a component database"},
        RefusedCase{"otherDatabase",
                    [](const std::string& p) {
                        sqlite3* raw = nullptr;
                        sqlite3_open(p.c_str(), &raw);
                        sqlite3_exec(raw, "CREATE TABLE SYS_COMPONENT (x); CREATE TABLE t (y)", nullptr,
                                     nullptr, nullptr);
                        sqlite3_close(raw);
                    },
                    "it is not a component database"},
        RefusedCase{"folder", [](const std::string& p) { mkdir(p.c_str(), 0700); }, "it is not a file"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(RunTest, ADatabaseLockedAgainstReadingFailsAtTheOpenWithTheReason) {
    sqlite3* other = nullptr;
    sqlite3_open(db.c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(run());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_EQ(view.lines.size(), 5u);
    EXPECT_EQ(view.lines[2], "失败");
    EXPECT_EQ(view.lines[3], db + ": it is locked by another program");
    EXPECT_TRUE(statements.empty());
}

// Runs body in a child process that cannot write what root could (as "nobody" when the tests run as
// root); the child's exit status is body's result.
int inUnprivilegedChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST_F(RunTest, AReadOnlyDatabaseOrFolderFailsAtOnceWithTheReason) {
    // The child may read but not write the file; then it may write the file but not its folder.
    std::string folder = db + ".dir";
    mkdir(folder.c_str(), 0755);
    std::string inside = folder + "/components.db";
    ASSERT_EQ(std::rename(db.c_str(), inside.c_str()), 0);
    chmod(inside.c_str(), 0644);
    auto attempt = [&](const std::string& expectedReason) {
        return inUnprivilegedChild([&] {
            if (geteuid() != 0 && access(inside.c_str(), W_OK) == 0 && access(folder.c_str(), W_OK) == 0)
                return 102; // nothing to refuse
            settings.dbPath = inside;
            bool ok = run();
            bool right = !ok && clock.sleeps.empty() && statements.empty() && view.lines.size() == 5 &&
                         view.lines[2] == "失败" && view.lines[3] == inside + ": " + expectedReason;
            if (!right)
                for (const std::string& l : view.lines)
                    std::fprintf(stderr, "  %s\n", l.c_str());
            return right ? 0 : 1;
        });
    };
    if (geteuid() != 0) chmod(inside.c_str(), 0444);
    std::string before = fileBytes(inside);
    EXPECT_EQ(attempt("the file is read-only"), 0);
    if (geteuid() == 0)
        ASSERT_EQ(chown(inside.c_str(), 65534, 65534), 0);
    else
        chmod(inside.c_str(), 0644), chmod(folder.c_str(), 0555);
    EXPECT_EQ(attempt("its folder is read-only (the journal is written beside the file)"), 0);
    EXPECT_EQ(fileBytes(inside), before);
    chmod(folder.c_str(), 0755);
    std::remove(inside.c_str());
    rmdir(folder.c_str());
}

TEST_F(RunTest, LockedStatementWithStopOnErrorRetriesFiveTimesThenReportsAndGoesOn) {
    Locker locker(db);
    view.onLine = [&](const std::string& l) {
        if (l == "--- 处理符号") locker.Lock();
    };
    view.onMessage = [&](const std::string&) { locker.Release(); };
    EXPECT_FALSE(run()) << "a step that gave up fails the run";
    std::vector<std::string> expected = withPath(kFullLog, db);
    expected.insert(expected.begin() + 3,
                    {"--- 处理符号(尝试 1)", "--- 处理符号(尝试 2)", "--- 处理符号(尝试 3)",
                     "--- 处理符号(尝试 4)", "--- 处理符号(尝试 5)"});
    expected[expected.size() - 2] = "失败";
    EXPECT_EQ(view.lines, expected);
    EXPECT_EQ(view.messages, std::vector<std::string>{"database is locked"});
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>(5, 10000));
    // The symbol step gave up; every later step ran.
    EXPECT_EQ(sql("SELECT group_concat(Component_ID) FROM SYS_MAPPING_COMP_SYMBOL"), "1,2,3,4");
    EXPECT_EQ(sql("SELECT group_concat(Component_ID) FROM SYS_COMPONENT"), "1,2");
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_VERSION_HISTORY"), "1");
}

struct FallbackCase {
    const char* step;
    int waits80; // record deletions of the component step, each after 80 ms
};

class RunFallback : public RunTest, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(RunFallback, LockedStatementWithoutStopOnErrorFallsBackToRecordByRecord) {
    settings.stopOnError = false;
    const std::string step = GetParam().step;
    Locker locker(db);
    view.onLine = [&](const std::string& l) {
        if (l == step) locker.Lock();
        if (l == step + "(传送 2)") locker.Release();
    };
    ASSERT_TRUE(run());
    std::vector<std::string> expected = withPath(kFullLog, db);
    auto at = std::find(expected.begin(), expected.end(), step);
    ASSERT_NE(at, expected.end());
    expected.insert(at + 1, {step + "(尝试 1)", step + "(尝试 2)", step + "(尝试 3)", step + "(尝试 4)",
                             step + "(尝试 5)", step + "(传送 2)"});
    EXPECT_EQ(view.lines, expected);
    EXPECT_TRUE(view.messages.empty());
    std::vector<std::uint32_t> sleeps(5, 10000);
    sleeps.insert(sleeps.end(), static_cast<size_t>(GetParam().waits80), 80);
    EXPECT_EQ(clock.sleeps, sleeps);
    int oneByOne = 0;
    for (const std::string& s : statements)
        if (std::regex_match(s, std::regex("DELETE FROM \\[SYS_[A-Z_]+\\] WHERE rowid = [0-9]+"))) ++oneByOne;
    EXPECT_GT(oneByOne, 0);
    expectTrimmedDatabase();
}

INSTANTIATE_TEST_SUITE_P(Steps, RunFallback,
                         ::testing::Values(FallbackCase{"--- 处理符号", 0}, FallbackCase{"--- 处理封装", 0},
                                           FallbackCase{"--- 处理模型", 0}, FallbackCase{"--- 处理元件", 2}));

TEST_F(RunTest, ALockThatOutlastsTheFallbackFailsTheRunAndFreesTheDatabase) {
    settings.stopOnError = false;
    Locker locker(db);
    view.onLine = [&](const std::string& l) {
        if (l == "--- 处理元件") locker.Lock();
    };
    EXPECT_FALSE(run());
    EXPECT_EQ(view.messages, std::vector<std::string>{"database is locked"});
    EXPECT_EQ(view.lines[view.lines.size() - 2], "失败");
    EXPECT_EQ(clock.sleeps.size(), 6u) << "five retries, then the first record's wait";
    locker.Release();
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_VERSION_HISTORY"), "0") << "nothing after the failed step";
    EXPECT_EQ(sql("SELECT count(*) FROM SYS_COMPONENT"), "4");
}

TEST(StringTable, HoldsTheTextsAsStored) {
    using namespace zembric;
    EXPECT_EQ(LoadString(IDS_ABOUTBOX), "关于数据库信息(&A)");
    EXPECT_EQ(LoadString(IDS_USAGE).rfind("命令格式: zembric.exe db_path_and_name [access_param | NON] "
                                          "[version_param | NON] [Manufacturer_param | NON]\r\n \n例子: ",
                                          0),
              0u);
    EXPECT_NE(LoadString(IDS_USAGE).find("A0&A1&A3"), std::string::npos);
    EXPECT_EQ(LoadString(IDS_ERROR_TABLE), "错误:处理表格: ");
    EXPECT_EQ(LoadString(IDS_NOT_OPEN), "元件数据库未打开.");
    EXPECT_EQ(LoadString(999), "");
}

} // namespace
