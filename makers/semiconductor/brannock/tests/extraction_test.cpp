// The MOSFET parameter extraction and model text, driven without windows.
#include "extraction.h"
#include "platformtesting/fake_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace brannock;

namespace {

using korvane::testing::FakeClock;

// Answers questions from a list (No once it runs out) and records them.
struct Answers {
    std::vector<bool> given;
    std::vector<unsigned> asked;
    Question question() {
        return [this](unsigned id) {
            const bool yes = asked.size() < given.size() && given[asked.size()];
            asked.push_back(id);
            return yes;
        };
    }
};
const std::vector<bool> kYes(200, true);

std::string textOf(const Calculation& c) {
    CString text("previous text");
    c.writeText(text);
    return text.str();
}
// The .MODEL card, from its first line on.
std::string cardOf(const std::string& text) {
    return text.substr(std::min(text.find(".MODEL"), text.size()));
}
bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs the extraction answering Yes to everything; fails the test when it stops.
Calculation computed(const Inputs& in, Answers* record = nullptr) {
    Answers yes{kYes, {}};
    Calculation c(in);
    EXPECT_TRUE(c.run((record ? record : &yes)->question()));
    return c;
}

} // namespace

// ---------------------------------------------------------------- the preset sets

struct PresetCase {
    int polarity;
    std::vector<std::pair<double Parameters::*, double>> rounded; // parameter, value to 4 digits
    const char* card;
};

class BrannockPresets : public ::testing::TestWithParam<PresetCase> {};

TEST_P(BrannockPresets, GiveTheListedResultsWithoutAsking) {
    FakeClock clock(1);
    Answers none;
    Calculation c(presetInputs(GetParam().polarity));
    ASSERT_TRUE(c.run(none.question()));
    EXPECT_TRUE(none.asked.empty());
    for (auto [member, value] : GetParam().rounded)
        EXPECT_NEAR(c.parameters().*member, value, std::fabs(value) * 5e-4) << value;
    EXPECT_EQ(c.parameters().RS, c.parameters().RD);
    EXPECT_EQ(cardOf(textOf(c)), GetParam().card);
}

using P = Parameters;
INSTANTIATE_TEST_SUITE_P(
    Both, BrannockPresets,
    ::testing::Values(PresetCase{kNmos,
                                 {{&P::LAMBDA, 0.1027},
                                  {&P::VTO, 1.230},
                                  {&P::GAMMA, 0.3134},
                                  {&P::PHI, 0.65},
                                  {&P::KP, 0.01461},
                                  {&P::RD, 12.50},
                                  {&P::CGSO, 7.2e-9},
                                  {&P::CGDO, 6e-9},
                                  {&P::CGBO, 1.8e-9},
                                  {&P::CBD, 1.977e-12},
                                  {&P::CBS, 2.372e-12},
                                  {&P::IS, 2.5e-14},
                                  {&P::PB, 0.8},
                                  {&P::MJ, 0.46},
                                  {&P::FC, 0.5}},
                                 ".MODEL Mosfet_MODEL_BS250 NMOS \r\n"
                                 "+ VTO=1.230e+000 PHI=6.500e-001 GAMMA=3.134e-001 LAMBDA=1.027e-001\r\n"
                                 "+ KP = 1.461e-002 RD = 1.250e+001 RS = 1.250e+001\r\n"
                                 "+ CBS=2.372e-012 CBD=1.977e-012 IS=2.500e-014\r\n"
                                 "+ CGSO = 7.200e-009 CGDO = 6.000e-009 CGBO = 1.800e-009\r\n"
                                 "+ MJ=4.600e-001 PB=8.000e-001  FC=5.00e-001 \r\n"},
                      // The junction fit climbs far past 1 V; the clamp then fixes PB and takes MJ from the
                      // data-sheet values: log10(2e-11 / 7e-12) / log10(26).
                      PresetCase{kPmos,
                                 {{&P::LAMBDA, 0.06911},
                                  {&P::VTO, -1.4},
                                  {&P::GAMMA, 0},
                                  {&P::KP, 0.9038},
                                  {&P::RD, 3.285},
                                  {&P::CGSO, 1.2e-7},
                                  {&P::CGDO, 3e-8},
                                  {&P::CBD, 2e-11},
                                  {&P::IS, 9e-14},
                                  {&P::PB, 1.0},
                                  {&P::MJ, 0.3222},
                                  {&P::FC, 0.5}},
                                 ".MODEL Mosfet_MODEL_BSS83 PMOS \r\n"
                                 "+ VTO = -1.400e+000 PHI = 6.500e-001 LAMBDA = 6.911e-002\r\n"
                                 "+ KP = 9.038e-001 RD = 3.285e+000 RS = 3.285e+000\r\n"
                                 "+ CBD=2.000e-011 IS=9.000e-014\r\n"
                                 "+ CGSO = 1.200e-007 CGDO = 3.000e-008\r\n"
                                 "+ MJ=3.222e-001 PB=1.000e+000  FC=5.00e-001 \r\n"}));

