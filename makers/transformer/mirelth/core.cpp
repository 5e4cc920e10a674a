#include "core.h"

#include "frame/modeltext.h"
#include "platform/format.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace mirelth {

const std::array<Sample, 3>& samples() {
    static const std::array<Sample, 3> s{{
        {"Laminated Sheet B-H curve", {{0, 0}, {1.0, 13.89}, {1.5, 51.58}, {1.7, 222.22}}},
        {"Hiperco 27 magnetic Alloy",
         {{0, 0},
          {0.4, 183.0},
          {0.6, 231.0},
          {0.8, 286.5},
          {1.0, 396.0},
          {1.2, 517.5},
          {1.4, 796.0},
          {1.6, 1392.5},
          {1.8, 2385.0},
          {2.0, 6333.0},
          {2.2, 17510.5}}},
        // Once around a whole hysteresis loop.
        {"Somaloy 500 powder iron core",
         {{0, 200},
          {0.5, 1050},
          {1.0, 2200},
          {1.25, 4000},
          {1.42, 6200},
          {1.28, 4000},
          {1.2, 2200},
          {0.85, 1050},
          {0.35, 0},
          {0, -200},
          {-0.5, -1050},
          {-1.0, -2200},
          {-1.25, -4000},
          {-1.42, -6200},
          {-1.28, -4000},
          {-1.2, -2200},
          {-0.85, -1050},
          {-0.35, 0}}},
    }};
    return s;
}

std::string cellText(double value) {
    return korvane::format("%lf", value);
}

bool isNumberText(const std::string& t) {
    size_t i = 0;
    auto digits = [&] {
        const size_t from = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i;
        return i - from;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t mantissa = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == t.size() && std::isfinite(std::strtod(t.c_str(), nullptr));
}

int secondaryCount(const Inputs& in) {
    if (!(in.count >= 1)) return 0;
    return in.count >= 5 ? 5 : static_cast<int>(in.count);
}

double primaryTurns(const Inputs& in) {
    return std::trunc(in.np);
}

double secondaryTurns(const Inputs& in, int i) {
    return std::trunc(in.vs[static_cast<size_t>(i)] * in.np / in.vp);
}

namespace {

const char* const kOrdinal[5] = {"1st", "2nd", "3rd", "4th", "5th"};

bool fitsModel(double turns) {
    return turns >= 1 && turns <= INT_MAX;
}

// The text is written only after `refusal` found nothing; a count no model takes would print 0.
int turnsNumber(double turns) {
    return fitsModel(turns) ? static_cast<int>(turns) : 0;
}

} // namespace

std::optional<std::string> refusal(const Inputs& in, const std::vector<CurveRow>& table) {
    for (size_t r = 0; r < table.size(); ++r)
        for (int c = 0; c < 2; ++c) {
            const std::string& cell = c == 0 ? table[r].b : table[r].h;
            if (!isNumberText(cell))
                return korvane::format("Row %zu of the B-H curve: the %s value \"%s\" is not a number. "
                                       "Enter a plain decimal number.",
                                       r + 1, c == 0 ? "B" : "H", cell.c_str());
        }
    if (!fitsModel(primaryTurns(in)))
        return korvane::format("Primary Turns: %g turns cannot be modelled; a winding takes 1 to %d turns.",
                               in.np, INT_MAX);
    for (int i = 0; i < secondaryCount(in); ++i) {
        const double exact = in.vs[static_cast<size_t>(i)] * in.np / in.vp;
        if (!fitsModel(secondaryTurns(in, i)))
            return korvane::format(
                "The %s secondary would get %.0f turns (its voltage × Primary Turns / Primary Input Voltage "
                "= %g); a winding takes 1 to %d turns. Change its voltage, the Primary Turns or the Primary "
                "Input Voltage.",
                kOrdinal[i], std::isfinite(exact) ? std::trunc(exact) : exact, exact, INT_MAX);
    }
    return std::nullopt;
}

namespace {
std::string array(const char* name, const std::vector<CurveRow>& table, std::string CurveRow::*cell) {
    std::string s = std::string(name) + "=[";
    for (size_t r = 0; r < table.size(); ++r) {
        if (r) s += ' ';
        s += table[r].*cell;
    }
    return s + "]";
}
} // namespace

std::string bArray(const std::vector<CurveRow>& table) {
    return array("b_array", table, &CurveRow::b);
}

std::string hArray(const std::vector<CurveRow>& table) {
    return array("h_array", table, &CurveRow::h);
}

CString modelText(const Inputs& in, const std::vector<CurveRow>& table) {
    CString text = "*************************************************************\r\n";
    frame::appendLines(text, {"*", "*          Nolinear Transformer Model",
                              "*          Quolvane                      ",
                              "*          SPICE MODEL MAKER TOOL  Version 1.1", "*"});
    text += frame::dateText("*   Date: %A, %B %d, %Y\r\n");
    text += "*************************************************************\r\n";

    const int count = secondaryCount(in);
    text += ".subckt nlinear_tran p1 p0";
    for (int i = 1; i <= count; ++i)
        text.AppendFormat(" s%d s%d0", i, i);
    text += "\r\n";

    text.AppendFormat("Rs1 p1 r1 %e\r\n", in.rp);
    text.AppendFormat("Ls1 r1 l1 %e\r\n", in.lp);
    text += "a1 (l1 p0) (m1 0) prim1\r\n";
    text.AppendFormat(".model prim1 lcouple(num_turns=%d)\r\n", turnsNumber(primaryTurns(in)));
    text += "am1 (m1 m2) core1\r\n";
    text.AppendFormat(".model core1 core(%s %s area=%e length=%e)\r\n", bArray(table).c_str(),
                      hArray(table).c_str(), in.ac, in.lc);

    for (int i = 1; i <= count; ++i) {
        const auto k = static_cast<size_t>(i - 1);
        text.AppendFormat("Rs2%d s%d r2%d %e\r\n", i, i, i, in.rs[k]);
        text.AppendFormat("Ls2%d r2%d l2%d %e\r\n", i, i, i, in.ls[k]);
        // The secondaries are wound on the same core, so the one flux goes through every winding: the
        // windings follow each other in the magnetic loop (m2, m3, …) and the last closes it to 0.
        // Side by side on m2 they would share the flux out among themselves.
        if (i < count)
            text.AppendFormat("a2%d (l2%d s%d0) (m%d m%d) sec%d\r\n", i, i, i, i + 1, i + 2, i);
        else
            text.AppendFormat("a2%d (l2%d s%d0) (m%d 0) sec%d\r\n", i, i, i, i + 1, i);
        text.AppendFormat(".model sec%d lcouple(num_turns=%d)\r\n", i,
                          turnsNumber(secondaryTurns(in, i - 1)));
    }
    text += ".ends\r\n";
    return text;
}

} // namespace mirelth
