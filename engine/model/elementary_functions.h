// The engine's transcendental functions: the natural logarithm (double and
// single precision), the exponential and the sine (single precision).
// Computed by the engine's own routines in plain IEEE double arithmetic
// (every operation rounded once, no fused multiply-add, no extended
// precision), so that the same argument gives the same bits on every
// build whatever its C library. Each result is within one unit in the
// last place of the correctly rounded value.
#pragma once

#include "model/numbers.h"

namespace kelvo {

// Natural logarithm; 0 gives -infinity, a negative argument NaN.
real8 log_real8(real8 x);
// log_real8 of a single-precision argument, the same bits, sooner.
real8 log_of_real4(real4 x);
real4 log_real4(real4 x);
// e to the power x; overflows to +infinity above about 88.72.
real4 exp_real4(real4 x);
// Sine of x radians, for any finite x.
real4 sin_real4(real4 x);

}  // namespace kelvo
