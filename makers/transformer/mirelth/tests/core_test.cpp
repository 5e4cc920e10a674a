#include "core.h"

#include "makertest/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace mirelth;

// The values both pages start with.
Inputs defaults() {
    Inputs in;
    in.vp = 110;
    in.lp = 0.003209625;
    in.rp = 1.21;
    in.count = 1;
    in.vs = {3.3, 5, 12, 24, 36};
    in.ls = {2.888662e-06, 6.631456e-06, 3.819719e-05, 1.527887e-04, 3.437747e-04};
    in.rs = {0.001089, 0.0025, 0.0144, 0.0576, 0.1296};
    in.np = 1622;
    in.lc = 0.07615;
    in.ac = 0.00013;
    in.curvePoints = 4;
    return in;
}

std::vector<CurveRow> tableOf(const Sample& s) {
    std::vector<CurveRow> t;
    for (const auto& p : s.points)
        t.push_back({cellText(p[0]), cellText(p[1])});
    return t;
}

TEST(MirelthNumbers, CellTextsTheSimulatorReads) {
    struct Case {
        const char* text;
        bool number;
    };
    const Case cases[] = {
        {"0", true},          {"1.5", true},    {"-0.35", true},   {"+2", true},     {".5", true},
        {"5.", true},         {"2e3", true},    {"1.7E-02", true}, {"", false},      {" 1", false},
        {"1 ", false},        {"1 2", false},   {"abc", false},    {"1.5.2", false}, {"e3", false},
        {"1e", false},        {"1e+", false},   {"-", false},      {".", false},     {"inf", false},
        {"nan", false},       {"1e400", false}, {"0x10", false},   {"1k", false},    {"1]", false},
        {"1\r\n.end", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isNumberText(c.text), c.number) << '"' << c.text << '"';
    EXPECT_EQ(cellText(13.89), "13.890000");
    EXPECT_EQ(cellText(-0.35), "-0.350000");
}

TEST(MirelthTurns, SecondaryTurnsAreTruncatedFromTheVoltageRatio) {
    Inputs in = defaults();
    EXPECT_EQ(primaryTurns(in), 1622);
    const double expected[5] = {48, 73, 176, 353, 530}; // 48.66, 73.7, 176.9, 353.9, 530.8
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(secondaryTurns(in, i), expected[i]) << i;
    in.np = 1622.9;
    in.vp = 220;
    EXPECT_EQ(primaryTurns(in), 1622);
    EXPECT_EQ(secondaryTurns(in, 0), 24); // 3.3 × 1622.9 / 220 = 24.34
}

TEST(MirelthTurns, SecondaryCountIsTruncatedAndBounded) {
    Inputs in = defaults();
    const std::pair<double, int> cases[] = {{1, 1}, {2.9, 2}, {5, 5}, {7, 5}, {0.5, 0}, {-3, 0}, {0, 0}};
    for (auto [count, n] : cases) {
        in.count = count;
        EXPECT_EQ(secondaryCount(in), n) << count;
    }
}

TEST(MirelthSamples, TheThreeCurvesInListOrder) {
    const auto& s = samples();
    EXPECT_STREQ(s[0].name, "Laminated Sheet B-H curve");
    EXPECT_STREQ(s[1].name, "Hiperco 27 magnetic Alloy");
    EXPECT_STREQ(s[2].name, "Somaloy 500 powder iron core");
    EXPECT_EQ(s[0].points.size(), 4u);
    EXPECT_EQ(s[1].points.size(), 11u);
    EXPECT_EQ(s[1].points.back()[1], 17510.5);
    // Sample 3 goes once around a loop: up to 1.42 T and back through negative values to −0.35 T.
    const auto b = bArray(tableOf(s[2]));
    EXPECT_EQ(b, "b_array=[0.000000 0.500000 1.000000 1.250000 1.420000 1.280000 1.200000 0.850000 0.350000 "
                 "0.000000 -0.500000 -1.000000 -1.250000 -1.420000 -1.280000 -1.200000 -0.850000 -0.350000]");
    EXPECT_EQ(hArray(tableOf(s[2])),
              "h_array=[200.000000 1050.000000 2200.000000 4000.000000 6200.000000 4000.000000 2200.000000 "
              "1050.000000 0.000000 -200.000000 -1050.000000 -2200.000000 -4000.000000 -6200.000000 "
              "-4000.000000 -2200.000000 -1050.000000 0.000000]");
}

TEST(MirelthArrays, CellsGoInAsTheyStand) {
    const std::vector<CurveRow> t{{"0", "0"}, {"1.1", "2e3"}, {"-0.5", "+7"}};
    EXPECT_EQ(bArray(t), "b_array=[0 1.1 -0.5]");
    EXPECT_EQ(hArray(t), "h_array=[0 2e3 +7]");
    EXPECT_EQ(bArray({{"0.2", "1"}}), "b_array=[0.2]");
}

struct RefusalCase {
    const char* what;
    void (*change)(Inputs&, std::vector<CurveRow>&);
    const char* messagePart; // nullptr: no refusal
};

class MirelthRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MirelthRefusal, ValuesNoModelTakesAreNamed) {
    Inputs in = defaults();
    auto table = tableOf(samples()[0]);
    GetParam().change(in, table);
    const auto why = refusal(in, table);
    if (!GetParam().messagePart) {
        EXPECT_FALSE(why.has_value()) << *why;
        return;
    }
    ASSERT_TRUE(why.has_value()) << GetParam().what;
    EXPECT_NE(why->find(GetParam().messagePart), std::string::npos) << *why;
}

