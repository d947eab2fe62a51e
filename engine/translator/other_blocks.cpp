// Checks of the remaining blocks and statements: GOTO, SPLIT, ASSEMBLE,
// LET MIN/MAX (SELECT written as such, and LET Pj=MIN(...) rewritten into
// it), FN$MIN/FN$MAX, PRINT, TABULATE, and the operands of START, TRACE
// and MATUT. Takes the statement's operands; produces the block's operand
// words and the rows of the flow tables, or a statement error.
#include "translator/other_blocks.h"

#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "support/text_routines.h"
#include "translator/matrix_graph_statements.h"
#include "translator/operand_checks.h"
#include "translator/special_statements.h"
#include "translator/table_definitions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

char mark_of(const Engine& e, int u) { return e.cs.stmt.operand_text[static_cast<std::size_t>(u)]; }
int4 code_of(const Engine& e, int u) { return e.cs.stmt.operand_value[static_cast<std::size_t>(u)]; }

std::string upper_operand(Engine& e, int u) {
  std::string t = operand_string(e, u);
  for (char& c : t) c = upcased(c);
  return t;
}

bool all_digits(std::string_view t) { return !t.empty() && t.find_first_not_of("0123456789") == std::string_view::npos; }

// An unsigned integer of at most 6 digits written as it stands (mark
// blank, all digits).
bool plain_number(Engine& e, int u, int4& n) { return mark_of(e, u) == ' ' && all_digits(operand_string(e, u)) && name_number(e, code_of(e, u), n); }

// The parameter number of a Pj or P$name operand (lexed as mark P).
bool parameter_operand(Engine& e, int u, int4& j) { return mark_of(e, u) == 'P' && name_number(e, code_of(e, u), j) && j >= 1; }

// A block address: a label (a name beginning with a letter) as its packed
// code, or FN$name of an address function as -i. False with no report
// for anything else; false after the report of an address function.
bool address_operand(Engine& e, int u, int4& address, bool& reported) {
  reported = false;
  const std::string t = operand_string(e, u);
  if (t.empty()) return false;
  if (mark_of(e, u) == 'F') {
    address = code_of(e, u);
    reported = !check_named_function(e, address);
    return !reported;
  }
  if (mark_of(e, u) != ' ' || !is_letter(t[0])) return false;
  address = code_of(e, u);
  return true;
}

// Copies, ASSEMBLE counts and LET MIN/MAX limits given by a savevalue or
// a parameter are coded below 0: savevalue x as -x, parameter j as
// -(10000 + j).
constexpr int4 k_param_code = 10000;

bool savevalue_operand(Engine& e, int u, int4& x) { return mark_of(e, u) == 'X' && savevalue_number(e, code_of(e, u), x); }

}  // namespace

// ---- Address functions and FUNCTION references

bool check_named_function(Engine& e, int4& operand) {
  auto& fn = e.ent.fn;
  if (!fn.address_function_defined) {
    flag_error_without_hint(e, " No function with named addresses defined");
    return false;
  }
  const int i = find_name(fn.function_name, fn.function_count, operand);
  if (i == 0) {
    // An error, not a report: the model would run with a name where the
    // address function's number belongs.
    flag_statement_error(e, " Function address not defined");
    return false;
  }
  operand = -i;
  return true;
}

bool find_function_number(Engine& e, int4 name, int& number) {
  const int i = find_name(e.ent.fn.function_name, e.ent.fn.function_count, name);
  if (i == 0) {
    flag_error_without_hint(e, " Function in B operand not defined");
    return false;
  }
  number = i;
  return true;
}

// ---- GOTO

