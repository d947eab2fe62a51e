// WAITIF at run time. Takes the active transaction at a WAITIF block, the
// translator's WAITIF station entries and condition table, and the state
// of the stations; lets the transaction pass or files it in its waiting
// chain, releases waiters when their condition may have changed, and
// moves a released waiter on from its block. A released waiter carries
// a retry mark (an explicit mark of the record, with its priority raised
// so that it moves ahead of its equals) until it passes.
#include "runtime/waitif.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/block_dispatcher.h"
#include "runtime/event_loop.h"
#include "runtime/if_block.h"
#include "runtime/queues_tables.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"

namespace kelvo {

namespace {

// The priority raise of a retry mark: small below the highest priority in
// use, else a mark unit; a priority that already carries a mark is left
// as it is.
constexpr real8 k_small_mark = 0.001;
// Clocks closer than this are the same moment of staggering.
constexpr real4 k_same_time = 0.00001f;
// The priority raise of a staggered transaction below the highest
// priority in use: this part of the clock.
constexpr real4 k_stagger_share = 0.0001f;

bool block_ok(const Engine& e, int b) { return b >= 1 && b <= e.blocks.block_count; }

int4 capacity_of(const Engine& e, int s) {
  const int4 c = e.ent.st.station_capacity[ix(s)];
  return c > 0 ? c : 1;
}

// Whether station s is in the state in which waiters of `kind` pass.
bool kind_holds(const Engine& e, int s, int kind) {
  const int4 contents = e.srv.station_contents[ix(s)];
  switch (kind) {
    case wkind::not_full: return contents < capacity_of(e, s);
    case wkind::empty: return contents == 0;
    case wkind::not_empty: return contents > 0;
    default: return contents >= capacity_of(e, s);
  }
}

// The staggering entry of WAITIF block b (0: none).
[[gnu::always_inline]] inline int stagger_entry(const Engine& e, int b) {
  if (!block_ok(e, b)) return 0;
  const int code = e.blocks.block_op[ix(b)];
  if (code != bc::waitif && code != bc::waitif_station && code != bc::waitif_retest) return 0;
  const int4 a = e.blocks.block_opnd[ix(b)];
  return a >= 1 && a <= e.cond.stagger_count ? a : 0;
}

// The WAITIF station entry that block b waits on, for the active
// transaction: a station given by a parameter selects its own entry.
int station_entry(Engine& e, int b) {
  const auto& t = e.cond;
  const int i = e.blocks.block_arg[ix(b)];
  if (i < 1 || i > t.waitif_count) refuse_block_code(e, e.blocks.block_op[ix(b)]);
  const WaitifEntry& w = t.waitif[ix(i)];
  if (w.param == 0) return i;
  const int p = w.param;
  const int s = has_parameter(e, p) ? trunc_i32(e.act.cur_txn[ix(parameter_word(p))] + 0.0001) : 0;
  if (s < 1 || s > t.param_range) run_error(e, io::Rec().lit(" Illegal value in parameter ").i(p, 2));
  return w.param_base + s;
}

// The chain the waiters of WAITIF station entry i wait in.
int entry_chain(int i) { return waitif_entry_chain(i); }

// Releases waiter r of chain k onto the future-events chain (filed in
// order, or in the batch due now), moved in place: due at the clock, its
// priority raised by a retry mark.
void release_waiter(Engine& e, int r, int k, bool due_now) {
  take_off_waiting_chain(e, r, k);
  TxnMarks& m = e.txn.txn_marks[ix(r)];
  real8 p = record_priority(e, r);
  if (m.retry == retry_mark::none) {
    m.retry_priority = p;
    if (std::fabs(p) < e.run.max_priority) {
      p += k_small_mark;
      m.retry = retry_mark::small;
    } else if (p <= k_unmarked_priority_max) {
      p += k_priority_mark_unit;
      m.retry = retry_mark::large;
    } else {
      m.retry = retry_mark::high;
    }
  }
  set_record_key(e, r, e.run.clock, p);
  file_taken_record(e, r, due_now);
}

void remove_retry_mark(Engine& e) {
  auto& m = e.act.cur_marks;
  if (m.retry == retry_mark::none) return;
  e.act.cur_txn[tw::priority] = m.retry_priority;
  m.retry = retry_mark::none;
}

// The staggering step of WAITIF block b with staggering entry a: the
// first time at a clock the transaction goes back to the entry's block
// with its priority raised; when it comes back at the same clock it
// passes with its priority lowered again.
void accumulate_time_value(Engine& e, int a, int b) {
  auto& cur = e.act.cur_txn;
  real4& since = e.waitif_run.stagger_time[ix(a)];
  real8& p = cur[tw::priority];
  const real4 clock = e.run.clock;
  const bool small = std::fabs(p) < e.run.max_priority;
  const real4 raise = small ? clock * k_stagger_share : clock;
  const int back = e.cond.stagger_block[ix(a)];
  if (std::fabs(since) < k_same_time) {
    since = clock;
    p += raise;
    cur[tw::next_block] = back;
  } else if (std::fabs(since - clock) < k_same_time) {
    p = small ? p - raise : std::max(p - raise, 0.0);
    since = 0.0f;
    cur[tw::next_block] = b + 1;
  } else {
    if (!small) p = std::max(p - since + clock, static_cast<real8>(clock));
    cur[tw::next_block] = back;
    since = clock;
  }
}

// The transaction passes WAITIF block b at once: on to the next block, or
// back up for a staggering WAITIF.
void pass_block(Engine& e, int b) {
  e.act.cur_txn[tw::current_block] = b;
  if (const int a = stagger_entry(e, b)) {
    accumulate_time_value(e, a, b);
  } else {
    e.act.cur_txn[tw::next_block] = b + 1;
  }
}

// A released transaction that passes leaves the block it was counted in
// for WAITIF block p, without its retry mark.
void move_transaction_to_block(Engine& e, int p) {
  auto& cur = e.act.cur_txn;
  const int old = trunc_i32(cur[tw::current_block]);
  if (block_ok(e, old)) {
    auto& current = e.blocks.block_current[ix(old)];
    current -= 1;
    if (current < 0) {
      current = 0;
      e.blocks.block_entries[ix(old)] -= 1;
    }
  }
  remove_retry_mark(e);
  if (const int a = stagger_entry(e, p)) e.waitif_run.stagger_time[ix(a)] = 0.0f;
  pass_block(e, p);
}

// Files the active transaction, now at block b, in chain k: the record
// returns to b when released; the dispatcher sees it filed.
void file_waiter(Engine& e, int b, int k, bool at_front) {
  auto& cur = e.act.cur_txn;
  cur[tw::next_block] = b;
  if (at_front) {
    insert_chain_front(e, k);
  } else {
    insert_event_chain(e, k);
  }
  cur[tw::next_block] = -1.0;
}

// The first waiter of WAITIF entry i, if any, is released: due now.
void retry_waiting_transaction(Engine& e, int i) {
  const int k = entry_chain(i);
  const int h = e.txn.chain_head[ix(k)];
  if (h != 0) release_waiter(e, h, k, true);
}

// Entry i of station s is tested: shut when its kind does not hold; when
// it opens, its first waiter is released.
void test_server_for_waiter(Engine& e, int s, int i, bool retry) {
  bool& open = e.waitif_run.open[ix(i)];
  if (!kind_holds(e, s, e.cond.waitif[ix(i)].kind)) {
    open = false;
    return;
  }
  if (open) return;
  open = true;
  if (retry) retry_waiting_transaction(e, i);
}

// A released transaction back at its station-form block b: it passes
// when entry i is still open (and releases the next waiter), else it
// goes back to the head of the entry's chain.
void pass_or_wait_transaction(Engine& e, int b, int i) {
  const int adset = e.cond.waitif[ix(i)].adset;
  if (e.waitif_run.open[ix(i)]) {
    move_transaction_to_block(e, b);
    if (adset != 0) depart_adset(e, adset);
    retry_waiting_transaction(e, i);
    return;
  }
  file_waiter(e, b, entry_chain(i), true);
  e.blocks.block_entries[ix(b)] -= 1;
}

// ---- The chain of the comparing WAITIF blocks

// The condition entry that record r waits on (0: none).
[[gnu::always_inline]] inline int waiter_entry(const Engine& e, int r) {
  const int b = trunc_i32(record_word(e, r, tw::next_block));
  if (!block_ok(e, b) || e.blocks.block_op[ix(b)] != bc::waitif_retest) return 0;
  const int i = e.blocks.block_arg[ix(b)];
  return i >= 1 && i <= e.cond.cond_count ? i : 0;
}

// Keeps the count of the chain's waiters per condition entry.
void count_waiter(Engine& e, int i, int n) {
  auto& w = e.waitif_run;
  if (i == 0) return;
  w.waiting_on[ix(i)] += n;
  w.waiting_total += n;
  if (!e.cond.cond[ix(i)].shared_test) w.waiting_unshared += n;
}

// The counts again from the chain (a waiter may have left it otherwise
// than by its release, as a pre-empted facility holder does).
void recount_waiters(Engine& e) {
  auto& w = e.waitif_run;
  w.waiting_on.fill(0);
  w.waiting_total = w.waiting_unshared = 0;
  for (int r = e.txn.chain_head[ix(k_waitif_chain)]; r != 0; r = e.txn.txn_next[ix(r)]) count_waiter(e, waiter_entry(e, r), 1);
}

// Record r as the active transaction, for a test of its own operands.
void load_record(Engine& e, int r) {
  auto& cur = e.act.cur_txn;
  for (int i = 1; i <= e.txn.txn_words; ++i) cur[ix(i)] = record_word(e, r, i);
  cur[tw::priority] = record_priority(e, r);
  e.act.cur_marks = e.txn.txn_marks[ix(r)];
}

// The first waiter whose condition holds, each tested in chain order as
// the active transaction.
int first_passing_by_walk(Engine& e) {
  const ActiveTxn kept = e.act;
  int found = 0;
  for (int r = e.txn.chain_head[ix(k_waitif_chain)]; r != 0 && found == 0; r = e.txn.txn_next[ix(r)]) {
    const int i = waiter_entry(e, r);
    if (i == 0) continue;
    count_run_step(e);
    load_record(e, r);
    if (test_if_condition(e, i)) found = r;
  }
  e.act = kept;
  return found;
}

// The change number of the latest change of what operand o of a shared
// test reads (0: a constant); -1 when what it reads changes without one
// (the clock, block counts, a savevalue given by its name code).
std::int64_t operand_changed_at(const Engine& e, const CondOperand& o) {
  const int v = o.value;
  switch (o.kind) {
    case opnd::constant:
    case opnd::decimal: return 0;
    case opnd::queue: return v >= 1 && v <= k_queue_limit ? e.srv.queue_current.changed_at(ix(v)) : -1;
    case opnd::storage:
    case opnd::remaining: return v >= 1 && v <= k_station_limit ? e.srv.station_contents.changed_at(ix(v)) : -1;
    case opnd::savevalue: return v >= 1 && v <= k_savevalue_limit ? e.ent.sv.savevalue_value.changed_at(ix(v)) : -1;
    default: return -1;
  }
}

// The shared test of entry i: taken again only when something it reads
// has changed since it was last taken, so every event that changes
// nothing it reads finds the same result.
bool shared_test_holds(Engine& e, int i) {
  auto& w = e.waitif_run;
  const CondEntry& c = e.cond.cond[ix(i)];
  const std::int64_t a = operand_changed_at(e, c.a), b = operand_changed_at(e, c.b);
  const bool kept = a >= 0 && b >= 0;
  const std::int64_t since = w.tested_at[ix(i)];
  if (kept && since >= 0 && a <= since && b <= since) return w.held[ix(i)];
  const bool holds = test_if_condition(e, i);
  w.held[ix(i)] = holds;
  w.tested_at[ix(i)] = kept ? e.changes.last : -1;
  return holds;
}

// The same when every waiter's test is shared by its entry's waiters:
// each entry is tested once (or its result kept while nothing it reads
// changes), and only when one holds is the chain walked to its first
// waiter of such an entry.
int first_passing_by_entry(Engine& e) {
  auto& w = e.waitif_run;
  bool any = false;
  for (int i = 1; i <= e.cond.cond_count; ++i) {
    if (w.waiting_on[ix(i)] <= 0) continue;
    count_run_step(e);
    if (shared_test_holds(e, i)) any = true;
  }
  if (!any) return 0;
  for (int r = e.txn.chain_head[ix(k_waitif_chain)]; r != 0; r = e.txn.txn_next[ix(r)]) {
    const int i = waiter_entry(e, r);
    if (i != 0 && w.waiting_on[ix(i)] > 0 && w.held[ix(i)]) return r;
  }
  return 0;
}

}  // namespace

void waitif_block(Engine& e, int b) {
  const int i = station_entry(e, b);
  const WaitifEntry& w = e.cond.waitif[ix(i)];
  auto& cur = e.act.cur_txn;
  if (e.act.cur_marks.retry != retry_mark::none) {
    pass_or_wait_transaction(e, b, i);
    return;
  }
  if (e.waitif_run.open[ix(i)]) {
    if (stagger_entry(e, b) == 0 && w.adset != 0) {
      queue_entry_block(e, w.adset);
      depart_adset(e, w.adset);
    }
    pass_block(e, b);
    return;
  }
  // Waits, counted in the block it comes from; its entry into this block
  // counts when it passes.
  const int c = trunc_i32(cur[tw::current_block]);
  if (block_ok(e, c)) e.blocks.block_current[ix(c)] += 1;
  e.blocks.block_entries[ix(b)] -= 1;
  if (w.adset != 0) queue_entry_block(e, w.adset);
  file_waiter(e, b, entry_chain(i), false);
}

void retest_waitif_entry(Engine& e, int b) {
  const int i = condition_of_block(e, b);
  const bool ok = test_if_condition(e, i);
  const bool retry = e.act.cur_marks.retry != retry_mark::none;
  if (retry) e.waitif_run.rescan_done = false;
  if (ok && retry) {
    move_transaction_to_block(e, b);
    scan_waitif_chain(e);
    return;
  }
  if (ok) {
    pass_block(e, b);
    return;
  }
  if (!retry) {
    const int c = trunc_i32(e.act.cur_txn[tw::current_block]);
    if (block_ok(e, c)) e.blocks.block_current[ix(c)] += 1;
  }
  e.blocks.block_entries[ix(b)] -= 1;
  file_waiter(e, b, k_waitif_chain, false);
  count_waiter(e, i, 1);
  e.run.waitif_pending = true;
}

void scan_waitif_lists(Engine& e, int s) {
  if (s < 1 || s > k_station_limit) return;
  const auto& t = e.cond;
  for (int i = t.first_entry[ix(s)]; i >= 1 && i <= k_waitif_entry_limit; i = t.waitif[ix(i)].next_of_station) {
    test_server_for_waiter(e, s, i, true);
  }
}

void scan_waitif_chain(Engine& e) {
  auto& w = e.waitif_run;
  if (w.rescan_done) return;
  const int k = k_waitif_chain;
  if (e.txn.chain_size[ix(k)] == 0) {
    e.run.waitif_pending = false;
    return;
  }
  if (w.waiting_total != e.txn.chain_size[ix(k)]) recount_waiters(e);
  const int r = w.waiting_unshared > 0 ? first_passing_by_walk(e) : first_passing_by_entry(e);
  if (r == 0) return;
  count_waiter(e, waiter_entry(e, r), -1);
  release_waiter(e, r, k, false);
  w.rescan_done = true;
  if (e.txn.chain_size[ix(k)] == 0) e.run.waitif_pending = false;
}

void start_waitif_entries(Engine& e) {
  auto& w = e.waitif_run;
  w = WaitifRun{};
  w.tested_at.fill(-1);
  e.run.waitif_pending = false;
  const auto& t = e.cond;
  for (int i = 1; i <= t.waitif_count && i <= k_waitif_entry_limit; ++i) {
    const int s = t.waitif[ix(i)].station;
    w.open[ix(i)] = s >= 1 && s <= k_station_limit && kind_holds(e, s, t.waitif[ix(i)].kind);
  }
}

}  // namespace kelvo
