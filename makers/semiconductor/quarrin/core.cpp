#include "core.h"

#include "frame/core.h"
#include "frame/modeltext.h"

#include <cmath>

namespace quarrin {

Parameters compute(const Inputs& in) {
    Parameters p;
    if (in.ifr == 0) {
        p.is = 1e-14;
        p.n = 0.001;
        p.rs = (in.pv - (std::log(in.pi) - std::log(1e-14)) * 2.55e-05) / in.pi;
    } else {
        const double u = (std::log(in.if2) - std::log(in.if1)) / (in.vf2 - in.vf1);
        p.n = 1 / (u * 0.0255);
        p.is = std::exp(std::log(in.if2) - u * in.vf2);
        p.rs = (in.vf3 - (std::log(in.if3) - std::log(p.is)) / u) / in.if3;
    }
    p.vgd = in.vgt - std::log(in.igt * 1e12) * 0.025;
    p.k2 = in.igt / in.ih;
    p.k1 = -(p.k2 * in.ih);
    p.bv = 1.2 * in.vrrm;
    p.breakIs = in.ih * 4.664e-07;
    p.xti = 3;
    p.crise = in.ih / (in.dvdt * 1e6);
    p.rleak = in.vdrm / in.idrm;
    p.con = in.ton * in.igt;
    p.offStateGiven = static_cast<long long>(in.id) != 0;
    if (p.offStateGiven) {
        p.roff = in.vrc / in.irc;
        p.i0 = in.irc;
    } else {
        p.i0 = 0.5 * in.pi;
        p.roff = 0.02 * in.pv / p.i0;
    }
    p.coff = in.toff * p.roff * std::log(in.ih / p.i0) * -0.001;
    return p;
}

std::optional<std::string> nonFinite(const Parameters& p) {
    constexpr const char* curve = "the forward voltage curve on page 1 (the three currents and voltages; "
                                  "two equal voltages or equal currents give no slope)";
    constexpr const char* offState = "the reverse current Irc, the reverse voltage Vrc and the identifier "
                                     "on page 2 (identifier 1 needs an Irc above 0)";
    return frame::nonFiniteMessage({
        {"N of the forward diode", p.n, curve},
        {"IS of the forward diode", p.is, curve},
        {"RS of the forward diode", p.rs, curve},
        {"ROFF", p.roff, offState},
        {"COFF", p.coff, offState},
    });
}

CString modelText(const Inputs& in, const Parameters& p) {
    CString t = frame::banner("************** Silicon Controlled Rectifier *****************",
                              "*           Silicon Controlled Rectifier Model              *");
    t += "* \r\n";
    t += frame::dateText("* Date: %A, %B %d, %Y");
    t += "* \r\n";
    t.AppendFormat("* Name of Model Builder: %25s \r\n\n", "");
    t += "* INPUT VALUES:\r\n\n* Page 1\r\n\n* General\r\n";
    t.AppendFormat("* Name of Model Builder:\t %15s \r\n", "");
    t.AppendFormat("* Device Type No.\t\t %15s \r\n\n", "");

    t += "* Electrical Characteristics\r\n";
    t.AppendFormat("* Holding Current\t\t\t\t\t= %8.3e mA\r\n", in.ih * 1e3);
    t.AppendFormat("* Gate Trigger Current\t\t\t\t= %8.3e mA\r\n", in.igt * 1e3);
    t.AppendFormat("* Gate Trigger Voltage\t\t\t\t= %8.3e V\r\n", in.vgt);
    t.AppendFormat("* Peak Forward Blocking Current\t\t\t= %8.3e uA\r\n", in.idrm * 1e6);
    t.AppendFormat("* Peak Forward Blocking Voltage\t\t\t= %8.3e V\r\n", in.vdrm);
    t.AppendFormat("* 1.05 Peak Reverse Blocking Voltage\t\t= %8.3e V\r\n", in.vrrm);
    t.AppendFormat("* Critical Rate of Rise of Off-State Voltage\t= %8.3e V/us\r\n\n", in.dvdt);

    constexpr const char* current = "* Instantaneous Forward Current \t\t\t= %8.3e A\r\n";
    t += "* Maximum Forward Voltage Chart \r\n";
    t.AppendFormat(current, in.if1);
    t.AppendFormat("* at Minimum Value of Instantaneous Voltage\t= %8.3e V\r\n", in.vf1);
    t.AppendFormat(current, in.if2);
    t.AppendFormat("* at Intermid. Value of Instantaneous Voltage\t= %8.3e V\r\n", in.vf2);
    t.AppendFormat(current, in.if3);
    t.AppendFormat("* at Max. Value of Instantaneous Voltage \t\t= %8.3e V\r\n\n", in.vf3);

    t += "* Page 2\r\n\n* Electrical Characteristics \r\n";
    t.AppendFormat("* Turn-On Time \t\t\t\t\t= %8.3e us\r\n", in.ton * 1e6);
    t.AppendFormat("* Turn-Off Time \t\t\t\t\t= %8.3e us\r\n\n", in.toff * 1e6);
    t += "* Maximum Ratings Chart \r\n";
    t.AppendFormat("* Forward Current \t\t\t\t= %8.3e A\r\n", in.ifr);
    t.AppendFormat("* Reverse Current \t\t\t\t= %8.3e mA\r\n", in.irc * 1e3);
    t.AppendFormat("* Reverse Voltage \t\t\t\t= %8.3e V\r\n", in.vrc);
    t.AppendFormat("* Identifier \t\t\t\t\t= %-8d \r\n", static_cast<int>(in.id));
    t.AppendFormat("* Parameter related to \"off-state\"  (forw. current)\t= %8.3e A\r\n", in.pi);
    t.AppendFormat("* Parameter related to \"off-state\" (peak.rev.bloc.volt.)\t= %8.3e V\r\n\n", in.pv);

    t += "* SCR SUBCIRCUIT\r\n";
    t.AppendFormat(".SUBCKT %11s 10 20 30\r\n", kModelName);
    t += ".MODEL DMOD D (N=0.001)\r\n";
    t.AppendFormat(".MODEL DON1 D(N = %8.3e, IS = %8.3e, RS = %8.3e,)\r\n", p.n, p.is, p.rs);
    t += ".MODEL DGAT D (IS=1E-12)\r\n";
    t.AppendFormat(".MODEL DBREAK D(IS = %8.3e, BV = %8.3e, XTI = %8.3e)\r\n", p.breakIs, p.bv, p.xti);

    t += "V5 10 14 DC 0\r\nDON 14 22 DON1\r\nE1 22 20 POLY(2)10 20 3 20 0 0 0 0 1\r\n*\r\n";
    t.AppendFormat("VGD 7 0 DC %8.3e\r\n", p.vgd);
    t += "DGATE 30 7 DGAT\r\n*\r\n";
    t.AppendFormat("CRISE 14 20 %8.3e\r\n", p.crise);
    t += "DBREAK1 20 27 DBREAK\r\nDBREAK2  14 27 DBREAK\r\nVREV 65 14 DC 0\r\nGOFF 20 65 66 67 1\r\n";
    t.AppendFormat("RLEAK 10 20 %8.3e\r\n", p.rleak);
    t += "*\r\n";

    t += "D1 3 1 DMOD\r\nD2 20 3 DMOD\r\n";
    t.AppendFormat("FCTRL 3 20 POLY(3) VGD V5 VREV %8.3e,  1,%8.3e, 1\r\n", p.k1, p.k2);
    t += "V1 1 20 DC 0.999\r\n";
    t.AppendFormat("CON 3 20 %8.3e, IC=1.5\r\n", p.con);
    t += "*\r\n";

    t += "D3 67 56 DMOD\r\nD4 56 70 DMOD\r\nD5 20 56 DMOD\r\nE2 66 20 10 20 -1\r\n";
    t.AppendFormat("COFF 56 20 %8.3e\r\n", p.coff);
    t.AppendFormat("ROFF 66 67 %8.3e\r\n", p.roff);
    t += "R10 66 70 1\r\n.ENDS";
    return t;
}

} // namespace quarrin
