// The animation trace file (the model's ATF file): ANIM statements become
// calls of the animation programs; each call writes one command record for
// the animation viewer, preceded by a TIME record whenever the clock has
// moved on since the last one.
#pragma once

#include <string>

#include "io/fixed_text.h"
#include "model/program_args.h"

namespace kelvo {

struct Engine;

// ---- Compile time ----

// The ANIM word of the current statement line becomes HELP when its
// operand calls a program: tested at the first word from column c, and
// otherwise at the word that follows it (the word after a label). True
// when the line was rewritten.
bool scan_anim_keyword(Engine& e, int c);
// The test at one column: "ANIM" (any case) and a blank, then a comma or
// "ATF" before "ANI" or '!' in columns c+5..k_stmt_end_col. True when rewritten.
bool read_anim_keyword(Engine& e, int c);
// Special statement k calls animation program p (25..35): its name
// operand is recorded, ATF switches the report lines to the trace file,
// and the first call opens the trace file on channel 9.
void record_anim_name(Engine& e, int k, int p);

// ---- Run time ----

// The TIME record, when the clock has moved on more than 0.01 since the
// last one.
void write_atf_time(Engine& e);
// A later run of a series or an experiment starts its clock again: the
// run's first command gets a TIME record of its own clock (one at clock
// 0 too), so every command follows the TIME record of its run's clock.
void restart_atf_time(Engine& e);
// The recorded name of the current statement (upper case, blanks for
// NUL) and the integer of argument A; then the TIME record. False when the
// trace file is not open (nothing is to be written).
bool prepare_atf_record(Engine& e, const ProgramArgs& args, long long& number, Text6& name);

// One command record each (programs CREATE .. SETBAR, ATF excepted).
void write_atf_create(Engine& e, const ProgramArgs& args);
void write_atf_destroy(Engine& e, const ProgramArgs& args);
void write_anim_place(Engine& e, const ProgramArgs& args);
void write_atf_set_class(Engine& e, const ProgramArgs& args);
void write_atf_set_color(Engine& e, const ProgramArgs& args);
void write_atf_set_speed(Engine& e, const ProgramArgs& args);
void write_anim_move_place(Engine& e, const ProgramArgs& args);
void write_atf_write_command(Engine& e, const ProgramArgs& args);
void write_anim_travel(Engine& e, const ProgramArgs& args);
void write_atf_set_bar(Engine& e, const ProgramArgs& args);

// The end of the trace file after the model's runs: the clock of the last
// run's end, the TIME record, " END", and the file closed with its open
// mark cleared. Nothing when the file is not open.
void close_atf_file(Engine& e);

// ---- File names built from the model's name ----

// The model's file name with the extension ANI, ANS or LAY in place of
// its own.
Text129 make_anim_file_name(Engine& e);
Text129 make_file_name_ext(Engine& e);
Text129 make_layout_file_name(Engine& e);
// The trace file's name: named after the model the user gave, also when
// the animated copy of it runs.
Text129 make_atf_file_name(Engine& e);

}  // namespace kelvo
