#include "lumbra/cairo_canvas.h"

#include <cairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumbra {

namespace {

constexpr std::uint32_t kInvert = 0x00ffffffu;

std::uint32_t word(Rgb c) {
    return (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b;
}

void source(cairo_t* cr, Rgb c) {
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

// A computed edge rounded down or up to a pixel column, kept within a little of the buffer (the shape
// may reach far beyond it; only what lies inside is drawn). Cheaper than the library's floor and ceil,
// which the rasterisers would call per row.
[[gnu::always_inline]] inline long floorColumn(double x, int w) {
    if (!(x == x)) return -2;
    double c = std::clamp(x, -3.0, double(w) + 3.0);
    auto i = static_cast<long>(c);
    return std::max(i - (c < double(i)), -2L);
}

[[gnu::always_inline]] inline long ceilColumn(double x, int w) {
    if (!(x == x)) return -2;
    double c = std::clamp(x, -3.0, double(w) + 3.0);
    auto i = static_cast<long>(c);
    return std::min(i + (c > double(i)), long(w) + 2);
}

} // namespace

CairoCanvas::CairoCanvas(int width, int height)
    : w_(std::max(width, 1)), h_(std::max(height, 1)), bottom_(h_),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w_, h_)), cr_(cairo_create(surface_)) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_surface_flush(surface_);
    // The pixels are written directly: the row pointer is looked up once, not per pixel.
    data_ = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_));
    stride_ = cairo_image_surface_get_stride(surface_) / 4;
    if (!data_) {
        // No memory for the image: a one-pixel buffer of our own keeps every call harmless.
        w_ = h_ = bottom_ = 1;
        fallback_.assign(1, 0);
        data_ = fallback_.data();
        stride_ = 1;
    }
    fillRect(0, 0, w_, h_, kBlack);
}

CairoCanvas::CairoCanvas(CairoCanvas& whole, int top, int bottom)
    : w_(whole.w_), h_(whole.h_), top_(top), bottom_(bottom), surface_(nullptr), cr_(nullptr),
      data_(whole.data_), stride_(whole.stride_), whole_(&whole) {}

CairoCanvas::~CairoCanvas() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
}

std::vector<Canvas*> CairoCanvas::rowBands(int parts) {
    std::vector<Canvas*> bands;
    if (parts < 2 || h_ < parts || !cr_ || noting_ || xor_ || topFirst_) return bands;
    if (bands_.size() != static_cast<std::size_t>(parts)) {
        bands_.clear();
        for (int k = 0; k < parts; ++k)
            bands_.push_back(
                std::unique_ptr<CairoCanvas>(new CairoCanvas(*this, h_ * k / parts, h_ * (k + 1) / parts)));
    }
    // Room for the kept picture now, so that each band can store its rows there from its thread.
    background_.resize(static_cast<std::size_t>(stride_) * h_);
    bandsKept_ = 0;
    bandsHandedOut_ = true;
    for (auto& band : bands_) {
        band->setXor(false);
        band->setNullBrush();
        band->setPen(kWhite, 1, PenStyle::Solid);
        band->beginTopFirst();
        bands.push_back(band.get());
    }
    return bands;
}

void CairoCanvas::setPen(Rgb colour, int width, PenStyle style) {
    pen_ = colour;
    penWidth_ = std::max(width, 1);
    penStyle_ = style;
}

void CairoCanvas::setSolidBrush(Rgb colour) {
    brush_ = true;
    brushColour_ = colour;
}

void CairoCanvas::setNullBrush() {
    brush_ = false;
}

void CairoCanvas::setXor(bool on) {
    xor_ = on;
}

bool CairoCanvas::cairoBegin() {
    topFirstBroken_ = topFirstBroken_ || topFirst_;
    if (topFirst_) writePlanes(); // what is marked lies below what the library draws now
    if (!cr_) return false;
    cairo_surface_mark_dirty(surface_);
    // What Cairo will touch is not worked out: an overlay drawn through it comes off whole rows.
    if (noting_)
        for (int y = 0; y < h_; ++y)
            note(y, 0, long(w_) - 1);
    return true;
}

void CairoCanvas::cairoEnd() {
    cairo_surface_flush(surface_);
}

[[gnu::always_inline]] inline void CairoCanvas::span(int y, long x0, long x1, std::uint32_t value) {
    if (y < top_ || y >= bottom_) return;
    x0 = std::max(x0, 0L);
    x1 = std::min(x1, long(w_) - 1);
    if (x0 > x1) return;
    if (topFirst_) return coveredSpan(y, x0, x1, value);
    if (noting_) note(y, x0, x1);
    std::uint32_t* p = row(y) + x0;
    std::uint32_t* const end = row(y) + x1 + 1;
#if defined(__SSE2__)
    // Four pixels a store: spans are most of a paint's time.
    const __m128i v = _mm_set1_epi32(static_cast<int>(xor_ ? kInvert : value));
    for (; p + 4 <= end; p += 4) {
        auto* q = reinterpret_cast<__m128i*>(p);
        _mm_storeu_si128(q, xor_ ? _mm_xor_si128(_mm_loadu_si128(q), v) : v);
    }
#endif
    for (; p < end; ++p)
        *p = xor_ ? *p ^ kInvert : value;
}

