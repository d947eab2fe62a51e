// Stand-ins for the engine-control routines that the run-time calls,
// kept small and faithful to their contracts so the run-time can be run
// and tested on its own. Removed when the control module provides them.
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/spine_calls.h"
#include "runtime/run_control.h"
#include "runtime/standard_report.h"

namespace kelvo {

namespace {
struct StandInStop {};
}  // namespace

void stop_program(Engine& e) {
  e.ch.flush_all();
  throw StandInStop{};
}

int open_error_unit(Engine& e) {
  if (e.ctl.java_mode) {
    const int unit = e.ctl.unit_base + 24;
    if (!e.ch.is_open(unit)) e.ch.open_append(unit, get_program_base_name(e) + "ERR");
    return unit;
  }
  return e.ctl.out_unit_save;
}

void write_error_message(Engine& e, std::string_view msg) {
  const int unit = open_error_unit(e);
  std::string line(msg.substr(0, 50));
  line.resize(50, ' ');
  e.ch.write(unit, line);
}

void parse_error(Engine& e, std::string_view msg) {
  e.ctl.error_found = true;
  write_error_message(e, msg);
}

namespace {
[[noreturn]] void report_and_stop(Engine& e, int block, bool always_line) {
  const int unit = open_error_unit(e);
  if (always_line || block > 0) e.ch.write(unit, io::Rec().lit(" Error found at block ").i(block, 4));
  const int run = e.run.run_number;
  const bool off = run >= 0 && run < static_cast<int>(e.ent.run.start_report_off.size()) && e.ent.run.start_report_off[static_cast<std::size_t>(run)];
  if (!off) write_standard_report(e, false);
  stop_program(e);
}
}  // namespace

void report_block_error(Engine& e) {
  double b = e.act.cur_txn[2];
  if (b < 0) b = -b;
  report_and_stop(e, trunc_i32(b), false);
}

void report_error_at_block(Engine& e, int n) { report_and_stop(e, n, true); }

bool ask_yes_no(Engine& e, int& mode) {
  for (;;) {
    std::string line;
    if (e.ch.read_line(io::k_console_in, line) == io::ReadStatus::end_of_file) stop_program(e);
    const std::string_view t = trim_right(line);
    if (t == "Y" || t == "y") return true;
    if (t == "N" || t == "n") return false;
    if (mode >= 13 && !t.empty()) {
      e.ctl.program_file_name.assign(line);
      mode = 7;
      return true;
    }
    e.ch.write(io::k_console_out, " Answer Y or N");
  }
}

std::string get_program_base_name(Engine& e) {
  std::string name(e.ctl.program_file_name.view());
  const auto blank = name.find(' ');
  if (blank != std::string::npos) name.resize(blank);
  const auto slash = name.find_last_of("/\\");
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ".";
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (ext == "TXT") return name.substr(0, dot + 1);
  return name.substr(0, dot) + name.substr(dot + 1) + ".";
}

std::string unpack_name_chars(int4 code) {
  static constexpr char k_alphabet[] = " 0123456789.$ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const auto u = static_cast<std::uint32_t>(code);
  const std::uint32_t words[2] = {u >> 16, u & 0xFFFFu};
  std::string out;
  for (std::uint32_t w : words) {
    const std::uint32_t c[3] = {w / 1600, (w / 40) % 40, w % 40};
    for (std::uint32_t k : c) out += k < 39 ? k_alphabet[k] : ' ';
  }
  return out;
}

bool end_of_run_dialogue(Engine& e) {
  e.ch.write(io::k_console_out, " Shall same program be repeated? Y, N or new name");
  int mode = 13;
  const bool yes = ask_yes_no(e, mode);
  e.ctl.translate_needed = true;
  if (!yes) {
    e.ctl.seed_reset_flag = true;
    return false;
  }
  if (mode == 7) {
    e.ctl.seed_reset_flag = true;
    return true;
  }
  e.ctl.translate_needed = false;
  e.ctl.same_program_rerun = true;
  e.ch.write(io::k_console_out, " Shall seeds be reset? Y or N");
  int plain = 0;
  e.ctl.seed_reset_flag = ask_yes_no(e, plain);
  return true;
}

void reset_model_state(Engine& e) {
  e.run.max_priority = 0.0f;
  e.rep.out_line.fill(' ');
  e.rep.out_col = 0;
  e.stat.station_contents.fill(0);
  e.stat.station_entries.fill(0);
  e.stat.station_max.fill(0);
  e.stat.station_area.fill(0.0f);
  e.run.generated_before_reset.fill(0);
  e.run.last_block_current.fill(0);
  e.blocks.block_current.fill(0);
  e.stat.queue_max.fill(0);
  e.stat.queue_entries.fill(0);
  e.stat.queue_current.fill(0);
  e.stat.queue_area.fill(0.0f);
  e.run.clock = 0.0f;
  e.run.reset_time = 0.0f;
  e.run.end_time = 1.0e8f;
}

void reset_compile_state(Engine& e) {
  e.ctl.unit_base = 15;
  e.rep.out_unit = 6;
  e.ctl.out_unit_save = 6;
  e.blocks.block_entries.fill(0);
  e.ent.run.run_steps.fill(1);
  e.ent.run.run_step_count = 0;
  reset_model_state(e);
  start_run_accumulators(e);
}

void translate_program(Engine& e, int4& run_count) {
  if (e.ctl.translate_standin != nullptr) e.ctl.translate_standin(e, run_count);
}

void init_stat_slots(Engine&) {}

}  // namespace kelvo
