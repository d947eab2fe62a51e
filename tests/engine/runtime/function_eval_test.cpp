// FUNCTION evaluation on hand-filled function tables: discrete and
// continuous look-up, the last-point tolerance, the messages above and
// below the points, equal x values, the exponential variate and address
// functions.
#include "runtime/function_eval.h"

#include <cmath>

#include "runtime_test_support.h"
#include "translator/function_data.h"

namespace kelvo::test {
namespace {

class FunctionEval : public RuntimeTest {
 protected:
  void function(int f, int kind, std::vector<std::pair<float, float>> points) {
    auto& fn = e->ent.fn;
    if (f > fn.function_count) fn.function_count = f;
    fn.function_name[f] = pack6("ARR");
    fn.function_kind[f] = kind;
    fn.function_point_count[f] = static_cast<int>(points.size());
    for (std::size_t k = 0; k < points.size(); ++k) {
      fn.function_x[f][k + 1] = points[k].first;
      fn.function_y[f][k + 1] = points[k].second;
    }
  }
};

TEST_F(FunctionEval, DiscreteTakesTheFirstPointAtOrAboveX) {
  function(1, fnk::discrete, {{0.3f, 1.0f}, {0.7f, 2.0f}, {1.0f, 3.0f}});
  EXPECT_EQ(function_table_value(*e, 1, 0.5), 2.0);
  EXPECT_EQ(function_table_value(*e, 1, 0.3f), 1.0);
  EXPECT_EQ(function_table_value(*e, 1, 0.0), 1.0);
  EXPECT_EQ(function_table_value(*e, 1, 0.71), 3.0);
}

// The index where the search starts gives the point a scan from the first
// point finds, for points in any order, x inside, between, on and beyond
// the points.
TEST_F(FunctionEval, TheSearchIndexFindsThePointOfAScanFromTheFirst) {
  const std::vector<std::vector<float>> tables = {
      {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.75f, 0.8f, 0.84f, 0.88f, 0.9f, 0.92f, 0.94f, 0.95f,
       0.96f, 0.97f, 0.98f, 0.99f, 0.995f, 0.998f, 0.999f, 1.0f},
      {5.0f, 1.0f, 9.0f, 2.0f, 2.0f, 8.0f, -3.0f, 7.0f, 4.0f, 6.0f, 3.0f, 10.0f},
      {-20.0f, -20.0f, -1.0f, 0.0f, 0.0f, 0.0f, 1e-7f, 3.5f, 3.5f, 1000.0f}};
  for (const auto& xs : tables) {
    std::vector<std::pair<float, float>> points;
    for (std::size_t k = 0; k < xs.size(); ++k) points.push_back({xs[k], static_cast<float>(k + 1)});
    function(1, fnk::discrete, points);
    index_function_points(*e, 1);
    ASSERT_GT(e->ent.fn.fn_part_scale[1], 0.0);
    const int n = static_cast<int>(xs.size());
    for (int step = -40; step <= 1040; ++step) {
      const double x = xs.front() + (xs.back() - xs.front()) * step / 1000.0;
      int want = 0;
      for (int k = 1; k <= n && want == 0; ++k)
        if (x <= static_cast<double>(xs[k - 1])) want = k;
      if (want == 0) continue;  // above every point: the run stops
      EXPECT_EQ(function_table_value(*e, 1, x), want) << "x = " << x;
    }
  }
}

TEST_F(FunctionEval, ContinuousInterpolates) {
  function(1, fnk::continuous, {{0.0f, 0.0f}, {10.0f, 100.0f}});
  EXPECT_DOUBLE_EQ(function_table_value(*e, 1, 2.5), 25.0);
  EXPECT_DOUBLE_EQ(function_table_value(*e, 1, 10.0), 100.0);
  EXPECT_DOUBLE_EQ(function_table_value(*e, 1, 0.0), 0.0);
}

TEST_F(FunctionEval, XJustAboveTheLastPointTakesIt) {
  function(1, fnk::discrete, {{0.5f, 1.0f}, {1.0f, 3.0f}});
  EXPECT_EQ(function_table_value(*e, 1, 1.0000005), 3.0);
}

TEST_F(FunctionEval, EqualXValuesDoNotDivideByZero) {
  function(1, fnk::continuous, {{0.0f, 0.0f}, {1.0f, 5.0f}, {1.0f, 7.0f}});
  // Up to 1.0E-6 above the last point, whose x equals the one before.
  const double v = function_table_value(*e, 1, 1.0000005);
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(v, 7.0);
}

TEST_F(FunctionEval, AboveTheLastPointStopsWithTheHints) {
  function(1, fnk::discrete, {{0.5f, 1.0f}, {1.0f, 3.0f}});
  EXPECT_TRUE(stops([&] { function_table_value(*e, 1, 1.01); }));
  const auto lines = lines_of(out.str());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], " x value of function ARR    above upper limit 1.000000");
  EXPECT_EQ(lines[1], " Possible source of error: ");
  EXPECT_EQ(lines[3], " of datafile must start with C or D");
}

TEST_F(FunctionEval, AboveALargeLastPointShowsTwoDecimals) {
  function(1, fnk::continuous, {{0.0f, 0.0f}, {10.0f, 100.0f}});
  EXPECT_TRUE(stops([&] { function_table_value(*e, 1, 11.0); }));
  const auto lines = lines_of(out.str());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], " x value of function ARR    above upper limit    10.00");
}

TEST_F(FunctionEval, BelowTheFirstPointOfAContinuousFunctionStops) {
  function(1, fnk::continuous, {{1.0f, 0.0f}, {10.0f, 100.0f}});
  EXPECT_TRUE(stops([&] { function_table_value(*e, 1, 0.0); }));
  const auto lines = lines_of(out.str());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], " x value of (continuous) function ARR    below lower limit");
  EXPECT_EQ(lines[1], " This x-value of function's A operand is 0");
}

TEST_F(FunctionEval, ExponentialOnItsStream) {
  function(1, fnk::exponential, {});
  e->ent.fn.function_arg_class[1] = 10;
  e->ent.fn.function_arg_value[1] = 2;
  e->rn.seed[2] = 5;
  // The stream's next seed and uniform number, worked independently.
  const std::uint64_t s = (5ull * 69069ull) % 2147483648ull;
  const float u = static_cast<float>(static_cast<float>(s) / 2147483648.0f);
  const double want = -std::log(static_cast<double>(1.0f - u));
  EXPECT_DOUBLE_EQ(evaluate_function(*e, 1), want);
  EXPECT_GT(evaluate_function(*e, 1), 0.0);
}

TEST_F(FunctionEval, AddressFunctionValueMustBeABlock) {
  function(1, fnk::discrete, {{0.5f, 2.0f}, {1.0f, 0.5f}});
  e->ent.fn.function_arg_class[1] = 13;  // a decimal constant as argument
  e->ent.dec.decimal_count = 2;
  e->ent.dec.decimal_value[1] = 0.25f;
  e->ent.dec.decimal_value[2] = 0.75f;
  e->blocks.block_count = 3;
  e->ent.fn.function_arg_value[1] = 1;
  EXPECT_EQ(function_value_error(*e, 1), 2);
  e->ent.fn.function_arg_value[1] = 2;  // value 0.5: no block 0
  console_input("\n");
  EXPECT_TRUE(stops([&] { function_value_error(*e, 1); }));
  EXPECT_EQ(lines_of(out.str()).at(0), " Illegal value in or use of function  1");
}

}  // namespace
}  // namespace kelvo::test
