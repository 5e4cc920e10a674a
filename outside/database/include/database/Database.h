// Component database access over SQLite: the open database, its record cursors ("table sets" and
// direct SELECT sets), version history, family maintenance and compaction.
//
// Every failure that SQLite reports raises CDatabaseException carrying SQLite's own message, except
// where an operation says it reports success through a query (OpenTableSet, OpenSQLDirectSet).
#pragma once

#include "platform/cstring.h"

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The database library's exception: SQLite's result code and message.
class CDatabaseException : public std::runtime_error {
  public:
    CDatabaseException(int code, const std::string& message);
    int GetErrorCode() const { return code_; }
    // Copies the message into buffer (at most max - 1 bytes, never splitting a UTF-8 character) and
    // terminates it. Returns false when there is no room at all.
    bool GetErrorMessage(char* buffer, unsigned max) const;

  private:
    int code_;
};

// Table-set identifiers: which table a record cursor walks.
enum DBTableSet : int {
    kTableSetComponent = 0,
    kTableSetMappingCompSymbol = 10,
    kTableSetMappingCompModel = 11,
    kTableSetMappingCompPackage = 12,
};

// Options of CBenlowDatabase::Execute.
enum : int {
    kExecuteTraced = 0, // the statement is reported to the statement trace
    kExecuteQuiet = 1,  // not reported (internal housekeeping)
};

class CBenlowDatabase {
  public:
    CBenlowDatabase();
    virtual ~CBenlowDatabase();
    CBenlowDatabase(const CBenlowDatabase&) = delete;
    CBenlowDatabase& operator=(const CBenlowDatabase&) = delete;

    bool IsOpen() const { return db_ != nullptr; }
    // Runs exactly one SQL statement; trailing text after it is refused, so that a statement cannot
    // smuggle a second one in.
    void Execute(const char* sql, int options);
    // " (level N, path)" or " (closed)": appended to messages about the database's state.
    CString GetDatabaseLevel() const;
    const std::string& GetPath() const { return path_; }
    // Number of rows the last successful Execute changed.
    long GetChangedRowCount() const;

    // Receives the text of every statement that changes the database, in the order they run. Tests and
    // the benchmark watch it; nullptr switches it off.
    using StatementTrace = std::function<void(const std::string&)>;
    static void SetStatementTrace(StatementTrace trace);

  protected:
    friend class IDBBasicUtil;
    // Opens the connection only (never creating the file); raises.
    void OpenFile(const char* path, unsigned level, bool readOnly);
    // The connection settings of a writing run (write-ahead log and its companions).
    void ApplyWriteSettings();
    void CloseFile();
    sqlite3* Handle() const { return db_; }
    [[noreturn]] void Raise(int code) const;
    sqlite3_stmt* Prepare(const std::string& sql) const; // raises
    static void Trace(const std::string& sql);
    std::string QueryText(const char* sql); // first column of the first row; raises

  private:
    sqlite3* db_ = nullptr;
    std::string restoreJournal_;
    unsigned level_ = 0;
    std::string path_;
};

class CDBComponent : public CBenlowDatabase {
  public:
    CDBComponent();
    ~CDBComponent() override;

    // Opens a record cursor over one table, restricted by an SQL condition (filter) or unrestricted
    // (nullptr). The rows are fixed at opening; IsTableOpen tells whether it worked. reserved must be
    // null.
    void OpenTableSet(int tableSet, const char* filter, void* reserved);
    bool IsTableOpen(int tableSet) const;
    // True once the cursor is past the last record (or when the set is not open).
    bool IsTableEmpty(int tableSet) const;
    bool MoveNextRecord(int tableSet);
    // Deletes the current record; the cursor stays on it until moved. Raises on failure.
    void Delete(int tableSet);
    void CloseTableSet(int tableSet);
    long GetNumRecordCount(int tableSet) const;
    // Component id of the current record of the mapping table sets; false when there is none.
    bool GetMappingCompSymbolCompID(long& id);
    bool GetMappingCompPackageCompID(long& id);
    bool GetMappingCompModelCompID(long& id);
    // The error of the last open that failed (empty after a successful one).
    const std::string& GetLastOpenError() const { return lastOpenError_; }

