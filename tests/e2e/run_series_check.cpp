// Series of runs (SIMULATE n) checked against the same model run alone:
// with a warm-up (START, RESET, START) each run of a series is its own
// warmed-up run from its own seed row, so run k gives the numbers of the
// model run once with the seeds of row k set by SEEDS.
#include "engine_under_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using e2e::lines_of_file;
using e2e::run_model;

// The lines that begin with `prefix`.
std::vector<std::string> lines_starting(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> found;
  for (const auto& l : lines)
    if (l.rfind(prefix, 0) == 0) found.push_back(l);
  return found;
}

// One server with exponential arrivals (stream 1) and a service of 0.5,
// warmed up by 50 departures and measured over 100; `simulate` is the
// SIMULATE statement, `seeds_before` and `seeds_after` SEEDS statements
// placed before and after the first START.
std::string server_model(const std::string& simulate, const std::string& seeds_before, const std::string& seeds_after) {
  return simulate + "\n"
         "EXPA   FUNCTION  RN1,EXPO\n"
         "       GENERATE  FN$EXPA\n"
         "       SEIZE     SRV\n"
         "       ADVANCE   0.5\n"
         "       RELEASE   SRV\n"
         "       TERMINATE 1\n" +
         seeds_before +
         "       START     50,NP\n" +
         seeds_after +
         "       RESET\n"
         "       START     100\n"
         "       END\n";
}

TEST(Series, EachRunOfAWarmUpSeriesIsTheModelRunAloneFromItsSeedRow) {
  const fs::path dir = e2e::scratch_root() / "series_warm_up";
  ASSERT_TRUE(run_model(dir, server_model("       SIMULATE  3", "", ""), false));
  // Three runs, each reported after its RESET (the warm-ups give none).
  const auto clocks = lines_starting(lines_of_file(dir / "M.BLK"), " Relative clock");
  const auto servers = lines_starting(lines_of_file(dir / "M.STA"), " SRV ");
  ASSERT_EQ(clocks.size(), 3u);
  ASSERT_EQ(servers.size(), 3u);
  EXPECT_NE(clocks[0], clocks[1]);
  EXPECT_NE(clocks[1], clocks[2]);
  // Row k holds 16k + 2j - 15 for stream j: stream 1 gets 19 in row 2 and
  // 35 in row 3, which SEEDS 9 and SEEDS 17 give (2p + 1). Placed before
  // the first START a SEEDS statement leaves the first run alone.
  const struct {
    std::string before, after;
  } alone[3] = {{"       SEEDS     9\n", ""}, {"", "       SEEDS     9\n"}, {"", "       SEEDS     17\n"}};
  for (int k = 0; k < 3; ++k) {
    const fs::path one = e2e::scratch_root() / ("series_warm_up_alone_" + std::to_string(k + 1));
    ASSERT_TRUE(run_model(one, server_model("       SIMULATE", alone[k].before, alone[k].after), true,
                          std::string(20, '\n') + "Y\n"));
    const auto out = lines_of_file(one / "stdout");
    const auto clock = lines_starting(out, " Relative clock");
    const auto server = lines_starting(out, " SRV ");
    ASSERT_EQ(clock.size(), 1u) << "run " << k + 1;
    ASSERT_FALSE(server.empty()) << "run " << k + 1;
    EXPECT_EQ(clock[0], clocks[static_cast<std::size_t>(k)]) << "run " << k + 1;
    EXPECT_EQ(server[0], servers[static_cast<std::size_t>(k)]) << "run " << k + 1;
  }
}

}  // namespace
