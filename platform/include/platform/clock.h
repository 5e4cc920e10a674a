// The one clock of the suite: local calendar time, a millisecond tick and sleeping.
//
// Local time comes from SOURCE_DATE_EPOCH (seconds since 1970) when that variable is set, so that
// texts carrying a date can be reproduced. Tests replace the whole clock with setClock().
#pragma once

#include <cstdint>
#include <ctime>

namespace korvane {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::tm localNow() = 0;     // current local date and time
    virtual std::uint64_t tickMs() = 0; // milliseconds since an arbitrary start, monotonic
    virtual void sleepMs(std::uint32_t ms) = 0;
};

// The clock in force (the system clock unless a test installed another).
Clock& clock();

// Installs a clock; nullptr restores the system clock. Returns the previous one (nullptr = system).
Clock* setClock(Clock* c);

// Local time for a number of seconds since 1970.
std::tm localTimeOf(std::time_t seconds);

// The clock's current calendar time in whole seconds since 1970.
std::time_t calendarSeconds();

} // namespace korvane
