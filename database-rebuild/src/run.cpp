#include "zembric/run.h"

#include "database/Database.h"
#include "halbrin/CEGeneralUtil.h"
#include "platform/clock.h"
#include "platform/format.h"
#include "zembric/filter.h"
#include "zembric/log.h"
#include "zembric/string_table.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

namespace zembric {

namespace {

constexpr const char* kComponent = "[SYS_COMPONENT]";
constexpr const char* kModel = "[SYS_MODEL]";
constexpr const char* kMapSymbol = "[SYS_MAPPING_COMP_SYMBOL]";
constexpr const char* kMapPackage = "[SYS_MAPPING_COMP_PACKAGE]";
constexpr const char* kMapModel = "[SYS_MAPPING_COMP_MODEL]";
constexpr const char* kComponentId = "[Component_ID]";
constexpr const char* kModelId = "[Model_ID]";
constexpr const char* kSecOrder = "[Sec_Order]";

// A framework exception's message is read through a buffer of this size.
constexpr unsigned kErrorTextMax = 256;

std::string messageOf(const CDatabaseException& e) {
    char buffer[kErrorTextMax];
    e.GetErrorMessage(buffer, sizeof buffer);
    return buffer;
}

} // namespace

CZembricRun::CZembricRun(RunSettings settings, IRunView& view, std::string logPath)
    : settings_(std::move(settings)), view_(view), logPath_(std::move(logPath)) {
    componentFilter_ = BuildFilter(kComponent, settings_);
    modelFilter_ = BuildFilter(kModel, settings_);
}

CZembricRun::~CZembricRun() {
    IDBBasicUtil::free_database(&db_);
}

std::string CZembricRun::Now() {
    return korvane::formatTime("%B %d, %Y %H:%M:%S", korvane::clock().localNow());
}

void CZembricRun::Pump() {
    view_.PumpMessages();
    // Pumping may have let the cursor change; keep showing that the run is busy.
    if (waitCursor_) view_.SetWaitCursor(true);
}

void CZembricRun::Log(const std::string& line) {
    AppendLogLine(logPath_, line);
    view_.ShowLogLine(line);
    Pump();
}

void CZembricRun::ReportException(const std::exception& e) {
    if (auto* db = dynamic_cast<const CDatabaseException*>(&e))
        view_.ShowMessage(messageOf(*db));
    else
        view_.ShowMessage(e.what());
}

bool CZembricRun::CheckOpen() {
    if (db_ && db_->IsOpen()) return true;
    std::string level = db_ ? db_->GetDatabaseLevel().str() : korvane::format(" (level %u, closed)", level_);
    view_.ShowMessage(LoadString(IDS_NOT_OPEN) + level);
    return false;
}

bool CZembricRun::Run() {
    busy_ = true;
    stepFailed_ = false;
    bool ok = false;
    Log("Start at :: " + Now());
    waitCursor_ = true;
    view_.SetWaitCursor(true);
    Log(LoadString(IDS_OPENING) + settings_.dbPath);
    std::string openFailure;
    try {
        int opened = IDBBasicUtil::open_database_component(&db_, settings_.dbPath.c_str(), level_, false);
        if (opened != IDBBasicUtil::kOpenOk) openFailure = IDBBasicUtil::DescribeOpenError(opened);
        if (opened == IDBBasicUtil::kOpenOk && DeletionPass() != Outcome::RunFailed && StampVersion() &&
            ResetFamilies()) {
            IDBBasicUtil::free_database(&db_);
            Log(LoadString(IDS_COMPACTING) + settings_.dbPath);
            IDBBasicUtil::CompactDatabase(settings_.dbPath.c_str(), true);
            ok = true;
        }
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        view_.ShowMessage(LoadString(IDS_ERROR_TABLE) + settings_.dbPath);
    }
    IDBBasicUtil::free_database(&db_);
    waitCursor_ = false;
    view_.SetWaitCursor(false);
    busy_ = false;
    // A step that gave up (stop-on-error) lets the run go on, but the run has not done its job.
    result_ = ok && !stepFailed_;
    Log(LoadString(result_ ? IDS_DONE : IDS_FAILED));
    // Nothing else would tell the user why nothing was done.
    if (!openFailure.empty()) Log(settings_.dbPath + ": " + openFailure);
    Log("End at :: " + Now());
    return result_;
}

CZembricRun::Outcome CZembricRun::DeletionPass() {
    if (componentFilter_.empty()) return Outcome::Done;
    struct MappingStep {
        StringId text;
        const char* table;
        int tableSet;
    };
    const MappingStep steps[] = {{IDS_STEP_SYMBOLS, kMapSymbol, kTableSetMappingCompSymbol},
                                 {IDS_STEP_PACKAGES, kMapPackage, kTableSetMappingCompPackage},
                                 {IDS_STEP_MODELS, kMapModel, kTableSetMappingCompModel}};
    for (const MappingStep& step : steps) {
        std::string text = LoadString(step.text);
        Log(text);
        std::string sql =
            korvane::format("DELETE FROM %s WHERE %s IN (SELECT %s FROM %s WHERE %s)", step.table,
                            kComponentId, kComponentId, kComponent, componentFilter_.c_str());
        if (DeleteWithRetry(text, sql, step.table, step.tableSet) == Outcome::RunFailed)
            return Outcome::RunFailed;
    }
    std::string text = LoadString(IDS_STEP_COMPONENTS);
    Log(text);
    std::string sql = korvane::format("DELETE FROM %s WHERE %s ", kComponent, componentFilter_.c_str());
    if (DeleteWithRetry(text, sql, kComponent, kTableSetComponent) == Outcome::RunFailed)
        return Outcome::RunFailed;

    if (!modelFilter_.empty()) {
        Log(LoadString(IDS_STEP_MODELS_PASS2));
        if (RemoveDuplicateModelMappings() == Outcome::RunFailed) return Outcome::RunFailed;
    }
    Log(LoadString(IDS_STEP_MODELS_PASS3));
    if (!CheckOpen()) return Outcome::RunFailed;
    CCEGeneralUtil(db_).Clearup_all_unlinked_model();
    Log(LoadString(IDS_STEP_SYMBOL_PICTURES));
    if (!CheckOpen()) return Outcome::RunFailed;
    CCEGeneralUtil(db_).Clearup_all_unlinked_symbol_picture();
    return Outcome::Done;
}

CZembricRun::Outcome CZembricRun::DeleteWithRetry(const std::string& stepText, const std::string& sql,
                                                  const char* table, int tableSet) {
    if (!CheckOpen()) {
        stepFailed_ = true;
        return Outcome::StepFailed;
    }
    std::string error;
    for (unsigned attempt = 0;;) {
        try {
            db_->Execute(sql.c_str(), 0);
            return Outcome::Done;
        } catch (const CDatabaseException& e) {
            error = messageOf(e);
        } catch (const std::exception&) {
            error = LoadString(IDS_ERROR_TABLE) + table;
        }
        if (attempt >= kAttempts) break;
        ++attempt;
        Log(korvane::format("%s(%s %u)", stepText.c_str(), LoadString(IDS_ATTEMPT).c_str(), attempt));
        korvane::clock().sleepMs(kRetryWaitMs);
    }
    if (settings_.stopOnError) {
        view_.ShowMessage(error);
        stepFailed_ = true;
        return Outcome::StepFailed;
    }
    Log(korvane::format("%s(%s 2)", stepText.c_str(), LoadString(IDS_PASS).c_str()));
    return tableSet == kTableSetComponent ? DeleteComponentsOneByOne() : DeleteMappingsOneByOne(tableSet);
}

CZembricRun::Outcome CZembricRun::DeleteComponentsOneByOne() {
    db_->OpenTableSet(kTableSetComponent, componentFilter_.c_str(), nullptr);
    if (!db_->IsTableOpen(kTableSetComponent)) return Outcome::RunFailed;
    while (!db_->IsTableEmpty(kTableSetComponent)) {
        korvane::clock().sleepMs(kRecordWaitMs);
        db_->Delete(kTableSetComponent);
        Pump();
        db_->MoveNextRecord(kTableSetComponent);
    }
    db_->CloseTableSet(kTableSetComponent);
    return Outcome::Done;
}

CZembricRun::Outcome CZembricRun::DeleteMappingsOneByOne(int tableSet) {
    db_->OpenTableSet(tableSet, nullptr, nullptr);
    if (!db_->IsTableOpen(tableSet)) return Outcome::RunFailed;
    while (!db_->IsTableEmpty(tableSet)) {
        long id = 0;
        bool have = tableSet == kTableSetMappingCompSymbol    ? db_->GetMappingCompSymbolCompID(id)
                    : tableSet == kTableSetMappingCompPackage ? db_->GetMappingCompPackageCompID(id)
                                                              : db_->GetMappingCompModelCompID(id);
        if (have) {
            std::string sql =
                korvane::format("SELECT %s FROM %s WHERE %s = %u AND (%s)", kComponentId, kComponent,
                                kComponentId, static_cast<unsigned>(id), componentFilter_.c_str());
            db_->OpenSQLDirectSet(sql.c_str());
            if (db_->IsTableOpen_SQLDirectSet() && !db_->IsTableEmpty_SQLDirectSet()) db_->Delete(tableSet);
            db_->CloseSQLDirectSet();
        }
        Pump();
        db_->MoveNextRecord(tableSet);
    }
    db_->CloseTableSet(tableSet);
    return Outcome::Done;
}

CZembricRun::Outcome CZembricRun::RemoveDuplicateModelMappings() {
    if (!CheckOpen()) {
        stepFailed_ = true;
        return Outcome::StepFailed;
    }
    // Each listed row is deleted by its row id: identical rows would otherwise all go at once, taking
    // the row that must stay with them.
    struct Listed {
        unsigned id;
        std::string modelId;
        int order;
        long rowid;
    };
    std::vector<Listed> listed;
    // The size of each row's group (all its component's mappings in that section, whatever their
    // model), from one grouped statement over the table's index beforehand: a fresh count query per
    // row would cost a statement each. Only groups of more than one row are kept; any other row is alone
    // in its group.
    std::vector<std::pair<std::uint64_t, long>> groups; // (component id, section order) → size
    auto groupKey = [](long id, short order) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) << 16) |
               static_cast<std::uint16_t>(order);
    };
    std::string grouped = korvane::format("SELECT %s, %s, count(*) AS [Group_Count] FROM %s GROUP BY 1, 2 "
                                          "HAVING count(*) > 1",
                                          kComponentId, kSecOrder, kMapModel);
    db_->OpenSQLDirectSet(grouped.c_str());
    if (!db_->IsTableOpen_SQLDirectSet()) {
        view_.ShowMessage(LoadString(IDS_ERROR_TABLE) + kMapModel + " " + db_->GetLastOpenError());
        stepFailed_ = true;
        return Outcome::StepFailed;
    }
    while (!db_->IsTableEmpty_SQLDirectSet()) {
        long id = 0, count = 0;
        short order = 0;
        db_->GetFieldValue_SQLDirectSet(kComponentId, id);
        db_->GetFieldValue_SQLDirectSet(kSecOrder, order);
        db_->GetFieldValue_SQLDirectSet("[Group_Count]", count);
        groups.emplace_back(groupKey(id, order), count);
        Pump();
        db_->MoveNextRecord_SQLDirectSet();
    }
    db_->CloseSQLDirectSet();
    std::sort(groups.begin(), groups.end());
    auto groupSize = [&](long id, short order) {
        auto it = std::lower_bound(groups.begin(), groups.end(), std::pair{groupKey(id, order), LONG_MIN});
        return it != groups.end() && it->first == groupKey(id, order) ? it->second : 1L;
    };
    std::string query = korvane::format("SELECT %s, %s, %s, rowid AS [Row_ID] FROM %s "
                                        "WHERE %s IN (SELECT %s FROM %s WHERE %s) ORDER BY 1 ASC, 3 ASC",
                                        kComponentId, kModelId, kSecOrder, kMapModel, kModelId, kModelId,
                                        kModel, modelFilter_.c_str());
    db_->OpenSQLDirectSet(query.c_str());
    if (!db_->IsTableOpen_SQLDirectSet()) {
        view_.ShowMessage(LoadString(IDS_ERROR_TABLE) + kMapModel + " " + db_->GetLastOpenError());
        stepFailed_ = true;
        return Outcome::StepFailed;
    }
    bool first = true;
    long lastId = 0;
    short lastOrder = 0;
    unsigned counter = 0;
    while (!db_->IsTableEmpty_SQLDirectSet()) {
        long id = 0, rowid = 0;
        short order = 0;
        CString modelId;
        db_->GetFieldValue_SQLDirectSet(kComponentId, id);
        db_->GetFieldValue_SQLDirectSet(kModelId, modelId);
        db_->GetFieldValue_SQLDirectSet(kSecOrder, order);
        db_->GetFieldValue_SQLDirectSet("[Row_ID]", rowid);
        if (first || id != lastId || order != lastOrder) counter = 0;
        first = false;
        lastId = id;
        lastOrder = order;
        if (static_cast<long>(counter) + 1 < groupSize(id, order)) {
            ++counter;
            listed.push_back({static_cast<unsigned>(id), modelId.str(), order, rowid});
        }
        Pump();
        db_->MoveNextRecord_SQLDirectSet();
    }
    db_->CloseSQLDirectSet();
    for (const Listed& row : listed) {
        std::string sql = korvane::format(
            "DELETE FROM %s WHERE %s = %u AND %s = '%s' AND %s = %d AND rowid = %ld", kMapModel, kComponentId,
            row.id, kModelId, QuoteSqlText(row.modelId).c_str(), kSecOrder, row.order, row.rowid);
        db_->Execute(sql.c_str(), 0);
        Pump();
    }
    return Outcome::Done;
}

bool CZembricRun::StampVersion() {
    Log(LoadString(IDS_STEP_HISTORY));
    if (!CheckOpen()) return false;
    CString version = IDBBasicUtil::GetDatabaseLatestVersion(db_);
    if (version.IsEmpty()) version = kFirstVersion;
    IDBBasicUtil::SetDatabaseVersion(db_, version, LoadString(IDS_HISTORY_COMMENT).c_str());
    return true;
}

bool CZembricRun::ResetFamilies() {
    Log(LoadString(IDS_RESET_FLAGS));
    if (!CheckOpen()) return false;
    CDBGeneralUtil util(db_);
    util.reset_flags_on_family_table_all(nullptr, "", nullptr);
    util.reset_flags_on_family_group_table_all(nullptr, "", nullptr);
    util.clear_empty_item_on_family_table_all();
    util.clear_empty_item_on_family_group_table_all();
    return true;
}

} // namespace zembric
