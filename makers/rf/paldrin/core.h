// Paldrin's computation: an interdigital capacitor on a microstrip substrate as a lumped sub-circuit —
// finger capacitance, conductor resistance and series inductance between the pins, and at each pin a
// shunt capacitance from the terminal line and a leak resistor. No window.
#pragma once

#include "frame/core.h"
#include "platform/cstring.h"

#include <optional>
#include <string>

namespace paldrin {

// The two pages' values in base units (hertz, ohm-metres, farads, henries, ohms, metres); the finger
// count is a double, truncated where used.
struct Inputs {
    double permittivity = 0;
    double frequency = 0;
    double resistivity = 0;
    double inputShunt = 0;
    double outputShunt = 0;
    double seriesInductance = 0;
    double seriesResistance = 0; // echoed only
    double fingers = 0;
    double length = 0;
    double width = 0; // echoed only
    double height = 0;
    double spacing = 0;
    double thickness = 0;
    double endGap = 0; // echoed only
    double terminalWidth = 0;
};

inline constexpr const char* kDeviceName = "generic_interdigital_capacitor";

enum : unsigned { kAskRatio = 11, kAskPermittivity = 12, kZeroSpacing = 13 };
inline constexpr const char* kAskRatioText =
    "导线宽度:绝缘厚度比不在范围里[0.1, 10],可能会影响模型的精确度，继续吗？";
inline constexpr const char* kAskPermittivityText =
    "相对介电常数超出范围[1,128],可能会影响模型的精确度，继续吗？";
inline constexpr const char* kZeroSpacingText = "金手指间距必须大于 0.";

// The Kirschning–Jansen frequency dependence of a microstrip's impedance: z0 (the static impedance of
// a strip of width w over h) at f hertz, for a line whose effective permittivity is epsE.
double dispersedImpedance(double w, double h, double epsR, double f, double epsE, double z0);

struct Result {
    double z0Static = 0;   // Ω, terminal line without dispersion
    double z0 = 0;         // Ω, with dispersion
    double wEff = 0;       // m, thickness-corrected terminal width
    double epsEff = 0;     // dispersive effective permittivity
    double c1 = 0, c2 = 0; // F, shunt capacitances at in and out
    double x = 0, a1 = 0, a2 = 0;
    double fingerPf = 0;   // pF
    double r = 0;          // Ω
    double inductance = 0; // H, the entered one or 1e-12
};

// The message ID that refuses the values before anything is asked, if any.
std::optional<unsigned> refusal(const Inputs& in);
// Asks the range questions; nothing when one is answered No. Only for values `refusal` accepts.
std::optional<Result> compute(const Inputs& in, const frame::Question& ask);
// The message naming a printed value that is not a finite number, if any.
std::optional<std::string> nonFinite(const Result& r);

CString modelText(const Inputs& in, const Result& r);

} // namespace paldrin
