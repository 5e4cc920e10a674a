// Quarrin's computation: the SCR sub-circuit's diode, source and off-state values from data-sheet
// figures, and the model text. No window: the sheet fills `Inputs` from its two pages.
#pragma once

#include "platform/cstring.h"

#include <optional>
#include <string>

namespace quarrin {

// The sub-circuit's name, the same in every text.
inline constexpr const char* kModelName = "generic_src_2N6504";

// String-table ID of the refusal of gate values that give a negative gate source.
inline constexpr unsigned kGateOutOfRange = 11;

// What the two pages hold, in A, V and s; the off-state voltage rise in V/µs.
struct Inputs {
    // Page 1: electrical characteristics and the maximum forward voltage curve.
    double ih = 0, igt = 0, vgt = 0, idrm = 0, vdrm = 0, vrrm = 0, dvdt = 0;
    double if1 = 0, vf1 = 0, if2 = 0, vf2 = 0, if3 = 0, vf3 = 0;
    // Page 2: times, maximum ratings and the off-state network.
    double ton = 0, toff = 0, ifr = 0, irc = 0, vrc = 0, id = 0, pi = 0, pv = 0;
};

struct Parameters {
    double n = 0, is = 0, rs = 0;         // forward diode DON1
    double vgd = 0;                       // gate source
    double k1 = 0, k2 = 0;                // FCTRL coefficients
    double breakIs = 0, bv = 0, xti = 0;  // breakdown diode DBREAK
    double crise = 0, rleak = 0, con = 0; // rise capacitor, leakage, turn-on capacitor
    double i0 = 0, roff = 0, coff = 0;    // off-state network
    bool offStateGiven = false;           // ID's integer part is not 0: ROFF from VRC / IRC
};

Parameters compute(const Inputs& in);

// A gate source below zero (or not a number) cannot be built: the sheet refuses with string 11.
inline bool gateInRange(const Parameters& p) {
    return p.vgd >= 0;
}

// The message naming the fields behind the first value the text would print as inf or nan.
std::optional<std::string> nonFinite(const Parameters& p);

// The whole model text; its last line ".ENDS" has no line end.
CString modelText(const Inputs& in, const Parameters& p);

} // namespace quarrin
