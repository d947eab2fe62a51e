// The statement writers of "parsefile": one group of text records per
// statement kind, each record a fixed-width line beginning with a blank.
// Takes a statement's operand text as the parse pass split it. The parse
// pass runs before translation, so the text is unchecked: every substring
// is clamped (a short item, a missing '=', relation or comma give empty
// parts) and an operand wider than its record is cut to the record.
#include <algorithm>
#include <string>

#include "exchange/parse_file.h"
#include "io/channels.h"
#include "model/engine.h"
#include "support/statement_reader.h"
#include "support/text_routines.h"

namespace kelvo {
namespace {

constexpr std::string_view k_blank_item = " ";

// ---- Records ----

void put(Engine& e, const io::Rec& r) {
  if (e.ctl.newparse_mode) e.ch.write(e.ctl.unit_base + io::offset::parsefile, r);
}

// (1X,I4,1X,word): the statement's record_number and its word.
void header(Engine& e, int number, std::string_view word) { put(e, io::Rec().x(1).i(number, 4).x(1).lit(word)); }

// (1X,I4,1X,nA1): the character count and the characters, cut to the
// record's width.
void operand(Engine& e, std::string_view text, int width) {
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(width));
  put(e, io::Rec().x(1).i(static_cast<long long>(n), 4).x(1).chars(text.substr(0, n)));
}

// An operand record that writes an empty item (one blank) as the count 0.
void operand_or_none(Engine& e, std::string_view item, int width) {
  operand(e, item == k_blank_item ? std::string_view{} : item, width);
}

// (1X,I4) and literal blanks: a number with no text.
void number(Engine& e, int n, int blanks) {
  put(e, io::Rec().x(1).i(n, 4).lit(std::string_view("   ").substr(0, static_cast<std::size_t>(blanks))));
}

// (1X,"   1",1X,A1): the count 1 and one character.
void flag(Engine& e, char c) { put(e, io::Rec().x(1).lit("   1").x(1).ch(c)); }

// (1X,"   1",1X,I1): the count 1 and one digit.
void flag_digit(Engine& e, int d) { put(e, io::Rec().x(1).lit("   1").x(1).i(d, 1)); }

// ---- Substrings that never leave the text ----

// An item from its third character on (the name after "X$", "Q$" ...).
std::string_view from_third(std::string_view s) { return s.size() > 2 ? s.substr(2) : std::string_view{}; }

// The text between enclosing apostrophes (the first and last characters
// dropped).
std::string_view inside_quotes(std::string_view s) { return s.size() > 2 ? s.substr(1, s.size() - 2) : std::string_view{}; }

// The text up to its first blank.
std::string_view up_to_blank(std::string_view s) { return s.substr(0, std::min(s.size(), s.find(' '))); }

char first_char(std::string_view s) { return s.empty() ? ' ' : s.front(); }
char last_char(std::string_view s) { return s.empty() ? ' ' : s.back(); }
// Character k (1-based) or a blank outside the text.
char char_at(std::string_view s, int k) {
  return k >= 1 && static_cast<std::size_t>(k) <= s.size() ? s[static_cast<std::size_t>(k - 1)] : ' ';
}

bool starts_with_upper(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t k = 0; k < prefix.size(); ++k) {
    if (upcased(s[k]) != prefix[k]) return false;
  }
  return true;
}

