#include "core.h"

#include "frame/modeltext.h"
#include "platform/format.h"

#include <cmath>

namespace tavrish {

namespace {
// dB/100 ft to nepers per metre, with 8.69 dB to the neper.
constexpr double kNeperPerMetre = 0.003775419902201523;
constexpr double kTwoPi = 6.283186;
} // namespace

unsigned refusedBy(const Inputs& in) {
    if (in.highBound < in.lowBound) return kHighBelowLow;
    if (in.highBound < in.frequency) return kHighBelowOperating;
    if (in.frequency < in.lowBound) return kOperatingBelowLow;
    // A catalogue's attenuation grows faster than √f (skin loss) and no faster than f (dielectric
    // loss); anything else is taken for a mistyped bound.
    const double e = attenuationRatio(in);
    const double r = in.highBound / in.lowBound;
    if (!(std::sqrt(r) < e && e <= r)) return kBadRatio;
    return 0;
}

double attenuationRatio(const Inputs& in) {
    return in.highAttenuation / in.lowAttenuation;
}

std::string refusalText(unsigned stringId, const std::string& format, const Inputs& in) {
    if (stringId != kBadRatio) return format;
    const double e = attenuationRatio(in);
    return korvane::format(format.c_str(), e, e * e);
}

Line compute(const Inputs& in) {
    Line l;
    const double invC = std::sqrt(1.111111111111111e-17); // 1/c with c = 3e8 m/s
    l.len = in.length * 0.3048;
    l.alphaLow = in.lowAttenuation * kNeperPerMetre;
    l.alphaHigh = in.highAttenuation * kNeperPerMetre;
    const double v = in.velocity * 0.01;
    l.C = invC / (v * in.impedance);
    l.L = invC * in.impedance / v;
    const double wLow = kTwoPi * in.lowBound;
    const double wHigh = kTwoPi * in.highBound;
    const double w = kTwoPi * in.frequency;
    l.xLow = std::sqrt(std::pow(wLow, 2) * l.L * l.C + l.alphaLow);
    l.xHigh = std::sqrt(std::pow(wHigh, 2) * l.L * l.C + l.alphaHigh);
    l.s = (w - wLow) / (wHigh - wLow);
    l.x = l.xLow + (l.xHigh - l.xLow) * l.s;
    l.alpha = l.alphaLow + (l.alphaHigh - l.alphaLow) * l.s;
    l.R = 2 * l.alpha * l.x / (w * l.C);
    return l;
}

CString modelText(const Inputs& in, const Line& l) {
    CString text = frame::banner("*******************   Lossy Line  ***************************",
                                 "*                 Lossy Line Model                          *");
    text += "\r\n";
    text += frame::dateText("* Date: %A, %B %d, %Y");
    text += "\r\n";
    text.AppendFormat("* Device Name\t\t\t\t %10s \r\n", kDeviceName);
    text.AppendFormat("* Line length \t\t\t\t\t= %8.3e ft\r\n", in.length);
    text.AppendFormat("* Characteristic impedance \t\t\t= %8.3e Ohms\r\n", in.impedance);
    text.AppendFormat("* Phase velocity \t\t\t\t= %8.3e %%\r\n", in.velocity);
    text.AppendFormat("* Nominal attenuation /ft\t\t\t= %8.3e dB/100ft\r\n", in.lowAttenuation);
    text.AppendFormat("* at Lower frequency bound\t\t\t= %8.3e MHz\r\n", in.lowBound * 1e-6);
    text.AppendFormat("* Nominal attenuation /ft\t\t\t= %8.3e dB/100ft\r\n", in.highAttenuation);
    text.AppendFormat("* at Higher frequency bound\t\t\t= %8.3e MHz\r\n", in.highBound * 1e-6);
    text.AppendFormat("* Operating frequency\t\t\t\t= %8.3e MHz\r\n", in.frequency * 1e-6);
    text.AppendFormat(".MODEL %15s LTRA\r\n", kDeviceName);
    text.AppendFormat("+ (LEN=%8.3e L=%8.3e C=%8.3e\r\n", l.len, l.L, l.C);
    text.AppendFormat("+ R=%8.3e)\r\n", l.R);
    return text;
}

} // namespace tavrish
