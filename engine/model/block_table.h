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
inline constexpr int if_form = 20;         // IF form made by the IF compile
inline constexpr int goto_form = 21;       // GOTO form made by the GOTO compile
inline constexpr int seeds = 22;
inline constexpr int print = 23;
inline constexpr int end_run = 24;      // ends one run of a series
inline constexpr int reset = 25;
inline constexpr int priority = 26;
inline constexpr int let = 27;
inline constexpr int spare_control = 28;  // a control statement that does nothing
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
inline constexpr int let_param_form = 39;  // LET to a parameter, made by a check
inline constexpr int let_expression = 40;  // IF or LET with an expression
inline constexpr int let_form = 41;        // LET form made by the LET compile
inline constexpr int if_test_form = 42;    // IF form made by the IF compile
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

// What a block code stands for in a model.
enum class StatementClass : int {
  none,     // no code (entry 0)
  block,    // a block statement: an entry of the block table
  control,  // a control statement: never an entry of the block table
  form,     // a form that a statement check makes; written in a model it
            // is not an operation
};

// The properties of a block code, read by the translator (the word it is
// recognised and listed by, its class, its place among the words the
// label checks search), the dispatcher (whether this version has its
// routine) and the reports (the word a block count prints).
struct BlockCodeInfo {
  int code;
  const char* word;      // statement word (at most 6 characters, unique)
  StatementClass cls;
  int label_entry;       // entry 1..23 of label_op_names, 0 = not searched by label
  bool runnable;         // the dispatcher has this block's routine
};

// ORDER: one entry per block code, in the order of the codes.
inline constexpr std::array<BlockCodeInfo, bc::count + 1> k_block_codes = {{
    {0, "", StatementClass::none, 0, false},
    {bc::advance, "ADVANC", StatementClass::block, 0, true},
    {bc::depart, "DEPART", StatementClass::block, 19, true},
    {bc::end, "END", StatementClass::control, 1, false},
    {bc::enter, "ENTER", StatementClass::block, 16, true},
    {bc::function, "FUNCTI", StatementClass::control, 0, false},
    {bc::valueof, "FVARIA", StatementClass::control, 0, false},
    {bc::waitif_station, "WAITST", StatementClass::block, 9, true},
    {bc::generate, "GENERA", StatementClass::block, 0, true},
    {bc::leave, "LEAVE", StatementClass::block, 13, true},
    {bc::preempt, "PREEMP", StatementClass::block, 0, true},
    {bc::qtable, "QTABLE", StatementClass::control, 23, false},
    {bc::queue, "QUEUE", StatementClass::block, 14, true},
    {bc::release, "RELEAS", StatementClass::block, 0, true},
    {bc::return_, "RETURN", StatementClass::block, 20, true},
    {bc::seize, "SEIZE", StatementClass::block, 15, true},
    {bc::simulate, "SIMULA", StatementClass::control, 0, false},
    {bc::start, "START", StatementClass::control, 7, false},
    {bc::storage, "STORAG", StatementClass::control, 0, false},
    {bc::terminate, "TERMIN", StatementClass::block, 0, true},
    {bc::if_form, "IFFORM", StatementClass::form, 10, true},
    {bc::goto_form, "GOFORM", StatementClass::form, 0, true},
    {bc::seeds, "SEEDS", StatementClass::control, 8, false},
    {bc::print, "PRINT", StatementClass::block, 4, true},
    {bc::end_run, "ENDRUN", StatementClass::control, 2, false},
    {bc::reset, "RESET", StatementClass::control, 3, false},
    {bc::priority, "PRIORI", StatementClass::block, 0, true},
    {bc::let, "LET", StatementClass::block, 12, true},
    {bc::spare_control, "SPARE", StatementClass::control, 0, false},
    {bc::assemble, "ASSEMB", StatementClass::block, 0, true},
    {bc::select, "SELECT", StatementClass::block, 21, true},
    {bc::split, "SPLIT", StatementClass::block, 5, true},
    {bc::table, "TABLE", StatementClass::control, 6, false},
    {bc::tabulate, "TABULA", StatementClass::block, 0, true},
    {bc::special, "HELP", StatementClass::block, 11, true},
    {bc::arrive, "ARRIVE", StatementClass::block, 18, true},
    {bc::let_param, "LET", StatementClass::block, 0, true},
    {bc::goto_, "GOTO", StatementClass::block, 17, true},
    {bc::if_, "IF", StatementClass::block, 0, true},
    {bc::let_param_form, "LETPRM", StatementClass::form, 0, true},
    {bc::let_expression, "IF", StatementClass::block, 0, true},
    {bc::let_form, "LETFRM", StatementClass::form, 0, true},
    {bc::if_test_form, "IFTEST", StatementClass::form, 0, true},
    {bc::waitif, "WAITIF", StatementClass::block, 22, true},
    {bc::preempt_after_priority, "PREEMP", StatementClass::form, 0, true},
    {bc::print_open, "PRINT", StatementClass::form, 0, true},
    {bc::waitif_retest, "WAITIF", StatementClass::form, 0, true},
    {bc::print_attribute, "PRINT", StatementClass::form, 0, true},
    {bc::print_attribute_open, "PRINT", StatementClass::form, 0, true},
    {bc::let_minmax, "LET", StatementClass::form, 0, true},
    {bc::let_priority, "LET", StatementClass::form, 0, true},
    {bc::let_priority_plus, "LET", StatementClass::form, 0, true},
    {bc::let_priority_minus, "LET", StatementClass::form, 0, true},
    {bc::let_minmax_run, "LET", StatementClass::form, 0, true},
}};

// The entries of label_op_names (1..23): the statement words the label
// checks search.
inline constexpr int k_label_entries = 23;

// The properties of a code; entry 0 (no code) for a code outside 1..53.
constexpr const BlockCodeInfo& block_code_info(int code) {
  return k_block_codes[static_cast<std::size_t>(code >= 1 && code <= bc::count ? code : 0)];
}

namespace block_codes_check {
constexpr bool in_code_order() {
  for (int i = 0; i <= bc::count; ++i) {
    if (k_block_codes[static_cast<std::size_t>(i)].code != i) return false;
  }
  return true;
}
constexpr bool label_entries_unique() {
  for (int n = 1; n <= k_label_entries; ++n) {
    int found = 0;
    for (const auto& info : k_block_codes) found += info.label_entry == n ? 1 : 0;
    if (found != 1) return false;
  }
  return true;
}
constexpr bool words_fit() {
  for (const auto& info : k_block_codes) {
    int n = 0;
    while (info.word[n] != '\0') ++n;
    if (n > 6) return false;
  }
  return true;
}
}  // namespace block_codes_check
static_assert(block_codes_check::in_code_order(), "k_block_codes lists the codes in order");
static_assert(block_codes_check::label_entries_unique(), "each label_op_names entry names one code");
static_assert(block_codes_check::words_fit(), "statement words have at most 6 characters");
static_assert(bc::searched < bc::count && block_code_info(bc::searched).code == bc::waitif);

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

  // A PREEMPT block of either form is in the model.
  bool has_preempt() const {
    for (int b = 1; b <= block_count; ++b) {
      const int code = block_op[static_cast<std::size_t>(b)];
      if (code == bc::preempt || code == bc::preempt_after_priority) return true;
    }
    return false;
  }
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
