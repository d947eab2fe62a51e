// Random-number streams RN1..RN50: the two generators, the preset values
// of stream 1, the seeds of each run, and the variates built on a draw.
// Takes the seeds in RandomState and the seed rows; produces uniform
// numbers in [0, 1] (single precision) and the derived variates.
#pragma once

#include <cstdint>

#include "model/engine.h"
#include "model/numbers.h"

namespace kelvo {

// A draw of stream j by every rule: a stream number outside 1..50 stops
// the engine, the second generator, stream 1's preset numbers and its
// scrambled small seeds, the mirrored draws of SIMULATE B.
real4 draw_random_number_general(Engine& e, int j);
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

inline constexpr real4 k_two_31 = 2147483648.0f;

// A uniform number of stream j in [0, 1). Most draws are a step of the
// multiplicative generator, made here; the others (stream 1 while its
// preset numbers last or its seed is small, the second generator, the
// mirrored draws, a stream outside 1..50) by every rule.
inline real4 draw_random_number(Engine& e, int j) {
  RandomState& r = e.rn;
  const bool plain = j >= 1 && j <= k_rn_stream_max && !r.second_generator && !e.ent.steps.simulate_b_flag &&
                     (j != 1 || (r.seed[1] != 3 && (r.preset_count != 0 || r.seed[1] >= 1000)));
  if (!plain) return draw_random_number_general(e, j);
  int4& seed = r.seed[static_cast<std::size_t>(j)];
  seed = next_seed_69069(seed);
  return static_cast<real4>(seed) / k_two_31;
}

// Seed of the second generator for a stream seed s: the start value
// stepped (s-1)/2 - 1 times by the three multipliers, as a power.
int4 second_generator_seed(int4 s);

}  // namespace kelvo
