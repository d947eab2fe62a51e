// Report sections on hand-filled statistics: the facility, storage,
// queue and table rows in their fixed layouts, the run that ends at time
// 0, empty queues and tables that show 0, and the confidence limits.
#include "runtime/report_sections.h"

#include <algorithm>
#include <cmath>

#include "runtime/queues_tables.h"
#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class ReportSections : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->run.run_count = 1;  // no console pauses
    clear_server_statistics(*e);
  }
  std::vector<std::string> report() const { return lines_of(out.str()); }
  bool has(const std::string& line) const {
    for (const auto& l : report()) {
      std::string t = l;
      while (!t.empty() && t.back() == ' ') t.pop_back();
      if (t == line) return true;
    }
    return false;
  }
};

TEST_F(ReportSections, TenZeroWaitEntriesGiveTheQueueLines) {
  e->ent.q.queue_count = 1;
  e->ent.q.queue_name[1] = pack6("WAITQ");
  auto& s = e->srv;
  s.queue_max[1] = 1;
  s.queue_entries[1] = 10;
  s.queue_zero_entries[1] = 10;
  s.queue_area[1] = 0.0f;
  e->run.clock = 100.0f;
  report_queue_section(*e);
  EXPECT_TRUE(has(" WAITQ           1          0.00        10          10      100.00"));
  EXPECT_TRUE(has(" WAITQ          0.00          0.00          0"));
  EXPECT_TRUE(has(" $Average time/trans=average time/trans excluding zero entries"));
}

TEST_F(ReportSections, QueueNeverEnteredShowsZeros) {
  e->ent.q.queue_count = 1;
  e->ent.q.queue_name[1] = pack6("IDLE");
  e->run.clock = 50.0f;
  report_queue_section(*e);
  EXPECT_TRUE(has(" IDLE            0          0.00         0           0        0.00"));
  EXPECT_TRUE(has(" IDLE           0.00          0.00          0"));
  // The header of the second part keeps its trailing blanks.
  const auto lines = report();
  EXPECT_NE(std::find(lines.begin(), lines.end(), " Queue        Average      $Average      Current         "), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "             time/trans    time/trans    contents   "), lines.end());
}

TEST_F(ReportSections, QueueAveragesFromTheIntegral) {
  e->ent.q.queue_count = 1;
  e->ent.q.queue_name[1] = pack6("LINE");
  auto& s = e->srv;
  // 4 entries, 1 of them without waiting, 6 time units of waiting in all,
  // one still in the queue since time 8.
  s.queue_entries[1] = 4;
  s.queue_zero_entries[1] = 1;
  s.queue_current.set(1, 1, e->changes);
  s.queue_max[1] = 2;
  e->run.clock = 10.0f;
  s.queue_area[1] = 6.0f - 1.0f * 10.0f;
  report_queue_section(*e);
  // Average contents 6/10, per cent zeros 25, average 6/4, $average 6/3.
  EXPECT_TRUE(has(" LINE            2          0.60         4           1       25.00"));
  EXPECT_TRUE(has(" LINE           1.50          2.00          1"));
}

TEST_F(ReportSections, StorageRowsAndTheMillionForm) {
  auto& st = e->ent.st;
  st.storage_count = 2;
  st.station_count = 2;
  st.station_name[1] = pack6("STO");
  st.station_name[2] = pack6("BIG");
  st.station_capacity[1] = 4;
  st.station_capacity[2] = 2000000;
  e->srv.station_contents.set(1, 2, e->changes);
  e->srv.station_max[1] = 3;
  e->srv.station_entries[1] = 8;
  e->run.clock = 10.0f;
  // 2 units now since time 5, and 10 unit-times before: integral 20.
  e->srv.station_area[1] = 20.0f - 2.0f * 10.0f;
  report_station_section(*e);
  // Average contents 2, utilization 50 %, average time 20/8.
  EXPECT_TRUE(has(" STO              4         2.00           50.00           8           2.50"));
  bool million = false;
  for (const auto& l : report()) million = million || l.rfind(" BIG         2 mill.", 0) == 0;
  EXPECT_TRUE(million);
  EXPECT_TRUE(has(" STO             2             3"));
}

