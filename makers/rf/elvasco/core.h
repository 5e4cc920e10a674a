// Elvasco's computation: a bend in a centred strip line as two line arms with a T of two series
// inductances and a shunt capacitance, and its sub-circuit text. No window.
#pragma once

#include "platform/cstring.h"

#include <optional>
#include <string>

namespace elvasco {

// Page 1 (electrical) and page 2 (strip width, bend angle in degrees, ground-plane spacing b,
// thickness), base units.
struct Inputs {
    double epsR = 0, frequency = 0, resistivity = 0, tanDelta = 0;
    double width = 0, angle = 0, spacing = 0, thickness = 0;
};

// OK-only messages after which the sheet stays open. 15: a 180-degree "bend" is a straight line, whose
// bend inductance is unbounded.
enum : unsigned { kLossOutOfRange = 13, kNegativeThickness = 14, kStraightBend = 15 };

// The bend's equivalent parallel-plate width D and its two reactance factors (per ohm of Z0).
struct Bend {
    double d = 0;                 // equivalent parallel-plate width, m
    double inductanceFactor = 0;  // H per ohm
    double capacitanceFactor = 0; // F times ohm
    double offset = 0;            // reference-plane offset, m; each arm is half of it
};

// The bend of a strip of width w and thickness t > 0 between planes b apart, at `angle` degrees.
// The angle must not be 180.
Bend bend(double w, double angle, double b, double t, double epsR, double f);

struct Results {
    double t = 0; // the thickness computed with (a zero strip is taken as 1 nm)
    double z0 = 0;
    Bend bend;
    double la = 0, cb = 0, len = 0, l = 0, c = 0, alphaC = 0, alphaD = 0, alphaTotal = 0, r = 0, g = 0;
};

struct Outcome {
    std::optional<Results> results;
    unsigned refusal = 0; // the message string when there are no results
};

Outcome compute(const Inputs& in);

// The message for a result the card would print as inf or nan, or nothing.
std::optional<std::string> nonFinite(const Results& r);

CString modelText(const Inputs& in, const Results& r);

} // namespace elvasco
