// Run control over a stand-in translation that fills the GENERATE 10,4,0
// / ADVANCE 5 / TERMINATE 1 model: single runs, RESET and a second START,
// misplaced STARTs, switched-off reports, the end-of-run question, and a
// series of runs under the front end with its section files.
#include "runtime/run_control.h"

#include "runtime/random_streams.h"
#include "runtime/spine_calls.h"
#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

std::vector<int> g_steps;
std::vector<int> g_counts;
int g_simulate_runs = 0;
bool g_report_off = false;  // START 1 with its report switched off

// Stands in for the translation of the model with the given run steps.
void translate_gat(Engine& e, int4& run_count) {
  // What the translator's compile-state reset does to the run state.
  reset_model_state(e);
  start_run_accumulators(e);
  e.blocks.block_entries.fill(0);
  auto& b = e.blocks;
  b.block_count = 3;
  b.block_op[1] = bc::generate;
  b.block_arg[1] = 1;
  b.generate_limit[1] = 100000;
  b.block_op[2] = bc::advance;
  b.block_opnd[2] = 1;
  b.block_op[3] = bc::terminate;
  b.block_arg[3] = 1;
  e.ent.gen.generate_time_table[1] = {0.0f, 6.0f, 8.0f, -1.0f, 0.0f};
  e.ent.gen.advance_time_table[1] = {0.0f, 5.0f, 0.0f, -1.0f, 0.0f};
  e.ent.term.terminate_value[1] = 1;
  e.opnames.block_op_names[bc::advance] = pack6("ADVANC");
  e.opnames.block_op_names[bc::generate] = pack6("GENERA");
  e.opnames.block_op_names[bc::terminate] = pack6("TERMIN");
  for (std::size_t i = 0; i < g_steps.size(); ++i) e.ent.run.run_steps[i + 1] = g_steps[i];
  e.ent.run.run_step_count = static_cast<int>(g_steps.size());
  for (std::size_t i = 0; i < g_counts.size(); ++i) e.ent.run.termination_count[i + 1] = g_counts[i];
  e.ent.run.start_report_off[1] = g_report_off;
  if (g_simulate_runs > 1) {
    run_count = g_simulate_runs;
    init_run_tables(e, run_count);
  }
}

class RunControl : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->run.translate_standin = &translate_gat;
    e->ctl.program_file_name.assign("MODEL.TXT");
    g_simulate_runs = 0;
    g_report_off = false;
  }
  void run_model(std::vector<int> steps, std::vector<int> counts) {
    g_steps = std::move(steps);
    g_counts = std::move(counts);
    EXPECT_TRUE(stops([&] { run_simulation(*e, 1, 1, 1); }));
  }
  std::vector<std::string> console() const { return lines_of(out.str()); }
  static bool has(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines)
      if (trim_right(l) == text) return true;
    return false;
  }
};

TEST_F(RunControl, SingleRunReportsAndAsksWhetherToStop) {
  console_input("\nY\n");
  run_model({2, 1}, {10});
  const auto lines = console();
  EXPECT_TRUE(has(lines, " Clock         84.61"));
  EXPECT_TRUE(has(lines, "     3         TERMIN            10"));
  EXPECT_EQ(lines.back(), " Do you want to stop?  Y, N or new name");
}

TEST_F(RunControl, ResetThenStartContinuesTheSimulation) {
  console_input("\n\nY\n");
  run_model({2, 4, 5, 1}, {10, 5});
  const auto lines = console();
  EXPECT_TRUE(has(lines, "----After RESET---------"));
  // Run 2 continues the clock; the report shows relative and absolute.
  EXPECT_GT(e->run.clock, 84.614716f);
  EXPECT_EQ(e->run.reset_time, 84.614716f);
  EXPECT_FALSE(has(lines, " Press Enter (once or twice) for results of run   2"));
  // Entries after the RESET only: five terminations.
  EXPECT_EQ(e->blocks.block_entries[3], 5);
  EXPECT_EQ(e->run.generated_before_reset[1], 10);
}

