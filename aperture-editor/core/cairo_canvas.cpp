#include "cairo_canvas.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lumbra {

namespace {

void source(cairo_t* cr, Rgb c) {
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

} // namespace

CairoCanvas::CairoCanvas(int width, int height)
    : w_(std::max(width, 1)), h_(std::max(height, 1)),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w_, h_)), cr_(cairo_create(surface_)) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    fillRect(0, 0, w_, h_, kBlack);
}

CairoCanvas::~CairoCanvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
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

void CairoCanvas::fillRect(int left, int top, int right, int bottom, Rgb colour) {
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    source(cr_, colour);
    cairo_rectangle(cr_, left, top, right - left, bottom - top);
    cairo_fill(cr_);
}

void CairoCanvas::plot(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    auto* row = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface_) +
                                                 static_cast<std::ptrdiff_t>(y) *
                                                     cairo_image_surface_get_stride(surface_));
    if (xor_)
        row[x] ^= 0x00ffffffu;
    else
        row[x] = (std::uint32_t(colour.r) << 16) | (std::uint32_t(colour.g) << 8) | colour.b;
}

// Strokes (and, when asked and a brush is set, fills) the current path. XOR inverts with the pen only.
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

void CairoCanvas::ellipse(int left, int top, int right, int bottom) {
    double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0) return;
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
    if (brush_ && !xor_) {
        path(rx, ry);
        cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
        source(cr_, brushColour_);
        cairo_fill(cr_);
    }
    path(ex, ey);
    outlineAndFill(false);
}

void CairoCanvas::polygon(const std::vector<PixelPoint>& points) {
    if (points.empty()) return;
    cairo_new_path(cr_);
    for (const auto& p : points)
        cairo_line_to(cr_, p.x + 0.5, p.y + 0.5);
    cairo_close_path(cr_);
    if (penWidth_ > 1) {
        outlineAndFill(true);
        return;
    }
    if (brush_ && !xor_) {
        cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
        source(cr_, brushColour_);
        cairo_fill(cr_);
    }
    cairo_new_path(cr_);
    // A one-pixel outline is stepped edge by edge (each edge without its end, so every corner once):
    // much cheaper than stroking, and exact under XOR.
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PixelPoint& a = points[i];
        const PixelPoint& b = points[(i + 1) % points.size()];
        if (a == b && points.size() > 1) continue;
        line(a.x, a.y, b.x, b.y);
    }
}

void CairoCanvas::line(int x1, int y1, int x2, int y2) {
    if (penWidth_ > 1) {
        cairo_new_path(cr_);
        cairo_move_to(cr_, x1 + 0.5, y1 + 0.5);
        cairo_line_to(cr_, x2 + 0.5, y2 + 0.5);
        outlineAndFill(false);
        return;
    }
    // One-pixel lines are stepped here so that each pixel is touched exactly once (the end excluded).
    // A line reaching far outside the buffer is first cut to the part near it.
    bool keepEnd = false;
    if (!clipToBuffer(x1, y1, x2, y2, keepEnd)) return;
    cairo_surface_flush(surface_);
    long dx = std::labs(long(x2) - x1), dy = -std::labs(long(y2) - y1);
    int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    long err = dx + dy;
    int x = x1, y = y1;
    for (;;) {
        if (x == x2 && y == y2) {
            if (keepEnd) plot(x, y, pen_);
            break;
        }
        plot(x, y, pen_);
        long e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
    cairo_surface_mark_dirty(surface_);
}

// Liang-Barsky clipping to the buffer and a margin. keepEnd: the true end was cut off, so the last
// stepped pixel belongs to the line.
bool CairoCanvas::clipToBuffer(int& x1, int& y1, int& x2, int& y2, bool& keepEnd) const {
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

void CairoCanvas::arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0) return;
    double cx = left + rx, cy = top + ry;
    double a1 = std::atan2((ys - cy) / ry, (xs - cx) / rx);
    double a2 = std::atan2((ye - cy) / ry, (xe - cx) / rx);
    // Counter-clockwise on a y-down screen is decreasing angle; equal radials mean the whole ellipse.
    if (a2 >= a1) a2 -= 2 * M_PI;
    cairo_new_path(cr_);
    cairo_save(cr_);
    cairo_translate(cr_, cx, cy);
    cairo_scale(cr_, rx, ry);
    cairo_arc_negative(cr_, 0, 0, 1, a1, a2);
    cairo_restore(cr_);
    outlineAndFill(false);
}

void CairoCanvas::rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (right - left < 1 || bottom - top < 1) return;
    polygon({{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}});
}

void CairoCanvas::setPixel(int x, int y, Rgb colour) {
    cairo_surface_flush(surface_);
    plot(x, y, colour);
    cairo_surface_mark_dirty(surface_);
}

Rgb CairoCanvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return {};
    cairo_surface_flush(surface_);
    const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface_) +
                                                             static_cast<std::ptrdiff_t>(y) *
                                                                 cairo_image_surface_get_stride(surface_));
    std::uint32_t v = row[x];
    return Rgb{std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

std::vector<std::uint32_t> CairoCanvas::pixels() const {
    cairo_surface_flush(surface_);
    std::vector<std::uint32_t> out;
    out.reserve(static_cast<std::size_t>(w_) * h_);
    for (int y = 0; y < h_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(surface_) +
            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_));
        for (int x = 0; x < w_; ++x)
            out.push_back(row[x] & 0x00ffffffu);
    }
    return out;
}

bool CairoCanvas::writePng(const std::string& path) const {
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace lumbra
