// Statement syntax check: finds where the operation word, an optional
// short third field and each operand begin and end, checks the operand
// field's commas, quoted text and the last statement column, and records
// the columns in the statement record. Rewrites a few forms in place
// (two-letter '=', the sign of LET+ and LET-, CAPACITY into STORAGE,
// SELECT's P form).
#include <string>

#include "exchange/atf_writer.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"

#include "support/text_routines.h"
#include "translator/conditions.h"
#include "translator/let_statements.h"
#include "translator/matrix_graph_statements.h"
#include "translator/operand_checks.h"
#include "translator/other_blocks.h"
#include "translator/special_statements.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// Only blanks or a '!' comment may follow the operand field.
void check_rest_of_line(Engine& e, int r) {
  const Line80& l = e.cs.stmt.stmt_line;
  auto& f = e.cs.stmt.stmt_fields;
  while (r <= k_stmt_end_col && l.at(r) == ' ') ++r;
  if (r > k_stmt_end_col) return;
  if (l.at(r) == '!') {
    e.cs.syn.comment_col = r;
    return;
  }
  write_statement_error(e, " Illegal characters after operands");
  if (f.op_start == 1 && f.op_len > k_label_cols) {
    open_error_unit(e);
    write_error_line(e, " Perhaps name in address field > " + std::to_string(k_label_cols) + " characters");
  }
}
}  // namespace

// The hint is one character longer than a message text: written whole.
void decimal_comma_hint(Engine& e) { write_error_line(e, " Is there a decimal comma instead of decimal point?"); }

