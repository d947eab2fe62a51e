// A whole run on hand-filled tables: GENERATE/ADVANCE/TERMINATE through
// the event loop and the dispatcher, the GENERATE limits, time operands,
// TERMINATE counts, the end of a run, the block-count correction, the
// run-time limit and the dispatcher's fatal checks.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/block_dispatcher.h"
#include "runtime/event_loop.h"
#include "runtime/generate_advance_terminate.h"
#include "runtime/random_streams.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"
#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class KernelRun : public RuntimeTest {
 protected:
  void run() {
    start_run_transactions(*e);
    run_event_loop(*e);
  }
};

// --- Whole runs and the order of events ---

TEST_F(KernelRun, GenerateAdvanceTerminateEndsAtTheTenthTermination) {
  fill_gat_model(10);
  console_input("\n");
  run();
  // Arrivals at 0, 6.303016, ... 79.614716 (float sums of 6 + 8u with the
  // preset values); the tenth leaves ADVANCE 5 at 84.614716.
  EXPECT_EQ(e->run.clock, 84.614716f);
  EXPECT_EQ(e->run.end_time, e->run.clock);
  EXPECT_EQ(e->blocks.block_entries[1], 10);
  EXPECT_EQ(e->blocks.block_entries[2], 10);
  EXPECT_EQ(e->blocks.block_entries[3], 10);
  EXPECT_EQ(e->ent.steps.termination_count[1], 0);
  // The eleventh arrival waits in the chain at 79.614716 + 6 + 8 * 0.86938298.
  ASSERT_EQ(e->txn.chain_size[1], 1);
  EXPECT_EQ(record_move_time(*e, e->txn.chain_head[1]), 86.534119f);
  const auto lines = lines_of(out.str());
  const std::vector<std::string> expected = {
      "", "", "", " Clock         84.61", "", " Block counts", " Number Adr.   Oper.  Current  Total",
      "     1         GENERA            10", "     2         ADVANC            10", "     3         TERMIN            10"};
  EXPECT_EQ(lines, expected);
}

TEST_F(KernelRun, ArrivalTimesFollowTheFloatSums) {
  fill_gat_model(100);
  // Record each arrival time by stopping after every event of block 1.
  start_run_transactions(*e);
  std::vector<float> arrivals;
  while (arrivals.size() < 4) {
    const int h = e->txn.chain_head[1];
    if (record_word(*e, h, 2) == 1.0f) arrivals.push_back(record_move_time(*e, h));
    e->run.clock = record_move_time(*e, h);
    unlink_transaction(*e, h, 1);
    dispatch_block(*e, e->act.cur_txn[tw::next_block]);
  }
  EXPECT_EQ(arrivals, (std::vector<float>{0.0f, 6.303016f, 15.319233f, 23.183128f}));
}

TEST_F(KernelRun, EventsDueAtTheEndStayInTheChain) {
  // GENERATE 5,,0,,1 / ADVANCE 0 / TERMINATE 1 and GENERATE 5,,0 /
  // TERMINATE 0: the first transaction (priority 1) ends the run at time
  // 0; the second GENERATE's arrival, due at 0 too, is not moved.
  fill_gat_model(1);
  e->ent.gen.generate_time_table[1] = {0.0f, 5.0f, 0.0f, -1.0f, 0.0f};
  e->ent.gen.generate_priority[1] = 1;
  e->ent.gen.advance_time_table[1] = {0.0f, 0.0f, 0.0f, -1.0f, 0.0f};
  auto& b = e->blocks;
  b.block_count = 5;
  b.block_op[4] = bc::generate;
  b.block_arg[4] = 2;
  b.generate_limit[4] = 100000;
  e->ent.gen.generate_time_table[2] = {0.0f, 5.0f, 0.0f, -1.0f, 0.0f};
  b.block_op[5] = bc::terminate;
  b.block_arg[5] = 2;
  e->ent.term.terminate_value[2] = 0;
  console_input("\n");
  run();
  EXPECT_EQ(e->run.clock, 0.0f);
  EXPECT_EQ(e->blocks.block_entries[3], 1);
  EXPECT_EQ(e->blocks.block_entries[4], 0);
  EXPECT_EQ(e->txn.chain_size[1], 2);
}

