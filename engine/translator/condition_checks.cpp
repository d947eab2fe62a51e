// IF and WAITIF statements. Takes the statement record: finds the
// relation written between operands A and B and turns it into a comma,
// checks the IF block's operands and address and the WAITIF block in its
// two forms (a condition word on a station, or two operands compared),
// and fills the condition table, the WAITIF station entries and the
// staggering table.
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/text_routines.h"
#include "translator/conditions.h"
#include "translator/other_blocks.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// Digits 1..5 of a staggering WAITIF: the transaction goes back that many
// blocks.
constexpr int k_max_stagger_digit = 5;
// Shortest name of a WAITIF's AD set.
constexpr int k_min_address_len = 3;

// A name: neither a number nor a decimal constant.
bool is_plain_name(Engine& e, int4 code) {
  int4 n = 0;
  return code != 0 && !name_number(e, code, n) && !split_label_field(e, code);
}

// Operand u is a plain name (no class mark).
bool plain_name_operand(Engine& e, int u) {
  return e.cs.stmt.operand_text[u] == ' ' && is_plain_name(e, e.cs.stmt.operand_value[u]);
}

// Position 1..6 of a condition word, 0 for any other name.
int condition_word(Engine& e, int4 code) {
  for (int i = 1; i < static_cast<int>(k_condition_words.size()); ++i) {
    if (pack_symbol_name(e, k_condition_words[ix(i)]) == code) return i;
  }
  return 0;
}

// A station defined as a storage (by CAPACITY, before the first block).
bool is_storage_name(Engine& e, int4 code) {
  const auto& st = e.ent.st;
  for (int s = 1; s <= st.numbered_station_count && s <= k_station_limit; ++s) {
    if (st.station_name[ix(s)] == code && st.station_capacity[ix(s)] != 0) return true;
  }
  return false;
}

// The number of a parameter operand (mark P).
int4 parameter_number(Engine& e, int u) {
  int4 n = 0;
  name_number(e, e.cs.stmt.operand_value[u], n);
  return n;
}

// Removes column c of the line: the rest moves one column left.
void remove_column(Line80& l, int c) {
  for (int x = c; x < Line80::size; ++x) l.set(x, l.at(x + 1));
  l.set(Line80::size, ' ');
}

// The first '=', '<', '>' or ',' of the operand field that begins at the
// first non-blank column from `start` (a blank or '!' ends the field);
// text in parentheses is passed over. 0 when there is none.
int first_relation_column(const Line80& l, int start) {
  int c = start;
  while (c <= k_stmt_end_col && l.at(c) == ' ') ++c;
  int depth = 0;
  for (; c <= k_stmt_end_col; ++c) {
    const char ch = l.at(c);
    if (ch == ' ' || ch == '!') break;
    if (ch == '(') {
      ++depth;
    } else if (ch == ')') {
      if (depth > 0) --depth;
    } else if (depth == 0 && (ch == '=' || ch == '<' || ch == '>' || ch == ',')) {
      return c;
    }
  }
  return 0;
}

// The relation at column p becomes the comma between the operands; a
// two-character relation loses its second character.
bool replace_relation(Engine& e, int p, int width) {
  Line80& l = e.cs.stmt.stmt_line;
  if (!check_operator_word(e, l.at(p + width))) return false;
  auto& syn = e.cs.syn;
  if (!syn.listing_text_set) {
    syn.listing_text = l;
    syn.listing_text_set = true;
  }
  l.set(p, ',');
  if (width == 2) remove_column(l, p + 1);
  return true;
}

// Operand u as a condition operand; kinds 2..9 keep their packed name for
// the linking.
bool code_operand(Engine& e, int u, CondOperand& o) {
  const char mark = e.cs.stmt.operand_text[u];
  const int4 code = e.cs.stmt.operand_value[u];
  int kind = 0;
  int4 value = 0;
  if (!expect_constant_or_sna(e, mark, code, kind, value)) return false;
  o.kind = kind;
  o.value = value;
  o.name = kind >= opnd::queue && kind <= opnd::waiting ? code : 0;
  return true;
}

