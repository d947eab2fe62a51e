// The EXPERI statement: before translation the model file is read by
// itself (on the model channel, independent of the translation pass) to
// find an EXPERI statement in its first 30 lines. Its operands
// X$in,X$out,alternatives,low,high,runs[,L] are stored for the experiment
// driver; every error in them is reported with the statement and stops.
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

std::string upper_word_at(const Line80& line, int& col) {
  while (col <= 71 && line.at(col) == ' ') ++col;
  std::string word;
  for (int k = col; k <= 80 && line.at(k) != ' ' && line.at(k) != ','; ++k) {
    char ch = line.at(k);
    upcase_char(ch);
    word += ch;
  }
  return word;
}

// The column after EXPERI when the line is an EXPERI statement (or HELP
// EXPERI), else 0.
int experi_word_end(const Line80& line) {
  int col = 1;
  std::string word = upper_word_at(line, col);
  if (col > 71) return 0;
  if (word == "HELP") {
    col += 4;
    word = upper_word_at(line, col);
    if (col >= 61) return 0;
  }
  if (word != "EXPERI") return 0;
  return col + 6;
}

// The statement becomes the one shown with the report.
void show_statement(Engine& e, const Line80& line) {
  e.ctl.current_statement = line;
  e.ctl.error_reported = false;
  e.ctl.hint_flag = false;
}

// The earlier lines as plain messages, the last one as the statement
// error with the statement; then the engine stops.
[[noreturn]] void experi_error(Engine& e, const Line80& line, std::initializer_list<std::string_view> lines,
                               bool with_pause) {
  show_statement(e, line);
  const std::string_view* last = lines.end() - 1;
  for (const std::string_view* m = lines.begin(); m != last; ++m) write_error_message(e, *m);
  flag_error_without_hint(e, *last);
  if (with_pause) stop_program(e);
  stop_now(e);
}

[[noreturn]] void syntax_error(Engine& e, const Line80& line) {
  experi_error(e, line, {" File does not have an EXPERI statement", " or there is a syntax error in this statement"},
               false);
}

[[noreturn]] void point_error(Engine& e, const Line80& line, int field) {
  const io::Rec last = io::Rec().lit(" Illegal . in operand ").i(field, 2);
  const std::string text = last.str();
  experi_error(e, line,
               {" File does not have an EXPERI statement", " or there is a syntax error in this statement", text},
               false);
}

[[noreturn]] void short_name_error(Engine& e, const Line80& line) {
  experi_error(e, line, {" Error in EXPERI statement", " Savevalue must have at least 3 letters"}, false);
}

// The first comma in columns from..to of the field, 0 when none.
int comma_in(const Line80& f, int from, int to) {
  for (int c = from; c <= to; ++c)
    if (f.at(c) == ',') return c;
  return 0;
}

// A savevalue operand X$name in columns from..comma-1: its name code.
int4 savevalue_operand(Engine& e, const Line80& line, const Line80& f, int from, int comma) {
  if (upcased(f.at(from)) != 'X' || f.at(from + 1) != '$') syntax_error(e, line);
  return pack_symbol_name(e, f.cols(from + 2, comma - 1));
}

// A number of the statement (low or high value); a bad number is
// reported by the number reader, then " EXPERI" and the stop.
real4 experi_number(Engine& e, const Line80& line, const Line80& f, int from, int to) {
  real4 v = 0.0f;
  show_statement(e, line);
  if (to < from || read_number_operand(e, trim_blanks(f.cols(from, to)), v)) return v;
  write_error_message(e, " EXPERI");
  stop_now(e);
}

// The integer operand in columns from..to (field number for the '.'
// message); a non-digit stops after " Only constants allowed here".
int4 experi_integer(Engine& e, const Line80& line, const Line80& f, int from, int to, int field) {
  for (int c = from; c <= to; ++c)
    if (f.at(c) == '.') point_error(e, line, field);
  int4 v = 0;
  show_statement(e, line);
  if (!read_experi_integer(e, v, f, from, to)) stop_now(e);
  return v;
}

