#include "lumbra/gerber.h"

#include "platform/atomic_file.h"
#include "platform/format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace lumbra {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Arc bodies are cut into pieces of at most a quarter turn, so every outline is simple and short.
constexpr double kMaxPieceAngle = kPi / 2;

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
std::vector<DPoint> polygonCorners(const PrimitiveRecord& p) {
    std::vector<Point> v;
    const std::size_t n = p.vertices.empty() ? 0 : p.vertices.size() - 1;
    for (std::size_t i = 0; i < n; ++i)
        if (v.empty() || !(v.back() == p.vertices[i])) v.push_back(p.vertices[i]);
    while (v.size() > 1 && v.back() == v.front())
        v.pop_back();
    if (v.size() < 3) return {};
    bool flat = true;
    for (std::size_t i = 2; i < v.size() && flat; ++i) {
        std::int64_t ax = std::int64_t(v[1].x) - v[0].x, ay = std::int64_t(v[1].y) - v[0].y;
        std::int64_t bx = std::int64_t(v[i].x) - v[0].x, by = std::int64_t(v[i].y) - v[0].y;
        // Coordinates are 32-bit, so the products fit; their difference is compared, not computed.
        flat = ax * by == ay * bx;
    }
    if (flat) return {};
    std::vector<DPoint> out;
    out.reserve(v.size());
    for (const Point& q : v)
        out.push_back(toD(q));
    return out;
}

// The body of a stroked arc between angles lo and hi (radians, lo < hi): the ring sector between
// rIn and rOut (a pie when rIn is 0), as outlines of at most a quarter turn each whose chords stay
// within the tolerance of the outer circle (and so of the inner one).
void arcBody(MacroWriter& w, int exposure, DPoint c, double rIn, double rOut, double lo, double hi) {
    const double span = hi - lo;
    double step = kPi / 2;
    if (rOut > kGerberArcTolerance) step = std::min(step, 2 * std::acos(1 - kGerberArcTolerance / rOut));
    const long pieces = std::max(1L, static_cast<long>(std::ceil(span / kMaxPieceAngle - 1e-9)));
    const long perPiece = std::max(1L, static_cast<long>(std::ceil(span / pieces / step - 1e-9)));
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
    if (std::isdigit(static_cast<unsigned char>(out[0]))) out.insert(0, "A");
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
        if (p.size < 0 || (p.type == AP_ARC && p.radius < 0)) {
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
                w.vectorLine(exposure, p.size, toD(p.start), toD(p.end));
                drawn = true;
            }
            break;
        case AP_POLYGON: {
            std::vector<DPoint> corners = polygonCorners(p);
            if (!corners.empty()) {
                w.outline(exposure, corners);
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
