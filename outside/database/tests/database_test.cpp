#include "database/Database.h"
#include "database/Sample.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "db_" + std::to_string(getpid()) + "_" + name;
}

// Runs SQL on the file through a connection of its own; returns the first column of the first row.
std::string query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    } else {
        out = std::string("error: ") + sqlite3_errmsg(db);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

class DatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ =
            tempPath(::testing::UnitTest::GetInstance()->current_test_info()->name() + std::string(".db"));
        std::remove(path_.c_str());
        korvane_db::CreateComponentDatabase(path_);
        query(path_, "INSERT INTO SYS_FAMILY_GROUP VALUES (1, 'G1', 3), (2, 'G2', 1)");
        query(path_, "INSERT INTO SYS_FAMILY VALUES (1, 1, 'F1', 5), (2, 1, 'F2', 2), (3, 2, 'F3', 0)");
        query(path_, "INSERT INTO SYS_COMPONENT VALUES (1, 'P1', '', 1, 'A0', NULL, 'V8', 'Arvel'),"
                     "(2, 'P2', '', 1, 'A1', 'B0', 'V7', NULL), (3, 'P3', '', 2, NULL, NULL, NULL, NULL)");
        query(path_, "INSERT INTO SYS_MAPPING_COMP_SYMBOL VALUES (1, 10, 0), (2, 10, 0), (3, 11, 0)");
        ASSERT_EQ(IDBBasicUtil::open_database_component(&db_, path_.c_str(), 0, false), 0);
        ASSERT_NE(db_, nullptr);
    }
    void TearDown() override {
        IDBBasicUtil::free_database(&db_);
        CBenlowDatabase::SetStatementTrace(nullptr);
        std::remove(path_.c_str());
    }
    std::string path_;
    CDBComponent* db_ = nullptr;
};

TEST(DatabaseOpen, RefusesWhatIsNotAComponentDatabaseAndCreatesNothing) {
    CDBComponent* db = nullptr;
    std::string missing = tempPath("missing.db");
    std::remove(missing.c_str());
    EXPECT_NE(IDBBasicUtil::open_database_component(&db, missing.c_str(), 0, false), 0);
    EXPECT_EQ(db, nullptr);
    EXPECT_NE(access(missing.c_str(), F_OK), 0) << "opening must not create the file";

    std::string garbage = tempPath("garbage.db");
    std::ofstream(garbage, std::ios::binary) << std::string(4096, 'x');
    EXPECT_EQ(IDBBasicUtil::open_database_component(&db, garbage.c_str(), 0, false), SQLITE_NOTADB);
    EXPECT_EQ(db, nullptr);

    std::string other = tempPath("other.db");
    std::remove(other.c_str());
    sqlite3* raw = nullptr;
    sqlite3_open(other.c_str(), &raw);
    sqlite3_exec(raw, "CREATE TABLE t (x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    EXPECT_EQ(IDBBasicUtil::open_database_component(&db, other.c_str(), 0, false),
              IDBBasicUtil::kOpenNotComponentDatabase);
    EXPECT_EQ(db, nullptr);
    EXPECT_EQ(IDBBasicUtil::open_database_component(nullptr, other.c_str(), 0, false),
              IDBBasicUtil::kOpenBadArgument);
    EXPECT_EQ(IDBBasicUtil::open_database_component(&db, "", 0, false), IDBBasicUtil::kOpenBadArgument);
    std::remove(garbage.c_str());
    std::remove(other.c_str());
}

TEST_F(DatabaseTest, ExecuteRunsOneStatementAndRaisesSqliteMessages) {
    db_->Execute("DELETE FROM [SYS_COMPONENT] WHERE [Component_ID] = 3", 0);
    EXPECT_EQ(db_->GetChangedRowCount(), 1);
    try {
        db_->Execute("DELETE FROM [NO_SUCH_TABLE]", 0);
        FAIL() << "no exception";
    } catch (const CDatabaseException& e) {
        EXPECT_EQ(std::string(e.what()), "no such table: NO_SUCH_TABLE");
        EXPECT_EQ(e.GetErrorCode(), SQLITE_ERROR);
    }
    EXPECT_THROW(db_->Execute("DELETE FROM [SYS_COMPONENT]; DROP TABLE [SYS_MODEL]", 0), CDatabaseException);
    EXPECT_EQ(query(path_, "SELECT count(*) FROM SYS_COMPONENT"), "2")
        << "the first statement must not run either";
    EXPECT_EQ(query(path_, "SELECT count(*) FROM SYS_MODEL"), "0");
    EXPECT_TRUE(db_->IsOpen());
    EXPECT_EQ(db_->GetDatabaseLevel(), CString(" (level 0, " + path_ + ")"));
}