// The IF's address (operand C): a label, or FN$name of a function with
// named addresses.
bool read_if_address(Engine& e, CondEntry& c) {
  const char mark = e.cs.stmt.operand_text[3];
  int4 code = e.cs.stmt.operand_value[3];
  if (plain_name_operand(e, 3)) {
    c.target_label = code;
    return true;
  }
  if (mark == 'F') {
    if (!check_named_function(e, code)) return false;
    c.target = code;
    return true;
  }
  flag_statement_error(e, " Illegal address in C operand");
  return false;
}

// The operands of a comparing WAITIF are constants or SNAs.
bool is_comparison_operand(Engine& e, int u) {
  const char mark = e.cs.stmt.operand_text[u];
  return mark != ' ' || !is_plain_name(e, e.cs.stmt.operand_value[u]);
}

// Operands whose value depends on the waiting transaction or may change
// what a test leaves behind: the waiters are tested one by one.
bool tested_one_by_one(const Engine& e, const CondOperand& o) {
  const int k = o.kind;
  if (k < 0 || k == opnd::parameter || k == opnd::priority) return true;
  if (k == opnd::function) return e.expr.defn_count > 0;
  if (k == opnd::variable) {
    for (int d = 1; d <= e.expr.defn_count && d <= k_expr_limit; ++d) {
      if (e.expr.defn_name[ix(d)] == o.name) return e.expr.defn_uses_param[ix(d)];
    }
  }
  return false;
}

// The two lines that warn of a WAITIF tested waiter by waiter.
void warn_slow_waitif(Engine& e, int b) {
  const int unit = open_warning_unit(e);
  e.ch.write(unit, " ******WARNING***********");
  e.ch.write(unit, io::Rec().lit(" Execution of (WAITIF) block ").i(b, 4).lit(" might be very inefficient"));
}

// Operand C of a WAITIF: a staggering digit 1..5 or the name of an AD set
// of at least 3 characters. False after an error.
bool check_waitif_c_operand(Engine& e, int b) {
  const auto& st = e.cs.stmt;
  const int len = operand_length(e, 3);
  if (len == 0) return true;
  int4 d = 0;
  const bool number = st.operand_text[3] == ' ' && name_number(e, st.operand_value[3], d);
  if (!number) {
    if (len >= k_min_address_len && st.operand_text[3] == ' ') return true;
    flag_error_without_hint(e, " Illegal C operand of WAITIF");
    return false;
  }
  if (len != 1 || d < 1 || d > k_max_stagger_digit || b - d < 1) {
    flag_error_without_hint(e, " Illegal C operand of WAITIF");
    return false;
  }
  auto& t = e.cond;
  const int a = take_slot(e, t.stagger_count, k_stagger_limit, " Too many WAITIFs with C operand", ErrorEffect::flag);
  if (a == 0) return false;
  e.blocks.block_opnd[ix(b)] = a;
  t.stagger_block[ix(a)] = b - d;
  return true;
}

// The WAITIF entry for a station (or a parameter) and condition word:
// the one the earlier WAITIF blocks made, or a new one. 0 after an error.
int waitif_entry_for(Engine& e, int4 name, int4 param, int word) {
  auto& t = e.cond;
  for (int j = 1; j <= t.waitif_count; ++j) {
    const WaitifEntry& w = t.waitif[ix(j)];
    if (w.name == name && w.param == param && w.word == word) return j;
  }
  const int j = take_slot(e, t.waitif_count, k_waitif_entry_limit, " Too many WAITIF lists", ErrorEffect::flag);
  if (j == 0) return 0;
  WaitifEntry& w = t.waitif[ix(j)];
  w = WaitifEntry{};
  w.name = name;
  w.param = param;
  w.word = word;
  w.kind = k_waitif_kind_of_word[ix(word)];
  return j;
}

