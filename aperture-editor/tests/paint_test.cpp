#include "view_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>

using namespace lumbra;
using namespace lumbra::testing;

namespace {
constexpr Rgb kBlue{0, 0, 255};
}

class Paint : public ViewTest {
  protected:
    Rgb at(int xm, int ym) { return canvas.pixel(px(xm), py(ym)); }
    void scatter();
};

namespace {
// A surface that draws every shape in order and in one thread, as painting did at first.
class InOrderCanvas : public CairoCanvas {
  public:
    using CairoCanvas::CairoCanvas;
    bool beginTopFirst() override { return false; }
    std::vector<Canvas*> rowBands(int) override { return {}; }
};

// Counts the paints shared between threads.
class BandCountingCanvas : public CairoCanvas {
  public:
    using CairoCanvas::CairoCanvas;
    std::vector<Canvas*> rowBands(int parts) override {
        auto bands = CairoCanvas::rowBands(parts);
        shared += !bands.empty();
        return bands;
    }
    int shared = 0;
};
} // namespace

TEST_F(Paint, FilledCirclesBlueOnBlackWithNegativeOnesClearing) {
    addCircle(-40, 0, 30);
    addCircle(-40, 0, 10)->polarity = 0; // a clear hole in the middle
    view.redraw();
    EXPECT_EQ(at(-40, 10), kBlue);
    EXPECT_EQ(at(-40, 0), kBlack);
    EXPECT_EQ(at(-40, 16), kBlack);
    EXPECT_EQ(at(60, 60), kBlack);
    // Sketch display: outlines in the positive colour only.
    character('f');
    EXPECT_EQ(at(-40, 10), kBlack);
    EXPECT_EQ(at(-40, 15), kBlue); // the outer outline (top row of the box)
    EXPECT_EQ(at(-40, 5), kBlue);  // the hole's outline, blue as well
}

TEST_F(Paint, DrillCrossOnePixelCirclesAndTheOriginMarker) {
    addCircle(-50, 50, 6, 2);
    addCircle(50, 50, 2); // two pixels: one pixel only
    view.redraw();
    EXPECT_EQ(at(-50 + 9, 50), kBlue); // the cross reaches past the small circle
    EXPECT_EQ(at(-50 - 10, 50), kBlue);
    EXPECT_EQ(at(-50, 50 + 10), kBlue);
    EXPECT_EQ(at(-50 + 9, 51), kBlack);
    EXPECT_EQ(at(50, 50), kBlue);
    EXPECT_EQ(at(51, 50), kBlack);
    EXPECT_EQ(at(50, 51), kBlack);
    // The origin's white X.
    EXPECT_EQ(at(5, 5), kWhite);
    EXPECT_EQ(at(-5, 5), kWhite);
    EXPECT_EQ(at(7, 0), kBlack);
}

TEST_F(Paint, LineBodiesHairlinesAndTheFortyFiveDegreeCase) {
    ap().append(PrimitiveRecord::line(u(1), P(-80, -80), P(-20, -80)));  // one pixel wide: hairline
    ap().append(PrimitiveRecord::line(u(10), P(-80, -40), P(-20, -40))); // hw 5: rows -45..+5
    ap().append(PrimitiveRecord::line(u(20), P(0, -90), P(60, -30)));    // 45 degrees, hw 10 -> 7
    ap().append(PrimitiveRecord::line(u(10), P(20, 80), P(80, 60)));     // general slope
    view.redraw();
    EXPECT_EQ(at(-50, -80), kBlue);
    EXPECT_EQ(at(-50, -79), kBlack);
    EXPECT_EQ(at(-50, -81), kBlack);
    EXPECT_EQ(at(-50, -45), kBlue);
    EXPECT_EQ(at(-50, -35), kBlue);
    EXPECT_EQ(at(-50, -46), kBlack);
    EXPECT_EQ(at(-50, -34), kBlack);
    EXPECT_EQ(at(-19, -40), kBlack); // ends at the end point
    // 45 degrees: corners offset by 7 on both axes; a point 9 pixels aside (diagonally) is inside.
    EXPECT_EQ(at(30 - 6, -60 + 6), kBlue);
    EXPECT_EQ(at(30 - 9, -60 + 9), kBlack);
    // The general line: the body is perpendicular to the segment, about 5 pixels either side.
    double nx = 20 / std::hypot(60.0, 20.0), ny = 60 / std::hypot(60.0, 20.0);
    EXPECT_EQ(at(int(50 + 3 * nx), int(70 + 3 * ny)), kBlue);
    EXPECT_EQ(at(int(std::lround(50 + 8 * nx)), int(std::lround(70 + 8 * ny))), kBlack);
}

