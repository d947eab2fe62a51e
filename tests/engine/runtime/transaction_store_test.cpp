// Transaction store and chains: the order of the future-events chain,
// waiting lines and the due-now batch, unlinking, pool exhaustion and
// the start-of-run set-up.
#include "runtime/transaction_store.h"

#include <algorithm>
#include <random>

#include "runtime/event_loop.h"
#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class Chains : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->ent.par.param_count = 2;
    e->ent.st.station_name_count = 3;
    start_run_transactions(*e);  // no GENERATE blocks: empty chains
  }
  // Files a transaction with a tag in parameter 1.
  void file(int chain, float time, double priority, int tag) {
    auto& c = e->act.cur_txn;
    c[1] = time;
    c[2] = 1;
    c[3] = priority;
    c[6] = tag;
    insert_event_chain(*e, chain);
  }
  // Files the active transaction due now as a released waiter is filed:
  // put on a waiting line, taken off it and filed in the batch.
  void file_due_now() {
    const int line = k_waitif_chain;
    insert_event_chain(*e, line);
    const int p = e->txn.chain_tail[static_cast<std::size_t>(line)];
    take_off_waiting_chain(*e, p, line);
    file_taken_record(*e, p, true);
  }
  std::vector<int> tags(int chain) {
    std::vector<int> v;
    for (int r = e->txn.chain_head[static_cast<std::size_t>(chain)]; r != 0; r = e->txn.txn_next[static_cast<std::size_t>(r)])
      v.push_back(static_cast<int>(record_word(*e, r, 6)));
    return v;
  }
  // The chain read backwards must mirror it.
  std::vector<int> tags_backwards(int chain) {
    std::vector<int> v;
    for (int r = e->txn.chain_tail[static_cast<std::size_t>(chain)]; r != 0; r = e->txn.txn_prev[static_cast<std::size_t>(r)])
      v.insert(v.begin(), static_cast<int>(record_word(*e, r, 6)));
    return v;
  }
};

// Many filings in a shuffled order, with removals from the middle, give
// the chains, short or long, exactly the order a plain reference gives:
// the future events a stable sort by time and then higher priority, a
// waiting line by higher priority, each first come first served, with
// front filings ahead of their equals.
TEST_F(Chains, ShuffledFilingsAndRemovalsMatchAPlainReference) {
  struct Entry {
    float time;
    double priority;
    int tag;
  };
  std::mt19937 rng(20261208);
  std::vector<Entry> fec, line;
  int tag = 0;
  auto file_some = [&](int n) {
    for (int i = 0; i < n; ++i) {
      const Entry f{0.5f * static_cast<float>(rng() % 40), static_cast<double>(rng() % 4), ++tag};
      file(k_future_chain, f.time, f.priority, f.tag);
      fec.push_back(f);
      const Entry w{0.0f, static_cast<double>(rng() % 3), ++tag};
      const bool front = rng() % 5 == 0;
      auto& c = e->act.cur_txn;
      c[tw::move_time] = 0;
      c[tw::priority] = w.priority;
      c[tw::first_param] = w.tag;
      if (front) {
        insert_chain_front(*e, station_chain(2));
      } else {
        insert_event_chain(*e, station_chain(2));
      }
      // The reference line: in front of its equals, or behind them.
      auto at = front && (line.empty() || w.priority >= line.front().priority)
                    ? line.begin()
                    : std::find_if(line.begin(), line.end(), [&](const Entry& x) { return x.priority < w.priority; });
      line.insert(at, w);
    }
  };
  auto remove_some = [&](int chain, std::vector<Entry>& ref, int n) {
    for (int i = 0; i < n; ++i) {
      const int victim = ref[rng() % ref.size()].tag;
      int r = e->txn.chain_head[ix(chain)];
      while (static_cast<int>(record_word(*e, r, tw::first_param)) != victim) r = e->txn.txn_next[ix(r)];
      unlink_transaction(*e, r, chain);
      ref.erase(std::find_if(ref.begin(), ref.end(), [&](const Entry& x) { return x.tag == victim; }));
    }
  };
  auto expected = [](std::vector<Entry> ref, bool by_time) {
    std::stable_sort(ref.begin(), ref.end(), [&](const Entry& a, const Entry& b) {
      if (by_time && a.time != b.time) return a.time < b.time;
      return a.priority > b.priority;
    });
    std::vector<int> tags;
    for (const Entry& x : ref) tags.push_back(x.tag);
    return tags;
  };
  auto tags_of = [](const std::vector<Entry>& ref) {
    std::vector<int> tags;
    for (const Entry& x : ref) tags.push_back(x.tag);
    return tags;
  };
  // Short chains (walked), long ones (indexed), long chains that grow
  // short (5 records) and long once more.
  const int steps[][2] = {{20, 0}, {1500, 400}, {1000, 0}, {0, 2115}, {60, 0}};
  for (const auto& [filed, removed] : steps) {
    file_some(filed);
    remove_some(k_future_chain, fec, removed);
    remove_some(station_chain(2), line, removed);
    EXPECT_EQ(tags(k_future_chain), expected(fec, true));
    EXPECT_EQ(tags_backwards(k_future_chain), tags(k_future_chain));
    EXPECT_EQ(tags(station_chain(2)), tags_of(line));
  }
}

