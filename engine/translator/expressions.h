// Expressions of a model: the compiler that turns an expression text into
// one row of the compiled expression tables, the rewrites it makes first
// (boolean tests, the power operator, parenthesised parts, function
// calls), the references to functions, and the linking of the compiled
// items to entity numbers at the end of translation.
#pragma once

#include <string>
#include <string_view>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// ---- expression_compiler.cpp
// The name of an expression written as operand d (1..8) of the current
// statement: statement number * 10 + d.
int4 inline_expression_name(Engine& e, int d);
// Compiles the expression in columns start .. start + length - 1 of the
// statement line. d = 0: the VALUEOF statement (named by its label);
// otherwise operand d of the statement, whose mark becomes V and whose
// value the expression's name. control_let: a LET before the first
// GENERATE, whose terms may only be savevalues. Returns the expression's
// number, 0 after the statement error.
int parse_expression_def(Engine& e, int start, int length, int d, bool control_let);
// The same for an expression text built by the caller.
int compile_expression_text(Engine& e, std::string_view text, int d, bool control_let);
// Splits a flattened text into items and stores them as expression x.
// False after the statement error.
bool tokenize_expression(Engine& e, std::string_view text, int x, bool control_let);
// A call FN$name(argument) whose argument is in temporary slot `slot`:
// a function entry of its own, whose name no name of the model can
// equal. Returns its number; 0 when the name is not called with an
// argument (the statement error is then set).
int check_function_ref(Engine& e, std::string_view name, int slot);
// A name of a built-in attribute (EXPO, NORM, RLNGd, TRAId) becomes a
// function of its own (created at its first use); true with its number.
bool define_expression_ref(Engine& e, int4 name, int& number);
// The built-in arithmetic function called `name` (upper case): its code
// 5..19, 0 when there is none.
int builtin_function_code(std::string_view name);
// Expression x holds an item that reads a parameter (kind 11 or an
// indirect kind) or the priority (kind 12); never while the current
// block is an ADVANCE, which may read both.
bool scan_operand_row(const Engine& e, int x);

// ---- expression_rewrites.cpp
// Boolean tests (NAME=U), (NAME=NE) ... become terms of the entity's
// attributes. False after the statement error.
bool parse_valueof(Engine& e, std::string& text);
// Every power operator (^ or ") of the text is rewritten by
// rewrite_power_operator. False after the statement error.
bool parse_quote_caret(Engine& e, std::string& text);
// The pair from column `from` to column `to` (0-based, inclusive) of the
// text, left operand, operator at `op`, right operand, becomes
// (fn$exp(right*fn$log(left))). False when the result would pass the
// expression text's length.
bool rewrite_power_operator(std::string& text, std::size_t from, std::size_t op, std::size_t to);
// IF work text: appends the difference term (left-right)* of two operand
// texts; false after the statement error (too long, RN with a stream).
bool insert_sign_paren(Engine& e, std::string& work, std::string_view left, std::string_view right);
// Appends a text to the IF work text; refuses RNj and a work text of 160
// characters or more.
bool check_if_statement_size(Engine& e, std::string& work, std::string_view text);

// ---- expression_links.cpp
// Names in compiled items (kinds 2 to 9) become entity numbers, and the
// functions defined by an expression are linked to it.
void scan_block_rows(Engine& e, int n);
void pack_kind2_names(Engine& e);
// The value operands of the LET rows become entity numbers.
void map_operand_refs(Engine& e);

}  // namespace kelvo
