// Tavrish's computation: a lossy cable's catalogue data (length in feet, impedance, velocity of
// propagation, two attenuations in dB/100 ft) turned into the per-metre constants of an LTRA card.
// No window.
#pragma once

#include "platform/cstring.h"

#include <string>

namespace tavrish {

// The dialog's eight values: length in feet, Z0 in ohms, velocity in percent of c, attenuations in
// dB/100 ft, frequencies in hertz.
struct Inputs {
    double length = 0;
    double impedance = 0;
    double velocity = 0;
    double lowAttenuation = 0;
    double lowBound = 0;
    double highAttenuation = 0;
    double highBound = 0;
    double frequency = 0;
};

inline constexpr const char* kDeviceName = "LossyLine_MODEL_83241_Belden";

// The string-table messages of the four checks; the last is a printf format for e and e².
enum : unsigned { kHighBelowLow = 1, kHighBelowOperating = 2, kOperatingBelowLow = 3, kBadRatio = 4 };
inline constexpr const char* kHighBelowLowText = "高频上限必须大于低频下限.";
inline constexpr const char* kHighBelowOperatingText = "高频上限必须大于工作频率.";
inline constexpr const char* kOperatingBelowLowText = "工作频率必须大于低频下限.";
inline constexpr const char* kBadRatioFormat =
    "无效的高频上限(Fh) 或者低频下限(Fl)值.\nFh/Fl 比率应该是> %8.3e  和< %8.3e";

// The first check the values fail (its message's string ID), or 0 when they are accepted.
unsigned refusedBy(const Inputs& in);
// The attenuation ratio e = AH/AL that the last check and its message use.
double attenuationRatio(const Inputs& in);
// The message of a failed check, the ratio message filled in from its format.
std::string refusalText(unsigned stringId, const std::string& format, const Inputs& in);

// The LTRA constants and the interpolation behind them.
struct Line {
    double len = 0; // m
    double L = 0;   // H/m
    double C = 0;   // F/m
    double R = 0;   // Ω/m
    double s = 0;   // where the operating frequency lies between the bounds (0 … 1)
    double alpha = 0, alphaLow = 0, alphaHigh = 0; // Np/m
    double x = 0, xLow = 0, xHigh = 0;
};
// Only for values that pass every check: equal bounds would divide by zero.
Line compute(const Inputs& in);

// The bare .MODEL card with its header.
CString modelText(const Inputs& in, const Line& line);

} // namespace tavrish