TEST_F(DatabaseTest, TableSetWalksFixedRowsAndDeletesTheCurrentOne) {
    db_->OpenTableSet(kTableSetComponent, "[SYS_COMPONENT].[Access] IS NOT NULL", nullptr);
    ASSERT_TRUE(db_->IsTableOpen(kTableSetComponent));
    EXPECT_EQ(db_->GetNumRecordCount(kTableSetComponent), 2);
    int visited = 0;
    while (!db_->IsTableEmpty(kTableSetComponent)) {
        db_->Delete(kTableSetComponent);
        ++visited;
        db_->MoveNextRecord(kTableSetComponent);
    }
    EXPECT_EQ(visited, 2);
    EXPECT_FALSE(db_->MoveNextRecord(kTableSetComponent));
    EXPECT_THROW(db_->Delete(kTableSetComponent), CDatabaseException)
        << "past the end there is nothing to delete";
    db_->CloseTableSet(kTableSetComponent);
    EXPECT_FALSE(db_->IsTableOpen(kTableSetComponent));
    EXPECT_TRUE(db_->IsTableEmpty(kTableSetComponent));
    EXPECT_EQ(query(path_, "SELECT group_concat(Component_ID) FROM SYS_COMPONENT"), "3");
}

TEST_F(DatabaseTest, TableSetOpenFailureIsReportedThroughIsTableOpen) {
    db_->OpenTableSet(kTableSetComponent, "[No_Such_Column] = 1", nullptr);
    EXPECT_FALSE(db_->IsTableOpen(kTableSetComponent));
    EXPECT_EQ(db_->GetLastOpenError(), "no such column: No_Such_Column");
    db_->OpenTableSet(99, nullptr, nullptr);
    EXPECT_FALSE(db_->IsTableOpen(99));
    db_->OpenTableSet(kTableSetMappingCompSymbol, nullptr, nullptr);
    EXPECT_TRUE(db_->IsTableOpen(kTableSetMappingCompSymbol));
    EXPECT_TRUE(db_->GetLastOpenError().empty());
}

TEST_F(DatabaseTest, MappingCursorsReadTheComponentIdOfTheCurrentRecord) {
    db_->OpenTableSet(kTableSetMappingCompSymbol, nullptr, nullptr);
    std::vector<long> ids;
    long id = 0;
    while (!db_->IsTableEmpty(kTableSetMappingCompSymbol)) {
        ASSERT_TRUE(db_->GetMappingCompSymbolCompID(id));
        ids.push_back(id);
        db_->MoveNextRecord(kTableSetMappingCompSymbol);
    }
    EXPECT_EQ(ids, (std::vector<long>{1, 2, 3}));
    EXPECT_FALSE(db_->GetMappingCompSymbolCompID(id)) << "no current record past the end";
    EXPECT_FALSE(db_->GetMappingCompModelCompID(id)) << "that set is not open";
    // A record deleted behind the cursor's back reads as absent, not as stale data.
    db_->OpenTableSet(kTableSetMappingCompSymbol, nullptr, nullptr);
    db_->Execute("DELETE FROM [SYS_MAPPING_COMP_SYMBOL] WHERE [Component_ID] = 1", 0);
    EXPECT_FALSE(db_->GetMappingCompSymbolCompID(id));
}

