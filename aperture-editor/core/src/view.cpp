#include "lumbra/view.h"

#include "lumbra/units.h"

#include "platform/clock.h"
#include "platform/format.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>
#include <thread>

namespace lumbra {

namespace {

constexpr std::int64_t kPixelLimit = 1 << 22; // keeps far-away shapes inside what a rasteriser takes

// Whether a box (not empty) reaches a rectangle of units; branch-free, as it runs for many boxes.
inline bool reachesRect(const Box& b, std::int64_t left, std::int64_t bottom, std::int64_t right,
                        std::int64_t top) {
    return (b.lx <= b.hx) & (b.hx >= left) & (b.lx <= right) & (b.hy >= bottom) & (b.ly <= top);
}

std::int32_t clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

int clampPixel(double v) {
    if (!(v == v)) return 0;
    double r = roundHalfAway(v);
    return static_cast<int>(std::clamp<double>(r, -double(kPixelLimit), double(kPixelLimit)));
}

ViewWindow normalised(Point a, Point b) {
    return ViewWindow{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

} // namespace

// Each primitive is filed under the grid cell of its box's lower left corner (the box holding both its
// hit box and the box of its defining points); one larger than a cell goes to a list of its own. A
// primitive reaching a rectangle then lies in the cells from one cell left of and below it up to its
// top right, or in that list.
struct CLumbraView::PaintGrid {
    std::uint64_t changes = 0;
    std::size_t count = 0;
    bool built = false;
    std::int64_t x0 = 0, y0 = 0, cellW = 1, cellH = 1;
    std::int64_t nx = 1, ny = 1;
    std::vector<std::uint32_t> start, items, large;
    // The hull of each item's boxes beside it: a lookup reads them in a row instead of at random.
    std::vector<Box> itemBoxes, largeBoxes;
    // A lookup's list, and one bit a primitive to put it in list order; one for each band drawn at once.
    struct Lookup {
        std::vector<std::uint64_t> marks;
        std::vector<std::uint32_t> order;
    };
    std::vector<Lookup> lookups;

    void build(const BoxList& hit, const BoxList& pts) {
        const std::size_t n = hit.size();
        auto hull = [&](std::size_t i) {
            const Box &a = hit[i], &b = pts[i];
            bool ha = a.lx <= a.hx, hb = b.lx <= b.hx;
            if (!ha) return b;
            if (!hb) return a;
            return Box{std::min(a.lx, b.lx), std::min(a.ly, b.ly), std::max(a.hx, b.hx),
                       std::max(a.hy, b.hy)};
        };
        std::int64_t lx = INT64_MAX, ly = INT64_MAX, hx = INT64_MIN, hy = INT64_MIN;
        for (std::size_t i = 0; i < n; ++i) {
            Box u = hull(i);
            if (u.lx > u.hx) continue;
            lx = std::min<std::int64_t>(lx, u.lx), ly = std::min<std::int64_t>(ly, u.ly);
            hx = std::max<std::int64_t>(hx, u.hx), hy = std::max<std::int64_t>(hy, u.hy);
        }
        if (lx > hx) lx = ly = hx = hy = 0;
        // About four primitives a cell, but a cell no smaller than nearly every primitive: the large
        // ones are visited by every lookup.
        nx = ny = std::clamp<std::int64_t>(static_cast<std::int64_t>(std::sqrt(double(n) / 4)), 1, 2048);
        x0 = lx, y0 = ly;
        cellW = std::max<std::int64_t>((hx - lx) / nx + 1, 1);
        cellH = std::max<std::int64_t>((hy - ly) / ny + 1, 1);
        std::vector<std::int64_t> sizes;
        sizes.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            Box u = hull(i);
            if (u.lx <= u.hx) sizes.push_back(std::max(std::int64_t(u.hx) - u.lx, std::int64_t(u.hy) - u.ly));
        }
        if (!sizes.empty()) {
            auto at = sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() * 99 / 100);
            std::nth_element(sizes.begin(), at, sizes.end());
            const std::int64_t typical = *at + 1;
            if (typical > cellW) cellW = typical, nx = (hx - lx) / cellW + 1;
            if (typical > cellH) cellH = typical, ny = (hy - ly) / cellH + 1;
        }
        std::vector<std::uint32_t> cellOf(n, UINT32_MAX);
        start.assign(static_cast<std::size_t>(nx * ny) + 1, 0);
        large.clear();
        largeBoxes.clear();
        for (std::size_t i = 0; i < n; ++i) {
            Box u = hull(i);
            if (u.lx > u.hx) continue; // reaches nothing
            if (std::int64_t(u.hx) - u.lx >= cellW || std::int64_t(u.hy) - u.ly >= cellH) {
                large.push_back(static_cast<std::uint32_t>(i));
                largeBoxes.push_back(u);
                continue;
            }
            auto c = static_cast<std::uint32_t>(((u.ly - y0) / cellH) * nx + (u.lx - x0) / cellW);
            cellOf[i] = c;
            ++start[c + 1];
        }
        for (std::size_t c = 1; c < start.size(); ++c)
            start[c] += start[c - 1];
        items.resize(start.back());
        itemBoxes.resize(start.back());
        std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < n; ++i)
            if (cellOf[i] != UINT32_MAX) {
                const std::uint32_t k = fill[cellOf[i]]++;
                items[k] = static_cast<std::uint32_t>(i);
                itemBoxes[k] = hull(i);
            }
        lookups.clear();
        count = n;
        built = true;
    }

    // The cells holding what may reach the rectangle (units): x0..x1, y0..y1 (none when x0 > x1).
    struct Cells {
        std::int64_t x0, x1, y0, y1;
        std::int64_t count() const {
            return std::max<std::int64_t>(x1 - x0 + 1, 0) * std::max<std::int64_t>(y1 - y0 + 1, 0);
        }
    };
    Cells cellsFor(std::int64_t left, std::int64_t bottom, std::int64_t right, std::int64_t top) const {
        // An item lies in the cell of its box's lower left corner: one cell to the left and below too.
        auto cellX = [&](std::int64_t x) { return std::clamp<std::int64_t>((x - x0) / cellW, -1, nx); };
        auto cellY = [&](std::int64_t y) { return std::clamp<std::int64_t>((y - y0) / cellH, -1, ny); };
        Cells c{std::max<std::int64_t>(cellX(left - cellW), 0), std::min(cellX(right), nx - 1),
                std::max<std::int64_t>(cellY(bottom - cellH), 0), std::min(cellY(top), ny - 1)};
        if (c.x0 > c.x1 || c.y0 > c.y1) c.x1 = c.x0 - 1;
        return c;
    }

