// Queues (AD sets), TABLEs and QTABLEs at run time, and the savevalues of
// a run's set-up. Takes the active transaction and the queue or table
// number; keeps contents, entries, zero-time stays, time integrals and
// the frequency classes that the report sections print.
#pragma once

#include "model/engine.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Entry into queue q (q < 0: the queue number is in parameter -q).
void queue_entry_block(Engine& e, int q);
// Departure from queue q (q < 0 as above).
void depart_adset(Engine& e, int q);
// The queue number held in the parameter that q = -p names.
int queue_number_from_parameter(Engine& e, int q);
// Enters the time the active transaction spent in queue q into its QTABLE.
void tabulate_queue_time(Engine& e, int q);
// TABULATE block b.
void record_value_extremes(Engine& e, int b);
// Enters value x with weight w into table t.
void enter_table_value(Engine& e, int t, real4 x, int4 w);
// The frequency class (1..n+1) of a value already snapped.
int table_class_of(const Engine& e, int t, real4 x);
// The reference time of the zero-time count when a waiter leaves station s.
inline void save_last_time(Engine& e, int) {
  if (e.srv.zero_count_flag) e.srv.zero_ref_time = static_cast<real4>(e.act.cur_txn[tw::move_time]);
}
// Clears the contents and statistics of every station, queue and table
// (the table definitions stay): the one reset of the server tables, made
// with the model's run state before each translation and series run.
void clear_server_statistics(Engine& e);
// Restarts the table statistics (at a run start and at RESET).
void restart_table_statistics(Engine& e);
// Savevalues and the record layout at the set-up of a run.
void setup_savevalues_and_records(Engine& e);

}  // namespace kelvo
