// Random-number streams: the multiplicative generator (69069) with its
// preset start values on stream 1, the second (prime-modulus) generator,
// the seed rows of the runs and the variates built on one draw.
// Takes the seeds of the engine; produces single-precision numbers.
#include "runtime/random_streams.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "io/fixed_format.h"
#include "model/elementary_functions.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

namespace {

// The preset uniform numbers that replace the first hundred draws of
// stream 1 under its default seed.
constexpr real4 k_preset_a[k_preset_count] = {
    0.037877001f, 0.377027f, 0.232987f, 0.407058f, 0.93486798f, 0.073541999f,
    0.43494901f, 0.41754299f, 0.28598899f, 0.114925f, 0.141378f, 0.86938298f,
    0.121437f, 0.53874803f, 0.62844503f, 0.123746f, 0.50127f, 0.37869099f,
    0.83176202f, 0.88803101f, 0.826491f, 0.23038501f, 0.76105398f, 0.67503297f,
    0.400718f, 0.40081799f, 0.215149f, 0.50897098f, 0.69612402f, 0.824018f,
    0.946666f, 0.470083f, 0.79055703f, 0.69291401f, 0.52086997f, 0.056687001f,
    0.35261101f, 0.149533f, 0.74436098f, 0.98246002f, 0.63352698f, 0.26401299f,
    0.125578f, 0.077935003f, 0.87952501f, 0.27138799f, 0.82051003f, 0.79304099f,
    0.22295301f, 0.67931902f, 0.36752751f, 0.96630222f, 0.47379699f, 0.69866312f,
    0.92168081f, 0.0923426f, 0.72125173f, 0.2268025f, 0.066964f, 0.55256528f,
    0.24214309f, 0.60911143f, 0.044730999f, 0.2268724f, 0.0300836f, 0.84709072f,
    0.59816682f, 0.98688972f, 0.2228602f, 0.9373306f, 0.52265912f, 0.25016499f,
    0.9308809f, 0.208159f, 0.84683847f, 0.18296941f, 0.50088727f, 0.58461738f,
    0.4167974f, 0.87420821f, 0.61762869f, 0.71859258f, 0.2232462f, 0.55683208f,
    0.84322238f, 0.37853131f, 0.0025334f, 0.52268988f, 0.95340508f, 0.4055509f,
    0.47485009f, 0.84482741f, 0.56327099f, 0.8576498f, 0.23959561f, 0.52822119f,
    0.2106268f, 0.047357999f, 0.54214013f, 0.2157256f,
};
constexpr real4 k_preset_b[k_preset_count] = {
    0.27029547f, 0.49935398f, 0.73977083f, 0.20409259f, 0.12066708f, 0.76843464f,
    0.44039434f, 0.85945803f, 0.79236639f, 0.092539385f, 0.065735698f, 0.18580866f,
    0.33622599f, 0.88983637f, 0.73387128f, 0.2523278f, 0.80762357f, 0.68436396f,
    0.50716114f, 0.69017112f, 0.69139302f, 0.46221909f, 0.82551897f, 0.097686477f,
    0.7279399f, 0.57065272f, 0.31591836f, 0.46599424f, 0.94637132f, 0.62684155f,
    0.5851841f, 0.96600205f, 0.91167367f, 0.055483054f, 0.97108775f, 0.66539842f,
    0.22260271f, 0.77573365f, 0.2803221f, 0.34010714f, 0.63157737f, 0.84248811f,
    0.13852373f, 0.50957489f, 0.41394544f, 0.64690393f, 0.20241652f, 0.67693895f,
    0.091750272f, 0.16809009f, 0.36385f, 0.85416603f, 0.77449733f, 0.56609595f,
    0.92197627f, 0.59114945f, 0.087677822f, 0.95899874f, 0.55819285f, 0.24163862f,
    0.65253961f, 0.074252456f, 0.23861566f, 0.71646971f, 0.98566794f, 0.39647415f,
    0.54307926f, 0.20548265f, 0.10961216f, 0.51050854f, 0.74458355f, 0.39663601f,
    0.29064539f, 0.32759935f, 0.44978485f, 0.10596094f, 0.62572759f, 0.60139275f,
    0.24658719f, 0.35823038f, 0.48670262f, 0.59296709f, 0.95448989f, 0.077297129f,
    0.053673111f, 0.63698757f, 0.88350964f, 0.7307564f, 0.85443664f, 0.075750433f,
    0.085238591f, 0.59713912f, 0.7793864f, 0.96136147f, 0.32918864f, 0.81378233f,
    0.38556504f, 0.56621951f, 0.64177126f, 0.48361242f,
};

constexpr std::int64_t k_prime = 2147483647;  // 2^31 - 1

bool stream_ok(int j) { return j >= 1 && j <= k_rn_stream_max; }
bool run_row_ok(const Engine& e, int r) {
  return r >= 0 && r < static_cast<int>(e.ent.steps.seed_table.size());
}

[[noreturn]] void illegal_stream(Engine& e, int j) {
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(" RN").i(j, j < 10 ? 1 : 2).lit(" is illegal random number stream"));
  stop_program(e);
}