TEST_F(RunControl, TwoStartsWithoutResetStop) {
  console_input("\n\n");
  run_model({2, 5, 1}, {10, 10});
  EXPECT_TRUE(has(console(), " RESET expected before new START"));
  EXPECT_EQ(e->run.run_number, 2);
}

TEST_F(RunControl, StartWithReportSwitchedOffWritesNoReport) {
  g_report_off = true;  // the compile-state reset clears the table before translation
  console_input("Y\n");
  run_model({2, 1}, {10});
  EXPECT_FALSE(has(console(), " Block counts"));
  EXPECT_EQ(e->run.clock, 84.614716f);
}

TEST_F(RunControl, NoStartStatement) {
  console_input("Y\n");
  run_model({1}, {});
  EXPECT_TRUE(has(console(), " No START statement with A operand"));
}

TEST_F(RunControl, NewNameAtTheStopQuestionRunsAgainWithSeedsReset) {
  console_input("\nOTHER.TXT\n\nY\n");
  run_model({2, 1}, {10});
  EXPECT_EQ(e->ctl.program_file_name.trimmed(), "OTHER.TXT");
  // The second run starts from the presets again: same end clock.
  EXPECT_EQ(e->run.clock, 84.614716f);
  int reports = 0;
  for (const auto& l : console())
    if (l == " Block counts") ++reports;
  EXPECT_EQ(reports, 2);
}

TEST_F(RunControl, RepeatAnswersOfTheEndDialogue) {
  // N at the stop question, Y to repeat, "yes" is refused, N keeps seeds.
  console_input("\nN\nY\nyes\nN\n\nY\n");
  run_model({2, 1}, {10});
  const auto lines = console();
  EXPECT_TRUE(has(lines, " Shall same program be repeated? Y, N or new name"));
  EXPECT_TRUE(has(lines, " Shall seeds be reset? Y or N"));
  EXPECT_TRUE(has(lines, " Answer Y or N"));
  // Seeds not reset: stream 1 goes on after the presets of run 1.
  EXPECT_NE(e->run.clock, 84.614716f);
}

TEST_F(RunControl, EndOfConsoleInputEndsCleanly) {
  console_input("");
  run_model({2, 1}, {10});
  EXPECT_FALSE(has(console(), " Block counts"));
}

TEST_F(RunControl, FrontEndSeriesAppendsRunTwoToTheSectionFiles) {
  ScratchDir dir("series");
  e->ctl.java_mode = true;
  g_simulate_runs = 2;
  run_model({2, 3, 5, 1}, {10, 10});
  e->ch.close_all();
  const auto blk = lines_of(read_file("MODEL.BLK"));
  const std::vector<std::string> run1 = {"", "", "", " Clock         84.61", " ", " Block counts",
                                         " Number Adr.   Oper.  Current  Total", "     1         GENERA            10",
                                         "     2         ADVANC            10", "     3         TERMIN            10"};
  ASSERT_GT(blk.size(), run1.size() + 4);
  EXPECT_EQ(std::vector<std::string>(blk.begin(), blk.begin() + static_cast<long>(run1.size())), run1);
  EXPECT_EQ(blk[run1.size()], "");
  EXPECT_EQ(blk[run1.size() + 1], std::string(62, '-'));
  EXPECT_EQ(blk[run1.size() + 2], "");
  EXPECT_EQ(blk[run1.size() + 3], "Run nr  2");
  EXPECT_EQ(blk[run1.size() + 7], " Clock" + std::string(blk[run1.size() + 7].substr(6)));
  // The block-count file holds only the last run.
  const auto blo = lines_of(read_file("MODEL.BLO"));
  ASSERT_EQ(blo.size(), 3u);
  EXPECT_EQ(blo[2], "     3    0   10");
  // Run 2 used the seed row of run 2, so its clock differs from run 1.
  EXPECT_NE(e->run.clock, 84.614716f);
}

}  // namespace
}  // namespace kelvo::test
