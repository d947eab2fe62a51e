// Runs the engine on single-server queues and checks the report against
// queueing theory: Poisson arrivals (mean 1) and constant service 0.8
// (M/D/1, utilisation 0.8): mean queue length and mean wait in the queue
// rho^2 / (2 (1 - rho)) = 1.6 (within 10 %), utilisation 80 % (within 2 %);
// exponential service with Bernoulli feedback through GOTO; and the
// frequency classes of exponential service times in a TABLE.
#include "engine_under_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using e2e::lines_of_file;

// The whitespace-separated fields of the report row that begins with `name`.
std::vector<std::string> row_fields(const std::vector<std::string>& lines, const std::string& name, int which) {
  int seen = 0;
  for (const auto& l : lines) {
    std::istringstream in(l);
    std::string first;
    if (!(in >> first) || first != name) continue;
    if (seen++ != which) continue;
    std::vector<std::string> out{first};
    std::string f;
    while (in >> f) out.push_back(f);
    return out;
  }
  return {};
}

// Runs `model` as M.TXT under the front end in a fresh scratch folder of
// that name; false when the engine failed or reported an error.
bool run_model(const fs::path& dir, const std::string& model) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "M.TXT") << model;
  std::ofstream(dir / "zwxyq.jav") << "M.TXT\n     600\n";
  const std::string cmd = "cd '" + dir.string() + "' && '" + e2e::engine_binary() + "' </dev/null >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0 && !fs::exists(dir / "M.ERR");
}

TEST(QueueingTheory, SingleServerConstantServiceAgreesWithTheory) {
  const fs::path dir = e2e::scratch_root() / "mdone_check";
  ASSERT_TRUE(run_model(dir,
                        "       SIMULATE\n"
                        "ARR    FUNCTION  RN2,EXPO\n"
                        "       GENERATE  FN$ARR,,,50000\n"
                        "       ARRIVE    LINE\n"
                        "       SEIZE     MACH\n"
                        "       DEPART    LINE\n"
                        "       ADVANCE   0.8\n"
                        "       RELEASE   MACH\n"
                        "       TERMINATE 1\n"
                        "       START     50000\n"
                        "       END\n"));
  const auto sta = lines_of_file(dir / "M.STA");
  const auto que = lines_of_file(dir / "M.QUE");
  // Facility row: name, utilization %, entries, average time/trans.
  const auto fac = row_fields(sta, "MACH", 0);
  ASSERT_EQ(fac.size(), 4u);
  EXPECT_NEAR(std::stod(fac[1]), 80.0, 80.0 * 0.02);
  EXPECT_EQ(std::stoi(fac[2]), 50000);
  EXPECT_NEAR(std::stod(fac[3]), 0.8, 0.8 * 0.02);
  // First queue row: name, maximum, average contents, entries, zeros, % zeros.
  const auto q1 = row_fields(que, "LINE", 0);
  ASSERT_EQ(q1.size(), 6u);
  const double rho = 0.8, lq = rho * rho / (2.0 * (1.0 - rho));
  EXPECT_NEAR(std::stod(q1[2]), lq, lq * 0.10);
  EXPECT_EQ(std::stoi(q1[3]), 50000);
  // An arrival finds the server idle with probability 1 - rho.
  EXPECT_NEAR(std::stod(q1[5]), 100.0 * (1.0 - rho), 100.0 * (1.0 - rho) * 0.10);
  // Second queue row: name, average time/trans, $average, current.
  const auto q2 = row_fields(que, "LINE", 1);
  ASSERT_EQ(q2.size(), 4u);
  EXPECT_NEAR(std::stod(q2[1]), lq / 1.0, lq * 0.10);
  EXPECT_NEAR(std::stod(q2[2]), lq / rho, lq / rho * 0.10);
}

