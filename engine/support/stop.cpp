// The stop: unwinds to the engine's entry (see engine_entry.cpp).
#include "support/stop.h"

#include <chrono>
#include <string>

#include "model/engine.h"

namespace kelvo {

void stop_now(Engine&) { throw EngineStop{}; }

bool run_time_exceeded(const Engine& e) {
  const ControlState& c = e.ctl;
  if (c.run_time_start == std::chrono::steady_clock::time_point{}) return false;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - c.run_time_start).count();
  return c.run_time_limit < elapsed;
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
