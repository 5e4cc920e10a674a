#include "core.h"

#include "frame/modeltext.h"

#include <cmath>

namespace orsolan {

namespace {
constexpr double kMilPerMetre = 1000 * 39.37007874015748;
} // namespace

std::optional<unsigned> refusal(const Inputs& in) {
    // The winding depth (Do − Di)/2 must be positive: ln(8a/c) is undefined otherwise. Compared in
    // mils, as computed, so that two diameters a rounding apart cannot meet there.
    if (!(in.innerDiameter * kMilPerMetre < in.outerDiameter * kMilPerMetre)) return kDiameters;
    return std::nullopt;
}

Spiral compute(const Inputs& in) {
    Spiral sp;
    const double outer = in.outerDiameter * kMilPerMetre;
    const double inner = in.innerDiameter * kMilPerMetre;
    const double s = in.spacing * kMilPerMetre;
    const double w = in.width * kMilPerMetre;
    const double t = in.thickness == 0 ? 0.003937007874015749 : in.thickness * kMilPerMetre;

    const double a = (outer + inner) * 0.25;
    const double c = (outer - inner) * 0.5;
    const double n = ((outer - inner) + s + w) * 0.5 / (s + w);
    sp.meanRadius = a;
    sp.depth = c;
    sp.turns = n;
    const double lg = std::log(8 * a / c);
    sp.nanohenries = a * n * n * (lg + (c * c / (24 * a * a)) * (lg + 3.583) - 0.5) * 0.03141593;

    const double kiloHertz = in.frequency * 1e-9 * 1e6;
    const double rho = in.resistivity * 1e9 * 1e-9;
    const double rs = std::sqrt(kiloHertz * rho * 3.9478426310596e-06);
    sp.crowding = 1.4 + 0.217 * std::log(w / (5 * t));
    sp.R = rs * sp.crowding * n * a * 3.141593 / w;

    sp.betweenPf = in.between != 0 ? in.between * 1e12 : 0.000889 * outer + 0.06;
    sp.outerPf = in.outerShunt != 0 ? in.outerShunt * 1e12 : 0.000635 * outer + 0.075;
    sp.innerPf = in.innerShunt != 0 ? in.innerShunt * 1e12 : 0.0003175 * outer + 0.0625;
    return sp;
}

CString modelText(const Inputs& in, const Spiral& sp) {
    CString text = frame::banner("***********   Generic rf spiral inductor  *******************",
                                 "*             Generic rf spiral inductor                    *");
    text += "\r\n";
    text += "* ";
    text += frame::dateText("Date: %A, %B %d, %Y");
    text += "\r\n";
    text += "* Name of Model Builder: \r\n";
    text.AppendFormat("* Device Name\t %10s \r\n", kDeviceName);
    text.AppendFormat("* Outer diameter \t\t\t\t= %8.3e mm\r\n", in.outerDiameter * 1000);
    text.AppendFormat("* Inner diameter  \t\t\t\t= %8.3e mm\r\n", in.innerDiameter * 1000);
    text.AppendFormat("* Space between conductors \t\t\t= %8.3e mm\r\n", in.spacing * 1000);
    text.AppendFormat("* Conductor width  \t\t\t\t= %8.3e mm\r\n", in.width * 1000);
    text.AppendFormat("* Conductor thickness \t\t\t\t= %8.3e mm\r\n", in.thickness * 1000);
    text.AppendFormat("* Relative dielectric constant \t\t\t= %8.3e \r\n", in.permittivity);
    text.AppendFormat("* Operating frequency \t\t\t\t= %8.3e GHz\r\n", in.frequency * 1e-9);
    text.AppendFormat("* Resistivity  \t\t\t\t\t= %8.3e nOhm*m\r\n", in.resistivity * 1e9);
    text.AppendFormat("* Shunt capacitance at node 1 (outer node) \t= %8.3e pF\r\n", in.outerShunt * 1e12);
    text.AppendFormat("* Shunt capacitance at node 2 (inner node) \t= %8.3e pF\r\n", in.innerShunt * 1e12);
    text.AppendFormat("* Total capacitance between nodes \t\t= %8.3e pF\r\n", in.between * 1e12);
    text.AppendFormat(".subckt %15s outer inner\r\n", kDeviceName);
    text.AppendFormat("C1 outer 0 %8.3e\r\n", sp.outerPf * 1e-12);
    text.AppendFormat("C2 inner 0 %8.3e\r\n", sp.innerPf * 1e-12);
    text.AppendFormat("C outer inner %8.3e\r\n", sp.betweenPf * 1e-12);
    text.AppendFormat("R outer 3 %8.3e\r\n", sp.R);
    text.AppendFormat("L 3 inner %8.3e\r\n", sp.nanohenries * 1e-9);
    text += ".ends \r\n";
    return text;
}

} // namespace orsolan
