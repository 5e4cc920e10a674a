#include "view_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace lumbra;
using namespace lumbra::testing;

namespace {
constexpr Rgb kBlue{0, 0, 255};
}

class Paint : public ViewTest {
  protected:
    Rgb at(int xm, int ym) { return canvas.pixel(px(xm), py(ym)); }
};

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
TEST_F(Paint, LeavingOutWhatCannotShowChangesNoPixel) {
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
