// Hadrel's computation: the centred strip line's per-metre L, C, R and G, and the sub-circuit text
// with one lossy-line element. No window.
#pragma once

#include "platform/cstring.h"

#include <optional>
#include <string>

namespace hadrel {

// Page 1 (electrical) and page 2 (dimensions; `spacing` is the ground-plane spacing b), base units.
struct Inputs {
    double epsR = 0, frequency = 0, resistivity = 0, tanDelta = 0;
    double length = 0, width = 0, spacing = 0, thickness = 0;
};

// OK-only messages after which the sheet stays open.
enum : unsigned { kLossOutOfRange = 11, kNegativeThickness = 12 };

struct Results {
    double t = 0; // the thickness computed with (a zero strip is taken as 1 nm)
    double z0 = 0, l = 0, c = 0, alphaC = 0, alphaD = 0, r = 0, g = 0;
};

struct Outcome {
    std::optional<Results> results;
    unsigned refusal = 0; // the message string when there are no results
};

Outcome compute(const Inputs& in);

// The message for a result the card would print as inf or nan (a strip as thick as the spacing), or
// nothing.
std::optional<std::string> nonFinite(const Results& r);

CString modelText(const Inputs& in, const Results& r);

} // namespace hadrel
