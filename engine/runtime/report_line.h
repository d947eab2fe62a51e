// The report line: PRINT output and report rows are built column by
// column in the 78-column `out_line` and written in one piece. Takes
// characters, integers and reals with their field widths; produces the
// line on the current output channel (with the front-end and animation
// diversions).
#pragma once

#include <string_view>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

void check_line_room(Engine& e, int col);
void put_char1(Engine& e, char c);
void put_chars2(Engine& e, std::string_view t);
void put_chars6(Engine& e, std::string_view t);
void put_int_field(Engine& e, int4 n, int w);
void put_real_field(Engine& e, real4 x, int w, int d);
void put_mil_suffix(Engine& e);
int digit_count(int4 n);
void flush_report_line(Engine& e);
// Under the front end: opens the PRINT result file (made anew by the
// first PRINT output of the process) unless it is open.
void open_print_result_file(Engine& e);

}  // namespace kelvo
