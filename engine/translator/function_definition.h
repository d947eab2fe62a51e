// FUNCTION definitions: the FUNCTION statement and the data lines that
// follow it. Takes the statement record; enters the function (name,
// argument, kind, declared points) and stores its points in the
// function tables, or reads them from a data file.
#pragma once

#include <string_view>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Checks a FUNCTION statement, enters the function and sets the
// function-data state for the lines that follow.
void check_function_statement(Engine& e);
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
// Position + 4 of a code in the 16-entry operand-code row (12 gives 11,
// 20 gives 12); 0 when absent.
int find_operand_kind(const int4* row, int4 code);

// Packing of one pair list: the scanner of traditional data lines,
// shared with the tests. Reads pairs from `text` (columns from 1) into
// the current function; returns false after a statement error.
bool scan_function_pairs(Engine& e, std::string_view text, int first_col);

}  // namespace kelvo
