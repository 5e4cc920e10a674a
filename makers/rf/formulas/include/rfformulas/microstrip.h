// Closed-form microstrip routines over plain numbers (metres, hertz, ohms). No window, no state: the
// microstrip line and interdigital capacitor makers call them with the values of their pages.
#pragma once

namespace rf::microstrip {

// Strip width corrected for a strip thickness t > 0 (metres in, metres out).
double effectiveWidth(double w, double h, double t, double epsR);

// Quasi-static effective permittivity of a strip of (effective) width wEff on a substrate of height h.
double quasiStaticPermittivity(double wEff, double h, double epsR);

// Effective permittivity at frequency f (Hz) from the quasi-static value epsE0.
double dispersivePermittivity(double wEff, double h, double f, double epsR, double epsE0);

// Characteristic impedance in ohms of a strip of width wEff over height h in a medium of epsEff.
double wheelerImpedance(double wEff, double h, double epsEff);

// Conductor loss of the strip (the makers' per-metre figure) from the surface resistance at f of a
// conductor of resistivity rho (ohm metres); t > 0.
double conductorLoss(double wEff, double h, double t, double z0, double f, double rho);

// Dielectric loss (the makers' per-metre figure); needs epsR != 1.
double dielectricLoss(double epsR, double epsE0, double tanDelta, double f);

} // namespace rf::microstrip
