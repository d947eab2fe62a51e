// Animation trace file records.
// Takes ANIM statement lines (rewritten into calls of the animation
// programs), the name operand of each animation statement, the clock and
// the argument lists of the calls; writes the model's ATF file on
// channel 9: TIME records, one command record per call, and " END".
#include "exchange/atf_writer.h"

#include <algorithm>

#include "io/channels.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

// Operands of an animation statement (A is the program name).
constexpr int k_first_after_name = 2;
constexpr int k_second_after_name = 3;
// Commands closer than this to the last TIME record share it.
constexpr real4 k_time_step = 0.01f;
// The last TIME of a run that has written none: below every clock, so the
// run's first command gets its TIME record.
constexpr real4 k_before_any_time = -1.0f;
// WRITE shows a value as an integer when its remainder by this is small.
constexpr real4 k_write_divisor = 1.1f;
constexpr real4 k_write_fraction = 0.004f;

char upper(char c) {
  upcase_char(c);
  return c;
}

// The recorded name of the current special statement: NUL as blank, and
// letters in upper case when `fold` is set.
Text6 recorded_name(const Engine& e, bool fold) {
  Text6 name;
  const int k = e.prog.current_special;
  if (k < 1 || k > k_spec_limit) return name;
  const auto& row = e.ent.spec.atf_name[ix(k)];
  for (int i = 0; i < 6; ++i) {
    char c = row[static_cast<std::size_t>(i)];
    if (c == '\0') c = ' ';
    name.set(i + 1, fold ? upper(c) : c);
  }
  return name;
}

// An integer field of argument i: its value truncated; a name given
// where a number belongs is no number and fills the field with asterisks,
// as a value too wide for it does.
io::Rec& int_arg(io::Rec& r, const ProgramArgs& args, int i, int w) {
  if (args.is_name(i)) return r.lit(std::string(static_cast<std::size_t>(w), '*'));
  return r.i(trunc_i32(args.value(i)), w);
}

io::Rec& real_arg(io::Rec& r, const ProgramArgs& args, int i, int w, int d) {
  if (args.is_name(i)) return r.lit(std::string(static_cast<std::size_t>(w), '*'));
  return r.f(args.value(i), w, d);
}

// The name whose packed code argument i carries; blanks when it carries
// a number.
Text6 argument_name(Engine& e, const ProgramArgs& args, int i) {
  if (!args.is_name(i)) return Text6();
  return unpack_name_chars(e, args.name(i));
}

// The place a numbered PLACE names: the name without its trailing blanks
// (at least 3 characters), then the digits of k, padded to 9. A number
// outside 1..999 has no digits to show: asterisks.
std::string numbered_place_name(const Text6& name, const ProgramArgs& args) {
  int len = static_cast<int>(name.trimmed_right().size());
  len = std::max(len, 3);
  std::string place(name.view().substr(0, static_cast<std::size_t>(len)));
  const int4 k = args.is_name(3) ? 0 : trunc_i32(args.value(3));
  if (k < 1 || k > 999) place += "***";
  else place += std::to_string(k);
  place.resize(9, ' ');
  return place;
}

// Writes one command record; the TIME record goes first.
void write_command(Engine& e, const io::Rec& record) {
  write_atf_time(e);
  e.ch.write(io::k_atf_unit, record);
}

bool trace_open(const Engine& e) { return e.run.atf_open && !e.ctl.atf_replaced; }

}  // namespace

// ---- Compile time ----

bool read_anim_keyword(Engine& e, int c) {
  Line80& l = e.cs.stmt.stmt_line;
  if (c < 1 || c + 4 > k_stmt_end_col) return false;
  if (upper(l.at(c)) != 'A' || upper(l.at(c + 1)) != 'N' || upper(l.at(c + 2)) != 'I' || upper(l.at(c + 3)) != 'M' ||
      l.at(c + 4) != ' ')
    return false;
  for (int p = c + 5; p <= k_stmt_end_col; ++p) {
    const char a = upper(l.at(p)), b = upper(l.at(p + 1)), d = upper(l.at(p + 2));
    const bool atf = a == 'A' && b == 'T' && d == 'F';
    const bool ani = a == 'A' && b == 'N' && d == 'I';
    if (atf || l.at(p) == ',') {
      l.set(c, 'H');
      l.set(c + 1, 'E');
      l.set(c + 2, 'L');
      l.set(c + 3, 'P');
      return true;
    }
    if (ani || l.at(p) == '!') return false;
  }
  return false;
}

