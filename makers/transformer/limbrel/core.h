// Limbrel's computation: the two-winding linear transformer as two coupled inductors with winding
// resistances, and its sub-circuit text. No window. Gastor (the centre-tapped secondary) shares the
// inputs, the primary side and the banner.
#pragma once

#include "platform/cstring.h"

namespace limbrel {

// The sub-circuit's name, fixed.
inline constexpr const char* kSubcircuit = "PQ4-10";

// The dialog's values in base units: turns ratio primary : secondary (no unit), leakage and
// magnetising inductance (H), primary and secondary winding resistance (Ω).
struct Inputs {
    double ratio = 0;
    double leakage = 0;
    double magnetising = 0;
    double primaryResistance = 0;
    double secondaryResistance = 0;
};

// The leakage is split half to each side: the primary's self-inductance carries half of it, and the
// coupling is the magnetising share of that self-inductance.
double primaryInductance(const Inputs& in);
double coupling(const Inputs& in);

struct Elements {
    double l1 = 0; // primary self-inductance
    double l2 = 0; // secondary self-inductance, the primary's referred through the turns ratio
    double k = 0;
};
Elements compute(const Inputs& in);

// The seven banner lines under the given title line (no date line).
CString banner(const char* title);

// The whole model text, ending with ".ENDS" and an empty line.
CString modelText(const Inputs& in);

} // namespace limbrel
