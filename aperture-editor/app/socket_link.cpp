#include "socket_link.h"

#include "platform/clock.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace lumbra {

namespace {
// Replies are a few bytes; anything longer is not a host of ours.
constexpr std::size_t kMaxReply = 64;
} // namespace

SocketHostLink::~SocketHostLink() {
    disconnect();
}

std::string SocketHostLink::socketPath(const std::string& service) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') return {};
    std::string name;
    for (unsigned char c : service)
        name += std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '-';
    return std::string(runtime) + "/korvane/" + name + ".sock";
}

bool SocketHostLink::connect(const std::string& service, const std::string& topic) {
    disconnect();
    gone_ = false;
    std::string path = socketPath(service);
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof(addr.sun_path)) return false;
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    std::string reply;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        !sendAll("CONNECT " + topic + "\n", static_cast<int>(connectTimeoutMs)) ||
        !readLine(reply, static_cast<int>(connectTimeoutMs)) || reply != "OK") {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool SocketHostLink::poke(const std::string& item, const std::string& text, unsigned timeoutMs) {
    if (fd_ < 0) return false;
    std::string data(text.c_str(), text.size() + 1);
    std::string reply;
    std::uint64_t start = korvane::clock().tickMs();
    if (!sendAll("POKE " + item + " " + std::to_string(data.size()) + "\n" + data,
                 static_cast<int>(timeoutMs)))
        return false;
    std::uint64_t spent = korvane::clock().tickMs() - start;
    int left = spent >= timeoutMs ? 0 : static_cast<int>(timeoutMs - spent);
    return readLine(reply, left) && reply == "ACK";
}

bool SocketHostLink::hostGone() {
    if (fd_ < 0) return gone_;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    if (p.revents & (POLLHUP | POLLERR)) return gone_ = true;
    // Whatever the host says unasked is read and dropped; end of file means it has gone.
    char buffer[256];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) gone_ = true;
    return gone_;
}

void SocketHostLink::disconnect() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool SocketHostLink::sendAll(const std::string& data, int timeoutMs) {
    std::size_t done = 0;
    while (done < data.size()) {
        pollfd p{fd_, POLLOUT, 0};
        int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0 || !(p.revents & POLLOUT)) return false;
        ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SocketHostLink::readLine(std::string& line, int timeoutMs) {
    line.clear();
    std::uint64_t deadline = korvane::clock().tickMs() + static_cast<std::uint64_t>(timeoutMs);
    for (;;) {
        std::uint64_t now = korvane::clock().tickMs();
        int wait = now >= deadline ? 0 : static_cast<int>(deadline - now);
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, wait);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        char c = 0;
        ssize_t n = ::recv(fd_, &c, 1, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            gone_ = true;
            return false;
        }
        if (c == '\n') return true;
        if (line.size() >= kMaxReply) return false;
        line += c;
    }
}

} // namespace lumbra
