// Operand forms: the operand lexer that turns each operand field of a
// statement into a class mark and a packed code, SNA terms of expressions,
// decimal numbers, parameter names and savevalue numbers. Produces
// operand_text / operand_value of the statement record and the operand
// kind codes that the block table and the run-time share.
#include <algorithm>
#include <cstdint>
#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"

#include "support/packed_names.h"

#include "support/text_routines.h"
#include "translator/expressions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
std::string upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = upcased(c);
  return r;
}

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!is_digit_char(c)) return false;
  }
  return true;
}

// A signed decimal number: digits with at most one '.', '-' anywhere.
bool looks_numeric(std::string_view s) {
  bool digit = false;
  for (char c : s) {
    if (is_digit_char(c)) digit = true;
    else if (c != '.' && c != '-') return false;
  }
  return digit;
}

// Operator characters outside an indirect prefix (Q*3, FN*2) make an
// operand an expression.
bool has_operator(const std::string& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '*' && (i == 1 || i == 2) && is_letter(t[0]) && is_letter(t[i - 1])) continue;
    if (c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == '(' || c == ')' || c == '^' || c == '"' || c == '=') {
      return true;
    }
  }
  return false;
}

int4 pack_text(Engine& e, std::string_view s) { return pack_symbol_name(e, s.substr(0, std::min<std::size_t>(s.size(), 6))); }
}  // namespace

int operand_start(Engine& e, int u) { return e.cs.stmt.stmt_fields.opnd_start[u]; }

int operand_length(Engine& e, int u) {
  const int len = e.cs.stmt.stmt_fields.opnd_len[u];
  return len > 60 ? len - 60 : len;
}

std::string operand_string(Engine& e, int u) {
  const int len = operand_length(e, u);
  if (len <= 0) return {};
  const int s = operand_start(e, u);
  return std::string(e.cs.stmt.stmt_line.cols(s, s + len - 1));
}

int operand_char_class(char c) {
  // The operand mark of each kind: the letter of kind k is letters[k - 1].
  constexpr std::string_view letters = "CQNSRFVXWAPY";
  static_assert(letters[opnd::clock - 1] == 'C' && letters[opnd::function - 1] == 'F' &&
                letters[opnd::random - 1] == 'A' && letters[opnd::priority - 1] == 'Y');
  const char u = upcased(c);
  const std::size_t at = letters.find(u);
  if (at == std::string_view::npos) return opnd::constant;
  const int kind = static_cast<int>(at) + 1;
  return c == u ? kind : -kind;
}

bool is_param_or_rn_operand(char c1, char c2, char c3) {
  c1 = upcased(c1);
  c2 = upcased(c2);
  if (c1 == 'P' && is_digit_char(c2)) return true;
  if (c1 == 'P' && c2 == 'R') return true;
  return c1 == 'R' && c2 == 'N' && is_digit_char(c3);
}

bool is_priority_keyword(std::string_view word) { return word.size() == 8 && upper(word) == "PRIORITY"; }

bool check_decimal_count(Engine& e, real4 value, int4& index) {
  auto& d = e.ent.dec;
  const int slot = take_slot(e, d.decimal_count, k_decimal_limit, " Too many decimal numbers", ErrorEffect::flag_without_hint);
  if (slot == 0) return false;
  d.decimal_value[slot] = value;
  index = slot;
  return true;
}

bool read_number_operand(Engine& e, std::string_view text, real4& value) {
  if (text.size() > 9) {
    flag_error_without_hint(e, all_digits(text) ? " Integer with more than 8 digits" : " Operand too long");
    return false;
  }
  bool negative = false, fraction = false;
  real4 whole = 0.0f, frac = 0.0f, scale = 1.0f;
  for (char c : text) {
    if (c == ' ') break;
    if (c == '-') {
      negative = true;
    } else if (c == '.') {
      if (fraction) {
        flag_error_without_hint(e, " Illegal character in operand");
        return false;
      }
      fraction = true;
    } else if (is_digit_char(c)) {
      if (fraction) {
        scale *= 10.0f;
        frac += static_cast<real4>(c - '0') / scale;
      } else {
        whole = whole * 10.0f + static_cast<real4>(c - '0');
      }
    } else {
      flag_error_without_hint(e, " Illegal character in operand");
      return false;
    }
  }
  value = whole + frac;
  if (negative) value = -value;
  return true;
}

bool parse_digits(Engine& e, std::string_view text, int4& index) {
  real4 v = 0.0f;
  if (!read_number_operand(e, text, v)) return false;
  return check_decimal_count(e, v, index);
}

bool check_param_mixing(Engine& e, int number, bool by_name) {
  auto& p = e.ent.par;
  if (number < 1 || number > k_pname_limit) return true;
  if ((by_name && p.param_plain_used[number]) || (!by_name && p.pname_by_name[number])) {
    flag_error_without_hint(e, " Illegal mixing of Pj and P$name");
    return false;
  }
  if (!by_name) p.param_plain_used[number] = true;
  return true;
}

