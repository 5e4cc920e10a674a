// Applying the confirmed records of the action file to the schematic program, and the action log
// that reports each of them back to it.
#pragma once

#include "automation/schematic.h"
#include "backann/action_records.h"

#include <string>
#include <vector>

namespace tandrel {

// The action log text: a header (with the layout log's name when there is one), then one line per
// processed record, each ended by a tab, two hyphens and CR LF.
class ActionLog {
  public:
    void Start(const std::string& logPath);
    bool Started() const { return started_; }
    void AddLine(const std::string& line);
    const std::string& Text() const { return text_; }

  private:
    bool started_ = false;
    std::string text_;
};

// Applies the records in order. Renumbers are gathered and sent as one batch before the next record
// that is not a renumber, and after the last record. A call that changes the schematic and times out
// gives its line the prefix "Not known: " (the program may still carry it out).
void ApplyRecords(korvane::automation::SchematicProgram& schematic, const std::vector<ActionRecord>& records,
                  ActionLog& log);
// The same; false, with `failure` saying why and after how many records, when the schematic program
// ended or stopped answering (three calls in a row timed out) part way. Nothing more is called then.
bool ApplyRecords(korvane::automation::SchematicProgram& schematic, const std::vector<ActionRecord>& records,
                  ActionLog& log, std::string& failure);

// The whole applying pass on a running schematic program: begin the run, apply the action file,
// hand over the action log and end the run. Returns the action log. The action file is deleted only
// when the schematic program took the action log; when it ended, stopped answering or did not take
// the log, the file is kept and `failure` (when given) says so; otherwise `failure` is emptied.
std::string ApplyActionFile(korvane::automation::Dispatch& schematicObject, const std::string& actionFilePath,
                            std::string* failure = nullptr);

} // namespace tandrel