TEST_F(DatabaseTest, DirectSetReadsColumnsByNameWithOrWithoutBrackets) {
    db_->OpenSQLDirectSet(
        "SELECT [Component_ID], [Access], [Access2], rowid AS [Row_ID] FROM [SYS_COMPONENT] ORDER BY 1");
    ASSERT_TRUE(db_->IsTableOpen_SQLDirectSet());
    long id = 0, rowid = 0;
    short small = 0;
    CString access, access2("x");
    ASSERT_FALSE(db_->IsTableEmpty_SQLDirectSet());
    EXPECT_TRUE(db_->GetFieldValue_SQLDirectSet("[Component_ID]", id));
    EXPECT_TRUE(db_->GetFieldValue_SQLDirectSet("component_id", small));
    EXPECT_TRUE(db_->GetFieldValue_SQLDirectSet("Access", access));
    EXPECT_TRUE(db_->GetFieldValue_SQLDirectSet("[Access2]", access2));
    EXPECT_TRUE(db_->GetFieldValue_SQLDirectSet("Row_ID", rowid));
    EXPECT_FALSE(db_->GetFieldValue_SQLDirectSet("[Version]", access)) << "not selected";
    EXPECT_EQ(id, 1);
    EXPECT_EQ(small, 1);
    EXPECT_EQ(rowid, 1);
    EXPECT_EQ(access, "A0");
    EXPECT_EQ(access2, "") << "NULL reads as empty";
    EXPECT_TRUE(db_->MoveNextRecord_SQLDirectSet());
    EXPECT_TRUE(db_->MoveNextRecord_SQLDirectSet());
    EXPECT_FALSE(db_->MoveNextRecord_SQLDirectSet());
    EXPECT_TRUE(db_->IsTableEmpty_SQLDirectSet());
    EXPECT_FALSE(db_->GetFieldValue_SQLDirectSet("[Component_ID]", id));

    db_->OpenSQLDirectSet("SELECT 1 FROM [SYS_COMPONENT] WHERE 0");
    EXPECT_TRUE(db_->IsTableOpen_SQLDirectSet());
    EXPECT_TRUE(db_->IsTableEmpty_SQLDirectSet());
    db_->OpenSQLDirectSet("DELETE FROM [SYS_COMPONENT]");
    EXPECT_FALSE(db_->IsTableOpen_SQLDirectSet()) << "only queries open a direct set";
    EXPECT_EQ(query(path_, "SELECT count(*) FROM SYS_COMPONENT"), "3");
    db_->OpenSQLDirectSet("SELECT nothing FROM");
    EXPECT_FALSE(db_->IsTableOpen_SQLDirectSet());
    EXPECT_FALSE(db_->GetLastOpenError().empty());
}

TEST_F(DatabaseTest, VersionHistoryKeepsTheLatestEntry) {
    EXPECT_EQ(IDBBasicUtil::GetDatabaseLatestVersion(db_), "");
    IDBBasicUtil::SetDatabaseVersion(db_, "V8.01", "first");
    IDBBasicUtil::SetDatabaseVersion(db_, "V8.02", "second");
    EXPECT_EQ(IDBBasicUtil::GetDatabaseLatestVersion(db_), "V8.02");
    EXPECT_EQ(query(path_, "SELECT group_concat(Version || ':' || Comment, ' ') FROM SYS_VERSION_HISTORY"),
              "V8.01:first V8.02:second");
    EXPECT_THROW(IDBBasicUtil::GetDatabaseLatestVersion(nullptr), CDatabaseException);
}

TEST_F(DatabaseTest, FamilyFlagsAreResetAndEmptyFamiliesRemoved) {
    struct Recorder : IDBProgress {
        std::vector<std::string> texts;
        void Progress(const char* t) override { texts.push_back(t); }
    } progress;
    CDBGeneralUtil util(db_);
    util.reset_flags_on_family_table_all(nullptr, "", &progress);
    long seven = 7;
    util.reset_flags_on_family_group_table_all(&seven, "groups", &progress);
    EXPECT_EQ(progress.texts, std::vector<std::string>{"groups"}) << "an empty status text is not shown";
    EXPECT_EQ(query(path_, "SELECT group_concat(Flags) FROM SYS_FAMILY"), "0,0,0");
    EXPECT_EQ(query(path_, "SELECT group_concat(Flags) FROM SYS_FAMILY_GROUP"), "7,7");
    // Family 3 has no component, so it goes; then group 2 has no family left.
    util.clear_empty_item_on_family_group_table_all();
    EXPECT_EQ(query(path_, "SELECT count(*) FROM SYS_FAMILY_GROUP"), "2")
        << "both groups still have families";
    util.clear_empty_item_on_family_table_all();
    util.clear_empty_item_on_family_group_table_all();
    EXPECT_EQ(query(path_, "SELECT group_concat(Family_ID) FROM SYS_FAMILY"), "1,2");
    EXPECT_EQ(query(path_, "SELECT group_concat(Group_ID) FROM SYS_FAMILY_GROUP"), "1");
    CDBGeneralUtil closed(nullptr);
    EXPECT_THROW(closed.clear_empty_item_on_family_table_all(), CDatabaseException);
}