// Position (1-based) of a character in a list, 0 when absent (unknown
// letters are written as 0).
int position_in(std::string_view list, char c) {
  const std::size_t p = list.find(upcased(c));
  return c == ' ' || p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

// The operand text within its length.
std::string_view clamp(std::string_view text, int len) {
  return text.substr(0, std::min(text.size(), static_cast<std::size_t>(std::max(len, 0))));
}

// ---- Writers ----

void write_generate(Engine& e, std::string_view t) {
  header(e, record_number(pop::generate, 8), "GENERATE");
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  for (int k = 1; k <= 5; ++k) operand_or_none(e, it[k], 60);
}

// TERMINATE, ARRIVE, DEPART, ASSEMBLE: the whole operand text.
void write_simple(Engine& e, std::string_view t, int code, std::string_view word) {
  header(e, record_number(code, 4), word);
  operand(e, t, 8);
}

// SEIZE, PREEMPT: operand A, then the first character of each further
// operand in operand order.
void write_seize(Engine& e, std::string_view t, int code, std::string_view word) {
  header(e, record_number(code, 6), word);
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  operand(e, it[1], 8);
  for (int k = 2; k <= it.count; ++k) flag(e, first_char(it[k]));
}

// RELEASE, RETURN: the whole operand text and the truth of "this is a
// RETURN" (-1 true, 0 false).
void write_release(Engine& e, std::string_view t, int code, std::string_view word) {
  header(e, record_number(code, 5), word);
  operand(e, t, 8);
  number(e, code == pop::return_ ? -1 : 0, 2);
}

// ADVANCE, LEAVE, TABULATE, GOTO (form 5) and SIMULATE (form 3): items 1, 2.
void write_two_items(Engine& e, std::string_view t, int number_code, std::string_view word) {
  header(e, number_code, word);
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  operand(e, it[1], 60);
  operand(e, it[2], 60);
}

void write_enter(Engine& e, std::string_view t) {
  header(e, record_number(pop::enter, 6), "ENTER ");
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  const bool q = it[2].size() == 1 && upcased(it[2][0]) == 'Q';
  operand(e, it[1], 8);
  operand(e, q ? std::string_view{} : it[2], 60);
  number(e, q || it[3].size() == 1 ? 1 : 0, 2);
}

// IF in the condition form: left side, relation, right side and target.
void write_if_condition(Engine& e, std::string_view t) {
  header(e, record_number(pop::if_, 8), "IF");
  number(e, 1, 2);
  const std::size_t r = t.find_first_of("<>=");
  ParseRelation rel = ParseRelation::none;
  std::string_view left;
  std::string_view rest;
  if (r == std::string_view::npos) {
    // No relation: the condition is the text before the comma.
    const std::size_t comma = t.find(',');
    left = t.substr(0, std::min(comma, t.size()));
    rest = comma == std::string_view::npos ? std::string_view{} : t.substr(comma);
  } else {
    left = t.substr(0, r);
    const char next = char_at(t, static_cast<int>(r) + 2);
    std::size_t width = 1;
    switch (t[r]) {
      case '=': rel = ParseRelation::equal; break;
      case '>':
        rel = next == '=' ? ParseRelation::greater_equal : ParseRelation::greater;
        width = next == '=' ? 2 : 1;
        break;
      default:
        rel = next == '=' ? ParseRelation::less_equal : next == '>' ? ParseRelation::not_equal : ParseRelation::less;
        width = next == '=' || next == '>' ? 2 : 1;
        break;
    }
    rest = t.substr(std::min(t.size(), r + width));
  }
  const std::size_t comma = rest.find(',');
  const std::string_view right = rest.substr(0, std::min(comma, rest.size()));
  const std::string_view target =
      comma == std::string_view::npos ? std::string_view{} : up_to_blank(rest.substr(comma + 1));
  operand(e, left, 55);
  number(e, static_cast<int>(rel), 2);
  operand(e, right, 55);
  // A target is a label: at most 6 characters.
  operand(e, target.substr(0, std::min<std::size_t>(target.size(), 6)), 9);
}

// IF and WAITIF: the server-state form (NAME=U, NAME=NE ...) or, for IF,
// the condition form; WAITIF in another form writes nothing.
void write_if(Engine& e, std::string_view t, int code) {
  const bool waitif = code == pop::waitif;
  const std::size_t eq = t.find('=');
  int state = 0;
  int after = 0;  // 1-based position after the state (a comma or the end)
  if (eq != std::string_view::npos && eq < 9 && t.substr(0, eq).find_first_of("<>") == std::string_view::npos) {
    const int p = static_cast<int>(eq) + 1;  // 1-based position of '='
    auto ends = [&](int k) { return char_at(t, k) == ',' || char_at(t, k) == ' '; };
    if (char_at(t, p + 1) != ' ' && ends(p + 2)) {
      state = position_in("U E F", char_at(t, p + 1));  // U 1, E 3, F 5
      after = p + 2;
    } else if (char_at(t, p + 2) != ' ' && ends(p + 3)) {
      state = position_in(" U E F", char_at(t, p + 2));  // U 2, E 4, F 6
      after = p + 3;
    }
  }
  if (state == 0) {
    if (!waitif) write_if_condition(e, t);
    return;
  }
  header(e, record_number(code, waitif ? 6 : 7), waitif ? "WAITIF" : "IF");
  if (!waitif) number(e, 2, 2);
  operand(e, t.substr(0, eq), 8);
  number(e, state, 2);
  if (waitif) {
    const char d = char_at(t, after) == ',' ? char_at(t, after + 1) : '0';
    put(e, io::Rec().x(1).i(is_digit_char(d) ? d - '0' : 0, 4).lit("  "));
  } else {
    const std::string_view target = up_to_blank(t.substr(std::min(t.size(), static_cast<std::size_t>(after))));
    operand(e, target.substr(0, std::min<std::size_t>(target.size(), 6)), 6);
  }
}

// LET whose value begins with S: a statistic into a savevalue.
void write_let_statistic(Engine& e, std::string_view s) {
  const OperandItems it = split_operand_items(s, static_cast<int>(s.size()), 4);
  header(e, record_number(pop::let_statistic, 8), "LET ");
  number(e, 5, 2);
  operand(e, from_third(it[1]), 6);
  const int cls = position_in("FSQT", first_char(it[3]));
  flag(e, static_cast<char>('0' + (cls == 0 ? 5 : cls)));
  flag(e, first_char(it[4]));
  operand(e, from_third(it[3]), 6);
}

// LET whose value begins with M (not MX): the extreme of a range.
void write_let_range(Engine& e, std::string_view s) {
  const OperandItems it = split_operand_items(s, static_cast<int>(s.size()), 5);
  header(e, record_number(pop::let_range, 9), "LET ");
  number(e, 3, 2);
  operand(e, from_third(it[1]), 6);
  flag(e, upcased(char_at(it[2], 3)));
  flag_digit(e, position_in("QFSRXWNP", first_char(it[3])));
  operand(e, it[4], 8);
  operand(e, it[5], 8);
}

// LET, LET+, LET- after the first GENERATE.
void write_let(Engine& e, std::string_view t, int& code) {
  std::string s(t);
  const std::size_t eq = s.find('=');
  if (eq != std::string::npos) s[eq] = ',';
  if (code == pop::let) {
    const OperandItems it = split_operand_items(s, static_cast<int>(s.size()), 3);
    const bool third = !it[3].empty() && it[3] != k_blank_item;
    if (third && starts_with_upper(it[2], "S")) {
      code = pop::let_statistic;
      write_let_statistic(e, s);
      return;
    }
    if (third && starts_with_upper(it[2], "M") && !starts_with_upper(it[2], "MX")) {
      code = pop::let_range;
      write_let_range(e, s);
      return;
    }
  }
  const std::string_view word = code == pop::let ? "LET  " : code == pop::let_plus ? "LET+ " : "LET- ";
  header(e, record_number(code, 7), word);
  number(e, code == pop::let ? 1 : code == pop::let_plus ? 2 : 4, 2);
  // Target and value either side of the first comma: the '=' of LET X=v
  // or the comma of LET+ X,v (neither: no value).
  const std::string_view all = s;
  const std::size_t comma = all.find(',');
  const std::string_view target = all.substr(0, std::min(comma, all.size()));
  const std::string_view value = comma == std::string_view::npos ? std::string_view{} : all.substr(comma + 1);
  const bool priority = (target.size() == 2 || target.size() == 8) && starts_with_upper(target, "PR");
  operand(e, priority ? std::string_view{} : target, 8);
  flag(e, priority ? '1' : '0');
  operand(e, value, 50);
}

void write_print(Engine& e, std::string_view t) {
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()), 3);
  const std::string_view a = it[1];
  int kind = 1;
  std::string_view text_a;
  std::string_view text_b;
  char option = ' ';
  const bool quoted = first_char(a) == '\'';
  if (a.size() == 1) {
    kind = position_in("AQBSCTFX", a[0]);
    if (kind != 0) kind += 1;
  } else if (quoted) {
    text_a = inside_quotes(a);
    if (it[2].size() > 1) text_b = it[2];
  } else {
    text_b = a;
  }
  if (quoted && it[2].size() > 1) {
    if (it[3].size() == 1) option = it[3][0];
  } else if (!quoted) {
    if (it[2].size() == 1) option = it[2][0];
  }
  header(e, record_number(pop::print, 8), "PRINT ");
  flag_digit(e, kind);
  operand(e, text_a, 50);
  operand(e, text_b, 50);
  flag(e, last_char(t) == ',' ? 'T' : 'F');
  flag(e, option);
}