TEST_F(KernelRun, ZeroAdvanceGoesBehindEqualTimeAndPriority) {
  fill_gat_model(10);
  e->ent.gen.advance_time_table[1] = {0.0f, 0.0f, 0.0f, -1.0f, 0.0f};
  start_run_transactions(*e);
  auto& c = e->act.cur_txn;
  // Another event due now, filed before the ADVANCE runs.
  c = {};
  c[1] = 0.0;
  c[2] = 3;
  c[6] = 0;
  insert_event_chain(*e, 1);
  const int arrival = e->txn.chain_head[1];
  unlink_transaction(*e, arrival, 1);
  dispatch_block(*e, e->act.cur_txn[tw::next_block]);  // GENERATE then ADVANCE 0
  // Chain: the waiting event at 0, then the delayed transaction at 0, then
  // the next arrival.
  const int h = e->txn.chain_head[1];
  EXPECT_EQ(record_word(*e, h, 2), 3.0f);
  const int second = e->txn.txn_next[static_cast<std::size_t>(h)];
  EXPECT_EQ(record_word(*e, second, 2), -2.0f);
  EXPECT_EQ(record_move_time(*e, second), 0.0f);
}

TEST_F(KernelRun, ResumingTransactionLeavesItsBlock) {
  fill_gat_model(10);
  e->blocks.block_current[2] = 1;
  e->act.cur_txn[2] = -2.0;
  e->act.cur_txn[5] = 2.0;
  e->run.run_number = 1;
  start_run_transactions(*e);
  e->act.cur_txn = {};
  e->act.cur_txn[2] = -2.0;
  e->act.cur_txn[5] = 2.0;
  dispatch_block(*e, e->act.cur_txn[tw::next_block]);
  EXPECT_EQ(e->blocks.block_current[2], 0);
  EXPECT_EQ(e->blocks.block_entries[2], 0);
  EXPECT_EQ(e->blocks.block_entries[3], 1);
}

TEST_F(KernelRun, CurrentCountsOfStraightBlocksAreCorrectedAtTheEnd) {
  fill_gat_model(2);
  // A long ADVANCE keeps transactions inside block 2 at the end.
  e->ent.gen.advance_time_table[1] = {0.0f, 1000.0f, 0.0f, -1.0f, 0.0f};
  e->blocks.block_count = 4;
  e->blocks.block_op[4] = bc::generate;
  e->blocks.block_arg[4] = 2;
  e->blocks.generate_limit[4] = 100000;
  e->ent.gen.generate_time_table[2] = {0.0f, 3.0f, 0.0f, -1.0f, 0.0f};
  e->ent.gen.generate_first_time[2] = 0;
  e->blocks.block_count = 5;
  e->blocks.block_op[5] = bc::terminate;
  e->blocks.block_arg[5] = 2;
  e->ent.term.terminate_value[2] = 1;
  console_input("\n");
  run();
  EXPECT_EQ(e->run.clock, 3.0f);
  EXPECT_EQ(e->blocks.block_current[2], e->blocks.block_entries[2]);
}

// --- GENERATE limits ---

TEST_F(KernelRun, GenerateLimitCountsArrivalsBeforeAReset) {
  fill_gat_model(1000);
  e->blocks.generate_limit[1] = 5;
  e->run.generated_before_reset[1] = 2;
  console_input("\n");
  run();
  EXPECT_EQ(e->blocks.block_entries[1], 3);
  EXPECT_EQ(e->blocks.block_entries[3], 3);
}

TEST_F(KernelRun, ArrivalExactlyAtTheEndCreatesNothingUnlessResetFollows) {
  fill_gat_model(10);
  start_run_transactions(*e);
  const int h = e->txn.chain_head[1];
  unlink_transaction(*e, h, 1);
  e->run.clock = 0.0f;
  e->run.end_time = 0.0f;
  e->run.next_step_code = 1;
  dispatch_block(*e, e->act.cur_txn[tw::next_block]);
  EXPECT_EQ(e->blocks.block_entries[1], 0);
  EXPECT_EQ(e->txn.chain_size[1], 0);
  e->run.next_step_code = 4;  // a RESET follows: the arrival goes on
  e->act.cur_txn[2] = 1;
  dispatch_block(*e, e->act.cur_txn[tw::next_block]);
  EXPECT_EQ(e->blocks.block_entries[1], 1);
  EXPECT_EQ(e->blocks.block_entries[2], 1);
}

class ZeroTimeArrivals : public KernelRun {
 protected:
  void SetUp() override {
    KernelRun::SetUp();
    fill_gat_model(1);
    e->ent.gen.generate_time_table[1] = {0.0f, 0.0f, 0.0f, -1.0f, 0.0f};
    e->ent.term.terminate_value[1] = 0;  // never ends by count
    e->blocks.block_count = 2;
    e->blocks.block_op[2] = bc::terminate;
    e->blocks.block_arg[2] = 1;
  }
};