    // How many items the cells hold (those of a row of cells lie together).
    std::size_t itemsIn(const Cells& c) const {
        std::size_t total = large.size();
        for (std::int64_t cy = c.y0; c.x0 <= c.x1 && cy <= c.y1; ++cy)
            total += start[static_cast<std::size_t>(cy * nx + c.x1) + 1] -
                     start[static_cast<std::size_t>(cy * nx + c.x0)];
        return total;
    }

    // Into the lookup's order: the items whose box reaches the rectangle, in list order.
    void lookUp(std::int64_t left, std::int64_t bottom, std::int64_t right, std::int64_t top,
                Lookup& l) const {
        if (l.marks.size() != (count + 63) / 64) l.marks.assign((count + 63) / 64, 0);
        const Cells c = cellsFor(left, bottom, right, top);
        std::size_t lowWord = l.marks.size(), highWord = 0;
        auto mark = [&](std::uint32_t i, const Box& b) {
            if (!reachesRect(b, left, bottom, right, top)) return;
            l.marks[i / 64] |= std::uint64_t(1) << (i % 64);
            lowWord = std::min<std::size_t>(lowWord, i / 64);
            highWord = std::max<std::size_t>(highWord, i / 64 + 1);
        };
        for (std::int64_t cy = c.y0; c.x0 <= c.x1 && cy <= c.y1; ++cy)
            for (std::int64_t cx = c.x0; cx <= c.x1; ++cx) {
                auto cell = static_cast<std::size_t>(cy * nx + cx);
                for (std::uint32_t k = start[cell]; k < start[cell + 1]; ++k)
                    mark(items[k], itemBoxes[k]);
            }
        for (std::size_t k = 0; k < large.size(); ++k)
            mark(large[k], largeBoxes[k]);
        // In list order, as painting must go; the marks are cleared on the way.
        l.order.clear();
        for (std::size_t w = lowWord; w < highWord; ++w) {
            std::uint64_t bits = l.marks[w];
            l.marks[w] = 0;
            while (bits) {
                const int b = __builtin_ctzll(bits);
                bits &= bits - 1;
                l.order.push_back(static_cast<std::uint32_t>(w * 64 + static_cast<std::size_t>(b)));
            }
        }
    }
};

// ---------------------------------------------------------------- rubber bands

bool RubberBandStack::push(Drawer d) {
    if (entries_.size() >= kCapacity) return false;
    entries_.push_back(Entry{std::move(d), false, false, 0, 0});
    return true;
}

void RubberBandStack::takeOff(Canvas& c) {
    if (!onSurface_) return;
    if (noted_) {
        c.eraseOverlay();
    } else {
        image_.replay(c);
        image_ = RecordingCanvas();
    }
    onSurface_ = false;
}

void RubberBandStack::drawAll(Canvas& c) {
    for (const Entry& e : entries_) {
        if (!e.shown) continue;
        c.setXor(true);
        c.setPen(kWhite, 1, PenStyle::Solid);
        c.setNullBrush();
        e.drawer(c, e.x, e.y);
    }
    if (cursorShown_ && cursorDrawer_) {
        c.setXor(true);
        c.setPen(kWhite, 1, PenStyle::Solid);
        cursorDrawer_(c, cursor_.x, cursor_.y);
    }
    c.setXor(false);
}

void RubberBandStack::putOn(Canvas& c) {
    bool any = cursorShown_ && cursorDrawer_;
    for (const Entry& e : entries_)
        any = any || e.shown;
    if (!any) return;
    // Kept only now that something goes over it: a highlight with nothing over it costs no copy.
    if (underlayStale_ && c.keepUnderlay()) underlayStale_ = false;
    noted_ = !underlayStale_ && c.noteOverlay(true);
    if (noted_) {
        drawAll(c);
        c.noteOverlay(false);
    } else {
        RecordingCanvas rec(c.width(), c.height());
        drawAll(rec);
        rec.replay(c);
        image_ = std::move(rec);
    }
    onSurface_ = true;
}

void RubberBandStack::pop(Canvas* c) {
    if (entries_.empty()) return;
    if (c) takeOff(*c);
    entries_.pop_back();
    if (c) putOn(*c);
}

void RubberBandStack::popAll(Canvas* c) {
    if (entries_.empty()) return;
    if (c) takeOff(*c);
    entries_.clear();
    if (c) putOn(*c);
}

void RubberBandStack::forgetImages() {
    onSurface_ = false;
    image_ = RecordingCanvas();
    underlayStale_ = false;
    cursorShown_ = false;
    for (auto& e : entries_)
        e.shown = false;
}

void RubberBandStack::redraw(Canvas* c, int x, int y, int flags) {
    if (!c) return;
    takeOff(*c);
    for (auto& e : entries_) {
        if (flags & Recompute) {
            // Positions follow the world anchors again after a zoom or scroll: drawn at the last cursor.
            e.shown = e.placed;
        } else if (flags & Draw) {
            e.placed = e.shown = true;
            e.x = x;
            e.y = y;
        } else if (flags & Erase) {
            e.shown = false;
        }
    }
    putOn(*c);
}

void RubberBandStack::moveTo(Canvas* c, int x, int y) {
    if (!c) return;
    takeOff(*c);
    for (auto& e : entries_) {
        e.placed = e.shown = true;
        e.x = x;
        e.y = y;
    }
    cursorShown_ = true;
    cursor_ = PixelPoint{x, y};
    putOn(*c);
}

void RubberBandStack::hideCursor(Canvas* c) {
    if (!cursorShown_) return;
    if (c) takeOff(*c);
    cursorShown_ = false;
    if (c) putOn(*c);
}

void RubberBandStack::lift(Canvas* c) {
    if (c) takeOff(*c);
}

void RubberBandStack::settle(Canvas* c) {
    underlayStale_ = true;
    if (c) putOn(*c);
}

// ---------------------------------------------------------------- construction

CLumbraView::CLumbraView(CLumbraDoc& doc, ViewFrame* frame)
    : doc_(doc), frame_(frame ? frame : &defaultFrame_) {
    window = ViewWindow{-254000, -254000, 254000, 254000};
    savedWindow = window;
    doc_.addView(this);
    bands_.setCursorDrawer([](Canvas& c, int px, int py) {
        c.line(px - kCrossHalfWidth, py, px + kCrossHalfWidth + 1, py);
        c.line(px, py - kCrossHalfHeight, px, py + kCrossHalfHeight + 1);
    });
}

CLumbraView::~CLumbraView() {
    doc_.removeView(this);
}

// ---------------------------------------------------------------- transforms

PixelPoint CLumbraView::toPixel(std::int64_t x, std::int64_t y) const {
    int px = clampPixel(static_cast<double>(x - window.left) * scale);
    int py = clampPixel(static_cast<double>(y - window.bottom) * scale);
    return PixelPoint{px, clientHeight() - py};
}