namespace {
// A P$ name that is no parameter name: the ADVANCE and LET checks name
// it as theirs.
void refuse_parameter_name(Engine& e) {
  const int4 w = e.cs.stmt.stmt_op_word;
  const auto& names = e.opnames.block_op_names;
  const bool own = w != 0 && (w == names[bc::advance] || w == names[bc::let]);
  flag_error_without_hint(e, own ? " Incorrect parameter name" : " Illegal name of parameter");
}
}  // namespace

bool check_parameter_name(Engine& e, int4 name, int& number) {
  auto& p = e.ent.par;
  const Text6 t = unpack_name_chars(e, name);
  for (int i = 1; i <= 3; ++i) {
    if (t.at(i) == '$' || is_digit_char(t.at(i))) {
      refuse_parameter_name(e);
      return false;
    }
  }
  for (int k = 1; k <= p.pname_count; ++k) {
    if (p.pname_code[k] == name) {
      for (int n = 1; n <= k_pname_limit; ++n) {
        if (p.pname_by_name[n] && p.pname_code[n] == name) {
          number = n;
          return true;
        }
      }
    }
  }
  int free = 0;
  for (int n = 1; n <= k_pname_limit; ++n) {
    if (!p.pname_by_name[n]) {
      free = n;
      break;
    }
  }
  if (free == 0) {
    flag_error_without_hint(e, " Too many parameters of P$-type");
    return false;
  }
  // A number already used in plain Pj form would alias the name.
  if (!check_param_mixing(e, free, true)) return false;
  p.pname_by_name[free] = true;
  p.pname_code[free] = name;
  p.pname_count = std::max(p.pname_count, free);
  number = free;
  return true;
}

bool register_parameter_name(Engine& e, int number, std::string_view tail) {
  auto& p = e.ent.par;
  if (tail.empty()) return true;
  if (!is_letter(tail[0])) {
    flag_error_without_hint(e, " Illegal character after parameter number");
    return false;
  }
  // The name is kept as 6 letters or digits: anything else would be cut
  // or misread.
  if (tail.size() > 6 || !std::all_of(tail.begin(), tail.end(), [](char c) { return is_letter(c) || is_digit_char(c); })) {
    flag_error_without_hint(e, " Incorrect parameter name without $");
    return false;
  }
  if (number < 1 || number > k_param_desc_limit) return true;
  const int4 code = pack_text(e, tail);
  if (p.param_desc_name[number] != 0 && p.param_desc_name[number] != code) {
    flag_error_without_hint(e, " New name given to parameter");
    return false;
  }
  for (int n = 1; n <= k_param_desc_limit; ++n) {
    if (n != number && p.param_desc_name[n] == code) {
      // A name written after a one-digit number (P1COST) that another
      // number already carries: with P10 to P12 the two forms differ by
      // one digit only.
      flag_error_without_hint(e, number <= 9 ? " Almost same name used by parameter 10, 11 or 12"
                                 : " Illegal parameter name without $");
      return false;
    }
  }
  p.param_desc_name[number] = code;
  return true;
}

namespace {
// The '*' at column `star` ends an indirect prefix (Q*, FN*): one or two
// class letters that begin a term of the operand starting at `first`.
// Any other '*' multiplies.
bool is_indirect_prefix(const Line80& l, int first, int star) {
  if (l.at(star) != '*') return false;
  int c = star - 1;
  if (c >= first + 1 && upcased(l.at(c - 1)) == 'F' && upcased(l.at(c)) == 'N') --c;
  else if (operand_char_class(l.at(c)) == opnd::constant) return false;
  if (c < first) return false;
  if (c == first) return true;
  const char before = l.at(c - 1);
  return before == '+' || before == '-' || before == '*' || before == '/' || before == '(' || before == '%';
}
}  // namespace

