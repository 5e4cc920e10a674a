// Aperture units (1e-5 mm) and the two conversions used by every display and entry field.
#pragma once

#include <cmath>
#include <cstdint>

namespace lumbra {

inline constexpr std::int32_t kUnitsPerMm = 100000;
inline constexpr std::int32_t kUnitsPerInch = 2540000;
inline constexpr double kInchPerMm = 0.03937007874015748;

// Half away from zero: x + 0.5 truncated for x >= 0, x - 0.5 truncated below.
inline double roundHalfAway(double x) {
    return x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5);
}

// The same rounding, clamped into the 32-bit range so that absurd entries cannot overflow.
inline std::int32_t roundToInt(double x) {
    double r = roundHalfAway(x);
    if (!(r == r)) return 0;
    if (r > 2147483647.0) return INT32_MAX;
    if (r < -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(r);
}

// Display length (millimetres when metric, else inches) to aperture units.
inline std::int32_t toUnits(double value, bool metric) {
    return roundToInt(metric ? value * 100000.0 : value * 25.4 * 100000.0);
}

// Aperture units to a display length.
inline double toLength(double units, bool metric) {
    return metric ? units * 1e-5 : units * 1e-5 * kInchPerMm;
}

} // namespace lumbra