bool check_probability_operand(Engine& e, std::string_view text, real4& value, bool& taken) {
  taken = false;
  if (text.empty() || (text[0] != '0' && text[0] != '.' && text[0] != '1')) return true;
  taken = true;
  std::size_t i = 0;
  real4 v = 0.0f;
  bool ok = true;
  if (text[0] != '.') {
    v = static_cast<real4>(text[0] - '0');
    i = 1;
    ok = i == text.size() || text[i] == '.';
  }
  if (ok && i < text.size()) {
    // The digits after the point, digit k adding digit / 10^k.
    real4 scale = 1.0f;
    for (++i; i < text.size() && ok; ++i) {
      ok = is_digit_char(text[i]);
      scale *= 10.0f;
      if (ok) v += static_cast<real4>(text[i] - '0') / scale;
    }
  }
  if (!ok || v > 1.0f) {
    flag_error_without_hint(e, " Illegal character in probability operand");
    return false;
  }
  value = v;
  return true;
}

void check_goto_block(Engine& e) {
  auto& go = e.flow.go;
  const int b = e.blocks.block_count;
  const int g = take_slot(e, e.cs.pass.goto_count, k_goto_limit, " Too many GOTO statements", ErrorEffect::flag_without_hint);
  if (g == 0) return;
  e.blocks.block_arg[ix(b)] = to_int2(g);
  bool reported = false;
  int4 address = 0;
  if (!address_operand(e, 1, address, reported)) {
    if (reported) return;
    const std::string a = operand_string(e, 1);
    flag_error_without_hint(e, !a.empty() && mark_of(e, 1) == ' ' ? " Illegal address in A operand"
                                                                   : " Incorrect A operand of GOTO block");
    return;
  }
  go.goto_address[ix(g)] = address;
  if (operand_length(e, 3) > 0) {
    flag_error_without_hint(e, " C operand not allowed in GOTO block");
    return;
  }
  const std::string p = operand_string(e, 2);
  real4 prob = 1.0f;
  bool taken = false;
  if (!check_probability_operand(e, p, prob, taken)) return;
  if (!taken && !p.empty()) {
    int4 n = 0;
    int f = 0;
    if (mark_of(e, 2) == 'X') {
      // An EXPERI input value may stand here: the savevalue's number.
      if (!patch_experi_constant(e, code_of(e, 2), x_use::goto_b, n) && !savevalue_number(e, code_of(e, 2), n)) return;
      prob = static_cast<real4>(n + 1);
    } else if (parameter_operand(e, 2, n)) {
      prob = static_cast<real4>(k_param_code + n);
    } else if (mark_of(e, 2) == 'F') {
      if (!find_function_number(e, code_of(e, 2), f)) return;
      prob = static_cast<real4>(-f);
    } else {
      flag_error_without_hint(e, " Illegal B operand value");
      return;
    }
  }
  go.goto_prob[ix(g)] = prob;
}

// ---- SPLIT and ASSEMBLE

void check_split_block(Engine& e) {
  auto& sp = e.flow.split;
  auto& pass = e.cs.pass;
  const int b = e.blocks.block_count;
  pass.has_split = true;
  const int k = take_slot(e, pass.split_count, k_split_limit, " Too many SPLIT blocks", ErrorEffect::flag_without_hint);
  if (k == 0) return;
  e.blocks.block_arg[ix(b)] = to_int2(k);
  int4 n = 0;
  if (plain_number(e, 1, n)) {
    e.blocks.block_opnd[ix(b)] = n;
  } else if (savevalue_operand(e, 1, n)) {
    e.blocks.block_opnd[ix(b)] = -n;
  } else if (parameter_operand(e, 1, n)) {
    e.blocks.block_opnd[ix(b)] = -(k_param_code + n);
  } else {
    if (!e.ctl.error_reported) flag_error_without_hint(e, " Incorrect A operand in SPLIT block");
    return;
  }
  if (operand_length(e, 2) == 0) {
    flag_error_without_hint(e, " Compulsory B operand missing in SPLIT block");
    return;
  }
  bool reported = false;
  int4 address = 0;
  if (!address_operand(e, 2, address, reported)) {
    if (!reported) flag_error_without_hint(e, " Illegal address in B operand in SPLIT block");
    return;
  }
  sp.split_target[ix(k)] = address;
  if (operand_length(e, 3) == 0) return;
  int4 j = 0;
  if (!parameter_operand(e, 3, j)) {
    flag_error_without_hint(e, " Incorrect C operand in SPLIT block");
    return;
  }
  sp.split_param[ix(k)] = j;
}

