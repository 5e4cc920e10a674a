// The one fake clock of the tests: a fixed local date, a tick that moves on by a set step each time it
// is read (and by every sleep), and sleeps that return at once but are remembered. It is the clock in
// force from its construction to its destruction.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <ctime>
#include <vector>

namespace korvane::testing {

class FakeClock : public korvane::Clock {
  public:
    explicit FakeClock(std::uint64_t stepMs = 0, std::tm localDate = dayOf(2026, 12, 8),
                       std::uint64_t startMs = 1000)
        : now(startMs), step(stepMs), date(localDate) {
        previous_ = korvane::setClock(this);
    }
    ~FakeClock() override { korvane::setClock(previous_); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    std::tm localNow() override { return date; }
    std::uint64_t tickMs() override {
        ++reads;
        now += step;
        return now;
    }
    void sleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }

    // Noon of a day, with its weekday and day of the year filled in.
    static std::tm dayOf(int year, int month, int day) { return at(year, month, day, 12, 0, 0); }
    static std::tm at(int year, int month, int day, int hour, int minute, int second) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        std::time_t s = timegm(&t); // normalises and fills the weekday
        gmtime_r(&s, &t);
        return t;
    }

    std::uint64_t now;                 // the tick
    std::uint64_t step;                // added to the tick at every read
    std::tm date;                      // what localNow() answers
    int reads = 0;                     // how often the tick was read
    std::vector<std::uint32_t> sleeps; // every sleep asked for, in order

  private:
    korvane::Clock* previous_ = nullptr;
};

} // namespace korvane::testing