TEST_F(Paint, ArcsRunCounterClockwiseAndNegativeSweepsSwapEnds) {
    // Quarter arc from 0 to 90 degrees, radius 40 pixels, stroke 3 pixels.
    ap().append(PrimitiveRecord::arc(0, 900, u(40), u(3), P(0, 0), P(40, 0), P(0, 40)));
    // The same quarter entered clockwise, at another centre.
    ap().append(PrimitiveRecord::arc(900, -900, u(20), u(1), P(-60, -60), P(-60, -40), P(-40, -60)));
    view.redraw();
    int d = static_cast<int>(std::lround(40 / std::sqrt(2.0)));
    EXPECT_EQ(at(d, d), kBlue);
    EXPECT_EQ(at(-d, d), kBlack);
    EXPECT_EQ(at(-d, -d), kBlack);
    EXPECT_EQ(at(d, -d), kBlack);
    EXPECT_EQ(at(0, 41), kBlue); // stroke width
    int e = static_cast<int>(std::lround(20 / std::sqrt(2.0)));
    EXPECT_EQ(at(-60 + e, -60 + e), kBlue);
    EXPECT_EQ(at(-60 - e, -60 - e), kBlack);
    EXPECT_EQ(at(-60 - e, -60 + e), kBlack);
}

TEST_F(Paint, PolygonsFillByWinding) {
    // A five-pointed star drawn in one stroke: its centre is inside by winding, outside by even-odd.
    std::vector<Point> star;
    for (int i = 0; i <= 5; ++i) {
        double a = M_PI / 2 + (i % 5) * 4 * M_PI / 5;
        star.push_back(P(static_cast<int>(std::lround(60 * std::cos(a))),
                         static_cast<int>(std::lround(60 * std::sin(a)))));
    }
    ap().append(PrimitiveRecord::polygon(star));
    view.redraw();
    EXPECT_EQ(at(0, -8), kBlue);
    EXPECT_EQ(at(0, 50), kBlue);
    EXPECT_EQ(at(55, -55), kBlack);
}

TEST_F(Paint, XorDrawingTwiceRestoresEveryPixel) {
    addCircle(0, 0, 40);
    ap().append(PrimitiveRecord::line(u(12), P(-70, 20), P(70, 60)));
    ap().append(PrimitiveRecord::arc(450, -2000, u(30), u(5), P(10, 10), P(31, 31), P(0, 0)));
    view.redraw();
    std::vector<std::uint32_t> before = canvas.pixels();
    view.rubberBands().push([&](Canvas& c, int x, int y) {
        c.ellipse(x - 15, y - 15, x + 15, y + 15);
        c.line(100, 100, x, y);
        c.rectangle(x - 30, y - 5, x + 30, y + 5);
    });
    view.rubberBands().redraw(&canvas, 90, 90, RubberBandStack::Draw);
    EXPECT_NE(canvas.pixels(), before);
    view.rubberBands().redraw(&canvas, 120, 110, RubberBandStack::Draw); // moves: old image erased
    view.rubberBands().redraw(&canvas, 0, 0, RubberBandStack::Erase);
    EXPECT_EQ(canvas.pixels(), before);

    // The selection highlight is XOR as well.
    view.selectWindow(P(-99, -99), P(99, 99), -1);
    view.highlightSelection();
    EXPECT_NE(canvas.pixels(), before);
    view.highlightSelection();
    EXPECT_EQ(canvas.pixels(), before);
    EXPECT_EQ(frame.selected, 3);
}

TEST_F(Paint, RubberBandStackHoldsEightAndFollowsRepaints) {
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(view.rubberBands().push([](Canvas& c, int x, int y) { c.setPixel(x, y, kWhite); }));
    EXPECT_FALSE(view.rubberBands().push([](Canvas&, int, int) {}));
    view.rubberBands().popAll(&canvas);
    view.rubberBands().push([](Canvas& c, int x, int y) { c.line(x - 5, y, x + 6, y); });
    view.rubberBands().redraw(&canvas, 30, 30, RubberBandStack::Draw);
    view.redraw(); // repainted: the band is drawn again at its last place
    EXPECT_EQ(canvas.pixel(33, 30), kWhite);
    view.rubberBands().pop(&canvas);
    EXPECT_EQ(canvas.pixel(33, 30), kBlack);
}

TEST_F(Paint, WritesAPngOfThePicture) {
    addCircle(0, 0, 50);
    view.redraw();
    std::string path = tempPath("paint.png");
    ASSERT_TRUE(canvas.writePng(path));
    std::string bytes = readAll(path);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    std::remove(path.c_str());
}

TEST(CairoCanvasLines, FarReachingLinesAreCutToTheBufferAndStayExactUnderXor) {
    CairoCanvas c(64, 32);
    std::vector<std::uint32_t> before = c.pixels();
    c.setPen(kWhite, 1, PenStyle::Solid);
    c.setXor(true);
    c.line(-4000000, 10, 4000000, 10);   // crosses the whole buffer
    c.line(-4000000, -50, 4000000, -40); // passes above it
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(c.pixel(x, 10), kWhite) << x;
    EXPECT_EQ(c.pixel(5, 11), kBlack);
    c.line(-4000000, 10, 4000000, 10);
    c.line(-4000000, -50, 4000000, -40);
    EXPECT_EQ(c.pixels(), before);
    c.setXor(false);
    c.line(3, 3, 3, 3 + 5); // the end pixel is not drawn
    EXPECT_EQ(c.pixel(3, 7), kWhite);
    EXPECT_EQ(c.pixel(3, 8), kBlack);
}