namespace {

// Four pixels a store where the machine has them: runs are most of a paint's time.
[[gnu::always_inline]] inline void fillRun(std::uint32_t* p, std::uint32_t* end, std::uint32_t value) {
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(value));
    for (; p + 4 <= end; p += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
#endif
    for (; p < end; ++p)
        *p = value;
}

#if defined(__SSE2__)
// For four bits, four lanes: all ones where the bit is set.
const __m128i kLaneMasks[16] = {
#define LANES(b) _mm_set_epi32(-((b) >> 3 & 1), -((b) >> 2 & 1), -((b) >> 1 & 1), -((b)&1))
    LANES(0), LANES(1), LANES(2),  LANES(3),  LANES(4),  LANES(5),  LANES(6),  LANES(7),
    LANES(8), LANES(9), LANES(10), LANES(11), LANES(12), LANES(13), LANES(14), LANES(15),
#undef LANES
};

// A row of `width` pixels (a multiple of four) from `Planes` bit planes that mark each pixel once.
template <int Planes>
void expandRow(const std::uint64_t* const* planes, const __m128i* colour, int width, std::uint32_t* pixels) {
    for (std::size_t k = 0; k * 64 < static_cast<std::size_t>(width); ++k) {
        std::uint64_t bits[Planes];
        for (int q = 0; q < Planes; ++q)
            bits[q] = planes[q][k];
        const std::size_t groups = std::min<std::size_t>(16, (static_cast<std::size_t>(width) - k * 64) / 4);
        for (std::size_t g = 0; g < groups; ++g) {
            __m128i v = _mm_setzero_si128();
            for (int q = 0; q < Planes; ++q) {
                v = _mm_or_si128(v, _mm_and_si128(kLaneMasks[bits[q] & 15], colour[q]));
                bits[q] >>= 4;
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + k * 64 + g * 4), v);
        }
    }
}
#endif

// The bits of a word from bit x % 64 up, and up to bit x % 64.
[[gnu::always_inline]] inline std::uint64_t bitsFrom(std::size_t x) {
    return ~std::uint64_t(0) << (x % 64);
}
[[gnu::always_inline]] inline std::uint64_t bitsUpTo(std::size_t x) {
    return ~std::uint64_t(0) >> (63 - x % 64);
}

} // namespace

// The pixels of the span not covered yet, run by run; they are covered from now on.
[[gnu::always_inline]] inline void CairoCanvas::coveredSpan(int y, long x0, long x1, std::uint32_t value) {
    if (noting_) note(y, x0, x1);
    // Clipped to the row already: unsigned, the word and bit are a shift and a mask.
    const auto a = static_cast<std::size_t>(x0), b = static_cast<std::size_t>(x1);
    std::uint64_t* const cover = cover_.data() + static_cast<std::size_t>(y) * coverWords_;
    std::uint64_t* const plane = planeRow(y, planeFor(value));
    const std::size_t last = b / 64;
    std::uint64_t want = bitsFrom(a);
    for (std::size_t w = a / 64;; ++w, want = ~std::uint64_t(0)) {
        if (w == last) want &= bitsUpTo(b);
        const std::uint64_t todo = want & ~cover[w];
        cover[w] |= todo;
        plane[w] |= todo;
        if (w == last) return;
    }
}

int CairoCanvas::newPlaneFor(std::uint32_t value) {
    for (int p = 0; p < planesUsed_; ++p)
        if (planeColour_[p] == value) return lastPlane_ = p;
    if (planesUsed_ == kPlanes) writePlanes(); // every plane taken: their pixels are written first
    planeColour_[planesUsed_] = value;
    planesMarked_ = true;
    return lastPlane_ = planesUsed_++;
}

