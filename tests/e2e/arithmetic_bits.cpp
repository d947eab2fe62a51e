// Prints the bits of the engine's arithmetic functions on one fixed table
// of arguments, one result a line ("function argument result", in hex).
// Built against each build's own library of the functions, the Linux and
// the Windows program must print the same lines (.ci/steps/25-windows-e2e.sh).
// The arguments are made from integers only, so both builds take the same.
#include "model/elementary_functions.h"

#include <bit>
#include <cstdint>
#include <cstdio>

namespace {

std::uint64_t state = 0x2545F4914F6CDD1Dull;
// The next number of a 64-bit xorshift generator.
std::uint64_t next() {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return state;
}

void line(const char* name, std::uint64_t argument, std::uint64_t result) {
  std::printf("%s %08x%08x %08x%08x\n", name, static_cast<unsigned>(argument >> 32), static_cast<unsigned>(argument),
              static_cast<unsigned>(result >> 32), static_cast<unsigned>(result));
}

}  // namespace

int main() {
  constexpr int n = 40000;
  for (int i = 0; i < n; ++i) {
    // Any positive finite double, and doubles within 2^-20 of 1.
    std::uint64_t b = next() % 0x7ff0000000000000ull;
    if (i % 2 == 1) b = 0x3ff0000000000000ull - (1ull << 32) + (next() % (1ull << 33));
    if (b == 0) b = 1;
    line("log8", b, std::bit_cast<std::uint64_t>(kelvo::log_real8(std::bit_cast<double>(b))));
  }
  for (int i = 0; i < n; ++i) {
    const std::uint32_t b = static_cast<std::uint32_t>(next() % 0x7f800000u) | 1u;
    line("log4", b, std::bit_cast<std::uint32_t>(kelvo::log_real4(std::bit_cast<float>(b))));
  }
  for (int i = 0; i < n; ++i) {
    // Floats in (0, 1], as the exponential variate takes them, in double.
    const std::uint32_t b = static_cast<std::uint32_t>(next() % 0x3f800000u) + 1u;
    line("logf", b, std::bit_cast<std::uint64_t>(kelvo::log_of_real4(std::bit_cast<float>(b))));
  }
  for (int i = 0; i < n; ++i) {
    // |x| below 128: the whole range up to overflow and past underflow.
    const std::uint32_t b = static_cast<std::uint32_t>(next() % 0x43000000u) | (i % 2 == 0 ? 0x80000000u : 0u);
    line("exp4", b, std::bit_cast<std::uint32_t>(kelvo::exp_real4(std::bit_cast<float>(b))));
  }
  for (int i = 0; i < n; ++i) {
    // Any finite float, and |x| below 2^14.
    std::uint32_t b = static_cast<std::uint32_t>(next() % 0x7f800000u);
    if (i % 2 == 1) b = static_cast<std::uint32_t>(next() % 0x46800000u);
    b |= static_cast<std::uint32_t>(next() & 0x80000000u);
    line("sin4", b, std::bit_cast<std::uint32_t>(kelvo::sin_real4(std::bit_cast<float>(b))));
  }
  return 0;
}
