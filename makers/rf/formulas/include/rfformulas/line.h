// Per-metre constants of a TEM-like line for the simulator's lossy-line card, shared by the RF makers.
#pragma once

namespace rf {

struct LineConstants {
    double l = 0; // H/m
    double c = 0; // F/m
};

// Inductance and capacitance per metre of a line of impedance z0 whose wave travels at c0/sqrtEps.
LineConstants lineConstants(double sqrtEps, double z0);

// Surface resistance (ohms) of a conductor of resistivity rho (ohm metres) at f (Hz).
double surfaceResistance(double f, double rho);

struct LossConstants {
    double r = 0; // ohm/m
    double g = 0; // S/m
};

// Series resistance and shunt conductance per metre from the conductor and dielectric loss figures.
LossConstants lossConstants(double alphaC, double alphaD, const LineConstants& lc);

} // namespace rf
