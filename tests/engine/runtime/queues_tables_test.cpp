// Queues and tables at run time: zero-time stays, the DEPART error,
// queues by parameter, the frequency classes and the near-integer snap.
#include "runtime/queues_tables.h"

#include "runtime_test_support.h"
#include "support/packed_names.h"

namespace kelvo::test {
namespace {

class QueuesTables : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->ent.q.queue_count = 2;
    e->ent.q.queue_name[1] = pack6("WAITQ");
    e->ent.q.queue_name[2] = pack6("OTHER");
    e->ent.q.queue_map.fill(-1);
    clear_server_statistics(*e);
  }
  // Table 1: first class up to `lower`, `classes` classes of `width`.
  void table(int lower, int width, int classes) {
    e->ent.tab.table_count = 1;
    e->ent.tab.table_lower[1] = lower;
    e->ent.tab.table_width[1] = width;
    e->ent.tab.table_classes[1] = classes;
    restart_table_statistics(*e);
  }
};

TEST_F(QueuesTables, SameClockDepartureFromAnEmptiedQueueIsAZeroStay) {
  e->run.clock = 4.0f;
  queue_entry_block(*e, 1);
  depart_adset(*e, 1);
  EXPECT_EQ(e->srv.queue_entries[1], 1);
  EXPECT_EQ(e->srv.queue_zero_entries[1], 1);
  EXPECT_EQ(e->srv.queue_current[1], 0);
}

TEST_F(QueuesTables, ZeroStayNeedsTheQueueLeftEmptyOrAPositivePriority) {
  e->run.clock = 1.0f;
  queue_entry_block(*e, 1);
  queue_entry_block(*e, 1);
  depart_adset(*e, 1);  // one left in the queue, priority 0: not counted
  EXPECT_EQ(e->srv.queue_zero_entries[1], 0);
  e->act.cur_txn[3] = 2.0;
  queue_entry_block(*e, 1);
  depart_adset(*e, 1);
  EXPECT_EQ(e->srv.queue_zero_entries[1], 1);
  e->run.clock = 3.0f;
  depart_adset(*e, 1);  // a stay of 2 time units
  EXPECT_EQ(e->srv.queue_zero_entries[1], 1);
  EXPECT_EQ(e->srv.queue_max[1], 2);
}

TEST_F(QueuesTables, TimeIntegralOfTheContents) {
  e->run.clock = 1.0f;
  queue_entry_block(*e, 1);
  e->run.clock = 3.0f;
  queue_entry_block(*e, 1);
  e->run.clock = 4.0f;
  depart_adset(*e, 1);
  // 1 in the queue from 1 to 3, 2 from 3 to 4, 1 from 4 to 6.
  e->run.clock = 6.0f;
  EXPECT_FLOAT_EQ(e->srv.queue_area[1] + e->srv.queue_current[1] * e->run.clock, 6.0f);
}

TEST_F(QueuesTables, DepartFromAnEmptyQueueEndsTheRun) {
  console_input("\n");
  EXPECT_TRUE(stops([&] { depart_adset(*e, 2); }));
  EXPECT_EQ(lines_of(out.str()).at(0), " Illegal use of DEPART. Contents of AD-set:     -1");
}

TEST_F(QueuesTables, QueueFromAParameter) {
  e->ent.par.param_count = 1;
  e->act.cur_txn[6] = 2.0;
  queue_entry_block(*e, -1);
  EXPECT_EQ(e->srv.queue_current[2], 1);
  // A QTABLE of queue 5 by its number tabulates the queue made now.
  e->ent.tab.table_count = 1;
  e->ent.tab.table_queue_name[1] = numeric_name_key(5);
  e->act.cur_txn[6] = 5.0;
  queue_entry_block(*e, -1);
  EXPECT_EQ(e->ent.q.queue_count, 5);
  EXPECT_EQ(e->srv.queue_current[5], 1);
  EXPECT_EQ(e->ent.q.queue_map[5], 1);
  EXPECT_EQ(e->ent.q.queue_map[4], -1);
  e->act.cur_txn[6] = 0.0;
  console_input("\n");
  EXPECT_TRUE(stops([&] { queue_entry_block(*e, -1); }));
  EXPECT_NE(out.str().find(" Parameter has illegal negative or 0 value"), std::string::npos);
}

TEST_F(QueuesTables, TooManyQueuesFromAParameter) {
  e->ent.par.param_count = 1;
  e->act.cur_txn[6] = k_queue_limit + 1;
  console_input("\n");
  EXPECT_TRUE(stops([&] { depart_adset(*e, -1); }));
  EXPECT_NE(out.str().find(" Too many queues used"), std::string::npos);
}

