#include "rfformulas/stripline.h"

#include "rfformulas/line.h"

#include <cmath>

// The decimal constants below (3.141593, 0.3183098510851024 for 1/pi, 94.172 for eta0/4) are the ones
// these makers have always used; they are kept as written so that model texts stay the same.

namespace rf::stripline {

ImpedanceForm impedanceForm(double w, double b, double t) {
    if (t == 0) return ImpedanceForm::ZeroThickness;
    // w/(b - t) >= 0.35 written without the division, so that t >= b does not divide by zero.
    if (t / b <= 0.25 && b - w * 2.857142857142857 <= t) return ImpedanceForm::WideThick;
    return ImpedanceForm::Narrow;
}

// Hilberg, "From approximations to exact relations for characteristic impedances", IEEE Trans. MTT-17
// (1969) 259-265: K(k)/K(k') = pi / ln(2 (1 + sqrt k') / (1 - sqrt k')) for k <= 1/sqrt 2, and
// ln(2 (1 + sqrt k) / (1 - sqrt k)) / pi above; within 2e-6 of the integrals either
// way (the tests check).
double ellipticRatio(double k) {
    if (k <= 0.7) {
        const double kp = std::sqrt(std::sqrt(1.0 - k * k));
        return 3.141593 / std::log(2.0 * (1.0 + kp) / (1.0 - kp));
    }
    const double sk = std::sqrt(k);
    return 0.3183098510851024 * std::log(2.0 * (1.0 + sk) / (1.0 - sk));
}

namespace {

// Cohn, "Problems in strip transmission lines", IRE Trans. MTT-3 (1955) 119-126, with the
// fringing capacitance of a thick strip: parallel-plate part plus the fringing of a thick semi-infinite
// strip, good to about 1 % while w/(b - t) >= 0.35.
double wideThick(double w, double b, double t, double epsR) {
    const double q = 1.0 / (1.0 - t / b);
    // The two powers are evaluated apart: (q - 1)^(q - 1) tends to 1 as t -> 0.
    const double fringe =
        0.3183098510851024 * std::log(std::pow(q + 1.0, q + 1.0) / std::pow(q - 1.0, q - 1.0));
    return 94.172 / (std::sqrt(epsR) * ((w / b) * q + fringe));
}

// Wheeler, "Transmission-line properties of a strip line between parallel planes", IEEE Trans. MTT-26
// (1978) 866-876: the thick strip becomes a thin one of width W' and the thin strip's
// formula takes (b - t); within 0.5 % for W'/(b - t) < 10.
double narrow(double w, double b, double t, double epsR) {
    const double gap = b - t;
    const double m = 6.0 / (2.0 * t / gap + 3.0);
    const double side = 1.0 / (2.0 * gap / t + 1.0);
    const double wEff =
        w + (t * 0.3183098510851024) *
                (1.0 - 0.5 * std::log(std::pow(0.0795774627712756 / (w / t + 1.1), m) + side * side));
    const double l = 8.0 * gap / (3.141593 * wEff);
    return 30.0 * std::log(1.0 + 0.5 * l * (l + std::sqrt(l * l + 6.27))) / std::sqrt(epsR);
}

// Cohn, "Characteristic impedance of the shielded-strip transmission line", IRE Trans. MTT-2 (1954)
// 52-57: the exact zero-thickness impedance 30 pi / sqrt(er) K(k')/K(k), k = tanh(pi w / 2b).
double zeroThickness(double w, double b, double epsR) {
    const double k = std::tanh(1.5707965 * w / b);
    return 94.172391768 / (std::sqrt(epsR) * ellipticRatio(k));
}

} // namespace

double impedance(double w, double b, double t, double epsR) {
    if (t < 0) return -1;
    switch (impedanceForm(w, b, t)) {
    case ImpedanceForm::WideThick:
        return wideThick(w, b, t, epsR);
    case ImpedanceForm::Narrow:
        return narrow(w, b, t, epsR);
    case ImpedanceForm::ZeroThickness:
        break;
    }
    return zeroThickness(w, b, epsR);
}

bool lossOutOfRange(double w, double b, double t) {
    return !(w / (b - t) >= 0.35) && (t / b > 0.25 || t / w > 0.11);
}

// Conductor loss by Wheeler's incremental-inductance rule (Wheeler, "Formulas for the skin effect",
// Proc. IRE 30 (1942) 412-424) in the closed forms for wide and narrow strips given by Pozar,
// "Microwave Engineering", section on strip line (wide: A-factor form; narrow: B-factor form, here with
// Wheeler's thickness terms). Dielectric loss of a homogeneous TEM line: pi sqrt(er) tan d / lambda0.
Losses losses(double w, double b, double t, double epsR, double f, double z0, double rho, double tanDelta) {
    Losses out;
    const double rs = surfaceResistance(f, rho);
    const double y = t / b;
    const double q = 1.0 / (1.0 - y);
    if (w / (b - t) >= 0.35) {
        out.conductor = rs * epsR * z0 *
                        (q * (1.0 + (q * 0.3183098510851024) * (1.0 + y) * std::log((2.0 - y) / y)) +
                         2.0 * q * q * w / b) /
                        (b * 35493.717714);
    } else if (t / b > 0.25 || t / w > 0.11) {
        out.conductor = -1;
    } else {
        const double v = t / w;
        const double lambda = std::log(12.566372 * w / t);
        const double big = 1.0 + (b / (0.5 * w * (1.0 + y * (1.0 + lambda + 0.51 * v * v)))) *
                                     (0.5 + 0.669 * v - 0.255 * v * v + 0.1591549255425512 * lambda);
        out.conductor = rs * big / (b * z0 * 6.283186);
    }
    out.dielectric = std::sqrt(epsR) * tanDelta * 3.141593 / (3e8 / f);
    return out;
}

} // namespace rf::stripline