void scan_param_names(Engine& e) {
  // An indirect reference through a named parameter, such as Q*(P$COST),
  // becomes the plain indirect form Q*1: "(P$name)" is replaced by the
  // parameter's number and the rest of the line moves left. Parentheses
  // elsewhere belong to expressions and are left alone.
  auto& f = e.cs.stmt.stmt_fields;
  Line80& l = e.cs.stmt.stmt_line;
  for (int u = 1; u <= 8; ++u) {
    if (f.opnd_len[u] <= 4 || f.opnd_len[u] > 60) continue;
    for (int c = f.opnd_start[u] + 1; c < f.opnd_start[u] + f.opnd_len[u]; ++c) {
      if (l.at(c) != '(' || !is_indirect_prefix(l, f.opnd_start[u], c - 1)) continue;
      if (upcased(l.at(c + 1)) != 'P' || l.at(c + 2) != '$') {
        flag_error_without_hint(e, " P$ expected");
        return;
      }
      int close = 0;
      for (int k = c + 1; k <= c + 10 && k <= k_stmt_end_col; ++k) {
        if (l.at(k) == ')') {
          close = k;
          break;
        }
      }
      if (close == 0) {
        flag_error_without_hint(e, " ) expected within 10 characters of (");
        return;
      }
      const std::string name(l.cols(c + 3, close - 1));
      if (name.empty() || name.size() > 6) {
        flag_error_without_hint(e, " Name of parameter too long");
        return;
      }
      std::string upper_name = name;
      for (char& ch : upper_name) ch = upcased(ch);
      int number = 0;
      if (!check_parameter_name(e, pack_symbol_name(e, upper_name), number)) return;
      const std::string digits = std::to_string(number);
      const int removed = (close - c + 1) - static_cast<int>(digits.size());
      for (int i = 0; i < static_cast<int>(digits.size()); ++i) l.set(c + i, digits[i]);
      const int from = c + static_cast<int>(digits.size());
      for (int k = from; k <= k_stmt_end_col; ++k) l.set(k, k + removed <= k_stmt_end_col ? l.at(k + removed) : ' ');
      f.opnd_len[u] = static_cast<int2>(f.opnd_len[u] - removed);
      for (int v = u + 1; v <= 8; ++v) {
        if (f.opnd_start[v] > c) f.opnd_start[v] = static_cast<int2>(f.opnd_start[v] - removed);
      }
    }
  }
}