TEST_F(QueuesTables, ValuesGoToTheirClasses) {
  table(10, 5, 4);
  EXPECT_EQ(table_class_of(*e, 1, 10.0f), 1);
  EXPECT_EQ(table_class_of(*e, 1, -3.0f), 1);
  EXPECT_EQ(table_class_of(*e, 1, 10.1f), 2);
  EXPECT_EQ(table_class_of(*e, 1, 15.0f), 2);
  EXPECT_EQ(table_class_of(*e, 1, 15.01f), 3);
  EXPECT_EQ(table_class_of(*e, 1, 25.0f), 4);
  EXPECT_EQ(table_class_of(*e, 1, 25.1f), 5);
  EXPECT_EQ(table_class_of(*e, 1, 1.0e6f), 5);
  EXPECT_EQ(table_class_of(*e, 1, 2.35e17f), 5);  // beyond 2^31 classes: no integer overflow
}

TEST_F(QueuesTables, OverflowValuesAreSummed) {
  table(10, 5, 4);
  enter_table_value(*e, 1, 25.0f, 1);
  enter_table_value(*e, 1, 25.5f, 2);
  const auto& s = e->srv;
  EXPECT_EQ(s.table_freq[1][4], 1);
  EXPECT_EQ(s.table_freq[1][5], 2);
  // Weight 2 counts the value twice, as in the frequency.
  EXPECT_FLOAT_EQ(s.table_overflow_sum[1], 51.0f);
  EXPECT_EQ(s.table_entries[1], 3);
  EXPECT_FLOAT_EQ(s.table_sum[1], 25.0f + 2 * 25.5f);
  EXPECT_FLOAT_EQ(s.table_sumsq[1], 625.0f + 2 * 650.25f);
  EXPECT_FLOAT_EQ(s.table_min[1], 25.0f);
  EXPECT_FLOAT_EQ(s.table_max[1], 25.5f);
}

TEST_F(QueuesTables, NearIntegersSnapToTheNearestInteger) {
  table(10, 5, 4);
  enter_table_value(*e, 1, 9.99995f, 1);
  EXPECT_FLOAT_EQ(e->srv.table_max[1], 10.0f);
  EXPECT_EQ(e->srv.table_freq[1][1], 1);
  enter_table_value(*e, 1, 9.5f, 1);
  EXPECT_FLOAT_EQ(e->srv.table_min[1], 9.5f);
  enter_table_value(*e, 1, -2.99995f, 1);
  EXPECT_FLOAT_EQ(e->srv.table_min[1], -3.0f);
}

TEST_F(QueuesTables, QtableTabulatesTheTimeInTheQueue) {
  table(0, 1, 10);
  e->ent.q.queue_map[1] = 1;
  e->ent.q.qtable_count = 1;
  e->run.clock = 2.0f;
  queue_entry_block(*e, 1);
  EXPECT_EQ(e->act.cur_txn[4], 2.0);
  e->run.clock = 5.0f;
  depart_adset(*e, 1);
  EXPECT_EQ(e->act.cur_txn[4], 0.0);
  EXPECT_EQ(e->srv.table_entries[1], 1);
  EXPECT_FLOAT_EQ(e->srv.table_sum[1], 3.0f);
}

TEST_F(QueuesTables, NestedQtableQueuesEnteredAtDifferentTimesEndTheRun) {
  table(0, 1, 10);
  e->ent.q.queue_map[1] = 1;
  e->ent.q.queue_map[2] = 1;
  e->ent.q.qtable_count = 2;
  e->run.clock = 2.0f;
  queue_entry_block(*e, 1);
  e->run.clock = 3.0f;
  console_input("\n");
  EXPECT_TRUE(stops([&] { queue_entry_block(*e, 2); }));
  const auto lines = lines_of(out.str());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], " Illegal nesting of queues using QTABLEs. When nested each");
  EXPECT_EQ(lines[1], " transaction's entry into tables must be at SAME time");
  EXPECT_EQ(lines[2], " Run program repeatedly with one table at a time!");
}

TEST_F(QueuesTables, SavevaluesStartFromTheirInitialValues) {
  e->ent.sv.savevalue_count = 1;
  e->ent.sv.savevalue_init[1] = 2.5;
  e->ent.sv.savevalue_value.set(1, 9.0, e->changes);
  e->ent.sv.savevalue_value.set(300, 4.0, e->changes);
  setup_savevalues_and_records(*e);
  EXPECT_EQ(e->ent.sv.savevalue_value[1], 2.5);
  EXPECT_EQ(e->ent.sv.savevalue_value[300], 0.0);
}

}  // namespace
}  // namespace kelvo::test
