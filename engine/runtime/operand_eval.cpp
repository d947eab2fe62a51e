// Evaluation of coded operands and compiled expressions. Takes the
// operand kind codes and expression tables of the translator and the
// active transaction; produces values (single precision at level 1,
// double precision inside nested levels). Every table index is checked.
#include "runtime/operand_eval.h"

#include <cmath>

#include "io/fixed_format.h"
#include "model/elementary_functions.h"
#include "model/engine.h"
#include "runtime/function_eval.h"
#include "runtime/random_streams.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

// Savevalue numbers of a level-1 item from which on the item names a
// savevalue by its name code.
constexpr int k_savevalue_name_from = 501;
// Reference classes from which on a function item calls a parameterised
// expression.
constexpr int k_expression_call_class = fnk::expression_base + 1;

[[noreturn]] void out_of_range(Engine& e, int index) {
  run_error(e, io::Rec().lit(" Parameter value").i(index, 4).lit(" out of range"));
}

[[noreturn]] void nested_too_far(Engine& e) { run_error(e, " Expressions or functions nested too far"); }

// Parameter j of the active transaction (1..param_count).
real8 parameter_value(Engine& e, int j) {
  if (!has_parameter(e, j)) out_of_range(e, j);
  return e.act.cur_txn[ix(parameter_word(j))];
}

int find_savevalue_name(const Engine& e, int code) {
  const int n = std::min(e.ent.sv.savevalue_count, k_named_savevalue_limit);
  for (int k = 1; k <= n; ++k)
    if (e.ent.sv.savevalue_name[ix(k)] == code) return k;
  return 0;
}

}  // namespace

void check_parameter_index(Engine& e, int kind, int& index) {
  switch (kind) {
    case opnd::clock:
    case opnd::function:
    case opnd::variable:
    case opnd::random:
      run_error(e, " Parameter construction illegal");
    case opnd::queue: {
      const int number = index;
      index = queue_index_of_number(e.ent, number);
      if (index > k_queue_limit || index < 1) run_error(e, io::Rec().lit(" Value of Q(P=").i(number, 5).lit(" out of range"));
      break;
    }
    case opnd::block_count:
    case opnd::waiting:
      if (index > e.blocks.block_count) out_of_range(e, index);
      break;
    case opnd::storage:
    case opnd::remaining:
      if (index > e.ent.st.storage_count) {
        index += e.ent.st.facility_offset;
        if (index > k_station_limit)
          run_error(e, io::Rec().lit(" Value of F(P, R(P or S(P =").i(index - e.ent.st.facility_offset, 5).lit(" out of range"));
      }
      break;
    case opnd::savevalue:
      if (index > k_savevalue_number_max) run_error(e, io::Rec().i(index, 4).lit(" = incorrect parameter value in X(P"));
      index += k_named_savevalue_limit;
      break;
    case opnd::parameter:
      if (index > e.ent.par.param_count) out_of_range(e, index);
      break;
    default:
      break;
  }
}

real4 operand_index_value(Engine& e, int kind, int& index) {
  if (kind == opnd::constant) return static_cast<real4>(index);
  if (kind < 0) {
    index = trunc_i32(parameter_value(e, index) + 0.0001);
    if (index < 1) {
      write_error_line(e, io::Rec().i(index, 4).lit(" = illegal value of parameter").str());
      run_error(e, io::Rec().lit(" Is parameter name correct?"));
    }
    kind = -kind;
    check_parameter_index(e, kind, index);
  }
  switch (kind) {
    case opnd::queue:
      if (index < 1 || index > k_queue_limit) out_of_range(e, index);
      return static_cast<real4>(e.srv.queue_current[ix(index)]);
    case opnd::block_count:
      if (index < 1 || index > k_block_capacity) out_of_range(e, index);
      return static_cast<real4>(e.blocks.block_entries[ix(index)]);
    case opnd::storage:
      if (index < 1 || index > k_station_limit) out_of_range(e, index);
      return static_cast<real4>(e.srv.station_contents[ix(index)]);
    case opnd::remaining:
      if (index < 1 || index > k_station_limit) out_of_range(e, index);
      return static_cast<real4>(e.ent.st.station_capacity[ix(index)] - e.srv.station_contents[ix(index)]);
    case opnd::function:
      return static_cast<real4>(evaluate_function(e, index));
    case opnd::variable:
      return eval_variable_1(e, index);
    case opnd::savevalue:
      // Name codes of names from I on are negative as 32-bit integers:
      // a savevalue number is 1..1000, anything beyond is a name code.
      if (index >= -1000 && index <= 1000) {
        if (index < 1 || index > k_savevalue_limit) out_of_range(e, index);
        return static_cast<real4>(e.ent.sv.savevalue_value[ix(index)]);
      } else {
        const int k = find_savevalue_name(e, index);
        if (k == 0) return 0.0f;
        index = k;
        return static_cast<real4>(e.ent.sv.savevalue_init[ix(k)]);
      }
    case opnd::waiting:
      if (index < 1 || index > k_block_capacity) out_of_range(e, index);
      return static_cast<real4>(e.blocks.block_current[ix(index)]);
    case opnd::random:
      return draw_random_number(e, index);
    case opnd::parameter:
      if (index > k_param_word_limit) {
        const int unit = open_error_unit(e);
        e.ch.write(unit, io::Rec().i(index, 4).lit(" = illegal number of parameter"));
        e.ch.write(unit, " Not more than 12 parameters allowed");
        stop_program(e);
      }
      return static_cast<real4>(parameter_value(e, index));
    case opnd::priority:
      return static_cast<real4>(e.act.cur_txn[tw::priority]);
    case opnd::decimal:
      if (index < 1 || index > k_decimal_limit) out_of_range(e, index);
      return e.ent.dec.decimal_value[ix(index)];
    case opnd::temporary:
      if (index < 1 || index > k_expr_temp_slots) out_of_range(e, index);
      return static_cast<real4>(e.ev.eval_stack[ix(index)]);
    default:  // the clock (any other kind too): index 2 the absolute clock, else since the RESET
      return index == 2 ? e.run.clock : e.run.clock - e.run.reset_time;
  }
}

