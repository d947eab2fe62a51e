// Queues, TABLEs and QTABLEs at run time. Takes the active transaction at
// a queue entry, a departure or a TABULATE; keeps each queue's contents,
// entries, zero-time stays, maximum and time integral, and each table's
// weighted sums, extremes and frequency classes. Queues and tables named
// by a parameter are resolved and checked here.
#include "runtime/queues_tables.h"

#include <algorithm>
#include <cmath>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/operand_eval.h"
#include "runtime/report_sections.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"

namespace kelvo {

namespace {

// A queue number from the block tables, checked before it indexes.
int checked_queue(Engine& e, int q) {
  if (q < 1 || q > k_queue_limit) run_error(e, " Too many queues used");
  return q;
}

int qtable_of(const Engine& e, int q) {
  const int t = e.ent.q.queue_map[ix(q)];
  return t >= 1 && t <= e.ent.tab.table_count && t <= k_table_limit ? t : 0;
}

real8 param_word(Engine& e, int p) {
  if (!has_parameter(e, p)) run_error(e, " Parameter has illegal negative or 0 value");
  return e.act.cur_txn[ix(parameter_word(p))];
}

}  // namespace

int queue_number_from_parameter(Engine& e, int q) {
  int p = -q;
  if (p > k_indirect_parameter) p = trunc_i32(param_word(e, p - k_indirect_parameter) + 0.0001);
  int n = trunc_i32(param_word(e, p));
  if (n <= 0) run_error(e, " Parameter has illegal negative or 0 value");
  n = queue_index_of_number(e.ent, n);
  auto& qt = e.ent.q;
  if (n > qt.queue_count) {
    if (n > k_queue_limit) run_error(e, " Too many queues used");
    for (int k = qt.queue_count + 1; k <= n; ++k) {
      qt.queue_name[ix(k)] = numeric_name_key(std::min(queue_number_of_index(e.ent, k), 999));
      // A QTABLE may name the new queue by its number.
      qt.queue_map[ix(k)] = qtable_for_queue(e.ent.tab, qt.queue_name[ix(k)]);
    }
    qt.queue_count = n;
  }
  return n;
}

void queue_entry_block(Engine& e, int q) {
  q = q < 0 ? queue_number_from_parameter(e, q) : checked_queue(e, q);
  auto& srv = e.srv;
  const real4 clock = e.run.clock;
  srv.queue_last_time[ix(q)] = clock;
  srv.queue_area[ix(q)] -= clock;
  srv.queue_current.add(ix(q), 1, e.changes);
  srv.queue_entries[ix(q)] += 1;
  if (srv.queue_current[ix(q)] > srv.queue_max[ix(q)]) srv.queue_max[ix(q)] = srv.queue_current[ix(q)];
  if (qtable_of(e, q) == 0) return;
  auto& cur = e.act.cur_txn;
  if (cur[tw::qtable_entry] > 0.0 && e.ent.q.qtable_count > 1) {
    if (cur[tw::qtable_entry] == static_cast<real8>(clock)) {
      srv.queue_nested_flag = true;
      return;
    }
    write_error_line(e, " Illegal nesting of queues using QTABLEs. When nested each");
    write_error_line(e, " transaction's entry into tables must be at SAME time");
    write_error_line(e, " Run program repeatedly with one table at a time!");
    report_error_at_block(e, e.act.cur_block);
  }
  cur[tw::qtable_entry] = clock;
}

void depart_adset(Engine& e, int q) {
  const bool by_param = q < 0;
  q = by_param ? queue_number_from_parameter(e, q) : checked_queue(e, q);
  auto& srv = e.srv;
  const real4 clock = e.run.clock;
  srv.queue_area[ix(q)] += clock;
  srv.queue_current.add(ix(q), -1, e.changes);
  const int4 current = srv.queue_current[ix(q)];
  if (current < 0) run_error(e, io::Rec().lit(" Illegal use of DEPART. Contents of AD-set:").i(current, 7));
  const real4 last = srv.queue_last_time[ix(q)];
  const auto& cur = e.act.cur_txn;
  if (srv.zero_count_flag && clock == last && srv.zero_ref_time > last) {
    srv.zero_ref_time = -1.0f;
  } else if (std::fabs(clock - last) <= 0.000005f) {
    bool zero = false;
    if (srv.zero_count_all_flag || current == 0) {
      zero = true;
    } else if (e.run.serve_all_waiters_flag) {
      const int b = trunc_i32(cur[tw::next_block]);
      const int4 units = b >= 1 && b <= e.blocks.block_count ? e.blocks.block_units[ix(b)] : 0;
      zero = units <= 1 && e.run.operand_sum > 0;
    } else if (cur[tw::priority] > 0.0) {
      zero = true;
    } else if (srv.zero_param_limit > 0 && !by_param && e.ent.par.param_count >= 2) {
      zero = cur[ix(parameter_word(2))] > 0.0;
    }
    if (zero) srv.queue_zero_entries[ix(q)] += 1;
  }
  if (qtable_of(e, q) != 0) tabulate_queue_time(e, q);
}

void tabulate_queue_time(Engine& e, int q) {
  auto& cur = e.act.cur_txn;
  const real4 d = static_cast<real4>(e.run.clock - cur[tw::qtable_entry]);
  if (!e.srv.queue_nested_flag) cur[tw::qtable_entry] = 0.0;
  enter_table_value(e, qtable_of(e, q), d, 1);
}

void record_value_extremes(Engine& e, int b) {
  const int t = e.blocks.block_arg[ix(b)];
  if (t < 1 || t > e.ent.tab.table_count || t > k_table_limit) run_error(e, " Table not defined");
  const int4 code = e.blocks.block_opnd[ix(b)];
  const int savevalue_max = k_savevalue_limit;
  int4 w = 0;
  if (code >= 0) {
    w = code;
  } else if (code > -savevalue_max) {
    w = trunc_i32(e.ent.sv.savevalue_value[ix(-code)] + 0.4999);
  } else if (code > -10000) {
    int index = -code - savevalue_max;
    w = trunc_i32(operand_index_value(e, opnd::variable, index) + 0.4999f);
  } else {
    int index = -(code + 10000);
    w = trunc_i32(operand_index_value(e, opnd::parameter, index) + 0.4999f);
  }
  int index = e.ent.tab.table_arg_value[ix(t)];
  const real4 x = operand_index_value(e, e.ent.tab.table_arg_kind[ix(t)], index);
  enter_table_value(e, t, x, w);
}

int table_class_of(const Engine& e, int t, real4 x) {
  const int n = std::min(e.ent.tab.table_classes[ix(t)], k_table_class_limit);
  const real4 lower = static_cast<real4>(e.ent.tab.table_lower[ix(t)]);
  const real4 width = static_cast<real4>(e.ent.tab.table_width[ix(t)]);
  if (x <= lower) return 1;
  if (width <= 0.0f) return n + 1;
  // The class straight from the width, confirmed against its limits so
  // that the comparisons are those of a search from class 2 upwards.
  // Bounded before it becomes an integer: a value far beyond the classes
  // is counted in the overflow class.
  const double k = std::floor((static_cast<double>(x) - lower) / width);
  int i = 2 + trunc_i32(std::min(std::max(k, 0.0), static_cast<double>(n - 1)));
  while (i > 2 && x <= lower + static_cast<real4>(i - 2) * width) --i;
  while (i <= n && x > lower + static_cast<real4>(i - 1) * width) ++i;
  return i;
}

void enter_table_value(Engine& e, int t, real4 x, int4 w) {
  if (t < 1 || t > k_table_limit) return;
  auto& srv = e.srv;
  // A value within 0.0001 of an integer is that integer.
  const real4 whole = std::round(x);
  if (std::fabs(x - whole) <= 0.0001f) x = whole;
  if (x > srv.table_max[ix(t)]) srv.table_max[ix(t)] = x;
  if (x < srv.table_min[ix(t)]) srv.table_min[ix(t)] = x;
  const real4 wf = static_cast<real4>(w);
  srv.table_sum[ix(t)] += wf * x;
  srv.table_sumsq[ix(t)] += wf * x * x;
  srv.table_entries[ix(t)] += w;
  const int c = table_class_of(e, t, x);
  // The overflow sum is weighted like the frequency it is divided by.
  if (c == std::min(e.ent.tab.table_classes[ix(t)], k_table_class_limit) + 1) srv.table_overflow_sum[ix(t)] += wf * x;
  srv.table_freq[ix(t)][ix(c)] += w;
}

void clear_server_statistics(Engine& e) {
  auto& srv = e.srv;
  srv.station_contents.fill(0, e.changes);
  srv.station_max.fill(0);
  srv.station_entries.fill(0);
  srv.station_area.fill(0.0f);
  srv.station_holder.fill(0);
  srv.preempt_mark.fill(false);
  srv.preempted_count.fill(0);
  srv.served_count.fill(0);
  srv.station_b_flag.fill(false);
  srv.queue_current.fill(0, e.changes);
  srv.queue_entries.fill(0);
  srv.queue_zero_entries.fill(0);
  srv.queue_max.fill(0);
  srv.queue_area.fill(0.0f);
  srv.queue_last_time.fill(0.0f);
  srv.queue_nested_flag = false;
  srv.zero_ref_time = -1.0f;
  restart_table_statistics(e);
}

void restart_table_statistics(Engine& e) {
  auto& srv = e.srv;
  for (auto& row : srv.table_freq) row.fill(0);
  srv.table_entries.fill(0);
  srv.table_min.fill(1.0e8f);
  srv.table_max.fill(-1.0e9f);
  srv.table_sum.fill(0.0f);
  srv.table_sumsq.fill(0.0f);
  srv.table_overflow_sum.fill(0.0f);
}

void setup_savevalues_and_records(Engine& e) {
  auto& sv = e.ent.sv;
  // Every savevalue that a LET control statement gave a value starts
  // from it; the others start from 0.
  for (int k = 1; k <= k_savevalue_limit; ++k)
    sv.savevalue_value.set(ix(k), k <= k_named_savevalue_limit ? sv.savevalue_init[ix(k)] : 0.0, e.changes);
  if (e.ctl.java_mode && !e.ent.steps.start_report_off[1]) report_named_parameters(e);
}

}  // namespace kelvo