void check_assemble_block(Engine& e) {
  auto& pass = e.cs.pass;
  const int b = e.blocks.block_count;
  pass.has_assemble = true;
  e.flow.assemble_used = true;
  const int a = take_slot(e, pass.assemble_count, k_assemble_limit, " Too many ASSEMBLE blocks", ErrorEffect::flag_without_hint);
  if (a == 0) return;
  e.blocks.block_opnd[ix(b)] = a;
  // block_arg: the members to absorb before one passes (the count less 1),
  // or the coded savevalue or parameter that gives the count.
  int4 n = 0;
  if (plain_number(e, 1, n)) {
    if (n == 1) {
      flag_error_without_hint(e, " ASSEMBLE 1 illegal. Try ASSEMBLE 2!");
      return;
    }
    if (n < 2 || n > 32767) {
      flag_error_without_hint(e, " Incorrect A operand in ASSEMBLE block");
      return;
    }
    e.blocks.block_arg[ix(b)] = to_int2(n - 1);
  } else if (savevalue_operand(e, 1, n)) {
    e.blocks.block_arg[ix(b)] = to_int2(-n);
  } else if (parameter_operand(e, 1, n)) {
    e.blocks.block_arg[ix(b)] = to_int2(-(k_param_code + n));
  } else if (!e.ctl.error_reported) {
    flag_error_without_hint(e, " Incorrect A operand in ASSEMBLE block");
  }
}

// ---- LET MIN/MAX

namespace {

// The operand kind of an SNA class letter that a range can be searched
// over (0: none).
int minmax_class_kind(char c) {
  switch (upcased(c)) {
    case 'Q': return opnd::queue;
    case 'N': return opnd::block_count;
    case 'S':
    case 'F': return opnd::storage;
    case 'R': return opnd::remaining;
    case 'X': return opnd::savevalue;
    case 'W': return opnd::waiting;
    default: return 0;
  }
}

// A class operand: one letter.
int class_operand(Engine& e, int u) {
  const std::string t = operand_string(e, u);
  return t.size() == 1 && mark_of(e, u) == ' ' ? minmax_class_kind(t[0]) : 0;
}

// A limit: a number from 1 on, or X$name read at run time (-x).
bool limit_operand(Engine& e, int u, int4& limit) {
  int4 n = 0;
  if (plain_number(e, u, n) && n >= 1) {
    limit = n;
    return true;
  }
  if (!savevalue_operand(e, u, n)) return false;
  limit = -n;
  return true;
}

// The limits in operands u and u + 1; constant limits in order. False
// after `improper` or `reversed`.
bool limit_operands(Engine& e, int u, int4& lower, int4& upper, const char* improper, const char* reversed) {
  if (!limit_operand(e, u, lower) || !limit_operand(e, u + 1, upper)) {
    if (!e.ctl.error_reported) flag_error_without_hint(e, improper);
    return false;
  }
  if (lower > 0 && upper > 0 && lower > upper) {
    flag_error_without_hint(e, reversed);
    return false;
  }
  return true;
}

// The parameter that receives the number found: Pj, P$name or the bare
// number j. 0 after the report.
int result_parameter(Engine& e, int4 j, const char* improper) {
  if (j < 1) {
    flag_error_without_hint(e, improper);
    return 0;
  }
  if (j > k_param_word_limit) {
    flag_error_without_hint(e, " Parameter value too high");
    return 0;
  }
  auto& par = e.ent.par;
  if (j > par.param_count) par.param_count = j;
  return j;
}

// "Qn" of the LET form: a class letter and an entity number from 1 on.
bool class_and_number(std::string_view t, int& kind, int4& n) {
  if (t.size() < 2 || t.size() > 7 || !all_digits(t.substr(1))) return false;
  kind = minmax_class_kind(t[0]);
  n = std::stoi(std::string(t.substr(1)));
  return kind != 0 && n >= 1;
}

}  // namespace

