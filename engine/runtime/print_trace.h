// The trace of block entries and the small output routines of the
// built-in programs: the end of the side output, and the per-transaction
// mark table of a model that traces.
#pragma once

namespace kelvo {

struct Engine;

// Trace line of the active transaction's entry into block b of code
// `code` (back not 0: it came back to the block), written while tracing
// is switched on.
void write_trace_line(Engine& e, int b, int code, int back);
// The per-transaction mark table of a model that traces: cleared at run
// start, as wide as a transaction record.
void clear_trace_marks(Engine& e);

}  // namespace kelvo
