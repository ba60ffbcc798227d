#pragma once
// Small numeric helpers shared by the protocol, the display and the files.
#include <cmath>
#include <cstdint>
#include <limits>

namespace tovan {

// Empty sample marker: never drawn, never counted.
inline constexpr int32_t No_Sample = 2147483647;

// Round half away from zero (2.5 -> 3, -2.5 -> -3).
inline double Round_Half(double v) { return std::round(v); }

// Conversions that saturate instead of invoking undefined behaviour on
// out-of-range or non-finite values (hand-edited files can hold anything).
inline int64_t Sat_I64(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (v <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);  // truncation toward zero
}
inline int32_t Sat_I32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}
inline int32_t Round_Half_I32(double v) { return Sat_I32(Round_Half(v)); }

template <typename T>
constexpr T Clamp(T v, T lo, T hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace tovan
