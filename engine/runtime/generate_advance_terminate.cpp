// GENERATE, ADVANCE and TERMINATE. Takes the active transaction and the
// time tables; files the next arrival or the delayed transaction on the
// future-events chain, or destroys the transaction and counts the run's
// termination count down. Times are single precision throughout.
#include "runtime/generate_advance_terminate.h"

#include "model/engine.h"
#include "runtime/block_dispatcher.h"
#include "runtime/flow_blocks.h"
#include "runtime/function_eval.h"
#include "runtime/operand_eval.h"
#include "runtime/print_trace.h"
#include "runtime/random_streams.h"
#include "runtime/run_errors.h"
#include "runtime/servers.h"
#include "runtime/transaction_store.h"

namespace kelvo {

namespace {

// A kind code or an entity number of a time row: a small whole number
// that the translator wrote into a single-precision word.
inline int row_code(real4 v) { return static_cast<int>(v); }

// Value of one time operand by its kind code.
real4 time_operand(Engine& e, real4 value, int kind) {
  switch (kind) {
    case tkind::value:
      return value;
    case tkind::variable:
      return eval_variable_1(e, row_code(value));
    case tkind::function:
      return static_cast<real4>(evaluate_function(e, row_code(value)));
    case tkind::savevalue: {
      int index = row_code(value);
      if (index < 1 || index > k_savevalue_limit) run_error(e, " Savevalue not defined earlier in program");
      return static_cast<real4>(e.ent.sv.savevalue_value[ix(index)]);
    }
    case tkind::clock:
      return e.run.clock;
    case tkind::parameter:
    default: {  // any other kind too: -p through parameter p
      int p = row_code(value);
      if (p < 0) {
        int index = -p;
        return operand_index_value(e, -opnd::parameter, index);
      }
      return operand_index_value(e, opnd::parameter, p);
    }
  }
}

// Time from a row of a time table.
[[gnu::always_inline]] inline real4 time_of_pair(Engine& e, real4 a, real4 b, real4 kind_a, real4 kind_b) {
  // A negative kind of A (tkind::constant_pair): both constants, stored
  // as (A - B, 2B).
  if (kind_a < 0.0f) {
    if (b == 0.0f) return a;
    return uniform_variate(e, a, b);
  }
  // Kind 0 (the value itself) is the common B operand, and A's when it
  // is a constant beside a computed B.
  const real4 r1 = kind_a == 0.0f ? a : time_operand(e, a, row_code(kind_a));
  const real4 r2 = kind_b == 0.0f ? b : time_operand(e, b, row_code(kind_b));
  if (r2 == 0.0f) return r1;
  const real4 u = draw_random_number(e, 1);
  return (r1 - r2) + (2.0f * r2) * u;
}

[[gnu::always_inline]] inline real4 interval_of_generate(Engine& e, int g) {
  const auto& row = e.ent.gen.generate_time_table[ix(g)];
  return time_of_pair(e, row[1], row[2], row[3], row[4]);
}

}  // namespace

real4 time_from_operand_pair(Engine& e, real4 a, real4 b, real4 kind_a, real4 kind_b) {
  return time_of_pair(e, a, b, kind_a, kind_b);
}

real4 generate_interval(Engine& e, int g) { return interval_of_generate(e, g); }

// The time from the GENERATE row is worked out inline (flatten).
[[gnu::flatten]] void generate_block(Engine& e, int b) {
  auto& cur = e.act.cur_txn;
  if (cur[tw::current_block] > 0.0) stop_with_block(e, " Transaction tries to enter GENERATE = block ", b);
  const int g = e.blocks.block_arg[ix(b)];
  if (g < 1 || g > k_generate_limit) refuse_block_code(e, bc::generate);
  const real4 t = interval_of_generate(e, g);
  if (t < 0.0f) stop_with_block(e, " Negative IAT in block ", b);
  if (e.ent.par.clear_params_flag) {
    for (int j = 1; j <= e.ent.par.param_count; ++j) cur[ix(parameter_word(j))] = 0.0;
  }
  // The next arrival is filed; this one goes on at the clock.
  const real4 due = e.run.clock + t;
  cur[tw::move_time] = due;
  insert_future_event(e, due);
  cur[tw::move_time] = e.run.clock;
  cur[tw::qtable_entry] = 0.0;
  if (e.ent.par.trace_number_wanted_a || e.ent.par.trace_number_wanted_b) {
    e.run.txn_counter += 1;
    const int slot = e.ent.par.trace_word_off;
    if (slot >= 1 && slot < static_cast<int>(cur.size())) cur[ix(slot)] = e.run.txn_counter;
    write_trace_line(e, b, bc::generate, 0);
  }
  if (e.ent.par.txn_num_off > 0) {
    e.run.txn_counter += 1;
    const int slot = e.ent.par.txn_num_off;
    if (slot < static_cast<int>(cur.size())) cur[ix(slot)] = e.run.txn_counter;
  }
}

// The time from the ADVANCE row is worked out inline (flatten).
[[gnu::flatten]] void advance_block(Engine& e, int b) {
  e.blocks.block_current[ix(b)] += 1;
  const int a = e.blocks.block_opnd[ix(b)];
  if (a < 1 || a > k_advance_limit) refuse_block_code(e, bc::advance);
  const auto& row = e.ent.gen.advance_time_table[ix(a)];
  const real4 t = time_from_operand_pair(e, row[1], row[2], row[3], row[4]);
  if (t < 0.0f) run_error(e, " Negative ADVANCE time");
  auto& cur = e.act.cur_txn;
  const real4 due = e.run.clock + t;
  cur[tw::move_time] = due;
  cur[tw::next_block] = -b;
  if (e.ent.st.station_in_advance_flag) derive_block_time(e, b);
  insert_future_event(e, due);
}

void derive_block_time(Engine& e, int b) {
  if (e.blocks.block_arg[ix(b)] >= 0) return;
  // The station is carried as an integer mark beside the next block.
  e.act.cur_marks.advance_station = seize_release_block(e, b);
}

void terminate_block(Engine& e, int b) {
  const int k = e.blocks.block_arg[ix(b)];
  if (k < 1 || k > k_terminate_limit) refuse_block_code(e, bc::terminate);
  int4 d = e.ent.term.terminate_value[ix(k)];
  if (d < 0) {
    const int x = -d;
    if (x > k_savevalue_limit) run_error(e, " Negative X$VALUE in TERMINATE");
    d = trunc_i32(e.ent.sv.savevalue_value[ix(x)]);
    if (d < 0) run_error(e, " Negative X$VALUE in TERMINATE");
  }
  const int run = e.run.run_number;
  if (run >= 1 && run <= k_run_number_capacity) {
    auto& count = e.ent.steps.termination_count[ix(run)];
    const std::int64_t left = static_cast<std::int64_t>(count) - d;
    count = left < -2147483647 ? -2147483647 : static_cast<int4>(left);
    if (count <= 0) e.run.end_time = e.run.clock;
  }
  e.act.cur_txn[tw::current_block] = 0.0;
  release_family_at_terminate(e);
}

}  // namespace kelvo
