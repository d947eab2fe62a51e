// Main program and run cycle.
// Takes the marker and command files of the working directory or the
// console's answers; hands the model to the run control and asks the
// end-of-run questions.
#include "driver/run_cycle.h"

#include <chrono>
#include <string>

#include "exchange/atf_writer.h"
#include "exchange/auto_animation.h"
#include "exchange/parse_file.h"

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/experiment.h"
#include "runtime/run_control.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// Reads one record of a work file into a 125-character field; an empty
// file or a missing record gives a blank name.
void read_name_record(Engine& e, int unit, Text125& name) {
  std::string line;
  name.clear();
  if (e.ch.read_line(unit, line) == io::ReadStatus::ok) name.assign(line);
}

void take_start_time(Engine& e) { e.ctl.run_time_start = std::chrono::steady_clock::now(); }

}  // namespace

void main_program(Engine& e) {
  ControlState& c = e.ctl;
  // The run-time limit counts from the start of the engine, translation
  // included.
  take_start_time(e);
  c.auto_animation_flag = false;
  c.newparse_mode = io::Channels::exists("newparse.zwx");
  c.animation_mode = io::Channels::exists("zwxyqani");
  c.debug_mode = io::Channels::exists("zwxyqdeb");
  c.unit_base = 15;
  c.tab_code = 9;
  if (c.newparse_mode || c.animation_mode) parse_pass(e);
  if (c.animation_mode) {
    check_auto_animation(e);
    write_anim_layout(e);
    prepare_auto_animation(e);
    rewrite_model_for_animation(e);
  }
  run_cycle(e);
  stop_now(e);
}

void start_parse(Engine& e) {
  ControlState& c = e.ctl;
  c.parse_line_count = 1;
  c.java_cmd_read = false;
  reset_parse_state(e);
  c.java_mode = io::Channels::exists("zwxyq.jav");
  if (c.java_mode) {
    read_java_command(e, c.experi_present);
    c.java_cmd_read = true;
  } else {
    ask_program_name(e);
  }
  c.parse_end_flag = false;
  if (c.animation_mode) reset_anim_state(e);
}

void parse_pass(Engine& e) {
  ControlState& c = e.ctl;
  start_parse(e);
  int count = 0;
  if (!open_program_file(e, c.unit_base)) {
    // Nothing to parse; under the front end nobody could name another file.
    if (c.java_mode) stop_program(e);
    return;
  }
  const bool exchange_files = !c.auto_animation_flag;
  if (exchange_files && c.newparse_mode) {
    e.ch.open_new(c.unit_base + io::offset::parsefile, "parsefile");
    e.ch.open_new(c.unit_base + io::offset::mainfile, "mainfile");
  }
  if (!exchange_files) c.newparse_mode = false;
  // An animated copy animated again gets its layout file too.
  if (exchange_files || c.animation_mode) {
    e.ch.open_new(c.unit_base + io::offset::layout, make_layout_file_name(e).trimmed());
  }
  Line80 line;
  while (!c.parse_end_flag) {
    ++count;
    if (!read_statement_line(e, line, count)) break;  // no END: the pass ends here
    classify_line(e, count, line);
  }
  c.parse_line_count = count;
  e.ch.close(c.unit_base);
  if (c.newparse_mode && exchange_files) {
    e.ch.close(c.unit_base + io::offset::parsefile);
    e.ch.close(c.unit_base + io::offset::mainfile);
  }
}

bool open_program_file(Engine& e, int unit) {
  ControlState& c = e.ctl;
  if (c.program_file_name.is_blank()) {
    write_console_message(e, " File does not exist");
    return false;
  }
  test_ani_extension(e);
  const std::string_view path = c.program_file_name.trimmed();
  if (io::Channels::exists(path) && e.ch.open_read(unit, path)) return true;
  write_console_message(e, " File does not exist");
  return false;
}

void test_ani_extension(Engine& e) {
  if (is_animated_copy_name(e.ctl.program_file_name)) e.ctl.auto_animation_flag = true;
}

void read_java_command(Engine& e, bool& experi) {
  ControlState& c = e.ctl;
  const int unit = c.unit_base + io::offset::java;
  c.input_data_unit = c.unit_base + io::offset::input_data;
  c.program_file_name.clear();
  if (e.ch.open_read(unit, "zwxyq.jav")) read_name_record(e, unit, c.program_file_name);
  if (!usable_model_name(c.program_file_name.view())) {
    // No model name, no file named after it: the error can only go to
    // standard error, and the exit status says that nothing was run.
    e.ch.close(unit);
    e.ch.write_error_stream(" No usable model name in ZWXYQ.JAV");
    c.work_file_refused = true;
    stop_now(e);
  }
  c.run_time_limit = k_run_time_limit_default;
  std::string record;
  long long limit = 0;
  const bool ok = e.ch.read_line(unit, record) == io::ReadStatus::ok && io::read_i(record, 7, limit);
  if (!ok || limit <= 0) {
    e.ch.close(unit);
    write_error_message(e, " Illegal time in ZWXYQ.JAV");
    stop_now(e);
  }
  c.run_time_limit = limit > k_run_time_limit_default ? k_run_time_limit_default : static_cast<int>(limit);
  e.ch.close(unit);
  // The model is looked at for its EXPERI statement once the limit is
  // known, so that the limit holds while the model is read for it too.
  experi = parse_experi(e);
}

