// Runs EXPERI experiments on a single-server queue (Poisson arrivals of
// mean 1, constant service time X$SRV): two alternatives of 40 runs each
// make 80 runs, 40 result lines and a 9-class histogram file; three
// alternatives of 20 runs each order the average queue contents as M/D/1
// theory does (rho^2 / (2 (1 - rho)): 0.25, 0.60, 1.60), and the 95 %
// limits hold the theoretical value in at least two of the three.
#include "engine_under_test.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> lines_of_file(const fs::path& p) {
  std::vector<std::string> lines;
  std::ifstream in(p);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

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

// Runs `model` as M.TXT in a fresh scratch folder, under the front end or
// (console) with the model name typed; false when the engine failed.
bool run_model(const fs::path& dir, const std::string& model, bool console) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "M.TXT") << model;
  std::string input = "/dev/null";
  if (console) {
    std::ofstream(dir / "stdin") << "M.TXT\n";
    input = "stdin";
  } else {
    std::ofstream(dir / "zwxyq.jav") << "M.TXT\n     600\n";
  }
  const std::string cmd = "cd '" + dir.string() + "' && '" + e2e::engine_binary() + "' <" + input + " >stdout 2>&1";
  return std::system(cmd.c_str()) == 0 && !fs::exists(dir / "M.ERR");
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

}  // namespace
