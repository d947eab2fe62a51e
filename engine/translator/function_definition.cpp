// FUNCTION statements and their data lines. Takes the statement record
// (the FUNCTION statement, then each following line while data are
// expected); enters the function with its argument and kind, scans the
// points character by character (x,y/x,y/...), checks the x values of a
// random-number function, and reads the points of a data file.
#include "translator/function_definition.h"

#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/text_routines.h"

#include "translator/function_data.h"
#include "translator/operand_checks.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// A line whose first non-blank character can begin a number is a data line.
bool is_data_line(const Line80& l) {
  for (int c = 1; c <= k_stmt_end_col; ++c) {
    const char ch = l.at(c);
    if (ch == ' ') continue;
    return is_digit_char(ch) || ch == '.' || ch == '-';
  }
  return false;
}

// The end of the data of the current function: its points are complete.
bool finish_function(Engine& e) {
  const int f = e.cs.fnread.fn_current;
  const int n = e.cs.fnread.fn_point - 1;
  e.ent.fn.function_point_count[ix(f)] = n;
  if (e.ent.fn.fn_rn_flag[ix(f)] && n >= 1 && e.ent.fn.function_x[ix(f)][ix(n)] < 0.999999f) {
    flag_error_without_hint(e, " Highest RN value must be 1");
    return false;
  }
  return true;
}

// Stores one complete pair as point k of the current function.
bool store_pair(Engine& e, real4 x, real4 y, int4 name) {
  const int f = e.cs.fnread.fn_current;
  const int k = e.cs.fnread.fn_point;
  const int declared = e.ent.fn.fn_declared[ix(f)];
  if (k > k_function_point_limit) {
    flag_error_without_hint(e, " Too many data pairs");
    return false;
  }
  if (declared > 0 && k > declared) {
    flag_error_without_hint(e, " Too many data pairs  defined");
    return false;
  }
  if (e.ent.fn.fn_rn_flag[ix(f)]) {
    if (std::fabs(x - 1.0f) <= 0.00001f) x = 1.0f;
    if (x > 1.0f) {
      flag_error_without_hint(e, " RN value > 1");
      return false;
    }
    if (!(x > e.cs.fnread.fn_prev_x)) {
      flag_error_without_hint(e, " RN values not increasing (or < 0)");
      return false;
    }
    e.cs.fnread.fn_prev_x = x;
  }
  if (name == 0 && y == 0.0f && e.cs.fnread.fn_address_seen) {
    flag_error_without_hint(e, " Mixture of values and adresses on data line");
    return false;
  }
  if (name != 0) e.cs.fnread.fn_address_seen = true;
  e.ent.fn.function_x[ix(f)][ix(k)] = x;
  e.ent.fn.function_y[ix(f)][ix(k)] = name != 0 ? 0.0f : y;
  e.ent.fn.fn_point_name[ix(f)][ix(k)] = name;
  e.cs.fnread.fn_point = k + 1;
  return true;
}

}  // namespace