// The pixels the planes mark, row by row; the planes are left clear.
void CairoCanvas::writePlanes(bool keep) {
    if (!planesMarked_ && !keep) return;
    std::uint32_t* const kept = keep ? whole_->background_.data() : nullptr;
    const std::size_t words = coverWords_;
    const std::uint64_t lastWord = w_ % 64 ? (std::uint64_t(1) << (w_ % 64)) - 1 : ~std::uint64_t(0);
    const std::size_t bytes = static_cast<std::size_t>(w_) * sizeof(std::uint32_t);
    for (int y = top_; y < bottom_; ++y) {
        std::uint64_t* const planes = planeRow(y, 0);
        std::uint32_t* const pixels = row(y);
        std::uint32_t* const keptRow = kept ? kept + static_cast<std::ptrdiff_t>(y) * stride_ : nullptr;
        // The planes with marks in the row, and whether they mark every pixel of it.
        int used[kPlanes];
        int count = 0;
        bool whole = true;
        for (std::size_t k = 0; k < words; ++k) {
            std::uint64_t marked = 0;
            for (int p = 0; p < planesUsed_; ++p)
                marked |= planes[std::size_t(p) * words + k];
            whole = whole && marked == (k + 1 == words ? lastWord : ~std::uint64_t(0));
        }
        for (int p = 0; p < planesUsed_; ++p) {
            const std::uint64_t* plane = planes + std::size_t(p) * words;
            if (std::any_of(plane, plane + words, [](std::uint64_t v) { return v != 0; })) used[count++] = p;
        }
#if defined(__SSE2__)
        if (whole && w_ % 4 == 0) {
            // Every pixel new: four at a time from a table of masks, without a branch on the marks
            // (which vary from pixel to pixel as shapes meet).
            __m128i colour[kPlanes];
            const std::uint64_t* from[kPlanes];
            for (int q = 0; q < count; ++q) {
                colour[q] = _mm_set1_epi32(static_cast<int>(planeColour_[used[q]]));
                from[q] = planes + std::size_t(used[q]) * words;
            }
            switch (count) {
            case 1:
                expandRow<1>(from, colour, w_, pixels);
                break;
            case 2:
                expandRow<2>(from, colour, w_, pixels);
                break;
            case 3:
                expandRow<3>(from, colour, w_, pixels);
                break;
            default:
                expandRow<kPlanes>(from, colour, w_, pixels);
            }
            if (keptRow) std::memcpy(keptRow, pixels, bytes);
        } else
#endif
        {
            for (int q = 0; q < count; ++q) {
                const std::uint64_t* const plane = planes + std::size_t(used[q]) * words;
                for (std::size_t k = 0; k < words; ++k)
                    for (std::uint64_t bits = plane[k]; bits;) {
                        // The lowest run of set bits: adding its lowest bit carries through it.
                        const std::uint64_t run = bits & ~(bits + (bits & (~bits + 1)));
                        bits ^= run;
                        std::uint32_t* const at = pixels + k * 64;
                        fillRun(at + __builtin_ctzll(run), at + 64 - __builtin_clzll(run),
                                planeColour_[used[q]]);
                    }
            }
            if (keptRow) std::memcpy(keptRow, pixels, bytes);
        }
        for (int q = 0; q < count; ++q)
            std::fill_n(planes + std::size_t(used[q]) * words, words, 0);
    }
    planesUsed_ = 0;
    lastPlane_ = -1;
    planesMarked_ = false;
}

[[gnu::always_inline]] inline bool CairoCanvas::rowHidden(long y, long lo, long hi) const {
    lo = std::max(lo, 0L);
    hi = std::min(hi, long(w_) - 1);
    if (y < top_ || y >= bottom_ || lo > hi) return true;
    const auto a = static_cast<std::size_t>(lo), b = static_cast<std::size_t>(hi);
    const std::uint64_t* const cover = cover_.data() + static_cast<std::size_t>(y) * coverWords_;
    const std::size_t last = b / 64;
    std::uint64_t want = bitsFrom(a);
    for (std::size_t w = a / 64; w < last; ++w, want = ~std::uint64_t(0))
        if (want & ~cover[w]) return false;
    return !(want & bitsUpTo(b) & ~cover[last]);
}

bool CairoCanvas::beginTopFirst() {
    coverWords_ = (static_cast<std::size_t>(w_) + 63) / 64;
    cover_.assign(coverWords_ * static_cast<std::size_t>(h_), 0);
    // The planes are left clear by writing them out; only a drawing that never ended leaves marks.
    if (planes_.size() != cover_.size() * kPlanes || planesMarked_)
        planes_.assign(cover_.size() * kPlanes, 0);
    planesUsed_ = 0;
    lastPlane_ = -1;
    planesMarked_ = false;
    topFirst_ = true;
    topFirstBroken_ = false;
    return true;
}

bool CairoCanvas::endTopFirst() {
    if (topFirst_) {
        const bool keep = keepWhenWritten_ && whole_ &&
                          whole_->background_.size() == static_cast<std::size_t>(stride_) * h_;
        writePlanes(keep);
        if (keep) ++whole_->bandsKept_;
    }
    keepWhenWritten_ = false;
    topFirst_ = false;
    return !topFirstBroken_;
}

bool CairoCanvas::hidden(int left, int top, int right, int bottom) const {
    if (!topFirst_) return false;
    for (int y = std::max(top, top_); y < std::min(bottom, bottom_); ++y)
        if (!rowHidden(y, left, long(right) - 1)) return false;
    return true;
}

void CairoCanvas::fillRect(int left, int top, int right, int bottom, Rgb colour) {
    // Replaces the pixels whatever the mode.
    bool wasXor = xor_;
    xor_ = false;
    for (int y = std::max(top, top_); y < std::min(bottom, bottom_); ++y)
        span(y, left, long(right) - 1, word(colour));
    xor_ = wasXor;
}

// Strokes (and, when asked and a brush is set, fills) the current Cairo path. XOR inverts with the
// pen only.
void CairoCanvas::outlineAndFill(bool closedFill) {
    if (closedFill && brush_ && !xor_) {
        cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
        source(cr_, brushColour_);
        cairo_fill_preserve(cr_);
    }
    cairo_set_operator(cr_, xor_ ? CAIRO_OPERATOR_DIFFERENCE : CAIRO_OPERATOR_SOURCE);
    source(cr_, xor_ ? kWhite : pen_);
    cairo_set_line_width(cr_, penWidth_);
    cairo_stroke(cr_);
}

