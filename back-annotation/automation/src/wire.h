// Values on the wire: each argument and the result travel as a D-Bus variant of b, i, d or s.
#pragma once

#include "automation/automation.h"

#include <sdbus-c++/sdbus-c++.h>

#include <optional>

namespace korvane::automation::wire {

sdbus::Variant toVariant(const Value& v);
// nullopt for a variant of any other type.
std::optional<Value> fromVariant(const sdbus::Variant& v);

inline constexpr const char* kBusService = "org.freedesktop.DBus";
inline constexpr const char* kBusPath = "/org/freedesktop/DBus";
inline constexpr const char* kErrorRefused = "org.korvane.Automation.Error.Refused";
inline constexpr const char* kErrorBadArguments = "org.korvane.Automation.Error.BadArguments";

} // namespace korvane::automation::wire
