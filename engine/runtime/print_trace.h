// PRINT and TRACE output: the trace line of a block entry, written while
// the TRACE program has switched tracing on.
#pragma once

namespace kelvo {

struct Engine;

// Trace line of transaction's entry into block b of code `code` (flag 1:
// "back to").
void write_trace_line(Engine& e, int b, int code, int flag);

}  // namespace kelvo