// Leaving out what cannot reach the client area changes no pixel: primitives of every kind (some with
// drill crosses, sizes at or below zero, wide arcs) all around a zoomed-in view, filled and sketched.
// Overlapping primitives of every kind and both polarities around the origin, drilled ones among them,
// and enough small ones spread wide for the paint to look them up in its grid rather than scan.
void Paint::scatter() {
    std::mt19937 rng(3);
    std::uniform_int_distribution<std::int32_t> coord(u(-400), u(400)), size(u(-5), u(60)), pick(0, 9);
    auto pt = [&] { return Point{coord(rng), coord(rng)}; };
    for (int i = 0; i < 600; ++i) {
        PrimitiveRecord p;
        switch (i % 4) {
        case 0:
            p = PrimitiveRecord::circle(size(rng), pt());
            break;
        case 1: {
            Point a = pt(), b = pt();
            if (pick(rng) < 3) b.y = a.y;
            p = PrimitiveRecord::line(size(rng), a, b);
            break;
        }
        case 2: {
            Point c = pt();
            p = PrimitiveRecord::polygon({c, {c.x + size(rng), c.y}, {c.x, c.y + size(rng)}, c});
            break;
        }
        default: {
            Point c = pt();
            std::int32_t r = std::abs(size(rng));
            p = PrimitiveRecord::arc(pick(rng) * 360, pick(rng) < 5 ? 900 : -2700, r, size(rng) / 2, c,
                                     Point{c.x + r, c.y}, Point{c.x, c.y + r});
        }
        }
        p.toolWord = pick(rng) < 3 ? 257 : 0;
        p.polarity = pick(rng) < 8 ? 1 : 0;
        ap().append(std::move(p));
    }
    std::uniform_int_distribution<std::int32_t> wide(u(-4000), u(4000)), small(0, u(12));
    for (int i = 0; i < 30000; ++i) {
        Point c{wide(rng), wide(rng)};
        if (i % 3 == 0)
            ap().append(PrimitiveRecord::circle(small(rng), c));
        else if (i % 3 == 1)
            ap().append(PrimitiveRecord::line(small(rng), c, {c.x + small(rng), c.y - small(rng)}));
        else
            ap().append(PrimitiveRecord::polygon({c, {c.x + small(rng), c.y}, {c.x, c.y + small(rng)}, c}));
    }
}

