#include "halbrin/CEGeneralUtil.h"

#include "database/Database.h"

#include <sqlite3.h>

CDBComponent& CCEGeneralUtil::Db() {
    if (!db_ || !db_->IsOpen()) throw CDatabaseException(SQLITE_MISUSE, "database not open");
    return *db_;
}

void CCEGeneralUtil::Clearup_all_unlinked_model() {
    Db().Execute("DELETE FROM [SYS_MODEL] WHERE NOT EXISTS (SELECT 1 FROM [SYS_MAPPING_COMP_MODEL] "
                 "WHERE [SYS_MAPPING_COMP_MODEL].[Model_ID] = [SYS_MODEL].[Model_ID])",
                 kExecuteTraced);
}

void CCEGeneralUtil::Clearup_all_unlinked_symbol_picture() {
    CDBComponent& db = Db();
    db.Execute("DELETE FROM [SYS_SYMBOL] WHERE NOT EXISTS (SELECT 1 FROM [SYS_MAPPING_COMP_SYMBOL] "
               "WHERE [SYS_MAPPING_COMP_SYMBOL].[Symbol_ID] = [SYS_SYMBOL].[Symbol_ID])",
               kExecuteTraced);
    db.Execute("DELETE FROM [SYS_SYMBOL_PICTURE] WHERE NOT EXISTS (SELECT 1 FROM [SYS_SYMBOL] "
               "WHERE [SYS_SYMBOL].[Picture_ID] = [SYS_SYMBOL_PICTURE].[Picture_ID])",
               kExecuteTraced);
}
