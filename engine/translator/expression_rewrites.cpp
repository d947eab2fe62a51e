// Rewrites of an expression text before it is compiled: boolean tests on
// an entity ((PUMP=U), (TANK=NE) ...) become terms of the entity's
// attributes, the power operators ^ and " become calls of the built-in
// exponential and logarithm, and the text of an IF with an assignment is
// assembled from its operands. No rewrite ever lets a text pass the
// length of the expression work text.
#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/text_routines.h"
#include "translator/expressions.h"

namespace kelvo {

namespace {

// Boolean tests are rewritten within a window of this many characters.
constexpr std::size_t k_valueof_window = 60;
// The operator pair of a power is copied into a field of this size.
constexpr std::size_t k_power_pair_len = 100;

bool is_operator_char(char c) {
  return c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == '&' || c == '=' || c == ',' || c == '^' ||
         c == '"';
}

// The term a boolean test becomes, by its code: 1 in use (F), 2 not in
// use (1-F), 3 full and 4 empty (R or S equal to 0), 5 not full and
// 6 not empty (R or S above 0).
std::string boolean_term(int code, const std::string& name) {
  switch (code) {
    case 1: return "F$" + name;
    case 2: return "(1-F$" + name + ")";
    case 3: return "FN$EQ(R$" + name + ")";
    case 4: return "FN$EQ(S$" + name + ")";
    case 5: return "FN$GT(R$" + name + ")";
    default: return "FN$GT(S$" + name + ")";
  }
}

// The code of a test's letters: U, F, E alone 1, 3, 4; after another
// letter 2, 5, 6; 0 for anything else.
int boolean_code(std::string_view letters) {
  auto code_of = [](char c, int u, int f, int e) { return c == 'U' ? u : c == 'F' ? f : c == 'E' ? e : 0; };
  if (letters.size() == 1) return code_of(upcased(letters[0]), 1, 3, 4);
  if (letters.size() == 2 && is_letter(letters[0])) return code_of(upcased(letters[1]), 2, 5, 6);
  return 0;
}

// The parenthesised group that ends at `close` begins at the returned
// position; npos when it is not closed. A function name written right
// before it (FN$SQR(X)) belongs to the group.
std::size_t group_start(const std::string& text, std::size_t close) {
  int depth = 0;
  for (std::size_t k = close + 1; k-- > 0;) {
    if (text[k] == ')') ++depth;
    if (text[k] == '(' && --depth == 0) {
      std::size_t from = k;
      while (from > 0 && !is_operator_char(text[from - 1]) && text[from - 1] != '(') --from;
      return from;
    }
  }
  return std::string::npos;
}

// The parenthesised group that opens at `open` ends at the returned
// position; npos when it is not closed.
std::size_t group_end(const std::string& text, std::size_t open) {
  int depth = 0;
  for (std::size_t k = open; k < text.size(); ++k) {
    if (text[k] == '(') ++depth;
    if (text[k] == ')' && --depth == 0) return k;
  }
  return std::string::npos;
}

void power_error(Engine& e, std::string_view what) {
  std::string message = " ";
  message += what;
  message += " \" or ^";
  flag_error_without_hint(e, message);
}

}  // namespace

bool parse_valueof(Engine& e, std::string& text) {
  for (std::size_t open = text.find('('); open != std::string::npos; open = text.find('(', open + 1)) {
    const std::size_t eq = text.find_first_of("=()", open + 1);
    if (eq == std::string::npos || text[eq] != '=') continue;
    const std::size_t close = text.find(')', eq);
    const std::string entity(trim_blanks(std::string_view(text).substr(open + 1, eq - open - 1)));
    if (!entity.empty() && upcased(entity[0]) == 'P' && (entity.size() == 1 || is_digit_char(entity[1]))) {
      flag_error_without_hint(e, " Parameter not allowed in boolean VALUEOF");
      return false;
    }
    const std::string name = entity.find('$') == std::string::npos ? entity : entity.substr(entity.find('$') + 1);
    const int code = close == std::string::npos ? 0 : boolean_code(std::string_view(text).substr(eq + 1, close - eq - 1));
    std::string rewritten;
    if (code != 0 && !name.empty() && name.size() <= 6) {
      std::string upper_name = name;
      for (char& c : upper_name) c = upcased(c);
      rewritten = text.substr(0, open) + boolean_term(code, upper_name) + text.substr(close + 1);
    }
    // A test that cannot be read, or whose rewriting would pass its
    // window, is refused here rather than by a later, misleading check.
    if (rewritten.empty() || rewritten.size() > k_valueof_window) {
      flag_error_without_hint(e, " Error in valueOf with =");
      return false;
    }
    text = rewritten;
  }
  return true;
}

bool rewrite_power_operator(std::string& text, std::size_t from, std::size_t op, std::size_t to) {
  if (from >= op || op >= to || to >= text.size() || to - from + 1 > k_power_pair_len) return false;
  const std::string left = text.substr(from, op - from);
  const std::string right = text.substr(op + 1, to - op);
  std::string out = text.substr(0, from) + "(fn$exp(" + right + "*fn$log(" + left + ")))" + text.substr(to + 1);
  if (static_cast<int>(out.size()) > k_expr_text_len) return false;
  text = out;
  return true;
}

bool parse_quote_caret(Engine& e, std::string& text) {
  for (std::size_t op = text.find_first_of("^\""); op != std::string::npos; op = text.find_first_of("^\"")) {
    // The left operand: the group that ends right before the operator, or
    // the text back to the operator before it.
    std::size_t from = op;
    if (op > 0 && text[op - 1] == ')') {
      from = group_start(text, op - 1);
    } else {
      while (from > 0 && !is_operator_char(text[from - 1]) && text[from - 1] != '(') --from;
    }
    if (from == std::string::npos || from == op) {
      power_error(e, "Unbalanced parentheses before");
      return false;
    }
    // The right operand: the group that follows, or the text up to the
    // next operator (a function's argument group included).
    if (op + 1 >= text.size() || is_operator_char(text[op + 1]) || text[op + 1] == ')') {
      power_error(e, "Illegal operator after");
      return false;
    }
    std::size_t to = op + 1;
    while (to < text.size() && !is_operator_char(text[to]) && text[to] != '(' && text[to] != ')') ++to;
    if (to < text.size() && text[to] == '(') {
      to = group_end(text, to);
      if (to == std::string::npos) {
        power_error(e, "Unbalanced parentheses after");
        return false;
      }
    } else {
      --to;
    }
    // Rewrites never cut text: one that would not fit is refused.
    if (!rewrite_power_operator(text, from, op, to)) {
      flag_error_without_hint(e, " A operand too long");
      return false;
    }
  }
  return true;
}

bool check_if_statement_size(Engine& e, std::string& work, std::string_view text) {
  for (std::size_t k = 0; k + 2 < text.size(); ++k) {
    if (upcased(text[k]) == 'R' && upcased(text[k + 1]) == 'N' && is_digit_char(text[k + 2])) {
      flag_error_without_hint(e, " RNj not allowed in IF with D operand");
      return false;
    }
  }
  if (static_cast<int>(work.size() + text.size()) >= k_expr_text_len) {
    flag_error_without_hint(e, " IF statement is too long or complicated");
    return false;
  }
  work += text;
  return true;
}

bool insert_sign_paren(Engine& e, std::string& work, std::string_view left, std::string_view right) {
  const bool signed_right = right.size() > 1 && right.substr(1).find_first_of("+-") != std::string_view::npos;
  std::string term = "(";
  term += left;
  term += '-';
  if (signed_right) term += '(';
  term += right;
  if (signed_right) term += ')';
  term += ")*";
  return check_if_statement_size(e, work, term);
}

}  // namespace kelvo
