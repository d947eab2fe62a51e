// Console lines, the yes/no reader and numbers typed on the console.
#include "support/console_answer.h"

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

namespace {

// Nobody answers once the console input has ended. Under the front end
// the question left unanswered goes where the front end reads errors.
void tell_unanswered_question(Engine& e) {
  if (e.ctl.java_mode) write_error_message(e, e.ch.last_console_line());
}

}  // namespace

std::string read_console_line(Engine& e) {
  std::string line;
  if (e.ch.read_line(io::k_console_in, line) != io::ReadStatus::ok) {
    tell_unanswered_question(e);
    stop_now(e);
  }
  if (line.size() > static_cast<std::size_t>(k_console_line)) line.resize(k_console_line);
  return line;
}

bool ask_yes_no(Engine& e, AnswerMode& mode) {
  for (;;) {
    const std::string line = read_console_line(e);
    if (trim_right(line).empty()) {
      e.ch.write(io::k_console_out, " Answer Y or N");
      continue;
    }
    if (padded_equal(line, "Y") || padded_equal(line, "y")) return true;
    if (padded_equal(line, "N") || padded_equal(line, "n")) return false;
    if (mode == AnswerMode::name_or_yes_no) {
      e.ctl.program_file_name.assign(line);
      mode = AnswerMode::yes_no;
      return true;
    }
    e.ch.write(io::k_console_out, " Answer Y or N");
  }
}

double read_input_number(Engine& e) {
  for (;;) {
    std::string line;
    // End of console input ends the engine; no number is asked for ever.
    if (e.ch.read_line(io::k_console_in, line) != io::ReadStatus::ok) {
      tell_unanswered_question(e);
      stop_program(e);
    }
    double v = 0.0;
    if (io::read_list_reals(line, &v, 1) == 1) {
      if (e.cs.pass.input_echo_flag) e.ch.write(e.rep.out_unit, io::Rec().f(v, 8, 2));
      return v;
    }
    e.ch.write(io::k_console_out, " Incorrect format for number");
    e.ch.write(io::k_console_out, " Input number again");
  }
}

}  // namespace kelvo