TEST_F(Paint, LeavingOutWhatCannotShowChangesNoPixel) {
    scatter();
    int differing = 0, lit = 0;
    for (Point centre : {P(0, 0), P(150, -120), P(-300, 260)}) {
        for (int fill : {1, 0}) {
            view.fillMode = fill;
            // Drill crosses reach into the view from centres a few pixels outside it.
            for (Point off : {P(63, 0), P(-63, 0), P(0, 63), P(0, -63)})
                ap().append(PrimitiveRecord::circle(0, {centre.x + off.x, centre.y + off.y}))->toolWord = 257;
            ViewWindow w{centre.x - u(60), centre.y - u(40), centre.x + u(60), centre.y + u(40)};
            view.window = w;
            view.cullHidden = true;
            view.redraw();
            auto culled = canvas.pixels();
            view.window = w; // as the first paint found it (fitting it to the client moves it)
            view.cullHidden = false;
            view.redraw();
            auto whole = canvas.pixels();
            for (std::size_t k = 0; k < whole.size(); ++k) {
                differing += culled[k] != whole[k];
                lit += whole[k] != 0;
            }
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lit, 20000); // the views really show primitives
}

TEST_F(Paint, TopmostFirstAndInThreadsGivesThePictureOfDrawingInOrder) {
    scatter();
    InOrderCanvas inOrder(200, 200);
    BandCountingCanvas fast(200, 200);
    int differing = 0, lit = 0, keptDiffering = 0, restoredByRepaint = 0;
    for (Point centre : {P(0, 0), P(150, -120)})
        for (int fill : {1, 0})
            for (int zoom : {1, 8, 40}) {
                view.fillMode = fill;
                ViewWindow w{centre.x - u(100 * zoom), centre.y - u(100 * zoom), centre.x + u(100 * zoom),
                             centre.y + u(100 * zoom)};
                view.attachCanvas(&fast);
                view.window = w;
                view.redraw();
                // The frame the bands kept, each its own rows, takes a highlight off whole.
                const std::vector<std::uint32_t> painted = fast.pixels();
                const int paints = fast.shared;
                view.selectWindow(P(-999, -999), P(999, 999), -1);
                view.highlightSelection();
                view.restoreFrame();
                view.aperture().clearSelection();
                keptDiffering += fast.pixels() != painted;
                restoredByRepaint += fast.shared != paints;
                view.attachCanvas(&inOrder);
                view.window = w;
                view.redraw();
                auto topFirst = fast.pixels(), ordered = inOrder.pixels();
                for (std::size_t k = 0; k < ordered.size(); ++k) {
                    differing += topFirst[k] != ordered[k];
                    lit += ordered[k] != 0;
                }
            }
    view.attachCanvas(&canvas);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(keptDiffering, 0);
    EXPECT_EQ(restoredByRepaint, 0);
    EXPECT_GT(lit, 40000);
    if (std::thread::hardware_concurrency() > 1) {
        EXPECT_GT(fast.shared, 0) << "no paint was shared";
    }
}

TEST(CairoCanvasTopFirst, LaterShapesGoUnderAndAShapeIgnoringTheCoverIsReported) {
    CairoCanvas c(40, 40);
    ASSERT_TRUE(c.beginTopFirst());
    c.setPen(kBlue, 1, PenStyle::InsideFrame);
    c.setSolidBrush(kBlue);
    c.rectangle(0, 0, 20, 20);
    EXPECT_TRUE(c.hidden(2, 2, 18, 18));
    EXPECT_FALSE(c.hidden(2, 2, 21, 18));
    EXPECT_TRUE(c.hidden(-5, -5, 0, 40)) << "nothing of it lies on the surface";
    c.setPen(kWhite, 1, PenStyle::InsideFrame);
    c.setSolidBrush(kWhite);
    c.ellipse(10, 10, 30, 30); // under the square where they overlap
    EXPECT_TRUE(c.endTopFirst());
    EXPECT_EQ(c.pixel(15, 15), kBlue);
    EXPECT_EQ(c.pixel(25, 25), kWhite);
    EXPECT_FALSE(c.hidden(0, 0, 1, 1)) << "outside topmost-first drawing nothing counts as hidden";

    ASSERT_TRUE(c.beginTopFirst());
    c.setPen(kWhite, 3, PenStyle::Solid); // a wide pen: drawn by the library, blind to the cover
    c.line(0, 35, 39, 35);
    EXPECT_FALSE(c.endTopFirst());
}

TEST(CairoCanvasTopFirst, ManyColoursAndPartlyDrawnRowsGiveThePictureOfDrawingInOrder) {
    // Seven colours (more than are marked at once before pixels are written), shapes of every kind,
    // some reaching off the surface, and no background laid: rows end partly drawn.
    struct Shape {
        int kind, x, y, s;
        Rgb colour;
    };
    std::mt19937 rng(5);
    std::vector<Shape> shapes;
    for (int i = 0; i < 400; ++i)
        shapes.push_back({int(rng() % 4), int(rng() % 140) - 10, int(rng() % 110) - 10, 2 + int(rng() % 30),
                          Rgb{std::uint8_t(40 * (i % 7)), 0, std::uint8_t(255 - 30 * (i % 7))}});
    auto draw = [](Canvas& c, const Shape& s) {
        c.setPen(s.colour, 1, PenStyle::InsideFrame);
        c.setSolidBrush(s.colour);
        switch (s.kind) {
        case 0:
            c.ellipse(s.x, s.y, s.x + s.s, s.y + s.s);
            break;
        case 1:
            c.polygon({{s.x, s.y},
                       {s.x + s.s, s.y + s.s / 3},
                       {s.x + s.s / 2, s.y + s.s},
                       {s.x + s.s / 4, s.y - 3}});
            break;
        case 2:
            c.line(s.x, s.y, s.x + 2 * s.s, s.y - s.s);
            break;
        default:
            c.rectangle(s.x, s.y, s.x + s.s, s.y + s.s / 2);
        }
    };
    CairoCanvas inOrder(120, 90), topFirst(120, 90);
    for (const Shape& s : shapes)
        draw(inOrder, s);
    ASSERT_TRUE(topFirst.beginTopFirst());
    for (auto s = shapes.rbegin(); s != shapes.rend(); ++s)
        draw(topFirst, *s);
    EXPECT_TRUE(topFirst.endTopFirst());
    EXPECT_EQ(topFirst.pixels(), inOrder.pixels());
}

// ---------------------------------------------------------------- the rasteriser against the rule
// A pixel is lit when its centre lies inside the shape. Each shape is compared with that rule worked
// out pixel by pixel here; centres within a hair of the edge may go either way.

namespace {

constexpr Rgb kPen{255, 0, 0}, kBrush{0, 255, 0};

struct Mismatch {
    int missing = 0, extra = 0;
};

// inside(x, y) of a pixel centre: > 0 inside, < 0 outside, near 0 on the edge.
template <class Inside> Mismatch compare(const CairoCanvas& c, Inside inside, bool lit(Rgb)) {
    Mismatch m;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            double v = inside(x + 0.5, y + 0.5);
            bool on = lit(c.pixel(x, y));
            if (v > 1e-7 && !on) ++m.missing;
            if (v < -1e-7 && on) ++m.extra;
        }
    return m;
}

bool anyLit(Rgb p) {
    return !(p == kBlack);
}

} // namespace

