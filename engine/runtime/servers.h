// Facilities and storages at run time: entry and exit blocks, waiting
// lines, pre-emption and the stations named by a transaction parameter.
// Takes the active transaction and the block; counts contents and
// statistics, files waiters on the station's line and wakes them.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// The entry blocks leave the next-block word at -1 when the transaction
// has to wait in the station's line; otherwise the dispatcher passes it on.
// ENTER (storage) and SEIZE (facility): takes the block's units, or waits.
void enter_or_seize_block(Engine& e, int b);
// PREEMPT: takes the facility from its holder unless it is pre-empted
// already.
void preempt_block(Engine& e, int b);
// PREEMPT by priority: takes the facility from a holder of lower
// priority, else waits.
void preempt_by_priority_block(Engine& e, int b);
// LEAVE (storage) and RELEASE (facility): gives the units back and wakes
// the waiters that now fit.
void leave_or_release_block(Engine& e, int b);
// RETURN: gives the facility back at the end of a pre-emption and hands
// it on.
void return_block(Engine& e, int b);
// Station number of a station operand given by a parameter: s = -p (p
// above k_indirect_parameter: the parameter whose number is in parameter
// p - k_indirect_parameter). `code` is the block code that asks (ENTER
// and LEAVE are the storage forms).
int seize_release_block(Engine& e, int s, int code);
// The station held by the active transaction in ADVANCE block b, whose
// A word names it by a parameter.
int seize_release_block(Engine& e, int b);
// Pre-empts facility s for the active transaction. True when the
// pre-emptor has to wait (by priority, not above the holder's).
bool preempt_transaction(Engine& e, int s, bool by_priority);
// Hands facility s on when a pre-emption ends (RETURN).
void update_station_state(Engine& e, int s);
// Admits waiters of storage s from record p on while `free_units` last.
void serve_waiting_chain(Engine& e, int s, int p, int free_units);

// Priority marks carried while a transaction waits, in units of 1000000
// on the priority word (cur_marks.preempt): a pre-empted holder carries 1,
// a pre-emptor by priority that had to wait 20.
inline constexpr int4 k_mark_preempted = 1;
inline constexpr int4 k_mark_preemptor = 20;

}  // namespace kelvo
