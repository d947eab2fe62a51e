// Random-number streams: preset values, the 69069 generator, seed rows,
// the scramble of small stream-1 seeds, the second generator's seeding,
// the variates and the illegal-stream stop.
#include "runtime/random_streams.h"

#include <cmath>
#include <cstdint>

#include "runtime_test_support.h"
#include "translator/translator.h"

namespace kelvo::test {
namespace {

class RandomStreams : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    reset_stream_seeds(*e);
  }
};

TEST_F(RandomStreams, StreamOneGivesPresetTableAThenTheGenerator) {
  const float first[] = {0.037877001f, 0.377027f, 0.232987f, 0.407058f, 0.93486798f};
  for (float v : first) EXPECT_EQ(draw_random_number(*e, 1), v);
  for (int i = 6; i <= 99; ++i) (void)draw_random_number(*e, 1);
  EXPECT_EQ(draw_random_number(*e, 1), 0.2157256f);  // the 100th preset value
  // 69069 * 3 = 207207, divided by 2^31 in single precision.
  EXPECT_EQ(draw_random_number(*e, 1), 207207.0f / 2147483648.0f);
  EXPECT_EQ(e->rn.seed[1], 207207);
}

TEST_F(RandomStreams, SeedMarkerSelectsPresetTableB) {
  e->cs.pass.seed_option_flag = true;
  EXPECT_EQ(draw_random_number(*e, 1), 0.27029547f);
  EXPECT_EQ(draw_random_number(*e, 1), 0.49935398f);
}

TEST_F(RandomStreams, SmallStreamOneSeedIsScrambledOnce) {
  e->rn.seed[1] = 5;
  const float u = draw_random_number(*e, 1);
  // 5 * 5431 + 4 = 27159; 69069 * 27159 = 1875844971 (below 2^31).
  EXPECT_EQ(e->rn.seed[1], 1875844971);
  EXPECT_EQ(u, 1875844971.0f / 2147483648.0f);
  EXPECT_NEAR(u, 0.8735084, 1e-6);
}

TEST_F(RandomStreams, RunOneDiscardsOneDrawOnStreamsTwoToFifty) {
  load_run_seeds(*e, 1);
  // Stream 2 starts at 5; 345345 is thrown away, 230313677 is drawn.
  EXPECT_EQ(draw_random_number(*e, 2), 230313677.0f / 2147483648.0f);
  EXPECT_NEAR(draw_random_number(*e, 2), 0.5233921, 1e-6);
  // Stream 1 is untouched: its presets start again.
  EXPECT_EQ(draw_random_number(*e, 1), 0.037877001f);
}

TEST_F(RandomStreams, AntitheticReturnsOneMinusTheDraw) {
  e->ent.steps.simulate_b_flag = true;
  EXPECT_EQ(draw_random_number(*e, 1), 1.0f - 0.037877001f);
}

TEST_F(RandomStreams, IllegalStreamStopsWithItsNumber) {
  EXPECT_TRUE(stops([&] { draw_random_number(*e, 0); }));
  EXPECT_NE(out.str().find(" RN0 is illegal random number stream"), std::string::npos);
  out.str("");
  EXPECT_TRUE(stops([&] { draw_random_number(*e, 51); }));
  EXPECT_NE(out.str().find(" RN51 is illegal random number stream"), std::string::npos);
}

TEST_F(RandomStreams, LargestSeedsGiveExactlyOneAndStayFinite) {
  // float(seed) rounds up to 2^31 for the largest seeds: u = 1.0 is kept.
  int4 s = 0;
  for (std::int64_t c = 1; c < 2147483648LL; c += 1) {
    if (((c * 69069) & 0x7FFFFFFF) >= 2147483584) {
      s = static_cast<int4>(c);
      break;
    }
  }
  e->rn.seed[2] = s;
  EXPECT_EQ(draw_random_number(*e, 2), 1.0f);
  e->rn.seed[3] = s;
  EXPECT_EQ(triangular_variate(*e, 35, 3), 1.0f);
  e->rn.seed[4] = s;
  EXPECT_EQ(erlang_variate(*e, 22, 4), 1.0f);  // product 0 gives 1.0
}

