// Run control: has the model translated, walks the run steps that the
// translator built from SIMULATE, START, RESET and END (runs, RESETs,
// series of runs), makes the console pauses and the end-of-run question,
// and closes the output files. Also the statistics part of RESET and the
// reset of the model's run state before each run.
#pragma once

namespace kelvo {

struct Engine;

// Compile-and-run step of one model (first = 1) or run k of a series.
// Returns only inside an experiment; otherwise ends the engine.
void run_simulation(Engine& e, int first, int runs, int mode);
void select_run_step(Engine& e, int& code, int index, int& previous, int run, int& count);
// Clears the model's run state before a translation or a run: statistics,
// block counts, the report line, the clock, the run's graph and auxiliary
// files; savevalues take their initial values.
void reset_model_state(Engine& e);
void start_run_accumulators(Engine& e);

}  // namespace kelvo
