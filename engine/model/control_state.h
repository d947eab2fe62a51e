// Control state of the engine: run-mode flags, the model name, the
// numbered channel base, the run-time limit, the diagnostics flags and the
// parse pass's operation table. Written by program intake (main program,
// run cycle, statement reader, diagnostics); read everywhere.
#pragma once

#include <array>
#include <chrono>

#include "io/fixed_text.h"
#include "model/limits.h"

namespace kelvo {

struct ControlState {
  // ---- Run-mode flags (live for the whole process) ----
  bool newparse_mode = false;        // "newparse.zwx" exists: write parsefile/mainfile
  bool animation_mode = false;       // "zwxyqani" exists: automatic animation
  bool debug_mode = false;           // "zwxyqdeb" exists, or a DEB marker card
  bool auto_animation_flag = false;  // the model file has the extension ANI
  bool java_mode = false;            // "zwxyq.jav" exists: run under the front end
  bool java_cmd_read = false;        // the parse pass has read "zwxyq.jav"
  bool cmd_file_present = false;     // "zwxyq" exists (tested by each run cycle)
  bool cdl_file_present = false;     // "zwxyq.cdl" exists (read by the translator)
  bool console_name_given = false;   // a model name was accepted on the console
  bool experi_present = false;       // the model holds an EXPERI statement
  bool experi_run = false;           // this run cycle runs an EXPERI experiment
  bool experi_run_word = false;      // EXPERI-run word, set with experi_present (the run control reads experi_run); nothing reads it
  bool keyboard_start = false;       // "zwxyq" asked for experiment mode with '$'
  bool translate_needed = false;     // the model must be read and translated (again)
  bool error_found = false;          // a compile error was flagged; cleared per run cycle
  bool work_file_refused = false;    // a work file named no usable model: exit status 2

  // ---- Model name and channels ----
  Text125 program_file_name;   // model file name as read, blank padded
  Text125 saved_program_name;  // the user's model name while the animated copy runs
  int unit_base = 15;          // base of the numbered work-file channels
  int input_data_unit = 30;    // channel of the INPUT data file (unit_base + 15); its readers use the offset, nothing reads it
  char tab_code = 9;           // tab character turned into blanks by the readers
  Text129 message_text;        // shared message buffer for texts with a file name; messages are built in place, nothing uses it

  // ---- Run-time limit ----
  std::chrono::steady_clock::time_point run_time_start{};  // start, monotonic
  int run_time_limit = k_run_time_limit_default;  // limit in whole seconds

  // ---- Run control words set by the run cycle ----
  bool name_from_cycle = false;        // the run cycle has the model's name: no prompt
  bool repeat_model = false;           // the end-of-run dialogue asked for the model again
  bool seed_reset_flag = false;        // seeds are reset before the next run
  bool same_program_rerun = false;     // user asked to repeat the same program (end-of-run dialogue); nothing reads it
  bool edit_and_pause_flag = false;    // set by the translator: offer editing, pause at stop

  // ---- Parse pass ----
  int parse_line_count = 0;      // lines read by the parse pass
  bool parse_end_flag = false;   // the END statement has been read
  bool cs_card_flag = false;     // a CS (VSC) card was seen; set by the card checks, nothing reads it

  // ---- Statement reader flags ----
  bool listing_file_flag = false;     // model name has the extension RES or SLT
  bool txt_extension_flag = false;    // model name has the extension TXT
  bool drive_flag = false;            // model name begins with a drive "A:"; set as the name is taken, nothing reads it
  bool first_line_read = false;       // convert_listing_line: a line was read successfully

  // ---- Diagnostics ----
  Line80 current_statement;       // the statement being compiled
  bool error_reported = false;    // the current statement has had its report
  bool hint_flag = false;         // first word may be an address: add hint lines
  bool error_seen = false;        // some report was asked for in this statement
  Text50 saved_hint_text;         // message kept by write_statement_error before anything is scanned; nothing reads it
  int hint_field_word = 0;        // scanner column word: 0 = nothing scanned yet
  bool address_function_flag = false;  // an address function was met
  bool atf_replaced = false;      // the ATF file holds the error notice
  Text129 error_file_name;        // the ATF file's name once opened (blank before), for the error notice
  bool err_file_open = false;     // the ERR file is open on unit_base + 24
  bool wrn_open = false;          // the model's WRN file is open on unit_base + 55
};

}  // namespace kelvo
