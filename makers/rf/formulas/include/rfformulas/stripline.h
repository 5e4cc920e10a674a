// Closed-form routines of the centred strip line (a strip of width w, thickness t midway between two
// ground planes b apart, in one dielectric). Plain numbers in metres, hertz and ohms.
#pragma once

namespace rf::stripline {

// Which formula gave the impedance.
enum class ImpedanceForm {
    WideThick,    // t > 0, t/b <= 0.25 and w/(b - t) >= 0.35
    Narrow,       // t > 0 otherwise: the effective-width formula
    ZeroThickness // t == 0
};
ImpedanceForm impedanceForm(double w, double b, double t);

// Characteristic impedance in ohms, or -1 for t < 0 (a thickness that cannot be).
double impedance(double w, double b, double t, double epsR);

// K(k)/K(k') by the two closed forms that split at k = 0.7.
double ellipticRatio(double k);

struct Losses {
    double conductor = 0;  // -1: the narrow-strip formula is out of its range
    double dielectric = 0; // Np/m
};

// True when the narrow-strip conductor-loss formula applies and t/b > 0.25 or t/w > 0.11 (outside it).
bool lossOutOfRange(double w, double b, double t);

// Conductor and dielectric losses; conductor is -1 when lossOutOfRange holds.
Losses losses(double w, double b, double t, double epsR, double f, double z0, double rho, double tanDelta);

} // namespace rf::stripline