// Poisson arrivals (mean 2), exponential service (mean 0.5) and, after
// service, a GOTO back to the queue with probability 0.5: each customer is
// served 2 times on average, so the server sees a flow of 1 and is busy
// half the time. As a Jackson network the queue holds rho^2 / (1 - rho) =
// 0.5 on average (within 10 %).
TEST(QueueingTheory, FeedbackThroughGotoAgreesWithJacksonNetwork) {
  const fs::path dir = e2e::scratch_root() / "feedback_check";
  ASSERT_TRUE(run_model(dir,
                        "       SIMULATE\n"
                        "ARR    FUNCTION  RN2,EXPO\n"
                        "SRV    FUNCTION  RN3,EXPO\n"
                        "IAT    VALUEOF   2*FN$ARR\n"
                        "SVC    VALUEOF   0.5*FN$SRV\n"
                        "       GENERATE  V$IAT\n"
                        "BACK   ARRIVE    LINE\n"
                        "       SEIZE     MACH\n"
                        "       DEPART    LINE\n"
                        "       ADVANCE   V$SVC\n"
                        "       RELEASE   MACH\n"
                        "       GOTO      BACK,.5\n"
                        "       TERMINATE 1\n"
                        "       START     50000\n"
                        "       END\n"));
  const auto fac = row_fields(lines_of_file(dir / "M.STA"), "MACH", 0);
  ASSERT_EQ(fac.size(), 4u);
  const double rho = 0.5;
  EXPECT_NEAR(std::stod(fac[1]), 100.0 * rho, 100.0 * rho * 0.10);
  // About two services per customer.
  EXPECT_NEAR(std::stod(fac[2]), 100000.0, 100000.0 * 0.10);
  const auto q1 = row_fields(lines_of_file(dir / "M.QUE"), "LINE", 0);
  ASSERT_EQ(q1.size(), 6u);
  const double lq = rho * rho / (1.0 - rho);
  EXPECT_NEAR(std::stod(q1[2]), lq, lq * 0.10);
}

// Exponential service times of mean 1 tabulated in classes of width 0.5:
// class widths are whole numbers, so the table takes twice the time in
// classes of width 1. Class i (upper limit i - 1) then holds the times in
// ((i - 2) / 2, (i - 1) / 2], with probability exp(-(i - 2) / 2) -
// exp(-(i - 1) / 2); every class of at least 5 % agrees within 2 %, and
// the mean of twice the time is 2 (within 2 %).
TEST(QueueingTheory, TabulatedExponentialTimesFollowTheirDistribution) {
  const fs::path dir = e2e::scratch_root() / "tabulate_check";
  ASSERT_TRUE(run_model(dir,
                        "       SIMULATE\n"
                        "TSV    TABLE     V$TWICE,0,1,12\n"
                        "TWICE  VALUEOF   2*P1\n"
                        "       GENERATE  1,0,,100000\n"
                        "       LET       P1=FN$EXPO\n"
                        "       ADVANCE   P1\n"
                        "       TABULATE  TSV\n"
                        "       TERMINATE 1\n"
                        "       START     100000\n"
                        "       END\n"));
  const auto qta = lines_of_file(dir / "M.QTA");
  // Entries, mean, standard deviation, total, minimum, maximum.
  const auto figures = row_fields(qta, "100000", 0);
  ASSERT_EQ(figures.size(), 6u);
  EXPECT_NEAR(std::stod(figures[1]), 2.0, 2.0 * 0.02);
  int checked = 0;
  for (const auto& l : qta) {
    std::istringstream in(l);
    std::vector<std::string> f;
    for (std::string w; in >> w;) f.push_back(w);
    // Further classes: lower limit, '-', upper limit, frequency, per cent ...
    if (f.size() != 7 || f[1] != "-") continue;
    const int upper = std::stoi(f[2]);
    const double p = std::exp(-(upper - 1) / 2.0) - std::exp(-upper / 2.0);
    if (p < 0.05) continue;
    EXPECT_NEAR(std::stod(f[3]) / 100000.0, p, p * 0.02) << "class up to " << upper;
    ++checked;
  }
  EXPECT_EQ(checked, 5);
}

}  // namespace
