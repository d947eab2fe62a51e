// Routines of the model translator, grouped by the file that holds them.
// The translator takes the model's statement lines and produces the block,
// operand and entity tables of the Engine; errors go through the
// diagnostics in the fixed compile-error layout.
#pragma once

#include <string>
#include <string_view>

#include "io/fixed_text.h"
#include "model/block_table.h"
#include "model/numbers.h"
#include "support/text_routines.h"

namespace kelvo {

struct Engine;

// The entry of a block code among the statement words the label checks
// search (label_op_names, and stmt_op of a statement that begins with
// one); 0 for a code they do not search.
constexpr int label_entry(int code) { return block_code_info(code).label_entry; }

// ---- operation_names.cpp: packed operation words and the block code
void init_stat_slots(Engine& e);
void copy_label_op_names(Engine& e);
// The block code of the current statement's operation word (0 on error).
int check_operation_name(Engine& e, int code);
// Packed 6-character operation word from the statement's operation field.
int4 packed_operation_word(Engine& e);

// ---- syntax_check.cpp: statement form and field columns
// The character in column c of a statement line, in upper case.
inline char up_at(const Line80& l, int c) { return upcased(l.at(c)); }
// A blank or the '!' that begins a comment.
inline bool blank_or_bang(char c) { return c == ' ' || c == '!'; }
void check_statement_syntax(Engine& e, bool& label_known);
void check_capacity_def(Engine& e, int s);
bool check_select_statement(Engine& e, int s);
void rewrite_minmax_p_form(Engine& e, int s);
void decimal_comma_hint(Engine& e);

// ---- address_label.cpp: address or operation as the first word
int check_address_label(Engine& e, int& label_col, bool& label_known);
// The address/operation hint lines of a compile error on the channel.
void write_address_hint(Engine& e, int channel);
void check_short_address(Engine& e, int q, int p, int& op_col, bool& found);
void count_statement_words(Engine& e, int p, int q, int& count, bool& second_is_op);
bool is_operation_word(Engine& e, int end, int start);
bool check_waitif_let_qtable(Engine& e);
// Whether a packed word is one the label checks search (stmt_op then
// holds its entry and its operand check is to run).
void find_label_check_entry(Engine& e, int4 packed_word);

// ---- operand_forms.cpp: operand lexing, SNA terms, numbers, parameter names
// Operand mark of a decimal constant already entered in decimal_value
// (the operand value is then its index).
inline constexpr char k_mark_decimal = '.';
void scan_operands(Engine& e);
// Columns of operand u (1..8) in the line: start and length (text
// operands without their +60). Length 0 = empty.
int operand_start(Engine& e, int u);
int operand_length(Engine& e, int u);
std::string operand_string(Engine& e, int u);
int operand_char_class(char c);
void parse_sna_operand(Engine& e, std::string_view term, int& kind, int4& value, bool temporaries_allowed,
                       bool control_let);
bool expect_constant_or_sna(Engine& e, char mark, int4 code, int& kind, int4& value);
void set_block_operand_code(Engine& e);
bool parse_param_operand(Engine& e, char mark, int block_code, int4 code, int4& result);
// Reads a signed decimal number of up to 9 characters into decimal_value;
// false (and a statement error) when malformed or the table is full.
bool parse_digits(Engine& e, std::string_view text, int4& index);
bool read_number_operand(Engine& e, std::string_view text, real4& value);
bool check_decimal_count(Engine& e, real4 value, int4& index);
bool check_parameter_name(Engine& e, int4 name, int& number);
bool check_param_mixing(Engine& e, int number, bool by_name);
bool register_parameter_name(Engine& e, int number, std::string_view tail);
void scan_param_names(Engine& e);
bool is_param_or_rn_operand(char c1, char c2, char c3);
// The word PRIORITY (either case) as an operand.
bool is_priority_keyword(std::string_view word);
bool append_named_savevalue(Engine& e, int4 name, int4& number);
// The number of the named savevalue `name`, the name appended when it is
// new; false after " Too many savevalues".
bool savevalue_number(Engine& e, int4 name, int4& number);
bool reject_sna_type(Engine& e, int u);
bool split_label_field(Engine& e, int4 code);
bool is_b_operand_expression(Engine& e);
bool read_numeric_operand(Engine& e, int u, int4& value);

// ---- block_definition.cpp: the block table entries
void define_block(Engine& e);
bool add_queue_or_ad_set(Engine& e, int4 name);
void check_depart_block(Engine& e);
void check_terminate_block(Engine& e);
// PRINT: the operand check gives a value v and an argument a, which
// store_print_operands keeps with the PRINT's own block code (an open line, an
// attribute, an attribute on an open line).
void define_print_block(Engine& e);
void store_print_operands(Engine& e, int4 v, int4 a);

// ---- time_operands.cpp: GENERATE and ADVANCE
bool check_time_operands(Engine& e, real4 row[5]);
void check_advance_block(Engine& e, const real4 row[5]);
void check_generate_block(Engine& e, const real4 row[5]);
// A GENERATE C operand that names a definition (V$name): true when the
// definition is one constant that is not negative, its value in `value`.
// An operand with an operator is refused with a statement error; any
// other operand is left to the caller.
bool c_operand_check(Engine& e, std::string_view field, int4 name_code, real4& value);

// ---- station_checks.cpp: station and queue blocks
void check_preempt_block(Engine& e);
void check_seize_release_block(Engine& e);
bool check_seize_operand(Engine& e, int code, int station);
bool register_implicit_queue(Engine& e, int station);
void check_a_operand_name_use(Engine& e);
bool error_no_b_operand(Engine& e);
void warn_release_without_seize(Engine& e, int block);
bool check_d_operand_list(Engine& e);
// An ADVANCE block records the facility its transaction holds (the last
// SEIZE or PREEMPT of its segment not given back before it), so that a
// PREEMPT can find the holder there.
void record_held_station(Engine& e, int b);

// ---- storage_definitions.cpp: numbered and named storages
void define_storages(Engine& e, int n, int4 capacity);
void check_storage_defs(Engine& e, int m);
void allocate_server_number(Engine& e, int4 name);
void check_storage_capacity(Engine& e, int4 name);
// Numbered storage n defined after a gap: the storages left out take the
// capacity of the '.' line before it, or of the storage before the gap.
// False after " Illegal ." (nothing left out).
bool add_numbered_stations(Engine& e, int n, int4 capacity);

// ---- control_statements.cpp: SIMULATE, START, RESET, END, CAPACITY, LET, SEEDS
void compile_control_statement(Engine& e);
void check_seeds_statement(Engine& e);
// Seed rows of a series of n runs: runs 1..n in pairs that share their
// seeds (an experiment's two alternatives), or runs 2..n each its own;
// then the run steps of the series (setup_experi_runs).
void init_run_seeds(Engine& e, int n);
void init_run_tables(Engine& e, int n);
// The run steps, START counts and report switches of runs 2..n of a
// series after the model's own (run 1): the end of the run before and a
// START, or with two_phase_runs the end, START, RESET, START.
void setup_experi_runs(Engine& e, int n);
void check_capacity_statement(Engine& e);
void parse_let_control(Engine& e, int4 name);
void set_start_report_switch(Engine& e, int n);
// LET X$name=INPUT (savevalue operand from column `from`, '=' at column
// `eq`): refused under EXPERI and the front end; on the console the
// statement becomes the special statement LETSA, which asks the value.
void rewrite_let_input(Engine& e, int from, int eq);
// A control statement gives a named savevalue its initial value: the name
// must be new. False after " Savevalue already initialized" or a full
// table; n is its number.
bool initialize_named_savevalue(Engine& e, int4 name, int4& n);

// ---- experi_constants.cpp: X$ operands read as constants
// What an X$ operand read as a constant stands for. The operands that
// may take the EXPERI invalue have a slot each; below generate_c the
// operand reads as the savevalue's initial value, from it on as the
// savevalue's number.
namespace x_use {
inline constexpr int plain = 1;       // a count or number of a control statement
inline constexpr int capacity = 2;    // CAPACITY (STORAGE) A
inline constexpr int generate_d = 4;  // GENERATE D: creation limit
inline constexpr int generate_c = 5;  // GENERATE C: first creation time
inline constexpr int generate_e = 6;  // GENERATE E: priority
inline constexpr int goto_b = 7;      // GOTO B
}  // namespace x_use
// The value of X$name as a constant of the given use; false when no
// savevalue of that name was initialised before. The first operand of
// each use that names the EXPERI invalue savevalue is recorded.
bool patch_experi_constant(Engine& e, int4 name, int use, int4& value);
// Operand u as a constant: a number, or an X$ constant; with mode above
// 1 a value of 0 or less is refused (false).
bool check_experi_constant_use(Engine& e, int u, int4& value, int mode);
// The named savevalue with this name code (index from 1); false when none.
bool find_savevalue_by_name(Engine& e, int4 name, int& index);

// ---- program_end.cpp: end-of-program checks and linking
void check_program_end(Engine& e);
// A word that holds the name code of an entity (operand kinds queue to
// waiting, whose numbers are also the entity classes) becomes the
// entity's number (a missing name gives the class's message); words of
// other kinds are numbers and stay.
void link_entity_word(Engine& e, int kind, int4& word);

// ---- translation_pass.cpp: the whole pass, listing and correction
void translate_program(Engine& e, int4& run_count);
// Empties every table a translation fills (the block table and its
// statement words, the entity and expression tables, the statement record
// and the pass state): before each pass over the model.
void reset_compile_state(Engine& e);
std::string name_result_file(Engine& e);
void handle_program_listing(Engine& e, int unit);
void listing_pager(Engine& e, int n);
// Replaces line n of the model file (the file a link points to) by the
// typed line, keeping every other byte, the line ends and the file's
// permissions; false after " Use editor for change" when it cannot.
bool edit_program_line(Engine& e, int n, const Line80& typed);
// Operands that START, LET, SPLIT and TABLE must have, and the operand
// checks of WAITIF, QTABLE and LET MIN/MAX that the label check asked
// for. True: the statement is in error.
bool check_start_let_operands(Engine& e);
// Under automatic animation an EX card becomes a LET of its value.
void handle_ex_card(Engine& e);
// The warning pair for a model with ASSEMBLE and no SPLIT.
void warn_assemble_without_split(Engine& e);

// ---- other_blocks.cpp: PRINT and the other block checks
bool check_print_block(Engine& e, int4& v, int4& a);

// ---- experi_statement.cpp: the EXPERI statement
// Whether the model holds an EXPERI statement in its first 30 lines; its
// operands are stored for the experiment driver. Every error in the
// statement is reported with the statement and stops the engine.
bool parse_experi(Engine& e);
// The characters of columns from..to of the line as an unsigned decimal
// integer; a non-digit gives " Only constants allowed here" (false).
bool read_experi_integer(Engine& e, int4& value, const Line80& line, int from, int to);


}  // namespace kelvo