TEST_F(ZeroTimeArrivals, FrontEndWarnsAndGoesOn) {
  ScratchDir dir("maximum");
  e->ctl.java_mode = true;
  e->ctl.program_file_name.assign("M.TXT");
  run();
  e->ch.close_all();
  EXPECT_EQ(e->blocks.block_entries[1], 100000);
  EXPECT_EQ(lines_of(read_file("M.WRN")),
            (std::vector<std::string>{"** WARNING **", " Simulation stopped after 100000 transactions = maximum",
                                      " have come out of GENERATE block, block     1"}));
  // I5 cannot hold 100000: the field is filled with asterisks.
  EXPECT_EQ(lines_of(read_file("M.BLO")).at(0), "     1    0*****");
}

// --- Times and TERMINATE counts ---

TEST_F(KernelRun, ConstantTimeDrawsNoRandomNumber) {
  fill_gat_model(10);
  EXPECT_EQ(time_from_operand_pair(*e, 5.0f, 0.0f, -1.0f, 0.0f), 5.0f);
  // Referenced operands with a spread of 0 draw nothing either.
  e->ent.sv.savevalue_value.set(4, 7.5, e->changes);
  EXPECT_EQ(time_from_operand_pair(*e, 4.0f, 0.0f, 4.0f, 0.0f), 7.5f);
  EXPECT_EQ(draw_random_number(*e, 1), 0.037877001f);
  // A spread drawn from stream 1: (r1 - r2) + 2 r2 u.
  EXPECT_EQ(time_from_operand_pair(*e, 4.0f, 2.0f, 4.0f, 0.0f), (7.5f - 2.0f) + 4.0f * 0.377027f);
}

// --- Errors that end the run ---

TEST_F(KernelRun, NegativeSavevalueInTerminateEndsTheRun) {
  fill_gat_model(10);
  e->ent.term.terminate_value[1] = -3;
  e->ent.sv.savevalue_value.set(3, -1.0, e->changes);
  console_input("\n");
  EXPECT_TRUE(stops([&] { run(); }));
  EXPECT_NE(out.str().find(" Negative X$VALUE in TERMINATE"), std::string::npos);
  EXPECT_NE(out.str().find(" Error found at block    3"), std::string::npos);
}

TEST_F(KernelRun, NegativeAdvanceTimeEndsTheRun) {
  fill_gat_model(10);
  e->ent.gen.advance_time_table[1] = {0.0f, 2.0f, 3.0f, 0.0f, 0.0f};  // 2 +- 3 from constants
  console_input("\n");
  EXPECT_TRUE(stops([&] { run(); }));
  EXPECT_NE(out.str().find(" Negative ADVANCE time"), std::string::npos);
  EXPECT_NE(out.str().find(" Error found at block    2"), std::string::npos);
}

