#include "gerber/gerber.h"

#include "platform/atomic_file.h"
#include "platform/format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace lumbra {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Arc bodies are cut into pieces of at most a quarter turn, so every outline is simple and short.
constexpr double kMaxPieceAngle = kPi / 2;
// Readers keep the parameters of a macro primitive in fixed tables (gerbv: 102, that is 48 corners
// of an outline), so no outline gets more corners than this; longer polygons are cut into triangles.
constexpr std::size_t kMaxOutlineCorners = 40;
// A ring piece has two corners per chord and two more; a pie piece one per chord and two more.
constexpr long kMaxChordsPerPiece = (kMaxOutlineCorners - 2) / 2;
// Triangulating costs up to the cube of the corners; beyond this a polygon stays one outline.
constexpr std::size_t kMaxTriangulatedCorners = 600;

const char* typeName(std::int32_t type) {
    switch (type) {
    case AP_CIRCLE:
        return "circle";
    case AP_LINE:
        return "line";
    case AP_POLYGON:
        return "polygon";
    case AP_ARC:
        return "arc";
    default:
        return "primitive";
    }
}

struct DPoint {
    double x = 0, y = 0;
};

class MacroWriter {
  public:
    explicit MacroWriter(GerberUnit unit) : unit_(unit) {}

    // A length or coordinate given in units, in the file's unit. Millimetres are exact with five
    // decimals; seven decimals of an inch keep within 0.13 units.
    std::string number(double units) const {
        std::string s = unit_ == GerberUnit::Millimetre ? korvane::format("%.5f", units / kUnitsPerMm)
                                                        : korvane::format("%.7f", units / kUnitsPerInch);
        // Trailing zeros say nothing; "-0" would be a needless sign.
        while (s.size() > 1 && s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
        if (s == "-0") s = "0";
        return s;
    }

    void circle(int exposure, double diameter, DPoint c) {
        body_ += korvane::format("1,%d,", exposure) + number(diameter) + "," + number(c.x) + "," +
                 number(c.y) + "*\n";
    }
    void vectorLine(int exposure, double width, DPoint a, DPoint b) {
        body_ += korvane::format("20,%d,", exposure) + number(width) + "," + number(a.x) + "," + number(a.y) +
                 "," + number(b.x) + "," + number(b.y) + ",0*\n";
    }
    // The same body as an outline: some readers (gerbv) ignore the exposure of a vector line, and a
    // clear line they draw dark would spoil the pad. Exact to the file's decimals.
    void lineOutline(int exposure, double width, DPoint a, DPoint b) {
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        const double nx = -(b.y - a.y) / len * width / 2, ny = (b.x - a.x) / len * width / 2;
        outline(exposure, {DPoint{a.x + nx, a.y + ny}, DPoint{a.x - nx, a.y - ny}, DPoint{b.x - nx, b.y - ny},
                           DPoint{b.x + nx, b.y + ny}});
    }
    // A closed outline through the given vertices (the first is repeated at the end here).
    void outline(int exposure, const std::vector<DPoint>& v) {
        body_ += korvane::format("4,%d,%zu,\n", exposure, v.size());
        for (std::size_t i = 0; i <= v.size(); ++i) {
            const DPoint& p = v[i % v.size()];
            body_ += number(p.x) + "," + number(p.y) + ",\n";
        }
        body_ += "0*\n";
    }
    const std::string& body() const { return body_; }

  private:
    GerberUnit unit_;
    std::string body_;
};

DPoint toD(Point p) {
    return DPoint{double(p.x), double(p.y)};
}

// Twice the signed area of the triangle a, b, c (positive counter-clockwise). Called only on corners
// within the checked reach (below 2^25 units), so the products stay far inside 64 bits.
std::int64_t cross(Point a, Point b, Point c) {
    return (std::int64_t(b.x) - a.x) * (std::int64_t(c.y) - a.y) -
           (std::int64_t(b.y) - a.y) * (std::int64_t(c.x) - a.x);
}

// Farthest reach of the primitive from the origin along either axis, in units.
double reachOf(const PrimitiveRecord& p) {
    auto far = [](Point q) { return std::max(std::fabs(double(q.x)), std::fabs(double(q.y))); };
    switch (p.type) {
    case AP_CIRCLE:
        return far(p.centre) + p.size / 2.0;
    case AP_LINE:
        return std::max(far(p.start), far(p.end)) + p.size / 2.0;
    case AP_POLYGON: {
        double r = 0;
        for (const Point& q : p.vertices)
            r = std::max(r, far(q));
        return r;
    }
    case AP_ARC:
        return far(p.centre) + double(p.radius) + p.size / 2.0;
    default:
        return 0;
    }
}

// The polygon's distinct corners (consecutive repeats and the closing vertex dropped), or none when
// they enclose no area.
std::vector<Point> polygonCorners(const PrimitiveRecord& p) {
    std::vector<Point> v;
    const std::size_t n = p.vertices.empty() ? 0 : p.vertices.size() - 1;
    for (std::size_t i = 0; i < n; ++i)
        if (v.empty() || !(v.back() == p.vertices[i])) v.push_back(p.vertices[i]);
    while (v.size() > 1 && v.back() == v.front())
        v.pop_back();
    if (v.size() < 3) return {};
    for (std::size_t i = 2; i < v.size(); ++i)
        if (cross(v[0], v[1], v[i]) != 0) return v;
    return {}; // all in a line
}

bool insideOrOnTriangle(Point a, Point b, Point c, Point q) {
    return cross(a, b, q) >= 0 && cross(b, c, q) >= 0 && cross(c, a, q) >= 0;
}

// Whether segments ab and cd share a point (exact; touching counts).
bool segmentsMeet(Point a, Point b, Point c, Point d) {
    auto sign = [](std::int64_t v) { return (v > 0) - (v < 0); };
    const int d1 = sign(cross(a, b, c)), d2 = sign(cross(a, b, d)), d3 = sign(cross(c, d, a)),
              d4 = sign(cross(c, d, b));
    if (d1 * d2 < 0 && d3 * d4 < 0) return true;
    auto onSegment = [](Point p, Point q, Point r) { // r on pq, given the three are in a line
        return std::min(p.x, q.x) <= r.x && r.x <= std::max(p.x, q.x) && std::min(p.y, q.y) <= r.y &&
               r.y <= std::max(p.y, q.y);
    };
    return (d1 == 0 && onSegment(a, b, c)) || (d2 == 0 && onSegment(a, b, d)) ||
           (d3 == 0 && onSegment(c, d, a)) || (d4 == 0 && onSegment(c, d, b));
}

// No two edges meet except neighbours at their shared corner.
bool isSimple(const std::vector<Point>& v) {
    const std::size_t n = v.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1) continue; // neighbours across the closing corner
            if (segmentsMeet(v[i], v[(i + 1) % n], v[j], v[(j + 1) % n])) return false;
        }
    return true;
}

