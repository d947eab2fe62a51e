// The ordered index beside the transaction chains, over the records of
// each chain's sorted part, keyed by (move time, priority descending,
// filing order): sorted blocks for the future-events chain, a treap per
// waiting line. Takes records as they are filed and unlinked; answers
// where a new record goes, in O(log n), exactly where a walk from the
// chain's tail would have put it. On a waiting line the move time takes
// no part (it is 0 in every key).
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Empties the index of every chain (with the chains, at run start).
void clear_chain_index(Engine& e);

// Adds record r of chain k with its key, behind every record of equal key
// (behind = true) or in front of them (behind = false). Returns the record
// before it in key order (0: none), found on the same search: behind its
// equals that is the record a new record with this key is filed behind.
int index_record(Engine& e, int k, int r, real4 time, real8 priority, bool behind);

// Takes record r out of the index of chain k (nothing when it is not in).
void unindex_record(Engine& e, int k, int r);

// Takes record r, the first record in key order of chain k's index, out
// of it (cheaper than unindex_record: no search).
void unindex_first_record(Engine& e, int k, int r);

// Whether record r is in an index.
bool record_indexed(const Engine& e, int r);

}  // namespace kelvo
