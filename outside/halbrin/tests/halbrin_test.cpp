#include "database/Database.h"
#include "database/Sample.h"
#include "halbrin/CEGeneralUtil.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string scalar(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW &&
        sqlite3_column_text(st, 0))
        out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return out;
}

TEST(Halbrin, UnlinkedModelsSymbolsAndPicturesGoLinkedOnesStay) {
    std::string path = ::testing::TempDir() + "halbrin_" + std::to_string(getpid()) + ".db";
    std::remove(path.c_str());
    korvane_db::CreateComponentDatabase(path);
    sqlite3* raw = nullptr;
    sqlite3_open(path.c_str(), &raw);
    sqlite3_exec(raw,
                 "INSERT INTO SYS_MODEL (Model_ID) VALUES ('M1'), ('M2'), ('M''3');"
                 "INSERT INTO SYS_MAPPING_COMP_MODEL VALUES (1, 'M1', 0, ''), (2, 'M''3', 0, '');"
                 "INSERT INTO SYS_SYMBOL_PICTURE (Picture_ID) VALUES (1), (2), (3);"
                 "INSERT INTO SYS_SYMBOL VALUES (10, 'S10', 1), (11, 'S11', 2), (12, 'S12', 2);"
                 "INSERT INTO SYS_MAPPING_COMP_SYMBOL VALUES (1, 11, 0);",
                 nullptr, nullptr, nullptr);
    CDBComponent* db = nullptr;
    ASSERT_EQ(IDBBasicUtil::open_database_component(&db, path.c_str(), 0, false), 0);
    CCEGeneralUtil util(db);
    util.Clearup_all_unlinked_model();
    util.Clearup_all_unlinked_symbol_picture();
    EXPECT_EQ(
        scalar(raw, "SELECT group_concat(Model_ID, ' ') FROM (SELECT Model_ID FROM SYS_MODEL ORDER BY 1)"),
        "M'3 M1");
    // Symbol 11 is mapped; 10 and 12 are not. Picture 2 is still shown by symbol 11; 1 and 3 by none.
    EXPECT_EQ(scalar(raw, "SELECT group_concat(Symbol_ID) FROM SYS_SYMBOL"), "11");
    EXPECT_EQ(scalar(raw, "SELECT group_concat(Picture_ID) FROM SYS_SYMBOL_PICTURE"), "2");
    IDBBasicUtil::free_database(&db);
    CCEGeneralUtil closed(db);
    EXPECT_THROW(closed.Clearup_all_unlinked_model(), CDatabaseException);
    sqlite3_close(raw);
    std::remove(path.c_str());
}

} // namespace
