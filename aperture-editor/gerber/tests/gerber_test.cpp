#include "gerber/gerber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <unistd.h>

using namespace lumbra;

namespace {

constexpr std::int32_t kMil = 2540; // units in a thousandth of an inch

Point P(std::int32_t x, std::int32_t y) {
    return Point{x, y};
}

// The macro body between "%AM...*" and the closing "%", as whole primitives (line breaks removed).
std::vector<std::string> macroPrimitives(const std::string& text) {
    std::size_t begin = text.find("%AM");
    std::size_t end = text.find("\n%\n", begin);
    EXPECT_NE(begin, std::string::npos);
    EXPECT_NE(end, std::string::npos);
    std::string body = text.substr(text.find('\n', begin) + 1, end - text.find('\n', begin));
    std::vector<std::string> out;
    std::string cur;
    for (char c : body) {
        if (c == '\n') continue;
        if (c == '*') {
            if (cur.rfind("0 ", 0) != 0) out.push_back(cur); // comments are not primitives
            cur.clear();
        } else {
            cur += c;
        }
    }
    return out;
}

std::vector<double> fields(const std::string& primitive) {
    std::vector<double> v;
    std::stringstream ss(primitive);
    std::string f;
    while (std::getline(ss, f, ','))
        v.push_back(std::stod(f));
    return v;
}

// The macro read back as shapes in units, drawn in order: enough to ask whether a point is dark.
struct Shape {
    int code = 0;
    bool dark = true;
    double d = 0;                               // circle diameter, line width
    std::vector<std::pair<double, double>> pts; // circle centre; line ends; outline corners
};

struct Macro {
    std::vector<Shape> shapes;
    bool darkAt(double x, double y) const {
        bool dark = false;
        for (const Shape& s : shapes)
            if (inside(s, x, y)) dark = s.dark;
        return dark;
    }
    static bool inside(const Shape& s, double x, double y) {
        if (s.code == 1) return std::hypot(x - s.pts[0].first, y - s.pts[0].second) <= s.d / 2;
        if (s.code == 20) {
            double ax = s.pts[0].first, ay = s.pts[0].second, dx = s.pts[1].first - ax,
                   dy = s.pts[1].second - ay, len = std::hypot(dx, dy);
            double along = ((x - ax) * dx + (y - ay) * dy) / len,
                   across = ((x - ax) * dy - (y - ay) * dx) / len;
            return along >= 0 && along <= len && std::fabs(across) <= s.d / 2;
        }
        int winding = 0;
        for (std::size_t i = 0; i + 1 < s.pts.size(); ++i) {
            auto [x1, y1] = s.pts[i];
            auto [x2, y2] = s.pts[i + 1];
            double side = (x2 - x1) * (y - y1) - (x - x1) * (y2 - y1);
            if (y1 <= y && y2 > y && side > 0) ++winding;
            if (y1 > y && y2 <= y && side < 0) --winding;
        }
        return winding != 0;
    }
};

Macro readMacro(const std::string& text, double unitsPerFileUnit) {
    Macro m;
    for (const std::string& prim : macroPrimitives(text)) {
        std::vector<double> f = fields(prim);
        Shape s;
        s.code = int(f.at(0));
        s.dark = f.at(1) == 1;
        auto u = [&](std::size_t i) { return f.at(i) * unitsPerFileUnit; };
        if (s.code == 1) {
            s.d = u(2), s.pts = {{u(3), u(4)}};
        } else if (s.code == 20) {
            s.d = u(2), s.pts = {{u(3), u(4)}, {u(5), u(6)}};
            EXPECT_EQ(f.size(), 8u) << prim;
        } else if (s.code == 4) {
            std::size_t n = std::size_t(f.at(2));
            EXPECT_EQ(f.size(), 3 + 2 * (n + 1) + 1) << prim;
            for (std::size_t i = 0; i <= n; ++i)
                s.pts.emplace_back(u(3 + 2 * i), u(4 + 2 * i));
            EXPECT_EQ(s.pts.front(), s.pts.back()) << "an outline ends where it starts";
        } else {
            ADD_FAILURE() << "unexpected primitive " << prim;
        }
        m.shapes.push_back(s);
    }
    return m;
}

GerberExport exported(const ApertureRecord& a, GerberUnit unit = GerberUnit::Millimetre) {
    GerberExport g = gerberText(a, unit);
    EXPECT_TRUE(g.ok()) << g.error;
    return g;
}

} // namespace

