// Field writers over the 78-column report line and its flush with the
// front-end and animation diversions. The writers build their columns by
// hand, digit by digit.
#include "runtime/report_line.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "model/engine.h"
#include "runtime/run_errors.h"
#include "support/output_files.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

void place(Engine& e, int col, char c) {
  if (col >= 1 && col <= k_out_line_cols) e.rep.out_line[static_cast<std::size_t>(col)] = c;
}

// Digits of a non-negative value (1 for 0).
int plain_digits(std::int64_t v) {
  int k = 1;
  while (v >= 10) {
    v /= 10;
    ++k;
  }
  return k;
}

}  // namespace

void check_line_room(Engine& e, int col) {
  if (col > k_out_line_written) run_error(e, " Printing extends beyond column 79");
}

void put_char1(Engine& e, char c) {
  check_line_room(e, e.rep.out_col + 1);
  place(e, ++e.rep.out_col, c);
}

void put_chars2(Engine& e, std::string_view t) {
  check_line_room(e, e.rep.out_col + 2);
  for (int i = 0; i < 2; ++i) place(e, ++e.rep.out_col, i < static_cast<int>(t.size()) ? t[static_cast<std::size_t>(i)] : ' ');
}

void put_chars6(Engine& e, std::string_view t) {
  check_line_room(e, e.rep.out_col + 6);
  for (int i = 0; i < 6; ++i) place(e, ++e.rep.out_col, i < static_cast<int>(t.size()) ? t[static_cast<std::size_t>(i)] : ' ');
}

void put_mil_suffix(Engine& e) {
  for (char c : std::string_view(" MIL")) put_char1(e, c);
}

int digit_count(int4 n) {
  int p = 1;
  std::int64_t a = 1;
  for (int i = 0; i < 9; ++i) {
    a *= 10;
    if (n < a) break;
    ++p;
  }
  return p;
}

void put_int_field(Engine& e, int4 n_in, int w) {
  ReportState& r = e.rep;
  const bool mil = r.million_mode;
  const int k = digit_count(n_in);
  if (w > 10) w = 10;
  if (mil && k == 6) w = 7;
  if (!mil && w < k) run_error(e, " Too few positions for integer. Too many decimals?");
  if (n_in > 9999999) w = mil ? k + 1 : 9;
  char sign = ' ';
  std::int64_t n = n_in;
  if (n < 0) {
    sign = '-';
    n = -n;
  }
  if (n >= 1000000000) run_error(e, " Number too large");
  // A value whose digits (and sign) do not fit is shown in a wider field,
  // never with digits cut or run together.
  const int need = plain_digits(n) + (sign == '-' ? 1 : 0);
  if (w < need) w = need;
  if (w < 1) w = 1;
  int lead = (!mil && w > 8) ? w - 8 : 0;
  check_line_room(e, r.out_col + lead + w);
  for (int i = 0; i < lead; ++i) place(e, ++r.out_col, ' ');
  std::int64_t div = 1;
  for (int i = 1; i < w; ++i) div *= 10;
  bool leading = true;
  const int base = r.out_col;
  for (int pos = 1; pos <= w; ++pos) {
    const int digit = static_cast<int>(n / div);
    n %= div;
    div /= 10;
    if (leading && digit == 0 && pos < w) {
      place(e, base + pos, ' ');
      continue;
    }
    if (leading) {
      leading = false;
      if (pos > 1) place(e, base + pos - 1, sign);
    }
    place(e, base + pos, static_cast<char>('0' + digit));
  }
  r.out_col += w;
  check_line_room(e, r.out_col);
  r.million_mode = false;
}

void put_real_field(Engine& e, real4 x, int w, int d) {
  ReportState& r = e.rep;
  const int i = w - d - 1;
  // From 1.0E9 on either side of 0 the value is written in millions: a
  // PRINT does not end the run because its value is large.
  if (x >= 1.0e9f || x <= -1.0e9f) {
    r.million_mode = true;
    const int4 millions = trunc_i32(std::fabs(x) / 1.0e6f + 1.0e-5f);
    put_int_field(e, x < 0.0f ? -millions : millions, i - 1);
    r.million_mode = false;
    put_mil_suffix(e);
    return;
  }
  r.million_mode = false;
  // The value rounded at its last decimal, half away from zero. A float
  // times a power of ten up to 10^9 is exact in double, so this rounds
  // the value itself; the integer part and the decimals come from the
  // one rounded number and always agree. The whole numbers stay in double
  // until they are split: a conversion of one above 32 bits to an integer
  // would take the x87 unit on a 32-bit build.
  int4 unit = 1;
  for (int k = 0; k < d; ++k) unit *= 10;
  const real8 scaled = std::round(std::fabs(static_cast<real8>(x)) * unit);
  const real8 whole_part = std::floor(scaled / unit);
  const bool negative = x < 0.0f && scaled != 0.0;
  const int4 whole = trunc_i32(whole_part);
  if (whole != 0 || !negative) {
    put_int_field(e, negative ? -whole : whole, i);
  } else {
    check_line_room(e, r.out_col + (i > 2 ? i : 2));
    for (int k = 0; k < i - 2; ++k) place(e, ++r.out_col, ' ');
    place(e, ++r.out_col, '-');
    place(e, ++r.out_col, '0');
  }
  put_char1(e, '.');
  check_line_room(e, r.out_col + d);
  int4 fraction = trunc_i32(scaled - whole_part * unit);
  for (int4 u = unit / 10; u >= 1; u /= 10) {
    place(e, ++r.out_col, static_cast<char>('0' + fraction / u));
    fraction %= u;
  }
}

void open_print_result_file(Engine& e) {
  ReportState& r = e.rep;
  if (!r.result_file_open && !e.ch.is_open(r.prog_unit) && open_or_delete_file(e, r.prog_unit, name_result_file(e)))
    r.result_file_open = true;
}

void flush_report_line(Engine& e) {
  ReportState& r = e.rep;
  bool remembered = false;
  int saved = e.rep.out_unit;
  if (e.ctl.java_mode && !e.ctl.auto_animation_flag) {
    remembered = true;
    // Under the front end the report lines go to the model's result file.
    open_print_result_file(e);
    e.rep.out_unit = e.rep.prog_unit;
  }
  int unit = e.rep.out_unit;
  if (e.ctl.auto_animation_flag) unit = io::k_atf_unit;
  std::string text(" ");
  text.append(r.out_line.data() + 1, k_out_line_written);
  e.ch.write(unit, text);
  if (remembered && !r.atf_program_flag) e.rep.out_unit = saved;
  if (e.rep.out_unit != io::k_console_out) {
    if (r.report_flag) r.console_echo = true;
    if (r.console_echo) e.ch.write(io::k_console_out, text);
  }
  r.out_line.fill(' ');
  r.out_col = 0;
}

}  // namespace kelvo
