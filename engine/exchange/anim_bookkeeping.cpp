// Bookkeeping of the parse pass for automatic animation.
// Takes each statement line that the parse pass classifies; records the
// model's statements, numbers its blocks, places each block in the layout
// (a column per GENERATE, a row per block, or where a "(Loc:" comment puts
// it), notes the blocks' connection targets and what the model check needs.
#include <algorithm>
#include <array>

#include "exchange/auto_animation.h"
#include "exchange/parse_file.h"
#include "io/channels.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/statement_reader.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

using namespace pop;  // the parse pass's operation codes

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) upcase_char(c);
  return u;
}

Text6 target_name(std::string_view item) { return Text6(upper(trim_blanks(item))); }

bool is_function_mark(std::string_view item) { return upper(trim_blanks(item)) == "F"; }

// Where an IF, GOTO or SPLIT sends transactions: the label named by its
// address operand. An address given as a function (mark F) names no block.
Text6 connection_target(int code, std::string_view operands) {
  const auto items = operand_items(operands);
  const std::size_t n = items.size();
  if (code == if_) {
    if (n < 2) return Text6();
    if (is_function_mark(items[n - 1])) return Text6();
    return target_name(items[n - 1]);
  }
  if (code == go_to) {
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

// The value a LET before the first GENERATE gives X$DUM, the dummy delay
// that sets the layout's travel time.
void note_initial_let(AnimState& a, std::string_view operands) {
  const std::size_t eq = operands.find('=');
  const std::string_view name = trim_blanks(operands.substr(0, eq));
  if (upper(name) != "X$DUM" || eq == std::string_view::npos) return;
  a.dum_value = std::string(trim_blanks(operands.substr(eq + 1)));
}

// The "!" comment of a statement line from the character after the "!";
// the layout reads it only when that character is "(".
std::string_view located_comment(const Line80& line) {
  const std::string_view all = line.view();
  const std::size_t bang = all.find('!');
  if (bang == std::string_view::npos) return {};
  return all.substr(bang + 1);
}

int take_return_point(AnimState& a) {
  const int d = a.segment_count;
  if (d >= 1 && d <= k_anim_segment_limit && !a.segment_returns[static_cast<std::size_t>(d)]) {
    a.segment_returns[static_cast<std::size_t>(d)] = true;
    return d;
  }
  return k_anim_segment_limit + ++a.extra_return_count;
}

bool has_letter(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return is_letter(c); });
}

// In an animated copy (an ANI file), true for a block line that the
// rewriter added: object creation and placing, the dummy delays, the
// listing lines, the label lines of WAITIF and the return points at the
// end. A label that the copy moved from a block onto an added line is
// kept for the next block; a return point's label stands for the label
// its GOTO leads on to.
bool added_to_copy(AnimState& a, const AnimStatement& s) {
  const std::string ops = upper(trim_blanks(s.operands));
  const std::string_view label = s.label.trimmed();
  const bool object_set = (s.op_code == let || s.op_code == let_plus) && ops.rfind("P$SEG", 0) == 0;
  const bool return_place = s.op_code == anim && ops.find(",GOT") != std::string::npos;
  if (!label.empty() && ((s.op_code == let_plus && object_set) || return_place)) a.copy_return_label = s.label;
  if (!a.copy_return_label.is_blank()) {
    if (s.op_code == go_to) a.copy_return_targets.emplace_back(a.copy_return_label, target_name(ops));
    return true;
  }
  // The user's ADVANCE keeps no label in the copy: a labelled one without
  // operand holds a WAITIF's label.
  const bool added = s.op_code == anim || object_set ||
                     (s.op_code == advance && (ops == "X$DUM" || (ops.empty() && !label.empty()))) ||
                     (s.op_code == print && label.rfind("BLOT", 0) == 0);
  if (added && !label.empty() && !object_set && s.op_code != print) a.copy_pending_label = s.label;
  return added;
}

}  // namespace

void resolve_copy_return_points(Engine& e) {
  for (AnimBlock& b : e.anim.blocks) {
    for (const auto& [label, target] : e.anim.copy_return_targets) {
      if (b.target == label) b.target = target;
    }
  }
}

std::vector<std::string> operand_items(std::string_view operands) {
  std::vector<std::string> items;
  bool quoted = false;
  std::string item;
  for (char c : operands) {
    if (c == '\'') quoted = !quoted;
    if (c == ',' && !quoted) {
      items.push_back(item);
      item.clear();
    } else {
      item += c;
    }
  }
  items.push_back(item);
  return items;
}

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
  if (!comment.empty() && comment.front() == '(') locate_block(e, block, comment);
  if (b.row != 0) return;
  const AnimBlock& prev = a.blocks[static_cast<std::size_t>(block - 1)];
  b.row = prev.row + 1;
  b.segment = prev.segment;
}

void anim_note_statement(Engine& e, const Line80& line, std::string_view statement, const ParsedStatement& p) {
  if (!e.ctl.animation_mode) return;
  AnimState& a = e.anim;
  if (a.blocks.empty()) a.blocks.emplace_back();
  const StatementFields f = statement_fields(statement);
  AnimStatement s;
  s.op_code = p.op_code;
  s.label.assign(upper(f.label));
  s.word.assign(f.operation);
  s.operands.assign(f.operands);
  s.raw.assign(line.trimmed_right());
  if (s.op_code == 0) {
    // A data line. A FUNCTION whose data name block addresses is an
    // address function.
    if (a.in_function_data && has_letter(statement)) a.address_function = true;
    a.statements.push_back(std::move(s));
    return;
  }
  a.in_function_data = s.op_code == function;
  // The parse-file writer has not seen this line yet: its first-GENERATE
  // flag tells of the lines before.
  if (s.op_code == let && !e.parse.first_generate_seen) {
    s.op_code = let_start_value;
    note_initial_let(a, s.operands);
  }
  if (s.op_code == waitif && operand_items(s.operands).size() > 1) a.waitif_with_c = true;
  const bool copy = e.ctl.auto_animation_flag;
  if (s.op_code >= 1 && s.op_code <= return_ && !(copy && added_to_copy(a, s))) {
    if (copy && s.label.is_blank()) s.label = a.copy_pending_label;
    a.copy_pending_label.clear();
    const int n = static_cast<int>(a.blocks.size());
    AnimBlock b;
    b.label = s.label;
    b.generate_segment = a.segment_count + (s.op_code == generate ? 1 : 0);
    if (s.op_code == if_ || s.op_code == go_to || s.op_code == split) {
      b.target = connection_target(s.op_code, s.operands);
      if (!b.target.is_blank()) b.return_point = take_return_point(a);
    }
    a.blocks.push_back(b);
    s.block = n;
    if (s.op_code == generate) {
      anim_mark_depth(e, n);
    } else {
      anim_enter_block(e, n, located_comment(line));
    }
  }
  if (s.op_code == start) a.start_seen = true;
  a.statements.push_back(std::move(s));
}

}  // namespace kelvo
