#include "core.h"

#include <cmath>

namespace fenwary {

namespace {
constexpr std::int64_t kModulus = 2147483647; // 2^31 − 1
constexpr std::int64_t kMultiplier = 16807;
constexpr std::int64_t kQuotient = 127773;       // kModulus / kMultiplier
constexpr std::int64_t kRemainder = 2836;        // kModulus % kMultiplier
constexpr double kScale = 4.656612875245797e-10; // 1 / kModulus
} // namespace

Generator Generator::raw(std::int32_t seed) {
    Generator g;
    g.seed_ = seed;
    return g;
}

Generator::Generator(std::int32_t seed) : seed_(seed % kModulus == 0 ? 1 : seed) {
    for (int i = 0; i < 10; ++i)
        uniform();
    haveSpare_ = false;
}

double Generator::uniform() {
    // C's truncating division, as the 32-bit original computes it.
    const std::int64_t s = seed_;
    std::int64_t next = kMultiplier * (s % kQuotient) - kRemainder * (s / kQuotient);
    if (next <= 0) next += kModulus;
    seed_ = static_cast<std::int32_t>(next);
    return static_cast<double>(seed_) * kScale;
}

double Generator::draw(int distribution, double p1, double p2) {
    switch (distribution) {
    case kNormal: {
        double u1 = 0, u2 = 0, s = 0;
        do {
            u1 = 2 * uniform() - 1;
            u2 = 2 * uniform() - 1;
            s = u1 * u1 + u2 * u2;
        } while (s > 1);
        const double f = std::sqrt(-2 * std::log(s) / s);
        spare_ = u2 * f;
        haveSpare_ = true;
        return p1 + u1 * f * p2;
    }
    case kExponential:
        return -std::log(uniform()) * p1;
    case kUniformInt:
    case kUniformLong: {
        const double m = std::trunc(p1);
        return std::trunc(uniform() * m);
    }
    default:
        return p2 + uniform() * (p1 - p2);
    }
}

std::int32_t nextSeed(std::int64_t seconds) {
    static std::int64_t counter = 0;
    counter += 17;
    // The seed is a 32-bit signed number; the sum wraps as it would in 32 bits.
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds + counter)));
}

CString sampleText(const Inputs& in, Generator& generator) {
    CString text;
    const int n = static_cast<int>(in.samples);
    if (n < 2) return text;
    for (int i = 1; i <= n; ++i) {
        // t_1 is tStart and t_n is tStop.
        const double t = i * (in.tStop - in.tStart) / (n - 1) + (n * in.tStart - in.tStop) / (n - 1);
        const double v = generator.draw(in.distribution, in.p1, in.p2) * in.rms;
        text.AppendFormat(" %8.3e %8.3e\r\n", t, v);
    }
    return text;
}

} // namespace fenwary