void CairoCanvas::cairoEllipse(int left, int top, int right, int bottom) {
    double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    // The outline lies inside the frame; its centre line is half a pen inside the box.
    double inset = penWidth_ / 2.0;
    double ex = std::max(rx - inset, 0.01), ey = std::max(ry - inset, 0.01);
    auto path = [&](double ax, double ay) {
        cairo_new_path(cr_);
        cairo_save(cr_);
        cairo_translate(cr_, left + rx, top + ry);
        cairo_scale(cr_, ax, ay);
        cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr_);
    };
    if (!cairoBegin()) return;
    if (brush_ && !xor_) {
        path(rx, ry);
        cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
        source(cr_, brushColour_);
        cairo_fill(cr_);
    }
    path(ex, ey);
    outlineAndFill(false);
    cairoEnd();
}

// The ellipse is the set of pixels whose centre lies inside it; its one-pixel outline is the part of
// that set next to a pixel outside (left, right, above or below), so outline and fill are one pass
// over rows and every pixel is written once (exact under XOR).
void CairoCanvas::ellipse(int left, int top, int right, int bottom) {
    double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0) return;
    if (penWidth_ > 1) return cairoEllipse(left, top, right, bottom);
    const double cx = left + rx, cy = top + ry;
    const long firstRow = static_cast<long>(std::ceil(cy - ry - 0.5));
    const long lastRow = static_cast<long>(std::floor(cy + ry - 0.5));
    // The rows drawn, with one more on each side to tell the outline.
    const long a = std::max(firstRow, long(top_) - 1), b = std::min(lastRow, long(bottom_));
    if (a > b) return;
    runLo_.assign(static_cast<std::size_t>(b - a + 3), 1);
    runHi_.assign(runLo_.size(), 0);
    // Index k holds row a - 1 + k; rows outside the ellipse stay empty (lo > hi).
    for (long y = a; y <= b; ++y) {
        double dy = (y + 0.5 - cy) / ry;
        double t = 1.0 - dy * dy;
        if (t < 0) continue;
        double half = rx * std::sqrt(t);
        long lo = ceilColumn(cx - half - 0.5, w_), hi = floorColumn(cx + half - 0.5, w_);
        if (lo > hi) continue;
        auto k = static_cast<std::size_t>(y - a + 1);
        runLo_[k] = std::clamp(lo, -2L, long(w_) + 1);
        runHi_[k] = std::clamp(hi, -2L, long(w_) + 1);
    }
    const bool fill = brush_ && !xor_;
    const std::uint32_t pen = word(pen_), brush = word(brushColour_);
    for (long y = std::max(a, long(top_)); y <= std::min(b, long(bottom_) - 1); ++y) {
        auto k = static_cast<std::size_t>(y - a + 1);
        long lo = runLo_[k], hi = runHi_[k];
        if (lo > hi || (topFirst_ && rowHidden(y, lo, hi))) continue;
        if (fill && pen == brush) {
            span(int(y), lo, hi, pen);
            continue;
        }
        // Inside: not at either end of the row and covered by the rows above and below.
        long inLo = std::max({lo + 1, runLo_[k - 1], runLo_[k + 1]});
        long inHi = std::min({hi - 1, runHi_[k - 1], runHi_[k + 1]});
        if (runLo_[k - 1] > runHi_[k - 1] || runLo_[k + 1] > runHi_[k + 1] || inLo > inHi) {
            span(int(y), lo, hi, pen);
            continue;
        }
        span(int(y), lo, inLo - 1, pen);
        if (fill) span(int(y), inLo, inHi, brush);
        span(int(y), inHi + 1, hi, pen);
    }
}