PixelPoint CLumbraView::toPixel(Point p) const {
    return toPixel(std::int64_t(p.x), std::int64_t(p.y));
}

int CLumbraView::lengthToPixels(std::int64_t units) const {
    return clampPixel(static_cast<double>(units) * scale);
}

Point CLumbraView::snappedWorld(int px, int py) const {
    auto snapAxis = [&](std::int64_t v, std::int64_t lo, std::int64_t hi) {
        std::int64_t g = gridSize;
        if (!snap || g <= 1) return v;
        std::int64_t r = v % g;
        std::int64_t base = v - r;
        if (r >= g / 2)
            base += g;
        else if (-r >= g / 2)
            base -= g;
        if (base > hi) base -= g;
        if (base < lo) base += g;
        return base;
    };
    std::int64_t x = static_cast<std::int64_t>(roundHalfAway(px / scale)) + window.left;
    std::int64_t y = static_cast<std::int64_t>(roundHalfAway((clientHeight() - py) / scale)) + window.bottom;
    x = snapAxis(x, window.left, window.right);
    y = snapAxis(y, window.bottom, window.top);
    return Point{clamp32(x), clamp32(y)};
}

void CLumbraView::fitToClient() {
    std::int64_t W = clientWidth(), H = clientHeight();
    if (W <= 0 || H <= 0) return;
    std::int64_t left = window.left, right = window.right, bottom = window.bottom, top = window.top;
    // A window smaller than the minimum extent keeps its centre and grows to the minimum.
    if (right - left < kMinimumExtent) {
        std::int64_t c = left + (right - left) / 2;
        left = c - kMinimumExtent / 2;
        right = left + kMinimumExtent;
    }
    if (top - bottom < kMinimumExtent) {
        std::int64_t c = bottom + (top - bottom) / 2;
        bottom = c - kMinimumExtent / 2;
        top = bottom + kMinimumExtent;
    }
    std::int64_t w = right - left, h = top - bottom;
    if (static_cast<double>(h) * W < static_cast<double>(H) * w) {
        scale = static_cast<double>(W + 1) / static_cast<double>(w);
        std::int64_t c = bottom + h / 2;
        std::int64_t half = static_cast<std::int64_t>(roundHalfAway(static_cast<double>(w) * H / W / 2.0));
        bottom = c - half;
        top = c + half;
    } else {
        scale = static_cast<double>(H) / static_cast<double>(h);
        std::int64_t c = left + w / 2;
        std::int64_t half = static_cast<std::int64_t>(roundHalfAway(static_cast<double>(h) * W / H / 2.0));
        left = c - half;
        right = c + half;
    }
    if (scale == 0) scale = 1.0;
    window = ViewWindow{clamp32(left), clamp32(bottom), clamp32(right), clamp32(top)};
}

std::string CLumbraView::formatLength(std::int64_t units) const {
    double inches = toLength(static_cast<double>(units), false);
    return korvane::format("%.5lf", metric ? inches * 25.4 : inches);
}

// ---------------------------------------------------------------- painting

void CLumbraView::drawPrimitive(Canvas& c, const PrimitiveRecord& p, std::int32_t dx, std::int32_t dy,
                                bool outline, std::vector<PixelPoint>* scratch) const {
    // Each painting thread brings its own scratch.
    std::vector<PixelPoint>& points = scratch ? *scratch : points_;
    auto at = [&](Point q) { return toPixel(std::int64_t(q.x) + dx, std::int64_t(q.y) + dy); };
    switch (p.type) {
    case AP_CIRCLE: {
        PixelPoint ctr = at(p.centre);
        if (p.drilled()) {
            c.line(ctr.x - 10, ctr.y, ctr.x + 11, ctr.y);
            c.line(ctr.x, ctr.y - 10, ctr.x, ctr.y + 11);
        }
        int d = lengthToPixels(p.size);
        if (d > 2) {
            int r = d / 2;
            c.ellipse(ctr.x - r, ctr.y - r, ctr.x - r + d, ctr.y - r + d);
        } else {
            c.setPixel(ctr.x, ctr.y, outline ? kWhite : colourFor(p));
        }
        break;
    }
    case AP_LINE: {
        PixelPoint a = at(p.start), b = at(p.end);
        int hw = lengthToPixels(p.size) / 2;
        if (lengthToPixels(p.size) <= 1 || hw <= 0) {
            c.line(a.x, a.y, b.x, b.y);
            // The end point itself belongs to the line.
            c.line(b.x, b.y, b.x + 1, b.y);
            break;
        }
        int ddx = b.x - a.x, ddy = b.y - a.y;
        if (ddx == 0 || ddy == 0) {
            int l = std::min(a.x, b.x), r = std::max(a.x, b.x), t = std::min(a.y, b.y),
                bt = std::max(a.y, b.y);
            if (ddy == 0)
                c.rectangle(l, t - hw, r + 1, t + hw + 1);
            else
                c.rectangle(l - hw, t, l + hw + 1, bt + 1);
            break;
        }
        int ox, oy;
        if (std::abs(std::abs(ddx) - std::abs(ddy)) <= 1) {
            // 45 degrees: equal offsets on both axes.
            int o = hw > 2 ? static_cast<int>((std::int64_t(hw) * 707106 + 500000) / 1000000) : hw;
            ox = -(ddy > 0 ? 1 : -1) * o;
            oy = (ddx > 0 ? 1 : -1) * o;
        } else {
            double len = std::hypot(double(ddx), double(ddy));
            ox = clampPixel(-ddy / len * hw);
            oy = clampPixel(ddx / len * hw);
        }
        points.assign(
            {{a.x + ox, a.y + oy}, {b.x + ox, b.y + oy}, {b.x - ox, b.y - oy}, {a.x - ox, a.y - oy}});
        c.polygon(points);
        break;
    }
    case AP_POLYGON: {
        std::size_t n = p.vertices.empty() ? 0 : p.vertices.size() - 1;
        points.clear();
        for (std::size_t i = 0; i < n; ++i)
            points.push_back(at(p.vertices[i]));
        if (!points.empty()) c.polygon(points);
        break;
    }
    case AP_ARC: {
        PixelPoint ctr = at(p.centre);
        int r = lengthToPixels(p.radius);
        double s = p.startAngle * M_PI / 1800.0, e = (double(p.startAngle) + p.sweep) * M_PI / 1800.0;
        if (p.sweep < 0) std::swap(s, e);
        double far = 16.0 * std::max(r, 1);
        int xs = clampPixel(ctr.x + far * std::cos(s)), ys = clampPixel(ctr.y - far * std::sin(s));
        int xe = clampPixel(ctr.x + far * std::cos(e)), ye = clampPixel(ctr.y - far * std::sin(e));
        if (std::abs(p.sweep) >= 3600) xe = xs, ye = ys;
        if (r <= 0)
            c.setPixel(ctr.x, ctr.y, outline ? kWhite : colourFor(p));
        else
            c.arc(ctr.x - r, ctr.y - r, ctr.x + r, ctr.y + r, xs, ys, xe, ye);
        break;
    }
    default:
        break;
    }
}

