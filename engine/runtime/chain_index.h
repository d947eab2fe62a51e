// The ordered index beside the transaction chains: per chain a treap over
// the records of its sorted part, keyed by (move time, priority
// descending, filing order). Takes records as they are filed and
// unlinked; answers where a new record goes, in O(log n), exactly where a
// walk from the chain's tail would have put it. On a waiting line the
// move time takes no part (it is 0 in every key).
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Empties the index of every chain (with the chains, at run start).
void clear_chain_index(Engine& e);

// The last record of chain k, in the index's order, whose key is at or
// before (time, priority): the record a new record with that key is filed
// behind. 0 when every indexed record comes after it.
int last_record_at_or_before(const Engine& e, int k, real4 time, real8 priority);

// Adds record r of chain k with its key, behind every record of equal key
// (behind = true) or in front of them (behind = false).
void index_record(Engine& e, int k, int r, real4 time, real8 priority, bool behind);

// Takes record r out of the index of chain k (nothing when it is not in).
void unindex_record(Engine& e, int k, int r);

// Whether record r is in an index.
bool record_indexed(const Engine& e, int r);

}  // namespace kelvo