    // A forward cursor over an arbitrary SELECT. Only one is open at a time.
    void OpenSQLDirectSet(const char* sql);
    bool IsTableOpen_SQLDirectSet() const { return direct_ != nullptr; }
    bool IsTableEmpty_SQLDirectSet() const { return direct_ == nullptr || !directRow_; }
    bool MoveNextRecord_SQLDirectSet(); // raises when SQLite fails mid-walk
    void CloseSQLDirectSet();
    // Value of a column of the current row, by its result name (case-insensitive). False when there
    // is no current row or no such column; a NULL value reads as 0 or the empty text.
    bool GetFieldValue_SQLDirectSet(const char* column, long& value);
    bool GetFieldValue_SQLDirectSet(const char* column, short& value);
    bool GetFieldValue_SQLDirectSet(const char* column, CString& value);

  private:
    struct TableSet {
        std::vector<std::int64_t> rowids;
        size_t at = 0;
    };
    const TableSet* Find(int tableSet) const;
    TableSet* Find(int tableSet);
    bool CurrentComponentId(int tableSet, long& id);
    void Step(); // advances the direct set; raises on error
    int ColumnIndex(const char* column) const;

    std::map<int, TableSet> sets_;
    sqlite3_stmt* direct_ = nullptr;
    bool directRow_ = false;
    std::string lastOpenError_;
};

// Receives progress texts of the long family operations; may be null.
class IDBProgress {
  public:
    virtual ~IDBProgress() = default;
    virtual void Progress(const char* text) = 0;
};

class IDBBasicUtil {
  public:
    // Result codes of open_database_component besides SQLite's own.
    static constexpr int kOpenOk = 0;
    static constexpr int kOpenBadArgument = 1001;
    static constexpr int kOpenNotComponentDatabase = 1002;
    static constexpr int kOpenMissing = 1003;
    static constexpr int kOpenNotAFile = 1004;
    static constexpr int kOpenReadOnlyFile = 1005;
    static constexpr int kOpenReadOnlyFolder = 1006; // the file may be written, its folder not

    // Opens the component database at path (which must exist) into *slot. Returns 0 on success,
    // otherwise an error code and *slot stays null. Whatever *slot held before is freed first. Opening
    // for writing also checks that the file and its folder can be written. A file that is refused is
    // left exactly as it was, and no file is ever created.
    static int open_database_component(CDBComponent** slot, const char* path, unsigned level, bool readOnly);
    // Why an open failed, in a few words, for a result code of open_database_component.
    static std::string DescribeOpenError(int code);
    // Latest entry of the version history, empty when there is none.
    static CString GetDatabaseLatestVersion(CDBComponent* db);
    // Adds an entry to the version history (with the current local time).
    static void SetDatabaseVersion(CDBComponent* db, const char* version, const char* comment);
    // Closes and frees *slot; the slot becomes null. Safe on a null slot.
    static void free_database(CDBComponent** slot);
    // Compacts a closed database file. exclusive keeps other processes out while it runs.
    static void CompactDatabase(const char* path, bool exclusive);
};

// Family and family-group maintenance on an open database.
class CDBGeneralUtil {
  public:
    explicit CDBGeneralUtil(CDBComponent* db) : db_(db) {}
    // Sets the flags of every family (group) to *flags, or clears them when flags is null. status,
    // when not empty, is passed to the progress receiver before the work.
    void reset_flags_on_family_table_all(const long* flags, const char* status, IDBProgress* progress);
    void reset_flags_on_family_group_table_all(const long* flags, const char* status, IDBProgress* progress);
    // Removes families no component belongs to, and family groups no family belongs to.
    void clear_empty_item_on_family_table_all();
    void clear_empty_item_on_family_group_table_all();

  private:
    CBenlowDatabase& Db();
    CDBComponent* db_;
};
