// Transaction pool and chains. Takes the active transaction and a chain
// number; files it in the chain's order, takes records back into the
// active transaction, and sets up the pool and the first arrivals at the
// start of each run. Links are record indices; every index is checked.
#include "runtime/transaction_store.h"

#include <algorithm>
#include <cmath>

#include "runtime/chain_index.h"

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/event_loop.h"
#include "runtime/generate_advance_terminate.h"
#include "runtime/print_trace.h"
#include "runtime/queues_tables.h"
#include "runtime/random_streams.h"
#include "runtime/run_errors.h"
#include "runtime/waitif.h"
#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

namespace {


bool chain_ok(const Engine& e, int k) { return k >= k_future_chain && k <= e.txn.chain_count; }
// A record that has been taken since the run started (a later one is on no
// chain and its words are not set).
bool record_ok(const Engine& e, int p) { return p >= 1 && p < e.txn.fresh_record; }

// The key a record is filed by on chain k: its move time on the
// future-events chain (0 on a waiting line) and its priority.
real4 key_time(const Engine& e, int k, int p) { return k == k_future_chain ? record_move_time(e, p) : 0.0f; }

// Whether record a is filed at or before record b by key (time, then
// higher priority first).
bool key_at_or_before(const Engine& e, int k, int a, int b) {
  const real4 ta = key_time(e, k, a), tb = key_time(e, k, b);
  if (ta != tb) return ta < tb;
  return e.txn.txn_priority[ix(a)] >= e.txn.txn_priority[ix(b)];
}

// Takes chain k's records out of its index; the chain is walked from then on.
void drop_index(Engine& e, int k) {
  for (int r = e.txn.chain_head[ix(k)]; r != 0; r = e.txn.txn_next[ix(r)]) unindex_record(e, k, r);
  e.txn.index.indexed[ix(k)] = false;
}

// The chain has left key order (a record was filed out of it), so an index
// would no longer answer: the chain is walked until it is empty again.
void give_up_index(Engine& e, int k) {
  drop_index(e, k);
  e.txn.index.walk_only[ix(k)] = true;
}

// Chain k has grown long: its sorted part (on the future-events chain the
// records behind the batch due now) goes into the index, in chain order,
// unless the chain is out of key order.
void build_index(Engine& e, int k) {
  TxnStore& t = e.txn;
  int r = k == k_future_chain && t.batch_last != 0 ? t.txn_next[ix(t.batch_last)] : t.chain_head[ix(k)];
  for (int before = 0; r != 0; before = r, r = t.txn_next[ix(r)]) {
    if (before != 0 && !key_at_or_before(e, k, before, r)) {
      give_up_index(e, k);
      return;
    }
    index_record(e, k, r, key_time(e, k, r), t.txn_priority[ix(r)], true);
  }
  t.index.indexed[ix(k)] = true;
}

// After a filing that walked `walked` records from the tail: a chain that
// has grown long is indexed from then on, once a walk has been long too.
// A chain filed at its tail (a first-come-first-served line) stays walked,
// whatever its length, since its walks stop after one step.
inline void index_if_long(Engine& e, int k, int walked) {
  const ChainIndex& x = e.txn.index;
  if (walked > k_index_above && e.txn.chain_size[ix(k)] > k_index_above && !x.indexed[ix(k)] && !x.walk_only[ix(k)])
    build_index(e, k);
}

// Adds record p, just linked into chain k's sorted part, to the chain's
// index. A record filed behind its equals takes the next filing order, one
// filed in front of them the previous one. When its neighbours in the
// chain are not in key order with it, the chain is walked from then on.
void index_linked_record(Engine& e, int k, int p, bool behind) {
  TxnStore& t = e.txn;
  if (!t.index.indexed[ix(k)]) return;
  const int before = t.txn_prev[ix(p)], after = t.txn_next[ix(p)];
  const bool ordered = (before == 0 || !record_indexed(e, before) || key_at_or_before(e, k, before, p)) &&
                       (after == 0 || !record_indexed(e, after) || key_at_or_before(e, k, p, after));
  if (!ordered) {
    give_up_index(e, k);
    return;
  }
  index_record(e, k, p, key_time(e, k, p), t.txn_priority[ix(p)], behind);
}

// The record a new record with key (time, priority) is filed behind,
// found by a walk from the chain's tail (a chain without an index, or the
// batch due now in front of the sorted part, from `from` on): the last
// record whose key is at or before it.
int walk_to_place(const Engine& e, int k, int from, real4 time, real8 pr) {
  const TxnStore& t = e.txn;
  int q = from;
  while (q != 0) {
    const real4 tq = k == k_future_chain ? record_move_time(e, q) : 0.0f;
    if (!(time < tq || (time == tq && pr > t.txn_priority[ix(q)]))) break;
    q = t.txn_prev[ix(q)];
  }
  return q;
}

// The same, counting in `walked` the records passed.
int walk_to_place(const Engine& e, int k, int from, real4 time, real8 pr, int& walked) {
  const TxnStore& t = e.txn;
  int q = from;
  int n = 0;
  while (q != 0) {
    const real4 tq = k == k_future_chain ? record_move_time(e, q) : 0.0f;
    if (!(time < tq || (time == tq && pr > t.txn_priority[ix(q)]))) break;
    q = t.txn_prev[ix(q)];
    ++n;
  }
  walked = n;
  return q;
}

// Whether a record with key (time, priority) is filed in front of record q
// of the future-events chain: its time is earlier, or the same with a
// higher priority.
inline bool files_before(const Engine& e, real4 time, real8 pr, int q) {
  const real4 tq = record_move_time(e, q);
  return time < tq || (time == tq && pr > e.txn.txn_priority[ix(q)]);
}

// The record a new record is filed behind on the future-events chain
// while the chain's sorted part (behind the batch due now) is in key
// order, when it files before the tail: the place a walk from the tail
// would find, found by walking from both ends of the sorted part at once
// (one step each way per round) until one walk finds it. The walk from
// the tail passes the records that the new one files before; in key
// order those are a tail of the sorted part, so the first record it files
// before, sought from the front, has the same place in front of it.
int place_in_sorted_events(const Engine& e, real4 time, real8 pr) {
  const TxnStore& t = e.txn;
  const int tail = t.chain_tail[k_future_chain];
  const int first = t.batch_last != 0 ? t.txn_next[ix(t.batch_last)] : t.chain_head[k_future_chain];
  if (first == 0 || files_before(e, time, pr, first)) {
    // In front of the whole sorted part: on into the batch due now.
    return t.batch_last != 0 ? walk_to_place(e, k_future_chain, t.batch_last, time, pr) : 0;
  }
  // Behind `first`, in front of the tail: the front walk ends at the tail
  // at the latest, the back walk at `first`.
  int front = t.txn_next[ix(first)];
  int back = t.txn_prev[ix(tail)];
  for (;;) {
    if (files_before(e, time, pr, front)) return t.txn_prev[ix(front)];
    if (!files_before(e, time, pr, back)) return back;
    front = t.txn_next[ix(front)];
    back = t.txn_prev[ix(back)];
  }
}

// The station record r holds while it is delayed on the future-events
// chain: the one marked on it, or the one its ADVANCE records (0: none).
int station_held_in_delay(const Engine& e, int r) {
  const real4 next = record_word(e, r, tw::next_block);
  if (next >= 0.0f) return 0;
  const int marked = e.txn.txn_marks[ix(r)].advance_station;
  if (marked != 0) return marked >= 1 && marked <= k_station_limit ? marked : 0;
  const int b = trunc_i32(-next);
  if (b < 1 || b > e.blocks.block_count || e.blocks.block_op[ix(b)] != bc::advance) return 0;
  const int s = e.blocks.block_arg[ix(b)];
  return s >= 1 && s <= k_station_limit ? s : 0;
}

void list_delayed_holder(Engine& e, int r) {
  const int s = station_held_in_delay(e, r);
  DelayedHolders& h = e.txn.holders;
  h.station[ix(r)] = s;
  if (s == 0) return;
  h.prev[ix(r)] = 0;
  h.next[ix(r)] = h.head[ix(s)];
  if (h.head[ix(s)] != 0) h.prev[ix(h.head[ix(s)])] = r;
  h.head[ix(s)] = r;
  h.count[ix(s)] += 1;
}

void unlist_delayed_holder(Engine& e, int r) {
  DelayedHolders& h = e.txn.holders;
  const int s = h.station[ix(r)];
  if (s == 0) return;
  const int before = h.prev[ix(r)], after = h.next[ix(r)];
  if (before != 0) {
    h.next[ix(before)] = after;
  } else {
    h.head[ix(s)] = after;
  }
  if (after != 0) h.prev[ix(after)] = before;
  h.count[ix(s)] -= 1;
  h.station[ix(r)] = 0;
}

// Block code of the block a record moves to next (0 when none).
int next_block_code(const Engine& e, double next_word) {
  const int b = trunc_i32(next_word < 0 ? -next_word : next_word);
  if (b < 1 || b > e.blocks.block_count) return 0;
  return e.blocks.block_op[ix(b)];
}

// Takes the first free record for chain k and files the active
// transaction's words into it; its move time is `move_time`, the move time
// word rounded to single precision (given by the caller, which has it at
// hand, so that the filing need not wait to read it back).
[[gnu::always_inline]] inline int take_free_record(Engine& e, int k, real4 move_time) {
  TxnStore& t = e.txn;
  if (t.free_head <= 0 || !chain_ok(e, k) || t.chain_size[ix(k)] < 0) report_transaction_overflow(e, StoreError::no_free_record);
  const int p = t.free_head;
  // Each word is rounded to single precision as it is filed; the five
  // fixed words are copied without a loop.
  real4* w = &t.txn_pool[ix(record_base_word(e, p))];
  const real8* c = e.act.cur_txn.data();
  w[tw::move_time] = move_time;
  w[tw::next_block] = static_cast<real4>(c[tw::next_block]);
  w[tw::priority] = static_cast<real4>(c[tw::priority]);
  w[tw::qtable_entry] = static_cast<real4>(c[tw::qtable_entry]);
  w[tw::current_block] = static_cast<real4>(c[tw::current_block]);
  for (int i = tw::first_param, n = t.txn_words; i <= n; ++i) w[i] = static_cast<real4>(c[i]);
  t.txn_priority[ix(p)] = c[tw::priority];
  t.txn_time[ix(p)] = move_time;
  t.txn_marks[ix(p)] = e.act.cur_marks;
  if (p == t.fresh_record) {
    // Never used: the free records behind it are the next ones in the pool.
    t.fresh_record = p + 1;
    t.free_head = p < t.txn_slots ? p + 1 : 0;
  } else {
    t.free_head = t.txn_next[ix(p)];
  }
  t.txn_chain[ix(p)] = k;
  if (k == k_future_chain && t.holders.wanted) list_delayed_holder(e, p);
  return p;
}

// Takes record p off chain k (its links, its place in the chain's index
// and the chain's count); the record itself is left as it is.
[[gnu::always_inline]] inline void take_off_chain(Engine& e, int p, int k) {
  TxnStore& t = e.txn;
  const int before = t.txn_prev[ix(p)];
  const int after = t.txn_next[ix(p)];
  if (before > 0) {
    t.txn_next[ix(before)] = after;
  } else {
    t.chain_head[ix(k)] = after;
  }
  if (after > 0) {
    t.txn_prev[ix(after)] = before > 0 ? before : 0;
  } else {
    t.chain_tail[ix(k)] = before > 0 ? before : 0;
  }
  if (t.index.indexed[ix(k)]) unindex_record(e, k, p);
  t.chain_size[ix(k)] -= 1;
  // A chain grown short is walked again; an empty one is in key order.
  if (t.index.indexed[ix(k)] && t.chain_size[ix(k)] < k_index_below) drop_index(e, k);
  if (t.chain_size[ix(k)] == 0) t.index.walk_only[ix(k)] = false;
}

}  // namespace

