// Vostrel5: reads the layout program's change log and hands out one record per change.
#pragma once

#include "platform/cstring.h"

#include <string>
#include <vector>

// One change: its action id and its text parameters in order.
class CBackAnnotationRecord {
  public:
    int GetActionID() const { return id_; }
    // Refills `params` with this record's parameters.
    void GetParameters(std::vector<CString>& params) const;

  private:
    friend class CBackAnnotationManager;
    int id_ = 0;
    std::vector<std::string> params_;
};

class CBackAnnotationManager {
  public:
    // The one open mode: read the whole log now.
    static constexpr int kModeRead = 2;

    enum StatusCode {
        kOk = 0,
        kCannotRead = 1,
        kNotALog = 2,
        kUnknownVersion = 3,
        kMalformed = 4,
        kBadMode = 5
    };

    CBackAnnotationManager(const char* logPath, int mode);

    // Non-zero when the log cannot be used; GetLastError() then says why and where.
    int Status() const { return status_; }
    CString GetLastError() const { return CString(error_); }

    int GetLogEntryCount() const { return static_cast<int>(entries_.size()); }
    // Fills `record` with entry i (0-based); 0 when there is no such entry or it was withdrawn.
    int GetLogEntry(int i, CBackAnnotationRecord& record) const;
    // Lets go of the records read; the log file itself is left as it is.
    void Remove();

  private:
    struct Entry {
        bool withdrawn = false;
        CBackAnnotationRecord record;
    };
    void Read(const std::string& path);
    void Fail(int status, std::string message);

    int status_ = kOk;
    std::string error_;
    std::vector<Entry> entries_;
};
