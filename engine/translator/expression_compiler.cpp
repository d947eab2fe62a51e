// The expression compiler. Takes the text of an expression (a VALUEOF
// statement, an operand with operators, the value of a LET or of an IF
// with an assignment); produces one row of the compiled expression tables:
// items of (kind, operator, argument) that the run-time evaluator walks
// left to right. Parenthesised parts are compiled first, each ending in a
// store into a temporary slot whose letter takes its place; a call
// FN$name(argument) becomes a function entry of its own that reads its
// argument from the slot.
#include <cstdint>
#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/text_routines.h"
#include "translator/expressions.h"
#include "translator/operand_checks.h"
#include "translator/function_definition.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// Temporary letters of slots 1..12, as the flattening writes them.
constexpr std::string_view k_temp_letters = "ijklmotuyzbd";
static_assert(k_temp_letters.size() == k_expr_temp_slots);

// A call FN$name(argument) is written into the flattened text as its
// function entry's number between two marks '@'; its function_name is
// k_call_name_base plus that number. No packed name has a 16-bit word of
// 64000 or more, so a model's own names never equal these.
constexpr char k_call_mark = '@';
constexpr std::uint32_t k_call_name_base = 0xFA000000u;
static_assert((k_call_name_base >> 16) > 39u * 1600u + 39u * 40u + 39u);
int4 call_name(int entry) { return static_cast<int4>(k_call_name_base + static_cast<std::uint32_t>(entry)); }

// The built-in arithmetic functions by name (codes of namespace mathfn).
struct BuiltinName {
  std::string_view name;
  int code;
};
constexpr BuiltinName k_builtins[] = {
    {"SQR", mathfn::square_root}, {"ABS", mathfn::absolute},      {"INT", mathfn::floor},
    {"LOG", mathfn::logarithm},   {"EXP", mathfn::exponential},   {"SIGN", mathfn::sign},
    {"EQ", mathfn::is_zero},      {"POS", mathfn::positive_part}, {"GT", mathfn::is_above_0},
    {"GE", mathfn::is_at_least_0}, {"LT", mathfn::is_below_0},    {"LE", mathfn::is_at_most_0},
    {"NE", mathfn::is_not_0},     {"SIN", mathfn::sine_degrees},  {"FRAC", mathfn::fraction},
};

std::string upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = upcased(c);
  return r;
}

bool is_name_char(char c) { return is_letter(c) || is_digit_char(c); }

// The class of a built-in attribute name (EXPO 1, NORM 2, RLNGd 20 + d,
// TRAId 30 + d); 0 for any other name.
int attribute_class(std::string_view name) {
  if (name == "EXPO") return fnk::exponential;
  if (name == "NORM") return fnk::normal;
  if (name.size() == 5 && is_digit_char(name[4])) {
    const int d = name[4] - '0';
    if (name.substr(0, 4) == "RLNG" && d >= 1) return fnk::erlang_base + d;
    if (name.substr(0, 4) == "TRAI") return fnk::triangular_base + d;
  }
  return 0;
}

// The stream a built-in attribute draws from: 2 and 3 for EXPO and NORM,
// 5 for the triangular variates, 4 for the Erlang ones.
int attribute_stream(int cls) {
  if (cls <= fnk::normal) return cls + 1;
  return cls >= fnk::triangular_base ? 5 : 4;
}

// An item of expression x reads a parameter (kind 11, an indirect kind)
// or, with `priority`, the priority too.
bool reads_parameter(const Engine& e, int x, bool priority) {
  if (x < 1 || x > k_expr_limit) return false;
  const auto& kinds = e.expr.expr_item_kind[ix(x)];
  for (int i = 1; i <= k_expr_items; ++i) {
    const int4 k = kinds[ix(i)];
    if (k == k_expr_end) break;
    if (k == opnd::parameter || k < 0 || (priority && k == opnd::priority)) return true;
  }
  return false;
}

bool too_long(Engine& e, const std::string& text) {
  if (static_cast<int>(text.size()) <= k_expr_text_len) return false;
  flag_error_without_hint(e, " Expression too long");
  return true;
}

// The function call whose argument is the parenthesised part opening at
// `open` of text: the position of the name after FN$ within the up to 9
// characters before the '(' (npos when the part is no call's argument).
std::size_t call_name_at(const std::string& text, std::size_t open) {
  if (open == 0) return std::string::npos;
  const char before = text[open - 1];
  if (before == '/' || before == '*' || before == '+' || before == '-' || before == '(' || before == '%') {
    return std::string::npos;
  }
  const std::size_t from = open >= 9 ? open - 9 : 0;
  const std::string window = upper(std::string_view(text).substr(from, open - from));
  const std::size_t fn = window.rfind("FN$");
  if (fn == std::string::npos) return std::string::npos;
  const std::size_t name = from + fn + 3;
  if (name >= open) return std::string::npos;
  for (std::size_t k = name; k < open; ++k) {
    if (!is_name_char(text[k])) return std::string::npos;
  }
  return name;
}

