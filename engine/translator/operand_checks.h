// Small operand checks the statement checks share: names, digits, the
// D-operand count, the EXPERI and INPUT statement rewrites, VALUT, the
// INPUT data file and its table, and the matrix form texts.
#pragma once

#include <string_view>

#include "io/fixed_text.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// The statement line rewritten from column `from`: `text`, then what
// stood from column rest_from on (columns past 80 are dropped).
void splice_statement_line(Engine& e, int from, std::string_view text, int rest_from);
// `text` written from column p, followed by the operand field that stood
// from column o (up to its first blank or '!') and the rest of the line;
// false after " A operand too long" when the operands would pass the last statement column.
bool splice_operand_field(Engine& e, int p, std::string_view text, int o);
// The statement has at least one operand; false after " Operand
// required".
bool check_operand_required(Engine& e);
// A queue or AD-set name must begin with three letters (flagged otherwise).
bool check_name_three_letters(Engine& e, int4 name);
// The default axis name a GRAPH operand of one digit stands for: TIME
// for 1 and 2, blanks otherwise.
Text6 select_name_by_digit(char digit);
// One more statement with a D operand (a FUNCTION entry): its number, or
// 0 after " Too many functions or IF blocks with D operand".
int check_d_operand(Engine& e);
// The value of a name's leading digits added to value.
void name_digits_value(Engine& e, int4 name, int4& value);
// FUNCTION B operand RLNGd (Erlang of d phases): 20 + d; TRAId
// (triangular of mode d/10): 30 + d. False for other words.
bool check_name_letters(std::string_view word, int& code);
// A storage operand above the numbered stations is a savevalue.
void raise_kind_if_over(const Engine& e, int& kind, int4 value);
// EXPERI X$name,... and INPUT X$name,... (the word at column p) become
// calls of the built-in program: HELP EXPERI,... and HELP INPUT,...
bool experi_operand_error(Engine& e, int p);
// The operand-kind word of the INPUT rewrite (7), or 0 after the error.
int rewrite_input_statement(Engine& e, int p);
// One more VALUT statement for the savevalue name; false after " Too many
// VALUT statements".
bool add_valut_statement(Engine& e, int4 name);
// The model's DEC file opened as the INPUT data file when it exists.
void open_input_data_file(Engine& e);
// The INPUT data file read into the INPUT table (once, to its end).
void read_input_file(Engine& e);
// The INPUT table entry that a block's C operand selects (1..100); any
// other C stops the engine.
real4 check_input_block(Engine& e, int c);
// A matrix form text that opens with the apostrophe at column col: at
// most 30 characters, written to the model's FRM file (not under the
// front end) and blanked in the line. False after its message.
bool read_frame_texts(Engine& e, int col);

}  // namespace kelvo
