// The IF block at run time and the condition test that IF and the
// comparing WAITIF share. Takes a condition entry of the translator's
// condition table and the active transaction; gives the next block.
#pragma once

#include "model/engine.h"
#include "runtime/block_dispatcher.h"

namespace kelvo {

// The condition entry of IF or WAITIF block b (a block whose entry is
// missing cannot be run). Inline: every test of a waiter looks it up.
inline int condition_of_block(Engine& e, int b) {
  const int code = b >= 1 && b <= e.blocks.block_count ? e.blocks.block_op[ix(b)] : 0;
  const int i = code != 0 ? e.blocks.block_arg[ix(b)] : 0;
  if (i < 1 || i > e.cond.cond_count || i > k_condition_limit) refuse_block_code(e, code);
  return i;
}

// Condition entry i falls through: the relation written between its
// operands does not hold (equality within 0.00001).
bool test_if_condition(Engine& e, int i);
// IF block b (codes 20, 38, 42): the next block is b + 1 when the test
// falls through, else the block the IF names; returned, and set as the
// transaction's next block.
int exec_if_block(Engine& e, int b);

}  // namespace kelvo