TEST_F(ReportSections, RunEndingAtTimeZeroHasNoStatistics) {
  e->ent.st.station_count = 1;
  e->ent.q.queue_count = 1;
  report_station_section(*e);
  report_queue_section(*e);
  const auto lines = report();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], " No statistics since simulation stops at time 0");
  EXPECT_EQ(lines[1], " No statistics since simulation stops at time 0");
}

TEST_F(ReportSections, AfterResetLinesComeFirst) {
  e->ent.q.queue_count = 1;
  e->ent.q.queue_name[1] = pack6("Q");
  e->run.clock = 20.0f;
  e->run.reset_time = 5.0f;
  report_queue_section(*e);
  const auto lines = report();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "----After RESET---------");
}

TEST_F(ReportSections, TableFiguresAndClasses) {
  e->ent.tab.table_count = 1;
  e->ent.tab.table_name[1] = pack6("TAB");
  e->ent.tab.table_lower[1] = 10;
  e->ent.tab.table_width[1] = 5;
  e->ent.tab.table_classes[1] = 4;
  restart_table_statistics(*e);
  enter_table_value(*e, 1, 8.0f, 1);
  enter_table_value(*e, 1, 12.0f, 1);
  enter_table_value(*e, 1, 30.0f, 2);
  report_table_section(*e);
  // Entries 4, mean 80/4 = 20, s^2 = (2008 - 1600)/3 = 136.
  const double sd = std::sqrt(136.0);
  char row[80];
  std::snprintf(row, sizeof row, " %7d%11.2f%13.2f%13.2f%13.2f%13.2f", 4, 20.0, sd, 80.0, 8.0, 30.0);
  EXPECT_TRUE(has(row));
  EXPECT_TRUE(has("          -     10           1          25.00          25.00          75.00"));
  EXPECT_TRUE(has("    10.00 -     15           1          25.00          50.00          50.00"));
  EXPECT_TRUE(has(" Remaining frequencies are all zero") == false);
  EXPECT_TRUE(has("        Overflow             2          50.00         100.00           0.00"));
  EXPECT_TRUE(has("     (7) Average value of overflow          30.00"));
}

TEST_F(ReportSections, RemainderThatRoundsToZeroHasNoSign) {
  // Eleven classes of one entry each: the float sum of 11 x 100/11 per
  // cent passes 100, so the remainder is a little below 0.
  e->ent.tab.table_count = 1;
  e->ent.tab.table_name[1] = pack6("TAB");
  e->ent.tab.table_width[1] = 1;
  e->ent.tab.table_classes[1] = 11;
  restart_table_statistics(*e);
  for (int x = 0; x <= 10; ++x) enter_table_value(*e, 1, static_cast<real4>(x), 1);
  report_table_section(*e);
  EXPECT_TRUE(has("     9.00 -     10           1           9.09         100.00           0.00"));
  EXPECT_TRUE(has("        Overflow             0           0.00         100.00           0.00"));
  EXPECT_EQ(out.str().find("-0.00"), std::string::npos);
}

TEST_F(ReportSections, EmptyTableShowsZeros) {
  e->ent.tab.table_count = 1;
  e->ent.tab.table_name[1] = pack6("TAB");
  e->ent.tab.table_lower[1] = 0;
  e->ent.tab.table_width[1] = 1;
  e->ent.tab.table_classes[1] = 3;
  restart_table_statistics(*e);
  report_table_section(*e);
  EXPECT_TRUE(has("       0       0.00         0.00         0.00         0.00         0.00"));
  EXPECT_TRUE(has(" Remaining frequencies are all zero"));
  EXPECT_TRUE(has("     (7) Average value of overflow           0.00"));
}

