// The engine's random-number generator, for the hand-written references:
// seed = 69069 * seed mod 2^31, the number drawn seed / 2^31.
#pragma once

#include <cstdint>

struct Stream {
  std::uint64_t seed;
  double next() {
    seed = (69069u * seed) % 2147483648u;
    return static_cast<double>(seed) / 2147483648.0;
  }
};
