// The engine's main program and its run cycle: marker files, the parse
// pass, where the model name comes from (the front end's "zwxyq.jav", a
// calling program's "zwxyq", or the console), the hand-over to the run
// control and the end-of-run dialogue.
#pragma once

#include "io/fixed_text.h"

namespace kelvo {

struct Engine;

// The process's main program; ends in the stop.
[[noreturn]] void main_program(Engine& e);
void parse_pass(Engine& e);
void start_parse(Engine& e);
void run_cycle(Engine& e);
// The run cycle's state at its start: no experiment, no error, the name
// to come from the cycle, the output on the console.
void reset_cycle_state(Engine& e);

// Reads "zwxyq.jav": the model name into program_file_name, the EXPERI
// flag, and the run-time limit (a bad limit stops the engine).
void read_java_command(Engine& e, bool& experi);
void refresh_experi_flag(Engine& e, bool& experi);
// Console prompt for the model name; a name starting ZWXYQ (other than
// ZWXYQ.TMP) stops the engine.
void ask_program_name(Engine& e);
// Opens the model on the channel; false (after " File does not exist")
// when the name is blank or names no readable file.
bool open_program_file(Engine& e, int unit);
void test_ani_extension(Engine& e);

// After a run: the repeat, edit and seed questions. Returns 0 when the
// user asked to edit the model, else 1.
int end_of_run_dialogue(Engine& e);


}  // namespace kelvo
