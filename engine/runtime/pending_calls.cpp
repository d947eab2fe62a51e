// Routines of other stages that the run-time calls and that are not in
// this tree yet: the model-state reset (engine control) and the
// translator's translation pass and table set-up. Each does the least
// its contract needs; its owner's version replaces it.
#include "control/statement_reader.h"
#include "model/engine.h"
#include "runtime/queues_tables.h"
#include "runtime/run_control.h"
#include "runtime/spine_calls.h"

namespace kelvo {

std::string model_file_name(Engine& e, const char* extension) {
  return std::string(model_name_with_extension(e, extension).trimmed());
}

std::string packed_name_text(Engine& e, int4 code) { return std::string(unpack_name_chars(e, code).view()); }

void reset_model_state(Engine& e) {
  e.run.max_priority = 0.0f;
  e.rep.out_line.fill(' ');
  e.rep.out_col = 0;
  clear_server_statistics(e);
  e.run.generated_before_reset.fill(0);
  e.run.last_block_current.fill(0);
  e.blocks.block_current.fill(0);
  e.run.clock = 0.0f;
  e.run.reset_time = 0.0f;
  e.run.end_time = 1.0e8f;
}

}  // namespace kelvo