namespace {
// Parameter number of Pj or P$name at the start of text (P in either
// case); a name written after Pj goes to `tail`. False after an error.
bool param_number(Engine& e, std::string_view text, int& number, std::string& tail) {
  if (text.size() >= 2 && text[1] == '$') {
    std::string name;
    std::size_t i = 2;
    while (i < text.size() && text[i] != ')' && text[i] != ',' && text[i] != ' ') name += text[i++];
    if (name.size() > 6) {
      flag_error_without_hint(e, " Parameter name more than 6 characters");
      return false;
    }
    if (name.empty()) {
      refuse_parameter_name(e);
      return false;
    }
    return check_parameter_name(e, pack_text(e, upper(name)), number);
  }
  if (text.size() >= 3 && is_digit_char(text[1]) && is_digit_char(text[2])) {
    const int n = (text[1] - '0') * 10 + (text[2] - '0');
    if (n >= 10 && n <= 12) {
      number = n;
      tail = std::string(text.substr(3));
      return check_param_mixing(e, n, false);
    }
  }
  if (text.size() >= 2 && is_digit_char(text[1]) && text[1] != '0') {
    number = text[1] - '0';
    tail = std::string(text.substr(2));
    return check_param_mixing(e, number, false);
  }
  flag_error_without_hint(e, " Only P1, P2, .. P9 allowed");
  return false;
}

void note_param_use(Engine& e, int n) {
  auto& p = e.ent.par;
  if (n > p.param_count && n <= k_pname_limit) p.param_count = n;
}

// The quoted text of a PRINT goes to the PRINT text table; a B operand
// after it may not be a constant. False after an error.
bool scan_print_text(Engine& e) {
  auto& f = e.cs.stmt.stmt_fields;
  Line80& l = e.cs.stmt.stmt_line;
  if (f.opnd_len[1] == 0 && f.opnd_len[2] == 0) {
    // PRINT alone prints an empty line: a quoted blank as operand A.
    const int c = f.op_start + f.op_len + 1;
    // Written only over blanks: a comment right after PRINT stays whole.
    if (c + 2 > k_stmt_end_col || l.cols(c, c + 2) != "   ") return true;
    l.set(c, '\'');
    l.set(c + 1, ' ');
    l.set(c + 2, '\'');
    f.opnd_start[1] = static_cast<int2>(c);
    f.opnd_len[1] = 60 + 3;
  }
  const int t = f.opnd_start[1];
  const char open = l.at(t);
  if (open != '\'' && open != '"') return true;
  int q = 0;
  for (int c = t + 1; c <= 80; ++c) {
    if (l.at(c) == '\'' || (l.at(c) == '"' && !e.ctl.java_mode)) {
      q = c;
      break;
    }
  }
  if (q == 0) return true;  // reported by the syntax check
  const int len = q - t - 1;
  if (len > k_print_text_len) {
    flag_error_without_hint(e, " String too long");
    return false;
  }
  auto& pt = e.ent.ptext;
  const int n =
      take_slot(e, pt.print_text_count, k_print_text_limit, " Too many PRINTs with text", ErrorEffect::flag_without_hint);
  if (n == 0) return false;
  std::string text(l.cols(t + 1, q - 1));
  for (char& c : text) {
    if (c == '"') c = '\'';
  }
  pt.print_text[n].assign(text);
  pt.print_text_len[n] = l.at(q) == '\'' ? -len : len;
  if (f.opnd_len[2] > 0 && is_digit_char(l.at(f.opnd_start[2]))) {
    flag_error_without_hint(e, " Constant not allowed as B operand");
    return false;
  }
  return true;
}

// The statement's label and short third field as packed codes. False
// after an error.
bool pack_label_and_third_field(Engine& e) {
  auto& st = e.cs.stmt;
  const auto& f = st.stmt_fields;
  const Line80& l = st.stmt_line;
  if (f.first_word_len > 0) {
    const int c = e.cs.syn.label_col;
    const std::string label = upper(l.cols(c, c + f.first_word_len - 1));
    if (label.rfind("PREEM:", 0) == 0) {
      // The block that receives pre-empted holders. A transaction can
      // never be sent into a GENERATE block.
      e.cs.flags.preem_name_seen = true;
      if (st.stmt_op_word == e.opnames.block_op_names[bc::generate]) {
        flag_error_without_hint(e, "PREEM: illegally used. Use e.g. PREEM: GOTO");
        return false;
      }
      st.stmt_label = k_preem_label_code;
    } else {
      st.stmt_label = pack_text(e, label);
    }
  }
  if (f.third_len > 0) {
    const int c = f.op_start + f.op_len + 1;
    st.third_field_code = pack_text(e, upper(l.cols(c, c + f.third_len - 1)));
  }
  return true;
}

// What the lexer does after one operand.
enum class Lexed { next, stop };

// A number: up to 6 digits as a packed name, a longer integer refused,
// anything else entered as a decimal constant.
Lexed lex_number(Engine& e, int u, const std::string& t) {
  auto& st = e.cs.stmt;
  if (all_digits(t) && t.size() <= 6) {
    st.operand_value[u] = pack_text(e, t);
    return Lexed::next;
  }
  if (all_digits(t) && t.size() > 8) {
    flag_error_without_hint(e, " Integer with more than 8 digits");
    return Lexed::stop;
  }
  int4 index = 0;
  if (!parse_digits(e, t, index)) return Lexed::stop;
  st.operand_text[u] = k_mark_decimal;
  st.operand_value[u] = index;
  return Lexed::next;
}

// A class prefix of one or two letters followed by '$' (a name) or '*'
// (indirect through a parameter) at position sep.
Lexed lex_prefixed(Engine& e, int u, const std::string& t, std::size_t sep, char op1) {
  auto& st = e.cs.stmt;
  const char before = t[sep - 1];
  const bool indirect = t[sep] == '*';
  if (before == ',' || before == '+' || before == '-' || before == '*' || before == '/' || before == 'C' ||
      (before == 'P' && !indirect) || (sep == 2 && t[0] == t[1] && t[0] != 'F')) {
    flag_error_without_hint(e, " Incorrect character in front of $ or *");
    return Lexed::stop;
  }
  char mark = t[0];
  if (sep == 1 && mark == 'F') mark = 'S';
  // T$name names a table in a built-in program's operand (SNAQS).
  const bool table = sep == 1 && mark == 'T' && !indirect && op1 == 'H';
  if (operand_char_class(mark) == opnd::constant && !table) {
    flag_error_without_hint(e, " Incorrect character in front of $ or *");
    return Lexed::stop;
  }
  const std::string rest = t.substr(sep + 1);
  if (indirect) {
    int4 n = 0;
    if (!all_digits(rest) || rest.size() > 2 || (n = std::stoi(rest)) < 1 || n > k_pname_limit) {
      flag_error_without_hint(e, " No constant or legal SNA");
      return Lexed::stop;
    }
    note_param_use(e, n);
    st.operand_text[u] = static_cast<char>(mark - 'A' + 'a');
    st.operand_value[u] = numeric_name_key(n);
    return Lexed::next;
  }
  if (rest.size() > 6 && op1 != 'H') {
    flag_error_without_hint(e, " Name with more than 6 characters");
    return Lexed::stop;
  }
  // A savevalue name of one or two characters that reads as a parameter
  // or a priority (X$P1, X$PR) is refused; longer names (X$PRE, X$P1A) and
  // other short ones (X$AB) are names like any other.
  if (mark == 'X' && (rest.empty() || rest[0] == '$' ||
                      (rest.size() <= 2 && is_param_or_rn_operand(rest[0], rest.size() > 1 ? rest[1] : ' ', ' ')))) {
    flag_error_without_hint(e, " X$-name should start with 3 letters");
    return Lexed::stop;
  }
  st.operand_text[u] = mark;
  st.operand_value[u] = pack_text(e, rest);
  return Lexed::next;
}

// The statements whose operands are counts and seeds written as whole
// numbers: SIMULATE, START, RESET and SEEDS.
bool control_number_statement(const Engine& e) {
  const int4 w = e.cs.stmt.stmt_op_word;
  const auto& names = e.opnames;
  return w != 0 && (w == names.block_op_names[bc::simulate] || w == names.block_op_names[bc::start] ||
                    w == names.block_op_names[bc::reset] || w == names.block_op_names[bc::seeds] ||
                    w == names.seeds_name);
}

// A number written with an exponent: digits, an optional fraction, E and
// the exponent's digits (1E5, 2.5E3, 1E+3).
bool exponent_form(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && is_digit_char(t[i])) ++i;
  if (i == 0) return false;
  if (i < t.size() && t[i] == '.')
    for (++i; i < t.size() && is_digit_char(t[i]);) ++i;
  if (i == t.size() || t[i] != 'E') return false;
  if (++i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  return i < t.size() && all_digits(t.substr(i));
}

// The operands the lexer offers to scan_control_number: every operand of
// a counting statement, operands of 4 or more characters, operands that
// begin with '-', and 3-character operands with an operator in the middle.
bool offered_as_control_number(const Engine& e, const std::string& t) {
  constexpr std::string_view middle = "_=^/*+-";
  return control_number_statement(e) || t.size() >= 4 || t[0] == '-' ||
         (t.size() == 3 && middle.find(t[1]) != std::string_view::npos);
}

// A control statement's number (a count or a seed: a whole number of at
// most 8 digits) and a negative operand of any statement: what the rest
// of the lexer must not read. False after the statement error; the
// operand is otherwise left to the lexer.
bool scan_control_number(Engine& e, int u, const std::string& t) {
  const bool control = control_number_statement(e);
  auto refuse = [&](std::string_view message) {
    flag_error_without_hint(e, message);
    return false;
  };
  auto incorrect = [&] {
    return refuse(u == 1   ? " Incorrect A operand of control statement"
                  : u == 2 ? " Incorrect B operand of control statement"
                           : " Incorrect operand of control statement");
  };
  if (t[0] == '-') {
    // The first creation time of a GENERATE is a time to come.
    if (u == 3 && e.cs.stmt.stmt_op_word == e.opnames.block_op_names[bc::generate])
      return refuse(" C operand must not start with -");
    if (control) return incorrect();
    if (t.find('.') != std::string::npos && t.size() > 9) return refuse(" Negative decimal number too long");
    return true;
  }
  const bool number = is_digit_char(t[0]) || t[0] == '.';
  if (number && exponent_form(t)) return refuse(" Use multiplication, if legal");
  if (!control || !number) return true;
  if (all_digits(t) && t.size() > 8) return refuse(" Integer has more than 8 digits");
  if (t.size() > 9) return refuse(" Operand too long");
  for (char c : t) {
    if (!is_digit_char(c) && c != '.') return incorrect();
  }
  return true;
}

// Operand u (upper case t) of a statement whose operation word begins
// with op1: its class mark and packed code.
Lexed lex_operand(Engine& e, int u, const std::string& t, char op1) {
  auto& st = e.cs.stmt;
  if (!looks_numeric(t) && has_operator(t)) {
    // An operand with operators is an expression: compiled as operand u,
    // it reads as V$ of the new expression. Before the first GENERATE a
    // LET's terms may only be savevalues.
    const bool control_let = !e.cs.pass.check_flag && e.cs.stmt.stmt_op_word == e.opnames.block_op_names[bc::let];
    if (parse_expression_def(e, operand_start(e, u), operand_length(e, u), u, control_let) == 0) return Lexed::stop;
    return Lexed::next;
  }
  if (looks_numeric(t)) return lex_number(e, u, t);
  if ((u <= 2 && is_priority_keyword(t)) || t == "PR") {
    st.operand_text[u] = 'Y';
    return Lexed::next;
  }
  if (t == "C1" || t == "CL") {
    st.operand_text[u] = 'C';
    st.operand_value[u] = pack_text(e, t == "C1" ? "1" : "2");
    return Lexed::next;
  }
  if (t[0] == 'P' && t.size() >= 2 && (t[1] == '$' || is_digit_char(t[1]))) {
    int n = 0;
    std::string tail;
    if (!param_number(e, t, n, tail)) return Lexed::stop;
    if (!tail.empty() && !register_parameter_name(e, n, tail)) return Lexed::stop;
    note_param_use(e, n);
    st.operand_text[u] = 'P';
    st.operand_value[u] = numeric_name_key(n);
    return Lexed::next;
  }
  if (t.size() >= 3 && t[0] == 'R' && t[1] == 'N' && is_digit_char(t[2])) {
    st.operand_text[u] = 'A';
    st.operand_value[u] = pack_text(e, t.substr(2));
    return Lexed::next;
  }
  for (std::size_t i = 1; i <= 2 && i < t.size(); ++i) {
    if (t[i] == '$' || t[i] == '*') return lex_prefixed(e, u, t, i, op1);
  }
  if (t.size() > 6 && op1 != 'H') {
    flag_error_without_hint(e, " Name with more than 6 characters");
    return Lexed::stop;
  }
  st.operand_value[u] = pack_text(e, t);
  return Lexed::next;
}
}  // namespace

