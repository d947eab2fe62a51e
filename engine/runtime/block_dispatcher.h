// The block dispatcher: moves the active transaction block after block
// until it is delayed, made to wait or destroyed, selecting each block's
// routine by its code; and the trace of changed block counts.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Moves the active transaction on from its next-block word `next_block`
// (element 2, as the event loop took it from the record).
void dispatch_block(Engine& e, real8 next_block);
// A block whose routine this version does not have (or whose table entry
// it cannot use): " Block code NN cannot be run by this version" and the
// run's error report.
[[noreturn]] void refuse_block_code(Engine& e, int code);
void trace_count_changes(Engine& e);

}  // namespace kelvo
