// The host link over a Unix-domain socket: the service name maps to a socket file in the user's
// runtime folder, where the CAM host listens. The exchange is a few text lines:
//
//   editor: "CONNECT <topic>\n"            host: "OK\n" (anything else refuses)
//   editor: "POKE <item> <length>\n" and <length> bytes of data
//                                            host: "ACK\n"
//
// Either side ends the conversation by closing the socket.
#pragma once

#include "hostlink.h"

#include <string>

namespace lumbra {

class SocketHostLink : public HostLink {
  public:
    SocketHostLink() = default;
    SocketHostLink(const SocketHostLink&) = delete;
    SocketHostLink& operator=(const SocketHostLink&) = delete;
    ~SocketHostLink() override;

    // $XDG_RUNTIME_DIR/korvane/<service, lower case, blanks as '-'>.sock; empty without a runtime folder.
    static std::string socketPath(const std::string& service);

    bool connect(const std::string& service, const std::string& topic) override;
    // The text is sent with its terminating zero, as a clipboard text item is.
    bool poke(const std::string& item, const std::string& text, unsigned timeoutMs) override;
    bool hostGone() override;
    void disconnect() override;

    // How long the host may take to answer the connection.
    unsigned connectTimeoutMs = 2000;

  private:
    bool sendAll(const std::string& data, int timeoutMs);
    bool readLine(std::string& line, int timeoutMs);
    int fd_ = -1;
    bool gone_ = false;
};

} // namespace lumbra
