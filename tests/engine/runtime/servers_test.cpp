// Stations at run time on hand-filled tables: a storage serving its
// waiters after a multi-unit release, a pre-empted holder that resumes
// with its remaining time ahead of the other waiters, try stations, and
// the station-by-parameter errors.
#include "runtime/servers.h"

#include "runtime_test_support.h"
#include "runtime/transaction_store.h"

namespace kelvo::test {
namespace {

class Servers : public RuntimeTest {
 protected:
  // Stations 1..n; the pool and chains are set up as at a run start (over
  // the blocks defined so far).
  void stations(int storages, int facilities, int params = 0) {
    auto& st = e->ent.st;
    st.storage_count = storages;
    st.station_name_count = storages + facilities;
    st.station_count = storages + facilities;
    for (int s = 1; s <= st.station_count; ++s) st.station_name[s] = pack6(s <= storages ? "STO" : "FAC");
    e->ent.par.param_count = params;
    start_run_transactions(*e);
  }
  void block(int b, int code, int station, int units = 0) {
    auto& bl = e->blocks;
    if (b > bl.block_count) bl.block_count = b;
    bl.block_op[b] = static_cast<int2>(code);
    bl.block_arg[b] = static_cast<int2>(station);
    bl.block_units[b] = units;
  }
  // A new active transaction about to execute block b.
  void arrive(int b, double priority = 0.0) {
    auto& cur = e->act.cur_txn;
    cur.fill(0.0);
    cur[1] = e->run.clock;
    cur[2] = b;
    cur[3] = priority;
    e->act.cur_marks = TxnMarks{};
    e->act.cur_block = b;
  }
  // Runs the station routine of block b for the active transaction.
  void run_block(int b) {
    e->act.cur_block = b;
    switch (e->blocks.block_op[b]) {
      case bc::leave:
      case bc::release: leave_or_release_block(*e, b); break;
      case bc::return_: return_block(*e, b); break;
      case bc::preempt: preempt_block(*e, b); break;
      case bc::preempt_after_priority: preempt_by_priority_block(*e, b); break;
      default: enter_or_seize_block(*e, b); break;
    }
  }
  bool waits() const { return e->act.cur_txn[2] == -1.0; }
  int line_size(int s) const { return e->txn.chain_size[static_cast<std::size_t>(station_chain(s))]; }
};

TEST_F(Servers, ReleaseOfThreeUnitsAdmitsTheSecondAndThirdWaiter) {
  stations(1, 0);
  e->ent.st.station_capacity[1] = 5;
  e->run.serve_all_waiters_flag = true;
  block(1, bc::enter, 1, 4);
  block(2, bc::enter, 1, 2);
  block(3, bc::enter, 1, 1);
  block(4, bc::leave, 1, 3);
  block(5, bc::enter, 1, 5);
  arrive(5);
  run_block(5);
  ASSERT_FALSE(waits());
  EXPECT_EQ(e->srv.station_contents[1], 5);
  for (int b = 1; b <= 3; ++b) {
    arrive(b);
    run_block(b);
    EXPECT_TRUE(waits());
  }
  EXPECT_EQ(line_size(1), 3);
  arrive(4);
  run_block(4);
  EXPECT_EQ(e->srv.station_contents[1], 2);
  EXPECT_EQ(e->srv.served_count[1], 2);
  // The one asking 4 units is passed over and stays in line.
  ASSERT_EQ(line_size(1), 1);
  EXPECT_EQ(record_word(*e, e->txn.chain_head[2], 2), 1.0f);
  // The two served are due now; entering again they take 2 and 1 units.
  ASSERT_EQ(e->txn.chain_size[1], 2);
  for (int i = 0; i < 2; ++i) {
    unlink_transaction(*e, e->txn.chain_head[1], 1);
    const int b = static_cast<int>(e->act.cur_txn[2]);
    EXPECT_NE(e->act.cur_marks.station, 0);
    run_block(b);
    EXPECT_FALSE(waits());
  }
  EXPECT_EQ(e->srv.station_contents[1], 5);
  EXPECT_EQ(e->srv.station_entries[1], 5 + 2 + 1);
}

TEST_F(Servers, WaiterThatStillDoesNotFitGoesBackToTheHead) {
  stations(0, 1);
  block(1, bc::seize, 1);
  block(2, bc::seize, 1);
  block(3, bc::release, 1);
  arrive(1);
  run_block(1);  // holds the facility
  arrive(1);
  run_block(1);  // waits
  arrive(2);
  run_block(2);  // waits behind it
  arrive(3);
  run_block(3);  // the release wakes the first waiter only
  ASSERT_EQ(e->txn.chain_size[1], 1);
  // Someone else seizes first at the same time: the woken waiter finds the
  // facility taken and goes back to the head of the line.
  e->srv.station_contents.set(1, 1, e->changes);
  unlink_transaction(*e, e->txn.chain_head[1], 1);
  run_block(1);
  EXPECT_TRUE(waits());
  ASSERT_EQ(line_size(1), 2);
  EXPECT_EQ(record_word(*e, e->txn.chain_head[2], 2), 1.0f);
}

TEST_F(Servers, PreemptedHolderResumesWithItsRemainingTimeAheadOfWaiters) {
  block(1, bc::seize, 1);
  block(2, bc::advance, 1);
  block(3, bc::preempt, 1);
  block(4, bc::return_, 1);
  block(5, bc::seize, 1);
  stations(0, 1);
  e->run.clock = 10.0f;
  arrive(1, 3.0);
  run_block(1);
  ASSERT_FALSE(waits());
  // The holder is in its ADVANCE until 17: 7 time units left.
  e->act.cur_txn[1] = 17.0;
  e->act.cur_txn[2] = -2.0;
  e->act.cur_txn[5] = 1.0;
  insert_event_chain(*e, 1);
  arrive(5, 5.0);
  run_block(5);
  ASSERT_TRUE(waits());
  arrive(3, 0.0);
  run_block(3);
  ASSERT_FALSE(waits());
  EXPECT_TRUE(e->srv.preempt_mark[1]);
  EXPECT_EQ(e->srv.preempted_count[1], 1);
  EXPECT_EQ(e->txn.chain_size[1], 0);
  ASSERT_EQ(line_size(1), 2);
  // The pre-empted holder heads the line despite the waiter's higher priority.
  const int head = e->txn.chain_head[2];
  EXPECT_EQ(record_move_time(*e, head), -7.0f);
  EXPECT_EQ(record_word(*e, head, 2), -2.0f);
  e->run.clock = 15.0f;
  arrive(4);
  run_block(4);
  EXPECT_FALSE(e->srv.preempt_mark[1]);
  EXPECT_EQ(e->srv.preempted_count[1], 0);
  EXPECT_EQ(e->srv.station_contents[1], 1);
  ASSERT_EQ(e->txn.chain_size[1], 1);
  const int back = e->txn.chain_head[1];
  EXPECT_EQ(record_move_time(*e, back), 22.0f);
  EXPECT_EQ(record_priority(*e, back), 3.0);
  EXPECT_EQ(e->txn.txn_marks[back].preempt, 0);
  EXPECT_EQ(line_size(1), 1);
}

TEST_F(Servers, PreemptionByPriorityWaitsWhenNotAboveTheHolder) {
  block(1, bc::seize, 1);
  block(2, bc::advance, 1);
  block(3, bc::preempt_after_priority, 1);
  stations(0, 1);
  e->run.clock = 1.0f;
  arrive(1, 7.0);
  run_block(1);
  e->act.cur_txn[1] = 5.0;
  e->act.cur_txn[2] = -2.0;
  insert_event_chain(*e, 1);
  arrive(3, 7.0);
  run_block(3);
  EXPECT_TRUE(waits());
  EXPECT_EQ(line_size(1), 1);
  EXPECT_EQ(record_priority(*e, e->txn.chain_head[2]), 20000007.0);
  // A higher priority takes the facility.
  arrive(3, 8.0);
  run_block(3);
  EXPECT_FALSE(waits());
  EXPECT_EQ(e->srv.preempted_count[1], 1);
}

TEST_F(Servers, PreemptWithoutHolderEndsTheRun) {
  stations(0, 1);
  block(1, bc::seize, 1);
  block(2, bc::preempt, 1);
  arrive(1);
  run_block(1);  // the holder is not in any ADVANCE block nor waiting line
  arrive(2);
  console_input("\n");
  EXPECT_TRUE(stops([&] { run_block(2); }));
  const auto lines = lines_of(out.str());
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], " Incorrect preempt: Transaction to be");
  EXPECT_EQ(lines[1], " preempted is NOT in any ADVANCE block");
  EXPECT_EQ(lines[2], " nor in any waiting line");
  EXPECT_EQ(lines[3], " Error found at block    2");
}

