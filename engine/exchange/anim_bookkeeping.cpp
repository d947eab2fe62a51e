// Bookkeeping of the parse pass for automatic animation.
// Takes each statement line that the parse pass classifies; records the
// model's statements, numbers its blocks, places each block in the layout
// (a column per GENERATE, a row per block, or where a "(Loc:" comment puts
// it), notes the blocks' connection targets and what the model check needs.
#include <algorithm>
#include <array>

#include "exchange/auto_animation.h"
#include "io/channels.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/statement_reader.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

constexpr int k_op_generate = 1;
constexpr int k_op_goto = 6;
constexpr int k_op_if = 11;
constexpr int k_op_waitif = 13;
constexpr int k_op_let = 14;
constexpr int k_op_split = 22;
constexpr int k_op_start = 30;
constexpr int k_op_experi = 34;
constexpr int k_op_function = 38;
constexpr int k_op_let_initial = 40;
constexpr int k_last_block_code = 28;

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) upcase_char(c);
  return u;
}

// The blank-separated fields of a statement, with the same rule as the
// parse pass's split but without cutting the operand field: the animated
// model must hold the user's operands whole.
struct FullFields {
  std::string_view label, op, operands;
};

FullFields full_fields(std::string_view statement) {
  std::array<std::string_view, 3> fields{};
  int n = 0;
  std::size_t i = 0;
  while (i < statement.size() && n < 3) {
    while (i < statement.size() && (statement[i] == ' ' || statement[i] == '\t')) ++i;
    if (i >= statement.size()) break;
    const std::size_t start = i;
    bool quoted = false;
    while (i < statement.size() && (quoted || statement[i] != ' ')) {
      if (statement[i] == '\'') quoted = !quoted;
      ++i;
    }
    fields[static_cast<std::size_t>(n++)] = statement.substr(start, i - start);
  }
  FullFields f;
  const bool first_is_op = n >= 1 && operation_code_of_word(fields[0]) != 0;
  const bool second_is_op = n >= 2 && operation_code_of_word(fields[1]) != 0;
  if (n == 1) {
    f.op = fields[0];
  } else if (first_is_op && !(n == 3 && second_is_op)) {
    f.op = fields[0];
    f.operands = fields[1];
  } else {
    f.label = fields[0];
    f.op = fields[1];
    f.operands = fields[2];
  }
  return f;
}

// The items of an operand field, cut at commas outside apostrophes.
std::vector<std::string_view> operand_items(std::string_view operands) {
  std::vector<std::string_view> items;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < operands.size(); ++i) {
    if (operands[i] == '\'') quoted = !quoted;
    if (operands[i] == ',' && !quoted) {
      items.push_back(operands.substr(start, i - start));
      start = i + 1;
    }
  }
  items.push_back(operands.substr(start));
  return items;
}

Text6 target_name(std::string_view item) { return Text6(upper(trim_blanks(item))); }

bool is_function_mark(std::string_view item) { return upper(trim_blanks(item)) == "F"; }

// Where an IF, GOTO or SPLIT sends transactions: the label named by its
// address operand. An address given as a function (mark F) names no block.
Text6 connection_target(int code, std::string_view operands) {
  const auto items = operand_items(operands);
  const std::size_t n = items.size();
  if (code == k_op_if) {
    if (n < 2) return Text6();
    if (is_function_mark(items[n - 1])) return Text6();
    return target_name(items[n - 1]);
  }
  if (code == k_op_goto) {
    if (n >= 2 && is_function_mark(items[1])) return Text6();
    return target_name(items[0]);
  }
  if (n < 2 || (n >= 3 && is_function_mark(items[2]))) return Text6();
  return target_name(items[1]);
}

// The digit at position pos of a comment (1-based); a position outside
// the comment or a character that is no digit counts as 0.
int digit_at(std::string_view text, int pos) {
  if (pos < 1 || pos > static_cast<int>(text.size())) return 0;
  const char c = text[static_cast<std::size_t>(pos - 1)];
  return is_digit_char(c) ? c - '0' : 0;
}

char char_at(std::string_view text, int pos) {
  if (pos < 1 || pos > static_cast<int>(text.size())) return ' ';
  return text[static_cast<std::size_t>(pos - 1)];
}

// A "(Loc:" comment places the block relative to its predecessor. True
// when the block was placed.
bool locate_block(Engine& e, int block, std::string_view comment) {
  AnimState& a = e.anim;
  const std::string_view text = comment.substr(0, std::min<std::size_t>(comment.size(), 70));
  const std::size_t open = text.find('(');
  if (open == std::string_view::npos) return false;
  if (comment.substr(open + 1, 4) != "Loc:") return false;
  const int p = static_cast<int>(open) + 1;
  int row_offset = 0;
  int column_offset = 0;
  if (char_at(comment, p + 9) == ',') {
    row_offset = digit_at(comment, p + 7) * 10 + digit_at(comment, p + 8);
    column_offset = digit_at(comment, p + 11);
    if (char_at(comment, p + 10) == '-') column_offset = -column_offset;
  } else {
    row_offset = digit_at(comment, p + 7);
    const char sign = char_at(comment, p + 9);
    if (sign == '+' || sign == '-') {
      column_offset = digit_at(comment, p + 10);
      if (sign == '-') column_offset = -column_offset;
    } else {
      column_offset = digit_at(comment, p + 9);
    }
  }
  if (char_at(comment, p + 6) == '-') row_offset = -row_offset;
  AnimBlock& b = a.blocks[static_cast<std::size_t>(block)];
  AnimBlock& prev = a.blocks[static_cast<std::size_t>(block - 1)];
  b.row = prev.row + row_offset;
  b.segment = prev.segment + column_offset;
  ++a.located_count;
  // An unlabelled located block gets a layout label COMn, and its
  // predecessor a connection line to it. The names carry one digit.
  if (b.label.is_blank() && a.located_count <= 9) {
    b.label.assign(std::string("COM") + static_cast<char>('0' + a.located_count));
    if (prev.return_point == 0) prev.target = b.label;
  }
  return true;
}