TEST_F(ReportSections, QtablesWithoutTheirQueueAndDrawnTables) {
  ScratchDir dir("qtable_report");
  e->ctl.program_file_name.assign("M.TXT");
  auto& tab = e->ent.tab;
  tab.table_count = 3;
  for (int t = 1; t <= 3; ++t) {
    tab.table_name[t] = pack6("T" + std::to_string(t) + "X");
    tab.table_width[t] = 1;
    tab.table_classes[t] = 4;
  }
  // QTABLE 1 names the queue LINE, QTABLE 2 queue 107; neither queue exists.
  tab.table_queue_name[1] = tab.table_arg_value[1] = pack6("LINE");
  tab.table_queue_name[2] = pack6("107");
  tab.table_arg_value[2] = 107;
  tab.table_numeric_a[2] = true;
  tab.histogram_count = 1;
  tab.histogram_table[1] = 3;
  restart_table_statistics(*e);
  enter_table_value(*e, 3, 2.0f, 3);
  report_table_section(*e);
  EXPECT_TRUE(has(" No QTABLE statistics can be collected for the queue LINE"));
  EXPECT_TRUE(has(" No QTABLE statistics can be collected for the queue  107"));
  EXPECT_TRUE(has(" since no queue or A/D statistics are collected."));
  EXPECT_TRUE(has(" Table  T3X"));
  EXPECT_FALSE(has(" Table  T1X"));
  e->ch.close(e->ctl.unit_base + 11);
  EXPECT_EQ(lines_of(read_file("M.GRT")), std::vector<std::string>{"QT2 T"});
  EXPECT_EQ(lines_of(read_file("M.QT2")).at(6), "     3");
  RowValues v{};
  table_row_values(*e, 3, v);
  EXPECT_EQ(v[1], 3.0f);
  EXPECT_EQ(v[2], 2.0f);
  EXPECT_EQ(v[6], 2.0f);
}

TEST_F(ReportSections, SavevaluesNonZeroAndZero) {
  auto& sv = e->ent.sv;
  sv.savevalue_count = 3;
  sv.savevalue_name[1] = pack6("COST");
  sv.savevalue_name[2] = pack6("TINY");
  sv.savevalue_name[3] = pack6("NONE");
  sv.savevalue_value.set(1, 12.5, e->changes);
  sv.savevalue_value.set(2, 0.004, e->changes);
  sv.savevalue_value.set(3, 0.000001, e->changes);
  report_savevalue_section(*e);
  EXPECT_TRUE(has("  Contents of savevalues (non-zero)"));
  EXPECT_TRUE(has("      COST               12.50"));
  EXPECT_TRUE(has("      TINY                0.00400"));
  EXPECT_TRUE(has("  Savevalues with zero value"));
  EXPECT_TRUE(has("      NONE"));
}

TEST_F(ReportSections, NamedParametersByNumber) {
  e->ent.par.pname_count = 2;
  e->ent.par.pname_code[3] = pack6("SIZE");
  e->ent.par.pname_code[1] = pack6("KIND");
  report_named_parameters(*e);
  const auto lines = report();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "  Parameters with symbolic names");
  EXPECT_EQ(lines[3], "        1   KIND  ");
  EXPECT_EQ(lines[4], "        3   SIZE  ");
}

TEST_F(ReportSections, RunStatisticsFromTheSecondRun) {
  auto& r = e->srv.results;
  r.count = 1;
  r.value[1] = 10.0;
  write_run_statistics(*e);
  EXPECT_TRUE(report().empty());
  r.value[1] = 12.0;
  write_run_statistics(*e);
  // Mean 11, s^2 = (244 - 2 * 121) / 1 = 2, h = sqrt(2) / sqrt(2) * 12.706.
  const auto lines = report();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], " After   2 runs:");
  EXPECT_EQ(lines[1], " Average:     11.00   Standard deviation:      1.41");
  EXPECT_EQ(lines[2], " With 95 percent probability:");
  EXPECT_EQ(lines[3], " Average lies between     -1.71 and     23.71");
  EXPECT_NEAR(r.lower, 11.0 - 12.706, 1e-9);
  EXPECT_NEAR(r.upper, 11.0 + 12.706, 1e-9);
}

