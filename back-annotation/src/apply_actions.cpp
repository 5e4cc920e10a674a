#include "tandrel/apply_actions.h"

#include "platform/format.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

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

// The schematic program ended, or stopped answering, part way: nothing more can be applied.
struct Stopped {
    std::string why;
};

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
        unknown_ = false;
        std::string line = LineFor(r);
        if (unknown_ && line.rfind(kIgnored, 0) == 0) line = kNotKnown + line.substr(std::strlen(kIgnored));
        log_.AddLine(line);
    }

    void SendRenumbers() {
        if (!pending_) return;
        unknown_ = false;
        bool done = IsTrue(Changed(schematic_.renumber(olds_, news_)));
        const char* prefix = done ? kDone : unknown_ ? kNotKnown : kIgnored;
        log_.AddLine(
            korvane::format("%sComponent renumber \"%s\" to \"%s\"", prefix, olds_.c_str(), news_.c_str()));
        olds_.clear();
        news_.clear();
        pending_ = false;
    }

  private:
    // Checks a call that only looks something up.
    template <class T> T Looked(T result) {
        Check(false);
        return result;
    }
    // Checks a call that changes the schematic.
    template <class T> T Changed(T result) {
        Check(true);
        return result;
    }

    // A frozen program would make every remaining call wait for its timeout: a few in a row end the run.
    static constexpr int kTimeoutsInARow = 3;

    void Check(bool changes) {
        switch (schematic_.lastFailure()) {
        case korvane::automation::CallFailure::Gone:
            throw Stopped{"the schematic program ended"};
        case korvane::automation::CallFailure::TimedOut:
            if (changes) unknown_ = true;
            if (++timeoutsInARow_ >= kTimeoutsInARow) throw Stopped{"the schematic program does not answer"};
            return;
        default:
            timeoutsInARow_ = 0;
        }
    }

    std::string LineFor(const ActionRecord& r) {
        const std::string& n = r.name;
        bool done = false;
        ActionRecord shown = r;
        if (n == "COMPONENT_REMOVE") {
            done = IsTrue(Changed(schematic_.removeComponent(r.Param(0))));
        } else if (n == "COMPONENT_CHANGE_REFDES") {
            done = IsTrue(Changed(schematic_.changeRefDes(r.Param(0), r.Param(2))));
        } else if (n == "COMPONENT_CHANGE_PACKAGETYPE") {
            if (r.Param(0) == "?") {
                // An unknown component: nothing to change.
            } else if (r.Param(0).empty()) {
                shown.params.resize(std::max<size_t>(shown.params.size(), 1));
                shown.params[0] = "ALL";
                done = IsTrue(Changed(schematic_.changePackage(0, r.Param(1), r.Param(2))));
            } else {
                auto handle = Looked(schematic_.findComponent(r.Param(0)));
                if (Found(handle))
                    done = IsTrue(Changed(schematic_.changePackage(*handle, r.Param(1), r.Param(2))));
            }
        } else if (n == "COMPONENT_CHANGE_VALUE") {
            // Values are not changed from the layout; the lookup is kept as the schematic program sees it.
            Looked(schematic_.findComponent(r.Param(1)));
        } else if (n == "NET_REMOVE_PIN") {
            auto result = Changed(schematic_.netRemovePin(r.Param(0), r.Param(1), r.Param(2)));
            done = result && *result == 1;
        } else if (n == "NET_ADD_PIN") {
            auto result = Changed(schematic_.netAddPin(r.Param(0), r.Param(1), r.Param(2)));
            done = result && *result == 1;
        } else if (n == "NET_CHANGE_WIDTH") {
            auto net = Looked(schematic_.findNet(r.Param(0)));
            // Reported done only when the schematic program says the width was changed.
            if (Found(net)) done = IsTrue(Changed(schematic_.changeNetWidth(*net, IntegerValue(r.Param(2)))));
        } else if (n == "GATE_SWAP") {
            done = IsTrue(Changed(schematic_.gateSwap(r.Param(0), r.Param(1), r.Param(2), r.Param(3))));
        } else if (n == "PIN_SWAP") {
            auto first = Looked(schematic_.findComponent(r.Param(0), r.Param(1)));
            auto second = Looked(schematic_.findComponent(r.Param(2), r.Param(3)));
            if (Found(first) && Found(second))
                done = IsTrue(Changed(schematic_.pinSwap(*first, r.Param(1), *second, r.Param(3))));
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
    bool unknown_ = false;
    int timeoutsInARow_ = 0;
};

} // namespace

void ApplyRecords(SchematicProgram& schematic, const std::vector<ActionRecord>& records, ActionLog& log) {
    std::string failure;
    ApplyRecords(schematic, records, log, failure);
}

bool ApplyRecords(SchematicProgram& schematic, const std::vector<ActionRecord>& records, ActionLog& log,
                  std::string& failure) {
    Applier applier(schematic, log);
    size_t applied = 0;
    try {
        for (const ActionRecord& r : records) {
            applier.Apply(r);
            ++applied;
        }
        applier.SendRenumbers();
        return true;
    } catch (const Stopped& s) {
        failure = korvane::format("%s after %zu of %zu records", s.why.c_str(), applied, records.size());
        return false;
    }
}

std::string ApplyActionFile(korvane::automation::Dispatch& object, const std::string& actionFilePath,
                            std::string* failure) {
    using korvane::automation::CallFailure;
    SchematicProgram schematic(object);
    std::string why;
    ActionLog log;
    schematic.beginRun("TANDREL");
    bool gone = schematic.lastFailure() == CallFailure::Gone;
    if (gone) why = "the schematic program ended";
    IO_TextStream in;
    bool haveFile = false;
    if (!gone) {
        if (!in.OpenForReading(actionFilePath)) {
            log.Start("");
            log.AddLine("PCB log file not found.");
        } else {
            haveFile = true;
            if (!ApplyRecords(schematic, ReadActionRecords(in), log, why)) gone = true;
            if (!log.Started()) log.Start("");
        }
    }
    if (!gone) {
        // The action file goes only once the schematic program has taken the log of what was done.
        bool taken = IsTrue(schematic.handOverActionLog(log.Text()));
        CallFailure handOver = schematic.lastFailure();
        if (taken) {
            if (haveFile) ::unlink(actionFilePath.c_str());
        } else {
            why = handOver == CallFailure::TimedOut
                      ? "the schematic program did not answer when handed the action log"
                  : handOver == CallFailure::Gone
                      ? "the schematic program ended before it was handed the action log"
                      : "the schematic program refused the action log";
        }
        if (handOver != CallFailure::Gone) schematic.endRun();
    }
    if (failure) {
        failure->clear();
        if (!why.empty()) {
            *failure = "The actions were not all applied and reported: " + why + ".";
            if (::access(actionFilePath.c_str(), F_OK) == 0)
                *failure += " The action file \"" + actionFilePath + "\" is kept.";
        }
    }
    return log.Text();
}

} // namespace tandrel