void eval_call_argument(Engine& e, int i, int& cls, real8& v) {
  if (i < 1 || i > k_expr_ref_limit) out_of_range(e, i);
  int index = e.expr.ref_arg[ix(i)];
  v = operand_index_value(e, e.expr.ref_index[ix(i)], index);
  cls = e.expr.ref_class[ix(i)];
}

void bind_expression_argument(Engine& e, int cls, real8 v, int& x) {
  const int f = cls - fnk::expression_base;
  if (f < 1 || f > k_expr_ref_limit) out_of_range(e, f);
  const int sv = e.expr.ref_arg[ix(f)];
  if (sv < 1 || sv > k_savevalue_limit) out_of_range(e, sv);
  e.ent.sv.savevalue_value.set(ix(sv), v, e.changes);
  x = -e.expr.ref_class[ix(f)];
}

real8 eval_level(Engine& e, int level, int cls, real8 v) {
  // Stops before the call binds its argument.
  if (e.ev.nesting >= k_eval_levels) nested_too_far(e);
  int x = 0;
  bind_expression_argument(e, cls, v, x);
  return eval_variable(e, x, level);
}

real4 eval_variable_1(Engine& e, int x) { return static_cast<real4>(eval_variable(e, x, 1)); }

namespace {

[[noreturn]] void division_error(Engine& e, real8 v) { run_error(e, io::Rec().lit(" Division with ").f(v, 14, 8)); }

// Item `position` of an expression: operator op with operand value v on
// the running term t, the sum before it and its sign s.
inline void apply_expression_operator(Engine& e, int op, int position, int& s, int arg, real8& t, real8& sum, real8 v) {
  switch (op) {
    case xop::multiply:
      t = t * v;
      break;
    case xop::divide:
    case xop::remainder:
      if (std::fabs(v) < 1.0e-8) division_error(e, v);
      t = op == xop::divide ? t / v : std::fmod(t, v);
      break;
    case xop::store:
      sum = s == xop::add ? sum + t : sum - t;
      if (arg >= 1 && arg <= k_expr_temp_slots) e.ev.eval_stack[ix(arg)] = sum;
      t = 0.0;
      sum = 0.0;
      break;
    default:
      if (position > 1) sum = s == xop::add ? sum + t : sum - t;
      t = v;
      s = op;
      break;
  }
}

// Whether an item of this kind and argument is one whose value plain_item
// takes: a constant, a function that is not an expression call, or a
// savevalue by a number below the name codes.
inline bool is_plain_item(const Engine& e, int kind, int arg) {
  switch (kind) {
    case opnd::constant:
      return true;
    case opnd::function:
      return !(arg >= 1 && arg <= k_expr_ref_limit && e.expr.ref_class[ix(arg)] >= k_expression_call_class);
    case opnd::savevalue:
      return arg >= 1 && arg < k_savevalue_name_from && arg <= k_savevalue_limit;
    default:
      return false;
  }
}

// The value of an item that is_plain_item accepted, as the general loop
// takes it.
inline real8 plain_item(Engine& e, int kind, int arg) {
  if (kind == opnd::constant) return static_cast<real4>(arg);
  if (kind == opnd::function) return static_cast<real4>(evaluate_function(e, arg));
  return static_cast<real4>(e.ent.sv.savevalue_value[ix(arg)]);
}

// The items of expression x at `level`, left to right, unrounded. The
// saved temporaries are the caller's business.
real8 eval_items(Engine& e, int x, int level) {
  real8 t = 0.0;
  real8 sum = 0.0;
  int s = xop::add;
  const auto& kinds = e.expr.expr_item_kind[ix(x)];
  const auto& ops = e.expr.expr_item_op[ix(x)];
  const auto& args = e.expr.expr_item_arg[ix(x)];
  // One or two plain items, the commonest shapes: the same steps as the
  // loop below, without its dispatch.
  if (is_plain_item(e, kinds[ix(1)], args[ix(1)])) {
    if (kinds[ix(2)] == k_expr_end) {
      apply_expression_operator(e, ops[ix(1)], 1, s, args[ix(1)], t, sum, plain_item(e, kinds[ix(1)], args[ix(1)]));
      return s == xop::add ? sum + t : sum - t;
    }
    if (kinds[ix(3)] == k_expr_end && is_plain_item(e, kinds[ix(2)], args[ix(2)])) {
      apply_expression_operator(e, ops[ix(1)], 1, s, args[ix(1)], t, sum, plain_item(e, kinds[ix(1)], args[ix(1)]));
      apply_expression_operator(e, ops[ix(2)], 2, s, args[ix(2)], t, sum, plain_item(e, kinds[ix(2)], args[ix(2)]));
      return s == xop::add ? sum + t : sum - t;
    }
  }
  for (int i = 1; i <= k_expr_items; ++i) {
    const int kind = kinds[ix(i)];
    if (kind == k_expr_end) break;
    const int op = ops[ix(i)];
    int arg = args[ix(i)];
    real8 v = 0.0;
    if (kind == opnd::temporary) {
      if (arg < 1 || arg > k_expr_temp_slots) out_of_range(e, arg);
      v = e.ev.eval_stack[ix(arg)];
    } else if (kind == opnd::variable) {
      if (level >= k_eval_levels) nested_too_far(e);
      v = eval_variable(e, arg, level + 1);
    } else if (kind == opnd::function && arg >= 1 && arg <= k_expr_ref_limit &&
               e.expr.ref_class[ix(arg)] >= k_expression_call_class) {
      int cls = 0;
      eval_call_argument(e, arg, cls, v);
      if (level >= k_eval_levels) nested_too_far(e);
      v = eval_level(e, level + 1, cls, v);
    } else if (level == 1 && kind == opnd::savevalue && std::abs(arg) >= k_savevalue_name_from && !e.cs.pass.check_flag) {
      const int k = find_savevalue_name(e, arg);
      if (k == 0) {
        flag_error_without_hint(e, " Savevalue in B operand not given value above");
        return 0.0;
      }
      v = e.ent.sv.savevalue_init[ix(k)];
    } else if (kind == opnd::constant) {
      v = static_cast<real4>(arg);
    } else if (kind == opnd::function) {
      v = static_cast<real4>(evaluate_function(e, arg));
    } else {
      v = operand_index_value(e, kind, arg);
    }
    apply_expression_operator(e, op, i, s, arg, t, sum, v);
  }
  return s == xop::add ? sum + t : sum - t;
}

}  // namespace