TEST(Rasteriser, FilledCirclesAndEllipsesLightTheCentresInside) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pos(-40, 160), size(1, 90);
    for (int k = 0; k < 60; ++k) {
        CairoCanvas c(120, 100);
        int l = pos(rng), t = pos(rng), w = size(rng), h = k % 2 ? w : size(rng);
        c.setPen(kBrush, 1, PenStyle::InsideFrame);
        c.setSolidBrush(kBrush);
        c.ellipse(l, t, l + w, t + h);
        double cx = l + w / 2.0, cy = t + h / 2.0, rx = w / 2.0, ry = h / 2.0;
        auto in = [&](double x, double y) {
            double u = (x - cx) / rx, v = (y - cy) / ry;
            return 1.0 - (u * u + v * v);
        };
        Mismatch m = compare(c, in, anyLit);
        EXPECT_EQ(m.missing, 0) << l << "," << t << " " << w << "x" << h;
        EXPECT_EQ(m.extra, 0) << l << "," << t << " " << w << "x" << h;
    }
}

TEST(Rasteriser, OutlinesAreTheFilledPixelsNextToAnOutsideOne) {
    // Sketch circles and the outline colour of filled ones: the ring a user sees, closed, one pixel.
    for (bool filled : {false, true}) {
        CairoCanvas c(80, 80), fill(80, 80);
        fill.setPen(kPen, 1, PenStyle::InsideFrame);
        fill.setSolidBrush(kPen);
        fill.ellipse(7, 9, 70, 61);
        c.setPen(kPen, 1, PenStyle::InsideFrame);
        if (filled)
            c.setSolidBrush(kBrush);
        else
            c.setNullBrush();
        c.ellipse(7, 9, 70, 61);
        int ring = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x) {
                bool in = fill.pixel(x, y) == kPen;
                bool edge = in && (!(fill.pixel(x - 1, y) == kPen) || !(fill.pixel(x + 1, y) == kPen) ||
                                   !(fill.pixel(x, y - 1) == kPen) || !(fill.pixel(x, y + 1) == kPen));
                Rgb want = edge ? kPen : in && filled ? kBrush : kBlack;
                EXPECT_EQ(c.pixel(x, y), want) << x << "," << y;
                ring += edge;
            }
        EXPECT_GT(ring, 150);
    }
}

TEST(Rasteriser, ArcsAreAnnularSectorsWithRoundEnds) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> centre(-20, 140), radius(1, 70), width(1, 9), angle(0, 359);
    for (int k = 0; k < 80; ++k) {
        CairoCanvas c(120, 120);
        int cx = centre(rng), cy = centre(rng), r = radius(rng), w = width(rng);
        double a = angle(rng) * M_PI / 180, sweep = (k % 5 == 0 ? 360 : angle(rng) + 1) * M_PI / 180;
        // Radials far out along the start and the end, counter-clockwise as seen on the screen.
        int xs = cx + int(std::lround(1000 * std::cos(a))), ys = cy - int(std::lround(1000 * std::sin(a)));
        int xe = cx + int(std::lround(1000 * std::cos(a + sweep))),
            ye = cy - int(std::lround(1000 * std::sin(a + sweep)));
        if (k % 5 == 0) xe = xs, ye = ys;
        c.setPen(kPen, w, PenStyle::Solid);
        c.arc(cx - r, cy - r, cx + r, cy + r, xs, ys, xe, ye);
        // The radials as drawn (rounded to pixels): the sector runs from the start counter-clockwise.
        double s = std::atan2(-(ys - cy), xs - cx), e = std::atan2(-(ye - cy), xe - cx);
        double span = e - s;
        while (span <= 0)
            span += 2 * M_PI;
        auto in = [&](double x, double y) {
            double dx = x - cx, dy = -(y - cy), d = std::hypot(dx, dy);
            double ring = w / 2.0 - std::abs(d - r);
            double t = std::atan2(dy, dx) - s;
            while (t < 0)
                t += 2 * M_PI;
            // Along the ring: inside the sector by the smaller angular margin (as a length).
            double along = std::min(t, span - t) * d;
            double body = std::min(ring, along);
            double caps = -1e9;
            for (double q : {s, s + span}) {
                double ex = r * std::cos(q), ey = r * std::sin(q);
                caps = std::max(caps, w / 2.0 - std::hypot(dx - ex, dy - ey));
            }
            return std::max(body, caps);
        };
        Mismatch m = compare(c, in, anyLit);
        EXPECT_LE(m.missing, 0) << k << ": r " << r << " w " << w;
        EXPECT_LE(m.extra, 0) << k << ": r " << r << " w " << w;
    }
}

