// The animated model of automatic animation.
// Takes the statements of the parse pass and their blocks; writes the
// work file "animani" and the model's ANI file: a copy of the model with
// ANIM statements that create an object per transaction at its GENERATE,
// place it at every block it enters (BLO and the block number), send it
// over a return point (GOT and a number) where an IF, SPLIT or GOTO sends
// it elsewhere, and destroy it at its TERMINATE.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "exchange/atf_writer.h"
#include "exchange/auto_animation.h"
#include "exchange/parse_file.h"
#include "io/channels.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

using namespace pop;  // the parse pass's operation codes

// The last column a statement may use (the translator refuses one that
// reaches k_stmt_end_col).
constexpr std::size_t k_statement_width = k_stmt_end_col - 1;

// A return point at the end of the animated model: transactions sent
// there are placed on the path GOTn and go on to the target.
struct ReturnPoint {
  int number = 0;
  int segment = 0;
  bool from_split = false;
  Text6 target;
  std::string label;  // GOTn, or the short label of a statement too long for it
};

std::string join_items(const std::vector<std::string>& items) {
  std::string s;
  for (std::size_t i = 0; i < items.size(); ++i) s += (i ? "," : "") + items[i];
  return s;
}

class Rewriter {
 public:
  explicit Rewriter(Engine& e) : e_(e), a_(e.anim), debug_(e.ctl.debug_mode) {}

  void run() {
    for (const AnimStatement& s : a_.statements) rewrite(s);
    write_return_points();
    if (!start_line_.empty()) out(start_line_);
    out("   END");
  }

 private:
  void out(std::string_view line) { e_.ch.write(k_ani_model_unit, trim_right(line)); }

  std::string object() const { return "P$SEG" + std::to_string(segment_); }
  std::string block_text() const { return std::to_string(block_); }

  // The statement as the animated model holds it: four blanks, the label,
  // the statement word and the whole operand field. An operand field too
  // long for that layout keeps the user's own spacing-free form, so no
  // operand character is lost past the last column.
  std::string copy_line(const AnimStatement& s, const Text6& label, const std::string& operands) const {
    std::string line = "    " + std::string(label.view()) + " " + operation_word(s.op_code) + " " + operands;
    if (trim_right(line).size() <= k_statement_width) return line;
    line = (label.is_blank() ? std::string() : std::string(label.trimmed())) + " " + s.word + " " + operands;
    if (line.size() > k_statement_width && line[0] == ' ') line.erase(0, 1);
    return line;
  }
  std::string copy_line(const AnimStatement& s) const { return copy_line(s, s.label, s.operands); }

  void listing_line() {
    if (!debug_) return;
    const std::string n = block_text();
    // A PRINT labelled BLOTn that writes "WRITE BLOnT" and its own entry
    // count (width 0: the standard form), the number in one or two digits.
    const std::string text = " BLOT" + n + (n.size() == 1 ? "  " : " ") + "PRINT 'WRITE BLO" + n + "T',N$BLOT" + n + ",0";
    out(io::read_a(text, 47));
  }
  void dummy_advance() { out("     ADVANCE X$DUM"); }
  // " ANIM PLACE," the object and its block's place BLOn.
  std::string place_text() const { return " ANIM PLACE," + object() + ",BLO" + block_text(); }
  // The place line alone: under the block's label, or indented by five.
  void place_at_block(const Text6& label) {
    if (label.is_blank()) out("    " + place_text());
    else out(std::string(label.view()) + place_text());
  }
  void labelled_place(const Text6& label) {
    out(std::string(label.view()) + place_text());
    dummy_advance();
    listing_line();
  }
  void blank_prefixed_place() {
    out("     " + place_text());
    dummy_advance();
    listing_line();
  }
  // The place line in front of a block: it takes over the block's label,
  // so a transaction sent to the label is placed too.
  void place_before(const Text6& label) {
    if (label.is_blank()) blank_prefixed_place();
    else labelled_place(label);
  }

