// The MOSFET maker's computation: level-1 parameters from data-sheet values, and the model text that
// echoes the inputs. Independent of any window: the sheet fills `Inputs` from its pages, asks its
// questions through a callback and takes the text.
#pragma once

#include "presets.h"

#include "frame/core.h"
#include "platform/cstring.h"

#include <array>
#include <optional>
#include <string>

namespace brannock {

// What the four pages hold, in base units (A, V, F) and as entered.
struct Inputs {
    std::array<double, kGeneralCount> general{};
    std::array<double, kTransferCount> transfer{};
    std::array<double, kOptionCCount> optionC{};
    std::array<double, kCapacitanceCount> capacitance{};
    int polarity = kNmos;
    int idGS = 1;  // 1: the transfer curve is given for small Vds
    int idNum = 1; // 1: three transfer curves for different Vsb
    int idBS = 0;  // 1: bulk and source connected
    int idCap = 1; // 1: no capacitance-versus-Vds curves
};

// The pages as a preset set leaves them.
Inputs presetInputs(int polarity);

// How the transfer characteristic is given. The not-modelled combination is echoed as such but
// computed as option B.
enum class Option { A, B, C, NotModelled };
Option transferOption(int idGS, int idNum);

struct Parameters {
    double KP = 0, VTO = 0, LAMBDA = 0, GAMMA = 0, PHI = 0, RD = 0, RS = 0, FC = 0, CBS = 0, CGDO = 0,
           CGBO = 0, CGSO = 0, IS = 0, PB = 0, MJ = 0, CBD = 0;
};

using frame::Question;

enum : unsigned {
    kAskZeroResistance = 4,
    kAskZeroOverlap = 5,
    kAskPredefinedJunction = 6,
    kAskRetry = 7,
};

// The junction capacitance fit: PB, MJ and CBD from four (V, C) points of the output capacitance.
struct JunctionFit {
    enum class Outcome { Converged, Predefined, Stopped };
    Outcome outcome = Outcome::Stopped;
    double PB = 0, MJ = 0, CBD = 0;
    long rounds = 0;
};
JunctionFit fitJunction(const std::array<double, 4>& volts, const std::array<double, 4>& farads,
                        const Question& ask);

// The calculation record: the entered values, the sign-changed copies the formulas use, and the
// parameters. Filled afresh on every OK.
class Calculation {
  public:
    explicit Calculation(const Inputs& entered);

    // False when the user declined a fallback: nothing is to be written.
    bool run(const Question& ask);
    // Replaces `text` with the model text of the last successful run.
    void writeText(CString& text) const;
    // After a run: the message naming a parameter the card would print as inf or nan, if any.
    std::optional<std::string> nonFinite() const;

    const Parameters& parameters() const { return p_; }
    const std::array<double, 3>& lambdas() const { return lambda_; }
    long fitRounds() const { return fitRounds_; }

  private:
    void transferCharacteristic();
    bool resistances(const Question& ask);
    bool capacitances(const Question& ask);
    void writeTransferEcho(CString& text) const;
    void writeCapacitanceEcho(CString& text) const;

    Inputs entered_;
    Inputs work_;
    Parameters p_;
    std::array<double, 3> lambda_{};
    std::array<double, 3> threshold_{};
    long fitRounds_ = 0;
};

} // namespace brannock
