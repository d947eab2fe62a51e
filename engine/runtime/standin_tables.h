// State that the run-time reads but that engine control and the later
// run-time steps own: the run-mode flags of engine control, and the
// run-time statistics of stations and queues with the few model flags
// that no module declares yet. These declarations carry the run-time
// until those modules land; the members then come from their own headers.
#pragma once

#include <array>

#include "io/fixed_text.h"
#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

struct ControlStandIn {
  bool java_mode = false;           // the front end's command file exists
  bool auto_animation_flag = false; // automatic animation
  bool experi_run = false;          // an experiment is running
  bool experi_present = false;      // the model has an EXPERI statement
  bool error_found = false;         // a compile error was flagged
  bool statement_error_pending = false;
  bool seed_reset_flag = false;     // seeds are to be reset
  bool retranslate_wanted = false;
  bool translate_needed = false;
  bool edit_and_pause_flag = false;
  bool result_file_open = false;
  bool aux_file_open = false;
  bool zwxyq_started = false;       // started through the command file "zwxyq"
  bool keyboard_start = false;      // "zwxyq" asked for keyboard start
  bool atf_open = false;
  Text125 program_file_name{};
  int4 unit_base = 15;
  int4 out_unit_save = 6;
  int4 run_time_limit = 0;          // seconds; 0: no limit
  bool valin_outside_experi = false;
  bool matrix_output_wanted = false;
  std::array<bool, 10> graph_flags{};
  int4 graph_unit = 0;
  int4 aux_unit = 0;
  bool same_program_rerun = false;
  // Until the translator is merged, a test may stand in for it.
  void (*translate_standin)(Engine&, int4& run_count) = nullptr;
};

struct RuntimeStandIn {
  std::array<int4, k_station_limit + 1> station_contents{};
  std::array<int4, k_station_limit + 1> station_max{};
  std::array<int4, k_station_limit + 1> station_entries{};
  std::array<real4, k_station_limit + 1> station_area{};
  std::array<int4, k_queue_limit + 1> queue_current{};
  std::array<int4, k_queue_limit + 1> queue_entries{};
  std::array<int4, k_queue_limit + 1> queue_zero_entries{};
  std::array<int4, k_queue_limit + 1> queue_max{};
  std::array<real4, k_queue_limit + 1> queue_area{};
  int4 table_count = 0;
  int4 queue_number_offset = 0;
  std::array<int4, k_max_runs + 2> run_seed_row{};
  bool trace_number_wanted_a = false;
  bool trace_number_wanted_b = false;
  bool clear_params_flag = false;
  bool station_in_advance_flag = false;
  int4 waitif43_count = 0;
  std::array<int4, k_expr_ref_limit + 1> operand_ref_kind{};
  std::array<int4, k_expr_ref_limit + 1> operand_ref_index{};
  std::array<bool, k_block_capacity + 1> station_b_flag{};
};

}  // namespace kelvo
