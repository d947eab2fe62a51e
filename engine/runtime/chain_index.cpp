// The indexes of the chains.
// Takes record numbers with their keys. The future-events chain keeps its
// sorted part as sorted blocks of keys, found by a binary search over the
// blocks' first keys and then within the block; a waiting line keeps a
// binary search tree whose in-order sequence is its sorted part, balanced
// by random heap priorities (drawn from a fixed seed, so every run is the
// same). Nothing is allocated: the blocks and the tree nodes are fixed
// tables.
#include "runtime/chain_index.h"

#include <cstdint>

#include "model/engine.h"

namespace kelvo {

namespace {

using Node = ChainIndexNode;

// Key order: earlier time first, then higher priority, then filing order.
bool key_before(const Node& a, const Node& b) {
  if (a.time != b.time) return a.time < b.time;
  if (a.priority != b.priority) return a.priority > b.priority;
  return a.order < b.order;
}

std::uint32_t next_heap_priority(ChainIndex& x) {
  // xorshift32: a deterministic spread of priorities.
  std::uint32_t v = x.heap_seed;
  v ^= v << 13;
  v ^= v >> 17;
  v ^= v << 5;
  x.heap_seed = v;
  return v;
}

// Splits the tree at node into the records before the key (left) and the
// rest (right); `before` becomes the last record before the key met.
void split(ChainIndex& x, int node, const Node& key, int& left, int& right, int& before) {
  if (node == 0) {
    left = right = 0;
    return;
  }
  Node& n = x.node[ix(node)];
  if (key_before(n, key)) {
    before = node;
    split(x, n.right, key, n.right, right, before);
    left = node;
  } else {
    split(x, n.left, key, left, n.left, before);
    right = node;
  }
}

// Joins two trees whose keys are all in order (every key of a before b).
int merge(ChainIndex& x, int a, int b) {
  if (a == 0) return b;
  if (b == 0) return a;
  Node& na = x.node[ix(a)];
  Node& nb = x.node[ix(b)];
  if (na.heap > nb.heap) {
    na.right = merge(x, na.right, b);
    return a;
  }
  nb.left = merge(x, a, nb.left);
  return b;
}

// Descends to the place of record r (by key, then by heap priority) and
// splits the subtree found there under it. Returns the record before r in
// key order: the last record the descent passed on its left.
int insert(ChainIndex& x, int& root, int r) {
  Node& nr = x.node[ix(r)];
  int before = 0;
  int* link = &root;
  while (*link != 0 && x.node[ix(*link)].heap >= nr.heap) {
    Node& n = x.node[ix(*link)];
    if (key_before(nr, n)) {
      link = &n.left;
    } else {
      before = *link;
      link = &n.right;
    }
  }
  split(x, *link, nr, nr.left, nr.right, before);
  *link = r;
  return before;
}

void erase(ChainIndex& x, int& root, int r) {
  const Node& nr = x.node[ix(r)];
  int* link = &root;
  while (*link != 0 && *link != r) {
    Node& n = x.node[ix(*link)];
    link = key_before(nr, n) ? &n.left : &n.right;
  }
  if (*link == r) *link = merge(x, nr.left, nr.right);
}

// ---- The future-events chain: sorted blocks ----

bool event_key_before(const EventKey& a, const EventKey& b) {
  if (a.time != b.time) return a.time < b.time;
  if (a.priority != b.priority) return a.priority > b.priority;
  return a.order < b.order;
}

EventKey event_key_of(const Node& n, int r) { return EventKey{n.time, r, n.priority, n.order}; }

// Position (in key order) of the last block whose first key is at or
// before the key; -1 when the key comes before every block.
int block_at_or_before(const EventIndex& x, const EventKey& k) {
  int low = 0, high = x.used;  // the answer is below `high`
  while (low < high) {
    const int mid = (low + high) / 2;
    if (event_key_before(k, x.first_key[ix(mid)])) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low - 1;
}

// Slot of the first key in block b after the given key.
int slot_after(const EventBlock& b, const EventKey& k) {
  int low = b.begin, high = b.end;
  while (low < high) {
    const int mid = (low + high) / 2;
    if (event_key_before(k, b.key[ix(mid)])) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

int take_spare_block(EventIndex& x) {
  const int b = x.spare[ix(--x.spare_count)];
  x.block[ix(b)].begin = x.block[ix(b)].end = 0;
  return b;
}

// Lists block b at position i of the block order.
void list_block(EventIndex& x, int i, int b) {
  for (int j = x.used; j > i; --j) {
    x.in_order[ix(j)] = x.in_order[ix(j - 1)];
    x.first_key[ix(j)] = x.first_key[ix(j - 1)];
  }
  x.in_order[ix(i)] = b;
  x.first_key[ix(i)] = x.block[ix(b)].key[ix(x.block[ix(b)].begin)];
  ++x.used;
}

// Takes the block at position i out of the order; it becomes spare.
void unlist_block(EventIndex& x, int i) {
  x.spare[ix(x.spare_count++)] = x.in_order[ix(i)];
  for (int j = i; j + 1 < x.used; ++j) {
    x.in_order[ix(j)] = x.in_order[ix(j + 1)];
    x.first_key[ix(j)] = x.first_key[ix(j + 1)];
  }
  --x.used;
}

// Puts the key at slot s of a block that has room for it.
void put_key(EventBlock& b, int s, const EventKey& k) {
  if (b.end < k_event_block_slots) {
    for (int j = b.end; j > s; --j) b.key[ix(j)] = b.key[ix(j - 1)];
    ++b.end;
    b.key[ix(s)] = k;
  } else {
    for (int j = b.begin - 1; j < s - 1; ++j) b.key[ix(j)] = b.key[ix(j + 1)];
    --b.begin;
    b.key[ix(s - 1)] = k;
  }
}

// Files a key; returns the record of the key before it (0: none).
int insert_event_key(EventIndex& x, const EventKey& k) {
  if (x.used == 0) {
    const int b = take_spare_block(x);
    x.block[ix(b)].key[0] = k;
    x.block[ix(b)].end = 1;
    list_block(x, 0, b);
    return 0;
  }
  int i = block_at_or_before(x, k);
  const bool first = i < 0;
  if (first) i = 0;
  int bn = x.in_order[ix(i)];
  EventBlock* b = &x.block[ix(bn)];
  int s = first ? b->begin : slot_after(*b, k);
  const int before = s > b->begin ? b->key[ix(s - 1)].record : 0;
  if (b->end - b->begin == k_event_block_slots) {
    // A full block: its upper half moves to a new block behind it.
    const int nb = take_spare_block(x);
    EventBlock& upper = x.block[ix(nb)];
    const int half = k_event_block_slots / 2;
    for (int j = 0; j < half; ++j) upper.key[ix(j)] = b->key[ix(half + j)];
    upper.end = half;
    b->end = half;
    list_block(x, i + 1, nb);
    if (s > half) {
      s -= half;
      b = &upper;
      ++i;
    }
  }
  put_key(*b, s, k);
  x.first_key[ix(i)] = b->key[ix(b->begin)];
  return before;
}

// Takes the key out of the blocks.
void erase_event_key(EventIndex& x, const EventKey& k) {
  const int i = block_at_or_before(x, k);
  if (i < 0) return;
  EventBlock& b = x.block[ix(x.in_order[ix(i)])];
  const int s = slot_after(b, k) - 1;
  if (s < b.begin || b.key[ix(s)].record != k.record) return;
  if (s - b.begin < b.end - 1 - s) {
    for (int j = s; j > b.begin; --j) b.key[ix(j)] = b.key[ix(j - 1)];
    ++b.begin;
  } else {
    for (int j = s; j + 1 < b.end; ++j) b.key[ix(j)] = b.key[ix(j + 1)];
    --b.end;
  }
  if (b.begin == b.end) {
    unlist_block(x, i);
  } else {
    x.first_key[ix(i)] = b.key[ix(b.begin)];
  }
}

}  // namespace

void clear_chain_index(Engine& e) {
  ChainIndex& x = e.txn.index;
  x.root.fill(0);
  x.indexed.fill(false);
  x.walk_only.fill(false);
  x.member.fill(false);
  EventIndex& v = x.events;
  v.used = 0;
  v.spare_count = k_event_blocks;
  for (int b = 0; b < k_event_blocks; ++b) v.spare[ix(b)] = k_event_blocks - 1 - b;
  x.next_order = 0;
  x.front_order = 0;
  x.heap_seed = 0x9E3779B9u;
}

int index_record(Engine& e, int k, int r, real4 time, real8 priority, bool behind) {
  ChainIndex& x = e.txn.index;
  Node& n = x.node[ix(r)];
  n.time = time;
  n.priority = priority;
  n.order = behind ? ++x.next_order : --x.front_order;
  n.heap = next_heap_priority(x);
  n.left = 0;
  n.right = 0;
  x.member[ix(r)] = true;
  if (k == k_future_chain) return insert_event_key(x.events, event_key_of(n, r));
  return insert(x, x.root[ix(k)], r);
}

void unindex_record(Engine& e, int k, int r) {
  ChainIndex& x = e.txn.index;
  if (!x.member[ix(r)]) return;
  if (k == k_future_chain) {
    erase_event_key(x.events, event_key_of(x.node[ix(r)], r));
  } else {
    erase(x, x.root[ix(k)], r);
  }
  x.member[ix(r)] = false;
}

void unindex_first_record(Engine& e, int k, int r) {
  ChainIndex& x = e.txn.index;
  if (!x.member[ix(r)]) return;
  if (k == k_future_chain && x.events.used > 0) {
    EventIndex& v = x.events;
    EventBlock& b = v.block[ix(v.in_order[0])];
    if (b.key[ix(b.begin)].record == r) {
      ++b.begin;
      if (b.begin == b.end) {
        unlist_block(v, 0);
      } else {
        v.first_key[0] = b.key[ix(b.begin)];
      }
      x.member[ix(r)] = false;
      return;
    }
  }
  int* link = &x.root[ix(k)];
  while (*link != 0 && *link != r) link = &x.node[ix(*link)].left;
  if (*link == r) {
    *link = x.node[ix(r)].right;
    x.member[ix(r)] = false;
  } else {
    unindex_record(e, k, r);
  }
}

bool record_indexed(const Engine& e, int r) { return e.txn.index.member[ix(r)]; }

}  // namespace kelvo