// Non-zero winding over pixel centres, the vertices being pixel centres: a scanline filler with a
// table of the edges crossing the current row.
void CairoCanvas::fillPolygon(const std::vector<PixelPoint>& points, std::uint32_t value) {
    edges_.clear();
    int top = INT32_MAX, bottom = INT32_MIN;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PixelPoint& p = points[i];
        const PixelPoint& q = points[(i + 1) % points.size()];
        if (p.y == q.y) continue;
        const PixelPoint& u = p.y < q.y ? p : q;
        const PixelPoint& d = p.y < q.y ? q : p;
        double slope = double(d.x - u.x) / double(d.y - u.y);
        edges_.push_back(Edge{u.y, d.y, double(u.x), slope, p.y < q.y ? 1 : -1});
        top = std::min(top, u.y);
        bottom = std::max(bottom, d.y);
    }
    if (edges_.empty()) return;
    long leftmost = LONG_MAX, rightmost = LONG_MIN;
    for (const PixelPoint& p : points)
        leftmost = std::min(leftmost, long(p.x)), rightmost = std::max(rightmost, long(p.x));
    for (std::size_t k = 1; k < edges_.size(); ++k) // by top row; few edges: insertion sort
        for (std::size_t j = k; j > 0 && edges_[j].top < edges_[j - 1].top; --j)
            std::swap(edges_[j], edges_[j - 1]);
    // The active edges are kept in the order of their crossings with the current row. That order
    // changes only where edges cross, so each row's sort finds it nearly sorted, and the branches of
    // the sort and of the winding walk repeat from row to row.
    active_.clear();
    std::size_t next = 0;
    const int y0 = std::max(top, top_), y1 = std::min(bottom - 1, bottom_ - 1);
    for (int y = y0; y <= y1;) {
        while (next < edges_.size() && edges_[next].top <= y) {
            if (edges_[next].bottom > y) active_.push_back(next);
            ++next;
        }
        std::erase_if(active_, [&](std::size_t e) { return edges_[e].bottom <= y; });
        // The rows up to the next change of the active edges.
        int last = y1;
        if (next < edges_.size()) last = std::min(last, edges_[next].top - 1);
        for (std::size_t e : active_)
            last = std::min(last, edges_[e].bottom - 1);
        if (active_.size() == 2) {
            // The usual stretch of a convex shape: one run a row between the same two edges.
            const Edge &a = edges_[active_[0]], &b = edges_[active_[1]];
            for (; y <= last; ++y) {
                double xa = a.x + a.slope * double(y - a.top), xb = b.x + b.slope * double(y - b.top);
                span(y, ceilColumn(std::min(xa, xb), w_), ceilColumn(std::max(xa, xb), w_) - 1, value);
            }
            continue;
        }
        for (; y <= last; ++y) {
            if (topFirst_ && rowHidden(y, leftmost, rightmost)) continue;
            crossings_.resize(active_.size());
            for (std::size_t k = 0; k < active_.size(); ++k) {
                const Edge& g = edges_[active_[k]];
                crossings_[k] = {g.x + g.slope * double(y - g.top), g.dir};
            }
            for (std::size_t k = 1; k < crossings_.size(); ++k)
                for (std::size_t j = k; j > 0 && crossings_[j].first < crossings_[j - 1].first; --j) {
                    std::swap(crossings_[j], crossings_[j - 1]);
                    std::swap(active_[j], active_[j - 1]);
                }
            int winding = 0;
            double from = 0;
            for (const auto& [x, dir] : crossings_) {
                int before = winding;
                winding += dir;
                if (before == 0 && winding != 0) {
                    from = x;
                } else if (before != 0 && winding == 0) {
                    // Centres from the entering crossing (included) to the leaving one (excluded).
                    span(y, ceilColumn(from, w_), ceilColumn(x, w_) - 1, value);
                }
            }
        }
    }
}

void CairoCanvas::polygon(const std::vector<PixelPoint>& points) {
    if (points.empty()) return;
    if (penWidth_ > 1) {
        if (!cairoBegin()) return;
        cairo_new_path(cr_);
        for (const auto& p : points)
            cairo_line_to(cr_, p.x + 0.5, p.y + 0.5);
        cairo_close_path(cr_);
        outlineAndFill(true);
        cairoEnd();
        return;
    }
    bool onePixel =
        std::all_of(points.begin(), points.end(), [&](const PixelPoint& p) { return p == points[0]; });
    if (onePixel) {
        // Smaller than a pixel: the pixel itself, so that it does not vanish.
        plot(points[0].x, points[0].y, word(pen_));
        return;
    }
    // Drawn topmost first, the outline goes first, so that it is not left out where the fill was.
    const bool fill = brush_ && !xor_;
    if (fill && !topFirst_) fillPolygon(points, word(brushColour_));
    // The one-pixel outline is stepped edge by edge (each edge without its end, so every corner once).
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PixelPoint& a = points[i];
        const PixelPoint& b = points[(i + 1) % points.size()];
        if (a == b) continue;
        step(a.x, a.y, b.x, b.y);
    }
    if (fill && topFirst_) fillPolygon(points, word(brushColour_));
}

void CairoCanvas::line(int x1, int y1, int x2, int y2) {
    if (penWidth_ > 1) {
        if (!cairoBegin()) return;
        cairo_new_path(cr_);
        cairo_move_to(cr_, x1 + 0.5, y1 + 0.5);
        cairo_line_to(cr_, x2 + 0.5, y2 + 0.5);
        outlineAndFill(false);
        cairoEnd();
        return;
    }
    step(x1, y1, x2, y2);
}

