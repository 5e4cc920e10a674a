// The small drawing surface the view paints on: pens, brushes, winding-fill polygons, ellipses, arcs,
// rectangles, single pixels and an XOR mode in which drawing the same thing twice restores the pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumbra {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

enum class PenStyle { Solid, InsideFrame };

// Coordinates are pixels, y down. Shapes are outlined with the pen and filled with the brush; right
// and bottom edges of rectangles and ellipses are exclusive, as are the end points of lines.
class Canvas {
  public:
    virtual ~Canvas() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void setPen(Rgb colour, int width, PenStyle style) = 0;
    virtual void setSolidBrush(Rgb colour) = 0;
    virtual void setNullBrush() = 0;
    // In XOR mode the (white) pen inverts the pixels it covers, so a second drawing erases the first.
    virtual void setXor(bool on) = 0;
    virtual void fillRect(int left, int top, int right, int bottom, Rgb colour) = 0;
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    virtual void polygon(const std::vector<PixelPoint>& points) = 0; // winding fill
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // Counter-clockwise (as seen on screen) along the ellipse from the radial through (xs, ys) to the
    // radial through (xe, ye); the same radial twice draws the whole ellipse.
    virtual void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) = 0;
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void setPixel(int x, int y, Rgb colour) = 0; // inverts instead in XOR mode

    // A surface that can keep a copy of its pixels: keepBackground() stores the picture as it is now
    // (the painted frame, before any XOR overlay); restoreBackground() puts it back, which takes every
    // overlay off at the cost of one copy. Both say false when the surface keeps no copy.
    virtual bool keepBackground() { return false; }
    virtual bool restoreBackground() { return false; }

    // Overlays (rubber bands, the crosshair) lie over the kept picture: the painted frame, or what
    // keepUnderlay() stored since (the frame with a selection highlight on it). While noteOverlay(true)
    // is on, the surface notes the pixels written; eraseOverlay() copies those back from the kept
    // picture and forgets them, so an overlay comes off without being drawn again. noteOverlay(true)
    // says false when no picture is kept (the caller then erases by drawing again in XOR).
    virtual bool keepUnderlay() { return false; }
    virtual bool noteOverlay(bool /*on*/) { return false; }
    virtual bool eraseOverlay() { return false; }

    // Topmost first: between beginTopFirst() and endTopFirst() shapes are drawn in reverse order and
    // land only on pixels that no shape drawn since the beginning covers, which gives the picture of
    // drawing them in order without painting what is hidden. Each shape must draw in one colour (its
    // pen and brush alike), and not in XOR mode. hidden() tells whether every pixel of a rectangle
    // inside the surface is covered already: a shape within it can be left out. beginTopFirst() says
    // false when the surface cannot draw so; endTopFirst() says false when a shape could not be drawn
    // so (the caller then paints again in order).
    virtual bool beginTopFirst() { return false; }
    virtual bool endTopFirst() { return true; }
    virtual bool hidden(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) const { return false; }

    // Canvases over `parts` bands of this surface's rows, top to bottom, in the same coordinates: each
    // draws only its own rows, so that the bands can be drawn on from different threads at once. They
    // draw topmost first only, keep no picture, and belong to this surface (until the next call).
    // None when the surface cannot be split.
    virtual std::vector<Canvas*> rowBands(int /*parts*/) { return {}; }
    // A band's keepBackground() stores its own rows in the surface's kept picture, from the band's
    // thread (called while it draws topmost first: as they are written when that ends). Once every
    // band of the last rowBands() has, keptByBands() makes that the surface's kept picture without
    // copying it again; false: it is not whole, and keepBackground() must copy it.
    virtual bool keptByBands() { return false; }
};

// Records drawing calls so that they can be replayed (on a surface that keeps no picture, rubber bands
// erase by replaying in XOR mode).
class RecordingCanvas : public Canvas {
  public:
    RecordingCanvas(int w = 0, int h = 0) : w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }
    void setPen(Rgb c, int w, PenStyle s) override {
        ops_.push_back([=](Canvas& k) { k.setPen(c, w, s); });
    }
    void setSolidBrush(Rgb c) override {
        ops_.push_back([=](Canvas& k) { k.setSolidBrush(c); });
    }
    void setNullBrush() override {
        ops_.push_back([](Canvas& k) { k.setNullBrush(); });
    }
    void setXor(bool on) override {
        ops_.push_back([=](Canvas& k) { k.setXor(on); });
    }
    void fillRect(int l, int t, int r, int b, Rgb c) override {
        ops_.push_back([=](Canvas& k) { k.fillRect(l, t, r, b, c); });
    }
    void ellipse(int l, int t, int r, int b) override {
        ops_.push_back([=](Canvas& k) { k.ellipse(l, t, r, b); });
    }
    void polygon(const std::vector<PixelPoint>& p) override {
        ops_.push_back([=](Canvas& k) { k.polygon(p); });
    }
    void line(int x1, int y1, int x2, int y2) override {
        ops_.push_back([=](Canvas& k) { k.line(x1, y1, x2, y2); });
    }
    void arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) override {
        ops_.push_back([=](Canvas& k) { k.arc(l, t, r, b, xs, ys, xe, ye); });
    }
    void rectangle(int l, int t, int r, int b) override {
        ops_.push_back([=](Canvas& k) { k.rectangle(l, t, r, b); });
    }
    void setPixel(int x, int y, Rgb c) override {
        ops_.push_back([=](Canvas& k) { k.setPixel(x, y, c); });
    }
    void replay(Canvas& target) const {
        for (const auto& op : ops_)
            op(target);
    }
    bool empty() const { return ops_.empty(); }
    std::size_t size() const { return ops_.size(); }

  private:
    int w_, h_;
    std::vector<std::function<void(Canvas&)>> ops_;
};

} // namespace lumbra
