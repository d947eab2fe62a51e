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
void report_savevalue_section(Engine& e);
void report_future_events(Engine& e);
// The parameters that carry a P$ name, by number.
void report_named_parameters(Engine& e);

// The figures of one section row, in the order of its numbered columns,
// handed back instead of printed (a program asking for one statistic of
// one entity): values 1..n, n returned (0 for an entity outside its
// table). Averages over a statistics period of length 0 are 0.
inline constexpr int k_row_values = 8;
using RowValues = std::array<real4, k_row_values + 1>;
// A storage (7: capacity, average contents, average utilization,
// entries, average time, current and maximum contents) or a facility
// (3: utilization, entries, average time) over the period t.
int station_row_values(const Engine& e, int i, real4 t, bool storage, RowValues& v);
// A queue (8: maximum and average contents, total and zero entries, per
// cent zeros, average and $average time, current contents).
int queue_row_values(const Engine& e, int q, real4 t, RowValues& v);
// A table (7: entries, mean, standard deviation, total, minimum, maximum,
// average value of the overflow), as its report shows them.
int table_row_values(const Engine& e, int t, RowValues& v);

// Two-sided 95 % Student t value for df degrees of freedom.
real8 student_t95(int df);
// Mean and 95 % limits of n values from their sum and sum of squares;
// with fewer than 2 values both limits are the mean.
void confidence_limits(int n, real8 sum, real8 sum_sq, real8& mean, real8& lower, real8& upper);
// One alternative's row of the EXP section on `unit`: the invalue and the
// average outvalue, with its 95 % limits when the alternative had
// several runs.
void report_experiment_row(Engine& e, int unit, bool several, real4 invalue, real8 mean, real8 lower, real8 upper);
// After each run of a series: adds the run's result values to their sums
// and, from the second run on, writes their means and 95 % limits.
void write_run_statistics(Engine& e);

}  // namespace kelvo
