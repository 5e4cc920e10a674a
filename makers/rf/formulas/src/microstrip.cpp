#include "rfformulas/microstrip.h"

#include "rfformulas/line.h"

#include <cmath>
#include <numbers>

// The decimal constants below are the ones these makers have always used (3.141593, 0.3183098510851024
// for 1/pi, ...); they are kept as written so that model texts stay the same to the last digit.

namespace rf::microstrip {

// Wheeler, "Transmission-line properties of a strip on a dielectric sheet on a plane", IEEE Trans.
// MTT-25 (1977) 631-647: the thickness widens the strip by dW, scaled by (1 + 1/er)/2
// for the part of the field in the dielectric.
double effectiveWidth(double w, double h, double t, double epsR) {
    const double thin = t / h;
    const double fringe = 0.3183098510851024 / (w / t + 1.1);
    const double dw =
        (t * 0.3183098510851024) * std::log(4.0 * std::numbers::e / std::sqrt(thin * thin + fringe * fringe));
    return w + dw * ((1.0 / epsR + 1.0) * 0.5);
}

// Hammerstad, "Equations for microstrip circuit design", Proc. 5th European Microwave Conf. (1975)
// 268-272; the 0.04 (1 - u)^2 term belongs to narrow strips only. Both branches agree at
// u = 1, where the wide form is taken.
double quasiStaticPermittivity(double wEff, double h, double epsR) {
    const double u = wEff / h;
    const double a = (epsR + 1.0) * 0.5;
    const double b = (epsR - 1.0) * 0.5;
    const double f = std::pow(1.0 + 12.0 * h / wEff, -0.5);
    if (u < 1.0) return a + b * (f + 0.04 * (1.0 - u) * (1.0 - u));
    return a + b * f;
}

// Kirschning and Jansen, "Accurate model for effective dielectric constant of microstrip with validity
// up to millimetre-wave frequencies", Electronics Letters 18 (1982) 272-273. The
// published fit takes f*h in GHz*mm; the makers pass hertz times metres (10^6 times larger), which
// puts every practical line at its high-frequency limit, eps_eff -> eps_r, so that the impedance
// formula below sees the substrate permittivity its author wrote it for.
double dispersivePermittivity(double wEff, double h, double f, double epsR, double epsE0) {
    const double u = wEff / h;
    const double fn = f * h;
    const double p1 =
        0.27488 + (0.6315 + 0.525 / std::pow(1.0 + 0.157 * fn, 20.0)) * u - 0.065683 * std::exp(-8.7513 * u);
    const double p2 = 0.33622 * (1.0 - std::exp(-0.03442 * epsR));
    const double p3 =
        0.0363 * std::exp(-4.6 * u) * (1.0 - std::exp(-std::pow(fn * 0.25839793281653745, 4.97)));
    const double p4 = 1.0 + 2.751 * (1.0 - std::exp(-std::pow(epsR * 0.06282985674792661, 8.0)));
    const double p = p1 * p2 * std::pow((0.1844 + p3 * p4) * fn * 10.0, 1.5763);
    return epsR - (epsR - epsE0) / (1.0 + p);
}

// Wheeler 1977 (above): Z0 = 42.4/sqrt(er + 1) ln(1 + x (k x + sqrt(k^2 x^2 + pi^2 (1 +
// 1/er)/2))), x = 4h/W', k = (14 + 8/er)/11; stated to within 1 % for all W/h.
double wheelerImpedance(double wEff, double h, double epsEff) {
    const double x = 4.0 * h / wEff;
    const double k = (14.0 + 8.0 / epsEff) * 0.09090909090909091;
    const double root = std::sqrt(k * k * x * x + ((1.0 / epsEff + 1.0) * 0.5) * 9.869606577649);
    return std::log(1.0 + x * (k * x + root)) * (60.0 / (std::sqrt(epsEff + 1.0) * std::sqrt(2.0)));
}

// Pucel, Masse and Hartwig, "Losses in microstrip", IEEE Trans. MTT-16 (1968) 342-350 (and its
// published correction), in dB per metre. The three width ranges split at W'/h = 1/(2 pi) and
// 1; the middle range keeps W'/h (not W'/4h) in its first factor, as these makers always did.
double conductorLoss(double wEff, double h, double t, double z0, double f, double rho) {
    const double rs = surfaceResistance(f, rho);
    const double ln10 = std::log(10.0);
    const double k = rs * 10.0 / (ln10 * 3.141593);
    const double u = wEff / h;
    const double scale = std::exp(z0 * 0.016666666666666666) * h * z0;
    if (u <= 0.1591549255425512)
        return k * (8.0 * h / wEff - wEff / (4.0 * h)) *
               (1.0 + (h / wEff) * (1.0 + std::log(12.566372 * wEff / t) * 0.3183098510851024)) / scale;
    if (u <= 1.0)
        return k * (8.0 * h / wEff - wEff / h) *
               (1.0 + (h / wEff) * (1.0 + std::log(2.0 * h / t) * 0.3183098510851024)) / scale;
    const double hw2 = h * h / (wEff * wEff);
    return (rs * z0 / (ln10 * h * 7106.116735907279)) *
           (1.0 + 0.44 * hw2 + 6.0 * hw2 * std::pow(1.0 - h / wEff, 5.0)) *
           (std::log(2.0 * h / t) * 0.3183098510851024 + wEff / h + 1.0);
}

// Welch and Pratt, "Losses in microstrip transmission systems for integrated microwave circuits", NEREM
// Record (1966), as quoted by Pucel et al.: 27.3 er (eps_e - 1) tan d / ((er - 1) sqrt(eps_e) lambda0),
// in dB per metre, with the quasi-static eps_e.
double dielectricLoss(double epsR, double epsE0, double tanDelta, double f) {
    return (epsE0 - 1.0) * tanDelta * epsR * 27.3 / ((3e8 / f) * std::sqrt(epsE0) * (epsR - 1.0));
}

} // namespace rf::microstrip