TEST_F(DatabaseTest, FreeClosesRestoresTheJournalModeAndCompactShrinks) {
    EXPECT_EQ(query(path_, "PRAGMA journal_mode"), "wal") << "while open";
    std::string blob = "INSERT INTO SYS_SYMBOL_PICTURE VALUES (1, 1, 1, zeroblob(400000))";
    db_->Execute(blob.c_str(), 0);
    db_->Execute("DELETE FROM SYS_SYMBOL_PICTURE", 0);
    IDBBasicUtil::free_database(&db_);
    EXPECT_EQ(db_, nullptr);
    IDBBasicUtil::free_database(&db_); // freeing twice is harmless
    EXPECT_EQ(query(path_, "PRAGMA journal_mode"), "delete");
    EXPECT_NE(access((path_ + "-wal").c_str(), F_OK), 0);
    long before = std::stol(query(path_, "PRAGMA page_count"));
    IDBBasicUtil::CompactDatabase(path_.c_str(), true);
    long after = std::stol(query(path_, "PRAGMA page_count"));
    EXPECT_LT(after, before - 50);
    EXPECT_EQ(query(path_, "SELECT count(*) FROM SYS_COMPONENT"), "3");
    EXPECT_THROW(IDBBasicUtil::CompactDatabase(tempPath("absent.db").c_str(), true), CDatabaseException);
}

TEST(DatabaseException, MessageIsCutWithoutSplittingACharacter) {
    CDatabaseException e(1, "错误abc");
    char buf[8];
    ASSERT_TRUE(e.GetErrorMessage(buf, sizeof buf));
    EXPECT_STREQ(buf, "错误a");
    char two[5];
    ASSERT_TRUE(e.GetErrorMessage(two, sizeof two));
    EXPECT_STREQ(two, "错") << "the second character would not fit whole";
    EXPECT_FALSE(e.GetErrorMessage(buf, 0));
}

TEST(SampleDatabase, IsReproducibleFromItsSeedAndHoldsTheAwkwardCases) {
    korvane_db::SampleOptions o;
    o.components = 3000;
    o.seed = 42;
    std::string a = tempPath("sample_a.db"), b = tempPath("sample_b.db"), c = tempPath("sample_c.db");
    korvane_db::SampleCounts n = korvane_db::WriteSampleDatabase(a, o);
    korvane_db::WriteSampleDatabase(b, o);
    o.seed = 43;
    korvane_db::WriteSampleDatabase(c, o);
    const std::string digest =
        "SELECT sum(Component_ID * length(coalesce(Access,'')||coalesce(Version,'')||"
        "coalesce(Manufacturer,'')||coalesce(Access2,'')) % 1000003) FROM SYS_COMPONENT";
    EXPECT_EQ(query(a, digest), query(b, digest));
    EXPECT_NE(query(a, digest), query(c, digest));
    EXPECT_EQ(query(a, "SELECT count(*) FROM SYS_COMPONENT"), "3000");
    EXPECT_EQ(query(a, "SELECT count(*) FROM SYS_MAPPING_COMP_MODEL"), std::to_string(n.mapModel));
    EXPECT_GT(std::stol(query(a, "SELECT count(*) FROM SYS_COMPONENT WHERE Access IS NULL")), 0);
    EXPECT_EQ(query(a, "SELECT count(DISTINCT Access) FROM SYS_COMPONENT"), "4");
    EXPECT_EQ(query(a, "SELECT count(DISTINCT Version) FROM SYS_MODEL"), "3");
    EXPECT_GT(std::stol(query(a, "SELECT count(*) FROM (SELECT 1 FROM SYS_MAPPING_COMP_MODEL GROUP BY "
                                 "Component_ID, Model_ID, Sec_Order HAVING count(*) > 1)")),
              0)
        << "duplicate model mappings";
    EXPECT_EQ(query(a, "SELECT Version FROM SYS_VERSION_HISTORY ORDER BY History_ID DESC LIMIT 1"), "V7.10");
    EXPECT_NE(access((a + ".part").c_str(), F_OK), 0);
    for (const std::string& p : {a, b, c})
        std::remove(p.c_str());
}

} // namespace