void check_let_minmax_block(Engine& e) {
  auto& mm = e.flow.mm;
  auto& syn = e.cs.syn;
  const int b = e.blocks.block_count;
  const bool p_form = syn.minmax_p_form;
  syn.minmax_p_form = false;
  const int m = take_slot(e, e.cs.pass.minmax_count, k_minmax_limit, " Too many LET MIN/MAX blocks", ErrorEffect::flag_without_hint);
  if (m == 0) return;
  e.blocks.block_arg[ix(b)] = to_int2(syn.minmax_letter == 'N' ? -m : m);
  int4 j = 0, lower = 0, upper = 0;
  int kind = 0;
  if (e.cs.pass.block_code == bc::let_minmax) {
    // LET Pj=MIN(cn,cm), rewritten as SELECT Pj,cn,cm.
    if (!parameter_operand(e, 1, j)) {
      flag_error_without_hint(e, " Improper A argument in LET MIN/MAX");
      return;
    }
    int kind_c = 0;
    if (!class_and_number(upper_operand(e, 2), kind, lower) || !class_and_number(upper_operand(e, 3), kind_c, upper) ||
        kind != kind_c) {
      flag_error_without_hint(e, " Improper B or C argument in LET MIN/MAX");
      return;
    }
    if (lower > upper) {
      flag_error_without_hint(e, " B > C in LET MIN/MAX");
      return;
    }
  } else if (p_form) {
    // SELECT Pj=MIN(c)B,C, rewritten by the syntax check as j,B,C,c.
    if (!plain_number(e, 1, j)) {
      flag_error_without_hint(e, " Improper A operand in LET MIN/MAX block");
      return;
    }
    if (!limit_operands(e, 2, lower, upper, " Improper B or C operand", " B > C in LET MIN/MAX")) return;
    kind = class_operand(e, 4);
    if (kind == 0 || operand_length(e, 5) > 0) {
      flag_error_without_hint(e, " Improper D or E operand");
      return;
    }
  } else {
    // SELECT MIN A,B,,D,E: A the parameter, B the class, D and E the limits.
    if (!parameter_operand(e, 1, j) && !plain_number(e, 1, j)) {
      flag_error_without_hint(e, " Improper A operand in LET MIN/MAX block");
      return;
    }
    kind = class_operand(e, 2);
    if (kind == 0) {
      flag_error_without_hint(e, " Improper B or C operand");
      return;
    }
    if (operand_length(e, 3) > 0) {
      flag_error_without_hint(e, " Improper C operand");
      return;
    }
    if (!limit_operands(e, 4, lower, upper, " Improper D or E operand", " D operand value > E operand value")) return;
  }
  j = result_parameter(e, j, " Improper A operand in LET MIN/MAX block");
  if (j == 0) return;
  mm.minmax_param[ix(m)] = j;
  mm.minmax_kind[ix(m)] = kind;
  mm.minmax_lower[ix(m)] = lower;
  mm.minmax_upper[ix(m)] = upper;
}

// ---- FN$MIN and FN$MAX

namespace {
// One argument of FN$MIN/FN$MAX: a constant of at most 6 digits, or X$name.
bool minmax2_argument(Engine& e, std::string t, char& kind, int4& value) {
  for (char& c : t) c = upcased(c);
  if (all_digits(t) && t.size() <= 6) {
    kind = '0';
    value = pack_symbol_name(e, t);
    return true;
  }
  if (t.size() >= 3 && t.size() <= 8 && t[0] == 'X' && t[1] == '$' && is_letter(t[2])) {
    kind = 'X';
    value = pack_symbol_name(e, t.substr(2));
    return true;
  }
  return false;
}
}  // namespace