// Cuts a simple polygon into triangles by clipping ears (exact integer tests); empty if it finds none.
std::vector<std::array<Point, 3>> triangulate(std::vector<Point> v) {
    double area2 = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const Point& a = v[i];
        const Point& b = v[(i + 1) % v.size()];
        area2 += double(a.x) * b.y - double(b.x) * a.y;
    }
    if (area2 < 0) std::reverse(v.begin(), v.end());
    std::vector<std::array<Point, 3>> out;
    while (v.size() > 3) {
        bool clipped = false;
        for (std::size_t i = 0; i < v.size() && !clipped; ++i) {
            const std::size_t m = v.size();
            const Point a = v[(i + m - 1) % m], b = v[i], c = v[(i + 1) % m];
            const std::int64_t turn = cross(a, b, c);
            if (turn == 0) { // a corner on the line through its neighbours adds no area
                v.erase(v.begin() + static_cast<long>(i));
                clipped = true;
                break;
            }
            if (turn < 0) continue; // reflex
            bool empty = true;
            for (std::size_t j = 0; j < m && empty; ++j) {
                const Point& q = v[j];
                if (q == a || q == b || q == c) continue;
                empty = !insideOrOnTriangle(a, b, c, q);
            }
            if (!empty) continue;
            out.push_back({a, b, c});
            v.erase(v.begin() + static_cast<long>(i));
            clipped = true;
        }
        if (!clipped) return {};
    }
    if (v.size() == 3 && cross(v[0], v[1], v[2]) != 0) out.push_back({v[0], v[1], v[2]});
    return out;
}

