// FUNCTION evaluation. Takes the function tables that the FUNCTION
// statement and its data filled and the active transaction; returns the
// value: exponential and normal variates on the argument's stream, table
// functions by look-up (discrete) or linear interpolation (continuous),
// and the built-in, Erlang, triangular and expression types.
#include "runtime/function_eval.h"

#include <cmath>

#include "io/fixed_format.h"
#include "model/elementary_functions.h"
#include "model/engine.h"
#include "runtime/operand_eval.h"
#include "runtime/random_streams.h"
#include "runtime/run_errors.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/stop.h"

namespace kelvo {

namespace {

std::string function_name_text(Engine& e, int f) { return packed_name_text(e, e.ent.fn.function_name[ix(f)]); }

// The stream number of an argument that names one (a temporary slot: the
// parenthesised sub-result, truncated).
int stream_of(Engine& e, int kind, int value) {
  if (kind == opnd::temporary) {
    int index = value;
    return trunc_i32(operand_index_value(e, kind, index));
  }
  return value;
}

// The value of the function's argument.
real8 argument_value(Engine& e, int f, int level) {
  const int kind = e.ent.fn.function_arg_class[ix(f)];
  int index = e.ent.fn.function_arg_value[ix(f)];
  if (kind == opnd::variable) return eval_variable(e, index, level);
  if (kind == opnd::random) return draw_random_number(e, index);
  if (kind == opnd::parameter && e.ctl.java_mode) {
    const real4 v = operand_index_value(e, kind, index);
    if (v == 0.0f) {
      const int unit = open_warning_unit(e);
      e.ch.write(unit, "** WARNING **");
      e.ch.write(unit, " Parameter in function call has 0 value");
    }
    return v;
  }
  return operand_index_value(e, kind, index);
}

// x lies above the last point of function f (n points): the message, its
// hints, and the stop.
[[noreturn, gnu::cold, gnu::noinline]] void stop_above_points(Engine& e, int f, int n) {
  const auto& xs = e.ent.fn.function_x[ix(f)];
  const real4 top = n >= 1 ? xs[ix(n)] : 0.0f;
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(" x value of function ").lit(function_name_text(e, f)).lit(" above upper limit").f(top, 9, top <= 1.0f ? 6 : 2));
  if (std::fabs(top - 1.0f) < 0.0001f) {
    e.ch.write(unit, " Possible source of error: ");
    e.ch.write(unit, " When the FUNCTION's A operand is not RNj, line 1");
    e.ch.write(unit, " of datafile must start with C or D");
  }
  stop_program(e);
}

// x lies below the first point of continuous function f: the message,
// its hints, and the stop.
[[noreturn, gnu::cold, gnu::noinline]] void stop_below_points(Engine& e, int f, real8 x) {
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(" x value of (continuous) function ").lit(function_name_text(e, f)).lit(" below lower limit"));
  if (x == 0.0) {
    e.ch.write(unit, " This x-value of function's A operand is 0");
    e.ch.write(unit, " It has perhaps never been given a value, e.g.");
    e.ch.write(unit, " in control statement prior to first GENERATE");
  }
  stop_program(e);
}

}  // namespace

real8 function_table_value(Engine& e, int f, real8 x) {
  const auto& fn = e.ent.fn;
  const int n = std::min(fn.function_point_count[ix(f)], k_function_point_limit);
  const auto& xs = fn.function_x[ix(f)];
  const auto& ys = fn.function_y[ix(f)];
  // First point at or above x; at the last point x may lie up to 1.0E-6 above it.
  // A linear scan: the points of a function that is not on a random
  // stream need not be in ascending order, and the first match counts.
  // It starts where the index says that every point before lies below x.
  int i = 0;
  int first = 1;
  if (fn.fn_part_scale[ix(f)] > 0.0) {
    const int part = function_part(fn, f, x);
    if (part >= 0) first = fn.fn_first_point[ix(f)][ix(part)];
  }
  // From the index the scan takes a step or two: not unrolled.
#pragma GCC unroll 1
  for (int k = first; k <= n; ++k) {
    if (x <= static_cast<real8>(xs[ix(k)])) {
      i = k;
      break;
    }
  }
  if (i == 0 && n >= 1 && x <= static_cast<real8>(xs[ix(n)]) + 0.000001) i = n;
  if (i == 0) stop_above_points(e, f, n);
  if (fn.function_kind[ix(f)] != fnk::continuous) return ys[ix(i)];
  if (x == static_cast<real8>(xs[ix(i)])) return ys[ix(i)];
  if (i == 1) stop_below_points(e, f, x);
  const real4 dx = xs[ix(i)] - xs[ix(i - 1)];
  const real4 dy = ys[ix(i)] - ys[ix(i - 1)];
  // Two points with the same x: the upper one's value.
  if (dx == 0.0f) return ys[ix(i)];
  return static_cast<real8>(ys[ix(i - 1)]) + (x - static_cast<real8>(xs[ix(i - 1)])) * static_cast<real8>(dy) / static_cast<real8>(dx);
}

real8 evaluate_function(Engine& e, int f) {
  const auto& fn = e.ent.fn;
  if (f < 1 || f > fn.function_count || f > k_function_limit) run_error(e, " Function not defined");
  const int t = fn.function_kind[ix(f)];
  const int kind = fn.function_arg_class[ix(f)];
  const int value = fn.function_arg_value[ix(f)];
  if (t < 0) run_error(e, " Call on function with expression must be followed by ( )");
  if (t == fnk::exponential) {
    const int j = kind == opnd::random || kind == opnd::temporary ? stream_of(e, kind, value) : value;
    real4 u = 1.0f - draw_random_number(e, j);
    if (u < 0.00000001f) u = 0.000000001f;
    return -log_of_real4(u);
  }
  if (t == fnk::normal) {
    const int j = kind == opnd::random || kind == opnd::temporary ? stream_of(e, kind, value) : value;
    return normal_variate(e, j);
  }
  if (t == fnk::discrete || t == fnk::continuous) return function_table_value(e, f, argument_value(e, f, 3));
  if (t >= fnk::first_builtin && t <= fnk::last_builtin)
    return eval_math_function(e, t, static_cast<real4>(argument_value(e, f, 1)));
  if (t > fnk::erlang_base && t < fnk::triangular_base) return erlang_variate(e, t, stream_of(e, kind, value));
  // Kind 20 is the triangular variate of mode 1 (kind 40).
  if (t == fnk::erlang_base) return triangular_variate(e, fnk::triangular_base + 10, stream_of(e, kind, value));
  if (t >= fnk::triangular_base && t <= fnk::expression_base) return triangular_variate(e, t, stream_of(e, kind, value));
  // Above: a parameterised expression of the argument's value.
  const real8 v = argument_value(e, f, 1);
  return eval_level(e, 1, t, v);
}

int function_value_error(Engine& e, int f) {
  const real8 v = evaluate_function(e, f);
  const int b = trunc_i32(v);
  if (!(v > 0.0) || b < 1 || b > e.blocks.block_count)
    run_error(e, io::Rec().lit(" Illegal value in or use of function").i(f, 3));
  return b;
}

}  // namespace kelvo
