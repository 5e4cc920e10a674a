#include "extraction.h"

#include "frame/modeltext.h"
#include "platform/clock.h"

#include <cmath>

namespace brannock {

namespace {

constexpr double kGateOverlapDivisor = 1e-4;
constexpr double kBulkOverlapDivisor = 1e-4;

// Page 1 indices.
enum : int { kMaxDrain = 0, kVgsOhmic = 1, kIdsOhmic = 2, kVdsOhmic = 3 };
constexpr int curveBase(int i) {
    return 4 + 5 * i;
} // Vgs, Ids low, Vds low, Ids high, Vds high

// Page 2 indices.
enum : int { kIdsA1 = 0, kVgsA1, kIdsA2, kVgsA2, kVdsB, kIdsB1, kVgsB1, kIdsB2, kVgsB2 };

// Page 4 indices.
enum : int { kCrss = 0, kCiss = 1, kCoss = 2, kVdb = 3 };
constexpr int pointBase(int k) {
    return 4 + 3 * k;
} // V, Crs, Cos

// Square roots of the two currents of a transfer curve, and the threshold the line through them meets.
double thresholdOf(double vgsLow, double rootLow, double vgsHigh, double rootHigh) {
    return vgsHigh - (vgsHigh - vgsLow) * rootHigh / (rootHigh - rootLow);
}

} // namespace

Inputs presetInputs(int polarity) {
    const int p = polarity == kPmos ? kPmos : kNmos;
    Inputs in;
    in.general = kGeneralPresets[p];
    in.transfer = kTransferPresets[p];
    in.optionC = kOptionCPreset;
    in.capacitance = kCapacitancePresets[p];
    in.polarity = p;
    in.idGS = in.idNum = p == kNmos ? 1 : 0;
    in.idBS = p == kPmos ? 1 : 0;
    in.idCap = p == kNmos ? 1 : 0;
    return in;
}

Option transferOption(int idGS, int idNum) {
    if (idGS) return idNum ? Option::C : Option::A;
    return idNum ? Option::NotModelled : Option::B;
}

JunctionFit fitJunction(const std::array<double, 4>& v, const std::array<double, 4>& c, const Question& ask) {
    JunctionFit f;
    auto predefined = [&f, &ask] {
        if (!ask(kAskPredefinedJunction)) {
            f.outcome = JunctionFit::Outcome::Stopped;
            return f;
        }
        f.PB = 0.8;
        f.MJ = 0.5;
        f.CBD = 0;
        f.outcome = JunctionFit::Outcome::Predefined;
        return f;
    };

    f.PB = 1.5;
    // The capacitance at zero volts: the parabola through the first three points.
    const double v1 = v[0], v2 = v[1], v3 = v[2], v4 = v[3];
    const double c1 = c[0], c2 = c[1], c3 = c[2], c4 = c[3];
    f.CBD = (v1 * v1 * v2 * c3 + v2 * v2 * v3 * c1 + v3 * v3 * v1 * c2 - v2 * v2 * v1 * c3 -
             v3 * v3 * v2 * c1 - v1 * v1 * v3 * c2) /
            (v2 * v2 * v3 + v3 * v3 * v1 + v1 * v1 * v2 - v2 * v2 * v1 - v3 * v3 * v2 - v1 * v1 * v3);

    const double u3 = v3 * (2.0 / 3.0) + 1, u4 = v4 * (2.0 / 3.0) + 1;
    const double r3 = c3 / f.CBD, r4 = c4 / f.CBD;
    if (!(u3 > 0) || !(u4 > 0) || !(r3 > 0) || !(r4 > 0)) return predefined();

    double m1 = std::log10(r3) / std::log10(u3);
    double m2 = (std::log10(r4) - std::log10(r3)) / (std::log10(u4) - std::log10(u3));
    int count = 0;
    std::uint64_t start = korvane::clock().tickMs();
    for (;;) {
        if (!(std::fabs(m2 - m1) > 0.01)) {
            f.MJ = -(m1 + m2) / 2;
            f.outcome = JunctionFit::Outcome::Converged;
            return f;
        }
        // Every thousand rounds: has the fit run for more than three seconds since the last check?
        if (++count > 999) {
            const std::uint64_t now = korvane::clock().tickMs();
            if (now > start && now - start > 3000) {
                if (!ask(kAskRetry)) {
                    f.outcome = JunctionFit::Outcome::Stopped;
                    return f;
                }
                start = now;
            }
            count = 0;
        }
        f.PB += m1 >= m2 ? 0.005 : -0.005;
        ++f.rounds;
        const double a1 = v1 / f.PB + 1, a3 = v3 / f.PB + 1, a4 = v4 / f.PB + 1;
        const double b1 = c1 / f.CBD, b3 = c3 / f.CBD, b4 = c4 / f.CBD;
        if (!(a1 > 0) || !(a3 > 0) || !(a4 > 0) || !(b1 > 0) || !(b3 > 0) || !(b4 > 0)) break;
        const double l1 = std::log10(a1), l3 = std::log10(a3), l4 = std::log10(a4);
        const double g1 = std::log10(b1), g3 = std::log10(b3), g4 = std::log10(b4);
        m1 = (g3 - g1) / (l3 - l1);
        m2 = (g4 - g3) / (l4 - l3);
    }
    return predefined();
}

Calculation::Calculation(const Inputs& entered) : entered_(entered) {
    entered_.idBS = entered_.idBS != 0 ? 1 : 0;
    entered_.idCap = entered_.idCap != 0 ? 1 : 0;
}

bool Calculation::run(const Question& ask) {
    work_ = entered_;
    p_ = Parameters{};
    lambda_ = {};
    threshold_ = {};
    fitRounds_ = 0;
    p_.PHI = 0.65;
    const bool pch = entered_.polarity == kPmos;
    auto& g = work_.general;

    // Channel-length modulation from the two saturation points of each output curve.
    for (int i = 0; i < 3; ++i) {
        const int b = curveBase(i);
        if (pch)
            for (int k = 1; k <= 4; ++k)
                g[static_cast<size_t>(b + k)] = -g[static_cast<size_t>(b + k)];
        const double i0 = g[static_cast<size_t>(b + 1)], v0 = g[static_cast<size_t>(b + 2)];
        const double i1 = g[static_cast<size_t>(b + 3)], v1 = g[static_cast<size_t>(b + 4)];
        lambda_[static_cast<size_t>(i)] = 1 / (i1 * (v1 - v0) / (i1 - i0) - v1);
    }
    p_.LAMBDA = (lambda_[2] + lambda_[1] + lambda_[0]) * (1.0 / 3.0);

    transferCharacteristic();
    if (!resistances(ask)) return false;
    if (!capacitances(ask)) return false;

    p_.IS = 5e-13 * (pch ? -g[kMaxDrain] : g[kMaxDrain]);
    return true;
}

void Calculation::transferCharacteristic() {
    const bool pch = entered_.polarity == kPmos;
    auto& t = work_.transfer;
    double beta = 0;
    switch (transferOption(work_.idGS, work_.idNum)) {
    case Option::A: {
        if (pch) {
            t[kIdsA1] = -t[kIdsA1];
            t[kIdsA2] = -t[kIdsA2];
        }
        const double s1 = std::sqrt(t[kIdsA1]), s2 = std::sqrt(t[kIdsA2]);
        p_.VTO = thresholdOf(t[kVgsA1], s1, t[kVgsA2], s2);
        p_.GAMMA = 0;
        beta = (s2 - s1) / (t[kVgsA2] - t[kVgsA1]);
        break;
    }
    case Option::B:
    case Option::NotModelled: {
        // Saturation currents referred back to zero Vds through LAMBDA; no sign change for either type.
        // A P-channel device whose LAMBDA x |Vds| stays below 1 gives a negative quotient; its magnitude
        // is taken so that the card gets numbers, not NaN (a positive quotient is used as it stands).
        const double scale = p_.LAMBDA * t[kVdsB] + 1;
        const double s1 = std::sqrt(std::fabs(t[kIdsB1] / scale)),
                     s2 = std::sqrt(std::fabs(t[kIdsB2] / scale));
        p_.VTO = thresholdOf(t[kVgsB1], s1, t[kVgsB2], s2);
        p_.GAMMA = 0;
        beta = (s2 - s1) / (t[kVgsB2] - t[kVgsB1]);
        break;
    }
    case Option::C: {
        auto& c = work_.optionC;
        double root[3][2] = {};
        for (int j = 0; j < 3; ++j) {
            const size_t b = static_cast<size_t>(5 * j);
            // The current boxes hold magnitudes only, so a P-channel device's currents are taken as
            // their magnitudes rather than negated.
            if (pch) {
                c[b + 1] = std::fabs(c[b + 1]);
                c[b + 3] = std::fabs(c[b + 3]);
            }
            root[j][0] = std::sqrt(c[b + 1]);
            root[j][1] = std::sqrt(c[b + 3]);
            threshold_[static_cast<size_t>(j)] = thresholdOf(c[b + 2], root[j][0], c[b + 4], root[j][1]);
        }
        p_.VTO = threshold_[0];
        // A P-channel threshold grows in magnitude towards negative values with the reverse bias, so its
        // body-effect coefficient comes out positive only with the shift taken the other way round.
        const double shift = pch ? threshold_[0] - threshold_[1] : threshold_[1] - threshold_[0];
        p_.GAMMA = shift / (std::sqrt(p_.PHI - c[5]) - std::sqrt(p_.PHI));
        beta = (root[0][1] - root[0][0]) / (c[4] - c[2]);
        break;
    }
    }
    p_.KP = 2 * beta * beta;
}

bool Calculation::resistances(const Question& ask) {
    auto& g = work_.general;
    if (entered_.polarity == kPmos) {
        g[kIdsOhmic] = -g[kIdsOhmic];
        g[kVdsOhmic] = -g[kVdsOhmic];
        g[kVgsOhmic] = -g[kVgsOhmic];
    }
    // The ohmic point with equal drain and source resistances R: a quadratic in R.
    const double vov = g[kVgsOhmic] - p_.VTO, i = g[kIdsOhmic], v = g[kVdsOhmic];
    const double a = 2 * p_.KP * i * i;
    const double b = 2 * p_.KP * i * (vov - v);
    const double c = i - p_.KP * v * (vov - 0.5 * v);
    double r = (std::sqrt(b * b - 4 * a * c) - b) / (2 * a);
    if (!(r >= 0)) {
        if (!ask(kAskZeroResistance)) return false;
        r = 0;
    }
    p_.RD = p_.RS = r;
    return true;
}

bool Calculation::capacitances(const Question& ask) {
    auto& k = work_.capacitance;
    const bool pch = entered_.polarity == kPmos;
    const bool bulkToSource = work_.idBS != 0;
    const bool curves = work_.idCap == 0;
    if (pch) k[kVdb] = -k[kVdb];
    const double crss = k[kCrss], ciss = k[kCiss], coss = k[kCoss], vdb = k[kVdb];

    auto gateDrainSource = [&]() {
        if (ciss - crss >= 0) {
            p_.CGDO = crss / kGateOverlapDivisor;
            p_.CGSO = (ciss - crss) / kGateOverlapDivisor;
            return true;
        }
        if (!ask(kAskZeroOverlap)) return false;
        p_.CGDO = p_.CGSO = 0;
        return true;
    };

    if (!bulkToSource) {
        // Bulk not connected; also taken when curves are marked available, which this case cannot use.
        const double d = ciss - 2.2 * crss;
        if (d >= 0) {
            p_.CGDO = crss / kGateOverlapDivisor;
            p_.CGSO = 1.2 * crss / kGateOverlapDivisor;
            p_.CGBO = d / kBulkOverlapDivisor;
        } else {
            if (!ask(kAskZeroOverlap)) return false;
            p_.CGDO = p_.CGSO = p_.CGBO = 0;
        }
        p_.PB = 0.8;
        p_.MJ = 0.46;
        p_.FC = 0.5;
        p_.CBD = (coss - crss) * std::pow(1.25 * vdb + 1, 0.46);
        p_.CBS = 1.2 * p_.CBD;
        return true;
    }

    if (!curves) {
        if (!gateDrainSource()) return false;
        p_.PB = 0.8;
        p_.MJ = 0.46;
        p_.FC = 0.5;
        p_.CBD = (coss - crss) * std::pow(1.25 * vdb + 1, 0.46);
        return true;
    }

    std::array<double, 4> volts{}, farads{};
    for (int n = 0; n < 4; ++n) {
        const size_t b = static_cast<size_t>(pointBase(n));
        if (pch) k[b] = -k[b];
        volts[static_cast<size_t>(n)] = k[b];
        farads[static_cast<size_t>(n)] = k[b + 2] - k[b + 1];
    }
    if (!gateDrainSource()) return false;
    p_.FC = 0.5;
    const JunctionFit fit = fitJunction(volts, farads, ask);
    fitRounds_ = fit.rounds;
    if (fit.outcome == JunctionFit::Outcome::Stopped) return false;
    p_.PB = fit.PB;
    p_.MJ = fit.MJ;
    p_.CBD = fit.CBD;
    if (p_.PB > 1.0) {
        p_.PB = 1.0;
        p_.MJ = std::log10(p_.CBD / (coss - crss)) / std::log10(vdb + 1);
    } else if (!(p_.PB >= 0.4)) {
        p_.PB = 0.4;
        p_.MJ = std::log10(p_.CBD / (coss - crss)) / std::log10(vdb + 1);
    }
    if (p_.MJ > 1.0)
        p_.MJ = 1.0;
    else if (!(p_.MJ >= 0.1))
        p_.MJ = 0.1;
    return true;
}

// ---------------------------------------------------------------- model text

namespace {
const char* const kDrainCurrent = "* Drain Current \t\t\t\t\t= %8.3e mA\r\n";
const char* const kLowRange = "* at Drain-to-Source Voltage (low values range)\t= %8.3e V\r\n";
const char* const kHighRange = "* at Drain-to-Source Voltage (high values range)\t= %8.3e V\r\n";
const char* const kSourceSubstrate = "* Source-to-Substrate  Voltage \t\t\t= %8.3e V\r\n";
const char* const kFeedback = "* Feed-back capacitance \t\t\t\t= %8.3e pF\r\n";
const char* const kOutput = "* Output capacitance \t\t\t\t= %8.3e pF\r\n";

constexpr double kMilli = 1e3;
constexpr double kPico = 1e12;

void optionCNotAvailable(CString& text) {
    text += "* Transfer Characteristics (Option C)\r\n"
            "* Transfer Characteristics (Option C)\t\tnot available\r\n";
    for (const char* n : {"C11", "C12", "C21", "C22", "C31", "C32"})
        text.AppendFormat("* Drain Current (Ids_%s) at %s Vgs\t\tnot available\r\n", n,
                          n[2] == '1' ? "lower" : "higher");
}
} // namespace

void Calculation::writeTransferEcho(CString& text) const {
    const auto& t = entered_.transfer;
    switch (transferOption(entered_.idGS, entered_.idNum)) {
    case Option::A:
        text += "* Transfer Characteristics (Option A)\r\n";
        text.AppendFormat(kDrainCurrent, t[kIdsA1] * kMilli);
        text.AppendFormat(kLowRange, t[kVgsA1]);
        text.AppendFormat(kDrainCurrent, t[kIdsA2] * kMilli);
        text.AppendFormat(kHighRange, t[kVgsA2]);
        text += "* Transfer Characteristics (Option B)\t\tnot available\r\n"
                "* Drain Current (Ids_B1) at lower Vgs\t\tnot available\r\n"
                "* Drain Current (Ids_B2) at higher Vgs\t\tnot available\r\n";
        optionCNotAvailable(text);
        break;
    case Option::B:
        text += "* Transfer Characteristics (Option B)\r\n";
        text.AppendFormat(kSourceSubstrate, t[kVdsB]);
        text.AppendFormat(kDrainCurrent, t[kIdsB1] * kMilli);
        text.AppendFormat(kLowRange, t[kVgsB1]);
        text.AppendFormat(kDrainCurrent, t[kIdsB2] * kMilli);
        text.AppendFormat(kHighRange, t[kVgsB2]);
        text += "* Transfer Characteristics (Option A)\t\tnot available\r\n"
                "* Drain Current (Ids_A1) at lower Vgs\t\tnot available\r\n"
                "* Drain Current (Ids_A2) at higher Vgs\t\tnot available\r\n";
        optionCNotAvailable(text);
        break;
    case Option::C: {
        text += "* Transfer Characteristics (Option A)\t\tnot available\r\n"
                "* Drain Current (Ids_A1) at lower Vgs\t\tnot available\r\n"
                "* Drain Current (Ids_A2) at higher Vgs\t\tnot available\r\n"
                "* Transfer Characteristics (Option B)\t\tnot available\r\n"
                "* Drain Current (Ids_B1) at lower Vgs\t\tnot available\r\n"
                "* Drain Current (Ids_B2) at higher Vgs\t\tnot available\r\n"
                "* Transfer Characteristics (Option C)\r\n";
        const char* const heads[3] = {"* Graph at Minimum Source-to-Substrate Voltage\r\n",
                                      "* Graph at Intermediate Source-to-Substrate Voltage\r\n",
                                      "* Graph at Maximum Source-to-Substrate Voltage\r\n"};
        const auto& c = entered_.optionC;
        for (size_t j = 0; j < 3; ++j) {
            const size_t b = 5 * j;
            text += heads[j];
            text.AppendFormat(kSourceSubstrate, c[b]);
            text.AppendFormat(kDrainCurrent, c[b + 1] * kMilli);
            text.AppendFormat(kLowRange, c[b + 2]);
            text.AppendFormat(kDrainCurrent, c[b + 3] * kMilli);
            text.AppendFormat(kHighRange, c[b + 4]);
        }
        break;
    }
    case Option::NotModelled:
        text += "* Not modelled. Go to other options\r\n"
                "* Transfer Characteristics (Option C)\r\n"
                "* Not modelled. Go to other options\r\n";
        break;
    }
}

void Calculation::writeCapacitanceEcho(CString& text) const {
    const auto& k = entered_.capacitance;
    text += "* Capacitances\r\n";
    text.AppendFormat("* Identifier ID_BS \t\t\t\t= %-1d\r\n", entered_.idBS);
    text.AppendFormat("* Identifier ID_Cap \t\t\t\t= %-1d\r\n", entered_.idCap);
    text += "* Capacitances values from the datasheet\r\n";
    text.AppendFormat(kFeedback, k[kCrss] * kPico);
    text.AppendFormat("* Input capacitance \t\t\t\t= %8.3e pF\r\n", k[kCiss] * kPico);
    text.AppendFormat(kOutput, k[kCoss] * kPico);
    text.AppendFormat("* Drain-Substrate Voltage  \t\t\t= %8.3e V\r\n", k[kVdb]);
    if (entered_.idBS == 0 || entered_.idCap == 1) {
        text += "* Capacitances vs. Drain-to-Source Voltage\tnot available\r\n";
        return;
    }
    text += "* Capacitances vs. Drain-to-Source Voltage\r\n";
    const struct {
        int point;
        const char* voltageLine;
    } printed[3] = {{0, "* at Minimum Drain-to-Source Voltage  \t\t= %8.3e V\r\n"},
                    {1, "* at Intermediate Drain-to-Source Voltage  \t= %8.3e V\r\n"},
                    {3, "* at Maximum Drain-to-Source Voltage  \t\t= %8.3e V\r\n"}};
    for (const auto& p : printed) {
        const size_t b = static_cast<size_t>(pointBase(p.point));
        text.AppendFormat(kFeedback, k[b + 1] * kPico);
        text.AppendFormat(kOutput, k[b + 2] * kPico);
        text.AppendFormat(p.voltageLine, k[b]);
    }
}

void Calculation::writeText(CString& text) const {
    const int pol = entered_.polarity == kPmos ? kPmos : kNmos;
    const auto& g = entered_.general;
    text = frame::banner("**************   Field Effect Transistor   ******************",
                         "*             Field Effect Transistor Model                 *");
    text += "\r\n";
    text += "* ";
    text += frame::dateText("Date: %A, %B %d, %Y");
    text += "\r\n";
    text += "* INPUT VALUES:\r\n* General:\r\n";
    text.AppendFormat("* Device Type No:\t %10s \r\n", kPresetNames[pol]);
    text.AppendFormat("* Device Type:\t %10s \r\n", kChannelNames[pol]);
    text += "* Ratings:\n";
    text.AppendFormat("* Max Drain Current \t\t\t\t= %8.3e mA\r\n", g[kMaxDrain] * kMilli);

    text += "* Output Characteristics for values beneath the \"pinch-off\" level:\r\n";
    text.AppendFormat("* Gate-to-Source Voltage \t\t\t\t= %8.3e V\r\n", g[kVgsOhmic]);
    text.AppendFormat(kDrainCurrent, g[kIdsOhmic] * kMilli);
    text.AppendFormat("* Drain-to-Source Voltage (highier values range)\t= %8.3e V\r\n", g[kVdsOhmic]);

    text += "* Output Characteristics (values above the \"pinch-off\" level):\r\n";
    const char* const gateLines[3] = {"* Minimum Gate-to-Source  Voltage \t\t= %8.3e V\r\n",
                                      "* Intermediate Gate-to-Source Voltage \t\t= %8.3e V\r\n",
                                      "* Maximum Gate-to-Source  Voltage \t\t= %8.3e V\r\n"};
    for (int i = 0; i < 3; ++i) {
        const size_t b = static_cast<size_t>(curveBase(i));
        text.AppendFormat(gateLines[i], g[b]);
        text.AppendFormat(kDrainCurrent, g[b + 1] * kMilli);
        text.AppendFormat("* at Drain-to-Source Voltage (low value)\t\t= %8.3e V\r\n", g[b + 2]);
        text.AppendFormat(kDrainCurrent, g[b + 3] * kMilli);
        text.AppendFormat("* at Drain-to-Source Voltage (high value)\t\t= %8.3e V\r\n", g[b + 4]);
    }

    text += "* Transfer Characteristics (Drain Current vs. Gate-to-Source Voltage):\r\n";
    text.AppendFormat("* Identifier ID_GS \t\t\t\t= %-1d\r\n", entered_.idGS);
    text.AppendFormat("* Identifier ID_Num \t\t\t\t= %-1d\r\n", entered_.idNum);
    writeTransferEcho(text);
    writeCapacitanceEcho(text);

    text += "************************************************************\r\n"
            "* This is a four-pin model with the following connections: \r\n"
            "* Drain, Gate, Source, Substrate\r\n\r\n";
    text.AppendFormat(".MODEL %10s %3s \r\n", kPresetNames[pol], kChannelNames[pol]);
    if (p_.GAMMA < 0 || p_.GAMMA > 0)
        text.AppendFormat("+ VTO=%8.3e PHI=%8.3e GAMMA=%8.3e LAMBDA=%8.3e\r\n", p_.VTO, p_.PHI, p_.GAMMA,
                          p_.LAMBDA);
    else
        text.AppendFormat("+ VTO = %8.3e PHI = %8.3e LAMBDA = %8.3e\r\n", p_.VTO, p_.PHI, p_.LAMBDA);
    text.AppendFormat("+ KP = %8.3e RD = %8.3e RS = %8.3e\r\n", p_.KP, p_.RD, p_.RS);
    if (entered_.idBS == 1) {
        text.AppendFormat("+ CBD=%8.3e IS=%8.3e\r\n", p_.CBD, p_.IS);
        text.AppendFormat("+ CGSO = %8.3e CGDO = %8.3e\r\n", p_.CGSO, p_.CGDO);
    } else {
        text.AppendFormat("+ CBS=%8.3e CBD=%8.3e IS=%8.3e\r\n", p_.CBS, p_.CBD, p_.IS);
        text.AppendFormat("+ CGSO = %8.3e CGDO = %8.3e CGBO = %8.3e\r\n", p_.CGSO, p_.CGDO, p_.CGBO);
    }
    text.AppendFormat("+ MJ=%8.3e PB=%8.3e  FC=%8.2e \r\n", p_.MJ, p_.PB, p_.FC);
}

std::optional<std::string> Calculation::nonFinite() const {
    constexpr const char* curves = "the Ids-Vds curves on page 1 (Vgs_f0 … Vds_f21)";
    constexpr const char* transfer =
        "the transfer characteristic (Option A or B on page 2, Option C on page 3)";
    constexpr const char* capacitances = "the capacitances on page 4";
    // A GAMMA that is not a number is left off the card; any other GAMMA is printed.
    const bool gammaPrinted = p_.GAMMA < 0 || p_.GAMMA > 0;
    const bool bulkAndSource = entered_.idBS == 1;
    return frame::nonFiniteMessage({
        {"LAMBDA", p_.LAMBDA, curves},
        {"VTO", p_.VTO, transfer},
        {"GAMMA", gammaPrinted ? p_.GAMMA : 0.0, "the Vsb values and currents of Option C on page 3"},
        {"KP", p_.KP, transfer},
        {"RD", p_.RD,
         "the ohmic point on page 1 (Vgs_ohmic, Ids_Ohmic, Vds_Ohmic) and the transfer characteristic"},
        {"RS", p_.RS,
         "the ohmic point on page 1 (Vgs_ohmic, Ids_Ohmic, Vds_Ohmic) and the transfer characteristic"},
        {"CBS", bulkAndSource ? 0.0 : p_.CBS, capacitances},
        {"CBD", p_.CBD, capacitances},
        {"IS", p_.IS, "Max Drain Current on page 1"},
        {"CGSO", p_.CGSO, capacitances},
        {"CGDO", p_.CGDO, capacitances},
        {"CGBO", bulkAndSource ? 0.0 : p_.CGBO, capacitances},
        {"MJ", p_.MJ, capacitances},
        {"PB", p_.PB, capacitances},
    });
}

} // namespace brannock
