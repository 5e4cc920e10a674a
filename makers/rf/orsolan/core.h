// Orsolan's computation: a planar circular spiral inductor from its diameters, spacing, width and
// thickness — series R and L, a capacitance across the terminals and one at each — and its
// sub-circuit text. No window.
#pragma once

#include "platform/cstring.h"

#include <optional>
#include <string>

namespace orsolan {

// The two pages' values in base units: relative permittivity, hertz, ohm-metres, farads (0 asks for
// the estimate), and metres.
struct Inputs {
    double permittivity = 0;
    double frequency = 0;
    double resistivity = 0;
    double outerShunt = 0;
    double innerShunt = 0;
    double between = 0;
    double outerDiameter = 0;
    double innerDiameter = 0;
    double spacing = 0;
    double width = 0;
    double thickness = 0;
};

inline constexpr const char* kDeviceName = "generic_RF_Spiral_Inductor";

// The OK-only message for an inner diameter that is not below the outer one.
enum : unsigned { kDiameters = 1 };
inline constexpr const char* kDiametersText = "内径必须小于外径.";

// What the sub-circuit carries; lengths in mils, as the formulas take them.
struct Spiral {
    double meanRadius = 0; // a, mil
    double depth = 0;      // c, mil
    double turns = 0;      // n, not rounded
    double nanohenries = 0;
    double crowding = 0; // K
    double R = 0;        // Ω
    double betweenPf = 0, outerPf = 0, innerPf = 0;
};

// The string ID of the message that refuses the values, if any.
std::optional<unsigned> refusal(const Inputs& in);
// Only for values that pass `refusal`: Di ≥ Do has no winding depth to take a logarithm of.
Spiral compute(const Inputs& in);
CString modelText(const Inputs& in, const Spiral& sp);

} // namespace orsolan
