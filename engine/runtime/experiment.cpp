// EXPERI experiments.
// Takes a model with an EXPERI statement; runs it over its alternatives.
// This version cannot run experiments: it says so and stops.
#include "runtime/experiment.h"

#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

void run_experiment(Engine& e, bool) {
  write_error_message(e, " EXPERI experiments cannot be run yet");
  stop_program(e);
}

}  // namespace kelvo