// On a short future-events chain a record is placed from either end of
// the sorted part: with batches due now open in front of it (filed in
// their own order), records due now and records taken from the head, every
// filing lands right behind the record a walk from the tail stops at.
TEST_F(Chains, ShortFutureChainFilingLandsWhereAWalkFromTheTailStops) {
  std::mt19937 rng(20261209);
  auto& c = e->act.cur_txn;
  auto& t = e->txn;
  int placed = 0;
  for (int step = 0; step < 20000; ++step) {
    const int head = t.chain_head[k_future_chain];
    const unsigned what = rng() % 8;
    if (head != 0 && (what == 0 || t.chain_size[k_future_chain] >= 30)) {
      unlink_transaction(*e, head, k_future_chain);
      continue;
    }
    if (head != 0 && what == 1 && t.batch_last == 0) {
      e->run.clock = record_move_time(*e, head);
      find_last_due_event(*e, e->run.clock);
      continue;
    }
    c[tw::priority] = static_cast<double>(rng() % 4);
    c[tw::first_param] = step;
    if (what == 2) {
      c[tw::move_time] = e->run.clock - 0.5f * static_cast<float>(rng() % 3);
      file_due_now();
      continue;
    }
    const float time = e->run.clock + 0.5f * static_cast<float>(rng() % 12);
    c[tw::move_time] = time;
    // The walk from the tail: back over every record filed after the new one.
    int q = t.chain_tail[k_future_chain];
    while (q != 0 && (time < record_move_time(*e, q) || (time == record_move_time(*e, q) && c[tw::priority] > record_priority(*e, q))))
      q = t.txn_prev[ix(q)];
    const int p = t.free_head;
    insert_event_chain(*e, k_future_chain);
    ASSERT_EQ(t.txn_prev[ix(p)], q) << "step " << step;
    ++placed;
  }
  EXPECT_GT(placed, 5000);
  EXPECT_EQ(tags_backwards(k_future_chain), tags(k_future_chain));
}

TEST_F(Chains, UnlinkCopiesTheRecordBackInSinglePrecision) {
  auto& c = e->act.cur_txn;
  c[1] = 0.1;
  c[2] = 4;
  c[3] = 7;
  c[6] = 1.0 / 3.0;
  insert_event_chain(*e, 1);
  c = {};
  const int r = e->txn.chain_head[1];
  unlink_transaction(*e, r, 1);
  EXPECT_EQ(c[1], static_cast<double>(0.1f));
  EXPECT_EQ(c[6], static_cast<double>(static_cast<float>(1.0 / 3.0)));
  EXPECT_EQ(c[3], 7.0);
  EXPECT_EQ(e->txn.chain_size[1], 0);
  EXPECT_EQ(e->txn.chain_head[1], 0);
  EXPECT_EQ(e->txn.chain_tail[1], 0);
  EXPECT_EQ(e->txn.free_head, r);
  EXPECT_EQ(e->run.next_event_time, e->run.end_time);
}

