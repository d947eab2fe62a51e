// WAITIF at run time: transactions waiting on a condition are tested again
// when the state they wait on may have changed.
#pragma once

namespace kelvo {

struct Engine;

// Re-test of the waiting WAITIF conditions.
void scan_waitif_chain(Engine& e);
// Re-test of the WAITIF waiters that name station s.
void scan_waitif_lists(Engine& e, int s);

}  // namespace kelvo