namespace {
// Clears the flags that the statement checks set, once per call.
void clear_check_flags(Engine& e) {
  auto& syn = e.cs.syn;
  syn.fn_minmax_flag = false;
  syn.priority_form_flag = false;
  syn.mx_form_flag = false;
  syn.trace_form_code = 0;
  syn.let_sign_char = ' ';
}

// Clears the fields of one pass over the line.
void clear_syntax_fields(Engine& e) {
  auto& syn = e.cs.syn;
  e.cs.stmt.stmt_fields = StmtFields{};
  syn.comment_col = 0;
  syn.last_operand_col = 0;
  syn.print_line_open = false;
  syn.no_rewrite_mark = false;
}

// The operation word that starts at column s ends at a blank in its third
// to tenth column: that blank's column, or 0 after the error report.
int find_operation_end(Engine& e, int s) {
  const Line80& l = e.cs.stmt.stmt_line;
  for (int k = s + 2; k <= s + 9 && k <= 80; ++k) {
    if (l.at(k) == ' ') return k;
  }
  write_statement_error(e, " Illegal operation code or operands. ! expected");
  const auto& f = e.cs.stmt.stmt_fields;
  const int w = e.cs.syn.first_word_col;
  if (f.first_word_len == 3 && up_at(l, w) == 'L' && up_at(l, w + 2) == 'T') {
    const int unit = open_error_unit(e);
    e.ch.write(unit, io::Rec().lit(" ").br().lit(Text50(" Has X$name or PjComment too many characters?").view()).br().lit(" "));
  }
  return 0;
}

// LET+ and LET- take neither INPUT nor an =SNA value. False after the error.
bool check_let_sign_operands(Engine& e) {
  const Line80& l = e.cs.stmt.stmt_line;
  for (int p = 1; p <= 70; ++p) {
    if (l.at(p) != '=' && l.at(p) != ',') continue;
    if (up_at(l, p + 1) == 'I') {
      flag_error_without_hint(e, " INPUT illegal for LET+ and LET+");
      return false;
    }
    if (up_at(l, p + 1) == 'S' && up_at(l, p + 2) == 'N') {
      flag_error_without_hint(e, " =SNA illegal for LET+ and LET+");
      return false;
    }
  }
  return true;
}

// The column from which the operand field is sought, for the operation
// word at s that ends at `blank`. A four-letter word (and SELECT) has a
// short third field of at most three characters before its operands,
// except LET (whose sign is kept and blanked), GOTO and HELP; GENERATE
// (G) may do without it. 0 after an error.
int operand_field_start(Engine& e, int s, int blank, bool select) {
  auto& syn = e.cs.syn;
  auto& f = e.cs.stmt.stmt_fields;
  Line80& l = e.cs.stmt.stmt_line;
  const char f1 = up_at(l, s);
  const char f2 = up_at(l, s + 1);
  if (f.op_len == 6 && f1 == 'W' && f2 == 'A') return blank;  // WAITIF: its relation is checked with its operands
  if (f.op_len == 5 && f1 == 'T' && f2 == 'R') {
    // TRACE ON / OFF becomes the call HELP TRACE / HELP TROFF.
    if (!parse_trace_operand(e, s)) return 0;
    f.op_len = 4;
    return s + 4;
  }
  if (f.op_len == 5 && f1 == 'G' && f2 == 'R') {
    // GRAPH becomes HELP GRAPHC,...: the operands follow HELP.
    if (!graph_operand_error(e, s)) return 0;
    f.op_len = 4;
    return s + 5;
  }
  if (f.op_len == 6 && f1 == 'M' && f2 == 'A' && up_at(l, s + 2) == 'T' && up_at(l, s + 3) == 'R' &&
      up_at(l, s + 4) == 'I' && up_at(l, s + 5) == 'X') {
    // A MATRIX not taken by the label scan (no operand): its message.
    if (!check_matrix_statement(e, s)) return 0;
    f.op_len = 4;
    return s + 6;
  }
  if (f2 == 'O' || f1 == 'H' || !(f.op_len == 4 || select)) return blank;
  if (f1 == 'L') {
    syn.let_sign_char = l.at(s + 3);
    l.set(s + 3, ' ');
    return blank;
  }
  if (syn.minmax_p_form) return blank;
  if (l.at(blank + 1) == ' ') {
    if (f1 == 'G') {
      f.third_len = -1;
      return blank;
    }
    write_statement_error(e, " Illegal operation code or operands. ! expected");
    return 0;
  }
  for (int k = blank + 1; k <= blank + 4 && k <= 80; ++k) {
    if (l.at(k) == ' ') {
      f.third_len = static_cast<int2>(k - blank - 1);
      return k;
    }
  }
  if (f1 == 'G') return blank;
  write_statement_error(e, " Illegal operation code or operands. ! expected");
  return 0;
}

// Operand A as quoted text from column t. True when operand B follows
// it (from column col); false when the field ends with the text or after
// an error.
bool scan_quoted_operand(Engine& e, int t, int& col) {
  auto& syn = e.cs.syn;
  auto& f = e.cs.stmt.stmt_fields;
  const Line80& l = e.cs.stmt.stmt_line;
  f.opnd_start[1] = static_cast<int2>(t);
  int q = 0;
  for (int x = t + 1; x <= t + 60 && x <= 80; ++x) {
    // Under the front end only the apostrophe closes a text.
    if (l.at(x) == '\'' || (l.at(x) == '"' && !e.ctl.java_mode)) {
      q = x;
      break;
    }
  }
  if (q == 0) {
    flag_error_without_hint(e, " Text string too long");
    return false;
  }
  syn.last_operand_col = q;
  // A text that is the whole field counts its length plus 60.
  f.opnd_len[1] = static_cast<int2>(q - t + 1 + 60);
  if (l.at(q + 1) != ',') return false;
  if (blank_or_bang(l.at(q + 2))) {
    if (blank_or_bang(l.at(q + 3))) syn.print_line_open = true;
    else flag_error_without_hint(e, " Illegal blank after ,");
    return false;
  }
  f.opnd_len[1] = static_cast<int2>(q - t + 1);
  col = q + 2;
  return true;
}

// Starts operand k at column `start`; false (after the error) beyond
// eight operands.
bool begin_operand(Engine& e, int& k, int start) {
  auto& f = e.cs.stmt.stmt_fields;
  if (++k > 8) {
    flag_error_without_hint(e, " Too many operands");
    return false;
  }
  f.opnd_start[k] = static_cast<int2>(start);
  return true;
}

// The operands separated by commas, from operand k at column `start` of
// the statement whose operation word starts at s, up to the first blank
// or '!'. A comma followed by a blank ends a PRINT line left open.
void scan_operand_list(Engine& e, int s, int k, int start) {
  auto& syn = e.cs.syn;
  auto& f = e.cs.stmt.stmt_fields;
  Line80& l = e.cs.stmt.stmt_line;
  const char f1 = up_at(l, s);
  const char f2 = up_at(l, s + 1);
  f.opnd_start[k] = static_cast<int2>(start);
  for (int x = start;; ++x) {
    if (x > syn.operand_end_col) {
      flag_error_without_hint(e, " Statement exceeds column " + std::to_string(k_stmt_end_col));
      return;
    }
    char ch = l.at(x);
    if (ch == ' ') {
      f.opnd_len[k] = static_cast<int2>(x - start);
      if (k == 3 && f1 == 'L' && f2 == 'E') {
        if (syn.let_sign_char == '+' || syn.let_sign_char == '-') flag_error_without_hint(e, " LET+ or LET- illegal when MIN/MAX");
        else flag_error_without_hint(e, " LET cannot have C operand");
        decimal_comma_hint(e);
        return;
      }
      syn.last_operand_col = x - 1;
      check_rest_of_line(e, x + 1);
      return;
    }
    if (ch == '!') {
      f.opnd_len[k] = static_cast<int2>(x - start);
      syn.comment_col = x;
      syn.operand_end_col = x - 1;
      return;
    }
    if (k == 4 && ch == '\'' && (f.opnd_len[2] == 0 || f.opnd_len[3] == 0)) {
      // A quoted text as operand D (after an empty B or C).
      const int q = scan_quoted_text(e, x);
      syn.last_operand_col = q;
      check_rest_of_line(e, q + 1);
      return;
    }
    if (ch == '=' && f.op_len == 2) {
      l.set(x, ',');
      ch = ',';
    }
    if (ch != ',') continue;
    if (!blank_or_bang(l.at(x + 1))) {
      f.opnd_len[k] = static_cast<int2>(x - start);
      start = x + 1;
      if (!begin_operand(e, k, start)) return;
      continue;
    }
    if (!(f.op_len == 5 && f1 == 'P')) {
      flag_error_without_hint(e, " Illegal character or blank in operand field");
      return;
    }
    syn.print_line_open = true;
    f.opnd_len[k] = static_cast<int2>(x - start);
    if (k <= 2) {
      syn.last_operand_col = x + 1;
      check_rest_of_line(e, x + 1);
      return;
    }
    start = x + 1;
    if (!begin_operand(e, k, start)) return;
  }
}
}  // namespace

