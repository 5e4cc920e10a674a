// Picking and window selection scan boxes kept beside the primitives and test the exact shape of
// candidates only: they must find exactly what testing every primitive finds, and the selection must
// stay consistent through removals, retools and undo.
#include "view_fixture.h"

#include <random>

using namespace lumbra;
using namespace lumbra::testing;

namespace {

// Primitives crowded into a small area so that random points and windows meet many of them; sizes
// are sometimes zero or negative, as a file may hold them.
PrimitiveRecord randomPrimitive(std::mt19937& rng) {
    std::uniform_int_distribution<std::int32_t> coord(-5000, 5000), size(-200, 3000), pick(0, 9);
    auto pt = [&] { return Point{coord(rng), coord(rng)}; };
    PrimitiveRecord p;
    switch (pick(rng) % 5) {
    case 0:
        p = PrimitiveRecord::circle(size(rng), pt());
        break;
    case 1: {
        Point a = pt(), b = pt();
        if (pick(rng) < 3) b.y = a.y; // axis-parallel lines have their own rule
        if (pick(rng) < 2) b.x = a.x;
        p = PrimitiveRecord::line(size(rng), a, b);
        if (pick(rng) < 4) p.toolWord = 5; // extends an axis-parallel line beyond its ends
        break;
    }
    case 2: {
        std::vector<Point> v;
        int n = 1 + pick(rng) % 6;
        Point c = pt();
        for (int i = 0; i < n; ++i)
            v.push_back(Point{c.x + coord(rng) / 3, c.y + coord(rng) / 3});
        v.push_back(v.front());
        p = PrimitiveRecord::polygon(std::move(v));
        break;
    }
    default: {
        std::int32_t r = std::abs(size(rng));
        Point c = pt();
        std::int32_t sweeps[] = {900, -900, 3600, 2700, -1800, 10};
        p = PrimitiveRecord::arc(pick(rng) * 360, sweeps[pick(rng) % 6], r, size(rng) / 5, c,
                                 Point{c.x + r, c.y}, Point{c.x, c.y + r});
    }
    }
    p.toolWord = p.toolWord ? p.toolWord : (pick(rng) < 3 ? 256 + pick(rng) % 3 : 0);
    p.polarity = pick(rng) < 8 ? 1 : 0;
    return p;
}

Point randomPoint(std::mt19937& rng) {
    std::uniform_int_distribution<std::int32_t> coord(-6000, 6000);
    return Point{coord(rng), coord(rng)};
}

bool passes(const PrimitiveRecord& p, int filter) {
    return filter == -1 || std::int64_t(p.toolWord) - 255 == filter;
}

// What a pick must find: the first primitive hit at or after the one after the previous pick.
PrimitiveRecord* slowPick(ApertureRecord& a, Point at, int filter) {
    std::size_t n = static_cast<std::size_t>(a.count()), start = 0;
    if (a.selectionCount() == -1 && a.pick()) {
        long i = a.indexOf(a.pick());
        if (i >= 0 && static_cast<std::size_t>(i) + 1 < n) start = static_cast<std::size_t>(i) + 1;
    }
    for (std::size_t k = 0; k < n; ++k) {
        PrimitiveRecord* q = a.at((start + k) % n);
        if (hitTest(*q, at)) return passes(*q, filter) ? q : nullptr;
    }
    return nullptr;
}

std::vector<Point> definingPoints(const PrimitiveRecord& p) {
    switch (p.type) {
    case AP_CIRCLE:
        return {p.centre};
    case AP_LINE:
    case AP_ARC:
        return {p.start, p.end};
    default:
        return p.vertices;
    }
}

std::vector<PrimitiveRecord*> slowWindow(ApertureRecord& a, Point c1, Point c2, int filter) {
    std::int32_t l = std::min(c1.x, c2.x), r = std::max(c1.x, c2.x), b = std::min(c1.y, c2.y),
                 t = std::max(c1.y, c2.y);
    std::vector<PrimitiveRecord*> out;
    for (int i = 0; i < a.count(); ++i) {
        auto pts = definingPoints(*a.at(i));
        bool all = !pts.empty() && std::all_of(pts.begin(), pts.end(), [&](Point q) {
            return q.x >= l && q.x <= r && q.y >= b && q.y <= t;
        });
        if (all && passes(*a.at(i), filter)) out.push_back(a.at(i));
    }
    return out;
}

int flagged(const ApertureRecord& a) {
    int n = 0;
    for (int i = 0; i < a.count(); ++i)
        n += a.at(i)->selected;
    return n;
}

} // namespace

TEST(PrimitiveBoxes, HoldEveryPointTheExactHitTestAccepts) {
    std::mt19937 rng(11);
    long hits = 0, misses = 0;
    for (int i = 0; i < 3000; ++i) {
        PrimitiveRecord p = randomPrimitive(rng);
        Box box = hitBox(p);
        for (int k = 0; k < 200; ++k) {
            Point at = randomPoint(rng);
            if (!hitTest(p, at)) continue;
            ++hits;
            if (!box.holds(at)) {
                ++misses;
                ADD_FAILURE() << "type " << p.type << " size " << p.size << " at " << at.x << "," << at.y;
            }
        }
    }
    EXPECT_GT(hits, 10000); // the cases really reach the shapes
    EXPECT_EQ(misses, 0);
}

