// Run control: has the model translated, walks the run steps that the
// translator built from SIMULATE, START, RESET and END (runs, RESETs,
// series of runs), makes the console pauses and the end-of-run question,
// and closes the output files. Also the statistics part of RESET and the
// resets of the run tables before a translation.
#pragma once

namespace kelvo {

struct Engine;

// Compile-and-run step of one model (first = 1) or run k of a series.
// Returns only inside an experiment; otherwise ends the engine.
void run_simulation(Engine& e, int first, int runs, int mode);
void select_run_step(Engine& e, int& code, int index, int& previous, int run, int& count);
void reset_run_state(Engine& e);
void clear_run_tables(Engine& e);
void start_run_accumulators(Engine& e);

}  // namespace kelvo
