#include "platform/clock.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace korvane {

std::tm localTimeOf(std::time_t seconds) {
    std::tm out{};
    localtime_r(&seconds, &out);
    return out;
}

namespace {

class SystemClock final : public Clock {
  public:
    std::tm localNow() override {
        if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
            char* end = nullptr;
            long long v = std::strtoll(epoch, &end, 10);
            if (end != epoch && *end == '\0') return localTimeOf(static_cast<std::time_t>(v));
        }
        return localTimeOf(std::time(nullptr));
    }
    std::uint64_t tickMs() override {
        using namespace std::chrono;
        return static_cast<std::uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void sleepMs(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

SystemClock systemClock;
Clock* current = nullptr;

} // namespace

Clock& clock() {
    return current ? *current : systemClock;
}

std::time_t calendarSeconds() {
    std::tm local = clock().localNow();
    return std::mktime(&local);
}

Clock* setClock(Clock* c) {
    Clock* previous = current;
    current = c;
    return previous;
}

} // namespace korvane
