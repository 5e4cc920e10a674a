#include "core.h"

#include "frame/modeltext.h"
#include "rfformulas/line.h"
#include "rfformulas/microstrip.h"

#include <cmath>

namespace wenlock {

std::optional<Results> compute(const Inputs& in, const frame::Question& ask) {
    using namespace rf::microstrip;
    Results r;
    // The loss formulas take ln(.../t): a zero strip is computed as 1 nm, and echoed as entered.
    r.t = in.thickness == 0 ? 1e-9 : in.thickness;
    const double h = in.height;
    r.wEff = effectiveWidth(in.width, h, r.t, in.epsR);
    const double u = r.wEff / h;
    // The formulas hold for W'/h in (0.1, 10) and er in (1, 128); outside, the user may re-enter.
    if ((u <= 0.1 || u >= 10) && ask(kAskWidthRatio)) return std::nullopt;
    if ((in.epsR <= 1 || in.epsR >= 128) && ask(kAskPermittivity)) return std::nullopt;
    r.epsE0 = quasiStaticPermittivity(r.wEff, h, in.epsR);
    r.epsEff = dispersivePermittivity(r.wEff, h, in.frequency, in.epsR, r.epsE0);
    r.z0 = wheelerImpedance(r.wEff, h, r.epsEff);
    const auto lc = rf::lineConstants(std::sqrt(r.epsEff), r.z0);
    r.l = lc.l;
    r.c = lc.c;
    r.alphaC = conductorLoss(r.wEff, h, r.t, r.z0, in.frequency, in.resistivity);
    r.alphaD = dielectricLoss(in.epsR, r.epsE0, in.tanDelta, in.frequency);
    const auto rg = rf::lossConstants(r.alphaC, r.alphaD, lc);
    r.r = rg.r;
    r.g = rg.g;
    return r;
}

std::optional<std::string> nonFinite(const Results& r) {
    constexpr const char* geometry = "相对介电常数, 导线宽度, 绝缘厚度";
    return frame::nonFiniteMessage({
        {"L", r.l, geometry},
        {"C", r.c, geometry},
        {"R", r.r, "电阻率, 工作频率, 导线宽度, 绝缘厚度, 导线厚度"},
        {"G", r.g, "相对介电常数 (at exactly 1 the dielectric loss is zero over zero), 损耗角正切值"},
    });
}

CString modelText(const Inputs& in, const Results& r) {
    CString text = frame::banner("*************  Generic microstrip line  *********************",
                                 "*             Generic microstrip line                       *");
    text += "\r\n";
    text += frame::dateText("* Date: %A, %B %d, %Y\r\n");
    text += "* Name of Model Builder: \r\n";
    text.AppendFormat("* Device Name\t %10s \r\n", "generic_microstrip_line");
    text += "* Microstrip Line Electrical Characteristics \r\n";
    text.AppendFormat("* Relative dielectric constant \t\t\t= %8.3e \r\n", in.epsR);
    text.AppendFormat("* Operating frequency  \t\t\t\t= %8.3e GHz\r\n", in.frequency * 1e-9);
    text.AppendFormat("* Resistivity  \t\t\t\t\t= %8.3e nOhm/m \r\n", in.resistivity * 1e9);
    text.AppendFormat("* Loss tangent \t\t\t\t\t= %8.3e \r\n", in.tanDelta);
    text.AppendFormat("* Conductor length \t\t\t\t= %8.3e mm \r\n", in.length * 1e3);
    text.AppendFormat("* Conductor width \t\t\t\t= %8.3e mm \r\n", in.width * 1e3);
    text.AppendFormat("* Dielectric thickness \t\t\t\t= %8.3e mm \r\n", in.height * 1e3);
    text.AppendFormat("* Conductor thickness \t\t\t\t= %8.3e mm \r\n", in.thickness * 1e3);
    text.AppendFormat(".SUBCKT %15s IN OUT \r\n", "generic_microstrip_line");
    text += "Omstrp IN 0 OUT 0 MicStrpMod \r\n";
    text.AppendFormat(".MODEL %15s LTRA \r\n", "MicStrpMod");
    text.AppendFormat("+ (LEN=%8.3e L=%8.3e C=%8.3e \r\n", in.length, r.l, r.c);
    text.AppendFormat("+ R=%8.3e G=%8.3e) \r\n", r.r, r.g);
    text += ".ENDS";
    return text;
}

} // namespace wenlock
