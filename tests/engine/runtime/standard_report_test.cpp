// The standard report frame: clock lines with and without a RESET, block
// rows with and without labels and current counts, the page pause, the
// console pause and its stop, and the section files of the front end.
#include "runtime/standard_report.h"

#include <filesystem>

#include "runtime/print_blocks.h"
#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class StandardReport : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    fill_gat_model(10);
  }
};

TEST_F(StandardReport, ClockLinesAfterReset) {
  write_clock_lines(*e, 150.0f, 250.0f, false, false);
  EXPECT_EQ(lines_of(out.str()),
            (std::vector<std::string>{"  ", "  ", "----After RESET---------", "  ", "", "", "",
                                      " Relative clock    150.00 Absolute clock    250.00", ""}));
}

TEST_F(StandardReport, BlockRowsWithLabelsAndCurrentCounts) {
  e->blocks.block_label[2] = pack6("LOOP");
  e->blocks.block_current[2] = 2;
  e->blocks.block_entries[2] = 12;
  e->blocks.block_entries[1] = 10;
  e->blocks.block_label[3] = static_cast<int4>(0xF396F397u);
  e->blocks.block_entries[3] = 7;
  report_block_counts(*e, 0, false, false);
  EXPECT_EQ(lines_of(out.str()),
            (std::vector<std::string>{" Block counts", " Number Adr.   Oper.  Current  Total",
                                      "     1         GENERA            10", "     2  LOOP   ADVANC     2      12",
                                      "     3  PREEM: TERMIN             7"}));
}

// A program call shows the word of what it does; an unnamed program
// keeps the statement word.
TEST_F(StandardReport, ProgramCallRowsShowTheProgramsWord) {
  auto& b = e->blocks;
  b.block_count = 4;
  b.block_op[2] = bc::special;
  b.block_arg[2] = 1;
  b.block_op[4] = bc::special;
  b.block_arg[4] = 2;
  e->ent.spec.spec_program[1] = prog::gprin;
  e->ent.spec.spec_program[2] = prog::pause;
  b.block_entries[2] = 3;
  b.block_entries[4] = 1;
  report_block_counts(*e, 0, false, false);
  const auto lines = lines_of(out.str());
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[3], "     2         GRAPH              3");
  EXPECT_EQ(lines[5], "     4         HELP               1");
}

TEST_F(StandardReport, ManyBlocksPauseEveryTwentyThreeRows) {
  e->blocks.block_count = 25;
  console_input("x\n");
  report_block_counts(*e, 0, false, false);
  EXPECT_EQ(in.rdbuf()->in_avail(), 0);  // the one page pause read its line
  EXPECT_EQ(lines_of(out.str()).size(), 27u);
}

TEST_F(StandardReport, HashAtThePauseStops) {
  console_input("#\n");
  EXPECT_TRUE(stops([&] { write_standard_report(*e, false); }));
  EXPECT_EQ(out.str(), "");
}

TEST_F(StandardReport, ReportWithoutEntitiesHasClockAndBlockCounts) {
  e->run.clock = 84.614716f;
  e->blocks.block_entries[1] = 10;
  console_input("\n");
  write_standard_report(*e, false);
  const auto lines = lines_of(out.str());
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[3], " Clock         84.61");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], " Block counts");
}

TEST_F(StandardReport, ResultFileReportsOfLaterRunsCarryTheRunNumber) {
  e->rep.result_file_open = true;
  e->rep.out_unit = e->rep.prog_unit = 6;  // the result file, here the console
  e->run.run_number = 2;
  e->rep.skip_next_pause = true;
  write_standard_report(*e, false);
  const auto lines = lines_of(out.str());
  EXPECT_EQ(lines[3], "Run nr  2");
  EXPECT_FALSE(e->rep.skip_next_pause);
}

TEST_F(StandardReport, FrontEndWritesBlockAndCountFiles) {
  ScratchDir dir("sections");
  e->ctl.java_mode = true;
  e->ctl.program_file_name.assign("Q1.MOD");
  e->run.clock = 84.614716f;
  for (int b = 1; b <= 3; ++b) e->blocks.block_entries[static_cast<std::size_t>(b)] = 10;
  write_standard_report(*e, false);
  EXPECT_EQ(out.str(), "");  // nothing on the console
  EXPECT_EQ(lines_of(read_file("Q1MOD.BLO")),
            (std::vector<std::string>{"     1    0   10", "     2    0   10", "     3    0   10"}));
  const auto blk = lines_of(read_file("Q1MOD.BLK"));
  ASSERT_EQ(blk.size(), 10u);
  EXPECT_EQ(blk[3], " Clock         84.61");
  EXPECT_EQ(blk[4], " ");
  EXPECT_EQ(blk[9], "     3         TERMIN            10");
  EXPECT_FALSE(e->ch.is_open(15 + 16 + 1));
  EXPECT_EQ(e->rep.out_unit, 6);
}

// PRINT ALL under the front end: the whole report goes to the PRINT
// result file, and no section file is written.
TEST_F(StandardReport, PrintOfTheWholeReportUnderTheFrontEnd) {
  ScratchDir dir("print_all");
  e->ctl.java_mode = true;
  e->ctl.program_file_name.assign("Q1.MOD");
  e->run.clock = 10.0f;
  e->blocks.block_entries[3] = 4;
  print_entity_statistics(*e, 1);
  e->ch.close(e->rep.prog_unit);
  const auto lines = lines_of(read_file("Q1MOD.TXT"));
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ(lines[3], " Clock         10.00");
  EXPECT_EQ(lines.back(), "     3         TERMIN             4");
  EXPECT_FALSE(std::filesystem::exists("Q1MOD.BLK"));
  EXPECT_EQ(e->rep.out_unit, 6);
}

TEST_F(StandardReport, ReportIsNotStartedAgainFromWithinItself) {
  e->run.report_written = true;
  write_standard_report(*e, false);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace kelvo::test
