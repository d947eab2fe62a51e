// FUNCTION evaluation at run time. Takes a function number and the
// active transaction; returns the function's value in double precision:
// a random variate, a built-in arithmetic function, a parameterised
// expression, or a discrete or continuous table function of its points.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Value of FUNCTION f.
real8 evaluate_function(Engine& e, int f);
// Table look-up of function f at x (types 3 and 4); messages and the
// stop when x lies outside the points.
real8 function_table_value(Engine& e, int f, real8 x);
// An address function's value as a block number 1..block_count; any
// other value ends the run with " Illegal value in or use of function".
int function_value_error(Engine& e, int f);

}  // namespace kelvo