bool CLumbraView::gridServes(std::int64_t left, std::int64_t bottom, std::int64_t right, std::int64_t top) {
    const ApertureRecord& a = aperture();
    const std::size_t n = a.hitBoxes().size();
    // Small apertures are scanned: building the grid would cost more than it saves. So are views of
    // much of the aperture (judged by its extent, which is kept; the grid is then not even built).
    if (n < 20000) return false;
    std::int64_t sx = 0, sy = 0;
    a.extentUnits(sx, sy);
    if (double(right - left) * double(top - bottom) * 4 >
        double(std::max<std::int64_t>(sx, 1)) * double(std::max<std::int64_t>(sy, 1)))
        return false;
    if (!grid_) grid_ = std::make_unique<PaintGrid>();
    PaintGrid& g = *grid_;
    if (!g.built || g.changes != a.changes() || g.count != n) {
        g.build(a.hitBoxes(), a.definingBoxes());
        g.changes = a.changes();
    }
    // When the cells to visit are much of the grid, the plain scan is as quick.
    return g.cellsFor(left, bottom, right, top).count() * 4 <= g.nx * g.ny;
}

void CLumbraView::paint() {
    if (!canvas_) return;
    Canvas& c = *canvas_;
    // The background replaces everything (it is laid below): crosshair and rubber bands are gone with it.
    bands_.forgetImages();
    c.setXor(false);
    fitToClient();
    PixelPoint origin = toPixel(Point{0, 0});

    // Whatever a primitive draws lies in its hit box or the box of its defining points, give or take
    // the drill cross, pen widths and rounding: one that reaches the client area with neither is left
    // out, so a zoomed-in view of a large aperture draws only what shows.
    const ApertureRecord& ap = aperture();
    const BoxList& hitBoxes = ap.hitBoxes();
    const BoxList& definingBoxes = ap.definingBoxes();
    const double unitsPerPixel = scale > 0 ? 1.0 / scale : 1.0;
    const auto margin = static_cast<std::int64_t>(std::ceil(16.0 * unitsPerPixel)) + 2;
    // The units of a row's top edge, with the margin above (or below) it.
    auto unitsAbove = [&](int row) {
        return std::int64_t(window.bottom) +
               static_cast<std::int64_t>(std::ceil((c.height() + 2 - row) * unitsPerPixel)) + margin;
    };
    auto unitsBelow = [&](int row) {
        return std::int64_t(window.bottom) +
               static_cast<std::int64_t>(std::floor((c.height() - 2 - row) * unitsPerPixel)) - margin;
    };
    const std::int64_t left = std::int64_t(window.left) - margin,
                       right = std::int64_t(window.left) +
                               static_cast<std::int64_t>(std::ceil((c.width() + 2) * unitsPerPixel)) + margin;
    const PrimitiveList& list = ap.primitives();
    const std::size_t n = list.size();
    const std::int64_t viewBottom = std::int64_t(window.bottom) - margin, viewTop = unitsAbove(0);
    const bool viaGrid = cullHidden && gridServes(left, viewBottom, right, viewTop);

    // Draws on one canvas the primitives reaching rows [bottom, top] (units), from `items` or else from
    // the whole list: in list order, or topmost first where the canvas does that, so that what lies
    // under later primitives is never drawn.
    auto drawOn = [&](Canvas& bc, std::int64_t bottom, std::int64_t top, bool topFirst,
                      const std::vector<PaintItem>* items, std::vector<PixelPoint>& scratch) {
        // Pens and brushes change only when colour, width or style do.
        struct {
            Rgb colour;
            int width = -1;
            PenStyle style = PenStyle::Solid;
            bool brushSet = false;
            Rgb brush;
        } pen;
        auto usePen = [&](Rgb colour, int w, PenStyle style) {
            if (pen.width == w && pen.colour == colour && pen.style == style) return;
            bc.setPen(colour, w, style);
            pen.colour = colour, pen.width = w, pen.style = style;
        };
        auto useBrush = [&](Rgb colour) {
            if (pen.brushSet && pen.brush == colour) return;
            bc.setSolidBrush(colour);
            pen.brushSet = true, pen.brush = colour;
        };
        if (!fillMode) bc.setNullBrush();
        auto reaches = [&](const Box& b) { return reachesRect(b, left, bottom, right, top); };
        // Whether everything the primitive may draw (see above) lies under what is drawn already.
        auto hiddenNow = [&](const Box& hb, const Box& db, bool drilled) {
            std::int64_t lx = db.lx, ly = db.ly, hx = db.hx, hy = db.hy;
            if (hb.lx <= hb.hx)
                lx = std::min(lx, std::int64_t(hb.lx)), ly = std::min(ly, std::int64_t(hb.ly)),
                hx = std::max(hx, std::int64_t(hb.hx)), hy = std::max(hy, std::int64_t(hb.hy));
            if (lx > hx || ly > hy) return false;
            const PixelPoint a = toPixel(lx, hy), b = toPixel(hx, ly);
            const int m = drilled ? 13 : 2;
            return bc.hidden(a.x - m, a.y - m, b.x + m + 1, b.y + m + 1);
        };
        auto drawOne = [&](const PrimitiveRecord* p, const Box& hb, const Box& db) {
            if (cullHidden && !(reaches(hb) || reaches(db))) return;
            Rgb colour = colourFor(*p);
            if (!p->drilled() && hb.lx <= hb.hx && (double(hb.hx) - hb.lx) * scale < 1.0 &&
                (double(hb.hy) - hb.ly) * scale < 1.0) {
                // Smaller than a pixel: the pixel under its middle, rather than a shape that may light
                // none (and for far less work, which counts when a million are in view).
                PixelPoint m = toPixel((std::int64_t(hb.lx) + hb.hx) / 2, (std::int64_t(hb.ly) + hb.hy) / 2);
                bc.setPixel(m.x, m.y, colour);
                return;
            }
            if (topFirst && hiddenNow(hb, db, p->drilled())) return;
            if (p->type == AP_ARC)
                usePen(colour, fillMode ? std::max(lengthToPixels(p->size), 1) : 1, PenStyle::Solid);
            else
                usePen(colour, 1, PenStyle::InsideFrame);
            if (fillMode) useBrush(colour);
            drawPrimitive(bc, *p, 0, 0, false, &scratch);
        };
        if (!items) {
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t i = topFirst ? n - 1 - k : k;
                drawOne(list[i].get(), hitBoxes[i], definingBoxes[i]);
            }
            return;
        }
        // The records lie scattered over a large aperture's memory: fetch them and a polygon's
        // vertices a few ahead of drawing, so that the waits overlap.
        const std::size_t count = items->size();
        auto nth = [&](std::size_t k) -> const PaintItem& { return (*items)[topFirst ? count - 1 - k : k]; };
        for (std::size_t k = 0; k < count; ++k) {
            if (k + 24 < count) {
                // A record may straddle two cache lines.
                const auto* ahead = reinterpret_cast<const char*>(nth(k + 24).p);
                __builtin_prefetch(ahead);
                __builtin_prefetch(ahead + sizeof(PrimitiveRecord) - 1);
            }
            if (k + 12 < count && nth(k + 12).p->type == AP_POLYGON)
                __builtin_prefetch(nth(k + 12).p->vertices.data());
            const PaintItem& item = nth(k);
            drawOne(item.p, item.hit, item.def);
        }
    };

    // A large paint is shared between threads, each drawing a band of the rows; they go topmost
    // first, which each primitive drawing in one colour allows.
    const std::size_t work =
        viaGrid ? grid_->itemsIn(grid_->cellsFor(left, viewBottom, right, viewTop)) : (cullHidden ? n : 0);
    const unsigned threads = work >= 500 ? std::min(std::thread::hardware_concurrency(), 2u) : 1;
    std::vector<Canvas*> bands = threads > 1 ? c.rowBands(int(threads)) : std::vector<Canvas*>{};
    const std::size_t parts = std::max<std::size_t>(bands.size(), 1);
    std::vector<std::int64_t> bandBottom(parts), bandTop(parts);
    for (std::size_t k = 0; k < parts; ++k) {
        bandTop[k] = unitsAbove(c.height() * int(k) / int(parts));
        bandBottom[k] = k + 1 == parts ? viewBottom : unitsBelow(c.height() * int(k + 1) / int(parts));
    }
    // What each band draws of a part of the aperture, looked up in the grid by the band itself, with
    // the boxes beside the records; none (the whole list is scanned) without the grid.
    paintItems_.resize(parts);
    if (viaGrid && grid_->lookups.size() < parts) grid_->lookups.resize(parts);
    auto gather = [&](std::size_t k) -> const std::vector<PaintItem>* {
        if (!viaGrid) return nullptr;
        std::vector<PaintItem>& items = paintItems_[k];
        items.clear();
        PaintGrid::Lookup& lookup = grid_->lookups[k];
        grid_->lookUp(left, bandBottom[k], right, bandTop[k], lookup);
        auto reaches = [&](const Box& b) { return reachesRect(b, left, bandBottom[k], right, bandTop[k]); };
        // The boxes lie far apart in a large aperture: they are fetched a few ahead.
        const std::uint32_t* const ids = lookup.order.data();
        const std::size_t count = lookup.order.size();
        for (std::size_t j = 0; j < count; ++j) {
            if (j + 16 < count) {
                __builtin_prefetch(&hitBoxes[ids[j + 16]]);
                __builtin_prefetch(&definingBoxes[ids[j + 16]]);
                __builtin_prefetch(&list[ids[j + 16]]);
            }
            const std::uint32_t i = ids[j];
            const Box &hb = hitBoxes[i], &db = definingBoxes[i];
            if (reaches(hb) || reaches(db)) items.push_back({list[i].get(), hb, db});
        }
        return &items;
    };
    // The origin's marker, over the primitives.
    auto drawMarker = [&](Canvas& on) {
        on.setPen(kWhite, 1, PenStyle::Solid);
        on.line(origin.x - 10, origin.y + 10, origin.x + 10, origin.y - 10);
        on.line(origin.x - 10, origin.y - 10, origin.x + 10, origin.y + 10);
    };
    // Drawn topmost first, the marker comes first and the background is laid last, where nothing lies.
    auto drawTopFirst = [&](Canvas& bc, std::size_t k, std::vector<PixelPoint>& scratch) {
        drawMarker(bc);
        drawOn(bc, bandBottom[k], bandTop[k], true, gather(k), scratch);
        bc.fillRect(0, 0, c.width(), c.height(), kBlack);
        return bc.endTopFirst();
    };
    bool drawn = false;
    if (!bands.empty()) {
        std::vector<char> done(parts, 0);
        auto drawBand = [&](std::size_t k) {
            std::vector<PixelPoint> scratch;
            // The band's rows of the kept frame too, as they are written, while the other band draws on.
            bands[k]->keepBackground();
            done[k] = drawTopFirst(*bands[k], k, scratch);
        };
        // Every thread is joined before anything it threw goes on.
        std::vector<std::exception_ptr> failures(parts);
        auto guarded = [&](std::size_t k) {
            try {
                drawBand(k);
            } catch (...) {
                failures[k] = std::current_exception();
            }
        };
        std::vector<std::thread> helpers;
        helpers.reserve(parts);
        for (std::size_t k = 1; k < parts; ++k) {
            try {
                helpers.emplace_back(guarded, k);
            } catch (const std::system_error&) {
                guarded(k); // no thread to be had: this one draws the band
            }
        }
        guarded(0);
        for (std::thread& t : helpers)
            t.join();
        for (const std::exception_ptr& f : failures)
            if (f) std::rethrow_exception(f);
        drawn = std::all_of(done.begin(), done.end(), [](char d) { return d != 0; });
    } else if (c.beginTopFirst()) {
        drawn = drawTopFirst(c, 0, points_);
    }
    if (!drawn) {
        // In order, on the background (also where a shape was drawn without regard to what covered it).
        c.fillRect(0, 0, c.width(), c.height(), kBlack);
        drawOn(c, bandBottom.back(), bandTop.front(), false, parts == 1 ? gather(0) : nullptr, points_);
        drawMarker(c);
    }
    const bool byBands = drawn && !bands.empty();
    c.setPen(kWhite, 1, PenStyle::Solid);
    // The frame is kept before any XOR overlay is drawn on it (so the marker lies under the rubber
    // bands): taking the overlays off is then one copy.
    keptFrame_.reset();
    if ((byBands && c.keptByBands()) || c.keepBackground()) keptFrame_ = frameKey();
    bands_.redraw(&c, 0, 0, RubberBandStack::Recompute);
    updateScrollBars();
}