bool scan_function_pairs(Engine& e, std::string_view text, int first_col) {
  // text holds the line's columns 1..80; first_col is its first non-blank.
  auto at = [&](int c) -> char { return c >= 1 && c <= static_cast<int>(text.size()) ? text[ix(c - 1)] : ' '; };
  real4 value = 0.0f, x = 0.0f;
  real4 scale = 0.0f;  // 0: integer part; else the weight of the next fraction digit
  bool negative = false, in_y = false, have_digits = false;
  int4 name = 0;
  int c = first_col;
  auto take = [&]() {
    const real4 v = negative ? -value : value;
    value = 0.0f;
    scale = 0.0f;
    negative = false;
    have_digits = false;
    return v;
  };
  for (;; ++c) {
    const char ch = at(c);
    if (c >= k_stmt_end_col && ch != ' ') {
      flag_error_without_hint(e, " Data extend beyond column 71");
      return false;
    }
    if (is_digit_char(ch)) {
      const real4 d = static_cast<real4>(ch - '0');
      if (scale == 0.0f) {
        value = value * 10.0f + d;
      } else {
        value = value + d * scale;
        scale = scale / 10.0f;
      }
      have_digits = true;
    } else if (ch == '.') {
      scale = 0.1f;
    } else if (ch == '-') {
      negative = true;
    } else if (ch == ',') {
      x = take();
      in_y = true;
    } else if (ch == '/' || ch == ' ') {
      if (ch == ' ' && !in_y && !have_digits && name == 0) {
        // Nothing pending: the data of this line ended with the previous pair.
        break;
      }
      if (!in_y) {
        flag_error_without_hint(e, " Error in data in or prior to this line");
        return false;
      }
      const real4 y = take();
      if (!store_pair(e, x, y, name)) return false;
      name = 0;
      in_y = false;
      if (ch == ' ') break;
      if (at(c + 1) == ' ') {
        flag_error_without_hint(e, " Line must not end with /");
        return false;
      }
    } else if (in_y && is_letter(ch) && !have_digits && name == 0) {
      const int k = e.cs.fnread.fn_point;
      const int next = parse_address_function(e, e.cs.fnread.fn_current, k, c);
      if (next == 0) return false;
      name = e.ent.fn.fn_point_name[ix(e.cs.fnread.fn_current)][ix(k)];
      c = next - 1;
    } else {
      flag_error_without_hint(e, " Error in data in or prior to this line");
      return false;
    }
  }
  // After the ending blank only blanks or a '!' comment.
  for (int k = c + 1; k <= k_stmt_end_col; ++k) {
    const char ch = at(k);
    if (ch == '!') break;
    if (ch != ' ') {
      flag_error_without_hint(e, " Illegal blank in traditional data line");
      return false;
    }
  }
  return true;
}

