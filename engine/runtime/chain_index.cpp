// The treap of each chain's index.
// Takes record numbers with their keys; keeps one binary search tree per
// chain whose in-order sequence is the chain's sorted part, balanced by
// random heap priorities (drawn from a fixed seed, so every run is the
// same). Nodes are the records: no allocation.
#include "runtime/chain_index.h"

#include "model/engine.h"

namespace kelvo {

namespace {

// Key order: earlier time first, then higher priority, then filing order.
bool key_before(const ChainIndex& x, int a, int b) {
  if (x.time[ix(a)] != x.time[ix(b)]) return x.time[ix(a)] < x.time[ix(b)];
  if (x.priority[ix(a)] != x.priority[ix(b)]) return x.priority[ix(a)] > x.priority[ix(b)];
  return x.order[ix(a)] < x.order[ix(b)];
}

// Whether record a's key is at or before (time, priority), filing order
// aside.
bool at_or_before(const ChainIndex& x, int a, real4 time, real8 priority) {
  if (x.time[ix(a)] != time) return x.time[ix(a)] < time;
  return x.priority[ix(a)] >= priority;
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

// Splits the tree at node into the records before record r's key (left)
// and the rest (right).
void split(ChainIndex& x, int node, int r, int& left, int& right) {
  if (node == 0) {
    left = right = 0;
    return;
  }
  if (key_before(x, node, r)) {
    split(x, x.right[ix(node)], r, x.right[ix(node)], right);
    left = node;
  } else {
    split(x, x.left[ix(node)], r, left, x.left[ix(node)]);
    right = node;
  }
}

// Joins two trees whose keys are all in order (every key of a before b).
int merge(ChainIndex& x, int a, int b) {
  if (a == 0) return b;
  if (b == 0) return a;
  if (x.heap[ix(a)] > x.heap[ix(b)]) {
    x.right[ix(a)] = merge(x, x.right[ix(a)], b);
    return a;
  }
  x.left[ix(b)] = merge(x, a, x.left[ix(b)]);
  return b;
}

int insert(ChainIndex& x, int node, int r) {
  if (node == 0) return r;
  if (x.heap[ix(r)] > x.heap[ix(node)]) {
    split(x, node, r, x.left[ix(r)], x.right[ix(r)]);
    return r;
  }
  if (key_before(x, r, node)) {
    x.left[ix(node)] = insert(x, x.left[ix(node)], r);
  } else {
    x.right[ix(node)] = insert(x, x.right[ix(node)], r);
  }
  return node;
}

int erase(ChainIndex& x, int node, int r) {
  if (node == 0) return 0;
  if (node == r) return merge(x, x.left[ix(r)], x.right[ix(r)]);
  if (key_before(x, r, node)) {
    x.left[ix(node)] = erase(x, x.left[ix(node)], r);
  } else {
    x.right[ix(node)] = erase(x, x.right[ix(node)], r);
  }
  return node;
}

}  // namespace

void clear_chain_index(Engine& e) {
  ChainIndex& x = e.txn.index;
  x.root.fill(0);
  x.member.fill(false);
  x.next_order = 0;
  x.front_order = 0;
  x.heap_seed = 0x9E3779B9u;
}

int last_record_at_or_before(const Engine& e, int k, real4 time, real8 priority) {
  const ChainIndex& x = e.txn.index;
  int found = 0;
  for (int node = x.root[ix(k)]; node != 0;) {
    if (at_or_before(x, node, time, priority)) {
      found = node;
      node = x.right[ix(node)];
    } else {
      node = x.left[ix(node)];
    }
  }
  return found;
}

void index_record(Engine& e, int k, int r, real4 time, real8 priority, bool behind) {
  ChainIndex& x = e.txn.index;
  x.time[ix(r)] = time;
  x.priority[ix(r)] = priority;
  x.order[ix(r)] = behind ? ++x.next_order : --x.front_order;
  x.heap[ix(r)] = next_heap_priority(x);
  x.left[ix(r)] = 0;
  x.right[ix(r)] = 0;
  x.member[ix(r)] = true;
  x.root[ix(k)] = insert(x, x.root[ix(k)], r);
}

void unindex_record(Engine& e, int k, int r) {
  ChainIndex& x = e.txn.index;
  if (!x.member[ix(r)]) return;
  x.root[ix(k)] = erase(x, x.root[ix(k)], r);
  x.member[ix(r)] = false;
}

bool record_indexed(const Engine& e, int r) { return e.txn.index.member[ix(r)]; }

}  // namespace kelvo