bool scan_anim_keyword(Engine& e, int c) {
  const Line80& l = e.cs.stmt.stmt_line;
  int p = std::max(c, 1);
  while (p <= k_stmt_end_col && l.at(p) == ' ') ++p;
  if (p > k_stmt_end_col) return false;
  if (read_anim_keyword(e, p)) return true;
  // The word after the first one (the first was a label). Only the start
  // of a word is tested, never a column inside a quoted text or a comment.
  while (p <= k_stmt_end_col && l.at(p) != ' ') ++p;
  bool quoted = false;
  for (int q = p; q <= k_stmt_end_col; ++q) {
    const char ch = l.at(q);
    if (ch == '\'') quoted = !quoted;
    if (quoted) continue;
    if (ch == '!') return false;
    if (ch != ' ' && l.at(q - 1) == ' ' && read_anim_keyword(e, q)) return true;
  }
  return false;
}

void record_anim_name(Engine& e, int k, int p) {
  if (e.ctl.atf_replaced) return;
  if (k < 1 || k > k_spec_limit || p < prog::create || p > prog::setbar) return;
  if (p == prog::atf) {
    e.rep.atf_program_flag = true;
  } else {
    // WRITE, SETBAR and TIME name their subject right after the program
    // name; the others after the transaction's object number.
    const bool first = p == prog::write || p == prog::setbar || p == prog::time;
    const int r = first ? k_first_after_name : k_second_after_name;
    const auto& f = e.cs.stmt.stmt_fields;
    const int start = f.opnd_start[ix(r)];
    int len = f.opnd_len[ix(r)];
    if (len > 60) len -= 60;  // a quoted text that is the only operand
    len = std::clamp(len, 0, 6);
    auto& row = e.ent.spec.atf_name[ix(k)];
    for (int i = 0; i < len && start >= 1; ++i) row[static_cast<std::size_t>(i)] = e.cs.stmt.stmt_line.at(start + i);
  }
  if (e.run.atf_open) return;
  e.run.atf_open = true;
  const Text129 name = make_atf_file_name(e);
  e.ctl.error_file_name = name;
  if (!open_or_delete_file(e, io::k_atf_unit, name.view())) e.run.atf_open = false;
}

// ---- Run time ----

void write_atf_time(Engine& e) {
  RunState& r = e.run;
  if (!trace_open(e)) return;
  if (!(r.atf_last_time + k_time_step < r.clock)) return;
  e.ch.write(io::k_atf_unit, io::Rec().lit(" TIME").f(r.clock, 11, 2));
  r.atf_last_time = r.clock;
}

void restart_atf_time(Engine& e) { e.run.atf_last_time = k_before_any_time; }

bool prepare_atf_record(Engine& e, const ProgramArgs& args, long long& number, Text6& name) {
  name = recorded_name(e, true);
  number = trunc_i32(args.value(1));
  if (!trace_open(e)) return false;
  write_atf_time(e);
  return true;
}

void write_atf_create(Engine& e, const ProgramArgs& args) {
  long long n = 0;
  Text6 name;
  if (!prepare_atf_record(e, args, n, name)) return;
  io::Rec r;
  r.lit(" CREATE ").lit(name.view()).x(1);
  e.ch.write(io::k_atf_unit, int_arg(r, args, 1, 6));
}

void write_atf_destroy(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  io::Rec r;
  write_command(e, int_arg(r.lit(" DESTROY "), args, 1, 6));
}

void write_atf_set_class(Engine& e, const ProgramArgs& args) {
  long long n = 0;
  Text6 name;
  if (!prepare_atf_record(e, args, n, name)) return;
  io::Rec r;
  int_arg(r.lit(" SET "), args, 1, 6).lit(" CLASS ").lit(name.view());
  e.ch.write(io::k_atf_unit, r);
}

