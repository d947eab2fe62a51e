// Routines of the run-time that come with later steps of the engine
// (block routines of servers, queues, LET/IF/GOTO, SPLIT/ASSEMBLE,
// WAITIF, PRINT and TRACE, FUNCTION evaluation). Until they are built,
// a model that reaches one ends its run with a clear message.
#pragma once

#include "model/numbers.h"
#include "runtime/function_eval.h"
#include "runtime/queues_tables.h"
#include "runtime/servers.h"

namespace kelvo {

struct Engine;

// A block whose routine this version does not have: message and the
// run's error report.
[[noreturn]] void block_routine_pending(Engine& e, int code);
// Trace line of a block entry (written only while tracing is on).
void write_trace_line(Engine& e, int b, int code, int flag);
// Re-test of the waiting WAITIF conditions.
void scan_waitif_chain(Engine& e);
// Re-test of the WAITIF waiters that name station s.
void scan_waitif_lists(Engine& e, int s);
// Matrix output at the end of the runs.
void matrix_save_dialog(Engine& e);
// Time record of the animation trace file.
void write_atf_time(Engine& e);

}  // namespace kelvo
