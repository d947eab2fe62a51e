// Address or operation as the first word of a statement: decides from the
// first word, the number of words and a few operation words whether a
// statement begins with a label, reads the A operand of RESET, records
// which label-check entry the statement begins with, and writes the
// address/operation hint lines of a compile-error report.
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"

#include "support/packed_names.h"

#include "support/text_routines.h"
#include "translator/matrix_graph_statements.h"
#include "translator/operand_checks.h"
#include "translator/other_blocks.h"
#include "translator/special_statements.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// A short word beginning with M after a first word that ends in CT.
bool is_select_form(const Line80& l, int p, int q) {
  int s2 = q + 1;
  while (s2 <= k_stmt_end_col && l.at(s2) == ' ') ++s2;
  int end = s2;
  while (end <= k_stmt_end_col && l.at(end) != ' ') ++end;
  return q - p >= 2 && end - s2 <= 3 && up_at(l, s2) == 'M' && up_at(l, q - 2) == 'C' && up_at(l, q - 1) == 'T';
}

int4 pack_word(Engine& e, const Line80& l, int from, int to) {
  char w[6];
  for (int i = 0; i < 6; ++i) w[i] = from + i <= to ? up_at(l, from + i) : ' ';
  return pack_symbol_name(e, std::string_view(w, 6));
}
}  // namespace

void find_label_check_entry(Engine& e, int4 packed_word) {
  auto& syn = e.cs.syn;
  const int p = find_name(e.cs.label_op_names, k_label_entries, packed_word);
  // The entries of WAITST, the IF form and QUEUE ask for no operand check.
  if (p == 0 || p == label_entry(bc::waitif_station) || p == label_entry(bc::if_form) || p == label_entry(bc::queue)) {
    syn.operand_check_due = false;
    return;
  }
  e.cs.stmt.stmt_op = p;
  e.ctl.hint_flag = true;
  syn.operand_check_due = true;
}

namespace {
// The first of two words is RESET: its A operand (at most two digits,
// after the blank at q) is read here. True when the second word is no
// such operand, so that the first word is a label; otherwise `result` is
// the column check_address_label returns (0 after an error).
bool reset_word_is_label(Engine& e, int p, int q, int& result) {
  const Line80& l = e.cs.stmt.stmt_line;
  auto& pass = e.cs.pass;
  int a = q + 1;
  while (a < k_stmt_end_col && l.at(a) == ' ') ++a;
  const char c1 = l.at(a), c2 = l.at(a + 1), c3 = l.at(a + 2);
  int value = -1;
  if (blank_or_bang(c2)) {
    if (!is_digit_char(c1)) return true;
    value = c1 - '0';
  } else if (blank_or_bang(c3)) {
    if (!is_digit_char(c1) || !is_digit_char(c2)) return true;
    value = 10 * (c1 - '0') + (c2 - '0');
  } else if (is_digit_char(c1)) {
    flag_statement_error(e, " A operand must have only 2 digits");
    result = 0;
    return false;
  }
  result = p;
  if (value >= 0) pass.reset_a_value = value;
  // RESET 0 is a plain RESET, like RESET 1.
  if (value <= 1) return false;
  if (pass.reset_with_a_flag) {
    flag_error_without_hint(e, " Only one RESET with A operand allowed");
    result = 0;
    return false;
  }
  pass.reset_with_a_flag = true;
  return false;
}

// A statement of two words (the first from p to the blank at q): the
// first word's meaning decides. True when it is a label; otherwise
// `result` is the column check_address_label returns.
bool first_of_two_is_label(Engine& e, int p, int q, int& result) {
  const Line80& l = e.cs.stmt.stmt_line;
  auto& syn = e.cs.syn;
  char w[6];
  for (int i = 0; i < 6; ++i) w[i] = p + i < q ? up_at(l, p + i) : ' ';
  if (w[0] == 'L' && (w[3] == '+' || w[3] == '-')) w[3] = ' ';
  const int4 word = pack_symbol_name(e, std::string_view(w, 6));
  const std::string text(w, 6);
  if (word == e.opnames.block_op_names[bc::special]) {
    e.cs.stmt.stmt_op = label_entry(bc::special);
    syn.operand_check_due = true;
    result = 1;
    return false;
  }
  // TRACE, INPUT and EXPERI become calls of their programs (HELP ...),
  // whose operation word is then sought from column 1.
  if (text == "TRACE " || text == "INPUT " || text == "EXPERI") {
    const Line80 written = l;
    bool call = false;
    if (text == "TRACE ") {
      call = parse_trace_operand(e, p);
    } else if (text == "INPUT ") {
      call = rewrite_input_statement(e, p) != 0;
      if (call) e.cs.stmt.stmt_op = k_stmt_op_input;
    } else {
      call = experi_operand_error(e, p);
    }
    if (call && text != "TRACE ") list_as_written(e, written, "", trim_blanks(text), q + 1);
    syn.operand_check_due = call;
    result = call ? 1 : 0;
    return false;
  }
  if (text == "MATRIX") {
    // The statement becomes a call of the matrix program HELP  MATIN,...
    result = check_matrix_statement(e, p) ? 1 : 0;
    return false;
  }
  if (text == "GRAPH ") {
    // The statement becomes a call of the graph program HELP GRAPHC,...
    result = graph_operand_error(e, p) ? 1 : 0;
    return false;
  }
  result = p;
  find_label_check_entry(e, word);
  if (!syn.operand_check_due) return false;
  const auto& names = e.cs.label_op_names;
  if (word == names[label_entry(bc::end)] || word == names[label_entry(bc::end_run)]) return true;
  if (word == names[label_entry(bc::reset)]) return reset_word_is_label(e, p, q, result);
  return false;
}

// The first word (from p to the blank at q) is a label: the operation
// follows it. Returns the column after the label, 0 after an error.
int take_label(Engine& e, int p, int q, int& label_col) {
  const Line80& l = e.cs.stmt.stmt_line;
  e.cs.stmt.stmt_fields.first_word_len = static_cast<int2>(q - p);
  label_col = p;
  e.cs.syn.operand_check_due = false;
  e.ctl.hint_flag = false;
  int c = q + 1;
  while (c <= 70 && l.at(c) == ' ') ++c;
  if (c <= 70 && up_at(l, c) == 'M' && pack_word(e, l, c, c + 5) == pack_symbol_name(e, "MATRIX")) {
    check_matrix_statement(e, c);
    if (e.ctl.error_reported) return 0;
  }
  return q + 1;
}
}  // namespace

