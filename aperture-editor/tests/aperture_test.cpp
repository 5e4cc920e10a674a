#include "lumbra/aperture.h"
#include "lumbra/units.h"

#include <gtest/gtest.h>

#include <climits>

using namespace lumbra;

TEST(Units, RoundHalfAwayFromZeroAndConversions) {
    EXPECT_EQ(roundHalfAway(2.5), 3);
    EXPECT_EQ(roundHalfAway(-2.5), -3);
    EXPECT_EQ(roundHalfAway(-2.4), -2);
    EXPECT_EQ(toUnits(1.0, false), 2540000);
    EXPECT_EQ(toUnits(-0.015, false), -38100);
    EXPECT_EQ(toUnits(0.5, true), 50000);
    EXPECT_EQ(toUnits(1e30, false), INT32_MAX); // clamped, not undefined
    EXPECT_NEAR(toLength(2540000, false), 1.0, 1e-12);
    EXPECT_NEAR(toLength(50000, true), 0.5, 1e-12);
}

struct SizeCase {
    const char* what;
    PrimitiveRecord p;
    std::int64_t sx, sy;
};

class ComputeSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ComputeSize, FullOriginCentredBox) {
    ApertureRecord a;
    a.append(GetParam().p);
    std::int64_t sx, sy;
    a.extentUnits(sx, sy);
    EXPECT_EQ(sx, GetParam().sx);
    EXPECT_EQ(sy, GetParam().sy);
    a.computeSize();
    EXPECT_NEAR(a.xSize, toLength(static_cast<double>(GetParam().sx), false), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    EachType, ComputeSize,
    ::testing::Values(
        // 1 mm circle at (2 mm, 0): 2 x (2 + 0.5) mm.
        SizeCase{"circle", PrimitiveRecord::circle(100000, {200000, 0}), 500000, 100000},
        // Odd diameter halves by truncation; a negative centre counts by its magnitude.
        SizeCase{"circleOdd", PrimitiveRecord::circle(7, {-10, 3}), 26, 12},
        SizeCase{"horizontalLine", PrimitiveRecord::line(10, {-100, 20}, {50, 20}), 200, 50},
        SizeCase{"verticalLine", PrimitiveRecord::line(10, {30, -70}, {30, 10}), 70, 140},
        // Diagonal: corners are the ends moved by 5 at right angles: (-5+0, 5) ... (-3.54, 3.54).
        SizeCase{"diagonalLine", PrimitiveRecord::line(10, {0, 0}, {100, 100}), 208, 208},
        // Last (repeated) vertex is not a distinct vertex but equals the first anyway.
        SizeCase{"polygon", PrimitiveRecord::polygon({{-5, 1}, {3, -9}, {4, 4}, {-5, 1}}), 10, 18},
        // Arc: full circle of diameter 2r + width whatever the sweep.
        SizeCase{"arc", PrimitiveRecord::arc(0, 900, 100, 20, {10, -10}, {110, -10}, {10, 90}), 240, 240},
        // Values that overflow 32 bits in the intermediate sum stay exact.
        SizeCase{"huge", PrimitiveRecord::circle(INT32_MAX, {INT32_MIN, INT32_MAX}),
                 2 * (2147483648LL + 1073741823LL), 2 * (2147483647LL + 1073741823LL)}),
    [](const auto& p) { return std::string(p.param.what); });

TEST(ComputeSize, PerpendicularCornersOfASteepLine) {
    // A steep line (dx 30, dy 400) of width 200: the body is 100 either side at right angles.
    ApertureRecord a;
    a.append(PrimitiveRecord::line(200, {0, 0}, {30, 400}));
    std::int64_t sx, sy;
    a.extentUnits(sx, sy);
    // Offset (-dy, dx)/len * 100 = (-99.72, 7.48): x corners reach 30 + 100 = 130 and -100.
    EXPECT_EQ(sx, 2 * 130);
    EXPECT_EQ(sy, 2 * 407);
}

class ApertureOps : public ::testing::Test {
  protected:
    ApertureRecord a;
    PrimitiveRecord* c1 = nullptr;
    PrimitiveRecord* l1 = nullptr;
    PrimitiveRecord* g1 = nullptr;
    void SetUp() override {
        c1 = a.append(PrimitiveRecord::circle(100, {0, 0}));
        l1 = a.append(PrimitiveRecord::line(20, {0, 0}, {100, 0}));
        g1 = a.append(PrimitiveRecord::polygon({{0, 0}, {10, 0}, {10, 10}, {0, 0}}));
        a.setModified(false);
    }
};

TEST_F(ApertureOps, RemoveByIdentityKeepsOrderAndIgnoresStrangers) {
    PrimitiveRecord outsider = PrimitiveRecord::circle(1, {0, 0});
    EXPECT_EQ(a.remove(&outsider), nullptr);
    EXPECT_FALSE(a.modified());
    auto gone = a.remove(l1);
    ASSERT_EQ(gone.get(), l1); // handed back, not freed
    EXPECT_TRUE(a.modified());
    ASSERT_EQ(a.count(), 2);
    EXPECT_EQ(a.at(0), c1);
    EXPECT_EQ(a.at(1), g1);
    // The tail moves: a new primitive lands after the polygon.
    auto* c2 = a.append(PrimitiveRecord::circle(5, {1, 1}));
    EXPECT_EQ(a.at(2), c2);
}

TEST_F(ApertureOps, AppendClearsSelectedFlagAndClosingSuppressesTheMark) {
    PrimitiveRecord p = PrimitiveRecord::circle(3, {0, 0});
    p.selected = 1;
    EXPECT_EQ(a.append(p)->selected, 0);
    EXPECT_TRUE(a.modified());
    a.setModified(false);
    a.closing = true;
    a.append(PrimitiveRecord::circle(3, {0, 0}));
    a.retool(*c1, 4, 2);
    EXPECT_FALSE(a.modified());
}

TEST_F(ApertureOps, RetoolAndSizeOfTool) {
    a.retool(*g1, 999, 7); // polygon keeps having no size
    a.retool(*l1, 55, 7);
    a.retool(*c1, -1, 3);
    EXPECT_EQ(c1->size, 100);
    EXPECT_EQ(c1->toolWord, 258);
    EXPECT_EQ(l1->size, 55);
    EXPECT_TRUE(a.modified());
    EXPECT_EQ(a.sizeOfTool(3), 100);
    EXPECT_EQ(a.sizeOfTool(7), 55); // the line comes first in list order
    EXPECT_EQ(a.sizeOfTool(9), -1);
    a.remove(c1);
    a.remove(l1);
    EXPECT_EQ(a.sizeOfTool(7), -1); // first match is the polygon
    PrimitiveRecord odd;
    odd.type = 99;
    a.retool(odd, 5, 5);
    EXPECT_EQ(odd.toolWord, 0);
}

TEST_F(ApertureOps, TranslateMovesEveryCoordinate) {
    PrimitiveRecord arc = PrimitiveRecord::arc(0, 900, 10, 1, {1, 2}, {3, 4}, {5, 6});
    ApertureRecord::translate(arc, -10, 20);
    EXPECT_EQ(arc.centre, (Point{-9, 22}));
    EXPECT_EQ(arc.start, (Point{-7, 24}));
    EXPECT_EQ(arc.end, (Point{-5, 26}));
    ApertureRecord::translate(*g1, 1, 1);
    EXPECT_EQ(g1->vertices.back(), (Point{1, 1}));
    EXPECT_FALSE(a.modified());
}

TEST_F(ApertureOps, UndoRestoresListAndSingleOrWindowSelection) {
    a.undo(); // no snapshot: nothing happens
    EXPECT_EQ(a.count(), 3);
    EXPECT_FALSE(a.modified());

    a.setPick(l1);
    a.snapshot();
    a.retool(*l1, 1, 1);
    a.append(PrimitiveRecord::circle(1, {9, 9})); // added after the snapshot: lost
    a.undo();
    ASSERT_EQ(a.count(), 3);
    EXPECT_EQ(a.at(1)->type, AP_LINE);
    EXPECT_EQ(a.at(1)->size, 20);
    EXPECT_EQ(a.selectionCount(), -1);
    EXPECT_EQ(a.pick(), a.at(1));
    EXPECT_FALSE(a.hasSnapshot());

    a.clearSelection();
    a.addWindowSelection(a.at(0));
    a.addWindowSelection(a.at(2));
    a.snapshot();
    a.removeAll({a.at(0), a.at(2)});
    EXPECT_EQ(a.count(), 1);
    a.undo();
    ASSERT_EQ(a.count(), 3);
    ASSERT_EQ(a.selectionCount(), 2);
    EXPECT_EQ(a.selectionCopies()[0]->origin, a.at(0));
    EXPECT_EQ(a.selectionCopies()[1]->origin, a.at(2));
    EXPECT_EQ(a.at(1)->selected, 0);
}

TEST_F(ApertureOps, CopiesPointAtTheirSourceAndResetForgetsEverything) {
    a.addWindowSelection(l1);
    EXPECT_EQ(a.selectionCopies()[0]->origin, l1);
    EXPECT_EQ(a.selectionCopies()[0]->end, l1->end);
    a.snapshot();
    a.reset("pad", 0.2, 0.3);
    EXPECT_EQ(a.name(), "pad");
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(a.selectionCount(), 0);
    EXPECT_FALSE(a.hasSnapshot());
    EXPECT_FALSE(a.modified());
}
