// LET and priority blocks. Takes the block's entry in the LET tables (or
// its operand) and the active transaction; evaluates the value through
// the operand evaluator and assigns it to a savevalue, a parameter or the
// priority. A target outside its table ends the run with its message.
#include "runtime/let_priority_blocks.h"

#include <cmath>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/block_dispatcher.h"
#include "runtime/operand_eval.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"
#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

namespace {

// The value of LET row r of `rows` (a row outside the table: the block
// cannot be run).
real4 let_value(Engine& e, const LetRows& rows, int r, int code) {
  if (r < 1 || r > rows.count || r > k_let_limit) refuse_block_code(e, code);
  int index = rows.opnd_value[ix(r)];
  return operand_index_value(e, rows.opnd_kind[ix(r)], index);
}

// The value that LET mode `mode` with value v makes of `target`.
real8 assigned(real8 target, int4 mode, real4 v) {
  if (mode == letmode::add) return target + v;
  if (mode == letmode::subtract) return target - v;
  return v;
}

// Parameter j of the active transaction as an entity number (its value,
// truncated).
int parameter_number(Engine& e, int j) {
  if (!has_parameter(e, j)) return 0;
  return trunc_i32(e.act.cur_txn[ix(parameter_word(j))]);
}

}  // namespace

void let_savevalue_block(Engine& e, int b) {
  const int code = e.blocks.block_op[ix(b)];
  int x = e.blocks.block_arg[ix(b)];
  if (x < 0) {
    // Numbered savevalues (X*j) follow the named ones in the value table.
    x = parameter_number(e, -x);
    if (x < 1 || x > k_savevalue_number_max) run_error(e, " Incorrect value of parameter in A operand");
    auto& in_use = e.ent.sv.numbered_savevalue_count;
    if (x > in_use) in_use = x;
    x += k_named_savevalue_limit;
  }
  if (x < 1 || x > k_savevalue_limit) refuse_block_code(e, code);
  const int r = e.blocks.block_opnd[ix(b)];
  const real4 v = let_value(e, e.let.let, r, code);
  auto& values = e.ent.sv.savevalue_value;
  values.set(ix(x), assigned(values[ix(x)], e.let.let.mode[ix(r)], v), e.changes);
}

void let_parameter_block(Engine& e, int b) {
  const int code = e.blocks.block_op[ix(b)];
  int p = e.blocks.block_arg[ix(b)];
  if (p < 0) p = parameter_number(e, -p);
  if (p < 1 || p > e.ent.par.param_count || !has_parameter(e, p)) run_error(e, " Incorrect implicit parameter number ");
  const int r = e.blocks.block_opnd[ix(b)];
  const real4 v = let_value(e, e.let.letp, r, code);
  real8& param = e.act.cur_txn[ix(parameter_word(p))];
  param = assigned(param, e.let.letp.mode[ix(r)], v);
}

void priority_block(Engine& e, int b, int code) {
  const int kind = e.blocks.block_arg[ix(b)];
  int index = e.blocks.block_opnd[ix(b)];
  const real4 v = kind == opnd::constant ? static_cast<real4>(index) : operand_index_value(e, kind, index);
  real8& priority = e.act.cur_txn[tw::priority];
  if (code == bc::let_priority_plus) priority += v;
  else if (code == bc::let_priority_minus) priority -= v;
  else priority = v;
  if (priority > k_priority_max || priority < -k_priority_max) {
    write_error_line(e, io::Rec().lit(" Illegal value of priority in block ").i(b, 4).str());
    stop_program(e);
  }
  if (static_cast<real4>(priority) > e.run.max_priority) e.run.max_priority = static_cast<real4>(priority);
}

}  // namespace kelvo