std::vector<DPoint> toD(const std::vector<Point>& v) {
    std::vector<DPoint> out;
    out.reserve(v.size());
    for (const Point& q : v)
        out.push_back(toD(q));
    return out;
}

// A polygon as one outline, or as triangles when it has more corners than readers take.
void writePolygon(MacroWriter& w, int exposure, const std::vector<Point>& corners) {
    if (corners.size() > kMaxOutlineCorners && corners.size() <= kMaxTriangulatedCorners &&
        isSimple(corners)) {
        std::vector<std::array<Point, 3>> triangles = triangulate(corners);
        if (!triangles.empty()) {
            for (const auto& t : triangles)
                w.outline(exposure, {toD(t[0]), toD(t[1]), toD(t[2])});
            return;
        }
    }
    w.outline(exposure, toD(corners));
}

// The body of a stroked arc between angles lo and hi (radians, lo < hi): the ring sector between
// rIn and rOut (a pie when rIn is 0), as outlines of at most a quarter turn each whose chords stay
// within the tolerance of the outer circle (and so of the inner one).
void arcBody(MacroWriter& w, int exposure, DPoint c, double rIn, double rOut, double lo, double hi) {
    const double span = hi - lo;
    double step = kPi / 2;
    if (rOut > kGerberArcTolerance) step = std::min(step, 2 * std::acos(1 - kGerberArcTolerance / rOut));
    long pieces = std::max(1L, static_cast<long>(std::ceil(span / kMaxPieceAngle - 1e-9)));
    const long chords = std::max(1L, static_cast<long>(std::ceil(span / step - 1e-9)));
    pieces = std::max(pieces, (chords + kMaxChordsPerPiece - 1) / kMaxChordsPerPiece);
    const long perPiece = std::max(1L, (chords + pieces - 1) / pieces);
    const long total = pieces * perPiece;
    // Every vertex comes from one formula, so neighbouring pieces share their edge exactly.
    auto at = [&](double r, long j) {
        double a = lo + span * double(j) / double(total);
        return DPoint{c.x + r * std::cos(a), c.y + r * std::sin(a)};
    };
    for (long k = 0; k < pieces; ++k) {
        std::vector<DPoint> v;
        for (long j = k * perPiece; j <= (k + 1) * perPiece; ++j)
            v.push_back(at(rOut, j));
        if (rIn > 0) {
            for (long j = (k + 1) * perPiece; j >= k * perPiece; --j)
                v.push_back(at(rIn, j));
        } else {
            v.push_back(c);
        }
        w.outline(exposure, v);
    }
}

// An arc as the editor strokes it: width `size` around the circle of `radius`, round ends. Returns
// false when it has no area.
bool writeArc(MacroWriter& w, int exposure, const PrimitiveRecord& p, bool& approximated) {
    const double width = p.size, r = p.radius;
    if (width <= 0) return false;
    const DPoint c = toD(p.centre);
    if (r <= 0) {
        w.circle(exposure, width, c);
        return true;
    }
    const double rOut = r + width / 2, rIn = std::max(r - width / 2, 0.0);
    // The same radial twice, as a sweep of 0 gives, draws the whole circle.
    const bool full = p.sweep == 0 || std::abs(static_cast<long>(p.sweep)) >= 3600;
    if (full) {
        if (rIn <= 0) {
            w.circle(exposure, 2 * rOut, c);
        } else {
            arcBody(w, exposure, c, rIn, rOut, 0, 2 * kPi);
            approximated = true;
        }
        return true;
    }
    const double a0 = p.startAngle * kPi / 1800.0, a1 = (double(p.startAngle) + p.sweep) * kPi / 1800.0;
    arcBody(w, exposure, c, rIn, rOut, std::min(a0, a1), std::max(a0, a1));
    approximated = true;
    w.circle(exposure, width, DPoint{c.x + r * std::cos(a0), c.y + r * std::sin(a0)});
    w.circle(exposure, width, DPoint{c.x + r * std::cos(a1), c.y + r * std::sin(a1)});
    return true;
}

} // namespace