// Block 2 of the model replaced by a block the dispatcher cannot run.
TEST_F(KernelRun, BlocksThatCannotBeRunEndTheRunWithTheirMessage) {
  struct Case {
    int code;
    int arg;
    const char* console;
    const char* first_line;
  };
  const Case cases[] = {
      // A control statement's code: the stop without a report.
      {bc::end, 0, "", " Wrong operation code in block    2"},
      // Falling into the next GENERATE.
      {bc::generate, 1, "", " Transaction tries to enter GENERATE = block    2"},
      // A block whose routine this version does not have.
      {bc::split, 0, "\n", " Block code 31 cannot be run by this version"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    SetUp();
    out.str("");
    fill_gat_model(10);
    e->blocks.block_op[2] = static_cast<int2>(c.code);
    e->blocks.block_arg[2] = static_cast<int2>(c.arg);
    console_input(c.console);
    EXPECT_TRUE(stops([&] { run(); }));
    EXPECT_EQ(lines_of(out.str()).at(0), c.first_line);
  }
}

TEST_F(KernelRun, RunTimeLimitEndsTheRunWithTheReport) {
  fill_gat_model(10);
  e->ctl.java_mode = true;
  e->ctl.run_time_limit = 1;
  e->ctl.run_time_start = std::chrono::steady_clock::now() - std::chrono::seconds(3);
  ScratchDir dir("limit");
  e->ctl.program_file_name.assign("M.TXT");
  start_run_transactions(*e);
  EXPECT_TRUE(stops([&] { run_event_loop(*e); }));
  e->ch.close_all();
  EXPECT_EQ(trim_right(lines_of(read_file("M.ERR")).at(0)), " Program run time exceeds limit");
  EXPECT_TRUE(std::filesystem::exists("M.BLK"));
}

// A read that skips the rest of a line of gigabytes (here a sparse file)
// looks at the run-time limit: in a run the run ends with its report, as
// the event loop ends it; outside a run the engine stops with no report.
TEST_F(KernelRun, LongLineReadEndsAtTheRunTimeLimit) {
  for (const bool in_run : {true, false}) {
    SCOPED_TRACE(in_run);
    SetUp();
    ScratchDir dir("long_line");
    fill_gat_model(10);
    e->ctl.java_mode = true;
    e->ctl.run_time_limit = 1;
    e->ctl.run_time_start = std::chrono::steady_clock::now() - std::chrono::seconds(3);
    e->ctl.program_file_name.assign("M.TXT");
    start_run_transactions(*e);
    e->run.in_event_loop = in_run;
    { std::ofstream("M.tex") << "first line\n"; }
    std::filesystem::resize_file("M.tex", std::uintmax_t{1} << 26);
    ASSERT_TRUE(e->ch.open_read(86, "M.tex"));
    std::string line;
    ASSERT_EQ(e->ch.read_line(86, line), io::ReadStatus::ok);
    EXPECT_TRUE(stops([&] { e->ch.read_line(86, line); }));
    e->ch.close_all();
    EXPECT_EQ(trim_right(lines_of(read_file("M.ERR")).at(0)), " Program run time exceeds limit");
    EXPECT_EQ(std::filesystem::exists("M.BLK"), in_run);
  }
}

TEST_F(KernelRun, NoStartTimeMeansNoLimit) {
  fill_gat_model(10);
  e->ctl.java_mode = true;
  e->ctl.run_time_limit = 0;
  ScratchDir dir("nolimit");
  e->ctl.program_file_name.assign("M.TXT");
  start_run_transactions(*e);
  run_event_loop(*e);
  EXPECT_EQ(e->run.clock, 84.614716f);
}

// --- The dispatcher's codes ---

// Every code a block can carry is dispatched to a routine (or, for the
// blocks whose routine this version does not have, to the message that
// ends the run); the codes of control statements and codes outside 1..53
// stop the program.
TEST_F(KernelRun, EveryCodeHasItsEnd) {
  const std::vector<int> control = {3, 5, 6, 11, 16, 17, 18, 22, 24, 25, 28, 32};
  const std::vector<int> stations_queues_tables = {2, 4, 9, 10, 12, 13, 14, 15, 33, 35, 44};
  for (int code = 0; code <= 55; ++code) {
    SetUp();
    fill_gat_model(10);
    e->blocks.block_count = 4;
    e->blocks.block_op[4] = static_cast<int2>(code);
    e->blocks.block_opnd[4] = 1;
    e->blocks.block_arg[4] = 1;
    e->blocks.generate_limit[4] = 100000;
    console_input("\n");
    out.str("");
    start_run_transactions(*e);
    e->act.cur_txn[2] = 4;
    e->act.cur_txn[5] = 3;
    const bool stopped = stops([&] { dispatch_block(*e, e->act.cur_txn[tw::next_block]); });
    const std::string first = lines_of(out.str()).empty() ? "" : lines_of(out.str())[0];
    const bool is_control = std::find(control.begin(), control.end(), code) != control.end();
    if (code == 1 || code == 19) {
      EXPECT_FALSE(stopped) << code;
    } else if (code == 8) {
      // A transaction that has been in a block may not enter a GENERATE.
      EXPECT_EQ(first, " Transaction tries to enter GENERATE = block    4") << code;
    } else if (code < 1 || code > 53 || is_control) {
      EXPECT_EQ(first, " Wrong operation code in block    4") << code;
    } else if (std::find(stations_queues_tables.begin(), stations_queues_tables.end(), code) !=
               stations_queues_tables.end()) {
      // Station, queue and TABULATE blocks have their routines.
      EXPECT_NE(first, " Block code" + io::format_i(code, 3) + " cannot be run by this version") << code;
    } else {
      // A routine of its own (which may end the run, or move the
      // transaction on to block 5, which holds nothing), or the message of
      // a block without its routine: never the unknown-code stop at block 4.
      EXPECT_NE(first, " Wrong operation code in block    4") << code;
    }
  }
}

}  // namespace
}  // namespace kelvo::test
