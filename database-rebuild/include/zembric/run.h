// The rebuild run: trims a component database to one edition, cleans it, stamps its history and
// compacts it, logging every step to the log file and to whatever shows the log.
#pragma once

#include "zembric/command_line.h"

#include <string>

class CDBComponent;

namespace zembric {

// What the run needs from its window: the log box, message boxes, the wait cursor and the message
// pump. Hidden runs use a console view; the dialog supplies its own.
class IRunView {
  public:
    virtual ~IRunView() = default;
    virtual void ShowLogLine(const std::string& line) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void SetWaitCursor(bool shown) = 0;
    virtual void PumpMessages() = 0;
};

class CZembricRun {
  public:
    CZembricRun(RunSettings settings, IRunView& view, std::string logPath);
    ~CZembricRun();
    CZembricRun(const CZembricRun&) = delete;
    CZembricRun& operator=(const CZembricRun&) = delete;

    // The whole run, start to end; returns its result.
    bool Run();

    bool IsBusy() const { return busy_; }
    bool GetResult() const { return result_; }
    const RunSettings& Settings() const { return settings_; }
    const std::string& LogPath() const { return logPath_; }
    const std::string& ComponentFilter() const { return componentFilter_; }
    const std::string& ModelFilter() const { return modelFilter_; }

    // One log line: to the file (best effort), to the view, then the messages are pumped.
    void Log(const std::string& line);

    // The waits of the retry loop and of the record-by-record deletion.
    static constexpr unsigned kAttempts = 5;
    static constexpr unsigned kRetryWaitMs = 10000;
    static constexpr unsigned kRecordWaitMs = 80;

  private:
    enum class Outcome { Done, StepFailed, RunFailed };

    Outcome DeletionPass();
    Outcome DeleteWithRetry(const std::string& stepText, const std::string& sql, const char* table,
                            int tableSet);
    Outcome DeleteComponentsOneByOne();
    Outcome DeleteMappingsOneByOne(int tableSet);
    Outcome RemoveDuplicateModelMappings();
    bool StampVersion();
    bool ResetFamilies();
    bool CheckOpen();
    void Pump();
    void ReportException(const std::exception& e);
    static std::string Now();

    RunSettings settings_;
    IRunView& view_;
    std::string logPath_;
    std::string componentFilter_, modelFilter_;
    CDBComponent* db_ = nullptr;
    unsigned level_ = 0;
    bool busy_ = false;
    bool result_ = false;
    bool waitCursor_ = false;
    bool stepFailed_ = false;
};

} // namespace zembric
