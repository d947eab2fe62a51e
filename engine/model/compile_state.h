// The statement record (the statement being read and translated) and the
// state of one translation pass: counters, flags and the values that the
// syntax check hands to the operand checks. Owned by the translator;
// reset_compile_state clears it before each pass over the model.
#pragma once

#include <array>

#include "io/fixed_text.h"
#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Column positions of the statement's fields (16-bit words), set by the
// syntax check; all 0 at the start of each pass over a statement.
struct StmtFields {
  // Length of the first word as the label scan found it (0 = no label).
  int2 first_word_len = 0;
  // Operation start column and length (2..9 when accepted).
  int2 op_start = 0;
  int2 op_len = 0;
  // Length 1..3 of a short third field; 0 or negative = none.
  int2 third_len = 0;
  // Operand start columns and lengths, A..H = 1..8. A quoted text that is
  // the only operand has its column count plus 60 as length.
  std::array<int2, 9> opnd_start{};
  std::array<int2, 9> opnd_len{};
};

// The statement record.
struct StatementRecord {
  // The current line, columns 1..80. Statement reader; per line.
  Line80 stmt_line;
  // Entry of label_op_names the statement begins with (1..23), 11 special,
  // 100 rewritten INPUT. Label scan; left as it was when none applies.
  int4 stmt_op = 0;
  StmtFields stmt_fields;
  // Packed code of each operand's text after its class prefix, A..H = 1..8. Operand lexer.
  std::array<int4, 9> operand_value{};
  // Class mark per operand: blank, class letter, lower case for '*', 'V' expression. Operand lexer.
  std::array<char, 9> operand_text{};
  // Packed label, operation word and third field. Operand lexer.
  int4 stmt_label = 0;
  int4 stmt_op_word = 0;
  int4 third_field_code = 0;  // Packed with the label as the statement record keeps it; nothing reads it.
};

// Values the syntax check sets for the operand checks (one statement).
struct SyntaxValues {
  // Column of the '!' of the inline comment; k_stmt_end_col when only
  // blanks follow the operation; else 0.
  int4 comment_col = 0;  // Recorded with the statement's other columns; nothing reads it.
  // Last column of the operand field.
  int4 last_operand_col = 0;  // Recorded with the statement's other columns; nothing reads it.
  // Last column operands may use: k_stmt_end_col, lowered before an inline comment.
  int4 operand_end_col = k_stmt_end_col;
  // Start column of the first word. Kept by the pass.
  int4 first_word_col = 0;
  // The operand field ends with a comma (PRINT keeps its line open).
  bool print_line_open = false;
  // Fourth character of a four-letter word beginning with L (LET+ LET-), else blank.
  char let_sign_char = ' ';
  // The LET was rewritten into the SELECT form moved 3 columns right.
  bool let_select_flag = false;
  // The SELECT statement is in its P form; outlives its statement.
  bool minmax_p_form = false;
  // N (MIN) or X (MAX) of a SELECT statement.
  char minmax_letter = ' ';
  // 2, or 1 when a CAPACITY operand is written 10^9.
  int4 default_capacity_word = 2;
  // Flags set by other statement checks and cleared once per syntax check.
  bool priority_form_flag = false;
  bool fn_minmax_flag = false;  // Set when a LET holds FN$MIN or FN$MAX; nothing reads it.
  bool mx_form_flag = false;
  int4 trace_form_code = 0;  // 1 HELP TRACE, 2 HELP TROFF, set by its check; nothing reads it.
  // The operand checks ask rewrite_statement to leave the line alone.
  bool no_rewrite_mark = false;
  // The pass rewrote the statement's assignment into operand form itself
  // (a LET or IF whose value it compiled); the LET syntax leaves it alone.
  // Translation pass; false before each statement.
  bool assignment_rewritten = false;
  // A check of the label_op_names entry in stmt_op is still to run.
  bool operand_check_due = false;
  // The statement is listed by the pass (cleared by the CAPACITY check, which lists itself).
  bool list_statement = true;
  // Label found by the label scan: its column (0 = none).
  int4 label_col = 0;
  // The statement is listed with this text instead of its line (a LET
  // rewritten for console input is listed as the modeller wrote it).
  bool listing_text_set = false;
  Line80 listing_text;
};

