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

bool nameHasOwner(sdbus::IConnection& conn, const std::string& name, std::chrono::milliseconds timeout) {
    bool owned = false;
    auto bus = sdbus::createProxy(conn, wire::kBusService, wire::kBusPath);
    bus->callMethod("NameHasOwner")
        .onInterface(wire::kBusService)
        .withArguments(name)
        .withTimeout(timeout)
        .storeResultsTo(owned);
    return owned;
}

class BusObject final : public Dispatch {
  public:
    BusObject(std::unique_ptr<sdbus::IConnection> conn, std::string busName,
              std::chrono::milliseconds timeout)
        : conn_(std::move(conn)), busName_(std::move(busName)), timeout_(timeout),
          proxy_(sdbus::createProxy(*conn_, busName_, kObjectPath)) {}

    std::optional<Value> invoke(std::int32_t dispid, const std::vector<Value>& args) override {
        failure_ = CallFailure::None;
        try {
            std::vector<sdbus::Variant> wireArgs;
            wireArgs.reserve(args.size());
            for (const auto& a : args) {
                // A text that is not UTF-8 would make the whole call fail before it is sent.
                if (const auto* text = std::get_if<std::string>(&a); text && !IsValidUtf8(*text))
                    wireArgs.push_back(wire::toVariant(Utf8OrLatin1(*text)));
                else
                    wireArgs.push_back(wire::toVariant(a));
            }
            sdbus::Variant result;
            proxy_->callMethod("Invoke")
                .onInterface(kInterface)
                .withArguments(dispid, wireArgs)
                .withTimeout(timeout_)
                .storeResultsTo(result);
            return wire::fromVariant(result);
        } catch (const sdbus::Error& e) {
            failure_ = classify(e.getName());
        } catch (const std::exception&) {
            failure_ = CallFailure::Refused;
        }
        return std::nullopt; // error reply, timeout, lost connection: the call was not done
    }

    CallFailure lastFailure() const override { return failure_; }

  private:
    CallFailure classify(const std::string& error) {
        if (error.rfind("org.korvane.Automation.Error.", 0) == 0) return CallFailure::Refused;
        // The bus answers for the program: whether it still owns its name tells a program that ended
        // from one that is busy or frozen.
        try {
            if (!nameHasOwner(*conn_, busName_, timeout_)) return CallFailure::Gone;
        } catch (const std::exception&) {
            return CallFailure::Gone; // the bus itself is gone
        }
        if (error == "org.freedesktop.DBus.Error.NoReply" || error == "org.freedesktop.DBus.Error.Timeout" ||
            error == "org.freedesktop.DBus.Error.TimedOut")
            return CallFailure::TimedOut;
        return CallFailure::Refused;
    }

    std::unique_ptr<sdbus::IConnection> conn_;
    std::string busName_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<sdbus::IProxy> proxy_;
    CallFailure failure_ = CallFailure::None;
};

class SessionBusConnector final : public Connector {
  public:
    explicit SessionBusConnector(std::chrono::milliseconds timeout) : timeout_(timeout) {}

    std::unique_ptr<Dispatch> getActiveObject(std::string_view identifier) override {
        auto name = busNameFor(identifier);
        if (!name) return nullptr;
        try {
            auto conn = sdbus::createSessionBusConnection();
            if (!nameHasOwner(*conn, *name, timeout_)) return nullptr;
            return std::make_unique<BusObject>(std::move(conn), *name, timeout_);
        } catch (const std::exception&) {
            return nullptr;
        }
    }

  private:
    std::chrono::milliseconds timeout_;
};

} // namespace

std::unique_ptr<Connector> sessionBusConnector(std::chrono::milliseconds callTimeout) {
    return std::make_unique<SessionBusConnector>(callTimeout);
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        std::uint32_t cp;
        if (b >= 0xC2 && b <= 0xDF)
            len = 2, cp = b & 0x1F;
        else if (b >= 0xE0 && b <= 0xEF)
            len = 3, cp = b & 0x0F;
        else if (b >= 0xF0 && b <= 0xF4)
            len = 4, cp = b & 0x07;
        else
            return false;
        if (i + len > text.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string Utf8OrLatin1(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
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
