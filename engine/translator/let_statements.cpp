// LET statements and the IF with an assignment. Takes the statement record
// after the syntax check; rewrites the free forms (LET target=value,
// LET PR=..., an IF that assigns) into the fixed operand layout, compiles
// an assigned expression, and enters each LET block's target and value
// into the block table and the LET tables.
#include "translator/let_statements.h"

#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/text_routines.h"
#include "translator/conditions.h"
#include "translator/expressions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// The statement's operation word, upper case.
std::string operation_word(Engine& e) {
  const auto& f = e.cs.stmt.stmt_fields;
  std::string w;
  for (int c = f.op_start; c < f.op_start + f.op_len && c <= 80; ++c) w += upcased(e.cs.stmt.stmt_line.at(c));
  return w;
}

// The statement is a LET, LET+ or LET- (the sign is blanked by now).
bool is_let_statement(Engine& e) {
  const std::string w = operation_word(e);
  return w == "LET" || (w.size() == 4 && w.rfind("LET", 0) == 0);
}

// Writes `text` into the line from column `from` on (blanks after it).
// False (" A operand too long") when the text before a '!' comment would
// pass the last statement column: no rewrite cuts a statement; the line
// is then left as it was.
bool write_from(Engine& e, int from, const std::string& text) {
  std::size_t used = text.find('!');
  if (used == std::string::npos) used = trim_right(text).size();
  else used = trim_right(std::string_view(text).substr(0, used)).size();
  if (from + static_cast<int>(used) - 1 > k_stmt_end_col) {
    flag_error_without_hint(e, " A operand too long");
    return false;
  }
  Line80& l = e.cs.stmt.stmt_line;
  for (int c = from; c <= 80; ++c) {
    const std::size_t k = static_cast<std::size_t>(c - from);
    l.set(c, k < text.size() ? text[k] : ' ');
  }
  return true;
}

// LET PR=value (or PRIORITY=value): the statement becomes PRIORITY value,
// the word at the operation column and the rest of the line after it.
LetForm rewrite_priority_form(Engine& e, int separator) {
  const int s = e.cs.stmt.stmt_fields.op_start;
  const std::string rest(e.cs.stmt.stmt_line.cols(separator + 1, 80));
  if (!write_from(e, s, "PRIORITY " + rest)) return LetForm::plain;
  e.cs.syn.priority_form_flag = true;
  return LetForm::priority;
}

// A target P$name: the name runs to the '=' at `eq` and has at most 6
// characters.
bool parse_let_param_target(Engine& e, int from, int eq) {
  const Line80& l = e.cs.stmt.stmt_line;
  if (upcased(l.at(from)) != 'P' || l.at(from + 1) != '$') return true;
  const int len = eq - from - 2;
  if (len < 1 || len > 6) {
    flag_error_without_hint(e, " Parameter name more than 6 characters");
    return false;
  }
  return true;
}

// The relation of an IF as written (the line before the syntax check
// turned it into a comma): the first of =, <, > in its operand field
// outside parentheses. Codes 1 <=, 2 <, 3 <>, 4 =, 5 >, 6 >=; 0 when
// there is none or it is written => or =<.
int written_relation(Engine& e, const Line80& l) {
  const auto& f = e.cs.stmt.stmt_fields;
  int c = f.op_start + f.op_len;
  while (c <= k_stmt_end_col && l.at(c) == ' ') ++c;
  int depth = 0;
  for (; c <= k_stmt_end_col && l.at(c) != ' ' && l.at(c) != '!'; ++c) {
    const char ch = l.at(c);
    if (ch == '(') ++depth;
    if (ch == ')') --depth;
    if (depth != 0) continue;
    const char next = l.at(c + 1);
    if (ch == '=') return next == '<' || next == '>' ? 0 : 4;
    if (ch == '<') return next == '>' ? 3 : next == '=' ? 1 : 2;
    if (ch == '>') return next == '=' ? 6 : 5;
  }
  return 0;
}