int check_address_label(Engine& e, int& label_col, bool& label_known) {
  const Line80& l = e.cs.stmt.stmt_line;
  auto& syn = e.cs.syn;
  auto& f = e.cs.stmt.stmt_fields;
  label_col = 0;
  if (l.at(1) == '*') {
    syn.operand_check_due = false;
    return 0;
  }
  int p = 1;
  while (p <= k_stmt_end_col && l.at(p) == ' ') ++p;
  if (p > k_stmt_end_col) {
    syn.operand_check_due = false;
    return 0;
  }
  syn.first_word_col = p;
  // The first word ends at a blank within its first seven columns.
  int q = 0;
  for (int c = p; c <= p + 6 && c <= 80; ++c) {
    if (l.at(c) == '!') return p;
    if (l.at(c) == ' ') {
      q = c;
      break;
    }
  }
  if (q == 0) return p;
  const int len = q - p;
  if (len < 4) {
    int op_col = 0;
    bool found = false;
    check_short_address(e, q, p, op_col, found);
    if (found) {
      f.first_word_len = static_cast<int2>(len);
      label_col = p;
      return op_col;
    }
    if (len == 2) return op_col;
  }
  if (is_digit_char(l.at(p)) && e.cs.pass.check_flag) {
    flag_error_without_hint(e, " Illegal address starting with digit");
    return 0;
  }
  if (label_known) {
    f.first_word_len = static_cast<int2>(len);
    label_col = p;
    label_known = false;
    syn.operand_check_due = false;
    return p + len;
  }
  int count = 0;
  bool second_is_op = false;
  count_statement_words(e, p, q, count, second_is_op);
  // SELECT MIN / SELECT MAX: the short M word belongs to the operation.
  if (count == 2 && second_is_op && is_select_form(l, p, q)) return p;
  const bool is_label = count == 3 || (count == 2 && second_is_op);
  if (!is_label) {
    if (count <= 1) return p;
    int result = 0;
    if (!first_of_two_is_label(e, p, q, result)) return result;
  }
  return take_label(e, p, q, label_col);
}

void check_short_address(Engine& e, int q, int p, int& op_col, bool& found) {
  const Line80& l = e.cs.stmt.stmt_line;
  found = false;
  const int len = q - p;
  if (len <= 2 || is_digit_char(l.at(p + 2))) {
    if (up_at(l, p) == 'I' && up_at(l, p + 1) == 'F') {
      op_col = p;
      return;
    }
    if (is_digit_char(l.at(p))) {
      int c = q;
      while (c <= 64 && l.at(c) == ' ') ++c;
      if (c <= 64 && !e.cs.pass.check_flag && (up_at(l, c) == 'C' || up_at(l, c) == 'S')) {
        found = true;
        op_col = c;
        return;
      }
    }
    flag_statement_error(e, " Address or code shorter than 3 characters");
  }
}