INSTANTIATE_TEST_SUITE_P(Cases, MirelthRefusal,
                         ::testing::Values(
                             RefusalCase{"defaults", [](Inputs&, std::vector<CurveRow>&) {}, nullptr},
                             RefusalCase{"empty B cell",
                                         [](Inputs&, std::vector<CurveRow>& rows) { rows[2].b = ""; },
                                         "Row 3 of the B-H curve: the B value \"\" is not a number."},
                             RefusalCase{"H cell with text",
                                         [](Inputs&, std::vector<CurveRow>& rows) { rows[0].h = "12 A/m"; },
                                         "Row 1 of the B-H curve: the H value \"12 A/m\""},
                             RefusalCase{
                                 "line break in a cell",
                                 [](Inputs&, std::vector<CurveRow>& rows) { rows[3].h = "1\r\n.end"; },
                                 "Row 4 of the B-H curve: the H value"},
                             RefusalCase{
                                 "first secondary below one turn",
                                 [](Inputs& in, std::vector<CurveRow>&) { in.vs[0] = 0.05; }, // 0.74 turns
                                 "The 1st secondary would get 0 turns"},
                             RefusalCase{"uncounted secondary below one turn",
                                         [](Inputs& in, std::vector<CurveRow>&) { in.vs[3] = 0.01; },
                                         nullptr},
                             RefusalCase{"counted fourth secondary below one turn",
                                         [](Inputs& in, std::vector<CurveRow>&) {
                                             in.count = 4;
                                             in.vs[3] = 0.01;
                                         },
                                         "The 4th secondary"},
                             RefusalCase{"exactly one turn",
                                         [](Inputs& in, std::vector<CurveRow>&) {
                                             in.np = 110;
                                             in.vs[0] = 1;
                                         },
                                         nullptr},
                             RefusalCase{"primary turns beyond an int",
                                         [](Inputs& in, std::vector<CurveRow>&) { in.np = 3e9; },
                                         "Primary Turns: 3e+009 turns"},
                             RefusalCase{"secondary turns beyond an int",
                                         [](Inputs& in, std::vector<CurveRow>&) {
                                             in.vp = 1e-12;
                                             in.np = 1;
                                             in.vs[0] = 3.3;
                                         },
                                         "The 1st secondary would get 3300000000000 turns"}));

TEST(MirelthText, FiveSecondariesFollowTheCoreInOrder) {
    makertest::PinnedDate date;
    Inputs in = defaults();
    in.count = 5;
    const auto l = makertest::crlfLines(modelText(in, tableOf(samples()[0])).str());
    auto sub = std::find_if(l.begin(), l.end(), [](const auto& s) { return s.rfind(".subckt", 0) == 0; });
    ASSERT_NE(sub, l.end());
    EXPECT_EQ(*sub, ".subckt nlinear_tran p1 p0 s1 s10 s2 s20 s3 s30 s4 s40 s5 s50");
    ASSERT_EQ(l.end() - sub, 1 + 6 + 20 + 1);
    const std::vector<std::string> last(l.end() - 5, l.end());
    EXPECT_EQ(last, (std::vector<std::string>{"Rs25 s5 r25 1.296000e-001", "Ls25 r25 l25 3.437747e-004",
                                              "a25 (l25 s50) (m6 0) sec5",
                                              ".model sec5 lcouple(num_turns=530)", ".ends"}));
    EXPECT_EQ(sub[7], "Rs21 s1 r21 1.089000e-003");
    EXPECT_EQ(sub[14], ".model sec2 lcouple(num_turns=73)");
    EXPECT_EQ(sub[15], "Rs23 s3 r23 1.440000e-002");
    EXPECT_EQ(sub[17], "a23 (l23 s30) (m4 m5) sec3");
}

TEST(MirelthText, SecondaryWindingsFollowEachOtherInTheMagneticLoop) {
    Inputs in = defaults();
    const std::vector<std::vector<std::string>> expected{
        {"a21 (l21 s10) (m2 0) sec1"},
        {"a21 (l21 s10) (m2 m3) sec1", "a22 (l22 s20) (m3 0) sec2"},
        {"a21 (l21 s10) (m2 m3) sec1", "a22 (l22 s20) (m3 m4) sec2", "a23 (l23 s30) (m4 0) sec3"},
    };
    for (size_t n = 1; n <= expected.size(); ++n) {
        in.count = static_cast<double>(n);
        std::vector<std::string> windings;
        for (const auto& line : makertest::crlfLines(modelText(in, tableOf(samples()[0])).str()))
            if (line.rfind("a2", 0) == 0) windings.push_back(line);
        EXPECT_EQ(windings, expected[n - 1]) << n;
    }
}

} // namespace