bool parse_fn_minmax(Engine& e, int p) {
  Line80& l = e.cs.stmt.stmt_line;
  std::string name;
  for (int c = p + 1; c <= p + 6; ++c) name += up_at(l, c);
  // Only these two names: a model function called MAXQ keeps its argument.
  if ((name != "FN$MIN" && name != "FN$MAX") || l.at(p + 7) != '(') return false;
  const int open = p + 7;
  int close = 0;
  for (int c = open + 1; c <= k_stmt_end_col && close == 0; ++c) {
    if (l.at(c) == ')') close = c;
    else if (l.at(c) == ' ' || l.at(c) == '!') break;
  }
  // Only a call that is the whole value: inside a longer expression the
  // name is the expression compiler's.
  if (close > 0 && !blank_or_bang(l.at(close + 1))) return false;
  const std::string args = close > 0 ? std::string(l.cols(open + 1, close - 1)) : std::string();
  const std::size_t comma = args.find(',');
  char kind[2] = {' ', ' '};
  int4 value[2] = {0, 0};
  if (close == 0 || comma == std::string::npos || args.find(',', comma + 1) != std::string::npos ||
      !minmax2_argument(e, args.substr(0, comma), kind[0], value[0]) ||
      !minmax2_argument(e, args.substr(comma + 1), kind[1], value[1])) {
    flag_error_without_hint(e, " Constant or X-value expected");
    return false;
  }
  auto& mm2 = e.flow.mm2;
  const int m = take_slot(e, mm2.minmax2_count, k_minmax2_limit, "Too many FN$MIN/MAX functions", ErrorEffect::flag_without_hint);
  if (m == 0) return false;
  mm2.minmax2_is_max[ix(m)] = name[4] == 'A';
  for (int i = 0; i < 2; ++i) {
    mm2.minmax2_char[ix(m)][ix(i + 1)] = kind[i];
    mm2.minmax2_value[ix(m)][ix(i + 1)] = value[i];
  }
  for (int c = open; c <= close; ++c) l.set(c, ' ');
  mm2.statement_entry = m;
  e.cs.syn.fn_minmax_flag = true;
  // The block this statement becomes runs the FN$MIN/FN$MAX form.
  const int next = e.blocks.block_count + 1;
  if (e.cs.pass.check_flag && next <= k_block_capacity) e.blocks.block_op[ix(next)] = bc::let_minmax_run;
  return true;
}

void check_fn_minmax_block(Engine& e) {
  auto& mm2 = e.flow.mm2;
  const int m = mm2.statement_entry;
  mm2.statement_entry = 0;
  int4 x = 0;
  if (m < 1 || m > mm2.minmax2_count || !savevalue_operand(e, 1, x)) {
    if (!e.ctl.error_reported) flag_error_without_hint(e, " X$-value expected in A operand");
    return;
  }
  mm2.minmax2_dest[ix(m)] = x;
  e.blocks.block_arg[ix(e.blocks.block_count)] = to_int2(m);
}

