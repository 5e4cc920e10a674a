#include "core.h"

#include "frame/core.h"
#include "frame/modeltext.h"
#include "rfformulas/line.h"
#include "rfformulas/stripline.h"

#include <cmath>

namespace elvasco {

// Altschuler and Oliner, "Discontinuities in the center conductor of strip transmission line", IRE
// Trans. MTT-8 (1960) 328-339: the strip line is replaced by a parallel-plate guide of width D; the
// bend is a T of series reactances X_a and a shunt susceptance B_b, the general angle by the
// digamma-function expansion, the right angle by its own closed form.
Bend bend(double w, double angle, double b, double t, double epsR, double f) {
    Bend out;
    const double x = w / b;
    const double thickness = (t * 0.3183098510851024) * (1.0 - std::log(2.0 * t / b));
    if (x > 0.5) {
        out.d = w + thickness + (2.0 * b * 0.3183098510851024) * std::log(2.0);
    } else {
        // K(k)/K(k') with k = tanh(pi x / 2) < 0.7 here.
        out.d = b * rf::stripline::ellipticRatio(std::tanh(1.5707965 * x)) + thickness;
    }
    const double s = std::sqrt(epsR);
    const double d = out.d;
    if (angle != 90) {
        const double y = angle * 0.002777777777777778 - 0.5;
        out.inductanceFactor = (0.870648 * std::log(y + 1.0) + 0.023591 * (y + 1.0) + 0.144202 -
                                0.744174 / (y + 1.0) - 1.0 / y - 0.0641623) *
                               s * d * 1.0610328369503413e-9;
        out.capacitanceFactor = std::tanh(angle * 0.008726647222222222) * s * d * 3.3333333333333334e-9;
    } else {
        const double e = d * f * 3.3333333333333334e-9;
        out.inductanceFactor = (4.0 * e * e + 1.756) * d * s * 5.305164184751706e-10;
        out.capacitanceFactor = -3e8 / ((0.0725 - 0.159 / (e * e)) * d * s * f * f * 6.283186);
    }
    // The reference planes stand back from the corner by (D - W)/2 times the tangent of half the
    // bend angle (0.008726647222222222 is pi/360: degrees to radians, halved).
    out.offset = 0.5 * std::fabs(std::tan(angle * 0.008726647222222222)) * (d - w);
    return out;
}

Outcome compute(const Inputs& in) {
    Results r;
    // The thickness term and the loss formulas take ln(t): a zero strip is computed as 1 nm and
    // echoed as entered.
    r.t = in.thickness == 0 ? 1e-9 : in.thickness;
    r.z0 = rf::stripline::impedance(in.width, in.spacing, r.t, in.epsR);
    if (r.z0 == -1) return {std::nullopt, kNegativeThickness};
    if (in.angle == 180) return {std::nullopt, kStraightBend};
    r.bend = bend(in.width, in.angle, in.spacing, r.t, in.epsR, in.frequency);
    r.len = 0.5 * r.bend.offset;
    r.la = r.z0 * r.bend.inductanceFactor;
    r.cb = r.bend.capacitanceFactor / r.z0;
    const auto lc = rf::lineConstants(std::sqrt(in.epsR), r.z0);
    r.l = lc.l;
    r.c = lc.c;
    const auto a = rf::stripline::losses(in.width, in.spacing, r.t, in.epsR, in.frequency, r.z0,
                                         in.resistivity, in.tanDelta);
    if (a.conductor == -1) return {std::nullopt, kLossOutOfRange};
    r.alphaC = a.conductor;
    r.alphaD = a.dielectric;
    r.alphaTotal = r.alphaC + r.alphaD;
    const auto rg = rf::lossConstants(r.alphaC, r.alphaD, lc);
    r.r = rg.r;
    r.g = rg.g;
    return {r, 0};
}

std::optional<std::string> nonFinite(const Results& r) {
    constexpr const char* geometry =
        "带状导线宽度, 绝缘厚度, 导线厚度 (the strip must be thinner than the spacing)";
    constexpr const char* bendFields = "带状导线宽度, 弯曲角度, 绝缘厚度, 导线厚度";
    return frame::nonFiniteMessage({
        {"La", r.la, bendFields},
        {"Cb", r.cb, bendFields},
        {"LEN", r.len, bendFields},
        {"L", r.l, geometry},
        {"C", r.c, geometry},
        {"R", r.r, geometry},
        {"G", r.g, geometry},
    });
}

CString modelText(const Inputs& in, const Results& r) {
    CString text = frame::banner("*****************  Stripline bend  **************************",
                                 "*                  Stripline bend                           *");
    text += "\r\n";
    text += frame::dateText("* Date: %A, %B %d, %Y\r\n");
    text += "* Name of Model Builder: \r\n";
    text.AppendFormat("* Device Name\t %10s \r\n", "generic_stripline_bend");
    text += "* Stripline Bend Electrical Characteristics\r\n";
    text.AppendFormat("* Relative dielectric constant \t\t\t= %8.3e \r\n", in.epsR);
    text.AppendFormat("* Operating frequency  \t\t\t\t= %8.3e GHz\r\n", in.frequency * 1e-9);
    text.AppendFormat("* Resistivity  \t\t\t\t\t= %8.3e nOhm*m\r\n", in.resistivity * 1e9);
    text.AppendFormat("* Loss tangent \t\t\t\t\t= %8.3e \r\n", in.tanDelta);
    text.AppendFormat("* Stripline conductor width \t\t\t= %8.3e mm\r\n", in.width * 1e3);
    text.AppendFormat("* Bend angle \t\t\t\t\t= %8.3e degr.\r\n", in.angle);
    text.AppendFormat("* Dielectric thickness \t\t\t\t= %8.3e mm\r\n", in.spacing * 1e3);
    text.AppendFormat("* Conductor thickness \t\t\t\t= %8.3e mm\r\n", in.thickness * 1e3);
    text.AppendFormat(".SUBCKT %15s 1 2\r\n", "generic_stripline_bend");
    text += "Ostrplin1 1 0 n1 0 M_StripLine\r\n";
    text += "Ostrplin2 n2 0 2 0 M_StripLine\r\n";
    text.AppendFormat("La1 n1 n3 %8.3e\r\n", r.la);
    text.AppendFormat("La2 n3 n2 %8.3e\r\n", r.la);
    text.AppendFormat("Cb n3 0 %8.3e\r\n", r.cb);
    text.AppendFormat(".MODEL %15s LTRA\r\n", "M_StripLine");
    text.AppendFormat("+ (LEN=%8.3e L=%8.3e C=%8.3e\r\n", r.len, r.l, r.c);
    text.AppendFormat("+ R=%8.3e G=%8.3e)\r\n", r.r, r.g);
    text += ".ENDS \r\n";
    return text;
}

} // namespace elvasco
