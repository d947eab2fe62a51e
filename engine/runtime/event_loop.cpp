// Event loop. Takes the future-events chain that the run set-up filled;
// produces the moves of every transaction up to the run's end time, the
// corrected block counts and the standard report. The run-time limit of
// the front end is measured on a monotonic clock.
#include "runtime/event_loop.h"

#include <cmath>
#include <limits>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/block_dispatcher.h"
#include "runtime/chain_index.h"
#include "runtime/run_errors.h"
#include "runtime/standard_report.h"
#include "runtime/transaction_store.h"
#include "runtime/waitif.h"
#include "runtime/experiment.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/stop.h"

namespace kelvo {

namespace {

bool report_wanted(const Engine& e) {
  const int run = e.run.run_number;
  if (run < 0 || run >= static_cast<int>(e.ent.steps.start_report_off.size())) return true;
  return !e.ent.steps.start_report_off[ix(run)];
}

// Straight-line blocks get their Current count from the entries of the
// block after them, and a block after a TERMINATE must be reachable.
void correct_block_counts(Engine& e) {
  auto& blk = e.blocks;
  const int n = std::min(blk.block_count, k_block_capacity);
  for (int i = 1; i <= n - 1; ++i) {
    const int code = blk.block_op[ix(i)];
    const int next = blk.block_op[ix(i + 1)];
    if (blk.block_entries[ix(i)] - blk.block_current[ix(i)] == blk.block_entries[ix(i + 1)]) continue;
    if (blk.block_label[ix(i)] != 0 || blk.block_label[ix(i + 1)] != 0) continue;
    if (e.run.preemption_happened) continue;
    if (code == bc::if_ || code == bc::split || code == bc::goto_) continue;
    if (next == bc::waitif && e.ent.wait.waitif_block_count > 0) continue;
    if (next == bc::generate) continue;
    if (code == bc::waitif && i > 1 && blk.block_op[ix(i - 1)] == bc::waitif) continue;
    if (code == bc::terminate) {
      write_error_message(e, " Block after TERMINATE cannot be reached");
      report_error_at_block(e, i + 1);
    }
    if (e.run.reset_time == 0.0f && code != bc::assemble) {
      const int4 v = blk.block_entries[ix(i)] - blk.block_entries[ix(i + 1)];
      blk.block_current[ix(i)] = v < 0 ? 0 : v;
    }
  }
}

// Steps of work between two looks at the clock: reading it on every
// event or block entry would cost more than the step itself.
constexpr int4 k_limit_check_interval = 4096;

// The batch of the records due at t (find_last_due_event), without a call
// in the event loop.
[[gnu::always_inline]] inline void open_due_batch(Engine& e, real4 t) {
  TxnStore& s = e.txn;
  // Every record due: the batch is left as it is (the tail tells at once).
  const int tail = s.chain_tail[k_future_chain];
  if (tail == 0 || record_move_time(e, tail) <= t) return;
  // The records due now leave the sorted part, which an index holds.
  const bool indexed = s.index.indexed[k_future_chain];
  int q = s.chain_head[k_future_chain];
  while (record_move_time(e, q) <= t) {
    if (indexed) unindex_first_record(e, k_future_chain, q);
    q = s.txn_next[ix(q)];
  }
  s.batch_last = s.txn_prev[ix(q)] > 0 ? s.txn_prev[ix(q)] : 0;
}

// The clock from which single-precision values lie further apart than a
// thousandth of the model's shortest positive constant time (1 when it
// has none). With 24 bits of mantissa the values from 2^k on lie 2^(k-23)
// apart, so it is the power of two 2^k whose spacing is the first above
// that bound.
real4 coarse_clock_threshold(const Engine& e) {
  const real4 shortest = e.ent.gen.shortest_constant_time;
  const double bound = (shortest > 0.0f ? static_cast<double>(shortest) : 1.0) / 1000.0;
  int exponent = 0;
  (void)std::frexp(bound, &exponent);  // 2^(exponent-1) <= bound < 2^exponent
  const int k = exponent + std::numeric_limits<real4>::digits - 1;
  if (k > std::numeric_limits<real4>::max_exponent - 1) return std::numeric_limits<real4>::infinity();
  return static_cast<real4>(std::ldexp(1.0, k));
}

// v in fixed point with d decimals, without leading blanks.
std::string plain_fixed(double v, int d) {
  const std::string s = io::format_f(v, 30, d);
  const std::size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? s : s.substr(first);
}

// The clock has reached the threshold: the run says once that its times
// are rounded to the spacing of single-precision values at this clock (to
// the WRN file under the front end, to the console otherwise). No number
// changes.
[[gnu::noinline]] void warn_coarse_clock(Engine& e) {
  RunState& r = e.run;
  r.coarse_clock_from = std::numeric_limits<real4>::infinity();
  const real4 c = r.clock;
  const double spacing = static_cast<double>(std::nextafter(c, std::numeric_limits<real4>::infinity()) - c);
  // The spacing to four significant digits, the clock to the spacing's
  // first one.
  int decimals = 3;
  for (double v = spacing; v < 1.0 && decimals < 12; v *= 10.0) ++decimals;
  const int unit = e.ctl.java_mode ? open_wrn_file(e) : io::k_console_out;
  e.ch.write(unit, "** WARNING **");
  e.ch.write(unit, io::Rec()
                       .lit(" At clock ")
                       .lit(plain_fixed(c, std::max(1, decimals - 3)))
                       .lit(" times are kept to steps of ")
                       .lit(plain_fixed(spacing, decimals)));
}

}  // namespace

void find_last_due_event(Engine& e, real4 t) { open_due_batch(e, t); }

void check_run_time_limit(Engine& e) {
  if (!run_time_exceeded(e)) return;
  // No block line: the limit is not the fault of a block.
  e.act.cur_txn[tw::next_block] = 0.0;
  run_error(e, " Program run time exceeds limit");
}

void look_at_run_time_limit(Engine& e) {
  e.run.limit_check_countdown = k_limit_check_interval;
  if (e.ctl.java_mode) check_run_time_limit(e);
}

void look_at_run_time_limit_while_reading(void* engine) {
  Engine& e = *static_cast<Engine*>(engine);
  if (!e.run.in_event_loop) stop_if_run_time_exceeded(e);
  else if (e.ctl.java_mode) check_run_time_limit(e);
}

void run_event_loop(Engine& e) {
  RunState& r = e.run;
  TxnStore& t = e.txn;
  e.run.report_written = false;
  struct InEventLoop {
    Engine& e;
    explicit InEventLoop(Engine& engine) : e(engine) { e.run.in_event_loop = true; }
    ~InEventLoop() { e.run.in_event_loop = false; }
    InEventLoop(const InEventLoop&) = delete;
    InEventLoop& operator=(const InEventLoop&) = delete;
  } in_event_loop{e};
  // A run that starts at clock 0 measures its clock against the model's
  // times anew; a START that goes on from a later clock keeps what the run
  // knows, so a run warns once, also across a RESET.
  if (r.clock == 0.0f) r.coarse_clock_from = coarse_clock_threshold(e);
  for (;;) {
    if (t.chain_size[k_future_chain] < 0) report_transaction_overflow(e, StoreError::future_chain_negative);
    if (t.chain_size[k_future_chain] == 0) {
      if (report_wanted(e)) write_standard_report(e, false);
      break;
    }
    count_run_step(e);
    if (r.clock < r.end_time) {
      const int p = t.chain_head[k_future_chain];
      if (t.batch_last == 0) {
        r.next_event_time = record_move_time(e, p);
        if (r.next_event_time < r.clock) {
          write_error_message(e, " Attempt to go backwards in time ");
          write_error_message(e, " Error probably in GENERATE or ADVANCE");
          run_error(e, " One (other) possibility:");
        }
        r.clock = r.next_event_time;
        if (r.clock >= r.coarse_clock_from) warn_coarse_clock(e);
        open_due_batch(e, r.clock);
      }
      // Every transaction of the batch due now moves at the clock (a
      // waiter released for a retry keeps an older move time on record).
      const bool in_batch = t.batch_last != 0;
      const bool ends_batch = p == t.batch_last;
      const real8 next_block = unlink_first_event(e);
      if (in_batch) e.act.cur_txn[tw::move_time] = r.clock;
      if (ends_batch) t.batch_last = 0;
      dispatch_block(e, next_block);
      if (e.ent.par.trace_number_wanted_a) trace_count_changes(e);
      if (r.waitif_pending) {
        const int b = trunc_i32(e.act.cur_txn[tw::next_block]);
        const int code = b >= 1 && b <= k_block_capacity ? e.blocks.block_op[ix(b)] : 0;
        if (code != bc::waitif_retest) scan_waitif_chain(e);
      }
      continue;
    }
    if (r.clock > r.end_time) {
      r.clock = r.end_time;
    } else {
      const int h = t.chain_head[k_future_chain];
      if (h != 0 && record_move_time(e, h) <= r.clock) {
        // A waiter released for a retry is still counted in its block.
        const int k = trunc_i32(record_word(e, h, tw::current_block));
        if (t.txn_marks[ix(h)].station != 0 && k >= 1 && k <= k_block_capacity) e.blocks.block_current[ix(k)] += 1;
      }
      correct_block_counts(e);
    }
    if (report_wanted(e)) write_standard_report(e, false);
    break;
  }
  // The experiment driver reads the run's outvalue.
  if (e.ctl.experi_run) e.run.outvalue = read_outvalue(e);
}

}  // namespace kelvo
