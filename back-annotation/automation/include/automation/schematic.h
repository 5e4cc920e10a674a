// The schematic program's automation methods, one call per dispatch id, with the arguments and result
// type each one takes. Every call returns nullopt when it failed or was refused (a "not done").
#pragma once

#include "automation/automation.h"

#include <cstdint>
#include <optional>
#include <string>

namespace korvane::automation {

enum SchematicDispid : std::int32_t {
    kDispBeginRun = 49,        // (text caller) -> boolean
    kDispFindComponent = 71,   // (text designator, text pin, integer 0, boolean false) -> handle
    kDispRemoveComponent = 33, // (integer 0, text designator) -> boolean
    kDispChangeRefDes = 4,     // (integer 0, text old, text new) -> boolean
    kDispChangePackage = 65,   // (integer handle or 0 = all, text old, text new) -> boolean
    kDispNetRemovePin = 63,    // (text net, text component, text pin) -> integer, 1 = done
    kDispNetAddPin = 73,       // (text net, text component, text pin) -> integer, 1 = done
    kDispFindNet = 31,         // (text net) -> handle
    kDispChangeNetWidth = 64,  // (integer net handle, real width) -> boolean
    kDispGateSwap = 69,        // (text comp 1, text section 1, text comp 2, text section 2) -> boolean
    kDispPinSwap = 70,         // (integer handle 1, text pin 1, integer handle 2, text pin 2) -> boolean
    kDispRenumber = 72,        // (text old designators, text new designators) -> boolean
    kDispActionLog = 43,       // (text action log, text "") -> boolean
    kDispEndRun = 50,          // () -> integer
};

class SchematicProgram {
  public:
    explicit SchematicProgram(Dispatch& d) : d_(d) {}

    std::optional<bool> beginRun(const std::string& caller); // caller "TANDREL"
    // Handles: 0 means not found. The pin is empty except for pin swaps.
    std::optional<std::int32_t> findComponent(const std::string& designator, const std::string& pin = "");
    std::optional<bool> removeComponent(const std::string& designator);
    std::optional<bool> changeRefDes(const std::string& oldName, const std::string& newName);
    std::optional<bool> changePackage(std::int32_t handle, const std::string& oldPackage,
                                      const std::string& newPackage);
    std::optional<std::int32_t> netRemovePin(const std::string& net, const std::string& component,
                                             const std::string& pin);
    std::optional<std::int32_t> netAddPin(const std::string& net, const std::string& component,
                                          const std::string& pin);
    std::optional<std::int32_t> findNet(const std::string& net);
    std::optional<bool> changeNetWidth(std::int32_t netHandle, double width);
    std::optional<bool> gateSwap(const std::string& component1, const std::string& section1,
                                 const std::string& component2, const std::string& section2);
    std::optional<bool> pinSwap(std::int32_t handle1, const std::string& pin1, std::int32_t handle2,
                                const std::string& pin2);
    // Blank-separated designator lists of equal length, renamed in one step.
    std::optional<bool> renumber(const std::string& oldDesignators, const std::string& newDesignators);
    std::optional<bool> handOverActionLog(const std::string& log);
    std::optional<std::int32_t> endRun();

    // Why the last call brought no result (see Dispatch::lastFailure).
    CallFailure lastFailure() const { return d_.lastFailure(); }

  private:
    Dispatch& d_;
};

} // namespace korvane::automation
