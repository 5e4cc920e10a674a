#include "lumbra/units.h"
#include "view_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lumbra;
using namespace lumbra::testing;

using Commands = ViewTest;

TEST_F(Commands, AddCircleAtSnappedClicksAndKeyedPoints) {
    view.width = u(10);
    view.tool = 3;
    view.polarity = 0;
    view.startAddCircle();
    EXPECT_EQ(frame.status, "Add Circle: enter point...");
    EXPECT_EQ(view.rubberBands().size(), 1u);
    click(24, 36);                            // snaps to (20, 40)
    view.keyedPointEntered(Point{123, -456}); // typed points are not snapped
    ASSERT_EQ(ap().count(), 2);
    EXPECT_EQ(ap().at(0)->centre, P(20, 40));
    EXPECT_EQ(ap().at(0)->size, u(10));
    EXPECT_EQ(ap().at(0)->toolWord, 258);
    EXPECT_EQ(ap().at(0)->polarity, 0);
    EXPECT_EQ(ap().at(1)->centre, (Point{123, -456}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(ap().hasSnapshot()); // adding takes no snapshot
    view.undo();
    EXPECT_EQ(ap().count(), 2);
    rightClick();
    EXPECT_FALSE(view.commandActive());
    EXPECT_EQ(view.rubberBands().size(), 0u);
    click(0, 0);
    EXPECT_EQ(ap().count(), 2);
}

TEST_F(Commands, AddCirclePreviewFollowsAWidthChange) {
    // Outline pixels are checked one row below the crosshair's horizontal arm.
    view.width = u(20);
    view.startAddCircle();
    move(0, 0);
    EXPECT_EQ(canvas.pixel(px(-10), py(0) + 1), kWhite);
    view.width = u(40);
    move(30, 0);
    EXPECT_EQ(canvas.pixel(px(30) - 20, py(0) + 1), kWhite); // the wider preview
    EXPECT_EQ(canvas.pixel(px(-10), py(0) + 1), kBlack);     // the narrow one is gone
    move(0, 0);
    EXPECT_EQ(canvas.pixel(px(-20), py(0) + 1), kWhite);
    EXPECT_EQ(canvas.pixel(px(30) - 20, py(0) + 1), kBlack);
}

TEST_F(Commands, AddLineChainsSegmentsAndRightClickRestarts) {
    view.width = u(4);
    view.startAddLine();
    click(0, 0);
    EXPECT_EQ(view.promptText(), "enter next point...(A to enter Arc)");
    click(30, 0);
    click(30, 30);
    ASSERT_EQ(ap().count(), 2);
    EXPECT_EQ(ap().at(0)->start, P(0, 0));
    EXPECT_EQ(ap().at(0)->end, P(30, 0));
    EXPECT_EQ(ap().at(1)->start, P(30, 0));
    EXPECT_EQ(ap().at(1)->end, P(30, 30));
    rightClick();
    EXPECT_EQ(view.promptText(), "enter first point...");
    EXPECT_EQ(view.rubberBands().size(), 0u);
    EXPECT_TRUE(view.commandActive());
    click(-50, -50); // a new first point: no segment to it
    EXPECT_EQ(ap().count(), 2);
    click(-50, 0);
    EXPECT_EQ(ap().at(2)->start, P(-50, -50));
    rightClick();
    rightClick();
    EXPECT_FALSE(view.commandActive());
}

TEST_F(Commands, ThreePointArcInsideAddLine) {
    view.width = u(2);
    view.startAddLine();
    click(0, 0);
    character('a');
    EXPECT_EQ(view.promptText(), "enter arc end point...");
    click(40, 0); // the up at the same point is not a third point
    EXPECT_EQ(view.promptText(), "enter third point on arc...(9 to enter 90 degree Arc)");
    EXPECT_EQ(view.rubberBands().size(), 1u);
    click(20, 20);
    ASSERT_EQ(ap().count(), 1);
    const PrimitiveRecord& arc = *ap().at(0);
    EXPECT_EQ(arc.type, AP_ARC);
    EXPECT_EQ(arc.centre, P(20, 0));
    EXPECT_EQ(arc.radius, u(20));
    EXPECT_EQ(arc.startAngle, 1800);
    EXPECT_EQ(arc.sweep, -1800); // over the top: clockwise
    EXPECT_EQ(arc.start, P(0, 0));
    EXPECT_EQ(arc.end, P(40, 0));
    EXPECT_EQ(arc.size, u(2));
    // Back in the line at the arc's end point.
    EXPECT_EQ(view.promptText(), "enter next point...(A to enter Arc)");
    click(40, -40);
    ASSERT_EQ(ap().count(), 2);
    EXPECT_EQ(ap().at(1)->start, P(40, 0));
}

TEST_F(Commands, QuarterArcOnTheNineKeyBulgesTowardsTheCursor) {
    view.startAddLine();
    click(0, 0);
    character('A');
    click(40, 0);
    move(20, -30);
    key(VK_9);
    ASSERT_EQ(ap().count(), 1);
    const PrimitiveRecord& arc = *ap().at(0);
    // A quarter circle (the radius is rounded to whole pixels) running counter-clockwise below the chord.
    EXPECT_NEAR(arc.sweep, 900, 15);
    EXPECT_NEAR(arc.startAngle, 2250, 10);
    EXPECT_EQ(arc.start, P(0, 0));
    EXPECT_EQ(arc.end, P(40, 0));
    EXPECT_NEAR(arc.centre.x, u(20), kUnitsPerPixel);
    EXPECT_NEAR(arc.centre.y, u(20), kUnitsPerPixel);
    EXPECT_NEAR(arc.radius, u(20) * std::sqrt(2.0), kUnitsPerPixel);
    EXPECT_EQ(view.hook().reference, P(40, 0));
}

TEST_F(Commands, RefusedArcsAndCancelsReturnToTheLine) {
    view.startAddLine();
    click(0, 0);
    character('a');
    rightClick(); // no end point yet: back to the line at its start
    EXPECT_EQ(view.promptText(), "enter next point...(A to enter Arc)");
    EXPECT_EQ(view.hook().reference, P(0, 0));
    EXPECT_EQ(view.rubberBands().size(), 1u);
    character('a');
    click(40, 0);
    click(20, 0); // on the chord: refused
    EXPECT_EQ(ap().count(), 0);
    EXPECT_EQ(view.hook().reference, P(40, 0));
    EXPECT_EQ(view.rubberBands().size(), 1u);
    character('a');
    click(40, 40);
    escape(); // cancel at the third point: the line resumes at the end point
    EXPECT_EQ(ap().count(), 0);
    EXPECT_EQ(view.hook().reference, P(40, 40));
    EXPECT_EQ(view.rubberBands().size(), 1u);
    // Starting another command in the middle of an arc leaves no preview behind.
    character('a');
    click(0, 40);
    view.startQuery();
    EXPECT_EQ(view.rubberBands().size(), 0u);
    EXPECT_EQ(view.promptTitle(), "Query Item");
}

TEST_F(Commands, NearlyClosedArcsAreStoredAsFullCircles) {
    // S and E one pixel apart at the top of a large circle, T at its bottom: start and end angles
    // round to the same value, so the sweep would be 0 (or -3600 the other way round).
    const std::int32_t R = 990 * kUnitsPerPixel;
    ASSERT_TRUE(view.addArcThrough(Point{0, 0}, Point{1270, -2 * R}, Point{2540, 0}));
    EXPECT_EQ(ap().at(0)->sweep, 3600);
    ASSERT_TRUE(view.addArcThrough(Point{2540, 0}, Point{1270, -2 * R}, Point{0, 0}));
    EXPECT_EQ(ap().at(1)->sweep, 3600);
    // Coincident points and radii above 1000 pixels are refused.
    EXPECT_FALSE(view.addArcThrough(Point{0, 0}, Point{5000, 5000}, Point{100, 0}));
    EXPECT_FALSE(view.addArcThrough(Point{0, 0}, Point{1270, -2100 * kUnitsPerPixel}, Point{2540, 0}));
    EXPECT_EQ(ap().count(), 2);
}

TEST_F(Commands, CopySinglePickPlacesRepeatedlyAndUndoRemovesOnlyTheLast) {
    addCircle(10, 10, 10);
    view.startCopy();
    EXPECT_EQ(frame.status, "Copy: select item or click and drag window...");
    click(12, 8); // snaps to (10, 10)
    EXPECT_EQ(view.promptText(), "enter insertion point...");
    click(50, 50);
    click(-60, 20);
    ASSERT_EQ(ap().count(), 3);
    EXPECT_EQ(ap().at(1)->centre, P(50, 50));
    EXPECT_EQ(ap().at(2)->centre, P(-60, 20));
    EXPECT_EQ(ap().at(1)->selected, 0);
    view.undo();
    EXPECT_EQ(ap().count(), 2);
    EXPECT_EQ(ap().at(1)->centre, P(50, 50));
    // The pick survived the undo, so the next click still places a copy.
    click(0, -80);
    EXPECT_EQ(ap().count(), 3);
    rightClick(); // back to selecting
    EXPECT_EQ(view.promptText(), "select item or click and drag window...");
    EXPECT_EQ(ap().selectionCount(), 0);
    EXPECT_EQ(view.rubberBands().size(), 0u);
    rightClick();
    EXPECT_FALSE(view.commandActive());
}

TEST_F(Commands, CopyWithAWindowFromPointAndInsertionPoints) {
    addCircle(0, 0, 10);
    ap().append(PrimitiveRecord::line(u(2), P(-20, -20), P(20, 20)));
    addCircle(80, 80, 10); // outside the window
    view.startCopy();
    drag(-30, -30, 30, 30);
    EXPECT_EQ(ap().selectionCount(), 2);
    EXPECT_EQ(view.promptText(), "select from point...");
    EXPECT_EQ(frame.selected, 2);
    click(0, 0);
    EXPECT_EQ(view.promptText(), "select insertion point...");
    click(50, 0);
    click(0, -50);
    ASSERT_EQ(ap().count(), 7);
    EXPECT_EQ(ap().at(3)->centre, P(50, 0));
    EXPECT_EQ(ap().at(4)->start, P(30, -20));
    EXPECT_EQ(ap().at(6)->end, P(20, -30));
    view.undo();
    EXPECT_EQ(ap().count(), 5);
    EXPECT_EQ(ap().selectionCount(), 2); // the window selection is back with the undo
    rightClick();
    EXPECT_EQ(view.hook().step, 0);
    EXPECT_EQ(ap().selectionCount(), 0);
}

struct MoveCase {
    const char* what;
    PrimitiveRecord p;
    Point grab; // where to click, in mils
};

class MoveSinglePick : public ViewTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveSinglePick, ReferencePointLandsOnTheInsertionPoint) {
    ap().append(GetParam().p);
    ap().setModified(false);
    view.startMove();
    click(GetParam().grab.x, GetParam().grab.y);
    ASSERT_EQ(ap().selectionCount(), -1) << "nothing picked";
    click(-70, -60);
    ASSERT_EQ(ap().count(), 1);
    EXPECT_EQ(ap().at(0)->referencePoint(), P(-70, -60));
    EXPECT_EQ(ap().selectionCount(), 0);
    EXPECT_EQ(view.hook().step, 0);
    EXPECT_EQ(view.promptText(), "select item or click and drag window...");
    EXPECT_TRUE(doc.IsModified());
    // The button-up of the placing click does not pick again.
    EXPECT_EQ(view.rubberBands().size(), 0u);
    view.undo();
    EXPECT_EQ(ap().at(0)->referencePoint(), GetParam().p.referencePoint());
}

constexpr std::int32_t u(int mils) {
    return mils * 2540;
}
Point P(int xm, int ym) {
    return Point{u(xm), u(ym)};
}

INSTANTIATE_TEST_SUITE_P(
    Types, MoveSinglePick,
    ::testing::Values(
        MoveCase{"circle", PrimitiveRecord::circle(u(10), P(20, 20)), {20, 20}},
        MoveCase{"line", PrimitiveRecord::line(u(6), P(10, 30), P(50, 30)), {30, 30}},
        MoveCase{"polygon", PrimitiveRecord::polygon({P(10, 10), P(50, 10), P(30, 50), P(10, 10)}), {30, 20}},
        MoveCase{
            "arc", PrimitiveRecord::arc(0, 1800, u(20), u(4), P(30, 30), P(50, 30), P(10, 30)), {30, 50}}),
    [](const auto& p) { return std::string(p.param.what); });

TEST_F(Commands, DragThresholdAndTheJustPlacedFlag) {
    addCircle(0, 0, 20);
    view.startMove();
    move(0, 0);
    down(0, 0);
    move(2, 3, true); // within 3 pixels: still a click
    EXPECT_FALSE(view.hook().dragWindow);
    up(0, 0);
    EXPECT_EQ(ap().selectionCount(), -1);
    rightClick();
    move(0, 0);
    down(0, 0);
    move(4, 0, true);
    EXPECT_TRUE(view.hook().dragWindow);
    EXPECT_EQ(view.rubberBands().size(), 1u);
    move(40, 40, true);
    up(40, 40); // a window from (0,0) to (40,40) holds the centre
    EXPECT_EQ(ap().selectionCount(), 1);
    click(0, 0); // from point
    move(10, 0);
    down(10, 0); // placed: back to step 0 with the flag set
    EXPECT_TRUE(view.hook().justPlaced);
    move(30, 0, true); // a drag right after placing starts no window
    EXPECT_FALSE(view.hook().dragWindow);
    up(30, 0);
    EXPECT_FALSE(view.hook().justPlaced);
    EXPECT_EQ(ap().selectionCount(), 0);
    EXPECT_EQ(ap().at(0)->centre, P(10, 0));
}

TEST_F(Commands, DeleteAsksAndNoLeavesEverythingAsItWas) {
    addCircle(0, 0, 20);
    addCircle(50, 50, 20);
    view.startDelete();
    click(-40, 40); // nothing there
    EXPECT_EQ(msgs.beeps.size(), 1u);
    EXPECT_TRUE(msgs.questions.empty());
    msgs.answers = {false};
    click(0, 0);
    ASSERT_EQ(msgs.questions.size(), 1u);
    EXPECT_EQ(msgs.questions[0], "Confirm:|Delete?");
    EXPECT_EQ(ap().count(), 2);
    EXPECT_FALSE(ap().hasSnapshot());
    EXPECT_EQ(ap().selectionCount(), 0);
    msgs.answers = {true};
    click(0, 0);
    ASSERT_EQ(ap().count(), 1);
    EXPECT_EQ(ap().at(0)->centre, P(50, 50));
    character('u'); // undo brings it back, with the flag it had
    ASSERT_EQ(ap().count(), 2);
    EXPECT_EQ(ap().at(0)->selected, 1);
    EXPECT_EQ(ap().selectionCount(), 1);
}

TEST_F(Commands, DeleteByWindow) {
    addCircle(0, 0, 20);
    addCircle(10, 10, 20);
    addCircle(80, 80, 20);
    view.startDelete();
    msgs.answers = {true};
    drag(-20, -20, 20, 20);
    ASSERT_EQ(ap().count(), 1);
    EXPECT_EQ(ap().at(0)->centre, P(80, 80));
    EXPECT_FALSE(view.hook().dragWindow);
    view.undo();
    EXPECT_EQ(ap().count(), 3);
    escape();
    EXPECT_FALSE(view.commandActive());
}

TEST_F(Commands, ChangeDrillToolsOnlyTouchesTheFromTool) {
    addCircle(0, 0, 20); // no tool: never selected
    addCircle(10, 0, 20, 3);
    ap().append(PrimitiveRecord::line(u(4), P(-10, 10), P(10, 10)))->toolWord = toolWordFor(3);
    view.startChangeDrillTools(3, 7, u(15));
    EXPECT_EQ(frame.status, "Change Drill Tools: select item or click and drag window...");
    msgs.answers = {true};
    drag(-30, -30, 30, 30);
    ASSERT_EQ(msgs.questions.size(), 1u);
    EXPECT_EQ(msgs.questions[0], "Confirm:|Change?");
    EXPECT_EQ(ap().at(0)->toolWord, 0);
    EXPECT_EQ(ap().at(0)->size, u(20));
    EXPECT_EQ(ap().at(1)->toolWord, 7 + 255);
    EXPECT_EQ(ap().at(1)->size, u(15));
    EXPECT_EQ(ap().at(2)->toolWord, 7 + 255);
    EXPECT_EQ(ap().sizeOfTool(7), u(15));
    click(-5, 0); // the first hit has no tool 3: nothing
    EXPECT_EQ(msgs.beeps.size(), 1u);
    view.undo();
    EXPECT_EQ(ap().at(1)->toolWord, 3 + 255);
}

TEST_F(Commands, QueryCyclesThroughOverlapsAndDescribesThePick) {
    addCircle(0, 0, 20);
    addCircle(10, 0, 20, 3);
    ap().append(PrimitiveRecord::arc(0, 900, u(40), u(2), P(0, 0), P(40, 0), P(0, 40)))->polarity = 0;
    view.startQuery();
    EXPECT_EQ(frame.status, "Query Item: select item...");
    click(5, 0);
    EXPECT_EQ(view.promptText(), "Circle - 0.02000 - T0 - Pos - [0.00000:0.00000]");
    click(5, 0);
    EXPECT_EQ(view.promptText(), "Circle - 0.02000 - T3 - Pos - [0.01000:0.00000]");
    EXPECT_EQ(frame.status, " Circle - 0.02000 - T3 - Pos - [0.01000:0.00000]");
    view.metric = true;
    view.snap = false;
    click(28, 28);
    EXPECT_EQ(view.promptText(),
              "Arc - 2.03200 - T0 - Neg - [1.01600:0.00000, 0.00000:1.01600, Center: 0.00000:0.00000]");
    rightClick();
    EXPECT_FALSE(view.commandActive());
    EXPECT_EQ(ap().selectionCount(), 0);
}

TEST_F(Commands, KeyedPointsDriveCommandsAsClicks) {
    view.startAddLine();
    view.keyedPointEntered(Point{1, 2});
    view.keyedPointEntered(Point{1001, 2});
    ASSERT_EQ(ap().count(), 1);
    EXPECT_EQ(ap().at(0)->start, (Point{1, 2}));
    EXPECT_EQ(ap().at(0)->end, (Point{1001, 2}));
    // Copy picks at the keyed point and places at the next one.
    view.startCopy();
    view.keyedPointEntered(Point{1, 2});
    EXPECT_EQ(ap().selectionCount(), -1);
    view.keyedPointEntered(Point{-5000, 7});
    ASSERT_EQ(ap().count(), 2);
    EXPECT_EQ(ap().at(1)->start, (Point{-5000, 7}));
    // Without a command a keyed point does nothing.
    view.cancelCommand();
    view.keyedPointEntered(Point{0, 0});
    EXPECT_EQ(ap().count(), 2);
}