// Counters and flags of one translation.
struct PassState {
  // Model lines taken into the statement loop.
  int4 line_count = 0;
  // Lines read before the loop (a mark-only first line) for the correction's line number.
  int4 lines_before_loop = 0;
  // Block code of the current statement (0 before each statement).
  int4 block_code = 0;
  // run_count of translate_program: runs SIMULATE asks for (0 = none met).
  int4 run_count = 0;
  // Experiment run number: 1 plain run or first alternative.
  int4 experiment_run_number = 1;
  // Listing on (the listing switch of the pass).
  bool listing_on = true;
  // A GENERATE block has been defined (check_flag).
  bool check_flag = false;
  // Counters shared by the block and control-statement steps.
  int4 start_count = 0;
  int4 seeds_count = 0;
  int4 minmax_count = 0;
  int4 goto_count = 0;
  int4 split_count = 0;
  int4 assemble_count = 0;
  bool simulate_seen = false;
  bool end_seen = false;
  bool is_block = false;
  // Function-data state: 0 none, 1..3 data lines expected, negative at the last one.
  int4 function_data_state = 0;
  // Storage number from a '.'-line STORAGE statement.
  int4 storage_number_hint = 0;
  // The compact listing of FUNCTION data lines ("zwxyq.cdl"): the listing
  // line being filled and its length, and the text held back for the next
  // one once it was handed out (cdl_ready).
  FixedText<70> cdl_line;
  int4 cdl_length = 0;
  Line80 cdl_pending;
  bool cdl_ready = false;
  // First-line options.
  bool input_echo_flag = false;
  bool seed_option_flag = false;
  FixedText<17> matrix_title;  // The matrix files take the model's name instead; nothing reads it.
  // A marker card was seen on the first line.
  bool marker_card_seen = false;
  // The last '!' line and its line number (START placement check).
  Line80 last_bang_line;
  int4 last_bang_line_no = 0;
  // PRINT bookkeeping: the last PRINT kept its line open; a PRINT names an entity.
  bool last_print_open = false;
  bool print_names_entity = false;
  // A block operand is an SNA (map_block_a_operands).
  bool sna_operand_used = false;
  // Parameter-given entities (linking of parameter stations and queues).
  bool param_entity_flag = false;
  bool param_queue_flag = false;
  bool station_by_number = false;
  bool param_station_queue_flag = false;
  bool queue_entry_param_flag = false;
  int4 param_station_block = 0;
  // RESET: plain RESET seen, RESET with A > 1 seen, its A value.
  bool plain_reset_flag = false;
  bool reset_with_a_flag = false;
  int4 reset_a_value = 0;  // Recorded as the statement check reads the RESET operand; nothing reads it.
  // A LET asks a savevalue's value on the console (LET X$name=INPUT).
  bool console_input_mark = false;  // Set with report_flag, which does the work; nothing reads it.
  // A PREEMPT sends its pre-empted holder to PREEM: (the removal address).
  bool removal_address_used = false;
  // A PREEMPT names in C the block its pre-empted holders go to; linked
  // by the end-of-program checks. Translator; false at reset.
  bool preempt_address_used = false;
  // The pass is between a SPLIT and the ASSEMBLE after it (an ASSEMBLE
  // set), and a SPLIT, GOTO or IF branches inside such a set.
  bool assemble_set_mark = false;
  bool branch_in_assemble = false;
  // The model holds an ASSEMBLE and a SPLIT block.
  bool has_assemble = false;
  // An entry block with the try operand (ENTER or SEIZE ...,TRY): its
  // transactions carry the result word.
  bool try_entry_seen = false;
  bool has_split = false;
};

// Reading of a FUNCTION's points (its data lines or data file).
struct FunctionReading {
  // Point-reading buffers of a data file. FUNCTION data files.
  std::array<real4, k_function_point_limit + 1> fn_buf_x{};
  std::array<real4, k_function_point_limit + 1> fn_buf_y{};
  // Function whose data lines are being read, and the next point's index. FUNCTION statement.
  int4 fn_current = 0;
  int4 fn_point = 0;
  // x of the previous point of an RN function (-0.0001 before the first). FUNCTION data.
  real4 fn_prev_x = -0.0001f;
  // A point of the current function named an address. FUNCTION data.
  bool fn_address_seen = false;
};

// Flags of one translation that the statement reader, the packed names and
// the diagnostics read while it runs, and the run-time reads after it.
struct TranslationFlags {
  // The translation pass is running: packed-name errors are compile errors.
  bool compiling = false;
  // The end-of-program checks have begun: a statement report stops the engine.
  bool stop_after_error = false;
  // A name PREEM: was offered for packing (read by PREEMPT at run time).
  bool preem_name_seen = false;
  // Missing names are checked later (the look-up stays silent).
  bool deferred_check_flag = false;
  // Data lines follow END.
  bool data_after_end_flag = false;
  // Listing conversion state of a result listing read back as a model.
  bool second_listing_flag = false;
  // Third letter of an FN$MAx/FN$MIn name met by the look-up.
  char minmax_function_char = ' ';  // Noted as the look-up meets the name; nothing reads it.
};

struct CompileState {
  StatementRecord stmt;
  SyntaxValues syn;
  PassState pass;
  // Packed operation words searched by the label checks (23 entries).
  std::array<int4, 24> label_op_names{};
  FunctionReading fnread;
  TranslationFlags flags;
};

}  // namespace kelvo
