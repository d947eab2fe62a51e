// Tables of the blocks that choose, copy and merge transactions (GOTO,
// SPLIT, ASSEMBLE), of LET MIN/MAX and FN$MIN/FN$MAX, of the PRINT
// formats, and the small tables of VALUT, the INPUT data file and the
// matrix form texts. FlowTables is the translator's (reset by
// reset_compile_state); AssembleFamilies is the run-time's (reset by
// reset_model_state).
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Rows in use: the translation pass's counters (goto_count, split_count,
// minmax_count, assemble_count).

// GOTO row g (block_arg of the GOTO block).
struct GotoTable {
  // Address: a label's packed code until check_block_addresses makes it
  // the block number; -i for the address function i.
  std::array<int4, k_goto_limit + 1> goto_address{};
  // Target block after linking (single precision; -i: function i).
  std::array<real4, k_goto_limit + 1> goto_target{};
  // Probability operand, coded: 1.0 unconditional; 0 <= p < 1 the
  // probability; 1 < p <= 10000 savevalue p - 1; above 10000 parameter
  // p - 10000; negative FUNCTION -p.
  std::array<real4, k_goto_limit + 1> goto_prob{};
};

// SPLIT row k (block_arg of the SPLIT block; block_opnd holds the copies:
// n >= 0 a constant, -10000 < n < 0 savevalue -n, n <= -10000 parameter
// -(n + 10000)).
struct SplitTable {
  // Serial-number parameter of the copies (0 none).
  std::array<int4, k_split_limit + 1> split_param{};
  // Block of the copies: a label code until check_split_addresses makes
  // it the block number; -i for the address function i.
  std::array<int4, k_split_limit + 1> split_target{};
};

// LET MIN/MAX row m (block_arg of the block: -m for MIN, m for MAX).
struct MinmaxTable {
  // Lowest and highest entity number; -x: the value of savevalue x.
  std::array<int4, k_minmax_limit + 1> minmax_lower{};
  std::array<int4, k_minmax_limit + 1> minmax_upper{};
  // Operand kind of the attribute compared (queue, block count, storage,
  // remaining units, savevalue, waiting count).
  std::array<int4, k_minmax_limit + 1> minmax_kind{};
  // Parameter that receives the number found.
  std::array<int4, k_minmax_limit + 1> minmax_param{};
};

// FN$MIN/FN$MAX row m (block_arg of the code-53 block).
struct Minmax2Table {
  int4 minmax2_count = 0;
  // Savevalue that receives the result.
  std::array<int4, k_minmax2_limit + 1> minmax2_dest{};
  std::array<bool, k_minmax2_limit + 1> minmax2_is_max{};
  // Two operands each: '0' the integer is the value itself, 'X' it is a
  // savevalue (a name code until expand_digit_operands numbers it).
  std::array<std::array<char, 3>, k_minmax2_limit + 1> minmax2_char{};
  std::array<std::array<int4, 3>, k_minmax2_limit + 1> minmax2_value{};
  // Entry the syntax check took for the statement being translated (0 none).
  int4 statement_entry = 0;
};

// PRINT formats: per PRINT block with C and/or D, its block number and
// decimals * 100 + field width.
struct PrintFormats {
  int4 format_count = 0;
  std::array<int4, k_print_format_limit + 1> format_block{};
  std::array<int4, k_print_format_limit + 1> format_code{};
};

// VALUT statements: the packed name of each one's savevalue.
struct ValutTable {
  int4 valut_count = 0;
  std::array<int4, k_valut_limit + 1> valut_savevalue{};
};

// The INPUT data file (the model's DEC file) and its values.
struct InputFileTable {
  bool input_file_open = false;  // open on its channel
  bool input_file_read = false;  // read to its end: read no more
  bool alt_file_flag = false;    // an alternative file is in use: not marked as read
  std::array<real4, k_input_entries + 1> input_value{};
};

// Matrix form texts (written to the model's FRM file).
struct FrameTexts {
  int4 frame_count = 0;     // texts met
  int4 frame_longest = 0;   // longest text
  bool frm_open = false;    // the FRM file was created
};

struct FlowTables {
  GotoTable go;
  SplitTable split;
  MinmaxTable mm;
  Minmax2Table mm2;
  PrintFormats pf;
  ValutTable valut;
  InputFileTable input;
  FrameTexts frame;
  // The model has ASSEMBLE blocks: families are kept at SPLIT and freed at TERMINATE.
  bool assemble_used = false;
};

// ASSEMBLE families of one run. A transaction's family rides with it as
// an integer (TxnMarks family); the record keeps its ASSEMBLE word
// position unused.
struct AssembleFamilies {
  // Members of family f absorbed so far at ASSEMBLE block a (family 0:
  // transactions that never passed a SPLIT).
  std::array<std::array<int2, k_assemble_limit + 1>, k_family_limit + 1> asm_count{};
  // Members of family f in the system: the first SPLIT's parent and every
  // copy made since, less those absorbed or terminated. The family is
  // freed when its last member leaves, in whatever order they arrive.
  std::array<int4, k_family_limit + 1> members{};
  // The family number may be given out again.
  std::array<bool, k_family_limit + 1> family_free{};
  // The free family numbers, the next one to give out last.
  std::array<int4, k_family_limit + 1> free_stack{};
  int4 free_count = 0;
};

}  // namespace kelvo
