// Wenlock's computation: the microstrip line's per-metre L, C, R and G from the substrate and strip
// dimensions, and the sub-circuit text with one lossy-line element. No window.
#pragma once

#include "frame/core.h"
#include "platform/cstring.h"

#include <optional>
#include <string>

namespace wenlock {

// Page 1 (electrical) and page 2 (dimensions), in base units as entered.
struct Inputs {
    double epsR = 0, frequency = 0, resistivity = 0, tanDelta = 0;
    double length = 0, width = 0, height = 0, thickness = 0;
};

// The Yes/No questions: Yes means "re-enter", and the sheet stays open.
enum : unsigned { kAskWidthRatio = 9, kAskPermittivity = 10 };

struct Results {
    double t = 0; // the thickness computed with (a zero strip is taken as 1 nm)
    double wEff = 0, epsE0 = 0, epsEff = 0, z0 = 0, l = 0, c = 0, alphaC = 0, alphaD = 0, r = 0, g = 0;
};

// Runs the computation; nothing when the user chose to re-enter a value at a warning.
std::optional<Results> compute(const Inputs& in, const frame::Question& ask);

// The message for a result the card would print as inf or nan (a substrate with er exactly 1 has no
// dielectric-loss filling factor), or nothing.
std::optional<std::string> nonFinite(const Results& r);

// The whole model text.
CString modelText(const Inputs& in, const Results& r);

} // namespace wenlock
