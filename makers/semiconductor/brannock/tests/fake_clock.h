// A clock for tests: a fixed local date, and a tick that moves on by a set step each time it is read.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <ctime>

class FakeClock : public korvane::Clock {
  public:
    explicit FakeClock(std::uint64_t stepMs = 0, std::tm date = dayOf(2026, 12, 8))
        : step_(stepMs), date_(date) {
        previous_ = korvane::setClock(this);
    }
    ~FakeClock() override { korvane::setClock(previous_); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    std::tm localNow() override { return date_; }
    std::uint64_t tickMs() override {
        ++reads;
        now_ += step_;
        return now_;
    }
    void sleepMs(std::uint32_t ms) override { now_ += ms; }

    static std::tm dayOf(int year, int month, int day) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = 12;
        std::time_t s = timegm(&t); // normalises and fills the weekday
        gmtime_r(&s, &t);
        return t;
    }

    int reads = 0;

  private:
    std::uint64_t step_;
    std::uint64_t now_ = 1000;
    std::tm date_;
    korvane::Clock* previous_ = nullptr;
};
