#include "ui/progress_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

BarRange barRange(std::int64_t min, std::int64_t max, std::int64_t value) {
    max = std::max(max, min);
    value = std::clamp(value, min, max);
    constexpr std::int64_t intMin = std::numeric_limits<int>::min();
    constexpr std::int64_t intMax = std::numeric_limits<int>::max();
    if (min >= intMin && max <= intMax) {
        return {static_cast<int>(min), static_cast<int>(max), static_cast<int>(value)};
    }
    // long double keeps max - min from overflowing when min is negative.
    const long double fraction = (static_cast<long double>(value) - static_cast<long double>(min)) /
                                 (static_cast<long double>(max) - static_cast<long double>(min));
    return {0, kScaledBarMax, static_cast<int>(std::lround(fraction * kScaledBarMax))};
}
