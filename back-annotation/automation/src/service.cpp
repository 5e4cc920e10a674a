#include "automation/service.h"

#include "wire.h"

#include <cerrno>
#include <csignal>
#include <optional>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace korvane::automation {

struct Service::Impl {
    std::unique_ptr<sdbus::IConnection> conn;
    std::unique_ptr<sdbus::IObject> object;
    Handler handler;
    bool stopping = false;
    std::optional<sdbus::Result<>> pendingQuit;

    sdbus::Variant invoke(std::int32_t dispid, const std::vector<sdbus::Variant>& wireArgs) {
        std::vector<Value> args;
        args.reserve(wireArgs.size());
        for (const auto& w : wireArgs) {
            auto v = wire::fromVariant(w);
            if (!v)
                throw sdbus::Error(wire::kErrorBadArguments,
                                   "an argument is not a boolean, integer, real or text");
            args.push_back(std::move(*v));
        }
        Reply r = handler(dispid, args);
        if (!r.ok) throw sdbus::Error(wire::kErrorRefused, r.error);
        return wire::toVariant(r.value);
    }
};

Service::Service() : impl_(std::make_unique<Impl>()) {}

Service::~Service() {
    if (impl_->pendingQuit) {
        try {
            impl_->pendingQuit->returnResults();
        } catch (const std::exception&) {
        }
        impl_->pendingQuit.reset(); // the reply refers to the connection: it goes first
    }
    // The connection is flushed and closed when it goes, after the object.
    impl_->object.reset();
    impl_->conn.reset();
}

bool Service::start(std::string_view identifier, Handler handler, std::string& error) {
    auto name = busNameFor(identifier);
    if (!name) {
        error = "not a class or programmatic identifier: " + std::string(identifier);
        return false;
    }
    try {
        impl_->handler = std::move(handler);
        impl_->conn = sdbus::createSessionBusConnection();
        impl_->object = sdbus::createObject(*impl_->conn, kObjectPath);
        Impl* impl = impl_.get();
        impl_->object->registerMethod("Invoke")
            .onInterface(kInterface)
            .withInputParamNames("dispid", "arguments")
            .withOutputParamNames("result")
            .implementedAs([impl](std::int32_t dispid, const std::vector<sdbus::Variant>& args) {
                return impl->invoke(dispid, args);
            });
        impl_->object->registerMethod("Quit")
            .onInterface(kControlInterface)
            .implementedAs([impl](sdbus::Result<>&& r) {
                impl->pendingQuit = std::move(r);
                impl->stopping = true;
            });
        impl_->object->finishRegistration();
        impl_->conn->requestName(*name);
    } catch (const std::exception& e) {
        error = "cannot serve " + *name + " on the session bus: " + e.what();
        impl_->object.reset();
        impl_->conn.reset();
        return false;
    }
    return true;
}

void Service::stop() {
    impl_->stopping = true;
}

void Service::run() {
    if (!impl_->conn) return;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    int sigfd = signalfd(-1, &set, SFD_CLOEXEC);
    while (!impl_->stopping) {
        try {
            while (!impl_->stopping && impl_->conn->processPendingRequest()) {
            }
        } catch (const std::exception&) {
            break; // the bus went away
        }
        if (impl_->stopping) break;
        auto poll = impl_->conn->getEventLoopPollData();
        pollfd fds[2] = {{poll.fd, poll.events, 0}, {sigfd, POLLIN, 0}};
        int n = ::poll(fds, sigfd >= 0 ? 2 : 1, poll.getPollTimeout());
        if (n < 0 && errno != EINTR) break;
        if (sigfd >= 0 && (fds[1].revents & POLLIN)) break;
    }
    if (sigfd >= 0) ::close(sigfd);
}

} // namespace korvane::automation
