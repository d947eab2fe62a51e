// The translator's view of the engine spine (diagnostics and the stop,
// packed names, the statement reader, the run-control flags). Until the
// spine's own headers are merged, the routines here are small stand-ins
// with the spine's names and contracts, and the flags live in a
// stand-in struct; every translator routine reaches them only through
// this header, so the switch to the spine touches this file pair only.
#pragma once

#include <string>
#include <string_view>

#include "io/fixed_text.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Run-control and diagnostics flags the translator reads or sets.
struct SpineStandIn {
  bool error_found = false;        // a compile error was flagged
  bool error_reported = false;     // the current statement has had its report
  bool error_seen = false;         // report_statement_error was called
  bool stop_after_error = false;   // set by the end-of-program checks
  Text50 saved_hint;               // message kept by write_statement_error
  Line80 current_statement;        // the statement printed by error reports
  bool java_mode = false;          // "zwxyq.jav" exists
  bool auto_animation_flag = false;
  bool experi_present = false;
  bool experi_run = false;
  bool cdl_file_present = false;
  bool newparse_mode = false;
  bool translate_needed = true;    // listing switch of the pass
  bool edit_and_pause_flag = false;
  bool result_file_open = false;   // run-control word: result file open
  bool edited_model = false;       // run-control word: model was edited
  bool txt_flag = false;           // model file extension is TXT
  bool wrn_open = false;
  bool optimization_flag = false;
  Text125 program_file_name;
  int unit_base = 15;
  int out_unit = 6;
  int out_unit_save = 6;
  int prog_unit = 8;
  int max_statements = 2000;
  int run_number = 1;
};

// Thrown by every stop; the engine entry catches it and closes channels.
struct EngineStop {};

[[noreturn]] void stop_program(Engine& e);
[[noreturn]] void stop_with_no_text(Engine& e);

int open_error_unit(Engine& e);
void report_statement_error(Engine& e, std::string_view msg);
void flag_statement_error(Engine& e, std::string_view msg);
void parse_error(Engine& e, std::string_view msg);
void write_statement_error(Engine& e, std::string_view msg);
void write_error_message(Engine& e, std::string_view msg);
// Writes one line exactly as given on the error channel.
void write_error_line(Engine& e, std::string_view line);
int open_wrn_file(Engine& e);
bool open_or_delete_file(Engine& e, int unit, std::string_view name);

// Packed names.
int4 pack_symbol_name(Engine& e, std::string_view field6);
int4 numeric_name_key(int n);
Text6 unpack_name_chars(Engine& e, int4 code);
// The name read as a decimal number; false when it is not all digits.
bool unpack_name_number(Engine& e, int4 code, int4& value);
// Entity look-up by class (2 queue, 3/9 address, 4/5 station,
// 6 function, 7 definition, 8 savevalue; others numbers).
void find_entity_number(Engine& e, int cls, int4 name, int& mode, int4& number);

char upcase_char(char c);
bool is_digit_char(char c);
bool is_letter(char c);

// Statement reader.
bool open_program_file_prompt(Engine& e, int unit, bool no_prompt);
void read_program_lines(Engine& e, int count, bool& ok, Line80& line);
void check_marker_card(Engine& e, const Line80& line, bool& marker, bool& simulate_card);
void write_program_line(Engine& e, int unit, int number);
void strip_name_suffixes(Engine& e);
// Base of model-derived names ending in '.', and the position of the '.'.
std::string get_program_base_name(Engine& e, int& pos);

// Flags of the spine (the stand-in until the spine lands).
SpineStandIn& spine(Engine& e);

}  // namespace kelvo
