#include "lumbra/units.h"
#include "view_fixture.h"

#include <gtest/gtest.h>

using namespace lumbra;
using namespace lumbra::testing;

TEST_F(ViewTest, NewDocumentFitsPlusMinusOneTenthInchWithOnePixelPerMil) {
    EXPECT_EQ(view.window, (ViewWindow{-254000, -254000, 254000, 254000}));
    EXPECT_DOUBLE_EQ(view.scale, 200.0 / 508000);
    EXPECT_EQ(view.toPixel(Point{0, 0}), (PixelPoint{100, 100}));
    EXPECT_EQ(view.toPixel(P(30, -20)), (PixelPoint{130, 120}));
    EXPECT_EQ(view.lengthToPixels(u(8)), 8);
}

struct SnapCase {
    int pixel; // x pixel (and mirrored y pixel)
    bool snap;
    std::int32_t expect; // world x
};

class Snapping : public ViewTest, public ::testing::WithParamInterface<SnapCase> {};

TEST_P(Snapping, RoundsHalfGridAwayFromZero) {
    view.snap = GetParam().snap;
    Point w = view.snappedWorld(GetParam().pixel, 200 - GetParam().pixel);
    EXPECT_EQ(w.x, GetParam().expect);
    EXPECT_EQ(w.y, GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(HalfGrid, Snapping,
                         ::testing::Values(SnapCase{115, true, 50800},  // 0.015 -> 0.02
                                           SnapCase{85, true, -50800},  // -0.015 -> -0.02
                                           SnapCase{114, true, 25400},  // 0.014 -> 0.01
                                           SnapCase{86, true, -25400},  // -0.014 -> -0.01
                                           SnapCase{115, false, 38100}, // snap off: the raw point
                                           SnapCase{100, true, 0}));

TEST_F(ViewTest, SnappedPointBeyondTheWindowEdgeIsPulledBack) {
    view.window = ViewWindow{-254000, -254000, 240000, 254000};
    // The raw x lies near the right edge; the nearest grid line (254000) is outside, so one grid back.
    Point w = view.snappedWorld(view.clientWidth(), 100);
    EXPECT_LE(w.x, 240000);
    EXPECT_EQ(w.x % 25400, 0);
    view.gridSize = 1; // a grid of 1 does not snap
    EXPECT_EQ(view.snappedWorld(115, 100).x,
              view.window.left + static_cast<std::int32_t>(roundHalfAway(115 / view.scale)));
}

TEST_F(ViewTest, FitWidensTheShortAxisAroundItsCentre) {
    view.window = ViewWindow{-1000000, -100000, 1000000, 100000}; // much wider than the square client
    view.fitToClient();
    EXPECT_DOUBLE_EQ(view.scale, 201.0 / 2000000);
    EXPECT_EQ(view.window.left, -1000000);
    EXPECT_EQ(view.window.bottom, -1000000);
    EXPECT_EQ(view.window.top, 1000000);
    // Smaller than the minimum extent: the scale comes from the minimum, the centre stays.
    view.window = ViewWindow{500, 500, 500, 500};
    view.fitToClient();
    EXPECT_DOUBLE_EQ(view.scale, 200.0 / CLumbraView::kMinimumExtent);
    EXPECT_GE(view.window.width(), CLumbraView::kMinimumExtent);
    EXPECT_NEAR((view.window.left + view.window.right) / 2.0, 500, 1);
}

TEST_F(ViewTest, ZoomInOutPanAndTheMinimumExtent) {
    view.startZoomIn();
    EXPECT_EQ(frame.status, "Zoom In: enter new center point...");
    EXPECT_TRUE(frame.pointEntryOn);
    down(50, 0); // window halves around (50, 0) mils
    EXPECT_EQ(view.window, (ViewWindow{0, -127000, 254000, 127000}));
    down(0, 0); // -> 127000 wide
    down(0, 0); // -> 63500
    EXPECT_EQ(view.window.width(), 63500);
    ViewWindow before = view.window;
    down(0, 0); // 31750 < 0.016 inch: refused
    EXPECT_EQ(view.window, before);
    ASSERT_EQ(msgs.beeps.size(), 1u);
    EXPECT_EQ(msgs.beeps[0], Beep::Default);
    rightClick();
    EXPECT_FALSE(view.commandActive());
    EXPECT_FALSE(frame.pointEntryOn);
    EXPECT_EQ(frame.status, "Ready");

    view.startZoomOut();
    view.zoomOutAt(Point{0, 0});
    EXPECT_EQ(view.window.width(), 127000);
    view.startPan();
    view.panTo(Point{1000, 2000});
    EXPECT_EQ(view.window, (ViewWindow{1000 - 63500, 2000 - 63500, 1000 + 63500, 2000 + 63500}));
    EXPECT_EQ(frame.status, "Pan: enter new center point...");
}

TEST_F(ViewTest, ZoomOutStopsBeforeLeavingTheCoordinateRange) {
    int refused = 0;
    for (int i = 0; i < 40; ++i)
        if (!view.zoomOutAt(Point{0, 0})) ++refused;
    EXPECT_GT(refused, 0);
    EXPECT_GT(view.window.width(), 0);
    EXPECT_LE(view.window.left, 0);
}

TEST_F(ViewTest, ViewWindowNeedsHalfASecondAndAnotherPixel) {
    view.startViewWindow();
    move(-50, -50);
    down(-50, -50);
    EXPECT_EQ(view.promptText(), "enter second point...");
    clock.now += 100;
    move(40, 30);
    up(40, 30); // too soon: ignored
    EXPECT_EQ(view.hook().step, 1);
    clock.now += 500;
    down(-50, -50); // late enough but the same pixel: ignored
    EXPECT_EQ(view.hook().step, 1);
    up(40, 30);
    EXPECT_EQ(view.hook().step, 0);
    EXPECT_EQ(view.promptText(), "enter first point...");
    // The window is the rectangle (snapped to the grid), widened to the client's shape.
    EXPECT_EQ(view.window.left, u(-50));
    EXPECT_EQ(view.window.right, u(40));

    // Too small a rectangle is refused with a beep.
    ViewWindow before = view.window;
    move(0, 0);
    down(0, 0);
    clock.now += 600;
    view.snap = false;
    move(3, 3);
    down(3, 3);
    EXPECT_EQ(view.window, before);
    EXPECT_EQ(msgs.beeps.size(), 1u);

    // Cancel after the first corner asks for a first corner again; once more ends the command.
    down(0, 0);
    EXPECT_EQ(view.rubberBands().size(), 1u);
    rightClick();
    EXPECT_EQ(view.rubberBands().size(), 0u);
    EXPECT_TRUE(view.commandActive());
    rightClick();
    EXPECT_FALSE(view.commandActive());
}

TEST_F(ViewTest, ZoomAllAndOpeningFitTheAperture) {
    addCircle(0, 0, 20);
    view.zoomAll(); // size 0.02 inch each way: window +-0.02 inch, then fitted (minimum extent applies)
    EXPECT_EQ(view.window.width(), 101600);
    // A command in progress is cancelled by a new aperture.
    view.startAddLine();
    doc.OnNewDocument();
    EXPECT_FALSE(view.commandActive());
    EXPECT_EQ(view.window, (ViewWindow{-254000, -254000, 254000, 254000}));
}

TEST_F(ViewTest, ScrollBarsFollowTheApertureRange) {
    addCircle(0, 0, 400); // range +-0.4 inch, window 0.2 inch
    view.redraw();
    ScrollBarState h = view.horizontalBar(), v = view.verticalBar();
    EXPECT_EQ(h.minimum, -1016000);
    EXPECT_EQ(h.maximum, 1016000);
    EXPECT_EQ(h.page, 508000);
    EXPECT_EQ(h.position, -254000);
    EXPECT_EQ(v.position, -254000); // mirrored: -bottom - page
    view.scroll(false, ScrollAction::LineDown);
    EXPECT_EQ(view.window.left, -254000 + 50800);
    view.scroll(false, ScrollAction::PageDown);
    view.scroll(false, ScrollAction::PageDown);
    EXPECT_EQ(view.window.left, 1016000 - 508000); // clamped to the range
    view.scroll(true, ScrollAction::ThumbPosition, -1016000);
    EXPECT_EQ(view.window.top, 1016000); // thumb at the top: the top of the range
    // A window larger than the range gets the idle bar.
    doc.OnNewDocument();
    EXPECT_EQ(view.horizontalBar().maximum, 10);
    EXPECT_FALSE(view.horizontalBar().scrollable());
}

TEST_F(ViewTest, DefaultKeysAndPrompts) {
    character('F');
    EXPECT_EQ(view.fillMode, 0);
    character('s');
    EXPECT_FALSE(view.snap);
    character('c');
    character(7);
    EXPECT_EQ(frame.coordinateDialogs, 1);
    EXPECT_EQ(frame.gridDialogs, 1);
    view.prompt("", "text");
    EXPECT_EQ(view.statusText(), " text");
    view.prompt("Title", "text");
    EXPECT_EQ(view.statusText(), "Title: text");
    EXPECT_EQ(view.idleText(), "Title: text");
    view.prompt(nullptr, nullptr);
    EXPECT_EQ(view.statusText(), "Ready");
}

TEST_F(ViewTest, CrosshairSnapsMovesTheCursorAndShowsCoordinates) {
    move(14, -16);
    EXPECT_EQ(view.crosshair(), (PixelPoint{px(10), py(-20)}));
    ASSERT_EQ(frame.cursorMoves.size(), 1u); // the cursor is put onto the grid point
    EXPECT_EQ(frame.cursorMoves[0], view.crosshair());
    move(10, -20); // already there: nothing more happens
    EXPECT_EQ(frame.cursorMoves.size(), 1u);
    EXPECT_EQ(frame.x, "0.01000");
    EXPECT_EQ(frame.y, "-0.02000");
    view.metric = true;
    move(30, 0);
    EXPECT_EQ(frame.x, "0.76200");
    // Drawn in XOR: white arms on black, the old one erased.
    EXPECT_EQ(canvas.pixel(px(30) + 20, py(0)), kWhite);
    EXPECT_EQ(canvas.pixel(px(10) + 23, py(-20)), kBlack);
    EXPECT_EQ(canvas.pixel(px(10) - 20, py(-20)), kBlack);
}

// ---------------------------------------------------------------- picking

struct PickCase {
    const char* what;
    PrimitiveRecord p;
    Point at;
    bool hit;
};

class Picking : public ViewTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(Picking, HitTests) {
    ap().append(GetParam().p);
    Point ref;
    PrimitiveRecord* got = view.pickAt(GetParam().at, -1, &ref);
    EXPECT_EQ(got != nullptr, GetParam().hit);
    if (got) {
        EXPECT_EQ(ref, GetParam().p.referencePoint());
        EXPECT_EQ(got->selected, 1);
        EXPECT_EQ(ap().selectionCount(), -1);
    } else {
        ASSERT_EQ(msgs.beeps.size(), 1u);
        EXPECT_EQ(msgs.beeps[0], Beep::Question);
    }
}

PrimitiveRecord withTool(PrimitiveRecord p, int toolWord) {
    p.toolWord = toolWord;
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Types, Picking,
    ::testing::Values(
        PickCase{"circleSquareCorner", PrimitiveRecord::circle(100, {0, 0}), {50, -50}, true},
        PickCase{"circleOutside", PrimitiveRecord::circle(100, {0, 0}), {51, 0}, false},
        PickCase{"diagonalInside", PrimitiveRecord::line(20, {0, 0}, {100, 100}), {55, 45}, true},
        PickCase{"diagonalBeyondEndByHw", PrimitiveRecord::line(20, {0, 0}, {100, 100}), {105, 105}, true},
        PickCase{"diagonalTooFarAside", PrimitiveRecord::line(20, {0, 0}, {100, 100}), {60, 40}, false},
        PickCase{"horizontalStopsAtEnd", PrimitiveRecord::line(20, {0, 0}, {100, 0}), {105, 0}, false},
        PickCase{"horizontalInBox", PrimitiveRecord::line(20, {0, 0}, {100, 0}), {100, -10}, true},
        PickCase{"horizontalToolWord5Extends",
                 withTool(PrimitiveRecord::line(20, {0, 0}, {100, 0}), 5),
                 {108, 0},
                 true},
        PickCase{"verticalInBox", PrimitiveRecord::line(20, {0, -100}, {0, 100}), {10, -100}, true},
        PickCase{
            "polygonInside", PrimitiveRecord::polygon({{0, 0}, {100, 0}, {50, 100}, {0, 0}}), {50, 50}, true},
        PickCase{"polygonOutside",
                 PrimitiveRecord::polygon({{0, 0}, {100, 0}, {50, 100}, {0, 0}}),
                 {90, 90},
                 false},
        // At a vertex's height the point is lowered by one unit first.
        PickCase{"polygonAtVertexHeight",
                 PrimitiveRecord::polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}),
                 {50, 100},
                 true},
        PickCase{
            "arcOnRing", PrimitiveRecord::arc(0, 900, 100, 10, {0, 0}, {100, 0}, {0, 100}), {71, 71}, true},
        PickCase{"arcOutsideSweep",
                 PrimitiveRecord::arc(0, 900, 100, 10, {0, 0}, {100, 0}, {0, 100}),
                 {-71, 71},
                 false},
        PickCase{
            "arcOffRing", PrimitiveRecord::arc(0, 900, 100, 10, {0, 0}, {100, 0}, {0, 100}), {50, 50}, false},
        PickCase{"arcClockwise",
                 PrimitiveRecord::arc(900, -900, 100, 10, {0, 0}, {0, 100}, {100, 0}),
                 {71, 71},
                 true},
        PickCase{"arcClockwiseOther",
                 PrimitiveRecord::arc(900, -900, 100, 10, {0, 0}, {0, 100}, {100, 0}),
                 {-71, 71},
                 false},
        PickCase{"arcAcrossZero",
                 PrimitiveRecord::arc(3500, 200, 100, 10, {0, 0}, {98, -17}, {98, 17}),
                 {100, 0},
                 true},
        PickCase{"arcFullCircle",
                 PrimitiveRecord::arc(900, 3600, 100, 10, {0, 0}, {0, 100}, {0, 100}),
                 {0, -100},
                 true}),
    [](const auto& p) { return std::string(p.param.what); });

