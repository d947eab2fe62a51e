// Run control over the translated GENERATE 10,4,0 / ADVANCE 5 /
// TERMINATE 1 model: single runs, misplaced STARTs, switched-off reports,
// RESET and a second START, series of runs (under the front end with
// their section files), the end-of-run question, and the tables that are
// reset between runs.
#include "runtime/run_control.h"
#include "translator/translator.h"

#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

// The GENERATE 10,4,0 / ADVANCE 5 / TERMINATE 1 model with the given
// control statements after its blocks.
std::string gat_model(const std::string& control, const std::string& simulate = "SIMULATE") {
  return "       " + simulate + "\n       GENERATE  10,4,0\n       ADVANCE   5\n       TERMINATE 1\n" + control +
         "       END\n";
}

class RunControl : public RuntimeTest {
 protected:
  void run_model(const std::string& text) {
    { std::ofstream("MODEL.TXT") << text; }
    e->ctl.program_file_name.assign("MODEL.TXT");
    e->ctl.name_from_cycle = true;  // as the run cycle leaves it: the name is known
    EXPECT_TRUE(stops([&] { run_simulation(*e, 1, 1, 1); }));
  }
  std::vector<std::string> console() const { return lines_of(out.str()); }
  static bool has(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines)
      if (trim_right(l) == text) return true;
    return false;
  }
  static int count(const std::vector<std::string>& lines, const std::string& text) {
    int n = 0;
    for (const auto& l : lines)
      if (trim_right(l) == text) ++n;
    return n;
  }
  ScratchDir dir{"runcontrol"};
};

// --- Single runs and their STARTs ---

TEST_F(RunControl, SingleRunReportsAndAsksWhetherToStop) {
  console_input("\nY\n");
  run_model(gat_model("       START     10\n"));
  const auto lines = console();
  EXPECT_TRUE(has(lines, " Clock         84.61"));
  EXPECT_TRUE(has(lines, "     3         TERMIN            10"));
  EXPECT_EQ(lines.back(), " Do you want to stop?  Y, N or new name");
}

TEST_F(RunControl, StartWithReportSwitchedOffWritesNoReport) {
  console_input("Y\n");
  run_model(gat_model("       START     10,NP\n"));
  EXPECT_FALSE(has(console(), " Block counts"));
  EXPECT_EQ(e->run.clock, 84.614716f);
}

TEST_F(RunControl, NoStartStatement) {
  console_input("Y\n");
  run_model("       SIMULATE\n       GENERATE  10\n       TERMINATE 1\n       END\n");
  EXPECT_TRUE(has(console(), " No START statement with A operand"));
}

TEST_F(RunControl, TwoStartsWithoutResetStop) {
  console_input("\n\n");
  run_model(gat_model("       START     10\n       START     10\n"));
  EXPECT_TRUE(has(console(), " RESET expected before new START"));
  EXPECT_EQ(e->run.run_number, 2);
}

// --- RESET and series of runs ---

