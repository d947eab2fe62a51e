// The event loop of one run: takes the future events in order, advances
// the clock, hands each transaction to the block dispatcher, corrects
// the block counts at the end and writes the run's standard report.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

void run_event_loop(Engine& e);
void find_last_due_event(Engine& e, real4 t);
// Ends the run when more whole seconds than the limit have passed since
// the engine started.
void check_run_time_limit(Engine& e);

}  // namespace kelvo