TEST_F(ViewTest, RepeatedPicksCycleThroughOverlapsAndTheToolFilterGuardsTheFirstHit) {
    PrimitiveRecord* a = addCircle(0, 0, 20);
    PrimitiveRecord* b = addCircle(2, 0, 20, 3);
    addCircle(50, 50, 10);
    EXPECT_EQ(view.pickAt(Point{0, 0}, -1), a);
    EXPECT_EQ(view.pickAt(Point{0, 0}, -1), b);
    EXPECT_EQ(a->selected, 0);
    EXPECT_EQ(view.pickAt(Point{0, 0}, -1), a); // wrapped round
    // The hit after the pick is b (tool 3); a filter for tool 3 passes, one for tool 4 refuses.
    EXPECT_EQ(view.pickAt(Point{0, 0}, 3), b);
    ap().clearSelection();
    EXPECT_EQ(view.pickAt(Point{0, 0}, 3), nullptr); // the first hit is a, without a tool
    EXPECT_EQ(msgs.beeps.size(), 1u);
    a->toolWord = INT32_MIN; // as a file may hold it: compared without overflow
    EXPECT_EQ(view.pickAt(Point{0, 0}, 3), nullptr);
}

TEST_F(ViewTest, WindowSelectionTakesOnlyWhollyEnclosedDefiningPoints) {
    PrimitiveRecord* circle = addCircle(0, 0, 500);              // huge, but only its centre counts
    ap().append(PrimitiveRecord::line(10, P(-10, 0), P(60, 0))); // half outside
    auto* inner = ap().append(PrimitiveRecord::line(10, P(-10, 5), P(20, 5)));
    ap().append(PrimitiveRecord::polygon({P(0, 0), P(30, 0), P(30, 41), P(0, 0)}));
    auto* arc = ap().append(PrimitiveRecord::arc(0, 900, u(10), 1, P(30, 30), P(40, 30), P(30, 40)));
    EXPECT_EQ(view.selectWindow(P(40, 40), P(-20, -20), -1), 3); // corners given in any order
    ASSERT_EQ(ap().selectionCopies().size(), 3u);
    EXPECT_EQ(ap().selectionCopies()[0]->origin, circle);
    EXPECT_EQ(ap().selectionCopies()[1]->origin, inner);
    EXPECT_EQ(ap().selectionCopies()[2]->origin, arc);
    EXPECT_EQ(view.selectWindow(P(40, 40), P(-20, -20), 2), 0);
}