// ---------------------------------------------------------------- questions

struct QuestionCase {
    const char* name;
    int polarity;
    std::function<void(Inputs&)> change;
    unsigned question;
    std::vector<double Parameters::*> zeroAfterYes;
};

class BrannockQuestions : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(BrannockQuestions, NoStopsAndYesTakesTheFallback) {
    const QuestionCase& q = GetParam();
    FakeClock clock(1);
    Inputs in = presetInputs(q.polarity);
    q.change(in);
    Answers no, yes{{true}, {}};
    EXPECT_FALSE(Calculation(in).run(no.question()));
    EXPECT_EQ(no.asked, std::vector<unsigned>{q.question});
    Calculation c = computed(in, &yes);
    EXPECT_EQ(yes.asked, std::vector<unsigned>{q.question});
    for (auto member : q.zeroAfterYes)
        EXPECT_EQ(c.parameters().*member, 0.0);
    if (q.question == kAskPredefinedJunction) {
        EXPECT_EQ(c.parameters().PB, 0.8);
        EXPECT_EQ(c.parameters().MJ, 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Each, BrannockQuestions,
    ::testing::Values(QuestionCase{"NegativeResistance",
                                   kNmos,
                                   [](Inputs& in) {
                                       in.general[2] = 0.01; // Ids_Ohmic
                                       in.general[3] = 0.1;  // Vds_Ohmic
                                   },
                                   kAskZeroResistance,
                                   {&P::RD, &P::RS}},
                      // A negative discriminant gives no number at all: out of range too.
                      QuestionCase{"ResistanceNotANumber",
                                   kNmos,
                                   [](Inputs& in) { in.general[2] = 1.0; },
                                   kAskZeroResistance,
                                   {&P::RD, &P::RS}},
                      QuestionCase{"OverlapBulkApart",
                                   kNmos,
                                   [](Inputs& in) { in.capacitance[0] = 1e-12; },
                                   kAskZeroOverlap,
                                   {&P::CGDO, &P::CGSO, &P::CGBO}},
                      QuestionCase{"OverlapBulkToSource",
                                   kNmos,
                                   [](Inputs& in) {
                                       in.idBS = 1;
                                       in.capacitance[0] = 2e-12;
                                   },
                                   kAskZeroOverlap,
                                   {&P::CGDO, &P::CGSO}},
                      QuestionCase{"OverlapWithCurves",
                                   kPmos,
                                   [](Inputs& in) { in.capacitance[1] = 1e-12; },
                                   kAskZeroOverlap,
                                   {&P::CGDO, &P::CGSO}},
                      QuestionCase{"JunctionPointBelowZero",
                                   kPmos,
                                   [](Inputs& in) { in.capacitance[11] = 3e-11; },
                                   kAskPredefinedJunction,
                                   {&P::CBD}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BrannockJunctionFit, LeavesTheLoopWhenALogarithmRunsOutOfRange) {
    FakeClock clock(1);
    // PB falls towards the last voltage's magnitude until V4 / PB + 1 is no longer positive.
    const std::array<double, 4> v{0, -0.2, -1, -1.45}, c{1e-12, 1.1e-12, 1.3e-12, 0.8e-12};
    Answers yes{{true}, {}}, no;
    JunctionFit f = fitJunction(v, c, yes.question());
    EXPECT_EQ(yes.asked, std::vector<unsigned>{kAskPredefinedJunction});
    EXPECT_EQ(f.outcome, JunctionFit::Outcome::Predefined);
    EXPECT_GT(f.rounds, 0);
    EXPECT_EQ(f.PB, 0.8);
    EXPECT_EQ(f.MJ, 0.5);
    EXPECT_EQ(f.CBD, 0.0);
    EXPECT_EQ(fitJunction(v, c, no.question()).outcome, JunctionFit::Outcome::Stopped);
}

TEST(BrannockJunctionFit, SlowFitAsksEveryThousandRoundsOnceThreeSecondsHavePassed) {
    // Every read of the tick moves the clock on by 4 s.
    FakeClock clock(4000);
    Answers no, yes{kYes, {}};
    Calculation stopped(presetInputs(kPmos));
    EXPECT_FALSE(stopped.run(no.question()));
    EXPECT_EQ(no.asked, std::vector<unsigned>{kAskRetry});
    EXPECT_EQ(stopped.fitRounds(), 999); // the check comes before the thousandth step of PB

    Calculation retried = computed(presetInputs(kPmos), &yes);
    EXPECT_EQ(static_cast<long>(yes.asked.size()), retried.fitRounds() / 1000);
    for (unsigned id : yes.asked)
        EXPECT_EQ(id, kAskRetry);
    EXPECT_EQ(retried.parameters().PB, 1.0);
    EXPECT_NEAR(retried.parameters().MJ, 0.3222, 1e-4);
}

// ---------------------------------------------------------------- options and sign changes

TEST(BrannockOptions, OptionAAndNotModelled) {
    FakeClock clock(1);
    Inputs a = presetInputs(kNmos), b = a, notModelled = a;
    a.idNum = 0;
    b.idGS = b.idNum = 0;
    notModelled.idGS = 0;
    // Option A's preset curve is the first option-C curve: the same threshold and gain, no body effect.
    const std::string cardA = cardOf(textOf(computed(a)));
    EXPECT_TRUE(
        contains(cardA, "+ VTO = 1.230e+000 PHI = 6.500e-001 LAMBDA = 1.027e-001\r\n+ KP = 1.461e-002"));
    EXPECT_EQ(cardOf(textOf(computed(notModelled))), cardOf(textOf(computed(b))));
}

TEST(BrannockOptions, PChannelOptionCMirrorsTheNChannelDevice) {
    // Option C's current boxes hold magnitudes, so a P-channel device enters the currents of its
    // N-channel mirror with negative gate voltages: the threshold comes out negated, the body effect
    // and gain unchanged.
    FakeClock clock(1);
    Inputs n = presetInputs(kNmos), p = n;
    p.polarity = kPmos;
    for (size_t j = 0; j < 3; ++j)
        for (size_t k : {2, 4})
            p.optionC[5 * j + k] = -n.optionC[5 * j + k];
    for (size_t k = 1; k < p.general.size(); ++k)
        p.general[k] = -n.general[k];
    const Parameters pn = computed(n).parameters();
    const Calculation cp = computed(p);
    EXPECT_NEAR(cp.parameters().VTO, -pn.VTO, 1e-12);
    EXPECT_NEAR(cp.parameters().GAMMA, pn.GAMMA, 1e-12);
    EXPECT_NEAR(cp.parameters().KP, pn.KP, 1e-15);
    EXPECT_TRUE(
        contains(textOf(cp), "+ VTO=-1.230e+000 PHI=6.500e-001 GAMMA=3.134e-001 LAMBDA=1.027e-001\r\n"));
}

TEST(BrannockOptions, PChannelOptionBWithSmallLambdaTimesVdsGivesNumbers) {
    // The preset's LAMBDA x Vds_B is below -1, so its quotient is positive; at a tenth of the drain
    // voltage the quotient turns negative and its square root would be NaN.
    FakeClock clock(1);
    Inputs p = presetInputs(kPmos);
    const Parameters preset = computed(p).parameters();
    p.transfer[4] /= 10; // "Vds for Ids-Vgs curve"
    const Parameters small = computed(p).parameters();
    EXPECT_TRUE(std::isfinite(small.VTO));
    EXPECT_TRUE(std::isfinite(small.KP));
    EXPECT_LT(small.VTO, 0.0);
    EXPECT_NE(small.KP, preset.KP);
}

TEST(BrannockOptions, UndefinedBodyEffectPrintsTheThreeValueLine) {
    FakeClock clock(1);
    Inputs in = presetInputs(kNmos);
    for (size_t k = 0; k < 5; ++k)
        in.optionC[5 + k] = in.optionC[k]; // 0 / 0
    const Calculation c = computed(in);
    EXPECT_TRUE(std::isnan(c.parameters().GAMMA));
    EXPECT_TRUE(contains(textOf(c), "+ VTO = 1.230e+000 PHI = 6.500e-001 LAMBDA = 1.027e-001\r\n"));
}

TEST(BrannockOptions, BulkApartWithCurvesMarkedComputesAsDatasheetValues) {
    FakeClock clock(1);
    Inputs curves = presetInputs(kNmos);
    curves.idCap = 0;
    const std::string text = textOf(computed(curves));
    EXPECT_EQ(cardOf(text), cardOf(textOf(computed(presetInputs(kNmos)))));
    EXPECT_TRUE(contains(text, "* Capacitances vs. Drain-to-Source Voltage\tnot available\r\n"));
}

TEST(BrannockOptions, SignChangesLeaveTheEnteredValuesAlone) {
    FakeClock clock(1);
    Calculation c = computed(presetInputs(kPmos));
    const std::string text = textOf(c);
    for (const char* line : {"* Max Drain Current \t\t\t\t= -1.800e+002 mA\r\n",
                             "* Gate-to-Source Voltage \t\t\t\t= -1.000e+001 V\r\n",
                             "* Drain-Substrate Voltage  \t\t\t= -2.500e+001 V\r\n"})
        EXPECT_TRUE(contains(text, line)) << line;
    // A second run from the same record gives the same card: nothing is negated twice.
    Answers none;
    ASSERT_TRUE(c.run(none.question()));
    EXPECT_EQ(cardOf(textOf(c)), cardOf(text));
}

// ---------------------------------------------------------------- the text

TEST(BrannockText, BannerDateAndHeader) {
    FakeClock clock(1, FakeClock::dayOf(2026, 12, 8));
    const std::string text = textOf(computed(presetInputs(kNmos)));
    const char* const head = "**************   Field Effect Transistor   ******************\r\n"
                             "*                                                           *\r\n"
                             "*             Field Effect Transistor Model                 *\r\n"
                             "*            Quolvane                                       *\r\n"
                             "*          SPICE MODEL MAKER TOOL  Version 1.1              *\r\n"
                             "*           \t\t\t\t\t\t    *\r\n"
                             "*                                                           *\r\n"
                             "*************************************************************\r\n"
                             "\r\n"
                             "* Date: Tuesday, December 08, 2026\r\n"
                             "* INPUT VALUES:\r\n* General:\r\n"
                             "* Device Type No:\t Mosfet_MODEL_BS250 \r\n"
                             "* Device Type:\t       NMOS \r\n"
                             "* Ratings:\n"
                             "* Max Drain Current \t\t\t\t= 5.000e+001 mA\r\n";
    EXPECT_EQ(text.substr(0, std::string(head).size()), head);
    EXPECT_TRUE(contains(text, "* Drain, Gate, Source, Substrate\r\n\r\n.MODEL"));
}

struct EchoCase {
    const char* name;
    int idGS, idNum;
    std::string block; // from the identifiers to the capacitance section
};

class BrannockTransferEcho : public ::testing::TestWithParam<EchoCase> {};

TEST_P(BrannockTransferEcho, PrintsTheUsedOptionAndMarksTheOthers) {
    FakeClock clock(1);
    Inputs in = presetInputs(kNmos);
    in.idGS = GetParam().idGS;
    in.idNum = GetParam().idNum;
    const std::string text = textOf(computed(in));
    const std::string ids = "* Identifier ID_GS \t\t\t\t= " + std::to_string(in.idGS) +
                            "\r\n* Identifier ID_Num \t\t\t\t= " + std::to_string(in.idNum) + "\r\n";
    EXPECT_TRUE(contains(text, ids + GetParam().block + "* Capacitances\r\n")) << text;
}

const std::string kDrain = "* Drain Current \t\t\t\t\t= ";
const std::string kLow = "* at Drain-to-Source Voltage (low values range)\t= ";
const std::string kHigh = "* at Drain-to-Source Voltage (high values range)\t= ";
const std::string kANot = "* Transfer Characteristics (Option A)\t\tnot available\r\n"
                          "* Drain Current (Ids_A1) at lower Vgs\t\tnot available\r\n"
                          "* Drain Current (Ids_A2) at higher Vgs\t\tnot available\r\n";
const std::string kBNot = "* Transfer Characteristics (Option B)\t\tnot available\r\n"
                          "* Drain Current (Ids_B1) at lower Vgs\t\tnot available\r\n"
                          "* Drain Current (Ids_B2) at higher Vgs\t\tnot available\r\n";
const std::string kCNot = "* Transfer Characteristics (Option C)\r\n"
                          "* Transfer Characteristics (Option C)\t\tnot available\r\n"
                          "* Drain Current (Ids_C11) at lower Vgs\t\tnot available\r\n"
                          "* Drain Current (Ids_C12) at higher Vgs\t\tnot available\r\n"
                          "* Drain Current (Ids_C21) at lower Vgs\t\tnot available\r\n"
                          "* Drain Current (Ids_C22) at higher Vgs\t\tnot available\r\n"
                          "* Drain Current (Ids_C31) at lower Vgs\t\tnot available\r\n"
                          "* Drain Current (Ids_C32) at higher Vgs\t\tnot available\r\n";
const std::string kSub = "* Source-to-Substrate  Voltage \t\t\t= ";

INSTANTIATE_TEST_SUITE_P(
    Each, BrannockTransferEcho,
    ::testing::Values(
        EchoCase{"A", 1, 0,
                 "* Transfer Characteristics (Option A)\r\n" + kDrain + "1.000e+000 mA\r\n" + kLow +
                     "1.600e+000 V\r\n" + kDrain + "1.000e+001 mA\r\n" + kHigh + "2.400e+000 V\r\n" + kBNot +
                     kCNot},
        EchoCase{"B", 0, 0,
                 "* Transfer Characteristics (Option B)\r\n" + kSub + "1.000e+001 V\r\n" + kDrain +
                     "1.000e+001 mA\r\n" + kLow + "2.000e+000 V\r\n" + kDrain + "3.100e+001 mA\r\n" + kHigh +
                     "3.000e+000 V\r\n" + kANot + kCNot},
        EchoCase{"C", 1, 1,
                 kANot + kBNot + "* Transfer Characteristics (Option C)\r\n" +
                     "* Graph at Minimum Source-to-Substrate Voltage\r\n" + kSub + "0.000e+000 V\r\n" +
                     kDrain + "1.000e+000 mA\r\n" + kLow + "1.600e+000 V\r\n" + kDrain + "1.000e+001 mA\r\n" +
                     kHigh + "2.400e+000 V\r\n" + "* Graph at Intermediate Source-to-Substrate Voltage\r\n" +
                     kSub + "-4.000e+000 V\r\n" + kDrain + "1.000e+000 mA\r\n" + kLow + "2.000e+000 V\r\n" +
                     kDrain + "1.000e+001 mA\r\n" + kHigh + "2.750e+000 V\r\n" +
                     "* Graph at Maximum Source-to-Substrate Voltage\r\n" + kSub + "-1.200e+001 V\r\n" +
                     kDrain + "1.000e+000 mA\r\n" + kLow + "2.250e+000 V\r\n" + kDrain + "1.000e+001 mA\r\n" +
                     kHigh + "3.000e+000 V\r\n"},
        EchoCase{"NotModelled", 0, 1,
                 "* Not modelled. Go to other options\r\n* Transfer Characteristics (Option C)\r\n"
                 "* Not modelled. Go to other options\r\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BrannockText, CapacitanceSectionFollowsTheConnection) {
    FakeClock clock(1);
    Inputs bulk = presetInputs(kNmos);
    bulk.idBS = 1;
    const std::string card = cardOf(textOf(computed(bulk)));
    EXPECT_TRUE(
        contains(card, "+ CBD=1.977e-012 IS=2.500e-014\r\n+ CGSO = 9.000e-009 CGDO = 6.000e-009\r\n"));
    EXPECT_FALSE(contains(card, "CBS"));
    EXPECT_FALSE(contains(card, "CGBO"));
    // With the curves: the first, second and last point, each as Crs, Cos and V.
    const std::string pf = " pF\r\n",
                      fb = "* Feed-back capacitance \t\t\t\t= ", out = "* Output capacitance \t\t\t\t= ";
    EXPECT_TRUE(contains(
        textOf(computed(presetInputs(kPmos))),
        "* Capacitances vs. Drain-to-Source Voltage\r\n" + fb + "3.000e+001" + pf + out + "5.000e+001" + pf +
            "* at Minimum Drain-to-Source Voltage  \t\t= 0.000e+000 V\r\n" + fb + "1.000e+001" + pf + out +
            "2.400e+001" + pf + "* at Intermediate Drain-to-Source Voltage  \t= -7.000e+000 V\r\n" + fb +
            "4.000e+000" + pf + out + "1.100e+001" + pf +
            "* at Maximum Drain-to-Source Voltage  \t\t= -2.500e+001 V\r\n****"));
}