void write_atf_set_color(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  io::Rec r;
  int_arg(r.lit(" SET "), args, 1, 6).lit(" COLOR ");
  if (args.value(7) == 1.0f) int_arg(r, args, 2, 2);
  else r.lit(recorded_name(e, false).view());
  write_command(e, r);
}

void write_atf_set_speed(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  io::Rec r;
  int_arg(r.lit(" SET "), args, 1, 6).lit(" SPEED ");
  write_command(e, real_arg(r, args, 2, 7, 2));
}

void write_anim_move_place(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  io::Rec r;
  if (!args.is_name(4) && args.value(4) == 0.0f) {
    int_arg(r.lit(" PLACE "), args, 1, 6).lit(" at ");
  } else {
    int_arg(r.lit(" MOVE "), args, 1, 6);
    real_arg(r, args, 4, 7, 2);
  }
  int_arg(r, args, 2, 4);
  write_command(e, int_arg(r, args, 3, 4));
}

void write_anim_place(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  io::Rec r;
  int_arg(r.lit(" PLACE "), args, 1, 6);
  if (args.value(7) == 1.0f) {
    r.lit(" AT ");
    int_arg(r, args, 2, 5);
    int_arg(r, args, 3, 5);
  } else {
    const Text6 name = recorded_name(e, true);
    r.lit(" ON ");
    if (!args.is_name(3) && args.value(3) == 0.0f) r.lit(name.view());
    else r.lit(numbered_place_name(name, args));
  }
  write_command(e, r);
}

void write_anim_travel(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  const Text6 name = recorded_name(e, true);
  io::Rec r;
  if (name.at(1) >= 'A') r.lit(" SET PATH  ").lit(name.view());
  else int_arg(r.lit(" SET "), args, 1, 4);
  r.lit(" TRAVEL  ");
  write_command(e, real_arg(r, args, 2, 10, 2));
}

void write_atf_write_command(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  const Text6 name = recorded_name(e, false);
  io::Rec r;
  if (args.value(7) != 1.0f) {
    r.lit(" WRITE ").lit(name.view()).x(2).lit(argument_name(e, args, 2).view());
    write_command(e, r);
    return;
  }
  if (name.view().substr(0, 4) == "IDNR") {
    const long long i = trunc_i32(args.value(2));
    const real4 second = args.value(3);
    const long long v = second == 0.0f ? i : trunc_i32(second);
    r.lit(" WRITE ID");
    if (name.at(5) != ' ') r.ch(name.at(5));
    r.lit("(").i(i, 4).lit(")").x(3).i(v, 4);
    write_command(e, r);
    return;
  }
  // The integrality test by the remainder of a division by 1.1, which the
  // viewer relies on.
  const real4 v = args.value(2);
  r.lit(" WRITE ").lit(name.view());
  if (amod(v, k_write_divisor) > k_write_fraction) r.f(v, 9, 2);
  else r.i(trunc_i32(v), 6);
  write_command(e, r);
}

void write_atf_set_bar(Engine& e, const ProgramArgs& args) {
  if (!trace_open(e)) return;
  io::Rec r;
  r.lit(" SET BAR ").lit(recorded_name(e, false).view()).x(1).lit(argument_name(e, args, 2).view());
  write_command(e, int_arg(r, args, 3, 6));
}

void close_atf_file(Engine& e) {
  if (!e.run.atf_open) return;
  e.run.clock = e.run.saved_clock;
  write_atf_time(e);
  if (!e.ctl.atf_replaced) {
    e.ch.write(io::k_atf_unit, " END");
    e.ch.close(io::k_atf_unit);
  }
  e.run.atf_open = false;
}

// ---- File names ----

Text129 make_anim_file_name(Engine& e) { return model_name_with_extension(e, "ANI"); }
Text129 make_file_name_ext(Engine& e) { return model_name_with_extension(e, "ANS"); }
Text129 make_layout_file_name(Engine& e) { return model_name_with_extension(e, "LAY"); }

Text129 make_atf_file_name(Engine& e) {
  // The animated copy runs under its own name: the user's model names the file.
  if (e.ctl.auto_animation_flag) return user_model_name_with_extension(e, "ATF");
  return model_name_with_extension(e, "ATF");
}

}  // namespace kelvo