void refresh_experi_flag(Engine& e, bool& experi) { experi = parse_experi(e); }

void ask_program_name(Engine& e) {
  ControlState& c = e.ctl;
  e.ch.write(io::k_console_out, " KELVO simulation system");
  e.ch.write(io::k_console_out, "");
  e.ch.write(io::k_console_out, "");
  e.ch.write(io::k_console_out, " What is the name of the KELVO program file");
  e.ch.write(io::k_console_out, "  ");
  e.ch.write(io::k_console_out, " At least 4 characters");
  c.program_file_name.clear();
  c.program_file_name.assign(read_console_line(e));
  std::string head(c.program_file_name.cols(1, 9));
  for (char& ch : head) upcase_char(ch);
  if (head.rfind("ZWXYQ", 0) == 0 && head.substr(5, 4) != ".TMP") {
    e.ch.write(io::k_console_out, " Name not allowed to start with ZWXYQ");
    e.ch.write(io::k_console_out, " Please, give the program a different name");
    stop_now(e);
  }
  c.console_name_given = true;
}

void reset_cycle_state(Engine& e) {
  ControlState& c = e.ctl;
  c.experi_run = false;
  c.keyboard_start = false;
  c.error_found = false;
  c.name_from_cycle = true;
  c.repeat_model = false;
  reset_output_channels(e);
}

void run_cycle(Engine& e) {
  ControlState& c = e.ctl;
  reset_cycle_state(e);

  c.cmd_file_present = io::Channels::exists("zwxyq");
  c.cdl_file_present = io::Channels::exists("zwxyq.cdl");
  c.java_mode = io::Channels::exists("zwxyq.jav");

  if (c.cmd_file_present && !c.java_mode) {
    const int unit = c.unit_base + io::offset::command;
    e.ch.open_read(unit, "zwxyq");
    read_name_record(e, unit, c.program_file_name);
    std::string mode;
    if (e.ch.read_line(unit, mode) == io::ReadStatus::ok && !mode.empty() && mode[0] == '$') c.keyboard_start = true;
    e.ch.close_delete(unit);
  } else if (c.java_mode) {
    c.experi_run_word = false;
    if (c.java_cmd_read) {
      refresh_experi_flag(e, c.experi_present);
    } else {
      read_java_command(e, c.experi_present);
    }
  } else if (!c.console_name_given) {
    ask_program_name(e);
  }

  c.translate_needed = !c.animation_mode;
  if (!c.java_mode && parse_experi(e)) {
    c.experi_present = true;
    c.experi_run_word = true;
  }
  c.same_program_rerun = false;
  if (c.java_mode) delete_stale_err_file(e);

  if (c.experi_present || c.program_file_name == "$") {
    c.experi_run = true;
    run_experiment(e, true);
    if (e.rep.out_unit == io::k_console_out) stop_program(e);
    return;
  }
  c.experi_run = false;
  if (c.auto_animation_flag) {
    c.saved_program_name = c.program_file_name;
    c.program_file_name = animated_model_name(e);
  }
  run_simulation(e, 1, 1, 1);
}

int end_of_run_dialogue(Engine& e) {
  ControlState& c = e.ctl;
  e.ch.write(io::k_console_out, " Shall same program be repeated? Y, N or new name");
  AnswerMode mode = AnswerMode::name_or_yes_no;
  const bool yes = ask_yes_no(e, mode);
  const bool new_name = mode == AnswerMode::yes_no;
  if (!yes) {
    c.repeat_model = false;
    c.translate_needed = true;
    c.seed_reset_flag = true;
    return 1;
  }
  c.repeat_model = true;
  if (new_name) {
    c.translate_needed = true;
    c.seed_reset_flag = true;
    return 1;
  }
  c.translate_needed = false;
  c.same_program_rerun = true;
  if (c.edit_and_pause_flag) {
    e.ch.write(io::k_console_out, " Shall program be edited? Y or N");
    AnswerMode yn = AnswerMode::yes_no;
    if (ask_yes_no(e, yn)) {
      const int unit = c.unit_base + io::offset::edit;
      io::Channels::remove_file("zwxyq.edt");
      e.ch.open_new(unit, "zwxyq.edt");
      e.ch.write(unit, c.program_file_name.view());
      e.ch.close(unit);
      return 0;
    }
  }
  if (e.ent.steps.simulate_count < 2) {
    e.ch.write(io::k_console_out, " Shall seeds be reset? Y or N");
    AnswerMode yn = AnswerMode::yes_no;
    c.seed_reset_flag = ask_yes_no(e, yn);
  } else {
    e.ch.write(io::k_console_out, io::Rec().lit(" With SIMULATE ").i(e.ent.steps.simulate_count, 2).lit(", seeds are reset"));
    read_console_line(e);
  }
  return 1;
}

}  // namespace kelvo