int4 prime_step(int4 s, std::int64_t a) {
  std::int64_t v = (static_cast<std::int64_t>(s) * a) % k_prime;
  if (v < 0) v += k_prime;
  return static_cast<int4>(v);
}

std::int64_t mul_mod(std::int64_t a, std::int64_t b) { return (a * b) % k_prime; }

// The seeds that a SEEDS statement gave for START start_number replace
// the standard ones; false when it gave none.
bool load_start_seeds(Engine& e, int start_number, int4* seeds, int streams) {
  if (start_number < 0 || start_number > k_max_runs + 1) return false;
  const int row = e.ent.steps.seeds_row_of_start[start_number];
  if (row <= 0 || row > k_max_runs + 1) return false;
  for (int j = 1; j <= streams && j <= k_rn_stream_max; ++j) {
    if (e.ent.steps.seed_table[row][j] != 0) seeds[j] = e.ent.steps.seed_table[row][j];
  }
  return true;
}

}  // namespace

real4 draw_random_number_general(Engine& e, int j) {
  if (!stream_ok(j)) illegal_stream(e, j);
  RandomState& r = e.rn;
  real4 u;
  if (r.second_generator) {
    u = draw_rn_prime_modulus(e, j);
  } else {
    bool preset = false;
    if (j == 1) {
      if (r.seed[1] == 3) {
        r.preset_count += 1;
        if (r.preset_count <= k_preset_count) {
          if (!r.preset_loaded) init_seed_table(e);
          u = r.preset_values[static_cast<std::size_t>(r.preset_count)];
          preset = true;
        } else {
          r.preset_count = k_preset_count + 1;  // stays past the table
        }
      } else if (r.preset_count == 0 && r.seed[1] < 1000) {
        // A small stream-1 seed is scrambled once per draw.
        const std::int64_t v = static_cast<std::int64_t>(r.seed[1]) * 5431 + 4;
        r.seed[1] = static_cast<int4>(v & 0x7FFFFFFF);
      }
    }
    if (!preset) {
      r.seed[static_cast<std::size_t>(j)] = next_seed_69069(r.seed[static_cast<std::size_t>(j)]);
      u = static_cast<real4>(r.seed[static_cast<std::size_t>(j)]) / k_two_31;
    }
  }
  if (e.ent.steps.simulate_b_flag) u = 1.0f - u;
  return u;
}

real4 draw_rn_prime_modulus(Engine& e, int j) {
  RandomState& r = e.rn;
  if (j < 1 || j > k_seed2_streams) {
    // Only streams 1..8 have seeds of the second generator; the others
    // keep drawing from their own multiplicative stream.
    r.seed[static_cast<std::size_t>(j)] = next_seed_69069(r.seed[static_cast<std::size_t>(j)]);
    return static_cast<real4>(r.seed[static_cast<std::size_t>(j)]) / k_two_31;
  }
  int4 s = r.seed2[static_cast<std::size_t>(j)];
  s = prime_step(s, 24112);
  s = prime_step(s, 26143);
  r.seed2[static_cast<std::size_t>(j)] = s;
  return static_cast<real4>(2 * (s / 256) + 1) / 16777216.0f;
}

int4 second_generator_seed(int4 s) {
  const std::int64_t k = (static_cast<std::int64_t>(s) - 1) / 2;
  std::int64_t x = 1973272912;
  if (k < 2) return static_cast<int4>(x);
  // Each step multiplies by 715, 1058 and 1385 modulo the prime: k - 1
  // steps are one multiplication by the product raised to k - 1.
  std::int64_t base = mul_mod(mul_mod(715, 1058), 1385);
  std::int64_t n = k - 1;
  std::int64_t p = 1;
  while (n > 0) {
    if (n & 1) p = mul_mod(p, base);
    base = mul_mod(base, base);
    n >>= 1;
  }
  x = mul_mod(x, p);
  return static_cast<int4>(x);
}