TEST_F(RandomStreams, SeedRowsOfSeriesAndExperiments) {
  init_run_tables(*e, 3);
  EXPECT_EQ(e->ent.steps.seed_table[2][1], 16 * 2 + 2 - 15);
  EXPECT_EQ(e->ent.steps.seed_table[3][50], 16 * 3 + 100 - 15);
  EXPECT_EQ(e->ent.steps.run_seed_row[3], 3);
  EXPECT_EQ(e->ent.steps.run_seed_row[1], 0);
  init_run_seeds(*e, 4);
  EXPECT_EQ(e->ent.steps.seed_table[1][1], 3);
  EXPECT_EQ(e->ent.steps.seed_table[1][2], 5);
  EXPECT_EQ(e->ent.steps.seed_table[3][1], 19);
  EXPECT_EQ(e->ent.steps.seed_table[4][1], 19);  // runs 3 and 4 share seeds
  set_seed(e->ent.steps, 10, 2, 7);
  EXPECT_EQ(e->ent.steps.seed_table[2][7], 21);
  load_run_seeds(*e, 3);
  EXPECT_EQ(e->rn.seed[1], 19);
}

TEST_F(RandomStreams, SeedsStatementRowAppliesToItsStart) {
  e->ent.steps.seeds_row_of_start.fill(-1);
  e->ent.steps.seeds_row_of_start[2] = 1;
  e->ent.steps.seed_table[1][1] = 21;
  e->ent.steps.seed_table[1][3] = 0;  // not given: the stream keeps its seed
  load_run_seeds(*e, 2);
  EXPECT_EQ(e->rn.seed[1], 21);
  EXPECT_EQ(e->rn.seed[3], next_seed_69069(7));  // 7, then one draw thrown away
  load_run_seeds(*e, 3);  // no row for START 3
  EXPECT_EQ(e->rn.seed[1], 21);
}

TEST_F(RandomStreams, SecondGeneratorSeedEqualsTheSteppingLoop) {
  for (int s : {1, 3, 5, 21, 1001, 77777}) {
    double x = 1973272912.0;
    for (int i = 2; i <= (s - 1) / 2; ++i) {
      x = std::fmod(x * 715.0, 2147483647.0);
      x = std::fmod(x * 1058.0, 2147483647.0);
      x = std::fmod(x * 1385.0, 2147483647.0);
    }
    EXPECT_EQ(second_generator_seed(s), static_cast<int4>(x)) << s;
  }
}

TEST_F(RandomStreams, SecondGeneratorDrawsAndWritesItsStepFile) {
  ScratchDir dir("seed2");
  e->rn.second_generator = true;
  e->rn.seed[1] = 9;  // (9-1)/2 = 4 steps: lines 2, 3, 4
  load_run_seeds(*e, 1);
  const auto lines = lines_of(read_file("qswrefgq.tmp"));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "   2");
  EXPECT_EQ(lines[2], "   4");
  const std::int64_t s0 = e->rn.seed2[1];
  std::int64_t s = (s0 * 24112) % 2147483647;
  s = (s * 26143) % 2147483647;
  EXPECT_EQ(draw_random_number(*e, 1), static_cast<float>(2 * (s / 256) + 1) / 16777216.0f);
}

TEST_F(RandomStreams, NormalVariateStaysWithinFive) {
  for (int i = 0; i < 500; ++i) {
    const float z = normal_variate(*e, 3);
    EXPECT_GE(z, -5.0f);
    EXPECT_LE(z, 5.0f);
  }
}

TEST_F(RandomStreams, ErlangWithNoPhasesIsAZeroDivision) {
  EXPECT_TRUE(stops([&] { erlang_variate(*e, 20, 2); }));
  EXPECT_NE(out.str().find(" Division with 0"), std::string::npos);
}

}  // namespace
}  // namespace kelvo::test
