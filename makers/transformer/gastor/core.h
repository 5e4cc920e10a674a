// Gastor's computation: a linear transformer whose secondary has a centre tap (the neutral terminal),
// as three coupled inductors with their resistors, and its sub-circuit text. No window. The inputs,
// the primary side, the coupling and the banner are the two-winding transformer's.
#pragma once

#include "limbrel/core.h"
#include "platform/cstring.h"

namespace gastor {

// As the two-winding transformer's, with the ratio taken to the whole secondary and the secondary
// resistance read as that of each half.
using Inputs = limbrel::Inputs;

inline constexpr const char* kSubcircuit = "PQ4-10h";

struct Elements {
    double l1 = 0; // primary self-inductance
    double lh = 0; // self-inductance of each secondary half
    double k = 0;  // every pair of the three windings
};
Elements compute(const Inputs& in);

// The whole model text, ending with ".ENDS" and an empty line.
CString modelText(const Inputs& in);

} // namespace gastor
