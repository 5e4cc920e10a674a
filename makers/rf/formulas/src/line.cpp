#include "rfformulas/line.h"

#include <cmath>

namespace rf {

// A TEM wave: L = sqrt(eps) Z0 / c0 and C = sqrt(eps) / (Z0 c0), with c0 taken as 3e8 m/s.
LineConstants lineConstants(double sqrtEps, double z0) {
    return {sqrtEps * z0 * 3.3333333333333334e-9, sqrtEps / (z0 * 3e8)};
}

// Rs = sqrt(pi f mu0 rho); 3.9478426310596e-06 is pi * mu0 = 4 pi^2 1e-7.
double surfaceResistance(double f, double rho) {
    return std::sqrt(f * rho * 3.9478426310596e-06);
}

// Telegrapher's equations for small losses: alpha = R/(2 Z0) + G Z0/2 with Z0 = sqrt(L/C).
LossConstants lossConstants(double alphaC, double alphaD, const LineConstants& lc) {
    return {2.0 * alphaC * std::sqrt(lc.l / lc.c), 2.0 * alphaD * std::sqrt(lc.c / lc.l)};
}

} // namespace rf
