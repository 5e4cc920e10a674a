#include "platform/format.h"
#include "platformtesting/fake_clock.h"

#include <gtest/gtest.h>

namespace {

using korvane::testing::FakeClock;

TEST(FakeClock, IsInForceWhileItLivesAndNestsBack) {
    korvane::Clock& system = korvane::clock();
    {
        FakeClock outer(0, FakeClock::at(2026, 3, 5, 14, 7, 9));
        EXPECT_EQ(&korvane::clock(), &outer);
        {
            FakeClock inner(0, FakeClock::dayOf(2024, 2, 29));
            EXPECT_EQ(korvane::formatTime("%Y-%m-%d %a", korvane::clock().localNow()), "2024-02-29 Thu");
        }
        EXPECT_EQ(&korvane::clock(), &outer);
        EXPECT_EQ(korvane::formatTime("%B %d, %Y %H:%M:%S", korvane::clock().localNow()),
                  "March 05, 2026 14:07:09");
    }
    EXPECT_EQ(&korvane::clock(), &system);
}

TEST(FakeClock, TicksByItsStepAndBySleepsWhichAreRemembered) {
    FakeClock clock(7, FakeClock::dayOf(2026, 12, 8), 100);
    EXPECT_EQ(korvane::clock().tickMs(), 107u);
    EXPECT_EQ(korvane::clock().tickMs(), 114u);
    korvane::clock().sleepMs(10000);
    korvane::clock().sleepMs(80);
    EXPECT_EQ(korvane::clock().tickMs(), 10201u);
    EXPECT_EQ(clock.reads, 3);
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{10000, 80}));
    clock.now += 500;
    clock.step = 0;
    EXPECT_EQ(korvane::clock().tickMs(), 10701u);
}

} // namespace
