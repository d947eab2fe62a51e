// Number types and the arithmetic helpers of the engine.
// A value that every operation rounds to single precision (the clock,
// the record words, the statistics) is `real4`, one carried in double
// precision `real8`, a 16-bit word `int2`. The helpers give the truncating
// and rounding rules of the engine's arithmetic in one place.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace kelvo {

using real4 = float;
using real8 = double;
using int2 = std::int16_t;
using int4 = std::int32_t;

// A 1-based table index (already checked by the caller) as an array
// subscript; element 0 of every table is unused.
inline constexpr std::size_t ix(int i) { return static_cast<std::size_t>(i); }

// Truth values stored in the shared tables: -1 true, 0 false.
inline constexpr int4 k_true = -1;
inline constexpr int4 k_false = 0;
inline constexpr int4 truth(bool b) { return b ? k_true : k_false; }

// Truncation toward zero into 32 bits, saturating instead of overflowing
// (a plain cast of an out-of-range value is undefined). NaN gives 0.
inline int4 trunc_i32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int4>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int4>::min();
  return static_cast<int4>(v);
}

// Nearest integer, halves away from zero, saturating.
inline int4 nint(double v) { return trunc_i32(v < 0 ? v - 0.5 : v + 0.5); }

// Remainder with the sign of the dividend.
inline double amod(double a, double b) { return std::fmod(a, b); }
inline float amod(float a, float b) { return std::fmod(a, b); }

// Narrowing to a 16-bit word, saturating.
inline int2 to_int2(long v) {
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<int2>(v);
}

}  // namespace kelvo