std::string gerberMacroName(const std::string& apertureName) {
    std::string out;
    for (char ch : apertureName) {
        unsigned char u = static_cast<unsigned char>(ch);
        bool fits = (u < 128 && std::isalnum(u)) || ch == '_' || ch == '.' || ch == '$';
        out += fits ? ch : '_';
        if (out.size() >= 100) break;
    }
    if (out.empty()) return "APERTURE";
    // A digit cannot start a name, and readers take a one-letter name for a standard aperture.
    if (out.size() < 2 || std::isdigit(static_cast<unsigned char>(out[0]))) out.insert(0, "AP_");
    return out.substr(0, 100);
}

GerberExport gerberText(const ApertureRecord& a, GerberUnit unit) {
    GerberExport result;
    if (a.count() == 0) {
        result.error = "The aperture has no primitives: there is nothing to export.";
        return result;
    }
    MacroWriter w(unit);
    bool approximated = false;
    int index = 0;
    for (const auto& ptr : a.primitives()) {
        const PrimitiveRecord& p = *ptr;
        ++index;
        const char* what = typeName(p.type);
        if (p.type != AP_CIRCLE && p.type != AP_LINE && p.type != AP_POLYGON && p.type != AP_ARC) {
            result.error = korvane::format("Primitive %d has the unknown type %d.", index, p.type);
            return result;
        }
        if ((p.type != AP_POLYGON && p.size < 0) || (p.type == AP_ARC && p.radius < 0)) {
            result.error = korvane::format("Primitive %d (%s) has a negative %s.", index, what,
                                           p.type == AP_CIRCLE ? "diameter"
                                           : p.size < 0        ? "width"
                                                               : "radius");
            return result;
        }
        if (reachOf(p) > double(kGerberMaxReach)) {
            result.error = korvane::format("Primitive %d (%s) reaches beyond %.0f mm from the origin; "
                                           "no aperture is that large.",
                                           index, what, double(kGerberMaxReach) / kUnitsPerMm);
            return result;
        }
        const int exposure = p.polarity == 1 ? 1 : 0;
        bool drawn = false;
        switch (p.type) {
        case AP_CIRCLE:
            if (p.size > 0) {
                w.circle(exposure, p.size, toD(p.centre));
                drawn = true;
            }
            break;
        case AP_LINE:
            // The body ends at the end points, as a vector line does; a point-long line has no area.
            if (p.size > 0 && !(p.start == p.end)) {
                if (exposure)
                    w.vectorLine(exposure, p.size, toD(p.start), toD(p.end));
                else
                    w.lineOutline(exposure, p.size, toD(p.start), toD(p.end));
                drawn = true;
            }
            break;
        case AP_POLYGON: {
            std::vector<Point> corners = polygonCorners(p);
            if (!corners.empty()) {
                writePolygon(w, exposure, corners);
                drawn = true;
            }
            break;
        }
        case AP_ARC:
            drawn = writeArc(w, exposure, p, approximated);
            break;
        default:
            break;
        }
        drawn ? ++result.written : ++result.skipped;
    }
    if (result.written == 0) {
        result.error = korvane::format("None of the %d primitives has an area (zero widths or diameters, "
                                       "flat outlines): there is nothing to export.",
                                       a.count());
        return result;
    }

    const std::string name = gerberMacroName(a.name());
    const bool mm = unit == GerberUnit::Millimetre;
    std::string& t = result.text;
    t += "G04 Custom aperture " + name + ", flashed once at the origin*\n";
    t += mm ? "%FSLAX35Y35*%\n%MOMM*%\n" : "%FSLAX26Y26*%\n%MOIN*%\n";
    t += "%AM" + name + "*\n";
    if (approximated)
        t += "0 Arcs are outlines within " + w.number(kGerberArcTolerance) + (mm ? " mm" : " inch") +
             " of the true curve*\n";
    t += w.body();
    t += "%\n";
    t += "%ADD10" + name + "*%\n";
    t += "D10*\n";
    t += "X0Y0D03*\n";
    t += "M02*\n";
    return result;
}

bool writeGerberFile(const ApertureRecord& a, GerberUnit unit, const std::string& path, std::string& error) {
    GerberExport g = gerberText(a, unit);
    if (!g.ok()) {
        error = g.error;
        return false;
    }
    return korvane::writeFileAtomically(path, g.text, error);
}

} // namespace lumbra
