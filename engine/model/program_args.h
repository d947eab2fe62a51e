// The argument list of a built-in program call: seven arguments A..G.
// An argument is a single-precision value or a packed name (an animation
// program's operand B, for example). A name travels as its own code beside
// the value, never inside the value's bits, so no program can read a name
// as a number by mistake.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "model/numbers.h"

namespace kelvo {

inline constexpr int k_program_args = 7;

struct ProgramArgs {
  // Element 0 unused. `word` holds each value's bits, so that a result can
  // be told from the value given even when it is not a number.
  std::array<std::uint32_t, k_program_args + 1> word{};
  std::array<int4, k_program_args + 1> code{};    // the packed name of a name argument
  std::array<bool, k_program_args + 1> is_code{}; // the argument is a name, not a value

  real4 value(int i) const { return std::bit_cast<real4>(word[checked(i)]); }
  void set_value(int i, real4 v) {
    const std::size_t k = checked(i);
    word[k] = std::bit_cast<std::uint32_t>(v);
    code[k] = 0;
    is_code[k] = false;
  }
  // A name: its packed code; its value is 0.
  int4 name(int i) const { return code[checked(i)]; }
  bool is_name(int i) const { return is_code[checked(i)]; }
  void set_name(int i, int4 packed) {
    const std::size_t k = checked(i);
    word[k] = 0;
    code[k] = packed;
    is_code[k] = true;
  }

 private:
  static std::size_t checked(int i) { return i >= 1 && i <= k_program_args ? static_cast<std::size_t>(i) : 0; }
};

}  // namespace kelvo