void scan_operands(Engine& e) {
  auto& st = e.cs.stmt;
  const auto& f = st.stmt_fields;
  const Line80& l = st.stmt_line;
  st.operand_text.fill(' ');
  st.operand_value.fill(0);
  st.stmt_label = st.stmt_op_word = st.third_field_code = 0;
  if (f.op_len > 0) st.stmt_op_word = packed_operation_word(e);
  if (!pack_label_and_third_field(e)) return;
  // VALUEOF is the word of the expression definition (FVARIABLE, the
  // table's own word for it, is obsolete): its whole operand field is one
  // expression, named by the statement's label.
  if (st.stmt_op_word != 0 && st.stmt_op_word == e.opnames.valueof_name) {
    int last = 0;
    for (int u = 1; u <= 8; ++u) {
      if (f.opnd_len[ix(u)] > 0) last = std::max(last, operand_start(e, u) + operand_length(e, u) - 1);
    }
    const int start = operand_start(e, 1);
    if (last > 0) parse_expression_def(e, start, last - start + 1, 0, false);
    return;
  }
  const char op1 = upcased(l.at(f.op_start));
  if (f.op_len == 5 && op1 == 'P' && upcased(l.at(f.op_start + 1)) == 'R' && !scan_print_text(e)) return;
  for (int u = 1; u <= 8; ++u) {
    const std::string raw = operand_string(e, u);
    if (raw.empty()) continue;
    if (e.ctl.error_reported) return;
    if (raw[0] == '\'' || raw[0] == '"') continue;  // quoted text
    if (u == 2 && raw[0] == '&') {
      // The expression the pass compiled as this statement's operand B.
      st.operand_text[u] = 'V';
      st.operand_value[u] = inline_expression_name(e, 2);
      return;
    }
    const std::string t = upper(raw);
    if (offered_as_control_number(e, t) && !scan_control_number(e, u, t)) return;
    if (lex_operand(e, u, t, op1) == Lexed::stop) return;
  }
}

