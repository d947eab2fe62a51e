// The block table: one entry per block of the translated model, filled by
// the translator (block definition and the end-of-program linking),
// executed and counted by the run-time, listed by the reports.
// Arrays are indexed by the block number 1..k_block_capacity; element 0
// is unused, so block numbers from the model text index them directly.
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Block codes (the number the dispatcher switches on). The names are the
// statement words of the codes; codes without a statement word of their
// own are internal forms made by the statement checks.
namespace bc {
inline constexpr int advance = 1;
inline constexpr int depart = 2;
inline constexpr int end = 3;
inline constexpr int enter = 4;
inline constexpr int function = 5;
inline constexpr int valueof = 6;       // the expression definition
inline constexpr int waitif_station = 7;
inline constexpr int generate = 8;
inline constexpr int leave = 9;
inline constexpr int preempt = 10;
inline constexpr int qtable = 11;
inline constexpr int queue = 12;
inline constexpr int release = 13;
inline constexpr int return_ = 14;
inline constexpr int seize = 15;
inline constexpr int simulate = 16;
inline constexpr int start = 17;
inline constexpr int storage = 18;      // the CAPACITY statement
inline constexpr int terminate = 19;
inline constexpr int if_form = 20;
inline constexpr int goto_form = 21;
inline constexpr int seeds = 22;
inline constexpr int print = 23;
inline constexpr int end_run = 24;      // ends one run of a series
inline constexpr int reset = 25;
inline constexpr int priority = 26;
inline constexpr int let = 27;
inline constexpr int control_28 = 28;
inline constexpr int assemble = 29;
inline constexpr int select = 30;       // LET MIN/MAX
inline constexpr int split = 31;
inline constexpr int table = 32;
inline constexpr int tabulate = 33;
inline constexpr int special = 34;      // HELP and every special statement
inline constexpr int arrive = 35;
inline constexpr int let_param = 36;
inline constexpr int goto_ = 37;
inline constexpr int if_ = 38;
inline constexpr int form_39 = 39;
inline constexpr int let_expression = 40;  // IF or LET with an expression
inline constexpr int let_form = 41;
inline constexpr int if_form_2 = 42;
inline constexpr int waitif = 43;
inline constexpr int preempt_after_priority = 44;
inline constexpr int print_open = 45;      // PRINT whose line stays open
inline constexpr int waitif_retest = 46;
inline constexpr int print_attribute = 47;
inline constexpr int print_attribute_open = 48;
inline constexpr int let_minmax = 49;
inline constexpr int let_priority = 50;
inline constexpr int let_priority_plus = 51;
inline constexpr int let_priority_minus = 52;
inline constexpr int let_minmax_run = 53;
inline constexpr int count = 53;
// Only codes 1..43 are recognised from a statement word.
inline constexpr int searched = 43;
}  // namespace bc

// Address label of the block that receives pre-empted holders (written
// PREEM: in the model, printed as "PREEM:"). No packed name has this bit
// pattern, so it never clashes with a label of the model.
inline constexpr int4 k_preem_label_code = static_cast<int4>(0xF396F397u);

struct BlockTable {
  using I2 = std::array<int2, k_block_capacity + 1>;
  using I4 = std::array<int4, k_block_capacity + 1>;

  // Blocks defined so far. Translator (define_block); 0 at reset_compile_state.
  int4 block_count = 0;
  // Block code 1..53 (namespace bc). Translator; 0 at reset_compile_state.
  I2 block_op{};
  // Main operand word: entity number (queue, station, TERMINATE, GENERATE
  // number ...), a parameter code (negative) or an operand kind. Translator;
  // 0 at reset_compile_state.
  I2 block_arg{};
  // Coded operand value: constant, name code, or after linking an entity
  // number. Translator; -1 at reset_compile_state.
  I4 block_opnd{};
  // Packed address label (0 = none). Translator; 0 at reset_compile_state.
  I4 block_label{};
  // Model line number of the block's statement (for listings and dumps).
  // Translator; 0 at reset_compile_state.
  I4 block_line{};
  // Transactions now in the block. Run-time; 0 at every run start.
  I4 block_current{};
  // Entries since the last RESET. Run-time; 0 at reset_compile_state and RESET.
  I4 block_entries{};
  // Creation limit (D operand) of a GENERATE block, 100000 at most.
  // Translator (check_generate_block); 0 at reset_compile_state.
  I4 generate_limit{};
  // Number of transactions a station block takes or gives back (B operand
  // of SEIZE/ENTER/LEAVE ...): a constant, or -100 for an SNA read at run
  // time. Translator; 0 at reset_compile_state.
  I4 block_units{};
};

// Packed names of the 53 block codes (entry i prints block code i).
// Filled before every translation (init_stat_slots); positions 1..43 are
// searched for a statement word.
struct BlockOpNames {
  // Packed operation word of code i. Translator (init_stat_slots), each translation.
  std::array<int4, bc::count + 1> block_op_names{};
  // Further word recognised as code 6 (VALUEOF). Same.
  int4 valueof_name = 0;
  // SEEDS, recognised as code 22 when not found in the table. Same.
  int4 seeds_name = 0;
};

}  // namespace kelvo