namespace {
// What one pass over the line ends with.
enum class SyntaxPass { done, again };

SyntaxPass check_syntax_pass(Engine& e, bool& label_known) {
  auto& syn = e.cs.syn;
  auto& f = e.cs.stmt.stmt_fields;
  Line80& l = e.cs.stmt.stmt_line;
  const SyntaxPass done = SyntaxPass::done;
  clear_syntax_fields(e);

  int label_col = 0;
  int c = check_address_label(e, label_col, label_known);
  syn.label_col = label_col;
  // A statement without a label keeps a syntax message as the saved hint.
  e.ctl.hint_field_word = f.first_word_len;
  if (c == 0 || e.ctl.error_reported) return done;
  // An ANIM statement becomes a call of its animation program (HELP).
  if (scan_anim_keyword(e, c)) {
    e.cs.stmt.stmt_op = label_entry(bc::special);
    syn.operand_check_due = true;
  }

  while (c <= k_stmt_end_col && l.at(c) == ' ') ++c;
  if (c > k_stmt_end_col) return done;
  const int s = c;
  f.op_start = static_cast<int2>(s);

  if (up_at(l, s) == 'C') {
    check_capacity_def(e, s);
    if (e.ctl.error_reported) return done;
  }
  const int blank = find_operation_end(e, s);
  if (blank == 0) return done;
  f.op_len = static_cast<int2>(blank - s);
  syn.let_select_flag = false;
  const char f1 = up_at(l, s);
  if (f.op_len == 4 && f1 == 'L' && (l.at(s + 3) == '+' || l.at(s + 3) == '-') && !check_let_sign_operands(e)) return done;
  // LET Pj=MIN(...) becomes the SELECT form; FN$MIN/FN$MAX mark the block.
  const bool minmax_select = f.op_len == 3 && f1 == 'L' && scan_let_minmax_forms(e, s);
  if (e.ctl.error_reported) return done;
  if (syn.mx_form_flag) {
    // LET X$name=MX(r,c) became HELP MATUT,r,c,X$name.
    f.op_len = 4;
    scan_operand_list(e, s, 1, s + 5);
    return done;
  }
  if (minmax_select) f.op_len = 6;
  bool select = false;
  if (f.op_len == 6 && !minmax_select) select = check_select_statement(e, s);
  if (e.ctl.error_reported) return done;
  const int from = minmax_select ? s + 6 : operand_field_start(e, s, blank, select);
  if (from == 0) return done;
  // IF and WAITIF: the relation between operands A and B becomes a comma.
  if (f.op_len == 2 && f1 == 'I' && up_at(l, s + 1) == 'F') check_if_relation(e, from);
  if (f.op_len == 6 && f1 == 'W' && up_at(l, s + 1) == 'A') check_waitif_relation(e, from);
  if (e.ctl.error_reported) return done;

  // The operand field.
  int col = from;
  while (col <= k_stmt_end_col && l.at(col) == ' ') ++col;
  if (col > k_stmt_end_col) {
    syn.comment_col = k_stmt_end_col;
    return done;
  }
  if (l.at(col) == '!') {
    syn.comment_col = col;
    return done;
  }
  int k = 1;
  if (l.at(col) == '\'' || l.at(col) == '"') {
    if (!scan_quoted_operand(e, col, col)) return done;
    k = 2;
  } else if ((f.op_len == 3 && f1 == 'L') || (f.op_len == 4 && syn.let_sign_char != ' ')) {
    const LetForm form = parse_let_assignment(e, col);
    if (form == LetForm::input || e.ctl.error_reported) return done;
    if (form == LetForm::priority) {
      // LET PR= became PRIORITY: the line is checked anew from its start.
      syn.operand_check_due = false;
      return SyntaxPass::again;
    }
  }
  scan_operand_list(e, s, k, col);
  return done;
}
}  // namespace