// Parentheses are removed innermost-last-first: each part is moved in
// front, ended by a store into the next temporary slot, and the slot's
// letter (or, for a call's argument, nothing) takes its place. So
// A*(B+(C-D)) becomes C-D=i&B+i=j&A*j. False after the statement error.
bool flatten_parentheses(Engine& e, std::string rem, std::string& out) {
  out.clear();
  for (int slot = 1;; ++slot) {
    const std::size_t open = rem.rfind('(');
    if (open == std::string::npos) {
      if (rem.find(')') != std::string::npos) {
        flag_error_without_hint(e, " Incorrectly nested parentheses");
        return false;
      }
      out += rem;
      return !too_long(e, out);
    }
    const std::size_t close = rem.find(')', open + 1);
    if (close == std::string::npos) {
      write_error_message(e, " No corresponding right parenthesis");
      flag_error_without_hint(e, " or expression too complex");
      return false;
    }
    if (slot > k_expr_temp_slots) {
      flag_error_without_hint(e, " The expression is too complicated");
      return false;
    }
    const char letter = k_temp_letters[ix(slot - 1)];
    out += rem.substr(open + 1, close - open - 1);
    out += '=';
    out += letter;
    out += '&';
    std::string before = rem.substr(0, open);
    const std::string after = rem.substr(close + 1);
    const std::size_t name = call_name_at(rem, open);
    if (name != std::string::npos) {
      // FN$name becomes the mark of the call's own function entry.
      const int call = check_function_ref(e, std::string_view(rem).substr(name, open - name), slot);
      if (call == 0) return false;
      before = before.substr(0, name - 3) + k_call_mark + std::to_string(call) + k_call_mark;
      rem = before + after;
    } else {
      rem = before + letter + after;
    }
    if (too_long(e, out) || too_long(e, rem)) return false;
  }
}

int operator_code(char c) {
  switch (c) {
    case '-': return xop::subtract;
    case '*': return xop::multiply;
    case '/': return xop::divide;
    case '=': return xop::store;
    case '%': return xop::remainder;
    default: return xop::add;  // '+' and the part separator '&'
  }
}

bool is_math_operator(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }
bool is_item_operator(char c) { return is_math_operator(c) || c == '=' || c == '%' || c == '&'; }

// A '*' that belongs to the term: indirect addressing after a class
// letter (Q*2, X*1) or after FN (FN*2).
bool indirect_star(const std::string& term) {
  if (term.size() == 1) {
    const char c = upcased(term[0]);
    return c != 'Y' && operand_char_class(c) != opnd::constant;
  }
  return term.size() == 2 && upper(term) == "FN";
}

}  // namespace

int4 inline_expression_name(Engine& e, int d) { return e.cs.pass.line_count * 10 + d; }

int builtin_function_code(std::string_view name) {
  for (const BuiltinName& b : k_builtins) {
    if (b.name == name) return b.code;
  }
  return 0;
}

bool scan_operand_row(const Engine& e, int x) {
  if (e.cs.pass.block_code == bc::advance) return false;
  return reads_parameter(e, x, true);
}

int check_function_ref(Engine& e, std::string_view written, int slot) {
  const std::string name = upper(written);
  auto& fn = e.ent.fn;
  int cls = builtin_function_code(name);
  if (cls == 0) {
    const int f = name.size() <= 6 ? find_name(fn.function_name, fn.function_count, pack_symbol_name(e, name)) : 0;
    if (attribute_class(name) != 0 || (f > 0 && fn.function_kind[ix(f)] != k_expression_function_kind)) {
      flag_error_without_hint(e, " Parentheses not allowed for this function");
      return 0;
    }
    // MIN and MAX with their argument lists are the LET statement's
    // min/max form; any other name must be a function.
    if (f == 0) {
      flag_error_without_hint(e, " Illegal function");
      return 0;
    }
    cls = fnk::expression_base + f;
  }
  const int c = check_d_operand(e);
  if (c == 0) return 0;
  fn.function_name[ix(c)] = call_name(c);
  fn.function_kind[ix(c)] = cls;
  fn.function_arg_class[ix(c)] = opnd::temporary;
  fn.function_arg_value[ix(c)] = slot;
  fn.function_point_count[ix(c)] = 0;
  e.expr.ref_class[ix(c)] = cls;
  e.expr.ref_index[ix(c)] = opnd::temporary;
  e.expr.ref_arg[ix(c)] = slot;
  return c;
}

bool define_expression_ref(Engine& e, int4 name, int& number) {
  const std::string text(trim_blanks(unpack_name_chars(e, name).view()));
  const int cls = attribute_class(text);
  if (cls == 0) return false;
  auto& fn = e.ent.fn;
  if (const int f = find_name(fn.function_name, fn.function_count, name); f != 0) {
    number = f;
    return true;
  }
  const int f = check_d_operand(e);
  if (f == 0) return false;
  fn.function_name[ix(f)] = name;
  fn.function_kind[ix(f)] = cls;
  fn.function_arg_class[ix(f)] = opnd::constant;
  fn.function_arg_value[ix(f)] = attribute_stream(cls);
  fn.function_point_count[ix(f)] = 0;
  e.expr.ref_class[ix(f)] = cls;
  e.expr.ref_arg[ix(f)] = attribute_stream(cls);
  number = f;
  return true;
}

