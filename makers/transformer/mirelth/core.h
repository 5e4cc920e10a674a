// Mirelth's computation: the turns of every winding and the sub-circuit of a transformer whose
// windings share one saturating core, given by its B-H table. No window.
#pragma once

#include "platform/cstring.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mirelth {

// The values of both pages in base units: volts, henries (the leakage boxes), ohms, metres and square
// metres; the secondary count, the primary turns and the curve-point count are doubles truncated
// where used.
struct Inputs {
    double vp = 0, lp = 0, rp = 0, count = 0;
    std::array<double, 5> vs{}, ls{}, rs{};
    double np = 0, lc = 0, ac = 0, curvePoints = 0;
};

// One row of the B-H table: the B and H cells as they stand in the list.
struct CurveRow {
    std::string b, h;
};

// A built-in B-H curve: its name and its (B, H) points in list order.
struct Sample {
    const char* name;
    std::vector<std::array<double, 2>> points;
};
const std::array<Sample, 3>& samples();

// A table cell's text for a number ("%lf": six decimals).
std::string cellText(double value);
// Whether a cell holds a plain decimal number the simulator reads ("1.5", "-0.35", "2e3").
bool isNumberText(const std::string& text);

// The secondaries the text lists: the count truncated, within 0..5.
int secondaryCount(const Inputs& in);
// Turns of the primary and of secondary i (from 0), truncated toward zero.
double primaryTurns(const Inputs& in);
double secondaryTurns(const Inputs& in, int i);

// Why no model can be written for these values (a table cell that is not a number, a winding with no
// turns or more than a model takes), or nothing when the text can be written.
std::optional<std::string> refusal(const Inputs& in, const std::vector<CurveRow>& table);

// "b_array=[…]" and "h_array=[…]": the cells of each column in row order, one blank apart.
std::string bArray(const std::vector<CurveRow>& table);
std::string hArray(const std::vector<CurveRow>& table);

// The whole model text: banner with the date, then the sub-circuit.
CString modelText(const Inputs& in, const std::vector<CurveRow>& table);

} // namespace mirelth