bool parse_minmax_list(Engine& e, int s) {
  Line80& l = e.cs.stmt.stmt_line;
  int t = s + 3;
  while (t <= k_stmt_end_col && l.at(t) == ' ') ++t;
  // A parameter target (not PR, the priority).
  if (t > k_stmt_end_col || up_at(l, t) != 'P' || up_at(l, t + 1) == 'R') return false;
  int eq = t;
  while (eq <= k_stmt_end_col && l.at(eq) != '=' && l.at(eq) != ' ' && l.at(eq) != ',' && l.at(eq) != '!') ++eq;
  if (eq > k_stmt_end_col || l.at(eq) != '=' || up_at(l, eq + 1) != 'M') return false;
  int w = eq + 1;
  std::string word;
  while (w <= k_stmt_end_col && is_letter(l.at(w))) word += up_at(l, w++);
  int open = w;
  while (open <= k_stmt_end_col && open < w + 8 && l.at(open) == ' ') ++open;
  if (l.at(open) != '(') return false;
  if (word != "MIN" && word != "MAX") {
    if (word.size() == 3) flag_error_without_hint(e, " MIN or MAX expected. > 9 parameters?");
    return false;
  }
  int end = open + 1;
  while (end <= k_stmt_end_col && l.at(end) != ' ' && l.at(end) != '!') ++end;
  if (l.at(end - 1) != ')' || end - 1 == open) {
    flag_error_without_hint(e, " ) missing at end");
    return false;
  }
  // SELECT at the operation column; the target and the arguments, with a
  // comma between them, from 3 columns further right than the operands
  // were; the rest of the line (a comment) follows.
  const std::string operands = std::string(l.cols(t, eq - 1)) + "," + std::string(l.cols(open + 1, end - 2));
  splice_statement_line(e, s, "SELECT" + std::string(static_cast<std::size_t>(t - s - 3), ' ') + operands, end);
  e.cs.syn.minmax_letter = word == "MIN" ? 'N' : 'X';
  e.cs.syn.let_select_flag = true;
  return true;
}

bool check_let_operands(Engine& e, int s) {
  const Line80& l = e.cs.stmt.stmt_line;
  int t = s + 3;
  while (t <= k_stmt_end_col && l.at(t) == ' ') ++t;
  if (t > k_stmt_end_col || up_at(l, t) != 'X') return true;
  int eq = t;
  while (eq <= k_stmt_end_col && l.at(eq) != '=' && !blank_or_bang(l.at(eq)) && l.at(eq) != ',') ++eq;
  if (eq > k_stmt_end_col || l.at(eq) != '=' || up_at(l, eq + 1) != 'S') return true;
  // The storage's value: S$name or S*j, up to the next operator.
  std::string term;
  for (int c = eq + 1; c <= k_stmt_end_col; ++c) {
    const char ch = up_at(l, c);
    if (blank_or_bang(ch) || std::string_view(",+-/()%").find(ch) != std::string_view::npos) break;
    if (ch == '*' && term.size() != 1) break;
    term += ch;
  }
  const std::string rest = term.size() > 2 ? term.substr(2) : std::string();
  const bool name = term.size() >= 3 && term[1] == '$' && rest.size() <= 6 && is_letter(rest[0]);
  const bool indirect = term.size() >= 3 && term[1] == '*' && rest.size() <= 2 && all_digits(rest);
  if (name || indirect || (term.size() >= 2 && term[1] == '(')) return true;
  flag_error_without_hint(e, " Illegal operands in LET block");
  return false;
}

bool scan_let_minmax_forms(Engine& e, int s) {
  const Line80& l = e.cs.stmt.stmt_line;
  if (!check_let_operands(e, s)) return false;
  for (int p = 5; p <= 70; ++p) {
    if (l.at(p) != '=') continue;
    // A matrix reference becomes the call of the matrix program MATUT.
    if (up_at(l, p + 1) == 'M' && up_at(l, p + 2) == 'X' && l.at(p + 3) == '(') {
      check_mx_expression(e, s, p);
      return false;
    }
    if (parse_fn_minmax(e, p) || e.ctl.error_reported) return false;
  }
  return parse_minmax_list(e, s);
}

// ---- PRINT and TABULATE

