// The LET entries of the blocks that assign a value: one row per LET block
// to a savevalue and one per LET block to a parameter (the block's
// block_opnd names its row). The translator fills them; the run-time LET
// routines read them. 1-based; row 0 unused.
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// What a LET does with its value (let_mode, letp_mode).
namespace letmode {
inline constexpr int4 assign = 1;    // LET: the target takes the value
inline constexpr int4 add = 2;       // LET+: the value is added
inline constexpr int4 subtract = 3;  // LET-: the value is taken off
}  // namespace letmode

// One LET row: the value operand as an operand kind and its value (a
// constant, a name code until the end of translation links it to the
// entity's number, a parameter number, an expression's name code), and
// the mode.
struct LetRows {
  int4 count = 0;
  std::array<int4, k_let_limit + 1> opnd_kind{};
  std::array<int4, k_let_limit + 1> opnd_value{};
  std::array<int4, k_let_limit + 1> mode{};
};

struct LetTables {
  // LET blocks to a savevalue (let_opnd_kind, let_opnd_value, let_mode).
  // Translator (check_let_block); empty at reset_compile_state.
  LetRows let;
  // LET blocks to a parameter (letp_opnd_kind, letp_opnd_value, letp_mode).
  // Translator (check_let_block); empty at reset_compile_state.
  LetRows letp;
};

}  // namespace kelvo