  void statement_error(const AnimStatement& s, std::string_view message) {
    ControlState& c = e_.ctl;
    c.current_statement.assign(s.raw);
    clear_statement_error_state(e_);
    e_.ch.close_delete(k_ani_model_unit);
    flag_error_without_hint(e_, message);
    stop_program(e_);
  }

  const AnimBlock& block_of(const AnimStatement& s) const { return a_.blocks[static_cast<std::size_t>(s.block)]; }

  // Sends the object on to the target: a target in another segment's
  // blocks places and destroys its objects through that segment's
  // parameter, which is given the object first.
  void send_to(int from_segment, const Text6& target) {
    for (const AnimBlock& b : a_.blocks) {
      if (b.label != target) continue;
      if (b.generate_segment != from_segment && b.generate_segment >= 1) {
        out("     LET P$SEG" + std::to_string(b.generate_segment) + "=P$SEG" + std::to_string(from_segment));
      }
      break;
    }
    out("     GOTO " + std::string(target.trimmed()));
  }

  // The operand field with the address that leads away replaced by the
  // return point's label: the last operand of an IF, the second of a
  // SPLIT, the first of a GOTO.
  std::string retarget(const AnimStatement& s, const std::string& label) {
    std::vector<std::string> items = operand_items(s.operands);
    std::size_t k = 0;
    if (s.op_code == if_ || s.op_code == if_alt) {
      if (items.size() < 2) statement_error(s, " C operand compulsory in IF block");
      k = items.size() - 1;
    } else if (s.op_code == split) {
      if (items.size() < 2) statement_error(s, " Compulsory B operand missing in SPLIT block");
      k = 1;
    }
    items[k] = label;
    return join_items(items);
  }

  // Sends the statement to its return point: the operand field that leads
  // there, and the return point's entry. The label is GOTn unless the
  // statement would then pass its last column even when written compactly;
  // it then gets a three-character label of its own (no longer than the
  // address it replaces, which has at least three), so the copy always
  // translates.
  std::string to_return_point(const AnimStatement& s, bool from_split) {
    const AnimBlock& b = block_of(s);
    std::string label = "GOT" + std::to_string(b.return_point);
    std::string operands = retarget(s, label);
    if (trim_right(copy_line(s, Text6(), operands)).size() > k_statement_width) {
      label = short_label(b.return_point);
      operands = retarget(s, label);
    }
    returns_.push_back({b.return_point, segment_, from_split, b.target, label});
    return operands;
  }

  // Three letters: "G" and the return point's number in two letters (A 0
  // to Z 25; a third character may not be a digit), or, when the model has
  // that label already, the next letter in place of the G.
  std::string short_label(int number) {
    const std::string tail{static_cast<char>('A' + number / 26 % 26), static_cast<char>('A' + number % 26)};
    for (char first = 'G';; ++first) {
      const std::string label = first + tail;
      const bool taken = std::any_of(a_.statements.begin(), a_.statements.end(),
                                     [&](const AnimStatement& t) { return t.label.trimmed() == label; }) ||
                         std::any_of(returns_.begin(), returns_.end(), [&](const ReturnPoint& r) { return r.label == label; });
      if (!taken || first == 'Z') return label;
    }
  }

  // The number of segment d's k-th object (k = N$FIGd, the entries of its
  // creation line): k + 1000 (d - 1) + 1000 (m - 1) q, with q = (k - 1)
  // div 1000 and m the count of segments rounded up to 1, 2, 5 or 10.
  // Segment d takes the d-th thousand of every m thousand numbers, so no
  // two segments' objects share one, whatever the counts; m divides 10, so
  // a SPLIT copy (its parent's number + 10000) stays among the numbers of
  // its parent's segment. Written with r = (k - 1) % 1000, as the model's
  // expressions have no integer division: m k - (m - 1) r + 1000 (d - 1) - (m - 1).
  std::string object_number(int d) const {
    const int segments = std::clamp(a_.segment_count, 1, k_anim_segment_limit);
    const int m = segments == 1 ? 1 : segments == 2 ? 2 : segments <= 5 ? 5 : 10;
    const std::string k = "N$FIG" + std::to_string(d);
    if (m == 1) return k;
    const int offset = 1000 * (d - 1) - (m - 1);
    std::string value = k + "*" + std::to_string(m) + "-(" + k + "-1)%1000";
    if (m > 2) value += "*" + std::to_string(m - 1);
    return value + (offset < 0 ? "-" : "+") + std::to_string(std::abs(offset));
  }

