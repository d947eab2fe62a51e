// FUNCTION definitions: the FUNCTION statement and the data lines that
// follow it. Takes the statement record; enters the function (name,
// argument, kind, declared points) and stores its points in the
// function tables, or reads them from a data file.
#pragma once

#include <string_view>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// What the lines after a FUNCTION statement are (function_data_state).
namespace fn_data {
inline constexpr int ended = -1;   // the data ended before this line: translate it
inline constexpr int none = 0;     // no data expected
inline constexpr int lines = 1;    // traditional lines, count declared
inline constexpr int rn_open = 2;  // RN function, count open
inline constexpr int simple = 3;   // simple data lines, count open
}  // namespace fn_data

// Checks a FUNCTION statement, enters the function and sets the
// function-data state for the lines that follow.
void check_function_statement(Engine& e);
// The kind of a function defined by an expression (B operand V$name): it
// is called with an argument only.
inline constexpr int4 k_expression_function_kind = -1;
// FUNCTION X$arg,V$name for function f (B operand b, upper case): the
// savevalue that takes the argument and the expression, linked at the end
// of translation.
void check_function_b_operand(Engine& e, int f, std::string_view b);
// Reads one data line (the statement line) of the current function.
// Leaves the state negative when the line is no data line and is to be
// translated as a statement.
void parse_function_data(Engine& e);
// Reads one simple data line (open count); false when the line holds no
// data.
bool parse_function_data_line(Engine& e);
// Reads the points of the current function from the file named by its B
// operand (or on the console).
void read_function_file(Engine& e, std::string_view name);

// Packing of one pair list: the scanner of traditional data lines,
// shared with the tests. Reads pairs from `text` (columns from 1) into
// the current function; returns false after a statement error.
bool scan_function_pairs(Engine& e, std::string_view text, int first_col);

}  // namespace kelvo
