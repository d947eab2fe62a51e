// Run-time errors at a block.
// Takes the message and the block (the active transaction's or the one
// named); writes them on the error channel, the run's standard report
// where it is due, and stops.
#include "runtime/run_errors.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/standard_report.h"
#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

namespace {

// The report switch of the run in progress (START number 0 before the first).
bool& report_off_of_current_run(Engine& e) {
  auto& off = e.ent.steps.start_report_off;
  const int run = std::clamp(static_cast<int>(e.run.run_number), 0, static_cast<int>(off.size()) - 1);
  return off[static_cast<std::size_t>(run)];
}

void write_block_line(Engine& e, int n) {
  e.ch.write(open_error_unit(e), io::Rec().lit(" Error found at block ").i(n, 4));
}

[[noreturn]] void end_run_with_report(Engine& e) {
  if (!report_off_of_current_run(e)) write_standard_report(e);
  stop_program(e);
}

// A value the translator computes at once (a LET before the first
// GENERATE) failed: nothing has run, so the statement is shown instead of
// a block and no run report is written.
[[noreturn]] void stop_in_translation(Engine& e) {
  write_error_message(e, " Error found at the following statement:");
  write_error_line(e, "  ");
  write_error_line(e, "   " + std::string(e.ctl.current_statement.view()));
  e.ctl.error_found = true;
  stop_program(e);
}

}  // namespace

void report_block_error(Engine& e) {
  if (e.cs.flags.compiling) stop_in_translation(e);
  const int n = trunc_i32(std::fabs(e.act.cur_txn[tw::next_block]));
  if (n > 0) write_block_line(e, n);
  end_run_with_report(e);
}

void mark_block_error(Engine& e) {
  report_off_of_current_run(e) = true;
  report_block_error(e);
}

void report_error_at_block(Engine& e, int n) {
  write_block_line(e, n);
  end_run_with_report(e);
}

void run_error(Engine& e, std::string_view message) {
  write_error_message(e, message);
  report_block_error(e);
}

void run_error(Engine& e, const io::Rec& line) {
  write_error_line(e, line.str());
  report_block_error(e);
}

void stop_at_block(Engine& e, int n) {
  if (n > 0) write_block_line(e, n);
  stop_program(e);
}

void stop_with_block(Engine& e, std::string_view text, int b) {
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(text).i(b, 4));
  stop_program(e);
}

}  // namespace kelvo
