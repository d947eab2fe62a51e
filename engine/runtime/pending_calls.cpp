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

}  // namespace kelvo
