// The conversation with the CAM host program that may have started the editor to edit one aperture.
// The transport lives behind this interface so that the application can be run and tested without it.
#pragma once

#include <cctype>
#include <cstdlib>
#include <string>

namespace lumbra {

inline constexpr const char* kHostService = "Fennick Lumbra";
inline constexpr const char* kHostTopic = "Data Transfer";
inline constexpr const char* kHostItem = "Data Transfer";
inline constexpr unsigned kPokeTimeoutMs = 10000;

// The module that carries the link over the toolkit's IPC (loaded only when a host's socket exists)
// and the function it exports that makes a link.
inline constexpr const char* kHostLinkModule = "liblumbra_wxlink.so";
inline constexpr const char* kHostLinkEntry = "lumbra_wx_host_link";

// Where the host listens for the service: $XDG_RUNTIME_DIR/korvane/<service in lower case, other
// characters than letters and digits as '-'>.sock ("fennick-lumbra.sock"). Empty without a runtime
// folder (XDG_RUNTIME_DIR unset or not absolute): then there is no host to look for.
inline std::string hostSocketPath(const std::string& service) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') return {};
    std::string name;
    for (unsigned char c : service)
        name += std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '-';
    return std::string(runtime) + "/korvane/" + name + ".sock";
}

class HostLink {
  public:
    virtual ~HostLink() = default;
    // Opens the conversation; false when no host answers.
    virtual bool connect(const std::string& service, const std::string& topic) = 0;
    // Sends a text item to the host, waiting at most `timeoutMs`; false when it was not delivered.
    virtual bool poke(const std::string& item, const std::string& text, unsigned timeoutMs) = 0;
    // Whether the host has dropped the conversation (looked at in idle time).
    virtual bool hostGone() = 0;
    // Ends the conversation from this side.
    virtual void disconnect() = 0;
};

} // namespace lumbra
