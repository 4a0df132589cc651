// Fits the engine's 64-bit progress into the int range that progress bars take.
#pragma once

#include <cstdint>

struct BarRange {
    int min;
    int max;
    int value;
};

// The maximum that a range too wide for an int is scaled to.
inline constexpr int kScaledBarMax = 10000;

// A range that fits an int is kept; a wider one becomes 0..kScaledBarMax with the value in
// proportion. The value is clamped into the range, since the bar ignores values outside it.
BarRange barRange(std::int64_t min, std::int64_t max, std::int64_t value);
