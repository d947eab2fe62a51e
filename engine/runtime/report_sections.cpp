// Entity sections of the standard report: facilities and storages,
// queues, tables and QTABLEs, savevalues and the list of future events,
// and the 95 % confidence limits of repeated runs. Takes the statistics
// of the run (relative to the last RESET); writes the fixed layouts on
// the report channel, or under the front end into each section's file.
#include "runtime/report_sections.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/standard_report.h"
#include "runtime/transaction_store.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/stop.h"
#include "translator/table_definitions.h"

namespace kelvo {

namespace {

// A section's frame: its file under the front end (or, for a PRINT, the
// PRINT result file), the report channel otherwise.
class Section {
 public:
  Section(Engine& e, int kind) : e_(e) {
    saved_ = e.rep.out_unit;
    if (!e.ctl.java_mode) return;
    if (e.rep.print_section_output) {
      e.rep.out_unit = e.rep.prog_unit;
    } else {
      begin_report_section(e, e.rep.out_unit, saved_, e.run.run_number, kind);
      open_ = true;
    }
  }
  ~Section() {
    if (open_) end_report_section(e_, e_.rep.out_unit, saved_);
    else e_.rep.out_unit = saved_;
  }
  Section(const Section&) = delete;
  Section& operator=(const Section&) = delete;
  void line(const io::Rec& r) { e_.ch.write(e_.rep.out_unit, r); }
  void line(std::string_view s) { e_.ch.write(e_.rep.out_unit, s); }