TEST_F(ViewTest, PicksAndWindowsFindWhatTestingEveryPrimitiveFinds) {
    std::mt19937 rng(5);
    for (int i = 0; i < 1500; ++i)
        ap().append(randomPrimitive(rng));
    int picked = 0, selected = 0;
    for (int k = 0; k < 400; ++k) {
        Point at = randomPoint(rng);
        int filter = k % 4 == 0 ? 1 : -1;
        PrimitiveRecord* expected = slowPick(ap(), at, filter);
        ASSERT_EQ(view.pickAt(at, filter), expected) << "pick " << k;
        picked += expected != nullptr;
        // The same point again cycles to the next overlapping primitive, as the slow walk does.
        expected = slowPick(ap(), at, filter);
        ASSERT_EQ(view.pickAt(at, filter), expected) << "repeated pick " << k;
    }
    for (int k = 0; k < 200; ++k) {
        Point a = randomPoint(rng), b = randomPoint(rng);
        int filter = k % 3 == 0 ? 2 : -1;
        auto expected = slowWindow(ap(), a, b, filter);
        EXPECT_EQ(view.selectWindow(a, b, filter), static_cast<int>(expected.size()));
        ASSERT_EQ(ap().selectedMembers(), expected) << "window " << k;
        // Only the selection carries the flag: clearing what was selected before left nothing behind.
        EXPECT_EQ(flagged(ap()), static_cast<int>(expected.size()));
        selected += static_cast<int>(expected.size());
    }
    EXPECT_GT(picked, 100);
    EXPECT_GT(selected, 1000);
}

TEST_F(ViewTest, BoxesAndTheExtentFollowAppendsRemovalsRetoolsAndUndo) {
    std::mt19937 rng(9);
    for (int i = 0; i < 300; ++i)
        ap().append(randomPrimitive(rng));
    std::uniform_int_distribution<int> op(0, 5);
    for (int step = 0; step < 300; ++step) {
        auto member = [&] { return ap().at(std::uniform_int_distribution<int>(0, ap().count() - 1)(rng)); };
        switch (op(rng)) {
        case 0:
            ap().append(randomPrimitive(rng));
            break;
        case 1:
            if (ap().count() > 10) ap().remove(member());
            break;
        case 2:
            if (ap().count() > 10) ap().removeAll({member(), member(), member()});
            break;
        case 3:
            ap().retool(*member(), std::uniform_int_distribution<std::int32_t>(0, 4000)(rng), 5 - 255);
            break;
        case 4:
            ap().snapshot();
            ap().remove(member());
            ap().append(randomPrimitive(rng));
            break;
        default:
            ap().undo();
        }
        Point at = randomPoint(rng);
        PrimitiveRecord* expected = slowPick(ap(), at, -1);
        ASSERT_EQ(view.pickAt(at, -1), expected) << "after step " << step;
        Point a = randomPoint(rng), b = randomPoint(rng);
        auto inside = slowWindow(ap(), a, b, -1);
        view.selectWindow(a, b, -1);
        ASSERT_EQ(ap().selectedMembers(), inside) << "after step " << step;
        // The kept extent matches one worked out afresh from copies of the members.
        ApertureRecord fresh;
        for (const auto& p : ap().primitives())
            fresh.append(p->copy());
        std::int64_t sx = 0, sy = 0, fx = 0, fy = 0;
        ap().extentUnits(sx, sy);
        fresh.extentUnits(fx, fy);
        ASSERT_EQ(sx, fx) << "after step " << step;
        ASSERT_EQ(sy, fy) << "after step " << step;
    }
}

TEST_F(ViewTest, SelectedMembersThatLeaveTheListLeaveTheSelection) {
    PrimitiveRecord* a = addCircle(0, 0, 10);
    PrimitiveRecord* b = addCircle(10, 0, 10);
    PrimitiveRecord* c = addCircle(20, 0, 10);
    ASSERT_EQ(view.selectWindow(P(-5, -5), P(25, 5), -1), 3);
    ASSERT_EQ(ap().removeAll({a, c}), 2u);
    EXPECT_EQ(ap().selectionCount(), 1);
    ASSERT_EQ(ap().selectedMembers(), std::vector<PrimitiveRecord*>{b});
    ASSERT_EQ(ap().selectionCopies().size(), 1u);
    EXPECT_EQ(ap().selectionCopies()[0]->origin, b);
    auto gone = ap().remove(b);
    EXPECT_EQ(ap().selectionCount(), 0);
    EXPECT_TRUE(ap().selectedMembers().empty());
    ap().clearSelection(); // touches nothing that left the list
    EXPECT_EQ(gone->selected, 1);

    // A pick keeps its place when an earlier member goes, so the next pick still cycles onwards.
    PrimitiveRecord* d = addCircle(0, 0, 10);
    PrimitiveRecord* e = addCircle(0, 0, 10);
    PrimitiveRecord* f = addCircle(0, 0, 10);
    ASSERT_EQ(view.pickAt(P(0, 0), -1), d);
    ASSERT_EQ(view.pickAt(P(0, 0), -1), e);
    ap().remove(d);
    EXPECT_EQ(ap().pickIndex(), 0);
    EXPECT_EQ(view.pickAt(P(0, 0), -1), f);
}