bool has_parameter(const Engine& e, int j) {
  return j >= 1 && j <= e.ent.par.param_count && parameter_word(j) < static_cast<int>(e.act.cur_txn.size());
}

int delayed_holder(const Engine& e, int s, int& count) {
  count = s >= 1 && s <= k_station_limit ? e.txn.holders.count[ix(s)] : 0;
  return count > 0 ? e.txn.holders.head[ix(s)] : 0;
}

real8 record_priority(const Engine& e, int r) { return e.txn.txn_priority[ix(r)]; }

void keep_txn(const Engine& e, KeptTxn& k) {
  k.n = std::min(e.txn.txn_words, k_max_txn_words);
  for (int i = 1; i <= k.n; ++i) k.words[ix(i)] = e.act.cur_txn[ix(i)];
  k.marks = e.act.cur_marks;
  k.block = e.act.cur_block;
}

void restore_txn(Engine& e, const KeptTxn& k) {
  for (int i = 1; i <= k.n; ++i) e.act.cur_txn[ix(i)] = k.words[ix(i)];
  e.act.cur_marks = k.marks;
  e.act.cur_block = k.block;
}

void init_free_chain(Engine& e) {
  TxnStore& t = e.txn;
  // Every record is free, in pool order. The records not yet used are not
  // linked one by one: the free list runs on from a record that was never
  // used to the next record of the pool (take_free_record), so a run
  // touches only the records it uses.
  t.free_head = t.txn_slots > 0 ? 1 : 0;
  t.fresh_record = 1;
  for (int k = k_future_chain; k <= t.chain_count; ++k) {
    t.chain_head[ix(k)] = 0;
    t.chain_tail[ix(k)] = 0;
    t.chain_size[ix(k)] = 0;
  }
  clear_chain_index(e);
  t.holders.head.fill(0);
  t.holders.count.fill(0);
}


