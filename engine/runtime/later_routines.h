// Routines of the run-time that come with later steps of the engine
// (block routines of servers, queues, LET/IF/GOTO, SPLIT/ASSEMBLE,
// WAITIF, PRINT and TRACE, FUNCTION evaluation). Until they are built,
// a model that reaches one ends its run with a clear message.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// A block whose routine this version does not have: message and the
// run's error report.
[[noreturn]] void block_routine_pending(Engine& e, int code);
// Value of FUNCTION f.
real8 evaluate_function(Engine& e, int f);
// Trace line of a block entry (written only while tracing is on).
void write_trace_line(Engine& e, int b, int code, int flag);
// Re-test of the waiting WAITIF conditions.
void scan_waitif_chain(Engine& e);
// The station that the active transaction holds, for ADVANCE b.
int seize_release_block(Engine& e, int b);
// Time-keeping of the server statistics when a waiter leaves station s.
void save_last_time(Engine& e, int s);
// Savevalue and record set-up of a translated model before its runs.
void setup_savevalues_and_records(Engine& e);
// Matrix output at the end of the runs.
void matrix_save_dialog(Engine& e);
// Time record of the animation trace file.
void write_atf_time(Engine& e);

}  // namespace kelvo