namespace {
// A new entry of the function table under the statement's label, with
// no points yet; 0 after an error.
int enter_function(Engine& e) {
  auto& fn = e.ent.fn;
  const int4 label = e.cs.stmt.stmt_label;
  if (find_name(fn.function_name, fn.function_count, label) != 0) {
    flag_error_without_hint(e, " Function defined twice");
    return 0;
  }
  const int f = check_d_operand(e);
  if (f == 0) return 0;
  fn.function_name[ix(f)] = label;
  fn.function_kind[ix(f)] = 0;  // no kind until the B operand gives it
  fn.function_point_count[ix(f)] = 0;
  fn.fn_point_name[ix(f)].fill(0);
  fn.fn_declared[ix(f)] = 0;
  fn.fn_rn_flag[ix(f)] = false;
  fn.fn_complete[ix(f)] = false;
  auto& rd = e.cs.fnread;
  rd.fn_current = f;
  rd.fn_point = 1;
  rd.fn_prev_x = -0.0001f;
  rd.fn_address_seen = false;
  return f;
}

// The A operand (the argument) of function f; its kind without the
// indirect sign in ak. False after an error.
bool read_function_argument(Engine& e, int f, const std::string& a, int& ak) {
  auto& fn = e.ent.fn;
  if (a.empty()) {
    flag_error_without_hint(e, " A operand is compulsory");
    return false;
  }
  // A name without a class letter: an SNA was meant (FN cannot be one).
  if (is_letter(a[0]) && operand_char_class(a[0]) == opnd::constant) {
    flag_error_without_hint(e, " SNA with $, but not FN, expected as A operand");
    return false;
  }
  int kind = 0;
  int4 value = 0;
  parse_sna_operand(e, a, kind, value, false, false);
  if (e.ctl.error_reported) return false;
  ak = kind < 0 ? -kind : kind;
  if (ak == opnd::random) {
    if (value < 1 || value > k_rn_stream_max) {
      flag_error_without_hint(e, " Incorrect RN number");
      return false;
    }
    fn.fn_rn_flag[ix(f)] = true;
  } else if (ak == opnd::constant && !is_digit_char(a.back())) {
    flag_error_without_hint(e, " Integer expected at end of A operand");
    return false;
  }
  fn.function_arg_class[ix(f)] = kind;
  fn.function_arg_value[ix(f)] = value;
  return true;
}

// A B operand that names a function defined before: function f takes
// its kind and points. False when it names none.
bool copy_named_function(Engine& e, int f, const std::string& b) {
  auto& fn = e.ent.fn;
  if (b.empty() || !is_letter(b[0]) || b.size() > 6) return false;
  const int other = find_name(fn.function_name, f - 1, pack_symbol_name(e, b));
  if (other == 0) return false;
  fn.function_kind[ix(f)] = fn.function_kind[ix(other)];
  fn.function_point_count[ix(f)] = fn.function_point_count[ix(other)];
  fn.function_x[ix(f)] = fn.function_x[ix(other)];
  fn.function_y[ix(f)] = fn.function_y[ix(other)];
  fn.fn_point_name[ix(f)] = fn.fn_point_name[ix(other)];
  e.cs.pass.function_data_state = fn_data::none;
  return true;
}

// A B operand D, C or R with an optional point count (Dn, Cn), or D or C
// followed by the name of a data file: the kind of function f and where
// its points come from.
void read_function_layout(Engine& e, int f, const std::string& b, int ak) {
  auto& fn = e.ent.fn;
  const char letter = b.empty() ? 'R' : b[0];
  if (!is_letter(letter) || (letter != 'D' && letter != 'C' && letter != 'R')) {
    flag_error_without_hint(e, " Function has illegal B operand");
    return;
  }
  const std::string tail = b.size() > 1 ? b.substr(1) : std::string();
  const bool counted = !tail.empty() && tail.size() <= 2 && tail.find_first_not_of("0123456789") == std::string::npos;
  if (!tail.empty() && !counted) {
    // Any other B operand names the data file.
    if (letter == 'R') {
      flag_error_without_hint(e, " Function has illegal B operand");
      return;
    }
    fn.function_kind[ix(f)] = letter == 'C' ? fnk::continuous : fnk::discrete;
    read_function_file(e, b);
    return;
  }
  int n = 0;
  if (counted) n = tail.size() == 1 ? tail[0] - '0' : 10 * (tail[0] - '0') + (tail[1] - '0');
  if (letter == 'R') {
    if (counted) {
      flag_error_without_hint(e, " Function has illegal B operand");
      return;
    }
    if (ak != opnd::random) {
      flag_error_without_hint(e, " A operand is not RNj, but B operand blank or R");
      return;
    }
    fn.function_kind[ix(f)] = fnk::discrete;
    e.cs.pass.function_data_state = fn_data::rn_open;
    return;
  }
  if (n > k_function_point_limit) {
    flag_error_without_hint(e, " Function has too many pairs");
    return;
  }
  fn.fn_declared[ix(f)] = n;
  fn.function_kind[ix(f)] = letter == 'D' ? fnk::discrete : fnk::continuous;
  e.cs.pass.function_data_state = n == 0 ? fn_data::simple : fn_data::lines;
}
}  // namespace

void check_function_b_operand(Engine& e, int f, std::string_view b) {
  // FUNCTION X$arg,V$name: called as FN$f(value), the function puts the
  // value into savevalue arg and gives the value of expression name.
  const std::string_view name = b.substr(2);
  int4 arg = 0;
  if (name.empty() || name.size() > 6 || !is_letter(name[0]) ||
      name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") != std::string_view::npos) {
    flag_error_without_hint(e, " Incorrect B operand of function");
    return;
  }
  if (!savevalue_number(e, e.ent.fn.function_arg_value[ix(f)], arg)) return;
  e.ent.fn.function_kind[ix(f)] = k_expression_function_kind;
  e.expr.ref_arg[ix(f)] = arg;
  e.expr.fn_expression_name[ix(f)] = pack_symbol_name(e, name);
  e.cs.pass.function_data_state = fn_data::none;
}

