// The canvas rendered with Cairo into an image buffer, antialiasing off; the GUI blits the buffer.
#pragma once

#include "canvas.h"

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

    Rgb pixel(int x, int y) const;
    // The whole buffer, 32 bits a pixel (0x00RRGGBB), row after row.
    std::vector<std::uint32_t> pixels() const;
    bool writePng(const std::string& path) const;
    cairo_surface_t* surface() const { return surface_; }

  private:
    void plot(int x, int y, Rgb colour); // honours XOR
    void outlineAndFill(bool closedFill);
    bool clipToBuffer(int& x1, int& y1, int& x2, int& y2, bool& keepEnd) const;

    int w_, h_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
    Rgb pen_ = kWhite;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    bool brush_ = false;
    Rgb brushColour_ = kBlack;
    bool xor_ = false;
};

} // namespace lumbra