TEST_F(Servers, FullTryStationLetsThroughWithSlotMinusOneAndItsExitReleasesNothing) {
  stations(0, 1, 1);
  e->ent.par.station_mark_off = 6;
  block(1, bc::seize, 1, k_try_units);
  block(2, bc::release, 1);
  arrive(1);
  run_block(1);
  EXPECT_FALSE(waits());
  EXPECT_EQ(e->act.cur_txn[6], 1.0);
  arrive(1);
  run_block(1);
  EXPECT_FALSE(waits());
  EXPECT_EQ(e->act.cur_txn[6], -1.0);
  EXPECT_EQ(line_size(1), 0);
  run_block(2);  // the refused one: nothing to give back
  EXPECT_EQ(e->srv.station_contents[1], 1);
}

TEST_F(Servers, SeizeByParameterNamingAStorageStopsTheProgram) {
  stations(2, 1, 1);
  e->ent.st.station_capacity[1] = e->ent.st.station_capacity[2] = 3;
  block(1, bc::seize, -1);
  arrive(1);
  e->act.cur_txn[6] = 2.0;
  EXPECT_TRUE(stops([&] { run_block(1); }));
  const auto lines = lines_of(out.str());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], " SEIZE or RELEASE tries to use storage   2");
  EXPECT_EQ(lines[1], " Error found at block    1");
}