void link_chain_entry(Engine& e, int k, int h, int p) {
  TxnStore& t = e.txn;
  t.txn_prev[ix(p)] = 0;
  t.txn_next[ix(p)] = h;
  if (h != 0) {
    t.txn_prev[ix(h)] = p;
  } else {
    t.chain_tail[ix(k)] = p;
  }
  t.chain_head[ix(k)] = p;
}

void chain_relink(Engine& e, int k, int q, int p) {
  TxnStore& t = e.txn;
  const int after = t.txn_next[ix(q)];
  t.txn_next[ix(p)] = after;
  t.txn_prev[ix(p)] = q;
  if (after != 0) {
    t.txn_prev[ix(after)] = p;
  } else {
    t.chain_tail[ix(k)] = p;
  }
  t.txn_next[ix(q)] = p;
}

namespace {

// Files record p, taken for chain k with move time `move_time`, in the
// chain's order.
[[gnu::always_inline]] inline void file_in_order(Engine& e, int k, int p, real4 move_time) {
  TxnStore& t = e.txn;
  const real4 time = k == k_future_chain ? move_time : 0.0f;
  const real8 pr = t.txn_priority[ix(p)];
  int q = 0;
  int walked = 0;
  // A time or priority that is not a number has no place in key order.
  if (k == k_future_chain && (std::isnan(time) || std::isnan(pr))) t.index.walk_only[k_future_chain] = true;
  if (!t.index.indexed[ix(k)]) {
    // A short chain's walk is not counted: it cannot make the chain indexed.
    if (k == k_future_chain && !t.index.walk_only[k_future_chain] && t.chain_size[k_future_chain] <= k_index_above) {
      const int tail = t.chain_tail[k_future_chain];
      q = tail == 0 || !files_before(e, time, pr, tail) ? tail : place_in_sorted_events(e, time, pr);
    } else if (t.chain_size[ix(k)] <= k_index_above) {
      q = walk_to_place(e, k, t.chain_tail[ix(k)], time, pr);
    } else {
      q = walk_to_place(e, k, t.chain_tail[ix(k)], time, pr, walked);
    }
  } else {
    // Filed in the index behind its equals: the record before it there is
    // the one a walk from the tail would stop at.
    q = index_record(e, k, p, time, pr, true);
    if (q == 0 && k == k_future_chain && t.batch_last != 0) {
      // Every record of the sorted part comes after it: the walk goes on
      // into the batch due now, and only right behind the batch does the
      // record stay in the sorted part.
      q = walk_to_place(e, k, t.batch_last, time, pr);
      if (q != t.batch_last) unindex_record(e, k, p);
    }
  }
  if (q != 0) {
    chain_relink(e, k, q, p);
  } else {
    link_chain_entry(e, k, t.chain_head[ix(k)], p);
  }
  t.chain_size[ix(k)] += 1;
  index_if_long(e, k, walked);
}

// Files record p, taken for the future-events chain, in the batch due now.
[[gnu::always_inline]] inline void file_due_now(Engine& e, int p) {
  TxnStore& t = e.txn;
  if (t.chain_head[k_future_chain] == 0) {
    t.txn_prev[ix(p)] = 0;
    t.txn_next[ix(p)] = 0;
    t.chain_head[k_future_chain] = p;
    t.chain_tail[k_future_chain] = p;
    t.batch_last = p;
  } else if (t.batch_last == 0) {
    link_chain_entry(e, k_future_chain, t.chain_head[k_future_chain], p);
    t.batch_last = p;
  } else {
    const real8 pr = t.txn_priority[ix(p)];
    const real4 time = record_move_time(e, p);
    int q = t.batch_last;
    while (q != 0) {
      const real8 pq = t.txn_priority[ix(q)];
      if (pr > pq || (pr == pq && time < record_move_time(e, q))) {
        q = t.txn_prev[ix(q)];
      } else {
        break;
      }
    }
    if (q != 0) {
      const bool was_last = q == t.batch_last;
      chain_relink(e, k_future_chain, q, p);
      if (was_last) t.batch_last = p;
    } else {
      // It would go ahead of the whole batch. A waiter released by a
      // WAITIF on a station (its priority raised by a retry mark) goes
      // behind a head that is about to enter the station or seize it
      // instead: a waiter that the same exit let in. So it finds the
      // station as that entry leaves it: a storage that a partial LEAVE
      // left short of full only until its waiting ENTER fills it again
      // stays full for the WAITIF.
      const int h = t.chain_head[k_future_chain];
      const int code_p = next_block_code(e, record_word(e, p, tw::next_block));
      const int code_h = next_block_code(e, record_word(e, h, tw::next_block));
      if (pr >= 100000.0 && record_move_time(e, h) <= time && code_p == bc::waitif &&
          (code_h == bc::enter || code_h == bc::seize)) {
        chain_relink(e, k_future_chain, h, p);
        // Behind a batch of one, it stands at the head of the sorted part,
        // which it may have put out of key order.
        if (h == t.batch_last) {
          const int after = t.txn_next[ix(p)];
          if (after != 0 && !key_at_or_before(e, k_future_chain, p, after)) t.index.walk_only[k_future_chain] = true;
          index_linked_record(e, k_future_chain, p, true);
        }
      } else {
        link_chain_entry(e, k_future_chain, h, p);
      }
    }
  }
  t.chain_size[k_future_chain] += 1;
}

}  // namespace