real4 uniform_variate(Engine& e, real4 a, real4 b) {
  const real4 u = draw_random_number(e, 1);
  return a + u * b;
}

real4 normal_variate(Engine& e, int j) {
  real4 sum = 0.0f;
  for (int i = 0; i < 12; ++i) sum = sum + draw_random_number(e, j);
  real4 z = sum - 6.0f;
  if (z < -5.0f) z = -5.0f;
  if (z > 5.0f) z = 5.0f;
  return z;
}

real4 erlang_variate(Engine& e, int t, int j) {
  const int k = t - fnk::erlang_base;
  if (k == 0) report_zero_division(e);
  real4 p = 1.0f;
  for (int i = 0; i < k; ++i) p = p * (1.0f - draw_random_number(e, j));
  if (p < 1.0e-12f) return 1.0f;
  return -log_real4(p) / static_cast<real4>(k);
}

real4 triangular_variate(Engine& e, int t, int j) {
  const real4 c = static_cast<real4>(t - fnk::triangular_base) / 10.0f;
  const real4 u = draw_random_number(e, j);
  if (u <= c) return std::sqrt(u * c);
  real4 w = (1.0f - u) * (1.0f - c);
  if (w < 0.0f) w = 0.0f;  // a mode outside [0, 1] must not give a NaN
  return 1.0f - std::sqrt(w);
}

void report_zero_division(Engine& e) {
  write_error_message(e, " Division with 0");
  stop_program(e);
}

void init_seed_table(Engine& e) {
  const real4* src = e.cs.pass.seed_option_flag ? k_preset_b : k_preset_a;
  for (int i = 0; i < k_preset_count; ++i) e.rn.preset_values[static_cast<std::size_t>(i + 1)] = src[i];
  e.rn.preset_loaded = true;
}

void load_run_seeds(Engine& e, int r) {
  RandomState& rs = e.rn;
  int row = 0;
  if (r >= 0 && r < static_cast<int>(e.ent.steps.run_seed_row.size())) row = e.ent.steps.run_seed_row[static_cast<std::size_t>(r)];
  // Stream 1 starts its preset numbers again only with seeds of its own;
  // a run without them goes on from where the run before left the
  // streams (the runs of an optimisation), presets included.
  if (row > 0 && run_row_ok(e, row)) {
    rs.preset_count = 0;
    for (int j = 1; j <= k_rn_stream_max; ++j)
      rs.seed[static_cast<std::size_t>(j)] = e.ent.steps.seed_table[static_cast<std::size_t>(row)][static_cast<std::size_t>(j)];
  } else if (load_start_seeds(e, r, rs.seed.data(), k_rn_stream_max)) {
    rs.preset_count = 0;
  }
  if (rs.second_generator) {
    const int unit = e.ctl.unit_base + io::offset::seed_work;
    for (int j = 1; j <= k_seed2_streams; ++j) {
      if (j == 1) e.ch.open_new(unit, "qswrefgq.tmp");
      const int4 s = rs.seed[static_cast<std::size_t>(j)];
      const std::int64_t k = (static_cast<std::int64_t>(s) - 1) / 2;
      // The progress lines of the stepping loop, at most a bounded number.
      const std::int64_t last = std::min<std::int64_t>(k, k_seed2_trace_lines + 1);
      for (std::int64_t i = 2; i <= last; ++i) e.ch.write(unit, io::Rec().i(i, 4));
      rs.seed2[static_cast<std::size_t>(j)] = second_generator_seed(s);
    }
    e.ch.close(unit);
  } else {
    for (int j = 2; j <= k_rn_stream_max; ++j) (void)draw_random_number(e, j);
  }
}

void set_run_seeds(Engine& e) {
  constexpr int k_streams = 8;  // the streams a SEEDS statement sets
  for (int j = 1; j <= k_streams; ++j) set_seed(e.ent.steps, e.prog.seed_word, 1, j);
}

void reset_stream_seeds(Engine& e) {
  for (int j = 1; j <= k_rn_stream_max; ++j) e.rn.seed[static_cast<std::size_t>(j)] = 2 * j + 1;
  e.rn.preset_count = 0;
}

}  // namespace kelvo
