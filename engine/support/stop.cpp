// The stop: unwinds to the engine's entry (see engine_entry.cpp).
#include "support/stop.h"

#include <chrono>
#include <string>

#include "model/engine.h"
#include "support/diagnostics.h"

namespace kelvo {

void stop_now(Engine&) { throw EngineStop{}; }

bool run_time_exceeded(const Engine& e) {
  const ControlState& c = e.ctl;
  if (c.run_time_start == std::chrono::steady_clock::time_point{}) return false;
  // Past the limit as soon as more than its seconds have gone by, so a run
  // ends within a second of its limit.
  return std::chrono::steady_clock::now() - c.run_time_start > std::chrono::seconds(c.run_time_limit);
}

void stop_if_run_time_exceeded(Engine& e) {
  if (!e.ctl.java_mode || !run_time_exceeded(e)) return;
  write_error_message(e, " Program run time exceeds limit");
  stop_program(e);
}

void stop_program(Engine& e) {
  if (!e.ctl.java_mode && e.ctl.edit_and_pause_flag) {
    e.ch.write(io::k_console_out, " ");
    e.ch.write(io::k_console_out, " Press ENTER to stop");
    std::string line;
    e.ch.read_line(io::k_console_in, line);  // end of input ends the wait too
  }
  stop_now(e);
}

}  // namespace kelvo
