#include "core.h"

#include "frame/core.h"
#include "frame/modeltext.h"

#include <cmath>

namespace tessaly {

Parameters compute(const Inputs& in) {
    Parameters p;
    p.ib1 = (in.i1b + in.i1b + in.i1o) * 0.5;
    p.ib2 = (in.i1b + in.i1b - in.i1o) * 0.5;
    p.c2 = 1 / (in.fr2 * 6283.1852);
    p.c4 = 1 / (in.frz * 62831.852);
    p.c5 = 1 / (in.fr4 * 6283.1852);
    p.c1 = 1 / (in.fr1 * 6283.1852);
    p.r8 = in.fr3 == in.frz ? 1e12 : 10000 / (in.fr3 / in.frz - 1);
    p.e1 = (p.r8 + 10000) / p.r8;
    p.gain = in.gainInDb == 0 ? in.avd : std::pow(10.0, in.avd * 0.05) * 0.001;
    p.g1 = p.gain;
    const double cmrr = std::pow(10.0, in.cmrr * 0.05);
    p.g2 = p.gain / (cmrr + cmrr);
    p.f1 = p.c1 * in.srPlus * -1e6;
    p.f2 = p.c1 * in.srMinus * -1e6;
    p.f3 = -in.isr;
    p.f4 = -in.isn;
    p.g3 = 1 / in.ro;
    p.r5 = in.ro;
    return p;
}

std::optional<std::string> nonFinite(const Parameters& p) {
    constexpr const char* gain = "Voltage Gain (Avd) and Common-mode Rejection Ratio (CMRR) on page 1";
    constexpr const char* poles = "the pole and zero frequencies on page 2";
    return frame::nonFiniteMessage({
        {"g1", p.g1, gain},
        {"g2", p.g2, gain},
        {"c1", p.c1, poles},
        {"c2", p.c2, poles},
        {"c4", p.c4, poles},
        {"c5", p.c5, poles},
        {"r8", p.r8, poles},
        {"e1", p.e1, poles},
        {"f1", p.f1, "Pole 1 frequency (fr1) and Slew Rate (SR+)"},
        {"f2", p.f2, "Pole 1 frequency (fr1) and Slew Rate (SR-)"},
        {"g3", p.g3, "Output Resistance (Ro) on page 3"},
    });
}

namespace {

void inputStage(CString& t, const Inputs& in, const Parameters& p) {
    switch (in.stage) {
    case kNpn:
        t.AppendFormat("c3 3 4 %8.3e\r\n", in.ci);
        t.AppendFormat("r2 3 4 %8.3e\r\n", in.r1);
        t.AppendFormat("vc 3 2 %8.3e \r\n", in.v1o);
        t.AppendFormat("i1 3 0 %8.3e\r\n", p.ib1);
        t.AppendFormat("i2 4 0 %8.3e\r\n", p.ib2);
        t += "d1 1 2 DMOD\r\nd2 5 4 DMOD\r\n";
        break;
    case kPnp:
        t.AppendFormat("c3 3 4 %8.3e\r\n", in.ci);
        t.AppendFormat("r2 3 4 %8.3e\r\n", in.r1);
        t.AppendFormat("vc 2 3 %8.3e \r\n", in.v1o);
        t.AppendFormat("i1 0 3 %8.3e\r\n", p.ib1);
        t.AppendFormat("i2 0 4 %8.3e\r\n", p.ib2);
        t += "d1 2 1 DMOD\r\nd2 4 5 DMOD\r\n";
        break;
    default:
        t.AppendFormat("c3 3 5 %8.3e\r\n", in.ci);
        t.AppendFormat("r2 3 5 %8.3e\r\n", in.r1);
        t.AppendFormat("vc 3 1 %8.3e \r\n", in.v1o);
        t.AppendFormat("i1 3 0 %8.3e\r\n", p.ib1);
        t.AppendFormat("i2 4 0 %8.3e\r\n", p.ib2);
        // Node 4 would otherwise meet only a current source and controlling inputs, a singular circuit.
        t += "v4 4 5 dc 0\r\n";
        break;
    }
}

} // namespace

CString modelText(const Inputs& in, const Parameters& p) {
    CString t = frame::banner("**************** Operational Amplifier **********************",
                              "*              Operational Amplifier Model                  *");
    t += "\r\n";
    t += "* ";
    t += frame::dateText("Date: %A, %B %d, %Y");
    t += "\r\n";

    t.AppendFormat("* Model Name %s \r\n \r\n", kModelName);
    t += "* INPUT VALUES: \r\n \r\n* Page 1 \r\n \r\n* General \r\n";
    t.AppendFormat("* Model Name %15s \r\n", kModelName);
    t.AppendFormat("* Identifier %15d \r\n \r\n", in.stage);
    t += "* Input\r\n";
    t.AppendFormat("* Input Capacitance\t\t\t\t= %8.3e pF\r\n", in.ci * 1e12);
    t.AppendFormat("* Input Offset Current\t\t\t\t= %8.3e nA\r\n", in.i1o * 1e9);
    t.AppendFormat("* Input Bias Current\t\t\t\t= %8.3e nA\r\n", in.i1b * 1e9);
    t.AppendFormat("* Input Offset Voltage\t\t\t\t= %8.3e mV\r\n", in.v1o * 1000);
    t.AppendFormat("* Common-mode Input Resistance\t\t\t= %8.3e GOhm\r\n", in.rcm * 1e-9);
    t.AppendFormat("* Differential-mode Input Resistance\t\t= %8.3e MOhm\r\n", in.r1 * 1e-6);
    t.AppendFormat("* Common-mode Rejection Ratio\t\t\t= %8.3e dB\r\n", in.cmrr);
    if (in.gainInDb == 1)
        t.AppendFormat("* Voltage Gain\t\t\t\t\t= %8.3e dB\r\n \r\n", in.avd);
    else
        t.AppendFormat("* Voltage Gain\t\t\t\t\t= %8.3e V/mV\r\n \r\n", in.avd);

    t += "* Page 2 \r\n* Gain-frequency curve poles and Zero\r\n";
    t.AppendFormat("* Pole 1\t\t\t\t\t\t= %8.3e Hz\r\n", in.fr1);
    t.AppendFormat("* Pole 2\t\t\t\t\t\t= %8.3e MHz\r\n", in.fr2 * 1e-6);
    if (in.notAvailable) {
        t += "*Pole3 frequency (fp3)\t\t\t        not available\r\n"
             "*Pole4 frequency (fp4)\t\t\t        not available\r\n"
             "*Zero frequency (fz)\t\t            \tnot available\r\n";
    } else {
        t.AppendFormat("* Pole 3\t\t\t\t\t\t= %8.3e MHz\r\n", in.fr3 * 1e-6);
        t.AppendFormat("* Pole 4\t\t\t\t\t\t= %8.3e MHz\r\n", in.fr4 * 1e-6);
        t.AppendFormat("* Zero 3\t\t\t\t\t\t= %8.3e MHz\r\n \r\n", in.frz * 1e-6);
    }

    t += "* Page 3\r\n \r\n* Output\r\n";
    t.AppendFormat("* Slew Rate (non-inverting mode) \t\t\t= %8.3e V/us\r\n", in.srPlus);
    t.AppendFormat("* Slew Rate (inverting mode) \t\t\t= %8.3e V/us\r\n", in.srMinus);
    t.AppendFormat("* Output Resistance \t\t\t\t= %8.3e Ohm\r\n", in.ro);
    t.AppendFormat("* Maximum Source Output Current \t\t\t= %8.3e mA\r\n", in.isr * 1000);
    t.AppendFormat("* Maximum Sink Output Current \t\t\t= %8.3e mA\r\n \r\n", in.isn * 1000);

    t += "* OP-AMP Model\r\n";
    t.AppendFormat(".SUBCKT %11s 1 5 9 11 14\r\n", kModelName);
    t += "* terminal 1: invert input\r\n"
         "* terminal 5: non-invert input\r\n"
         "* terminal 9: positive power source\r\n"
         "* terminal 11: negative power source\r\n"
         "* terminal 14: output\r\n"
         ".MODEL DMOD D (N=0.001)\r\n";
    t.AppendFormat("r1 3 0 %8.3e\r\n", in.rcm);
    t.AppendFormat("r3 3 0 %8.3e\r\n", in.rcm);
    inputStage(t, in, p);

    t.AppendFormat("r6 13 0 %8.3e\r\n", 1000.0);
    t.AppendFormat("c2 13 0 %8.3e\r\n", p.c2);
    t.AppendFormat("g4 13 0 3 4 %8.3e\r\n", 0.001);
    t.AppendFormat("r7 17 18 %8.3e\r\n", 10000.0);
    t.AppendFormat("c4 17 18 %8.3e\r\n", p.c4);
    t.AppendFormat("r8 18 0 %8.3e\r\n", p.r8);
    t.AppendFormat("e1 17 0 13 0 %8.3e\r\n", p.e1);
    t.AppendFormat("r9 19 0 %8.3e\r\n", 1000.0);
    t.AppendFormat("c5 19 0 %8.3e\r\n", p.c5);
    t.AppendFormat("g5 19 0 3 4 %8.3e\r\n", 0.001);

    t.AppendFormat("r4 0 6 %8.3e\r\n", 1000.0);
    t.AppendFormat("c1 0 7 %8.3e\r\n", p.c1);
    t += "vb 6 7 dc=0\r\n";
    t.AppendFormat("g1 0 6 19 0 %8.3e\r\n", p.g1);
    t.AppendFormat("g2 0 6 poly(2) 3 0 4 0 0 %8.3e %8.3e\r\n", p.g2, p.g2);
    t += "d7 7 9 DMOD\r\nd3 7 8 DMOD\r\nd4 8 9 DMOD\r\nd8 11 7 DMOD\r\nd5 10 7 DMOD\r\nd6 11 10 DMOD\r\n";
    t.AppendFormat("f1 8 9 poly(1) vb %8.3e 1\r\n", p.f1);
    t.AppendFormat("f2 11 10 poly(1) vb %8.3e -1\r\n", p.f2);

    t += "va 12 14 dc 0\r\nd9 14 15 DMOD\r\nd10 15 9 DMOD\r\nd12 11 16 DMOD\r\nd11 16 14 DMOD\r\n";
    t.AppendFormat("f3 15 9 poly(1) va %8.3e 1\r\n", p.f3);
    t.AppendFormat("f4 11 16 poly(1) va %8.3e -1\r\n", p.f4);
    t.AppendFormat("g3 0 12 7 0 %8.3e\r\n", p.g3);
    t.AppendFormat("r5 0 12 %8.3e\r\n", p.r5);
    t += "rshunt1 9 0 1e6\r\nrshunt2 11 0 1e6\r\n.ENDS\r\n";
    return t;
}

} // namespace tessaly