namespace {
// The text of term t from position `from` on, without trailing blanks.
std::string term_rest(const std::string& t, std::size_t from) { return std::string(trim_right(std::string_view(t).substr(from))); }

// An entity name from position `from` of term t: at most 6 characters,
// not a number. False after the error.
bool read_sna_name(Engine& e, const std::string& t, std::size_t from, int4& value) {
  const std::string rest = term_rest(t, from);
  if (all_digits(rest)) {
    flag_error_without_hint(e, " Illegal constant in expression");
    return false;
  }
  if (rest.size() > 6) {
    flag_error_without_hint(e, " Name with more than 6 characters");
    return false;
  }
  value = pack_text(e, upper(rest));
  return true;
}

// The parameter number of an indirect reference (after '*'): 1 to the
// parameter limit, at most two digits.
void read_indirect_number(Engine& e, const std::string& rest, int4& value) {
  if (!all_digits(rest) || rest.size() > 2 || std::stoi(rest) < 1 || std::stoi(rest) > k_pname_limit) {
    flag_error_without_hint(e, " No constant or legal SNA");
    return;
  }
  value = std::stoi(rest);
}

// A temporary of a compiled expression: one of twelve single letters.
bool read_temporary(char c1, int& kind, int4& value) {
  constexpr std::string_view temps = "IJKLMOTUYZBD";
  const std::size_t at = temps.find(c1);
  if (at == std::string_view::npos) return false;
  kind = opnd::temporary;
  value = static_cast<int4>(at) + 1;
  return true;
}

// A term without a class letter: an integer of up to 5 digits, or a
// longer one (up to 8 digits) entered as a decimal constant.
void read_sna_constant(Engine& e, const std::string& trimmed, char c1, int& kind, int4& value) {
  if (!is_digit_char(c1)) {
    flag_error_without_hint(e, " SNA symbol missing before name");
    write_error_line(e, "     " + trimmed);
    return;
  }
  if (!all_digits(trimmed)) {
    flag_error_without_hint(e, " Illegal character in operand");
    return;
  }
  if (trimmed.size() <= 5) {
    value = std::stoi(trimmed);
    return;
  }
  if (trimmed.size() >= 9) {
    flag_error_without_hint(e, " Integer with more than 8 digits");
    return;
  }
  kind = opnd::decimal;
  parse_digits(e, trimmed, value);
}

// Q, N, S/F, R, X and W terms: the class letter(s), then $name or *j.
void read_entity_term(Engine& e, const std::string& t, int ak, int4& value) {
  const std::size_t at = (t[1] == '$' || t[1] == '*') ? 1 : 2;
  if (t[at] == '$') {
    const std::string rest = term_rest(t, at + 1);
    if (all_digits(rest)) {
      flag_error_without_hint(e, " Illegal constant in expression");
      return;
    }
    const bool short_name = rest.size() < 3;
    if (short_name && (ak != opnd::savevalue || is_param_or_rn_operand(rest.empty() ? ' ' : rest[0],
                                                                         rest.size() > 1 ? rest[1] : ' ', ' '))) {
      flag_error_without_hint(e, " $-name should start with 3 letters");
      return;
    }
    read_sna_name(e, t, at + 1, value);
  } else if (t[at] == '*') {
    read_indirect_number(e, term_rest(t, at + 1), value);
  } else if (ak == opnd::savevalue) {
    flag_error_without_hint(e, " Illegal use of X. P$intended?");
  } else {
    flag_error_without_hint(e, " F, N, Q, R, S, X or W not followed by $, ( or *");
  }
}

// P terms: Pj (one digit), P10 to P12 as named by param_number, P$name
// and the indirect P*j.
void read_parameter_term(Engine& e, const std::string& t, const std::string& trimmed, char c2, int4& value) {
  if (c2 == '*') {
    read_indirect_number(e, term_rest(t, 2), value);
    return;
  }
  if (trimmed.size() > 3 || c2 == '$') {
    if (c2 != '$') {
      flag_error_without_hint(e, " Illegal name in B operand. P$ intended?");
      return;
    }
    int n = 0;
    std::string tail;
    if (!param_number(e, upper(trimmed), n, tail)) return;
    value = n;
    return;
  }
  if (trimmed.size() == 3 || !is_digit_char(c2) || c2 == '0') {
    flag_error_without_hint(e, " Only P1, P2, .. P9 allowed");
    return;
  }
  value = c2 - '0';
  check_param_mixing(e, value, false);
}

// The term's kind and value (parse_sna_operand without the parameter
// bookkeeping).
void parse_sna_term(Engine& e, std::string_view term, int& kind, int4& value, bool temporaries_allowed,
                    bool control_let) {
  std::string t(term.substr(0, std::min<std::size_t>(term.size(), 9)));
  t.resize(9, ' ');
  const std::string trimmed(trim_right(t));
  if (t.find('.') != std::string::npos) {
    kind = opnd::decimal;
    parse_digits(e, trimmed, value);
    return;
  }
  // The class letter; F$ and F* are storages, PR the priority, RNj a
  // random stream; an indirect form (X*j, FN*j) makes the kind negative.
  char c1 = upcased(t[0]), c2 = upcased(t[1]);
  const char c3 = t[2];
  if ((c1 == 'F' && (c2 == '$' || c2 == '*'))) c1 = 'S';
  else if (c1 == 'P' && c2 == 'R' && c3 == ' ') c1 = 'Y';
  else if (c1 == 'R' && c2 == 'N' && is_digit_char(c3)) c1 = 'A';
  if (c2 == '*' || (c2 == 'N' && c3 == '*')) c1 = static_cast<char>(c1 - 'A' + 'a');
  kind = operand_char_class(c1);
  const int ak = kind < 0 ? -kind : kind;
  if (ak == opnd::clock) {
    if (c2 == '1') value = 0;
    else if (c2 == 'L') value = 2;
    else {
      flag_error_without_hint(e, " C must be followed by 1 or L");
      write_error_message(e, " Is X$ missing before C... ?");
    }
    return;
  }
  if (temporaries_allowed && c2 == ' ' && read_temporary(c1, kind, value)) return;
  if (kind == opnd::constant) {
    read_sna_constant(e, trimmed, c1, kind, value);
    return;
  }
  if (control_let && ak != opnd::savevalue) {
    flag_error_without_hint(e, " Only X$ allowed as SNA in control LET");
    return;
  }
  switch (ak) {
    case opnd::queue:
    case opnd::block_count:
    case opnd::storage:
    case opnd::remaining:
    case opnd::savevalue:
    case opnd::waiting: read_entity_term(e, t, ak, value); return;
    case opnd::function:
      if (upcased(c3) != '$') {
        flag_error_without_hint(e, " FN not followed by $, ( or *");
        return;
      }
      read_sna_name(e, t, 3, value);
      return;
    case opnd::variable:
      if (c2 != '$') {
        flag_error_without_hint(e, " V not followed by $");
        return;
      }
      read_sna_name(e, t, 2, value);
      return;
    case opnd::random: {
      const std::string rest = term_rest(t, 2);
      if (!all_digits(rest)) {
        flag_error_without_hint(e, " No constant or legal SNA");
        return;
      }
      value = std::stoi(rest);
      return;
    }
    case opnd::parameter: read_parameter_term(e, t, trimmed, c2, value); return;
    default: return;
  }
}

}  // namespace

