// The block routines that create, delay and destroy transactions
// (GENERATE, ADVANCE, TERMINATE) and the time of an operand pair (mean
// and spread, each a constant or a reference).
#pragma once

#include <array>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Time from a row (A, B, kind of A, kind of B) of a time table.
real4 time_from_operand_pair(Engine& e, real4 a, real4 b, real4 kind_a, real4 kind_b);
// One inter-arrival time of GENERATE number g.
real4 generate_interval(Engine& e, int g);
void generate_block(Engine& e, int b);
void advance_block(Engine& e, int b);
void terminate_block(Engine& e, int b);
void derive_block_time(Engine& e, int b);

}  // namespace kelvo
