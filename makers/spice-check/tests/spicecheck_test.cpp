#include "spicecheck/spicecheck.h"

#include <gtest/gtest.h>

// The harness must be able to fail: a broken circuit has to show up as errors, not as a quiet pass.
TEST(SpiceCheck, ReportsPrintedValuesAndCircuitErrors) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    auto good =
        spicecheck::run(spicecheck::circuit("", "V1 a 0 DC 2\nR1 a b 1k\nR2 b 0 3k\n", {"op", "print v(b)"}));
    ASSERT_TRUE(good.started);
    EXPECT_TRUE(good.errors.empty()) << good.output;
    ASSERT_TRUE(good.values.count("v(b)")) << good.output;
    EXPECT_NEAR(good.values["v(b)"], 1.5, 1e-9);

    auto bad = spicecheck::run(spicecheck::circuit("", "X1 a 0 nosuch\nR1 a 0 1k\n", {"op", "print v(a)"}));
    EXPECT_FALSE(bad.errors.empty()) << bad.output;
    EXPECT_FALSE(bad.values.count("v(a)"));
}

TEST(SpiceCheck, ReadsSweepColumns) {
    if (!spicecheck::available()) GTEST_SKIP() << "ngspice is not installed";
    auto r =
        spicecheck::run(spicecheck::circuit("", "V1 a 0 DC 0\nR1 a 0 2\n", {"dc V1 0 4 1", "print i(V1)"}));
    auto current = spicecheck::column(r.output, "i(v1)");
    ASSERT_EQ(current.size(), 5u) << r.output;
    EXPECT_NEAR(current[4], -2.0, 1e-9);
}