// The built-in test that holds when the relation holds (or fails) for the
// difference of the two sides.
std::string relation_function(int relation, bool holds) {
  constexpr const char* when_true[] = {"", "LE", "LT", "NE", "EQ", "GT", "GE"};
  constexpr const char* when_false[] = {"", "GT", "GE", "EQ", "NE", "LE", "LT"};
  return std::string("FN$") + (holds ? when_true[relation] : when_false[relation]);
}

// The syntax check once more on a line the pass rewrote; the sign of a
// LET+ or LET- was blanked the first time and is kept.
void check_rewritten_line(Engine& e, bool& label_known) {
  const char sign = e.cs.syn.let_sign_char;
  e.cs.syn.assignment_rewritten = true;
  check_statement_syntax(e, label_known);
  e.cs.syn.let_sign_char = sign;
}

// The last column of the statement's operands.
int last_operand_column(Engine& e) {
  const auto& f = e.cs.stmt.stmt_fields;
  int last = 0;
  for (int u = 1; u <= 8; ++u) {
    if (f.opnd_len[ix(u)] > 0) last = std::max(last, operand_start(e, u) + operand_length(e, u) - 1);
  }
  return last;
}

// A LET whose operation word or operands are not in the fixed columns is
// rebuilt: its label from column 1, LET at column 8, the operands (and a
// comment after them) from column 18. True when the line was rewritten.
bool rewrite_statement(Engine& e) {
  const auto& f = e.cs.stmt.stmt_fields;
  auto& syn = e.cs.syn;
  if (syn.no_rewrite_mark || !is_let_statement(e) || f.opnd_len[1] == 0 || f.first_word_len > k_label_cols) return false;
  constexpr int k_op_col = 8, k_operand_col = 18;
  const int a = f.opnd_start[1];
  if (f.op_start == k_op_col && a == k_operand_col) return false;
  const Line80 old = e.cs.stmt.stmt_line;
  if (k_operand_col + last_operand_column(e) - a > k_stmt_end_col) {
    flag_error_without_hint(e, " A operand too long");
    return false;
  }
  Line80 out;
  for (int i = 0; i < f.first_word_len; ++i) out.set(1 + i, old.at(syn.label_col + i));
  for (int i = 0; i < 3; ++i) out.set(k_op_col + i, "LET"[i]);
  for (int c = a; c <= 80; ++c) out.set(k_operand_col + c - a, old.at(c));
  e.cs.stmt.stmt_line = out;
  return true;
}

// An IF whose D operand is an assignment, IF A rel B,target=value, becomes
// LET target=FN$t(A-B)*(value)+FN$f(A-B)*target, t the test that holds
// when the relation does and f the one that holds when it does not. False
// after the statement error.
bool check_if_assignment(Engine& e, bool& label_known, const Line80& written) {
  if (e.ctl.java_mode) {
    flag_error_without_hint(e, " Assignment not allowed in IF in server mode");
    return false;
  }
  const int relation = written_relation(e, written);
  if (relation == 0) {
    flag_error_without_hint(e, " Error in operands of IF block");
    return false;
  }
  const std::string a = operand_string(e, 1), b = operand_string(e, 2);
  const std::string target = operand_string(e, 3), value = operand_string(e, 4);
  std::string work;
  if (!check_if_statement_size(e, work, relation_function(relation, true)) || !insert_sign_paren(e, work, a, b) ||
      !check_if_statement_size(e, work, "(" + value + ")+" + relation_function(relation, false)) ||
      !insert_sign_paren(e, work, a, b) || !check_if_statement_size(e, work, target)) {
    return false;
  }
  if (compile_expression_text(e, work, 2, false) == 0) return false;
  const int s = e.cs.stmt.stmt_fields.op_start;
  std::string let = "LET";
  let.resize(10, ' ');
  if (!write_from(e, s, let + target + ",&")) return false;
  check_rewritten_line(e, label_known);
  return !e.ctl.error_reported;
}