TEST_F(Chains, UnlinkKeepsTheNextEventTime) {
  file(1, 2.0f, 0, 1);
  file(1, 7.5f, 0, 2);
  unlink_transaction(*e, e->txn.chain_head[1], 1);
  EXPECT_EQ(e->run.next_event_time, 7.5f);
  EXPECT_EQ(tags(1), (std::vector<int>{2}));
}

TEST_F(Chains, UnlinkOfARecordNotOnTheChainIsAChainError) {
  file(1, 2.0f, 0, 1);
  EXPECT_TRUE(stops([&] { unlink_transaction(*e, e->txn.chain_head[1], 2); }));
  EXPECT_NE(out.str().find(" Unspecified error nr    3"), std::string::npos);
  out.str("");
  EXPECT_TRUE(stops([&] { unlink_transaction(*e, 0, 1); }));
  EXPECT_NE(out.str().find(" Unspecified error nr    3"), std::string::npos);
  out.str("");
  EXPECT_TRUE(stops([&] { unlink_transaction(*e, e->txn.txn_slots + 1, 1); }));
}

TEST_F(Chains, DueNowJoinsTheOpenBatchByPriority) {
  file(1, 4.0f, 0, 1);
  file(1, 4.0f, 0, 2);
  file(1, 9.0f, 5, 3);
  e->run.clock = 4.0f;
  find_last_due_event(*e, 4.0f);
  const int last = e->txn.batch_last;
  EXPECT_EQ(static_cast<int>(record_word(*e, last, 6)), 2);
  auto& c = e->act.cur_txn;
  c[1] = 4.0;
  c[3] = 0;
  c[6] = 4;
  file_due_now();  // equal priority: at the batch end
  EXPECT_EQ(tags(1), (std::vector<int>{1, 2, 4, 3}));
  EXPECT_EQ(static_cast<int>(record_word(*e, e->txn.batch_last, 6)), 4);
  c[3] = 1;
  c[6] = 5;
  file_due_now();  // higher priority: ahead of the whole batch
  EXPECT_EQ(tags(1), (std::vector<int>{5, 1, 2, 4, 3}));
  EXPECT_EQ(tags_backwards(1), tags(1));
}

TEST_F(Chains, DueNowWithoutBatchBecomesTheHead) {
  file(1, 8.0f, 0, 1);
  e->txn.batch_last = 0;
  auto& c = e->act.cur_txn;
  c[1] = 0.0;
  c[3] = 0;
  c[6] = 2;
  file_due_now();
  EXPECT_EQ(tags(1), (std::vector<int>{2, 1}));
  EXPECT_EQ(static_cast<int>(record_word(*e, e->txn.batch_last, 6)), 2);
}

TEST_F(Chains, StationWaiterReleasedForARetryComesBackToTheFront) {
  e->blocks.block_count = 6;
  e->blocks.block_entries[5] = 3;
  auto& c = e->act.cur_txn;
  file(2, 0.0f, 0, 1);  // a waiter already in line
  c = {};
  c[1] = 2.0;
  c[2] = 5;  // waits to enter block 5 (the station block)
  c[5] = 4;  // still counted in block 4
  c[6] = 2;
  e->run.clock = 2.0f;
  enter_station_waiting_line(*e, 5, 1);
  EXPECT_EQ(c[2], -1.0);
  EXPECT_EQ(e->blocks.block_entries[5], 2);
  EXPECT_EQ(e->blocks.block_current[4], 1);
  EXPECT_EQ(tags(2), (std::vector<int>{1, 2}));
  // Released for a retry: taken out of the line, filed as due now.
  const int r = e->txn.chain_tail[2];
  remove_from_chain_and_count(*e, 1, r);
  EXPECT_EQ(e->blocks.block_current[4], 0);
  EXPECT_EQ(e->txn.txn_marks[static_cast<std::size_t>(r)].station, 5);
  EXPECT_EQ(tags(1), (std::vector<int>{2}));
  // Back at block 5 at the same clock: ahead of the equal-priority waiter.
  unlink_transaction(*e, e->txn.chain_head[1], 1);
  enter_station_waiting_line(*e, 5, 1);
  EXPECT_EQ(tags(2), (std::vector<int>{2, 1}));
}

