// Checks of the blocks that choose, copy and merge transactions (GOTO,
// SPLIT, ASSEMBLE), of LET MIN/MAX in its three forms and FN$MIN/FN$MAX,
// of PRINT and TABULATE, and of the START, TRACE and MATUT operands; the
// linking of their addresses and names after END.
#pragma once

#include <string_view>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// ---- other_blocks.cpp: the block checks (define_block calls them)
void check_goto_block(Engine& e);
void check_split_block(Engine& e);
void check_assemble_block(Engine& e);
// Codes 30 (SELECT written as such) and 49 (a LET rewritten into SELECT).
void check_let_minmax_block(Engine& e);
// A LET whose value is FN$MIN(a,b) or FN$MAX(a,b): the block of code 53
// takes the entry the syntax check made; operand A names the savevalue.
void check_fn_minmax_block(Engine& e);
void check_tabulate_block(Engine& e);
// A probability written .ddd, 0.ddd, 1 or 1.0. `taken` is false for an
// operand of another form (left to the caller). False after the error.
bool check_probability_operand(Engine& e, std::string_view text, real4& value, bool& taken);
// Address functions: -i for FUNCTION i with named addresses; false after
// the error (no such function, or none with named addresses).
bool check_named_function(Engine& e, int4& operand);
// A FUNCTION named in a B operand: its number.
bool find_function_number(Engine& e, int4 name, int& number);

// ---- other_blocks.cpp: the LET forms of the syntax check
// At the '=' in column p of a LET: FN$MIN(a,b) or FN$MAX(a,b) as the whole
// value takes a row of the FN$MIN/MAX table, marks the block to come as
// code 53 and blanks the argument list. True when it did.
bool parse_fn_minmax(Engine& e, int p);
// LET Pj=MIN(cn,cm) / MAX(...) from the operation at column s: rewritten
// as SELECT Pj,cn,cm (three operands, the operand field moved 3 columns
// right). True when it was rewritten.
bool parse_minmax_list(Engine& e, int s);
// LET X$name=S...: the value of a storage, S$name or S*j, as the first
// term; false after " Illegal operands in LET block".
bool check_let_operands(Engine& e, int s);
// Both, in the order of the syntax check, for a LET whose operation word
// starts at column s. True when the statement became the SELECT form.
bool scan_let_minmax_forms(Engine& e, int s);

// ---- other_blocks.cpp: statement operands
// The A operand of START and SIMULATE: an integer constant (an X$ name
// of the EXPERI input may stand there). False after " A operand must be
// integer constant", or with no report when it is no number at all.
bool parse_int_a_operand(Engine& e, int4& value);
// TRACE ON / TRACE OFF (operation at column s): rewritten as the special
// statement HELP TRACE / HELP TROFF; trace_form_code 1 (ON) or 2 (OFF).
// False after " TRACE with no or incorrect operand".
bool parse_trace_operand(Engine& e, int s);
// MATUT: the row (B) and column (C) operands; a savevalue operand gives
// its initial value, rounded. False after the error.
bool check_matut_statement(Engine& e, int u, int4& value);
bool check_matut_operands(Engine& e, int4& row, int4& column);

// ---- flow_linking.cpp: after END
// GOTO addresses to block numbers; false after "  =  address missing".
bool check_block_addresses(Engine& e);
// SPLIT addresses to block numbers; false after the message.
bool check_split_addresses(Engine& e);
// Named PRINT attributes to entity numbers.
void check_print_sna_refs(Engine& e);
// FN$MIN/FN$MAX operands: constants to values, savevalue names to numbers.
void expand_digit_operands(Engine& e);
// LET MIN/MAX over queues needs queues. False after the error.
bool check_minmax_queues(Engine& e);
// The internal words of the transaction record, after the user
// parameters, each when the model needs it: the try stations' result,
// the transaction number, the trace number and the ASSEMBLE word (the
// last word of the record).
void reserve_internal_words(Engine& e);
// SPLIT addresses, PRINT names, the ASSEMBLE word, LET MIN/MAX queues and
// FN$MIN/FN$MAX operands, in the order of the end-of-program checks.
// False after an error.
bool link_flow_blocks(Engine& e);

}  // namespace kelvo
