#include "automation/schematic.h"

namespace korvane::automation {

using S = std::string;

std::optional<bool> SchematicProgram::beginRun(const S& caller) {
    return asBool(d_.invoke(kDispBeginRun, {caller}));
}

std::optional<std::int32_t> SchematicProgram::findComponent(const S& designator, const S& pin) {
    return asInt(d_.invoke(kDispFindComponent, {designator, pin, std::int32_t{0}, false}));
}

std::optional<bool> SchematicProgram::removeComponent(const S& designator) {
    return asBool(d_.invoke(kDispRemoveComponent, {std::int32_t{0}, designator}));
}

std::optional<bool> SchematicProgram::changeRefDes(const S& oldName, const S& newName) {
    return asBool(d_.invoke(kDispChangeRefDes, {std::int32_t{0}, oldName, newName}));
}

std::optional<bool> SchematicProgram::changePackage(std::int32_t handle, const S& oldPackage,
                                                    const S& newPackage) {
    return asBool(d_.invoke(kDispChangePackage, {handle, oldPackage, newPackage}));
}

std::optional<std::int32_t> SchematicProgram::netRemovePin(const S& net, const S& component, const S& pin) {
    return asInt(d_.invoke(kDispNetRemovePin, {net, component, pin}));
}

std::optional<std::int32_t> SchematicProgram::netAddPin(const S& net, const S& component, const S& pin) {
    return asInt(d_.invoke(kDispNetAddPin, {net, component, pin}));
}

std::optional<std::int32_t> SchematicProgram::findNet(const S& net) {
    return asInt(d_.invoke(kDispFindNet, {net}));
}

std::optional<bool> SchematicProgram::changeNetWidth(std::int32_t netHandle, double width) {
    return asBool(d_.invoke(kDispChangeNetWidth, {netHandle, width}));
}

std::optional<bool> SchematicProgram::gateSwap(const S& component1, const S& section1, const S& component2,
                                               const S& section2) {
    return asBool(d_.invoke(kDispGateSwap, {component1, section1, component2, section2}));
}

std::optional<bool> SchematicProgram::pinSwap(std::int32_t handle1, const S& pin1, std::int32_t handle2,
                                              const S& pin2) {
    return asBool(d_.invoke(kDispPinSwap, {handle1, pin1, handle2, pin2}));
}

std::optional<bool> SchematicProgram::renumber(const S& oldDesignators, const S& newDesignators) {
    return asBool(d_.invoke(kDispRenumber, {oldDesignators, newDesignators}));
}

std::optional<bool> SchematicProgram::handOverActionLog(const S& log) {
    return asBool(d_.invoke(kDispActionLog, {log, S()}));
}

std::optional<std::int32_t> SchematicProgram::endRun() {
    return asInt(d_.invoke(kDispEndRun, {}));
}

} // namespace korvane::automation