void check_function_statement(Engine& e) {
  auto& fn = e.ent.fn;
  const std::string a = operand_string(e, 1);
  if (!a.empty() && upcased(a[0]) == 'V') {
    const std::string rest = a.size() > 2 && a[1] == '$' ? a.substr(2) : a.substr(1);
    if (!rest.empty() && rest.find_first_not_of("0123456789") == std::string::npos && std::stoi(rest.substr(0, 6)) < 1000) {
      flag_error_without_hint(e, " Expression not allowed as A operand");
      return;
    }
  }
  const int f = enter_function(e);
  if (f == 0) return;
  if (e.ctl.cdl_file_present) {
    // A compact listing of its data lines starts empty.
    auto& pass = e.cs.pass;
    pass.cdl_line.clear();
    pass.cdl_length = 0;
    pass.cdl_ready = false;
  }
  int ak = 0;
  if (!read_function_argument(e, f, a, ak)) return;
  std::string b = operand_string(e, 2);
  for (char& ch : b) ch = upcased(ch);
  if (b == "EXPO" || b == "NORM") {
    if (ak != opnd::random) {
      flag_error_without_hint(e, " A operand is not RNj, but B operand blank or R");
      return;
    }
    fn.function_kind[ix(f)] = b == "EXPO" ? fnk::exponential : fnk::normal;
    e.cs.pass.function_data_state = fn_data::none;
    return;
  }
  if (int kind = 0; check_name_letters(b, kind)) {
    // RLNGd and TRAId: an Erlang or triangular variate of the stream; an
    // Erlang variate needs at least one phase.
    if (kind == fnk::erlang_base) {
      flag_error_without_hint(e, " Function has illegal B operand");
      return;
    }
    if (ak != opnd::random) {
      flag_error_without_hint(e, " A operand is not RNj, but B operand blank or R");
      return;
    }
    fn.function_kind[ix(f)] = kind;
    e.cs.pass.function_data_state = fn_data::none;
    return;
  }
  if (b.size() > 2 && b[0] == 'V' && b[1] == '$') {
    if (ak != opnd::savevalue) flag_error_without_hint(e, " X$name expected as A operand");
    else check_function_b_operand(e, f, b);
    return;
  }
  if (copy_named_function(e, f, b)) return;
  read_function_layout(e, f, b, ak);
}

namespace {

// A point's address name at column c: a first character, two letters,
// then up to three letters or digits, ended by a blank or '/'. Returns
// the column after it, 0 when the column holds no name.
int read_function_point_name(const Line80& l, int c, std::string& name) {
  name.clear();
  if (!is_letter(l.at(c)) || !is_letter(l.at(c + 1)) || !is_letter(l.at(c + 2))) return 0;
  int k = c;
  while (k <= k_stmt_end_col && (is_letter(l.at(k)) || is_digit_char(l.at(k)))) {
    if (name.size() == 6) return 0;  // a seventh character: no name
    name += upcased(l.at(k));
    ++k;
  }
  return l.at(k) == ' ' || l.at(k) == '/' ? k : 0;
}

// The point's value after the name: from the next non-blank column (up to
// 70) digits and '.' only, at most 9 characters, ended by '/' or a blank.
// Returns the column of the ending character, 0 when there is no value,
// -1 when the value is longer than its field.
int read_function_point_number(const Line80& l, int c, real4& value) {
  while (c <= 70 && l.at(c) == ' ') ++c;
  if (c > 70 || !(is_digit_char(l.at(c)) || l.at(c) == '.')) return 0;
  std::string text;
  for (; l.at(c) != ' ' && l.at(c) != '/'; ++c) {
    if (!(is_digit_char(l.at(c)) || l.at(c) == '.')) return 0;
    text += l.at(c);
  }
  if (text.size() > 9) return -1;
  double v[1] = {0.0};
  if (io::read_list_reals(text, v, 1) != 1) return 0;
  value = static_cast<real4>(v[0]);
  return c;
}

}  // namespace

