// The engine's main program and its run cycle: marker files, the parse
// pass, where the model name comes from (the front end's "zwxyq.jav", a
// calling program's "zwxyq", or the console), the hand-over to the run
// control and the end-of-run dialogue; and the rule that forms every
// model-derived file name.
#pragma once

#include "io/fixed_text.h"

namespace kelvo {

struct Engine;

// The process's main program; ends in the stop.
[[noreturn]] void main_program(Engine& e);
void parse_pass(Engine& e);
void start_parse(Engine& e);
void run_cycle(Engine& e);

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

// Clears the model's run state before a translation or a run: statistics,
// block counts, the report line, the clock; savevalues take their initial
// values.
void reset_model_state(Engine& e);

// The model name up to its first blank, with a '.' ending the base: an
// extension TXT is dropped (MODEL.TXT gives MODEL.), any other stays with
// its '.' removed (MODEL.ABC gives MODELABC.). Only a '.' in the last path
// component counts. dot is the column of the final '.'; callers put their
// three-letter extension after it.
Text129 get_program_base_name(Engine& e, int& dot);

}  // namespace kelvo