// The name after "X$" of a LET before the first GENERATE, and its value.
void note_initial_let(AnimState& a, std::string_view operands) {
  const std::size_t eq = operands.find('=');
  const std::string_view name = trim_blanks(operands.substr(0, eq));
  if (upper(name) != "X$DUM") return;
  a.model_sets_dum = true;
  a.dum_value = eq == std::string_view::npos ? std::string() : std::string(trim_blanks(operands.substr(eq + 1)));
}

// The start-value line that stands for an EXPERI statement in the
// animated model: "LET X$", item 1 from its third character, "=", item 4.
void note_experi(AnimState& a, std::string_view operands) {
  const auto items = operand_items(operands);
  const std::string_view name = items.empty() || items[0].size() < 2 ? std::string_view{} : items[0].substr(2);
  const std::string_view value = items.size() >= 4 ? items[3] : std::string_view{};
  a.experi_line = "LET X$" + std::string(name) + "=" + std::string(value);
}

bool has_letter(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return is_letter(c); });
}

}  // namespace

std::string operation_word(int code) {
  return io::read_a(parse_op_display(code), 9);
}

void reset_anim_state(Engine& e) {
  const bool written = e.anim.animani_written;
  e.anim = AnimState();
  e.anim.animani_written = written;
  e.anim.blocks.emplace_back();  // entry 0: the predecessor of block 1
  e.ctl.debug_mode = io::Channels::exists("zwxyqdeb");
}

void anim_mark_depth(Engine& e, int block) {
  AnimState& a = e.anim;
  ++a.segment_count;
  AnimBlock& b = a.blocks[static_cast<std::size_t>(block)];
  b.row = 1;
  b.segment = a.blocks[static_cast<std::size_t>(block - 1)].segment + 1;
}

void anim_enter_block(Engine& e, int block, std::string_view comment) {
  AnimState& a = e.anim;
  if (a.start_seen || block < 2) return;
  AnimBlock& b = a.blocks[static_cast<std::size_t>(block)];
  if (!comment.empty() && comment.find('(') != std::string_view::npos) locate_block(e, block, comment);
  if (b.row != 0) return;
  const AnimBlock& prev = a.blocks[static_cast<std::size_t>(block - 1)];
  b.row = prev.row + 1;
  b.segment = prev.segment;
}

void anim_note_statement(Engine& e, const Line80& line, std::string_view statement, const ParsedStatement& p) {
  if (!e.ctl.animation_mode) return;
  AnimState& a = e.anim;
  if (a.blocks.empty()) a.blocks.emplace_back();
  const FullFields f = full_fields(statement);
  AnimStatement s;
  s.op_code = p.op_code;
  s.label.assign(upper(f.label));
  s.word.assign(f.op);
  s.operands.assign(f.operands);
  s.raw.assign(line.trimmed_right());
  if (s.op_code == 0) {
    // A data line. A FUNCTION whose data name block addresses is an
    // address function.
    if (a.in_function_data && has_letter(statement)) a.address_function = true;
    a.statements.push_back(std::move(s));
    return;
  }
  a.in_function_data = s.op_code == k_op_function;
  if (s.op_code == k_op_let && !a.first_generate) {
    s.op_code = k_op_let_initial;
    note_initial_let(a, s.operands);
  }
  if (s.op_code == k_op_experi) note_experi(a, s.operands);
  if (s.op_code == k_op_waitif && operand_items(s.operands).size() > 1) a.waitif_with_c = true;
  if (s.op_code >= 1 && s.op_code <= k_last_block_code) {
    const int n = static_cast<int>(a.blocks.size());
    AnimBlock b;
    b.statement = static_cast<int>(a.statements.size());
    b.op_code = s.op_code;
    b.label = s.label;
    if (s.op_code == k_op_if || s.op_code == k_op_goto || s.op_code == k_op_split) {
      b.target = connection_target(s.op_code, s.operands);
      if (!b.target.is_blank()) b.return_point = ++a.return_count;
    }
    a.blocks.push_back(b);
    s.block = n;
    if (s.op_code == k_op_generate) {
      a.first_generate = true;
      anim_mark_depth(e, n);
    } else {
      anim_enter_block(e, n, p.comment.view().substr(0, static_cast<std::size_t>(std::max(p.comment_len, 0))));
    }
  }
  if (s.op_code == k_op_start) a.start_seen = true;
  a.statements.push_back(std::move(s));
}

}  // namespace kelvo