TEST(Rasteriser, PolygonsFillByWindingAndOutlineWithThePen) {
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> coord(-30, 130), count(3, 9);
    for (int k = 0; k < 60; ++k) {
        CairoCanvas c(100, 100);
        std::vector<PixelPoint> pts(static_cast<std::size_t>(count(rng)));
        for (auto& p : pts)
            p = {coord(rng), coord(rng)};
        c.setPen(kPen, 1, PenStyle::InsideFrame);
        c.setSolidBrush(kBrush);
        c.polygon(pts);
        // Winding number of a pixel centre, the vertices being pixel centres.
        auto winding = [&](double x, double y) {
            int wn = 0;
            for (std::size_t i = 0; i < pts.size(); ++i) {
                double ax = pts[i].x + 0.5, ay = pts[i].y + 0.5;
                double bx = pts[(i + 1) % pts.size()].x + 0.5, by = pts[(i + 1) % pts.size()].y + 0.5;
                double side = (bx - ax) * (y - ay) - (x - ax) * (by - ay);
                if (ay <= y && by > y && side > 0) ++wn;
                if (by <= y && ay > y && side < 0) --wn;
            }
            return wn;
        };
        // Within a pixel of an edge the outline may take the pixel: compare away from the edges.
        auto nearEdge = [&](double x, double y) {
            for (std::size_t i = 0; i < pts.size(); ++i) {
                double ax = pts[i].x + 0.5, ay = pts[i].y + 0.5;
                double bx = pts[(i + 1) % pts.size()].x + 0.5, by = pts[(i + 1) % pts.size()].y + 0.5;
                double vx = bx - ax, vy = by - ay, l2 = vx * vx + vy * vy;
                double t = l2 > 0 ? std::clamp(((x - ax) * vx + (y - ay) * vy) / l2, 0.0, 1.0) : 0;
                if (std::hypot(x - ax - t * vx, y - ay - t * vy) < 1.0) return true;
            }
            return false;
        };
        int checked = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                if (nearEdge(x + 0.5, y + 0.5)) continue;
                ++checked;
                EXPECT_EQ(c.pixel(x, y), winding(x + 0.5, y + 0.5) != 0 ? kBrush : kBlack)
                    << k << ": " << x << "," << y;
            }
        EXPECT_GT(checked, 1000);
    }
}

// Each shape touches its pixels once, so drawing it again in XOR mode leaves nothing, whatever the
// pen, the sweep or how far the shape reaches out of the buffer.
TEST(Rasteriser, EveryShapeDrawnTwiceInXorLeavesNothing) {
    using Draw = std::function<void(CairoCanvas&)>;
    const std::vector<std::pair<const char*, Draw>> shapes = {
        {"ellipse", [](CairoCanvas& c) { c.ellipse(-30, 10, 90, 57); }},
        {"huge ellipse", [](CairoCanvas& c) { c.ellipse(-4000000, 20, 4000000, 8000020); }},
        {"star",
         [](CairoCanvas& c) {
             c.polygon({{30, 0}, {48, 55}, {0, 20}, {60, 20}, {12, 55}});
         }},
        {"thin arc", [](CairoCanvas& c) { c.arc(10, 10, 50, 50, 100, 30, 30, 100); }},
        {"wide arc",
         [&](CairoCanvas& c) {
             c.setPen(kWhite, 7, PenStyle::Solid);
             c.arc(5, 5, 55, 55, 30, -100, 100, 30); // three quarters
             c.setPen(kWhite, 1, PenStyle::Solid);
         }},
        {"whole ring",
         [&](CairoCanvas& c) {
             c.setPen(kWhite, 4, PenStyle::Solid);
             c.arc(-10, -10, 70, 70, 500, 30, 500, 30);
             c.setPen(kWhite, 1, PenStyle::Solid);
         }},
        {"rectangle", [](CairoCanvas& c) { c.rectangle(3, 3, 40, 20); }},
        {"one-pixel polygon",
         [](CairoCanvas& c) {
             c.polygon({{5, 6}, {5, 6}, {5, 6}});
         }},
    };
    for (const auto& [name, draw] : shapes) {
        CairoCanvas c(64, 64);
        c.setPen(kBlue, 1, PenStyle::Solid);
        c.setSolidBrush(kBlue);
        c.ellipse(0, 0, 64, 64); // something to invert
        std::vector<std::uint32_t> before = c.pixels();
        c.setXor(true);
        c.setPen(kWhite, 1, PenStyle::Solid);
        c.setNullBrush();
        draw(c);
        EXPECT_NE(c.pixels(), before) << name;
        draw(c);
        EXPECT_EQ(c.pixels(), before) << name;
    }
}

// ---------------------------------------------------------------- the kept frame

