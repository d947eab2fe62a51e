// Runs EXPERI experiments on a single-server queue (Poisson arrivals of
// mean 1, constant service time X$SRV): two alternatives of 40 runs each
// make 80 runs, 40 result lines and a 9-class histogram file; three
// alternatives of 20 runs each order the average queue contents as M/D/1
// theory does (rho^2 / (2 (1 - rho)): 0.25, 0.60, 1.60), and the 95 %
// limits hold the theoretical value in at least two of the three. Every
// place where the invalue savevalue stands as a constant takes each
// alternative's value.
#include "engine_under_test.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using e2e::lines_of_file;
using e2e::run_model;

int count_lines_with(const std::vector<std::string>& lines, const std::string& text) {
  int n = 0;
  for (const auto& l : lines) n += l.find(text) != std::string::npos ? 1 : 0;
  return n;
}

std::string queue_model(const std::string& experi, const std::string& length, const std::string& end_blocks = "") {
  return "       SIMULATE\n"
         "       EXPERI X$SRV,X$OUT," + experi + "\n"
         "ARR    FUNCTION  RN2,EXPO\n"
         "       GENERATE  FN$ARR\n"
         "       ARRIVE    LINE\n"
         "       SEIZE     MACH\n"
         "       DEPART    LINE\n"
         "       ADVANCE   X$SRV\n"
         "       RELEASE   MACH\n"
         "       TERMINATE 0\n"
         "       GENERATE  " + length + "\n"
         "       HELP      SNAQS,Q$LINE,2,X$OUT\n" +
         end_blocks +
         "       TERMINATE 1\n"
         "       START     1\n"
         "       END\n";
}

TEST(Experiment, TwoAlternativesOfFortyRunsMakeEightyRuns) {
  const fs::path dir = e2e::scratch_root() / "experi_two_by_forty";
  ASSERT_TRUE(run_model(dir, queue_model("2,0.5,0.8,40", "500"), true));
  const auto out = lines_of_file(dir / "stdout");
  // Each run writes its standard report; the experiment one result per pair.
  EXPECT_EQ(count_lines_with(out, "Block counts"), 80);
  EXPECT_EQ(count_lines_with(out, " Result in run"), 40);
  // Invalues with decimals head the results with F5.1 fields.
  EXPECT_EQ(count_lines_with(out, " Result = Result(  0.5) - Result(  0.8)"), 1);
  EXPECT_EQ(count_lines_with(out, " After  40 runs:"), 1);
  // Under the front end the same experiment writes its histogram file:
  // EXPVAR, lower limit, width, 9 classes, their 9 counts (40 in all), -0.
  ASSERT_TRUE(run_model(dir, queue_model("2,0.5,0.8,40", "500"), false));
  EXPECT_EQ(count_lines_with(lines_of_file(dir / "M.EXP"), " Result in run"), 40);
  const auto hist = lines_of_file(dir / "M.QT0");
  ASSERT_EQ(hist.size(), 4u + 9u + 1u);
  EXPECT_EQ(hist[0], " EXPVAR");
  EXPECT_EQ(std::stoi(hist[3]), 9);
  EXPECT_GE(std::stoi(hist[2]), 1);
  int total = 0;
  for (int i = 4; i < 13; ++i) total += std::stoi(hist[static_cast<std::size_t>(i)]);
  EXPECT_EQ(total, 40);
  EXPECT_EQ(hist[13], "    -0");
}

TEST(Experiment, SingleServerQueueOrderedAsTheorySays) {
  const fs::path dir = e2e::scratch_root() / "experi_mdone";
  ASSERT_TRUE(run_model(dir, queue_model("3,0.5,0.8,20", "5000"), false));
  const auto exp = lines_of_file(dir / "M.EXP");
  const double theory[3] = {0.25, 0.60, 1.60};
  const double invalue[3] = {0.50, 0.65, 0.80};
  double mean[3] = {0, 0, 0};
  int held = 0, rows = 0;
  for (const auto& l : exp) {
    std::istringstream in(l);
    double v = 0, m = 0, lo = 0, up = 0;
    std::string dash;
    if (!(in >> v >> m >> lo >> dash >> up) || dash != "-" || rows >= 3) continue;
    EXPECT_NEAR(v, invalue[rows], 1e-6);
    mean[rows] = m;
    held += lo <= theory[rows] && theory[rows] <= up ? 1 : 0;
    // Tolerance on the average itself: within 20 % of the theory.
    EXPECT_NEAR(m, theory[rows], 0.2 * theory[rows]);
    ++rows;
  }
  ASSERT_EQ(rows, 3);
  EXPECT_LT(mean[0], mean[1]);
  EXPECT_LT(mean[1], mean[2]);
  EXPECT_GE(held, 2);
  EXPECT_EQ(count_lines_with(exp, "  obtained when the invalue is    0.80"), 1);
}

