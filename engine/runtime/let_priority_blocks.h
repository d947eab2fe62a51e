// The blocks that assign: LET to a savevalue (codes 27, 40, 41), LET to a
// parameter (codes 36, 39) and the priority blocks (PRIORITY, code 26,
// and LET PR=, LET+ PR, LET- PR, codes 50 to 52).
#pragma once

namespace kelvo {

struct Engine;

// Savevalue block_arg (or, negative, the one parameter -block_arg names)
// takes, gains or loses the value of the block's LET row.
void let_savevalue_block(Engine& e, int b);
// The same for parameter block_arg of the active transaction.
void let_parameter_block(Engine& e, int b);
// The active transaction's priority is set to, raised or lowered by the
// block's operand (by the block code); the highest priority set is kept.
void priority_block(Engine& e, int b, int code);

}  // namespace kelvo