// The AD set named by operand C for entry j: its own queue, shared by
// the WAITIF blocks of the entry.
bool set_waitif_ad_set(Engine& e, int j, int4 name) {
  WaitifEntry& w = e.cond.waitif[ix(j)];
  auto& q = e.ent.q;
  if (w.adset != 0) {
    if (q.queue_name[ix(w.adset)] == name) return true;
    flag_statement_error(e, " A operand incompatible with condition");
    return false;
  }
  if (!check_waitif_address(e, name)) return false;
  const int n = take_slot(e, q.queue_count, k_queue_limit, " Too many queues or AD sets", ErrorEffect::flag);
  if (n == 0) return false;
  q.queue_name[ix(n)] = name;
  w.adset = n;
  return true;
}

}  // namespace

bool check_operator_word(Engine& e, char c) {
  if (c != '+' && c != '*' && c != '/') return true;
  flag_statement_error(e, " Illegal operator");
  return false;
}

void check_if_relation(Engine& e, int start) {
  const Line80& l = e.cs.stmt.stmt_line;
  int& relation = e.cond.statement_relation;
  relation = 0;
  const int p = first_relation_column(l, start);
  if (p == 0) return;
  const char c = l.at(p);
  const char next = l.at(p + 1);
  int width = 1;
  if (c == ',') {
    flag_statement_error(e, " Illegal , between A and B operands");
    return;
  }
  if (c == '=') {
    if (next == '>' || next == '<') {
      flag_statement_error(e, " => and =< illegal: Use >= or <=");
      return;
    }
    relation = rel::eq;
  } else if (c == '<') {
    relation = next == '>' ? rel::ne : next == '=' ? rel::le : rel::lt;
  } else {
    relation = next == '=' ? rel::ge : rel::gt;
  }
  if (relation == rel::ne || relation == rel::le || relation == rel::ge) width = 2;
  if (!replace_relation(e, p, width)) relation = 0;
}

void check_waitif_relation(Engine& e, int start) {
  const Line80& l = e.cs.stmt.stmt_line;
  e.cond.statement_relation = 0;
  const int p = first_relation_column(l, start);
  if (p == 0) {
    flag_statement_error(e, " WAITIF lacking =, > or <");
    return;
  }
  if (l.at(p) != '=') {
    check_if_relation(e, start);
    return;
  }
  if (l.at(p + 1) == '>' || l.at(p + 1) == '<') {
    flag_statement_error(e, " Illegal order between = and > or <");
    return;
  }
  if (replace_relation(e, p, 1)) e.cond.statement_relation = rel::eq;
}

void check_if_block(Engine& e) {
  auto& t = e.cond;
  const int b = e.blocks.block_count;
  const int i = take_slot(e, t.cond_count, k_condition_limit, " Too many IF blocks", ErrorEffect::flag);
  if (i == 0) return;
  e.blocks.block_arg[ix(b)] = to_int2(i);
  CondEntry& c = t.cond[ix(i)];
  c = CondEntry{};
  c.relation = t.statement_relation;
  if (operand_length(e, 3) == 0) {
    flag_statement_error(e, " C operand compulsory in IF block");
    return;
  }
  if (!read_if_address(e, c)) return;
  if (operand_length(e, 1) == 0 || operand_length(e, 2) == 0) {
    flag_statement_error(e, " A and B operands both compulsory in IF block");
    return;
  }
  if (!scan_operand_kind(e, 1, c.a)) return;
  // A server and a condition word fill both operands at once.
  if (c.word == 0) scan_operand_kind(e, 2, c.b);
}

bool scan_operand_kind(Engine& e, int k, CondOperand& o) {
  const bool parameter_a = k == 1 && e.cs.stmt.operand_text[1] == 'P';
  if (plain_name_operand(e, k) || parameter_a) {
    if (check_if_operands(e, k)) return !e.ctl.error_reported;
    if (e.ctl.error_reported) return false;
  }
  return code_operand(e, k, o);
}

bool check_if_operands(Engine& e, int k) {
  const auto& st = e.cs.stmt;
  const bool a_param = st.operand_text[1] == 'P';
  if (plain_name_operand(e, 2) && (plain_name_operand(e, 1) || a_param)) {
    if (e.cond.statement_relation != rel::eq) {
      flag_error_without_hint(e, " Only = allowed when A is server");
      return true;
    }
    if (const int i = condition_word(e, st.operand_value[2]); i != 0) {
      if (k != 1) return true;
      const bool storage = !a_param && is_storage_name(e, st.operand_value[1]);
      if (i <= cword::last_facility_word && storage) {
        flag_error_without_hint(e, " A operand storage; B operand U or NU");
        return true;
      }
      if (i > cword::last_facility_word && !a_param && !storage) {
        write_error_line(e, " A operand not defined as STORAGE");
        flag_error_without_hint(e, " IF A operand facility, B operand must be U or NU");
      }
      store_server_condition(e, i, a_param);
      return true;
    }
  }
  if (!a_param) flag_error_without_hint(e, " Error in A + B operand pair of IF");
  return false;
}

