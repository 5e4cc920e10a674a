// The MOSFET parameter extraction and model text, driven without windows.
#include "extraction.h"
#include "fake_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace brannock;

namespace {

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

void expectClose(double actual, double expected, double relative, const char* what) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * relative) << what;
}

std::string textOf(const Calculation& c) {
    CString text("previous text");
    c.writeText(text);
    return text.str();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The .MODEL card: from the .MODEL line to the end.
std::vector<std::string> cardOf(const std::string& text) {
    auto lines = linesOf(text);
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(".MODEL", 0) == 0) return {lines.begin() + static_cast<long>(i), lines.end()};
    return {};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

// ---------------------------------------------------------------- the preset sets

TEST(BrannockPresetResults, NmosPresetsTakeOptionCWithDatasheetCapacitances) {
    FakeClock clock(1);
    Answers answers;
    Calculation c(presetInputs(kNmos));
    ASSERT_TRUE(c.run(answers.question()));
    EXPECT_TRUE(answers.asked.empty());
    const Parameters& p = c.parameters();
    expectClose(p.LAMBDA, 0.1027, 5e-4, "LAMBDA");
    expectClose(p.VTO, 1.230, 5e-4, "VTO");
    expectClose(p.GAMMA, 0.3134, 5e-4, "GAMMA");
    EXPECT_DOUBLE_EQ(p.PHI, 0.65);
    expectClose(p.KP, 0.01461, 5e-4, "KP");
    expectClose(p.RD, 12.50, 5e-4, "RD");
    EXPECT_DOUBLE_EQ(p.RS, p.RD);
    expectClose(p.CGSO, 7.2e-9, 1e-9, "CGSO");
    expectClose(p.CGDO, 6e-9, 1e-9, "CGDO");
    expectClose(p.CGBO, 1.8e-9, 1e-9, "CGBO");
    expectClose(p.CBD, 1.977e-12, 5e-4, "CBD");
    expectClose(p.CBS, 2.372e-12, 5e-4, "CBS");
    expectClose(p.IS, 2.5e-14, 1e-9, "IS");
    EXPECT_DOUBLE_EQ(p.PB, 0.8);
    EXPECT_DOUBLE_EQ(p.MJ, 0.46);
    EXPECT_DOUBLE_EQ(p.FC, 0.5);

    EXPECT_EQ(cardOf(textOf(c)), (std::vector<std::string>{
                                     ".MODEL Mosfet_MODEL_BS250 NMOS ",
                                     "+ VTO=1.230e+000 PHI=6.500e-001 GAMMA=3.134e-001 LAMBDA=1.027e-001",
                                     "+ KP = 1.461e-002 RD = 1.250e+001 RS = 1.250e+001",
                                     "+ CBS=2.372e-012 CBD=1.977e-012 IS=2.500e-014",
                                     "+ CGSO = 7.200e-009 CGDO = 6.000e-009 CGBO = 1.800e-009",
                                     "+ MJ=4.600e-001 PB=8.000e-001  FC=5.00e-001 ",
                                 }));
}

TEST(BrannockPresetResults, PmosPresetsTakeOptionBAndTheJunctionFit) {
    FakeClock clock(1);
    Answers answers;
    Calculation c(presetInputs(kPmos));
    ASSERT_TRUE(c.run(answers.question()));
    EXPECT_TRUE(answers.asked.empty());
    const Parameters& p = c.parameters();
    expectClose(p.LAMBDA, 0.06911, 5e-4, "LAMBDA");
    expectClose(p.VTO, -1.4, 5e-4, "VTO");
    EXPECT_EQ(p.GAMMA, 0.0);
    expectClose(p.KP, 0.9038, 5e-4, "KP");
    expectClose(p.RD, 3.285, 5e-4, "RD");
    EXPECT_DOUBLE_EQ(p.RS, p.RD);
    expectClose(p.CGSO, 1.2e-7, 1e-9, "CGSO");
    expectClose(p.CGDO, 3e-8, 1e-9, "CGDO");
    expectClose(p.CBD, 2e-11, 1e-6, "CBD");
    expectClose(p.IS, 9e-14, 1e-9, "IS");
    // The fit climbs far past 1 V; the clamp then fixes PB and recomputes MJ from the data-sheet values.
    EXPECT_GT(c.fitRounds(), 50000);
    EXPECT_LT(c.fitRounds(), 58000);
    EXPECT_DOUBLE_EQ(p.PB, 1.0);
    expectClose(p.MJ, std::log10(2e-11 / 7e-12) / std::log10(26.0), 1e-9, "MJ");
    expectClose(p.MJ, 0.3222, 5e-4, "MJ rounded");
    EXPECT_DOUBLE_EQ(p.FC, 0.5);

    EXPECT_EQ(cardOf(textOf(c)), (std::vector<std::string>{
                                     ".MODEL Mosfet_MODEL_BSS83 PMOS ",
                                     "+ VTO = -1.400e+000 PHI = 6.500e-001 LAMBDA = 6.911e-002",
                                     "+ KP = 9.038e-001 RD = 3.285e+000 RS = 3.285e+000",
                                     "+ CBD=2.000e-011 IS=9.000e-014",
                                     "+ CGSO = 1.200e-007 CGDO = 3.000e-008",
                                     "+ MJ=3.222e-001 PB=1.000e+000  FC=5.00e-001 ",
                                 }));
}

// ---------------------------------------------------------------- questions

struct QuestionCase {
    const char* name;
    int polarity;
    std::function<void(Inputs&)> change;
    unsigned question;
    std::function<void(const Parameters&)> afterYes;
};

class BrannockQuestions : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(BrannockQuestions, NoStopsAndYesTakesTheFallback) {
    const QuestionCase& q = GetParam();
    FakeClock clock(1);
    Inputs in = presetInputs(q.polarity);
    q.change(in);

    Answers no;
    Calculation declined(in);
    EXPECT_FALSE(declined.run(no.question()));
    EXPECT_EQ(no.asked, std::vector<unsigned>{q.question});

    Answers yes{{true}, {}};
    Calculation accepted(in);
    ASSERT_TRUE(accepted.run(yes.question()));
    EXPECT_EQ(yes.asked, std::vector<unsigned>{q.question});
    q.afterYes(accepted.parameters());
}

const QuestionCase kQuestionCases[] = {
    {"NegativeResistance", kNmos,
     [](Inputs& in) {
         in.general[2] = 0.01; // Ids_Ohmic
         in.general[3] = 0.1;  // Vds_Ohmic
     },
     kAskZeroResistance,
     [](const Parameters& p) {
         EXPECT_EQ(p.RD, 0.0);
         EXPECT_EQ(p.RS, 0.0);
     }},
    // A negative discriminant gives no number at all; that too is out of range.
    {"ResistanceNotANumber", kNmos, [](Inputs& in) { in.general[2] = 1.0; }, kAskZeroResistance,
     [](const Parameters& p) {
         EXPECT_EQ(p.RD, 0.0);
         EXPECT_EQ(p.RS, 0.0);
     }},
    {"GateCapacitanceBulkApart", kNmos, [](Inputs& in) { in.capacitance[0] = 1e-12; }, kAskZeroOverlap,
     [](const Parameters& p) {
         EXPECT_EQ(p.CGDO, 0.0);
         EXPECT_EQ(p.CGSO, 0.0);
         EXPECT_EQ(p.CGBO, 0.0);
         EXPECT_NEAR(p.CBD, (1e-12 - 1e-12) * std::pow(1.25 * 25 + 1, 0.46), 1e-24);
     }},
    {"GateCapacitanceBulkToSource", kNmos,
     [](Inputs& in) {
         in.idBS = 1;
         in.capacitance[0] = 2e-12; // Crss above Ciss
     },
     kAskZeroOverlap,
     [](const Parameters& p) {
         EXPECT_EQ(p.CGDO, 0.0);
         EXPECT_EQ(p.CGSO, 0.0);
         EXPECT_DOUBLE_EQ(p.PB, 0.8);
     }},
    {"GateCapacitanceWithCurves", kPmos, [](Inputs& in) { in.capacitance[1] = 1e-12; }, kAskZeroOverlap,
     [](const Parameters& p) {
         EXPECT_EQ(p.CGDO, 0.0);
         EXPECT_EQ(p.CGSO, 0.0);
         EXPECT_DOUBLE_EQ(p.PB, 1.0); // the fit still runs
     }},
    {"JunctionPointBelowZero", kPmos, [](Inputs& in) { in.capacitance[11] = 3e-11; }, kAskPredefinedJunction,
     [](const Parameters& p) {
         EXPECT_DOUBLE_EQ(p.PB, 0.8);
         EXPECT_DOUBLE_EQ(p.MJ, 0.5);
         EXPECT_EQ(p.CBD, 0.0);
     }},
};

INSTANTIATE_TEST_SUITE_P(Each, BrannockQuestions, ::testing::ValuesIn(kQuestionCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(BrannockJunctionFit, LeavesTheLoopWhenALogarithmRunsOutOfRange) {
    FakeClock clock(1);
    // PB falls towards the magnitude of the last voltage until V4 / PB + 1 is no longer positive.
    Answers yes{{true}, {}};
    JunctionFit f = fitJunction({0, -0.2, -1, -1.45}, {1e-12, 1.1e-12, 1.3e-12, 0.8e-12}, yes.question());
    EXPECT_EQ(yes.asked, std::vector<unsigned>{kAskPredefinedJunction});
    EXPECT_EQ(f.outcome, JunctionFit::Outcome::Predefined);
    EXPECT_GT(f.rounds, 0);
    EXPECT_DOUBLE_EQ(f.PB, 0.8);
    EXPECT_DOUBLE_EQ(f.MJ, 0.5);
    EXPECT_EQ(f.CBD, 0.0);

    Answers no;
    EXPECT_EQ(fitJunction({0, -0.2, -1, -1.45}, {1e-12, 1.1e-12, 1.3e-12, 0.8e-12}, no.question()).outcome,
              JunctionFit::Outcome::Stopped);
}

TEST(BrannockJunctionFit, ConvergesOnAnIdealJunction) {
    FakeClock clock(1);
    // Points of C = 2 pF / (1 + V / 0.7)^0.4 with the parabola's zero-volt value close to 2 pF.
    auto c = [](double v) { return 2e-12 / std::pow(1 + v / 0.7, 0.4); };
    Answers none;
    JunctionFit f = fitJunction({0, 0.5, 1, 5}, {c(0), c(0.5), c(1), c(5)}, none.question());
    ASSERT_EQ(f.outcome, JunctionFit::Outcome::Converged);
    EXPECT_TRUE(none.asked.empty());
    EXPECT_GT(f.MJ, 0.1);
    EXPECT_LT(f.MJ, 1.0);
    EXPECT_GT(f.PB, 0.1);
}

TEST(BrannockJunctionFit, ConvergedValuesAreClampedIntoRange) {
    FakeClock clock(1);
    Inputs in = presetInputs(kPmos);
    Answers none;
    Calculation c(in);
    ASSERT_TRUE(c.run(none.question()));
    EXPECT_GE(c.parameters().PB, 0.4);
    EXPECT_LE(c.parameters().PB, 1.0);
    EXPECT_GE(c.parameters().MJ, 0.1);
    EXPECT_LE(c.parameters().MJ, 1.0);
}

TEST(BrannockJunctionFit, SlowFitAsksEveryThreeSecondsAndNoStops) {
    // Each tick read moves the clock on by 4 s, so the first check after a thousand rounds asks.
    FakeClock clock(4000);
    Answers no;
    Calculation stopped(presetInputs(kPmos));
    EXPECT_FALSE(stopped.run(no.question()));
    EXPECT_EQ(no.asked, std::vector<unsigned>{kAskRetry});
    // The first check comes once a thousand rounds have been counted, before the 1000th step of PB.
    EXPECT_EQ(stopped.fitRounds(), 999);
}

TEST(BrannockJunctionFit, RetryContinuesWithANewStartTime) {
    FakeClock clock(4000);
    Answers yes{std::vector<bool>(200, true), {}};
    Calculation c(presetInputs(kPmos));
    ASSERT_TRUE(c.run(yes.question()));
    // One question per thousand rounds, since every check sees more than three seconds.
    EXPECT_EQ(static_cast<long>(yes.asked.size()), c.fitRounds() / 1000);
    for (unsigned id : yes.asked)
        EXPECT_EQ(id, kAskRetry);
    EXPECT_DOUBLE_EQ(c.parameters().PB, 1.0);
    expectClose(c.parameters().MJ, 0.3222, 5e-4, "MJ");
}

TEST(BrannockJunctionFit, QuickFitAsksNothing) {
    // 2 ms a check: the fit never reaches three seconds between two checks.
    FakeClock clock(2);
    Answers none;
    Calculation c(presetInputs(kPmos));
    ASSERT_TRUE(c.run(none.question()));
    EXPECT_TRUE(none.asked.empty());
    EXPECT_GT(clock.reads, 50); // the clock was consulted at every thousandth round
}

// ---------------------------------------------------------------- options and sign changes

TEST(BrannockOptions, OptionAUsesTheSmallVdsCurveWithoutBodyEffect) {
    FakeClock clock(1);
    Inputs in = presetInputs(kNmos);
    in.idNum = 0;
    Answers none;
    Calculation c(in);
    ASSERT_TRUE(c.run(none.question()));
    // Option A's preset curve is the first option-C curve: the same threshold and gain, no GAMMA.
    expectClose(c.parameters().VTO, 1.230, 5e-4, "VTO");
    expectClose(c.parameters().KP, 0.01461, 5e-4, "KP");
    EXPECT_EQ(c.parameters().GAMMA, 0.0);
    EXPECT_TRUE(contains(textOf(c), "+ VTO = 1.230e+000 PHI = 6.500e-001 LAMBDA = 1.027e-001\r\n"));
}

TEST(BrannockOptions, NotModelledComputesAsOptionB) {
    FakeClock clock(1);
    Inputs b = presetInputs(kNmos);
    b.idGS = 0;
    b.idNum = 0;
    Inputs notModelled = b;
    notModelled.idNum = 1;
    Answers yes{std::vector<bool>(4, true), {}};
    Calculation cb(b), cn(notModelled);
    ASSERT_TRUE(cb.run(yes.question()));
    ASSERT_TRUE(cn.run(yes.question()));
    EXPECT_EQ(cb.parameters().VTO, cn.parameters().VTO);
    EXPECT_EQ(cb.parameters().KP, cn.parameters().KP);
    EXPECT_EQ(cardOf(textOf(cb)), cardOf(textOf(cn)));
}

TEST(BrannockOptions, PChannelOptionAFlipsTheEnteredNegativeCurrents) {
    FakeClock clock(1);
    Inputs n = presetInputs(kNmos), p = presetInputs(kPmos);
    n.idNum = p.idNum = 0;
    n.idGS = p.idGS = 1;
    for (int k : {0, 2})
        p.transfer[static_cast<size_t>(k)] = -n.transfer[static_cast<size_t>(k)];
    for (int k : {1, 3})
        p.transfer[static_cast<size_t>(k)] = -n.transfer[static_cast<size_t>(k)];
    Answers yes{std::vector<bool>(4, true), {}};
    Calculation cn(n), cp(p);
    ASSERT_TRUE(cn.run(yes.question()));
    ASSERT_TRUE(cp.run(yes.question()));
    EXPECT_NEAR(cp.parameters().VTO, -cn.parameters().VTO, 1e-12);
    EXPECT_NEAR(cp.parameters().KP, cn.parameters().KP, 1e-15);
}

TEST(BrannockOptions, PChannelOptionCMirrorsTheNChannelDevice) {
    // The current boxes of option C hold magnitudes, so a P-channel device enters the same currents as
    // its N-channel mirror and negative gate voltages. Its threshold is the mirror's negated and its
    // body-effect coefficient and gain are the mirror's.
    FakeClock clock(1);
    Inputs n = presetInputs(kNmos);
    Inputs p = n;
    p.polarity = kPmos;
    for (size_t j = 0; j < 3; ++j) {
        p.optionC[5 * j + 2] = -n.optionC[5 * j + 2];
        p.optionC[5 * j + 4] = -n.optionC[5 * j + 4];
    }
    for (size_t k = 1; k < p.general.size(); ++k)
        p.general[k] = -n.general[k];
    Answers none;
    Calculation cn(n), cp(p);
    ASSERT_TRUE(cn.run(none.question()));
    ASSERT_TRUE(cp.run(none.question()));
    ASSERT_TRUE(std::isfinite(cp.parameters().VTO));
    EXPECT_NEAR(cp.parameters().VTO, -cn.parameters().VTO, 1e-12);
    EXPECT_NEAR(cp.parameters().GAMMA, cn.parameters().GAMMA, 1e-12);
    EXPECT_GT(cp.parameters().GAMMA, 0.0);
    EXPECT_NEAR(cp.parameters().KP, cn.parameters().KP, 1e-15);
    EXPECT_NEAR(cp.parameters().LAMBDA, cn.parameters().LAMBDA, 1e-15);
    EXPECT_TRUE(
        contains(textOf(cp), "+ VTO=-1.230e+000 PHI=6.500e-001 GAMMA=3.134e-001 LAMBDA=1.027e-001\r\n"));
}

TEST(BrannockOptions, UndefinedBodyEffectPrintsTheThreeValueLine) {
    FakeClock clock(1);
    Inputs in = presetInputs(kNmos);
    // A second curve identical to the first at zero bias: 0 / 0.
    for (size_t k = 0; k < 5; ++k)
        in.optionC[5 + k] = in.optionC[k];
    Answers none;
    Calculation c(in);
    ASSERT_TRUE(c.run(none.question()));
    EXPECT_TRUE(std::isnan(c.parameters().GAMMA));
    EXPECT_TRUE(contains(textOf(c), "+ VTO = 1.230e+000 PHI = 6.500e-001 LAMBDA = 1.027e-001\r\n"));
}

TEST(BrannockOptions, BulkApartWithCurvesMarkedComputesAsDatasheetValues) {
    FakeClock clock(1);
    Inputs datasheet = presetInputs(kNmos);
    Inputs curves = datasheet;
    curves.idCap = 0;
    Answers none;
    Calculation a(datasheet), b(curves);
    ASSERT_TRUE(a.run(none.question()));
    ASSERT_TRUE(b.run(none.question()));
    for (auto member : {&Parameters::CBS, &Parameters::CBD, &Parameters::CGSO, &Parameters::CGDO,
                        &Parameters::CGBO, &Parameters::MJ, &Parameters::PB, &Parameters::FC})
        EXPECT_EQ(a.parameters().*member, b.parameters().*member);
    EXPECT_GT(b.parameters().CBS, 0.0);
    EXPECT_TRUE(contains(textOf(b), "* Capacitances vs. Drain-to-Source Voltage\tnot available\r\n"));
}

TEST(BrannockOptions, SignChangesLeaveTheEnteredValuesAlone) {
    FakeClock clock(1);
    Inputs in = presetInputs(kPmos);
    Answers none;
    Calculation c(in);
    ASSERT_TRUE(c.run(none.question()));
    const std::string text = textOf(c);
    EXPECT_TRUE(contains(text, "* Max Drain Current \t\t\t\t= -1.800e+002 mA\r\n"));
    EXPECT_TRUE(contains(text, "* Gate-to-Source Voltage \t\t\t\t= -1.000e+001 V\r\n"));
    EXPECT_TRUE(contains(text, "* Drain-Substrate Voltage  \t\t\t= -2.500e+001 V\r\n"));
    EXPECT_TRUE(contains(text, "* at Maximum Drain-to-Source Voltage  \t\t= -2.500e+001 V\r\n"));
    // A second run from the same record gives the same card: nothing was negated twice.
    const auto first = cardOf(text);
    ASSERT_TRUE(c.run(none.question()));
    EXPECT_EQ(cardOf(textOf(c)), first);
}

// ---------------------------------------------------------------- the text

TEST(BrannockText, BannerDateAndHeader) {
    FakeClock clock(1, FakeClock::dayOf(2026, 12, 8));
    Answers none;
    Calculation c(presetInputs(kNmos));
    ASSERT_TRUE(c.run(none.question()));
    const std::string text = textOf(c);
    EXPECT_EQ(text.rfind("**************   Field Effect Transistor   ******************\r\n", 0), 0u)
        << "the text replaces what the string held";
    const auto lines = linesOf(text);
    ASSERT_GT(lines.size(), 12u);
    // The box: every line 61 characters except the tab line, the company line's asterisk in column 61.
    for (size_t i : {0, 1, 2, 3, 4, 6, 7})
        EXPECT_EQ(lines[i].size(), 61u) << lines[i];
    EXPECT_EQ(lines[3], "*            Quolvane                                       *");
    EXPECT_EQ(lines[5], "*           \t\t\t\t\t\t    *");
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[9], "* Date: Tuesday, December 08, 2026");
    EXPECT_EQ(lines[10], "* INPUT VALUES:");
    EXPECT_EQ(lines[12], "* Device Type No:\t Mosfet_MODEL_BS250 ");
    EXPECT_EQ(lines[13], "* Device Type:\t       NMOS ");
    // The ratings line ends in a line feed alone.
    EXPECT_TRUE(contains(text, "* Ratings:\n* Max Drain Current \t\t\t\t= 5.000e+001 mA\r\n"));
    EXPECT_TRUE(contains(text, "* Drain, Gate, Source, Substrate\r\n\r\n.MODEL"));
}

struct EchoCase {
    const char* name;
    int idGS, idNum;
    std::vector<std::string> present;
    std::vector<std::string> absent;
};

class BrannockTransferEcho : public ::testing::TestWithParam<EchoCase> {};

TEST_P(BrannockTransferEcho, PrintsTheUsedOptionAndMarksTheOthers) {
    const EchoCase& e = GetParam();
    FakeClock clock(1);
    Inputs in = presetInputs(kNmos);
    in.idGS = e.idGS;
    in.idNum = e.idNum;
    Answers yes{std::vector<bool>(4, true), {}};
    Calculation c(in);
    ASSERT_TRUE(c.run(yes.question()));
    const std::string text = textOf(c);
    EXPECT_TRUE(contains(text, "* Identifier ID_GS \t\t\t\t= " + std::to_string(e.idGS) + "\r\n"));
    EXPECT_TRUE(contains(text, "* Identifier ID_Num \t\t\t\t= " + std::to_string(e.idNum) + "\r\n"));
    for (const auto& s : e.present)
        EXPECT_TRUE(contains(text, s)) << s;
    for (const auto& s : e.absent)
        EXPECT_FALSE(contains(text, s)) << s;
}

const std::string kCNotAvailable = "* Transfer Characteristics (Option C)\r\n"
                                   "* Transfer Characteristics (Option C)\t\tnot available\r\n"
                                   "* Drain Current (Ids_C11) at lower Vgs\t\tnot available\r\n"
                                   "* Drain Current (Ids_C12) at higher Vgs\t\tnot available\r\n"
                                   "* Drain Current (Ids_C21) at lower Vgs\t\tnot available\r\n"
                                   "* Drain Current (Ids_C22) at higher Vgs\t\tnot available\r\n"
                                   "* Drain Current (Ids_C31) at lower Vgs\t\tnot available\r\n"
                                   "* Drain Current (Ids_C32) at higher Vgs\t\tnot available\r\n"
                                   "* Capacitances\r\n";

INSTANTIATE_TEST_SUITE_P(
    Each, BrannockTransferEcho,
    ::testing::Values(EchoCase{"OptionA",
                               1,
                               0,
                               {"= 0\r\n* Transfer Characteristics (Option A)\r\n"
                                "* Drain Current \t\t\t\t\t= 1.000e+000 mA\r\n"
                                "* at Drain-to-Source Voltage (low values range)\t= 1.600e+000 V\r\n"
                                "* Drain Current \t\t\t\t\t= 1.000e+001 mA\r\n"
                                "* at Drain-to-Source Voltage (high values range)\t= 2.400e+000 V\r\n"
                                "* Transfer Characteristics (Option B)\t\tnot available\r\n"
                                "* Drain Current (Ids_B1) at lower Vgs\t\tnot available\r\n"
                                "* Drain Current (Ids_B2) at higher Vgs\t\tnot available\r\n" +
                                kCNotAvailable},
                               {"(Option A)\t\tnot available", "Graph at"}},
                      EchoCase{"OptionB",
                               0,
                               0,
                               {"= 0\r\n* Transfer Characteristics (Option B)\r\n"
                                "* Source-to-Substrate  Voltage \t\t\t= 1.000e+001 V\r\n"
                                "* Drain Current \t\t\t\t\t= 1.000e+001 mA\r\n"
                                "* at Drain-to-Source Voltage (low values range)\t= 2.000e+000 V\r\n"
                                "* Drain Current \t\t\t\t\t= 3.100e+001 mA\r\n"
                                "* at Drain-to-Source Voltage (high values range)\t= 3.000e+000 V\r\n"
                                "* Transfer Characteristics (Option A)\t\tnot available\r\n"
                                "* Drain Current (Ids_A1) at lower Vgs\t\tnot available\r\n"
                                "* Drain Current (Ids_A2) at higher Vgs\t\tnot available\r\n" +
                                kCNotAvailable},
                               {"(Option B)\t\tnot available", "Graph at"}},
                      EchoCase{"OptionC",
                               1,
                               1,
                               {"= 1\r\n* Transfer Characteristics (Option A)\t\tnot available\r\n"
                                "* Drain Current (Ids_A1) at lower Vgs\t\tnot available\r\n"
                                "* Drain Current (Ids_A2) at higher Vgs\t\tnot available\r\n"
                                "* Transfer Characteristics (Option B)\t\tnot available\r\n"
                                "* Drain Current (Ids_B1) at lower Vgs\t\tnot available\r\n"
                                "* Drain Current (Ids_B2) at higher Vgs\t\tnot available\r\n"
                                "* Transfer Characteristics (Option C)\r\n"
                                "* Graph at Minimum Source-to-Substrate Voltage\r\n"
                                "* Source-to-Substrate  Voltage \t\t\t= 0.000e+000 V\r\n",
                                "* Graph at Intermediate Source-to-Substrate Voltage\r\n"
                                "* Source-to-Substrate  Voltage \t\t\t= -4.000e+000 V\r\n",
                                "* Graph at Maximum Source-to-Substrate Voltage\r\n"
                                "* Source-to-Substrate  Voltage \t\t\t= -1.200e+001 V\r\n"
                                "* Drain Current \t\t\t\t\t= 1.000e+000 mA\r\n"
                                "* at Drain-to-Source Voltage (low values range)\t= 2.250e+000 V\r\n"
                                "* Drain Current \t\t\t\t\t= 1.000e+001 mA\r\n"
                                "* at Drain-to-Source Voltage (high values range)\t= 3.000e+000 V\r\n"
                                "* Capacitances\r\n"},
                               {"(Option C)\t\tnot available"}},
                      EchoCase{"NotModelled",
                               0,
                               1,
                               {"= 1\r\n* Not modelled. Go to other options\r\n"
                                "* Transfer Characteristics (Option C)\r\n"
                                "* Not modelled. Go to other options\r\n"
                                "* Capacitances\r\n"},
                               {"not available\r\n* Transfer", "Graph at", "(Option A)", "(Option B)"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BrannockText, BulkToSourceCardHasNoBulkOverlapOrSourceJunction) {
    FakeClock clock(1);
    Inputs in = presetInputs(kNmos);
    in.idBS = 1;
    Answers none;
    Calculation c(in);
    ASSERT_TRUE(c.run(none.question()));
    const auto card = cardOf(textOf(c));
    ASSERT_EQ(card.size(), 6u);
    EXPECT_EQ(card[3].rfind("+ CBD=", 0), 0u) << card[3];
    EXPECT_EQ(card[4], "+ CGSO = 9.000e-009 CGDO = 6.000e-009");
    for (const auto& line : card) {
        EXPECT_FALSE(contains(line, "CBS")) << line;
        EXPECT_FALSE(contains(line, "CGBO")) << line;
    }
    // Data-sheet values only: the curves are not available.
    EXPECT_TRUE(contains(textOf(c), "* Identifier ID_BS \t\t\t\t= 1\r\n* Identifier ID_Cap \t\t\t\t= 1\r\n"));
}

TEST(BrannockText, CurveEchoShowsFirstSecondAndLastPoint) {
    FakeClock clock(1);
    Answers none;
    Calculation c(presetInputs(kPmos));
    ASSERT_TRUE(c.run(none.question()));
    EXPECT_TRUE(contains(textOf(c), "* Capacitances vs. Drain-to-Source Voltage\r\n"
                                    "* Feed-back capacitance \t\t\t\t= 3.000e+001 pF\r\n"
                                    "* Output capacitance \t\t\t\t= 5.000e+001 pF\r\n"
                                    "* at Minimum Drain-to-Source Voltage  \t\t= 0.000e+000 V\r\n"
                                    "* Feed-back capacitance \t\t\t\t= 1.000e+001 pF\r\n"
                                    "* Output capacitance \t\t\t\t= 2.400e+001 pF\r\n"
                                    "* at Intermediate Drain-to-Source Voltage  \t= -7.000e+000 V\r\n"
                                    "* Feed-back capacitance \t\t\t\t= 4.000e+000 pF\r\n"
                                    "* Output capacitance \t\t\t\t= 1.100e+001 pF\r\n"
                                    "* at Maximum Drain-to-Source Voltage  \t\t= -2.500e+001 V\r\n"
                                    "************************************************************\r\n"));
}