// One-pixel lines are stepped here so that each pixel is touched exactly once (the end excluded).
// A line reaching far outside the buffer is first cut to the part near it.
void CairoCanvas::step(int x1, int y1, int x2, int y2) {
    bool keepEnd = false;
    if (!clipToBuffer(x1, y1, x2, y2, keepEnd)) return;
    const std::uint32_t value = word(pen_);
    const long dx = std::labs(long(x2) - x1), dy = -std::labs(long(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    // Each step moves along the longer axis, so there are as many steps as its length.
    const long steps = std::max(dx, -dy);
    long err = dx + dy;
    int x = x1, y = y1;
    // Without branches: which axes a step moves along is as good as random on a slanted line.
    auto advance = [&] {
        const long e2 = 2 * err;
        const long alongX = -long(e2 >= dy), alongY = -long(e2 <= dx);
        err += (dy & alongX) + (dx & alongY);
        x += sx & int(alongX);
        y += sy & int(alongY);
    };
    auto inside = [&] {
        return static_cast<unsigned>(x) < static_cast<unsigned>(w_) && y >= top_ && y < bottom_;
    };
    // A line within the rows and columns drawn on (the usual case) needs no test a pixel.
    const bool within = std::min(x1, x2) >= 0 && std::max(x1, x2) < w_ && std::min(y1, y2) >= top_ &&
                        std::max(y1, y2) < bottom_;
    auto inOrder = [&](auto test) {
        for (long k = 0; k < steps; ++k, advance())
            if (!decltype(test)::value || inside()) row(y)[x] = value;
    };
    if (topFirst_ && !noting_ && !xor_) {
        const int plane = planeFor(value);
        auto topmostFirst = [&](auto test) {
            for (long k = 0; k < steps; ++k, advance()) {
                if (decltype(test)::value && !inside()) continue;
                const auto column = static_cast<unsigned>(x);
                std::uint64_t& m = cover_[static_cast<std::size_t>(y) * coverWords_ + column / 64];
                const std::uint64_t bit = std::uint64_t(1) << (column % 64);
                if (m & bit) continue; // covered
                m |= bit;
                planeRow(y, plane)[column / 64] |= bit;
            }
        };
        within ? topmostFirst(std::false_type{}) : topmostFirst(std::true_type{});
    } else if (!topFirst_ && !noting_ && !xor_) {
        within ? inOrder(std::false_type{}) : inOrder(std::true_type{});
    } else {
        for (long k = 0; k < steps; ++k, advance())
            plot(x, y, value);
    }
    if (keepEnd) plot(x, y, value);
}

// Liang-Barsky clipping to the buffer and a margin. keepEnd: the true end was cut off, so the last
// stepped pixel belongs to the line.
bool CairoCanvas::clipToBuffer(int& x1, int& y1, int& x2, int& y2, bool& keepEnd) const {
    // The whole buffer's, also for a band: a line cut elsewhere would step through other pixels.
    const double lo = -2, hix = w_ + 2, hiy = h_ + 2;
    if (x1 >= lo && x1 <= hix && y1 >= lo && y1 <= hiy && x2 >= lo && x2 <= hix && y2 >= lo && y2 <= hiy)
        return true;
    double dx = double(x2) - x1, dy = double(y2) - y1, t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, x1 - lo) || !edge(dx, hix - x1) || !edge(-dy, y1 - lo) || !edge(dy, hiy - y1))
        return false;
    int nx1 = static_cast<int>(std::lround(x1 + t0 * dx)), ny1 = static_cast<int>(std::lround(y1 + t0 * dy));
    int nx2 = static_cast<int>(std::lround(x1 + t1 * dx)), ny2 = static_cast<int>(std::lround(y1 + t1 * dy));
    keepEnd = t1 < 1;
    x1 = nx1, y1 = ny1, x2 = nx2, y2 = ny2;
    return true;
}

void CairoCanvas::cairoArc(double cx, double cy, double rx, double ry, double a1, double a2) {
    if (!cairoBegin()) return;
    cairo_new_path(cr_);
    cairo_save(cr_);
    cairo_translate(cr_, cx, cy);
    cairo_scale(cr_, rx, ry);
    cairo_arc_negative(cr_, 0, 0, 1, a1, a2);
    cairo_restore(cr_);
    outlineAndFill(false);
    cairoEnd();
}

