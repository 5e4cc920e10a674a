#include "automation/automation.h"

#include "wire.h"

#include <chrono>

namespace korvane::automation {

namespace wire {

sdbus::Variant toVariant(const Value& v) {
    return std::visit([](const auto& x) { return sdbus::Variant(x); }, v);
}

std::optional<Value> fromVariant(const sdbus::Variant& v) {
    try {
        if (v.containsValueOfType<bool>()) return Value(v.get<bool>());
        if (v.containsValueOfType<std::int32_t>()) return Value(v.get<std::int32_t>());
        if (v.containsValueOfType<double>()) return Value(v.get<double>());
        if (v.containsValueOfType<std::string>()) return Value(v.get<std::string>());
    } catch (const sdbus::Error&) {
    }
    return std::nullopt;
}

} // namespace wire

namespace {

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" -> 32 upper-case hex digits.
std::optional<std::string> guidDigits(std::string_view s) {
    static constexpr std::size_t groups[] = {8, 4, 4, 4, 12};
    if (s.size() != 38 || s.front() != '{' || s.back() != '}') return std::nullopt;
    std::string out;
    std::size_t pos = 1;
    for (std::size_t g = 0; g < 5; ++g) {
        for (std::size_t i = 0; i < groups[g]; ++i, ++pos) {
            if (!isHex(s[pos])) return std::nullopt;
            out += upper(s[pos]);
        }
        if (g < 4 && s[pos++] != '-') return std::nullopt;
    }
    return out;
}

class BusObject final : public Dispatch {
  public:
    BusObject(std::unique_ptr<sdbus::IConnection> conn, const std::string& busName)
        : conn_(std::move(conn)), proxy_(sdbus::createProxy(*conn_, busName, kObjectPath)) {}

    std::optional<Value> invoke(std::int32_t dispid, const std::vector<Value>& args) override {
        try {
            std::vector<sdbus::Variant> wireArgs;
            wireArgs.reserve(args.size());
            for (const auto& a : args)
                wireArgs.push_back(wire::toVariant(a));
            sdbus::Variant result;
            proxy_->callMethod("Invoke")
                .onInterface(kInterface)
                .withArguments(dispid, wireArgs)
                .withTimeout(std::chrono::seconds(20))
                .storeResultsTo(result);
            return wire::fromVariant(result);
        } catch (const std::exception&) {
            return std::nullopt; // error reply, timeout, lost connection: the call was not done
        }
    }

  private:
    std::unique_ptr<sdbus::IConnection> conn_;
    std::unique_ptr<sdbus::IProxy> proxy_;
};

class SessionBusConnector final : public Connector {
  public:
    std::unique_ptr<Dispatch> getActiveObject(std::string_view identifier) override {
        auto name = busNameFor(identifier);
        if (!name) return nullptr;
        try {
            auto conn = sdbus::createSessionBusConnection();
            bool owned = false;
            {
                auto bus = sdbus::createProxy(*conn, wire::kBusService, wire::kBusPath);
                bus->callMethod("NameHasOwner")
                    .onInterface(wire::kBusService)
                    .withArguments(*name)
                    .storeResultsTo(owned);
            }
            if (!owned) return nullptr;
            return std::make_unique<BusObject>(std::move(conn), *name);
        } catch (const std::exception&) {
            return nullptr;
        }
    }
};

} // namespace

std::unique_ptr<Connector> sessionBusConnector() {
    return std::make_unique<SessionBusConnector>();
}

std::optional<std::string> busNameFor(std::string_view identifier) {
    if (identifier.empty()) return std::nullopt;
    if (identifier.front() == '{') {
        auto digits = guidDigits(identifier);
        if (!digits) return std::nullopt;
        return "org.korvane.Automation.Class.G" + *digits;
    }
    // Programmatic identifiers compare case-blind: lower case, then every byte that a bus name
    // element cannot hold (and a leading digit) becomes "_" and two upper-case hex digits.
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "org.korvane.Automation.ProgId.";
    bool elementStart = true;
    for (char raw : identifier) {
        char c = lower(raw);
        if (c == '.') {
            if (elementStart) return std::nullopt; // empty element
            out += '.';
            elementStart = true;
            continue;
        }
        bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9' && !elementStart);
        if (plain) {
            out += c;
        } else {
            auto b = static_cast<unsigned char>(c);
            out += '_';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
        elementStart = false;
    }
    if (elementStart || out.size() > 255) return std::nullopt;
    return out;
}

std::optional<bool> asBool(const std::optional<Value>& v) {
    if (!v) return std::nullopt;
    if (auto b = std::get_if<bool>(&*v)) return *b;
    if (auto i = std::get_if<std::int32_t>(&*v)) return *i != 0;
    return std::nullopt;
}

std::optional<std::int32_t> asInt(const std::optional<Value>& v) {
    if (!v) return std::nullopt;
    if (auto i = std::get_if<std::int32_t>(&*v)) return *i;
    if (auto b = std::get_if<bool>(&*v)) return *b ? 1 : 0;
    return std::nullopt;
}

} // namespace korvane::automation
