// The canvas of the view: an image buffer (a Cairo image surface, which the GUI blits), antialiasing off.
// Everything the view draws is rasterised straight into the buffer through row pointers: pixels are
// lit when their centre lies inside the shape. Cairo draws only the rare shapes with a pen wider than
// a pixel other than circular arcs, and elliptical arcs.
#pragma once

#include "lumbra/canvas.h"

#include <algorithm>
#include <atomic>
#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace lumbra {

class CairoCanvas : public Canvas {
  public:
    CairoCanvas(int width, int height);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    int width() const override { return w_; }
    int height() const override { return h_; }
    void setPen(Rgb colour, int width, PenStyle style) override;
    void setSolidBrush(Rgb colour) override;
    void setNullBrush() override;
    void setXor(bool on) override;
    void fillRect(int left, int top, int right, int bottom, Rgb colour) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void polygon(const std::vector<PixelPoint>& points) override;
    void line(int x1, int y1, int x2, int y2) override;
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void setPixel(int x, int y, Rgb colour) override;
    bool keepBackground() override;
    bool restoreBackground() override;
    bool keepUnderlay() override;
    bool noteOverlay(bool on) override;
    bool eraseOverlay() override;
    bool beginTopFirst() override;
    bool endTopFirst() override;
    bool hidden(int left, int top, int right, int bottom) const override;
    std::vector<Canvas*> rowBands(int parts) override;
    bool keptByBands() override;

    Rgb pixel(int x, int y) const;
    // The whole buffer, 32 bits a pixel (0x00RRGGBB), row after row.
    std::vector<std::uint32_t> pixels() const;
    bool writePng(const std::string& path) const;
    cairo_surface_t* surface() const { return surface_; }

  private:
    // A band of rows top..bottom - 1 of another canvas's buffer: no Cairo surface of its own.
    CairoCanvas(CairoCanvas& whole, int top, int bottom);

    std::uint32_t* row(int y) const { return data_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    void plot(int x, int y, std::uint32_t value) { // honours XOR
        if (x < 0 || y < top_ || x >= w_ || y >= bottom_) return;
        if (topFirst_) {
            const std::size_t at = static_cast<std::size_t>(y) * coverWords_ + std::size_t(x) / 64;
            const std::uint64_t bit = std::uint64_t(1) << (x % 64);
            if (cover_[at] & bit) return;
            cover_[at] |= bit;
            if (noting_) note(y, x, x);
            planeRow(y, planeFor(value))[std::size_t(x) / 64] |= bit;
            return;
        }
        if (noting_) note(y, x, x);
        std::uint32_t& p = row(y)[x];
        p = xor_ ? p ^ 0x00ffffffu : value;
    }
    // Pixels x0..x1 (inclusive) of row y, clipped to the buffer; inverted in XOR mode.
    void span(int y, long x0, long x1, std::uint32_t value);
    void coveredSpan(int y, long x0, long x1, std::uint32_t value);
    // Drawing topmost first: whether columns lo..hi of row y (clipped) are all covered, so that
    // the rasterisers can skip the row's work.
    bool rowHidden(long y, long lo, long hi) const;
    void step(int x1, int y1, int x2, int y2); // a one-pixel line without its end pixel
    void fillPolygon(const std::vector<PixelPoint>& points, std::uint32_t value);
    void note(int y, long x0, long x1) {
        noteLo_[static_cast<std::size_t>(y)] = std::min(noteLo_[static_cast<std::size_t>(y)], x0);
        noteHi_[static_cast<std::size_t>(y)] = std::max(noteHi_[static_cast<std::size_t>(y)], x1);
        noteTop_ = std::min(noteTop_, y);
        noteBottom_ = std::max(noteBottom_, y);
    }
    void forgetNotes();
    const std::vector<std::uint32_t>* keptPicture() const;
    // Before and after Cairo draws into the buffer the direct writes share. False: there is no Cairo
    // surface (a band), and the shape is left out.
    bool cairoBegin();
    void cairoEnd();
    void outlineAndFill(bool closedFill);
    void cairoEllipse(int left, int top, int right, int bottom);
    void cairoArc(double cx, double cy, double rx, double ry, double a1, double a2);
    bool clipToBuffer(int& x1, int& y1, int& x2, int& y2, bool& keepEnd) const;

    int w_, h_;
    int top_ = 0, bottom_; // the rows drawn on: all of them, or a band's
    cairo_surface_t* surface_;
    cairo_t* cr_;
    std::uint32_t* data_ = nullptr;
    std::ptrdiff_t stride_ = 0; // in pixels
    Rgb pen_ = kWhite;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    bool brush_ = false;
    Rgb brushColour_ = kBlack;
    bool xor_ = false;
    std::vector<std::uint32_t> background_;
    // The picture overlays lie on when it is not the background (a highlight was drawn over it).
    std::vector<std::uint32_t> underlay_;
    bool ownUnderlay_ = false;
    // Per row, the columns written while an overlay was drawn (lo > hi: none), and the rows between.
    bool noting_ = false;
    std::vector<long> noteLo_, noteHi_;
    int noteTop_ = 0, noteBottom_ = -1;
    std::vector<std::uint32_t> fallback_; // the buffer when Cairo could not make one
    // Drawing topmost first: a bit per pixel, set once a shape has covered it.
    bool topFirst_ = false;
    // Drawing topmost first, a shape only marks its pixels: in the cover, and in the plane of its
    // colour. The pixels are written when the drawing ends (or when more colours have come than there
    // are planes), row by row and each row at once where it is wholly new: every pixel is written
    // once, and the buffer is not dragged through the caches while the shapes are drawn.
    static constexpr int kPlanes = 4;
    std::vector<std::uint64_t> planes_; // row y's plane p at (y * kPlanes + p) * coverWords_
    std::uint32_t planeColour_[kPlanes] = {};
    int planesUsed_ = 0;
    int lastPlane_ = -1;
    bool planesMarked_ = false; // some plane bit may be set
    std::uint64_t* planeRow(int y, int plane) {
        return planes_.data() + (static_cast<std::size_t>(y) * kPlanes + std::size_t(plane)) * coverWords_;
    }
    int planeFor(std::uint32_t value) {
        if (lastPlane_ >= 0 && planeColour_[lastPlane_] == value) return lastPlane_;
        return newPlaneFor(value);
    }
    int newPlaneFor(std::uint32_t value);
    // keep: also into the surface's kept picture (a band asked to keep its rows while drawing).
    void writePlanes(bool keep = false);
    bool keepWhenWritten_ = false;
    bool topFirstBroken_ = false; // Cairo drew, ignoring the cover
    std::vector<std::uint64_t> cover_;
    // The bands handed out last, kept so that their scratch and cover are not made afresh each paint.
    std::vector<std::unique_ptr<CairoCanvas>> bands_;
    CairoCanvas* whole_ = nullptr;  // of a band: the surface it belongs to
    std::atomic<int> bandsKept_{0}; // bands whose rows are in the kept picture
    bool bandsHandedOut_ = false;
    std::size_t coverWords_ = 0; // per row
    // Scratch of the rasterisers, kept to spare an allocation per shape.
    std::vector<long> runLo_, runHi_;
    std::vector<double> rowOuter_, rowInner_;
    struct Edge {
        int top, bottom; // rows top..bottom-1
        double x, slope; // x at row top, change per row
        int dir;
    };
    std::vector<Edge> edges_;
    std::vector<std::size_t> active_;
    std::vector<std::pair<double, int>> crossings_;
};

} // namespace lumbra