void check_statement_syntax(Engine& e, bool& label_known) {
  clear_check_flags(e);
  while (check_syntax_pass(e, label_known) == SyntaxPass::again) {
  }
}


void check_capacity_def(Engine& e, int s) {
  Line80& l = e.cs.stmt.stmt_line;
  auto& syn = e.cs.syn;
  const Line80 copy = l;
  if (up_at(l, s + 1) != 'A') return;
  static const char* rest = "PACITY";
  for (int i = 0; i < 6; ++i) {
    const char c = up_at(l, s + 2 + i);
    l.set(s + 2 + i, c);
    if (c != rest[i]) return;
  }
  if (!blank_or_bang(l.at(s + 8))) {
    flag_error_without_hint(e, " Incorrect CAPACITY definition");
    return;
  }
  syn.list_statement = false;
  syn.default_capacity_word = 2;
  static const char* storage = "STORAGE ";
  for (int i = 0; i < 8; ++i) l.set(s + i, storage[i]);

  // The listing line: first word, the word as typed, the operand text.
  Line80 out;
  const int w = syn.first_word_col;
  for (int i = 0; i < e.cs.stmt.stmt_fields.first_word_len; ++i) out.set(1 + i, copy.at(w + i));
  for (int i = 0; i < 8; ++i) out.set(8 + i, copy.at(s + i));
  int q = s + 8;
  while (q <= k_stmt_end_col && copy.at(q) == ' ') ++q;
  if (q > k_stmt_end_col) {
    const std::string deflt = "! 2,000,000,000";
    for (int i = 0; i < static_cast<int>(deflt.size()); ++i) out.set(18 + i, deflt[i]);
  } else {
    int pos = 18;
    int b = q;
    while (b <= k_stmt_end_col && copy.at(b) != '!') out.set(pos++, copy.at(b++));
    if (b <= k_stmt_end_col) {
      pos = std::max(b + 1, 23);
      for (int x = b; x <= 80 && pos <= 80; ++x) out.set(pos++, copy.at(x));
    }
  }
  if (e.ctl.translate_needed && e.cs.pass.listing_on) {
    e.ch.write(e.rep.out_unit, io::Rec().x(6).lit(out.cols(1, 68)).i(e.cs.pass.line_count, 3));
  }
  int r = s + 8;
  while (r <= 60 && l.at(r) == ' ') ++r;
  if (r <= 60 && l.at(r) == '1' && l.at(r + 1) == '0' && l.at(r + 2) == '^' && l.at(r + 3) == '9') {
    for (int i = 0; i < 4; ++i) l.set(r + i, ' ');
    syn.default_capacity_word = 1;
  }
}