CLumbraView::FrameKey CLumbraView::frameKey() const {
    return FrameKey{canvas_,
                    window,
                    clientWidth(),
                    clientHeight(),
                    fillMode,
                    doc_.aperture().count(),
                    doc_.aperture().changes(),
                    positiveColour,
                    negativeColour};
}

void CLumbraView::restoreFrame() {
    if (!canvas_ || !keptFrame_ || !(*keptFrame_ == frameKey()) || !canvas_->restoreBackground()) {
        paint();
        return;
    }
    bands_.forgetImages();
    bands_.redraw(canvas_, 0, 0, RubberBandStack::Recompute);
}

void CLumbraView::highlightSelection() {
    if (canvas_) {
        Canvas& c = *canvas_;
        // Under the rubber bands and the crosshair, which come off by copying back what they covered.
        bands_.lift(canvas_);
        c.setXor(true);
        c.setPen(kWhite, 1, PenStyle::Solid);
        c.setNullBrush();
        for (const PrimitiveRecord* s : aperture().selectedMembers())
            drawPrimitive(c, *s, 0, 0, true);
        c.setXor(false);
        bands_.settle(canvas_);
    }
    frame_->selectionCount(std::abs(aperture().selectionCount()));
}

void CLumbraView::updateScrollBars() {
    aperture().computeSize();
    rangeX_ = toUnits(aperture().xSize, false);
    rangeY_ = toUnits(aperture().ySize, false);
    auto bar = [](std::int64_t range, std::int64_t extent, std::int64_t pos) {
        ScrollBarState s;
        if (extent > 2 * range) return s; // 1..10, page 10, position 0
        s.minimum = clamp32(-range);
        s.maximum = clamp32(range);
        s.page = clamp32(extent);
        s.position = clamp32(std::clamp(pos, -range, range - extent));
        return s;
    };
    hbar_ = bar(rangeX_, window.width(), window.left);
    vbar_ = bar(rangeY_, window.height(), window.bottom);
    if (window.height() <= 2 * rangeY_) // the top of the range is the top of the bar
        vbar_.position = clamp32(std::int64_t(vbar_.minimum) + vbar_.maximum - vbar_.position - vbar_.page);
}