namespace {
// The report section a PRINT names by a letter (or the word ALL for the
// whole report); 0 for any other word.
int print_section(std::string_view word) {
  if (word == "ALL") return 1;
  if (word.size() != 1) return 0;
  switch (word[0]) {
    case 'N': return 2;  // block counts
    case 'Q': return 3;  // queues
    case 'S': return 4;  // storages
    case 'T': return 5;  // tables
    case 'X': return 6;  // savevalues
    case 'C': return 7;  // the clock
    case 'F': return 8;  // facilities
    default: return 0;
  }
}

// The attribute operand u of a PRINT: its kind (negative for an entity
// given by a parameter) and the entity (its number, or its name code
// until linking). 1 an attribute, 0 no class mark, -1 after the report.
int print_attribute(Engine& e, int u, int& kind, int4& entity) {
  const char mark = mark_of(e, u);
  if (mark == ' ') return 0;
  kind = mark == k_mark_decimal ? 0 : operand_char_class(mark);
  const int ak = kind < 0 ? -kind : kind;
  if (ak < opnd::clock || ak > opnd::priority) {
    flag_error_without_hint(e, " Illegal operand in PRINT statement");
    return -1;
  }
  int4 n = 0;
  if (ak == opnd::priority) entity = 1;  // PR has no entity; the word must not be 0
  else entity = name_number(e, code_of(e, u), n) ? n : code_of(e, u);
  return 1;
}

// The C (field width) and D (decimals) operands of an attribute PRINT.
// A width of 0 is no width: the value is written in its standard form,
// and decimals then have no field to stand in.
bool print_format(Engine& e, int4& width, int4& decimals) {
  width = decimals = 0;
  if (operand_length(e, 3) > 0 &&
      (!plain_number(e, 3, width) || width < 0 || width > k_out_line_written)) {
    flag_error_without_hint(e, " Illegal C operand of PRINT");
    return false;
  }
  if (operand_length(e, 4) > 0 && width == 0) {
    flag_error_without_hint(e, " Illegal C operand of PRINT");
    return false;
  }
  if (width == 0 || operand_length(e, 4) == 0) return true;
  if (!plain_number(e, 4, decimals)) {
    flag_error_without_hint(e, " Illegal operand in PRINT statement");
    return false;
  }
  // The real writer needs one position for the integer part and one for the point.
  if (decimals > k_print_decimals_max || decimals > width - 2) {
    flag_error_without_hint(e, " Too many decimals demanded");
    return false;
  }
  return true;
}
}  // namespace

bool check_print_block(Engine& e, int4& v, int4& a) {
  v = 0;
  a = 0;
  const std::string first = operand_string(e, 1);
  const bool text = !first.empty() && (first[0] == '\'' || first[0] == '"');
  if (!text && operand_length(e, 2) > 0) {
    flag_error_without_hint(e, first.empty() ? " PRINT lacks legal operand" : " PRINT with B operand, but not text in A operand");
    return false;
  }
  for (int u = 5; u <= 8; ++u) {
    if (operand_length(e, u) > 0) {
      flag_error_without_hint(e, " Illegal operand in PRINT statement");
      return false;
    }
  }
  const int r = text ? e.ent.ptext.print_text_count : 0;
  const int su = text ? 2 : 1;
  int kind = 0;
  int4 entity = 0;
  const int attribute = operand_length(e, su) > 0 ? print_attribute(e, su, kind, entity) : 0;
  if (attribute < 0) return false;
  if (attribute == 0) {
    // A text alone (selector 8 + its row) or a report section.
    const int sel = text ? (operand_length(e, 2) == 0 ? 8 + r : 0) : print_section(upper_operand(e, 1));
    if (sel == 0) {
      flag_error_without_hint(e, first.empty() ? " PRINT lacks legal operand" : " Illegal operand in PRINT statement");
      return false;
    }
    if (operand_length(e, 3) > 0 || operand_length(e, 4) > 0) {
      flag_error_without_hint(e, " Illegal C operand of PRINT");
      return false;
    }
    v = sel;
    return true;
  }
  int4 width = 0, decimals = 0;
  if (!print_format(e, width, decimals)) return false;
  if (text) {
    // Text row r and the attribute kind in one coded word (see PRINT's
    // row layout in the report of this block).
    v = kind > 0 ? -(100 + 13 * r + kind) : -(10000 + 13 * r + kind);
    if (v <= -11000) {
      flag_error_without_hint(e, " Too many PRINTs with text");
      return false;
    }
  } else {
    v = kind;
  }
  a = entity;
  if (width > 0) {
    auto& pf = e.flow.pf;
    const int k = take_slot(e, pf.format_count, k_print_format_limit, " Too many PRINT blocks with C and/or D operand",
                            ErrorEffect::flag_without_hint);
    if (k == 0) return false;
    pf.format_block[ix(k)] = e.blocks.block_count;
    pf.format_code[ix(k)] = decimals * 100 + width;
  }
  return true;
}

