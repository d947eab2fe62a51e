// The IF block at run time. Takes the active transaction at an IF block
// and its condition entry; evaluates both operands, tests the relation
// and sets the transaction's next block: the block after the IF, or the
// block the IF names (directly, or through a function of addresses).
#include "runtime/if_block.h"

#include <cmath>

#include "model/engine.h"
#include "runtime/block_dispatcher.h"
#include "runtime/function_eval.h"
#include "runtime/operand_eval.h"

namespace kelvo {

namespace {
// Two values closer than this are equal.
constexpr real8 k_tolerance = 0.00001;

// A constant and a savevalue by number, the operands of most waiting
// conditions, are read here (true, the value in v); every other kind is
// read as any operand is.
inline bool read_directly(const Engine& e, const CondOperand& o, real4& v) {
  if (o.kind == opnd::constant) {
    v = static_cast<real4>(o.value);
    return true;
  }
  if (o.kind == opnd::savevalue && o.value >= 1 && o.value <= k_savevalue_limit) {
    v = static_cast<real4>(e.ent.sv.savevalue_value[ix(o.value)]);
    return true;
  }
  return false;
}

real4 operand_value(Engine& e, const CondOperand& o) {
  real4 v;
  if (read_directly(e, o, v)) return v;
  int index = o.value;
  return operand_index_value(e, o.kind, index);
}

// The relation r does not hold between a and b: the condition falls through.
inline bool falls_through(int r, real8 a, real8 b) {
  switch (r) {
    case rel::lt: return a >= b - k_tolerance;
    case rel::ne: return std::fabs(a - b) < k_tolerance;
    case rel::eq: return std::fabs(a - b) >= k_tolerance;
    case rel::gt: return a <= b + k_tolerance;
    case rel::ge: return a < b;
    default: return a > b;  // <= and any other code
  }
}
// Condition c with its operands read as any operand is: A before B, as
// reading one may change what the other reads.
[[gnu::noinline]] bool test_read_operands(Engine& e, const CondEntry& c) {
  const real8 a = operand_value(e, c.a);
  const real8 b = operand_value(e, c.b);
  return falls_through(c.relation, a, b);
}
}  // namespace

bool test_if_condition(Engine& e, int i) {
  const CondEntry& c = e.cond.cond[ix(i)];
  // Both operands read directly: nothing else is called.
  real4 a, b;
  if (read_directly(e, c.a, a) && read_directly(e, c.b, b)) return falls_through(c.relation, a, b);
  return test_read_operands(e, c);
}

int exec_if_block(Engine& e, int b) {
  const int i = condition_of_block(e, b);
  auto& cur = e.act.cur_txn;
  int next = b + 1;
  if (!test_if_condition(e, i)) {
    const int4 target = e.cond.cond[ix(i)].target;
    next = target < 0 ? function_value_error(e, -target) : target;
  }
  cur[tw::next_block] = next;
  cur[tw::current_block] = b;
  return next;
}

}  // namespace kelvo