TEST_F(Chains, OperandSumCountsMultiUnitStorageWaiters) {
  e->blocks.block_count = 3;
  e->blocks.block_op[2] = bc::enter;
  e->blocks.block_units[2] = 3;
  e->blocks.block_op[3] = bc::enter;
  e->blocks.block_units[3] = 1;
  e->act.cur_txn[5] = 2;
  add_to_operand_sum(*e, 1);
  EXPECT_EQ(e->run.operand_sum, 1);
  e->act.cur_txn[5] = 3;
  add_to_operand_sum(*e, 1);
  EXPECT_EQ(e->run.operand_sum, 1);
}

TEST_F(Chains, PoolExhaustionEndsTheRunWithErrorOne) {
  e->ent.par.param_count = 0;
  start_run_transactions(*e);
  ASSERT_EQ(e->txn.txn_slots, 21428);
  for (int i = 0; i < 21428; ++i) file(1, 1.0f, 0, 0);
  EXPECT_EQ(e->txn.chain_size[1], 21428);
  EXPECT_TRUE(stops([&] { file(1, 1.0f, 0, 0); }));
  const auto lines = lines_of(out.str());
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], " Unspecified error nr    1");
  EXPECT_EQ(lines[1], " Check in output below if very long waiting lines or extended stop time");
  EXPECT_EQ(lines[2], " Is LEAVE, RELEASE or RETURN block missing?");
  EXPECT_EQ(lines[3], " Are too many transactions at same time in system?");
}

TEST_F(Chains, StartOfRunFilesTheFirstArrivalOfEveryGenerate) {
  fill_gat_model(10);
  e->blocks.block_count = 4;
  e->blocks.block_op[4] = bc::generate;
  e->blocks.block_arg[4] = 2;
  e->ent.gen.generate_time_table[2] = {0.0f, 3.0f, 0.0f, -1.0f, 0.0f};
  e->ent.gen.generate_first_time[2] = -1000;  // one inter-arrival time
  e->ent.gen.generate_priority[2] = 4;
  e->act.cur_txn[9] = 123.0;  // stale words of an earlier transaction
  start_run_transactions(*e);
  ASSERT_EQ(e->txn.chain_size[1], 2);
  const int h = e->txn.chain_head[1];
  EXPECT_EQ(record_move_time(*e, h), 0.0f);
  EXPECT_EQ(record_word(*e, h, 2), 1.0f);
  EXPECT_EQ(record_word(*e, h, 4), -1.0f);
  const int t = e->txn.chain_tail[1];
  EXPECT_EQ(record_move_time(*e, t), 3.0f);
  EXPECT_EQ(record_priority(*e, t), 4.0);
  EXPECT_EQ(e->act.cur_txn[9], 0.0);
  EXPECT_EQ(e->run.max_priority, 4.0f);
}

TEST_F(Chains, NegativeGeneratePriorityIsTheValueItself) {
  fill_gat_model(10);
  e->ent.gen.generate_priority[1] = -5;
  e->ent.dec.decimal_count = 5;
  e->ent.dec.decimal_value[5] = 77.0f;
  start_run_transactions(*e);
  EXPECT_EQ(record_priority(*e, e->txn.chain_head[1]), -5.0);
}

}  // namespace
}  // namespace kelvo::test
