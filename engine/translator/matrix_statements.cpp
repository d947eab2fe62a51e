// Matrix statements at compile time. Takes the statement line (MATRIX
// statements, LET X$name=MX(r,c)) and the model's lines after END;
// produces the calls of the matrix programs in the line, the matrix
// filled from the data lines and the model's menu file (MNU), or the
// statement error.
#include <algorithm>
#include <cfloat>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/text_routines.h"
#include "translator/matrix_graph_statements.h"
#include "translator/operand_checks.h"
#include "translator/translator.h"

namespace kelvo {

bool check_matrix_statement(Engine& e, int p) {
  const Line80& l = e.cs.stmt.stmt_line;
  // A longer word is another operation.
  if (l.at(p + 6) != ' ') return false;
  int o = p + 6;
  while (o <= k_stmt_end_col && l.at(o) == ' ') ++o;
  if (o <= k_stmt_end_col && l.at(o) == '\'') {
    // A text for the matrix form comes first: once written, it gives way
    // to the operands after its comma.
    if (!read_frame_texts(e, o)) return false;
    int next = o;
    while (next <= k_stmt_end_col && l.at(next) == ' ') ++next;
    if (next <= k_stmt_end_col && l.at(next) == ',') ++next;
    splice_statement_line(e, o, "", next);
  }
  const char c = up_at(l, o);
  const bool call = c == 'X' || c == ',' || is_digit_char(c);
  const bool integer_form = c == 'I' && up_at(l, o + 1) == 'N';
  if (o > k_stmt_end_col || (!call && !integer_form)) {
    flag_error_without_hint(e, " MATRIX with no or incorrect operand");
    return false;
  }
  // MATRIX becomes HELP and two blanks, so the operands keep their
  // columns until MATIN is put in front of them.
  splice_statement_line(e, p, "HELP  ", p + 6);
  int from = o;
  if (integer_form) {
    // The IN word gives way to MATIN; its operands follow.
    while (from <= k_stmt_end_col && l.at(from) != ',' && !blank_or_bang(l.at(from))) ++from;
    if (!splice_operand_field(e, o, "MATIN", from)) return false;
    e.mat.integer_first_row = true;
  } else if (!splice_operand_field(e, o, "MATIN,", o)) {
    return false;
  }
  e.cs.stmt.stmt_op = label_entry(bc::special);
  e.cs.syn.operand_check_due = true;
  return true;
}

bool check_mx_expression(Engine& e, int s, int eq) {
  const Line80& l = e.cs.stmt.stmt_line;
  auto bad = [&] {
    flag_error_without_hint(e, " Illegal expression in MX(");
    return false;
  };
  int t = s + 3;
  while (t < eq && l.at(t) == ' ') ++t;
  const std::string target(l.cols(t, eq - 1));
  if (target.size() < 3 || upcased(target[0]) != 'X' || target[1] != '$' || target.find(' ') != std::string::npos) {
    return bad();
  }
  // MX( r , c ): two operands without blanks, then nothing but a comment.
  const int open = eq + 3;
  int close = open + 1;
  while (close <= k_stmt_end_col && l.at(close) != ')' && !blank_or_bang(l.at(close)) && l.at(close) != '(') ++close;
  if (close > k_stmt_end_col || l.at(close) != ')' || !blank_or_bang(l.at(close + 1))) return bad();
  const std::string args(l.cols(open + 1, close - 1));
  const auto comma = args.find(',');
  if (comma == std::string::npos || comma == 0 || comma + 1 >= args.size() ||
      args.find(',', comma + 1) != std::string::npos) {
    return bad();
  }
  const std::string call = "HELP MATUT," + args + "," + target;
  if (s + static_cast<int>(call.size()) - 1 > k_stmt_end_col) return bad();
  splice_statement_line(e, s, call, close + 1);
  e.cs.syn.mx_form_flag = true;
  e.cs.stmt.stmt_op = label_entry(bc::special);
  // The matrix a model reads from has rows in its menu file.
  e.mat.menu_file_wanted = true;
  return true;
}

namespace {
// A run of digits, '-' and '.' as a number: the whole part before the
// first '.' (a '-' among it makes the value negative), then at most four
// decimals. A value beyond single precision is held at its largest.
real4 data_number(std::string_view run) {
  double whole = 0.0;
  bool negative = false;
  std::size_t i = 0;
  for (; i < run.size() && run[i] != '.'; ++i) {
    if (run[i] == '-') negative = true;
    else whole = whole * 10.0 + (run[i] - '0');
  }
  double fraction = 0.0, weight = 0.1;
  int used = 0;
  for (++i; i < run.size() && used < 4; ++i) {
    if (!is_digit_char(run[i])) continue;
    fraction += (run[i] - '0') * weight;
    weight /= 10.0;
    ++used;
  }
  const double v = std::min(whole + fraction, static_cast<double>(FLT_MAX));
  return static_cast<real4>(negative ? -v : v);
}

bool is_number_char(char c) { return is_digit_char(c) || c == '-' || c == '.'; }

// Characters of one number on a data line.
constexpr int k_data_number_len = 8;

// The statement error of a data line, which the report shows.
void data_line_error(Engine& e, const Line80& line, std::string_view message) {
  clear_statement_error_state(e);
  e.ctl.current_statement = line;
  flag_error_without_hint(e, message);
}

// Stores the numbers of one data line as row r; false after an error.
bool store_data_line(Engine& e, const Line80& line, int r) {
  auto& m = e.mat;
  if (r > k_matrix_rows) {
    data_line_error(e, line, io::Rec().lit(" Number of rows of matrix exceeds ").i(k_matrix_rows, 4).str());
    return false;
  }
  int c = 0;
  for (int x = 1; x <= Line80::size;) {
    if (!is_number_char(line.at(x))) {
      ++x;
      continue;
    }
    // A number has at most 8 characters; a longer run goes on as the next.
    const int start = x;
    while (x <= Line80::size && x - start < k_data_number_len && is_number_char(line.at(x))) ++x;
    if (++c > k_matrix_cols) {
      data_line_error(e, line, io::Rec().lit(" Column number of matrix exceeds ").i(k_matrix_cols, 3).str());
      return false;
    }
    m.matrix_data[ix(c)][ix(r)] = data_number(line.cols(start, x - 1));
  }
  m.matrix_cols = std::max(m.matrix_cols, c);
  m.matrix_rows = r;
  for (int x = 1; x <= 76; ++x) {
    const char ch = line.at(x);
    if (!is_digit_char(ch) && ch != '.' && ch != ' ' && ch != '\t') {
      data_line_error(e, line, " Illegal characters after END");
      return false;
    }
  }
  return true;
}
}  // namespace

void read_data_after_end(Engine& e, std::string_view first, int list_line) {
  const int model = e.ctl.unit_base;
  const int menu = e.ctl.unit_base + io::offset::menu;
  bool menu_open = false;
  std::string text(first);
  int r = 0;
  for (;;) {
    const Line80 line(text);
    if (line.at(1) == '#') break;
    if (line.is_blank()) {
      if (r > 0) break;
      if (list_line > 0) e.ch.write(e.rep.out_unit, io::Rec().x(6).lit(line.cols(1, 68)).i(list_line, 3));
    } else {
      if (!store_data_line(e, line, ++r)) break;
      if (!menu_open) menu_open = open_or_delete_file(e, menu, model_file_name(e, "MNU"));
      e.ch.write(menu, text);
    }
    if (e.ch.read_line(model, text) != io::ReadStatus::ok) break;
  }
  if (menu_open) e.ch.close(menu);
}

}  // namespace kelvo
