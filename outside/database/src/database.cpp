#include "database/Database.h"

#include "platform/clock.h"
#include "platform/format.h"

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

CBenlowDatabase::StatementTrace& traceSink() {
    static CBenlowDatabase::StatementTrace sink;
    return sink;
}

bool onlyWhitespace(const char* s) {
    for (; s && *s; ++s)
        if (!std::isspace(static_cast<unsigned char>(*s))) return false;
    return true;
}

// The table each table set walks, and the column that holds the component id.
const char* tableOf(int tableSet) {
    switch (tableSet) {
    case kTableSetComponent:
        return "[SYS_COMPONENT]";
    case kTableSetMappingCompSymbol:
        return "[SYS_MAPPING_COMP_SYMBOL]";
    case kTableSetMappingCompModel:
        return "[SYS_MAPPING_COMP_MODEL]";
    case kTableSetMappingCompPackage:
        return "[SYS_MAPPING_COMP_PACKAGE]";
    default:
        return nullptr;
    }
}

// A prepared statement that finalizes itself.
struct Statement {
    sqlite3_stmt* s = nullptr;
    ~Statement() { sqlite3_finalize(s); }
};

} // namespace

// ---------------------------------------------------------------------------------------------------

CDatabaseException::CDatabaseException(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

bool CDatabaseException::GetErrorMessage(char* buffer, unsigned max) const {
    if (!buffer || max == 0) return false;
    const char* msg = what();
    size_t n = std::strlen(msg);
    if (n > max - 1) {
        n = max - 1;
        // Step back over continuation bytes so that no character is cut in half.
        while (n > 0 && (static_cast<unsigned char>(msg[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(buffer, msg, n);
    buffer[n] = '\0';
    return true;
}

// ---------------------------------------------------------------------------------------------------

CBenlowDatabase::CBenlowDatabase() = default;

CBenlowDatabase::~CBenlowDatabase() {
    CloseFile();
}

void CBenlowDatabase::SetStatementTrace(StatementTrace trace) {
    traceSink() = std::move(trace);
}

void CBenlowDatabase::Trace(const std::string& sql) {
    if (traceSink()) traceSink()(sql);
}

void CBenlowDatabase::Raise(int code) const {
    std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    throw CDatabaseException(code, msg);
}

void CBenlowDatabase::OpenFile(const char* path, unsigned level, bool readOnly) {
    CloseFile();
    sqlite3* db = nullptr;
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path, &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw CDatabaseException(rc, msg);
    }
    sqlite3_extended_result_codes(db, 0);
    // A locked table fails at once: callers decide whether and when to try again.
    sqlite3_busy_timeout(db, 0);
    db_ = db;
    level_ = level;
    path_ = path;
    restoreJournal_.clear();
}

void CBenlowDatabase::ApplyWriteSettings() {
    // A run issues many small deletions; with a write-ahead log and syncing at checkpoints they cost no
    // disk flush each, and a crash still leaves a consistent file. The file's own journal mode is put
    // back on closing. Only ever called on a file already known to be a component database: switching
    // the journal mode rewrites the file's header.
    // Best effort: while another connection holds a lock the file keeps its own mode, which only costs
    // time.
    try {
        std::string mode = QueryText("PRAGMA journal_mode");
        if (!mode.empty() && mode != "wal" && QueryText("PRAGMA journal_mode = WAL") == "wal")
            restoreJournal_ = mode;
        Execute("PRAGMA synchronous = NORMAL", kExecuteQuiet);
        // Set-wide deletions touch pages all over the mapping tables and their indexes; the default
        // 2 MiB cache makes them re-read the same pages many times.
        Execute("PRAGMA cache_size = -65536", kExecuteQuiet);
    } catch (const CDatabaseException&) {
    }
}

std::string CBenlowDatabase::QueryText(const char* sql) {
    sqlite3_stmt* st = Prepare(sql);
    std::string out;
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(st, 0);
        if (t) out = reinterpret_cast<const char*>(t);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) Raise(rc);
    return out;
}

void CBenlowDatabase::CloseFile() {
    if (!db_) return;
    if (!restoreJournal_.empty()) {
        std::string sql = "PRAGMA journal_mode = " + restoreJournal_;
        sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); // best effort: WAL is still a valid file
    }
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

sqlite3_stmt* CBenlowDatabase::Prepare(const std::string& sql) const {
    if (!db_) throw CDatabaseException(SQLITE_MISUSE, "database not open");
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()) + 1, &stmt, &tail);
    if (rc != SQLITE_OK) Raise(rc);
    if (!stmt) throw CDatabaseException(SQLITE_MISUSE, "empty statement");
    if (!onlyWhitespace(tail)) {
        sqlite3_finalize(stmt);
        throw CDatabaseException(SQLITE_MISUSE, "more than one statement in one call");
    }
    return stmt;
}

void CBenlowDatabase::Execute(const char* sql, int options) {
    Statement st;
    st.s = Prepare(sql ? sql : "");
    if (!(options & kExecuteQuiet)) Trace(sql);
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) Raise(rc);
}

long CBenlowDatabase::GetChangedRowCount() const {
    return db_ ? static_cast<long>(sqlite3_changes(db_)) : 0;
}

CString CBenlowDatabase::GetDatabaseLevel() const {
    if (!db_) return CString(korvane::format(" (level %u, closed)", level_));
    return CString(korvane::format(" (level %u, %s)", level_, path_.c_str()));
}

// ---------------------------------------------------------------------------------------------------

CDBComponent::CDBComponent() = default;

CDBComponent::~CDBComponent() {
    CloseSQLDirectSet();
}

const CDBComponent::TableSet* CDBComponent::Find(int tableSet) const {
    auto it = sets_.find(tableSet);
    return it == sets_.end() ? nullptr : &it->second;
}

CDBComponent::TableSet* CDBComponent::Find(int tableSet) {
    auto it = sets_.find(tableSet);
    return it == sets_.end() ? nullptr : &it->second;
}

void CDBComponent::OpenTableSet(int tableSet, const char* filter, void* reserved) {
    CloseTableSet(tableSet);
    lastOpenError_.clear();
    const char* table = tableOf(tableSet);
    if (!table || reserved) {
        lastOpenError_ = "unknown table set";
        return;
    }
    std::string sql = korvane::format("SELECT rowid FROM %s", table);
    if (filter && *filter) sql += korvane::format(" WHERE %s", filter);
    try {
        Statement st;
        st.s = Prepare(sql);
        TableSet set;
        int rc;
        while ((rc = sqlite3_step(st.s)) == SQLITE_ROW)
            set.rowids.push_back(sqlite3_column_int64(st.s, 0));
        if (rc != SQLITE_DONE) Raise(rc);
        sets_[tableSet] = std::move(set);
    } catch (const CDatabaseException& e) {
        lastOpenError_ = e.what();
    }
}

bool CDBComponent::IsTableOpen(int tableSet) const {
    return Find(tableSet) != nullptr;
}

bool CDBComponent::IsTableEmpty(int tableSet) const {
    const TableSet* set = Find(tableSet);
    return !set || set->at >= set->rowids.size();
}

bool CDBComponent::MoveNextRecord(int tableSet) {
    TableSet* set = Find(tableSet);
    if (!set || set->at >= set->rowids.size()) return false;
    ++set->at;
    return set->at < set->rowids.size();
}

void CDBComponent::Delete(int tableSet) {
    TableSet* set = Find(tableSet);
    if (!set || set->at >= set->rowids.size())
        throw CDatabaseException(SQLITE_MISUSE, "no current record to delete");
    Execute(korvane::format("DELETE FROM %s WHERE rowid = %lld", tableOf(tableSet),
                            static_cast<long long>(set->rowids[set->at]))
                .c_str(),
            kExecuteTraced);
}

void CDBComponent::CloseTableSet(int tableSet) {
    sets_.erase(tableSet);
}

long CDBComponent::GetNumRecordCount(int tableSet) const {
    const TableSet* set = Find(tableSet);
    return set ? static_cast<long>(set->rowids.size()) : 0;
}

bool CDBComponent::CurrentComponentId(int tableSet, long& id) {
    TableSet* set = Find(tableSet);
    if (!set || set->at >= set->rowids.size()) return false;
    Statement st;
    st.s = Prepare(korvane::format("SELECT [Component_ID] FROM %s WHERE rowid = %lld", tableOf(tableSet),
                                   static_cast<long long>(set->rowids[set->at])));
    int rc = sqlite3_step(st.s);
    if (rc == SQLITE_DONE) return false; // the record was deleted meanwhile
    if (rc != SQLITE_ROW) Raise(rc);
    id = static_cast<long>(sqlite3_column_int64(st.s, 0));
    return true;
}

bool CDBComponent::GetMappingCompSymbolCompID(long& id) {
    return CurrentComponentId(kTableSetMappingCompSymbol, id);
}
bool CDBComponent::GetMappingCompPackageCompID(long& id) {
    return CurrentComponentId(kTableSetMappingCompPackage, id);
}
bool CDBComponent::GetMappingCompModelCompID(long& id) {
    return CurrentComponentId(kTableSetMappingCompModel, id);
}

void CDBComponent::OpenSQLDirectSet(const char* sql) {
    CloseSQLDirectSet();
    lastOpenError_.clear();
    try {
        direct_ = Prepare(sql ? sql : "");
        if (sqlite3_column_count(direct_) == 0) {
            CloseSQLDirectSet();
            lastOpenError_ = "not a query";
            return;
        }
        Step();
    } catch (const CDatabaseException& e) {
        CloseSQLDirectSet();
        lastOpenError_ = e.what();
    }
}

void CDBComponent::Step() {
    int rc = sqlite3_step(direct_);
    if (rc == SQLITE_ROW) {
        directRow_ = true;
    } else {
        directRow_ = false;
        if (rc != SQLITE_DONE) Raise(rc);
    }
}

bool CDBComponent::MoveNextRecord_SQLDirectSet() {
    if (!direct_ || !directRow_) return false;
    Step();
    return directRow_;
}

void CDBComponent::CloseSQLDirectSet() {
    sqlite3_finalize(direct_);
    direct_ = nullptr;
    directRow_ = false;
}

int CDBComponent::ColumnIndex(const char* column) const {
    if (!direct_ || !directRow_ || !column) return -1;
    int n = sqlite3_column_count(direct_);
    std::string want = column;
    // Accept the name with or without its brackets.
    if (want.size() >= 2 && want.front() == '[' && want.back() == ']') want = want.substr(1, want.size() - 2);
    for (int i = 0; i < n; ++i) {
        const char* name = sqlite3_column_name(direct_, i);
        if (name && strcasecmp(name, want.c_str()) == 0) return i;
    }
    return -1;
}

bool CDBComponent::GetFieldValue_SQLDirectSet(const char* column, long& value) {
    int i = ColumnIndex(column);
    if (i < 0) return false;
    value = static_cast<long>(sqlite3_column_int64(direct_, i));
    return true;
}

bool CDBComponent::GetFieldValue_SQLDirectSet(const char* column, short& value) {
    int i = ColumnIndex(column);
    if (i < 0) return false;
    value = static_cast<short>(sqlite3_column_int(direct_, i));
    return true;
}

bool CDBComponent::GetFieldValue_SQLDirectSet(const char* column, CString& value) {
    int i = ColumnIndex(column);
    if (i < 0) return false;
    const unsigned char* text = sqlite3_column_text(direct_, i);
    int bytes = sqlite3_column_bytes(direct_, i);
    value = CString(
        std::string(text ? reinterpret_cast<const char*>(text) : "", text ? static_cast<size_t>(bytes) : 0));
    return true;
}

// ---------------------------------------------------------------------------------------------------

int IDBBasicUtil::open_database_component(CDBComponent** slot, const char* path, unsigned level,
                                          bool readOnly) {
    if (!slot) return kOpenBadArgument;
    free_database(slot);
    if (!path || !*path) return kOpenBadArgument;
    // Told apart before SQLite sees the path, so that the caller can say which it was.
    struct stat file {};
    if (::stat(path, &file) != 0) return errno == ENOENT || errno == ENOTDIR ? kOpenMissing : SQLITE_CANTOPEN;
    if (!S_ISREG(file.st_mode)) return kOpenNotAFile;
    auto* db = new CDBComponent;
    try {
        // Nothing below writes to the file until it is known to be a component database that can be
        // written: a refused file is left byte for byte as it was.
        db->OpenFile(path, level, readOnly);
        // Reading the catalogue makes SQLite look at the file: a file that is not a database fails here.
        std::string tables =
            db->QueryText("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                          "('SYS_COMPONENT', 'SYS_MODEL', 'SYS_MAPPING_COMP_SYMBOL', "
                          "'SYS_MAPPING_COMP_PACKAGE', 'SYS_MAPPING_COMP_MODEL', "
                          "'SYS_VERSION_HISTORY')");
        if (tables != "6") {
            delete db;
            return kOpenNotComponentDatabase;
        }
        if (!readOnly) {
            // A file or folder that cannot be written fails every later statement, and no retry can
            // change that. SQLite quietly opens a file it may not write read-only.
            if (sqlite3_db_readonly(db->Handle(), "main") != 0 || ::access(path, W_OK) != 0) {
                delete db;
                return kOpenReadOnlyFile;
            }
            // The journal and the write-ahead log are created beside the file.
            std::string folder = path;
            size_t slash = folder.find_last_of('/');
            folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
            if (::access(folder.c_str(), W_OK | X_OK) != 0) {
                delete db;
                return kOpenReadOnlyFolder;
            }
            db->ApplyWriteSettings();
        }
    } catch (const CDatabaseException& e) {
        delete db;
        return e.GetErrorCode() == 0 ? kOpenNotComponentDatabase : e.GetErrorCode();
    }
    *slot = db;
    return kOpenOk;
}

std::string IDBBasicUtil::DescribeOpenError(int code) {
    switch (code) {
    case kOpenOk:
        return "opened";
    case kOpenBadArgument:
        return "no database path was given";
    case kOpenMissing:
        return "the file does not exist";
    case kOpenNotAFile:
        return "it is not a file";
    case kOpenNotComponentDatabase:
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return "it is not a component database";
    case kOpenReadOnlyFile:
    case SQLITE_READONLY:
        return "the file is read-only";
    case kOpenReadOnlyFolder:
        return "its folder is read-only (the journal is written beside the file)";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "it is locked by another program";
    default:
        return sqlite3_errstr(code);
    }
}

CString IDBBasicUtil::GetDatabaseLatestVersion(CDBComponent* db) {
    if (!db || !db->IsOpen()) throw CDatabaseException(SQLITE_MISUSE, "database not open");
    Statement st;
    st.s = db->Prepare("SELECT [Version] FROM [SYS_VERSION_HISTORY] ORDER BY [History_ID] DESC LIMIT 1");
    int rc = sqlite3_step(st.s);
    if (rc == SQLITE_DONE) return CString();
    if (rc != SQLITE_ROW) db->Raise(rc);
    const unsigned char* text = sqlite3_column_text(st.s, 0);
    return CString(text ? reinterpret_cast<const char*>(text) : "");
}

void IDBBasicUtil::SetDatabaseVersion(CDBComponent* db, const char* version, const char* comment) {
    if (!db || !db->IsOpen()) throw CDatabaseException(SQLITE_MISUSE, "database not open");
    std::string when = korvane::formatTime("%Y-%m-%d %H:%M:%S", korvane::clock().localNow());
    Statement st;
    st.s =
        db->Prepare("INSERT INTO [SYS_VERSION_HISTORY] ([Version], [Comment], [Created]) VALUES (?, ?, ?)");
    sqlite3_bind_text(st.s, 1, version ? version : "", -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st.s, 2, comment ? comment : "", -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st.s, 3, when.c_str(), -1, SQLITE_TRANSIENT);
    char* expanded = sqlite3_expanded_sql(st.s);
    CBenlowDatabase::Trace(expanded ? expanded : sqlite3_sql(st.s));
    sqlite3_free(expanded);
    int rc = sqlite3_step(st.s);
    if (rc != SQLITE_DONE) db->Raise(rc);
}

void IDBBasicUtil::free_database(CDBComponent** slot) {
    if (!slot || !*slot) return;
    delete *slot;
    *slot = nullptr;
}

void IDBBasicUtil::CompactDatabase(const char* path, bool exclusive) {
    CDBComponent db;
    // In the file's own journal mode: under a write-ahead log every page of the rebuilt file would be
    // written twice, once to the log and again at the checkpoint.
    db.OpenFile(path ? path : "", 0, false);
    if (exclusive) db.Execute("PRAGMA locking_mode = EXCLUSIVE", kExecuteQuiet);
    db.Execute("PRAGMA cache_size = -65536", kExecuteQuiet);
    db.Execute("VACUUM", kExecuteTraced);
}

// ---------------------------------------------------------------------------------------------------

CBenlowDatabase& CDBGeneralUtil::Db() {
    if (!db_ || !db_->IsOpen()) throw CDatabaseException(SQLITE_MISUSE, "database not open");
    return *db_;
}

namespace {
void resetFlags(CBenlowDatabase& db, const char* table, const long* flags, const char* status,
                IDBProgress* progress) {
    if (progress && status && *status) progress->Progress(status);
    db.Execute(korvane::format("UPDATE %s SET [Flags] = %ld", table, flags ? *flags : 0L).c_str(),
               kExecuteTraced);
}
} // namespace

void CDBGeneralUtil::reset_flags_on_family_table_all(const long* flags, const char* status,
                                                     IDBProgress* progress) {
    resetFlags(Db(), "[SYS_FAMILY]", flags, status, progress);
}

void CDBGeneralUtil::reset_flags_on_family_group_table_all(const long* flags, const char* status,
                                                           IDBProgress* progress) {
    resetFlags(Db(), "[SYS_FAMILY_GROUP]", flags, status, progress);
}

void CDBGeneralUtil::clear_empty_item_on_family_table_all() {
    Db().Execute("DELETE FROM [SYS_FAMILY] WHERE NOT EXISTS (SELECT 1 FROM [SYS_COMPONENT] "
                 "WHERE [SYS_COMPONENT].[Family_ID] = [SYS_FAMILY].[Family_ID])",
                 kExecuteTraced);
}

void CDBGeneralUtil::clear_empty_item_on_family_group_table_all() {
    Db().Execute("DELETE FROM [SYS_FAMILY_GROUP] WHERE NOT EXISTS (SELECT 1 FROM [SYS_FAMILY] "
                 "WHERE [SYS_FAMILY].[Group_ID] = [SYS_FAMILY_GROUP].[Group_ID])",
                 kExecuteTraced);
}
