// The argument list of a built-in program call: seven 32-bit words A..G.
// A word holds a single-precision value or, unchanged, a packed name (an
// animation program's operand B, for example); a name's bit pattern may be
// a NaN as a float, so it is never converted or used in arithmetic.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "model/numbers.h"

namespace kelvo {

inline constexpr int k_program_args = 7;

struct ProgramArgs {
  // Words 1..7 (A..G); element 0 unused.
  std::array<std::uint32_t, k_program_args + 1> word{};

  real4 value(int i) const { return std::bit_cast<real4>(word[checked(i)]); }
  void set_value(int i, real4 v) { word[checked(i)] = std::bit_cast<std::uint32_t>(v); }
  // A packed name travels as its bit pattern.
  int4 name(int i) const { return std::bit_cast<int4>(word[checked(i)]); }
  void set_name(int i, int4 code) { word[checked(i)] = std::bit_cast<std::uint32_t>(code); }

 private:
  static std::size_t checked(int i) { return i >= 1 && i <= k_program_args ? static_cast<std::size_t>(i) : 0; }
};

}  // namespace kelvo