TEST_F(ReportSections, RunStatisticsKeepASmallSpread) {
  auto& r = e->srv.results;
  r.count = 1;
  for (const double v : {-0.30, -0.32, -0.34}) {
    r.value[1] = v;
    write_run_statistics(*e);
  }
  // Mean -0.32, s^2 = 0.0008 / 2, s = 0.02, h = 0.02 / sqrt(3) * 4.303.
  const auto lines = report();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[5], " Average:     -0.32   Standard deviation:      0.02");
  EXPECT_EQ(lines[7], " Average lies between     -0.37 and     -0.27");
}

TEST_F(ReportSections, RunStatisticsOfNamedValuesAndLargeMeans) {
  auto& r = e->srv.results;
  r.count = 2;
  r.name[1] = pack6("COST");
  r.name[2] = pack6("TIME");
  r.value[1] = 3000000.0;
  r.value[2] = 1.0;
  write_run_statistics(*e);
  write_run_statistics(*e);
  const auto lines = report();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], " COST   after   2 runs:");
  // Equal values: no spread.
  EXPECT_EQ(lines[1], " Average:      3000000.   Standard deviation:            0.");
  EXPECT_EQ(lines[3], " Average lies between      3000000. and      3000000.");
  EXPECT_EQ(lines[4], " TIME   after   2 runs:");
}

TEST_F(ReportSections, SeveralResultValuesNeedOneAlternative) {
  e->srv.results.count = 2;
  e->ent.experi.experi_alternatives = 3;
  EXPECT_TRUE(stops([&] { write_run_statistics(*e); }));
  EXPECT_EQ(lines_of(out.str()).at(0).substr(0, 51), " Several VALUT only allowed for 1 alternative case");
}

TEST(ConfidenceLimits, StudentValues) {
  EXPECT_DOUBLE_EQ(student_t95(1), 12.706);
  EXPECT_DOUBLE_EQ(student_t95(30), 2.042);
  EXPECT_DOUBLE_EQ(student_t95(34), 2.04 - 4 * 0.002);
  EXPECT_DOUBLE_EQ(student_t95(45), 2.02 - 5 * 0.001);
  EXPECT_DOUBLE_EQ(student_t95(99), 2.0);
}

TEST(ConfidenceLimits, TwoRuns) {
  double mean = 0, lower = 0, upper = 0;
  // Values 1 and 3: mean 2, s^2 = 2, h = sqrt(2)/sqrt(2) * 12.706.
  confidence_limits(2, 4.0, 10.0, mean, lower, upper);
  EXPECT_DOUBLE_EQ(mean, 2.0);
  EXPECT_NEAR(lower, 2.0 - 12.706, 1e-9);
  EXPECT_NEAR(upper, 2.0 + 12.706, 1e-9);
}

TEST(ConfidenceLimits, SpreadSmallBesideTheValuesIsKept) {
  double mean = 0, lower = 0, upper = 0;
  // Values 1000 and 1002: s^2 = 2, as for 1 and 3.
  confidence_limits(2, 2002.0, 1000.0 * 1000.0 + 1002.0 * 1002.0, mean, lower, upper);
  EXPECT_NEAR(lower, 1001.0 - 12.706, 1e-6);
  EXPECT_NEAR(upper, 1001.0 + 12.706, 1e-6);
}

TEST(ConfidenceLimits, OneRunGivesTheValueAsBothLimits) {
  double mean = 0, lower = -1, upper = -1;
  confidence_limits(1, 7.5, 56.25, mean, lower, upper);
  EXPECT_EQ(mean, 7.5);
  EXPECT_EQ(lower, 7.5);
  EXPECT_EQ(upper, 7.5);
}

}  // namespace
}  // namespace kelvo::test
