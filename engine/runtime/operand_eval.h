// Operand and expression evaluation: the value of a coded operand, of a
// compiled expression at nesting levels 1 to 5, the built-in arithmetic
// functions, a block's B operand as a unit count, and run-time input of
// numbers from the console and from "extern.dat".
#pragma once

#include <string>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Value of operand (kind, index); index is updated in place when it came
// from a parameter or a name look-up.
real4 operand_index_value(Engine& e, int kind, int& index);
void check_parameter_index(Engine& e, int kind, int& index);
// Value of compiled expression x at nesting level 1..5 (level 1 rounds to
// single precision).
real8 eval_variable(Engine& e, int x, int level);
real4 eval_variable_1(Engine& e, int x);
void eval_call_argument(Engine& e, int i, int& cls, real8& v);
void bind_expression_argument(Engine& e, int cls, real8 v, int& x);
// Binds the argument and evaluates the called expression at `level`.
real8 eval_level(Engine& e, int level, int cls, real8 v);
real4 eval_math_function(Engine& e, int code, real4 x);
int resolve_operand_value(Engine& e, int code);
// INPUT of a savevalue: v[1] the value (out), v[2] the savevalue number.
void input_savevalues(Engine& e, real4* v);
// The experiment's input value into v (left alone outside experiments).
void take_input_value(Engine& e, real4& v);
// Reads "extern.dat": the model file name, an integer handed back as a
// real, and a second integer.
void read_extern_dat(Engine& e, real4& real_value, int& int_value);

}  // namespace kelvo