void insert_event_chain(Engine& e, int k) {
  const real4 move_time = static_cast<real4>(e.act.cur_txn[tw::move_time]);
  file_in_order(e, k, take_free_record(e, k, move_time), move_time);
}

void insert_future_event(Engine& e, real4 move_time) {
  file_in_order(e, k_future_chain, take_free_record(e, k_future_chain, move_time), move_time);
}

void insert_chain_front(Engine& e, int k) {
  TxnStore& t = e.txn;
  if (chain_ok(e, k) && t.chain_head[ix(k)] != 0 && e.act.cur_txn[tw::priority] < t.txn_priority[ix(t.chain_head[ix(k)])]) {
    insert_event_chain(e, k);
    return;
  }
  const int p = take_free_record(e, k, static_cast<real4>(e.act.cur_txn[tw::move_time]));
  link_chain_entry(e, k, t.chain_head[ix(k)], p);
  if (k != k_future_chain || t.batch_last == 0) index_linked_record(e, k, p, false);
  t.chain_size[ix(k)] += 1;
}

void take_off_waiting_chain(Engine& e, int p, int k) {
  // Checked as unlink_transaction checks it.
  if (!record_ok(e, p) || !chain_ok(e, k) || e.txn.txn_chain[ix(p)] != k) report_transaction_overflow(e, StoreError::bad_unlink);
  take_off_chain(e, p, k);
}