void count_statement_words(Engine& e, int p, int q, int& count, bool& second_is_op) {
  const Line80& l = e.cs.stmt.stmt_line;
  second_is_op = false;
  int c = q + 1;
  while (c <= k_stmt_end_col && l.at(c) == ' ') ++c;
  if (c > k_stmt_end_col || l.at(c) == '!') {
    count = 1;
    return;
  }
  const int s2 = c;
  // SELECT MIN / SELECT MAX: a short M word after a word ending in CT.
  if (is_select_form(l, p, q)) {
    count = 2;
    second_is_op = true;
    return;
  }
  const bool fe = e.ctl.java_mode;
  int end = 0;
  char open = l.at(s2);
  bool quoted_text = open == '\'' || open == '"';
  bool in_pair = false;
  for (int k = s2 + (quoted_text ? 1 : 0); k <= k_stmt_end_col; ++k) {
    const char ch = l.at(k);
    if (quoted_text) {
      if (ch == '\'' || (ch == '"' && !fe)) {
        if (l.at(k + 1) == ',') {
          quoted_text = false;
          continue;
        }
        end = k + 1;
        break;
      }
      continue;
    }
    if (ch == '\'') {
      in_pair = !in_pair;
      continue;
    }
    if (ch == '!') {
      end = k;
      break;
    }
    if (ch == ' ' && !in_pair) {
      end = k;
      break;
    }
  }
  if (end == 0) {
    flag_statement_error(e, " Illegally long statement");
    count = 2;
    return;
  }
  int r = end;
  while (r <= k_stmt_end_col && l.at(r) == ' ') ++r;
  if (r > k_stmt_end_col || l.at(r) == '!') {
    count = 2;
    second_is_op = is_operation_word(e, end - 1, s2);
    return;
  }
  count = 3;
  int k = r;
  while (k <= k_stmt_end_col && l.at(k) != ' ' && l.at(k) != '!') ++k;
  if (k > k_stmt_end_col) flag_statement_error(e, " Illegally long statement");
  (void)p;
}

bool is_operation_word(Engine& e, int end, int start) {
  const Line80& l = e.cs.stmt.stmt_line;
  const int len = end - start + 1;
  std::string w;
  for (int c = start; c <= end; ++c) w += up_at(l, c);
  if (len == 7) return w == "ADVANCE";
  if (len == 8) return w == "CAPACITY";
  if (len == 9) return w == "TERMINATE";
  if (len == 5 && w == "PRINT") {
    int first = 1;
    while (first <= 80 && l.at(first) == ' ') ++first;
    return first <= 7;
  }
  return false;
}

void write_address_hint(Engine& e, int unit) {
  const int op = e.cs.stmt.stmt_op;
  if (op >= label_entry(bc::let)) {
    e.ch.write(unit, io::Rec().lit(Text50(" Error might possibly be due to first word being").view()).br().lit(Text50(" an address, not an operation code").view()));
    e.ctl.saved_hint_text.clear();
    return;
  }
  // The first line is one character longer than a message text: written whole.
  e.ch.write(unit, io::Rec().lit(" Error might also be due to following type of error").br().lit(Text50(" if first word is operation code, not address:").view()));
  const char* line = nullptr;
  // The entries from END to RESET, then PRINT, SPLIT and TABLE, START and
  // SEEDS, ... HELP, in the order of label_op_names.
  if (op <= label_entry(bc::reset)) line = " No A operand allowed";
  else if (op == label_entry(bc::print)) line = " Error in operand of PRINT";
  else if (op <= label_entry(bc::table)) line = " Required B operand missing";
  else if (op <= label_entry(bc::seeds)) line = " A operand must be integer with at most 6 digits";
  else if (op == label_entry(bc::special)) line = " No FORTRAN program with A operand name";
  if (line != nullptr) e.ch.write(unit, io::Rec().lit(Text50(line).view()));
}

bool check_waitif_let_qtable(Engine& e) {
  const auto& f = e.cs.stmt.stmt_fields;
  const int op = e.cs.stmt.stmt_op;
  if (op == label_entry(bc::waitif) && f.opnd_len[2] == 0) {
    flag_statement_error(e, " WAITIF lacks a B operand");
  } else if (op == label_entry(bc::qtable) && f.opnd_len[4] == 0) {
    flag_statement_error(e, " QTABLE must have a D operand");
  } else if (op == label_entry(bc::select)) {
    const bool bad = e.cs.syn.minmax_p_form ||
                     upcased(e.cs.stmt.stmt_line.at(f.op_start + f.op_len + 1)) != 'M';
    if (bad) {
      flag_statement_error(e, "Illegal LET MIN/MAX construction");
      return true;
    }
  }
  return false;
}

}  // namespace kelvo