void check_tabulate_block(Engine& e) {
  const int b = e.blocks.block_count;
  if (reject_sna_type(e, 1)) return;
  const int t = find_table_number(e, code_of(e, 1));
  if (t == 0) return;
  // A QTABLE takes its entries from the departures of its queue.
  if (e.ent.tab.table_queue_name[ix(t)] != 0) {
    flag_error_without_hint(e, " Table in A operand not defined");
    return;
  }
  // The weight: a constant, savevalue x as -x, parameter j as -(10000 + j).
  int4 w = 1, n = 0;
  if (operand_length(e, 2) > 0) {
    const char mark = mark_of(e, 2);
    if (plain_number(e, 2, n)) {
      w = n;
    } else if (savevalue_operand(e, 2, n)) {
      w = -n;
    } else if (parameter_operand(e, 2, n)) {
      w = -(k_param_code + n);
    } else if (e.ctl.error_reported) {
      return;
    } else {
      flag_error_without_hint(e, mark == ' ' || mark == k_mark_decimal ? " Illegal B operand of TABULATE"
                                                                       : " This type of SNA not allowed");
      return;
    }
  }
  e.blocks.block_arg[ix(b)] = to_int2(t);
  e.blocks.block_opnd[ix(b)] = w;
}

// ---- START, TRACE and MATUT

bool parse_int_a_operand(Engine& e, int4& value) {
  if (operand_string(e, 1).find('.') != std::string::npos) {
    flag_error_without_hint(e, " A operand must be integer constant");
    return false;
  }
  return read_numeric_operand(e, 1, value);
}

bool parse_trace_operand(Engine& e, int s) {
  Line80& l = e.cs.stmt.stmt_line;
  int o = s + 5;
  while (o <= k_stmt_end_col && l.at(o) == ' ') ++o;
  std::string word;
  int end = o;
  while (end <= k_stmt_end_col && l.at(end) != ' ' && l.at(end) != '!') word += up_at(l, end++);
  if (word != "ON" && word != "OFF") {
    flag_error_without_hint(e, " TRACE with no or incorrect operand");
    return false;
  }
  // HELP TRACE or HELP TROFF from the operation column, then the rest of
  // the line as it was (a comment); listed as written.
  const Line80 written = l;
  splice_statement_line(e, s, word == "ON" ? "HELP TRACE" : "HELP TROFF", end);
  list_as_written(e, written, trim_blanks(written.cols(1, s - 1)), "TRACE", o);
  e.cs.syn.trace_form_code = word == "ON" ? 1 : 2;
  return true;
}

bool check_matut_statement(Engine& e, int u, int4& value) {
  int4 n = 0;
  if (plain_number(e, u, n)) {
    value = n;
    return true;
  }
  const auto& sv = e.ent.sv;
  const int i = mark_of(e, u) == 'X' ? find_name(sv.savevalue_name, sv.savevalue_count, code_of(e, u)) : 0;
  if (i == 0) {
    flag_error_without_hint(e, " Illegal B or C operand of MATUT");
    return false;
  }
  value = nint(sv.savevalue_init[ix(i)]);
  return true;
}

bool check_matut_operands(Engine& e, int4& row, int4& column) {
  if (!check_matut_statement(e, 2, row) || !check_matut_statement(e, 3, column)) return false;
  if (row < 1 || column < 1) {
    flag_error_without_hint(e, " Illegal B or C operand of MATUT");
    return false;
  }
  if (row > k_matrix_rows || column > k_matrix_cols) {
    flag_error_without_hint(e, " Run again with a lower number");
    return false;
  }
  return true;
}

}  // namespace kelvo