void set_record_key(Engine& e, int p, real4 time, real8 priority) {
  TxnStore& t = e.txn;
  // Rounded to single precision in the record as a filing rounds them.
  real4* w = &t.txn_pool[ix(record_base_word(e, p))];
  w[tw::move_time] = time;
  w[tw::priority] = static_cast<real4>(priority);
  t.txn_time[ix(p)] = time;
  t.txn_priority[ix(p)] = priority;
}

void file_taken_record(Engine& e, int p, bool due_now) {
  TxnStore& t = e.txn;
  // Checked as take_free_record checks the chain.
  if (t.chain_size[k_future_chain] < 0) report_transaction_overflow(e, StoreError::no_free_record);
  t.txn_chain[ix(p)] = k_future_chain;
  if (t.holders.wanted) list_delayed_holder(e, p);
  if (due_now) {
    file_due_now(e, p);
  } else {
    file_in_order(e, k_future_chain, p, record_move_time(e, p));
  }
}

namespace {

// Takes record p, checked to be on chain k, out of it into the active
// transaction and frees it.
[[gnu::always_inline]] inline void unlink_checked(Engine& e, int p, int k) {
  TxnStore& t = e.txn;
  const real4* w = &t.txn_pool[ix(record_base_word(e, p))];
  real8* c = e.act.cur_txn.data();
  c[tw::move_time] = w[tw::move_time];
  c[tw::next_block] = w[tw::next_block];
  c[tw::priority] = t.txn_priority[ix(p)];
  c[tw::qtable_entry] = w[tw::qtable_entry];
  c[tw::current_block] = w[tw::current_block];
  for (int i = tw::first_param, n = t.txn_words; i <= n; ++i) c[i] = w[i];
  e.act.cur_marks = t.txn_marks[ix(p)];
  const int before = t.txn_prev[ix(p)];
  take_off_chain(e, p, k);
  if (k == k_future_chain && t.holders.wanted) unlist_delayed_holder(e, p);
  t.txn_next[ix(p)] = t.free_head;
  t.txn_prev[ix(p)] = 0;
  t.txn_chain[ix(p)] = 0;
  t.free_head = p;
  if (k == k_future_chain) {
    // A batch that ended with this record now ends with its predecessor; a
    // batch of this record alone is over.
    if (t.batch_last == p) t.batch_last = before > 0 ? before : 0;
    const int h = t.chain_head[k_future_chain];
    if (h != 0 && record_move_time(e, h) >= e.run.clock) e.run.next_event_time = record_move_time(e, h);
    if (e.run.next_event_time > e.run.end_time || h == 0) e.run.next_event_time = e.run.end_time;
  }
}

}  // namespace

