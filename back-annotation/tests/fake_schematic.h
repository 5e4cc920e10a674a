// A schematic-program object for tests: records every dispatch call and answers from a table.
#pragma once

#include "automation/automation.h"
#include "platform/format.h"

#include <map>
#include <string>
#include <vector>

namespace tandrel::testing {

class FakeSchematic : public korvane::automation::Dispatch {
  public:
    // Answers by dispatch id; ids not listed answer true (every call succeeds, every lookup finds 1).
    std::map<std::int32_t, std::optional<korvane::automation::Value>> answers;
    // Dispatch ids whose calls fail this way (no result).
    std::map<std::int32_t, korvane::automation::CallFailure> failures;
    std::vector<std::string> calls;
    korvane::automation::CallFailure last = korvane::automation::CallFailure::None;

    korvane::automation::CallFailure lastFailure() const override { return last; }

    std::optional<korvane::automation::Value>
    invoke(std::int32_t dispid, const std::vector<korvane::automation::Value>& args) override {
        std::string call = std::to_string(dispid) + "(";
        for (size_t i = 0; i < args.size(); ++i) {
            if (i) call += ", ";
            std::visit(
                [&](const auto& v) {
                    using T = std::decay_t<decltype(v)>;
                    if constexpr (std::is_same_v<T, std::string>)
                        call += "\"" + v + "\"";
                    else if constexpr (std::is_same_v<T, bool>)
                        call += v ? "true" : "false";
                    else if constexpr (std::is_same_v<T, double>)
                        call += korvane::format("%g", v);
                    else
                        call += std::to_string(v);
                },
                args[i]);
        }
        calls.push_back(call + ")");
        last = korvane::automation::CallFailure::None;
        if (auto f = failures.find(dispid); f != failures.end()) {
            last = f->second;
            return std::nullopt;
        }
        auto it = answers.find(dispid);
        if (it != answers.end()) return it->second;
        return korvane::automation::Value(true);
    }
};

class FakeConnector : public korvane::automation::Connector {
  public:
    FakeSchematic* running = nullptr; // null: the schematic program is not running
    std::string askedFor;

    std::unique_ptr<korvane::automation::Dispatch> getActiveObject(std::string_view identifier) override {
        askedFor = identifier;
        if (!running) return nullptr;
        struct Forward : korvane::automation::Dispatch {
            FakeSchematic& to;
            explicit Forward(FakeSchematic& t) : to(t) {}
            std::optional<korvane::automation::Value>
            invoke(std::int32_t id, const std::vector<korvane::automation::Value>& a) override {
                return to.invoke(id, a);
            }
            korvane::automation::CallFailure lastFailure() const override { return to.lastFailure(); }
        };
        return std::make_unique<Forward>(*running);
    }
};

} // namespace tandrel::testing