bool parse_function_data_line(Engine& e) {
  const Line80& l = e.cs.stmt.stmt_line;
  int first = 1;
  while (first <= k_stmt_end_col && l.at(first) == ' ') ++first;
  if (is_data_line(l)) {
    scan_function_pairs(e, l.cols(1, 80), first);
    return true;
  }
  // Named points: NAME value[/NAME value ...]. A line whose name is not
  // followed by a value is no data line (a statement with a label).
  std::string name;
  int c = read_function_point_name(l, first, name);
  if (c == 0) return false;
  real4 x = 0.0f;
  int end = read_function_point_number(l, c, x);
  if (end == 0) return false;
  for (;;) {
    if (end < 0) {
      flag_error_without_hint(e, " Error in simple data line");
      return true;
    }
    name.resize(6, ' ');
    if (!store_pair(e, x, 0.0f, pack_symbol_name(e, name))) return true;
    e.ent.fn.address_function_defined = true;
    if (l.at(end) != '/') return true;
    c = read_function_point_name(l, end + 1, name);
    end = c == 0 ? -1 : read_function_point_number(l, c, x);
    if (end == 0) end = -1;
  }
}

void parse_function_data(Engine& e) {
  auto& state = e.cs.pass.function_data_state;
  const Line80& l = e.cs.stmt.stmt_line;
  if (state == fn_data::lines) {
    int first = 1;
    while (first <= k_stmt_end_col && l.at(first) == ' ') ++first;
    if (first > k_stmt_end_col) {
      flag_error_without_hint(e, " Error in data in or prior to this line");
      return;
    }
    if (!scan_function_pairs(e, l.cols(1, 80), first)) return;
    const int f = e.cs.fnread.fn_current;
    if (e.cs.fnread.fn_point - 1 >= e.ent.fn.fn_declared[ix(f)]) {
      state = fn_data::none;
      finish_function(e);
    }
    return;
  }
  // Open count: the data end at the first line that is no data line,
  // which is then translated as a statement.
  if (parse_function_data_line(e)) return;
  state = fn_data::none;
  if (e.cs.fnread.fn_point <= 1) {
    flag_error_without_hint(e, e.ent.fn.function_kind[ix(e.cs.fnread.fn_current)] == fnk::continuous
                       ? " Error in simple data line or parameter storage list does not start with 1"
                       : " Error in simple data line");
    return;
  }
  if (finish_function(e)) state = fn_data::ended;
}

void read_function_file(Engine& e, std::string_view operand) {
  const int f = e.cs.fnread.fn_current;
  const int unit = e.ctl.unit_base + io::offset::data_file;
  std::string name(operand.substr(0, 6));
  if (!io::Channels::exists(name)) {
    e.ch.write(io::k_console_out, io::Rec().lit(" Give name of file for function ").lit(unpack_name_chars(e, e.ent.fn.function_name[ix(f)]).view()));
    std::string typed;
    if (e.ch.read_line(io::k_console_in, typed) == io::ReadStatus::ok) name = std::string(trim_blanks(typed.substr(0, 125)));
  }
  if (name.empty() || !io::Channels::exists(name) || !e.ch.open_read(unit, name)) {
    flag_error_without_hint(e, " Function file does not exist");
    return;
  }
  std::string first;
  if (e.ch.read_line(unit, first) != io::ReadStatus::ok) first.clear();
  const char c = first.empty() ? ' ' : upcased(first[0]);
  bool frequencies = false;
  if (c == 'D' || c == 'C') {
    e.ent.fn.function_kind[ix(f)] = c == 'D' ? fnk::discrete : fnk::continuous;
  } else if (is_digit_char(c) || c == ' ' || c == '.') {
    frequencies = true;
    e.ent.fn.function_kind[ix(f)] = fnk::discrete;
    const int w = open_warning_unit(e);
    e.ch.write(w, " *********WARNING***************** ");
    e.ch.write(w, "Frequency distribution assumed");
    e.ch.write(w, " Result output might hence be misleading");
    // The first line is already a pair: read the file again from its start.
    e.ch.rewind(unit);
  } else {
    e.ch.close(unit);
    flag_error_without_hint(e, " Illegal character on line 1, col. 1 in file");
    return;
  }
  int count = 0;
  if (!read_function_pairs(e, unit, k_function_point_limit, count)) return;
  store_function_column(e, f, count, frequencies);
}

}  // namespace kelvo
