// What the stand-in schematic program does with each dispatch call, kept apart from the bus so that
// it can be tried directly.
#pragma once

#include "automation/service.h"
#include "schematicstub/schematic.h"

#include <set>
#include <string>
#include <vector>

namespace korvane::schematic_stub {

class SchematicStub {
  public:
    explicit SchematicStub(Schematic s) : schematic_(std::move(s)) {}

    // Dispatch ids listed here are refused with an error reply, to play a failing program.
    void refuse(std::set<std::int32_t> ids) { refused_ = std::move(ids); }

    automation::Reply call(std::int32_t dispid, const std::vector<automation::Value>& args);

    const Schematic& schematic() const { return schematic_; }
    // The texts handed over with dispatch 43, joined in the order received.
    const std::string& actionLog() const { return actionLog_; }
    // One line per call received: "<dispid>(<arguments>) -> <result>".
    const std::string& journal() const { return journal_; }

  private:
    automation::Reply dispatch(std::int32_t dispid, const std::vector<automation::Value>& args);

    Schematic schematic_;
    std::set<std::int32_t> refused_;
    std::string actionLog_;
    std::string journal_;
};

// A value as the journal shows it: texts in double quotes with \\ \" \n \r \t escapes.
std::string describe(const automation::Value& v);

} // namespace korvane::schematic_stub
