// Applying the confirmed records of the action file to the schematic program, and the action log
// that reports each of them back to it.
#pragma once

#include "automation/schematic.h"
#include "tandrel/action_records.h"

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
// that is not a renumber, and after the last record.
void ApplyRecords(korvane::automation::SchematicProgram& schematic, const std::vector<ActionRecord>& records,
                  ActionLog& log);

// The whole applying pass on a running schematic program: begin the run, apply the action file
// (deleted afterwards), hand over the action log and end the run. Returns the action log.
std::string ApplyActionFile(korvane::automation::Dispatch& schematicObject,
                            const std::string& actionFilePath);

} // namespace tandrel