void write_items(Engine& e, std::string_view t, int number_code, std::string_view word, int items) {
  header(e, number_code, word);
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  for (int k = 1; k <= items; ++k) operand(e, it[k], 60);
}

void write_split(Engine& e, std::string_view t) {
  header(e, record_number(pop::split, 6), "SPLIT");
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  operand(e, it[1], 8);
  operand(e, it[2], 9);
  operand(e, from_third(it[3]), 6);
}

void write_matrix(Engine& e, std::string_view t) {
  header(e, record_number(pop::matrix, 6), "MATRIX");
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  operand_or_none(e, it[1], 8);
  operand_or_none(e, it[2], 8);
  operand(e, first_char(it[3]) == '\'' ? inside_quotes(it[3]) : it[3], 30);
}

// The command of an ANIM statement from the first letters of operand A.
int anim_command(std::string_view a) {
  if (starts_with_upper(a, "CH")) return 1;
  if (starts_with_upper(a, "CO")) return 2;
  if (starts_with_upper(a, "CR")) return 3;
  switch (upcased(first_char(a))) {
    case 'D': return 4;
    case 'A': return 5;
    case 'P': return 6;
    case 'S': return 7;
    case 'T': return 8;
    case 'M': return 9;   // MOVE
    case 'W': return 10;  // WRITE
    default: return 0;
  }
}