// Reads the operand field (the columns from `start` on) of an EXPERI line.
void read_experi_operands(Engine& e, const Line80& line, int start) {
  auto& x = e.ent.experi;
  while (start <= 80 && line.at(start) == ' ') ++start;
  Line80 f;
  for (int c = start; c <= 80; ++c) f.set(c - start + 1, line.at(c));
  // A: the invalue savevalue, its comma in columns 6 to 9 (or 10).
  if (f.at(4) == ',' || f.at(5) == ',') short_name_error(e, line);
  int c1 = comma_in(f, 6, 9);
  if (c1 == 0) {
    if (f.at(10) != ',' || comma_in(f, 1, 3) != 0) syntax_error(e, line);
    c1 = 10;
  }
  if (comma_in(f, 1, 3) != 0) syntax_error(e, line);
  const int4 in_name = savevalue_operand(e, line, f, 1, c1);
  // B: the outvalue savevalue, its comma 6 to 9 columns after A's.
  if (f.at(c1 + 4) == ',' || f.at(c1 + 5) == ',') short_name_error(e, line);
  const int c2 = comma_in(f, c1 + 6, c1 + 9);
  if (c2 == 0 || comma_in(f, c1 + 1, c1 + 3) != 0) syntax_error(e, line);
  const int4 out_name = savevalue_operand(e, line, f, c1 + 1, c2);
  // C: the alternatives, at most 6 characters.
  const int c3 = comma_in(f, c2 + 1, c2 + 7);
  if (c3 == 0) syntax_error(e, line);
  const int4 alternatives = experi_integer(e, line, f, c2 + 1, c3 - 1, 4);
  if (alternatives <= 0) syntax_error(e, line);
  // D and E: the lowest and highest invalue.
  const int c4 = comma_in(f, c3 + 1, 80);
  if (c4 == 0) syntax_error(e, line);
  const int c5 = comma_in(f, c4 + 1, 80);
  if (c5 == 0) syntax_error(e, line);
  const real4 low = experi_number(e, line, f, c3 + 1, c4 - 1);
  const real4 high = experi_number(e, line, f, c4 + 1, c5 - 1);
  if (alternatives == 1 && std::fabs(high - low) > 1.0e-6f) {
    experi_error(e, line, {" With 1 alternative: low value = high value"}, true);
  }
  if (alternatives > 1 && low == high) experi_error(e, line, {" More than 1 alternative and low = high value"}, true);
  // F: the runs, at most 6 characters ended by '!', ',' or a blank.
  int end = 0;
  for (int c = c5 + 1; c <= c5 + 7 && end == 0; ++c)
    if (f.at(c) == '!' || f.at(c) == ',' || f.at(c) == ' ') end = c;
  if (end == 0) syntax_error(e, line);
  const int4 runs = experi_integer(e, line, f, c5 + 1, end - 1, 7);
  if (runs > k_max_runs) experi_error(e, line, {" Too many runs demanded"}, true);
  if (runs <= 0) experi_error(e, line, {" Number of runs must be positive integer"}, true);
  // L: only the last run's result is shown.
  if (f.at(end) == ',') {
    for (int c = end + 1; c <= end + 5; ++c)
      if (upcased(f.at(c)) == 'L') x.last_result_only = true;
  }
  x.experi_stmt_alternatives = alternatives;
  x.experi_stmt_low = low;
  x.experi_stmt_high = high;
  x.experi_stmt_runs = runs;
  x.invalue_name = in_name;
  x.result_name = out_name;
}

}  // namespace

bool read_experi_integer(Engine& e, int4& value, const Line80& line, int from, int to) {
  value = 0;
  std::int64_t v = 0, scale = 1;
  for (int c = to; c >= from; --c) {
    const char ch = line.at(c);
    if (!is_digit_char(ch)) {
      flag_error_without_hint(e, " Only constants allowed here");
      return false;
    }
    v += (ch - '0') * scale;
    scale *= 10;
  }
  value = static_cast<int4>(v);  // at most 7 digits
  return true;
}

bool parse_experi(Engine& e) {
  e.ent.experi.last_result_only = false;
  if (e.ctl.auto_animation_flag) return false;
  const int unit = e.ctl.unit_base;
  if (!e.ch.open_read(unit, e.ctl.program_file_name.trimmed())) return false;
  std::string text;
  for (int n = 1; n <= k_experi_scan_lines; ++n) {
    if (e.ch.read_line(unit, text) != io::ReadStatus::ok) break;
    const Line80 line(text);
    if (n == 1 || line.at(1) == '*' || line.at(1) == '!') continue;
    const int after = experi_word_end(line);
    if (after == 0) continue;
    e.ch.close(unit);
    read_experi_operands(e, line, after + 1);
    return true;
  }
  e.ch.close(unit);
  return false;
}

}  // namespace kelvo