void CLumbraView::scroll(bool vertical, ScrollAction action, int thumb) {
    ScrollBarState b = vertical ? vbar_ : hbar_;
    if (!b.scrollable()) return;
    std::int64_t page = b.page;
    std::int64_t line = std::max<std::int64_t>(page / 10, 100);
    std::int64_t range = vertical ? rangeY_ : rangeX_;
    // Work in window coordinates: left, or bottom.
    std::int64_t low = vertical ? window.bottom : window.left;
    switch (action) {
    case ScrollAction::LineUp:
        low += vertical ? line : -line;
        break;
    case ScrollAction::LineDown:
        low -= vertical ? line : -line;
        break;
    case ScrollAction::PageUp:
        low += vertical ? page : -page;
        break;
    case ScrollAction::PageDown:
        low -= vertical ? page : -page;
        break;
    case ScrollAction::ThumbPosition:
        low = vertical ? std::int64_t(b.minimum) + b.maximum - thumb - page : thumb;
        break;
    }
    low = std::clamp(low, -range, range - page);
    if (vertical) {
        std::int64_t h = window.height();
        window.bottom = clamp32(low);
        window.top = clamp32(low + h);
    } else {
        std::int64_t w = window.width();
        window.left = clamp32(low);
        window.right = clamp32(low + w);
    }
    redraw();
}

// ---------------------------------------------------------------- messages and the crosshair

bool CLumbraView::isLeftDown(const ViewMessage& m) {
    return m.message == WM_LBUTTONDOWN || (m.message == WM_KEYED_POINT && m.wParam == WM_LBUTTONDOWN);
}

bool CLumbraView::isLeftUp(const ViewMessage& m) {
    return m.message == WM_LBUTTONUP || (m.message == WM_KEYED_POINT && m.wParam == WM_LBUTTONUP);
}

bool CLumbraView::isCancel(const ViewMessage& m) {
    return m.message == WM_RBUTTONDOWN || (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE);
}

Point CLumbraView::clickPoint(const ViewMessage& m) const {
    return m.message == WM_KEYED_POINT ? m.world : snappedWorld(m.x, m.y);
}

Point CLumbraView::crosshairPoint(const ViewMessage& m) const {
    return m.message == WM_KEYED_POINT ? m.world : crosshairWorld();
}

bool CLumbraView::handleMessage(const ViewMessage& m) {
    if (hook_.messageHook) {
        auto handler = hook_.messageHook; // the handler may replace itself
        if (handler(m)) return true;
    }
    return defaultHandling(m);
}

void CLumbraView::keyedPointEntered(Point p) {
    keyedPoint = p;
    for (unsigned real : {unsigned(WM_LBUTTONDOWN), unsigned(WM_LBUTTONUP)}) {
        if (!hook_.messageHook) return;
        ViewMessage m{WM_KEYED_POINT, real, 0, 0, p};
        PixelPoint px = toPixel(p);
        m.x = px.x, m.y = px.y;
        auto handler = hook_.messageHook;
        handler(m);
    }
}

bool CLumbraView::defaultHandling(const ViewMessage& m) {
    switch (m.message) {
    case WM_KEYDOWN:
        if (m.wParam == VK_ESCAPE) {
            cancelCommand();
            return true;
        }
        return false;
    case WM_CHAR:
        switch (m.wParam) {
        case 'C':
        case 'c':
            frame_->coordinateDialog();
            return true;
        case 7:
            frame_->gridDialog();
            return true;
        case 'F':
        case 'f':
            fillMode = fillMode ? 0 : 1;
            redraw();
            return true;
        case 'R':
        case 'r':
            redraw();
            return true;
        case 'S':
        case 's':
            snap = !snap;
            return true;
        case 'U':
        case 'u':
            undo();
            return true;
        default:
            return false;
        }
    case WM_MOUSEMOVE:
        trackCrosshair(m.x, m.y);
        return true;
    default:
        return false;
    }
}

void CLumbraView::eraseCrosshair() {
    bands_.hideCursor(canvas_);
}

void CLumbraView::trackCrosshair(int px, int py) {
    Point w = snappedWorld(px, py);
    PixelPoint sp = toPixel(w);
    if (crosshairDrawn() && sp == crosshair_) return;
    if ((sp.x != px || sp.y != py) && frame_->viewHasFocus()) frame_->moveCursor(sp.x, sp.y);
    bands_.moveTo(canvas_, sp.x, sp.y);
    crosshair_ = sp;
    frame_->coordinates(formatLength(w.x), formatLength(w.y));
}

// ---------------------------------------------------------------- prompts and command plumbing

void CLumbraView::prompt(const char* title, const char* text) {
    promptSet_ = title || text;
    promptTitle_ = title ? title : "";
    promptText_ = text ? text : "";
    frame_->statusPrompt(statusText());
}