void write_anim(Engine& e, std::string_view t) {
  header(e, record_number(pop::anim, 6), "ANIM ");
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  const int command = anim_command(it[1]);
  number(e, command, 2);
  operand(e, command == 8 ? it[2] : command == 5 ? std::string_view{} : from_third(it[2]), 6);
  operand(e, it[3], 8);
}

void write_experi(Engine& e, std::string_view t) {
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()), 6);
  header(e, record_number(pop::experi, 8), "EXPERI ");
  operand(e, from_third(it[1]), 6);
  operand(e, from_third(it[2]), 6);
  operand(e, it[3], 3);
  operand(e, it[4], 8);
  operand(e, it[5], 8);
  operand(e, it[6], 3);
  number(e, upcased(last_char(t)) == 'L' ? 1 : 0, 2);
  // The start value the animated model gives the EXPERI savevalue.
  std::string line = "LET X$";
  line += from_third(it[1]);
  line += '=';
  line += it[4];
  e.parse.experi_start_line.assign(line);
}

void write_function(Engine& e, std::string_view t) {
  header(e, record_number(pop::function, 5), "FUNCTION");
  const int n = static_cast<int>(t.size());
  if (upcased(last_char(t)) == 'R') {
    // A random-number function: the stream before ",R" (one or two digits).
    number(e, 1, 2);
    const char units = char_at(t, n - 2);
    const char tens = char_at(t, n - 3);
    if (is_digit_char(units) && is_digit_char(tens)) {
      put(e, io::Rec().x(1).i(4, 4).x(1).lit("RN").ch(tens).ch(units));
    } else {
      put(e, io::Rec().x(1).i(3, 4).x(1).lit("RN").ch(units));
    }
    put(e, io::Rec().x(1).i(1, 4).x(1).lit("R"));
  } else {
    number(e, 2, 3);
    operand(e, clamp(t, n - 2), 8);
    put(e, io::Rec().x(1).i(1, 4).x(1).ch(upcased(last_char(t))));
  }
}

