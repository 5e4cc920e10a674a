#include "core.h"

#include "frame/modeltext.h"
#include "rfformulas/microstrip.h"

#include <cmath>

namespace paldrin {

// Kirschning and Jansen's fit of the impedance's frequency dependence (fn in GHz·mm), in the form and
// with the constants these makers have always used.
double dispersedImpedance(double w, double h, double epsR, double f, double epsE, double z0) {
    const double u = w / h;
    const double fn = f * h * 1e-6;
    const double r1 = 0.0389 * std::pow(epsR, 1.4);
    const double r2 = 0.267 * std::pow(u, 7);
    const double r3 = 4.766 * std::exp(-3.228 * std::pow(u, 0.641));
    const double r4 = 0.016 + std::pow(0.0514 * epsR, 4.524);
    const double r5 = std::pow(fn * 0.034670457303331834, 12);
    const double r6 = 22.2 * std::pow(u, 1.92);
    const double r7 = 1.206 - 0.3144 * std::exp(-r1) * (1 - std::exp(-r2));
    const double r8 = 1 + 1.275 * (1 - std::exp(-0.004625 * r3 * std::pow(epsR, 1.674) *
                                                std::pow(fn * 0.054451402123604685, 2.745)));
    const double e6 = std::pow(epsR - 1, 6);
    const double r9 =
        5.086 * r4 * r5 * std::exp(-r6) * e6 / ((0.3838 + 0.386 * r4) * (1 + 1.2992 * r5) * (1 + 10 * e6));
    const double f11 = std::pow(fn * 0.05136106831022086, 6);
    const double r10 = 0.00044 * std::pow(epsR, 2.136) + 0.0184;
    const double r11 = f11 / (1 + 0.0962 * f11);
    const double r12 = 1 / (1 + 0.00245 * u * u);
    const double r13 = 0.9408 * std::pow(epsE, r8) - 0.9603;
    const double r14 = (0.9408 - r9) * std::pow(epsE, r8) - 0.9603;
    const double r15 = 0.707 * r10 * std::pow(fn * 0.08130081300813008, 1.097);
    const double r16 = 1 + 0.0503 * epsR * epsR * r11 * (1 - std::exp(-std::pow(u * 0.06666666666666667, 6)));
    const double r17 = r7 * (1 - 1.1241 * (r12 / r16) * std::exp(-0.026 * std::pow(fn, 1.15656) - r15));
    return z0 * std::pow(r13 / r14, r17);
}

std::optional<unsigned> refusal(const Inputs& in) {
    // The finger formula divides by the spacing.
    if (in.spacing == 0) return kZeroSpacing;
    return std::nullopt;
}

std::optional<Result> compute(const Inputs& in, const frame::Question& ask) {
    Result r;
    const double t = in.thickness == 0 ? 1e-9 : in.thickness;
    r.inductance = in.seriesInductance == 0 ? 1e-12 : in.seriesInductance;
    const double h = in.height, we = in.terminalWidth, er = in.permittivity;

    r.z0Static = rf::microstrip::wheelerImpedance(we, h, er);
    r.z0 = dispersedImpedance(we, h, er, in.frequency, 1.0, r.z0Static);

    const double u = we / h;
    if ((u <= 0.1 || u >= 10) && !ask(kAskRatio)) return std::nullopt;
    if ((er <= 1 || er >= 128) && !ask(kAskPermittivity)) return std::nullopt;
    r.wEff = rf::microstrip::effectiveWidth(we, h, t, er);
    r.epsEff = rf::microstrip::dispersivePermittivity(r.wEff, h, in.frequency, er, 1.0);

    const double line = std::sqrt(r.epsEff) / (r.z0 * 3e8);
    r.c1 = in.inputShunt + line;
    r.c2 = in.outputShunt + line;

    const double n = std::trunc(in.fingers);
    r.x = t / (in.spacing * 0.5);
    r.a1 = std::pow(0.3349057 - 0.15287116 * r.x, 2);
    r.a2 = std::pow(0.50133101 - 0.22820444 * r.x, 2);
    r.fingerPf = ((n - 3) * r.a1 + r.a2) * ((r.epsEff + 1) / r.wEff) * in.length;

    r.r = std::sqrt(in.resistivity * in.frequency * 3.9478426310596e-06) * in.length * 4 / (r.wEff * 3);
    return r;
}

std::optional<std::string> nonFinite(const Result& r) {
    constexpr const char* shunt = "相对介电常数, 工作频率, 金手指底板厚度, 外部端子宽度";
    return frame::nonFiniteMessage({
        {"C1", r.c1, shunt},
        {"C2", r.c2, shunt},
        {"C", r.fingerPf, "金手指数, 金手指长度, 金手指间距, 金手指厚度, 外部端子宽度"},
        {"Rs", r.r, "电阻率, 工作频率, 金手指长度, 外部端子宽度"},
    });
}

CString modelText(const Inputs& in, const Result& r) {
    CString text = frame::banner("*************  Interdigital capacitor  **********************",
                                 "*              Interdigital capacitor                       *");
    text += "\r\n";
    text += "* ";
    text += frame::dateText("Date: %A, %B %d, %Y");
    text += "\r\n";
    text += "* Name of Model Builder: \r\n";
    text.AppendFormat("* Device Name\t %10s \r\n", kDeviceName);
    text += "* Interdigital Capacitor Electrical Characteristics\r\n";
    text.AppendFormat("* Relative dielectric constant \t\t\t= %8.3e \r\n", in.permittivity);
    text.AppendFormat("* Operating frequency  \t\t\t\t= %8.3e GHz\r\n", in.frequency * 1e-9);
    text.AppendFormat("* Resistivity  \t\t\t\t\t= %8.3e nOhm*m\r\n", in.resistivity * 1e9);
    text.AppendFormat("* Shunt capacitance at input node \t\t= %8.3e pF\r\n", in.inputShunt * 1e12);
    text.AppendFormat("* Shunt capacitance at output node \t\t= %8.3e pF\r\n", in.outputShunt * 1e12);
    text.AppendFormat("* Series inductor between nodes \t\t= %8.3e nH\r\n", in.seriesInductance * 1e9);
    text.AppendFormat("* Series resistance \t\t\t\t= %8.3e Ohm\r\n", in.seriesResistance);
    text.AppendFormat("* Number of fingers \t\t\t\t= %-8.0f \r\n", in.fingers);
    text.AppendFormat("* Finger length \t\t\t\t= %8.3e um\r\n", in.length * 1e6);
    text.AppendFormat("* Finger width \t\t\t\t\t= %8.3e um\r\n", in.width * 1e6);
    text.AppendFormat("* Substrate height \t\t\t\t= %8.3e um\r\n", in.height * 1e6);
    text.AppendFormat("* Space between fingers \t\t\t= %8.3e um\r\n", in.spacing * 1e6);
    text.AppendFormat("* Strip thickness \t\t\t\t= %8.3e um\r\n", in.thickness * 1e6);
    text.AppendFormat("* Finger end gap \t\t\t\t= %8.3e um\r\n", in.endGap * 1e6);
    text.AppendFormat("* External terminal width \t\t\t= %8.3e um\r\n", in.terminalWidth * 1e6);
    text.AppendFormat(".subckt %15s in out\r\n", kDeviceName);
    text.AppendFormat("C1 in 0 %8.3e\r\n", r.c1);
    text.AppendFormat("C2 out 0 %8.3e\r\n", r.c2);
    text.AppendFormat("R1 in 0 %8.3e\r\n", 1e12);
    text.AppendFormat("R2 out 0 %8.3e\r\n", 1e12);
    // The finger formula gives picofarads.
    text.AppendFormat("C in 3 %8.3e\r\n", r.fingerPf * 1e-12);
    text.AppendFormat("Rs 3 4 %8.3e\r\n", r.r);
    text.AppendFormat("Ls 4 out %8.3e\r\n", r.inductance);
    text += ".ENDS";
    return text;
}

} // namespace paldrin
