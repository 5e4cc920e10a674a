#include "core.h"

#include "frame/core.h"
#include "frame/modeltext.h"
#include "rfformulas/line.h"
#include "rfformulas/stripline.h"

#include <cmath>

namespace hadrel {

Outcome compute(const Inputs& in) {
    Results r;
    // The loss formulas take ln(.../t): a zero strip is computed as 1 nm, and echoed as entered.
    r.t = in.thickness == 0 ? 1e-9 : in.thickness;
    r.z0 = rf::stripline::impedance(in.width, in.spacing, r.t, in.epsR);
    if (r.z0 == -1) return {std::nullopt, kNegativeThickness};
    const auto lc = rf::lineConstants(std::sqrt(in.epsR), r.z0);
    r.l = lc.l;
    r.c = lc.c;
    const auto a = rf::stripline::losses(in.width, in.spacing, r.t, in.epsR, in.frequency, r.z0,
                                         in.resistivity, in.tanDelta);
    if (a.conductor == -1) return {std::nullopt, kLossOutOfRange};
    r.alphaC = a.conductor;
    r.alphaD = a.dielectric;
    const auto rg = rf::lossConstants(r.alphaC, r.alphaD, lc);
    r.r = rg.r;
    r.g = rg.g;
    return {r, 0};
}

std::optional<std::string> nonFinite(const Results& r) {
    constexpr const char* geometry =
        "导线宽度, 绝缘厚度, 导线厚度 (the strip must be thinner than the spacing)";
    return frame::nonFiniteMessage({
        {"L", r.l, geometry},
        {"C", r.c, geometry},
        {"R", r.r, geometry},
        {"G", r.g, geometry},
    });
}

CString modelText(const Inputs& in, const Results& r) {
    CString text = frame::banner("***************  Generic strip line  ************************",
                                 "*             Centered-Triplate strip line                  *");
    text += "\r\n";
    text += frame::dateText("* Date: %A, %B %d, %Y\r\n");
    text += "* Name of Model Builder: \r\n";
    text.AppendFormat("* Device Name\t %10s \r\n", "generic_strip_line");
    text += "* Strip Line Electrical Characteristics\r\n";
    text.AppendFormat("* Relative dielectric constant \t\t\t= %8.3e \r\n", in.epsR);
    text.AppendFormat("* Operating frequency  \t\t\t\t= %8.3e GHz\r\n", in.frequency * 1e-9);
    text.AppendFormat("* Resistivity  \t\t\t\t\t= %8.3e nOhm*m\r\n", in.resistivity * 1e9);
    text.AppendFormat("* Loss tangent \t\t\t\t\t= %8.3e \r\n", in.tanDelta);
    text.AppendFormat("* Conductor length \t\t\t\t= %8.3e mm\r\n", in.length * 1e3);
    text.AppendFormat("* Conductor width \t\t\t\t= %8.3e mm\r\n", in.width * 1e3);
    text.AppendFormat("* Dielectric thickness \t\t\t\t= %8.3e mm\r\n", in.spacing * 1e3);
    text.AppendFormat("* Conductor thickness \t\t\t\t= %8.3e mm\r\n", in.thickness * 1e3);
    text.AppendFormat(".SUBCKT %15s IN OUT\r\n", "generic_strip_line");
    text += "Ostrplin IN  0  OUT  0  M_StripLine\r\n";
    text += ".MODEL  M_StripLine  LTRA\r\n";
    text.AppendFormat("+ (LEN=%8.3e L=%8.3e C=%8.3e\r\n", in.length, r.l, r.c);
    text.AppendFormat("+ R=%8.3e G=%8.3e)\r\n", r.r, r.g);
    text += ".ENDS";
    return text;
}

} // namespace hadrel