// INPUT (code 33) and a LET before the first GENERATE (code 40).
void write_start_values(Engine& e, std::string_view t, int code) {
  ParseState& ps = e.parse;
  std::string s(t);
  std::replace(s.begin(), s.end(), '=', ',');
  const OperandItems it = split_operand_items(s, static_cast<int>(s.size()), 2);
  header(e, record_number(code, 5), "StartValues");
  const std::string_view name = up_to_blank(from_third(it[1]));
  operand(e, name, 6);
  if (code == pop::let_start_value) {
    if (name.size() == 3 && starts_with_upper(name, "DUM")) ps.model_sets_x_dum = true;
    operand(e, it[2], 60);
    number(e, 0, 3);
    number(e, 0, 2);
    return;
  }
  number(e, 0, 2);
  number(e, ps.held_flag ? 0 : 1, 2);
  if (!ps.held_flag) ps.held_len = 0;
  operand(e, ps.held_text.cols(1, ps.held_len), 78);
  ps.held_flag = false;
}

void write_table(Engine& e, std::string_view t, int code) {
  header(e, record_number(code, code == pop::table ? 7 : 6), code == pop::table ? "TABLE" : "QTABLE");
  const OperandItems it = split_operand_items(t, static_cast<int>(t.size()));
  for (int k = 1; k <= 4; ++k) operand(e, it[k], 60);
  flag(e, upcased(first_char(it[5])));
}

void write_capacity(Engine& e, std::string_view t) {
  header(e, record_number(pop::capacity, 4), "CAPACITY");
  operand(e, t, 60);
  number(e, t.empty() ? 1 : 0, 3);
}

void write_saved_start(Engine& e) {
  const ParseState& ps = e.parse;
  operand(e, ps.start_text.cols(1, ps.start_len), 8);
  flag(e, ps.start_option ? 'N' : ' ');
}

void write_reset(Engine& e, std::string_view t) {
  header(e, record_number(pop::reset, 4), "WARM UP");
  write_saved_start(e);
  // The RESET operand as two digits (00 unless it has one or two characters).
  char tens = '0';
  char units = '0';
  if (t.size() == 1) units = t[0];
  if (t.size() == 2) {
    tens = t[0];
    units = t[1];
  }
  put(e, io::Rec().x(1).lit("   1").x(1).ch(is_digit_char(tens) ? tens : '0').ch(is_digit_char(units) ? units : '0'));
}

void save_start(Engine& e, std::string_view t) {
  ParseState& ps = e.parse;
  std::size_t n = t.size();
  ps.start_option = n >= 3 && t[n - 3] == ',';
  if (ps.start_option) n -= 3;
  ps.start_text.assign(t.substr(0, n));
  ps.start_len = static_cast<int>(std::min<std::size_t>(n, FixedText<60>::size));
}

void write_end(Engine& e) {
  header(e, record_number(pop::start, 3), "START ");
  write_saved_start(e);
  header(e, record_number(pop::end, 1), "END");
}

bool is_block(const Engine& e, int code) {
  switch (code) {
    case pop::valueof:
    case pop::experi:
    case pop::input:
    case pop::table:
    case pop::reset:
    case pop::function:
    case pop::capacity:
    case pop::start:
    case pop::simulate:
    case pop::end:
    case pop::qtable:
      return false;
    case pop::let:
    case pop::let_plus:
    case pop::let_minus:
      return e.parse.first_generate_seen;
    default:
      // A comment, the blank entry or a word that is no operation.
      return code >= pop::generate && code < pop::let_start_value;
  }
}

}  // namespace