// A LET block whose value (operand B) is an expression: compiled as
// operand B, which becomes & in the line. False after the statement error.
bool compile_let_expression(Engine& e, bool& label_known) {
  const int start = operand_start(e, 2), len = operand_length(e, 2);
  if (parse_expression_def(e, start, len, 2, false) == 0) return false;
  Line80& l = e.cs.stmt.stmt_line;
  l.set(start, '&');
  for (int c = start + 1; c < start + len; ++c) l.set(c, ' ');
  check_rewritten_line(e, label_known);
  return !e.ctl.error_reported;
}

// The value operand (B) of a LET block as a row of the table.
bool store_let_row(Engine& e, LetRows& rows, std::string_view full) {
  const int r = take_slot(e, rows.count, k_let_limit, full, ErrorEffect::flag_without_hint);
  if (r == 0) return false;
  int kind = 0;
  int4 value = 0;
  if (!expect_constant_or_sna(e, e.cs.stmt.operand_text[2], e.cs.stmt.operand_value[2], kind, value)) return false;
  const char sign = e.cs.syn.let_sign_char;
  rows.opnd_kind[ix(r)] = kind;
  rows.opnd_value[ix(r)] = value;
  rows.mode[ix(r)] = sign == '+' ? letmode::add : sign == '-' ? letmode::subtract : letmode::assign;
  e.blocks.block_opnd[ix(e.blocks.block_count)] = r;
  return true;
}

// A LET to a parameter: P with its number (1..12), or p (P*j, the
// parameter's number in parameter j) as block_arg -j. Code 27 becomes
// 36, and 40 (an expression) 39.
void check_let_param_block(Engine& e) {
  auto& blk = e.blocks;
  const int b = blk.block_count;
  const char mark = e.cs.stmt.operand_text[1];
  int4 n = 0;
  if (!name_number(e, e.cs.stmt.operand_value[1], n)) {
    flag_error_without_hint(e, " A operand of block with parameter not integer");
    return;
  }
  if (n < 1) {
    flag_error_without_hint(e, " Incorrect A operand in block");
    return;
  }
  if (n > k_param_word_limit) {
    flag_error_without_hint(e, " Parameter value too high");
    return;
  }
  if (!store_let_row(e, e.let.letp, " Too many LET blocks with parameters")) return;
  blk.block_arg[ix(b)] = to_int2(mark == 'P' ? n : -n);
  blk.block_op[ix(b)] = to_int2(blk.block_op[ix(b)] == bc::let_expression ? bc::let_param_form : bc::let_param);
}

// A LET to a savevalue: X$name (its number, the name added when new), or
// x (X*j: the savevalue's number in parameter j) as block_arg -j.
void parse_let_xvalues(Engine& e) {
  auto& blk = e.blocks;
  const int b = blk.block_count;
  const char mark = e.cs.stmt.operand_text[1];
  const int4 code = e.cs.stmt.operand_value[1];
  int4 number = 0;
  if (mark == 'x') {
    if (!name_number(e, code, number) || number < 1 || number > k_param_word_limit) {
      flag_error_without_hint(e, " Illegal parameter in A operand");
      return;
    }
    number = -number;
  } else if (name_number(e, code, number)) {
    flag_error_without_hint(e, " Incorrect A operand");
    return;
  } else if (!savevalue_number(e, code, number)) {
    return;
  } else {
    // From here on the savevalue's value is no constant of the model.
    auto& sv = e.ent.sv;
    const int named = find_name(sv.savevalue_name, sv.savevalue_count, code);
    if (named != 0) sv.savevalue_let_assigned[ix(named)] = true;
  }
  if (!store_let_row(e, e.let.let, " Too many LET blocks with X-values")) return;
  blk.block_arg[ix(b)] = to_int2(number);
}

}  // namespace