void parse_sna_operand(Engine& e, std::string_view term, int& kind, int4& value, bool temporaries_allowed,
                       bool control_let) {
  parse_sna_term(e, term, kind, value, temporaries_allowed, control_let);
  // A term that reads a parameter (Pj, P$name, Q*j ...) makes the model's
  // transactions carry that parameter, as an operand does.
  if (!e.ctl.error_reported && (kind == opnd::parameter || kind < 0)) note_param_use(e, value);
}

bool expect_constant_or_sna(Engine& e, char mark, int4 code, int& kind, int4& value) {
  int4 n = 0;
  if (mark == k_mark_decimal) {
    kind = opnd::decimal;
    value = code;
    return true;
  }
  if (mark == ' ') {
    if (name_number(e, code, n)) {
      kind = opnd::constant;
      value = n;
      return true;
    }
    if (split_label_field(e, code)) {
      // A name with a '.' is a decimal constant or nothing.
      const std::string text(trim_blanks(unpack_name_chars(e, code).view()));
      if (!looks_numeric(text)) {
        flag_error_without_hint(e, " Incorrect operand. Constant expected");
        return false;
      }
      kind = opnd::decimal;
      return parse_digits(e, text, value);
    }
    flag_error_without_hint(e, " SNA or constant expected in operand");
    return false;
  }
  kind = operand_char_class(mark);
  if (kind == opnd::constant) {
    flag_error_without_hint(e, " SNA or constant expected in operand");
    return false;
  }
  const int ak = kind < 0 ? -kind : kind;
  if (ak != opnd::variable && name_number(e, code, n)) value = n;
  else value = code;
  return true;
}