  void rewrite(const AnimStatement& s) {
    const int code = s.op_code;
    if (code == 0) {
      out(s.raw);  // a data line, as the user wrote it
      return;
    }
    if (code < simulate) {
      ++block_;
    }
    switch (code) {
      case simulate:
        out("SIMULATE 1");
        if (!e_.parse.model_sets_x_dum) out("    LET X$DUM=5");
        return;
      case experi:
        // The start-value line the parse-file writer built from it.
        out(" " + std::string(e_.parse.experi_start_line.trimmed_right()));
        return;
      case reset:
      case end:
        return;
      case input:
        e_.ch.close_delete(k_ani_model_unit);
        stop_animation(e_, " INPUT not allowed at automatic animation");
      case start:
        // Kept for the end of the model, ",NP" after its last operand.
        start_line_ = copy_line(s, s.label, std::string(trim_right(s.operands)) + ",NP");
        return;
      case generate:
        out(copy_line(s));
        ++segment_;
        if (segment_ > k_anim_segment_limit) statement_error(s, " Too many GENERATE blocks for automatic animation");
        {
          const std::string d = std::to_string(segment_);
          out("FIG" + d + "  LET " + object() + "=" + object_number(segment_));
          out("      ANIM CREATE," + object() + ",FIG" + d);
        }
        return;
      case advance:
        listing_line();
        place_at_block(s.label);
        out(copy_line(s, Text6(), s.operands));
        return;
      case terminate:
        labelled_place(s.label);
        out("     ANIM DESTROY," + object());
        out(copy_line(s, Text6(), s.operands));
        return;
      case if_:
      case if_alt:
      case split:
        rewrite_branch(s);
        return;
      case go_to:
        rewrite_goto(s);
        return;
      case waitif:
        if (!s.label.is_blank()) out(std::string(s.label.view()) + " ADVANCE");
        blank_prefixed_place();
        out(copy_line(s, Text6(), s.operands));
        return;
      case print:
        out(std::string(s.label.view()) + " PRINT ");
        labelled_place(Text6());
        return;
      case assemble:
        out(copy_line(s));
        return;
      default:
        break;
    }
    out(copy_line(s));
    if (code < simulate) blank_prefixed_place();
  }

  // IF and SPLIT: the place line in front, the address replaced by the
  // return point, which the end of the model leads on to the address.
  void rewrite_branch(const AnimStatement& s) {
    const AnimBlock& b = block_of(s);
    std::string operands = s.operands;
    if (b.return_point > 0) {
      operands = to_return_point(s, s.op_code == split);
    } else if (operand_items(s.operands).size() < 2) {
      retarget(s, "");  // no address at all: the statement error
    }
    place_before(s.label);
    out(copy_line(s, Text6(), operands));
  }

  // GOTO: placed at its block and on its return point, then sent on. A
  // GOTO with further operands keeps them and goes over a return point
  // at the end of the model instead.
  void rewrite_goto(const AnimStatement& s) {
    const AnimBlock& b = block_of(s);
    if (b.return_point == 0) {
      place_before(s.label);
      out(copy_line(s, Text6(), s.operands));
      return;
    }
    if (operand_items(s.operands).size() > 1) {
      const std::string operands = to_return_point(s, false);
      place_before(s.label);
      out(copy_line(s, Text6(), operands));
      return;
    }
    returns_.push_back({b.return_point, segment_, false, b.target, "GOT" + std::to_string(b.return_point)});
    listing_line();
    place_at_block(s.label);
    dummy_advance();
    out("     ANIM PLACE," + object() + ",GOT" + std::to_string(b.return_point));
    dummy_advance();
    send_to(segment_, b.target);
  }