namespace {

// One expression under evaluation. The levels of an evaluation start
// again at a function's argument, so they alone cannot see an expression
// that reaches itself through a function; this count of the expressions
// under evaluation, whatever the road from one to the next, stops such a
// cycle where a cycle of variables stops.
class NestedExpression {
 public:
  explicit NestedExpression(Engine& e) : e_(e) {
    if (e.ev.nesting >= k_eval_levels) nested_too_far(e);
    ++e.ev.nesting;
  }
  ~NestedExpression() { --e_.ev.nesting; }
  NestedExpression(const NestedExpression&) = delete;
  NestedExpression& operator=(const NestedExpression&) = delete;

 private:
  Engine& e_;
};

}  // namespace

real8 eval_variable(Engine& e, int x, int level) {
  if (x < 1 || x > k_expr_limit) out_of_range(e, x);
  const NestedExpression nested(e);
  // A nested level leaves the temporaries as it found them; level 1
  // keeps what it stored.
  if (level > 1) {
    const auto saved = e.ev.eval_stack;
    const real8 result = eval_items(e, x, level);
    e.ev.eval_stack = saved;
    return result;
  }
  return static_cast<real4>(eval_items(e, x, 1));
}

real4 eval_math_function(Engine& e, int code, real4 x) {
  constexpr real4 eps = 1.0e-5f;
  switch (code) {
    case mathfn::absolute:
      return x <= 0.0f ? -x : x;
    case mathfn::floor: {
      const real4 t = static_cast<real4>(trunc_i32(x));
      return t < 0.0f ? t - 1.0f : t;
    }
    case mathfn::logarithm:
      if (x < 1.0e-6f) run_error(e, io::Rec().lit(" Illegal argument of FN$LOG:").f(x, 14, 8));
      return log_real4(x);
    case mathfn::exponential:
      if (x > 88.0f) run_error(e, io::Rec().lit(" Illegal argument of FN$EXP:").f(x, 8, 3));
      return exp_real4(x);
    case mathfn::sign:
      return x > eps ? 1.0f : (x < -eps ? -1.0f : 0.0f);
    case mathfn::is_zero:
      return std::fabs(x) < eps ? 1.0f : 0.0f;
    case mathfn::positive_part:
      return x < 0.0f ? 0.0f : x;
    case mathfn::is_above_0:
      return x > eps ? 1.0f : 0.0f;
    case mathfn::is_at_least_0:
      return x > -eps ? 1.0f : 0.0f;
    case mathfn::is_below_0:
      return x < -eps ? 1.0f : 0.0f;
    case mathfn::is_at_most_0:
      return x < eps ? 1.0f : 0.0f;
    case mathfn::is_not_0:
      return std::fabs(x) > eps ? 1.0f : 0.0f;
    case mathfn::sine_degrees:
      return sin_real4(x * 3.141593f / 180.0f);
    case mathfn::fraction:
      return x - static_cast<real4>(trunc_i32(x));
    default:  // mathfn::square_root and any code outside 5-19
      if (x < 0.0f) run_error(e, io::Rec().lit(" Negative argument of FN$SQR:").f(x, 14, 8));
      return std::sqrt(x);
  }
}

