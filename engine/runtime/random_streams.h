// Random-number streams RN1..RN50: the two generators, the preset values
// of stream 1, the seeds of each run, and the variates built on a draw.
// Takes the seeds in RandomState and the seed rows; produces uniform
// numbers in [0, 1] (single precision) and the derived variates.
#pragma once

#include <cstdint>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

real4 draw_random_number(Engine& e, int j);
real4 draw_rn_prime_modulus(Engine& e, int j);
real4 uniform_variate(Engine& e, real4 a, real4 b);
real4 normal_variate(Engine& e, int j);
real4 erlang_variate(Engine& e, int t, int j);
real4 triangular_variate(Engine& e, int t, int j);
[[noreturn]] void report_zero_division(Engine& e);
void init_seed_table(Engine& e);
// Run r's seeds (its row, or a SEEDS statement's), which also start the
// preset numbers of stream 1 again; a run without seeds of its own keeps
// the streams as they are. Then one number of each stream from 2 on is
// passed over.
void load_run_seeds(Engine& e, int r);
// RMUIN: row 1 of the seed table gives streams 1..8 the seed 2p + 1,
// p the value the program left in its seed word.
void set_run_seeds(Engine& e);
// Run control's seed reset: seed(j) = 2j + 1 for every stream, stream 1
// from its first preset number.
void reset_stream_seeds(Engine& e);

// One step of the multiplicative generator: (69069 * s) mod 2^31.
inline int4 next_seed_69069(int4 s) {
  const std::uint64_t v = static_cast<std::uint64_t>(static_cast<std::uint32_t>(s) & 0x7FFFFFFFu);
  return static_cast<int4>((v * 69069u) & 0x7FFFFFFFu);
}

// Seed of the second generator for a stream seed s: the start value
// stepped (s-1)/2 - 1 times by the three multipliers, as a power.
int4 second_generator_seed(int4 s);

}  // namespace kelvo
