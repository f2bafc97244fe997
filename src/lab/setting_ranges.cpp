#include "lab/setting_ranges.h"

#include <cmath>

std::optional<int> SettingRange::read(double value) const
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double units = value / unit;
    const double whole = std::round(units);
    // Written in decimals, 0,0025 s is 24,999999999999996 tenths of a millisecond.
    if (std::abs(units - whole) > 1e-6 * std::max(1.0, std::abs(whole)) || whole < low || whole > high)
        return std::nullopt;
    const int n = int(whole);
    if (n % step != 0)
        return std::nullopt;
    return n;
}