std::string CLumbraView::statusText() {
    if (!promptSet_) return frame_->idleMessage();
    return korvane::format("%s%s %s", promptTitle_.c_str(), promptTitle_.empty() ? "" : ":",
                           promptText_.c_str());
}

std::string CLumbraView::idleText() {
    if (!promptSet_) return frame_->idleMessage();
    return korvane::format("%s: %s", promptTitle_.c_str(), promptText_.c_str());
}

void CLumbraView::activate(int command, const char* title, const char* text,
                           std::function<bool(const ViewMessage&)> handler, std::function<void()> cancel) {
    cancelCommand();
    hook_.command = command;
    hook_.step = 0;
    hook_.dragWindow = false;
    prompt(title, text);
    hook_.cancelHook = std::move(cancel);
    hook_.messageHook = std::move(handler);
    frame_->pointEntry(true);
}

void CLumbraView::cancelCommand() {
    if (!hook_.cancelHook) return;
    auto cancel = std::move(hook_.cancelHook);
    hook_.cancelHook = nullptr;
    cancel();
}

void CLumbraView::endCommand() {
    bands_.redraw(canvas_, 0, 0, RubberBandStack::Erase);
    bands_.popAll(canvas_);
    hook_.messageHook = nullptr;
    hook_.cancelHook = nullptr;
    hook_.command = ID_NONE;
    hook_.step = 0;
    hook_.dragWindow = false;
    frame_->pointEntry(false);
    prompt(nullptr, nullptr);
}

void CLumbraView::onDocumentUpdate(int hint) {
    if (hint == kHintNewAperture) {
        cancelCommand();
        aperture().computeSize();
        std::int32_t X = toUnits(aperture().xSize, false), Y = toUnits(aperture().ySize, false);
        if (X <= 0 || Y <= 0) X = Y = 254000;
        window = ViewWindow{-X, -Y, X, Y};
    }
    redraw();
}

// ---------------------------------------------------------------- picking

namespace {

bool hitLine(const PrimitiveRecord& p, std::int64_t x, std::int64_t y) {
    std::int64_t hw = p.size / 2;
    std::int64_t x1 = p.start.x, y1 = p.start.y, x2 = p.end.x, y2 = p.end.y;
    if (x1 == x2 || y1 == y2) {
        std::int64_t ext = p.toolWord == 5 ? hw : 0;
        if (y1 == y2)
            return std::abs(y - y1) <= hw && x >= std::min(x1, x2) - ext && x <= std::max(x1, x2) + ext;
        return std::abs(x - x1) <= hw && y >= std::min(y1, y2) - ext && y <= std::max(y1, y2) + ext;
    }
    double dx = double(x2 - x1), dy = double(y2 - y1);
    double len = std::hypot(dx, dy);
    double along = ((x - x1) * dx + (y - y1) * dy) / len;
    double across = ((x - x1) * dy - (y - y1) * dx) / len;
    return std::abs(across) <= double(hw) && along >= -double(hw) && along <= len + double(hw);
}

bool hitPolygon(const PrimitiveRecord& p, std::int64_t x, std::int64_t y) {
    const auto& v = p.vertices;
    if (v.size() < 2) return false;
    for (const auto& q : v)
        if (q.y == y) {
            --y;
            break;
        }
    bool inside = false;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        std::int64_t yi = v[i].y, yj = v[j].y, xi = v[i].x, xj = v[j].x;
        if ((yi > y) != (yj > y)) {
            double cross = double(xj - xi) * double(y - yi) / double(yj - yi) + double(xi);
            if (double(x) < cross) inside = !inside;
        }
    }
    return inside;
}

int angleTenths(double dx, double dy) {
    double a = std::atan2(dy, dx) * 1800.0 / M_PI;
    int t = static_cast<int>(roundHalfAway(a));
    t %= 3600;
    if (t < 0) t += 3600;
    return t;
}

bool hitArc(const PrimitiveRecord& p, std::int64_t x, std::int64_t y) {
    double dx = double(x - p.centre.x), dy = double(y - p.centre.y);
    std::int64_t d = static_cast<std::int64_t>(roundHalfAway(std::hypot(dx, dy)));
    std::int64_t r = p.radius, w = p.size;
    if (d < r - w || d > r + w) return false;
    std::int64_t sweep = p.sweep;
    if (sweep >= 3600 || sweep <= -3600) return true;
    std::int64_t a = angleTenths(dx, dy);
    std::int64_t t = sweep > 0 ? a - p.startAngle : p.startAngle - a;
    t %= 3600;
    if (t < 0) t += 3600;
    return t < std::abs(sweep);
}

bool hitExact(const PrimitiveRecord& p, Point at) {
    std::int64_t x = at.x, y = at.y;
    switch (p.type) {
    case AP_CIRCLE: {
        std::int64_t h = p.size / 2;
        return std::abs(x - p.centre.x) <= h && std::abs(y - p.centre.y) <= h;
    }
    case AP_LINE:
        return hitLine(p, x, y);
    case AP_POLYGON:
        return hitPolygon(p, x, y);
    case AP_ARC:
        return hitArc(p, x, y);
    default:
        return false;
    }
}

bool passes(const PrimitiveRecord& p, int filter) {
    return filter == -1 || std::int64_t(p.toolWord) - 255 == filter;
}

} // namespace

bool hitTest(const PrimitiveRecord& p, Point at) {
    return hitExact(p, at);
}

PrimitiveRecord* CLumbraView::pickAt(Point p, int toolFilter, Point* reference) {
    ApertureRecord& a = aperture();
    std::size_t n = static_cast<std::size_t>(a.count());
    std::size_t start = 0;
    if (a.selectionCount() == -1 && a.pick()) {
        long i = a.pickIndex();
        if (i >= 0 && static_cast<std::size_t>(i) + 1 < n) start = static_cast<std::size_t>(i) + 1;
    }
    a.clearSelection();
    // The boxes sit in one array: scan them, and test the exact shape of candidates only.
    const Box* boxes = a.hitBoxes().data();
    auto scan = [&](std::size_t from, std::size_t to) -> long {
        for (std::size_t i = from; i < to; ++i) {
            const Box& q = boxes[i];
            bool in = (p.x >= q.lx) & (p.x <= q.hx) & (p.y >= q.ly) & (p.y <= q.hy);
            if (in && hitExact(*a.at(i), p)) return static_cast<long>(i);
        }
        return -1;
    };
    long found = scan(start, n);
    if (found < 0) found = scan(0, start);
    if (found >= 0) {
        PrimitiveRecord* q = a.at(static_cast<std::size_t>(found));
        if (passes(*q, toolFilter)) {
            a.setPick(q, found);
            if (reference) *reference = q->referencePoint();
            return q;
        }
    }
    doc_.messages().beep(Beep::Question);
    return nullptr;
}

