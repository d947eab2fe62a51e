// The entity sections of the standard report (facilities and storages,
// queues, tables and QTABLEs, savevalues, the list of future events) and
// the 95 % confidence limits of a series of runs.
#pragma once

#include <array>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

void report_station_section(Engine& e);
// The facility lines only, or the storage lines only (PRINT F, PRINT S).
void report_station_section(Engine& e, bool facilities, bool storages);
void report_queue_section(Engine& e);
void report_table_section(Engine& e);
// The figures of table t as its report shows them, in elements 1..7:
// entries, mean, standard deviation, total, minimum, maximum and the
// average value of the overflow (all 0 for a table outside the model).
using TableValues = std::array<real4, 8>;
void table_values(const Engine& e, int t, TableValues& v);
void report_savevalue_section(Engine& e);
void report_future_events(Engine& e);
// The parameters that carry a P$ name, by number.
void report_named_parameters(Engine& e);

// Two-sided 95 % Student t value for df degrees of freedom.
real8 student_t95(int df);
// Mean and 95 % limits of n values from their sum and sum of squares;
// with fewer than 2 values both limits are the mean.
void confidence_limits(int n, real8 sum, real8 sum_sq, real8& mean, real8& lower, real8& upper);
// After each run of a series: adds the run's result values to their sums
// and, from the second run on, writes their means and 95 % limits.
void write_run_statistics(Engine& e);

}  // namespace kelvo