TEST_F(Paint, AHighlightComesOffWithTheKeptFrameAndAChangedViewRepaints) {
    addCircle(-40, 0, 30);
    ap().append(PrimitiveRecord::line(u(8), P(-70, 50), P(60, 70)));
    ap().append(PrimitiveRecord::arc(0, 2700, u(25), u(4), P(40, -40), P(65, -40), P(40, -65)));
    view.redraw();
    const std::vector<std::uint32_t> painted = canvas.pixels();
    view.selectWindow(P(-99, -99), P(99, 99), -1);
    view.highlightSelection();
    ASSERT_NE(canvas.pixels(), painted);
    view.restoreFrame();
    EXPECT_EQ(canvas.pixels(), painted);

    // A rubber band stays through the restore; taking it off then leaves the painted frame.
    view.rubberBands().push([](Canvas& c, int x, int y) { c.rectangle(x - 20, y - 20, x + 20, y + 20); });
    view.rubberBands().redraw(&canvas, 60, 60, RubberBandStack::Draw);
    view.highlightSelection();
    view.restoreFrame();
    EXPECT_EQ(canvas.pixel(79, 60), kWhite); // the band's right edge
    view.rubberBands().pop(&canvas);
    EXPECT_EQ(canvas.pixels(), painted);

    // The frame no longer matches once the picture would differ: a restore paints afresh.
    ap().append(PrimitiveRecord::circle(u(20), P(60, 60)));
    view.restoreFrame();
    EXPECT_EQ(at(60, 60), kBlue);
    std::vector<std::uint32_t> withCircle = canvas.pixels();
    view.fillMode = 0;
    view.restoreFrame();
    EXPECT_EQ(at(60, 60), kBlack); // sketched: inside the outline is clear
    EXPECT_NE(canvas.pixels(), withCircle);
}

TEST_F(Paint, QueryShowsOnlyTheLatestPicksHighlight) {
    addCircle(-40, 0, 30);
    addCircle(40, 0, 30);
    view.redraw();
    view.startQuery();
    click(-40, 0);
    click(40, 0);
    // What the user sees: the painted frame with the second circle's outline inverted only.
    std::vector<std::uint32_t> shown = canvas.pixels();
    EXPECT_EQ(at(-40, 15), kBlue);             // the first pick's outline is no longer inverted
    EXPECT_EQ(at(40, 15), Rgb({255, 255, 0})); // blue inverted
    view.restoreFrame();
    ap().setPick(ap().at(1), 1);
    view.highlightSelection();
    EXPECT_EQ(canvas.pixels(), shown);
}

TEST_F(Paint, ShapesSmallerThanAPixelShowAsTheirPixel) {
    // A triangle and a short thick line well inside one pixel: each still lights one pixel.
    ap().append(PrimitiveRecord::polygon(
        {P(-50, 50), {P(-50, 50).x + 900, P(-50, 50).y}, {P(-50, 50).x, P(-50, 50).y + 900}, P(-50, 50)}));
    ap().append(PrimitiveRecord::line(600, {P(50, -50).x + 100, P(50, -50).y + 100},
                                      {P(50, -50).x + 700, P(50, -50).y + 100}));
    view.redraw();
    int lit = 0;
    for (std::uint32_t p : canvas.pixels())
        lit += p == 0x0000ffu;
    EXPECT_EQ(lit, 2);
    EXPECT_EQ(at(-50, 50), kBlue);
    EXPECT_EQ(at(50, -50), kBlue);
}

// ---------------------------------------------------------------- overlays over the kept frame

namespace {

// A picture with the crosshair XOR-drawn on it at p: both arms inverted, the pixel where they cross
// inverted twice.
std::vector<std::uint32_t> withCrosshair(std::vector<std::uint32_t> picture, int w, int h, PixelPoint p) {
    auto invert = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            picture[std::size_t(y) * std::size_t(w) + std::size_t(x)] ^= 0xffffffu;
    };
    for (int x = p.x - CLumbraView::kCrossHalfWidth; x <= p.x + CLumbraView::kCrossHalfWidth; ++x)
        invert(x, p.y);
    for (int y = p.y - CLumbraView::kCrossHalfHeight; y <= p.y + CLumbraView::kCrossHalfHeight; ++y)
        invert(p.x, y);
    return picture;
}

// A surface that keeps no picture: overlays on it come off by being drawn again in XOR.
class UnkeptCanvas : public CairoCanvas {
  public:
    using CairoCanvas::CairoCanvas;
    bool noteOverlay(bool) override { return false; }
};

} // namespace

