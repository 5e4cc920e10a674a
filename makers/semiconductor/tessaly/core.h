// Tessaly's computation: the operational amplifier macro-model's element values from data-sheet
// figures, and the sub-circuit text. No window: the sheet fills `Inputs` from its three pages.
#pragma once

#include "platform/cstring.h"

#include <optional>
#include <string>

namespace tessaly {

// The sub-circuit's name, the same in every text.
inline constexpr const char* kModelName = "generic_uA741";

// The input stage: the transistor type of the combo box.
enum InputStage : int { kDontCare = 0, kNpn = 1, kPnp = 2 };

// What the three pages hold: F, A, V, Ω, Hz; CMRR in dB; the gain in the unit of `gainInDb`; slew
// rates in V/µs.
struct Inputs {
    int stage = kDontCare;
    int gainInDb = 1;     // 1: Avd in dB, 0: Avd in V/mV
    int notAvailable = 0; // 1: the high-frequency poles and zero are echoed as not available
    // Page 1: input.
    double ci = 0, i1o = 0, i1b = 0, v1o = 0, rcm = 0, r1 = 0, cmrr = 0, avd = 0;
    // Page 2: poles and zero.
    double fr1 = 0, fr2 = 0, fr3 = 0, fr4 = 0, frz = 0;
    // Page 3: output.
    double srPlus = 0, srMinus = 0, ro = 0, isr = 0, isn = 0;
};

struct Parameters {
    double ib1 = 0, ib2 = 0;               // input bias current sources
    double c1 = 0, c2 = 0, c4 = 0, c5 = 0; // pole and zero capacitors
    double r8 = 0, e1 = 0;                 // zero network
    double gain = 0, g1 = 0, g2 = 0;       // gain in V/mV, differential and common-mode stages
    double f1 = 0, f2 = 0;                 // slew-rate limits
    double f3 = 0, f4 = 0, g3 = 0, r5 = 0; // output current limits and output stage
};

Parameters compute(const Inputs& in);

// The message naming the fields behind the first value the text would print as inf or nan.
std::optional<std::string> nonFinite(const Parameters& p);

// The whole model text.
CString modelText(const Inputs& in, const Parameters& p);

} // namespace tessaly
