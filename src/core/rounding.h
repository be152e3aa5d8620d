// Rounding and truncation used wherever a level, a coordinate or a mean becomes a whole number.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace sonavel {

namespace detail {
template <typename Int>
inline Int SaturatingCast(double x) {
  // Values from files can be far outside any sensible range; converting them must not be
  // undefined behaviour.
  if (std::isnan(x)) return 0;
  constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
  if (x <= lo) return std::numeric_limits<Int>::min();
  if (x >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(x);
}
}  // namespace detail

// Nearest integer, halves to even (42.5 -> 42, 43.5 -> 44, -2.5 -> -2). std::nearbyint follows
// the current rounding mode, which the program never changes from round-to-nearest-even.
inline int64_t RoundHalfEven(double x) { return detail::SaturatingCast<int64_t>(std::nearbyint(x)); }

inline int32_t RoundHalfEven32(double x) { return detail::SaturatingCast<int32_t>(std::nearbyint(x)); }

// Toward zero, as sample counts are derived from durations.
inline int64_t Truncate(double x) { return detail::SaturatingCast<int64_t>(std::trunc(x)); }

}  // namespace sonavel
