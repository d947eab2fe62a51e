// Run-time statistics of stations (facilities and storages), queues and
// tables: contents, entries, time integrals, holders and pre-emption
// marks, zero-time counts and frequency classes. Written by the server,
// queue and table routines during a run; restarted by the run control at
// every run start and RESET; read by the report sections and the SNAs.
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbered_values.h"
#include "model/numbers.h"

namespace kelvo {

// Result values of a series of runs (VALUT): each run's value of every
// result, summed over the runs for their mean and 95 % limits.
struct RunResults {
  // Result values in use and their names (0: unnamed). VALUT.
  int4 count = 0;
  std::array<int4, k_run_result_limit + 1> name{};
  // The value of this run. VALUT; read by write_run_statistics.
  std::array<real8, k_run_result_limit + 1> value{};
  // Sums over the runs so far. write_run_statistics; 0 at a new series.
  std::array<real8, k_run_result_limit + 1> sum{};
  std::array<real8, k_run_result_limit + 1> sum_sq{};
  int4 runs = 0;
  // The first value's 95 % limits (kept for the run control) and, from 40
  // runs on, its mean -/+ 3 standard deviations.
  real8 lower = 0.0, upper = 0.0;
  real8 band_lower = 0.0, band_upper = 0.0;
};

struct ServerTables {
  using StI4 = std::array<int4, k_station_limit + 1>;
  using QI4 = std::array<int4, k_queue_limit + 1>;
  // --- stations 1..k_station_limit (storages first, then facilities) ---
  // Units in use. Server routines; restarted at run start. Numbered changes.
  NumberedValues<int4, k_station_limit + 1> station_contents{};
  // Highest contents since the statistics restarted. Server routines.
  StI4 station_max{};
  // Units taken in total since the statistics restarted. Server routines.
  StI4 station_entries{};
  // Time integral of the contents less contents x clock (float): entry
  // subtracts n*clock, exit adds n*clock. Server routines; -contents*clock at RESET.
  std::array<real4, k_station_limit + 1> station_area{};
  // Transaction number of a facility's holder (numbers kept only). Server routines.
  StI4 station_holder{};
  // The facility is held by a pre-empting transaction. Server routines; false at run start.
  std::array<bool, k_station_limit + 1> preempt_mark{};
  // Pre-empted transactions of the facility waiting to resume. Server routines.
  StI4 preempted_count{};
  // Waiters served by the last release of the station. Server routines.
  StI4 served_count{};  // Counted as the line is served; nothing reads it.
  // The station is entered without waiting (try station): its entry block
  // has the special B operand. Server routines.
  std::array<bool, k_station_limit + 1> station_b_flag{};
  // --- queues 1..k_queue_limit ---
  // Transactions now in the queue. Queue routines; restarted at run start. Numbered changes.
  NumberedValues<int4, k_queue_limit + 1> queue_current{};
  // Entries in total since the statistics restarted. Queue routines.
  QI4 queue_entries{};
  // Entries counted as zero-time stays. Queue routines.
  QI4 queue_zero_entries{};
  // Highest contents. Queue routines.
  QI4 queue_max{};
  // Time integral of the contents less contents x clock (float). Queue routines.
  std::array<real4, k_queue_limit + 1> queue_area{};
  // Clock of the last entry. Queue routines.
  std::array<real4, k_queue_limit + 1> queue_last_time{};
  // Nested QTABLE queues entered at one time keep the first entry time.
  bool queue_nested_flag = false;
  // Zero-time counting options (set by the translator) and the reference
  // time kept by save_last_time.
  bool zero_count_all_flag = false;
  bool zero_count_flag = false;
  real4 zero_ref_time = -1.0f;
  int4 zero_param_limit = 0;
  // --- tables and QTABLEs 1..k_table_limit (defined in EntityTables::tab) ---
  using TI4 = std::array<int4, k_table_limit + 1>;
  using TR4 = std::array<real4, k_table_limit + 1>;
  // Weighted frequency per class 1..n+1. Table routines; 0 at run start.
  std::array<std::array<int4, k_table_class_limit + 2>, k_table_limit + 1> table_freq{};
  TI4 table_entries{};  // weighted number of entries. Table routines.
  TR4 table_min{};      // smallest value (1.0E8 at run start). Table routines.
  TR4 table_max{};      // largest value (-1.0E9 at run start). Table routines.
  TR4 table_sum{};      // sum of w*x (float). Table routines.
  TR4 table_sumsq{};    // sum of w*x*x (float). Table routines.
  TR4 table_overflow_sum{};  // sum of the values above the last class. Table routines.

  // --- results of a series of runs ---
  RunResults results;
};

}  // namespace kelvo