bool check_select_statement(Engine& e, int s) {
  Line80& l = e.cs.stmt.stmt_line;
  auto& syn = e.cs.syn;
  if (up_at(l, s) != 'S') return false;
  // The word MIN or MAX may stand in the operand column, as operands do:
  // it is read as written right after SELECT and one blank.
  int word = s + 7;
  while (word <= k_stmt_end_col && l.at(word) == ' ') ++word;
  if (word > s + 7 && word <= k_stmt_end_col && up_at(l, word) == 'M') splice_statement_line(e, s + 7, "", word);
  if (up_at(l, s + 7) == 'M') {
    syn.minmax_p_form = false;
    syn.minmax_letter = l.at(s + 9);
  } else {
    syn.minmax_p_form = true;
    rewrite_minmax_p_form(e, s);
    if (e.ctl.error_reported) return true;
  }
  syn.minmax_letter = upcased(syn.minmax_letter);
  if (syn.minmax_letter != 'N' && syn.minmax_letter != 'X') {
    write_statement_error(e, " Unknown operation or improper LET MIN/MAX block");
  }
  return true;
}

void rewrite_minmax_p_form(Engine& e, int s) {
  Line80& l = e.cs.stmt.stmt_line;
  auto& f = e.cs.stmt.stmt_fields;
  const char* bad = " Incorrect LET MIN/MAX attempt";
  int k = s + 7;
  while (k <= 67 && l.at(k) == ' ') ++k;
  if (k > 67 || up_at(l, k) != 'P') {
    write_statement_error(e, bad);
    return;
  }
  l.set(k, ' ');
  f.opnd_start[1] = static_cast<int2>(k + 1);
  int eq = 0;
  if (l.at(k + 2) == '=') eq = k + 2;
  else if (l.at(k + 3) == '=') eq = k + 3;
  if (eq == 0) {
    write_statement_error(e, bad);
    return;
  }
  l.set(eq, ',');
  const int en = eq + 1;
  f.opnd_len[1] = static_cast<int2>(en - k - 2);
  e.cs.syn.minmax_letter = l.at(en + 2);
  const char cls = l.at(en + 4);
  if (en + 5 > k_stmt_end_col) {
    write_statement_error(e, bad);
    return;
  }
  int m = en;
  while (m + 6 <= k_stmt_end_col && l.at(m + 6) != ' ') {
    l.set(m, l.at(m + 6));
    ++m;
  }
  if (m + 1 > k_stmt_end_col) {
    write_statement_error(e, bad);
    return;
  }
  l.set(m, ',');
  l.set(m + 1, cls);
  f.opnd_start[4] = static_cast<int2>(m + 1);
  f.opnd_len[4] = 1;
  for (int x = m + 2; x <= m + 7 && x <= k_stmt_end_col; ++x) {
    if (l.at(x) != '!') l.set(x, ' ');
  }
  f.opnd_start[2] = static_cast<int2>(en);
  int i = 0;
  for (int x = en + 1; x <= en + 5; ++x) {
    if (l.at(x) == ',') {
      i = x - en;
      break;
    }
  }
  const int clen = m - en - i - 1;
  if (i == 0 || clen < 0) {
    write_statement_error(e, bad);
    return;
  }
  f.opnd_len[2] = static_cast<int2>(i);
  f.opnd_start[3] = static_cast<int2>(en + i + 1);
  f.opnd_len[3] = static_cast<int2>(clen);
}

}  // namespace kelvo
