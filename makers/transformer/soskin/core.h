// Soskin's computation: the ideal transformer's voltage ratios and its sub-circuit text. No window.
#pragma once

#include "platform/cstring.h"

#include <array>

namespace soskin {

// The dialog's values: primary voltage, secondary count (a double, truncated where used) and the five
// secondary voltages, in volts.
struct Inputs {
    double vp = 0;
    double count = 0;
    std::array<double, 5> secondary{};
};

// The whole model text: header with the date, then the sub-circuit of the counted secondaries.
CString modelText(const Inputs& in);

} // namespace soskin