void store_server_condition(Engine& e, int i, bool param) {
  // Per condition word: operand A's kind (S contents or R room), the
  // relation, and the constant it is compared with.
  struct Row {
    int kind, relation, b;
  };
  static constexpr Row rows[7] = {{0, 0, 0},
                                  {opnd::storage, rel::eq, 1},
                                  {opnd::storage, rel::eq, 0},
                                  {opnd::remaining, rel::gt, 0},
                                  {opnd::storage, rel::gt, 0},
                                  {opnd::remaining, rel::eq, 0},
                                  {opnd::storage, rel::eq, 0}};
  auto& t = e.cond;
  if (i < 1 || i > 6 || t.cond_count < 1 || t.cond_count > k_condition_limit) return;
  CondEntry& c = t.cond[ix(t.cond_count)];
  const Row& r = rows[i];
  const int4 a = e.cs.stmt.operand_value[1];
  c.a = param ? CondOperand{-r.kind, parameter_number(e, 1), 0} : CondOperand{r.kind, 0, a};
  c.b = CondOperand{opnd::constant, r.b, 0};
  c.relation = r.relation;
  c.word = i;
}

void check_waitif_operands(Engine& e, int& code) {
  auto& st = e.cs.stmt;
  auto& t = e.cond;
  const int b = e.blocks.block_count;
  t.statement_word = 0;
  if (st.stmt_fields.third_len > 0) return;
  const int i = st.operand_text[2] == ' ' ? condition_word(e, st.operand_value[2]) : 0;
  if (i != 0) {
    const char mark = st.operand_text[1];
    if (mark == 'P') {
      e.cs.pass.param_station_block = b;
    } else if (mark != ' ') {
      flag_error_without_hint(e, " Illegal mixing of SNA and station name mode");
      return;
    }
    if (t.statement_relation != rel::eq) {
      flag_error_without_hint(e, " = expected in WAITIF block");
      return;
    }
    t.statement_word = i;
  } else {
    if (!parse_waitif(e)) {
      if (!e.ctl.error_reported) flag_error_without_hint(e, " Incorrect B operand in WAITIF block");
      return;
    }
    if (e.ctl.error_reported) return;
    code = bc::waitif_retest;
  }
  check_waitif_c_operand(e, b);
}

bool parse_waitif(Engine& e) {
  auto& st = e.cs.stmt;
  auto& t = e.cond;
  const int b = e.blocks.block_count;
  if (!is_comparison_operand(e, 1) || !is_comparison_operand(e, 2)) return false;
  int4 d = 0;
  if (operand_length(e, 3) > 0 && !(st.operand_text[3] == ' ' && name_number(e, st.operand_value[3], d))) {
    flag_statement_error(e, " C operand name illegal in WAITIF with SNA");
    return true;
  }
  CondEntry c;
  if (!code_operand(e, 1, c.a) || !code_operand(e, 2, c.b)) return true;
  c.relation = t.statement_relation;
  const int i = take_slot(e, t.cond_count, k_condition_limit, " Too many IF and special (e.g.SNA) WAITIF blocks",
                          ErrorEffect::flag);
  if (i == 0) return true;
  t.cond[ix(i)] = c;
  e.blocks.block_arg[ix(b)] = to_int2(i);
  if (tested_one_by_one(e, c.a) || tested_one_by_one(e, c.b)) t.slow_waitif_seen = true;
  if (t.slow_waitif_seen) warn_slow_waitif(e, b);
  return true;
}