int resolve_operand_value(Engine& e, int code) {
  int out = 1;
  if (code > 0) {
    out = code;
  } else if (code < 0) {
    const int j = -code;
    if (code == k_try_units) {
      out = 1;
    } else {
      if (j > k_expr_ref_limit) out_of_range(e, j);
      int index = e.expr.operand_ref_index[ix(j)];
      out = trunc_i32(operand_index_value(e, e.expr.operand_ref_kind[ix(j)], index));
    }
  }
  if (out < 0) run_error(e, " Value of B operand of ENTER or LEAVE block < 0");
  return out;
}

void input_savevalues(Engine& e, real4* v) {
  const int k = trunc_i32(v[2]);
  if (k < 1 || k > k_named_savevalue_limit || e.ent.sv.savevalue_name[ix(k)] == 0) {
    flag_statement_error(e, " In INPUT block A operand missing");
    return;
  }
  if (e.ev.experi_alternative > 1) {
    // Later alternatives take the value given for the first one.
    if (k <= k_input_keep) v[1] = static_cast<real4>(e.ev.input_keep[ix(k)]);
    return;
  }
  v[1] = static_cast<real4>(read_input_number(e));
  if (e.ev.keep_input && !e.cs.pass.check_flag) {
    if (k < 20) {
      e.ev.input_keep[ix(k)] = v[1];
    } else {
      flag_statement_error(e, " Too many savevalues read in");
    }
  }
}

void take_input_value(Engine& e, real4& v) {
  if (e.ctl.experi_run) {
    v = e.ev.experi_input_value;
    e.ev.experi_input_mark = 1;
    e.ev.input_used_mark = 1;
  } else {
    e.ev.experi_input_mark = -1;
  }
}

void read_extern_dat(Engine& e, real4& real_value, int& int_value) {
  constexpr int unit = 11;
  const auto missing = [&e]() {
    write_error_message(e, " The following file is missing: extern.dat");
    stop_program(e);
  };
  if (!e.ch.open_read(unit, "extern.dat")) missing();
  std::string lines[3];
  for (int n = 1; n <= 3; ++n) {
    if (e.ch.read_line(unit, lines[n - 1]) == io::ReadStatus::ok) continue;
    // The file is there: what failed is its line (too few lines, or a
    // read error).
    e.ch.close(unit);
    write_error_message(e, io::Rec().lit(" Line ").i(n, 1).lit(" of extern.dat could not be read").str());
    stop_program(e);
  }
  e.ch.close(unit);
  const std::string& name = lines[0];
  const std::string& second = lines[1];
  const std::string& third = lines[2];
  long long a = 0, b = 0;
  if (!io::read_i(second, 8, a) || !io::read_i(third, 4, b)) {
    write_error_message(e, " Incorrect format for number");
    stop_program(e);
  }
  // The model's name names its result files: like the front end's, it
  // must be a plain file name, or nothing can be named after it.
  const std::string model = io::read_a(name, 125);
  if (!plain_file_name(model)) {
    e.ch.write_error_stream(" No usable model name in EXTERN.DAT");
    e.ctl.work_file_refused = true;
    stop_now(e);
  }
  e.ctl.program_file_name.assign(model);
  real_value = static_cast<real4>(a);
  int_value = static_cast<int>(b);
  e.ent.experi.experi_alternatives = 1;
}

}  // namespace kelvo