// A VALUT with a D operand asks for the comparisons: every alternative's
// line in "valut.fil", and in the EXP section the pairs whose 95 % limits
// do not overlap (here all three, the averages being far apart).
TEST(Experiment, ComparisonsNameTheAlternativesWithHigherValues) {
  const fs::path dir = e2e::scratch_root() / "experi_comparisons";
  ASSERT_TRUE(run_model(dir, queue_model("3,0.5,0.8,20", "5000", "       HELP      VALUT,X$OUT,1,1,1\n"), false));
  const auto exp = lines_of_file(dir / "M.EXP");
  EXPECT_EQ(count_lines_with(exp, " With 97.5 percent probability:"), 1);
  EXPECT_EQ(count_lines_with(exp, "  0.8 has a higher value than    0.5"), 1);
  EXPECT_EQ(count_lines_with(exp, "  0.8 has a higher value than    0.6"), 1);
  EXPECT_EQ(count_lines_with(exp, "  0.6 has a higher value than    0.5"), 1);
  EXPECT_EQ(count_lines_with(exp, "has a higher value than"), 3);
  const auto valut = lines_of_file(dir / "valut.fil");
  ASSERT_EQ(valut.size(), 3u);
  EXPECT_EQ(valut[0].substr(0, 6), "  1 20");
  EXPECT_EQ(valut[2].substr(0, 6), "  3 20");
}

// ---- the invalue put into the model

// A model whose X$INV operand takes the invalue, and the outvalue (the
// Outvalue column, or each " Result in run" of a paired experiment) that
// each alternative must give, worked out from the block rules.
struct InvalueCase {
  const char* name;
  const char* experi;  // the EXPERI operands after X$INV,X$OUT,
  const char* blocks;  // the model between the EXPERI line and END
  std::vector<double> outvalues;
  double tolerance;
};

const InvalueCase k_invalue_cases[] = {
    // Arrivals at 0..4 enter BAY and stay: min(capacity, 5) in BAY (the
    // tens); DOCK, defined before BAY, keeps its capacity 2 (the units).
    {"Capacity", "3,3,7,1",
     "DOCK   CAPACITY  2\n"
     "BAY    CAPACITY  X$INV\n"
     "       GENERATE  1,0,0,5\n"
     "       ENTER     BAY\n"
     "       ENTER     DOCK\n"
     "       ADVANCE   1000\n"
     "       TERMINATE 0\n"
     "       GENERATE  100\n"
     "       LET       X$OUT=S$BAY*10+S$DOCK\n"
     "       TERMINATE 1\n"
     "       START     1\n",
     {32, 52, 52}, 0},
    // First arrival at C, then one per time unit; arrivals up to 10.75:
    // 2.5..10.5 are 9, 4..10 are 7, 5.5..10.5 are 6.
    {"GenerateFirstTime", "3,2.5,5.5,1",
     "       GENERATE  1,0,X$INV\n"
     "TOT    TERMINATE 0\n"
     "       GENERATE  10.75\n"
     "       LET       X$OUT=N$TOT\n"
     "       TERMINATE 1\n"
     "       START     1\n",
     {9, 7, 6}, 0},
    // The one transaction of the GENERATE carries priority E.
    {"GeneratePriority", "3,1,9,1",
     "       GENERATE  1,0,0,1,X$INV\n"
     "       LET       X$OUT=PR\n"
     "       TERMINATE 0\n"
     "       GENERATE  100\n"
     "       TERMINATE 1\n"
     "       START     1\n",
     {1, 5, 9}, 0},
    // 1000 transactions, each sent to AWAY with probability B: none, about
    // half (within 5 binomial standard deviations of 15.8), all.
    {"GotoProbability", "3,0,1,1",
     "       GENERATE  1,0,,1000\n"
     "       GOTO      AWAY,X$INV\n"
     "       TERMINATE 0\n"
     "AWAY   TERMINATE 0\n"
     "       GENERATE  2000\n"
     "       LET       X$OUT=N$AWAY\n"
     "       TERMINATE 1\n"
     "       START     1\n",
     {0, 500, 1000}, 80},
    // The run ends after START's count of arrivals: 3 - 7 in both pairs.
    {"StartCount", "2,3,7,2",
     "       GENERATE  1\n"
     "       LET+      X$OUT,1\n"
     "       TERMINATE 1\n"
     "       START     X$INV\n",
     {-4, -4}, 0},
};

void PrintTo(const InvalueCase& c, std::ostream* os) { *os << c.name; }

class InvalueInModel : public testing::TestWithParam<InvalueCase> {};

// The outvalues of the EXP section in order: the second number of each
// line of two numbers (an optimisation row, or " Result in run" with the
// run and its result).
std::vector<double> exp_outvalues(const std::vector<std::string>& exp) {
  const std::string result = " Result in run";
  std::vector<double> values;
  for (const auto& l : exp) {
    std::istringstream in(l.rfind(result, 0) == 0 ? l.substr(result.size()) : l);
    std::vector<double> numbers;
    double v = 0;
    while (in >> v) numbers.push_back(v);
    if (in.eof() && numbers.size() == 2) values.push_back(numbers[1]);
  }
  return values;
}

TEST_P(InvalueInModel, EachAlternativeGivesItsOutvalue) {
  const InvalueCase& c = GetParam();
  const std::string model =
      std::string("       SIMULATE\n       EXPERI X$INV,X$OUT,") + c.experi + "\n" + c.blocks + "       END\n";
  const fs::path dir = e2e::scratch_root() / (std::string("experi_invalue_") + c.name);
  ASSERT_TRUE(run_model(dir, model, false));
  const auto got = exp_outvalues(lines_of_file(dir / "M.EXP"));
  ASSERT_EQ(got.size(), c.outvalues.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.outvalues[i], c.tolerance) << "value " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Experiment, InvalueInModel, testing::ValuesIn(k_invalue_cases),
                         [](const testing::TestParamInfo<InvalueCase>& i) { return std::string(i.param.name); });

}  // namespace