// A circular arc stroked with the pen: the annular sector of the pen's width around the circle, with
// round ends, as the pixels whose centres lie in it. Each row is cut into runs: the ring's (one or two)
// within the sector's columns, joined with the round ends'; the runs are merged before drawing, so
// every pixel is written once (exact under XOR).
void CairoCanvas::arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0) return;
    double cx = left + rx, cy = top + ry;
    if (rx != ry) {
        double a1 = std::atan2((ys - cy) / ry, (xs - cx) / rx);
        double a2 = std::atan2((ye - cy) / ry, (xe - cx) / rx);
        // Counter-clockwise on a y-down screen is decreasing angle; equal radials mean the whole ellipse.
        if (a2 >= a1) a2 -= 2 * M_PI;
        return cairoArc(cx, cy, rx, ry, a1, a2);
    }
    const double r = rx, half = penWidth_ / 2.0;
    const double outer = r + half, inner = std::max(r - half, 0.0);
    // The sector runs from the end radial e up to the start radial s (increasing angle, y down):
    // counter-clockwise as seen. Unit directions of both; the same radial twice is the whole circle.
    auto unit = [](double x, double y, double& ux, double& uy) {
        double l = std::sqrt(x * x + y * y);
        ux = l > 0 ? x / l : 1.0;
        uy = l > 0 ? y / l : 0.0;
    };
    double ex, ey, sx, sy;
    unit(xe - cx, ye - cy, ex, ey);
    unit(xs - cx, ys - cy, sx, sy);
    const double turn = ex * sy - ey * sx; // > 0: the start lies less than half a turn on
    const bool whole = turn == 0 && ex * sx + ey * sy > 0;
    const bool withinHalfTurn = turn >= 0;
    const double capX[2] = {r * sx, r * ex}, capY[2] = {r * sy, r * ey};
    const long far = long(w_) + 2;
    struct Run {
        long lo, hi;
    };
    // Columns of a row where a * px + b >= 0, px being the pixel centre's x from the circle's centre.
    // slope: -b / a per unit of py (b being proportional to py), worked out once per arc.
    auto halfPlane = [&](double a, double b, double slope, double py) -> Run {
        if (a == 0) return b >= 0 ? Run{-2, far} : Run{1, 0};
        double edge = slope * py + cx - 0.5;
        return a > 0 ? Run{ceilColumn(edge, w_), far} : Run{-2, floorColumn(edge, w_)};
    };
    const double endSlope = ey != 0 ? ex / ey : 0, startSlope = sy != 0 ? sx / sy : 0;
    const std::uint32_t value = word(pen_);
    // The rows the shape can reach: the outer circle's, or, where the sector holds neither the top nor
    // the bottom of the circle, the rows of the round ends (which cover the ends of the ring), with a
    // row to spare for rounding.
    double reachTop = cy - outer, reachBottom = cy + outer;
    if (!whole) {
        // Whether the sector holds the direction (0, uy): after the end radial and before the start one.
        auto holds = [&](double uy) {
            const bool afterEnd = ex * uy >= 0, beforeStart = -sx * uy >= 0;
            return withinHalfTurn ? afterEnd && beforeStart : afterEnd || beforeStart;
        };
        if (!holds(-1)) reachTop = std::min(cy + capY[0], cy + capY[1]) - half - 1;
        if (!holds(1)) reachBottom = std::max(cy + capY[0], cy + capY[1]) + half + 1;
    }
    const long y0 = std::max(static_cast<long>(std::ceil(std::max(reachTop, cy - outer) - 0.5)), long(top_));
    const long y1 =
        std::min(static_cast<long>(std::floor(std::min(reachBottom, cy + outer) - 0.5)), long(bottom_) - 1);
    if (y0 > y1) return;
    // The half widths of both circles for every row first: the square roots then overlap instead of
    // each waiting on the previous row's drawing.
    rowOuter_.resize(static_cast<std::size_t>(y1 - y0 + 1));
    rowInner_.resize(rowOuter_.size());
    for (long y = y0; y <= y1; ++y) {
        const double py = y + 0.5 - cy, o = outer * outer - py * py, i = inner * inner - py * py;
        rowOuter_[static_cast<std::size_t>(y - y0)] = o < 0 ? -1.0 : std::sqrt(o);
        rowInner_[static_cast<std::size_t>(y - y0)] = i > 0 ? std::sqrt(i) : -1.0;
    }
    for (long y = y0; y <= y1; ++y) {
        double py = y + 0.5 - cy;
        const double ho = rowOuter_[static_cast<std::size_t>(y - y0)];
        if (ho < 0) continue;
        Run ring[2] = {{ceilColumn(cx - ho - 0.5, w_), floorColumn(cx + ho - 0.5, w_)}, {1, 0}};
        // The round ends lie within the outer circle too.
        if (topFirst_ && rowHidden(y, ring[0].lo, ring[0].hi)) continue;
        const double hole = rowInner_[static_cast<std::size_t>(y - y0)];
        if (hole >= 0) {
            // Leave out the centres strictly inside the inner circle.
            long holeLo = floorColumn(cx - hole - 0.5, w_) + 1, holeHi = ceilColumn(cx + hole - 0.5, w_) - 1;
            ring[1] = {std::max(ring[0].lo, holeHi + 1), ring[0].hi};
            ring[0].hi = std::min(ring[0].hi, holeLo - 1);
        }
        Run runs[8];
        int n = 0;
        auto add = [&](Run a) {
            if (a.lo <= a.hi) runs[n++] = a;
        };
        if (whole) {
            add(ring[0]), add(ring[1]);
        } else {
            // After the end radial, before the start radial: both for a sweep up to a half turn,
            // either beyond it.
            Run afterEnd = halfPlane(-ey, ex * py, endSlope, py),
                beforeStart = halfPlane(sy, -py * sx, startSlope, py);
            Run sector[2] = {afterEnd, beforeStart};
            int sectors = 2;
            if (withinHalfTurn) {
                sector[0] = {std::max(afterEnd.lo, beforeStart.lo), std::min(afterEnd.hi, beforeStart.hi)};
                sectors = 1;
            }
            for (const Run& g : ring)
                for (int k = 0; k < sectors; ++k)
                    add({std::max(g.lo, sector[k].lo), std::min(g.hi, sector[k].hi)});
            for (int k = 0; k < 2; ++k) {
                double dy = py - capY[k], c = half * half - dy * dy;
                if (c < 0) continue;
                double hc = std::sqrt(c);
                add({ceilColumn(cx + capX[k] - hc - 0.5, w_), floorColumn(cx + capX[k] + hc - 0.5, w_)});
            }
        }
        if (n == 1 || (n == 2 && runs[0].hi + 1 < runs[1].lo)) {
            // Most rows: one run, or the ring's two in order and apart.
            for (int k = 0; k < n; ++k)
                span(int(y), runs[k].lo, runs[k].hi, value);
            continue;
        }
        for (int k = 1; k < n; ++k) // a handful: insertion sort
            for (int j = k; j > 0 && runs[j].lo < runs[j - 1].lo; --j)
                std::swap(runs[j], runs[j - 1]);
        for (int k = 0; k < n;) {
            Run m = runs[k++];
            while (k < n && runs[k].lo <= m.hi + 1)
                m.hi = std::max(m.hi, runs[k++].hi);
            span(int(y), m.lo, m.hi, value);
        }
    }
}