TEST_F(RunControl, ResetThenStartContinuesTheSimulation) {
  console_input("\n\nY\n");
  run_model(gat_model("       START     10\n       RESET\n       START     5\n"));
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

// A model whose run steps end a run of a series (ENDRUN) before a later
// START: the GENERATE/ADVANCE/TERMINATE model run twice.
TEST_F(RunControl, StartAfterTheEndOfASeriesRunPausesAndStartsAfresh) {
  console_input("\n\n\nY\n");
  run_model(gat_model("       START     10\n       ENDRUN\n       START     10\n"));
  const auto lines = lines_of(out.str());
  int press = 0, clocks = 0;
  for (const auto& l : lines) {
    if (l == " Press Enter (once or twice) for results of run   2") ++press;
    if (l == " Clock         84.61") ++clocks;
  }
  EXPECT_EQ(press, 1);
  // The second run starts from clock 0 without loading seeds: stream 1
  // goes on with the preset values after those of run 1, so its end
  // clock differs from the first.
  EXPECT_EQ(clocks, 1);
  EXPECT_EQ(e->run.run_number, 2);
  EXPECT_EQ(e->blocks.block_entries[3], 10);
}

TEST_F(RunControl, FrontEndSeriesAppendsRunTwoToTheSectionFiles) {
  e->ctl.java_mode = true;
  run_model(gat_model("       START     10\n       RESET\n       START     10\n", "SIMULATE  2"));
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
  EXPECT_EQ(trim_right(blk[run1.size() + 6]), "----After RESET---------");
  // The block-count file holds only the last run.
  const auto blo = lines_of(read_file("MODEL.BLO"));
  ASSERT_EQ(blo.size(), 3u);
  EXPECT_EQ(blo[2], "     3    0   10");
  // Nothing on the console under the front end, and no error file.
  EXPECT_FALSE(std::filesystem::exists("MODEL.ERR"));
}

// --- The end-of-run question ---

TEST_F(RunControl, NewNameAtTheStopQuestionRunsAgainWithSeedsReset) {
  { std::ofstream("OTHER.TXT") << gat_model("       START     10\n"); }
  console_input("\nOTHER.TXT\n\nY\n");
  run_model(gat_model("       START     3\n"));
  EXPECT_EQ(e->ctl.program_file_name.trimmed(), "OTHER.TXT");
  // The second run starts from the presets again: same end clock.
  EXPECT_EQ(e->run.clock, 84.614716f);
  EXPECT_EQ(count(console(), " Block counts"), 2);
}

TEST_F(RunControl, RepeatAnswersOfTheEndDialogue) {
  // N at the stop question, Y to repeat, "yes" is refused, N keeps seeds.
  console_input("\nN\nY\nyes\nN\n\nY\n");
  run_model(gat_model("       START     10\n"));
  const auto lines = console();
  EXPECT_TRUE(has(lines, " Shall same program be repeated? Y, N or new name"));
  EXPECT_TRUE(has(lines, " Shall seeds be reset? Y or N"));
  EXPECT_TRUE(has(lines, " Answer Y or N"));
  // Seeds not reset: stream 1 goes on after the presets of run 1.
  EXPECT_NE(e->run.clock, 84.614716f);
}

TEST_F(RunControl, AnEmptyEndDialogueHookEndsTheEngineAfterAnN) {
  e->hooks.end_of_run_dialogue = nullptr;
  console_input("\nN\n");
  run_model(gat_model("       START     10\n"));
  EXPECT_EQ(count(console(), " Block counts"), 1);
}

TEST_F(RunControl, EndOfConsoleInputEndsCleanly) {
  console_input("");
  run_model(gat_model("       START     10\n"));
  EXPECT_FALSE(has(console(), " Block counts"));
}

// --- Tables reset between runs ---

class RunTables : public RuntimeTest {};

TEST_F(RunTables, ResetStatisticsStartFromTheCurrentContents) {
  e->run.clock = 10.0f;
  e->srv.queue_current.set(2, 3, e->changes);
  e->srv.queue_entries[2] = 40;
  e->srv.queue_zero_entries[2] = 7;
  e->srv.station_contents.set(5, 2, e->changes);
  e->srv.station_entries[5] = 99;
  e->srv.station_max[5] = 4;
  e->blocks.block_entries[1] = 12;
  e->run.generated_before_reset[1] = 5;
  e->run.end_time = 50.0f;
  start_run_accumulators(*e);
  EXPECT_EQ(e->run.reset_time, 10.0f);
  EXPECT_EQ(e->srv.queue_entries[2], 3);
  EXPECT_EQ(e->srv.queue_zero_entries[2], 0);
  EXPECT_EQ(e->srv.queue_area[2], -30.0f);
  EXPECT_EQ(e->srv.queue_max[2], 3);
  EXPECT_EQ(e->srv.station_entries[5], 2);
  EXPECT_EQ(e->srv.station_max[5], 2);
  EXPECT_EQ(e->srv.station_area[5], -20.0f);
  EXPECT_EQ(e->run.generated_before_reset[1], 17);
  EXPECT_EQ(e->blocks.block_entries[1], 0);
  EXPECT_EQ(e->run.end_time, 1.0e8f);
}

TEST_F(RunTables, ResetCompileStateEmptiesTheModelButKeepsTheExperiment) {
  e->blocks.block_label[3] = pack6("LOOP");
  e->ent.par.param_count = 4;
  e->ent.q.queue_count = 2;
  e->expr.defn_count = 2;
  e->expr.expr_item_kind[2][5] = 0;
  e->ent.sv.savevalue_value.set(600, 4.0, e->changes);
  e->ent.st.station_waitif[7] = -1;
  e->ent.steps.run_seed_row[2] = 2;
  e->ent.experi.generate_d_slot = 3;
  e->ent.experi.experi_alternatives = 2;
  e->cs.pass.experiment_run_number = 3;
  reset_compile_state(*e);
  EXPECT_EQ(e->blocks.block_label[3], 0);
  EXPECT_EQ(e->ent.par.param_count, 0);
  EXPECT_EQ(e->ent.q.queue_count, 0);
  EXPECT_EQ(e->expr.expr_item_kind[2][5], k_expr_end);
  EXPECT_EQ(e->ent.sv.savevalue_value[600], 0.0);
  EXPECT_EQ(e->ent.st.station_waitif[7], 0);
  EXPECT_EQ(e->ent.steps.run_seed_row[2], 0);
  EXPECT_EQ(e->ent.steps.seeds_row_of_start[0], -1);
  EXPECT_EQ(e->ent.experi.generate_d_slot, 0);
  EXPECT_EQ(e->ent.experi.experi_alternatives, 2);
  EXPECT_EQ(e->cs.pass.experiment_run_number, 3);
  EXPECT_NE(e->opnames.block_op_names[bc::generate], 0);  // the statement words are there again
}

}  // namespace
}  // namespace kelvo::test
