// WAITIF at run time: a transaction waits at a WAITIF block while the
// block's condition holds. The station form waits on a state of a
// station (full, not full, empty, not empty) in the waiting chain of its
// WAITIF station entry; the comparing form waits on the condition entry
// of two operands in one chain of its own. When the state changes the
// waiters are released one at a time, marked for a retry, and tested
// again at their block.
#pragma once

namespace kelvo {

struct Engine;

// WAITIF block b on a station condition (codes 7 and 43).
void waitif_block(Engine& e, int b);
// WAITIF block b comparing two operands (code 46).
void retest_waitif_entry(Engine& e, int b);
// Station s changed its contents: the WAITIF entries on it are tested and
// an entry that opens releases its first waiter.
void scan_waitif_lists(Engine& e, int s);
// Releases the first waiter of the comparing WAITIF blocks whose
// condition now lets it pass (one per event, until it reaches its block).
void scan_waitif_chain(Engine& e);
// At the start of a run: each WAITIF entry open or shut by its station's
// state, no waiters, no staggering under way.
void start_waitif_entries(Engine& e);

}  // namespace kelvo
