// Model flags and tables that the run-time reads and that are set by
// statements not translated yet (TRACE, WAITIF, expressions and
// parameter-given queues): they stay at their reset values until those
// statements' translation fills them.
#pragma once

#include <array>

#include "io/fixed_text.h"
#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

struct PendingFlags {
  int4 queue_number_offset = 0;
  bool trace_number_wanted_a = false;
  bool trace_number_wanted_b = false;
  bool clear_params_flag = false;
  bool station_in_advance_flag = false;
  int4 waitif43_count = 0;
  std::array<int4, k_expr_ref_limit + 1> operand_ref_kind{};
  std::array<int4, k_expr_ref_limit + 1> operand_ref_index{};
  std::array<bool, k_block_capacity + 1> station_b_flag{};
};

}  // namespace kelvo
