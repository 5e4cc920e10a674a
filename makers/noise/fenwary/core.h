// Fenwary's computation: a minimal-standard random generator, five distributions, and the table of
// time and value lines of a noise source. No window.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

namespace fenwary {

enum Distribution : int {
    kNormal = 0,
    kExponential = 1,
    kUniformInt = 2,
    kUniformLong = 3,
    kUniformReal = 4
};

// The dialog's values: the distribution's two parameters, the time range in seconds, the sample
// count (a double, truncated where used) and the RMS level; the selector beside them.
struct Inputs {
    double p1 = 0, p2 = 0;
    double tStart = 0, tStop = 0;
    double samples = 0;
    double rms = 0;
    int distribution = kNormal;
};

// The multiplicative congruential generator seed := 16807 × seed mod (2^31 − 1), by Schrage's
// decomposition so that nothing overflows 32 bits.
class Generator {
  public:
    // Starts from `seed` and discards ten draws. A seed that is 0 modulo 2^31 − 1 would keep the
    // generator at zero for ever; it starts from 1 instead.
    explicit Generator(std::int32_t seed);
    // Takes the seed as it is, without discarding anything.
    static Generator raw(std::int32_t seed);

    // One uniform draw, 0 < U < 1.
    double uniform();
    // One value of the distribution with parameters p1 and p2.
    double draw(int distribution, double p1, double p2);
    std::int32_t seed() const { return seed_; }

  private:
    Generator() = default;
    std::int32_t seed_ = 1;
    // The polar method's second value; kept, never used.
    bool haveSpare_ = false;
    double spare_ = 0;
};

// The seed of the next computation: the calendar time in seconds plus a counter that adds 17 more
// at every seeding in this library, so two results built in the same second differ.
std::int32_t nextSeed(std::int64_t seconds);

// The sample lines: n times from tStart to tStop, each with a fresh value of the distribution times
// the RMS level, continuing one generator from line to line.
CString sampleText(const Inputs& in, Generator& generator);

} // namespace fenwary