OperandItems split_operand_items(std::string_view text, int len, int max_items) {
  OperandItems out;
  std::string_view rest = clamp(text, len);
  max_items = std::clamp(max_items, 0, static_cast<int>(out.item.size()));
  if (rest.empty()) return out;
  while (out.count < max_items) {
    bool comma = false;
    bool blank = false;
    int comma_col = 0;
    int blank_col = 0;
    split_operands(rest, static_cast<int>(rest.size()), comma, comma_col, blank, blank_col);
    const std::string_view item = comma ? rest.substr(0, static_cast<std::size_t>(comma_col - 1)) : rest;
    out.item[static_cast<std::size_t>(out.count++)] = item.empty() ? k_blank_item : item;
    if (!comma) break;
    rest = rest.substr(static_cast<std::size_t>(comma_col));
  }
  return out;
}

void reset_parse_state(Engine& e) { e.parse = ParseState{}; }

void write_statement_record(Engine& e, std::string_view operands, int len, int& op_code, const Text6&) {
  ParseState& ps = e.parse;
  const std::string_view t = clamp(operands, len);
  if (is_block(e, op_code)) {
    ++ps.block_count;
  } else {
    ps.statement_kind_flags = {};
  }
  switch (op_code) {
    // ---- Blocks ----
    case pop::generate:
      ps.first_generate_seen = true;
      write_generate(e, t);
      break;
    case pop::arrive: write_simple(e, t, op_code, "ARRIVE "); break;
    case pop::assemble: write_simple(e, t, op_code, "ASSEMBLE "); break;
    case pop::depart: write_simple(e, t, op_code, "DEPART "); break;
    case pop::terminate: write_simple(e, t, op_code, "TERMINATE "); break;
    case pop::enter: write_enter(e, t); break;
    case pop::tabulate: write_two_items(e, t, record_number(op_code, 5), "TABULATE"); break;
    case pop::advance: write_two_items(e, t, record_number(op_code, 5), "ADVANCE"); break;
    case pop::leave: write_two_items(e, t, record_number(op_code, 5), "LEAVE "); break;
    case pop::seize: write_seize(e, t, op_code, "SEIZE "); break;
    case pop::preempt: write_seize(e, t, op_code, "PREEMPT "); break;
    case pop::release: write_release(e, t, op_code, "RELEASE "); break;
    case pop::return_: write_release(e, t, op_code, "RETURN "); break;
    case pop::go_to: write_two_items(e, t, record_number(op_code, 5), "GOTO"); break;
    case pop::if_:
    case pop::if_alt:
    case pop::waitif: write_if(e, t, op_code == pop::waitif ? pop::waitif : pop::if_); break;
    case pop::let:
    case pop::let_plus:
    case pop::let_minus:
      if (ps.first_generate_seen) {
        write_let(e, t, op_code);
      } else if (op_code == pop::let) {
        op_code = pop::let_start_value;
        write_start_values(e, t, op_code);
      }
      break;
    case pop::print: write_print(e, t); break;
    case pop::graph: write_items(e, t, record_number(op_code, 7), "GRAPH", 4); break;
    case pop::split: write_split(e, t); break;
    case pop::trace:
      header(e, record_number(op_code, 4), "TRACE ");
      number(e, t.size() == 2 ? 1 : 2, 2);
      break;
    case pop::matrix: write_matrix(e, t); break;
    case pop::anim: write_anim(e, t); break;
    // ---- Control statements ----
    case pop::simulate: write_two_items(e, t, record_number(op_code, 3), "SIMULATE"); break;
    case pop::valueof:
      ps.statement_kind_flags[0] = true;
      header(e, record_number(op_code, 3), "ValueOf ");
      operand(e, t, 60);
      break;
    case pop::experi: write_experi(e, t); break;
    case pop::function:
      ps.statement_kind_flags[0] = true;
      write_function(e, t);
      break;
    case pop::table:
      ps.statement_kind_flags[0] = true;
      write_table(e, t, op_code);
      break;
    case pop::qtable: write_table(e, t, op_code); break;
    case pop::capacity:
      ps.statement_kind_flags[0] = true;
      write_capacity(e, t);
      break;
    case pop::input: write_start_values(e, t, op_code); break;
    case pop::reset: write_reset(e, t); break;
    case pop::start: save_start(e, t); break;
    case pop::end:
      write_end(e);
      e.ctl.parse_end_flag = true;
      break;
    default: break;
  }
}

}  // namespace kelvo