bool tokenize_expression(Engine& e, std::string_view text, int x, bool control_let) {
  auto& ex = e.expr;
  std::size_t end = text.find_first_of(" ,");
  if (end == std::string_view::npos) end = text.size();
  int count = 0;
  int op = xop::add;
  std::string term;
  // Stores the term ended by the operator at hand as the next item.
  auto emit = [&]() {
    if (term.empty()) return true;
    if (++count > k_expr_items) {
      flag_error_without_hint(e, "  Expression too complicated");
      return false;
    }
    if (term.size() > 9) {
      flag_error_without_hint(e, " Term longer than 9 characters");
      return false;
    }
    if (is_priority_keyword(term)) term = "PR";
    int kind = 0;
    int4 value = 0;
    if (term[0] == k_call_mark) {
      // A call is its entry's number between two marks; anything written
      // right after the call's parenthesis is no operator.
      const std::string digits = term.substr(1, term.size() - 2);
      if (term.size() < 3 || term.back() != k_call_mark || digits.size() > 3 ||
          digits.find_first_not_of("0123456789") != std::string::npos) {
        flag_error_without_hint(e, " Illegal character in operand");
        return false;
      }
      kind = opnd::function;
      value = call_name(std::stoi(digits));
    } else {
      parse_sna_operand(e, term, kind, value, true, control_let);
      if (e.ctl.error_reported) return false;
    }
    ex.expr_item_kind[ix(x)][ix(count)] = kind;
    ex.expr_item_op[ix(x)][ix(count)] = op;
    ex.expr_item_arg[ix(x)][ix(count)] = value;
    term.clear();
    return true;
  };
  for (std::size_t i = 0; i < end; ++i) {
    const char c = text[i];
    if (c == '*' && indirect_star(term)) {
      term += c;
      continue;
    }
    if (!is_item_operator(c)) {
      term += c;
      continue;
    }
    if (is_math_operator(c) && i + 1 < end && is_math_operator(text[i + 1])) {
      flag_error_without_hint(e, " 2 math operators in a row. Use ( and )");
      return false;
    }
    if (!emit()) return false;
    op = operator_code(c);
  }
  if (!emit()) return false;
  ex.defn_uses_param[ix(x)] = reads_parameter(e, x, true);
  return true;
}

int compile_expression_text(Engine& e, std::string_view written, int d, bool control_let) {
  auto& ex = e.expr;
  auto& stmt = e.cs.stmt;
  std::string text(trim_right(written));
  if (too_long(e, text)) return 0;
  if (!parse_valueof(e, text)) return 0;
  // Up to a '!' comment; a relation outside a quoted stretch is no
  // expression's.
  if (const std::size_t bang = text.find('!'); bang != std::string::npos) text.resize(bang);
  if (text.find(k_call_mark) != std::string::npos) {
    flag_error_without_hint(e, " Illegal character in operand");
    return 0;
  }
  bool quoted = false;
  for (const char c : text) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && (c == '<' || c == '=' || c == '>')) {
      flag_error_without_hint(e, " Illegal =, > or > in operand");
      return 0;
    }
  }
  int4 name = stmt.stmt_label;
  if (d == 0 && find_name(ex.defn_name, ex.defn_count, name) != 0) {
    flag_error_without_hint(e, " Expression defined twice");
    return 0;
  }
  const int x = take_slot(e, ex.defn_count, k_expr_limit, " Too many expressions defined", ErrorEffect::flag_without_hint);
  if (x == 0) return 0;
  if (d != 0) {
    if (e.cs.pass.line_count > k_max_statements) {
      flag_error_without_hint(e, " Expression must come earlier in program");
      return 0;
    }
    name = inline_expression_name(e, d);
    if (d >= 1 && d <= 8) {
      stmt.operand_text[ix(d)] = 'V';
      stmt.operand_value[ix(d)] = name;
    }
  }
  ex.defn_name[ix(x)] = name;
  if (!parse_quote_caret(e, text)) return 0;
  std::string flat;
  if (!flatten_parentheses(e, text, flat)) return 0;
  return tokenize_expression(e, flat, x, control_let) ? x : 0;
}

int parse_expression_def(Engine& e, int start, int length, int d, bool control_let) {
  const int end = start + length - 1;
  if (start < 1 || end > k_stmt_end_col) {
    flag_error_without_hint(e, " Expression too long");
    return 0;
  }
  return compile_expression_text(e, e.cs.stmt.stmt_line.cols(start, end), d, control_let);
}

}  // namespace kelvo
