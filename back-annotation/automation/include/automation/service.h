// The serving side: puts an automation object on the session bus under the bus name of an identifier
// and answers its dispatch calls on this thread until stopped.
#pragma once

#include "automation/automation.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::automation {

// The answer to one call: a value, or a refusal with its reason (an error reply on the bus).
struct Reply {
    bool ok = false;
    Value value;
    std::string error;

    static Reply done(Value v) { return {true, std::move(v), {}}; }
    static Reply refused(std::string why) { return {false, false, std::move(why)}; }
};

class Service {
  public:
    using Handler = std::function<Reply(std::int32_t dispid, const std::vector<Value>& args)>;

    Service();
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Claims the bus name and publishes the object; false with a reason when either fails (the name
    // already owned included).
    bool start(std::string_view identifier, Handler handler, std::string& error);

    // Serves calls until the Quit method of the control interface is called, stop() is called from a
    // handler, or SIGTERM, SIGINT or SIGHUP arrives (these are blocked for the whole process on entry,
    // so call run() before starting any thread). A reply to Quit is sent when the Service is
    // destroyed, so a caller waiting on it sees whatever was done after run() returned.
    void run();
    void stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace korvane::automation
