// EXPERI experiments: a model run once per alternative of its input, with
// the result table and the statistical analysis.
#pragma once

namespace kelvo {

struct Engine;

// Runs the experiment of the model (from_run_cycle: started by the run
// cycle rather than by a calling program).
void run_experiment(Engine& e, bool from_run_cycle);

}  // namespace kelvo