class Overlays : public Paint, public ::testing::WithParamInterface<bool> {
  protected:
    UnkeptCanvas unkept{200, 200};
    CairoCanvas& surface() { return GetParam() ? static_cast<CairoCanvas&>(unkept) : canvas; }
    void SetUp() override {
        Paint::SetUp();
        if (GetParam()) view.attachCanvas(&unkept);
        addCircle(-40, 0, 60);
        ap().append(PrimitiveRecord::line(u(12), P(-70, 60), P(70, 20)));
        ap().append(PrimitiveRecord::arc(0, 2700, u(25), u(4), P(40, -40), P(65, -40), P(40, -65)));
        view.redraw();
        painted_ = surface().pixels();
    }
    const std::vector<std::uint32_t>& painted() const { return painted_; }
    std::vector<std::uint32_t> painted_;
    // What the canvas must show: the picture and, when drawn, the crosshair where the view says.
    void expectPictureWithCrosshairOnly(const std::vector<std::uint32_t>& picture) {
        std::vector<std::uint32_t> expected =
            view.crosshairDrawn() ? withCrosshair(picture, 200, 200, view.crosshair()) : picture;
        EXPECT_EQ(surface().pixels(), expected);
    }
};

TEST_P(Overlays, BandsAndTheCrosshairLeaveNothingAfterMovesRepaintsAndCancels) {
    const std::vector<std::uint32_t> painted = painted_;
    struct Case {
        const char* name;
        std::function<void()> steps;
        bool crosshairAfter;
    };
    const Case cases[] = {
        {"line band cancelled after a repaint",
         [&] {
             view.startAddLine();
             click(-40, -40);
             move(30, 20);
             move(60, -50);
             character('r');
             move(-70, 70);
             move(10, 10);
             escape(); // the line command takes its crosshair off with the band
         },
         false},
        {"drag window band ended by a cancel",
         [&] {
             view.startCopy();
             move(-80, -80);
             down(-80, -80);
             move(0, 0, true);
             move(50, 40, true);
             character('r');
             move(70, 70, true);
             move(-20, 30, true);
             rightClick();
         },
         true},
        {"move preview over the highlight, cancelled",
         [&] {
             view.startMove();
             drag(-90, -90, 90, 90);
             click(0, 0);
             move(30, 30);
             move(-60, 10);
             character('r');
             move(20, -70);
             rightClick(); // the highlight goes with the frame put back
         },
         false},
        {"circle preview through a width change",
         [&] {
             view.startAddCircle();
             move(10, 10);
             view.width = u(40);
             move(20, 10);
             move(-60, -60);
             view.rubberBands().redraw(&surface(), 0, 0, RubberBandStack::Erase);
             move(0, 40);
             escape();
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.steps();
        EXPECT_EQ(view.rubberBands().size(), 0u);
        EXPECT_EQ(view.crosshairDrawn(), c.crosshairAfter);
        expectPictureWithCrosshairOnly(painted);
        view.cancelCommand();
    }
}

TEST_P(Overlays, APreviewMovedOverTheHighlightLeavesItWhole) {
    view.snap = false;
    view.startMove();
    drag(-90, -90, 90, 90);
    ASSERT_EQ(ap().selectionCount(), 3);
    // The highlighted frame: what shows less the crosshair.
    const std::vector<std::uint32_t> highlighted =
        withCrosshair(surface().pixels(), 200, 200, view.crosshair());
    ASSERT_NE(highlighted, painted());
    click(-40, 0);
    for (int step = 0; step < 12; ++step)
        move(-40 + step * 7, step * 5 - 30); // the preview sweeps across the highlighted shapes
    ASSERT_NE(surface().pixels(), withCrosshair(highlighted, 200, 200, view.crosshair()));
    view.rubberBands().redraw(&surface(), 0, 0, RubberBandStack::Erase);
    expectPictureWithCrosshairOnly(highlighted);
    view.rubberBands().hideCursor(&surface());
    EXPECT_EQ(surface().pixels(), highlighted);
    rightClick();
    EXPECT_EQ(surface().pixels(), painted());
}

TEST_P(Overlays, TakingOneBandOffKeepsTheOthersItCrossed) {
    RubberBandStack& bands = view.rubberBands();
    bands.push([](Canvas& c, int x, int y) { c.line(x - 40, y, x + 40, y); });
    bands.redraw(&surface(), 60, 60, RubberBandStack::Draw);
    const std::vector<std::uint32_t> oneBand = surface().pixels();
    ASSERT_NE(oneBand, painted());
    bands.push([](Canvas& c, int x, int y) { c.rectangle(x - 10, y - 30, x + 10, y + 30); });
    bands.redraw(&surface(), 60, 60, RubberBandStack::Draw);
    bands.pop(&surface()); // the rectangle crossed the line twice
    EXPECT_EQ(surface().pixels(), oneBand);
    move(60, 40); // the crosshair crosses the band as it moves with it
    move(0, 0);
    bands.hideCursor(&surface());
    bands.redraw(&surface(), 60, 60, RubberBandStack::Draw);
    EXPECT_EQ(surface().pixels(), oneBand);
    bands.popAll(&surface());
    EXPECT_EQ(surface().pixels(), painted());
}

INSTANTIATE_TEST_SUITE_P(KeptOrNot, Overlays, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& i) {
    return i.param ? "XorErase" : "Copy";
});
