// Dorvane's computation: a linear transformer with one primary and one to five secondaries, as
// winding resistances, self-inductances and coupling coefficients, and its sub-circuit text. No window.
#pragma once

#include "platform/cstring.h"

#include <array>
#include <utility>
#include <vector>

namespace dorvane {

inline constexpr int kMaxSecondaries = 5;

// The dialog's values in base units: primary voltage (V), magnetising and leakage inductance of the
// primary (H), its winding resistance (Ω), the secondary count (a double, truncated where used), and
// per secondary its output voltage (V), leakage inductance (H) and winding resistance (Ω).
struct Inputs {
    double vp = 0;
    double lm = 0;
    double lp = 0;
    double rp = 0;
    double count = 0;
    std::array<double, kMaxSecondaries> vs{};
    std::array<double, kMaxSecondaries> ls{};
    std::array<double, kMaxSecondaries> rs{};
};

struct Secondary {
    double ratio = 0;       // turns ratio primary : secondary, Vp / Vs
    double magnetising = 0; // the magnetising inductance seen from this secondary
    double l2 = 0;          // self-inductance
    double b = 0;           // 1 + leakage / magnetising, seen from this secondary
    double ka = 0;          // coupling to the primary
};

struct Elements {
    double a = 0;  // 1 + Lp / Lm
    double l1 = 0; // primary self-inductance
    std::vector<Secondary> secondaries;
    // Coupling between secondaries i and j (0-based), for i != j.
    double k(int i, int j) const;
};

// The counted secondaries (the count truncated, kept within 0 … 5).
int secondaryCount(const Inputs& in);
Elements compute(const Inputs& in);

// The order of the secondary-to-secondary coupling lines, as 1-based pairs.
std::vector<std::pair<int, int>> couplingOrder(int count);

// The whole model text: header with the date, then the sub-circuit of the counted secondaries.
CString modelText(const Inputs& in);

} // namespace dorvane
