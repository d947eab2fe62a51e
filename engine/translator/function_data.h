// FUNCTION data files and address functions: reading a function's
// points from a data file, turning frequencies into a cumulative
// distribution, storing the points, reading block-address names on data
// lines and resolving them to block numbers once the model is
// translated.
#pragma once

#include <string_view>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Reads up to `declared` (x, y) pairs from the open data file on `unit`,
// one pair per record, into the point buffers; the number read is
// returned in `count`. False after a compile error.
bool read_function_pairs(Engine& e, int unit, int declared, int& count);
// y(1..n) become cumulative fractions of their sum; false (and a compile
// error) when the sum is 0 or less.
bool cumulate_frequencies(Engine& e, int n);
// Stores the n buffered points into function f's column; frequency data
// are cumulated first.
bool store_function_column(Engine& e, int f, int n, bool frequencies);
// Reads the address name that starts at column `col` of the statement
// line as the y of point k of function f; returns the column after it,
// or 0 after a compile error.
int parse_address_function(Engine& e, int f, int k, int col);
// After translation: links the function arguments named by entity names
// and resolves the address names of every function.
void link_function_arguments(Engine& e);
// Replaces function f's address names by their block numbers.
void resolve_function_addresses(Engine& e, int f);
// The index where a search of function f's points starts (fn_first_point).
void index_function_points(Engine& e, int f);

}  // namespace kelvo