void set_block_operand_code(Engine& e) {
  int kind = 0;
  int4 value = 0;
  if (!expect_constant_or_sna(e, e.cs.stmt.operand_text[1], e.cs.stmt.operand_value[1], kind, value)) return;
  const int b = e.blocks.block_count;
  e.blocks.block_opnd[b] = value;
  e.blocks.block_arg[b] = to_int2(kind);
  if (kind != opnd::constant) e.cs.pass.sna_operand_used = true;
}

bool parse_param_operand(Engine& e, char mark, int block_code, int4 code, int4& result) {
  if (mark != 'P' && mark != 'p') return false;
  int4 n = 0;
  name_number(e, code, n);
  result = mark == 'P' ? -n : -n - k_indirect_parameter;
  auto& pass = e.cs.pass;
  if (block_code != bc::enter && block_code != bc::leave) {
    pass.param_entity_flag = true;
    if (block_code != bc::depart && block_code != bc::arrive) pass.param_queue_flag = true;
  } else {
    pass.param_station_block = e.blocks.block_count;
    if (pass.station_by_number) {
      pass.param_entity_flag = true;
      for (int s = 1; s <= e.ent.st.storage_count; ++s) e.ent.st.code_list[s] = s;
    }
  }
  return true;
}

bool append_named_savevalue(Engine& e, int4 name, int4& number) {
  auto& sv = e.ent.sv;
  const int slot = take_slot(e, sv.savevalue_count, k_named_savevalue_limit, " Too many savevalues with names",
                             ErrorEffect::flag_without_hint);
  if (slot == 0) return false;
  sv.savevalue_name[slot] = name;
  number = slot;
  return true;
}

bool savevalue_number(Engine& e, int4 name, int4& number) {
  auto& sv = e.ent.sv;
  number = find_name(sv.savevalue_name, sv.savevalue_count, name);
  if (number != 0) return true;
  number = take_slot(e, sv.savevalue_count, k_named_savevalue_limit, " Too many savevalues", ErrorEffect::flag_without_hint);
  if (number == 0) return false;
  sv.savevalue_name[ix(number)] = name;
  return true;
}

bool reject_sna_type(Engine& e, int u) {
  if (e.cs.stmt.operand_text[u] == ' ') return false;
  flag_error_without_hint(e, " This type of SNA not allowed");
  return true;
}

bool split_label_field(Engine& e, int4 code) {
  return unpack_name_chars(e, code).view().find('.') != std::string_view::npos;
}

bool is_b_operand_expression(Engine& e) {
  const std::string b = operand_string(e, 2);
  const int len = static_cast<int>(b.size());
  if (len >= 10) return true;
  if (len < 3) return false;
  for (int i = 1; i < len; ++i) {
    const char c = b[i];
    if (c == '+' || c == '-' || c == '*' || c == '/' || c == '"') return true;
  }
  return false;
}

bool read_numeric_operand(Engine& e, int u, int4& value) {
  const char mark = e.cs.stmt.operand_text[u];
  if (operand_length(e, u) == 0) return false;
  if (mark == 'X') return patch_experi_constant(e, e.cs.stmt.operand_value[u], x_use::plain, value);
  // The operand's text as an integer (I format): a sign, then digits.
  const std::string t = operand_string(e, u);
  std::size_t i = t[0] == '-' || t[0] == '+' ? 1 : 0;
  if (i == t.size()) return false;
  std::int64_t v = 0;
  for (; i < t.size(); ++i) {
    if (!is_digit_char(t[i])) return false;
    v = v * 10 + (t[i] - '0');
    if (v > 2147483647) {
      flag_error_without_hint(e, " Incorrect operand");
      return false;
    }
  }
  value = static_cast<int4>(t[0] == '-' ? -v : v);
  return true;
}

}  // namespace kelvo
