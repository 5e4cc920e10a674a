// Automation: calling methods of a running program's automation object by dispatch identifier.
//
// The objects live on the D-Bus session bus. A class identifier (a GUID in braces) or a programmatic
// identifier names a well-known bus name (busNameFor); the object is "running" while that name has an
// owner. A dispatch call is one method call, Invoke(dispid, arguments) -> result, on the object path
// and interface below. Every failure (no bus, no owner, an error reply, a timeout, a result that is
// not a value) is reported as "no result", never as an exception.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvane::automation {

inline constexpr const char* kObjectPath = "/org/korvane/Automation";
inline constexpr const char* kInterface = "org.korvane.Automation";
inline constexpr const char* kControlInterface = "org.korvane.Automation.Control";

// An argument or a result: boolean, 32-bit integer, real or text.
using Value = std::variant<bool, std::int32_t, double, std::string>;

// What became of a call that brought no result, where a caller has to act on more than "not done".
enum class CallFailure {
    None,     // the call brought a result, or it failed in a way that only means "not done"
    Refused,  // the object answered with a refusal
    TimedOut, // no answer within the call timeout: the object may still carry the call out
    Gone,     // the object is no longer there (its program ended)
};

// How long one call waits for its answer unless a connector is told otherwise.
inline constexpr std::chrono::milliseconds kDefaultCallTimeout{5000};

// The dispatch interface of one automation object.
class Dispatch {
  public:
    virtual ~Dispatch() = default;
    // Invokes the method with this dispatch id; nullopt when the call failed or was refused.
    virtual std::optional<Value> invoke(std::int32_t dispid, const std::vector<Value>& args) = 0;
    // Why the last invoke brought no result; None after one that brought a result. Objects that
    // cannot tell say None.
    virtual CallFailure lastFailure() const { return CallFailure::None; }
};

// Finds running automation objects.
class Connector {
  public:
    virtual ~Connector() = default;
    // The running object registered under a class or programmatic identifier; nullptr when the
    // identifier is not valid, nothing owns its bus name, or the bus cannot be reached.
    virtual std::unique_ptr<Dispatch> getActiveObject(std::string_view identifier) = 0;
};

// The connector over the session bus (DBUS_SESSION_BUS_ADDRESS). Every call, the lookup included,
// waits at most callTimeout for its answer.
std::unique_ptr<Connector> sessionBusConnector(std::chrono::milliseconds callTimeout = kDefaultCallTimeout);

// D-Bus texts must be UTF-8. A text that is not is read as Latin-1 (every byte one character) and
// given as the UTF-8 of that reading, so no byte is lost; valid UTF-8 comes back unchanged.
std::string Utf8OrLatin1(std::string_view text);
// Whether the text is valid UTF-8 (no overlong forms, surrogates or code points above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The bus name for a class identifier ("{…}") or a programmatic identifier; nullopt when the text is
// neither. See the folder README for the mapping.
std::optional<std::string> busNameFor(std::string_view identifier);

// Results read the way the caller needs them: a boolean or an integer result is accepted for either
// (true is 1, an integer is true when not 0); a real or a text is not.
std::optional<bool> asBool(const std::optional<Value>& v);
std::optional<std::int32_t> asInt(const std::optional<Value>& v);

} // namespace korvane::automation