void unlink_transaction(Engine& e, int p, int k) {
  // A record that is not on chain k (or a number outside the pool or the
  // chains) would corrupt the links: it is a fatal chain error.
  if (!record_ok(e, p) || !chain_ok(e, k) || e.txn.txn_chain[ix(p)] != k) report_transaction_overflow(e, StoreError::bad_unlink);
  unlink_checked(e, p, k);
}

real8 unlink_first_event(Engine& e) {
  // The head of the future-events chain is on it: nothing to check.
  const int p = e.txn.chain_head[k_future_chain];
  const real8 next_block = record_word(e, p, tw::next_block);
  unlink_checked(e, p, k_future_chain);
  return next_block;
}

namespace {

// Counts n into the operand sum for a transaction at block word `block`
// (see add_to_operand_sum).
void add_to_operand_sum_at(Engine& e, double block, int n) {
  const int b = trunc_i32(block);
  if (b < 1 || b > e.blocks.block_count) return;
  const int code = e.blocks.block_op[ix(b)];
  if ((code == bc::enter || code == bc::leave) && e.blocks.block_units[ix(b)] > 1) e.run.operand_sum += n;
}

}  // namespace

void add_to_operand_sum(Engine& e, int n) { add_to_operand_sum_at(e, e.act.cur_txn[tw::current_block], n); }

void remove_from_chain_and_count(Engine& e, int s, int p) {
  // The record moves in place: the active transaction is not touched.
  take_off_waiting_chain(e, p, station_chain(s));
  save_last_time(e, s);
  const double block = record_word(e, p, tw::current_block);
  if (e.run.serve_all_waiters_flag) add_to_operand_sum_at(e, block, -1);
  if (record_word(e, p, tw::move_time) >= 0.0f) {
    const int b = trunc_i32(block);
    if (b >= 1 && b <= e.blocks.block_count) e.blocks.block_current[ix(b)] -= 1;
    // The block it will retry is carried as an integer mark.
    e.txn.txn_marks[ix(p)].station = trunc_i32(record_word(e, p, tw::next_block));
  } else if (s >= 1 && s < static_cast<int>(e.srv.station_contents.size())) {
    e.srv.station_contents.add(ix(s), 1, e.changes);
  }
  file_taken_record(e, p, true);
}