int CLumbraView::selectWindow(Point a, Point b, int toolFilter) {
    ViewWindow r = normalised(a, b);
    ApertureRecord& ap = aperture();
    ap.clearSelection();
    // A defining-point box inside the window is exactly "every defining point inside". The boxes sit
    // in one array: the indices of those inside are gathered first without a branch (most boxes fail,
    // in no order a predictor could learn), then only those members are visited.
    const BoxList& boxes = ap.definingBoxes();
    const std::size_t n = boxes.size();
    std::vector<PrimitiveRecord*> members;
    std::uint32_t inside[512]; // a chunk's worth, kept in the first-level cache
    for (std::size_t from = 0; from < n; from += std::size(inside)) {
        const std::size_t to = std::min(n, from + std::size(inside));
        std::size_t found = 0;
        for (std::size_t i = from; i < to; ++i) {
            const Box& q = boxes[i];
            inside[found] = static_cast<std::uint32_t>(i - from);
            found +=
                (q.lx >= r.left) & (q.hx <= r.right) & (q.ly >= r.bottom) & (q.hy <= r.top) & (q.lx <= q.hx);
        }
        for (std::size_t k = 0; k < found; ++k) {
            PrimitiveRecord* p = ap.at(from + inside[k]);
            if (passes(*p, toolFilter)) members.push_back(p);
        }
    }
    ap.setWindowSelection(std::move(members));
    return ap.selectionCount();
}

// ---------------------------------------------------------------- navigation

bool CLumbraView::refuseZoom() {
    window = savedWindow;
    doc_.messages().beep(Beep::Default);
    return false;
}

bool CLumbraView::zoomOutAt(Point p) {
    savedWindow = window;
    std::int64_t w = window.width(), h = window.height();
    std::int64_t l = p.x - 2 * (w / 2), r = std::int64_t(p.x) + w, b = p.y - 2 * (h / 2),
                 t = std::int64_t(p.y) + h;
    // Doubling without end would leave the 32-bit range of the coordinates.
    if (l < INT32_MIN || b < INT32_MIN || r > INT32_MAX || t > INT32_MAX) return refuseZoom();
    window = ViewWindow{std::int32_t(l), std::int32_t(b), std::int32_t(r), std::int32_t(t)};
    redraw();
    return true;
}

bool CLumbraView::zoomInAt(Point p) {
    savedWindow = window;
    std::int64_t w = window.width(), h = window.height();
    std::int64_t qx = w / 4, qy = h / 4;
    std::int64_t dx = p.x - (window.left + w / 2), dy = p.y - (window.bottom + h / 2);
    std::int64_t l = window.left + dx + qx, r = window.right + dx - qx;
    std::int64_t b = window.bottom + dy + qy, t = window.top + dy - qy;
    if (r - l < kMinimumExtent || t - b < kMinimumExtent) return refuseZoom();
    window = ViewWindow{clamp32(l), clamp32(b), clamp32(r), clamp32(t)};
    redraw();
    return true;
}

void CLumbraView::panTo(Point p) {
    std::int64_t hw = window.width() / 2, hh = window.height() / 2;
    window = ViewWindow{clamp32(p.x - hw), clamp32(p.y - hh), clamp32(p.x + hw), clamp32(p.y + hh)};
    redraw();
}

void CLumbraView::zoomAll() {
    aperture().computeSize();
    std::int32_t X = toUnits(aperture().xSize, false), Y = toUnits(aperture().ySize, false);
    window = ViewWindow{-X, -Y, X, Y};
    redraw();
}

void CLumbraView::startZoomIn() {
    activate(
        ID_VIEW_ZOOMIN, "Zoom In", "enter new center point...",
        [this](const ViewMessage& m) {
            if (isLeftDown(m)) return zoomInAt(clickPoint(m)), true;
            if (isCancel(m)) return cancelCommand(), true;
            return false;
        },
        [this] { endCommand(); });
}

void CLumbraView::startZoomOut() {
    activate(
        ID_VIEW_ZOOMOUT, "Zoom Out", "enter new center point...",
        [this](const ViewMessage& m) {
            if (isLeftDown(m)) return zoomOutAt(clickPoint(m)), true;
            if (isCancel(m)) return cancelCommand(), true;
            return false;
        },
        [this] { endCommand(); });
}

void CLumbraView::startPan() {
    activate(
        ID_VIEW_PAN, "Pan", "enter new center point...",
        [this](const ViewMessage& m) {
            if (isLeftDown(m)) return panTo(clickPoint(m)), true;
            if (isCancel(m)) return cancelCommand(), true;
            return false;
        },
        [this] { endCommand(); });
}

void CLumbraView::pushRectangleBand(Point corner) {
    bands_.push([this, corner](Canvas& c, int x, int y) {
        PixelPoint a = toPixel(corner);
        c.rectangle(std::min(a.x, x), std::min(a.y, y), std::max(a.x, x) + 1, std::max(a.y, y) + 1);
    });
}

void CLumbraView::startViewWindow() {
    activate(
        ID_VIEW_WINDOW, "View Window", "enter first point...",
        [this](const ViewMessage& m) {
            if (hook_.step == 0) {
                if (isLeftDown(m)) {
                    hook_.windowCorner = crosshairPoint(m);
                    hook_.cornerTick = korvane::clock().tickMs();
                    hook_.cornerPixel = m.message == WM_KEYED_POINT ? toPixel(m.world) : PixelPoint{m.x, m.y};
                    pushRectangleBand(hook_.windowCorner);
                    setPromptText("enter second point...");
                    hook_.step = 1;
                    return true;
                }
                if (isCancel(m)) return cancelCommand(), true;
                return false;
            }
            if (isLeftDown(m) || isLeftUp(m)) {
                // Both click-click and press-drag-release: the second corner comes later and elsewhere.
                PixelPoint px = m.message == WM_KEYED_POINT ? toPixel(m.world) : PixelPoint{m.x, m.y};
                if (korvane::clock().tickMs() - hook_.cornerTick < 500 || px == hook_.cornerPixel)
                    return true;
                bands_.pop(canvas_);
                savedWindow = window;
                window = normalised(hook_.windowCorner, crosshairPoint(m));
                if (window.width() < kMinimumExtent || window.height() < kMinimumExtent)
                    refuseZoom();
                else
                    redraw();
                hook_.step = 0;
                setPromptText("enter first point...");
                return true;
            }
            if (isCancel(m)) {
                bands_.pop(canvas_);
                hook_.step = 0;
                setPromptText("enter first point...");
                return true;
            }
            return false;
        },
        [this] { endCommand(); });
}

} // namespace lumbra
