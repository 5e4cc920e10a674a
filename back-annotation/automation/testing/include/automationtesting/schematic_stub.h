// The one way tests start the stand-in schematic program: as a child process, found on the session bus
// through the client, ended by signal, Quit or the end of the test.
#pragma once

#include "automation/automation.h"

#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace korvane::automation::testing {

class SchematicStub {
  public:
    // Starts `program` (the stand-in's path) with its arguments.
    SchematicStub(const std::string& program, std::vector<std::string> args) {
        args.insert(args.begin(), program);
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    // A stand-in still running when the test ends is killed.
    ~SchematicStub() {
        if (running()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    SchematicStub(const SchematicStub&) = delete;
    SchematicStub& operator=(const SchematicStub&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && !ended_; }

    // The object served under `identifier`, once it can be found (nullptr after 10 s), with calls that
    // wait at most callTimeout.
    static std::unique_ptr<Dispatch> Find(const std::string& identifier,
                                          std::chrono::milliseconds callTimeout = kDefaultCallTimeout) {
        auto connector = sessionBusConnector(callTimeout);
        for (int i = 0; i < 200; ++i) {
            if (auto d = connector->getActiveObject(identifier)) return d;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return nullptr;
    }

    void signal(int sig) const {
        if (running()) ::kill(pid_, sig);
    }

    // The exit status (128 + the signal when one ended it); -1 when it did not end within 10 s.
    int waitExit() {
        if (ended_) return status_;
        for (int i = 0; i < 200 && pid_ > 0; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return status_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    // SIGTERM (the stand-in writes its files and ends), then its exit status.
    int terminate() {
        signal(SIGTERM);
        return waitExit();
    }

  private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = -1;
};

} // namespace korvane::automation::testing
