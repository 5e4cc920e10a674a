#include "windings/windings.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// The count box can hold anything while it is typed into; only 1..5 secondaries are ever shown and a
// value that is no count (empty, infinite) shows none instead of an undefined conversion.
TEST(Windings, CountBoxValuesShowOneToFiveSecondaries) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> cases[] = {{1.0, 1},
                                            {3.0, 3},
                                            {3.9, 3},
                                            {5.0, 5},
                                            {7.0, 5},
                                            {1e300, 5},
                                            {0.0, 0},
                                            {-2.0, 0},
                                            {kInf, 0},
                                            {-kInf, 0},
                                            {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (auto [value, shown] : cases)
        EXPECT_EQ(windings::countedSecondaries(value), shown) << value;
}

} // namespace