TEST(Gerber, ACircleMakesTheWholeFileAMacroFlashedOnceAtTheOrigin) {
    ApertureRecord a;
    a.reset("PAD-1", 0, 0);
    a.append(PrimitiveRecord::circle(150000, P(-100000, 50000))); // 1.5 mm at (-1, 0.5) mm
    EXPECT_EQ(exported(a).text, "G04 Custom aperture PAD_1, flashed once at the origin*\n"
                                "%FSLAX35Y35*%\n"
                                "%MOMM*%\n"
                                "%AMPAD_1*\n"
                                "1,1,1.5,-1,0.5*\n"
                                "%\n"
                                "%ADD10PAD_1*%\n"
                                "D10*\n"
                                "X0Y0D03*\n"
                                "M02*\n");
}

struct UnitCase {
    GerberUnit unit;
    const char* statements;
    const char* circle;
    const char* line;
};

class GerberUnits : public ::testing::TestWithParam<UnitCase> {};

TEST_P(GerberUnits, NumbersAreWrittenInTheChosenUnit) {
    ApertureRecord a;
    a.append(PrimitiveRecord::circle(2540000, P(0, -254000)));           // 1 inch at (0, -0.1 inch)
    a.append(PrimitiveRecord::line(12345, P(-100000, 0), P(100000, 1))); // 0.12345 mm wide
    GerberExport g = exported(a, GetParam().unit);
    EXPECT_NE(g.text.find(GetParam().statements), std::string::npos) << g.text;
    auto prims = macroPrimitives(g.text);
    ASSERT_EQ(prims.size(), 2u);
    EXPECT_EQ(prims[0], GetParam().circle);
    EXPECT_EQ(prims[1], GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Table, GerberUnits,
                         ::testing::Values(UnitCase{GerberUnit::Millimetre, "%FSLAX35Y35*%\n%MOMM*%\n",
                                                    "1,1,25.4,0,-2.54", "20,1,0.12345,-1,0,1,0.00001,0"},
                                           // Seven decimals of an inch: within an eighth of a unit.
                                           UnitCase{GerberUnit::Inch, "%FSLAX26Y26*%\n%MOIN*%\n",
                                                    "1,1,1,0,-0.1",
                                                    "20,1,0.0048602,-0.0393701,0,0.0393701,0.0000004,0"}));

TEST(Gerber, LinesKeepTheirWidthAndShapesWithoutAreaAreLeftOut) {
    ApertureRecord a;
    a.append(PrimitiveRecord::line(20 * kMil, P(0, 0), P(100 * kMil, 50 * kMil)));
    a.append(PrimitiveRecord::line(0, P(0, 0), P(100 * kMil, 0)));                // a hairline
    a.append(PrimitiveRecord::line(10 * kMil, P(5, 5), P(5, 5)));                 // no length
    a.append(PrimitiveRecord::circle(0, P(0, 0)));                                // a point
    a.append(PrimitiveRecord::polygon({P(0, 0), P(10, 10), P(20, 20), P(0, 0)})); // flat
    a.append(PrimitiveRecord::arc(0, 900, 10 * kMil, 0, P(0, 0), P(10 * kMil, 0), P(0, 10 * kMil)));
    GerberExport g = exported(a, GerberUnit::Inch);
    EXPECT_EQ(g.written, 1);
    EXPECT_EQ(g.skipped, 5);
    auto prims = macroPrimitives(g.text);
    ASSERT_EQ(prims.size(), 1u);
    EXPECT_EQ(prims[0], "20,1,0.02,0,0,0.1,0.05,0");
}

TEST(Gerber, PolarityIsTheExposureInListOrder) {
    ApertureRecord a;
    a.append(PrimitiveRecord::circle(100 * kMil, P(0, 0)));
    a.append(PrimitiveRecord::circle(50 * kMil, P(0, 0)))->polarity = 0;
    a.append(PrimitiveRecord::circle(20 * kMil, P(0, 0)));
    a.append(PrimitiveRecord::circle(10 * kMil, P(0, 0)))->polarity = 2; // as found in files: negative
    Macro m = readMacro(exported(a).text, kUnitsPerMm);
    ASSERT_EQ(m.shapes.size(), 4u);
    EXPECT_TRUE(m.shapes[0].dark);
    EXPECT_FALSE(m.shapes[1].dark);
    EXPECT_TRUE(m.shapes[2].dark);
    EXPECT_FALSE(m.shapes[3].dark);
    EXPECT_TRUE(m.darkAt(40 * kMil, 0));
    EXPECT_FALSE(m.darkAt(20 * kMil, 0));
    EXPECT_TRUE(m.darkAt(8 * kMil, 0));
    EXPECT_FALSE(m.darkAt(0, 0));
}

TEST(Gerber, APolygonIsAnOutlineOfItsDistinctCornersClosedOnItsFirst) {
    ApertureRecord a;
    // n = 5 with a repeated corner; the stored closing vertex differs from the first (files are not
    // checked), and the editor closes the outline on the first vertex anyway.
    a.append(PrimitiveRecord::polygon(
        {P(0, 0), P(100000, 0), P(100000, 0), P(100000, 100000), P(0, 200000), P(7, 7)}));
    auto prims = macroPrimitives(exported(a).text);
    ASSERT_EQ(prims.size(), 1u);
    EXPECT_EQ(prims[0], "4,1,4,0,0,1,0,1,1,0,2,0,0,0");
}

TEST(Gerber, AClearLineIsTheOutlineOfItsBody) {
    ApertureRecord a;
    a.append(PrimitiveRecord::circle(100 * kMil, P(0, 0)));
    a.append(PrimitiveRecord::line(10 * kMil, P(-60 * kMil, -60 * kMil), P(60 * kMil, 60 * kMil)))->polarity =
        0;
    Macro m = readMacro(exported(a, GerberUnit::Inch).text, kUnitsPerInch);
    ASSERT_EQ(m.shapes.size(), 2u);
    EXPECT_EQ(m.shapes[1].code, 4);
    EXPECT_FALSE(m.shapes[1].dark);
    EXPECT_FALSE(m.darkAt(20 * kMil, 20 * kMil));
    EXPECT_FALSE(m.darkAt(22.5 * kMil, 17.5 * kMil)); // 3.5 thousandths off the axis: inside
    EXPECT_TRUE(m.darkAt(25 * kMil, 15 * kMil));      // 7 off: outside the body
    EXPECT_TRUE(m.darkAt(20 * kMil, -20 * kMil));
}

// Even-odd inside test of a closed outline given by its corners.
bool insidePolygon(const std::vector<Point>& v, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        double xi = v[i].x, yi = v[i].y, xj = v[j].x, yj = v[j].y;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}

TEST(Gerber, APolygonWithManyCornersIsCutIntoTrianglesThatCoverItExactly) {
    // A 64-pointed star: simple, far from convex.
    std::vector<Point> star;
    for (int i = 0; i < 64; ++i) {
        double r = (i % 2 ? 40 : 100) * kMil, t = 2 * M_PI * i / 64;
        star.push_back(
            P(std::int32_t(std::lround(r * std::cos(t))), std::int32_t(std::lround(r * std::sin(t)))));
    }
    std::vector<Point> closed = star;
    closed.push_back(star[0]);
    ApertureRecord a;
    a.append(PrimitiveRecord::polygon(closed));
    Macro m = readMacro(exported(a, GerberUnit::Millimetre).text, kUnitsPerMm);
    EXPECT_EQ(m.shapes.size(), 62u); // n - 2 triangles
    for (const Shape& s : m.shapes)
        EXPECT_LE(s.pts.size(), 41u);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> coord(-110 * kMil, 110 * kMil);
    for (int i = 0; i < 20000; ++i) {
        double x = coord(rng), y = coord(rng);
        ASSERT_EQ(m.darkAt(x, y), insidePolygon(star, x, y)) << x << ", " << y;
    }

    // An outline that crosses itself cannot be cut into triangles that mean the same: it stays whole.
    std::vector<Point> zigzag;
    for (int i = 0; i < 50; ++i)
        zigzag.push_back(P(i * 1000, i % 2 ? 50000 : -50000));
    zigzag.push_back(P(0, 60000));
    zigzag.push_back(P(49000, -60000));
    zigzag.push_back(zigzag[0]);
    ApertureRecord b;
    b.append(PrimitiveRecord::polygon(zigzag));
    Macro whole = readMacro(exported(b).text, kUnitsPerMm);
    ASSERT_EQ(whole.shapes.size(), 1u);
    EXPECT_EQ(whole.shapes[0].pts.size(), 53u);
}

// An arc is the set of points within half its width of the circular curve from the start angle over
// the sweep (round ends, as the editor strokes it). Points farther than the tolerance from that
// set's edge must come out the same from the macro.
struct ArcCase {
    std::int32_t start, sweep, radius, width;
    int outlines; // how many outline pieces the body takes
    int circles;  // round ends, or the whole shape
};

class GerberArcs : public ::testing::TestWithParam<ArcCase> {};

TEST_P(GerberArcs, TheMacroCoversTheStrokeWithinTheTolerance) {
    const ArcCase& c = GetParam();
    const Point centre = P(30000, -20000);
    ApertureRecord a;
    a.append(PrimitiveRecord::arc(c.start, c.sweep, c.radius, c.width, centre, {}, {}));
    for (GerberUnit unit : {GerberUnit::Millimetre, GerberUnit::Inch}) {
        GerberExport g = exported(a, unit);
        EXPECT_NE(g.text.find("0 Arcs are outlines within"), std::string::npos) << g.text;
        Macro m = readMacro(g.text, unit == GerberUnit::Millimetre ? kUnitsPerMm : kUnitsPerInch);
        int outlines = 0, circles = 0;
        for (const Shape& s : m.shapes) {
            outlines += s.code == 4;
            circles += s.code == 1;
            EXPECT_LE(s.pts.size(), 41u); // at most 40 corners and the closing one
        }
        EXPECT_EQ(outlines, c.outlines);
        EXPECT_EQ(circles, c.circles);

        const bool full = c.sweep == 0 || std::abs(c.sweep) >= 3600;
        const double a0 = c.start * M_PI / 1800, a1 = (c.start + c.sweep) * M_PI / 1800;
        auto distanceToCurve = [&](double x, double y) {
            double dx = x - centre.x, dy = y - centre.y, ang = std::atan2(dy, dx);
            auto within = [&](double t) {
                double lo = std::min(a0, a1), hi = std::max(a0, a1);
                for (int k = -2; k <= 2; ++k)
                    if (t + 2 * M_PI * k >= lo && t + 2 * M_PI * k <= hi) return true;
                return false;
            };
            if (full || within(ang)) return std::fabs(std::hypot(dx, dy) - c.radius);
            auto end = [&](double t) {
                return std::hypot(x - centre.x - c.radius * std::cos(t),
                                  y - centre.y - c.radius * std::sin(t));
            };
            return std::min(end(a0), end(a1));
        };
        std::mt19937 rng(7);
        const double reach = c.radius + c.width;
        std::uniform_real_distribution<double> coord(-reach, reach);
        int checked = 0;
        for (int i = 0; i < 20000; ++i) {
            double x = centre.x + coord(rng), y = centre.y + coord(rng);
            double edge = distanceToCurve(x, y) - c.width / 2.0;
            // Rounding to the file's decimals adds a fraction of a unit to the tolerance.
            if (std::fabs(edge) <= kGerberArcTolerance + 1) continue;
            ++checked;
            ASSERT_EQ(m.darkAt(x, y), edge < 0)
                << "at (" << x << ", " << y << "), " << edge << " units from the edge";
        }
        EXPECT_GT(checked, 15000);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, GerberArcs,
                         ::testing::Values(
                             // A quarter turn: 41 chords in pieces of at most 19, two round ends.
                             ArcCase{0, 900, 500000, 60000, 3, 2},
                             // Clockwise across the +X axis, a little over a half turn.
                             ArcCase{450, -2000, 300000, 100000, 4, 2},
                             // Wider than the radius: the body is a pie.
                             ArcCase{1200, 1500, 40000, 120000, 2, 2},
                             // A full ring: 145 chords, no ends.
                             ArcCase{300, 3600, 400000, 50000, 8, 0},
                             // A sweep of 0 is drawn as the whole circle too.
                             ArcCase{0, 0, 200000, 20000, 6, 0}));

TEST(Gerber, AFullCircleArcWithoutAHoleIsOneExactCircle) {
    ApertureRecord a;
    a.append(PrimitiveRecord::arc(0, 3600, 50000, 100000, P(0, 0), {}, {}));
    a.append(PrimitiveRecord::arc(0, 900, 0, 100000, P(200000, 0), {}, {})); // radius 0: a dot
    GerberExport g = exported(a);
    EXPECT_EQ(macroPrimitives(g.text), (std::vector<std::string>{"1,1,2,0,0", "1,1,1,2,0"}));
    EXPECT_EQ(g.text.find("0 Arcs"), std::string::npos); // nothing was approximated
}

TEST(Gerber, ALargeArcStaysWithinTheToleranceAtEveryChord) {
    ApertureRecord a;
    const std::int32_t r = 240 * kUnitsPerMm, w = 5 * kUnitsPerMm;
    a.append(PrimitiveRecord::arc(0, 3600, r, w, P(0, 0), {}, {}));
    Macro m = readMacro(exported(a).text, kUnitsPerMm);
    std::size_t vertices = 0;
    for (const Shape& s : m.shapes) {
        ASSERT_EQ(s.code, 4);
        EXPECT_LE(s.pts.size(), 41u); // at most 40 corners
        vertices += s.pts.size();
        // The outer chords: the midpoint of each is no deeper than the tolerance inside the circle.
        for (std::size_t i = 0; i + 1 < s.pts.size(); ++i) {
            auto [x1, y1] = s.pts[i];
            auto [x2, y2] = s.pts[i + 1];
            if (std::hypot(x1, y1) < r + w / 2 - 1 || std::hypot(x2, y2) < r + w / 2 - 1) continue;
            EXPECT_LE(r + w / 2 - std::hypot((x1 + x2) / 2, (y1 + y2) / 2), kGerberArcTolerance + 1);
        }
    }
    EXPECT_LT(vertices, 5000u); // no more corners than the tolerance needs
}

struct RefusalCase {
    const char* what;
    std::function<void(ApertureRecord&)> build;
    const char* message;
};

class GerberRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(GerberRefusals, BadAperturesGetAMessageAndNoFile) {
    ApertureRecord a;
    GetParam().build(a);
    GerberExport g = gerberText(a, GerberUnit::Inch);
    EXPECT_FALSE(g.ok());
    EXPECT_EQ(g.error, GetParam().message);
    EXPECT_TRUE(g.text.empty());

    // The file on disk is left as it was.
    auto path = std::filesystem::temp_directory_path() / ("gerber-refusal-" + std::to_string(::getpid()));
    std::ofstream(path) << "old";
    std::string error;
    EXPECT_FALSE(writeGerberFile(a, GerberUnit::Millimetre, path.string(), error));
    EXPECT_EQ(error, GetParam().message);
    std::ifstream in(path);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "old");
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GerberRefusals,
    ::testing::Values(
        RefusalCase{"empty", [](ApertureRecord&) {},
                    "The aperture has no primitives: there is nothing to export."},
        RefusalCase{"no area",
                    [](ApertureRecord& a) {
                        a.append(PrimitiveRecord::circle(0, P(0, 0)));
                        a.append(PrimitiveRecord::line(0, P(0, 0), P(5, 5)));
                    },
                    "None of the 2 primitives has an area (zero widths or diameters, flat outlines): "
                    "there is nothing to export."},
        RefusalCase{"negative diameter",
                    [](ApertureRecord& a) {
                        a.append(PrimitiveRecord::circle(100, P(0, 0)));
                        a.append(PrimitiveRecord::circle(-100, P(0, 0)));
                    },
                    "Primitive 2 (circle) has a negative diameter."},
        RefusalCase{
            "negative radius",
            [](ApertureRecord& a) { a.append(PrimitiveRecord::arc(0, 900, -5, 10, P(0, 0), {}, {})); },
            "Primitive 1 (arc) has a negative radius."},
        RefusalCase{
            "too far",
            [](ApertureRecord& a) { a.append(PrimitiveRecord::line(100, P(0, 0), P(0, 250 * kUnitsPerMm))); },
            "Primitive 1 (line) reaches beyond 250 mm from the origin; no aperture is that large."},
        RefusalCase{"unknown type",
                    [](ApertureRecord& a) { a.append(PrimitiveRecord::circle(100, P(0, 0)))->type = 60; },
                    "Primitive 1 has the unknown type 60."}),
    [](const ::testing::TestParamInfo<RefusalCase>& p) {
        std::string n = p.param.what;
        for (char& ch : n)
            if (ch == ' ') ch = '_';
        return n;
    });

TEST(Gerber, TheFileIsSavedAndAMissingFolderIsNamed) {
    ApertureRecord a;
    a.append(PrimitiveRecord::circle(100000, P(0, 0)));
    auto dir = std::filesystem::temp_directory_path() / ("gerber-save-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string error;
    ASSERT_TRUE(writeGerberFile(a, GerberUnit::Millimetre, (dir / "pad.gbr").string(), error)) << error;
    std::ifstream in(dir / "pad.gbr");
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, gerberText(a, GerberUnit::Millimetre).text);
    EXPECT_FALSE(writeGerberFile(a, GerberUnit::Millimetre, (dir / "no/pad.gbr").string(), error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

struct NameCase {
    std::string aperture, macro;
};

class GerberNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(GerberNames, MacroNamesHoldOnlyWhatTheFormatAllows) {
    EXPECT_EQ(gerberMacroName(GetParam().aperture), GetParam().macro);
}

INSTANTIATE_TEST_SUITE_P(Table, GerberNames,
                         ::testing::Values(NameCase{"untitled", "untitled"}, NameCase{"R1.5$x_2", "R1.5$x_2"},
                                           NameCase{"pad*50%", "pad_50_"}, NameCase{"3pin", "AP_3pin"},
                                           NameCase{"x", "AP_x"}, NameCase{"", "APERTURE"},
                                           NameCase{"\xc3\xa9t\xc3\xa9", "__t__"},
                                           NameCase{std::string(300, 'q'), std::string(100, 'q')}));
