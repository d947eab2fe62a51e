// Placeholders for run-time routines of later steps: each one that a
// model can reach ends the run with a message naming what is missing;
// the trace and WAITIF hooks do nothing while their flags stay off.
#include "runtime/later_routines.h"

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/spine_calls.h"

namespace kelvo {

void block_routine_pending(Engine& e, int code) {
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(" Block code").i(code, 3).lit(" cannot be run by this version"));
  report_block_error(e);
}

void write_trace_line(Engine&, int, int, int) {}

void scan_waitif_chain(Engine&) {}

void scan_waitif_lists(Engine&, int) {}

void matrix_save_dialog(Engine&) {}

void write_atf_time(Engine&) {}

}  // namespace kelvo