TEST_F(Servers, ParameterStationsAreCheckedBeforeUse) {
  stations(1, 1, 1);
  e->ent.st.station_capacity[1] = 3;
  // A parameter of 1.99995 names station 2 (0.0001 is added first) ...
  e->ent.st.facility_offset = 0;
  arrive(1);
  e->act.cur_txn[6] = 1.99995;
  EXPECT_EQ(seize_release_block(*e, -1, bc::seize), 2);
  // ... 0 is refused with the parameter's number.
  e->act.cur_txn[6] = 0.0;
  console_input("\n");
  EXPECT_TRUE(stops([&] { seize_release_block(*e, -1, bc::seize); }));
  EXPECT_EQ(lines_of(out.str()).at(0), " Illegal value in parameter  1");
}

TEST_F(Servers, StorageFormNamingAFacilityNumberEndsTheRun) {
  stations(1, 1, 1);
  e->ent.st.station_capacity[1] = 3;
  arrive(1);
  e->act.cur_txn[6] = 2.0;
  console_input("\n");
  EXPECT_TRUE(stops([&] { seize_release_block(*e, -1, bc::enter); }));
  EXPECT_EQ(lines_of(out.str()).at(0), " Not defined for parameter use: Storage    2");
}

TEST_F(Servers, NegativeContentsEndTheRunWithTheStationName) {
  stations(1, 0);
  e->ent.st.station_capacity[1] = 3;
  block(1, bc::leave, 1, 1);
  arrive(1);
  console_input("\n");
  EXPECT_TRUE(stops([&] { run_block(1); }));
  EXPECT_EQ(lines_of(out.str()).at(0), " Negative contents in server STO   ");
}

TEST_F(Servers, EntryAndExitKeepTheTimeIntegral) {
  stations(1, 0);
  e->ent.st.station_capacity[1] = 4;
  block(1, bc::enter, 1, 3);
  block(2, bc::leave, 1, 3);
  e->run.clock = 2.0f;
  arrive(1);
  run_block(1);
  e->run.clock = 6.0f;
  arrive(2);
  run_block(2);
  // 3 units held for 4 time units.
  EXPECT_FLOAT_EQ(e->srv.station_area[1] + e->srv.station_contents[1] * e->run.clock, 12.0f);
  EXPECT_EQ(e->srv.station_max[1], 3);
}

TEST_F(Servers, UnitsFromAnSnaBOperand) {
  stations(1, 0);
  e->ent.st.station_capacity[1] = 5;
  block(1, bc::enter, 1, -100);
  // The translator lists the block with the SNA it names: here decimal
  // constant 1, 2.7, which truncates to 2 units.
  auto& st = e->ent.st;
  st.sna_b_count = 1;
  st.sna_b_block[1] = 1;
  st.sna_b_kind[1] = 13;
  st.sna_b_value[1] = 1;
  e->ent.dec.decimal_count = 1;
  e->ent.dec.decimal_value[1] = 2.7f;
  arrive(1);
  run_block(1);
  EXPECT_FALSE(waits());
  EXPECT_EQ(e->srv.station_contents[1], 2);
  EXPECT_FALSE(e->srv.station_b_flag[1]);
}

}  // namespace
}  // namespace kelvo::test
