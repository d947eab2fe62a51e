// Error reports and the error channel.
// Takes messages (50-character texts, longer ones in the message buffer)
// and the current statement; writes them in the fixed report layout and
// ends the engine where the error requires it.
#include "support/diagnostics.h"

#include <algorithm>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

// A message line: the text padded to 50 characters. A few messages are
// longer than that; they are written whole rather than cut.
std::string message_line(std::string_view message) {
  return io::read_a(message, std::max<int>(50, static_cast<int>(message.size())));
}

void write_address_hint(Engine& e, int unit) {
  if (e.hooks.write_address_hint != nullptr) e.hooks.write_address_hint(e, unit);
}

}  // namespace

Text129 make_err_name(Engine& e) { return model_name_with_extension(e, "ERR"); }

int open_error_unit(Engine& e) {
  ControlState& c = e.ctl;
  if (c.auto_animation_flag) {
    if (!c.atf_replaced || !e.ch.is_open(io::k_atf_unit)) {
      // Replace the trace file once; later reports of this run append.
      // While the animated copy of a model runs, the trace file is the one
      // named after the user's model.
      const Text129 atf = c.error_file_name.is_blank() ? user_model_name_with_extension(e, "ATF") : c.error_file_name;
      e.ch.open_new(io::k_atf_unit, atf.trimmed());
      c.atf_replaced = true;
      e.ch.write(io::k_atf_unit, "Due to error, no ATF file produced");
      e.ch.write(io::k_atf_unit, "  ");
      if (c.address_function_flag) {
        e.ch.write(io::k_atf_unit, message_line(" Address function not allowed in automatic animation"));
        stop_now(e);
      }
    }
    return io::k_atf_unit;
  }
  if (c.java_mode) {
    open_err_file_only(e);
    return c.unit_base + io::offset::err;
  }
  return e.rep.out_unit_save;
}

void open_err_file_only(Engine& e) {
  ControlState& c = e.ctl;
  if (!c.java_mode) return;
  const int unit = c.unit_base + io::offset::err;
  // Opened fresh once per process and then kept, so every report of the
  // run stays in the file.
  if (c.err_file_open && e.ch.is_open(unit)) return;
  e.ch.open_new(unit, make_err_name(e).trimmed());
  c.err_file_open = true;
}

void report_statement_error(Engine& e, std::string_view message) {
  ControlState& c = e.ctl;
  c.error_seen = true;
  if (c.error_reported) return;
  const int unit = open_error_unit(e);
  e.ch.write(unit, message_line(message));
  if (e.cs.flags.stop_after_error) stop_program(e);
  if (c.hint_flag && !c.auto_animation_flag) write_address_hint(e, unit);
  e.ch.write(unit, message_line(" Error found at the following statement:"));
  e.ch.write(unit, "  ");
  e.ch.write(unit, io::Rec().x(3).lit(c.current_statement.view()));
  c.error_reported = true;
  if (c.auto_animation_flag) {
    e.ch.close(unit);
    stop_now(e);
  }
}

void flag_statement_error(Engine& e, std::string_view message) {
  e.ctl.error_found = true;
  report_statement_error(e, message);
}

void flag_error_without_hint(Engine& e, std::string_view message) {
  e.ctl.hint_flag = false;
  flag_statement_error(e, message);
}

void statement_error(Engine& e, std::string_view message, ErrorEffect effect) {
  switch (effect) {
    case ErrorEffect::report: report_statement_error(e, message); break;
    case ErrorEffect::flag: flag_statement_error(e, message); break;
    case ErrorEffect::flag_without_hint: flag_error_without_hint(e, message); break;
  }
}

int take_slot(Engine& e, int4& count, int capacity, std::string_view message, ErrorEffect effect) {
  if (count >= capacity) {
    statement_error(e, message, effect);
    return 0;
  }
  return ++count;
}

void write_statement_error(Engine& e, std::string_view message) {
  ControlState& c = e.ctl;
  if (!c.hint_flag) {
    flag_statement_error(e, message);
    return;
  }
  if (c.hint_field_word == 0) {
    c.saved_hint_text.assign(message);
    return;
  }
  if (c.error_reported) return;  // one report per statement
  const int unit = open_error_unit(e);
  e.ch.write(unit, message_line(message));
  e.ch.write(unit, message_line(" Error in next statement"));
  e.ch.write(unit, "  ");
  write_address_hint(e, unit);
  if (!c.error_seen) c.error_found = true;
  c.error_seen = true;
  c.error_reported = true;
}

void clear_statement_error_state(Engine& e) {
  e.ctl.error_reported = false;
  e.ctl.error_seen = false;
}

void write_error_message(Engine& e, std::string_view message) {
  const int unit = open_error_unit(e);
  e.ch.write(unit, message_line(message));
}

void write_error_line(Engine& e, std::string_view line) { e.ch.write(open_error_unit(e), line); }

void write_console_message(Engine& e, std::string_view message) {
  e.ch.write(io::k_console_out, message);
  if (e.ctl.java_mode) write_error_message(e, message);
}

void delete_stale_err_file(Engine& e) {
  const Text129 name = make_err_name(e);
  if (io::Channels::exists(name.trimmed())) io::Channels::remove_file(name.trimmed());
}

}  // namespace kelvo