void check_waitif_block(Engine& e, int word) {
  const auto& st = e.cs.stmt;
  const int b = e.blocks.block_count;
  if (word < 1 || word >= static_cast<int>(k_condition_words.size())) {
    flag_statement_error(e, " Illegal waiting condition");
    return;
  }
  int4 name = 0, param = 0;
  const char mark = st.operand_text[1];
  if (mark == 'P' && (param = parameter_number(e, 1)) > 0) {
    int4 code = 0;
    parse_param_operand(e, mark, bc::waitif, st.operand_value[1], code);
  } else if (plain_name_operand(e, 1)) {
    name = st.operand_value[1];
    // Facility words go with facilities, storage words with storages.
    if (is_storage_name(e, name) != (word > cword::last_facility_word)) {
      flag_statement_error(e, " A operand incompatible with condition");
      return;
    }
  } else {
    flag_statement_error(e, " Incorrect A operand");
    return;
  }
  int4 d = 0;
  const bool address = operand_length(e, 3) > 0 && !name_number(e, st.operand_value[3], d);
  // A parameter's stations share their entries: no AD set of their own.
  if (address && param != 0) {
    flag_error_without_hint(e, " Illegal C operand of WAITIF");
    return;
  }
  const int j = waitif_entry_for(e, name, param, word);
  if (j == 0) return;
  if (address && !set_waitif_ad_set(e, j, st.operand_value[3])) return;
  e.blocks.block_arg[ix(b)] = to_int2(j);
  e.ent.wait.waitif_block_count += 1;
}

bool check_waitif_address(Engine& e, int4 name) {
  if (find_name(e.ent.q.queue_name, e.ent.q.queue_count, name) == 0) return true;
  flag_statement_error(e, " Address already used as QUEUE name");
  return false;
}

bool is_waitif_ad_set(const Engine& e, int q) {
  const auto& t = e.cond;
  for (int j = 1; j <= t.waitif_count && j <= k_waitif_entry_limit; ++j) {
    if (q != 0 && t.waitif[ix(j)].adset == q) return true;
  }
  return false;
}

bool check_server_if_operand(Engine& e) {
  auto& stmt = e.cs.stmt;
  const auto& f = stmt.stmt_fields;
  std::string bop = operand_string(e, 2);
  for (char& ch : bop) ch = upcased(ch);
  if (bop.empty() || !is_letter(bop[0])) return false;
  // The server value compared with 0: F (in use), S (contents), R (room).
  char cls = ' ', relation = ' ';
  const char state = bop.size() == 1 ? bop[0] : bop[1];
  const bool negated = bop.size() > 1;
  switch (state) {
    case 'U': cls = 'F'; relation = negated ? '=' : '>'; break;
    case 'E': cls = 'S'; relation = negated ? '>' : '='; break;
    case 'F': cls = 'R'; relation = negated ? '>' : '='; break;
    default:
      if (negated && (bop[0] == 'C' || bop[0] == 'P')) return false;
      flag_error_without_hint(e, " Incorrect B operand in server IF statement");
      return false;
  }
  const std::string aop = operand_string(e, 1);
  std::string a(1, cls);
  const bool param = aop.size() >= 2 && upcased(aop[0]) == 'P' && is_digit_char(aop[1]);
  if (param) {
    a += '*';
    a += aop[1];
    if (aop.size() >= 3 && is_digit_char(aop[2])) a += aop[2];
  } else {
    a += '$' + aop;
  }
  a += relation;
  a += '0';
  // Operand A and B give way to the comparison; C, D and a comment follow.
  Line80& l = stmt.stmt_line;
  const int from = f.opnd_start[1];
  const int after_b = f.opnd_start[2] + operand_length(e, 2);
  std::string rest(l.cols(after_b, Line80::size));
  const std::size_t end = rest.find_first_of(" !");
  const int last = from + static_cast<int>(a.size() + (end == std::string::npos ? rest.size() : end)) - 1;
  if (last > 71) {
    flag_error_without_hint(e, " A operand too long");
    return false;
  }
  const std::string text = std::string(l.cols(1, from - 1)) + a + rest;
  l.assign(text.substr(0, std::min<std::size_t>(text.size(), Line80::size)));
  return true;
}

}  // namespace kelvo