LetForm parse_let_assignment(Engine& e, int from) {
  auto& syn = e.cs.syn;
  // The pass rewrote this line itself: its assignment is already in
  // operand form.
  if (syn.assignment_rewritten) return LetForm::plain;
  Line80& l = e.cs.stmt.stmt_line;
  const bool sign = syn.let_sign_char != ' ';
  int c = from;
  while (c <= k_stmt_end_col && l.at(c) != '=' && l.at(c) != ',' && l.at(c) != ' ' && l.at(c) != '!') ++c;
  if (c > k_stmt_end_col || (l.at(c) != '=' && l.at(c) != ',')) return LetForm::plain;
  if (!sign && l.at(c) == ',') {
    flag_error_without_hint(e, " = expected in case of simple LET");
    return LetForm::plain;
  }
  if (sign && l.at(c) == '=') {
    flag_error_without_hint(e, " = not allowed in case of LET+/LET-");
    return LetForm::plain;
  }
  std::string target;
  for (int k = from; k < c; ++k) target += upcased(l.at(k));
  if (target == "PR" || is_priority_keyword(target)) return rewrite_priority_form(e, c);
  if (sign) return LetForm::plain;
  if (upcased(l.at(c + 1)) == 'I') {
    rewrite_let_input(e, from, c);
    return LetForm::input;
  }
  if (!parse_let_param_target(e, from, c)) return LetForm::plain;
  l.set(c, ',');
  return LetForm::plain;
}

void compile_assignment_statement(Engine& e, bool& label_known, const Line80& written) {
  const auto& f = e.cs.stmt.stmt_fields;
  if (f.op_len == 0) return;
  if (rewrite_statement(e)) {
    check_rewritten_line(e, label_known);
    if (e.ctl.error_reported) return;
  }
  if (is_let_statement(e) && e.cs.pass.check_flag && f.opnd_len[2] > 0 && is_b_operand_expression(e)) {
    if (compile_let_expression(e, label_known)) e.cs.pass.block_code = bc::let_expression;
  } else if (operation_word(e) == "IF" && f.opnd_len[4] > 0) {
    // A server test (IF PUMP=U,X$A=7) becomes a comparison of the server's
    // value with 0, checked once more, before the assignment is compiled.
    Line80 relation_line = written;
    if (check_server_if_operand(e)) {
      relation_line = e.cs.stmt.stmt_line;
      check_rewritten_line(e, label_known);
    }
    if (e.ctl.error_reported) return;
    if (check_if_assignment(e, label_known, relation_line)) e.cs.pass.block_code = bc::let_expression;
  }
}

void check_let_block(Engine& e) {
  const char mark = e.cs.stmt.operand_text[1];
  if (mark == 'P' || mark == 'p') {
    check_let_param_block(e);
  } else if (mark == 'X' || mark == 'x') {
    parse_let_xvalues(e);
  } else if (mark == ' ' || mark == k_mark_decimal) {
    flag_error_without_hint(e, " Incorrect A operand of LET block");
  } else {
    flag_error_without_hint(e, " X$-value expected in A operand");
  }
}

bool add_named_savevalue(Engine& e, int u, bool number_only, int4& number) {
  auto& sv = e.ent.sv;
  auto& stmt = e.cs.stmt;
  if (u < 1 || u > 8) return false;
  const int4 name = stmt.operand_value[ix(u)];
  number = find_name(sv.savevalue_name, sv.savevalue_count, name);
  if (number == 0) {
    number = take_slot(e, sv.savevalue_count, k_named_savevalue_limit, " Too many named savevalues",
                       ErrorEffect::flag_without_hint);
    if (number == 0) return false;
    sv.savevalue_name[ix(number)] = name;
  }
  if (!number_only) {
    stmt.operand_value[ix(u)] = pack_symbol_name(e, std::to_string(number));
    stmt.stmt_fields.opnd_len[ix(u)] = 1;
  }
  return true;
}

}  // namespace kelvo