void enter_station_waiting_line(Engine& e, int b, int s) {
  auto& cur = e.act.cur_txn;
  if (b >= 1 && b <= e.blocks.block_count) e.blocks.block_entries[ix(b)] -= 1;
  const int c = trunc_i32(cur[tw::current_block]);
  const bool c_ok = c >= 1 && c <= e.blocks.block_count;
  if (c_ok && e.ent.par.trace_number_wanted_a && e.run.trace_switch && e.blocks.block_op[ix(c)] == bc::advance)
    write_trace_line(e, c, bc::advance, 0);
  const int f = e.act.cur_marks.station;
  if (c_ok) e.blocks.block_current[ix(c)] += 1;
  if (f == b && static_cast<double>(e.run.clock) == cur[tw::move_time]) {
    insert_chain_front(e, station_chain(s));
  } else {
    insert_event_chain(e, station_chain(s));
  }
  cur[tw::next_block] = -1.0;
  if (e.run.serve_all_waiters_flag) add_to_operand_sum(e, 1);
}

void report_transaction_overflow(Engine& e, StoreError nr) {
  if (e.txn.txn_rec_words <= 1) report_zero_division(e);
  write_error_line(e, io::Rec().lit(" Unspecified error nr ").i(static_cast<int>(nr), 4).str());
  write_error_line(e, " Check in output below if very long waiting lines or extended stop time");
  write_error_line(e, " Is LEAVE, RELEASE or RETURN block missing?");
  run_error(e, io::Rec().lit(" Are too many transactions at same time in system?"));
}

void start_run_transactions(Engine& e) {
  TxnStore& t = e.txn;
  t.batch_last = 0;
  e.run.txn_counter = 0;
  e.run.report_written = false;
  e.run.preemption_happened = false;
  const int n = parameter_word(e.ent.par.param_count);
  if (e.ent.par.param_count < 0 || n + 1 > k_max_txn_words) {
    write_error_message(e, " Too many parameters");
    stop_program(e);
  }
  t.txn_words = n;
  t.txn_link_off = n + 1;
  t.txn_rec_words = n + 2;
  t.txn_slots = k_pool_words / t.txn_rec_words;
  // The future-events chain, a line per station, one per queue and the
  // WAITIF chain, at their fixed numbers.
  t.chain_count = k_max_chains;
  // Only PREEMPT looks for a station's delayed holders.
  t.holders.wanted = e.blocks.has_preempt();
  e.run.next_event_time = e.run.end_time;
  init_free_chain(e);
  start_waitif_entries(e);
  auto& cur = e.act.cur_txn;
  for (int b = 1; b <= e.blocks.block_count; ++b) {
    if (e.blocks.block_op[ix(b)] != bc::generate) continue;
    const int g = e.blocks.block_arg[ix(b)];
    if (g < 1 || g >= static_cast<int>(e.ent.gen.generate_first_time.size())) continue;
    // First creation time: a value >= 0 is the time itself, -1000 asks
    // for one inter-arrival time, another -i names decimal constant i.
    const real4 offset = static_cast<real4>(e.ent.gen.generate_first_time[ix(g)]);
    real4 first = 0.0f;
    if (offset >= 0.0f) {
      first = offset;
    } else if (offset == -1000.0f) {
      e.act.cur_txn[tw::next_block] = b;
      first = generate_interval(e, g);
      if (first < 0.0f) stop_with_block(e, " Negative IAT in block ", b);
    } else {
      const int i = trunc_i32(-offset);
      first = i <= e.ent.dec.decimal_count && i < static_cast<int>(e.ent.dec.decimal_value.size()) ? e.ent.dec.decimal_value[ix(i)] : 0.0f;
    }
    // The priority operand is the value itself: priorities down to
    // -k_priority_max are legal, so a negative value cannot name a decimal.
    const real4 priority = e.ent.gen.generate_priority[ix(g)];
    if (priority > e.run.max_priority) e.run.max_priority = priority;
    cur[tw::move_time] = first;
    cur[tw::next_block] = b;
    cur[tw::priority] = priority;
    cur[tw::qtable_entry] = -1.0;
    // A first arrival starts clean: every further word, the hidden
    // parameters included, and every mark.
    for (int i = tw::current_block; i < static_cast<int>(cur.size()); ++i) cur[ix(i)] = 0.0;
    e.act.cur_marks = TxnMarks{};
    insert_event_chain(e, k_future_chain);
  }
  find_last_due_event(e, 0.0f);
  clear_trace_marks(e);
}

}  // namespace kelvo