void CairoCanvas::rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (right - left < 1 || bottom - top < 1) return;
    polygon({{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}});
}

void CairoCanvas::setPixel(int x, int y, Rgb colour) {
    plot(x, y, word(colour));
}

bool CairoCanvas::keptByBands() {
    const bool whole = bandsHandedOut_ && bandsKept_ == static_cast<int>(bands_.size()) &&
                       background_.size() == static_cast<std::size_t>(stride_) * h_;
    bandsHandedOut_ = false;
    bandsKept_ = 0;
    if (!whole) return false;
    ownUnderlay_ = false;
    forgetNotes();
    return true;
}

bool CairoCanvas::keepBackground() {
    if (whole_) {
        // A band: its rows, into the surface's picture (sized when the bands were handed out); while
        // drawing topmost first, as they are written at the end.
        if (whole_->background_.size() != static_cast<std::size_t>(stride_) * h_) return false;
        if (topFirst_) return keepWhenWritten_ = true;
        const std::ptrdiff_t from = static_cast<std::ptrdiff_t>(top_) * stride_;
        std::memcpy(whole_->background_.data() + from, data_ + from,
                    static_cast<std::size_t>(bottom_ - top_) * static_cast<std::size_t>(stride_) *
                        sizeof(std::uint32_t));
        ++whole_->bandsKept_;
        return true;
    }
    bandsHandedOut_ = false;
    background_.resize(static_cast<std::size_t>(stride_) * h_);
    std::memcpy(background_.data(), data_, background_.size() * sizeof(std::uint32_t));
    ownUnderlay_ = false;
    forgetNotes();
    return true;
}

bool CairoCanvas::restoreBackground() {
    if (background_.size() != static_cast<std::size_t>(stride_) * h_) return false;
    std::memcpy(data_, background_.data(), background_.size() * sizeof(std::uint32_t));
    ownUnderlay_ = false;
    forgetNotes();
    return true;
}

bool CairoCanvas::keepUnderlay() {
    underlay_.resize(static_cast<std::size_t>(stride_) * h_);
    std::memcpy(underlay_.data(), data_, underlay_.size() * sizeof(std::uint32_t));
    ownUnderlay_ = true;
    forgetNotes();
    return true;
}

const std::vector<std::uint32_t>* CairoCanvas::keptPicture() const {
    const std::vector<std::uint32_t>& kept = ownUnderlay_ ? underlay_ : background_;
    return kept.size() == static_cast<std::size_t>(stride_) * h_ ? &kept : nullptr;
}

void CairoCanvas::forgetNotes() {
    noteLo_.assign(static_cast<std::size_t>(h_), long(w_));
    noteHi_.assign(static_cast<std::size_t>(h_), -1L);
    noteTop_ = h_;
    noteBottom_ = -1;
}

bool CairoCanvas::noteOverlay(bool on) {
    if (on && !keptPicture()) return noting_ = false;
    if (on && noteLo_.size() != static_cast<std::size_t>(h_)) forgetNotes();
    noting_ = on;
    return true;
}

bool CairoCanvas::eraseOverlay() {
    const std::vector<std::uint32_t>* kept = keptPicture();
    if (!kept) {
        forgetNotes();
        return false;
    }
    for (int y = noteTop_; y <= noteBottom_; ++y) {
        const auto i = static_cast<std::size_t>(y);
        if (noteLo_[i] > noteHi_[i]) continue;
        const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * stride_ + noteLo_[i];
        std::memcpy(data_ + at, kept->data() + at,
                    static_cast<std::size_t>(noteHi_[i] - noteLo_[i] + 1) * sizeof(std::uint32_t));
        noteLo_[i] = long(w_);
        noteHi_[i] = -1;
    }
    noteTop_ = h_;
    noteBottom_ = -1;
    return true;
}

Rgb CairoCanvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return {};
    std::uint32_t v = row(y)[x];
    return Rgb{std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

std::vector<std::uint32_t> CairoCanvas::pixels() const {
    std::vector<std::uint32_t> out;
    out.reserve(static_cast<std::size_t>(w_) * h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x)
            out.push_back(row(y)[x] & kInvert);
    return out;
}

bool CairoCanvas::writePng(const std::string& path) const {
    if (!surface_) return false;
    cairo_surface_mark_dirty(surface_);
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace lumbra