 private:
  Engine& e_;
  int saved_ = 0;
  bool open_ = false;
};

std::string name_of(Engine& e, int4 code) { return packed_name_text(e, code); }

real4 relative_time(const Engine& e) { return e.run.clock - e.run.reset_time; }

// The common opening of a statistics section: false when there is no
// statistics period.
bool section_opening(Engine& e, Section& s) {
  const real4 t = relative_time(e);
  if (t == 0.0f) {
    s.line(" No statistics since simulation stops at time 0");
    return false;
  }
  if (std::fabs(e.run.clock - t) > 1.0e-4f) {
    s.line("  ");
    s.line("----After RESET---------");
  }
  return true;
}

// Numbered storages come first; a named storage follows them. A station
// that no storage definition made is a facility, also one a parameter
// reaches (the stations that parameters may name all have capacity 1).
bool is_storage(const Engine& e, int i) { return i <= e.ent.st.storage_count || e.ent.st.station_identity[ix(i)] != 0; }

real4 safe_ratio(real4 a, real4 b) { return b != 0.0f ? a / b : 0.0f; }

void facility_lines(Engine& e, Section& s, real4 t) {
  const auto& st = e.ent.st;
  const int last = std::min(st.station_count, k_station_limit);
  bool header = false;
  int lines = 0;
  for (int i = 1; i <= last; ++i) {
    if (is_storage(e, i)) continue;
    RowValues v{};
    station_row_values(e, i, t, false, v);
    const real4 utilization = v[1];
    const int4 entries = e.srv.station_entries[ix(i)];
    if (!(utilization > 1.0e-5f) && entries == 0) continue;
    if (!header) {
      s.line(io::Rec().br().br().br().x(20).lit("(1)").x(13).lit("(2)").x(14).lit("(3)"));
      s.line(io::Rec().lit(" Facility").x(9).lit("Average").x(8).lit("Number of").x(9).lit("Average").br().x(16).lit("utilization").x(7).lit("entries").x(8).lit("time/trans"));
      header = true;
    }
    s.line(io::Rec().x(1).a(name_of(e, st.station_name[ix(i)]), 6).x(3).f(utilization, 14, 2).i(entries, 15).f(v[3], 18, 2));
    if (++lines % 20 == 0) report_pause(e);
  }
}

void storage_lines(Engine& e, Section& s, real4 t) {
  const auto& st = e.ent.st;
  const auto& srv = e.srv;
  const int last = std::min(st.station_count, k_station_limit);
  bool any = false;
  for (int i = 1; i <= last; ++i) any = any || is_storage(e, i);
  if (!any) return;
  s.line(io::Rec().br().br().br().x(15).lit("(1)").x(10).lit("(2)").x(13).lit("(3)").x(10).lit("(4)").x(10).lit("(5)"));
  s.line(io::Rec().lit(" Storage     Capacity").x(5).lit("Average").x(9).lit("Average").x(6).lit("Entries").x(6).lit("Average").br().x(25).lit("contents").x(7).lit("utilization").x(15).lit("time/trans").br());
  for (int i = 1; i <= last; ++i) {
    if (!is_storage(e, i)) continue;
    RowValues v{};
    station_row_values(e, i, t, true, v);
    const int4 capacity = st.station_capacity[ix(i)];
    io::Rec r;
    r.x(1).a(name_of(e, st.station_name[ix(i)]), 6);
    if (capacity > 999999) {
      r.i(capacity / 1000000, 7).lit(" mill.").f(v[2], 12, 2);
    } else {
      r.i(capacity, 12).f(v[2], 13, 2);
    }
    r.f(v[3], 16, 2).i(srv.station_entries[ix(i)], 12).f(v[5], 15, 2);
    s.line(r);
  }
  s.line(io::Rec().br().br().x(14).lit("(6)").x(11).lit("(7)"));
  s.line(io::Rec().lit(" Storage").x(4).lit("Current").x(7).lit("Maximum").br().x(12).lit("contents").x(6).lit("contents"));
  for (int i = 1; i <= last; ++i) {
    if (!is_storage(e, i)) continue;
    s.line(io::Rec().x(1).a(name_of(e, st.station_name[ix(i)]), 6).i(srv.station_contents[ix(i)], 11).i(srv.station_max[ix(i)], 14));
  }
}

void table_block(Engine& e, Section& s, int t) {
  const auto& srv = e.srv;
  s.line(io::Rec().br().lit(" Table  ").a(name_of(e, e.ent.tab.table_name[ix(t)]), 6));
  s.line(io::Rec().x(5).lit("(1)").x(9).lit("(2)").x(9).lit("(3)").x(9).lit("(4)").x(9).lit("(5)").x(11).lit("(6)"));
  s.line(io::Rec().lit(" Entries ").x(1).lit("Mean ").a("", 11).x(1).lit("St. dev.").x(2).lit("Total ").a("", 5).x(4).lit("Minimum").x(7).lit("Maximum"));
  RowValues v{};
  table_row_values(e, t, v);
  const int4 n = srv.table_entries[ix(t)];
  s.line(io::Rec().x(1).i(n, 7).f(v[2], 11, 2).f(v[3], 13, 2).f(v[4], 13, 2).f(v[5], 13, 2).f(v[6], 13, 2).br().br());
  s.line(io::Rec().x(7).lit("Range").x(13).lit("Observed").x(6).lit("Per cent").x(5).lit("Cumulative").x(4).lit("Cumulative").br().x(11).lit("     ").x(8).lit("frequency").x(6).lit("of total").x(5).lit("percentage").x(5).lit("remainder"));
  const int classes = std::min(e.ent.tab.table_classes[ix(t)], k_table_class_limit);
  const real4 lower = static_cast<real4>(e.ent.tab.table_lower[ix(t)]);
  const real4 width = static_cast<real4>(e.ent.tab.table_width[ix(t)]);
  const real4 total = static_cast<real4>(n);
  real4 cumulative = 0.0f;
  for (int i = 1; i <= classes; ++i) {
    // When every later class (the overflow included) is empty the list ends.
    bool rest_empty = true;
    for (int k = i; k <= classes + 1; ++k) rest_empty = rest_empty && srv.table_freq[ix(t)][ix(k)] == 0;
    if (rest_empty) {
      s.line(" Remaining frequencies are all zero");
      break;
    }
    const int4 freq = srv.table_freq[ix(t)][ix(i)];
    const real4 percent = n > 0 ? static_cast<real4>(freq) * 100.0f / total : 0.0f;
    cumulative += percent;
    const real4 upper = lower + static_cast<real4>(i - 1) * width;
    io::Rec r;
    r.x(1);
    if (i == 1) {
      r.x(8).lit(" - ");
    } else {
      r.f(upper - width, 8, 2).lit(" - ");
    }
    r.i(static_cast<long long>(std::lround(upper)), 6).i(freq, 12).f(percent, 15, 2).f(cumulative, 15, 2).f(100.0f - cumulative, 15, 2);
    s.line(r);
  }
  const int4 over = srv.table_freq[ix(t)][ix(classes + 1)];
  const real4 over_percent = n > 0 ? static_cast<real4>(over) * 100.0f / total : 0.0f;
  const real4 over_cumulative = cumulative + over_percent;
  s.line(io::Rec().x(8).lit("Overflow").i(over, 14).f(over_percent, 15, 2).f(over_cumulative, 15, 2).f(100.0f - over_cumulative, 15, 2));
  s.line(io::Rec().x(5).lit("(7) Average value of overflow").f(v[7], 15, 2));
}

// A QTABLE whose queue is no queue of the model collects nothing.
bool qtable_without_queue(const Engine& e, int t) {
  if (e.ent.tab.table_queue_name[ix(t)] == 0) return false;
  const auto& map = e.ent.q.queue_map;
  for (int q = 1; q <= k_queue_limit; ++q) {
    if (map[ix(q)] == t) return false;
  }
  return true;
}

void no_qtable_statistics(Engine& e, Section& s, int t) {
  const auto& tab = e.ent.tab;
  io::Rec r;
  r.lit(" No QTABLE statistics can be collected for the queue ");
  if (tab.table_numeric_a[ix(t)]) r.i(tab.table_arg_value[ix(t)], 4);
  else r.a(name_of(e, tab.table_arg_value[ix(t)]), 6);
  s.line(r);
  s.line(" since no queue or A/D statistics are collected.");
}

}  // namespace

int station_row_values(const Engine& e, int i, real4 t, bool storage, RowValues& v) {
  v.fill(0.0f);
  if (i < 1 || i > k_station_limit) return 0;
  const auto& srv = e.srv;
  const real4 area = static_cast<real4>(srv.station_contents[ix(i)]) * e.run.clock + srv.station_area[ix(i)];
  const int4 entries = srv.station_entries[ix(i)];
  const real4 average = entries > 0 ? area / static_cast<real4>(entries) : 0.0f;
  // With no statistics period (a section says so) the averages over it are 0.
  if (!storage) {
    v[1] = t != 0.0f ? area * 100.0f / t : 0.0f;
    v[2] = static_cast<real4>(entries);
    v[3] = average;
    return 3;
  }
  const int4 capacity = e.ent.st.station_capacity[ix(i)];
  const real4 contents = t != 0.0f ? area / t : 0.0f;
  v[1] = static_cast<real4>(capacity);
  v[2] = contents;
  v[3] = safe_ratio(contents * 100.0f, static_cast<real4>(capacity));
  v[4] = static_cast<real4>(entries);
  v[5] = average;
  v[6] = static_cast<real4>(srv.station_contents[ix(i)]);
  v[7] = static_cast<real4>(srv.station_max[ix(i)]);
  return 7;
}

int queue_row_values(const Engine& e, int q, real4 t, RowValues& v) {
  v.fill(0.0f);
  if (q < 1 || q > k_queue_limit) return 0;
  const auto& srv = e.srv;
  const real4 area = static_cast<real4>(srv.queue_current[ix(q)]) * e.run.clock + srv.queue_area[ix(q)];
  const int4 entries = srv.queue_entries[ix(q)];
  const int4 zeros = srv.queue_zero_entries[ix(q)];
  const int4 nonzero = entries - zeros;
  v[1] = static_cast<real4>(srv.queue_max[ix(q)]);
  v[2] = t != 0.0f ? area / t : 0.0f;
  v[3] = static_cast<real4>(entries);
  v[4] = static_cast<real4>(zeros);
  v[5] = entries > 0 ? static_cast<real4>(zeros) * 100.0f / static_cast<real4>(entries) : 0.0f;
  v[6] = entries > 0 ? area / static_cast<real4>(entries) : 0.0f;
  v[7] = nonzero > 0 ? area / static_cast<real4>(nonzero) : 0.0f;
  v[8] = static_cast<real4>(srv.queue_current[ix(q)]);
  return 8;
}

void report_station_section(Engine& e) { report_station_section(e, true, true); }

void report_station_section(Engine& e, bool facilities, bool storages) {
  Section s(e, k_section_sta);
  if (!section_opening(e, s)) return;
  const real4 t = relative_time(e);
  if (facilities) facility_lines(e, s, t);
  if (storages) storage_lines(e, s, t);
}

void report_queue_section(Engine& e) {
  Section s(e, k_section_que);
  if (!section_opening(e, s)) return;
  const real4 t = relative_time(e);
  const auto& srv = e.srv;
  const int last = std::min(e.ent.q.queue_count, k_queue_limit);
  s.line(io::Rec().br().br().x(16).lit("(1)").x(9).lit("(2)").x(9).lit("(3)").x(9).lit("(4)").x(8).lit("(5)"));
  s.line(io::Rec().x(1).a("Queue   ", 8).x(5).lit("Maximum").x(5).lit("Average").x(5).lit(" Total").x(7).lit("Zero").x(6).lit("Percent").br().x(1).a("        ", 8).x(5).lit("contents    contents    entries     entries").x(5).lit("zeros"));
  for (int q = 1; q <= last; ++q) {
    RowValues v{};
    queue_row_values(e, q, t, v);
    s.line(io::Rec().x(1).a(name_of(e, e.ent.q.queue_name[ix(q)]), 6).i(srv.queue_max[ix(q)], 11).x(3).f(v[2], 11, 2).i(srv.queue_entries[ix(q)], 10).i(srv.queue_zero_entries[ix(q)], 12).f(v[5], 12, 2));
  }
  s.line(io::Rec().br().br().x(15).lit("(6)").x(11).lit("(7)").x(10).lit("(8)"));
  // The header keeps its trailing blanks: 57 and 52 columns.
  s.line(io::Rec().x(1).a("Queue   ", 8).x(5).lit("Average").x(6).lit("$Average").x(6).lit("Current").x(4).lit("     ").br().x(1).a("        ", 8).x(4).lit("time/trans").x(4).lit("time/trans").x(4).lit("contents").lit("   "));
  for (int q = 1; q <= last; ++q) {
    RowValues v{};
    queue_row_values(e, q, t, v);
    s.line(io::Rec().x(1).a(name_of(e, e.ent.q.queue_name[ix(q)]), 6).f(v[6], 13, 2).f(v[7], 14, 2).i(srv.queue_current[ix(q)], 11));
  }
  s.line(io::Rec().lit(" $Average time/trans=average time/trans excluding zero ").lit("entries").br());
}

int table_row_values(const Engine& e, int t, RowValues& v) {
  v.fill(0.0f);
  if (t < 1 || t > std::min(e.ent.tab.table_count, k_table_limit)) return 0;
  const auto& srv = e.srv;
  const int4 n = srv.table_entries[ix(t)];
  v[1] = static_cast<real4>(n);
  v[4] = srv.table_sum[ix(t)];
  if (n > 0) {
    const real4 fn = static_cast<real4>(n);
    v[2] = srv.table_sum[ix(t)] / fn;
    if (n > 1) {
      real4 s2 = (srv.table_sumsq[ix(t)] - srv.table_sum[ix(t)] * srv.table_sum[ix(t)] / fn) / (fn - 1.0f);
      if (s2 < 0.0f) s2 = 0.0f;  // rounding of the float sums can go below 0
      v[3] = std::sqrt(s2);
    }
    v[5] = srv.table_min[ix(t)];
    v[6] = srv.table_max[ix(t)];
  }
  const int classes = std::clamp(e.ent.tab.table_classes[ix(t)], 0, k_table_class_limit);
  const int4 over = srv.table_freq[ix(t)][ix(classes + 1)];
  if (over > 0) v[7] = srv.table_overflow_sum[ix(t)] / static_cast<real4>(over);
  return 7;
}

void report_table_section(Engine& e) {
  {
    Section s(e, k_section_qta);
    const int last = std::min(e.ent.tab.table_count, k_table_limit);
    for (int t = 1; t <= last; ++t) {
      if (qtable_without_queue(e, t)) no_qtable_statistics(e, s, t);
      else table_block(e, s, t);
    }
  }
  // The tables drawn as histograms: their files for the front end.
  const auto& tab = e.ent.tab;
  for (int h = 1; h <= std::min(tab.histogram_count, k_histogram_limit); ++h) load_table_file(e, tab.histogram_table[ix(h)]);
}

void report_savevalue_section(Engine& e) {
  Section s(e, k_section_sav);
  const auto& sv = e.ent.sv;
  // The named savevalues, then the numbered ones (X*j) in use, which
  // follow the named ones in the value table.
  const int named = std::min(sv.savevalue_count, k_named_savevalue_limit);
  const int last = named + std::min(sv.numbered_savevalue_count, k_savevalue_number_max);
  auto slot = [&](int k) { return k <= named ? k : k - named + k_named_savevalue_limit; };
  auto is_zero = [&](int k) { return std::fabs(sv.savevalue_value[ix(slot(k))]) < 1.0e-5; };
  auto has_name = [&](int k) { return k <= named && sv.savevalue_name[ix(k)] != 0; };
  auto put_name = [&](io::Rec& r, int k) {
    r.x(6);
    if (has_name(k)) r.a(name_of(e, sv.savevalue_name[ix(k)]), 6);
    else r.i(k > named ? k - named : k, 6);
  };
  bool any_zero = false;
  for (int k = 1; k <= last; ++k) any_zero = any_zero || is_zero(k);
  s.line(io::Rec().br().br().lit(any_zero ? "  Contents of savevalues (non-zero)" : "  Contents of savevalues"));
  s.line(io::Rec().lit("  Savevalue name").x(8).lit("Value"));
  for (int k = 1; k <= last; ++k) {
    if (is_zero(k)) continue;
    const real8 v = sv.savevalue_value[ix(slot(k))];
    io::Rec r;
    put_name(r, k);
    r.x(6);
    if (has_name(k) && std::fabs(v) < 0.0051) r.f(v, 15, 5);
    else r.f(v, 12, 2);
    s.line(r);
  }
  if (!any_zero) return;
  s.line(io::Rec().br().br().lit("  Savevalues with zero value"));
  for (int k = 1; k <= last; ++k) {
    if (!is_zero(k)) continue;
    io::Rec r;
    put_name(r, k);
    s.line(r);
  }
}

void report_future_events(Engine& e) {
  Section s(e, k_section_lst);
  s.line("");
  report_pause(e);
  s.line(" List of future events");
  const int params = e.ent.par.param_count;
  if (params == 0) s.line(" Transaction   Move time  Next block   Priority ");
  else if (params == 1) s.line(" Transaction   Move time  Next block    Priority      Par.1");
  else if (params == 2) s.line(" Transaction   Move time  Next block  Priority   Par.1   Par.2");
  const TxnStore& t = e.txn;
  for (int r = t.chain_head[k_future_chain]; r != 0; r = t.txn_next[ix(r)]) {
    const int number = record_base_word(e, r);
    const real4 move = record_move_time(e, r);
    const int next = trunc_i32(record_word(e, r, tw::next_block));
    const real8 priority = record_priority(e, r);
    io::Rec row;
    if (params == 0) {
      row.x(1).i(number, 6).x(6).f(move, 10, 3).x(5).i(next, 4).x(5).f(priority, 10, 3);
    } else if (params == 1) {
      row.x(1).i(number, 6).x(6).f(move, 10, 3).x(6).i(next, 4).x(5).f(priority, 10, 3).x(1).f(record_word(e, r, parameter_word(1)), 10, 3);
    } else {
      row.x(1).i(number, 6).x(6).f(move, 10, 3).x(7).i(next, 4).x(2).f(priority, 10, 3).f(record_word(e, r, parameter_word(1)), 8, 2).f(record_word(e, r, parameter_word(2)), 8, 2);
    }
    s.line(row);
  }
}

void report_named_parameters(Engine& e) {
  const auto& par = e.ent.par;
  bool any = false;
  for (int k = 1; k <= k_pname_limit; ++k) any = any || par.pname_code[ix(k)] != 0;
  if (!any) return;
  Section s(e, k_section_pnm);
  s.line(io::Rec().br().br().lit("  Parameters with symbolic names"));
  // The table is kept by parameter number, so it is listed in order.
  for (int k = 1; k <= k_pname_limit; ++k) {
    if (par.pname_code[ix(k)] == 0) continue;
    s.line(io::Rec().x(6).i(k, 3).x(3).a(name_of(e, par.pname_code[ix(k)]), 6));
  }
}

real8 student_t95(int df) {
  static constexpr real8 table[31] = {0.0,   12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
                                      2.201, 2.179,  2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086, 2.080,
                                      2.074, 2.069,  2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};
  if (df < 1) return table[1];
  if (df <= 30) return table[df];
  if (df <= 40) return 2.04 - (df - 30) * 0.002;
  if (df <= 59) return 2.02 - (df - 40) * 0.001;
  return 2.0;
}

namespace {
// The sample variance of n values from their sum and sum of squares; 0
// only where rounding makes it negative, so that any real spread,
// however small beside the values, keeps its own width.
real8 sample_variance(int n, real8 sum, real8 sum_sq) {
  const real8 mean = sum / n;
  return std::max((sum_sq - n * mean * mean) / (n - 1), 0.0);
}
}  // namespace

void confidence_limits(int n, real8 sum, real8 sum_sq, real8& mean, real8& lower, real8& upper) {
  if (n < 2) {
    // One run gives no spread: both limits are the value itself.
    mean = sum;
    lower = upper = mean;
    return;
  }
  mean = sum / n;
  const real8 h = std::sqrt(sample_variance(n, sum, sum_sq)) / std::sqrt(static_cast<real8>(n)) * student_t95(n - 1);
  lower = mean - h;
  upper = mean + h;
}

void report_experiment_row(Engine& e, int unit, bool several, real4 invalue, real8 mean, real8 lower, real8 upper) {
  io::Rec r;
  r.x(1).f(invalue, 9, 2).f(mean, 11, 2);
  if (several) r.x(5).f(lower, 9, 2).lit("  - ").f(upper, 9, 2);
  e.ch.write(unit, r);
}

void write_run_statistics(Engine& e) {
  auto& r = e.srv.results;
  const int count = std::min(r.count, k_run_result_limit);
  if (count < 1) return;
  if (count > 1 && e.ent.experi.experi_alternatives > 1) {
    write_error_message(e, " Several VALUT only allowed for 1 alternative case");
    stop_program(e);
  }
  r.runs += 1;
  const int n = r.runs;
  const int unit = e.rep.out_unit;
  for (int u = 1; u <= count; ++u) {
    const real8 v = r.value[ix(u)];
    r.sum[ix(u)] += v;
    r.sum_sq[ix(u)] += v * v;
    if (n < 2) continue;
    const real8 mean = r.sum[ix(u)] / n;
    const real8 sd = std::sqrt(sample_variance(n, r.sum[ix(u)], r.sum_sq[ix(u)]));
    const real8 h = sd / std::sqrt(static_cast<real8>(n)) * student_t95(n - 1);
    if (count == 1 || r.name[ix(u)] == 0) {
      e.ch.write(unit, io::Rec().lit(" After ").i(n, 3).lit(" runs:"));
    } else {
      e.ch.write(unit, io::Rec().x(1).a(name_of(e, r.name[ix(u)]), 6).lit(" after ").i(n, 3).lit(" runs:"));
    }
    const bool large = std::fabs(mean) > 1000000.0;
    const int w = large ? 14 : 10, d = large ? 0 : 2;
    e.ch.write(unit, io::Rec().lit(" Average:").f(mean, w, d).lit("   Standard deviation:").f(sd, w, d));
    e.ch.write(unit, " With 95 percent probability:");
    e.ch.write(unit, io::Rec().lit(" Average lies between").f(mean - h, w, d).lit(" and").f(mean + h, w, d));
    if (u == 1) {
      r.lower = mean - h;
      r.upper = mean + h;
      if (n >= 40) {
        r.band_lower = mean - 3.0 * sd;
        r.band_upper = mean + 3.0 * sd;
      }
    }
  }
}

}  // namespace kelvo
