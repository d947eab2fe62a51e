// Facilities and storages at run time. Takes the active transaction at a
// station block; counts the station's contents, entries and time
// integral, files transactions that cannot enter on the station's
// waiting line, wakes waiters when units are freed, and carries out
// pre-emption and its end. Stations named by a parameter are resolved and
// checked here.
#include "runtime/servers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/operand_eval.h"
#include "runtime/queues_tables.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"
#include "runtime/waitif.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/stop.h"

namespace kelvo {

namespace {

// Move time of a pre-empted holder with no time left: still negative, so
// that it reads as pre-empted.
constexpr real8 k_tiny_negative = -1.0e-7;

bool is_storage_form(int code) { return code == bc::enter || code == bc::leave; }

bool numbers_kept(const Engine& e) {
  const int slot = e.ent.par.txn_num_off;
  return slot > 0 && slot < static_cast<int>(e.act.cur_txn.size());
}

real8 txn_number(const Engine& e) { return numbers_kept(e) ? e.act.cur_txn[ix(e.ent.par.txn_num_off)] : 0.0; }

// The try stations' result slot in the active transaction (0: none).
int try_slot(const Engine& e) {
  const int slot = e.ent.par.station_mark_off;
  return slot > 0 && slot < static_cast<int>(e.act.cur_txn.size()) ? slot : 0;
}

void set_try_result(Engine& e, real8 v) {
  if (const int slot = try_slot(e)) e.act.cur_txn[ix(slot)] = v;
}

// The priority the model sees, without the marks of a waiting transaction.
real8 base_priority(real8 priority, int4 marks) { return priority - marks * k_priority_mark_unit; }

// Takes the pre-emption marks off the active transaction's priority.
void remove_priority_marks(Engine& e) {
  auto& m = e.act.cur_marks.preempt;
  e.act.cur_txn[tw::priority] = base_priority(e.act.cur_txn[tw::priority], m);
  m = 0;
}

void add_priority_mark(Engine& e, int4 mark) {
  e.act.cur_txn[tw::priority] += mark * k_priority_mark_unit;
  e.act.cur_marks.preempt += mark;
}

bool priority_unmarked(const Engine& e) { return e.act.cur_txn[tw::priority] <= k_unmarked_priority_max; }

// The waiting line of station s, 0 when this run has none for it.
int station_line(const Engine& e, int s) {
  const int k = station_chain(s);
  return k >= station_chain(1) && k <= e.txn.chain_count ? k : 0;
}

[[noreturn]] void too_many_stations(Engine& e, int s) { run_error(e, io::Rec().i(s, 8).lit(" stations used = too many")); }

// A station number from the model's tables: checked before it indexes
// the station arrays and their waiting lines.
int checked_station(Engine& e, int s) {
  if (s < 1 || s > k_station_limit || station_line(e, s) == 0) too_many_stations(e, s);
  return s;
}

// The station of block b: its A operand, or the station a parameter names.
[[gnu::always_inline]] inline int block_station(Engine& e, int b) {
  const int s = e.blocks.block_arg[ix(b)];
  return s < 0 ? seize_release_block(e, s, e.blocks.block_op[ix(b)]) : checked_station(e, s);
}

int4 capacity_of(const Engine& e, int s) {
  const int4 c = e.ent.st.station_capacity[ix(s)];
  return c > 0 ? c : 1;
}

// Station s has n units free.
bool has_room(const Engine& e, int s, int n) {
  return capacity_of(e, s) - static_cast<std::int64_t>(e.srv.station_contents[ix(s)]) >= n;
}

// Re-test of the WAITIF waiters named on station s. A waiter released
// moves in place: the active transaction is not touched.
void retest_waitif(Engine& e, int s) {
  if (e.ent.st.station_waitif[ix(s)] != 0) scan_waitif_lists(e, s);
}

// The SNA that block b's B operand names, from the translator's list of
// servers with an SNA unit count (0: none).
int sna_unit_entry(const Engine& e, int b) {
  const auto& st = e.ent.st;
  const int n = std::min(st.sna_b_count, k_sna_b_station_limit);
  for (int i = 1; i <= n; ++i)
    if (st.sna_b_block[ix(i)] == b) return i;
  return 0;
}

// The units of block b whose B operand is computed (coded `code` < 0).
[[gnu::noinline]] int computed_unit_count(Engine& e, int b, int4 code, bool& try_station) {
  if (const int i = sna_unit_entry(e, b)) {
    int index = e.ent.st.sna_b_value[ix(i)];
    const int n = trunc_i32(operand_index_value(e, e.ent.st.sna_b_kind[ix(i)], index));
    if (n < 0) run_error(e, " Value of B operand of ENTER or LEAVE block < 0");
    return n;
  }
  try_station = code == k_try_units;
  return resolve_operand_value(e, code);
}

// The units that block b takes or gives back: its coded B operand, or the
// value of the SNA it names. Sets `try_station` when the block is a try
// station (its B operand is TRY).
inline int block_unit_count(Engine& e, int b, bool& try_station) {
  try_station = false;
  if (b < 1 || b > e.blocks.block_count) return 1;
  const int4 code = e.blocks.block_units[ix(b)];
  if (code >= 0) return code == 0 ? 1 : code;
  return computed_unit_count(e, b, code, try_station);
}

// Units a waiter's entry block asks.
int units_of_block(Engine& e, int b) {
  bool try_station = false;
  return block_unit_count(e, b, try_station);
}

// The holder's record of facility s: chain and record, 0 when not found.
void find_holder(Engine& e, int s, int& chain, int& rec) {
  const TxnStore& t = e.txn;
  const bool numbers = numbers_kept(e);
  const int num_word = e.ent.par.txn_num_off;
  const real4 holder = static_cast<real4>(e.srv.station_holder[ix(s)]);
  if (!numbers) {
    // A facility has one delayed holder; only when the model has left
    // more than one record delayed under the station is the first of them
    // in chain order looked for along the chain.
    int count = 0;
    const int r = delayed_holder(e, s, count);
    if (count <= 1) {
      chain = r != 0 ? k_future_chain : 0;
      rec = r;
      return;
    }
  }
  for (int r = t.chain_head[k_future_chain]; r != 0; r = t.txn_next[ix(r)]) {
    const real4 next = record_word(e, r, tw::next_block);
    if (next >= 0.0f) continue;
    bool match = false;
    if (numbers) {
      match = record_word(e, r, num_word) == holder;
    } else if (t.txn_marks[ix(r)].advance_station != 0) {
      match = t.txn_marks[ix(r)].advance_station == s;
    } else {
      const int b = trunc_i32(-next);
      match = b >= 1 && b <= e.blocks.block_count && e.blocks.block_op[ix(b)] == bc::advance &&
              e.blocks.block_arg[ix(b)] == s;
    }
    if (match) {
      chain = k_future_chain;
      rec = r;
      return;
    }
  }
  if (numbers) {
    for (int k = k_future_chain + 1; k <= t.chain_count; ++k) {
      for (int r = t.chain_head[ix(k)]; r != 0; r = t.txn_next[ix(r)]) {
        if (record_word(e, r, num_word) == holder) {
          chain = k;
          rec = r;
          return;
        }
      }
    }
  }
  chain = 0;
  rec = 0;
}

// The block labelled PREEM: that receives every pre-empted holder when
// the model names one (0: none).
int preempt_send_block(const Engine& e) {
  for (int b = 1; b <= e.blocks.block_count; ++b)
    if (e.blocks.block_label[ix(b)] == k_preem_label_code) return b;
  return 0;
}

// Where the holder pre-empted by block b goes: the PREEM: block when the
// model names one, else the block of b's C operand (linked at the end of
// the program). 0: no C operand (its word is -1), the holder waits to
// resume.
int4 preempt_send_operand(Engine& e, int b) {
  if (e.cs.flags.preem_name_seen && preempt_send_block(e) > 0) return preempt_send_block(e);
  if (b < 1 || b > e.blocks.block_count) return 0;
  const int4 v = e.blocks.block_opnd[ix(b)];
  return v == -1 ? 0 : v;
}

// The block that the ADVANCE a holder is delayed in (next-block word
// -b) names for its pre-empted holders (0: none).
int advance_preempt_block(const Engine& e, real8 next) {
  const int b = trunc_i32(-next);
  if (b < 1 || b > e.blocks.block_count || e.blocks.block_op[ix(b)] != bc::advance) return 0;
  const int a = e.blocks.block_opnd[ix(b)];
  if (a < 1 || a > k_advance_limit) return 0;
  const int4 to = e.ent.gen.advance_c_code[ix(a)];
  return to >= 1 && to <= e.blocks.block_count ? to : 0;
}

// The holder taken off its chain (now in cur_txn) leaves its block and is
// sent on to block `to` at the current clock.
void send_holder(Engine& e, int to) {
  auto& cur = e.act.cur_txn;
  const int b = trunc_i32(std::fabs(cur[tw::next_block]));
  if (b >= 1 && b <= e.blocks.block_count) e.blocks.block_current[ix(b)] -= 1;
  cur[tw::move_time] = e.run.clock;
  remove_priority_marks(e);
  cur[tw::priority] = std::fmod(cur[tw::priority], k_priority_mark_unit);
  e.act.cur_marks.advance_station = 0;
  cur[tw::current_block] = b;
  cur[tw::next_block] = to;
  insert_event_chain(e, k_future_chain);
}

// --- Entry ---

// The active transaction enters station s with n units: contents,
// entries, maximum and time integral. A waiter released for its retry
// leaves the station's implicit queue; a first try passes through it.
[[gnu::always_inline]] inline void admit(Engine& e, int s, int n, int queue, bool retry) {
  auto& srv = e.srv;
  srv.station_contents.add(ix(s), n, e.changes);
  const int4 contents = srv.station_contents[ix(s)];
  srv.station_entries[ix(s)] += n;
  srv.station_area[ix(s)] -= static_cast<real4>(n) * e.run.clock;
  if (contents > srv.station_max[ix(s)]) srv.station_max[ix(s)] = contents;
  if (retry) {
    remove_priority_marks(e);
    if (queue != 0) depart_adset(e, queue);
    e.act.cur_marks.station = 0;
    e.act.cur_txn[tw::move_time] = e.run.clock;
  } else if (queue != 0 && priority_unmarked(e)) {
    queue_entry_block(e, queue);
    depart_adset(e, queue);
  }
}

// After an entry: the WAITIF waiters of the station are tested again, a
// facility records its holder and a try station its result.
[[gnu::always_inline]] inline void finish_entry(Engine& e, int s, bool records_holder) {
  retest_waitif(e, s);
  if (records_holder && numbers_kept(e)) e.srv.station_holder[ix(s)] = trunc_i32(txn_number(e));
  if (e.srv.station_b_flag[ix(s)]) set_try_result(e, 1.0);
}

// A waiter released for its retry that still finds no room goes back to
// the head of its line, counted again in the block it waits in.
void back_to_line_head(Engine& e, int b, int s) {
  auto& cur = e.act.cur_txn;
  e.act.cur_marks.station = 0;
  const int c = trunc_i32(cur[tw::current_block]);
  insert_chain_front(e, station_chain(s));
  if (c >= 1 && c <= e.blocks.block_count) e.blocks.block_current[ix(c)] += 1;
  e.blocks.block_entries[ix(b)] -= 1;
  cur[tw::next_block] = -1.0;
}

// PREEMPT block b; by priority, only a holder of lower priority is
// pre-empted.
void preempt_entry(Engine& e, int b, bool by_priority) {
  auto& srv = e.srv;
  const int s = block_station(e, b);
  const int queue = e.ent.st.station_implicit_queue[ix(s)];
  if (by_priority && queue != 0) {
    write_error_line(e, " Implicit Q illegal when PREEMPT with priority");
    write_error_line(e, " Use ARRIVE-DEPART pair instead or insert");
    write_error_line(e, " ADVANCE block without operands before PREEMPT");
    stop_program(e);
  }
  const bool retry = e.act.cur_marks.station != 0;
  if (has_room(e, s, 1)) {
    admit(e, s, 1, queue, retry);
    srv.preempt_mark[ix(s)] = true;
    finish_entry(e, s, true);
    return;
  }
  if (retry) {
    back_to_line_head(e, b, s);
    return;
  }
  // A facility already pre-empted makes a plain PREEMPT wait.
  const bool waits = (srv.preempt_mark[ix(s)] && !by_priority) || preempt_transaction(e, s, by_priority);
  // The pre-emptor passes through the implicit queue; while it waits it
  // stays in the queue.
  if (queue != 0 && priority_unmarked(e)) {
    queue_entry_block(e, queue);
    if (!waits) depart_adset(e, queue);
  }
  if (waits) enter_station_waiting_line(e, b, s);
}

// --- Exit ---

// The pre-empted holder to which the end of a pre-emption of facility s
// hands it back: the head of its line when it waits there with the rest
// of its delay (0: none).
int returning_holder(const Engine& e, int s) {
  if (e.srv.preempted_count[ix(s)] == 0) return 0;
  const int p = e.txn.chain_head[ix(station_chain(s))];
  return p != 0 && record_word(e, p, tw::move_time) < 0.0f ? p : 0;
}

[[noreturn]] void negative_contents(Engine& e, int b, int s) {
  if (e.ctl.auto_animation_flag) {
    report_statement_error(e, " Negative contents in server ");
  } else {
    write_error_line(e, io::Rec().lit(" Negative contents in server ").lit(packed_name_text(e, e.ent.st.station_name[ix(s)])).str());
  }
  report_error_at_block(e, b);
}

// Gives back to station s the units that exit block b returns and keeps
// the time integral. False when the active transaction gives nothing
// back: a try station refused it at the entry, or its result 0 (give
// back everything) finds the station empty.
[[gnu::always_inline]] inline bool give_back_units(Engine& e, int b, int s) {
  auto& srv = e.srv;
  bool try_station = false;
  int n = block_unit_count(e, b, try_station);
  const int4 contents = srv.station_contents[ix(s)];
  const int slot = try_slot(e);
  const real8 result = srv.station_b_flag[ix(s)] && slot ? e.act.cur_txn[ix(slot)] : 1.0;
  if (result == -1.0) return false;
  if (result == 0.0) {
    // Gives back everything.
    if (contents <= 0) return false;
    n = contents;
  }
  srv.station_contents.set(ix(s), contents - n, e.changes);
  if (contents - n < 0) negative_contents(e, b, s);
  // The active transaction moves at the clock; its move time is the clock.
  srv.station_area[ix(s)] += static_cast<real4>(n) * e.run.clock;
  return true;
}

}  // namespace

int seize_release_block(Engine& e, int s, int code) {
  auto& cur = e.act.cur_txn;
  auto param_value = [&](int p) -> real8 {
    if (!has_parameter(e, p)) run_error(e, io::Rec().lit(" Illegal value in parameter ").i(p, 2));
    return cur[ix(parameter_word(p))];
  };
  int p = -s;
  if (p > k_indirect_parameter) p = trunc_i32(param_value(p - k_indirect_parameter) + 0.0001);
  int n = trunc_i32(param_value(p) + 0.0001);
  if (n <= 0) {
    const bool named = p >= 1 && p <= k_pname_limit && e.ent.par.pname_code[ix(p)] != 0;
    if (named) run_error(e, io::Rec().lit(" Illegal value in parameter P$").lit(packed_name_text(e, e.ent.par.pname_code[ix(p)])));
    run_error(e, io::Rec().lit(" Illegal value in parameter ").i(p, 2));
  }
  auto& st = e.ent.st;
  const bool storage_form = is_storage_form(code);
  const int number = n;
  if (!storage_form && n > st.storage_count) n += st.facility_offset;
  if (n > k_station_limit || station_line(e, n) == 0) too_many_stations(e, n);
  if (!storage_form && number > st.storage_count) st.station_name[ix(n)] = numeric_name_key(number);
  if (n > st.max_station_used) st.max_station_used = n;
  if (n > st.station_count) st.station_count = n;
  if (storage_form && n > st.storage_count)
    run_error(e, io::Rec().lit(" Not defined for parameter use: Storage ").i(n, 4));
  if (!storage_form && number <= st.storage_count) {
    write_error_line(e, io::Rec().lit(" SEIZE or RELEASE tries to use storage ").i(number, 3).str());
    stop_at_block(e, e.act.cur_block);
  }
  return n;
}

int seize_release_block(Engine& e, int b) {
  if (b < 1 || b > e.blocks.block_count) return 0;
  return seize_release_block(e, e.blocks.block_arg[ix(b)], bc::advance);
}

void enter_or_seize_block(Engine& e, int b) {
  auto& srv = e.srv;
  const int s = block_station(e, b);
  const int queue = e.ent.st.station_implicit_queue[ix(s)];
  bool try_station = false;
  const int n = block_unit_count(e, b, try_station);
  if (try_station) srv.station_b_flag[ix(s)] = true;
  const bool retry = e.act.cur_marks.station != 0;
  if (has_room(e, s, n)) {
    admit(e, s, n, queue, retry);
    finish_entry(e, s, e.blocks.block_op[ix(b)] == bc::seize);
    return;
  }
  if (retry) {
    back_to_line_head(e, b, s);
    return;
  }
  // A full try station lets the transaction through with result -1.
  if (srv.station_b_flag[ix(s)]) {
    set_try_result(e, -1.0);
    return;
  }
  if (queue != 0) queue_entry_block(e, queue);
  enter_station_waiting_line(e, b, s);
}

void preempt_block(Engine& e, int b) { preempt_entry(e, b, false); }

void preempt_by_priority_block(Engine& e, int b) { preempt_entry(e, b, true); }

void leave_or_release_block(Engine& e, int b) {
  auto& srv = e.srv;
  const int s = block_station(e, b);
  if (!give_back_units(e, b, s)) return;
  const int code = e.blocks.block_op[ix(b)];
  const int k = station_chain(s);
  const int line = e.txn.chain_size[ix(k)];
  if (line == 0 && numbers_kept(e) && code == bc::release) srv.station_holder[ix(s)] = 0;
  // Pre-empted holders in the line wait for their RETURN, not for a release.
  if (!(line > 0 && line > srv.preempted_count[ix(s)])) {
    retest_waitif(e, s);
    return;
  }
  // A storage's exit serves every waiter that fits: woken one at a time,
  // a first waiter that asks too much would keep the others waiting
  // while units stay free. The waiters move in place, the active
  // transaction stays as it is.
  if (e.run.serve_all_waiters_flag || code == bc::leave) {
    serve_waiting_chain(e, s, e.txn.chain_head[ix(k)], capacity_of(e, s) - srv.station_contents[ix(s)]);
  } else {
    remove_from_chain_and_count(e, s, e.txn.chain_head[ix(k)]);
  }
  retest_waitif(e, s);
}

void return_block(Engine& e, int b) {
  const int s = block_station(e, b);
  if (!give_back_units(e, b, s)) return;
  // The WAITIF waiters of the station are tested against the facility as
  // the RETURN leaves it: held again when its pre-empted holder takes it
  // back (the hand-back tests them), else free until its next waiter
  // takes it.
  if (returning_holder(e, s) == 0) retest_waitif(e, s);
  // The returning transaction keeps the priority that the hand-over left it.
  update_station_state(e, s);
}

void serve_waiting_chain(Engine& e, int s, int p, int free_units) {
  auto& srv = e.srv;
  srv.served_count[ix(s)] = 0;
  const int k = station_chain(s);
  int r = p;
  while (r != 0 && free_units > 0) {
    const int b = trunc_i32(record_word(e, r, tw::next_block));
    const int want = units_of_block(e, b);
    const int next = e.txn.txn_next[ix(r)];
    if (want > free_units) {
      r = next;
      continue;
    }
    remove_from_chain_and_count(e, s, r);
    srv.served_count[ix(s)] += 1;
    if (want == free_units) return;
    free_units -= want;
    r = e.txn.chain_head[ix(k)];
  }
}

bool preempt_transaction(Engine& e, int s, bool by_priority) {
  auto& srv = e.srv;
  auto& cur = e.act.cur_txn;
  int chain = 0, rec = 0;
  find_holder(e, s, chain, rec);
  if (rec == 0) {
    write_error_line(e, " Incorrect preempt: Transaction to be");
    write_error_line(e, " preempted is NOT in any ADVANCE block");
    write_error_line(e, " nor in any waiting line");
    report_error_at_block(e, e.act.cur_block);
  }
  if (by_priority) {
    const real8 mine = std::fmod(base_priority(cur[tw::priority], e.act.cur_marks.preempt), k_priority_mark_unit);
    const real8 held = std::fmod(base_priority(record_priority(e, rec), e.txn.txn_marks[ix(rec)].preempt), k_priority_mark_unit);
    if (mine <= held) {
      if (e.act.cur_marks.preempt < k_mark_preemptor) add_priority_mark(e, k_mark_preemptor);
      return true;
    }
  }
  const int b = e.act.cur_block;
  KeptTxn preemptor;
  keep_txn(e, preemptor);
  unlink_transaction(e, rec, chain);
  // The holder is now the active transaction.
  auto& h = e.act.cur_txn;
  const int4 send = preempt_send_operand(e, b);
  e.run.preemption_happened = true;
  if (send > 0) {
    send_holder(e, send);
  } else if (send < 0) {
    // Leaves the model.
    const int hb = trunc_i32(std::fabs(h[tw::next_block]));
    if (hb >= 1 && hb <= e.blocks.block_count) e.blocks.block_current[ix(hb)] -= 1;
  } else if (const int to = chain == k_future_chain ? advance_preempt_block(e, h[tw::next_block]) : 0) {
    // The holder's ADVANCE names where a holder pre-empted there goes.
    send_holder(e, to);
  } else {
    // It waits at the head of the facility's line with the rest of its
    // delay as a negative move time.
    if (chain == k_future_chain) {
      const real8 left = h[tw::move_time] - e.run.clock;
      h[tw::move_time] = left > 0.0 ? -left : k_tiny_negative;
    } else {
      h[tw::move_time] = k_tiny_negative;
    }
    if (e.act.cur_marks.preempt % k_mark_preemptor == 0) add_priority_mark(e, k_mark_preempted);
    srv.preempted_count[ix(s)] += 1;
    insert_event_chain(e, station_chain(s));
  }
  restore_txn(e, preemptor);
  // The pre-emptor's capture is an entry; the holder's later resumption
  // is not (its holding time is one entry's).
  srv.station_entries[ix(s)] += 1;
  srv.preempt_mark[ix(s)] = true;
  if (numbers_kept(e)) srv.station_holder[ix(s)] = trunc_i32(txn_number(e));
  return false;
}

void update_station_state(Engine& e, int s) {
  auto& srv = e.srv;
  srv.preempt_mark[ix(s)] = false;
  const int k = station_chain(s);
  const int p = e.txn.chain_head[ix(k)];
  if (srv.preempted_count[ix(s)] == 0) {
    remove_priority_marks(e);
    if (p != 0) {
      remove_from_chain_and_count(e, s, p);
    } else {
      srv.station_holder[ix(s)] = 0;
    }
    return;
  }
  // The head of the line moves onto the future-events chain in place; the
  // active transaction is not touched.
  take_off_waiting_chain(e, p, k);
  const real4 time = record_word(e, p, tw::move_time);
  real4 due = e.run.clock;
  if (time < 0.0f) {
    // A pre-empted holder: takes the facility back with the rest of its delay.
    srv.preempted_count[ix(s)] -= 1;
    srv.station_contents.add(ix(s), 1, e.changes);
    due = static_cast<real4>(std::fabs(static_cast<real8>(time)) + e.run.clock);
    srv.station_area[ix(s)] -= e.run.clock;
  } else {
    const int c = trunc_i32(record_word(e, p, tw::current_block));
    if (c >= 1 && c <= e.blocks.block_count) e.blocks.block_current[ix(c)] -= 1;
    srv.served_count[ix(s)] = 1;
  }
  int4& marks = e.txn.txn_marks[ix(p)].preempt;
  const real8 priority = base_priority(record_priority(e, p), marks);
  marks = 0;
  if (numbers_kept(e)) srv.station_holder[ix(s)] = trunc_i32(static_cast<real8>(record_word(e, p, e.ent.par.txn_num_off)));
  set_record_key(e, p, due, priority);
  file_taken_record(e, p, false);
  // Held again: its WAITIF waiters see it so.
  if (time < 0.0f) retest_waitif(e, s);
}

}  // namespace kelvo
