#include "tandrel/apply_actions.h"

#include "platform/format.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace tandrel {

using korvane::automation::SchematicProgram;

void ActionLog::Start(const std::string& logPath) {
    started_ = true;
    text_ = "Backannotation action log\r\n-------------------------\r\n\r\n";
    if (!logPath.empty()) text_ += "Filename:  " + logPath + "\r\n\r\n";
}

void ActionLog::AddLine(const std::string& line) {
    if (!started_) Start("");
    text_ += line + "\t--\r\n";
}

namespace {

bool IsTrue(const std::optional<bool>& r) {
    return r && *r;
}
bool Found(const std::optional<std::int32_t>& handle) {
    return handle && *handle != 0;
}

// The integer value of a text the way the layout program writes widths: leading digits, 0 for none.
double IntegerValue(const std::string& text) {
    errno = 0;
    long v = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE) v = v < 0 ? LONG_MIN : LONG_MAX;
    return static_cast<double>(v);
}

class Applier {
  public:
    Applier(SchematicProgram& schematic, ActionLog& log) : schematic_(schematic), log_(log) {}

    void Apply(const ActionRecord& r) {
        if (r.name == "COMPONENT_RENUMBER") {
            olds_ += r.Param(0) + " ";
            news_ += r.Param(2) + " ";
            pending_ = true;
            return;
        }
        SendRenumbers();
        if (r.name == kLogFileNameRecord) {
            // Only the first one starts the log: a second must not wipe the lines already there.
            if (!log_.Started()) log_.Start(r.Param(0));
            return;
        }
        log_.AddLine(LineFor(r));
    }

    void SendRenumbers() {
        if (!pending_) return;
        const char* prefix = IsTrue(schematic_.renumber(olds_, news_)) ? kDone : kIgnored;
        log_.AddLine(
            korvane::format("%sComponent renumber \"%s\" to \"%s\"", prefix, olds_.c_str(), news_.c_str()));
        olds_.clear();
        news_.clear();
        pending_ = false;
    }

  private:
    std::string LineFor(const ActionRecord& r) {
        const std::string& n = r.name;
        bool done = false;
        ActionRecord shown = r;
        if (n == "COMPONENT_REMOVE") {
            done = IsTrue(schematic_.removeComponent(r.Param(0)));
        } else if (n == "COMPONENT_CHANGE_REFDES") {
            done = IsTrue(schematic_.changeRefDes(r.Param(0), r.Param(2)));
        } else if (n == "COMPONENT_CHANGE_PACKAGETYPE") {
            if (r.Param(0) == "?") {
                // An unknown component: nothing to change.
            } else if (r.Param(0).empty()) {
                shown.params.resize(std::max<size_t>(shown.params.size(), 1));
                shown.params[0] = "ALL";
                done = IsTrue(schematic_.changePackage(0, r.Param(1), r.Param(2)));
            } else {
                auto handle = schematic_.findComponent(r.Param(0));
                if (Found(handle)) done = IsTrue(schematic_.changePackage(*handle, r.Param(1), r.Param(2)));
            }
        } else if (n == "COMPONENT_CHANGE_VALUE") {
            // Values are not changed from the layout; the lookup is kept as the schematic program sees it.
            schematic_.findComponent(r.Param(1));
        } else if (n == "NET_REMOVE_PIN") {
            auto result = schematic_.netRemovePin(r.Param(0), r.Param(1), r.Param(2));
            done = result && *result == 1;
        } else if (n == "NET_ADD_PIN") {
            auto result = schematic_.netAddPin(r.Param(0), r.Param(1), r.Param(2));
            done = result && *result == 1;
        } else if (n == "NET_CHANGE_WIDTH") {
            auto net = schematic_.findNet(r.Param(0));
            // Reported done only when the schematic program says the width was changed.
            if (Found(net)) done = IsTrue(schematic_.changeNetWidth(*net, IntegerValue(r.Param(2))));
        } else if (n == "GATE_SWAP") {
            done = IsTrue(schematic_.gateSwap(r.Param(0), r.Param(1), r.Param(2), r.Param(3)));
        } else if (n == "PIN_SWAP") {
            auto first = schematic_.findComponent(r.Param(0), r.Param(1));
            auto second = schematic_.findComponent(r.Param(2), r.Param(3));
            if (Found(first) && Found(second))
                done = IsTrue(schematic_.pinSwap(*first, r.Param(1), *second, r.Param(3)));
        } else if (n == "NET_MERGE") {
            return korvane::format("%sNet merge - not supported", kIgnored);
        } else if (n == "COMPONENT_CHANGE_DEVICE") {
            return korvane::format("%sComponent change device - not supported", kIgnored);
        }
        if (auto line = ActionLine(done ? kDone : kIgnored, shown)) return *line;
        return std::string(kIgnored) + n; // COMPONENT_ADD, NO_NAME_GIVEN and names not in the table
    }

    SchematicProgram& schematic_;
    ActionLog& log_;
    std::string olds_, news_;
    bool pending_ = false;
};

} // namespace

void ApplyRecords(SchematicProgram& schematic, const std::vector<ActionRecord>& records, ActionLog& log) {
    Applier applier(schematic, log);
    for (const ActionRecord& r : records)
        applier.Apply(r);
    applier.SendRenumbers();
}

std::string ApplyActionFile(korvane::automation::Dispatch& object, const std::string& actionFilePath) {
    SchematicProgram schematic(object);
    schematic.beginRun("TANDREL");
    ActionLog log;
    IO_TextStream in;
    if (!in.OpenForReading(actionFilePath)) {
        log.Start("");
        log.AddLine("PCB log file not found.");
    } else {
        ApplyRecords(schematic, ReadActionRecords(in), log);
        if (!log.Started()) log.Start("");
        std::remove(actionFilePath.c_str());
    }
    schematic.handOverActionLog(log.Text());
    schematic.endRun();
    return log.Text();
}

} // namespace tandrel
