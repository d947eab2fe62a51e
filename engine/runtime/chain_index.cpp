// The treap of each chain's index.
// Takes record numbers with their keys; keeps one binary search tree per
// chain whose in-order sequence is the chain's sorted part, balanced by
// random heap priorities (drawn from a fixed seed, so every run is the
// same). Nodes are the records: no allocation.
#include "runtime/chain_index.h"

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

// Whether a node's key is at or before (time, priority), filing order
// aside.
bool at_or_before(const Node& a, real4 time, real8 priority) {
  if (a.time != time) return a.time < time;
  return a.priority >= priority;
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
void split(ChainIndex& x, int node, const Node& key, int& left, int& right) {
  if (node == 0) {
    left = right = 0;
    return;
  }
  Node& n = x.node[ix(node)];
  if (key_before(n, key)) {
    split(x, n.right, key, n.right, right);
    left = node;
  } else {
    split(x, n.left, key, left, n.left);
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
// splits the subtree found there under it: no recursion.
void insert(ChainIndex& x, int& root, int r) {
  Node& nr = x.node[ix(r)];
  int* link = &root;
  while (*link != 0 && x.node[ix(*link)].heap >= nr.heap) {
    Node& n = x.node[ix(*link)];
    link = key_before(nr, n) ? &n.left : &n.right;
  }
  split(x, *link, nr, nr.left, nr.right);
  *link = r;
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

}  // namespace

void clear_chain_index(Engine& e) {
  ChainIndex& x = e.txn.index;
  x.root.fill(0);
  x.walk_only.fill(false);
  x.member.fill(false);
  x.next_order = 0;
  x.front_order = 0;
  x.heap_seed = 0x9E3779B9u;
}

int last_record_at_or_before(const Engine& e, int k, real4 time, real8 priority) {
  const ChainIndex& x = e.txn.index;
  int found = 0;
  for (int r = x.root[ix(k)]; r != 0;) {
    const Node& n = x.node[ix(r)];
    if (at_or_before(n, time, priority)) {
      found = r;
      r = n.right;
    } else {
      r = n.left;
    }
  }
  return found;
}

void index_record(Engine& e, int k, int r, real4 time, real8 priority, bool behind) {
  ChainIndex& x = e.txn.index;
  Node& n = x.node[ix(r)];
  n.time = time;
  n.priority = priority;
  n.order = behind ? ++x.next_order : --x.front_order;
  n.heap = next_heap_priority(x);
  n.left = 0;
  n.right = 0;
  x.member[ix(r)] = true;
  insert(x, x.root[ix(k)], r);
}

void unindex_record(Engine& e, int k, int r) {
  ChainIndex& x = e.txn.index;
  if (!x.member[ix(r)]) return;
  erase(x, x.root[ix(k)], r);
  x.member[ix(r)] = false;
}

bool record_indexed(const Engine& e, int r) { return e.txn.index.member[ix(r)]; }

}  // namespace kelvo
