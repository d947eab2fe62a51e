// The event loop of one run: takes the future events in order, advances
// the clock, hands each transaction to the block dispatcher, corrects
// the block counts at the end and writes the run's standard report.
#pragma once

#include "model/engine.h"

namespace kelvo {

void run_event_loop(Engine& e);
void find_last_due_event(Engine& e, real4 t);
// Ends the run (" Program run time exceeds limit", the report, the stop)
// when more seconds than the limit have passed since the engine started.
void check_run_time_limit(Engine& e);

// One step of a run's work: an event, a block entry, a test of a waiting
// condition. Under the front end the run-time limit is looked at every few
// thousand steps, so neither a transaction looping through blocks that
// take no time nor a long scan of waiters outruns it.
void look_at_run_time_limit(Engine& e);
inline void count_run_step(Engine& e) {
  if (--e.run.limit_check_countdown <= 0) look_at_run_time_limit(e);
}

// A read skipping the rest of a very long line looks at the run-time limit
// (the channels' skip watch, for the engine `engine`): in a run the run
// ends with its report, elsewhere the engine stops.
void look_at_run_time_limit_while_reading(void* engine);

}  // namespace kelvo
