// The conversation with the CAM host program that may have started the editor to edit one aperture.
// The transport lives behind this interface so that the application can be run and tested without it.
#pragma once

#include <string>

namespace lumbra {

inline constexpr const char* kHostService = "Fennick Lumbra";
inline constexpr const char* kHostTopic = "Data Transfer";
inline constexpr const char* kHostItem = "Data Transfer";
inline constexpr unsigned kPokeTimeoutMs = 10000;

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