  void write_return_points() {
    for (const ReturnPoint& r : returns_) {
      const std::string n = std::to_string(r.number);
      const std::string d = std::to_string(r.segment);
      if (r.from_split) {
        out(r.label + " LET+ P$SEG" + d + ",10000");
        out("ANIM CREATE,P$SEG" + d + ",FIG" + d);
        out("ANIM COLOR,P$SEG" + d + ",7");
        out(" ANIM PLACE,P$SEG" + d + ",GOT" + n);
      } else {
        out("  " + r.label + " ANIM PLACE,P$SEG" + d + ",GOT" + n);
      }
      dummy_advance();
      send_to(r.segment, r.target);
    }
  }

  Engine& e_;
  AnimState& a_;
  bool debug_;
  int block_ = 0;
  int segment_ = 0;
  std::string start_line_;
  std::vector<ReturnPoint> returns_;
};

// The lines after END (data that the model reads after its END) are
// copied behind the animated model's END.
void copy_lines_after_end(Engine& e) {
  const int unit = e.ctl.unit_base;
  if (!e.ch.open_read(unit, e.ctl.program_file_name.trimmed())) return;
  std::string line;
  for (int n = 1; n <= e.ctl.parse_line_count; ++n) {
    if (e.ch.read_line(unit, line) != io::ReadStatus::ok) {
      e.ch.close(unit);
      return;
    }
  }
  while (e.ch.read_line(unit, line) == io::ReadStatus::ok) e.ch.write(k_ani_model_unit, line);
  e.ch.close(unit);
}

}  // namespace

void prepare_auto_animation(Engine& e) {
  AnimState& a = e.anim;
  if (a.animani_written) return;
  a.animani_written = true;
  if (!e.ch.open_new(k_animani_unit, "animani")) return;
  for (const AnimStatement& s : a.statements) {
    if (s.op_code == 0) continue;
    e.ch.write(k_animani_unit, io::Rec().a(s.label.view(), k_label_cols).x(1).a(operation_word(s.op_code), 9).x(1).lit(s.operands));
  }
  e.ch.close(k_animani_unit);
}

void rewrite_model_for_animation(Engine& e) {
  // An animated copy holds its objects and return points already; it is
  // run as it stands.
  if (is_animated_copy_name(e.ctl.program_file_name)) return;
  e.ctl.auto_animation_flag = true;
  if (static_cast<int>(e.anim.blocks.size()) - 1 > k_anim_block_limit) {
    stop_animation(e, " Program has too many statements");
  }
  const Text125 ani = animated_model_name(e);
  e.ch.open_new(k_ani_model_unit, ani.trimmed());
  Rewriter(e).run();
  copy_lines_after_end(e);
  e.ch.close(k_ani_model_unit);
  // Nothing runs without the animated model: the trace file it would have
  // written is lost with it.
  if (e.ch.lost(ani.trimmed())) {
    e.ch.report_not_written(make_atf_file_name(e).trimmed(), ani.trimmed());
    stop_now(e);
  }
}

bool is_animated_copy_name(const Text125& name) {
  // A '.' followed by ANI, in any case.
  for (int col = 1; col <= Text125::size; ++col) {
    if (name.at(col) != '.') continue;
    if (upcased(name.at(col + 1)) == 'A' && upcased(name.at(col + 2)) == 'N' && upcased(name.at(col + 3)) == 'I') return true;
  }
  return false;
}

Text125 animated_model_name(Engine& e) {
  if (is_animated_copy_name(e.ctl.program_file_name)) return e.ctl.program_file_name;
  return Text125(make_anim_file_name(e).trimmed());
}

}  // namespace kelvo
