#include "ui/progress_scale.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(BarRange, KeepsIntRangesAndScalesWiderOnesInProportion) {
    constexpr std::int64_t big = std::int64_t{1} << 40;
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    struct Row {
        std::int64_t min, max, value;
        int barMin, barMax, barValue;
    };
    const Row rows[] = {
        {0, 102, 50, 0, 102, 50},
        {0, std::numeric_limits<int>::max(), 7, 0, std::numeric_limits<int>::max(), 7},
        {0, big + 2, 0, 0, kScaledBarMax, 0},
        {0, big, big / 4, 0, kScaledBarMax, kScaledBarMax / 4},
        {0, big + 2, big + 2, 0, kScaledBarMax, kScaledBarMax},
        {-most, most, 0, 0, kScaledBarMax, kScaledBarMax / 2},
        // Values outside the range are clamped, since the bar would ignore them.
        {0, 100, 150, 0, 100, 100},
        {0, big, -5, 0, kScaledBarMax, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.min << ".." << row.max << " at " << row.value);
        const BarRange bar = barRange(row.min, row.max, row.value);
        EXPECT_EQ(bar.min, row.barMin);
        EXPECT_EQ(bar.max, row.barMax);
        EXPECT_EQ(bar.value, row.barValue);
    }
}

}  // namespace
