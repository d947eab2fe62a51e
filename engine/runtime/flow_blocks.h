// The block routines that choose the next block (GOTO with its
// probability), copy transactions (SPLIT), merge them (ASSEMBLE, with the
// families that SPLIT gives out and TERMINATE gives back) and look for the
// smallest or largest of a range of attributes (LET MIN/MAX, FN$MIN and
// FN$MAX).
#pragma once

#include "model/engine.h"
#include "model/numbers.h"
#include "runtime/block_dispatcher.h"

namespace kelvo {

// GOTO block b by its row g whose target word is t, when a function gives
// the target or the probability is not 1.
int branch_by_row(Engine& e, int b, int g, int t);

// GOTO (codes 21, 37): the next block is the target, or with a
// probability the target or the next block, which is also returned; the
// dispatcher loops.
inline int probability_branch(Engine& e, int b) {
  const int g = e.blocks.block_arg[ix(b)];
  if (g < 1 || g > e.cs.pass.goto_count || g > k_goto_limit) refuse_block_code(e, bc::goto_);
  const auto& go = e.flow.go;
  const int t = trunc_i32(go.goto_target[ix(g)]);
  if (t < 0 || go.goto_prob[ix(g)] != 1.0f) return branch_by_row(e, b, g, t);
  // A plain transfer to block t.
  auto& cur = e.act.cur_txn;
  cur[tw::next_block] = t;
  cur[tw::current_block] = b;
  return t;
}
// A probability taken from a savevalue, parameter or function must lie in
// 0..1 (single-precision bounds); otherwise the engine stops.
void check_probability(Engine& e, real4 q, int b);
// A uniform draw of stream 1: below q the target, else the block after b
// (returned, and set as the transaction's next block).
int choose_next_by_probability(Engine& e, int b, int target, real4 q);
// SPLIT (code 31): the copies go on the future-events chain at the
// parent's move time; the dispatcher loops with the parent.
void split_block(Engine& e, int b);
// ASSEMBLE (code 29): absorbs members of a family until one passes.
void assemble_block(Engine& e, int b);
// A member of family f leaves the system (absorbed or terminated); the
// last one gives the family number back.
void member_leaves(Engine& e, int f);
// TERMINATE: the last member of a family to leave gives the family
// number back.
inline void release_family_at_terminate(Engine& e) {
  if (e.flow.assemble_used) member_leaves(e, e.act.cur_marks.family);
}
// Every family free and nothing absorbed (model state at a run's start).
void reset_assemble_families(Engine& e);
// LET MIN/MAX over a range (codes 30, 49) and FN$MIN/FN$MAX (code 53).
void let_minmax_block(Engine& e, int b);
void exec_let_minmax(Engine& e, int b);
// What places entity n of an operand kind in its table (queues given by
// number follow the named ones, facilities follow the named stations,
// numbered savevalues follow the named ones).
int entity_offset_by_kind(const Engine& e, int kind, int n);

}  // namespace kelvo
