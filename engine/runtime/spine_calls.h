// The calls the run-time makes into engine control: the stop, the error
// channel and its messages, the run-time error reports, the console
// yes/no answer, the model base name and the unpacking of packed names.
// One header, so that the run-time adapts in one place to the control
// module's own declarations.
#pragma once

#include <string>
#include <string_view>

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// Ends the engine: unwinds to the entry, which closes every channel.
[[noreturn]] void stop_program(Engine& e);
// Chooses (and opens where needed) the error channel and returns it.
int open_error_unit(Engine& e);
// Writes a message as one 50-character line on the error channel.
void write_error_message(Engine& e, std::string_view msg);
// Compile-time error of the current statement (sets error_found).
void parse_error(Engine& e, std::string_view msg);
// Run-time error at the active transaction's block: block line, the
// run's report unless already written, stop.
[[noreturn]] void report_block_error(Engine& e);
// Run-time error at block n: block line, report, stop.
[[noreturn]] void report_error_at_block(Engine& e, int n);
// Reads a console yes/no answer; mode >= 13 also accepts a new model
// name (true returned, mode set to 7).
bool ask_yes_no(Engine& e, int& mode);
// The model file name up to and including the '.' before the extension.
std::string get_program_base_name(Engine& e);
// The six characters of a packed name code.
std::string unpack_name_chars(int4 code);
// The end-of-run dialogue: true when the program is to be run again.
bool end_of_run_dialogue(Engine& e);
// Model-state reset before each translation and each series run.
void reset_model_state(Engine& e);

// Calls into the translator.
void reset_compile_state(Engine& e);
void translate_program(Engine& e, int4& run_count);
void init_stat_slots(Engine& e);

}  // namespace kelvo
